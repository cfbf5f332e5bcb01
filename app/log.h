// The error and trace log, "ZANerrors.log" in the working directory.
// needs: nothing of ours
#pragma once

#include <string>

extern bool m_bTrace;      // frame-logic step names to the log; keypad 5 toggles it
extern bool m_bTraceLand;  // map-update step names to the log; toggled with m_bTrace

void InitErrorLog();
void LogError(const char* text);
// One line formatted as printf does; a line longer than 511 characters is cut there.
void LogErrorf(const char* pszFormat, ...) __attribute__((format(printf, 1, 2)));

// Untrusted text (a file's token, a typed name) made safe to log: in double quotes, with
// control bytes, non-ASCII bytes and '"' written as \xNN, at most nMaxBytes of the text, and
// "..." after the closing quote when the text was cut.
std::string QuoteForLog(const std::string& strText, size_t nMaxBytes = 40);
