// The editor panels: where their quads and frames lie after the editor state changes, which
// buffers are rewritten when, and what the palette, popup, label, icons and compass show.
#include "support/devicefixture.h"

#include <cmath>
#include <vector>

#include "app/camera.h"
#include "app/d3dservices.h"
#include "app/frame.h"
#include "app/msgproc.h"
#include "app/screenvertex.h"
#include "app/text.h"
#include "editor/editpanels.h"
#include "editor/landedit.h"
#include "terrain/landtextures.h"
#include "terrain/mapdata.h"
#include "terrain/mapupdate.h"
#include "terrain/view.h"
#include "support/flatmap.h"
#include "support/readback.h"

static const DWORD GREEN = 0x0000FF00;

static bool IsGreen(DWORD c) { return (c & 0xFFFFFF) == 0x00FF00; }
static bool IsYellow(DWORD c)
{
    return ((c >> 16) & 0xFF) > 200 && ((c >> 8) & 0xFF) > 200 && (c & 0xFF) < 40;
}

class Panels : public DeviceTest
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
        ReleaseLandEditGUI();
        DeleteFont();
    }

    // The editor as a fresh run starts it, the game screen shown, the pointer mid-screen.
    void SetUp() override
    {
        m_siEditTool = TOOL_PAINT_TEXTURE;
        m_siSelectedTexture = 4;
        m_siTexturePage = 0;
        m_iSelectedTile = 0;
        m_ptSelectedCorner = {-10, -10};
        m_siCloneHeight = 256;
        m_bTextureStrip = false;
        m_bCaveEdit = false;
        m_bFastEdit = true;
        m_bEditPanel = true;
        m_bToolPopup = false;
        m_siScreenMode = 2;
        SMD = {};
        SMD.siX = 600;
        SMD.siY = 600;
        InitCamera();
        CalculateScreenPosition();
        BuildLandEditGUI();
    }

    // One frame with draw() in its scene, read back before presenting.
    template <class F> std::vector<DWORD> Frame(F draw)
    {
        return DrawnFrame(draw, &m_iWidth, &m_iHeight);
    }

    // The pixels of a w x h rectangle at (x, y).
    std::vector<DWORD> Crop(const std::vector<DWORD>& px, int x, int y, int w, int h)
    {
        std::vector<DWORD> out;
        for (int j = y; j < y + h; j++)
            out.insert(out.end(), px.begin() + j * m_iWidth + x, px.begin() + j * m_iWidth + x + w);
        return out;
    }

    int m_iWidth = 0;
    int m_iHeight = 0;
};

// A green frame's five vertices: the corners from the top left clockwise, then the first.
static void ExpectFrame(LPDIRECT3DVERTEXBUFFER9 pVB, float x0, float y0, float x1, float y1)
{
    std::vector<ColorScreenVertex> v = ReadBuffer<ColorScreenVertex>(pVB);
    ASSERT_EQ(v.size(), 5u);
    const float fx[5] = {x0, x1, x1, x0, x0}, fy[5] = {y0, y0, y1, y1, y0};
    for (int i = 0; i < 5; i++)
    {
        EXPECT_EQ(v[i].x, fx[i]) << "vertex " << i;
        EXPECT_EQ(v[i].y, fy[i]) << "vertex " << i;
        EXPECT_EQ(v[i].rhw, 1.0f);
        EXPECT_EQ(v[i].dwColour, GREEN);
    }
}

// A textured quad as vertices iFirst to iFirst + 3, texture rows v0 to v1.
static void ExpectQuad(LPDIRECT3DVERTEXBUFFER9 pVB, int iFirst, float x0, float y0, float x1,
                       float y1, float v0 = 0.0f, float v1 = 1.0f)
{
    std::vector<TexScreenVertex> v = ReadBuffer<TexScreenVertex>(pVB);
    ASSERT_GE(v.size(), (size_t)iFirst + 4);
    const TexScreenVertex expected[4] = {{x0, y0, 0, 1, 0, v0}, {x1, y0, 0, 1, 1, v0},
                                         {x1, y1, 0, 1, 1, v1}, {x0, y1, 0, 1, 0, v1}};
    for (int i = 0; i < 4; i++)
    {
        const TexScreenVertex& a = v[iFirst + i];
        const TexScreenVertex& e = expected[i];
        EXPECT_TRUE(a.x == e.x && a.y == e.y && a.rhw == 1.0f && a.u == e.u && a.v == e.v)
            << "vertex " << iFirst + i << ": " << a.x << ", " << a.y << " (" << a.u << ", " << a.v
            << ")";
    }
}

// Overwrites a buffer's first vertex, so a test can tell whether it was written since.
static void Mark(LPDIRECT3DVERTEXBUFFER9 pVB)
{
    float* p = NULL;
    ASSERT_EQ(pVB->Lock(0, 0, (void**)&p, 0), D3D_OK);
    p[0] = -777.0f;
    pVB->Unlock();
}

static bool IsMarked(LPDIRECT3DVERTEXBUFFER9 pVB)
{
    return ReadBuffer<float>(pVB)[0] == -777.0f;
}

TEST_F(Panels, StartUpQuadsAndFrames)
{
    ExpectFrame(m_pToolSelectVB, 983, 4, 998, 21);
    ExpectFrame(m_pStripSelectVB, 512, 640, 640, 768);
    for (int i = 0; i < 8; i++)
        ExpectQuad(m_pTextureStripVB[i], 0, 128.0f * i, 640, 128.0f * i + 128, 768);
    ExpectQuad(m_pTexturePreviewVB, 0, 5, 200, 133, 328);
    ExpectQuad(m_pTexturePreviewVB, 4, 5, 338, 133, 466);
}

TEST_F(Panels, ChoosingAToolAndATextureOnAnotherPageMovesTheFrames)
{
    m_bTextureStrip = true;
    SMD.bLeftDown = SMD.bLeftClick = true;
    SMD.siX = 1005;   // palette row 1, column 2
    SMD.siY = 25;
    ProcessLeftMouseButton();
    EXPECT_EQ(m_siEditTool, 5);
    ExpectFrame(m_pToolSelectVB, 1002, 25, 1017, 42);

    for (int i = 0; i < 3; i++)
        NextTexturePage();
    ExpectFrame(m_pStripSelectVB, 128, 640, 256, 768);   // texture 4 in slot 1 of page 3
    SMD.siX = 300;
    SMD.siY = 700;
    ProcessLeftMouseButton();
    EXPECT_EQ(m_siSelectedTexture, 5);
    ExpectFrame(m_pStripSelectVB, 256, 640, 384, 768);
    ExpectFrame(m_pToolSelectVB, 983, 4, 998, 21);   // choosing a texture chose painting

    // Off the shown page the frame lies off the strip.
    for (int i = 0; i < 10; i++)
        NextTexturePage();
    ExpectFrame(m_pStripSelectVB, -1024, 640, -896, 768);
    m_siTexturePage = 121;
    BuildLandEditGUI();
    Mark(m_pStripSelectVB);
    NextTexturePage();
    EXPECT_TRUE(IsMarked(m_pStripSelectVB)) << "the last page does not rebuild the panels";
}

TEST_F(Panels, ModeLabelAndPaletteImageFollowTheMode)
{
    for (bool bCave : {false, true})
    {
        m_bCaveEdit = bCave;
        const char* pszLabel = bCave ? "CAVE EDIT" : "MAP EDIT";
        std::vector<DWORD> panel = Frame([] { RenderEditPanel(960, 0); });
        std::vector<DWORD> label = Frame([&] { DrawString(0, 120, pszLabel); });
        EXPECT_TRUE(Crop(panel, 0, 110, 200, 40) == Crop(label, 0, 110, 200, 40)) << pszLabel;

        IDirect3DBaseTexture9* pBound = NULL;
        Frame([&] {
            RenderEditPanel(960, 0);
            m_pDevice->GetTexture(0, &pBound);
        });
        EXPECT_EQ(pBound, bCave ? m_pCavePanelTexture : m_pEditPanelTexture);
        if (pBound)
            pBound->Release();
    }
}

TEST_F(Panels, PopupIsThePaletteAtItsCornerWithoutTheToolFrame)
{
    MovePointer(600, 600);
    m_bToolPopup = true;
    m_iPopupX = 300;
    m_iPopupY = 200;
    int w, h;
    std::vector<DWORD> px = RenderFrame(&w, &h);
    ASSERT_EQ(w, m_iWidth = w);
    EXPECT_EQ(m_ptLastPanelPos.x, 300);
    EXPECT_EQ(m_ptLastPanelPos.y, 200);

    ExpectQuad(m_pEditPanelVB, 0, 300, 200, 364, 264);
    // The palette image shows in both places; only the one at (960, 0) has the green frame.
    auto lit = [](DWORD c) { return (c & 0xFFFFFF) != 0; };
    EXPECT_GT(CountPixels(px, w, 300, 200, 364, 264, lit), 4000);
    EXPECT_GT(CountPixels(px, w, 960, 0, 1024, 64, IsGreen), 50);
    EXPECT_EQ(CountPixels(px, w, 300, 200, 364, 264, IsGreen), 0);
}

TEST_F(Panels, HeightToolsHideTheStripAndPreviews)
{
    MovePointer(600, 300);
    m_siEditTool = TOOL_HEIGHT;
    BuildLandEditGUI();
    int w, h;
    std::vector<DWORD> hidden = RenderFrame(&w, &h);
    m_iWidth = w;
    for (int iTool : {TOOL_HEIGHT, TOOL_PAINT_HEIGHT})
    {
        m_siEditTool = (short)iTool;
        BuildLandEditGUI();
        m_bTextureStrip = true;
        std::vector<DWORD> shown = RenderFrame(&w, &h);
        m_bTextureStrip = false;
        EXPECT_TRUE(Crop(shown, 0, 640, 1024, 128) == Crop(hidden, 0, 640, 1024, 128)) << iTool;
        EXPECT_TRUE(Crop(shown, 0, 195, 138, 276) == Crop(hidden, 0, 195, 138, 276)) << iTool;
    }
    m_siEditTool = TOOL_FLIP_TRIANGLE;
    BuildLandEditGUI();
    m_bTextureStrip = true;
    std::vector<DWORD> strip = RenderFrame(&w, &h);
    EXPECT_GT(CountPixels(strip, w, 512, 640, 641, 768, IsGreen), 300) << "texture 4 is in slot 4";
    EXPECT_EQ(CountPixels(strip, w, 0, 640, 500, 768, IsGreen), 0);
}

TEST_F(Panels, CompassFollowsTheYaw)
{
    struct
    {
        float fYaw;
        float zx, zy, xx, xy;   // ends of the green (z) and the red (x) line
    } cases[] = {{0.0f, 164, 32, 196, 64}, {1.5707963f, 196, 64, 164, 96}};
    for (const auto& k : cases)
    {
        InitCamera();
        m_fFrameTime = k.fYaw / 250.0f;   // one left turn of the camera turns by this yaw
        if (k.fYaw > 0.0f)
            SteerCamera(CAMKEY_LEFT);
        ASSERT_NEAR(GetCameraYaw(), k.fYaw, 1e-6);
        Frame([] { RenderLandEditGUI(); });
        std::vector<ColorScreenVertex> v = ReadBuffer<ColorScreenVertex>(m_pCompassVB);
        ASSERT_EQ(v.size(), 4u);
        EXPECT_EQ(v[0].x, 164.0f);
        EXPECT_EQ(v[0].y, 64.0f);
        EXPECT_NEAR(v[1].x, k.xx, 1e-3);
        EXPECT_NEAR(v[1].y, k.xy, 1e-3);
        EXPECT_EQ(v[1].dwColour, 0x00FF0000u);
        EXPECT_EQ(v[2].x, 164.0f);
        EXPECT_NEAR(v[3].x, k.zx, 1e-3);
        EXPECT_NEAR(v[3].y, k.zy, 1e-3);
        EXPECT_EQ(v[3].dwColour, GREEN);
    }
    // At yaw 0 "Z" stands 45 pixels up from the centre.
    InitCamera();
    std::vector<DWORD> panels = Frame([] { RenderLandEditGUI(); });
    std::vector<DWORD> z = Frame([] { DrawString(164, 19, "Z"); });
    EXPECT_TRUE(Crop(panels, 165, 19, 12, 13) == Crop(z, 165, 19, 12, 13));
    m_fFrameTime = 0.0f;
}

TEST_F(Panels, CaveEditHasNoPreviewsCompassOrTexts)
{
    m_bTextureStrip = true;
    std::vector<DWORD> map = Frame([] { RenderLandEditGUI(); });
    m_bCaveEdit = true;
    Mark(m_pCompassVB);
    std::vector<DWORD> cave = Frame([] { RenderLandEditGUI(); });
    EXPECT_TRUE(IsMarked(m_pCompassVB));

    auto grey = [](DWORD c) { return (c & 0xFFFFFF) == 0x808080; };
    EXPECT_GT(CountPixels(map, m_iWidth, 0, 195, 138, 333, grey), 1000);
    EXPECT_EQ(CountPixels(cave, m_iWidth, 0, 195, 138, 471, grey), 0);
    EXPECT_GT(CountPixels(map, m_iWidth, 150, 0, 500, 20, IsYellow), 50);
    EXPECT_EQ(CountPixels(cave, m_iWidth, 0, 0, 800, 100, IsYellow), 0);
    // The strip, its frame and "FAST EDIT" stay.
    EXPECT_GT(CountPixels(cave, m_iWidth, 512, 640, 641, 768, IsGreen), 300);
    EXPECT_GT(CountPixels(cave, m_iWidth, 850, 0, 1000, 20, IsYellow), 50);
}

TEST_F(Panels, CornerIconStandsOnTheSelectedCornerOnlyWhenOnTheScreen)
{
    std::vector<DWORD> none = Frame([] { RenderCornerIcon(); });
    EXPECT_EQ(m_ptLastCornerIconPos.x, -10);
    EXPECT_EQ(m_ptLastCornerIconPos.y, -10);
    EXPECT_EQ(CountPixels(none, m_iWidth, 0, 0, m_iWidth, m_iHeight,
                          [](DWORD c) { return (c & 0xFFFFFF) != 0; }),
              0);

    // The camera stands over (40, 30) looking along +z.
    m_ptSelectedCorner = {40, 60};
    D3DXVECTOR3 p = GetTileScreenPos(40, 60);
    ASSERT_TRUE(p.x > 10 && p.x < 1000 && p.y > 10 && p.y < 750) << p.x << ", " << p.y;
    std::vector<DWORD> shown = Frame([] { RenderCornerIcon(); });
    ExpectQuad(m_pCornerIconVB, 0, p.x - 4, p.y - 4, p.x + 4, p.y + 4);
    EXPECT_EQ(m_ptLastCornerIconPos.x, (LONG)p.x);
    EXPECT_EQ(m_ptLastCornerIconPos.y, (LONG)p.y);
    EXPECT_GT(CountPixels(shown, m_iWidth, (int)p.x - 4, (int)p.y - 4, (int)p.x + 4,
                          (int)p.y + 4, [](DWORD c) { return (c & 0xFFFFFF) != 0; }),
              10);

    for (TileCorner c : {TileCorner{40, 20}, TileCorner{90, 60}, TileCorner{40, 40}})   // behind, to the side, below
    {
        m_ptSelectedCorner = c;
        std::vector<DWORD> off = Frame([] { RenderCornerIcon(); });
        EXPECT_EQ(CountPixels(off, m_iWidth, 0, 0, m_iWidth, m_iHeight,
                              [](DWORD c) { return (c & 0xFFFFFF) != 0; }),
                  0)
            << c.x << ", " << c.z;
    }
}

TEST_F(Panels, ToolCursorShowsTheToolsIconOnItsHotSpot)
{
    struct
    {
        int iTool;
        bool bCave;
        int dx, dy, iIcon;
    } cases[] = {{0, false, 0, 15, 0},  {1, false, 7, 15, 1}, {2, false, 7, 7, 2},
                 {6, false, 7, 7, 6},   {7, false, 15, 15, 7}, {8, false, 0, 15, 8},
                 {2, true, 7, 7, 9},    {8, true, 0, 15, 10},  {0, true, 0, 15, 0}};
    MovePointer(400, 300);
    for (const auto& k : cases)
    {
        m_siEditTool = (short)k.iTool;
        m_bCaveEdit = k.bCave;
        IDirect3DBaseTexture9* pBound = NULL;
        Frame([&] {
            RenderToolCursor();
            m_pDevice->GetTexture(0, &pBound);
        });
        EXPECT_EQ(pBound, m_pToolTexture[k.iIcon]) << k.iTool << (k.bCave ? " cave" : "");
        if (pBound)
            pBound->Release();
        ExpectQuad(m_pToolCursorVB, 0, 400.0f - k.dx, 300.0f - k.dy, 416.0f - k.dx,
                   316.0f - k.dy, 0.05f, 0.95f);
    }

    Mark(m_pToolCursorVB);
    Frame([] { RenderToolCursor(); });
    EXPECT_TRUE(IsMarked(m_pToolCursorVB)) << "a pointer standing still rewrites nothing";
    MovePointer(401, 300);
    Frame([] { RenderToolCursor(); });
    EXPECT_FALSE(IsMarked(m_pToolCursorVB));

    m_bEditPanel = false;
    Mark(m_pToolCursorVB);
    MovePointer(402, 300);
    std::vector<DWORD> px = Frame([] { RenderToolCursor(); });
    EXPECT_TRUE(IsMarked(m_pToolCursorVB));
    EXPECT_EQ(CountPixels(px, m_iWidth, 380, 280, 420, 320,
                          [](DWORD c) { return (c & 0xFFFFFF) != 0; }),
              0);
}

TEST_F(Panels, PaletteQuadIsRewrittenOnlyWhenItMoves)
{
    Frame([] { RenderEditPanel(960, 0); });
    ExpectQuad(m_pEditPanelVB, 0, 960, 0, 1024, 64);
    Mark(m_pEditPanelVB);
    Frame([] { RenderEditPanel(960, 0); });
    EXPECT_TRUE(IsMarked(m_pEditPanelVB));
    Frame([] { RenderEditPanel(10, 20); });
    ExpectQuad(m_pEditPanelVB, 0, 10, 20, 74, 84);
}

TEST_F(Panels, ReleasingTwiceIsHarmlessAndRestoringMakesAllAgain)
{
    ReleaseLandEditGUI();
    ReleaseLandEditGUI();
    EXPECT_EQ(m_pToolCursorVB, (LPDIRECT3DVERTEXBUFFER9)NULL);
    EXPECT_EQ(m_pToolTexture[10], (LPDIRECT3DTEXTURE9)NULL);
    Frame([] {
        RenderEditPanel(960, 0);
        RenderLandEditGUI();
        RenderCornerIcon();
        RenderToolCursor();
    });
    EXPECT_EQ(RestoreLandEditGUI(), 0);
    for (int i = 0; i < 11; i++)
        EXPECT_NE(m_pToolTexture[i], (LPDIRECT3DTEXTURE9)NULL) << i;
    EXPECT_NE(m_pEditPanelTexture, (LPDIRECT3DTEXTURE9)NULL);
    EXPECT_NE(m_pCavePanelTexture, (LPDIRECT3DTEXTURE9)NULL);
    ExpectQuad(m_pTexturePreviewVB, 4, 5, 338, 133, 466);
}
