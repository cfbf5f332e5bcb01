// The land editor's mouse steps: the palette, strip and mini-map regions, which tools act on
// a held button and which on the click only, picks over no tile, the corner panels, the hover
// step's pacing and FAST EDIT, and the tool choices of the keys and the popup.
#include "support/devicefixture.h"

#include <algorithm>
#include <mmsystem.h>

#include "app/camera.h"
#include "app/frame.h"
#include "app/msgproc.h"
#include "app/startup.h"
#include "editor/landedit.h"
#include "editor/picking.h"
#include "support/flatmap.h"
#include "terrain/landtextures.h"
#include "terrain/mapdata.h"
#include "terrain/mapupdate.h"
#include "terrain/view.h"

class LandEdit : public DeviceTest
{
protected:
    static void SetUpTestSuite()
    {
        DeviceTest::SetUpTestSuite();
        StartTerrain();
    }

    void SetUp() override
    {
        FlattenMapWithoutCaves();
        BlankTileTextures();
        m_fFrameTime = 0.0f;
        InitCamera();
        CalculateScreenPosition();
        SMD = MouseData();
        m_siScreenMode = 2;
        m_siEditTool = TOOL_PAINT_TEXTURE;
        m_siSelectedTexture = 4;
        m_iSelectedTile = 0;
        m_ptSelectedCorner = {-10, -10};
        m_siCloneHeight = 256;
        m_siTexturePage = 0;
        m_bTextureStrip = false;
        m_bCaveEdit = false;
        m_bFastEdit = true;
        m_bEditingUV = false;
        m_ptLastPickMouse = {-1, -1};
        MovePointer(500, 400);
        m_iCentreTile = PickTile(500, 400);
        ASSERT_NE(m_iCentreTile, NO_PICKED_TILE);
        m_cx = m_iCentreTile % 100;
        m_cz = m_iCentreTile / 100;
    }

    // A button step at (x, y) in the frame of a fresh click; the frame's end clears the click.
    static void Click(int x, int y, bool bRight = false)
    {
        SMD.siX = (short)x;
        SMD.siY = (short)y;
        (bRight ? SMD.bRightDown : SMD.bLeftDown) = true;
        (bRight ? SMD.bRightClick : SMD.bLeftClick) = true;
        ProcessLeftMouseButton();
        SMD = MouseData();
    }

    // A button step with the left button still held from an earlier frame.
    static void Held(int x, int y)
    {
        SMD.siX = (short)x;
        SMD.siY = (short)y;
        SMD.bLeftDown = true;
        ProcessLeftMouseButton();
        SMD = MouseData();
    }

    // The hover step as the next paced one.
    static void Hover(int x, int y)
    {
        SMD.siX = (short)x;
        SMD.siY = (short)y;
        m_dwLastPickTime = timeGetTime() - 1000;
        TestForPoint();
    }

    int m_iCentreTile = 0, m_cx = 0, m_cz = 0;
};

TEST_F(LandEdit, PaletteCellsSelectTheirToolAndTheStripsBesideThemNothing)
{
    m_siEditTool = TOOL_FLOOD;
    m_siSelectedTexture = 16;
    Click(985, 25);
    EXPECT_EQ(m_siEditTool, TOOL_MIRROR_X);
    Click(1020, 10);
    EXPECT_EQ(m_siEditTool, TOOL_MIRROR_X) << "strip right of the cells";
    Click(970, 62);
    EXPECT_EQ(m_siEditTool, TOOL_MIRROR_X) << "strip below the cells";
    Click(960, 0);
    EXPECT_EQ(m_siEditTool, TOOL_SAMPLE);
    Click(1019, 59);
    EXPECT_EQ(m_siEditTool, TOOL_FLOOD);
    EXPECT_EQ(m_MapData.siBaseTexture[5][5], 64) << "palette clicks never flood the map";

    m_bCaveEdit = true;
    Click(1005, 25);
    EXPECT_EQ(m_siEditTool, TOOL_MIRROR_Z) << "the palette knows no CAVE EDIT rule";
}

TEST_F(LandEdit, StripSlotsSelectTexturesOfThePageOnlyWhileShown)
{
    m_siTexturePage = 10;
    m_siEditTool = TOOL_FLIP_TRIANGLE;
    m_bTextureStrip = true;
    Click(300, 700);
    EXPECT_EQ(m_siSelectedTexture, 12);
    EXPECT_EQ(m_siEditTool, TOOL_PAINT_TEXTURE);

    // Tools 2 and 7 hide the strip: the land there is theirs.
    m_siEditTool = TOOL_PAINT_HEIGHT;
    MovePointer(520, 700);
    Click(520, 700);
    ASSERT_EQ(m_siEditTool, TOOL_PAINT_HEIGHT);
    EXPECT_EQ(m_MapData.siHeight[m_ptSelectedCorner.x][m_ptSelectedCorner.z], 256);

    m_siEditTool = TOOL_FLIP_TRIANGLE;
    m_bTextureStrip = false;
    int iTile = PickTile(300, 700);
    ASSERT_NE(iTile, NO_PICKED_TILE);
    Click(300, 700);
    EXPECT_TRUE(m_MapData.bTriangleFlip[iTile % 100][iTile / 100]) << "the map's own there";
    EXPECT_EQ(m_iSelectedTile, iTile);

    m_siTexturePage = MAX_TEXTURE_PAGE;
    NextTexturePage();
    EXPECT_EQ(m_siTexturePage, MAX_TEXTURE_PAGE);
    m_siTexturePage = 0;
    PreviousTexturePage();
    EXPECT_EQ(m_siTexturePage, 0);
    NextTexturePage();
    EXPECT_EQ(m_siTexturePage, 1);
}

TEST_F(LandEdit, AMiniMapClickMovesTheCameraAndNothingElse)
{
    m_siEditTool = TOOL_FLOOD;
    m_siSelectedTexture = 16;
    Click(30, 0);
    EXPECT_FLOAT_EQ(GetCameraX(), 30.0f);
    EXPECT_FLOAT_EQ(GetCameraZ(), 99.0f);
    EXPECT_EQ(m_MapData.siBaseTexture[0][0], 64);
}

TEST_F(LandEdit, PaintFollowsAHeldButtonTheOtherToolsOnlyTheClick)
{
    m_siSelectedTexture = 16;
    Held(500, 400);
    EXPECT_EQ(m_MapData.siBaseTexture[m_cx][m_cz], 16) << "paint without a fresh click";
    EXPECT_EQ(m_iSelectedTile, m_iCentreTile);

    const short tools[] = {TOOL_ROTATE, TOOL_MIRROR_X, TOOL_MIRROR_Z, TOOL_FLIP_TRIANGLE,
                           TOOL_PAINT_HEIGHT, TOOL_FLOOD};
    for (short siTool : tools)
    {
        m_siEditTool = siTool;
        Held(500, 400);
    }
    EXPECT_EQ(m_MapData.siBaseRotation[m_cx][m_cz], 0);
    EXPECT_FALSE(m_MapData.bBaseFlipX[m_cx][m_cz]);
    EXPECT_FALSE(m_MapData.bBaseFlipZ[m_cx][m_cz]);
    EXPECT_FALSE(m_MapData.bTriangleFlip[m_cx][m_cz]);
    EXPECT_EQ(m_MapData.siBaseTexture[0][0], 64);
    for (int x = 0; x < MAP_SIZE; x++)
        for (int z = 0; z < MAP_SIZE; z++)
            ASSERT_EQ(m_MapData.siHeight[x][z], 0);

    m_siEditTool = TOOL_ROTATE;
    Click(500, 400);
    Click(500, 400, true);
    EXPECT_EQ(m_MapData.siBaseRotation[m_cx][m_cz], 1);
    EXPECT_EQ(m_MapData.siAlphaRotation[m_cx][m_cz], 1) << "right click: the alpha layer";
    m_siEditTool = TOOL_FLIP_TRIANGLE;
    Click(500, 400, true);
    EXPECT_FALSE(m_MapData.bTriangleFlip[m_cx][m_cz]) << "flip takes the left click only";
    m_siEditTool = TOOL_FLOOD;
    Click(500, 400);
    EXPECT_EQ(m_MapData.siBaseTexture[0][0], 16);
}

TEST_F(LandEdit, AClickActsOnceReleasedBeforeTheFrameOrMovedWithinIt)
{
    SMD.siX = 500;
    SMD.siY = 400;
    // A click given while the memorial screen stands was meant for it.
    PostMessageA(m_hWnd, WM_LBUTTONDOWN, MK_LBUTTON, 0);
    PostMessageA(m_hWnd, WM_LBUTTONUP, 0, 0);
    MsgProc(m_hWnd, WM_KEYDOWN, 'I', 0);
    MsgProc(m_hWnd, WM_KEYUP, 'I', 0);
    for (MSG msg; PeekMessageA(&msg, NULL, WM_MOUSEFIRST, WM_MOUSELAST, PM_REMOVE);)
        DispatchMessageA(&msg);
    ZANRun();
    EXPECT_EQ(m_MapData.siAlphaTexture[m_cx][m_cz], 128);

    SMD.bLeftClick = true;   // pressed and released between two frames
    ZANRun();
    EXPECT_EQ(m_MapData.siAlphaTexture[m_cx][m_cz], 4);
    SMD = MouseData();

    // A move in the frame of the click runs the button step from the window procedure first.
    for (short siTool : {TOOL_MIRROR_X, TOOL_ROTATE, TOOL_FLIP_TRIANGLE})
    {
        m_siEditTool = siTool;
        SMD.siX = 500;
        SMD.siY = 400;
        SMD.bLeftDown = SMD.bLeftClick = true;
        ProcessLeftMouseButton();
        ZANRun();
        SMD = MouseData();
    }
    EXPECT_EQ(m_MapData.siBaseRotation[m_cx][m_cz], 1);
    EXPECT_TRUE(m_MapData.bBaseFlipX[m_cx][m_cz]) << "a mirror must not undo itself";
    EXPECT_TRUE(m_MapData.bTriangleFlip[m_cx][m_cz]);

    // A press acts where its button went down, though the pointer left before the frame: on
    // tool 7's cell it only chooses the tool; on the land, tool 7 raises the corner there.
    const short* psi = &m_MapData.siHeight[0][0];
    const TileCorner c = FindNearestTileCorner(500, 400, m_cx, m_cz);
    for (POINT pt : {POINT{991, 54}, POINT{500, 400}})
    {
        MovePointer(700, 600);
        MsgProc(m_hWnd, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(pt.x, pt.y));
        MsgProc(m_hWnd, WM_MOUSEMOVE, MK_LBUTTON, MAKELPARAM(700, 600));
        UpdateCursorPosition();
        ZANRun();
        MsgProc(m_hWnd, WM_LBUTTONUP, 0, MAKELPARAM(700, 600));
        EXPECT_EQ(m_siEditTool, TOOL_PAINT_HEIGHT);
        EXPECT_EQ(std::count(psi, psi + 10000, 256), pt.x == 991 ? 0 : 1);
    }
    EXPECT_EQ(m_MapData.siHeight[c.x][c.z], 256);
}

TEST_F(LandEdit, SamplingTakesTheTileTextureOrTheCornerHeight)
{
    m_MapData.siBaseTexture[m_cx][m_cz] = 72;
    m_siEditTool = TOOL_SAMPLE;
    Click(500, 400);
    EXPECT_EQ(m_siSelectedTexture, 72);
    EXPECT_EQ(m_siTexturePage, 72);
    EXPECT_EQ(m_siEditTool, TOOL_PAINT_TEXTURE);

    // A loaded map may hold the plain texture as a base: the strip stops at its last page.
    m_MapData.siBaseTexture[m_cx][m_cz] = 128;
    m_siEditTool = TOOL_SAMPLE;
    Click(500, 400);
    EXPECT_EQ(m_siSelectedTexture, 128);
    EXPECT_EQ(m_siTexturePage, MAX_TEXTURE_PAGE);

    // A wall rising at the tile's far edge: near the top of its face the flat corners hidden
    // behind it lie nearer on the screen than the face's own.
    for (int x = 0; x < MAP_SIZE; x++)
        for (int z = m_cz + 1; z <= m_cz + 3; z++)
            m_MapData.siHeight[x][z] = 97;
    CalculateScreenPosition();
    D3DXVECTOR3 vFace = (m_vScreenCornerBL[m_cx][m_cz] + m_vScreenCornerBR[m_cx][m_cz]) * 0.075f +
                        (m_vScreenCornerTL[m_cx][m_cz] + m_vScreenCornerTR[m_cx][m_cz]) * 0.425f;
    MovePointer((int)vFace.x, (int)vFace.y);
    m_siEditTool = TOOL_SAMPLE;
    Click((int)vFace.x, (int)vFace.y, true);
    EXPECT_EQ(m_siCloneHeight, 97);
    EXPECT_EQ(m_siEditTool, TOOL_PAINT_HEIGHT);
    EXPECT_EQ(m_ptSelectedCorner.z, m_cz + 1);
}

TEST_F(LandEdit, APointerOverNoTileChangesNothing)
{
    // Low and pitched up to the limit, the top of the screen shows sky.
    SMD.siX = 500;   // off the edges, which would steer first
    SMD.siY = 400;
    m_fFrameTime = 0.01f;
    SteerCamera(CAMKEY_INSERT);
    SteerCamera(CAMKEY_END);
    for (int i = 0; i < 100 && EaseCameraHeight(); i++)
        ;
    m_fFrameTime = 0.0f;
    CalculateScreenPosition();
    ASSERT_EQ(PickTile(500, 0), NO_PICKED_TILE);
    m_iSelectedTile = 1234;
    const short tools[] = {TOOL_SAMPLE, TOOL_PAINT_TEXTURE, TOOL_ROTATE, TOOL_MIRROR_X,
                           TOOL_MIRROR_Z, TOOL_FLIP_TRIANGLE};
    for (short siTool : tools)
    {
        m_siEditTool = siTool;
        Click(500, 0);
        EXPECT_EQ(m_siEditTool, siTool);
    }
    EXPECT_EQ(m_iSelectedTile, 1234);
    EXPECT_EQ(m_siSelectedTexture, 4);
    for (int x = 0; x < MAP_SIZE; x++)
        for (int z = 0; z < MAP_SIZE; z++)
        {
            ASSERT_EQ(m_MapData.siAlphaTexture[x][z], 128);
            ASSERT_EQ(m_MapData.siBaseRotation[x][z], 0);
            ASSERT_FALSE(m_MapData.bTriangleFlip[x][z]);
        }
}

TEST_F(LandEdit, AButtonPressedOverAPanelEditsNoLandUntilReleased)
{
    MsgProc(m_hWnd, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(985, 10));   // the paint cell
    Held(500, 400);
    EXPECT_EQ(m_MapData.siAlphaTexture[m_cx][m_cz], 128) << "held from the palette";
    MsgProc(m_hWnd, WM_LBUTTONUP, 0, MAKELPARAM(500, 400));
    m_bTextureStrip = true;
    SMD.bLeftDown = true;
    Hover(50, 250);
    EXPECT_TRUE(m_bEditingUV);
    Held(500, 400);
    EXPECT_EQ(m_MapData.siAlphaTexture[m_cx][m_cz], 128) << "dragged out over the map";
    Hover(500, 400);
    EXPECT_FALSE(m_bEditingUV);
    Held(500, 400);
    EXPECT_EQ(m_MapData.siAlphaTexture[m_cx][m_cz], 4);

    // The alpha panel below counts only while the selected tile has an alpha layer.
    m_iSelectedTile = m_iCentreTile;
    Hover(50, 400);
    EXPECT_TRUE(m_bEditingUV);
    m_MapData.siAlphaTexture[m_cx][m_cz] = 128;
    SMD = MouseData();
    Hover(50, 400);
    EXPECT_FALSE(m_bEditingUV);
}

TEST_F(LandEdit, HoverHilitesTheTileAndFastEditRaisesOncePerPacedStep)
{
    m_siEditTool = TOOL_HEIGHT;
    Hover(500, 400);
    EXPECT_TRUE(IsHiliteTileShown());
    TileCorner c = m_ptSelectedCorner;
    EXPECT_TRUE((c.x == m_cx || c.x == (m_cx + 1) % 100) && (c.z == m_cz || c.z == (m_cz + 1) % 100))
        << "a corner of the tile under the pointer";

    SMD.bLeftDown = true;
    Hover(500, 400);
    EXPECT_FALSE(IsHiliteTileShown()) << "shown only when the pointer moved";
    EXPECT_EQ(m_MapData.siHeight[c.x][c.z], 1);
    TestForPoint();
    EXPECT_EQ(m_MapData.siHeight[c.x][c.z], 1) << "the next step waits 100 ms";
    SMD.bLeftDown = false;
    SMD.bRightDown = true;
    Hover(500, 400);
    EXPECT_EQ(m_MapData.siHeight[c.x][c.z], 0);

    m_bFastEdit = false;
    Hover(500, 400);
    EXPECT_EQ(m_MapData.siHeight[c.x][c.z], 0) << "only FAST EDIT repeats";

    // Pressed and resting on the palette: keypad + raises the last corner picked on the land.
    m_bFastEdit = true;
    SMD.bLeftDown = true;
    Hover(990, 30);
    SMD = MouseData();
    RaiseSelectedCorner();
    EXPECT_EQ(m_MapData.siHeight[c.x][c.z], 1);
    EXPECT_FALSE(IsHiliteTileShown());
}

TEST_F(LandEdit, KeysAndThePopupChooseTools)
{
    ToggleFastEdit();
    EXPECT_FALSE(m_bFastEdit);
    EXPECT_EQ(m_siEditTool, TOOL_HEIGHT);
    SetEditTool(TOOL_ROTATE);
    EXPECT_EQ(m_siEditTool, TOOL_ROTATE);
    m_bCaveEdit = true;
    SetEditTool(TOOL_PAINT_HEIGHT);
    EXPECT_EQ(m_siEditTool, TOOL_SAMPLE) << "CAVE EDIT has no tools 3 to 7";
    SetEditTool(TOOL_FLOOD);
    EXPECT_EQ(m_siEditTool, TOOL_FLOOD);

    m_bToolPopup = true;
    m_iPopupX = m_iPopupY = 100;
    SMD.siX = 141;
    SMD.siY = 101;
    SMD.bLeftClick = SMD.bLeftDown = true;
    ZANRun();
    EXPECT_EQ(m_siEditTool, TOOL_HEIGHT) << "column 2 of row 0";
    EXPECT_FALSE(m_bToolPopup);
    SMD = MouseData();
}
