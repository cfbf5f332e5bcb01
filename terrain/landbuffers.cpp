// Land vertex buffers: the map's corner normals and the geometry of every visible land tile,
// sorted into one buffer per land batch, with the grid and normal lines beside them.
#include "terrain/landbuffers.h"

#include <cmath>
#include <cstdio>

#include "app/d3dservices.h"
#include "app/log.h"
#include "terrain/landtextures.h"
#include "terrain/mapdata.h"
#include "terrain/view.h"

LPDIRECT3DVERTEXBUFFER9 m_pLandRowVB[BATCH_TABLE_TYPES][ALPHA_TABLE_SIZE];   // batch buffers; rebuilt by every build
LPDIRECT3DVERTEXBUFFER9 m_pGridVB = NULL;        // grid lines; contents written only with bGrid
LPDIRECT3DVERTEXBUFFER9 m_pNormalVB = NULL;      // one normal line per visible land tile

static const DWORD LINE_RED = 0x00FF0000;        // debug lines carry alpha 0
static const float GRID_LIFT = 0.01f;            // grid lines sit just above the land

static const int BATCH_TYPES = m_iNumTextureTypes;   // base types 0 to 15 ...
static const int BATCH_SLOTS = NUM_ALPHA_SLOTS;      // ... by alpha slots 0 to 112

namespace
{
// One corner of a tile as the build writes it: its drawn place and its grid corner's normal.
struct BuildCorner
{
    float x, y, z;
    D3DXVECTOR3 vNormal;
};

// One build's write state per batch. A batch is locked at its first tile and unlocked at the
// end of the build: one lock per build rather than per tile writes the same vertices.
struct BatchWrite
{
    int iXPos;               // next free tile slot
    LandVertex* pVertices;   // the locked buffer; null until the batch's first tile
    bool bLockFailed;        // every tile of the batch then logs the failure
};
}   // namespace

static BatchWrite sBatch[BATCH_TYPES][BATCH_SLOTS];

static void TraceLand(const char* text)
{
    if (m_bTraceLand)
        LogError(text);
}

static void TraceLandInt(int iValue)
{
    if (!m_bTraceLand)
        return;
    LogErrorf("%d", iValue);
}

void CalculateVertexNormal(int x, int z)
{
    float h = CornerWorldHeight(x, z);
    float dN = h - CornerWorldHeight(x, NextTileZ(z));
    float dE = h - CornerWorldHeight(NextTileX(x), z);
    float dS = h - CornerWorldHeight(x, PrevTileZ(z));
    float dW = h - CornerWorldHeight(PrevTileX(x), z);

    float a = dE - dW;
    float la = (float)sqrt(a * a + 1.0);
    float b = dN - dS;
    float lb = (float)sqrt(b * b + 1.0);
    D3DXVECTOR3 vN(a / (la + lb), 1.0f, b / (la + lb));
    D3DXVec3Normalize(&m_MapData.vNormal[x][z], &vN);
}

static void OrientRecord(TileTexCoords* pRec, bool bFlipX, bool bFlipZ, short siRotation)
{
    if (bFlipX)
        FlipUVX(pRec);
    if (bFlipZ)
        FlipUVZ(pRec);
    switch (siRotation)
    {
    case 1: RotateUV90(pRec); break;
    case 2: RotateUV180(pRec); break;
    case 3: RotateUV270(pRec); break;
    default: break;
    }
}

// The tile's two layers as drawn: flips, then rotation; the alpha record with its halves
// exchanged, so that its pairs line up with the base record's corners.
static void OrientedTileRecords(int x, int z, TileTexCoords* pB, TileTexCoords* pA)
{
    *pB = m_BaseTexCoords[x][z];
    const TileTexCoords& alpha = m_AlphaTexCoords[x][z];
    for (int i = 0; i < 4; i++)
    {
        pA->fUV[i] = alpha.fUV[i + 4];
        pA->fUV[i + 4] = alpha.fUV[i];
    }
    OrientRecord(pB, m_MapData.bBaseFlipX[x][z], m_MapData.bBaseFlipZ[x][z],
                 m_MapData.siBaseRotation[x][z]);
    OrientRecord(pA, m_MapData.bAlphaFlipX[x][z], m_MapData.bAlphaFlipZ[x][z],
                 m_MapData.siAlphaRotation[x][z]);
}

static BuildCorner MakeCorner(const D3DXVECTOR3& vPos, int gx, int gz)
{
    BuildCorner c;
    c.x = vPos.x;
    c.y = vPos.y;
    c.z = vPos.z;
    c.vNormal = m_MapData.vNormal[gx][gz];
    return c;
}

static LandVertex MakeVertex(const BuildCorner& c, const TileTexCoords& B, const TileTexCoords& A,
                             int iPair)
{
    LandVertex v;
    v.x = c.x;
    v.y = c.y;
    v.z = c.z;
    v.nx = c.vNormal.x;
    v.ny = c.vNormal.y;
    v.nz = c.vNormal.z;
    v.fBaseU = B.fUV[iPair * 2];
    v.fBaseV = B.fUV[iPair * 2 + 1];
    v.fAlphaU = A.fUV[iPair * 2];
    v.fAlphaV = A.fUV[iPair * 2 + 1];
    return v;
}

static LineVertex MakeLine(float x, float y, float z)
{
    LineVertex v = {x, y, z, LINE_RED};
    return v;
}

// The buffer at iCount items. One of that size already is kept: every build writes it over
// whole, and a release and a creation per batch and build cost more than the writing. With no
// items there is none: the device refuses a buffer of no length.
static void SizeBuffer(LPDIRECT3DVERTEXBUFFER9* ppVB, int iCount, UINT uiItemBytes, DWORD dwFVF,
                       const char* pszFailure)
{
    UINT uiBytes = iCount > 0 ? (UINT)iCount * uiItemBytes : 0;
    D3DVERTEXBUFFER_DESC desc;
    if (uiBytes > 0 && *ppVB != NULL && SUCCEEDED((*ppVB)->GetDesc(&desc)) && desc.Size == uiBytes)
        return;
    ReleaseAndClear(*ppVB);
    if (uiBytes == 0)
        return;
    *ppVB = CreateSystemVertexBuffer(uiBytes, dwFVF);
    if (*ppVB == NULL)
        LogError(pszFailure);
}

// Every buffer at the current counts.
static void CreateBuffers()
{
    for (int t = 0; t < BATCH_TYPES; t++)
    {
        for (int s = 0; s < BATCH_SLOTS; s++)
        {
            sBatch[t][s] = BatchWrite();
            if (m_iLandRowCount[t][s] > 0)
                TraceLand("m_pLandRowVB[x][z]");
            SizeBuffer(&m_pLandRowVB[t][s], m_iLandRowCount[t][s], 6 * sizeof(LandVertex),
                       D3DFVF_LANDVERTEX, "failed to create m_pLandRowVB");
        }
    }
    TraceLand("m_pGridVB");
    SizeBuffer(&m_pGridVB, m_iNumDisplayableTiles, 4 * sizeof(LineVertex), D3DFVF_LINEVERTEX,
               "failed to create m_pGridVB");
    TraceLand("m_pNormalVB");
    SizeBuffer(&m_pNormalVB, m_iNumDisplayableTiles, 2 * sizeof(LineVertex), D3DFVF_LINEVERTEX,
               "failed to create m_pNormalVB");
}

static LineVertex* LockLines(LPDIRECT3DVERTEXBUFFER9 pVB)
{
    return (LineVertex*)LockWholeBuffer(pVB);
}

static void UnlockLines(LPDIRECT3DVERTEXBUFFER9 pVB, LineVertex* pLines)
{
    if (pLines != NULL)
        pVB->Unlock();
}

// The vertices of the batch's next tile slot, or null when the batch cannot take the tile.
static LandVertex* NextTileSlot(int t, int s, bool* pbOverCount)
{
    if (t < 0 || t >= BATCH_TYPES || s < 0 || s >= BATCH_SLOTS || m_pLandRowVB[t][s] == NULL)
        return NULL;
    BatchWrite& w = sBatch[t][s];
    if (w.iXPos >= m_iLandRowCount[t][s])
    {
        *pbOverCount = true;
        return NULL;
    }
    if (w.pVertices == NULL && !w.bLockFailed)
    {
        w.pVertices = (LandVertex*)LockWholeBuffer(m_pLandRowVB[t][s]);
        w.bLockFailed = w.pVertices == NULL;
    }
    if (w.bLockFailed)
    {
        LogError("failed to lock m_pLandRowVB");
        return NULL;
    }
    return w.pVertices + w.iXPos * 6;
}

static void UnlockBatches()
{
    for (int t = 0; t < BATCH_TYPES; t++)
        for (int s = 0; s < BATCH_SLOTS; s++)
            if (sBatch[t][s].pVertices != NULL)
            {
                m_pLandRowVB[t][s]->Unlock();
                sBatch[t][s].pVertices = NULL;
            }
}

static void TraceCorners(const BuildCorner& bl, const BuildCorner& tl, const BuildCorner& tr,
                         const BuildCorner& br, int t, int s)
{
    const BuildCorner* corners[4] = {&bl, &tl, &tr, &br};
    for (const BuildCorner* c : corners)
    {
        TraceLandInt((int)c->x);
        TraceLandInt((int)c->y);
        TraceLandInt((int)c->z);
    }
    TraceLandInt(t);
    TraceLandInt(s);
    TraceLandInt(sBatch[t][s].iXPos);
    TraceLandInt(m_iLandRowCount[t][s]);
}

// The tile's two triangles, split along TR-BL, or along TL-BR when flipped.
static void WriteTileTriangles(LandVertex* pV, bool bFlip, const LandVertex& tl,
                               const LandVertex& tr, const LandVertex& bl, const LandVertex& br)
{
    if (!bFlip)
    {
        pV[0] = tl;
        pV[1] = tr;
        pV[2] = bl;
        pV[3] = bl;
        pV[4] = tr;
        pV[5] = br;
    }
    else
    {
        pV[0] = tl;
        pV[1] = br;
        pV[2] = bl;
        pV[3] = tl;
        pV[4] = tr;
        pV[5] = br;
    }
}

static void TraceTriangles(bool bFlip)
{
    if (bFlip)
    {
        TraceLand("flip");
    }
    else
    {
        TraceLand("no flip bl");
        TraceLand("no flip tr");
        TraceLand("no flip bl2");
        TraceLand("no flip br");
        TraceLand("no flip tr2");
    }
    TraceLand("end flip");
}

// One visible land tile; n is its number in build order. False for a tile that belongs to
// no batch (texture numbers outside the tables), which takes no number.
static bool BuildTile(int x, int z, int n, LineVertex* pNormals, LineVertex* pGrid,
                      bool* pbOverCount)
{
    int t, s;
    if (!GetTileBatch(x, z, &t, &s))
        return false;

    TileTexCoords B, A;
    OrientedTileRecords(x, z, &B, &A);
    LandVertex* pSlot = NextTileSlot(t, s, pbOverCount);

    int xn = NextTileX(x), zn = NextTileZ(z);
    DrawnTile tile = GetDrawnTile(x, z);
    BuildCorner tl = MakeCorner(tile.vTL, x, zn);
    BuildCorner tr = MakeCorner(tile.vTR, xn, zn);
    BuildCorner bl = MakeCorner(tile.vBL, x, z);
    BuildCorner br = MakeCorner(tile.vBR, xn, z);

    // Counts older than the map would run the line buffers past their end.
    bool bLinesFit = n < m_iNumDisplayableTiles;
    if (pNormals != NULL && bLinesFit)
    {
        const D3DXVECTOR3& vN = m_MapData.vNormal[x][z];
        pNormals[2 * n] = MakeLine(bl.x, bl.y, bl.z);
        pNormals[2 * n + 1] = MakeLine(bl.x + vN.x, bl.y + vN.y, bl.z + vN.z);
    }
    if (bGrid)
    {
        TraceLand("bGrid");
        if (pGrid != NULL && bLinesFit)
        {
            pGrid[4 * n] = MakeLine(tl.x, tl.y + GRID_LIFT, tl.z);
            pGrid[4 * n + 1] = MakeLine(tr.x, tr.y + GRID_LIFT, tr.z);
            pGrid[4 * n + 2] = MakeLine(bl.x, bl.y + GRID_LIFT, bl.z);
            pGrid[4 * n + 3] = MakeLine(tl.x, tl.y + GRID_LIFT, tl.z);
        }
    }
    if (!bLinesFit)
        *pbOverCount = true;

    bool bFlip = m_MapData.bTriangleFlip[x][z];
    if (!bFlip)
    {
        TraceLand("no flip");
        TraceCorners(bl, tl, tr, br, t, s);
    }
    TraceTriangles(bFlip);
    if (pSlot == NULL)
        return true;
    WriteTileTriangles(pSlot, bFlip, MakeVertex(tl, B, A, 0), MakeVertex(tr, B, A, 1),
                       MakeVertex(bl, B, A, 2), MakeVertex(br, B, A, 3));
    sBatch[t][s].iXPos++;
    return true;
}

void LoadLandBuffer()
{
    if (m_pDevice == NULL)
        return;
    CreateBuffers();

    TraceLand("m_pNormalVB->Lock");
    LineVertex* pNormals = LockLines(m_pNormalVB);
    TraceLand("m_pGridVB->Lock");
    LineVertex* pGrid = LockLines(m_pGridVB);

    // Every normal first: a tile's far corners are the next tiles' near corners, and after a
    // height edit they must not keep the previous build's shading.
    for (int z = 0; z < MAP_SIZE; z++)
        for (int x = 0; x < MAP_SIZE; x++)
            CalculateVertexNormal(x, z);

    int n = 0;
    bool bOverCount = false;
    for (int z = 0; z < MAP_SIZE; z++)
    {
        for (int x = 0; x < MAP_SIZE; x++)
        {
            if (!IsTileDisplayable(x, z) || m_MapData.siTileType[x][z] == 1)
                continue;
            if (BuildTile(x, z, n, pNormals, pGrid, &bOverCount))
                n++;
        }
    }

    UnlockBatches();
    UnlockLines(m_pGridVB, pGrid);
    UnlockLines(m_pNormalVB, pNormals);
    if (bOverCount)
        LogError("LoadLandBuffer: more visible tiles than counted; the extra tiles are left out");
    TraceLand("Finished LoadLandBuffer");
}

void ReleaseLandBuffers()
{
    for (int t = 0; t < BATCH_TABLE_TYPES; t++)
        for (int s = 0; s < ALPHA_TABLE_SIZE; s++)
            ReleaseAndClear(m_pLandRowVB[t][s]);
    ReleaseAndClear(m_pGridVB);
    ReleaseAndClear(m_pNormalVB);
}
