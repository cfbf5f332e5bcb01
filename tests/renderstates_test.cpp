// The debug overlays: names of the values, stepping by clicks on rows, and their text.
#include "support/devicefixture.h"

#include <cstring>

#include "app/d3dservices.h"
#include "app/msgproc.h"
#include "app/renderstates.h"
#include "app/text.h"

// A left click at (x, y) as the frame sees it.
static void Click(int x, int y)
{
    SMD.siX = (short)x;
    SMD.siY = (short)y;
    SMD.bLeftClick = true;
    SMD.bLeftDown = true;
}

static void ClickRenderStateRow(int y)
{
    Click(50, y + 10);
    CheckRenderStateClicks();
}

// The rows take clicks on their text, which the device's font measures.
using RenderStateOverlay = DeviceTest;

TEST(RenderStateNames, StartWithTheStartValues)
{
    FillRenderStateNames();
    EXPECT_STREQ(m_strSrcBlend, "D3DBLEND_ONE");
    EXPECT_STREQ(m_strDestBlend, "D3DBLEND_ZERO");
    EXPECT_STREQ(m_strTSS0ColorOp, "D3DTOP_MODULATE");
    EXPECT_STREQ(m_strTSS0ColorArg1, "D3DTA_TEXTURE");
    EXPECT_STREQ(m_strTSS0ColorArg2, "D3DTA_DIFFUSE");
    EXPECT_STREQ(m_strTSS0AlphaOp, "D3DTOP_ADDSIGNED2X");
    EXPECT_STREQ(m_strTSS0AlphaArg2, "D3DTA_CURRENT");
    EXPECT_STREQ(m_strTSS1ColorOp, "D3DTOP_BLENDTEXTUREALPHA");
    EXPECT_STREQ(m_strTSS1AlphaOp, "D3DTOP_DISABLE");
    EXPECT_STREQ(m_strTSS1AlphaArg2, "D3DTA_CURRENT");
}

TEST(RenderStateNames, StayInsideTheirBuffers)
{
    DWORD dwSaved = m_dwTSS0ColorOp;
    m_dwTSS0ColorOp = 20;   // a name longer than the buffer
    TextureOpToString(0);
    EXPECT_EQ(strlen(m_strTSS0ColorOp), (size_t)RENDER_STATE_NAME_SIZE - 1);
    EXPECT_EQ(strncmp(m_strTSS0ColorOp, "D3DTOP_MODULATEINVALPHA", 23), 0);
    m_dwTSS0ColorOp = 99;
    TextureOpToString(0);
    EXPECT_STREQ(m_strTSS0ColorOp, "99");
    m_dwTSS0ColorOp = dwSaved;
    TextureOpToString(0);
}

TEST_F(RenderStateOverlay, OperationsCycleWithout20To23)
{
    m_dwTSS0ColorOp = 19;
    ClickRenderStateRow(240);
    EXPECT_EQ(m_dwTSS0ColorOp, 24u);
    EXPECT_STREQ(m_strTSS0ColorOp, "D3DTOP_DOTPRODUCT3");
    m_dwTSS0ColorOp = 26;
    ClickRenderStateRow(240);
    EXPECT_EQ(m_dwTSS0ColorOp, 1u);
    EXPECT_STREQ(m_strTSS0ColorOp, "D3DTOP_DISABLE");

    int iSteps = 0;
    do
    {
        ClickRenderStateRow(380);
        EXPECT_TRUE(m_dwTSS1AlphaOp < 20 || m_dwTSS1AlphaOp > 23) << m_dwTSS1AlphaOp;
        iSteps++;
    } while (m_dwTSS1AlphaOp != 1 && iSteps < 30);
    EXPECT_EQ(iSteps, 22);
}

TEST_F(RenderStateOverlay, BlendsAndArgumentsWrapAround)
{
    m_dwDestBlend = 15;
    ClickRenderStateRow(220);
    EXPECT_EQ(m_dwDestBlend, 1u);
    EXPECT_STREQ(m_strDestBlend, "D3DBLEND_ZERO");

    m_dwTSS1AlphaArg2 = 2;
    ClickRenderStateRow(460);
    EXPECT_EQ(m_dwTSS1AlphaArg2, 0u);
    EXPECT_STREQ(m_strTSS1AlphaArg2, "D3DTA_DIFFUSE");
}

TEST_F(RenderStateOverlay, ACountedClickIsConsumed)
{
    DWORD dwSrc = m_dwSrcBlend;
    ClickRenderStateRow(200);
    EXPECT_EQ(m_dwSrcBlend, dwSrc + 1);
    EXPECT_FALSE(SMD.bLeftClick);
    EXPECT_FALSE(SMD.bLeftDown);
    CheckFilterClicks();
    EXPECT_EQ(m_dwMinFilter, 2u) << "the filter overlay no longer sees the click";
}

TEST_F(RenderStateOverlay, ClicksOffTheRowsStepNothing)
{
    DWORD dwSrc = m_dwSrcBlend, dwDest = m_dwDestBlend, dwMag = m_dwMagFilter;
    const int points[][2] = {{50, 220}, {600, 210}, {50, 200}, {50, 480}};
    for (const auto& pt : points)
    {
        Click(pt[0], pt[1]);
        CheckRenderStateClicks();
        CheckFilterClicks();
        EXPECT_TRUE(SMD.bLeftClick) << pt[0] << "," << pt[1];
    }
    EXPECT_EQ(m_dwSrcBlend, dwSrc);
    EXPECT_EQ(m_dwDestBlend, dwDest);
    EXPECT_EQ(m_dwMagFilter, dwMag);

    SMD.bLeftClick = false;
    SMD.siX = 50;
    SMD.siY = 230;
    CheckRenderStateClicks();
    EXPECT_EQ(m_dwDestBlend, dwDest) << "no click, no step";
}

TEST_F(RenderStateOverlay, FiltersCycleOverTheNamedValues)
{
    m_dwMipFilter = 2;
    const DWORD expected[] = {3, 6, 7, 0, 1, 2};
    for (DWORD dw : expected)
    {
        Click(10, 250);
        CheckFilterClicks();
        EXPECT_EQ(m_dwMipFilter, dw);
    }
}

static bool IsYellow(DWORD c)
{
    return ((c >> 16) & 0xFF) > 128 && ((c >> 8) & 0xFF) > 128 && (c & 0xFF) < 64;
}

class OverlayText : public DeviceTest
{
protected:
    static void SetUpTestSuite()
    {
        DeviceTest::SetUpTestSuite();
        InitFont();
    }

    // The filters are the renderer's too: each case gives back the values it found.
    void SetUp() override
    {
        m_dwSavedMin = m_dwMinFilter;
        m_dwSavedMag = m_dwMagFilter;
    }
    void TearDown() override
    {
        m_dwMinFilter = m_dwSavedMin;
        m_dwMagFilter = m_dwSavedMag;
    }
    DWORD m_dwSavedMin = 0, m_dwSavedMag = 0;

    // Draws the overlay on black and returns the frame.
    std::vector<DWORD> DrawOnBlack(void (*pfnDraw)())
    {
        m_pDevice->Clear(0, NULL, D3DCLEAR_TARGET | D3DCLEAR_ZBUFFER, 0xFF000000, 1.0f, 0);
        m_pDevice->BeginScene();
        pfnDraw();
        m_pDevice->EndScene();
        std::vector<DWORD> pixels = ReadBackBuffer(&m_iWidth, &m_iHeight);
        m_pDevice->Present(NULL, NULL, NULL, NULL);
        return pixels;
    }

    int Yellow(const std::vector<DWORD>& pixels, int x0, int y0, int x1, int y1)
    {
        return CountPixels(pixels, m_iWidth, x0, y0, x1, y1, IsYellow);
    }

    int m_iWidth = 0, m_iHeight = 0;
};

TEST_F(OverlayText, RenderStateRowsShowLabelAndName)
{
    FillRenderStateNames();
    std::vector<DWORD> pixels = DrawOnBlack(DrawRenderStateOverlay);
    ASSERT_FALSE(pixels.empty());
    for (int y = 200; y <= 460; y += 20)
    {
        EXPECT_GT(Yellow(pixels, 0, y, 150, y + 20), 20) << "label at " << y;
        EXPECT_GT(Yellow(pixels, 200, y, 400, y + 20), 20) << "name at " << y;
    }
    EXPECT_EQ(Yellow(pixels, 0, 0, m_iWidth, 190), 0);
    EXPECT_EQ(Yellow(pixels, 0, 490, m_iWidth, m_iHeight), 0);
}

TEST_F(OverlayText, FilterRowsShowNamesOnlyForNamedValues)
{
    m_dwMinFilter = 2;
    m_dwMagFilter = 5;   // no name
    std::vector<DWORD> pixels = DrawOnBlack(DrawFilterOverlay);
    ASSERT_FALSE(pixels.empty());
    EXPECT_GT(Yellow(pixels, 0, 200, 95, 220), 20);
    EXPECT_GT(Yellow(pixels, 100, 200, 200, 220), 20);
    EXPECT_GT(Yellow(pixels, 0, 220, 95, 240), 20);
    EXPECT_EQ(Yellow(pixels, 100, 222, 300, 238), 0);
    EXPECT_EQ(Yellow(pixels, 0, 270, m_iWidth, m_iHeight), 0);
}
