// The window procedure and the input state it keeps for every other component.
// needs: app/{devicelost,log,render,splash}, terrain/{mapdata,mapupdate},
//        editor/{landedit,mapfile,settings}
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
    short siX;          // pointer x, at most 1023; while a press waits, where it went down
    short siY;          // pointer y, not clamped
};

// The keyboard record: whether a key is held.
struct KeyboardState
{
    bool bKeyDown;
};

extern MouseData SMD;
extern KeyboardState m_KeyboardState;
extern bool& m_bKeyDown;       // a key is held (the flag of m_KeyboardState)
extern int m_iKeysDown;        // key-down messages minus key-up messages
extern short m_siScreenMode;   // 0 LOAD screen, 1 SAVE screen, 2 game screen

// Display switches, each toggled by its key.
extern bool m_bWireframe;          // W: land in wireframe
extern bool m_bShowMapGrid;        // C: text map of the displayable tiles
extern bool m_bAutoScroll;         // M: pointer pinned to the top edge, no backup save
extern bool m_bShowFilters;        // F: filter overlay
extern bool m_bShowRenderStates;   // D: render-state overlay
extern bool m_bLight1;             // J: overhead spot light
extern bool m_bLighting;           // L: lighting render state; starts true
extern bool m_bToolPopup;          // Ctrl: the tool popup is open

extern int m_iPopupX, m_iPopupY;   // top-left corner of the 64 x 64 tool popup
extern POINT m_ptLastDrag;         // pointer position of the last drag-edit step

LRESULT WINAPI MsgProc(HWND hWnd, UINT msg, WPARAM wParam, LPARAM lParam);
