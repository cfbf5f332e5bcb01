// The frame logic: runs once a frame between the pointer poll and the rendering.
#include "app/frame.h"

#include <cmath>
#include <windows.h>
#include <mmsystem.h>

#include "app/camera.h"
#include "app/log.h"
#include "app/msgproc.h"
#include "app/renderstates.h"
#include "editor/landedit.h"
#include "editor/mapfile.h"
#include "terrain/mapupdate.h"
#include "terrain/view.h"

// The camera (x, height, z, yaw, pitch) at the last projection refresh; -1 so the first
// camera step refreshes.
static float m_fLastCamera[5] = {-1.0f, -1.0f, -1.0f, -1.0f, -1.0f};
// The clock (timeGetTime) of the previous frame, and of the start of the current one-second
// frame-counting window; both set by the first frame.
static bool s_bClockStarted = false;
static DWORD m_dwLastFrameClock;
static DWORD m_dwFPSWindowStart;
// Frames counted in the current window.
static int m_iFrames = 0;
// The clock of the last backup save; the first frame starts the count.
static bool s_bBackupClockStarted = false;
static DWORD m_dwLastBackupTime;

float m_fFrameTime = 0.0f;
int m_iFPS = 0;

static void Trace(const char* strStep)
{
    if (m_bTrace)
        LogError(strStep);
}

int ToolPopupCell(int x, int y)
{
    if (x <= m_iPopupX || x >= m_iPopupX + 64 || y <= m_iPopupY || y >= m_iPopupY + 64)
        return -1;
    int iColumn = (x - m_iPopupX) / 20;
    int iRow = (y - m_iPopupY) / 20;
    // The strips beyond the nine 20-pixel cells select nothing.
    if (iColumn > 2 || iRow > 2)
        return -1;
    return iColumn + 3 * iRow;
}

// Any left click the overlays left closes the open popup, wherever it lands, and is not seen by
// later steps; one on a cell selects its tool.
static void TakePopupClick()
{
    if (!m_bToolPopup || !SMD.bLeftClick)
        return;
    SMD.bLeftClick = false;
    SMD.bLeftDown = false;
    m_bToolPopup = false;
    int iTool = ToolPopupCell(SMD.siX, SMD.siY);
    if (iTool >= 0)
        SetEditTool(iTool);
}

static bool PointerOnScreenEdge()
{
    return SMD.siX <= 0 || SMD.siY <= 0 || SMD.siX >= 1023 || SMD.siY >= 767;
}

// True when the camera moved past the thresholds since the last refresh; the change is
// measured from the last refresh, so slow motion accumulates until it counts.
static bool CameraMovedSinceRefresh()
{
    const float fNow[5] = {GetCameraX(), GetCameraY(), GetCameraZ(), GetCameraYaw(),
                           GetCameraPitch()};
    const float fThreshold[5] = {0.1f, 0.1f, 0.1f, 0.001f, 0.001f};
    bool bMoved = false;
    for (int i = 0; i < 5; i++)
        if (fabsf(fNow[i] - m_fLastCamera[i]) > fThreshold[i])
            bMoved = true;
    if (!bMoved)
        return false;
    for (int i = 0; i < 5; i++)
        m_fLastCamera[i] = fNow[i];
    return true;
}

static void CameraStep()
{
    Trace("CheckCamera");
    CheckCamera();
    if (CameraMovedSinceRefresh())
    {
        Trace("CalculateScreenPosition");
        CalculateScreenPosition();
    }
}

// The clock is kept as the platform's unsigned milliseconds, so differences stay exact and
// survive its wrap after 49.7 days.
void MeasureFrame(DWORD dwNow)
{
    if (!s_bClockStarted)
    {
        m_dwLastFrameClock = dwNow;
        m_dwFPSWindowStart = dwNow;
        s_bClockStarted = true;
    }
    m_fFrameTime = (float)(dwNow - m_dwLastFrameClock) / 1000000.0f;

    if (dwNow - m_dwFPSWindowStart >= 1000)
    {
        m_iFPS = m_iFrames;
        m_iFrames = 0;
        m_dwFPSWindowStart = dwNow;
    }
    else
        m_iFrames++;

    m_dwLastFrameClock = dwNow;
}

// Unsigned differences keep the two minutes right across the clock's wrap.
void BackupTimer(DWORD dwNow)
{
    if (!s_bBackupClockStarted)
    {
        m_dwLastBackupTime = dwNow;
        s_bBackupClockStarted = true;
    }
    // While auto-scroll holds it back the time runs on, so the save comes once it is off.
    if (dwNow - m_dwLastBackupTime > 120000 && !m_bAutoScroll)
    {
        Trace("SaveData");
        SaveData(true, "");
        m_dwLastBackupTime = dwNow;
    }
}

void ZANRun()
{
    Trace("ZANRun");
    // The overlays' text is drawn over everything, the popup too: a click on it is theirs.
    if (m_bShowRenderStates)
        CheckRenderStateClicks();
    if (m_bShowFilters)
        CheckFilterClicks();
    TakePopupClick();

    // The SAVE and LOAD screens take the mouse: a click on them must not edit the map behind.
    if (m_siScreenMode == 2)
    {
        Trace("TestForPoint");
        TestForPoint();
        // A click released before this frame still counts: its flag outlives the button.
        if (SMD.bLeftDown || SMD.bRightDown || SMD.bLeftClick || SMD.bRightClick)
        {
            Trace("ProcessLeftMouseButton");
            ProcessLeftMouseButton();
        }
    }

    DWORD dwNow = timeGetTime();
    BackupTimer(dwNow);
    if (EaseCameraHeight())
    {
        Trace("CalculateScreenPosition");
        CalculateScreenPosition();
    }
    if (m_bAutoScroll)
    {
        // The pointer counts as on the top edge, so the camera keeps moving forward.
        Trace("SMD.siY = 0");
        SMD.siY = 0;
    }
    if (m_bKeyDown || PointerOnScreenEdge())
        CameraStep();

    MeasureFrame(dwNow);
    Trace("ZANRun End");
}
