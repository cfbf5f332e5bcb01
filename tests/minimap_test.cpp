// The mini map, the camera cross and the land overlays, in their buffers and on the screen.
#include "support/devicefixture.h"

#include <vector>

#include "app/camera.h"
#include "app/d3dservices.h"
#include "support/readback.h"
#include "terrain/landbuffers.h"
#include "terrain/landpasses.h"
#include "terrain/landtextures.h"
#include "terrain/mapdata.h"
#include "terrain/mapupdate.h"
#include "terrain/minimap.h"
#include "terrain/view.h"

static bool IsRed(DWORD c)
{
    return (c & 0xFFFFFF) == 0xFF0000;
}

static bool IsReddish(DWORD c)
{
    int r = (c >> 16) & 0xFF, g = (c >> 8) & 0xFF, b = c & 0xFF;
    return r > 40 && r > 2 * g && r > 2 * b;
}

class MiniMap : public DeviceTest
{
protected:
    static void SetUpTestSuite()
    {
        DeviceTest::SetUpTestSuite();
        InitCamera();
        InitMapData();
        LoadLandTextures();
    }

    void SetUp() override
    {
        for (int x = 0; x < MAP_SIZE; x++)
            for (int z = 0; z < MAP_SIZE; z++)
            {
                m_MapData.siHeight[x][z] = 0;
                m_MapData.siBaseTexture[x][z] = 64;
            }
        m_bMMTex = false;
        bGrid = false;
        m_bNormals = false;
        m_bHiliteTile = false;
        MoveCameraTo(40, 30);
        CalculateScreenPosition();
    }

    // The overlays alone over a cleared frame, as the renderer leaves the states for them.
    static std::vector<DWORD> DrawOverlays(int* piWidth)
    {
        int h = 0;
        m_pDevice->Clear(0, NULL, D3DCLEAR_TARGET | D3DCLEAR_ZBUFFER, 0xFF000000, 1.0f, 0);
        m_pDevice->BeginScene();
        ResetRenderStates();
        m_pDevice->SetRenderState(D3DRS_FOGENABLE, FALSE);
        RenderLandOverlays();
        m_pDevice->EndScene();
        return ReadBackBuffer(piWidth, &h);
    }
};

TEST_F(MiniMap, HeightShadesUseOnlyTheLowEightBits)
{
    m_MapData.siHeight[3][4] = 255;
    m_MapData.siHeight[5][4] = 256;
    m_MapData.siHeight[7][4] = 128;
    GenerateHeightMap();

    std::vector<ColorScreenVertex> v = ReadBuffer<ColorScreenVertex>(m_pMiniMap);
    ASSERT_EQ(v.size(), 10009u);
    EXPECT_EQ(v[403].dwColour, 0xFFFFFFFFu);
    EXPECT_EQ(v[405].dwColour, 0xFF000000u);   // 256 wraps to black
    EXPECT_EQ(v[407].dwColour, 0xFF808080u);
    EXPECT_FLOAT_EQ(v[403].x, 3.0f);
    EXPECT_FLOAT_EQ(v[403].y, 95.0f);   // z grows upwards

    int w = 0;
    std::vector<DWORD> px = DrawOverlays(&w);
    ASSERT_FALSE(px.empty());
    EXPECT_EQ(px[95 * w + 3] & 0xFFFFFF, 0xFFFFFFu);
    EXPECT_EQ(px[95 * w + 5] & 0xFFFFFF, 0u);
    EXPECT_EQ(px[95 * w + 7] & 0xFFFFFF, 0x808080u);
}

TEST_F(MiniMap, CrossAtTheMapsCornerHangsOffTheMiniMap)
{
    MoveCameraTo(0, 0);
    GenerateHeightMap();

    std::vector<ColorScreenVertex> v = ReadBuffer<ColorScreenVertex>(m_pMiniMap);
    ASSERT_EQ(v.size(), 10009u);
    const float fX[9] = {0, -1, -2, 1, 2, 0, 0, 0, 0};
    const float fY[9] = {99, 99, 99, 99, 99, 100, 101, 98, 97};
    for (int i = 0; i < 9; i++)
    {
        EXPECT_FLOAT_EQ(v[10000 + i].x, fX[i]) << i;
        EXPECT_FLOAT_EQ(v[10000 + i].y, fY[i]) << i;
        EXPECT_EQ(v[10000 + i].dwColour, 0xFFFF0000u) << i;
    }

    int w = 0;
    std::vector<DWORD> px = DrawOverlays(&w);
    ASSERT_FALSE(px.empty());
    EXPECT_TRUE(IsRed(px[99 * w + 0]));
    EXPECT_TRUE(IsRed(px[99 * w + 2]));
    EXPECT_TRUE(IsRed(px[97 * w + 0]));
    EXPECT_TRUE(IsRed(px[101 * w + 0]));
}

TEST_F(MiniMap, TextureModeCountsEachTypeAndLeavesTheHeightPointsAlone)
{
    m_MapData.siHeight[1][1] = 200;
    GenerateHeightMap();
    m_MapData.siBaseTexture[10][20] = 0;
    m_MapData.siBaseTexture[11][20] = 0;
    m_MapData.siBaseTexture[12][20] = 128;   // no base type: left out
    m_MapData.siHeight[1][1] = 0;
    m_bMMTex = true;
    GenerateHeightMap();

    EXPECT_EQ(m_iMMTexCount[0], 2);
    EXPECT_EQ(m_iMMTexCount[8], 9997);
    EXPECT_EQ(m_pMMTex[1], (LPDIRECT3DVERTEXBUFFER9)NULL);
    std::vector<TexScreenVertex> t = ReadBuffer<TexScreenVertex>(m_pMMTex[0]);
    ASSERT_EQ(t.size(), 10000u);
    EXPECT_FLOAT_EQ(t[1].x, 11.0f);
    EXPECT_FLOAT_EQ(t[1].y, 79.0f);
    EXPECT_FLOAT_EQ(t[1].u, 0.5f);
    std::vector<ColorScreenVertex> v = ReadBuffer<ColorScreenVertex>(m_pMiniMap);
    EXPECT_EQ(v[101].dwColour, 0xFFC8C8C8u);   // still the last height build's shade

    // On the screen the points take their type's colour and the cross stays red.
    int w = 0;
    std::vector<DWORD> px = DrawOverlays(&w);
    ASSERT_FALSE(px.empty());
    EXPECT_NE(px[79 * w + 10] & 0xFFFFFF, px[79 * w + 50] & 0xFFFFFF);
    EXPECT_NE(px[79 * w + 50] & 0xFFFFFF, 0u);
    EXPECT_TRUE(IsRed(px[69 * w + 40]));   // the camera at (40, 30)
    EXPECT_TRUE(IsRed(px[69 * w + 42]));
}

TEST_F(MiniMap, HiliteQuadOverTheLastColumnTakesColumnZerosHeights)
{
    m_MapData.siHeight[0][5] = 64;
    m_MapData.siHeight[0][6] = 32;
    m_iWrapOffsetX[99] = 0;
    m_iWrapOffsetZ[5] = 0;
    SetHiliteTile(99, 5);

    std::vector<LineVertex> v = ReadBuffer<LineVertex>(m_pTileVB);
    ASSERT_EQ(v.size(), 4u);
    // TL, TR, BL, BR, each 0.01 above its corner.
    const float fX[4] = {99, 100, 99, 100}, fY[4] = {0.01f, 1.01f, 0.01f, 2.01f};
    const float fZ[4] = {6, 6, 5, 5};
    for (int i = 0; i < 4; i++)
    {
        EXPECT_FLOAT_EQ(v[i].x, fX[i]) << i;
        EXPECT_FLOAT_EQ(v[i].y, fY[i]) << i;
        EXPECT_FLOAT_EQ(v[i].z, fZ[i]) << i;
        EXPECT_EQ(v[i].dwColour, 0x00FF0000u);
    }

    SetHiliteTile(100, 5);   // off the map: refused, the quad stays
    EXPECT_EQ(ReadBuffer<LineVertex>(m_pTileVB).size(), 4u);
}

TEST_F(MiniMap, GridNormalsAndHiliteAreDrawnOnlyWhileSwitchedOn)
{
    int w = 0;
    auto redInLand = [&]() {
        std::vector<DWORD> px = DrawOverlays(&w);
        return px.empty() ? -1 : CountPixels(px, w, 0, 120, w, 768, IsReddish);
    };
    // Build the grid once, then switch it off: the buffer keeps its lines, none are drawn.
    bGrid = true;
    LoadLandBuffer();
    int iGrid = redInLand();
    bGrid = false;
    EXPECT_EQ(redInLand(), 0);
    EXPECT_GT(iGrid, 1000);

    m_bNormals = true;
    EXPECT_GT(redInLand(), 100);
    m_bNormals = false;

    // The camera at (40, 30) looks along +z: tile (40, 60) lies ahead.
    SetHiliteTile(40, 60);
    m_bHiliteTile = true;
    EXPECT_GT(redInLand(), 20);
}
