// The texture-corner selector. A record's pair (u, v) is shown at 128 pixels to the unit over
// the base preview at (5, 200) or the alpha preview at (5, 338); corners are numbered in the
// order the map file lists the pairs.
#include "editor/cornerselect.h"

#include "app/d3dservices.h"
#include "app/msgproc.h"
#include "app/screenvertex.h"
#include "app/text.h"
#include "editor/landedit.h"
#include "terrain/landtextures.h"
#include "terrain/view.h"

static const DWORD GREEN = 0x0000FF00;
static const DWORD RED = 0x00FF0000;
static const int SELECTOR_VERTICES = 14;
static const int BASE_PANEL_Y = 200;
static const int ALPHA_PANEL_Y = 338;

LPDIRECT3DVERTEXBUFFER9 m_pCornerSelectorVB = NULL;
int m_iSelectedUVCorner = 0;
POINT m_ptCornerPanelLabel[4] = {};
POINT m_ptCornerMapLabel[4] = {};
// The marker was written into the current buffer (only updates over the previews write it).
static bool m_bMarkerWritten = false;

// First float of corner 1 to 4 within a record: pairs 3, 1, 2, 4.
static const int CORNER_FLOAT[4] = {4, 0, 2, 6};
static const char* const CORNER_LABEL[4] = {"1", "2", "3", "4"};

// A corner's place on its panel: (floor(128u), floor(128v)), truncated toward zero.
static POINT PanelPoint(const TileTexCoords* pRec, int iCorner)
{
    const float* pUV = &pRec->fUV[CORNER_FLOAT[iCorner]];
    POINT pt = {(LONG)(128.0f * pUV[0]), (LONG)(128.0f * pUV[1])};
    return pt;
}

static ColorScreenVertex SelectorVertex(int x, int y, DWORD dwColour)
{
    ColorScreenVertex v = {(float)x, (float)y, 0.0f, 0.5f, dwColour};
    return v;
}

// The closed outline of a record's four corners, from vertex iFirst.
static void WriteQuad(ColorScreenVertex* pV, const TileTexCoords* pRec, int iPanelY)
{
    for (int i = 0; i < 5; i++)
    {
        POINT pt = PanelPoint(pRec, i % 4);
        pV[i] = SelectorVertex(5 + pt.x, iPanelY + pt.y, GREEN);
    }
}

static void WritePanelLabels(const TileTexCoords* pBase, const TileTexCoords* pAlpha)
{
    int x = SMD.siX, y = SMD.siY;
    bool bOverAlpha = x > 5 && x < 133 && y > 333 && y < 466;
    // The labels carry no 5-pixel shift in x, unlike the quads.
    for (int k = 0; k < 4; k++)
    {
        POINT pt = PanelPoint(bOverAlpha ? pAlpha : pBase, k);
        m_ptCornerPanelLabel[k] = {pt.x, (bOverAlpha ? ALPHA_PANEL_Y : BASE_PANEL_Y) + pt.y};
    }
}

// Of the four corners of the band the pointer is in, the nearest to (mx, my); the lower
// number wins a tie.
static int NearestCorner(const TileTexCoords* pRec, int iFirstCorner, int mx, int my)
{
    int iBest = 0, iBestDistance = 0;
    for (int k = 0; k < 4; k++)
    {
        POINT pt = PanelPoint(pRec, k);
        int iDistance = (pt.x - mx) * (pt.x - mx) + (pt.y - my) * (pt.y - my);
        if (k == 0 || iDistance < iBestDistance)
        {
            iBest = k;
            iBestDistance = iDistance;
        }
    }
    return iFirstCorner + iBest;
}

static int Clamp128(int i)
{
    return i < 0 ? 0 : (i > 128 ? 128 : i);
}

// The pointer over the panels: choose a corner while the button is up, move it while held.
static void ApplyPointer(ColorScreenVertex* pV, TileTexCoords* pBase, TileTexCoords* pAlpha)
{
    int x = SMD.siX, y = SMD.siY;
    int mx = x - 5;
    int my = y < 333 ? y - BASE_PANEL_Y : y - ALPHA_PANEL_Y;
    if (!SMD.bLeftDown)
        m_iSelectedUVCorner = 0;
    // Once the button is down the corner stays fixed until it is released.
    if (m_iSelectedUVCorner == 0)
        m_iSelectedUVCorner = y < 333 ? NearestCorner(pBase, 1, mx, my)
                                      : NearestCorner(pAlpha, 5, mx, my);

    bool bAlphaCorner = m_iSelectedUVCorner > 4;
    TileTexCoords* pRec = bAlphaCorner ? pAlpha : pBase;
    int k = (m_iSelectedUVCorner - 1) % 4;
    // The band the pointer is in sets v, whichever panel the corner belongs to.
    if (SMD.bLeftDown)
    {
        pRec->fUV[CORNER_FLOAT[k]] = (float)Clamp128(mx) / 128.0f;
        pRec->fUV[CORNER_FLOAT[k] + 1] = (float)Clamp128(my) / 128.0f;
    }
    POINT pt = PanelPoint(pRec, k);
    int cx = 5 + pt.x, cy = BASE_PANEL_Y + pt.y + (bAlphaCorner ? 138 : 0);
    pV[10] = SelectorVertex(cx - 5, cy, RED);
    pV[11] = SelectorVertex(cx + 5, cy, RED);
    pV[12] = SelectorVertex(cx, cy - 5, RED);
    pV[13] = SelectorVertex(cx, cy + 5, RED);
    m_bMarkerWritten = true;
}

void UpdateCornerSelector(TileTexCoords* pBase, TileTexCoords* pAlpha)
{
    ReleaseCornerSelector();
    m_bMarkerWritten = false;
    m_pCornerSelectorVB = CreateSystemVertexBuffer(
        SELECTOR_VERTICES * sizeof(ColorScreenVertex), D3DFVF_COLORSCREENVERTEX);
    ColorScreenVertex* pV = (ColorScreenVertex*)LockWholeBuffer(m_pCornerSelectorVB);
    // Without its buffer the selector leaves both records as they were.
    if (pV == NULL)
        return;
    WritePanelLabels(pBase, pAlpha);
    WriteQuad(pV, pBase, BASE_PANEL_Y);
    WriteQuad(pV + 5, pAlpha, ALPHA_PANEL_Y);
    // A tool's pick left of the previews but not over them must not move a corner.
    if (IsOverCornerPanels(SMD.siX, SMD.siY))
        ApplyPointer(pV, pBase, pAlpha);
    m_pCornerSelectorVB->Unlock();
}

void RenderCornerSelector(int iAlphaTexture)
{
    if (m_pCornerSelectorVB != NULL)
    {
        m_pDevice->SetFVF(D3DFVF_COLORSCREENVERTEX);
        m_pDevice->SetTexture(0, NULL);
        m_pDevice->SetStreamSource(0, m_pCornerSelectorVB, 0, sizeof(ColorScreenVertex));
        m_pDevice->DrawPrimitive(D3DPT_LINESTRIP, 0, 4);
        if (iAlphaTexture != PLAIN_TEXTURE)
            m_pDevice->DrawPrimitive(D3DPT_LINESTRIP, 5, 4);
        if (m_bMarkerWritten)
            m_pDevice->DrawPrimitive(D3DPT_LINELIST, 10, 2);
    }
    for (int k = 0; k < 4; k++)
        DrawString(m_ptCornerPanelLabel[k].x, m_ptCornerPanelLabel[k].y, CORNER_LABEL[k]);
    ProjectSelectedTileCorners();
    DrawSelectedCornerLabels();
}

void ProjectSelectedTileCorners()
{
    int tx, tz;
    SplitTileIndex(GetSelectedTile(), &tx, &tz);
    if (tx < 0 || tx >= MAP_SIZE || tz < 0 || tz >= MAP_SIZE)
        return;
    // The tile as the land draws it: the far corners one tile on, past column or row 99 too.
    DrawnTile tile = GetDrawnTile(tx, tz);
    const D3DXVECTOR3 vCorner[4] = {tile.vBL, tile.vTL, tile.vTR, tile.vBR};
    for (int k = 0; k < 4; k++)
    {
        D3DXVECTOR3 vScreen;
        ProjectToScreen(vCorner[k], &vScreen);
        m_ptCornerMapLabel[k] = {(LONG)vScreen.x, (LONG)vScreen.y};
    }
}

void DrawSelectedCornerLabels()
{
    for (int k = 0; k < 4; k++)
        DrawString(m_ptCornerMapLabel[k].x, m_ptCornerMapLabel[k].y, CORNER_LABEL[k]);
}

void ReleaseCornerSelector()
{
    ReleaseAndClear(m_pCornerSelectorVB);
}
