// Cave construction: the model of each slope fitted to the tile so that it meets the land,
// the levelled low corners, and the tiles that are refused.
#include "support/devicefixture.h"

#include <cmath>
#include <cstring>
#include <string>
#include <vector>

#include "app/log.h"
#include "support/flatmap.h"
#include "support/readback.h"
#include "terrain/cavebuffers.h"
#include "terrain/cavebuild.h"
#include "terrain/cavemodels.h"
#include "terrain/caves.h"
#include "terrain/landtextures.h"
#include "terrain/mapdata.h"
#include "terrain/mapupdate.h"
#include "terrain/view.h"

class CaveBuild : public DeviceTest
{
protected:
    static void SetUpTestSuite()
    {
        DeviceTest::SetUpTestSuite();
        InitMapData();
        LoadLandTextures();
        LoadCaveModels();
    }

    void SetUp() override { FlattenMapWithoutCaves(); }

    void TearDown() override { EmptyCaveLists(); }

    // Stored heights of the corners (x, z), (x + 1, z), (x, z + 1), (x + 1, z + 1), wrapped.
    static void SetCorners(int x, int z, short bl, short br, short tl, short tr)
    {
        m_MapData.siHeight[x][z] = bl;
        m_MapData.siHeight[NextTileX(x)][z] = br;
        m_MapData.siHeight[x][NextTileZ(z)] = tl;
        m_MapData.siHeight[NextTileX(x)][NextTileZ(z)] = tr;
    }

    static float CornerHeight(int cx, int cz)
    {
        return m_MapData.siHeight[cx % MAP_SIZE][cz % MAP_SIZE] / 32.0f;
    }

    // Every corner of every record lies on tile (x, z), and wherever it lies on the tile's
    // border it meets the land there: the straight edge between the two corner heights.
    static void ExpectCaveMeetsLand(int x, int z)
    {
        ASSERT_EQ(GetCaveDataCount(), CAVE_TRIANGLES);
        int iCornersMet = 0;
        for (int t = 0; t < CAVE_TRIANGLES; t++)
            for (int k = 0; k < 3; k++)
            {
                D3DXVECTOR3 v = GetCaveData(t).vCorner[k];
                float fx = v.x - x, fz = v.z - z;
                const float e = 1e-4f;
                EXPECT_TRUE(fx > -e && fx < 1 + e && fz > -e && fz < 1 + e)
                    << "record " << t << " corner " << k << " off the tile";
                bool bOnX0 = std::fabs(fx) < e, bOnX1 = std::fabs(fx - 1) < e;
                bool bOnZ0 = std::fabs(fz) < e, bOnZ1 = std::fabs(fz - 1) < e;
                float fLand = 0.0f;
                if (bOnZ0 || bOnZ1)
                {
                    int cz = z + (bOnZ1 ? 1 : 0);
                    fLand = CornerHeight(x, cz) + fx * (CornerHeight(x + 1, cz) - CornerHeight(x, cz));
                }
                else if (bOnX0 || bOnX1)
                {
                    int cx = x + (bOnX1 ? 1 : 0);
                    fLand = CornerHeight(cx, z) + fz * (CornerHeight(cx, z + 1) - CornerHeight(cx, z));
                }
                else
                    continue;
                EXPECT_NEAR(v.y, fLand, 1e-4f) << "record " << t << " corner " << k << " at ("
                                               << v.x << ", " << v.z << ")";
                if ((bOnX0 || bOnX1) && (bOnZ0 || bOnZ1))
                    iCornersMet++;
            }
        EXPECT_GT(iCornersMet, 4) << "the model reaches every corner of the tile";
    }
};

// Low corners 3 and 4, high corners 64 and 96: the two high corners differ, so a blend across
// the slope that runs the wrong way leaves a step against the land.
TEST_F(CaveBuild, EverySlopeDirectionTakesItsModelAndMeetsTheLand)
{
    struct Slope
    {
        short bl, br, tl, tr;
        int iDirection;
        int iOriginX, iOriginZ;   // relative to the tile
    } slopes[4] = {
        {3, 4, 64, 96, 0, 0, 0},   // rises toward +z
        {4, 64, 3, 96, 1, 0, 1},   // +x
        {64, 96, 3, 4, 2, 1, 1},   // -z
        {64, 3, 96, 4, 3, 1, 0},   // -x
    };
    for (const Slope& s : slopes)
    {
        SCOPED_TRACE(s.iDirection);
        SetUp();
        int x = 20, z = 30;
        SetCorners(x, z, s.bl, s.br, s.tl, s.tr);
        AddCaveAtTile(GetTileIndex(x, z));
        ASSERT_EQ(GetNumCaves(), 1);
        EXPECT_EQ(GetCaveSummary(0).iDirection, s.iDirection);
        EXPECT_EQ(m_MapData.siTileType[x][z], 1);
        EXPECT_EQ(m_MapData.siCaveNumber[x][z], 0);
        // The first model point is the origin at the low corners' height.
        D3DXVECTOR3 vOrigin = GetCaveData(0).vCorner[0];
        EXPECT_EQ(vOrigin.x, (float)(x + s.iOriginX));
        EXPECT_EQ(vOrigin.z, (float)(z + s.iOriginZ));
        EXPECT_FLOAT_EQ(vOrigin.y, 3.0f / 32.0f);
        ExpectCaveMeetsLand(x, z);
    }
}

TEST_F(CaveBuild, TheLowPairIsLevelledToItsTruncatedMean)
{
    SetCorners(40, 40, 3, 4, 64, 64);
    ASSERT_TRUE(CreateCave(GetTileIndex(40, 40)));
    EXPECT_EQ(m_MapData.siHeight[40][40], 3);
    EXPECT_EQ(m_MapData.siHeight[41][40], 3);
    EXPECT_EQ(m_MapData.siHeight[40][41], 64);
    EXPECT_EQ(m_MapData.siHeight[41][41], 64);

    // A falling pair (5 then 2) gets the truncated mean as well.
    SetUp();
    SetCorners(40, 40, 64, 5, 64, 2);
    ASSERT_TRUE(CreateCave(GetTileIndex(40, 40)));
    EXPECT_EQ(m_MapData.siHeight[41][40], 3);
    EXPECT_EQ(m_MapData.siHeight[41][41], 3);
}

TEST_F(CaveBuild, NewRecordsCarryTheDefaultTexturesAndTheSummaryItsPlace)
{
    m_iWrapOffsetX[50] = -100;
    m_iWrapOffsetZ[60] = 100;
    SetCorners(50, 60, 0, 0, 64, 64);
    ASSERT_TRUE(CreateCave(GetTileIndex(50, 60)));
    SetCorners(53, 60, 0, 0, 64, 64);
    ASSERT_TRUE(CreateCave(GetTileIndex(53, 60)));

    ASSERT_EQ(GetCaveDataCount(), 32);
    CaveSummary s0 = GetCaveSummary(0), s1 = GetCaveSummary(1);
    EXPECT_EQ(s0.iTile, 6050);
    EXPECT_EQ(s0.iTriangleEnd, 16);
    EXPECT_EQ(s0.iWrapOffsetX, -100);
    EXPECT_EQ(s0.iWrapOffsetZ, 100);
    EXPECT_EQ(s1.iTile, 6053);
    EXPECT_EQ(s1.iTriangleEnd, 32);
    EXPECT_EQ(s1.iWrapOffsetX, 0);

    const short siFirst[3][2] = {{0, 128}, {128, 128}, {0, 0}};
    const short siSecond[3][2] = {{0, 128}, {0, 0}, {128, 0}};
    for (int t = 0; t < 32; t++)
    {
        CaveData rec = GetCaveData(t);
        EXPECT_EQ(rec.siTile, t < 16 ? 6050 : 6053);
        EXPECT_EQ(rec.siTextureA, 0);
        EXPECT_EQ(rec.siTextureB, 128);
        const short(*uv)[2] = t % 2 == 0 ? siFirst : siSecond;
        for (int k = 0; k < 3; k++)
            for (int i = 0; i < 2; i++)
            {
                EXPECT_EQ(rec.siTexCoordA[k][i], uv[k][i]);
                EXPECT_EQ(rec.siTexCoordB[k][i], uv[k][i]);
            }
    }
    // Both triangles of a quad share the quad's first corner and its third.
    for (int q = 0; q < 8; q++)
    {
        EXPECT_EQ(GetCaveData(2 * q).vCorner[0], GetCaveData(2 * q + 1).vCorner[0]);
        EXPECT_EQ(GetCaveData(2 * q).vCorner[2], GetCaveData(2 * q + 1).vCorner[1]);
    }
}

TEST_F(CaveBuild, ASlopeOfOneWorldUnitIsEnoughAndLessIsRefused)
{
    SetCorners(10, 10, 0, 0, 32, 32);
    EXPECT_TRUE(CreateCave(GetTileIndex(10, 10)));

    SetUp();
    SetCorners(10, 10, 0, 0, 32, 31);
    MapData before = GetMapData();
    EXPECT_FALSE(CreateCave(GetTileIndex(10, 10)));
    EXPECT_EQ(memcmp(before.siHeight, m_MapData.siHeight, sizeof(before.siHeight)), 0);
    EXPECT_EQ(GetCaveDataCount(), 0);
    EXPECT_EQ(GetNumCaves(), 0);

    // A flat tile, and a tile whose two lowest corners lie on a diagonal.
    EXPECT_FALSE(CreateCave(GetTileIndex(70, 70)));
    SetCorners(10, 10, 0, 64, 64, 0);
    AddCaveAtTile(GetTileIndex(10, 10));
    EXPECT_EQ(m_MapData.siTileType[10][10], 0);
    EXPECT_EQ(m_MapData.siHeight[10][10], 0);
    EXPECT_EQ(m_MapData.siHeight[11][10], 64);
    EXPECT_EQ(GetNumCaves(), 0);
    std::vector<std::string> lines = ReadLog();
    EXPECT_EQ(lines.back(),
              "CreateCave: the tile's two lowest corners are diagonal; no slope to follow");
}

TEST_F(CaveBuild, ATileNextToACaveIsRefusedAlsoAcrossTheSeam)
{
    SetCorners(99, 20, 0, 0, 64, 64);
    AddCaveAtTile(GetTileIndex(99, 20));
    ASSERT_EQ(GetNumCaves(), 1);

    const int iNeighbours[8][2] = {{0, 20}, {0, 21}, {99, 21}, {98, 21},
                                   {98, 20}, {98, 19}, {99, 19}, {0, 19}};
    for (const int* n : iNeighbours)
    {
        SetCorners(n[0], n[1], 0, 0, 64, 64);
        AddCaveAtTile(GetTileIndex(n[0], n[1]));
        EXPECT_EQ(m_MapData.siTileType[n[0]][n[1]], 0) << n[0] << ", " << n[1];
    }
    EXPECT_EQ(GetNumCaves(), 1);

    // Two tiles away is free; adding on a cave tile again changes nothing.
    SetCorners(1, 20, 0, 0, 64, 64);
    AddCaveAtTile(GetTileIndex(1, 20));
    AddCaveAtTile(GetTileIndex(1, 20));
    EXPECT_EQ(GetNumCaves(), 2);
    EXPECT_EQ(m_MapData.siCaveNumber[1][20], 1);
}

TEST_F(CaveBuild, ACaveAtTheFarCornerReachesOneHundredWithTheHeightsOfRowAndColumnZero)
{
    SetCorners(99, 99, 0, 0, 64, 96);   // the far corners are [99][0], [0][0]
    ASSERT_TRUE(CreateCave(GetTileIndex(99, 99)));
    bool bReached = false;
    for (int t = 0; t < CAVE_TRIANGLES; t++)
        for (int k = 0; k < 3; k++)
        {
            D3DXVECTOR3 v = GetCaveData(t).vCorner[k];
            if (v.x == 100.0f && v.z == 100.0f)
            {
                EXPECT_FLOAT_EQ(v.y, 3.0f);
                bReached = true;
            }
        }
    EXPECT_TRUE(bReached);
    ExpectCaveMeetsLand(99, 99);
}

TEST_F(CaveBuild, EachBuildLogsItsStepsAndItsBufferFill)
{
    SetCorners(5, 5, 0, 0, 64, 64);
    ASSERT_TRUE(CreateCave(GetTileIndex(5, 5)));
    std::vector<std::string> lines = ReadLog();
    ASSERT_EQ(lines.size(), 1u + 5 + 20);
    const char* steps[] = {"CreateCave", "TestForOtherCaves", "Adjust4Corners",
                           "UpdateLeftAndRightCorners", "SetCaveHeights", "LoadCaveVB()",
                           "LoadCaveVB() lock vb", "LoadCaveVB() vertex"};
    for (int i = 0; i < 8; i++)
        EXPECT_EQ(lines[1 + i], steps[i]);
    EXPECT_EQ(lines[lines.size() - 2], "LoadCaveVB() unlock");
    EXPECT_EQ(lines.back(), "LoadCaveVB() exit");
}
