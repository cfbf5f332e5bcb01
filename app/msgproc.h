// The window procedure and the input state it keeps for every other component.
#pragma once

#include <windows.h>

// The one mouse-state record.
struct MouseData
{
    bool bLeftDown;
    bool bLeftUp;
    bool bRightDown;
    bool bRightUp;
    bool bLeftClick;    // cleared at the end of Render or by the step that takes the click
    bool bRightClick;
    short siX;          // pointer x, at most 1023
    short siY;          // pointer y, not clamped
};

extern MouseData SMD;
extern short m_siScreenMode;   // 0 LOAD screen, 1 SAVE screen, 2 game screen
extern bool m_bKeyDown;        // a key is held
extern int m_iKeysDown;        // key-down messages minus key-up messages

LRESULT WINAPI MsgProc(HWND hWnd, UINT msg, WPARAM wParam, LPARAM lParam);
