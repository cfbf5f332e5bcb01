// The memorial screen: a picture with three lines beneath, held for three seconds while the
// client waits. It draws and presents its own frames.
// needs: app/{d3dservices,log,screenvertex,text}
#pragma once

#include <windows.h>
#include <d3d9.h>

extern LPDIRECT3DVERTEXBUFFER9 m_pSplashVB;   // the picture's quad; only while shown
extern LPDIRECT3DTEXTURE9 m_pSplashTexture;   // the picture; only while shown

// The whole screen: creates its objects, shows two pictures for 2 s and 1 s, releases them.
void ShowSplash();

HRESULT LoadSplashTexture(const char* path);
void FillSplashVB();
// Draws the picture's quad; call inside a scene.
void RenderSplash();
void ReleaseSplash();

// ---- For tests: the clock ----

// The ms clock the waits poll: timeGetTime, or a test's own.
extern DWORD (WINAPI* m_pfnSplashClock)();
