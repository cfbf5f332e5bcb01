// The render-state and filter debug overlays: the values they step and the names they show.
// needs: app/{msgproc,text}
#pragma once

#include <windows.h>

// Filters, applied by the renderer and the land passes.
extern DWORD m_dwMinFilter, m_dwMagFilter, m_dwMipFilter;
// Blend factors: shown and stepped only.
extern DWORD m_dwSrcBlend, m_dwDestBlend;
// Stage 0, applied by the land's base pass.
extern DWORD m_dwTSS0ColorOp, m_dwTSS0ColorArg1, m_dwTSS0ColorArg2;
extern DWORD m_dwTSS0AlphaOp, m_dwTSS0AlphaArg1, m_dwTSS0AlphaArg2;
// Stage 1: shown and stepped only.
extern DWORD m_dwTSS1ColorOp, m_dwTSS1ColorArg1, m_dwTSS1ColorArg2;
extern DWORD m_dwTSS1AlphaOp, m_dwTSS1AlphaArg1, m_dwTSS1AlphaArg2;

// The names shown by the render-state overlay, one buffer per row.
const int RENDER_STATE_NAME_SIZE = 30;
extern char m_strSrcBlend[RENDER_STATE_NAME_SIZE], m_strDestBlend[RENDER_STATE_NAME_SIZE];
extern char m_strTSS0ColorOp[RENDER_STATE_NAME_SIZE], m_strTSS0ColorArg1[RENDER_STATE_NAME_SIZE];
extern char m_strTSS0AlphaOp[RENDER_STATE_NAME_SIZE], m_strTSS0AlphaArg1[RENDER_STATE_NAME_SIZE];
extern char m_strTSS1ColorOp[RENDER_STATE_NAME_SIZE], m_strTSS1ColorArg1[RENDER_STATE_NAME_SIZE];
extern char m_strTSS1ColorArg2[RENDER_STATE_NAME_SIZE], m_strTSS1AlphaOp[RENDER_STATE_NAME_SIZE];
extern char m_strTSS1AlphaArg1[RENDER_STATE_NAME_SIZE], m_strTSS0ColorArg2[RENDER_STATE_NAME_SIZE];
extern char m_strTSS0AlphaArg2[RENDER_STATE_NAME_SIZE], m_strTSS1AlphaArg2[RENDER_STATE_NAME_SIZE];

// Refresh one name buffer from its value (selectors: argument 0 to 7, operation 0 to 3).
void TextureArgToString(int iSelector);
void TextureOpToString(int iSelector);
void BlendModeToString(bool bSource);
// All fourteen names, in start-up order.
void FillRenderStateNames();

// A left click on a row, from its label to the end of the widest value it can show, steps the
// value and is consumed; callers test the overlay's switch.
void CheckRenderStateClicks();
void CheckFilterClicks();
// The pointer at (x, y) is on a row of an overlay shown: the overlay's, as a panel.
bool IsOverDebugOverlay(int x, int y);

// The overlays' text, inside the frame's scene; callers test the overlay's switch.
void DrawFilterOverlay();
void DrawRenderStateOverlay();
