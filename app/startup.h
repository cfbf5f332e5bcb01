// The process: window, Direct3D object and device, start-up, message loop and shutdown.
#pragma once

#include <windows.h>
#include <d3d9.h>
#include <d3dx9.h>

extern LPDIRECT3D9 m_pD3D;             // null until InitD3D and after Cleanup
extern LPDIRECT3DDEVICE9 m_pDevice;    // the one device every component draws with; same life
extern D3DXMATRIX m_Projection;        // the projection transform set by SetupProjection

// Start-up, in WinMain's order.
HWND CreateMainWindow(HINSTANCE hInstance);
HRESULT InitD3D(HWND hWnd);
HRESULT SetupMatrices();
HRESULT SetupProjection();
void InitRenderStates();
void InitObjects();

// The loop runs pfnFrame whenever the queue is empty and returns on WM_QUIT.
void RunMessageLoop(void (*pfnFrame)());
void RunFrame();
void UpdateCursorPosition();

// Shutdown.
void Cleanup();
void ReleaseDeviceObjects();

// The whole life of the process; WinMain's body.
int RunZan(HINSTANCE hInstance);
