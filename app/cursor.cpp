// The software cursor. The system pointer is hidden for the whole run, so this quad follows
// the pointer instead; it shows the top-left 70 % of its texture.
#include "app/cursor.h"

#include "app/d3dservices.h"
#include "app/log.h"
#include "app/screenvertex.h"

static const float CURSOR_SIZE = 32.0f;
static const float CURSOR_TEX_EXTENT = 0.7f;

LPDIRECT3DVERTEXBUFFER9 m_pCursorVB = NULL;
LPDIRECT3DTEXTURE9 m_pCursorTexture = NULL;
static int m_iCursorX = 0;   // pointer position the quad was last written for; 0 at start
static int m_iCursorY = 0;

static bool WriteCursorQuad(int px, int py)
{
    TexScreenVertex* pV = (TexScreenVertex*)LockWholeBuffer(m_pCursorVB);
    if (pV == NULL)
        return false;
    float x = (float)px, y = (float)py;
    float s = CURSOR_SIZE, t = CURSOR_TEX_EXTENT;
    pV[0] = {x, y, 0.0f, 1.0f, 0.0f, 0.0f};
    pV[1] = {x + s, y, 0.0f, 1.0f, t, 0.0f};
    pV[2] = {x + s, y + s, 0.0f, 1.0f, t, t};
    pV[3] = {x, y + s, 0.0f, 1.0f, 0.0f, t};
    m_pCursorVB->Unlock();
    return true;
}

HRESULT InitCursor()
{
    ReleaseCursor();
    m_pCursorVB = CreateSystemVertexBuffer(4 * sizeof(TexScreenVertex), D3DFVF_TEXSCREENVERTEX);
    if (m_pCursorVB == NULL)
    {
        LogError("Failed to CreateVertexBuffer m_pCursorVB");
        return E_FAIL;
    }
    // A new buffer holds no quad; a pointer resting at the start position is drawn too.
    m_iCursorX = 0;
    m_iCursorY = 0;
    WriteCursorQuad(m_iCursorX, m_iCursorY);

    if (FAILED(LoadTextureFile("textures\\zancursor.dds", D3DFMT_UNKNOWN, 0, &m_pCursorTexture)))
    {
        LogError("Failed to load texture zancursor.dds ");
        return E_FAIL;
    }
    return 0;
}

void RenderCursor()
{
    if (m_pCursorVB == NULL)
        return;
    // The true screen position: unlike the mouse record, x is not clamped.
    POINT pt = {m_iCursorX, m_iCursorY};
    GetCursorPos(&pt);
    if ((pt.x != m_iCursorX || pt.y != m_iCursorY) && WriteCursorQuad(pt.x, pt.y))
    {
        m_iCursorX = pt.x;
        m_iCursorY = pt.y;
    }

    m_pDevice->SetFVF(D3DFVF_TEXSCREENVERTEX);
    m_pDevice->SetRenderState(D3DRS_ALPHABLENDENABLE, TRUE);
    m_pDevice->SetRenderState(D3DRS_SRCBLEND, D3DBLEND_SRCALPHA);
    m_pDevice->SetRenderState(D3DRS_DESTBLEND, D3DBLEND_INVSRCALPHA);
    m_pDevice->SetTexture(0, m_pCursorTexture);
    m_pDevice->SetStreamSource(0, m_pCursorVB, 0, sizeof(TexScreenVertex));
    m_pDevice->DrawPrimitive(D3DPT_TRIANGLEFAN, 0, 2);
    m_pDevice->SetRenderState(D3DRS_ALPHABLENDENABLE, FALSE);
}

void ReleaseCursor()
{
    ReleaseAndClear(m_pCursorVB);
    ReleaseAndClear(m_pCursorTexture);
}
