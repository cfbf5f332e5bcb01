// The cave editor: its tools on caves under the pointer, the texture-corner drag in the two
// panels, the triangle picker across caves and wrap offsets, the selection's life, and the
// overlays it draws.
#include "support/devicefixture.h"

#include <algorithm>
#include <string>
#include <vector>

#include "app/camera.h"
#include "app/log.h"
#include "app/msgproc.h"
#include "app/screenvertex.h"
#include "editor/landedit.h"
#include "editor/picking.h"
#include "terrain/cavebuffers.h"
#include "terrain/caveedit.h"
#include "terrain/cavemodels.h"
#include "terrain/caveoverlays.h"
#include "terrain/caves.h"
#include "terrain/landbuffers.h"
#include "terrain/landtextures.h"
#include "terrain/mapdata.h"
#include "terrain/mapupdate.h"
#include "terrain/view.h"
#include "support/flatmap.h"
#include "support/readback.h"

class CaveEdit : public DeviceTest
{
protected:
    static void SetUpTestSuite()
    {
        DeviceTest::SetUpTestSuite();
        StartTerrain();
        LoadCaveModels();
    }

    void SetUp() override
    {
        FlattenMapWithoutCaves();
        InitCamera();
        CalculateScreenPosition();
        m_iSelectedTriangle = 0;
        m_bCaveEdit = false;
        m_siScreenMode = 2;
        SMD = MouseData();
    }

    void TearDown() override
    {
        EmptyCaveLists();
        m_bCaveEdit = false;
        SMD = MouseData();
    }

    // A cave on tile (x, z) whose slope rises toward +z.
    static bool AddCave(int x, int z)
    {
        m_MapData.siHeight[x][NextTileZ(z)] = 64;
        m_MapData.siHeight[NextTileX(x)][NextTileZ(z)] = 64;
        AddCaveAtTile(GetTileIndex(x, z));
        return m_MapData.siTileType[x][z] == 1;
    }

    // The pointer on the middle of triangle t of cave c where it is drawn.
    static void PointAt(int c, int t)
    {
        CaveData r = m_CaveData[GetCaveFirstTriangle(c) + t];
        D3DXVECTOR3 v = (r.vCorner[0] + r.vCorner[1] + r.vCorner[2]) / 3.0f;
        v.x += m_CaveSummaries[c].iWrapOffsetX;
        v.z += m_CaveSummaries[c].iWrapOffsetZ;
        D3DXVECTOR3 s;
        ProjectToScreen(v, &s);
        SMD.siX = (short)s.x;
        SMD.siY = (short)s.y;
    }

    // A cave built by hand on tile iTile: all 16 triangles far below the land, then
    // triangle t of it square across the pointer's ray, fDist along it, shifted by fSide.
    static void AddHandCave(int iTile, int iWrapX)
    {
        int c = m_iNumCaves;
        for (int t = 0; t < CAVE_TRIANGLES; t++)
        {
            CaveData r = CaveData();
            r.siTile = (short)iTile;
            for (int k = 0; k < 3; k++)
                r.vCorner[k] = D3DXVECTOR3((float)k, -1000.0f, 0.0f);
            r.siTextureB = PLAIN_TEXTURE;
            AddCaveData(r);
        }
        CaveSummary s = {iTile, CAVE_TRIANGLES * (c + 1), iWrapX, 0, 0};
        AddCaveSummary(s);
        SetCaveCount(c + 1);
        int x, z;
        SplitTileIndex(iTile, &x, &z);
        m_MapData.siTileType[x][z] = 1;
        m_MapData.siCaveNumber[x][z] = (short)c;
    }

    static void PlaceAcrossRay(int c, int t, float fDist, float fSide)
    {
        D3DXVECTOR3 o, d;
        ASSERT_TRUE(GetPickRay(SMD.siX, SMD.siY, &o, &d));
        D3DXVECTOR3 p = o + d * fDist;
        p.x -= m_CaveSummaries[c].iWrapOffsetX;
        // Two directions square to the ray.
        D3DXVECTOR3 up(0, 1, 0), a, b;
        D3DXVec3Cross(&a, &d, &up);
        D3DXVec3Normalize(&a, &a);
        D3DXVec3Cross(&b, &d, &a);
        D3DXVec3Normalize(&b, &b);
        p += a * fSide;
        CaveData& r = m_CaveData[GetCaveFirstTriangle(c) + t];
        r.vCorner[0] = p - a * 0.2f - b * 0.2f;
        r.vCorner[1] = p + a * 0.2f - b * 0.2f;
        r.vCorner[2] = p + b * 0.3f;
    }

    static int CaveTileCount()
    {
        int n = 0;
        for (int x = 0; x < MAP_SIZE; x++)
            for (int z = 0; z < MAP_SIZE; z++)
                n += m_MapData.siTileType[x][z] == 1;
        return n;
    }

    // The quad's texture corner iCorner (1 to 4) of layer A or B.
    static POINT Corner(int iFirst, int iCorner, bool bTextureB)
    {
        return GetCaveTexCorner(m_CaveData[iFirst], m_CaveData[iFirst + 1], iCorner, bTextureB);
    }
};

// A screen vertex at (x, y).
template <typename V> static void ExpectAt(const V& vtx, float x, float y)
{
    EXPECT_EQ(vtx.x, x);
    EXPECT_EQ(vtx.y, y);
}

static void ExpectUV(const short* uv, int u, int v)
{
    EXPECT_EQ(uv[0], u);
    EXPECT_EQ(uv[1], v);
}

static bool Contains(const std::vector<std::string>& lines, const std::string& text)
{
    return std::find(lines.begin(), lines.end(), text) != lines.end();
}

// The camera looks along +z and down: the middle of the screen shows tile (x, z) at about
// 37 units, where a tile spans some 60 pixels.
static void ViewTile(int x, int z)
{
    MoveCameraTo(x, z - 31);
    CalculateScreenPosition();
}

TEST_F(CaveEdit, TheDeleteToolTakesOneCavePerPressAndOnlyOnAHit)
{
    ASSERT_TRUE(AddCave(50, 50));
    ASSERT_TRUE(AddCave(53, 50));
    ViewTile(51, 50);

    // The right button alone does nothing with any tool.
    PointAt(0, 2);
    SMD.bRightDown = true;
    for (int tool : {CAVE_TOOL_SELECT, CAVE_TOOL_PAINT, CAVE_TOOL_DELETE, CAVE_TOOL_ADD})
        ProcessCaveEdit(tool);
    EXPECT_EQ(m_iNumCaves, 2);
    EXPECT_EQ(m_iSelectedTriangle, 0);
    EXPECT_EQ(m_CaveData[2].siTextureA, 0);

    // Held down: the first call deletes the cave under the pointer, the next ones nothing.
    SMD.bRightDown = false;
    SMD.bLeftDown = true;
    PointAt(1, 2);
    ProcessCaveEdit(CAVE_TOOL_DELETE);
    EXPECT_FALSE(SMD.bLeftDown);
    ASSERT_EQ(m_iNumCaves, 1);
    EXPECT_EQ(m_CaveSummaries[0].iTile, GetTileIndex(50, 50));
    EXPECT_EQ(m_MapData.siTileType[53][50], 0);
    PointAt(0, 2);
    ProcessCaveEdit(CAVE_TOOL_DELETE);
    ProcessCaveEdit(CAVE_TOOL_DELETE);
    EXPECT_EQ(m_iNumCaves, 1);

    // A fresh press over the land beside the cave deletes nothing either.
    SMD.bLeftDown = true;
    SMD.siX = (short)m_vScreenCornerBL[56][50].x;
    SMD.siY = (short)m_vScreenCornerBL[56][50].y;
    ProcessCaveEdit(CAVE_TOOL_DELETE);
    EXPECT_EQ(m_iNumCaves, 1);

    // Deleting the only cave leaves nothing selected, so a new cave is not selected. A click
    // pressed and released between two frames deletes too, and is taken.
    SMD.bLeftDown = false;
    SMD.bLeftClick = true;
    PointAt(0, 3);
    ProcessCaveEdit(CAVE_TOOL_DELETE);
    EXPECT_FALSE(SMD.bLeftClick);
    EXPECT_EQ(m_iNumCaves, 0);
    EXPECT_EQ(m_iSelectedTriangle, NO_CAVE_TRIANGLE);
    ASSERT_TRUE(AddCave(50, 50));
    EXPECT_EQ(GetSelectedPairFirst(), -1);
    EXPECT_FALSE(HasCaveTextureB());
}

TEST_F(CaveEdit, ARayBetweenACavesTrianglesDeletesNothing)
{
    SMD.siX = 512;
    SMD.siY = 500;
    int iTile = PickTile(SMD.siX, SMD.siY);
    ASSERT_NE(iTile, NO_PICKED_TILE);
    AddHandCave(iTile, 0);
    RebuildCaveVBs();
    PlaceAcrossRay(0, 6, 5.0f, -0.5f);
    PlaceAcrossRay(0, 7, 5.0f, 0.5f);
    EXPECT_EQ(PickCaveTriangle(), NO_CAVE_TRIANGLE);
    SMD.bLeftDown = true;
    ProcessCaveEdit(CAVE_TOOL_DELETE);
    EXPECT_EQ(m_iNumCaves, 1);
    EXPECT_EQ(m_iSelectedTriangle, NO_CAVE_TRIANGLE);
}

TEST_F(CaveEdit, PaintingSetsTextureAOrBOfBothTrianglesOfTheQuad)
{
    ASSERT_TRUE(AddCave(50, 50));
    ViewTile(50, 50);
    PointAt(0, 3);
    SMD.bLeftDown = true;

    m_siSelectedTexture = 16;
    ProcessCaveEdit(CAVE_TOOL_PAINT);
    EXPECT_EQ(m_iSelectedTriangle, 3);
    EXPECT_EQ(m_CaveData[2].siTextureA, 16);
    EXPECT_EQ(m_CaveData[3].siTextureA, 16);
    EXPECT_EQ(m_CaveData[3].siTextureB, PLAIN_TEXTURE);
    EXPECT_EQ(m_CaveData[4].siTextureA, 0);
    EXPECT_FALSE(HasCaveTextureB());

    m_siSelectedTexture = 17;
    ProcessCaveEdit(CAVE_TOOL_PAINT);
    EXPECT_EQ(m_CaveData[2].siTextureB, 17);
    EXPECT_EQ(m_CaveData[3].siTextureB, 17);
    EXPECT_EQ(m_CaveData[3].siTextureA, 16);
    EXPECT_TRUE(HasCaveTextureB());
    EXPECT_TRUE(IsOverCavePanelB(400, 50));

    m_siSelectedTexture = PLAIN_TEXTURE;
    ProcessCaveEdit(CAVE_TOOL_PAINT);
    EXPECT_EQ(m_CaveData[2].siTextureB, PLAIN_TEXTURE);
    EXPECT_EQ(m_CaveData[3].siTextureA, 16);
    EXPECT_FALSE(IsOverCavePanelB(400, 50));

    // The select tool moves the selection without painting.
    m_siSelectedTexture = 24;
    PointAt(0, 0);
    ProcessCaveEdit(CAVE_TOOL_SELECT);
    EXPECT_EQ(m_iSelectedTriangle, 0);
    EXPECT_EQ(m_CaveData[0].siTextureA, 0);
}

TEST_F(CaveEdit, TheAddToolSweptAcrossASlopeAddsACaveOnEachTileThatTakesOne)
{
    // A slope rising toward +z along row 50, columns 40 to 49.
    for (int x = 40; x <= 50; x++)
        m_MapData.siHeight[x][51] = 64;
    CalculateScreenPosition();
    ViewTile(45, 50);
    // Through the land editor's two steps in CAVE EDIT, as a frame runs them.
    m_bCaveEdit = true;
    m_siEditTool = CAVE_TOOL_ADD;
    for (int x = 40; x < 50; x++)
    {
        // The first half clicked between two frames, the rest held.
        SMD.bLeftDown = x >= 45;
        SMD.bLeftClick = x < 45;
        D3DXVECTOR3 mid = (m_vScreenCornerBL[x][50] + m_vScreenCornerTR[x][50]) / 2.0f;
        SMD.siX = (short)mid.x;
        SMD.siY = (short)mid.y;
        ASSERT_EQ(PickTile(SMD.siX, SMD.siY), GetTileIndex(x, 50));
        TestForPoint();
        ProcessLeftMouseButton();   // again in the same frame: the tile holds one now
    }
    m_siEditTool = 1;
    // A tile next to a cave is refused: every second one takes a cave.
    ASSERT_EQ(m_iNumCaves, 5);
    for (int c = 0; c < 5; c++)
        EXPECT_EQ(m_CaveSummaries[c].iTile, GetTileIndex(40 + 2 * c, 50));
    EXPECT_EQ(CaveTileCount(), 5);
    // Creating a cave does not select it.
    EXPECT_EQ(m_iCurrentCave, 0);

    // Every tile a slope: a press on cave panel A (where it drags corner 2), the palette's add
    // cell or the mini map is theirs, and held on to a slope it builds nothing there either.
    for (int i = 0; i < MAP_SIZE * MAP_SIZE; i++)
        m_MapData.siHeight[i % MAP_SIZE][i / MAP_SIZE] = (short)(i / MAP_SIZE % 2 * 64);
    CalculateScreenPosition();
    SMD = MouseData();
    for (POINT pt : {POINT{300, 120}, POINT{1010, 50}, POINT{50, 50}})
    {
        m_siEditTool = CAVE_TOOL_ADD;
        MsgProc(m_hWnd, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(pt.x, pt.y));
        TestForPoint();
        ProcessLeftMouseButton();
        SMD.bLeftClick = false;
        SMD.siX = 512;
        SMD.siY = 640;
        TestForPoint();
        ProcessLeftMouseButton();
        MsgProc(m_hWnd, WM_LBUTTONUP, 0, 0);
    }
    EXPECT_EQ(m_iNumCaves, 5);
    ExpectUV(m_CaveData[0].siTexCoordA[1], 100, 110);
}

TEST_F(CaveEdit, PanelCornersMapToTheTextureAndADragWritesTheNearestCorner)
{
    ASSERT_TRUE(AddCave(50, 50));
    m_iSelectedTriangle = 5;   // the odd triangle edits the quad of records 4 and 5
    m_CaveData[4].siTextureB = m_CaveData[5].siTextureB = 17;
    SMD.bLeftDown = true;

    // New caves' corners: 1 (0, 128), 2 (128, 128), 3 (0, 0), 4 (128, 0). Corners moved in,
    // then pressed on beyond the panel's edges, go to the edges.
    SetCaveTexCorner(&m_CaveData[4], &m_CaveData[5], 3, false, 10, 12);
    SetCaveTexCorner(&m_CaveData[4], &m_CaveData[5], 2, false, 100, 90);
    SMD.siX = 196;
    SMD.siY = 6;
    ProcessCaveEdit(CAVE_TOOL_SELECT);
    EXPECT_EQ(Corner(4, 3, false).x, 0);
    EXPECT_EQ(Corner(4, 3, false).y, 0);
    EXPECT_EQ(m_CaveData[5].siTexCoordA[1][1], 0);
    SMD.siX = 331;
    SMD.siY = 143;
    ProcessCaveEdit(CAVE_TOOL_SELECT);
    EXPECT_EQ(Corner(4, 2, false).x, 128);
    EXPECT_EQ(Corner(4, 2, false).y, 128);

    // Corner 1 dragged toward the middle: both records' point 0, in the records and the buffer.
    SMD.siX = 200 + 30;
    SMD.siY = 10 + 100;
    ProcessCaveEdit(CAVE_TOOL_SELECT);
    ExpectUV(m_CaveData[4].siTexCoordA[0], 30, 100);
    ExpectUV(m_CaveData[5].siTexCoordA[0], 30, 100);
    EXPECT_EQ(m_CaveData[4].siTexCoordB[0][0], 0);
    EXPECT_EQ(m_CaveData[6].siTexCoordA[0][0], 0);
    std::vector<LandVertex> v = ReadBuffer<LandVertex>(m_CaveVBs[0]);
    EXPECT_EQ(v[12].fBaseU, 30 / 128.0f);
    EXPECT_EQ(v[15].fBaseV, 100 / 128.0f);
    EXPECT_EQ(v[12].fAlphaU, 0.0f);
    // A drag stays out of the tools: no triangle was picked over the panel.
    EXPECT_EQ(m_iSelectedTriangle, 5);

    // Panel B: corner 3, shared by both records, to (64, 20); corner 4 as near loses the tie.
    SMD.siX = 338 + 64;
    SMD.siY = 10 + 20;
    ProcessCaveEdit(CAVE_TOOL_SELECT);
    ExpectUV(m_CaveData[4].siTexCoordB[2], 64, 20);
    ExpectUV(m_CaveData[5].siTexCoordB[1], 64, 20);
    v = ReadBuffer<LandVertex>(m_CaveVBs[0]);
    EXPECT_EQ(v[14].fAlphaU, 64 / 128.0f);
    EXPECT_EQ(v[16].fAlphaV, 20 / 128.0f);
    EXPECT_EQ(v[14].fBaseU, 0.0f);

    // Panel B refuses the pointer once texture B is 128: nothing is written there.
    m_CaveData[4].siTextureB = m_CaveData[5].siTextureB = PLAIN_TEXTURE;
    SMD.siX = 338 + 100;
    SMD.siY = 10 + 100;
    ProcessCaveEdit(CAVE_TOOL_SELECT);
    EXPECT_EQ(Corner(4, 1, true).x, 0);
    EXPECT_EQ(Corner(4, 2, true).x, 128);
    EXPECT_EQ(Corner(4, 2, true).y, 128);
}

TEST_F(CaveEdit, HoveringAPanelMarksTheNearestCornerWithoutWriting)
{
    ASSERT_TRUE(AddCave(50, 50));
    m_iSelectedTriangle = 0;
    SMD.siX = 203;
    SMD.siY = 12;
    ProcessCaveEdit(CAVE_TOOL_SELECT);
    EXPECT_EQ(Corner(0, 3, false).x, 0);
    std::vector<ColorScreenVertex> v = ReadBuffer<ColorScreenVertex>(m_pCaveCornerVB);
    ASSERT_EQ(v.size(), 14u);
    // Corner 3 at texture (0, 0): a plus from (195, 10) to (205, 10) and (200, 5) to (200, 15).
    ExpectAt(v[10], 195, 10);
    ExpectAt(v[11], 205, 10);
    ExpectAt(v[12], 200, 5);
    ExpectAt(v[13], 200, 15);
    EXPECT_EQ(v[10].dwColour, 0x00FF0000u);
    // The outlines: panel A's corners 1, 2, 3, 4, 1, panel B's the same 138 pixels right.
    ExpectAt(v[0], 200, 138);
    ExpectAt(v[1], 328, 138);
    ExpectAt(v[4], 200, 138);
    ExpectAt(v[7], 338, 10);
    EXPECT_EQ(v[0].dwColour, 0x0000FF00u);

    // The marker outlives a rebuild of the outlines.
    SMD.siX = 700;
    SMD.siY = 700;
    ProcessCaveEdit(CAVE_TOOL_SELECT);
    v = ReadBuffer<ColorScreenVertex>(m_pCaveCornerVB);
    EXPECT_EQ(v[11].x, 205.0f);
}

TEST_F(CaveEdit, TheNearerOfTwoCavesIsPickedAndEqualDistanceKeepsTheLowerCave)
{
    ViewTile(30, 60);
    SMD.siX = 500;
    SMD.siY = 400;
    int iTile = PickTile(SMD.siX, SMD.siY);
    ASSERT_NE(iTile, NO_PICKED_TILE);
    AddHandCave(iTile, 0);
    // The second cave lies where the wrap offset -100 draws it.
    AddHandCave(GetTileIndex(80, 80), -100);
    PlaceAcrossRay(0, 3, 6.0f, 0.0f);
    PlaceAcrossRay(1, 9, 4.0f, 0.0f);
    m_iCurrentCave = 0;
    EXPECT_EQ(PickCaveTriangle(), 9);
    EXPECT_EQ(m_iCurrentCave, 1);

    PlaceAcrossRay(1, 9, 6.0f, 0.0f);
    EXPECT_EQ(PickCaveTriangle(), 3);
    EXPECT_EQ(m_iCurrentCave, 0);

    // A miss leaves the current cave as it was.
    m_iCurrentCave = 1;
    SMD.siX = 100;
    SMD.siY = 600;
    EXPECT_EQ(PickCaveTriangle(), NO_CAVE_TRIANGLE);
    EXPECT_EQ(m_iCurrentCave, 1);
}

TEST_F(CaveEdit, TheSelectionFollowsDeletionsAndLoadsAndNeverNamesAMissingCave)
{
    for (int i = 0; i < 5; i++)
        ASSERT_TRUE(AddCave(10 + 3 * i, 50));
    // Deleting cave 3 of five leaves cave 2 current with the same triangle number.
    m_iCurrentCave = 3;
    m_iSelectedTriangle = 7;
    DeleteCave();
    EXPECT_EQ(m_iCurrentCave, 2);
    EXPECT_EQ(m_iSelectedTriangle, 7);
    EXPECT_EQ(GetSelectedPairFirst(), 2 * CAVE_TRIANGLES + 6);

    // A load with enough caves keeps the selection; one with fewer drops it.
    ResetCaveSelectionOnLoad();
    EXPECT_EQ(m_iCurrentCave, 2);
    EXPECT_EQ(m_iSelectedTriangle, 7);
    m_iCurrentCave = 3;
    m_iSelectedTriangle = 7;
    m_CaveData.resize(2 * CAVE_TRIANGLES);
    m_CaveSummaries.resize(2);
    SetCaveCount(2);
    EXPECT_EQ(GetSelectedPairFirst(), -1);
    ResetCaveSelectionOnLoad();
    EXPECT_EQ(m_iCurrentCave, 0);
    EXPECT_EQ(m_iSelectedTriangle, NO_CAVE_TRIANGLE);

    // With the current cave's buffer missing a drag keeps the records, logs and goes on.
    m_iSelectedTriangle = 0;
    m_CaveVBs[0]->Release();
    m_CaveVBs[0] = NULL;
    InitErrorLog();
    SMD.bLeftDown = true;
    SMD.siX = 200 + 40;
    SMD.siY = 10 + 40;
    ProcessCaveEdit(CAVE_TOOL_SELECT);
    EXPECT_EQ(Corner(0, 3, false).x, 40);
    EXPECT_TRUE(Contains(ReadLog(), "failed to lock m_pCaveVB"));
}

TEST_F(CaveEdit, TheOutlineLiesOnTheCaveAsDrawnAndTheLabelsFollowThePanel)
{
    m_iWrapOffsetX[20] = 100;
    ASSERT_TRUE(AddCave(20, 50));
    ASSERT_EQ(m_CaveSummaries[0].iWrapOffsetX, 100);
    m_iSelectedTriangle = 4;
    CaveData a = m_CaveData[4], b = m_CaveData[5];
    LoadTileOutlineVB(0, a, b);
    std::vector<LineVertex> v = ReadBuffer<LineVertex>(m_pTileOutlineVB);
    ASSERT_EQ(v.size(), 5u);
    EXPECT_EQ(v[0].x, a.vCorner[0].x + 100.0f);
    EXPECT_EQ(v[0].z, a.vCorner[0].z);
    EXPECT_EQ(v[2].y, a.vCorner[2].y);
    EXPECT_EQ(v[3].x, b.vCorner[2].x + 100.0f);
    EXPECT_EQ(v[4].z, v[0].z);
    EXPECT_EQ(v[1].dwColour, 0x00FF0000u);
    D3DXVECTOR3 s;
    ProjectToScreen(D3DXVECTOR3(b.vCorner[2].x + 100.0f, b.vCorner[2].y, b.vCorner[2].z), &s);
    EXPECT_EQ(m_ptCaveOutlineLabel[3].x, (LONG)s.x);
    EXPECT_EQ(m_ptCaveOutlineLabel[3].y, (LONG)s.y);

    // Labels sit on panel B's corners only while the pointer is there and a texture B exists.
    SMD.siX = 400;
    SMD.siY = 50;
    LoadCornerOverlayVB(0, a, b);
    EXPECT_EQ(m_ptCaveCornerLabel[0].x, 200);
    m_CaveData[4].siTextureB = m_CaveData[5].siTextureB = 20;
    LoadCornerOverlayVB(0, a, b);
    EXPECT_EQ(m_ptCaveCornerLabel[0].x, 338);
    EXPECT_EQ(m_ptCaveCornerLabel[0].y, 138);
    SMD.siX = 250;
    LoadCornerOverlayVB(0, a, b);
    EXPECT_EQ(m_ptCaveCornerLabel[1].x, 328);

    // Released twice, each buffer once.
    ReleaseOverlayVBs();
    ReleaseOverlayVBs();
    EXPECT_EQ(m_pCaveTexPreviewVB, (LPDIRECT3DVERTEXBUFFER9)NULL);
    EXPECT_EQ(m_pTileOutlineVB, (LPDIRECT3DVERTEXBUFFER9)NULL);
    LoadTexturePreviewVB();
}

static bool IsPanelGrey(DWORD c)
{
    return (c & 0x00FFFFFF) == 0x00808080;
}

TEST_F(CaveEdit, InCaveEditTheGreyBoxHoldsPanelBOnlyWithASecondTexture)
{
    ASSERT_TRUE(AddCave(50, 50));
    ViewTile(50, 50);
    ASSERT_EQ(m_siNumVisibleCaves, 1);
    m_iSelectedTriangle = 2;
    int w = 0, h = 0;
    std::vector<DWORD> px = RenderFrame(&w, &h);
    EXPECT_EQ(CountPixels(px, w, 195, 20, 199, 131, IsPanelGrey), 0) << "MAP EDIT: no box";

    m_bCaveEdit = true;
    px = RenderFrame(&w, &h);
    // The box's margins left of panel A's picture and right of panel B's.
    EXPECT_EQ(CountPixels(px, w, 195, 20, 199, 131, IsPanelGrey), 4 * 111);
    EXPECT_EQ(CountPixels(px, w, 468, 20, 472, 131, IsPanelGrey), 0);

    m_CaveData[2].siTextureB = m_CaveData[3].siTextureB = 17;
    px = RenderFrame(&w, &h);
    EXPECT_EQ(CountPixels(px, w, 468, 20, 472, 131, IsPanelGrey), 4 * 111);

    // No selection, or a selection in a cave that is gone: no overlay at all.
    m_iCurrentCave = 3;
    px = RenderFrame(&w, &h);
    EXPECT_EQ(CountPixels(px, w, 195, 20, 199, 131, IsPanelGrey), 0);
}
