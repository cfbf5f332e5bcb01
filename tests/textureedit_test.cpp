// Tile texture tools: painting base and alpha layers, clearing the alpha layer, rotating and
// mirroring either layer, flipping the split, flooding; and the land rebuilt after each.
#include "support/devicefixture.h"

#include "app/camera.h"
#include "app/frame.h"
#include "app/msgproc.h"
#include "editor/textureedit.h"
#include "support/flatmap.h"
#include "terrain/landtextures.h"
#include "terrain/mapdata.h"
#include "terrain/mapupdate.h"
#include "terrain/view.h"

class TextureEdit : public DeviceTest
{
protected:
    static void SetUpTestSuite()
    {
        DeviceTest::SetUpTestSuite();
        StartTerrain();
    }

    void SetUp() override
    {
        FlattenMap();
        BlankTileTextures();
        SMD = MouseData();
        m_fFrameTime = 0.0f;
        InitCamera();
        CalculateScreenPosition();
    }

    void TearDown() override { SMD = MouseData(); }

    static const int TILE = 3 * 100 + 42;   // tile (42, 3)
};

TEST_F(TextureEdit, PaintingChoosesTheLayerByTheTextureNumber)
{
    PaintTileTexture(12, TILE);
    EXPECT_EQ(m_MapData.siAlphaTexture[42][3], 12);
    EXPECT_EQ(m_MapData.siBaseTexture[42][3], 64);
    EXPECT_EQ(GetTileAlphaTexture(TILE), 12);

    PaintTileTexture(64, TILE);
    EXPECT_EQ(m_MapData.siAlphaTexture[42][3], 12) << "the same base changes nothing";
    PaintTileTexture(16, TILE);
    EXPECT_EQ(m_MapData.siBaseTexture[42][3], 16);
    EXPECT_EQ(m_MapData.siAlphaTexture[42][3], 12) << "a new base keeps the alpha layer";
    EXPECT_EQ(GetTileBaseTexture(TILE), 16);
    PaintTileTexture(128, TILE);
    EXPECT_EQ(m_MapData.siAlphaTexture[42][3], 128);
    EXPECT_EQ(m_MapData.siBaseTexture[42][3], 16) << "128 clears the alpha layer only";

    m_MapData.siBaseTexture[42][3] = 128;
    m_MapData.siAlphaTexture[42][3] = 9;
    PaintTileTexture(128, TILE);
    EXPECT_EQ(m_MapData.siAlphaTexture[42][3], 9) << "a base of 128 is already painted";

    // Outside the numbers and the map nothing is written.
    PaintTileTexture(129, TILE);
    PaintTileTexture(-8, TILE);
    PaintTileTexture(16, 499999);
    PaintTileTexture(16, -1);
    EXPECT_EQ(m_MapData.siBaseTexture[42][3], 128);
    EXPECT_EQ(m_MapData.siAlphaTexture[42][3], 9);
    EXPECT_EQ(GetTileBaseTexture(499999), 128);
}

TEST_F(TextureEdit, ThePaintedTileIsDrawnInItsNewBatch)
{
    int x = -1, z = -1;
    for (int i = 0; i < MAP_SIZE * MAP_SIZE && x < 0; i++)
        if (IsTileDisplayable(i % 100, i / 100))
        {
            x = i % 100;
            z = i / 100;
        }
    ASSERT_GE(x, 0);
    PaintTileTexture(16, z * 100 + x);
    PaintTileTexture(19, z * 100 + x);
    EXPECT_EQ(GetLandRowTileCount(2, m_iConvertedAlpha[19]), 1);
}

TEST_F(TextureEdit, RotateAndMirrorWorkOnTheLayerOfTheHeldButton)
{
    for (int i = 0; i < 3; i++)
        RotateTileTexture(TILE);
    EXPECT_EQ(m_MapData.siBaseRotation[42][3], 3);
    RotateTileTexture(TILE);
    EXPECT_EQ(m_MapData.siBaseRotation[42][3], 0) << "four turns come round";

    FlipTileTextureX(TILE);
    FlipTileTextureZ(TILE);
    FlipTileTextureZ(TILE);
    EXPECT_TRUE(m_MapData.bBaseFlipX[42][3]);
    EXPECT_FALSE(m_MapData.bBaseFlipZ[42][3]);
    EXPECT_EQ(m_MapData.siAlphaRotation[42][3], 0);
    EXPECT_FALSE(m_MapData.bAlphaFlipX[42][3]);

    // Right button held: the alpha layer, with or without an alpha texture.
    SMD.bRightDown = true;
    RotateTileTexture(TILE);
    EXPECT_EQ(m_MapData.siAlphaRotation[42][3], 1);
    FlipTileTextureX(TILE);
    EXPECT_TRUE(m_MapData.bAlphaFlipZ[42][3]) << "turned a quarter, x mirrors along z";
    EXPECT_FALSE(m_MapData.bAlphaFlipX[42][3]);
    FlipTileTextureZ(TILE);
    EXPECT_TRUE(m_MapData.bAlphaFlipX[42][3]);
    EXPECT_EQ(m_MapData.siBaseRotation[42][3], 0);
    EXPECT_TRUE(m_MapData.bBaseFlipX[42][3]);

    // A quick right click, released before the frame: still the alpha layer.
    SMD.bRightDown = false;
    SMD.bRightClick = true;
    RotateTileTexture(TILE);
    EXPECT_EQ(m_MapData.siAlphaRotation[42][3], 2);
    SMD.bRightClick = false;

    // A loaded map's odd values: a flag of 2 counts as set, rotation 7 turns to 0.
    SMD.bRightDown = false;
    *(unsigned char*)&m_MapData.bBaseFlipZ[42][3] = 2;
    m_MapData.siBaseRotation[42][3] = 7;
    RotateTileTexture(TILE);
    EXPECT_EQ(m_MapData.siBaseRotation[42][3], 0);
    FlipTileTextureZ(TILE);
    EXPECT_EQ(*(unsigned char*)&m_MapData.bBaseFlipZ[42][3], 0);
}

TEST_F(TextureEdit, TriangleFlipAndFlood)
{
    FlipTileTriangle(TILE);
    EXPECT_TRUE(m_MapData.bTriangleFlip[42][3]);
    FlipTileTriangle(TILE);
    EXPECT_FALSE(m_MapData.bTriangleFlip[42][3]);

    m_MapData.siAlphaTexture[7][7] = 20;
    FloodTexture(13);
    EXPECT_EQ(m_MapData.siBaseTexture[0][0], 8);
    EXPECT_EQ(m_MapData.siBaseTexture[99][99], 8);
    EXPECT_EQ(m_MapData.siAlphaTexture[7][7], 20) << "a base flood keeps alpha layers";

    FloodTexture(128);
    EXPECT_EQ(m_MapData.siAlphaTexture[7][7], 128);
    EXPECT_EQ(m_MapData.siBaseTexture[7][7], 8) << "flooding 128 clears alpha layers only";
}
