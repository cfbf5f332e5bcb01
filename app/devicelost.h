// A lost device or display: a device lost for a while is waited for and reset; a display lost
// for good ends the program in order, with the backup written. A loop that stops turning (the
// platform stuck on a vanished display) is caught by a watch thread that does the same.
// needs: app/{d3dservices,log,text,textfont}, editor/mapfile
#pragma once

#include <windows.h>

// Before drawing a frame: false while the device is lost (the call then waits a little, so
// the loop does not spin).
bool IsDeviceReady();

// After every Present, with its result.
void CheckPresentResult(HRESULT hr);

// Logs the cause once, writes the backup and posts the quit message; later calls do nothing.
void GiveUpDisplay(const char* pszWhy, HRESULT hr);

// The same for the window closed or destroyed (WM_DESTROY).
void WindowDestroyed();

// The watch on the message loop: started before the loop, told of every pass, stopped after it.
// Once neither a pass nor a log line came for HANG_LIMIT_MS while the loop's thread used almost
// no CPU (stuck waiting), or for SPIN_LIMIT_MS however busy it was, the watch logs it, writes
// the backup, logs "Closing down" and ends the process: the loop's thread cannot any more.
const DWORD HANG_LIMIT_MS = 8000;
const DWORD SPIN_LIMIT_MS = 15000;
void StartLoopWatch();
void NoteLoopPass();
void StopLoopWatch();
