// The frame logic: clicks on the popup and overlays, camera steps, frame time and rate.
// needs: app/{camera,log,msgproc,renderstates}, terrain/{mapupdate,view},
//        editor/{landedit,mapfile}
#pragma once

#include <windows.h>

extern float m_fFrameTime;   // ms since the previous frame / 1,000,000; 0 in the first frame
extern int m_iFPS;           // frames of the last complete second; 0 until one has passed

// One frame's logic, between the pointer poll and Render.
void ZANRun();

// The tool (0 to 8) under the pointer at (x, y) in the open popup, or -1 for none.
int ToolPopupCell(int x, int y);

// ---- For tests: the steps of ZANRun with the clock reading given ----

// The backup save of ZANRun for a clock reading in ms: once more than two minutes passed
// since the last one (counted from the first call) and auto-scroll is off.
void BackupTimer(DWORD dwNow);

// The clock steps of ZANRun for a clock reading in ms; the first call starts the clock.
void MeasureFrame(DWORD dwNow);
