// The memorial screen: the picture across the middle with three lines beneath, the changed
// last line after 2 s and the end after 3 s by the clock it polls, a missing picture, and the
// I and Escape keys of the game screen. What the display shows is read back.
#include "support/devicefixture.h"
#include "support/readback.h"

#include <cstdlib>
#include <mmsystem.h>
#include <string>

#include "app/d3dservices.h"
#include "app/log.h"
#include "app/msgproc.h"
#include "app/splash.h"
#include "app/text.h"

static BYTE Red(DWORD c) { return (BYTE)(c >> 16); }
static BYTE Green(DWORD c) { return (BYTE)(c >> 8); }
static BYTE Blue(DWORD c) { return (BYTE)c; }
static bool IsGreen(DWORD c) { return Green(c) > 128 && Red(c) < 64 && Blue(c) < 64; }
static bool IsRed(DWORD c) { return Red(c) > 128 && Green(c) < 64 && Blue(c) < 64; }
static bool IsLit(DWORD c) { return (c & 0x00FFFFFF) != 0; }

// Width of a line in the text service's font.
static int TextWidth(const char* text)
{
    HFONT hFont = CreateFontA(-16, 0, 0, 0, FW_BOLD, FALSE, FALSE, FALSE, DEFAULT_CHARSET,
                              OUT_DEFAULT_PRECIS, CLIP_DEFAULT_PRECIS, ANTIALIASED_QUALITY,
                              VARIABLE_PITCH, "Arial");
    HDC hDC = CreateCompatibleDC(NULL);
    HGDIOBJ hOld = SelectObject(hDC, hFont);
    SIZE size = {0, 0};
    GetTextExtentPoint32A(hDC, text, (int)strlen(text), &size);
    DeleteObject(SelectObject(hDC, hOld));
    DeleteDC(hDC);
    return size.cx;
}

// What the screen shows, as 0xAARRGGBB row by row.
struct Screen
{
    std::vector<DWORD> px;
    int w = 0, h = 0;

    int Count(int x0, int y0, int x1, int y1, bool (*pred)(DWORD)) const
    {
        return px.empty() ? 0 : CountPixels(px, w, x0, y0, x1, y1, pred);
    }
};

// The desktop as the display shows it: the device's front buffer reads back black under
// Wine, the screen's own pixels do not.
static Screen ReadScreen()
{
    Screen s;
    RECT rc;
    GetClientRect(GetDesktopWindow(), &rc);
    BITMAPINFO bmi = {};
    bmi.bmiHeader.biSize = sizeof(BITMAPINFOHEADER);
    bmi.bmiHeader.biWidth = rc.right;
    bmi.bmiHeader.biHeight = -rc.bottom;
    bmi.bmiHeader.biPlanes = 1;
    bmi.bmiHeader.biBitCount = 32;
    HDC hScreen = GetDC(NULL);
    HDC hMem = CreateCompatibleDC(hScreen);
    DWORD* pBits = NULL;
    HBITMAP hBitmap = CreateDIBSection(hMem, &bmi, DIB_RGB_COLORS, (void**)&pBits, NULL, 0);
    HGDIOBJ hOld = SelectObject(hMem, hBitmap);
    if (BitBlt(hMem, 0, 0, rc.right, rc.bottom, hScreen, 0, 0, SRCCOPY))
    {
        GdiFlush();
        s.w = rc.right;
        s.h = rc.bottom;
        s.px.assign(pBits, pBits + s.w * s.h);
        for (DWORD& c : s.px)
            c |= 0xFF000000;   // GDI leaves the alpha byte 0
    }
    SelectObject(hMem, hOld);
    DeleteObject(hBitmap);
    DeleteDC(hMem);
    ReleaseDC(NULL, hScreen);
    return s;
}

// A presented frame reaches the display a little later: wait for the device's work, then
// until two reads 20 ms apart agree.
static Screen ReadSettledScreen()
{
    IDirect3DQuery9* pQuery = NULL;
    if (SUCCEEDED(m_pDevice->CreateQuery(D3DQUERYTYPE_EVENT, &pQuery)))
    {
        pQuery->Issue(D3DISSUE_END);
        for (int i = 0; i < 200 && pQuery->GetData(NULL, 0, D3DGETDATA_FLUSH) == S_FALSE; i++)
            Sleep(1);
        pQuery->Release();
    }
    Screen s = ReadScreen();
    for (int i = 0; i < 25; i++)
    {
        Sleep(20);
        Screen t = ReadScreen();
        if (t.px == s.px)
            break;
        s = t;
    }
    return s;
}

// Which picture a screen shows: 0 none, 1 the first (three lines), 2 the second (with the
// thanks after the last line).
static int PictureShown(const Screen& s)
{
    static const int iThanksX = 370 + TextWidth("TO PLAY OUR GAMES       ");
    if (s.Count(370, 740, 370 + TextWidth("TO PLAY OUR GAMES"), 760, IsGreen) == 0)
        return 0;
    return s.Count(iThanksX, 740, iThanksX + TextWidth("THANK YOU :)"), 760, IsGreen) > 0 ? 2 : 1;
}

// The clock the screen polls, driven here. Each read returns the time and then moves it on
// by the step, or once by the jump; every read after the first notes what the screen shows.
struct Reading
{
    DWORD dwElapsed;     // since the first read
    int iPicture;        // PictureShown at that read; -1 when not captured
    bool bObjectsSet;    // the quad and the picture existed
};
static DWORD s_dwNow, s_dwStart, s_dwStep, s_dwJump;
static bool s_bCapture;
static std::vector<Reading> s_readings;
static Screen s_lastShown[3];   // the last screen seen showing each picture

static DWORD WINAPI TestClock()
{
    Reading r = {s_dwNow - s_dwStart, -1, m_pSplashVB != NULL && m_pSplashTexture != NULL};
    if (s_bCapture && !s_readings.empty())
    {
        Screen s = ReadSettledScreen();
        r.iPicture = PictureShown(s);
        s_lastShown[r.iPicture] = s;
    }
    s_readings.push_back(r);
    DWORD dwTime = s_dwNow;
    s_dwNow += s_readings.size() == 1 && s_dwJump != 0 ? s_dwJump : s_dwStep;
    return dwTime;
}

static void StartClock(DWORD dwStart, DWORD dwStep, DWORD dwJump, bool bCapture)
{
    s_dwNow = s_dwStart = dwStart;
    s_dwStep = dwStep;
    s_dwJump = dwJump;
    s_bCapture = bCapture;
    s_readings.clear();
    for (Screen& s : s_lastShown)
        s = Screen();
}

class Splash : public DeviceTest
{
protected:
    static void SetUpTestSuite()
    {
        DeviceTest::SetUpTestSuite();
        InitFont();
        m_pfnSplashClock = TestClock;
    }
    static void TearDownTestSuite()
    {
        m_pfnSplashClock = timeGetTime;
        DeleteFont();
    }
    void SetUp() override
    {
        ASSERT_NE(m_pFont, (TextureFont*)NULL);
        InitErrorLog();
    }
};

// Mean colour (r, g, b) of a rectangle of 32-bit pixels.
static void MeanColour(const DWORD* px, int pitch, int x0, int y0, int x1, int y1, double* rgb)
{
    rgb[0] = rgb[1] = rgb[2] = 0.0;
    for (int y = y0; y < y1; y++)
        for (int x = x0; x < x1; x++)
        {
            DWORD c = px[y * pitch + x];
            rgb[0] += Red(c);
            rgb[1] += Green(c);
            rgb[2] += Blue(c);
        }
    for (int i = 0; i < 3; i++)
        rgb[i] /= (double)(x1 - x0) * (y1 - y0);
}

// The band's 8 x 4 blocks of 128 pixels against the texels each one shows (the quad spans
// 0.99 of the width), so a missing, shifted or upside-down picture fails.
static void ExpectBandShowsTheFile(const Screen& s)
{
    IDirect3DTexture9* pFile = NULL;
    ASSERT_EQ(D3DXCreateTextureFromFileExA(m_pDevice, "textures\\splash\\warmemorial.dds",
                                           D3DX_DEFAULT, D3DX_DEFAULT, 1, 0, D3DFMT_A8R8G8B8,
                                           D3DPOOL_SYSTEMMEM, D3DX_FILTER_NONE, D3DX_FILTER_NONE,
                                           0, NULL, NULL, &pFile),
              D3D_OK);
    D3DLOCKED_RECT lr;
    ASSERT_EQ(pFile->LockRect(0, &lr, NULL, D3DLOCK_READONLY), D3D_OK);
    const DWORD* texels = (const DWORD*)lr.pBits;
    int iPitch = lr.Pitch / 4;
    for (int by = 0; by < 4; by++)
        for (int bx = 0; bx < 8; bx++)
        {
            double shown[3], file[3];
            MeanColour(s.px.data(), s.w, bx * 128, 128 + by * 128, bx * 128 + 128,
                       256 + by * 128, shown);
            MeanColour(texels, iPitch, (int)(bx * 128 * 0.495), by * 64,
                       (int)((bx + 1) * 128 * 0.495), by * 64 + 64, file);
            for (int i = 0; i < 3; i++)
                EXPECT_NEAR(shown[i], file[i], 12.0) << "block " << bx << ", " << by;
        }
    pFile->UnlockRect(0);
    pFile->Release();
}

// The three lines beneath the band: green, red, green, and nothing else outside it.
static void ExpectLinesBeneathTheBand(const Screen& s)
{
    EXPECT_GT(s.Count(350, 700, 350 + TextWidth("A MOMEMENT OF RESPECT"), 720, IsGreen), 100);
    EXPECT_GT(s.Count(270, 720, 270 + TextWidth("MANY FOUGHT AND DIED SO WE COULD BE FREE"),
                      740, IsRed),
              200);
    EXPECT_GT(s.Count(370, 740, 370 + TextWidth("TO PLAY OUR GAMES"), 760, IsGreen), 100);
    EXPECT_EQ(s.Count(0, 0, s.w, 128, IsLit), 0) << "above the band";
    EXPECT_EQ(s.Count(0, 640, s.w, 700, IsLit), 0) << "between the band and the lines";
    EXPECT_EQ(s.Count(0, 762, s.w, s.h, IsLit), 0) << "below the lines";
}

TEST_F(Splash, ShowsThePictureWithItsLinesThenTheThanksAndReleasesEverything)
{
    StartClock(5000, 250, 0, true);
    ShowSplash();

    for (int iPicture = 1; iPicture <= 2; iPicture++)
    {
        SCOPED_TRACE(iPicture == 1 ? "first picture" : "second picture");
        const Screen& s = s_lastShown[iPicture];
        ASSERT_FALSE(s.px.empty());
        ExpectBandShowsTheFile(s);
        ExpectLinesBeneathTheBand(s);
    }
    for (const Reading& r : s_readings)
        EXPECT_TRUE(r.bObjectsSet) << "at " << r.dwElapsed << " ms";
    EXPECT_EQ(m_pSplashVB, (IDirect3DVertexBuffer9*)NULL);
    EXPECT_EQ(m_pSplashTexture, (IDirect3DTexture9*)NULL);
    ReleaseSplash();
    ReleaseSplash();
    EXPECT_EQ(ReadLog().size(), 1u) << "nothing logged but the start line";
}

// Each reading's elapsed time and the picture shown at it.
static std::string Timeline()
{
    std::string str;
    for (size_t i = 1; i < s_readings.size(); i++)
        str += std::to_string(s_readings[i].dwElapsed) + ":" +
               std::to_string(s_readings[i].iPicture) + " ";
    return str;
}

TEST_F(Splash, FirstPictureStandsUntilTwoSecondsAndTheSecondUntilThree)
{
    StartClock(5000, 250, 0, true);
    ShowSplash();
    EXPECT_EQ(Timeline(), "250:1 500:1 750:1 1000:1 1250:1 1500:1 1750:1 2000:1 "
                          "2250:2 2500:2 2750:2 3000:2 ");

    // A slow first picture shortens the second: the end stays at 3 s.
    StartClock(5000, 250, 2500, true);
    ShowSplash();
    EXPECT_EQ(Timeline(), "2500:1 2750:2 3000:2 ");

    // The clock wraps to 0 during the showing.
    StartClock(0xFFFFFF00, 250, 0, true);
    ShowSplash();
    EXPECT_EQ(Timeline(), "250:1 500:1 750:1 1000:1 1250:1 1500:1 1750:1 2000:1 "
                          "2250:2 2500:2 2750:2 3000:2 ");
}

TEST_F(Splash, AMissingPictureIsLoggedAndTheLinesStandTheFullTime)
{
    // A folder with no textures of its own.
    char strHere[MAX_PATH];
    GetCurrentDirectoryA(MAX_PATH, strHere);
    CreateDirectoryA("nopicture", NULL);
    ASSERT_TRUE(SetCurrentDirectoryA("nopicture"));
    InitErrorLog();

    StartClock(5000, 250, 0, true);
    ShowSplash();
    std::vector<std::string> log = ReadLog();
    SetCurrentDirectoryA(strHere);

    ASSERT_EQ(log.size(), 2u);
    EXPECT_EQ(log[1], "Failed to load splash texture ");
    EXPECT_EQ(Timeline(), "250:1 500:1 750:1 1000:1 1250:1 1500:1 1750:1 2000:1 "
                          "2250:2 2500:2 2750:2 3000:2 ");
    ExpectLinesBeneathTheBand(s_lastShown[2]);
    EXPECT_EQ(m_pSplashVB, (IDirect3DVertexBuffer9*)NULL);
}

TEST_F(Splash, WithoutADeviceBothObjectsAreLoggedAndTheWaitStillRuns)
{
    LPDIRECT3DDEVICE9 pDevice = m_pDevice;
    m_pDevice = NULL;
    StartClock(5000, 500, 0, false);
    ShowSplash();
    m_pDevice = pDevice;

    std::vector<std::string> log = ReadLog();
    ASSERT_EQ(log.size(), 3u);
    EXPECT_EQ(log[1], "Failed to CreateVertexBuffer m_pSplashVB");
    EXPECT_EQ(log[2], "Failed to load splash texture ");
    EXPECT_EQ(s_readings.back().dwElapsed, 3000u);
}

TEST_F(Splash, IShowsItInTheGameScreenAndEscapeThenQuits)
{
    DrainQueue();
    m_siScreenMode = 2;
    for (int i = 0; i < 2; i++)
    {
        StartClock(5000, 500, 0, false);
        MsgProc(m_hWnd, WM_KEYDOWN, 'I', 0);
        MsgProc(m_hWnd, WM_KEYUP, 'I', 0);
        EXPECT_EQ(s_readings.back().dwElapsed, 3000u) << "showing " << i + 1;
        EXPECT_EQ(m_siScreenMode, 2);
        EXPECT_FALSE(DrainQueue());
    }

    m_siScreenMode = 0;
    StartClock(5000, 500, 0, false);
    MsgProc(m_hWnd, WM_KEYDOWN, 'I', 0);
    MsgProc(m_hWnd, WM_KEYUP, 'I', 0);
    EXPECT_TRUE(s_readings.empty()) << "I does nothing on the LOAD screen";
    MsgProc(m_hWnd, WM_KEYDOWN, VK_ESCAPE, 0);
    EXPECT_TRUE(s_readings.empty()) << "Escape there only goes to the game screen";
    EXPECT_FALSE(DrainQueue());

    MsgProc(m_hWnd, WM_KEYDOWN, VK_ESCAPE, 0);
    EXPECT_EQ(s_readings.back().dwElapsed, 3000u);
    EXPECT_TRUE(DrainQueue());
    m_iKeysDown = 0;
    m_bKeyDown = false;
}
