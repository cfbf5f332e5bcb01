// Starting the program itself from a test: where zan.exe is, when its window is up, and what
// its log says it has done. A loaded machine stretches every step, so tests wait for these
// events with generous limits instead of sleeping a fixed time.
#pragma once

#include <string>
#include <windows.h>

// zan.exe in the run directory (ZAN_RUN_DIR), as a Windows path on Wine's drive Z:.
std::string ZanExePath();

// Starts zan.exe from the run directory; false when it could not be started.
bool StartZan(PROCESS_INFORMATION* pPi);

// The program's window once it exists and has the focus (waited for up to 10 s more), or
// null after dwMs.
HWND WaitForWindow(DWORD dwMs);

// How long a test waits for any one event: a loaded machine stretches every step.
const DWORD ZAN_WAIT_MS = 120000;

// The log (ZANerrors.log in the working directory) as it stands, bytes as written.
std::string ReadZanLog();
// Waits up to ZAN_WAIT_MS for count lines holding text in the log past its first `from` bytes,
// and past the last line holding `after` when there is one; false on timeout. Start-up ends
// with the line "features\cavexneg.pie", the last cave model read.
bool WaitForLog(size_t from, const char* text, int count = 1, const char* after = nullptr);
