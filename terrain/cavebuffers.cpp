// Cave vertex buffers: one buffer per cave, filled from its records at its wrap offsets and
// moved with them, and the drawing of the visible caves after the land.
#include "terrain/cavebuffers.h"

#include "app/d3dservices.h"
#include "app/log.h"
#include "editor/landedit.h"
#include "terrain/caveoverlays.h"
#include "terrain/caves.h"
#include "terrain/landbuffers.h"
#include "terrain/landpasses.h"
#include "terrain/landtextures.h"
#include "terrain/mapdata.h"
#include "terrain/view.h"

// One buffer per cave in cave order; made by LoadCaveVB and RebuildCaveVBs.
std::vector<LPDIRECT3DVERTEXBUFFER9> m_CaveVBs;
// The buffer last created, being filled; the list owns it.
LPDIRECT3DVERTEXBUFFER9 m_pCaveVB = NULL;

// True when the next RenderCave draws the first layer; every call flips it.
static bool bCaveLayerToggle = true;

static void ReleaseCaveVBs()
{
    for (LPDIRECT3DVERTEXBUFFER9& pVB : m_CaveVBs)
        ReleaseAndClear(pVB);
    m_CaveVBs.clear();
    m_pCaveVB = NULL;
}

void ReleaseCaves()
{
    ReleaseCaveVBs();
    ReleaseOverlayVBs();
}

void RemoveCaveVB(int n)
{
    if (n < 0 || n >= (int)m_CaveVBs.size())
        return;
    if (m_pCaveVB == m_CaveVBs[n])
        m_pCaveVB = NULL;
    ReleaseAndClear(m_CaveVBs[n]);
    m_CaveVBs.erase(m_CaveVBs.begin() + n);
}

void EmptyCaveLists()
{
    ReleaseCaveVBs();
    m_CaveData.clear();
    m_CaveSummaries.clear();
    m_iNumCaves = 0;
}

// Faces lit from above: the triangle's normal turned upward.
static D3DXVECTOR3 CaveFaceNormal(const CaveData& rec)
{
    D3DXVECTOR3 e1 = rec.vCorner[1] - rec.vCorner[0];
    D3DXVECTOR3 e2 = rec.vCorner[2] - rec.vCorner[0];
    D3DXVECTOR3 n;
    D3DXVec3Cross(&n, &e1, &e2);
    if (D3DXVec3Length(&n) < 1e-6f)
        return D3DXVECTOR3(0.0f, 1.0f, 0.0f);
    if (n.y < 0.0f)
        n = -n;
    D3DXVec3Normalize(&n, &n);
    return n;
}

// Writes cave n's vertices at its summary's offsets; set 1 from set 0 or from siTexCoordB.
static void WriteCaveVertices(LandVertex* pV, int n, bool bCopyFirstLayer, bool bTrace)
{
    const CaveSummary& s = m_CaveSummaries[n];
    int iFirst = 0;
    int iCount = CaveRecordRange(n, &iFirst);
    if (iCount != GetCaveTriangleCount(n))
        LogErrorf("cave %d: %d records do not fit its buffer or the list", n,
                  GetCaveTriangleCount(n));
    for (int t = 0; t < iCount; t++)
    {
        if (bTrace)
            LogError("LoadCaveVB() vertex");
        const CaveData& rec = m_CaveData[iFirst + t];
        D3DXVECTOR3 vNormal = CaveFaceNormal(rec);
        for (int k = 0; k < 3; k++)
        {
            LandVertex& v = pV[3 * t + k];
            v.x = rec.vCorner[k].x + (float)s.iWrapOffsetX;
            v.y = rec.vCorner[k].y;
            v.z = rec.vCorner[k].z + (float)s.iWrapOffsetZ;
            v.nx = vNormal.x;
            v.ny = vNormal.y;
            v.nz = vNormal.z;
            v.fBaseU = rec.siTexCoordA[k][0] / 128.0f;
            v.fBaseV = rec.siTexCoordA[k][1] / 128.0f;
            const short(*uvB)[2] = bCopyFirstLayer ? rec.siTexCoordA : rec.siTexCoordB;
            v.fAlphaU = uvB[k][0] / 128.0f;
            v.fAlphaV = uvB[k][1] / 128.0f;
        }
    }
}

static void CreateCaveVB()
{
    m_pCaveVB = CreateSystemVertexBuffer(CAVE_VERTICES * sizeof(LandVertex), D3DFVF_LANDVERTEX);
    if (m_pCaveVB == NULL)
        LogError("failed to create m_pCaveVB");
}

static LandVertex* LockCaveVB(LPDIRECT3DVERTEXBUFFER9 pVB)
{
    LandVertex* pV = (LandVertex*)LockWholeBuffer(pVB);
    if (pV == NULL)
        LogError("failed to lock m_pCaveVB");
    return pV;
}

void LoadCaveVB()
{
    LogError("LoadCaveVB()");
    int c = m_iNumCaves - 1;
    if (!IsCave(c))
    {
        LogErrorf("LoadCaveVB: no cave %d", c);
        return;
    }
    CreateCaveVB();
    LandVertex* pV = LockCaveVB(m_pCaveVB);
    if (pV != NULL)
    {
        LogError("LoadCaveVB() lock vb");
        WriteCaveVertices(pV, c, true, true);
        m_pCaveVB->Unlock();
        LogError("LoadCaveVB() unlock");
    }
    m_CaveVBs.push_back(m_pCaveVB);
    LogError("LoadCaveVB() exit");
}

void RebuildCaveVBs()
{
    ReleaseCaveVBs();
    for (int n = 0; n < m_iNumCaves; n++)
    {
        m_pCaveVB = NULL;
        if (IsCave(n))
            CreateCaveVB();
        else
            LogErrorf("cave %d has no summary", n);
        LandVertex* pV = m_pCaveVB != NULL ? LockCaveVB(m_pCaveVB) : NULL;
        if (pV != NULL)
        {
            WriteCaveVertices(pV, n, false, false);
            m_pCaveVB->Unlock();
        }
        m_CaveVBs.push_back(m_pCaveVB);
    }
    LoadLandBuffer();
}

// Sets coordinate x (iAxis 0) or z (iAxis 2) of every vertex of cave n to its record's
// value plus iOffset.
static bool MoveCaveAxis(int n, int iAxis, int iOffset)
{
    LandVertex* pV = LockCaveVB(m_CaveVBs[n]);
    if (pV == NULL)
        return false;
    int iFirst = 0;
    int iCount = CaveRecordRange(n, &iFirst);
    for (int t = 0; t < iCount; t++)
        for (int k = 0; k < 3; k++)
        {
            const D3DXVECTOR3& c = m_CaveData[iFirst + t].vCorner[k];
            if (iAxis == 0)
                pV[3 * t + k].x = c.x + (float)iOffset;
            else
                pV[3 * t + k].z = c.z + (float)iOffset;
        }
    m_CaveVBs[n]->Unlock();
    return true;
}

void UpdateCavePosition(int n)
{
    // A cave whose buffer is not built yet (a map being loaded) keeps its stored offsets.
    // Runs on every recount, so a tile naming no cave is skipped without a log line.
    if (!IsCave(n) || n >= (int)m_CaveVBs.size() || m_CaveVBs[n] == NULL)
        return;
    CaveSummary& s = m_CaveSummaries[n];
    int iOffsetX = GetTileWrapOffsetX(s.iTile);
    if (s.iWrapOffsetX != iOffsetX && MoveCaveAxis(n, 0, iOffsetX))
        s.iWrapOffsetX = iOffsetX;
    int iOffsetZ = GetTileWrapOffsetZ(s.iTile);
    if (s.iWrapOffsetZ != iOffsetZ && MoveCaveAxis(n, 2, iOffsetZ))
        s.iWrapOffsetZ = iOffsetZ;
}

static void DrawCaveQuad(LPDIRECT3DVERTEXBUFFER9 pVB, int q)
{
    m_pDevice->SetStreamSource(0, pVB, 0, sizeof(LandVertex));
    if (FAILED(m_pDevice->DrawPrimitive(D3DPT_TRIANGLELIST, 6 * q, 2)))
        LogError("failed to render vertex buffer");
}

void RenderCave(int n)
{
    bool bFirstLayer = bCaveLayerToggle;
    bCaveLayerToggle = !bCaveLayerToggle;
    // Unknown caves and caves without a buffer draw nothing; their fault was logged when
    // their records or buffer were made.
    if (!IsCave(n) || n >= (int)m_CaveVBs.size() || m_CaveVBs[n] == NULL)
        return;

    int iFirst = 0;
    int iQuads = CaveRecordRange(n, &iFirst) / 2;
    m_pDevice->SetFVF(D3DFVF_LANDVERTEX);
    if (bFirstLayer)
        SetLandBaseStates();
    for (int q = 0; q < iQuads; q++)
    {
        const CaveData& rec = m_CaveData[iFirst + 2 * q];
        if (bFirstLayer)
            SetLandTexture(rec.siTextureA);
        else if (rec.siTextureB == PLAIN_TEXTURE)
            continue;
        else
        {
            SetLandAlphaStates();
            SetLandTexture(rec.siTextureB);
        }
        DrawCaveQuad(m_CaveVBs[n], q);
    }
    ResetRenderStates();
    if (IsCaveEditMode())
        RenderCaveEditOverlays();
}

void RenderVisibleCaves()
{
    for (int i = 0; i < m_siNumVisibleCaves; i++)
    {
        RenderCave(m_siVisibleCaves[i]);
        RenderCave(m_siVisibleCaves[i]);
    }
}
