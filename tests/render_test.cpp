// Whole frames of the blank map, the land passes' device states, and the pointer rule.
#include "support/devicefixture.h"
#include "support/readback.h"

#include <string>
#include <vector>

#include "app/camera.h"
#include "app/cursor.h"
#include "app/d3dservices.h"
#include "app/frame.h"
#include "app/log.h"
#include "app/msgproc.h"
#include "app/render.h"
#include "app/startup.h"
#include "app/text.h"
#include "editor/editpanels.h"
#include "editor/landedit.h"
#include "terrain/caveedit.h"
#include "terrain/caves.h"
#include "terrain/landbuffers.h"
#include "terrain/landpasses.h"
#include "terrain/landtextures.h"
#include "terrain/mapdata.h"
#include "terrain/mapupdate.h"
#include "terrain/view.h"

static int Brightness(DWORD c)
{
    return ((c >> 16) & 0xFF) + ((c >> 8) & 0xFF) + (c & 0xFF);
}

static bool IsLit(DWORD c)
{
    return Brightness(c) > 12;
}

static bool IsYellow(DWORD c)
{
    int r = (c >> 16) & 0xFF, g = (c >> 8) & 0xFF, b = c & 0xFF;
    return r > 150 && g > 150 && b < 80;
}

// Mean brightness of a band of rows.
static double BandBrightness(const std::vector<DWORD>& px, int w, int y0, int y1)
{
    double dSum = 0.0;
    for (int y = y0; y < y1; y++)
        for (int x = 0; x < w; x++)
            dSum += Brightness(px[y * w + x]);
    return dSum / ((y1 - y0) * w);
}

class RenderedFrame : public DeviceTest
{
protected:
    static void SetUpTestSuite()
    {
        DeviceTest::SetUpTestSuite();
        InitFont();
        InitCursor();
        InitCamera();
        InitMapData();
        LoadLandTextures();
    }

    void SetUp() override
    {
        m_siScreenMode = 2;
        m_bWireframe = false;
        m_bLight1 = false;
        m_bLighting = true;
        m_bShowMapGrid = false;
        m_bBaseTextures = true;
        m_bAlphaTextures = true;
        bGrid = false;
        m_bBasePass = true;
        MovePointer(500, 400);
        UpdateCursorPosition();
    }

    void TearDown() override
    {
        InitCamera();
        for (int x = 0; x < MAP_SIZE; x++)
            for (int z = 0; z < MAP_SIZE; z++)
                m_MapData.siAlphaTexture[x][z] = 128;
        CalculateScreenPosition();
    }
};

TEST_F(RenderedFrame, BlankMapIsLitLandThatFadesIntoTheFogTowardTheHorizon)
{
    // Raise the view so that the far land lies in the fog.
    m_fFrameTime = 0.01f;
    SteerCamera(CAMKEY_INSERT);
    CalculateScreenPosition();
    int w = 0, h = 0;
    std::vector<DWORD> px = RenderFrame(&w, &h);
    ASSERT_EQ(h, 768);

    EXPECT_EQ(CountPixels(px, w, 0, h - 200, w, h, IsLit), w * 200);
    double dNear = BandBrightness(px, w, h - 100, h);
    double dFar = BandBrightness(px, w, 330, 340);
    EXPECT_GT(dNear, 20.0);
    EXPECT_GT(dFar, 0.5);             // land, ...
    EXPECT_LT(dFar, dNear / 3.0);     // ... but deep in the fog
    EXPECT_LT(BandBrightness(px, w, 400, 410), BandBrightness(px, w, 500, 510));
}

TEST_F(RenderedFrame, CountersAndMiniMapAreDrawnOverTheLand)
{
    int w = 0, h = 0;
    std::vector<DWORD> px = RenderFrame(&w, &h);
    ASSERT_FALSE(px.empty());
    EXPECT_GT(CountPixels(px, w, 500, 0, 660, 16, IsYellow), 50);    // "Tiles Displayed" n
    EXPECT_GT(CountPixels(px, w, 700, 0, 780, 16, IsYellow), 20);    // "FPS" n
    EXPECT_GT(CountPixels(px, w, 620, 18, 660, 36, IsYellow), 5);    // the batch count
    EXPECT_GT(CountPixels(px, w, 0, 100, 100, 118, IsYellow), 20);   // pointer x and y
    // The blank map's mini map is black, with the red cross at the camera (40, 30).
    EXPECT_EQ(px[69 * w + 40] & 0xFFFFFF, 0xFF0000u);
    EXPECT_EQ(CountPixels(px, w, 0, 0, 100, 60, IsLit), 0);
    EXPECT_EQ(m_iTilesShown, 0);

    m_bShowMapGrid = true;
    std::vector<DWORD> withMap = RenderFrame(&w, &h);
    EXPECT_GT(CountPixels(withMap, w, 10, 120, 700, 500, IsYellow),
              CountPixels(px, w, 10, 120, 700, 500, IsYellow) + 5000);
}

TEST_F(RenderedFrame, WireframeDrawsOnlyTheLandAsLines)
{
    int w = 0, h = 0;
    std::vector<DWORD> solid = RenderFrame(&w, &h);
    m_bWireframe = true;
    std::vector<DWORD> wire = RenderFrame(&w, &h);
    ASSERT_FALSE(wire.empty());

    int iSolidLand = CountPixels(solid, w, 0, 400, w, h, IsLit);
    int iWireLand = CountPixels(wire, w, 0, 400, w, h, IsLit);
    EXPECT_LT(iWireLand, iSolidLand / 3);
    EXPECT_GT(iWireLand, 0);
    // The text after the land is solid.
    EXPECT_EQ(CountPixels(wire, w, 500, 0, 780, 36, IsYellow),
              CountPixels(solid, w, 500, 0, 780, 36, IsYellow));
    DWORD dwFill = 0;
    m_pDevice->GetRenderState(D3DRS_FILLMODE, &dwFill);
    EXPECT_EQ(dwFill, (DWORD)D3DFILL_SOLID);
}

TEST_F(RenderedFrame, AlphaTexturesCutOutOverTheBase)
{
    // Every tile gets type 1's first alpha texture: its keyed texels show the base through.
    for (int x = 0; x < MAP_SIZE; x++)
        for (int z = 0; z < MAP_SIZE; z++)
            m_MapData.siAlphaTexture[x][z] = 9;
    CalculateScreenPosition();
    int w = 0, h = 0;
    std::vector<DWORD> withAlpha = RenderFrame(&w, &h);
    m_bAlphaTextures = false;
    std::vector<DWORD> baseOnly = RenderFrame(&w, &h);
    ASSERT_FALSE(baseOnly.empty());

    int iChanged = 0, iTotal = 0;
    for (int y = 500; y < h; y++)
        for (int x = 0; x < w; x++, iTotal++)
            iChanged += withAlpha[y * w + x] != baseOnly[y * w + x];
    EXPECT_GT(iChanged, iTotal / 10);
    EXPECT_LT(iChanged, iTotal * 9 / 10);
}

TEST_F(RenderedFrame, LightOneFollowsItsSwitchInTheSameFrame)
{
    int w = 0, h = 0;
    std::vector<DWORD> dark = RenderFrame(&w, &h);
    m_bLight1 = true;
    std::vector<DWORD> lit = RenderFrame(&w, &h);
    BOOL bOn = FALSE;
    m_pDevice->GetLightEnable(1, &bOn);
    EXPECT_TRUE(bOn);
    EXPECT_GT(BandBrightness(lit, w, 600, 700), BandBrightness(dark, w, 600, 700) + 10.0);

    m_bLight1 = false;
    Render();
    m_pDevice->GetLightEnable(1, &bOn);
    EXPECT_FALSE(bOn);
    m_pDevice->GetLightEnable(2, &bOn);
    EXPECT_TRUE(bOn);
}

TEST_F(RenderedFrame, FailuresStillEndTheFrameOrLeaveItAlone)
{
    // A scene that cannot begin is skipped, but the click still ends with the frame.
    m_pDevice->BeginScene();
    SMD.bLeftClick = true;
    SMD.bRightClick = true;
    Render();
    m_pDevice->EndScene();
    EXPECT_FALSE(SMD.bLeftClick);
    EXPECT_FALSE(SMD.bRightClick);

    // Without a device nothing happens but the log line.
    InitErrorLog();
    LPDIRECT3DDEVICE9 pDevice = m_pDevice;
    m_pDevice = NULL;
    SMD.bLeftClick = true;
    Render();
    m_pDevice = pDevice;
    EXPECT_TRUE(SMD.bLeftClick);
    EXPECT_EQ(ReadLog().at(1).substr(0, 23), "No device to render to ");
}

// Every device object holds a reference to the device, so its count shows objects that a
// display switch makes and never releases.
static ULONG DeviceObjectCount()
{
    m_pDevice->AddRef();
    return m_pDevice->Release();
}

TEST_F(RenderedFrame, DisplaySwitchesLeaveNoDeviceObjectsBehind)
{
    const WPARAM keys[] = {'G', 'N', 'H', 'C', 'W', 'D', 'F', 'J', 'L'};
    auto ToggleEachTwice = [&]() {
        for (int i = 0; i < 2; i++)
            for (WPARAM key : keys)
            {
                MsgProc(m_hWnd, WM_KEYDOWN, key, 0);
                MsgProc(m_hWnd, WM_KEYUP, key, 0);
                Render();
            }
    };
    ToggleEachTwice();
    ULONG ulAfterWarmUp = DeviceObjectCount();
    for (int i = 0; i < 3; i++)
        ToggleEachTwice();
    EXPECT_EQ(DeviceObjectCount(), ulAfterWarmUp);
    EXPECT_FALSE(bGrid);
    EXPECT_FALSE(m_bShowMapGrid);
}

class LandPasses : public RenderedFrame
{
protected:
    // Base and alpha pass of one batch, as the renderer runs them.
    static void DrawBatch(int t, int s)
    {
        m_pDevice->BeginScene();
        SetLandBaseStates();
        RenderLandRow(t, s, GetLandRowTileCount(t, s));
        SetLandAlphaStates();
        RenderLandRow(t, s, GetLandRowTileCount(t, s));
        m_pDevice->EndScene();
    }

    static DWORD RenderState(D3DRENDERSTATETYPE state)
    {
        DWORD dw = 0;
        m_pDevice->GetRenderState(state, &dw);
        return dw;
    }

    static IDirect3DBaseTexture9* StageTexture()
    {
        IDirect3DBaseTexture9* pTexture = NULL;
        m_pDevice->GetTexture(0, &pTexture);
        if (pTexture)
            pTexture->Release();
        return pTexture;
    }
};

TEST_F(LandPasses, AlphaTestStaysOnAfterAnAlphaPassThatDrewNothing)
{
    ASSERT_GT(GetLandRowTileCount(8, 112), 0);
    DrawBatch(8, 112);   // no alpha texture
    EXPECT_EQ(RenderState(D3DRS_ALPHATESTENABLE), (DWORD)TRUE);
    EXPECT_EQ(StageTexture(), m_pLandTexture[64]);
    EXPECT_TRUE(m_bBasePass);

    // An alpha pass that draws switches the test off again.
    m_MapData.siAlphaTexture[40][50] = 9;
    CountTilesForTexture();
    LoadLandBuffer();
    ASSERT_EQ(GetLandRowTileCount(8, 7), 1);
    DrawBatch(8, 7);
    EXPECT_EQ(RenderState(D3DRS_ALPHATESTENABLE), (DWORD)FALSE);
    EXPECT_EQ(StageTexture(), m_pLandTexture[9]);

    ResetRenderStates();
    EXPECT_EQ(RenderState(D3DRS_LIGHTING), (DWORD)FALSE);
}

TEST_F(LandPasses, BaseSwitchOffDrawsThePlainTextureAndAlphaSwitchOffDrawsNoAlpha)
{
    m_MapData.siAlphaTexture[40][50] = 9;
    CountTilesForTexture();
    LoadLandBuffer();
    m_bBaseTextures = false;
    m_bAlphaTextures = false;

    m_pDevice->BeginScene();
    SetLandBaseStates();
    RenderLandRow(8, 7, 1);
    EXPECT_EQ(StageTexture(), m_pLandTexture[128]);
    SetLandAlphaStates();
    RenderLandRow(8, 7, 1);
    m_pDevice->EndScene();
    EXPECT_EQ(StageTexture(), m_pLandTexture[128]);
    EXPECT_EQ(RenderState(D3DRS_ALPHATESTENABLE), (DWORD)TRUE);
    EXPECT_TRUE(m_bBasePass);
}

// The 2-D pointer is drawn over the tool palette, the mini map and the settings screens;
// elsewhere the editor's tool icon belongs.
class PointerRule : public RenderedFrame
{
protected:
    // The 32 x 32 pixels at (x, y) of a frame drawn with the pointer at (px, py).
    static std::vector<DWORD> SquareAt(int x, int y, int px, int py)
    {
        MovePointer(px, py);
        UpdateCursorPosition();
        int w = 0, h = 0;
        std::vector<DWORD> frame = RenderFrame(&w, &h);
        std::vector<DWORD> out;
        for (int j = y; j < y + 32 && j < h; j++)
            for (int i = x; i < x + 32 && i < w; i++)
                out.push_back(frame[j * w + i]);
        return out;
    }

    static std::vector<DWORD> UnderPointer(int x, int y) { return SquareAt(x, y, x, y); }

    // The same pixels with the pointer parked where nothing is drawn for it.
    static std::vector<DWORD> Plain(int x, int y) { return SquareAt(x, y, 500, 400); }
};

TEST_F(PointerRule, CursorOverThePaletteAndTheMiniMapOnly)
{
    EXPECT_NE(UnderPointer(960, 63), Plain(960, 63));
    EXPECT_EQ(UnderPointer(959, 63), Plain(959, 63));
    EXPECT_NE(UnderPointer(99, 99), Plain(99, 99));
    EXPECT_EQ(UnderPointer(100, 99), Plain(100, 99));
}

TEST_F(PointerRule, CursorEverywhereOnTheSettingsScreens)
{
    std::vector<DWORD> gameScreen = Plain(300, 500);
    m_siScreenMode = 0;
    EXPECT_NE(UnderPointer(300, 500), gameScreen);
    m_siScreenMode = 1;
    EXPECT_NE(UnderPointer(300, 500), gameScreen);
}

// Which pointer a frame ends with: the 2-D cursor over the panels, the tool's icon elsewhere.
class PointerChoice : public RenderedFrame
{
protected:
    static void SetUpTestSuite()
    {
        RenderedFrame::SetUpTestSuite();
        RestoreLandEditGUI();
        BuildLandEditGUI();
    }
    static void TearDownTestSuite() { ReleaseLandEditGUI(); }

    void TearDown() override
    {
        RenderedFrame::TearDown();
        m_bCaveEdit = false;
        m_bTextureStrip = false;
        m_iSelectedTile = 0;
        m_CaveData.clear();
        m_CaveSummaries.clear();
        SetCaveCount(0);
        m_iSelectedTriangle = NO_CAVE_TRIANGLE;
    }

    // One cave whose selected triangle has a second texture.
    static void SelectCaveTriangleWithTextureB()
    {
        CaveData data = {};
        data.siTextureB = 8;
        for (int i = 0; i < 16; i++)
            AddCaveData(data);
        AddCaveSummary({0, 16, 0, 0, 0});
        SetCaveCount(1);
        m_iCurrentCave = 0;
        m_iSelectedTriangle = 0;
    }

    // True when a frame with the pointer record at (x, y) ends with the 2-D cursor; false
    // when it ends with the paint tool's icon.
    static bool CursorAt(int x, int y)
    {
        SMD.siX = (short)x;
        SMD.siY = (short)y;
        int w = 0, h = 0;
        RenderFrame(&w, &h);
        IDirect3DBaseTexture9* pBound = NULL;
        m_pDevice->GetTexture(0, &pBound);
        if (pBound)
            pBound->Release();
        EXPECT_TRUE(pBound == m_pCursorTexture || pBound == m_pToolTexture[TOOL_PAINT_TEXTURE])
            << x << ", " << y;
        return pBound == m_pCursorTexture;
    }
};

TEST_F(PointerChoice, EachPanelConditionChoosesTheCursorAndNothingElseDoes)
{
    ASSERT_EQ(m_siEditTool, TOOL_PAINT_TEXTURE);
    // The palette, the mini map, and beside them.
    EXPECT_TRUE(CursorAt(960, 63));
    EXPECT_FALSE(CursorAt(959, 63));
    EXPECT_FALSE(CursorAt(960, 64));
    EXPECT_TRUE(CursorAt(99, 99));
    EXPECT_FALSE(CursorAt(100, 99));
    // The settings screens, anywhere.
    for (short siMode : {0, 1})
    {
        m_siScreenMode = siMode;
        EXPECT_TRUE(CursorAt(500, 400)) << siMode;
    }
    m_siScreenMode = 2;

    // The strip, only while shown; with it the texture-corner panels.
    EXPECT_FALSE(CursorAt(500, 700));
    EXPECT_FALSE(CursorAt(100, 250));
    m_bTextureStrip = true;
    EXPECT_TRUE(CursorAt(500, 640));
    EXPECT_FALSE(CursorAt(500, 639));
    EXPECT_TRUE(CursorAt(137, 196));
    EXPECT_FALSE(CursorAt(138, 196));
    EXPECT_FALSE(CursorAt(100, 195));
    EXPECT_TRUE(CursorAt(100, 332));
    // The alpha panel, only while the selected tile has an alpha texture.
    EXPECT_FALSE(CursorAt(100, 400));
    m_MapData.siAlphaTexture[0][0] = 1;
    EXPECT_TRUE(CursorAt(100, 400));
    EXPECT_TRUE(CursorAt(0, 470));
    EXPECT_FALSE(CursorAt(100, 471));
    EXPECT_FALSE(CursorAt(100, 333));

    // CAVE EDIT: the cave texture panels instead of the corner panels.
    m_bCaveEdit = true;
    EXPECT_FALSE(CursorAt(100, 400));
    EXPECT_TRUE(CursorAt(195, 143));
    EXPECT_TRUE(CursorAt(332, 0));
    EXPECT_FALSE(CursorAt(194, 143));
    EXPECT_FALSE(CursorAt(195, 144));
    EXPECT_FALSE(CursorAt(400, 100));
    SelectCaveTriangleWithTextureB();
    EXPECT_TRUE(CursorAt(400, 100));
    EXPECT_TRUE(CursorAt(472, 143));
    EXPECT_FALSE(CursorAt(473, 100));
    EXPECT_TRUE(CursorAt(500, 640)) << "the strip still";
}
