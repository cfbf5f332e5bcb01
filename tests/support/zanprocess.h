// Starting the program itself from a test: where zan.exe is, when its window is up, and what
// its log says it has done. A loaded machine stretches every step, so tests wait for these
// events with generous limits instead of sleeping a fixed time.
#pragma once

#include <initializer_list>
#include <string>
#include <windows.h>

// zan.exe in the run directory (ZAN_RUN_DIR), as a Windows path on Wine's drive Z:.
std::string ZanExePath();

// Starts zan.exe from the run directory; false when it could not be started.
bool StartZan(PROCESS_INFORMATION* pPi);

// The program's window once it exists and has the focus (waited for up to 10 s more), or
// null after dwMs.
HWND WaitForWindow(DWORD dwMs);

// Waits up to dwMs for the lines holding each text, one after the other in this order, in the
// log (ZANerrors.log in the working directory) past its first `from` bytes; false on timeout.
bool WaitForLog(size_t from, std::initializer_list<const char*> texts, DWORD dwMs);
// The log as it stands, bytes as written.
std::string ReadZanLog();
// Started: the last cave model read is the last step before the message loop.
bool WaitForStartUp(DWORD dwMs);
