// The cave editor: the four tools of CAVE EDIT, the cave triangle picker, the texture-corner
// drag in the two panels and the selection it all works on.
#include "terrain/caveedit.h"

#include "app/d3dservices.h"
#include "app/log.h"
#include "app/msgproc.h"
#include "editor/landedit.h"
#include "editor/picking.h"
#include "terrain/cavebuffers.h"
#include "terrain/caveoverlays.h"
#include "terrain/landbuffers.h"
#include "terrain/landtextures.h"
#include "terrain/mapdata.h"
#include "terrain/mapupdate.h"

// Selected triangle of the current cave; kept across frames, mode switches, deletions and
// loads; written only by the tools' picks and when its cave is gone.
int m_iSelectedTriangle = 0;
int m_iCavePanelHold = NO_CAVE_PANEL;

int GetSelectedPairFirst()
{
    int c = m_iCurrentCave;
    int t = m_iSelectedTriangle;
    if (t == NO_CAVE_TRIANGLE || t < 0 || !IsCave(c))
        return -1;
    int iFirst = 0;
    int iPair = t & ~1;
    if (iPair + 1 >= CaveRecordRange(c, &iFirst))
        return -1;
    return iFirst + iPair;
}

bool HasCaveTextureB()
{
    int iFirst = GetSelectedPairFirst();
    if (iFirst < 0)
        return false;
    return m_CaveData[iFirst + (m_iSelectedTriangle & 1)].siTextureB != PLAIN_TEXTURE;
}

bool IsOverCavePanelA(int x, int y)
{
    return x > 195 && x < 332 && y > 5 && y < 144;
}

bool IsOverCavePanelB(int x, int y)
{
    return x > 334 && x < 470 && y > 5 && y < 144 && HasCaveTextureB();
}

int CavePanelAt(int x, int y)
{
    if (GetSelectedPairFirst() < 0)
        return NO_CAVE_PANEL;
    if (IsOverCavePanelA(x, y))
        return CAVE_PANEL_A;
    return IsOverCavePanelB(x, y) ? CAVE_PANEL_B : NO_CAVE_PANEL;
}

// Where quad corner 1 to 4 lies in the pair's records: (record 0 or 1, point), first the
// place it is read from, then the second record's copy where it has one (-1 none). Corner 1
// is point 0 of both records, 2 point 1 of the first, 3 point 2 of the first and point 1 of
// the second, 4 point 2 of the second.
static const int s_iCornerPoints[4][2][2] = {
    {{0, 0}, {1, 0}}, {{0, 1}, {-1, -1}}, {{0, 2}, {1, 1}}, {{1, 2}, {-1, -1}}};

POINT GetCaveTexCorner(const CaveData& a, const CaveData& b, int iCorner, bool bTextureB)
{
    const int* p = s_iCornerPoints[iCorner - 1][0];
    const CaveData& r = p[0] == 0 ? a : b;
    const short* uv = bTextureB ? r.siTexCoordB[p[1]] : r.siTexCoordA[p[1]];
    POINT pt = {uv[0], uv[1]};
    return pt;
}

void SetCaveTexCorner(CaveData* pA, CaveData* pB, int iCorner, bool bTextureB, int u, int v)
{
    for (int i = 0; i < 2; i++)
    {
        const int* p = s_iCornerPoints[iCorner - 1][i];
        if (p[0] < 0)
            continue;
        CaveData* pRec = p[0] == 0 ? pA : pB;
        short* uv = bTextureB ? pRec->siTexCoordB[p[1]] : pRec->siTexCoordA[p[1]];
        uv[0] = (short)u;
        uv[1] = (short)v;
    }
}

D3DXVECTOR3 GetCaveQuadCorner(const CaveData& a, const CaveData& b, int iCorner)
{
    return iCorner == 4 ? b.vCorner[2] : a.vCorner[iCorner - 1];
}

int PickCaveTriangle()
{
    D3DXVECTOR3 vPickRayOrig, vPickRayDir;
    if (!GetPickRay(SMD.siX, SMD.siY, &vPickRayOrig, &vPickRayDir))
        return NO_CAVE_TRIANGLE;
    int iBest = NO_CAVE_TRIANGLE;
    float fBest = 9999.0f;
    for (int c = 0; IsCave(c); c++)
    {
        const CaveSummary& s = m_CaveSummaries[c];
        D3DXVECTOR3 vOffset((float)s.iWrapOffsetX, 0.0f, (float)s.iWrapOffsetZ);
        int iFirst = 0;
        int iCount = CaveRecordRange(c, &iFirst);
        for (int t = 0; t < iCount; t++)
        {
            const CaveData& r = m_CaveData[iFirst + t];
            D3DXVECTOR3 p0 = r.vCorner[0] + vOffset;
            D3DXVECTOR3 p1 = r.vCorner[1] + vOffset;
            D3DXVECTOR3 p2 = r.vCorner[2] + vOffset;
            float fDist, fBary1, fBary2;
            if (IntersectTriangle(&vPickRayOrig, &vPickRayDir, &p0, &p1, &p2, &fDist, &fBary1,
                                  &fBary2) &&
                fDist < fBest)
            {
                iBest = t;
                fBest = fDist;
                m_iCurrentCave = c;
            }
        }
    }
    return iBest;
}

// Of the panel's four corners, the nearest to pt; a later one wins only when strictly nearer.
static int NearestTexCorner(const CaveData& a, const CaveData& b, bool bTextureB, POINT pt)
{
    int iCorner = 1;
    long lBest = -1;
    for (int k = 1; k <= 4; k++)
    {
        POINT c = GetCaveTexCorner(a, b, k, bTextureB);
        long dx = c.x - pt.x, dy = c.y - pt.y;
        long d = dx * dx + dy * dy;
        if (lBest < 0 || d < lBest)
        {
            lBest = d;
            iCorner = k;
        }
    }
    return iCorner;
}

static LONG Clamp128(LONG l)
{
    return l < 0 ? 0 : l > 128 ? 128 : l;
}

void DragCaveTexCoord(bool bTextureA, bool* pTexEdit, int iFirst, CaveData sCaveData,
                      CaveData sCaveData1)
{
    *pTexEdit = true;
    bool bTextureB = !bTextureA;
    POINT ptTestMouse = {SMD.siX - (bTextureA ? CAVE_PANEL_A_X : CAVE_PANEL_B_X),
                         SMD.siY - CAVE_PANEL_Y};
    CaveData& rFirst = m_CaveData[iFirst];
    CaveData& rSecond = m_CaveData[iFirst + 1];
    int iCorner = NearestTexCorner(rFirst, rSecond, bTextureB, ptTestMouse);
    SetCornerMarker(iCorner, sCaveData, sCaveData1, bTextureA);
    if (!SMD.bLeftDown)
        return;
    SetCaveTexCorner(&rFirst, &rSecond, iCorner, bTextureB, Clamp128(ptTestMouse.x),
                     Clamp128(ptTestMouse.y));
    // The outline follows the corner just moved.
    LoadCornerOverlayVB(m_iCurrentCave, rFirst, rSecond);
    UpdateCaveTexCoords(bTextureB);
}

void UpdateCaveTexCoords(bool bTextureB)
{
    int iFirst = GetSelectedPairFirst();
    LPDIRECT3DVERTEXBUFFER9 pVB = NULL;
    if (iFirst >= 0 && m_iCurrentCave < (int)m_CaveVBs.size())
        pVB = m_CaveVBs[m_iCurrentCave];
    LandVertex* pV = iFirst >= 0 ? (LandVertex*)LockWholeBuffer(pVB) : NULL;
    if (pV == NULL)
        LogError("failed to lock m_pCaveVB");
    else
    {
        int t = m_iSelectedTriangle & ~1;
        for (int r = 0; r < 2; r++)
            for (int k = 0; k < 3; k++)
            {
                const CaveData& rec = m_CaveData[iFirst + r];
                const short* uv = bTextureB ? rec.siTexCoordB[k] : rec.siTexCoordA[k];
                LandVertex& v = pV[3 * (t + r) + k];
                (bTextureB ? v.fAlphaU : v.fBaseU) = uv[0] / 128.0f;
                (bTextureB ? v.fAlphaV : v.fBaseV) = uv[1] / 128.0f;
            }
        pVB->Unlock();
    }
    LoadLandBuffer();
}

// Rebuilds both overlays for the selected quad, if there is one.
static void RebuildSelectionOverlays()
{
    int iFirst = GetSelectedPairFirst();
    if (iFirst < 0)
        return;
    LoadCornerOverlayVB(m_iCurrentCave, m_CaveData[iFirst], m_CaveData[iFirst + 1]);
    LoadTileOutlineVB(m_iCurrentCave, m_CaveData[iFirst], m_CaveData[iFirst + 1]);
}

// A base texture (a multiple of 8 below 128) goes to texture A of the quad; an alpha texture
// or 128 to texture B, so painting 128 takes texture B away.
static void PaintSelectedPair(int n)
{
    int iFirst = GetSelectedPairFirst();
    if (iFirst < 0)
        return;
    bool bBase = n % 8 == 0 && n != PLAIN_TEXTURE;
    for (int r = 0; r < 2; r++)
        (bBase ? m_CaveData[iFirst + r].siTextureA : m_CaveData[iFirst + r].siTextureB) =
            (short)n;
    LoadCornerOverlayVB(m_iCurrentCave, m_CaveData[iFirst], m_CaveData[iFirst + 1]);
}

static void DeletePickedCave()
{
    // One deletion per press, held or clicked between two frames.
    SMD.bLeftDown = false;
    SMD.bLeftClick = false;
    m_iSelectedTriangle = PickCaveTriangle();
    if (m_iSelectedTriangle == NO_CAVE_TRIANGLE)
        return;
    RebuildSelectionOverlays();
    DeleteCave();
    // With no cave left nothing is selected, so the next cave added is not.
    if (m_iNumCaves == 0)
        m_iSelectedTriangle = NO_CAVE_TRIANGLE;
}

static bool IsCaveTileAt(int iTile)
{
    if (iTile == NO_PICKED_TILE)
        return false;
    int x, z;
    SplitTileIndex(iTile, &x, &z);
    return m_MapData.siTileType[x][z] == 1;
}

void ProcessCaveEdit(int tool)
{
    int iTile = PickTile(SMD.siX, SMD.siY);
    bool bTexEdit = false;
    int iFirst = GetSelectedPairFirst();
    if (iFirst >= 0)
    {
        CaveData sCaveData = m_CaveData[iFirst];
        CaveData sCaveData1 = m_CaveData[iFirst + 1];
        LoadCornerOverlayVB(m_iCurrentCave, sCaveData, sCaveData1);
        int iPanel = CavePanelAt(SMD.siX, SMD.siY);
        // A hold from one panel moves no corner of the other.
        if (iPanel != NO_CAVE_PANEL &&
            (m_iCavePanelHold == NO_CAVE_PANEL || m_iCavePanelHold == iPanel))
            DragCaveTexCoord(iPanel == CAVE_PANEL_A, &bTexEdit, iFirst, sCaveData, sCaveData1);
    }

    // A press on a panel, even one released within the frame, and a hold begun there are the
    // panel's alone: no tool acts on the caves or the land behind it or beyond.
    if (m_iCavePanelHold != NO_CAVE_PANEL || (bTexEdit && SMD.bLeftClick))
        return;
    if (tool != CAVE_TOOL_ADD && (!IsCaveTileAt(iTile) || bTexEdit))
        return;
    // A click pressed and released between two frames is a press too; the right button
    // does nothing here.
    if (!SMD.bLeftDown && !SMD.bLeftClick)
        return;
    switch (tool)
    {
    case CAVE_TOOL_SELECT:
    case CAVE_TOOL_PAINT:
        m_iSelectedTriangle = PickCaveTriangle();
        RebuildSelectionOverlays();
        if (tool == CAVE_TOOL_PAINT)
            PaintSelectedPair(GetSelectedTexture());
        break;
    case CAVE_TOOL_DELETE:
        DeletePickedCave();
        break;
    case CAVE_TOOL_ADD:
        if (iTile != NO_PICKED_TILE)
            AddCaveAtTile(iTile);
        break;
    }
}

void ResetCaveSelectionOnLoad()
{
    if (m_iCurrentCave < 0 || m_iCurrentCave >= m_iNumCaves)
    {
        m_iCurrentCave = 0;
        m_iSelectedTriangle = NO_CAVE_TRIANGLE;
    }
    RebuildSelectionOverlays();
}
