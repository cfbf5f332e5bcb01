// The map data block: tile arithmetic, texture-coordinate records, accessors, switches and
// the closing-down log.
#include "support/devicefixture.h"

#include <cstddef>
#include <fstream>
#include <memory>
#include <string>
#include <vector>

#include "app/camera.h"
#include "app/log.h"
#include "terrain/landtextures.h"
#include "terrain/mapdata.h"
#include "terrain/view.h"
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

TEST(MapDataAccessors, OffMapIndicesAreLoggedAndReadAsNothing)
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
    m_iWrapOffsetZ[99] = 0;

    std::vector<std::string> lines = ReadLog();
    ASSERT_EQ(lines.size(), 7u);
    EXPECT_EQ(lines[1], "GetTileWrapOffsetZ: tile (99, 4999) is off the map");
}

TEST(MapDataAccessors, HeightsAreDividedByTheScale)
{
    InitMapData();
    m_MapData.siHeight[3][4] = 48;
    EXPECT_FLOAT_EQ(GetTileHeight(3, 4), 1.5f);
    EXPECT_FLOAT_EQ(GetTileHeightRaw(3, 4), 48.0f);
    EXPECT_EQ(GetHeightScale(), 32);
    m_MapData.siHeight[3][4] = 0;
}

TEST(MapDataAccessors, FindsTheTileOfACave)
{
    m_MapData.siTileType[7][3] = 1;
    m_MapData.siCaveNumber[7][3] = 2;
    EXPECT_TRUE(IsCaveOnTile(7, 3));
    EXPECT_FALSE(IsCaveOnTile(3, 7));
    EXPECT_EQ(FindTileOfCave(2), 307);
    EXPECT_EQ(FindTileOfCave(5), -1);
    m_MapData.siTileType[7][3] = 0;
    m_MapData.siCaveNumber[7][3] = 0;
}

class MapDataOnDevice : public DeviceTest
{
};

TEST_F(MapDataOnDevice, CloseWithoutTexturesLogsEveryStepButNoRelease)
{
    InitErrorLog();
    CloseMapData();
    std::vector<std::string> lines = ReadLog();
    ASSERT_EQ(lines.size(), 1u + 1 + 1 + 16 + 1 + 129 + 1);
    EXPECT_EQ(lines[1], "Closing down Map Data");
    EXPECT_EQ(lines[2], "Closing down Map Data m_pMiniMap");
    EXPECT_EQ(lines[3], "Closing down Map Data m_pMMTex");
    EXPECT_EQ(lines[19], "Closing down Map Data m_pMMTex finished");
    for (int k = 0; k < 129; k++)
        EXPECT_EQ(lines[20 + k], "Closing down Map Data m_pLandTexture");
    EXPECT_EQ(lines.back(), "Closing down Map Data FINISHED");

    // Nothing left to release: a second close writes the same lines.
    InitErrorLog();
    CloseMapData();
    EXPECT_EQ(ReadLog(), lines);
}

TEST_F(MapDataOnDevice, CloseReportsEachTextureModeMiniMapBufferItReleases)
{
    InitCamera();
    InitMapData();
    LoadLandTextures();
    ToggleMiniMapMode();   // the blank map holds type 8 only
    InitErrorLog();
    CloseMapData();
    ToggleMiniMapMode();
    std::vector<std::string> lines = ReadLog();
    ASSERT_GE(lines.size(), 23u);
    EXPECT_EQ(lines[2], "Closing down Map Data m_pMiniMap");
    EXPECT_EQ(lines[11], "Closing down Map Data m_pMMTex");   // type 8
    EXPECT_EQ(lines[12], "Closing down Map Data m_pMMTex released");
    EXPECT_EQ(lines[13], "Closing down Map Data m_pMMTex");
    EXPECT_EQ(lines[20], "Closing down Map Data m_pMMTex finished");
    EXPECT_EQ(lines.back(), "Closing down Map Data FINISHED");
}

TEST_F(MapDataOnDevice, GridRebuildsTheLandOnlyWhenSwitchedOn)
{
    InitCamera();
    InitMapData();
    LoadLandTextures();
    // One tile in view keeps the traced build short.
    memset(m_bDisplayable, 0, sizeof(m_bDisplayable));
    m_bDisplayable[40][50] = true;
    CountTilesForTexture();
    m_bTraceLand = true;
    InitErrorLog();
    ToggleGrid();
    size_t iAfterOn = ReadLog().size();
    InitErrorLog();
    ToggleGrid();
    size_t iAfterOff = ReadLog().size();
    m_bTraceLand = false;
    EXPECT_GT(iAfterOn, 1u);
    EXPECT_EQ(iAfterOff, 1u);
    EXPECT_FALSE(bGrid);
    CalculateScreenPosition();
}

TEST_F(MapDataOnDevice, SetThenGetGivesBackTheSameBlock)
{
    InitMapData();
    std::unique_ptr<MapData> pData(new MapData(GetMapData()));
    for (int x = 0; x < MAP_SIZE; x++)
        for (int z = 0; z < MAP_SIZE; z++)
        {
            pData->siHeight[x][z] = (short)((x * 7 + z * 3) % 257);
            pData->siBaseTexture[x][z] = (short)(((x + z) % 16) * 8);
            pData->siAlphaTexture[x][z] = (short)((x % 16) * 8 + 1 + z % 7);
            pData->bTriangleFlip[x][z] = (x + z) % 2 == 0;
        }
    SetMapData(*pData);
    std::unique_ptr<MapData> pBack(new MapData(GetMapData()));
    // The normals are derived: the land build that follows recomputes them.
    EXPECT_EQ(memcmp(pData.get(), pBack.get(), offsetof(MapData, vNormal)), 0);
}

TEST_F(MapDataOnDevice, ALoadedMapWithBadNumbersIsLoggedAndMended)
{
    InitMapData();
    std::unique_ptr<MapData> pData(new MapData(GetMapData()));
    pData->siHeightScale = 0;
    pData->siBaseTexture[1][1] = -8;
    pData->siAlphaTexture[2][2] = 300;
    InitErrorLog();
    SetMapData(*pData);
    EXPECT_EQ(GetHeightScale(), 32);
    std::vector<std::string> lines = ReadLog();
    ASSERT_EQ(lines.size(), 3u);
    EXPECT_EQ(lines[1], "map data: bad height scale 0, using 32");
    EXPECT_EQ(lines[2], "map data: 2 tiles with bad texture numbers are not drawn");
}
