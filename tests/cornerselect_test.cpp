// The texture-corner selector: the outlines and labels of the selected tile's texture
// corners, which corner the pointer takes, where a drag puts it, and that the map follows.
#include "support/devicefixture.h"

#include <vector>

#include "app/camera.h"
#include "app/d3dservices.h"
#include "app/msgproc.h"
#include "app/screenvertex.h"
#include "app/text.h"
#include "editor/cornerselect.h"
#include "editor/editpanels.h"
#include "editor/landedit.h"
#include "terrain/landtextures.h"
#include "terrain/mapdata.h"
#include "terrain/mapupdate.h"
#include "terrain/view.h"
#include "support/flatmap.h"
#include "support/readback.h"

// The blank record: pairs 1 to 4 at (0.07, 0.07), (0.93, 0.07), (0.07, 0.93), (0.93, 0.93).
static TileTexCoords Blank()
{
    return {{0.07f, 0.07f, 0.93f, 0.07f, 0.07f, 0.93f, 0.93f, 0.93f}};
}

// Corner 1 to 4 of a record: pairs 3, 1, 2, 4.
static D3DXVECTOR2 Corner(const TileTexCoords& rec, int k)
{
    static const int first[4] = {4, 0, 2, 6};
    return D3DXVECTOR2(rec.fUV[first[k - 1]], rec.fUV[first[k - 1] + 1]);
}

class CornerSelector : public DeviceTest
{
protected:
    static void SetUpTestSuite()
    {
        DeviceTest::SetUpTestSuite();
        StartTerrain();
        RestoreLandEditGUI();
    }
    static void TearDownTestSuite()
    {
        ReleaseCornerSelector();
        ReleaseLandEditGUI();
        DeleteFont();
    }

    // The previews drawn, the alpha one too: the selector takes the pointer only over them.
    void SetUp() override
    {
        SMD = {};
        m_bTextureStrip = true;
        m_bCaveEdit = false;
        m_siEditTool = TOOL_PAINT_TEXTURE;
        m_iSelectedTile = 0;
        m_MapData.siAlphaTexture[0][0] = 1;
        m_iSelectedUVCorner = 0;
        m_base = Blank();
        m_alpha = Blank();
    }

    // One update with the pointer at (x, y), the left button held or not.
    void Update(int x, int y, bool bLeftDown)
    {
        SMD.siX = (short)x;
        SMD.siY = (short)y;
        SMD.bLeftDown = bLeftDown;
        UpdateCornerSelector(&m_base, &m_alpha);
    }

    std::vector<ColorScreenVertex> Vertices()
    {
        return ReadBuffer<ColorScreenVertex>(m_pCornerSelectorVB);
    }

    TileTexCoords m_base, m_alpha;
};

static void ExpectAt(const ColorScreenVertex& v, float x, float y, DWORD dwColour)
{
    EXPECT_EQ(v.x, x);
    EXPECT_EQ(v.y, y);
    EXPECT_EQ(v.rhw, 0.5f);
    EXPECT_EQ(v.dwColour, dwColour);
}

TEST_F(CornerSelector, OutlinesAndLabelsFollowTheRecords)
{
    Update(500, 400, false);
    std::vector<ColorScreenVertex> v = Vertices();
    ASSERT_EQ(v.size(), 14u);
    // Corners 1, 2, 3, 4, 1 at 5 + floor(128u), 200 or 338 + floor(128v).
    const float fx[5] = {13, 13, 124, 124, 13}, fy[5] = {119, 8, 8, 119, 119};
    for (int i = 0; i < 5; i++)
    {
        ExpectAt(v[i], fx[i], 200 + fy[i], 0x0000FF00);
        ExpectAt(v[5 + i], fx[i], 338 + fy[i], 0x0000FF00);
    }
    // The labels sit on the base quad, five pixels left of its corners.
    for (int k = 0; k < 4; k++)
    {
        EXPECT_EQ(m_ptCornerPanelLabel[k].x, (LONG)fx[k] - 5) << k;
        EXPECT_EQ(m_ptCornerPanelLabel[k].y, 200 + (LONG)fy[k]) << k;
    }
    EXPECT_EQ(m_iSelectedUVCorner, 0) << "no corner is chosen with the pointer on the map";

    // With the pointer over the alpha panel the labels move to the alpha quad.
    Update(60, 400, false);
    for (int k = 0; k < 4; k++)
        EXPECT_EQ(m_ptCornerPanelLabel[k].y, 338 + (LONG)fy[k]) << k;
}

TEST_F(CornerSelector, TheNearestCornerOfTheBandIsChosenAndTiesGoToTheLowerNumber)
{
    Update(20, 310, false);
    EXPECT_EQ(m_iSelectedUVCorner, 1);
    std::vector<ColorScreenVertex> v = Vertices();
    ExpectAt(v[10], 8, 319, 0x00FF0000);
    ExpectAt(v[11], 18, 319, 0x00FF0000);
    ExpectAt(v[12], 13, 314, 0x00FF0000);
    ExpectAt(v[13], 13, 324, 0x00FF0000);

    Update(120, 350, false);
    EXPECT_EQ(m_iSelectedUVCorner, 7) << "alpha corner 3";
    EXPECT_EQ(Vertices()[10].y, 346.0f);

    // Corner 1 at (0, 64) and corner 2 at (0, 0) of the panel; the pointer half way.
    m_base.fUV[4] = 0.0f;
    m_base.fUV[5] = 0.5f;
    m_base.fUV[0] = 0.0f;
    m_base.fUV[1] = 0.0f;
    Update(5, 232, false);
    EXPECT_EQ(m_iSelectedUVCorner, 1);
    TileTexCoords blank = Blank();
    EXPECT_TRUE(memcmp(&m_alpha, &blank, sizeof(blank)) == 0) << "nothing moves unheld";
}

TEST_F(CornerSelector, DraggingSetsWholeStepsOf128thsClampedToTheTexture)
{
    Update(20, 310, true);
    EXPECT_EQ(Corner(m_base, 1), D3DXVECTOR2(15.0f / 128, 110.0f / 128));
    Update(2, 197, true);
    EXPECT_EQ(Corner(m_base, 1), D3DXVECTOR2(0.0f, 0.0f));
    Update(137, 332, true);
    EXPECT_EQ(Corner(m_base, 1), D3DXVECTOR2(1.0f, 1.0f));
    // Dragged down into the alpha band, v counts from the alpha panel's top.
    Update(69, 400, true);
    EXPECT_EQ(Corner(m_base, 1), D3DXVECTOR2(0.5f, 62.0f / 128));
    ExpectAt(Vertices()[10], 64, 262, 0x00FF0000);
    // The other corners and the alpha record stayed.
    EXPECT_EQ(Corner(m_base, 2), Corner(Blank(), 2));
    EXPECT_EQ(Corner(m_base, 3), Corner(Blank(), 3));
    EXPECT_EQ(Corner(m_base, 4), Corner(Blank(), 4));
    TileTexCoords blank = Blank();
    EXPECT_TRUE(memcmp(&m_alpha, &blank, sizeof(blank)) == 0);
}

TEST_F(CornerSelector, ACornerDraggedPastAnotherStaysTheOneHeld)
{
    Update(14, 318, true);    // on corner 1
    Update(14, 260, true);
    Update(14, 205, true);    // past corner 2 at (13, 208)
    EXPECT_EQ(m_iSelectedUVCorner, 1);
    EXPECT_EQ(Corner(m_base, 1), D3DXVECTOR2(9.0f / 128, 5.0f / 128));
    EXPECT_EQ(Corner(m_base, 2), Corner(Blank(), 2));
    Update(14, 205, false);   // released: the nearest corner is chosen again
    EXPECT_EQ(m_iSelectedUVCorner, 1);
    Update(14, 212, false);
    EXPECT_EQ(m_iSelectedUVCorner, 2);
}

TEST_F(CornerSelector, TheAlphaOutlineShowsOnlyForATileWithAnAlphaTexture)
{
    Update(500, 400, false);
    auto green = [](DWORD c) { return (c & 0xFFFFFF) == 0x00FF00; };
    for (int iAlpha : {PLAIN_TEXTURE, 1})
    {
        m_pDevice->Clear(0, NULL, D3DCLEAR_TARGET, 0xFF000000, 1.0f, 0);
        m_pDevice->BeginScene();
        RenderCornerSelector(iAlpha);
        m_pDevice->EndScene();
        int w, h;
        std::vector<DWORD> px = ReadBackBuffer(&w, &h);
        EXPECT_GT(CountPixels(px, w, 0, 195, 138, 333, green), 300);
        EXPECT_EQ(CountPixels(px, w, 0, 333, 138, 471, green) > 300, iAlpha != PLAIN_TEXTURE);
    }
}

TEST_F(CornerSelector, MapLabelsSitOnTheSelectedTilesCornersBeyondTheLastColumnToo)
{
    InitCamera();
    MoveCameraTo(99, 30);
    CalculateScreenPosition();
    m_iSelectedTile = 45 * 100 + 99;
    ProjectSelectedTileCorners();
    D3DXVECTOR3 p = GetTileScreenPos(99, 45);
    EXPECT_EQ(m_ptCornerMapLabel[0].x, (LONG)p.x);
    EXPECT_EQ(m_ptCornerMapLabel[0].y, (LONG)p.y);
    // Labels 3 and 4 are one tile to the right of 2 and 1, not 99 tiles to the left.
    LONG lStep = m_ptCornerMapLabel[3].x - m_ptCornerMapLabel[0].x;
    EXPECT_GT(lStep, 10);
    EXPECT_LT(lStep, 200);
    EXPECT_GT(m_ptCornerMapLabel[2].x - m_ptCornerMapLabel[1].x, 10);
    EXPECT_LT(m_ptCornerMapLabel[1].y, m_ptCornerMapLabel[0].y) << "label 2 lies farther off";
    InitCamera();
    m_iSelectedTile = 0;
}

// Through the editor's own steps: the hover and button steps hand the records over and the
// land is rebuilt from them.
class CornerEditing : public CornerSelector
{
protected:
    void SetUp() override
    {
        CornerSelector::SetUp();
        InitCamera();
        for (int x = 0; x < MAP_SIZE; x++)
            for (int z = 0; z < MAP_SIZE; z++)
            {
                m_BaseTexCoords[x][z] = Blank();
                m_AlphaTexCoords[x][z] = Blank();
                m_MapData.siBaseTexture[x][z] = 64;
                m_MapData.siAlphaTexture[x][z] = PLAIN_TEXTURE;
            }
        CalculateScreenPosition();
        m_siEditTool = TOOL_PAINT_TEXTURE;
        m_siSelectedTexture = 4;
        m_bTextureStrip = true;
        m_bEditingUV = false;
        m_iSelectedTile = 0;
    }

    static void Step(int x, int y, bool bDown, bool bClick)
    {
        SMD.siX = (short)x;
        SMD.siY = (short)y;
        SMD.bLeftDown = bDown;
        SMD.bLeftClick = bClick;
        TestForPoint();
        if (bDown)
            ProcessLeftMouseButton();
    }
};

// Where no preview is drawn the land is under the pointer, and a press there moves no corner.
TEST_F(CornerEditing, APressLeftOfThePanelsWhereNoneIsDrawnIsAPressOnTheLand)
{
    m_bTextureStrip = false;
    Step(100, 300, true, true);
    int x, z;
    SplitTileIndex(GetSelectedTile(), &x, &z);
    ASSERT_NE(GetSelectedTile(), 0) << "a tile is picked under the pointer";
    EXPECT_EQ(m_MapData.siAlphaTexture[x][z], 4) << "the paint tool acts";
    EXPECT_EQ(Corner(m_BaseTexCoords[x][z], 4), Corner(Blank(), 4));
    EXPECT_EQ(Corner(m_AlphaTexCoords[x][z], 4), Corner(Blank(), 4));
}

TEST_F(CornerEditing, ADragFromAPanelOntoTheMapPaintsNothingUntilReleased)
{
    m_iSelectedTile = 30 * 100 + 40;
    Step(14, 318, true, true);   // on corner 1 of the base preview
    EXPECT_EQ(Corner(m_BaseTexCoords[40][30], 1), D3DXVECTOR2(9.0f / 128, 118.0f / 128));
    // The land the next frame draws carries the new corner.
    Step(60, 260, true, false);
    EXPECT_EQ(Corner(m_BaseTexCoords[40][30], 1), D3DXVECTOR2(55.0f / 128, 60.0f / 128));

    Step(500, 400, true, false);
    Step(520, 420, true, false);
    int iPainted = 0;
    for (int x = 0; x < MAP_SIZE; x++)
        for (int z = 0; z < MAP_SIZE; z++)
            iPainted += m_MapData.siAlphaTexture[x][z] != PLAIN_TEXTURE;
    EXPECT_EQ(iPainted, 0);
    EXPECT_EQ(Corner(m_BaseTexCoords[40][30], 1), D3DXVECTOR2(55.0f / 128, 60.0f / 128));

    Step(520, 420, false, false);
    Step(520, 420, true, true);
    int iTile = GetSelectedTile();
    EXPECT_EQ(m_MapData.siAlphaTexture[iTile % 100][iTile / 100], 4) << "after release it paints";
}
