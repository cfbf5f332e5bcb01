// Starting the program itself from a test: where zan.exe is and when its window is up.
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
