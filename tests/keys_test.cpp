// The window procedure: held-key counting, the key table in each screen mode, the tool popup's
// corner, mouse buttons and drag steps; and the same through real input in the message loop.
#include "support/devicefixture.h"

#include <mmsystem.h>

#include "app/camera.h"
#include "app/d3dservices.h"
#include "app/frame.h"
#include "app/log.h"
#include "app/msgproc.h"
#include "app/startup.h"
#include "terrain/mapdata.h"
#include "terrain/mapupdate.h"

class Keys : public DeviceTest
{
protected:
    void SetUp() override
    {
        DrainQueue();
        m_iKeysDown = 0;
        m_bKeyDown = false;
        m_siScreenMode = 2;
        m_bToolPopup = false;
        SMD = MouseData();
    }

    static void Down(WPARAM key) { MsgProc(m_hWnd, WM_KEYDOWN, key, 0); }
    static void Up(WPARAM key) { MsgProc(m_hWnd, WM_KEYUP, key, 0); }
    static void Press(WPARAM key)
    {
        Down(key);
        Up(key);
    }
};

TEST_F(Keys, EveryKeyDownAndUpCountsAutoRepeatIncluded)
{
    for (int i = 0; i < 3; i++)
        Down(VK_SPACE);   // held long enough to repeat
    Up(VK_SPACE);
    EXPECT_EQ(m_iKeysDown, 2);
    EXPECT_TRUE(m_bKeyDown);
    Up(VK_SPACE);
    Up(VK_SPACE);
    EXPECT_EQ(m_iKeysDown, 0);
    EXPECT_FALSE(m_bKeyDown);

    bool bWireframe = m_bWireframe;
    for (int i = 0; i < 3; i++)
        Down('W');
    EXPECT_NE(m_bWireframe, bWireframe) << "a held toggle key toggles on every repeat";
    for (int i = 0; i < 3; i++)
        Up('W');
    m_bWireframe = bWireframe;
}

TEST_F(Keys, AnUnmatchedKeyUpKeepsTheKeyHeldUntilTheCountPassesZero)
{
    Up(VK_SPACE);
    EXPECT_EQ(m_iKeysDown, -1);
    Down(VK_SPACE);
    Up(VK_SPACE);
    EXPECT_EQ(m_iKeysDown, -1);
    EXPECT_TRUE(m_bKeyDown);
    Down(VK_SPACE);
    Down(VK_SPACE);
    Up(VK_SPACE);
    EXPECT_EQ(m_iKeysDown, 0);
    EXPECT_FALSE(m_bKeyDown);
}

TEST_F(Keys, GameKeysActOnlyOnTheGameScreen)
{
    const WPARAM keys[] = {'A', 'B', 'C', 'D', 'F', 'G', 'H', 'J', 'L', 'M', 'N', 'R', 'S', 'W'};
    bool* const pbSwitches[] = {&m_bWireframe, &m_bShowMapGrid, &m_bAutoScroll, &m_bShowFilters,
                                &m_bShowRenderStates, &m_bLight1, &m_bLighting,
                                &m_bAlphaTextures, &m_bBaseTextures, &bGrid, &m_bNormals,
                                &m_bMMTex};
    bool bBefore[12];
    for (int i = 0; i < 12; i++)
        bBefore[i] = *pbSwitches[i];
    for (short siMode = 0; siMode <= 1; siMode++)
    {
        m_siScreenMode = siMode;
        for (WPARAM key : keys)
            Press(key);
        EXPECT_EQ(m_siScreenMode, siMode);
        for (int i = 0; i < 12; i++)
            EXPECT_EQ(*pbSwitches[i], bBefore[i]) << "switch " << i << " in mode " << siMode;
    }

    m_siScreenMode = 2;
    for (WPARAM key : keys)
        if (key != 'R' && key != 'S')
            Press(key);
    for (int i = 0; i < 12; i++)
        EXPECT_NE(*pbSwitches[i], bBefore[i]) << "switch " << i;
    for (WPARAM key : keys)
        if (key != 'R' && key != 'S')
            Press(key);
}

TEST_F(Keys, KeypadKeysActOnEveryScreen)
{
    m_siScreenMode = 0;
    Press(VK_NUMPAD5);
    EXPECT_TRUE(m_bTrace);
    EXPECT_TRUE(m_bTraceLand);
    Press(VK_NUMPAD5);
    EXPECT_FALSE(m_bTrace);
    EXPECT_FALSE(m_bTraceLand);
    Press(VK_CONTROL);
    EXPECT_TRUE(m_bToolPopup) << "the popup opens on the LOAD screen too";
    Press(VK_CONTROL);
    EXPECT_FALSE(m_bToolPopup);
}

TEST_F(Keys, SaveAndLoadKeysSwitchScreens)
{
    Down('S');
    EXPECT_EQ(m_siScreenMode, 1);
    EXPECT_EQ(m_iKeysDown, 1);
    Up('S');
    m_siScreenMode = 2;
    Press('R');
    EXPECT_EQ(m_siScreenMode, 0);
}

TEST_F(Keys, CtrlOpensThePopupWhereItFitsOnTheScreen)
{
    SMD.siX = 600;
    SMD.siY = 500;
    Press(VK_CONTROL);
    EXPECT_TRUE(m_bToolPopup);
    EXPECT_EQ(m_iPopupX, 536);
    EXPECT_EQ(m_iPopupY, 436);

    SMD.siX = 512;
    SMD.siY = 384;
    Press(VK_CONTROL);
    EXPECT_FALSE(m_bToolPopup) << "a second Ctrl closes it";
    EXPECT_EQ(m_iPopupX, 512) << "and still moves the corner";
    EXPECT_EQ(m_iPopupY, 384);
}

TEST_F(Keys, EscapeLeavesTheSettingsScreensAndQuitsTheGame)
{
    for (short siMode = 0; siMode <= 1; siMode++)
    {
        m_siScreenMode = siMode;
        Press(VK_ESCAPE);
        EXPECT_EQ(m_siScreenMode, 2);
        EXPECT_FALSE(DrainQueue()) << "no quit from mode " << siMode;
    }
    Press(VK_ESCAPE);
    EXPECT_TRUE(DrainQueue());
}

TEST_F(Keys, ButtonsSetTheirFlagsAndAClickOutlivesTheRelease)
{
    MsgProc(m_hWnd, WM_LBUTTONDOWN, 0, 0);
    EXPECT_TRUE(SMD.bLeftClick);
    EXPECT_TRUE(SMD.bLeftDown);
    EXPECT_FALSE(SMD.bLeftUp);
    MsgProc(m_hWnd, WM_LBUTTONUP, 0, 0);
    EXPECT_TRUE(SMD.bLeftClick);
    EXPECT_FALSE(SMD.bLeftDown);
    EXPECT_TRUE(SMD.bLeftUp);

    MsgProc(m_hWnd, WM_RBUTTONDOWN, 0, 0);
    EXPECT_TRUE(SMD.bRightClick);
    EXPECT_TRUE(SMD.bRightDown);
    MsgProc(m_hWnd, WM_RBUTTONUP, 0, 0);
    EXPECT_FALSE(SMD.bRightDown);
    EXPECT_TRUE(SMD.bRightUp);
}

TEST_F(Keys, ADragStepRunsOnlyAtANewPolledPosition)
{
    m_ptLastDrag = {0, 0};
    SMD.siX = 10;
    SMD.siY = 20;
    MsgProc(m_hWnd, WM_MOUSEMOVE, 0, MAKELPARAM(99, 99));
    EXPECT_EQ(m_ptLastDrag.x, 0) << "left button up: no step";

    SMD.bLeftDown = true;
    MsgProc(m_hWnd, WM_MOUSEMOVE, 0, MAKELPARAM(99, 99));
    EXPECT_EQ(m_ptLastDrag.x, 10) << "the polled position, not the message's";
    EXPECT_EQ(m_ptLastDrag.y, 20);
    SMD.siY = 21;
    MsgProc(m_hWnd, WM_MOUSEMOVE, 0, 0);
    EXPECT_EQ(m_ptLastDrag.y, 21);
}

// The real message loop fed by the system's input queue.
class RealInput : public Keys
{
protected:
    static bool (*s_pfnDone)();
    static DWORD s_dwDeadline;

    // A frame: the pointer poll and the frame logic; the loop ends once the test's
    // condition holds or time runs out.
    static void Frame()
    {
        UpdateCursorPosition();
        ZANRun();
        if (s_pfnDone() || timeGetTime() > s_dwDeadline)
            PostQuitMessage(0);
    }

    static bool RunLoopUntil(bool (*pfnDone)())
    {
        s_pfnDone = pfnDone;
        s_dwDeadline = timeGetTime() + 3000;
        RunMessageLoop(Frame);
        return pfnDone();
    }

    static void SendKey(WORD wVk, bool bUp)
    {
        INPUT in = {};
        in.type = INPUT_KEYBOARD;
        in.ki.wVk = wVk;
        in.ki.dwFlags = bUp ? KEYEVENTF_KEYUP : 0;
        SendInput(1, &in, sizeof(INPUT));
    }

    static void SendPress(WORD wVk)
    {
        SendKey(wVk, false);
        SendKey(wVk, true);
    }

    static void SetUpTestSuite()
    {
        DeviceTest::SetUpTestSuite();
        InitMapData();
    }

    void SetUp() override
    {
        Keys::SetUp();
        SetForegroundWindow(m_hWnd);
        MovePointer(500, 400);
        InitCamera();
    }
};

bool (*RealInput::s_pfnDone)();
DWORD RealInput::s_dwDeadline;

TEST_F(RealInput, KeysReachTheKeyTableThroughTheLoop)
{
    m_siScreenMode = 0;
    m_bShowRenderStates = false;
    SendPress('D');
    SendPress(VK_ESCAPE);
    ASSERT_TRUE(RunLoopUntil([] { return m_siScreenMode == 2 && m_iKeysDown == 0; }));
    EXPECT_FALSE(m_bShowRenderStates) << "D on the LOAD screen does nothing";

    SendPress('D');
    ASSERT_TRUE(RunLoopUntil([] { return m_bShowRenderStates && m_iKeysDown == 0; }));
    SendPress('D');
    ASSERT_TRUE(RunLoopUntil([] { return !m_bShowRenderStates && m_iKeysDown == 0; }));
}

TEST_F(RealInput, AHeldArrowTurnsTheCameraUntilReleased)
{
    SendKey(VK_LEFT, false);
    ASSERT_TRUE(RunLoopUntil([] { return GetCameraYaw() > 0.0f && GetCameraYaw() < 6.28f; }));
    EXPECT_TRUE(PollCameraKeys() & CAMKEY_LEFT);
    EXPECT_TRUE(m_bKeyDown);
    SendKey(VK_LEFT, true);
    ASSERT_TRUE(RunLoopUntil([] { return !m_bKeyDown; }));
    EXPECT_EQ(PollCameraKeys(), 0);
    float fYaw = GetCameraYaw();
    RunLoopUntil([] { return true; });
    EXPECT_EQ(GetCameraYaw(), fYaw);
}

TEST_F(RealInput, CtrlThenAClickOpensAndClosesThePopup)
{
    MovePointer(600, 500);
    RunLoopUntil([] { return true; });   // a frame polls the pointer for the key to use
    SendPress(VK_CONTROL);
    ASSERT_TRUE(RunLoopUntil([] { return m_bToolPopup && m_iKeysDown == 0; }));
    EXPECT_EQ(m_iPopupX, 536);
    EXPECT_EQ(m_iPopupY, 436);

    INPUT in[2] = {};
    in[0].type = in[1].type = INPUT_MOUSE;
    in[0].mi.dwFlags = MOUSEEVENTF_LEFTDOWN;
    in[1].mi.dwFlags = MOUSEEVENTF_LEFTUP;
    SendInput(2, in, sizeof(INPUT));
    ASSERT_TRUE(RunLoopUntil([] { return !m_bToolPopup && SMD.bLeftUp; }));
    EXPECT_FALSE(SMD.bLeftClick) << "the popup took the click";
}
