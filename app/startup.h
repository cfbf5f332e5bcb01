// The process: window, Direct3D object and device, start-up, message loop and shutdown.
// needs: app/{camera,cursor,d3dservices,devicelost,frame,log,msgproc,render,renderstates,text},
//        terrain/{cavebuffers,cavemodels,caveoverlays,landtextures,mapdata,mapupdate},
//        editor/{cornerselect,editpanels,mapfile,settings}
#pragma once

#include <windows.h>
#include <d3dx9.h>

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
// The pointer into the mouse record, unless a press waits there to be taken.
void UpdateCursorPosition();

// Shutdown.
void Cleanup();
void ReleaseDeviceObjects();

// The whole life of the process; WinMain's body.
int RunZan(HINSTANCE hInstance);
