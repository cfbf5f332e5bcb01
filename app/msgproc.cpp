// The window procedure: messages into the shared input state, and the key table.
#include "app/msgproc.h"

#include <windowsx.h>

#include "app/devicelost.h"
#include "app/log.h"
#include "app/render.h"
#include "app/splash.h"
#include "editor/landedit.h"
#include "editor/mapfile.h"
#include "editor/settings.h"
#include "terrain/mapdata.h"
#include "terrain/mapupdate.h"

// The mouse state: flags from button messages, position from the frame's poll.
MouseData SMD = {};
// Held-key state; every key-down sets it, the count returning to 0 clears it.
KeyboardState m_KeyboardState = {};
bool& m_bKeyDown = m_KeyboardState.bKeyDown;
// Key-down messages minus key-up messages, auto-repeats included.
int m_iKeysDown = 0;
// The screen shown: the LOAD screen at start.
short m_siScreenMode = 0;

// Display switches, toggled by the key table.
bool m_bWireframe = false;
bool m_bShowMapGrid = false;
bool m_bAutoScroll = false;
bool m_bShowFilters = false;
bool m_bShowRenderStates = false;
bool m_bLight1 = false;
bool m_bLighting = true;
bool m_bToolPopup = false;

// The tool popup's corner, set whenever Ctrl toggles it.
int m_iPopupX = 0, m_iPopupY = 0;
// Where the last drag-edit step ran, so a move to the same spot runs none.
POINT m_ptLastDrag = {0, 0};

// Ctrl: the popup opens at the pointer, shifted so the whole square stays on the screen.
static void ToggleToolPopup()
{
    m_bToolPopup = !m_bToolPopup;
    m_iPopupX = SMD.siX > 512 ? SMD.siX - 64 : SMD.siX;
    m_iPopupY = SMD.siY > 384 ? SMD.siY - 64 : SMD.siY;
}

// The memorial screen handles no message while it stands, so the clicks given meanwhile wait
// in the queue; they were meant for it, not for the land under the pointer when it returns.
static void ShowMemorial()
{
    ShowSplash();
    MSG msg;
    while (PeekMessageA(&msg, NULL, WM_MOUSEFIRST, WM_MOUSELAST, PM_REMOVE))
        ;
    SMD.bLeftDown = SMD.bRightDown = SMD.bLeftClick = SMD.bRightClick = false;
    SMD.bLeftUp = SMD.bRightUp = true;
    EndHold();
}

static void Escape()
{
    if (m_siScreenMode == 2)
    {
        ShowSplash();
        SaveData(true, "");
        PostQuitMessage(0);
    }
    else
        m_siScreenMode = 2;
}

// Keys that act in every screen mode; returns false for a key that is not one of them.
static bool AllModesKey(WPARAM key)
{
    switch (key)
    {
    case VK_CONTROL:
        ToggleToolPopup();
        return true;
    case VK_ESCAPE:
        Escape();
        return true;
    case VK_NUMPAD5:
        m_bTraceLand = !m_bTraceLand;
        m_bTrace = !m_bTrace;
        return true;
    case VK_MULTIPLY:
        NextTexturePage();
        return true;
    case VK_ADD:
        RaiseSelectedCorner();
        return true;
    case VK_SUBTRACT:
        LowerSelectedCorner();
        return true;
    case VK_DIVIDE:
        PreviousTexturePage();
        return true;
    }
    return false;
}

// Keys that act only in the game screen.
static void GameKey(WPARAM key)
{
    switch (key)
    {
    case 'A': ToggleAlphaLayer(); break;
    case 'B': ToggleBaseTextures(); break;
    case 'C': m_bShowMapGrid = !m_bShowMapGrid; break;
    case 'D': m_bShowRenderStates = !m_bShowRenderStates; break;
    case 'E': ToggleFastEdit(); break;
    case 'F': m_bShowFilters = !m_bShowFilters; break;
    case 'G': ToggleGrid(); break;
    case 'H': ToggleMiniMapMode(); break;
    case 'I': ShowMemorial(); break;
    case 'J': m_bLight1 = !m_bLight1; break;
    case 'L': m_bLighting = !m_bLighting; break;
    case 'M': m_bAutoScroll = !m_bAutoScroll; break;
    case 'N': ToggleNormals(); break;
    case 'R': m_siScreenMode = 0; break;
    case 'S': m_siScreenMode = 1; break;
    case 'T': ToggleTextureStrip(); break;
    case 'W': m_bWireframe = !m_bWireframe; break;
    case 'X': ToggleCaveEditMode(); break;
    }
}

// The SAVE screen types each key as its message comes, so a name takes the keys in the order
// pressed, however they overlap and however slow the frames are.
static void TypeKey(WPARAM key)
{
    if (m_bTrace)
        LogError("GetKeyboardData");
    GetKeyboardData(m_cTypedName, key);
}

static void KeyDown(WPARAM key)
{
    m_bKeyDown = true;
    m_iKeysDown++;
    if (AllModesKey(key))
        return;
    if (m_siScreenMode == 2)
        GameKey(key);
    else if (m_siScreenMode == 1)
        TypeKey(key);
}

static void KeyUp()
{
    m_iKeysDown--;
    if (m_iKeysDown == 0)
        m_bKeyDown = false;
}

// A drag step runs only when the polled pointer moved since the last one.
static void MouseMove(POINT ptCursor)
{
    if (!SMD.bLeftDown || m_siScreenMode != 2)
        return;
    if (ptCursor.x == m_ptLastDrag.x && ptCursor.y == m_ptLastDrag.y)
        return;
    m_ptLastDrag = ptCursor;
    ProcessLeftMouseButton();
}

// A press acts where its button went down, not where the pointer is when a slow frame gets to
// it: the message brings the point, and the frame's poll leaves it until the press is taken.
static void ButtonDown(HWND hWnd, LPARAM lParam, bool bLeft)
{
    POINT pt = {GET_X_LPARAM(lParam), GET_Y_LPARAM(lParam)};
    ClientToScreen(hWnd, &pt);
    SMD.siX = (short)(pt.x > 1023 ? 1023 : pt.x);
    SMD.siY = (short)pt.y;
    // A second button pressed during a hold keeps to where the first went down.
    if (!SMD.bLeftDown && !SMD.bRightDown)
        BeginHold(SMD.siX, SMD.siY, bLeft);
    if (bLeft)
    {
        SMD.bLeftUp = false;
        SMD.bLeftDown = SMD.bLeftClick = true;
    }
    else
    {
        SMD.bRightUp = false;
        SMD.bRightDown = SMD.bRightClick = true;
    }
}

static void ButtonUp(bool bLeft)
{
    (bLeft ? SMD.bLeftDown : SMD.bRightDown) = false;
    (bLeft ? SMD.bLeftUp : SMD.bRightUp) = true;
    if (!SMD.bLeftDown && !SMD.bRightDown)
        EndHold();
}

LRESULT WINAPI MsgProc(HWND hWnd, UINT msg, WPARAM wParam, LPARAM lParam)
{
    POINT ptCursor = {SMD.siX, SMD.siY};
    switch (msg)
    {
    case WM_DESTROY:
        // The window is gone for good: the work is kept in the backup.
        WindowDestroyed();
        PostQuitMessage(0);
        break;
    case WM_PAINT:
        Render();
        ValidateRect(hWnd, NULL);
        break;
    case WM_KEYDOWN:
        KeyDown(wParam);
        break;
    case WM_KEYUP:
        KeyUp();
        break;
    case WM_MOUSEMOVE:
        MouseMove(ptCursor);
        break;
    case WM_LBUTTONDOWN:
    case WM_RBUTTONDOWN:
        ButtonDown(hWnd, lParam, msg == WM_LBUTTONDOWN);
        break;
    case WM_LBUTTONUP:
    case WM_RBUTTONUP:
        ButtonUp(msg == WM_LBUTTONUP);
        break;
    }
    return DefWindowProcA(hWnd, msg, wParam, lParam);
}
