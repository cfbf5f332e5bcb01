// The window procedure: messages into the shared input state.
#include "app/msgproc.h"

#include "app/render.h"

MouseData SMD = {};
short m_siScreenMode = 0;
bool m_bKeyDown = false;
int m_iKeysDown = 0;

LRESULT WINAPI MsgProc(HWND hWnd, UINT msg, WPARAM wParam, LPARAM lParam)
{
    switch (msg)
    {
    case WM_DESTROY:
        PostQuitMessage(0);
        break;
    case WM_PAINT:
        Render();
        ValidateRect(hWnd, NULL);
        break;
    }
    return DefWindowProcA(hWnd, msg, wParam, lParam);
}
