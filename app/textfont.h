// The glyph-atlas font: the printable characters rasterised once through GDI into one
// texture, then drawn as screen-space quads with the font's own states.
// needs: app/d3dservices
#pragma once

#include <windows.h>
#include <d3d9.h>

// Style flags of the constructor.
const DWORD FONT_BOLD = 1;
const DWORD FONT_ITALIC = 2;
const DWORD FONT_ZENABLE = 4;   // depth test while drawing

// Drawing flags of DrawScreenText.
const DWORD FONT_CENTERED_X = 1;   // centre the first line horizontally in the viewport
const DWORD FONT_CENTERED_Y = 2;   // centre one line vertically in the viewport
const DWORD FONT_TWO_SIDED = 4;    // world text only: the back faces are drawn too
const DWORD FONT_FILTERED = 8;     // linear filtering of the glyphs

// A pre-transformed, coloured, textured vertex.
struct ScreenVertex
{
    float x, y, z, rhw;
    DWORD colour;
    float u, v;
};
static_assert(sizeof(ScreenVertex) == 28, "ScreenVertex is 28 bytes");
const DWORD FVF_SCREENVERTEX = D3DFVF_XYZRHW | D3DFVF_DIFFUSE | D3DFVF_TEX1;

// A lit, textured vertex in world space, for text placed in the scene.
struct MeshVertex
{
    float x, y, z;
    float nx, ny, nz;
    float u, v;
};
static_assert(sizeof(MeshVertex) == 32, "MeshVertex is 32 bytes");
const DWORD FVF_MESHVERTEX = D3DFVF_XYZ | D3DFVF_NORMAL | D3DFVF_TEX1;

class TextureFont
{
public:
    TextureFont(const char* face, DWORD dwPointSize, DWORD dwStyle);
    ~TextureFont();

    // The managed atlas: made for a device, released with the device forgotten.
    HRESULT CreateDeviceResources(IDirect3DDevice9* pDevice);
    HRESULT DeleteDeviceResources();
    // The default-pool vertex buffer and the two state blocks.
    HRESULT RestoreDeviceResources();
    HRESULT InvalidateDeviceResources();

    // Draws text with its first cell's top-left corner at (x, y) pixels; call inside a scene.
    HRESULT DrawScreenText(float x, float y, DWORD dwColour, const char* text, DWORD dwFlags);

    // Width of the widest line and height of all lines of text, in screen pixels.
    HRESULT MeasureText(const char* text, SIZE* pSize) const;

    // Text at (x, y) in fractions of the viewport's width and height from its top left; a
    // glyph's height is fYScale of the viewport's height and its width grows with fXScale.
    HRESULT DrawViewportText(float x, float y, float z, float fXScale, float fYScale,
                             DWORD dwColour, const char* text, DWORD dwFlags);

    // Text as quads in the plane z = 0 of the world, 10 pixels to the unit, reading along +x
    // with its first line's top at y = 0; lit by the device's lights and material.
    HRESULT DrawWorldText(const char* text, DWORD dwFlags);

    // Draw calls made by the last DrawScreenText, DrawViewportText or DrawWorldText.
    DWORD GetLastBatchCount() const { return m_dwLastBatches; }

private:
    TextureFont(const TextureFont&) = delete;
    TextureFont& operator=(const TextureFont&) = delete;

    HRESULT CreateRasterFont(HDC hDC, HFONT* phFont);
    HRESULT PaintGlyphs(HDC hDC, bool bMeasureOnly);
    HRESULT FitAtlas(HDC hDC, HFONT* phFont, HFONT hOldFont);
    HRESULT CopyGlyphsToAtlas(const DWORD* pBits);
    bool CanBlendAlpha();
    void RecordTextStates(bool bBlend);
    float LineHeight() const;
    float FirstLineWidth(const char* text) const;
    float GlyphWidth(const float* pRect) const;
    float GlyphHeight(const float* pRect) const;
    void BeginDrawing(DWORD dwFVF, UINT uStride, DWORD dwFlags);
    HRESULT FlushBatch(void** ppVertices, DWORD* pdwTriangles);
    void DrawLastBatch(DWORD dwTriangles);
    HRESULT DrawScreenQuads(float x, float y, float z, float fScaleX, float fScaleY,
                            DWORD dwColour, const char* text);
    bool CanDraw(const char* text) const;

    char m_cFaceName[80];
    DWORD m_dwPointSize;
    DWORD m_dwStyle;
    IDirect3DDevice9* m_pFontDevice;     // borrowed, never released here
    IDirect3DTexture9* m_pAtlas;
    IDirect3DVertexBuffer9* m_pGlyphVB;
    DWORD m_dwAtlasWidth;
    DWORD m_dwAtlasHeight;
    float m_fGlyphScale;                 // below 1 only when the atlas was cut to the device's limit
    float m_fGlyphRect[96][4];           // codes 32 to 127: left, top, right, bottom in 0..1
    DWORD m_dwMargin;                    // free pixels either side of each glyph in the atlas
    IDirect3DStateBlock9* m_pSavedStates;
    IDirect3DStateBlock9* m_pTextStates;
    DWORD m_dwLastBatches;
};
