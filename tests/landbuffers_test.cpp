// The land build: normals, the vertices of each tile in its batch, the line buffers, traces.
#include "support/devicefixture.h"

#include <fstream>
#include <string>
#include <vector>

#include "app/d3dservices.h"
#include "app/log.h"
#include "support/flatmap.h"
#include "support/readback.h"
#include "terrain/landbuffers.h"
#include "terrain/landtextures.h"
#include "terrain/mapdata.h"
#include "terrain/mapupdate.h"
#include "terrain/view.h"

static const float LO = 0.07f, HI = 0.93f;

static void WriteBlankRecord(TileTexCoords* pRec)
{
    const float fBlank[8] = {LO, LO, HI, LO, LO, HI, HI, HI};
    for (int i = 0; i < 8; i++)
        pRec->fUV[i] = fBlank[i];
}

class LandBuffers : public DeviceTest
{
protected:
    void SetUp() override
    {
        InitMapData();
        FlattenMap();
        for (int x = 0; x < MAP_SIZE; x++)
        {
            for (int z = 0; z < MAP_SIZE; z++)
            {
                m_MapData.siBaseTexture[x][z] = 64;
                m_MapData.siBaseRotation[x][z] = 0;
                m_MapData.bBaseFlipX[x][z] = false;
                m_MapData.bBaseFlipZ[x][z] = false;
                m_MapData.bTriangleFlip[x][z] = false;
                m_MapData.siAlphaTexture[x][z] = 128;
                m_MapData.siAlphaRotation[x][z] = 0;
                m_MapData.bAlphaFlipX[x][z] = false;
                m_MapData.bAlphaFlipZ[x][z] = false;
                m_MapData.vNormal[x][z] = D3DXVECTOR3(9.0f, 9.0f, 9.0f);
                WriteBlankRecord(&m_BaseTexCoords[x][z]);
                WriteBlankRecord(&m_AlphaTexCoords[x][z]);
            }
        }
        bGrid = false;
        m_bTraceLand = false;
    }

    void TearDown() override
    {
        m_bTraceLand = false;
        bGrid = false;
        ReleaseLandBuffers();
    }

    // Counts the batches from the displayable flags, then builds.
    static void Build()
    {
        CountTilesForTexture();
        LoadLandBuffer();
    }

    static std::vector<LandVertex> Batch(int t, int s)
    {
        return ReadBuffer<LandVertex>(m_pLandRowVB[t][s]);
    }
};

static void ExpectVertex(const LandVertex& v, float x, float y, float z, float bu, float bv,
                         float au, float av)
{
    EXPECT_FLOAT_EQ(v.x, x);
    EXPECT_FLOAT_EQ(v.y, y);
    EXPECT_FLOAT_EQ(v.z, z);
    EXPECT_FLOAT_EQ(v.fBaseU, bu);
    EXPECT_FLOAT_EQ(v.fBaseV, bv);
    EXPECT_FLOAT_EQ(v.fAlphaU, au);
    EXPECT_FLOAT_EQ(v.fAlphaV, av);
}

TEST_F(LandBuffers, BlankTileWritesTheWorkedExample)
{
    m_bDisplayable[5][7] = true;
    // TL, TR and BR take the normals of the build before, as at start-up.
    Build();
    Build();

    // Base type 8 (texture 64), no alpha texture: slot 112.
    std::vector<LandVertex> v = Batch(8, 112);
    ASSERT_EQ(v.size(), 6u);
    ExpectVertex(v[0], 5, 0, 8, LO, LO, LO, HI);   // TL
    ExpectVertex(v[1], 6, 0, 8, HI, LO, HI, HI);   // TR
    ExpectVertex(v[2], 5, 0, 7, LO, HI, LO, LO);   // BL
    ExpectVertex(v[3], 5, 0, 7, LO, HI, LO, LO);   // BL
    ExpectVertex(v[4], 6, 0, 8, HI, LO, HI, HI);   // TR
    ExpectVertex(v[5], 6, 0, 7, HI, HI, HI, LO);   // BR
    for (const LandVertex& lv : v)
    {
        EXPECT_FLOAT_EQ(lv.nx, 0.0f);
        EXPECT_FLOAT_EQ(lv.ny, 1.0f);
        EXPECT_FLOAT_EQ(lv.nz, 0.0f);
    }
    EXPECT_EQ(m_iNumDisplayableTiles, 1);
}

TEST_F(LandBuffers, FlippedTileIsSplitAlongTheOtherDiagonal)
{
    m_bDisplayable[5][7] = true;
    m_MapData.bTriangleFlip[5][7] = true;
    Build();

    std::vector<LandVertex> v = Batch(8, 112);
    ASSERT_EQ(v.size(), 6u);
    // TL, BR, BL, TL, TR, BR.
    const float fX[6] = {5, 6, 5, 5, 6, 6}, fZ[6] = {8, 7, 7, 8, 8, 7};
    for (int i = 0; i < 6; i++)
    {
        EXPECT_FLOAT_EQ(v[i].x, fX[i]) << i;
        EXPECT_FLOAT_EQ(v[i].z, fZ[i]) << i;
    }
    // Both triangles keep the winding of the unflipped pair.
    auto cross = [&](int a, int b, int c) {
        return (v[b].x - v[a].x) * (v[c].z - v[a].z) - (v[b].z - v[a].z) * (v[c].x - v[a].x);
    };
    EXPECT_GT(cross(0, 1, 2) * cross(3, 4, 5), 0.0f);
    EXPECT_LT(cross(0, 1, 2), 0.0f);   // the same sense as TL-TR-BL of an unflipped tile
}

TEST_F(LandBuffers, LastColumnTakesColumnZerosHeightsAcrossTheWrap)
{
    m_MapData.siHeight[0][7] = 64;    // BR of tile (99, 7): 2.0
    m_MapData.siHeight[0][8] = 96;    // TR: 3.0
    m_MapData.siHeight[99][8] = 32;   // TL: 1.0
    m_bDisplayable[99][7] = true;
    Build();

    std::vector<LandVertex> v = Batch(8, 112);
    ASSERT_EQ(v.size(), 6u);
    ExpectVertex(v[0], 99, 1, 8, LO, LO, LO, HI);
    ExpectVertex(v[1], 100, 3, 8, HI, LO, HI, HI);
    ExpectVertex(v[2], 99, 0, 7, LO, HI, LO, LO);
    ExpectVertex(v[5], 100, 2, 7, HI, HI, HI, LO);

    // Shifted a map's width to the left, the tile lies at -1 to 0 with the same heights.
    m_iWrapOffsetX[99] = -100;
    Build();
    v = Batch(8, 112);
    ASSERT_EQ(v.size(), 6u);
    EXPECT_FLOAT_EQ(v[0].x, -1.0f);
    EXPECT_FLOAT_EQ(v[1].x, 0.0f);
    EXPECT_FLOAT_EQ(v[1].y, 3.0f);
    EXPECT_FLOAT_EQ(v[5].y, 2.0f);
}

TEST_F(LandBuffers, FlatMapHasUprightNormalsAndUnitNormalLines)
{
    m_bDisplayable[0][0] = true;
    m_bDisplayable[42][17] = true;
    Build();

    for (int x = 0; x < MAP_SIZE; x++)
        for (int z = 0; z < MAP_SIZE; z++)
        {
            const D3DXVECTOR3& n = m_MapData.vNormal[x][z];
            ASSERT_TRUE(n.x == 0.0f && n.y == 1.0f && n.z == 0.0f) << x << ", " << z;
        }

    std::vector<LineVertex> lines = ReadBuffer<LineVertex>(m_pNormalVB);
    ASSERT_EQ(lines.size(), 4u);
    // Build order: z outer, so (0, 0) first; each line from BL straight up.
    EXPECT_FLOAT_EQ(lines[0].x, 0.0f);
    EXPECT_FLOAT_EQ(lines[1].y, 1.0f);
    EXPECT_FLOAT_EQ(lines[2].x, 42.0f);
    EXPECT_FLOAT_EQ(lines[2].z, 17.0f);
    EXPECT_FLOAT_EQ(lines[2].y, 0.0f);
    EXPECT_FLOAT_EQ(lines[3].x, 42.0f);
    EXPECT_FLOAT_EQ(lines[3].y, 1.0f);
    EXPECT_FLOAT_EQ(lines[3].z, 17.0f);
    EXPECT_EQ(lines[3].dwColour, 0x00FF0000u);
}

TEST_F(LandBuffers, NormalsLeanAwayFromRisingGroundEvenAcrossTheWrap)
{
    // Ground rising towards +x round column 0: one unit per tile from 99 to 1.
    m_MapData.siHeight[99][50] = 0;
    m_MapData.siHeight[0][50] = 32;
    m_MapData.siHeight[1][50] = 64;
    // And towards +z round row 0 at column 20.
    m_MapData.siHeight[20][99] = 0;
    m_MapData.siHeight[20][0] = 32;
    m_MapData.siHeight[20][1] = 64;
    Build();

    // a = dE - dW = (1 - 2) - (1 - 0) = -2: la = sqrt(5), lb = 1 (flat along z).
    D3DXVECTOR3 n = m_MapData.vNormal[0][50];
    float fA = -2.0f / (sqrtf(5.0f) + 1.0f);
    float fLen = sqrtf(fA * fA + 1.0f);
    EXPECT_NEAR(n.x, fA / fLen, 1e-6);
    EXPECT_NEAR(n.y, 1.0f / fLen, 1e-6);
    EXPECT_NEAR(n.z, 0.0f, 1e-6);

    n = m_MapData.vNormal[20][0];
    EXPECT_NEAR(n.x, 0.0f, 1e-6);
    EXPECT_NEAR(n.z, fA / fLen, 1e-6);
    EXPECT_NEAR(D3DXVec3Length(&n), 1.0f, 1e-6);
}

TEST_F(LandBuffers, EveryCornerOfATileShadesWithThisBuildsNormal)
{
    m_bDisplayable[10][10] = true;
    Build();
    // Raise TR's neighbour: TR (11, 11) lies ahead of tile (10, 10) in the build order.
    m_MapData.siHeight[12][11] = 64;
    Build();
    std::vector<LandVertex> v = Batch(8, 112);
    ASSERT_EQ(v.size(), 6u);
    EXPECT_LT(m_MapData.vNormal[11][11].x, 0.0f);
    EXPECT_FLOAT_EQ(v[1].nx, m_MapData.vNormal[11][11].x) << "TR after one build";
    EXPECT_FLOAT_EQ(v[4].nx, m_MapData.vNormal[11][11].x);
}

TEST_F(LandBuffers, AlphaRecordIsReadWithItsHalvesExchangedThenOrientedFlipFirst)
{
    m_bDisplayable[3][4] = true;
    // Distinct pairs: pair k is (k, 10 k).
    TileTexCoords rec;
    for (int k = 0; k < 4; k++)
    {
        rec.fUV[2 * k] = (float)(k + 1);
        rec.fUV[2 * k + 1] = (float)(10 * (k + 1));
    }
    m_BaseTexCoords[3][4] = rec;
    m_AlphaTexCoords[3][4] = rec;
    // Base: mirror along x (pairs 2 1 4 3), then a quarter turn (pairs 3 1 4 2 of that):
    // 4 2 3 1 at TL, TR, BL, BR.
    m_MapData.bBaseFlipX[3][4] = true;
    m_MapData.siBaseRotation[3][4] = 1;
    // Alpha: halves exchanged (3 4 1 2), then half a turn (pairs 4 3 2 1 of that): 2 1 4 3.
    m_MapData.siAlphaRotation[3][4] = 2;
    m_MapData.siAlphaTexture[3][4] = 9;   // type 1's first alpha texture: slot 7
    m_MapData.siBaseTexture[3][4] = 16;   // type 2
    Build();

    std::vector<LandVertex> v = Batch(2, 7);
    ASSERT_EQ(v.size(), 6u);
    // TL, TR, BL, -, -, BR
    const int iBase[6] = {4, 2, 3, 3, 2, 1}, iAlpha[6] = {2, 1, 4, 4, 1, 3};
    for (int i = 0; i < 6; i++)
    {
        EXPECT_FLOAT_EQ(v[i].fBaseU, (float)iBase[i]) << i;
        EXPECT_FLOAT_EQ(v[i].fBaseV, 10.0f * iBase[i]) << i;
        EXPECT_FLOAT_EQ(v[i].fAlphaU, (float)iAlpha[i]) << i;
        EXPECT_FLOAT_EQ(v[i].fAlphaV, 10.0f * iAlpha[i]) << i;
    }
    // The stored records keep what was painted.
    EXPECT_EQ(m_BaseTexCoords[3][4].fUV[0], 1.0f);
}

TEST_F(LandBuffers, TilesGoToTheirBatchInBuildOrderAndCavesAndHiddenTilesToNone)
{
    m_bDisplayable[1][1] = true;
    m_bDisplayable[7][1] = true;
    m_bDisplayable[2][3] = true;
    m_bDisplayable[4][4] = true;   // a cave tile
    m_MapData.siTileType[4][4] = 1;
    m_MapData.siBaseTexture[7][1] = 120;   // type 15 ...
    m_MapData.siAlphaTexture[7][1] = 127;  // ... with its last alpha texture: slot 111
    Build();

    std::vector<LandVertex> v = Batch(8, 112);
    ASSERT_EQ(v.size(), 12u);
    EXPECT_FLOAT_EQ(v[2].x, 1.0f);   // (1, 1) first: z is the outer loop
    EXPECT_FLOAT_EQ(v[8].x, 2.0f);
    EXPECT_FLOAT_EQ(v[8].z, 3.0f);
    v = Batch(15, 111);
    ASSERT_EQ(v.size(), 6u);
    EXPECT_FLOAT_EQ(v[2].x, 7.0f);

    EXPECT_EQ(m_iNumDisplayableTiles, 3);
    int iBuffers = 0;
    for (int t = 0; t < 20; t++)
        for (int s = 0; s < 150; s++)
            iBuffers += m_pLandRowVB[t][s] != NULL;
    EXPECT_EQ(iBuffers, 2);
    EXPECT_EQ(ReadBuffer<LineVertex>(m_pNormalVB).size(), 6u);
    // The normal lines follow build order: (1, 1), (7, 1), (2, 3).
    std::vector<LineVertex> lines = ReadBuffer<LineVertex>(m_pNormalVB);
    EXPECT_FLOAT_EQ(lines[2].x, 7.0f);
    EXPECT_FLOAT_EQ(lines[4].x, 2.0f);
}

TEST_F(LandBuffers, GridLinesAreWrittenOnlyWhileTheGridIsOn)
{
    m_bDisplayable[5][7] = true;
    m_MapData.siHeight[5][8] = 32;
    bGrid = true;
    Build();

    std::vector<LineVertex> grid = ReadBuffer<LineVertex>(m_pGridVB);
    ASSERT_EQ(grid.size(), 4u);
    // TL-TR, then BL-TL, each 0.01 above the land.
    const float fX[4] = {5, 6, 5, 5}, fY[4] = {1.01f, 0.01f, 0.01f, 1.01f}, fZ[4] = {8, 8, 7, 8};
    for (int i = 0; i < 4; i++)
    {
        EXPECT_FLOAT_EQ(grid[i].x, fX[i]) << i;
        EXPECT_FLOAT_EQ(grid[i].y, fY[i]) << i;
        EXPECT_FLOAT_EQ(grid[i].z, fZ[i]) << i;
        EXPECT_EQ(grid[i].dwColour, 0x00FF0000u) << i;
    }
}

TEST_F(LandBuffers, NoVisibleLandMeansNoBuffersAndNoFailure)
{
    InitErrorLog();
    Build();
    EXPECT_EQ(m_pGridVB, (LPDIRECT3DVERTEXBUFFER9)NULL);
    EXPECT_EQ(m_pNormalVB, (LPDIRECT3DVERTEXBUFFER9)NULL);
    EXPECT_EQ(m_pLandRowVB[8][112], (LPDIRECT3DVERTEXBUFFER9)NULL);
    EXPECT_EQ(ReadLog().size(), 1u);   // only the log's first line
}

TEST_F(LandBuffers, StaleCountsNeverWritePastABuffer)
{
    m_bDisplayable[1][1] = true;
    CountTilesForTexture();
    // More tiles become visible without a recount.
    m_bDisplayable[2][1] = true;
    m_bDisplayable[3][1] = true;
    InitErrorLog();
    LoadLandBuffer();

    std::vector<LandVertex> v = Batch(8, 112);
    ASSERT_EQ(v.size(), 6u);
    EXPECT_FLOAT_EQ(v[2].x, 1.0f);
    EXPECT_EQ(ReadBuffer<LineVertex>(m_pNormalVB).size(), 2u);
    std::vector<std::string> lines = ReadLog();
    ASSERT_EQ(lines.size(), 2u);
    EXPECT_EQ(lines[1], "LoadLandBuffer: more visible tiles than counted; the extra tiles are left out");
}

TEST_F(LandBuffers, TracesEveryBufferAndEveryTileInOrder)
{
    m_bDisplayable[5][7] = true;
    m_bDisplayable[6][7] = true;
    m_MapData.bTriangleFlip[6][7] = true;
    m_MapData.siHeight[5][8] = 100;   // TL at 3.125: traced as 3
    CountTilesForTexture();
    bGrid = true;
    m_bTraceLand = true;
    InitErrorLog();
    LoadLandBuffer();

    std::vector<std::string> expected = {
        "ZANerrors.log started ", "m_pLandRowVB[x][z]", "m_pGridVB", "m_pNormalVB",
        "m_pNormalVB->Lock", "m_pGridVB->Lock",
        // tile (5, 7), unsplit: BL, TL, TR, BR (x, height, z), then type, slot, slot, count
        "bGrid", "no flip", "5", "0", "7", "5", "3", "8", "6", "0", "8", "6", "0", "7", "8", "112",
        "0", "2", "no flip bl", "no flip tr", "no flip bl2", "no flip br", "no flip tr2",
        "end flip",
        // tile (6, 7), flipped
        "bGrid", "flip", "end flip", "Finished LoadLandBuffer"};
    EXPECT_EQ(ReadLog(), expected);
}
