// The mini map, the camera cross on it, and the land's line overlays drawn over the frame.
#include "terrain/minimap.h"

#include "app/camera.h"
#include "app/d3dservices.h"
#include "app/log.h"
#include "terrain/landbuffers.h"
#include "terrain/landtextures.h"
#include "terrain/mapdata.h"
#include "terrain/view.h"

LPDIRECT3DVERTEXBUFFER9 m_pMiniMap = NULL;    // made by the first height-mode build
LPDIRECT3DVERTEXBUFFER9 m_pMMTex[m_iNumTextureTypes];         // made when a texture-mode build meets the type
int m_iMMTexCount[m_iNumTextureTypes];                        // 0 for a type without tiles
LPDIRECT3DVERTEXBUFFER9 m_pTileVB = NULL;     // rebuilt whenever the editor hovers a tile

static const int MINI_MAP_POINTS = MAP_SIZE * MAP_SIZE;   // vertex z * 100 + x per corner
static const int CROSS_POINTS = 9;
static const DWORD CROSS_RED = 0xFFFF0000;
static const DWORD LINE_RED = 0x00FF0000;
static const float HILITE_LIFT = 0.01f;   // the hilite quad sits just above the land

static ColorScreenVertex ScreenPoint(float x, float y, DWORD dwColour)
{
    ColorScreenVertex v = {x, y, 0.0f, 1.0f, dwColour};
    return v;
}

static void BuildHeightPoints()
{
    // The buffer's size never changes and every point is written again: it is made once.
    if (m_pMiniMap == NULL)
        m_pMiniMap = CreateSystemVertexBuffer(
            (MINI_MAP_POINTS + CROSS_POINTS) * sizeof(ColorScreenVertex), D3DFVF_COLORSCREENVERTEX);
    ColorScreenVertex* pV = (ColorScreenVertex*)LockWholeBuffer(m_pMiniMap);
    if (pV == NULL)
        return;
    for (int z = 0; z < MAP_SIZE; z++)
    {
        for (int x = 0; x < MAP_SIZE; x++)
        {
            // The low eight bits only: 256, the editor's top, shows black again.
            DWORD g = (DWORD)m_MapData.siHeight[x][z] & 0xFF;
            pV[z * MAP_SIZE + x] = ScreenPoint((float)x, (float)(99 - z),
                                               0xFF000000 + g * 0x10000 + g * 0x100 + g);
        }
    }
    m_pMiniMap->Unlock();
}

// Every type's points are written under one lock per build; the points and their order are
// those of one lock per tile.
static void BuildTexturePoints()
{
    TexScreenVertex* pPoints[m_iNumTextureTypes] = {};
    bool bTried[m_iNumTextureTypes] = {};
    for (int t = 0; t < m_iNumTextureTypes; t++)
    {
        ReleaseAndClear(m_pMMTex[t]);
        m_iMMTexCount[t] = 0;
    }
    for (int z = 0; z < MAP_SIZE; z++)
    {
        for (int x = 0; x < MAP_SIZE; x++)
        {
            int t = TextureTypeOf(m_MapData.siBaseTexture[x][z]);
            if (t < 0 || t >= m_iNumTextureTypes)
                continue;
            if (!bTried[t])
            {
                // One attempt per type and build, so a refused buffer costs one line.
                bTried[t] = true;
                m_pMMTex[t] = CreateSystemVertexBuffer(MINI_MAP_POINTS * sizeof(TexScreenVertex),
                                                       D3DFVF_TEXSCREENVERTEX);
                if (m_pMMTex[t] == NULL)
                    LogError("failed to create vertex buffer for MMTex mini map");
                else if ((pPoints[t] = (TexScreenVertex*)LockWholeBuffer(m_pMMTex[t])) == NULL)
                    LogError("failed to lock vertex buffer for MMTex mini map");
            }
            if (pPoints[t] == NULL)
                continue;
            TexScreenVertex v = {(float)x, (float)(99 - z), 0.0f, 1.0f, 0.5f, 0.5f};
            pPoints[t][m_iMMTexCount[t]++] = v;
        }
    }
    for (int t = 0; t < m_iNumTextureTypes; t++)
        if (pPoints[t] != NULL)
            m_pMMTex[t]->Unlock();
}

static void BuildCameraCross()
{
    ColorScreenVertex* pV = (ColorScreenVertex*)LockWholeBuffer(m_pMiniMap);
    if (pV == NULL)
        return;
    int cx = (int)GetCameraX();
    int cy = 99 - (int)GetCameraZ();
    static const int iArm[CROSS_POINTS][2] = {{0, 0},  {-1, 0}, {-2, 0}, {1, 0}, {2, 0},
                                              {0, 1},  {0, 2},  {0, -1}, {0, -2}};
    for (int i = 0; i < CROSS_POINTS; i++)
        pV[MINI_MAP_POINTS + i] =
            ScreenPoint((float)(cx + iArm[i][0]), (float)(cy + iArm[i][1]), CROSS_RED);
    m_pMiniMap->Unlock();
}

void GenerateHeightMap()
{
    if (m_pDevice == NULL)
        return;
    if (m_bMMTex)
        BuildTexturePoints();
    else
        BuildHeightPoints();
    BuildCameraCross();
}

void SetHiliteTile(int x, int z)
{
    if (x < 0 || x >= MAP_SIZE || z < 0 || z >= MAP_SIZE)
    {
        LogError("SetHiliteTile: tile outside the map");
        return;
    }
    if (m_pDevice == NULL)
        return;
    ReleaseAndClear(m_pTileVB);
    m_pTileVB = CreateSystemVertexBuffer(4 * sizeof(LineVertex), D3DFVF_LINEVERTEX);
    if (m_pTileVB == NULL)
    {
        LogError("failed to create m_pTileVB");
        return;
    }
    LineVertex* pV = (LineVertex*)LockWholeBuffer(m_pTileVB);
    if (pV == NULL)
        return;
    DrawnTile tile = GetDrawnTile(x, z);
    const D3DXVECTOR3* pCorner[4] = {&tile.vTL, &tile.vTR, &tile.vBL, &tile.vBR};
    for (int i = 0; i < 4; i++)
        pV[i] = {pCorner[i]->x, pCorner[i]->y + HILITE_LIFT, pCorner[i]->z, LINE_RED};
    m_pTileVB->Unlock();
}

static void DrawLines(LPDIRECT3DVERTEXBUFFER9 pVB, D3DPRIMITIVETYPE type, UINT uiCount)
{
    if (pVB == NULL || uiCount == 0)
        return;
    // Counts refreshed without a rebuild must not draw past the buffer's end.
    D3DVERTEXBUFFER_DESC desc;
    UINT uiHeld = SUCCEEDED(pVB->GetDesc(&desc)) ? desc.Size / sizeof(LineVertex) : 0;
    UINT uiPerLine = type == D3DPT_LINELIST ? 2 : 1;
    UINT uiExtra = type == D3DPT_LINELIST ? 0 : 2;
    if (uiCount * uiPerLine + uiExtra > uiHeld)
        uiCount = uiHeld < uiExtra ? 0 : (uiHeld - uiExtra) / uiPerLine;
    if (uiCount == 0)
        return;
    m_pDevice->SetFVF(D3DFVF_LINEVERTEX);
    m_pDevice->SetStreamSource(0, pVB, 0, sizeof(LineVertex));
    m_pDevice->DrawPrimitive(type, 0, uiCount);
}

static void DrawMiniMapPoints()
{
    if (m_bMMTex)
    {
        for (int t = 0; t < m_iNumTextureTypes; t++)
        {
            if (m_iMMTexCount[t] <= 0 || m_pMMTex[t] == NULL)
                continue;
            m_pDevice->SetTexture(0, m_pLandTexture[BaseTextureOf(t)]);
            m_pDevice->SetFVF(D3DFVF_TEXSCREENVERTEX);
            m_pDevice->SetStreamSource(0, m_pMMTex[t], 0, sizeof(TexScreenVertex));
            m_pDevice->DrawPrimitive(D3DPT_POINTLIST, 0, m_iMMTexCount[t]);
        }
        // The cross has no texture coordinates: a texture left bound would colour it.
        m_pDevice->SetTexture(0, NULL);
    }
    if (m_pMiniMap == NULL)
        return;
    m_pDevice->SetFVF(D3DFVF_COLORSCREENVERTEX);
    m_pDevice->SetStreamSource(0, m_pMiniMap, 0, sizeof(ColorScreenVertex));
    if (!m_bMMTex)
        m_pDevice->DrawPrimitive(D3DPT_POINTLIST, 0, MINI_MAP_POINTS);
    m_pDevice->DrawPrimitive(D3DPT_POINTLIST, MINI_MAP_POINTS, CROSS_POINTS);
}

void RenderLandOverlays()
{
    m_pDevice->SetRenderState(D3DRS_ALPHABLENDENABLE, FALSE);
    m_pDevice->SetTexture(0, NULL);
    if (bGrid)
        DrawLines(m_pGridVB, D3DPT_LINELIST, m_iNumDisplayableTiles * 2);
    if (m_bNormals)
        DrawLines(m_pNormalVB, D3DPT_LINELIST, m_iNumDisplayableTiles);
    if (m_bHiliteTile)
        DrawLines(m_pTileVB, D3DPT_TRIANGLESTRIP, 2);
    DrawMiniMapPoints();
}

void ReleaseMiniMap()
{
    ReleaseAndClear(m_pMiniMap);
    for (int t = 0; t < m_iNumTextureTypes; t++)
    {
        ReleaseAndClear(m_pMMTex[t]);
        m_iMMTexCount[t] = 0;
    }
    ReleaseAndClear(m_pTileVB);
}
