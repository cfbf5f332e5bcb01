// Present's result watched: lost-device states are waited for and the device reset, any
// other lasting failure is taken as the display gone for good; and the watch on the loop.
#include "app/devicelost.h"

#include <cstdio>
#include <d3d9.h>

#include "app/log.h"
#include "app/d3dservices.h"
#include "app/text.h"
#include "app/textfont.h"
#include "editor/mapfile.h"

// How long one idle pass sleeps while the device is lost.
static const DWORD LOST_DEVICE_WAIT_MS = 100;
// Failures of Present in a row, other than the lost-device states, that mean the display is gone.
static const int MAX_FAILED_PRESENTS = 3;

// Set when Present reported a lost device; cleared once it is usable again.
static bool m_bDeviceLost = false;
// Set once the program is ending with the backup, by the loop's thread or the watch; never
// cleared, so the backup and the line come once.
static volatile LONG m_lDisplayGivenUp = 0;
// Loop passes so far, and the watch thread's handle and stop event; null when not watching.
static volatile LONG m_lLoopPasses = 0;
static HANDLE m_hWatchThread = NULL;
static HANDLE m_hStopWatch = NULL;
// The loop's thread, for its CPU time; opened by StartLoopWatch.
static HANDLE m_hLoopThread = NULL;
// Present failures in a row other than the lost-device states.
static int m_iFailedPresents = 0;

// The first call logs the line, writes the backup and posts the quit message; later ones
// do nothing.
static void EndWithBackup(const char* pszLine)
{
    if (InterlockedExchange(&m_lDisplayGivenUp, 1) != 0)
        return;
    LogError(pszLine);
    SaveData(true, "");
    PostQuitMessage(0);
}

void GiveUpDisplay(const char* pszWhy, HRESULT hr)
{
    char cLine[160];
    snprintf(cLine, sizeof(cLine),
             "The display is lost (%s, 0x%08lX): saving the backup and closing down", pszWhy,
             (unsigned long)hr);
    EndWithBackup(cLine);
}

void WindowDestroyed()
{
    EndWithBackup("The window was closed: saving the backup and closing down");
}

// The default-pool objects go before Reset and come back after it; the transforms and the
// material are kept across it, every other state is set again by each frame.
static HRESULT ResetLostDevice()
{
    IDirect3DSwapChain9* pSwapChain = NULL;
    if (FAILED(m_pDevice->GetSwapChain(0, &pSwapChain)))
        return D3DERR_DEVICELOST;
    D3DPRESENT_PARAMETERS pp;
    pSwapChain->GetPresentParameters(&pp);
    pSwapChain->Release();

    D3DMATRIX mView, mProjection, mWorld;
    D3DMATERIAL9 material;
    m_pDevice->GetTransform(D3DTS_VIEW, &mView);
    m_pDevice->GetTransform(D3DTS_PROJECTION, &mProjection);
    m_pDevice->GetTransform(D3DTS_WORLD, &mWorld);
    m_pDevice->GetMaterial(&material);
    if (m_pFont != NULL)
        m_pFont->InvalidateDeviceResources();
    HRESULT hr = m_pDevice->Reset(&pp);
    if (m_pFont != NULL && SUCCEEDED(hr))
        m_pFont->RestoreDeviceResources();
    m_pDevice->SetTransform(D3DTS_VIEW, &mView);
    m_pDevice->SetTransform(D3DTS_PROJECTION, &mProjection);
    m_pDevice->SetTransform(D3DTS_WORLD, &mWorld);
    m_pDevice->SetMaterial(&material);
    // A failed Reset leaves the device waiting for another.
    return FAILED(hr) ? D3DERR_DEVICENOTRESET : D3D_OK;
}

bool IsDeviceReady()
{
    if (!m_bDeviceLost)
        return true;
    HRESULT hr = m_pDevice->TestCooperativeLevel();
    if (hr == D3DERR_DEVICENOTRESET)
        hr = ResetLostDevice();
    if (SUCCEEDED(hr))
    {
        m_bDeviceLost = false;
        LogError("The device is back");
        return true;
    }
    if (hr != D3DERR_DEVICELOST && hr != D3DERR_DEVICENOTRESET)
    {
        GiveUpDisplay("TestCooperativeLevel", hr);
        return false;
    }
    Sleep(LOST_DEVICE_WAIT_MS);
    return false;
}

void CheckPresentResult(HRESULT hr)
{
    if (SUCCEEDED(hr))
    {
        m_iFailedPresents = 0;
        return;
    }
    if (hr == D3DERR_DEVICELOST || hr == D3DERR_DEVICENOTRESET)
    {
        if (!m_bDeviceLost)
        {
            char cLine[96];
            snprintf(cLine, sizeof(cLine), "The device is lost (0x%08lX); waiting for it",
                     (unsigned long)hr);
            LogError(cLine);
        }
        m_bDeviceLost = true;
        return;
    }
    if (++m_iFailedPresents >= MAX_FAILED_PRESENTS)
        GiveUpDisplay("Present failed", hr);
}

// CPU time of the loop's thread in ms; a thread stuck waiting gains none, a busy one does.
static ULONGLONG LoopThreadCpuMs()
{
    FILETIME ftCreated, ftExited, ftKernel, ftUser;
    if (!GetThreadTimes(m_hLoopThread, &ftCreated, &ftExited, &ftKernel, &ftUser))
        return 0;
    ULARGE_INTEGER k = {{ftKernel.dwLowDateTime, ftKernel.dwHighDateTime}};
    ULARGE_INTEGER u = {{ftUser.dwLowDateTime, ftUser.dwHighDateTime}};
    return (k.QuadPart + u.QuadPart) / 10000;
}

// The loop's thread is stuck, most likely inside the platform on a display that is gone:
// nothing can be released in order, so save and end here.
static void EndFromWatch(DWORD dwSeconds)
{
    if (InterlockedExchange(&m_lDisplayGivenUp, 1) != 0)
        return;
    LogErrorf("The message loop has stood still for %lu seconds: saving the backup and closing "
              "down", (unsigned long)dwSeconds);
    SaveData(true, "");
    LogError("Closing down");
    TerminateProcess(GetCurrentProcess(), 0);
}

// The log's size: a pass that keeps logging (a traced map update) is making progress.
static ULONGLONG LogFileSize()
{
    WIN32_FILE_ATTRIBUTE_DATA data;
    if (!GetFileAttributesExA("ZANerrors.log", GetFileExInfoStandard, &data))
        return 0;
    return ((ULONGLONG)data.nFileSizeHigh << 32) | data.nFileSizeLow;
}

// The loop stands still once no pass and no log line came for HANG_LIMIT_MS while its thread
// waited (a deadlock), or for SPIN_LIMIT_MS however busy it was (a spin); a silent busy pass
// shorter than that is left alone.
static DWORD WINAPI WatchLoop(LPVOID)
{
    LONG lSeen = m_lLoopPasses;
    ULONGLONG ullLogSize = LogFileSize();
    DWORD dwSince = GetTickCount();
    ULONGLONG ullCpuSince = LoopThreadCpuMs();
    while (WaitForSingleObject(m_hStopWatch, 500) == WAIT_TIMEOUT)
    {
        if (m_lLoopPasses != lSeen || LogFileSize() != ullLogSize)
        {
            lSeen = m_lLoopPasses;
            ullLogSize = LogFileSize();
            dwSince = GetTickCount();
            ullCpuSince = LoopThreadCpuMs();
            continue;
        }
        DWORD dwStill = GetTickCount() - dwSince;
        bool bWaiting = LoopThreadCpuMs() - ullCpuSince < dwStill / 10;
        if (dwStill >= HANG_LIMIT_MS && bWaiting)
            EndFromWatch(HANG_LIMIT_MS / 1000);
        else if (dwStill >= SPIN_LIMIT_MS)
            EndFromWatch(SPIN_LIMIT_MS / 1000);
    }
    return 0;
}

void StartLoopWatch()
{
    if (m_hWatchThread != NULL)
        return;
    m_hLoopThread = OpenThread(THREAD_QUERY_INFORMATION, FALSE, GetCurrentThreadId());
    m_hStopWatch = CreateEventA(NULL, TRUE, FALSE, NULL);
    m_hWatchThread = CreateThread(NULL, 0, WatchLoop, NULL, 0, NULL);
}

void NoteLoopPass()
{
    InterlockedIncrement(&m_lLoopPasses);
}

void StopLoopWatch()
{
    if (m_hWatchThread == NULL)
        return;
    SetEvent(m_hStopWatch);
    WaitForSingleObject(m_hWatchThread, INFINITE);
    CloseHandle(m_hWatchThread);
    CloseHandle(m_hStopWatch);
    CloseHandle(m_hLoopThread);
    m_hWatchThread = NULL;
    m_hStopWatch = NULL;
    m_hLoopThread = NULL;
}
