// Start-up, the device, the message loop and shutdown, in the order the program lives them.
#include "app/startup.h"

#include <cmath>

#include "app/camera.h"
#include "app/cursor.h"
#include "app/d3dservices.h"
#include "app/devicelost.h"
#include "app/frame.h"
#include "app/log.h"
#include "app/msgproc.h"
#include "app/render.h"
#include "app/renderstates.h"
#include "app/text.h"
#include "editor/cornerselect.h"
#include "editor/editpanels.h"
#include "editor/mapfile.h"
#include "editor/settings.h"
#include "terrain/cavebuffers.h"
#include "terrain/cavemodels.h"
#include "terrain/caveoverlays.h"
#include "terrain/landtextures.h"
#include "terrain/mapdata.h"
#include "terrain/mapupdate.h"

static const char* const CLASS_NAME = "Zan ZAVAZA";
static const float FIELD_OF_VIEW = 0.7853982f;
static const float NEAR_PLANE = 0.1f;
static const float FAR_PLANE = 1000.0f;

D3DXMATRIX m_Projection;

static RECT rc;                  // the desktop's client rectangle, read at start and by the projection
static D3DPRESENT_PARAMETERS d3dpp;
static D3DMATERIAL9 mtrl;        // the default material

HWND CreateMainWindow(HINSTANCE hInstance)
{
    WNDCLASSEXA wc = {};
    wc.cbSize = sizeof(WNDCLASSEXA);
    wc.style = CS_GLOBALCLASS;
    wc.lpfnWndProc = MsgProc;
    wc.hInstance = hInstance;
    wc.lpszClassName = CLASS_NAME;
    RegisterClassExA(&wc);

    GetClientRect(GetDesktopWindow(), &rc);
    return CreateWindowExA(WS_EX_TOPMOST, CLASS_NAME, "Zan ZAVAZA C/S APP",
                           WS_POPUP | WS_VISIBLE, rc.left, rc.top, rc.right, rc.bottom,
                           GetDesktopWindow(), NULL, hInstance, NULL);
}

static bool CreateDeviceWith(HWND hWnd, DWORD dwBehaviour)
{
    return SUCCEEDED(m_pD3D->CreateDevice(D3DADAPTER_DEFAULT, D3DDEVTYPE_HAL, hWnd, dwBehaviour,
                                          &d3dpp, &m_pDevice));
}

HRESULT InitD3D(HWND hWnd)
{
    m_pD3D = Direct3DCreate9(D3D_SDK_VERSION);
    if (m_pD3D == NULL)
    {
        LogError("Failed to create the D3D Object ");
        return E_FAIL;
    }

    ZeroMemory(&d3dpp, sizeof(d3dpp));
    d3dpp.SwapEffect = D3DSWAPEFFECT_DISCARD;
    d3dpp.Windowed = TRUE;
    d3dpp.EnableAutoDepthStencil = TRUE;
    d3dpp.AutoDepthStencilFormat = D3DFMT_D16;
    d3dpp.PresentationInterval = D3DPRESENT_INTERVAL_IMMEDIATE;

    if (CreateDeviceWith(hWnd, D3DCREATE_HARDWARE_VERTEXPROCESSING))
        return 0;
    LogError("Failed to create the D3D Hardware Device ");
    if (CreateDeviceWith(hWnd, D3DCREATE_MIXED_VERTEXPROCESSING))
        return 0;
    LogError("Failed to create the D3D Mixed Device ");
    if (CreateDeviceWith(hWnd, D3DCREATE_SOFTWARE_VERTEXPROCESSING))
        return 0;
    LogError("Failed to create the D3D Software Device ");
    return E_FAIL;
}

HRESULT SetupMatrices()
{
    return SetupProjection();
}

HRESULT SetupProjection()
{
    float w = tanf(FIELD_OF_VIEW * 0.5f) * NEAR_PLANE;
    GetClientRect(GetDesktopWindow(), &rc);
    // The width times the desktop's aspect, not divided by it: the view is taller than wide.
    float h = w * (float)rc.right / (float)rc.bottom;
    D3DXMatrixPerspectiveLH(&m_Projection, w, h, NEAR_PLANE, FAR_PLANE);
    m_pDevice->SetTransform(D3DTS_PROJECTION, &m_Projection);
    SetViewMatrix();

    D3DXMATRIX matIden;
    D3DXMatrixIdentity(&matIden);
    m_pDevice->SetTransform(D3DTS_WORLD, &matIden);
    return 0;
}

void InitRenderStates()
{
    FillRenderStateNames();
    m_bKeyDown = false;
    SMD.bLeftDown = false;
    SMD.bRightDown = false;
    SMD.bLeftClick = false;
    SMD.bRightClick = false;

    ZeroMemory(&mtrl, sizeof(mtrl));
    mtrl.Diffuse.r = mtrl.Diffuse.g = mtrl.Diffuse.b = 0.1f;
    mtrl.Ambient.r = mtrl.Ambient.g = mtrl.Ambient.b = 0.1f;
    m_pDevice->SetMaterial(&mtrl);
}

void InitObjects()
{
    InitFont();
    InitErrorLog();
    InitCursor();
    InitCamera();
    InitMapData();
    LoadLandTextures();
    RestoreLandEditGUI();
    BuildLandEditGUI();
    RestoreSettingsGUI();
    LoadCaveModels();
    // The blank map is nobody's work: the backup keeps the last session's until it changes.
    MarkMapSaved();
}

void RunMessageLoop(void (*pfnFrame)())
{
    MSG msg;
    ZeroMemory(&msg, sizeof(msg));
    while (msg.message != WM_QUIT)
    {
        NoteLoopPass();
        if (PeekMessageA(&msg, NULL, 0U, 0U, PM_REMOVE))
        {
            TranslateMessage(&msg);
            DispatchMessageA(&msg);
        }
        else
            pfnFrame();
    }
}

void RunFrame()
{
    UpdateCursorPosition();
    ZANRun();
    Render();
}

void UpdateCursorPosition()
{
    // A press not yet taken keeps the point its button went down at.
    if (SMD.bLeftClick || SMD.bRightClick)
        return;
    POINT ptCursor;
    GetCursorPos(&ptCursor);
    SMD.siX = (short)ptCursor.x;
    SMD.siY = (short)ptCursor.y;
    if (SMD.siX > 1023)
        SMD.siX = 1023;
}

void Cleanup()
{
    // The pointers are cleared too, so a second Cleanup releases nothing twice.
    ReleaseAndClear(m_pDevice);
    ReleaseAndClear(m_pD3D);
    ReleaseDeviceObjects();
}

void ReleaseDeviceObjects()
{
    CloseMapData();
    DeleteFont();
    ReleaseCursor();
    ReleaseLandEditGUI();
    ReleaseSettingsGUI();
    ReleaseCaves();
    ReleaseCornerSelector();
    ReleaseOverlayVBs();
}

int RunZan(HINSTANCE hInstance)
{
    InitErrorLog();
    HWND hWnd = CreateMainWindow(hInstance);
    if (FAILED(InitD3D(hWnd)))
        LogError("Failed to InitD3D( hWnd )");
    else
    {
        SetupMatrices();
        ShowCursor(FALSE);
        InitRenderStates();
        InitObjects();
        StartLoopWatch();
        RunMessageLoop(RunFrame);
        StopLoopWatch();
    }

    UnregisterClassA(CLASS_NAME, hInstance);
    Cleanup();
    LogError("Closing down");
    return 0;
}
