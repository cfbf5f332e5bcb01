// The spine in process: window, device, projection, pointer and the message loop.
#include "support/devicefixture.h"

#include <cstdlib>
#include <cstdio>

#include "app/d3dservices.h"
#include "app/msgproc.h"
#include "app/startup.h"

static RECT DesktopRect()
{
    RECT rcDesk;
    GetClientRect(GetDesktopWindow(), &rcDesk);
    return rcDesk;
}

class Spine : public DeviceTest
{
};

TEST_F(Spine, RunsOnTheExpectedDesktop)
{
    const char* expected = getenv("ZAN_EXPECT_SCREEN");
    int w = 1024, h = 768;
    if (expected)
    {
        ASSERT_EQ(sscanf(expected, "%dx%d", &w, &h), 2);
    }
    RECT rcDesk = DesktopRect();
    EXPECT_EQ(rcDesk.right, w);
    EXPECT_EQ(rcDesk.bottom, h);
}

TEST_F(Spine, WindowIsATopmostPopupCoveringTheDesktop)
{
    RECT rcWin;
    GetWindowRect(m_hWnd, &rcWin);
    RECT rcDesk = DesktopRect();
    EXPECT_EQ(rcWin.left, 0);
    EXPECT_EQ(rcWin.top, 0);
    EXPECT_EQ(rcWin.right, rcDesk.right);
    EXPECT_EQ(rcWin.bottom, rcDesk.bottom);
    EXPECT_TRUE(GetWindowLongA(m_hWnd, GWL_EXSTYLE) & WS_EX_TOPMOST);
    EXPECT_TRUE(GetWindowLongA(m_hWnd, GWL_STYLE) & WS_POPUP);
    char title[64];
    GetWindowTextA(m_hWnd, title, sizeof(title));
    EXPECT_STREQ(title, "Zan ZAVAZA C/S APP");
}

TEST_F(Spine, BackBufferHasTheDesktopSize)
{
    int w = 0, h = 0;
    ReadBackBuffer(&w, &h);
    RECT rcDesk = DesktopRect();
    EXPECT_EQ(w, rcDesk.right);
    EXPECT_EQ(h, rcDesk.bottom);
}

TEST_F(Spine, ProjectionIsTallerByTheDesktopAspect)
{
    D3DXMATRIX mat;
    m_pDevice->GetTransform(D3DTS_PROJECTION, &mat);
    RECT rcDesk = DesktopRect();
    // _11 = 2 near / w and _22 = 2 near / h, so _11 / _22 = h / w = desktop width / height.
    EXPECT_NEAR(mat._11 / mat._22, (float)rcDesk.right / rcDesk.bottom, 1e-5);
    EXPECT_NEAR(mat._11, 2.0f * 0.1f / (tanf(0.3926991f) * 0.1f), 1e-3);
    EXPECT_NEAR(mat._33, 1000.0f / (1000.0f - 0.1f), 1e-6);
    EXPECT_FLOAT_EQ(mat._34, 1.0f);

    D3DXMATRIX world;
    m_pDevice->GetTransform(D3DTS_WORLD, &world);
    D3DXMATRIX iden;
    D3DXMatrixIdentity(&iden);
    EXPECT_TRUE(world == iden);
}

TEST_F(Spine, DefaultMaterialIsDarkGrey)
{
    D3DMATERIAL9 m;
    m_pDevice->GetMaterial(&m);
    EXPECT_FLOAT_EQ(m.Diffuse.r, 0.1f);
    EXPECT_FLOAT_EQ(m.Ambient.b, 0.1f);
    EXPECT_FLOAT_EQ(m.Diffuse.a, 0.0f);
    EXPECT_FLOAT_EQ(m.Power, 0.0f);
}

TEST_F(Spine, PointerXIsClampedAndYIsNot)
{
    RECT rcDesk = DesktopRect();
    MovePointer(rcDesk.right - 1, rcDesk.bottom - 1);
    UpdateCursorPosition();
    EXPECT_EQ(SMD.siX, rcDesk.right - 1 > 1023 ? 1023 : rcDesk.right - 1);
    EXPECT_EQ(SMD.siY, rcDesk.bottom - 1);

    MovePointer(1022, 5);
    UpdateCursorPosition();
    EXPECT_EQ(SMD.siX, 1022);
    EXPECT_EQ(SMD.siY, 5);
}

static int s_iFrames;
static bool s_bQueueWasEmpty;

static void CountFrameAndQuit()
{
    MSG msg;
    s_iFrames++;
    s_bQueueWasEmpty = !PeekMessageA(&msg, NULL, 0, 0, PM_NOREMOVE);
    PostQuitMessage(0);
}

TEST_F(Spine, NoFrameRunsWhileMessagesAreWaiting)
{
    s_iFrames = 0;
    for (int i = 0; i < 200; i++)
        PostThreadMessageA(GetCurrentThreadId(), WM_USER, i, 0);
    RunMessageLoop(CountFrameAndQuit);
    EXPECT_EQ(s_iFrames, 1);
    EXPECT_TRUE(s_bQueueWasEmpty);
}

static void PostMoreThenQuit()
{
    s_iFrames++;
    for (int i = 0; i < 5; i++)
        PostThreadMessageA(GetCurrentThreadId(), WM_USER, i, 0);
    PostThreadMessageA(GetCurrentThreadId(), WM_QUIT, 0, 0);
    PostThreadMessageA(GetCurrentThreadId(), WM_USER, 99, 0);
}

TEST_F(Spine, QuitEndsTheLoopBeforeAnotherFrame)
{
    s_iFrames = 0;
    RunMessageLoop(PostMoreThenQuit);
    EXPECT_EQ(s_iFrames, 1);
    MSG msg;
    while (PeekMessageA(&msg, NULL, 0, 0, PM_REMOVE))
    {
    }
}

TEST_F(Spine, DestroyPostsQuit)
{
    MsgProc(m_hWnd, WM_DESTROY, 0, 0);
    MSG msg;
    bool bQuit = false;
    while (PeekMessageA(&msg, NULL, 0, 0, PM_REMOVE))
        bQuit = bQuit || msg.message == WM_QUIT;
    EXPECT_TRUE(bQuit);
}
