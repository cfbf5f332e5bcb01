// The cave editor's overlays: the texture panels, the corner outlines with their marker, and
// the selected quad's outline on the map; each in a system-memory buffer of its own.
#include "terrain/caveoverlays.h"

#include "app/log.h"
#include "app/msgproc.h"
#include "app/screenvertex.h"
#include "app/d3dservices.h"
#include "app/text.h"
#include "terrain/caveedit.h"
#include "terrain/landbuffers.h"
#include "terrain/landtextures.h"
#include "terrain/mapdata.h"
#include "terrain/view.h"

static const DWORD GREEN = 0x0000FF00;
static const DWORD RED = 0x00FF0000;
static const int CORNER_VERTICES = 14;   // outline A 0-4, outline B 5-9, marker 10-13
static const int MARKER_FIRST = 10;

LPDIRECT3DVERTEXBUFFER9 m_pCaveTexPreviewVB = NULL;
LPDIRECT3DVERTEXBUFFER9 m_pCaveCornerVB = NULL;
LPDIRECT3DVERTEXBUFFER9 m_pTileOutlineVB = NULL;
POINT m_ptCaveCornerLabel[4];
POINT m_ptCaveOutlineLabel[4];

// The marker as SetCornerMarker last wrote it; a rebuild of the corner buffer carries it over.
// Not drawn until first written.
static ColorScreenVertex m_Marker[4];
static bool m_bMarkerSet = false;

// Releases *ppVB and makes it again at its size.
static void RecreateVB(LPDIRECT3DVERTEXBUFFER9* ppVB, UINT uiBytes, DWORD dwFVF)
{
    ReleaseAndClear(*ppVB);
    *ppVB = CreateSystemVertexBuffer(uiBytes, dwFVF);
}

static TexScreenVertex PreviewVertex(float x, float y, float u, float v)
{
    TexScreenVertex vtx = {x, y, 0.0f, 1.0f, u, v};
    return vtx;
}

void LoadTexturePreviewVB()
{
    RecreateVB(&m_pCaveTexPreviewVB, 8 * sizeof(TexScreenVertex), D3DFVF_TEXSCREENVERTEX);
    TexScreenVertex* pV = (TexScreenVertex*)LockWholeBuffer(m_pCaveTexPreviewVB);
    if (pV == NULL)
        return;
    // Panel B's picture starts one pixel right of its corner origin (338).
    const float fLeft[2] = {200.0f, 339.0f};
    for (int p = 0; p < 2; p++)
    {
        float x0 = fLeft[p], x1 = fLeft[p] + 128.0f;
        pV[4 * p + 0] = PreviewVertex(x0, 10.0f, 0.0f, 0.0f);
        pV[4 * p + 1] = PreviewVertex(x1, 10.0f, 1.0f, 0.0f);
        pV[4 * p + 2] = PreviewVertex(x1, 138.0f, 1.0f, 1.0f);
        pV[4 * p + 3] = PreviewVertex(x0, 138.0f, 0.0f, 1.0f);
    }
    m_pCaveTexPreviewVB->Unlock();
}

void RenderTexturePreview(int /*iCave*/, int iTextureA, int iTextureB)
{
    if (m_pCaveTexPreviewVB == NULL)
        return;
    bool bHasB = iTextureB != PLAIN_TEXTURE;
    D3DVIEWPORT9 vp;
    m_pDevice->GetViewport(&vp);
    D3DVIEWPORT9 vp1 = {195, 0, (DWORD)(bHasB ? 277 : 138), 143, 0.0f, 1.0f};
    m_pDevice->SetViewport(&vp1);
    // The grey box behind the panels.
    m_pDevice->Clear(0, NULL, D3DCLEAR_TARGET | D3DCLEAR_ZBUFFER, 0xFF808080, 1.0f, 0);
    m_pDevice->SetFVF(D3DFVF_TEXSCREENVERTEX);
    SetLandTexture(iTextureA);
    m_pDevice->SetStreamSource(0, m_pCaveTexPreviewVB, 0, sizeof(TexScreenVertex));
    m_pDevice->DrawPrimitive(D3DPT_TRIANGLEFAN, 0, 2);
    if (bHasB)
    {
        SetLandTexture(iTextureB);
        m_pDevice->DrawPrimitive(D3DPT_TRIANGLEFAN, 4, 2);
    }
    m_pDevice->SetViewport(&vp);
}

static ColorScreenVertex CornerVertex(int x, int y, DWORD dwColour)
{
    ColorScreenVertex vtx = {(float)x, (float)y, 0.0f, 0.5f, dwColour};
    return vtx;
}

// Where texture corner iCorner of the quad is drawn in panel A or B.
static POINT PanelPoint(const CaveData& a, const CaveData& b, int iCorner, bool bTextureB)
{
    POINT pt = GetCaveTexCorner(a, b, iCorner, bTextureB);
    pt.x += bTextureB ? CAVE_PANEL_B_X : CAVE_PANEL_A_X;
    pt.y += CAVE_PANEL_Y;
    return pt;
}

void LoadCornerOverlayVB(int /*iCave*/, CaveData sCaveData, CaveData sCaveData1)
{
    RecreateVB(&m_pCaveCornerVB, CORNER_VERTICES * sizeof(ColorScreenVertex),
               D3DFVF_COLORSCREENVERTEX);
    ColorScreenVertex* pV = (ColorScreenVertex*)LockWholeBuffer(m_pCaveCornerVB);
    if (pV == NULL)
        return;
    bool bLabelsOnB = SMD.siY > 5 && SMD.siY < 144 && SMD.siX > 334 && SMD.siX < 470 &&
                      HasCaveTextureB();
    for (int k = 0; k < 4; k++)
        m_ptCaveCornerLabel[k] = PanelPoint(sCaveData, sCaveData1, k + 1, bLabelsOnB);
    for (int p = 0; p < 2; p++)
        for (int k = 0; k < 5; k++)
        {
            POINT pt = PanelPoint(sCaveData, sCaveData1, k % 4 + 1, p == 1);
            pV[5 * p + k] = CornerVertex(pt.x, pt.y, GREEN);
        }
    for (int k = 0; k < 4; k++)
        pV[MARKER_FIRST + k] = m_Marker[k];
    m_pCaveCornerVB->Unlock();
}

void SetCornerMarker(int iCorner, CaveData sCaveData, CaveData sCaveData1, bool bTextureA)
{
    bool bTextureB = !bTextureA && HasCaveTextureB();
    POINT pt = PanelPoint(sCaveData, sCaveData1, iCorner, bTextureB);
    m_Marker[0] = CornerVertex(pt.x - 5, pt.y, RED);
    m_Marker[1] = CornerVertex(pt.x + 5, pt.y, RED);
    m_Marker[2] = CornerVertex(pt.x, pt.y - 5, RED);
    m_Marker[3] = CornerVertex(pt.x, pt.y + 5, RED);
    m_bMarkerSet = true;
    ColorScreenVertex* pV = (ColorScreenVertex*)LockWholeBuffer(m_pCaveCornerVB);
    if (pV == NULL)
        return;
    for (int k = 0; k < 4; k++)
        pV[MARKER_FIRST + k] = m_Marker[k];
    m_pCaveCornerVB->Unlock();
}

static void DrawLabels(const POINT* pLabels)
{
    const char* const cLabel[4] = {"1", "2", "3", "4"};
    for (int k = 0; k < 4; k++)
        DrawString(pLabels[k].x, pLabels[k].y, cLabel[k]);
}

void RenderCornerOverlay(int iTextureB)
{
    if (m_pCaveCornerVB == NULL)
        return;
    m_pDevice->SetFVF(D3DFVF_COLORSCREENVERTEX);
    m_pDevice->SetTexture(0, NULL);
    m_pDevice->SetStreamSource(0, m_pCaveCornerVB, 0, sizeof(ColorScreenVertex));
    m_pDevice->DrawPrimitive(D3DPT_LINESTRIP, 0, 4);
    if (iTextureB != PLAIN_TEXTURE)
        m_pDevice->DrawPrimitive(D3DPT_LINESTRIP, 5, 4);
    if (m_bMarkerSet)
        m_pDevice->DrawPrimitive(D3DPT_LINELIST, MARKER_FIRST, 2);
    DrawLabels(m_ptCaveCornerLabel);
}

// Corner iCorner of the quad where cave iCave's own vertices lie: with its stored offsets.
static D3DXVECTOR3 OutlineCorner(int iCave, const CaveData& a, const CaveData& b, int iCorner)
{
    const CaveSummary& s = m_CaveSummaries[iCave];
    D3DXVECTOR3 p = GetCaveQuadCorner(a, b, iCorner);
    p.x += (float)s.iWrapOffsetX;
    p.z += (float)s.iWrapOffsetZ;
    return p;
}

static bool IsOutlinedCave(int iCave)
{
    if (IsCave(iCave))
        return true;
    LogError("cave outline: no such cave");
    return false;
}

void SetTileOutlineLabels(int iCave, CaveData sCaveData, CaveData sCaveData1)
{
    if (!IsOutlinedCave(iCave))
        return;
    for (int k = 0; k < 4; k++)
    {
        D3DXVECTOR3 pt;
        ProjectToScreen(OutlineCorner(iCave, sCaveData, sCaveData1, k + 1), &pt);
        m_ptCaveOutlineLabel[k].x = (LONG)pt.x;
        m_ptCaveOutlineLabel[k].y = (LONG)pt.y;
    }
}

void LoadTileOutlineVB(int iCave, CaveData sCaveData, CaveData sCaveData1)
{
    if (!IsOutlinedCave(iCave))
        return;
    SetTileOutlineLabels(iCave, sCaveData, sCaveData1);
    RecreateVB(&m_pTileOutlineVB, 5 * sizeof(LineVertex), D3DFVF_LINEVERTEX);
    if (m_pTileOutlineVB == NULL)
    {
        LogError("failed to create m_pTileOutlineVB");
        return;
    }
    LineVertex* pV = (LineVertex*)LockWholeBuffer(m_pTileOutlineVB);
    if (pV == NULL)
        return;
    for (int k = 0; k < 5; k++)
    {
        D3DXVECTOR3 p = OutlineCorner(iCave, sCaveData, sCaveData1, k % 4 + 1);
        LineVertex vtx = {p.x, p.y, p.z, RED};
        pV[k] = vtx;
    }
    m_pTileOutlineVB->Unlock();
}

void RenderTileOutline()
{
    if (m_pTileOutlineVB == NULL)
        return;
    m_pDevice->SetRenderState(D3DRS_ALPHABLENDENABLE, FALSE);
    m_pDevice->SetTexture(0, NULL);
    m_pDevice->SetFVF(D3DFVF_LINEVERTEX);
    m_pDevice->SetStreamSource(0, m_pTileOutlineVB, 0, sizeof(LineVertex));
    m_pDevice->DrawPrimitive(D3DPT_LINESTRIP, 0, 4);
    DrawLabels(m_ptCaveOutlineLabel);
}

void RenderCaveEditOverlays()
{
    int iFirst = GetSelectedPairFirst();
    if (iFirst < 0)
        return;
    CaveData sFirst = m_CaveData[iFirst];
    CaveData sSecond = m_CaveData[iFirst + 1];
    LoadCornerOverlayVB(m_iCurrentCave, sFirst, sSecond);
    LoadTileOutlineVB(m_iCurrentCave, sFirst, sSecond);
    // The textures of the selected triangle itself, which may be the quad's second.
    const CaveData& r = m_CaveData[GetCaveFirstTriangle(m_iCurrentCave) + m_iSelectedTriangle];
    RenderTexturePreview(m_iCurrentCave, r.siTextureA, r.siTextureB);
    RenderCornerOverlay(r.siTextureB);
    RenderTileOutline();
}

void ReleaseOverlayVBs()
{
    ReleaseAndClear(m_pCaveTexPreviewVB);
    ReleaseAndClear(m_pCaveCornerVB);
    ReleaseAndClear(m_pTileOutlineVB);
}
