// The map data block: tile arithmetic, texture-coordinate records, accessors and switches.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "app/log.h"
#include "terrain/mapdata.h"
#include "terrain/mapupdate.h"
#include "terrain/view.h"
#include "support/flatmap.h"
#include "support/readback.h"

static TileTexCoords Record(float a, float b, float c, float d, float e, float f, float g, float h)
{
    TileTexCoords rec = {{a, b, c, d, e, f, g, h}};
    return rec;
}

static bool SameRecord(const TileTexCoords& a, const TileTexCoords& b)
{
    for (int i = 0; i < 8; i++)
        if (a.fUV[i] != b.fUV[i])
            return false;
    return true;
}

TEST(TileArithmetic, StepsWrapAtTheMapEdges)
{
    EXPECT_EQ(NextTileX(99), 0);
    EXPECT_EQ(NextTileZ(99), 0);
    EXPECT_EQ(NextTileX(98), 99);
    EXPECT_EQ(NextTileZ(0), 1);
    EXPECT_EQ(PrevTileZ(0), 99);
    EXPECT_EQ(PrevTileX(0), 99);
    EXPECT_EQ(PrevTileX(1), 0);
    EXPECT_EQ(PrevTileZ(99), 98);
}

TEST(TileArithmetic, SplitsAnIndexIntoXAndZ)
{
    int x = -1, z = -1;
    SplitTileIndex(0, &x, &z);
    EXPECT_EQ(x, 0);
    EXPECT_EQ(z, 0);
    SplitTileIndex(9999, &x, &z);
    EXPECT_EQ(x, 99);
    EXPECT_EQ(z, 99);
    SplitTileIndex(250, &x, &z);
    EXPECT_EQ(x, 50);
    EXPECT_EQ(z, 2);
    SplitTileIndex(-5, &x, &z);
    EXPECT_EQ(x, -5);
    EXPECT_EQ(z, 0);
    EXPECT_EQ(GetTileIndex(50, 2), 250);
}

TEST(TexCoordRecords, RotationsAndFlipsUndoThemselves)
{
    const TileTexCoords start = Record(1, 2, 3, 4, 5, 6, 7, 8);
    TileTexCoords rec = start;
    for (int i = 0; i < 4; i++)
    {
        RotateUV90(&rec);
        if (i < 3)
        {
            EXPECT_FALSE(SameRecord(rec, start));
        }
    }
    EXPECT_TRUE(SameRecord(rec, start));

    RotateUV180(&rec);
    EXPECT_FALSE(SameRecord(rec, start));
    RotateUV180(&rec);
    EXPECT_TRUE(SameRecord(rec, start));

    RotateUV90(&rec);
    RotateUV270(&rec);
    EXPECT_TRUE(SameRecord(rec, start));

    FlipUVX(&rec);
    FlipUVX(&rec);
    EXPECT_TRUE(SameRecord(rec, start));
    FlipUVZ(&rec);
    FlipUVZ(&rec);
    EXPECT_TRUE(SameRecord(rec, start));
}

TEST(TexCoordRecords, EachOperationMovesThePairsAsTheTableSays)
{
    // Pairs P1..P4 = (1,2) (3,4) (5,6) (7,8).
    TileTexCoords rec = Record(1, 2, 3, 4, 5, 6, 7, 8);
    RotateUV90(&rec);   // P3 P1 P4 P2
    EXPECT_TRUE(SameRecord(rec, Record(5, 6, 1, 2, 7, 8, 3, 4)));
    rec = Record(1, 2, 3, 4, 5, 6, 7, 8);
    RotateUV180(&rec);  // P4 P3 P2 P1
    EXPECT_TRUE(SameRecord(rec, Record(7, 8, 5, 6, 3, 4, 1, 2)));
    rec = Record(1, 2, 3, 4, 5, 6, 7, 8);
    RotateUV270(&rec);  // P2 P4 P1 P3
    EXPECT_TRUE(SameRecord(rec, Record(3, 4, 7, 8, 1, 2, 5, 6)));
    rec = Record(1, 2, 3, 4, 5, 6, 7, 8);
    FlipUVZ(&rec);      // P3 P4 P1 P2
    EXPECT_TRUE(SameRecord(rec, Record(5, 6, 7, 8, 1, 2, 3, 4)));

    TileTexCoords blank = Record(0.07f, 0.07f, 0.93f, 0.07f, 0.07f, 0.93f, 0.93f, 0.93f);
    FlipUVX(&blank);
    EXPECT_TRUE(SameRecord(blank, Record(0.93f, 0.07f, 0.07f, 0.07f, 0.93f, 0.93f, 0.07f, 0.93f)));
}

TEST(MapDataSwitches, StartAsTheEditorExpectsAndToggle)
{
    EXPECT_TRUE(m_bBaseTextures);
    EXPECT_TRUE(m_bAlphaTextures);
    EXPECT_FALSE(bGrid);
    EXPECT_FALSE(m_bNormals);
    EXPECT_FALSE(m_bMMTex);
    EXPECT_FALSE(IsHiliteTileShown());

    ToggleBaseTextures();
    ToggleAlphaLayer();
    ToggleNormals();
    ToggleHiliteTile();
    EXPECT_FALSE(m_bBaseTextures);
    EXPECT_FALSE(m_bAlphaTextures);
    EXPECT_TRUE(m_bNormals);
    EXPECT_TRUE(IsHiliteTileShown());
    ToggleBaseTextures();
    ToggleAlphaLayer();
    ToggleNormals();
    ToggleHiliteTile();
    EXPECT_TRUE(m_bBaseTextures);
    EXPECT_TRUE(m_bAlphaTextures);
    EXPECT_FALSE(m_bNormals);
    EXPECT_FALSE(IsHiliteTileShown());
}

// The accessors read and write the one map: each case leaves it flat, whatever it asserted.
class MapDataAccessors : public ::testing::Test
{
protected:
    void TearDown() override { FlattenMap(); }
};

TEST_F(MapDataAccessors, OffMapIndicesAreLoggedAndReadAsNothing)
{
    InitErrorLog();
    m_iWrapOffsetZ[99] = 100;
    // 499999 is what picking returns for no tile; its z would be far outside the table.
    EXPECT_EQ(GetTileWrapOffsetZ(499999), 0);
    EXPECT_EQ(GetWrapOffsetX(-1), 0);
    EXPECT_FLOAT_EQ(GetTileHeight(100, 0), 0.0f);
    EXPECT_FALSE(IsTileDisplayable(0, 100));
    EXPECT_EQ(GetLandRowTileCount(0, 150), 0);
    TileTexCoords rec = Record(1, 2, 3, 4, 5, 6, 7, 8);
    SetBaseTileUV(rec, -1, 5);
    EXPECT_EQ(GetTileWrapOffsetZ(9950), 100);

    std::vector<std::string> lines = ReadLog();
    ASSERT_EQ(lines.size(), 7u);
    EXPECT_EQ(lines[1], "GetTileWrapOffsetZ: tile (99, 4999) is off the map");
}

TEST_F(MapDataAccessors, HeightsAreDividedByTheScale)
{
    InitMapData();
    m_MapData.siHeight[3][4] = 48;
    EXPECT_FLOAT_EQ(GetTileHeight(3, 4), 1.5f);
    EXPECT_FLOAT_EQ(GetTileHeightRaw(3, 4), 48.0f);
    EXPECT_EQ(GetHeightScale(), 32);
}

TEST_F(MapDataAccessors, FindsTheTileOfACave)
{
    m_MapData.siTileType[7][3] = 1;
    m_MapData.siCaveNumber[7][3] = 2;
    EXPECT_TRUE(IsCaveOnTile(7, 3));
    EXPECT_FALSE(IsCaveOnTile(3, 7));
    EXPECT_EQ(FindTileOfCave(2), 307);
    EXPECT_EQ(FindTileOfCave(5), -1);
}
