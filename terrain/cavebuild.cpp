// Cave construction: picks the model of the tile's slope, levels the tile's two lowest
// corners and bends the model onto the corner heights.
#include "terrain/cavebuild.h"

#include <cmath>

#include "app/log.h"
#include "terrain/cavebuffers.h"
#include "terrain/cavemodels.h"
#include "terrain/caves.h"
#include "terrain/landtextures.h"
#include "terrain/mapdata.h"
#include "terrain/view.h"

namespace
{
// A corner of the cave's tile in grid coordinates; 100 at the map's far edges.
struct CaveCorner
{
    int x, z;
};
}   // namespace

// Texture corners of the two triangles of every new quad, in 1/128 units.
static const short m_siNewTexCoords[2][3][2] = {{{0, 128}, {128, 128}, {0, 0}},
                                                {{0, 128}, {0, 0}, {128, 0}}};

static int GridIndex(int c)
{
    return c == MAP_SIZE ? 0 : c;
}

static short& StoredHeight(const CaveCorner& p)
{
    return m_MapData.siHeight[GridIndex(p.x)][GridIndex(p.z)];
}

static float WorldHeight(const CaveCorner& p)
{
    return (float)StoredHeight(p) / (float)m_MapData.siHeightScale;
}

static void Swap(CaveCorner& a, CaveCorner& b)
{
    CaveCorner t = a;
    a = b;
    b = t;
}

static bool TestForOtherCaves(int x, int z)
{
    int xn = NextTileX(x), xp = PrevTileX(x), zn = NextTileZ(z), zp = PrevTileZ(z);
    const int iNeighbour[8][2] = {{xn, z}, {xn, zn}, {x, zn}, {xp, zn},
                                  {xp, z}, {xp, zp}, {x, zp}, {xn, zp}};
    for (int i = 0; i < 8; i++)
        if (m_MapData.siTileType[iNeighbour[i][0]][iNeighbour[i][1]] == 1)
            return true;
    return false;
}

// Insertion sort by stored height, lowest first; equal heights keep their order.
static void Adjust4Corners(CaveCorner& p1, CaveCorner& p2, CaveCorner& p3, CaveCorner& p4)
{
    if (StoredHeight(p2) < StoredHeight(p1))
        Swap(p1, p2);
    if (StoredHeight(p3) < StoredHeight(p2))
    {
        Swap(p2, p3);
        if (StoredHeight(p2) < StoredHeight(p1))
            Swap(p1, p2);
    }
    if (StoredHeight(p4) < StoredHeight(p3))
    {
        Swap(p3, p4);
        if (StoredHeight(p3) < StoredHeight(p2))
        {
            Swap(p2, p3);
            if (StoredHeight(p2) < StoredHeight(p1))
                Swap(p1, p2);
        }
    }
}

// Orders the sorted corners as the fit expects: p1 the origin, p2 the other low corner, p3
// the high corner next to p1, p4 the one next to p2. False when the low pair lies on a
// diagonal, where no slope direction exists.
static bool UpdateLeftAndRightCorners(CaveCorner& p1, CaveCorner& p2, CaveCorner& p3,
                                      CaveCorner& p4, bool* pbXAxis, int* piDirection,
                                      CaveCorner* pTemp)
{
    bool bFound = false;
    if (p1.x == p2.x)
    {
        *piDirection = p1.x > p3.x ? 3 : 1;
        if (*piDirection == 3 ? p1.z > p2.z : p1.z < p2.z)
            Swap(p1, p2);
        if (p1.z != p3.z)
            Swap(p3, p4);
        *pTemp = p2.z < p1.z ? p2 : p1;
        bFound = true;
    }
    if (p1.z == p2.z)
    {
        *piDirection = p1.z < p3.z ? 0 : 2;
        if (*piDirection == 0 ? p1.x > p2.x : p1.x < p2.x)
            Swap(p1, p2);
        if (p1.x != p3.x)
            Swap(p3, p4);
        *pbXAxis = true;
        *pTemp = p2.x < p1.x ? p2 : p1;
        bFound = true;
    }
    return bFound;
}

// Sets the pair from (x, z) along x or along z to the truncated mean of their heights.
static void AverageHeightPair(int x, int z, bool bAlongX)
{
    short& siFirst = m_MapData.siHeight[GridIndex(x)][GridIndex(z)];
    short& siSecond = bAlongX ? m_MapData.siHeight[GridIndex(x + 1)][GridIndex(z)]
                              : m_MapData.siHeight[GridIndex(x)][GridIndex(z + 1)];
    float a = siFirst, b = siSecond;
    float d = (b - a) / 2.0f;
    siFirst = (short)(a + d);
    siSecond = (short)(b - d);
}

// The cave's corner for model point P: the height rises with P.y from the low corners to
// the high ones, blended across the slope from w3 (beside the origin) to w4. The blend runs
// on the distance from the origin, which the models of the +x and -z slopes give as
// negative coordinates.
static D3DXVECTOR3 FitPoint(const CavePoint& P, int d, const CaveCorner& p1, float w1,
                            float dA, float dd)
{
    float s = std::fabs(d == 0 || d == 2 ? P.x : P.z);
    float T1 = dA * P.y + w1;
    float T2 = dd * s;
    float y = T2 * P.y + T1;
    return D3DXVECTOR3((float)p1.x + P.x, y, (float)p1.z + P.z);
}

static void AppendCaveTriangle(int iTile, const D3DXVECTOR3& c0, const D3DXVECTOR3& c1,
                               const D3DXVECTOR3& c2, const short siTexCoords[3][2])
{
    CaveData rec = CaveData();
    rec.siTile = (short)iTile;
    rec.vCorner[0] = c0;
    rec.vCorner[1] = c1;
    rec.vCorner[2] = c2;
    rec.siTextureA = 0;
    rec.siTextureB = PLAIN_TEXTURE;
    for (int k = 0; k < 3; k++)
        for (int i = 0; i < 2; i++)
        {
            rec.siTexCoordA[k][i] = siTexCoords[k][i];
            rec.siTexCoordB[k][i] = siTexCoords[k][i];
        }
    AddCaveData(rec);
}

static bool SetCaveHeights(CaveCorner p1, CaveCorner p2, CaveCorner p3, CaveCorner p4, int d,
                           int iTile, CaveCorner ptTemp, bool bXAxis)
{
    float w1 = WorldHeight(p1), w2 = WorldHeight(p2);
    float w3 = WorldHeight(p3), w4 = WorldHeight(p4);
    if (w3 - w1 < 1.0f || w4 - w2 < 1.0f)
        return false;

    AverageHeightPair(ptTemp.x, ptTemp.z, bXAxis);
    w1 = WorldHeight(p1);
    w2 = WorldHeight(p2);
    float dA = w3 - w1;
    float dB = w4 - w2;
    float dd = dB - dA;

    for (int j = CAVE_MODEL_QUADS * d; j < CAVE_MODEL_QUADS * (d + 1); j++)
    {
        D3DXVECTOR3 c[4];
        for (int k = 0; k < 4; k++)
        {
            const CavePoint& P = m_CavePoints[m_CavePolygons[j].iIndex[k] + CAVE_MODEL_POINTS * d];
            c[k] = FitPoint(P, d, p1, w1, dA, dd);
        }
        AppendCaveTriangle(iTile, c[0], c[1], c[2], m_siNewTexCoords[0]);
        AppendCaveTriangle(iTile, c[0], c[2], c[3], m_siNewTexCoords[1]);
    }

    CaveSummary summary;
    summary.iTile = iTile;
    summary.iTriangleEnd =
        (m_iNumCaves > 0 && !m_CaveSummaries.empty() ? m_CaveSummaries.back().iTriangleEnd : 0) +
        CAVE_TRIANGLES;
    summary.iWrapOffsetX = GetTileWrapOffsetX(iTile);
    summary.iWrapOffsetZ = GetTileWrapOffsetZ(iTile);
    summary.iDirection = d;
    AddCaveSummary(summary);
    return true;
}

bool CreateCave(int iTile)
{
    LogError("CreateCave");
    if (m_iNumCaves <= 0)
        EmptyCaveLists();
    if (iTile < 0 || iTile >= MAP_SIZE * MAP_SIZE || m_MapData.siHeightScale <= 0)
    {
        LogErrorf("CreateCave: no cave on tile %d (height scale %d)", iTile,
                  m_MapData.siHeightScale);
        return false;
    }
    int x, z;
    SplitTileIndex(iTile, &x, &z);

    LogError("TestForOtherCaves");
    if (TestForOtherCaves(x, z))
        return false;

    CaveCorner ptCave1 = {x, z}, ptCave2 = {x, z + 1}, ptCave3 = {x + 1, z + 1},
               ptCave4 = {x + 1, z};
    LogError("Adjust4Corners");
    Adjust4Corners(ptCave1, ptCave2, ptCave3, ptCave4);

    int iDirection = 0;
    bool bXAxis = false;
    CaveCorner ptTemp = ptCave1;
    LogError("UpdateLeftAndRightCorners");
    if (!UpdateLeftAndRightCorners(ptCave1, ptCave2, ptCave3, ptCave4, &bXAxis, &iDirection,
                                   &ptTemp))
    {
        LogError("CreateCave: the tile's two lowest corners are diagonal; no slope to follow");
        return false;
    }
    if (!IsCaveModelUsable(iDirection))
    {
        LogError("CreateCave: no usable model for the tile's slope");
        return false;
    }

    LogError("SetCaveHeights");
    if (!SetCaveHeights(ptCave1, ptCave2, ptCave3, ptCave4, iDirection, iTile, ptTemp, bXAxis))
        return false;
    m_iNumCaves++;
    LoadCaveVB();
    return true;
}
