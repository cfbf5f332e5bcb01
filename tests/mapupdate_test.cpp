// The map update: the closing-down log, the switches that rebuild the land, and a whole map
// copied in, mended where it holds numbers no tool writes.
#include "support/devicefixture.h"

#include <cstddef>
#include <cstring>
#include <memory>
#include <string>
#include <vector>

#include "app/camera.h"
#include "app/log.h"
#include "support/readback.h"
#include "terrain/mapdata.h"
#include "terrain/mapupdate.h"
#include "terrain/view.h"

class MapUpdate : public DeviceTest
{
};

TEST_F(MapUpdate, CloseWithoutTexturesLogsEveryStepButNoRelease)
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

TEST_F(MapUpdate, CloseReportsEachTextureModeMiniMapBufferItReleases)
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

TEST_F(MapUpdate, GridRebuildsTheLandOnlyWhenSwitchedOn)
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

TEST_F(MapUpdate, SetThenGetGivesBackTheSameBlock)
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

TEST_F(MapUpdate, ALoadedMapWithBadNumbersIsLoggedAndMended)
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
