// The error and trace log, "ZANerrors.log" in the working directory.
#pragma once

extern bool m_bTrace;      // frame-logic step names to the log; keypad 5 toggles it
extern bool m_bTraceLand;  // map-update step names to the log; toggled with m_bTrace

void InitErrorLog();
void LogError(const char* text);
