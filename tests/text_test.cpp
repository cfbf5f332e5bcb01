// The text service and its glyph-atlas font: text lands where asked, in the colour asked and
// in the font's shapes, line by line, and leaves the caller's device states as they were.
#include "support/devicefixture.h"

#include <cfloat>
#include <climits>
#include <string>

#include "app/d3dservices.h"
#include "app/text.h"
#include "app/textfont.h"

// The font the text service asks for, rasterised by GDI directly: what the atlas must match.
static HFONT ReferenceFont()
{
    return CreateFontA(-16, 0, 0, 0, FW_BOLD, FALSE, FALSE, FALSE, DEFAULT_CHARSET,
                       OUT_DEFAULT_PRECIS, CLIP_DEFAULT_PRECIS, ANTIALIASED_QUALITY,
                       VARIABLE_PITCH, "Arial");
}

static SIZE Measure(const char* text)
{
    HDC hDC = CreateCompatibleDC(NULL);
    HGDIOBJ hOld = SelectObject(hDC, ReferenceFont());
    SIZE size = {0, 0};
    GetTextExtentPoint32A(hDC, text, (int)strlen(text), &size);
    DeleteObject(SelectObject(hDC, hOld));
    DeleteDC(hDC);
    return size;
}

// GDI's coverage (0..255) of one line drawn white on black, w x h pixels.
static std::vector<BYTE> Coverage(const char* text, int w, int h)
{
    HDC hDC = CreateCompatibleDC(NULL);
    BITMAPINFO bmi = {};
    bmi.bmiHeader.biSize = sizeof(BITMAPINFOHEADER);
    bmi.bmiHeader.biWidth = w;
    bmi.bmiHeader.biHeight = -h;
    bmi.bmiHeader.biPlanes = 1;
    bmi.bmiHeader.biBitCount = 32;
    DWORD* pBits = NULL;
    HBITMAP hBitmap = CreateDIBSection(hDC, &bmi, DIB_RGB_COLORS, (void**)&pBits, NULL, 0);
    HGDIOBJ hOldBitmap = SelectObject(hDC, hBitmap);
    HGDIOBJ hOldFont = SelectObject(hDC, ReferenceFont());
    SetTextColor(hDC, RGB(255, 255, 255));
    SetBkColor(hDC, 0);
    RECT rc = {0, 0, w, h};
    ExtTextOutA(hDC, 0, 0, ETO_OPAQUE, &rc, text, (UINT)strlen(text), NULL);
    GdiFlush();
    std::vector<BYTE> coverage(w * h);
    for (int i = 0; i < w * h; i++)
        coverage[i] = (BYTE)(pBits[i] & 0xFF);
    DeleteObject(SelectObject(hDC, hOldFont));
    SelectObject(hDC, hOldBitmap);
    DeleteObject(hBitmap);
    DeleteDC(hDC);
    return coverage;
}

static BYTE Red(DWORD c) { return (BYTE)(c >> 16); }
static BYTE Green(DWORD c) { return (BYTE)(c >> 8); }
static BYTE Blue(DWORD c) { return (BYTE)c; }
static bool IsLit(DWORD c) { return (c & 0x00FFFFFF) != 0; }
static bool IsYellow(DWORD c) { return Red(c) > 200 && Green(c) > 200 && Blue(c) < 40; }

class Text : public DeviceTest
{
protected:
    static void SetUpTestSuite()
    {
        DeviceTest::SetUpTestSuite();
        InitFont();
    }
    static void TearDownTestSuite() { DeleteFont(); }

    void SetUp() override { ASSERT_NE(m_pFont, (TextureFont*)NULL); }

    // One frame cleared to black with draw() inside the scene, read back before presenting.
    template <class F> std::vector<DWORD> Frame(F draw)
    {
        return DrawnFrame(draw, &m_iWidth, &m_iHeight);
    }

    // Lit pixels' bounding box in the rows above iRows; right and bottom exclusive.
    RECT LitBox(const std::vector<DWORD>& px, int iRows = INT_MAX)
    {
        RECT box = {INT_MAX, INT_MAX, INT_MIN, INT_MIN};
        for (int y = 0; y < std::min(iRows, m_iHeight); y++)
            for (int x = 0; x < m_iWidth; x++)
                if (IsLit(px[y * m_iWidth + x]))
                {
                    box.left = std::min(box.left, (LONG)x);
                    box.top = std::min(box.top, (LONG)y);
                    box.right = std::max(box.right, (LONG)x + 1);
                    box.bottom = std::max(box.bottom, (LONG)y + 1);
                }
        return box;
    }

    // Pixels of a line drawn in yellow at (x, y) that differ from GDI's own rendering.
    int DiffersFromGdi(const std::vector<DWORD>& px, int x, int y, const char* text)
    {
        SIZE size = Measure(text);
        int w = size.cx + 8, h = size.cy;
        std::vector<BYTE> coverage = Coverage(text, w, h);
        int iDiffer = 0;
        for (int j = 0; j < h; j++)
            for (int i = 0; i < w; i++)
            {
                // The atlas keeps 16 coverage levels; level 0 is transparent. Where two
                // glyphs' edges overlap, blending and GDI combine them a little differently.
                int iExpected = (coverage[j * w + i] >> 4) * 17;
                DWORD c = px[(y + j) * m_iWidth + x + i];
                if ((iExpected == 0) != (Red(c) == 0) || abs(Red(c) - iExpected) > 20 ||
                    abs(Green(c) - Red(c)) > 1 || Blue(c) != 0)
                    iDiffer++;
            }
        return iDiffer;
    }

    int m_iWidth = 0;
    int m_iHeight = 0;
};

TEST_F(Text, AppearsInYellowWhereAskedAndNowhereElse)
{
    const char* text = "Hello, World";
    std::vector<DWORD> px = Frame([&] { DrawString(200, 300, text); });
    SIZE size = Measure(text);
    RECT box = LitBox(px);
    EXPECT_GE(box.left, 200);
    EXPECT_LE(box.left, 202);
    EXPECT_GE(box.top, 300);
    EXPECT_LE(box.right, 200 + size.cx + 1);
    EXPECT_LE(box.bottom, 300 + size.cy);
    EXPECT_GT(CountPixels(px, m_iWidth, 200, 300, 200 + size.cx, 300 + size.cy, IsYellow), 100);
    EXPECT_EQ(DiffersFromGdi(px, 200, 300, text), 0);
}

TEST_F(Text, EveryPrintableCharacterHasTheFontsShape)
{
    std::string first, second;
    for (int c = 32; c < 80; c++)
        first += (char)c;
    for (int c = 80; c <= 126; c++)
        second += (char)c;
    std::vector<DWORD> px = Frame([&] {
        DrawString(10, 100, first.c_str());
        DrawString(10, 200, second.c_str());
    });
    EXPECT_EQ(DiffersFromGdi(px, 10, 100, first.c_str()), 0);
    EXPECT_EQ(DiffersFromGdi(px, 10, 200, second.c_str()), 0);
}

TEST_F(Text, ColourPartsCountOnlyTheirLowEightBits)
{
    struct
    {
        int r, g, b;
        DWORD dwExpected;
    } cases[] = {{255, 0, 0, 0xFF0000}, {256, 511, 0, 0x00FF00}, {-1, 0, 0x180, 0xFF0080}};
    for (const auto& k : cases)
    {
        std::vector<DWORD> px = Frame([&] { DrawStringRGB(100, 100, "MMMM", k.r, k.g, k.b); });
        // The fully covered pixels carry the colour itself.
        DWORD dwMax = 0;
        for (int y = 100; y < 120; y++)
            for (int x = 100; x < 160; x++)
                dwMax = std::max(dwMax, px[y * m_iWidth + x] & 0x00FFFFFF);
        EXPECT_EQ(dwMax, k.dwExpected) << k.r << " " << k.g << " " << k.b;
    }
}

TEST_F(Text, NumbersAreDrawnAsFormatted)
{
    struct
    {
        void (*draw)();
        const char* text;
    } cases[] = {
        {[] { DrawInt(50, 50, -5); }, "-5"},
        {[] { DrawInt(50, 50, INT_MIN); }, "-2147483648"},
        {[] { DrawFloat(50, 50, 1.5f); }, "1.500000"},
        {[] { DrawFloat(50, 50, 123.25f); }, "123.250000"},
        {[] { DrawFloat(50, 50, -FLT_MAX); },
         "-340282346638528859811704183484516925440.000000"},
    };
    for (const auto& k : cases)
    {
        std::vector<DWORD> number = Frame(k.draw);
        std::vector<DWORD> text = Frame([&] { DrawString(50, 50, k.text); });
        EXPECT_TRUE(number == text) << k.text;
    }
}

TEST_F(Text, LineBreakStartsOneLineLowerAtTheStartX)
{
    int iLine = Measure(" ").cy;
    std::vector<DWORD> broken = Frame([] { DrawString(100, 100, "A\nB"); });
    std::vector<DWORD> apart = Frame([&] {
        DrawString(100, 100, "A");
        DrawString(100, 100 + iLine, "B");
    });
    EXPECT_TRUE(broken == apart);
}

TEST_F(Text, BlanksAdvanceAndUnprintableCharactersAreSkipped)
{
    int iBlank = Measure(" ").cx;
    std::vector<DWORD> plain = Frame([&] { DrawString(100 + 3 * iBlank, 100, "AB"); });
    std::vector<DWORD> odd = Frame([] { DrawString(100, 100, "   \x01" "A\x7F\xC3\xA9\t" "B"); });
    EXPECT_TRUE(plain == odd);

    std::vector<DWORD> nothing = Frame([] {
        DrawString(100, 100, "");
        DrawString(100, 100, "     ");
        DrawString(100, 100, NULL);
    });
    EXPECT_EQ(CountPixels(nothing, m_iWidth, 0, 0, m_iWidth, m_iHeight, IsLit), 0);
}

TEST_F(Text, LongTextIsDrawnInBatchesOfAtMostFiftyGlyphs)
{
    std::string lines[3];
    for (int i = 0; i < 40; i++)
        for (int k = 0; k < 3; k++)
            lines[k] += (char)('A' + (i + 7 * k) % 26);
    std::string text = lines[0] + "\n" + lines[1] + "\n" + lines[2];
    int iLine = Measure(" ").cy;

    DWORD dwBatches = 0;
    std::vector<DWORD> whole = Frame([&] {
        DrawString(20, 100, text.c_str());
        dwBatches = m_pFont->GetLastBatchCount();
    });
    EXPECT_EQ(dwBatches, 3u);
    // No glyph is lost or doubled where one batch ends and the next begins.
    std::vector<DWORD> apart = Frame([&] {
        for (int k = 0; k < 3; k++)
            DrawString(20, 100 + k * iLine, lines[k].c_str());
    });
    EXPECT_TRUE(whole == apart);

    struct
    {
        std::string text;
        DWORD dwBatches;
    } cases[] = {{std::string(50, 'x'), 1}, {std::string(51, 'x'), 2}, {"", 0},
                 {std::string(200, ' '), 0}};
    for (const auto& k : cases)
    {
        Frame([&] {
            DrawString(0, 0, k.text.c_str());
            dwBatches = m_pFont->GetLastBatchCount();
        });
        EXPECT_EQ(dwBatches, k.dwBatches) << k.text.size();
    }
}

TEST_F(Text, CentringUsesTheViewportAndTheFirstLine)
{
    int iLine = Measure(" ").cy;
    int iFirst = Measure("WW").cx;
    std::vector<DWORD> px = Frame([] {
        m_pFont->DrawScreenText(0, 0, 0xFFFFFF00, "WW\nWWWWWWWW", FONT_CENTERED_X | FONT_FILTERED);
    });
    RECT first = LitBox(px, iLine);
    EXPECT_NEAR(first.left, (m_iWidth - iFirst) / 2, 2);
    EXPECT_NEAR(first.right, (m_iWidth + iFirst) / 2, 2);
    RECT both = LitBox(px);
    EXPECT_EQ(both.left, first.left);
    EXPECT_GT(both.bottom, iLine);

    px = Frame([] { m_pFont->DrawScreenText(0, 0, 0xFFFFFF00, "Wy", FONT_CENTERED_Y); });
    RECT box = LitBox(px);
    EXPECT_GE(box.top, (m_iHeight - iLine) / 2);
    EXPECT_LE(box.bottom, (m_iHeight + iLine) / 2 + 1);
}

TEST_F(Text, CallersStatesAreKeptAndDoNotHideTheText)
{
    IDirect3DTexture9* pTexture = NULL;
    ASSERT_EQ(m_pDevice->CreateTexture(4, 4, 1, 0, D3DFMT_A8R8G8B8, D3DPOOL_MANAGED, &pTexture,
                                       NULL),
              D3D_OK);
    // Values no caller would leave by chance; several of them would hide text drawn with them.
    const struct
    {
        D3DRENDERSTATETYPE state;
        DWORD dwValue;
    } renderStates[] = {
        {D3DRS_ZENABLE, TRUE},          {D3DRS_ZFUNC, D3DCMP_LESS},
        {D3DRS_ALPHABLENDENABLE, TRUE}, {D3DRS_SRCBLEND, D3DBLEND_ZERO},
        {D3DRS_DESTBLEND, D3DBLEND_ONE}, {D3DRS_ALPHATESTENABLE, FALSE},
        {D3DRS_ALPHAREF, 0x77},         {D3DRS_ALPHAFUNC, D3DCMP_NEVER},
        {D3DRS_FILLMODE, D3DFILL_POINT}, {D3DRS_CULLMODE, D3DCULL_CW},
        {D3DRS_FOGENABLE, TRUE},        {D3DRS_COLORWRITEENABLE, 0},
    };
    const struct
    {
        DWORD dwStage;
        D3DTEXTURESTAGESTATETYPE state;
        DWORD dwValue;
    } stageStates[] = {
        {0, D3DTSS_COLOROP, D3DTOP_ADDSIGNED2X}, {0, D3DTSS_COLORARG1, D3DTA_CURRENT},
        {0, D3DTSS_ALPHAOP, D3DTOP_SELECTARG2},  {0, D3DTSS_ALPHAARG2, D3DTA_TEXTURE},
        {0, D3DTSS_TEXCOORDINDEX, 1},            {1, D3DTSS_COLOROP, D3DTOP_MODULATE},
        {1, D3DTSS_ALPHAOP, D3DTOP_ADD},
    };
    const struct
    {
        D3DSAMPLERSTATETYPE state;
        DWORD dwValue;
    } samplerStates[] = {{D3DSAMP_MINFILTER, D3DTEXF_ANISOTROPIC},
                         {D3DSAMP_MAGFILTER, D3DTEXF_POINT},
                         {D3DSAMP_MIPFILTER, D3DTEXF_LINEAR}};

    IDirect3DStateBlock9* pDefaults = NULL;
    m_pDevice->CreateStateBlock(D3DSBT_ALL, &pDefaults);
    m_pDevice->SetTexture(0, pTexture);
    for (const auto& s : renderStates)
        m_pDevice->SetRenderState(s.state, s.dwValue);
    for (const auto& s : stageStates)
        m_pDevice->SetTextureStageState(s.dwStage, s.state, s.dwValue);
    for (const auto& s : samplerStates)
        m_pDevice->SetSamplerState(0, s.state, s.dwValue);

    // A depth buffer cleared to the nearest value: only text drawn without the depth test shows.
    m_pDevice->Clear(0, NULL, D3DCLEAR_TARGET | D3DCLEAR_ZBUFFER, 0xFF000000, 0.0f, 0);
    m_pDevice->BeginScene();
    DrawString(100, 100, "Kept");
    m_pDevice->EndScene();
    std::vector<DWORD> px = ReadBackBuffer(&m_iWidth, &m_iHeight);
    EXPECT_GT(CountPixels(px, m_iWidth, 100, 100, 160, 120, IsYellow), 20);

    IDirect3DBaseTexture9* pBound = NULL;
    m_pDevice->GetTexture(0, &pBound);
    EXPECT_EQ(pBound, pTexture);
    if (pBound)
        pBound->Release();
    DWORD dwValue;
    for (const auto& s : renderStates)
    {
        m_pDevice->GetRenderState(s.state, &dwValue);
        EXPECT_EQ(dwValue, s.dwValue) << "render state " << s.state;
    }
    for (const auto& s : stageStates)
    {
        m_pDevice->GetTextureStageState(s.dwStage, s.state, &dwValue);
        EXPECT_EQ(dwValue, s.dwValue) << "stage " << s.dwStage << " state " << s.state;
    }
    for (const auto& s : samplerStates)
    {
        m_pDevice->GetSamplerState(0, s.state, &dwValue);
        EXPECT_EQ(dwValue, s.dwValue) << "sampler state " << s.state;
    }

    // Back to the device's defaults for the tests that follow.
    pDefaults->Apply();
    pDefaults->Release();
    pTexture->Release();
}

TEST_F(Text, AFontMissingItsDeviceObjectsFailsWithoutDrawing)
{
    TextureFont noDevice("Arial", 12, FONT_BOLD);
    EXPECT_EQ(noDevice.CreateDeviceResources(NULL), E_FAIL);
    EXPECT_EQ(noDevice.RestoreDeviceResources(), E_FAIL);
    TextureFont atlasOnly("Arial", 12, FONT_BOLD);
    ASSERT_EQ(atlasOnly.CreateDeviceResources(m_pDevice), S_OK);

    std::vector<DWORD> px = Frame([&] {
        EXPECT_EQ(noDevice.DrawScreenText(10, 10, 0xFFFFFF00, "none", FONT_FILTERED), E_FAIL);
        EXPECT_EQ(atlasOnly.DrawScreenText(10, 40, 0xFFFFFF00, "no buffer", FONT_FILTERED),
                  E_FAIL);
        ASSERT_EQ(atlasOnly.RestoreDeviceResources(), S_OK);
        atlasOnly.InvalidateDeviceResources();
        atlasOnly.InvalidateDeviceResources();
        EXPECT_EQ(atlasOnly.DrawScreenText(10, 70, 0xFFFFFF00, "released", FONT_FILTERED),
                  E_FAIL);
    });
    EXPECT_EQ(CountPixels(px, m_iWidth, 0, 0, m_iWidth, m_iHeight, IsLit), 0);
}

TEST_F(Text, DeletingTheFontTwiceOrDrawingWithoutItIsHarmless)
{
    DeleteFont();
    EXPECT_EQ(m_pFont, (TextureFont*)NULL);
    DeleteFont();
    std::vector<DWORD> px = Frame([] {
        DrawString(10, 10, "gone");
        DrawInt(10, 40, 7);
        DrawFloat(10, 70, 7.0f);
    });
    EXPECT_EQ(CountPixels(px, m_iWidth, 0, 0, m_iWidth, m_iHeight, IsLit), 0);

    InitFont();
    ASSERT_NE(m_pFont, (TextureFont*)NULL);
    px = Frame([] { DrawString(10, 10, "back"); });
    EXPECT_GT(CountPixels(px, m_iWidth, 0, 0, m_iWidth, m_iHeight, IsYellow), 20);
}

TEST_F(Text, MeasuringGivesTheWidestLineAndEveryLinesHeight)
{
    int iLine = Measure(" ").cy;
    struct
    {
        const char* text;
        LONG cx, cy;
    } cases[] = {
        {"Hello, World", Measure("Hello, World").cx, iLine},
        {"WW\nWWWWWWWW\nW", Measure("WWWWWWWW").cx, 3 * iLine},
        {"A\x01\xC3" "B", Measure("AB").cx, iLine},
        {"", 0, iLine},
    };
    for (const auto& k : cases)
    {
        SIZE size = {-1, -1};
        EXPECT_EQ(m_pFont->MeasureText(k.text, &size), S_OK) << k.text;
        EXPECT_EQ(size.cx, k.cx) << k.text;
        EXPECT_EQ(size.cy, k.cy) << k.text;
    }
    SIZE size;
    EXPECT_EQ(m_pFont->MeasureText(NULL, &size), E_FAIL);
    EXPECT_EQ(m_pFont->MeasureText("x", NULL), E_FAIL);
}

TEST_F(Text, ViewportTextIsPlacedAndSizedByTheViewport)
{
    D3DVIEWPORT9 vp;
    m_pDevice->GetViewport(&vp);
    float fOneToOne = (float)Measure(" ").cy / (float)vp.Height;
    std::vector<DWORD> screen = Frame([] { DrawString(512, 192, "Size"); });
    std::vector<DWORD> viewport = Frame([&] {
        m_pFont->DrawViewportText(0.5f, 0.25f, 0.9f, fOneToOne, fOneToOne, 0xFFFFFF00, "Size",
                                  FONT_FILTERED);
    });
    EXPECT_TRUE(screen == viewport);

    RECT single = LitBox(screen);
    std::vector<DWORD> doubled = Frame([&] {
        m_pFont->DrawViewportText(0.5f, 0.25f, 0.9f, 2 * fOneToOne, 2 * fOneToOne, 0xFFFFFF00,
                                  "Size", FONT_FILTERED);
    });
    RECT twice = LitBox(doubled);
    EXPECT_NEAR(twice.left, single.left, 1);
    EXPECT_NEAR(twice.right - 512, 2 * (single.right - 512), 2);
    EXPECT_NEAR(twice.bottom - 192, 2 * (single.bottom - 192), 2);
}

// World text seen along z from in front (-z) and from behind (+z), 10 units away.
TEST_F(Text, WorldTextFacesMinusZAndShowsItsBackOnlyWhenTwoSided)
{
    D3DXMATRIX matView, matProj, matWorld, matKeptView, matKeptProj;
    m_pDevice->GetTransform(D3DTS_VIEW, &matKeptView);
    m_pDevice->GetTransform(D3DTS_PROJECTION, &matKeptProj);
    D3DVIEWPORT9 vp;
    m_pDevice->GetViewport(&vp);
    D3DXMatrixPerspectiveFovLH(&matProj, 0.7853982f, (float)vp.Width / (float)vp.Height, 0.1f,
                               100.0f);
    D3DXMatrixIdentity(&matWorld);
    m_pDevice->SetTransform(D3DTS_PROJECTION, &matProj);
    m_pDevice->SetTransform(D3DTS_WORLD, &matWorld);
    m_pDevice->SetRenderState(D3DRS_LIGHTING, FALSE);
    D3DXVECTOR3 vAt(0, 0, 0), vUp(0, 1, 0), vFront(0, 0, -10), vBack(0, 0, 10);

    auto seen = [&](D3DXVECTOR3 vEye, DWORD dwFlags) {
        D3DXMatrixLookAtLH(&matView, &vEye, &vAt, &vUp);
        m_pDevice->SetTransform(D3DTS_VIEW, &matView);
        return LitBox(Frame([&] { m_pFont->DrawWorldText("World", dwFlags); }));
    };
    RECT front = seen(vFront, 0);
    // The first line's top-left corner is the world origin, at the centre of the screen.
    EXPECT_GE(front.left, (LONG)vp.Width / 2 - 1);
    EXPECT_GE(front.top, (LONG)vp.Height / 2 - 1);
    EXPECT_GT(front.right, front.left + 10);
    EXPECT_EQ(seen(vBack, 0).right, INT_MIN);
    RECT back = seen(vBack, FONT_TWO_SIDED);
    EXPECT_LE(back.right, (LONG)vp.Width / 2 + 1);
    EXPECT_EQ(back.right - back.left, front.right - front.left);
    RECT frontTwoSided = seen(vFront, FONT_TWO_SIDED);
    EXPECT_EQ(frontTwoSided.left, front.left);
    EXPECT_EQ(frontTwoSided.right, front.right);

    m_pDevice->SetTransform(D3DTS_VIEW, &matKeptView);
    m_pDevice->SetTransform(D3DTS_PROJECTION, &matKeptProj);
    m_pDevice->SetRenderState(D3DRS_LIGHTING, TRUE);
}
