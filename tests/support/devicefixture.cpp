// The device fixture shared by the tests that draw.
#include "support/devicefixture.h"

#include "app/d3dservices.h"
#include "app/render.h"
#include "app/startup.h"
#include "app/text.h"

HWND DeviceTest::m_hWnd = NULL;

// Releases the device and the window before the process exits: Wine's exit with a live device
// now and then ends in SIGKILL.
class DeviceEnvironment : public ::testing::Environment
{
public:
    void TearDown() override
    {
        Cleanup();
        if (DeviceTest::m_hWnd != NULL)
            DestroyWindow(DeviceTest::m_hWnd);
        DeviceTest::m_hWnd = NULL;
        UnregisterClassA("Zan ZAVAZA", GetModuleHandleA(NULL));
    }
};

static ::testing::Environment* const s_pDeviceEnvironment =
    ::testing::AddGlobalTestEnvironment(new DeviceEnvironment);

void DeviceTest::SetUpTestSuite()
{
    if (m_pDevice != NULL)
        return;
    m_hWnd = CreateMainWindow(GetModuleHandleA(NULL));
    ASSERT_NE(m_hWnd, (HWND)NULL);
    ASSERT_EQ(InitD3D(m_hWnd), 0);
    SetupMatrices();
    InitRenderStates();
    InitFont();   // text takes clicks where it is drawn, which the font measures
}

// Copies a render target's pixels through a system-memory surface.
static std::vector<DWORD> CopyTarget(IDirect3DSurface9* pTarget, int* piWidth, int* piHeight)
{
    std::vector<DWORD> pixels;
    D3DSURFACE_DESC desc;
    pTarget->GetDesc(&desc);
    IDirect3DSurface9* pCopy = NULL;
    D3DLOCKED_RECT lr;
    if (SUCCEEDED(m_pDevice->CreateOffscreenPlainSurface(desc.Width, desc.Height, desc.Format,
                                                         D3DPOOL_SYSTEMMEM, &pCopy, NULL)) &&
        SUCCEEDED(m_pDevice->GetRenderTargetData(pTarget, pCopy)) &&
        SUCCEEDED(pCopy->LockRect(&lr, NULL, D3DLOCK_READONLY)))
    {
        pixels.resize(desc.Width * desc.Height);
        for (UINT y = 0; y < desc.Height; y++)
            memcpy(&pixels[y * desc.Width], (const BYTE*)lr.pBits + y * lr.Pitch,
                   desc.Width * 4);
        pCopy->UnlockRect();
        *piWidth = (int)desc.Width;
        *piHeight = (int)desc.Height;
    }
    if (pCopy)
        pCopy->Release();
    return pixels;
}

std::vector<DWORD> DeviceTest::ReadBackBuffer(int* piWidth, int* piHeight)
{
    std::vector<DWORD> pixels;
    IDirect3DSurface9* pBack = NULL;
    if (FAILED(m_pDevice->GetBackBuffer(0, 0, D3DBACKBUFFER_TYPE_MONO, &pBack)))
        return pixels;
    pixels = CopyTarget(pBack, piWidth, piHeight);
    pBack->Release();
    return pixels;
}

std::vector<DWORD> DeviceTest::RenderFrame(int* piWidth, int* piHeight)
{
    std::vector<DWORD> pixels;
    IDirect3DSurface9* pBack = NULL;
    if (FAILED(m_pDevice->GetRenderTarget(0, &pBack)))
        return pixels;
    D3DSURFACE_DESC desc;
    pBack->GetDesc(&desc);
    IDirect3DSurface9* pTarget = NULL;
    if (SUCCEEDED(m_pDevice->CreateRenderTarget(desc.Width, desc.Height, desc.Format,
                                                D3DMULTISAMPLE_NONE, 0, FALSE, &pTarget, NULL)))
    {
        m_pDevice->SetRenderTarget(0, pTarget);
        Render();
        m_pDevice->SetRenderTarget(0, pBack);
        pixels = CopyTarget(pTarget, piWidth, piHeight);
        pTarget->Release();
    }
    pBack->Release();
    return pixels;
}

int CountPixels(const std::vector<DWORD>& pixels, int iWidth, int x0, int y0, int x1, int y1,
                bool (*pred)(DWORD))
{
    int n = 0;
    for (int y = y0; y < y1; y++)
        for (int x = x0; x < x1; x++)
            if (pred(pixels[y * iWidth + x]))
                n++;
    return n;
}

void MovePointer(int x, int y)
{
    SetCursorPos(x, y);
    for (int i = 0; i < 100; i++)
    {
        POINT pt;
        GetCursorPos(&pt);
        if (pt.x == x && pt.y == y)
            return;
        Sleep(10);
    }
}

bool DrainQueue()
{
    MSG msg;
    bool bQuit = false;
    while (PeekMessageA(&msg, NULL, 0, 0, PM_REMOVE))
    {
        if (msg.message == WM_PAINT)
            ValidateRect(msg.hwnd, NULL);
        bQuit = bQuit || msg.message == WM_QUIT;
    }
    return bQuit;
}
