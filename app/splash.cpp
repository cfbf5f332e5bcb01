// The memorial screen, shown on leaving the game screen and on the I key. It blocks the
// client: no frame runs and no message is handled while it stands.
#include "app/splash.h"

#include <mmsystem.h>

#include "app/d3dservices.h"
#include "app/log.h"
#include "app/screenvertex.h"
#include "app/text.h"

// The quad and the picture; made at the start of each showing and released at its end.
LPDIRECT3DVERTEXBUFFER9 m_pSplashVB = NULL;
LPDIRECT3DTEXTURE9 m_pSplashTexture = NULL;
// The millisecond clock the waits poll; tests put a clock of their own here.
DWORD (WINAPI* m_pfnSplashClock)() = timeGetTime;

static const DWORD FIRST_PICTURE_MS = 2000;
static const DWORD SPLASH_END_MS = 3000;

static void CreateSplashVB()
{
    ReleaseAndClear(m_pSplashVB);
    m_pSplashVB = CreateSystemVertexBuffer(4 * sizeof(TexScreenVertex), D3DFVF_TEXSCREENVERTEX);
    if (m_pSplashVB == NULL)
        LogError("Failed to CreateVertexBuffer m_pSplashVB");
}

HRESULT LoadSplashTexture(const char* path)
{
    ReleaseAndClear(m_pSplashTexture);
    if (FAILED(LoadTextureFile(path, D3DFMT_UNKNOWN, 0, &m_pSplashTexture)))
    {
        LogError("Failed to load splash texture ");
        return E_FAIL;
    }
    return 0;
}

// A 1024 x 512 band across the middle of the layout; u stops at 0.99 so the picture's
// right edge does not pick up texels from its left.
void FillSplashVB()
{
    TexScreenVertex* pV = (TexScreenVertex*)LockWholeBuffer(m_pSplashVB);
    if (pV == NULL)
        return;
    pV[0] = {0.0f, 128.0f, 0.0f, 1.0f, 0.0f, 0.0f};
    pV[1] = {1024.0f, 128.0f, 0.0f, 1.0f, 0.99f, 0.0f};
    pV[2] = {1024.0f, 640.0f, 0.0f, 1.0f, 0.99f, 1.0f};
    pV[3] = {0.0f, 640.0f, 0.0f, 1.0f, 0.0f, 1.0f};
    m_pSplashVB->Unlock();
}

// Drawn with the states the last frame left; only the format, texture and stream are set.
void RenderSplash()
{
    if (m_pDevice == NULL || m_pSplashVB == NULL)
        return;
    m_pDevice->SetFVF(D3DFVF_TEXSCREENVERTEX);
    m_pDevice->SetTexture(0, m_pSplashTexture);
    m_pDevice->SetStreamSource(0, m_pSplashVB, 0, sizeof(TexScreenVertex));
    m_pDevice->DrawPrimitive(D3DPT_TRIANGLEFAN, 0, 2);
}

// One picture: the quad and the three lines, presented even when the scene cannot begin.
static void PresentSplash(const char* strLastLine)
{
    if (m_pDevice == NULL)
        return;
    m_pDevice->Clear(0, NULL, D3DCLEAR_TARGET | D3DCLEAR_ZBUFFER, 0xFF000000, 1.0f, 0);
    if (SUCCEEDED(m_pDevice->BeginScene()))
    {
        RenderSplash();
        DrawStringRGB(350, 700, "A MOMEMENT OF RESPECT", 0, 255, 0);
        DrawStringRGB(270, 720, "MANY FOUGHT AND DIED SO WE COULD BE FREE", 255, 0, 0);
        DrawStringRGB(370, 740, strLastLine, 0, 255, 0);
        m_pDevice->EndScene();
    }
    m_pDevice->Present(NULL, NULL, NULL, NULL);
}

// Waits until ms have passed since dwStart; the unsigned difference stays right across the
// clock's wrap after 49.7 days.
static void WaitUntil(DWORD dwStart, DWORD ms)
{
    while (m_pfnSplashClock() - dwStart < ms)
        Sleep(1);   // nothing else may run meanwhile, but the CPU need not spin
}

void ShowSplash()
{
    CreateSplashVB();
    LoadSplashTexture("textures\\splash\\warmemorial.dds");
    DWORD dwStart = m_pfnSplashClock();
    FillSplashVB();

    PresentSplash("TO PLAY OUR GAMES");
    WaitUntil(dwStart, FIRST_PICTURE_MS);
    PresentSplash("TO PLAY OUR GAMES       THANK YOU :)");
    WaitUntil(dwStart, SPLASH_END_MS);

    ReleaseSplash();
}

void ReleaseSplash()
{
    ReleaseAndClear(m_pSplashVB);
    ReleaseAndClear(m_pSplashTexture);
}
