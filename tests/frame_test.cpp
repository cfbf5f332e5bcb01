// The frame logic: the popup and overlays taking clicks, when the camera step and the
// projection refresh run, and the frame time and rate.
#include "support/devicefixture.h"

#include <algorithm>
#include <fstream>
#include <string>
#include <vector>
#include <mmsystem.h>

#include "app/camera.h"
#include "app/frame.h"
#include "app/log.h"
#include "app/msgproc.h"
#include "app/renderstates.h"
#include "app/startup.h"
#include "editor/landedit.h"
#include "terrain/mapdata.h"
#include "terrain/mapupdate.h"
#include "support/readback.h"

static int CountLines(const std::vector<std::string>& lines, const char* text)
{
    return (int)std::count(lines.begin(), lines.end(), std::string(text));
}

class FrameLogic : public DeviceTest
{
protected:
    static void SetUpTestSuite()
    {
        DeviceTest::SetUpTestSuite();
        InitMapData();
    }

    void SetUp() override
    {
        SMD = MouseData();
        SMD.siX = 500;
        SMD.siY = 400;
        m_bKeyDown = false;
        m_bToolPopup = false;
        m_bShowFilters = false;
        m_bShowRenderStates = false;
        m_bAutoScroll = false;
        m_siScreenMode = 2;   // the game screen, where the editor's steps run
        m_bTrace = true;
        InitCamera();
        InitErrorLog();
    }

    void TearDown() override { m_bTrace = false; }

    // One frame with the frame time the camera is to move by.
    static void RunFrameWith(float fFrameTime)
    {
        m_fFrameTime = fFrameTime;
        ZANRun();
    }
};

// Runs first: the clock starts with this program's first frame.
TEST_F(FrameLogic, FirstFrameHasNoFrameTimeAndNoRate)
{
    m_fFrameTime = 0.5f;
    ZANRun();
    EXPECT_EQ(m_fFrameTime, 0.0f);
    EXPECT_EQ(m_iFPS, 0);
}

TEST_F(FrameLogic, FrameTimeIsMillisecondsOverAMillionAndTheRateCountsWholeSeconds)
{
    DWORD dwBase = timeGetTime() + 10000;
    MeasureFrame(dwBase);   // closes whatever window was open
    for (DWORD dwMs = 10; dwMs < 1000; dwMs += 10)
    {
        MeasureFrame(dwBase + dwMs);
        EXPECT_FLOAT_EQ(m_fFrameTime, 10.0f / 1000000.0f);
    }
    MeasureFrame(dwBase + 1000);
    EXPECT_EQ(m_iFPS, 99) << "the frame that opens a window is not counted in it";
    MeasureFrame(dwBase + 1999);
    MeasureFrame(dwBase + 2000);
    EXPECT_EQ(m_iFPS, 1);

    MeasureFrame(0xFFFFFFF0u);
    MeasureFrame(0x10u);
    EXPECT_FLOAT_EQ(m_fFrameTime, 32.0f / 1000000.0f) << "across the clock's wrap";
}

TEST_F(FrameLogic, PopupCellsFollowTheTwentyPixelGrid)
{
    m_iPopupX = 100;
    m_iPopupY = 100;
    EXPECT_EQ(ToolPopupCell(101, 101), 0);
    EXPECT_EQ(ToolPopupCell(141, 121), 5);
    EXPECT_EQ(ToolPopupCell(159, 159), 8);
    EXPECT_EQ(ToolPopupCell(100, 130), -1) << "the popup's own edge";
    EXPECT_EQ(ToolPopupCell(163, 110), -1) << "the strip beyond the third column";
    EXPECT_EQ(ToolPopupCell(110, 160), -1) << "the strip beyond the third row";
    EXPECT_EQ(ToolPopupCell(164, 110), -1);
}

TEST_F(FrameLogic, AnyClickClosesThePopupAndIsConsumed)
{
    const int points[][2] = {{50, 210}, {163, 110}, {700, 700}};
    for (const auto& pt : points)
    {
        m_bToolPopup = true;
        m_iPopupX = 100;
        m_iPopupY = 100;
        SMD.siX = (short)pt[0];
        SMD.siY = (short)pt[1];
        SMD.bLeftClick = SMD.bLeftDown = true;
        ZANRun();
        EXPECT_FALSE(m_bToolPopup);
        EXPECT_FALSE(SMD.bLeftClick);
        EXPECT_FALSE(SMD.bLeftDown);
    }
    m_bToolPopup = true;
    ZANRun();
    EXPECT_TRUE(m_bToolPopup) << "no click, popup stays";
}

TEST_F(FrameLogic, TheRenderStateOverlayTakesTheClickBeforeTheFilterOverlay)
{
    m_bShowRenderStates = m_bShowFilters = true;
    DWORD dwSrc = m_dwSrcBlend, dwMin = m_dwMinFilter;
    SMD.siX = 50;
    SMD.siY = 210;
    SMD.bLeftClick = SMD.bLeftDown = true;
    ZANRun();
    EXPECT_NE(m_dwSrcBlend, dwSrc);
    EXPECT_EQ(m_dwMinFilter, dwMin);
    EXPECT_FALSE(SMD.bLeftClick);

    SetEditTool(TOOL_PAINT_HEIGHT);   // 256, over the land behind the text
    CalculateScreenPosition();
    MovePointer(500, 400);   // the pointer is on the land before the frame takes the press
    MsgProc(m_hWnd, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(280, 248));   // "D3DTOP_MODULATE"
    UpdateCursorPosition();
    ZANRun();
    EXPECT_STREQ(m_strTSS0ColorOp, "D3DTOP_MODULATE2X");
    const short* psi = &m_MapData.siHeight[0][0];
    EXPECT_EQ(std::count(psi, psi + 10000, 0), 10000) << "no corner raised behind the text";
    MsgProc(m_hWnd, WM_LBUTTONUP, 0, MAKELPARAM(500, 400));

    m_bShowRenderStates = false;
    SMD.siX = 150;   // on MIPFILTER's "LINEAR", with the popup open
    m_bToolPopup = SMD.bLeftClick = true;
    ZANRun();
    EXPECT_EQ(m_dwMipFilter, 3u) << "alone, the filter overlay takes its value's text";
    EXPECT_TRUE(m_bToolPopup) << "no overlay's click reached the popup";

    m_dwMinFilter = 0;   // "NONE" ends short of x 150; the row is as wide as "PYRAMIDALQUAD"
    SMD.siY = 210;
    SMD.bLeftClick = true;
    ZANRun();
    EXPECT_EQ(m_dwMinFilter, 1u);
}

TEST_F(FrameLogic, CameraStepRunsOnAHeldKeyOrTheScreenEdges)
{
    struct Case { short x, y; bool bKey; bool bStep; };
    const Case cases[] = {{1023, 400, false, true}, {1022, 400, false, false},
                          {500, 767, false, true}, {500, 900, false, true},
                          {0, 400, false, true}, {500, 0, false, true},
                          {500, 400, true, true}, {500, 400, false, false}};
    for (const Case& c : cases)
    {
        InitErrorLog();
        SMD.siX = c.x;
        SMD.siY = c.y;
        m_bKeyDown = c.bKey;
        ZANRun();
        EXPECT_EQ(CountLines(ReadLog(), "CheckCamera"), c.bStep ? 1 : 0) << c.x << "," << c.y;
    }
}

TEST_F(FrameLogic, AutoScrollPinsThePointerToTheTopEdge)
{
    m_bAutoScroll = true;
    RunFrameWith(0.001f);
    EXPECT_EQ(SMD.siY, 0);
    std::vector<std::string> expected = {"ZANerrors.log started ", "ZANRun", "TestForPoint",
                                         "SMD.siY = 0", "CheckCamera",
                                         "CalculateScreenPosition", "ZANRun End"};
    EXPECT_EQ(ReadLog(), expected);
    EXPECT_GT(GetCameraZ(), 30.0f) << "moving forward";
}

TEST_F(FrameLogic, ProjectionRefreshesOnlyPastTheAccumulatedThresholds)
{
    m_bKeyDown = true;
    SMD.siY = 0;                    // the top edge: forward
    RunFrameWith(1.0f / 3000.0f);   // a full unit: refreshes
    InitErrorLog();
    for (int i = 0; i < 2; i++)
        RunFrameWith(0.04f / 3000.0f);
    EXPECT_EQ(CountLines(ReadLog(), "CalculateScreenPosition"), 0) << "0.08 moved";
    RunFrameWith(0.04f / 3000.0f);
    EXPECT_EQ(CountLines(ReadLog(), "CalculateScreenPosition"), 1) << "0.12 moved";
}
