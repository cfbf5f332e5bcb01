// The error and trace log, "ZANerrors.log" in the working directory.
#pragma once

#include <string>

extern bool m_bTrace;      // frame-logic step names to the log; keypad 5 toggles it
extern bool m_bTraceLand;  // map-update step names to the log; toggled with m_bTrace

void InitErrorLog();
void LogError(const char* text);

// Untrusted text (a file's token, a typed name) made safe to log: in double quotes, with
// control bytes, non-ASCII bytes and '"' written as \xNN, at most nMaxBytes of the text, and
// "..." after the closing quote when the text was cut.
std::string QuoteForLog(const std::string& strText, size_t nMaxBytes = 40);
