// The glyph-atlas font. GDI paints the printable characters once, white on black, into a
// bitmap whose coverage becomes the alpha of a 16-bit texture; strings are then drawn as
// batches of quads from one dynamic buffer, between two state blocks that keep the
// caller's states intact.
#include "app/textfont.h"

#include <cmath>
#include <cstring>

#include "app/d3dservices.h"

static const int FIRST_CHAR = 32;
static const int LAST_CHAR = 126;               // 127 is never painted
static const DWORD MAX_VERTICES = 300;          // 50 glyphs of six vertices
static const DWORD START_ATLAS_SIZE = 128;
static const DWORD MAX_ATLAS_SIZE = 0x10000;    // ends the doubling should the glyphs never fit

TextureFont::TextureFont(const char* face, DWORD dwPointSize, DWORD dwStyle)
{
    strncpy(m_cFaceName, face ? face : "", sizeof(m_cFaceName) - 1);
    m_cFaceName[sizeof(m_cFaceName) - 1] = 0;
    m_dwPointSize = dwPointSize;
    m_dwStyle = dwStyle;
    m_pFontDevice = NULL;
    m_pAtlas = NULL;
    m_pGlyphVB = NULL;
    m_dwAtlasWidth = 0;
    m_dwAtlasHeight = 0;
    m_fGlyphScale = 1.0f;
    memset(m_fGlyphRect, 0, sizeof(m_fGlyphRect));
    m_dwMargin = 0;
    m_pSavedStates = NULL;
    m_pTextStates = NULL;
    m_dwLastBatches = 0;
}

TextureFont::~TextureFont()
{
    InvalidateDeviceResources();
    DeleteDeviceResources();
}

HRESULT TextureFont::CreateRasterFont(HDC hDC, HFONT* phFont)
{
    *phFont = NULL;
    int iPixelsPerInch = (int)(GetDeviceCaps(hDC, LOGPIXELSY) * m_fGlyphScale);
    // Negative: GDI matches the character height, not the cell height.
    int iHeight = -MulDiv((int)m_dwPointSize, iPixelsPerInch, 72);
    // Height 0 would give GDI's default size, which no further shrinking could change.
    if (iHeight == 0)
        return E_FAIL;
    *phFont = CreateFontA(iHeight, 0, 0, 0, (m_dwStyle & FONT_BOLD) ? FW_BOLD : FW_NORMAL,
                          (m_dwStyle & FONT_ITALIC) ? TRUE : FALSE, FALSE, FALSE,
                          DEFAULT_CHARSET, OUT_DEFAULT_PRECIS, CLIP_DEFAULT_PRECIS,
                          ANTIALIASED_QUALITY, VARIABLE_PITCH, m_cFaceName);
    return *phFont != NULL ? S_OK : E_FAIL;
}

// Lays the characters out in rows over the atlas size set; with bMeasureOnly it only tells
// whether they fit (D3DERR_MOREDATA when not).
HRESULT TextureFont::PaintGlyphs(HDC hDC, bool bMeasureOnly)
{
    char str[2] = "x";
    SIZE size;
    if (!GetTextExtentPoint32A(hDC, str, 1, &size))
        return E_FAIL;
    // Room for antialiased edges and overhangs on either side of each glyph.
    m_dwMargin = (DWORD)ceil(size.cy * (double)0.3f);

    DWORD x = m_dwMargin;
    DWORD y = 0;
    for (int c = FIRST_CHAR; c <= LAST_CHAR; c++)
    {
        str[0] = (char)c;
        if (!GetTextExtentPoint32A(hDC, str, 1, &size))
            return E_FAIL;
        DWORD cx = (DWORD)size.cx;
        DWORD cy = (DWORD)size.cy;
        if (x + cx + m_dwMargin > m_dwAtlasWidth)
        {
            x = m_dwMargin;
            y += cy + 1;
        }
        if (y + cy > m_dwAtlasHeight)
            return D3DERR_MOREDATA;
        // A glyph wider than a whole row would be cut.
        if (x + cx + m_dwMargin > m_dwAtlasWidth)
            return D3DERR_MOREDATA;
        if (!bMeasureOnly)
        {
            if (!ExtTextOutA(hDC, (int)x, (int)y, ETO_OPAQUE, NULL, str, 1, NULL))
                return E_FAIL;
            float* pRect = m_fGlyphRect[c - FIRST_CHAR];
            pRect[0] = (float)(x - m_dwMargin) / (float)m_dwAtlasWidth;
            pRect[1] = (float)y / (float)m_dwAtlasHeight;
            pRect[2] = (float)(x + cx + m_dwMargin) / (float)m_dwAtlasWidth;
            pRect[3] = (float)(y + cy) / (float)m_dwAtlasHeight;
        }
        x += cx + 2 * m_dwMargin;
    }
    return S_OK;
}

// Grows the atlas in powers of two until the glyphs fit; past the device's largest texture
// the atlas stays at that size and the font shrinks instead.
HRESULT TextureFont::FitAtlas(HDC hDC, HFONT* phFont, HFONT hOldFont)
{
    m_dwAtlasWidth = m_dwAtlasHeight = START_ATLAS_SIZE;
    HRESULT hr;
    while ((hr = PaintGlyphs(hDC, true)) == D3DERR_MOREDATA && m_dwAtlasWidth < MAX_ATLAS_SIZE)
    {
        m_dwAtlasWidth *= 2;
        m_dwAtlasHeight *= 2;
    }
    if (FAILED(hr) && hr != D3DERR_MOREDATA)
        return hr;

    D3DCAPS9 caps;
    hr = m_pFontDevice->GetDeviceCaps(&caps);
    if (FAILED(hr))
        return hr;
    if (m_dwAtlasWidth <= caps.MaxTextureWidth)
        return hr == D3DERR_MOREDATA ? E_FAIL : S_OK;

    m_fGlyphScale = (float)caps.MaxTextureWidth / (float)m_dwAtlasWidth;
    m_dwAtlasWidth = m_dwAtlasHeight = caps.MaxTextureWidth;
    bool bFirstPass = true;
    do
    {
        if (!bFirstPass)
            m_fGlyphScale *= 0.9f;
        bFirstPass = false;
        SelectObject(hDC, hOldFont);
        DeleteObject(*phFont);
        hr = CreateRasterFont(hDC, phFont);
        if (FAILED(hr))
            return hr;
        SelectObject(hDC, *phFont);
        hr = PaintGlyphs(hDC, true);
    } while (hr == D3DERR_MOREDATA);
    return hr;
}

// GDI leaves the alpha byte 0, so the coverage comes from the colour: white glyphs whose
// alpha is the coverage in 16 levels, transparent black elsewhere.
HRESULT TextureFont::CopyGlyphsToAtlas(const DWORD* pBits)
{
    D3DLOCKED_RECT lr;
    HRESULT hr = m_pAtlas->LockRect(0, &lr, NULL, 0);
    if (FAILED(hr))
        return hr;
    BYTE* pRow = (BYTE*)lr.pBits;
    for (DWORD y = 0; y < m_dwAtlasHeight; y++, pRow += lr.Pitch)
    {
        WORD* pTexel = (WORD*)pRow;
        const DWORD* pPixel = pBits + y * m_dwAtlasWidth;
        for (DWORD x = 0; x < m_dwAtlasWidth; x++)
        {
            WORD a = (WORD)((pPixel[x] & 0xFF) >> 4);
            pTexel[x] = a > 0 ? (WORD)((a << 12) | 0x0FFF) : 0;
        }
    }
    m_pAtlas->UnlockRect(0);
    return S_OK;
}

HRESULT TextureFont::CreateDeviceResources(IDirect3DDevice9* pDevice)
{
    if (pDevice == NULL)
        return E_FAIL;
    DeleteDeviceResources();
    m_pFontDevice = pDevice;
    m_fGlyphScale = 1.0f;
    memset(m_fGlyphRect, 0, sizeof(m_fGlyphRect));

    HDC hDC = CreateCompatibleDC(NULL);
    if (hDC == NULL)
        return E_FAIL;
    SetMapMode(hDC, MM_TEXT);

    HFONT hFont = NULL;
    HGDIOBJ hOldFont = NULL;
    HBITMAP hBitmap = NULL;
    HGDIOBJ hOldBitmap = NULL;
    DWORD* pBits = NULL;

    HRESULT hr = CreateRasterFont(hDC, &hFont);
    if (SUCCEEDED(hr))
    {
        hOldFont = SelectObject(hDC, hFont);
        hr = FitAtlas(hDC, &hFont, (HFONT)hOldFont);
    }
    if (SUCCEEDED(hr))
        hr = pDevice->CreateTexture(m_dwAtlasWidth, m_dwAtlasHeight, 1, 0, D3DFMT_A4R4G4B4,
                                    D3DPOOL_MANAGED, &m_pAtlas, NULL);
    if (SUCCEEDED(hr))
    {
        BITMAPINFO bmi;
        ZeroMemory(&bmi, sizeof(bmi));
        bmi.bmiHeader.biSize = sizeof(BITMAPINFOHEADER);
        bmi.bmiHeader.biWidth = (LONG)m_dwAtlasWidth;
        bmi.bmiHeader.biHeight = -(LONG)m_dwAtlasHeight;   // top-down
        bmi.bmiHeader.biPlanes = 1;
        bmi.bmiHeader.biBitCount = 32;
        bmi.bmiHeader.biCompression = BI_RGB;
        hBitmap = CreateDIBSection(hDC, &bmi, DIB_RGB_COLORS, (void**)&pBits, NULL, 0);
        if (hBitmap == NULL)
            hr = E_FAIL;
    }
    if (SUCCEEDED(hr))
    {
        hOldBitmap = SelectObject(hDC, hBitmap);
        SetTextColor(hDC, RGB(255, 255, 255));
        SetBkColor(hDC, 0x00000000);
        SetTextAlign(hDC, TA_TOP);
        hr = PaintGlyphs(hDC, false);
    }
    if (SUCCEEDED(hr))
    {
        GdiFlush();
        hr = CopyGlyphsToAtlas(pBits);
    }

    // Every path frees its GDI objects.
    if (hOldBitmap != NULL)
        SelectObject(hDC, hOldBitmap);
    if (hOldFont != NULL)
        SelectObject(hDC, hOldFont);
    if (hBitmap != NULL)
        DeleteObject(hBitmap);
    if (hFont != NULL)
        DeleteObject(hFont);
    DeleteDC(hDC);
    return hr;
}

HRESULT TextureFont::DeleteDeviceResources()
{
    ReleaseAndClear(m_pAtlas);
    m_pFontDevice = NULL;
    return S_OK;
}

// Blending is assumed unless the render target's format plainly refuses it.
bool TextureFont::CanBlendAlpha()
{
    bool bBlend = true;
    IDirect3D9* pD3D = NULL;
    IDirect3DSurface9* pTarget = NULL;
    D3DCAPS9 caps;
    D3DDISPLAYMODE mode;
    D3DSURFACE_DESC desc;
    if (SUCCEEDED(m_pFontDevice->GetDirect3D(&pD3D)) &&
        SUCCEEDED(m_pFontDevice->GetDeviceCaps(&caps)) &&
        SUCCEEDED(m_pFontDevice->GetDisplayMode(0, &mode)) &&
        SUCCEEDED(m_pFontDevice->GetRenderTarget(0, &pTarget)) &&
        SUCCEEDED(pTarget->GetDesc(&desc)) &&
        FAILED(pD3D->CheckDeviceFormat(caps.AdapterOrdinal, caps.DeviceType, mode.Format,
                                       D3DUSAGE_RENDERTARGET |
                                           D3DUSAGE_QUERY_POSTPIXELSHADER_BLENDING,
                                       D3DRTYPE_SURFACE, desc.Format)))
        bBlend = false;
    ReleaseAndClear(pTarget);
    ReleaseAndClear(pD3D);
    return bBlend;
}

// The font's drawing states; recorded twice, once to save the caller's values of exactly
// these states and once to apply the font's.
void TextureFont::RecordTextStates(bool bBlend)
{
    IDirect3DDevice9* d = m_pFontDevice;
    d->SetTexture(0, m_pAtlas);
    d->SetRenderState(D3DRS_ZENABLE, (m_dwStyle & FONT_ZENABLE) ? TRUE : FALSE);
    d->SetRenderState(D3DRS_ALPHABLENDENABLE, bBlend ? TRUE : FALSE);
    if (bBlend)
    {
        d->SetRenderState(D3DRS_SRCBLEND, D3DBLEND_SRCALPHA);
        d->SetRenderState(D3DRS_DESTBLEND, D3DBLEND_INVSRCALPHA);
    }
    d->SetRenderState(D3DRS_ALPHATESTENABLE, TRUE);
    d->SetRenderState(D3DRS_ALPHAREF, 0x08);
    d->SetRenderState(D3DRS_ALPHAFUNC, D3DCMP_GREATEREQUAL);
    d->SetRenderState(D3DRS_FILLMODE, D3DFILL_SOLID);
    d->SetRenderState(D3DRS_CULLMODE, D3DCULL_CCW);
    d->SetRenderState(D3DRS_STENCILENABLE, FALSE);
    d->SetRenderState(D3DRS_CLIPPING, TRUE);
    d->SetRenderState(D3DRS_CLIPPLANEENABLE, 0);
    d->SetRenderState(D3DRS_VERTEXBLEND, D3DVBF_DISABLE);
    d->SetRenderState(D3DRS_INDEXEDVERTEXBLENDENABLE, FALSE);
    d->SetRenderState(D3DRS_FOGENABLE, FALSE);
    d->SetRenderState(D3DRS_COLORWRITEENABLE, D3DCOLORWRITEENABLE_RED | D3DCOLORWRITEENABLE_GREEN |
                                                  D3DCOLORWRITEENABLE_BLUE |
                                                  D3DCOLORWRITEENABLE_ALPHA);
    d->SetTextureStageState(0, D3DTSS_COLOROP, D3DTOP_MODULATE);
    d->SetTextureStageState(0, D3DTSS_COLORARG1, D3DTA_TEXTURE);
    d->SetTextureStageState(0, D3DTSS_COLORARG2, D3DTA_DIFFUSE);
    d->SetTextureStageState(0, D3DTSS_ALPHAOP, D3DTOP_MODULATE);
    d->SetTextureStageState(0, D3DTSS_ALPHAARG1, D3DTA_TEXTURE);
    d->SetTextureStageState(0, D3DTSS_ALPHAARG2, D3DTA_DIFFUSE);
    d->SetTextureStageState(0, D3DTSS_TEXCOORDINDEX, 0);
    d->SetTextureStageState(0, D3DTSS_TEXTURETRANSFORMFLAGS, D3DTTFF_DISABLE);
    d->SetTextureStageState(1, D3DTSS_COLOROP, D3DTOP_DISABLE);
    d->SetTextureStageState(1, D3DTSS_ALPHAOP, D3DTOP_DISABLE);
    d->SetSamplerState(0, D3DSAMP_MINFILTER, D3DTEXF_POINT);
    d->SetSamplerState(0, D3DSAMP_MAGFILTER, D3DTEXF_POINT);
    d->SetSamplerState(0, D3DSAMP_MIPFILTER, D3DTEXF_NONE);
}

HRESULT TextureFont::RestoreDeviceResources()
{
    if (m_pFontDevice == NULL)
        return E_FAIL;
    InvalidateDeviceResources();
    // Sized for the larger layout: world text's vertices.
    HRESULT hr = m_pFontDevice->CreateVertexBuffer(MAX_VERTICES * sizeof(MeshVertex),
                                                   D3DUSAGE_WRITEONLY | D3DUSAGE_DYNAMIC, 0,
                                                   D3DPOOL_DEFAULT, &m_pGlyphVB, NULL);
    if (FAILED(hr))
        return hr;

    bool bBlend = CanBlendAlpha();
    m_pFontDevice->BeginStateBlock();
    RecordTextStates(bBlend);
    m_pFontDevice->EndStateBlock(&m_pSavedStates);
    m_pFontDevice->BeginStateBlock();
    RecordTextStates(bBlend);
    m_pFontDevice->EndStateBlock(&m_pTextStates);
    return S_OK;
}

HRESULT TextureFont::InvalidateDeviceResources()
{
    ReleaseAndClear(m_pGlyphVB);
    ReleaseAndClear(m_pSavedStates);
    ReleaseAndClear(m_pTextStates);
    return S_OK;
}

float TextureFont::GlyphWidth(const float* pRect) const
{
    return (pRect[2] - pRect[0]) * (float)m_dwAtlasWidth / m_fGlyphScale;
}

float TextureFont::GlyphHeight(const float* pRect) const
{
    return (pRect[3] - pRect[1]) * (float)m_dwAtlasHeight / m_fGlyphScale;
}

// The blank's cell height, in screen pixels like the glyphs.
float TextureFont::LineHeight() const
{
    return GlyphHeight(m_fGlyphRect[' ' - FIRST_CHAR]);
}

static bool IsPrintable(char c)
{
    // char is signed: codes from 128 up are negative and fail here too.
    return c >= FIRST_CHAR && c <= LAST_CHAR;
}

float TextureFont::FirstLineWidth(const char* text) const
{
    float fWidth = 0.0f;
    for (const char* p = text; *p != 0 && *p != '\n'; p++)
        if (IsPrintable(*p))
            fWidth += GlyphWidth(m_fGlyphRect[*p - FIRST_CHAR]) - 2.0f * (float)m_dwMargin;
    return fWidth;
}

HRESULT TextureFont::MeasureText(const char* text, SIZE* pSize) const
{
    if (text == NULL || pSize == NULL || m_pFontDevice == NULL)
        return E_FAIL;
    float fRow = 0.0f, fWidth = 0.0f;
    int iLines = 1;
    for (const char* p = text; *p != 0; p++)
    {
        if (*p == '\n')
        {
            fRow = 0.0f;
            iLines++;
        }
        if (!IsPrintable(*p))
            continue;
        fRow += GlyphWidth(m_fGlyphRect[*p - FIRST_CHAR]) - 2.0f * (float)m_dwMargin;
        if (fRow > fWidth)
            fWidth = fRow;
    }
    // Rounded: the cells' sums come back from texture coordinates a hair off whole pixels.
    pSize->cx = lroundf(fWidth);
    pSize->cy = lroundf((float)iLines * LineHeight());
    return S_OK;
}

// Draws the full buffer and opens it again, discarded, for the next batch.
HRESULT TextureFont::FlushBatch(void** ppVertices, DWORD* pdwTriangles)
{
    m_pGlyphVB->Unlock();
    m_pFontDevice->DrawPrimitive(D3DPT_TRIANGLELIST, 0, *pdwTriangles);
    m_dwLastBatches++;
    *pdwTriangles = 0;
    *ppVertices = LockWholeBuffer(m_pGlyphVB, D3DLOCK_DISCARD);
    return *ppVertices != NULL ? S_OK : E_FAIL;
}

// Closes the buffer and draws what the last batch holds.
void TextureFont::DrawLastBatch(DWORD dwTriangles)
{
    m_pGlyphVB->Unlock();
    if (dwTriangles == 0)
        return;
    m_pFontDevice->DrawPrimitive(D3DPT_TRIANGLELIST, 0, dwTriangles);
    m_dwLastBatches++;
}

// True when a glyph of iVertices more no longer fits the buffer.
static bool BatchFull(DWORD dwTriangles, DWORD dwVertices)
{
    return dwTriangles * 3 + dwVertices > MAX_VERTICES;
}

// Saves the caller's states and sets the font's, with the layout of the text to come.
void TextureFont::BeginDrawing(DWORD dwFVF, UINT uStride, DWORD dwFlags)
{
    m_pSavedStates->Capture();
    m_pTextStates->Apply();
    m_pFontDevice->SetFVF(dwFVF);
    m_pFontDevice->SetPixelShader(NULL);
    m_pFontDevice->SetStreamSource(0, m_pGlyphVB, 0, uStride);
    if (dwFlags & FONT_FILTERED)
    {
        m_pFontDevice->SetSamplerState(0, D3DSAMP_MINFILTER, D3DTEXF_LINEAR);
        m_pFontDevice->SetSamplerState(0, D3DSAMP_MAGFILTER, D3DTEXF_LINEAR);
    }
}

static inline ScreenVertex MakeScreenVertex(float x, float y, float z, DWORD dwColour, float u,
                                            float v)
{
    ScreenVertex vertex = {x, y, z, 1.0f, dwColour, u, v};
    return vertex;
}

static inline MeshVertex MakeMeshVertex(float x, float y, float nz, float u, float v)
{
    MeshVertex vertex = {x, y, 0.0f, 0.0f, 0.0f, nz, u, v};
    return vertex;
}

// The glyph quads of text from (x, y) in screen pixels, each glyph fScaleX wide and fScaleY
// high against its atlas cell; inside BeginDrawing.
HRESULT TextureFont::DrawScreenQuads(float x, float y, float z, float fScaleX, float fScaleY,
                                     DWORD dwColour, const char* text)
{
    float fLineHeight = LineHeight() * fScaleY;
    float fMargin = (float)m_dwMargin * fScaleX;
    // Each quad spans its glyph's cell with both margins, so the pixels start at x.
    x -= fMargin;
    float fLineStart = x;

    DWORD dwTriangles = 0;
    ScreenVertex* pV = (ScreenVertex*)LockWholeBuffer(m_pGlyphVB, D3DLOCK_DISCARD);
    HRESULT hr = pV != NULL ? S_OK : E_FAIL;
    for (const char* p = text; SUCCEEDED(hr) && *p != 0; p++)
    {
        char c = *p;
        if (c == '\n')
        {
            x = fLineStart;
            y += fLineHeight;
        }
        if (!IsPrintable(c))
            continue;

        const float* r = m_fGlyphRect[c - FIRST_CHAR];
        float w = GlyphWidth(r) * fScaleX;
        float h = GlyphHeight(r) * fScaleY;
        if (c != ' ')
        {
            // Half a pixel up and left puts the texels on the pixel centres.
            float fLeft = x - 0.5f, fTop = y - 0.5f;
            float fRight = x + w - 0.5f, fBottom = y + h - 0.5f;
            *pV++ = MakeScreenVertex(fLeft, fBottom, z, dwColour, r[0], r[3]);
            *pV++ = MakeScreenVertex(fLeft, fTop, z, dwColour, r[0], r[1]);
            *pV++ = MakeScreenVertex(fRight, fBottom, z, dwColour, r[2], r[3]);
            *pV++ = MakeScreenVertex(fRight, fTop, z, dwColour, r[2], r[1]);
            *pV++ = MakeScreenVertex(fRight, fBottom, z, dwColour, r[2], r[3]);
            *pV++ = MakeScreenVertex(fLeft, fTop, z, dwColour, r[0], r[1]);
            dwTriangles += 2;
            if (BatchFull(dwTriangles, 6))
                hr = FlushBatch((void**)&pV, &dwTriangles);
        }
        x += w - 2.0f * fMargin;
    }
    if (SUCCEEDED(hr))
        DrawLastBatch(dwTriangles);
    return hr;
}

bool TextureFont::CanDraw(const char* text) const
{
    return m_pFontDevice != NULL && m_pGlyphVB != NULL && m_pSavedStates != NULL &&
           m_pTextStates != NULL && text != NULL;
}

HRESULT TextureFont::DrawScreenText(float x, float y, DWORD dwColour, const char* text,
                                    DWORD dwFlags)
{
    m_dwLastBatches = 0;
    if (!CanDraw(text))
        return E_FAIL;
    BeginDrawing(FVF_SCREENVERTEX, sizeof(ScreenVertex), dwFlags);
    if (dwFlags & (FONT_CENTERED_X | FONT_CENTERED_Y))
    {
        D3DVIEWPORT9 vp;
        m_pFontDevice->GetViewport(&vp);
        if (dwFlags & FONT_CENTERED_X)
            x = ((float)vp.Width - FirstLineWidth(text)) / 2.0f;
        if (dwFlags & FONT_CENTERED_Y)
            y = ((float)vp.Height - LineHeight()) / 2.0f;
    }
    HRESULT hr = DrawScreenQuads(x, y, 0.9f, 1.0f, 1.0f, dwColour, text);
    // The caller's values of every recorded state come back, the filters included.
    m_pSavedStates->Apply();
    return hr;
}

HRESULT TextureFont::DrawViewportText(float x, float y, float z, float fXScale, float fYScale,
                                      DWORD dwColour, const char* text, DWORD dwFlags)
{
    m_dwLastBatches = 0;
    if (!CanDraw(text))
        return E_FAIL;
    D3DVIEWPORT9 vp;
    m_pFontDevice->GetViewport(&vp);
    // Both scales are fractions of the viewport's height, so glyphs keep their shape.
    float fScaleX = fXScale * (float)vp.Height / LineHeight();
    float fScaleY = fYScale * (float)vp.Height / LineHeight();
    float fX = (float)vp.X + x * (float)vp.Width;
    float fY = (float)vp.Y + y * (float)vp.Height;
    if (dwFlags & FONT_CENTERED_X)
        fX = (float)vp.X + ((float)vp.Width - FirstLineWidth(text) * fScaleX) / 2.0f;
    if (dwFlags & FONT_CENTERED_Y)
        fY = (float)vp.Y + ((float)vp.Height - LineHeight() * fScaleY) / 2.0f;

    BeginDrawing(FVF_SCREENVERTEX, sizeof(ScreenVertex), dwFlags);
    HRESULT hr = DrawScreenQuads(fX, fY, z, fScaleX, fScaleY, dwColour, text);
    m_pSavedStates->Apply();
    return hr;
}

// One glyph's quad facing -z; two-sided, a second facing +z, wound the other way so that
// culling keeps exactly one of them from any side.
static MeshVertex* AppendWorldGlyph(MeshVertex* pV, float x, float y, float w, float h,
                                    const float* r, bool bTwoSided)
{
    *pV++ = MakeMeshVertex(x, y - h, -1.0f, r[0], r[3]);
    *pV++ = MakeMeshVertex(x, y, -1.0f, r[0], r[1]);
    *pV++ = MakeMeshVertex(x + w, y - h, -1.0f, r[2], r[3]);
    *pV++ = MakeMeshVertex(x + w, y, -1.0f, r[2], r[1]);
    *pV++ = MakeMeshVertex(x + w, y - h, -1.0f, r[2], r[3]);
    *pV++ = MakeMeshVertex(x, y, -1.0f, r[0], r[1]);
    if (!bTwoSided)
        return pV;
    *pV++ = MakeMeshVertex(x, y - h, 1.0f, r[0], r[3]);
    *pV++ = MakeMeshVertex(x + w, y - h, 1.0f, r[2], r[3]);
    *pV++ = MakeMeshVertex(x, y, 1.0f, r[0], r[1]);
    *pV++ = MakeMeshVertex(x + w, y, 1.0f, r[2], r[1]);
    *pV++ = MakeMeshVertex(x, y, 1.0f, r[0], r[1]);
    *pV++ = MakeMeshVertex(x + w, y - h, 1.0f, r[2], r[3]);
    return pV;
}

HRESULT TextureFont::DrawWorldText(const char* text, DWORD dwFlags)
{
    m_dwLastBatches = 0;
    if (!CanDraw(text))
        return E_FAIL;
    const float fPixelsPerUnit = 10.0f;
    float x = 0.0f, y = 0.0f;
    SIZE size;
    if ((dwFlags & (FONT_CENTERED_X | FONT_CENTERED_Y)) && SUCCEEDED(MeasureText(text, &size)))
    {
        if (dwFlags & FONT_CENTERED_X)
            x = -(float)size.cx / fPixelsPerUnit / 2.0f;
        if (dwFlags & FONT_CENTERED_Y)
            y = (float)size.cy / fPixelsPerUnit / 2.0f;
    }
    float fMargin = (float)m_dwMargin / fPixelsPerUnit;
    float fLineHeight = LineHeight() / fPixelsPerUnit;
    bool bTwoSided = (dwFlags & FONT_TWO_SIDED) != 0;
    DWORD dwGlyphVertices = bTwoSided ? 12 : 6;
    x -= fMargin;
    float fLineStart = x;

    BeginDrawing(FVF_MESHVERTEX, sizeof(MeshVertex), dwFlags);
    DWORD dwTriangles = 0;
    MeshVertex* pV = (MeshVertex*)LockWholeBuffer(m_pGlyphVB, D3DLOCK_DISCARD);
    HRESULT hr = pV != NULL ? S_OK : E_FAIL;
    for (const char* p = text; SUCCEEDED(hr) && *p != 0; p++)
    {
        char c = *p;
        if (c == '\n')
        {
            x = fLineStart;
            y -= fLineHeight;
        }
        if (!IsPrintable(c))
            continue;
        const float* r = m_fGlyphRect[c - FIRST_CHAR];
        float w = GlyphWidth(r) / fPixelsPerUnit;
        float h = GlyphHeight(r) / fPixelsPerUnit;
        if (c != ' ')
        {
            pV = AppendWorldGlyph(pV, x, y, w, h, r, bTwoSided);
            dwTriangles += dwGlyphVertices / 3;
            if (BatchFull(dwTriangles, dwGlyphVertices))
                hr = FlushBatch((void**)&pV, &dwTriangles);
        }
        x += w - 2.0f * fMargin;
    }
    if (SUCCEEDED(hr))
        DrawLastBatch(dwTriangles);
    m_pSavedStates->Apply();
    return hr;
}
