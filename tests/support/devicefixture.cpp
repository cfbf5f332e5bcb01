// The device fixture shared by the tests that draw.
#include "support/devicefixture.h"

#include "app/startup.h"

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
}

std::vector<DWORD> DeviceTest::ReadBackBuffer(int* piWidth, int* piHeight)
{
    std::vector<DWORD> pixels;
    IDirect3DSurface9* pBack = NULL;
    IDirect3DSurface9* pCopy = NULL;
    D3DSURFACE_DESC desc;
    if (FAILED(m_pDevice->GetBackBuffer(0, 0, D3DBACKBUFFER_TYPE_MONO, &pBack)))
        return pixels;
    pBack->GetDesc(&desc);
    if (SUCCEEDED(m_pDevice->CreateOffscreenPlainSurface(desc.Width, desc.Height, desc.Format,
                                                         D3DPOOL_SYSTEMMEM, &pCopy, NULL)) &&
        SUCCEEDED(m_pDevice->GetRenderTargetData(pBack, pCopy)))
    {
        D3DLOCKED_RECT lr;
        if (SUCCEEDED(pCopy->LockRect(&lr, NULL, D3DLOCK_READONLY)))
        {
            pixels.resize(desc.Width * desc.Height);
            for (UINT y = 0; y < desc.Height; y++)
                memcpy(&pixels[y * desc.Width], (const BYTE*)lr.pBits + y * lr.Pitch,
                       desc.Width * 4);
            pCopy->UnlockRect();
        }
        *piWidth = (int)desc.Width;
        *piHeight = (int)desc.Height;
    }
    if (pCopy)
        pCopy->Release();
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
