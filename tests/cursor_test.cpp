// The software cursor: a 32 x 32 quad on the pointer showing the texture's top-left 70 %,
// drawn blended; a missing texture is logged and the program carries on.
#include "support/devicefixture.h"
#include "support/readback.h"

#include <string>

#include "app/cursor.h"
#include "app/d3dservices.h"
#include "app/log.h"

static const DWORD BACKGROUND = 0xFF000080;

static bool IsBackground(DWORD c) { return c == BACKGROUND; }
static bool IsRed(DWORD c) { return c == 0xFFFF0000; }
static bool IsGreen(DWORD c) { return (c & 0x0000FF00) > 0x00008000; }

// 64 x 64 texels: the left 22 columns transparent, the rest of the top-left 45 x 45 opaque
// red, and opaque green beyond, where the cursor must never sample. The last row and column
// are transparent too: the quad's first pixels sample on the texture's edge, where the
// coordinates may wrap.
static IDirect3DTexture9* MakePatternTexture()
{
    IDirect3DTexture9* pTexture = NULL;
    if (FAILED(m_pDevice->CreateTexture(64, 64, 1, 0, D3DFMT_A8R8G8B8, D3DPOOL_MANAGED,
                                        &pTexture, NULL)))
        return NULL;
    D3DLOCKED_RECT lr;
    pTexture->LockRect(0, &lr, NULL, 0);
    for (int y = 0; y < 64; y++)
        for (int x = 0; x < 64; x++)
        {
            DWORD c = (x < 45 && y < 45) ? (x < 22 ? 0x00FF0000 : 0xFFFF0000) : 0xFF00FF00;
            if (x == 63 || y == 63)
                c = 0;
            ((DWORD*)((BYTE*)lr.pBits + y * lr.Pitch))[x] = c;
        }
    pTexture->UnlockRect(0);
    return pTexture;
}

class Cursor : public DeviceTest
{
protected:
    void TearDown() override { ReleaseCursor(); }

    std::vector<DWORD> DrawCursor()
    {
        m_pDevice->Clear(0, NULL, D3DCLEAR_TARGET | D3DCLEAR_ZBUFFER, BACKGROUND, 1.0f, 0);
        m_pDevice->BeginScene();
        RenderCursor();
        m_pDevice->EndScene();
        return ReadBackBuffer(&m_iWidth, &m_iHeight);
    }

    // The cursor quad at (px, py), drawn with the pattern texture, is exactly 32 x 32, shows
    // the pattern's transparent and red parts and never its green.
    void ExpectPatternQuadAt(const std::vector<DWORD>& px, int x, int y)
    {
        int w = m_iWidth;
        EXPECT_EQ(CountPixels(px, w, 0, 0, w, m_iHeight, IsGreen), 0);
        // The first row and column sample on the texture's edge; see the pattern.
        EXPECT_EQ(CountPixels(px, w, x + 17, y + 1, x + 32, y + 32, IsRed), 15 * 31);
        EXPECT_EQ(CountPixels(px, w, x, y, x + 14, y + 32, IsBackground), 14 * 32);
        EXPECT_EQ(CountPixels(px, w, 0, 0, w, m_iHeight, IsRed),
                  CountPixels(px, w, x, y, x + 32, y + 32, IsRed));
    }

    int m_iWidth = 0;
    int m_iHeight = 0;
};

TEST_F(Cursor, LoadsItsTextureAndDrawsItOnThePointerOnly)
{
    MovePointer(400, 300);
    ASSERT_EQ(InitCursor(), 0);
    ASSERT_NE(m_pCursorTexture, (IDirect3DTexture9*)NULL);
    std::vector<DWORD> px = DrawCursor();
    int iAll = CountPixels(px, m_iWidth, 0, 0, m_iWidth, m_iHeight,
                           [](DWORD c) { return c != BACKGROUND; });
    EXPECT_GT(iAll, 20);
    EXPECT_EQ(CountPixels(px, m_iWidth, 400, 300, 432, 332, [](DWORD c) { return c != BACKGROUND; }),
              iAll);
}

TEST_F(Cursor, ShowsTheTexturesTopLeftOnA32PixelSquareThatFollowsThePointer)
{
    // A pointer resting at the origin from the start is drawn in the first frame too.
    MovePointer(0, 0);
    ASSERT_EQ(InitCursor(), 0);
    m_pCursorTexture->Release();
    m_pCursorTexture = MakePatternTexture();
    ASSERT_NE(m_pCursorTexture, (IDirect3DTexture9*)NULL);

    ExpectPatternQuadAt(DrawCursor(), 0, 0);
    MovePointer(100, 50);
    ExpectPatternQuadAt(DrawCursor(), 100, 50);
    MovePointer(700, 500);
    ExpectPatternQuadAt(DrawCursor(), 700, 500);
    // Drawn again at rest: the same quad.
    ExpectPatternQuadAt(DrawCursor(), 700, 500);

    DWORD dwBlend = TRUE;
    m_pDevice->GetRenderState(D3DRS_ALPHABLENDENABLE, &dwBlend);
    EXPECT_EQ(dwBlend, (DWORD)FALSE);
}

TEST_F(Cursor, AMissingTextureIsLoggedAndTheQuadStillDrawn)
{
    // The test's savegame folder has no textures folder beside it.
    ASSERT_TRUE(SetCurrentDirectoryA("savegame"));
    InitErrorLog();
    HRESULT hr = InitCursor();
    std::vector<std::string> lines = ReadLog();
    DeleteFileA("ZANerrors.log");
    SetCurrentDirectoryA("..");

    EXPECT_EQ(hr, E_FAIL);
    std::vector<std::string> expected = {"ZANerrors.log started ",
                                         "Failed to load texture zancursor.dds "};
    EXPECT_EQ(lines, expected);
    EXPECT_EQ(m_pCursorTexture, (IDirect3DTexture9*)NULL);

    MovePointer(200, 200);
    std::vector<DWORD> px = DrawCursor();
    int iAll = CountPixels(px, m_iWidth, 0, 0, m_iWidth, m_iHeight,
                           [](DWORD c) { return c != BACKGROUND; });
    EXPECT_EQ(CountPixels(px, m_iWidth, 200, 200, 232, 232, [](DWORD c) { return c != BACKGROUND; }),
              iAll);
}

TEST_F(Cursor, ReleasingTwiceOrDrawingAfterReleaseIsHarmless)
{
    ReleaseCursor();
    ASSERT_EQ(InitCursor(), 0);
    ReleaseCursor();
    EXPECT_EQ(m_pCursorVB, (IDirect3DVertexBuffer9*)NULL);
    EXPECT_EQ(m_pCursorTexture, (IDirect3DTexture9*)NULL);
    ReleaseCursor();
    MovePointer(300, 300);
    std::vector<DWORD> px = DrawCursor();
    EXPECT_EQ(CountPixels(px, m_iWidth, 0, 0, m_iWidth, m_iHeight, IsBackground),
              m_iWidth * m_iHeight);
}
