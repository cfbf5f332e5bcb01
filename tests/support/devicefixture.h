// Test fixture: the program's window and device, made as the program makes them, and a
// read-back of the rendered frame.
#pragma once

#include <gtest/gtest.h>
#include <vector>
#include <windows.h>

#include "app/d3dservices.h"

class DeviceTest : public ::testing::Test
{
protected:
    // Creates the window, the device and the transforms once per test program; later suites
    // share them.
    static void SetUpTestSuite();

    // The back buffer's pixels as 0xAARRGGBB, row by row; read before Present.
    static std::vector<DWORD> ReadBackBuffer(int* piWidth, int* piHeight);

    // One frame through Render, drawn into a target of our own that keeps it after the
    // present (under Wine the back buffer reads back black once presented).
    static std::vector<DWORD> RenderFrame(int* piWidth, int* piHeight);

    // One frame cleared to black with draw() inside the scene, read back before presenting.
    template <class F> static std::vector<DWORD> DrawnFrame(F draw, int* piWidth, int* piHeight)
    {
        m_pDevice->Clear(0, NULL, D3DCLEAR_TARGET | D3DCLEAR_ZBUFFER, 0xFF000000, 1.0f, 0);
        m_pDevice->BeginScene();
        draw();
        m_pDevice->EndScene();
        return ReadBackBuffer(piWidth, piHeight);
    }

public:
    static HWND m_hWnd;
};

// Moves the pointer and waits until the system reports it there.
void MovePointer(int x, int y);

// Removes waiting messages; true when a quit message was among them. A paint request stays
// queued until the window is validated, so it is validated here.
bool DrainQueue();

// Counts the pixels of a rectangle for which pred(colour) holds.
int CountPixels(const std::vector<DWORD>& pixels, int iWidth, int x0, int y0, int x1, int y1,
                bool (*pred)(DWORD));
