// The land editor's 2-D panels, laid out for a 1024 x 768 screen. Quads are written when the
// editor state they show changes, not every frame; only the compass and the corner icon are.
#include "editor/editpanels.h"

#include <cmath>

#include "app/camera.h"
#include "app/d3dservices.h"
#include "app/msgproc.h"
#include "app/screenvertex.h"
#include "app/text.h"
#include "editor/cornerselect.h"
#include "editor/landedit.h"
#include "editor/textureedit.h"
#include "terrain/landtextures.h"
#include "terrain/mapdata.h"
#include "terrain/view.h"

static const DWORD GREEN = 0x0000FF00;
static const DWORD RED = 0x00FF0000;
static const UINT QUAD_BYTES = 4 * sizeof(TexScreenVertex);
static const UINT FRAME_BYTES = 5 * sizeof(ColorScreenVertex);

LPDIRECT3DVERTEXBUFFER9 m_pTextureStripVB[8] = {};
LPDIRECT3DVERTEXBUFFER9 m_pStripSelectVB = NULL;
LPDIRECT3DVERTEXBUFFER9 m_pToolSelectVB = NULL;
LPDIRECT3DVERTEXBUFFER9 m_pCompassVB = NULL;
LPDIRECT3DVERTEXBUFFER9 m_pEditPanelVB = NULL;
LPDIRECT3DVERTEXBUFFER9 m_pTexturePreviewVB = NULL;
LPDIRECT3DVERTEXBUFFER9 m_pCornerIconVB = NULL;
LPDIRECT3DVERTEXBUFFER9 m_pToolCursorVB = NULL;

LPDIRECT3DTEXTURE9 m_pToolTexture[11] = {};
LPDIRECT3DTEXTURE9 m_pEditPanelTexture = NULL;
LPDIRECT3DTEXTURE9 m_pCavePanelTexture = NULL;

POINT m_ptLastPanelPos = {-10, -10};
POINT m_ptLastCornerIconPos = {-10, -10};
POINT m_ptLastToolCursorPos = {-10, -10};
// The tool whose hot spot the tool cursor quad was last written with.
static int m_iLastToolCursorTool = -1;

// Icon files in the order of m_pToolTexture.
static const char* const TOOL_TEXTURE_FILES[11] = {
    "textures\\sampletexture.dds", "textures\\painttexture.dds",
    "textures\\landcornerselector.dds", "textures\\rotatetexture.dds",
    "textures\\fliptexturex.dds", "textures\\fliptexturez.dds", "textures\\fliptriangle.dds",
    "textures\\paintheight.dds", "textures\\flood.dds", "textures\\erase.dds",
    "textures\\cave.dds"};

// Hot spot of each tool's icon: the pixel of the 16 x 16 icon that sits on the pointer.
static const POINT TOOL_HOT_SPOT[9] = {{0, 15}, {7, 15}, {7, 7}, {7, 7}, {7, 7},
                                       {7, 7},  {7, 7},  {15, 15}, {0, 15}};

// A texture loaded again replaces, not leaks, the one before.
static void LoadPanelTexture(const char* pszFile, LPDIRECT3DTEXTURE9* ppTexture)
{
    ReleaseAndClear(*ppTexture);
    LoadTextureFile(pszFile, D3DFMT_UNKNOWN, 0, ppTexture);
}

static void RecreateBuffer(LPDIRECT3DVERTEXBUFFER9* ppVB, UINT uiBytes, DWORD dwFVF)
{
    ReleaseAndClear(*ppVB);
    *ppVB = CreateSystemVertexBuffer(uiBytes, dwFVF);
}

// A screen quad from (x0, y0) to (x1, y1) as vertices iFirst to iFirst + 3, with the texture
// rows v0 to v1.
static void WriteQuad(LPDIRECT3DVERTEXBUFFER9 pVB, int iFirst, float x0, float y0, float x1,
                      float y1, float v0 = 0.0f, float v1 = 1.0f)
{
    TexScreenVertex* pV = (TexScreenVertex*)LockWholeBuffer(pVB);
    if (pV == NULL)
        return;
    pV += iFirst;
    pV[0] = {x0, y0, 0.0f, 1.0f, 0.0f, v0};
    pV[1] = {x1, y0, 0.0f, 1.0f, 1.0f, v0};
    pV[2] = {x1, y1, 0.0f, 1.0f, 1.0f, v1};
    pV[3] = {x0, y1, 0.0f, 1.0f, 0.0f, v1};
    pVB->Unlock();
}

// A green frame: the four corners and the first again.
static void WriteFrame(LPDIRECT3DVERTEXBUFFER9 pVB, float x0, float y0, float x1, float y1)
{
    ColorScreenVertex* pV = (ColorScreenVertex*)LockWholeBuffer(pVB);
    if (pV == NULL)
        return;
    pV[0] = {x0, y0, 0.0f, 1.0f, GREEN};
    pV[1] = {x1, y0, 0.0f, 1.0f, GREEN};
    pV[2] = {x1, y1, 0.0f, 1.0f, GREEN};
    pV[3] = {x0, y1, 0.0f, 1.0f, GREEN};
    pV[4] = pV[0];
    pVB->Unlock();
}

static void DrawQuad(LPDIRECT3DVERTEXBUFFER9 pVB, int iFirst)
{
    if (pVB == NULL)
        return;
    m_pDevice->SetRenderState(D3DRS_CULLMODE, D3DCULL_NONE);
    m_pDevice->SetFVF(D3DFVF_TEXSCREENVERTEX);
    m_pDevice->SetStreamSource(0, pVB, 0, sizeof(TexScreenVertex));
    m_pDevice->DrawPrimitive(D3DPT_TRIANGLEFAN, iFirst, 2);
}

// Icons are blended over whatever lies under them.
static void DrawIcon(LPDIRECT3DVERTEXBUFFER9 pVB, LPDIRECT3DTEXTURE9 pTexture)
{
    m_pDevice->SetRenderState(D3DRS_ALPHABLENDENABLE, TRUE);
    m_pDevice->SetRenderState(D3DRS_SRCBLEND, D3DBLEND_SRCALPHA);
    m_pDevice->SetRenderState(D3DRS_DESTBLEND, D3DBLEND_INVSRCALPHA);
    m_pDevice->SetTexture(0, pTexture);
    DrawQuad(pVB, 0);
    m_pDevice->SetRenderState(D3DRS_ALPHABLENDENABLE, FALSE);
}

static void DrawFrame(LPDIRECT3DVERTEXBUFFER9 pVB)
{
    if (pVB == NULL)
        return;
    m_pDevice->SetFVF(D3DFVF_COLORSCREENVERTEX);
    m_pDevice->SetTexture(0, NULL);
    m_pDevice->SetStreamSource(0, pVB, 0, sizeof(ColorScreenVertex));
    m_pDevice->DrawPrimitive(D3DPT_LINESTRIP, 0, 4);
}

HRESULT RestoreLandEditGUI()
{
    RecreateBuffer(&m_pStripSelectVB, FRAME_BYTES, D3DFVF_COLORSCREENVERTEX);
    RecreateBuffer(&m_pCompassVB, 4 * sizeof(ColorScreenVertex), D3DFVF_COLORSCREENVERTEX);
    RecreateBuffer(&m_pToolSelectVB, FRAME_BYTES, D3DFVF_COLORSCREENVERTEX);
    RecreateBuffer(&m_pToolCursorVB, QUAD_BYTES, D3DFVF_TEXSCREENVERTEX);
    RecreateBuffer(&m_pEditPanelVB, QUAD_BYTES, D3DFVF_TEXSCREENVERTEX);
    for (int i = 0; i < 8; i++)
        RecreateBuffer(&m_pTextureStripVB[i], QUAD_BYTES, D3DFVF_TEXSCREENVERTEX);
    RecreateBuffer(&m_pTexturePreviewVB, 2 * QUAD_BYTES, D3DFVF_TEXSCREENVERTEX);
    RecreateBuffer(&m_pCornerIconVB, QUAD_BYTES, D3DFVF_TEXSCREENVERTEX);
    // New buffers hold no quads yet: both are written again when next needed.
    m_ptLastPanelPos = {-10, -10};
    m_ptLastToolCursorPos = {-10, -10};
    m_iLastToolCursorTool = -1;

    for (int i = 0; i < 11; i++)
        LoadPanelTexture(TOOL_TEXTURE_FILES[i], &m_pToolTexture[i]);
    LoadPanelTexture("textures\\landeditgui.dds", &m_pEditPanelTexture);
    LoadPanelTexture("textures\\landeditguicave.dds", &m_pCavePanelTexture);
    UpdateTexturePreview();
    return 0;
}

void UpdateTexturePreview()
{
    WriteQuad(m_pTexturePreviewVB, 0, 5.0f, 200.0f, 133.0f, 328.0f);
    WriteQuad(m_pTexturePreviewVB, 4, 5.0f, 338.0f, 133.0f, 466.0f);
}

void BuildLandEditGUI()
{
    for (int i = 0; i < 8; i++)
        WriteQuad(m_pTextureStripVB[i], 0, 128.0f * i, 640.0f, 128.0f * i + 128.0f, 768.0f);
    // A selected texture off the shown page puts its frame off the strip.
    int s = m_siSelectedTexture - m_siTexturePage;
    WriteFrame(m_pStripSelectVB, 128.0f * s, 640.0f, 128.0f * s + 128.0f, 768.0f);
    // The frame steps 19 across and 21 down, as the palette image draws its cells.
    int r = m_siEditTool / 3, c = m_siEditTool % 3;
    WriteFrame(m_pToolSelectVB, 964.0f + 19 * c, 4.0f + 21 * r, 979.0f + 19 * c, 21.0f + 21 * r);
}

void RenderEditPanel(int x, int y)
{
    if (m_bEditPanel)
    {
        // With the popup open the two calls of a frame alternate, so this runs twice a frame.
        if (x != m_ptLastPanelPos.x || y != m_ptLastPanelPos.y)
        {
            RecreateBuffer(&m_pEditPanelVB, QUAD_BYTES, D3DFVF_TEXSCREENVERTEX);
            WriteQuad(m_pEditPanelVB, 0, (float)x, (float)y, x + 64.0f, y + 64.0f);
            m_ptLastPanelPos = {x, y};
        }
        m_pDevice->SetTexture(0, m_bCaveEdit ? m_pCavePanelTexture : m_pEditPanelTexture);
        DrawQuad(m_pEditPanelVB, 0);
    }
    DrawString(0, 120, m_bCaveEdit ? "CAVE EDIT" : "MAP EDIT");
}

// The grey backing and the selected tile's base and alpha textures at the left.
static void RenderTexturePreviews()
{
    int iAlpha = GetTileAlphaTexture(m_iSelectedTile);
    D3DVIEWPORT9 vpKept;
    m_pDevice->GetViewport(&vpKept);
    D3DVIEWPORT9 vp = {0, 195, 138, iAlpha != PLAIN_TEXTURE ? 276u : 138u, 0.0f, 1.0f};
    m_pDevice->SetViewport(&vp);
    m_pDevice->Clear(0, NULL, D3DCLEAR_TARGET | D3DCLEAR_ZBUFFER, 0xFF808080, 1.0f, 0);
    SetLandTexture(GetTileBaseTexture(m_iSelectedTile));
    DrawQuad(m_pTexturePreviewVB, 0);
    if (iAlpha != PLAIN_TEXTURE)
    {
        SetLandTexture(iAlpha);
        DrawQuad(m_pTexturePreviewVB, 4);
    }
    m_pDevice->SetViewport(&vpKept);
}

// Screen point at distance fLength from (164, 64) along heading fAngle (0 = up, clockwise).
static float CompassX(float fAngle, float fLength) { return 164.0f + fLength * sinf(fAngle); }
static float CompassY(float fAngle, float fLength) { return 64.0f - fLength * cosf(fAngle); }

// The camera's heading as the z axis (green) and the x axis a quarter turn on (red).
static void DrawCompass()
{
    float fYaw = GetCameraYaw();
    float q = fYaw + 1.5707963f;
    ColorScreenVertex* pV = (ColorScreenVertex*)LockWholeBuffer(m_pCompassVB);
    if (pV != NULL)
    {
        pV[0] = {164.0f, 64.0f, 0.0f, 1.0f, RED};
        pV[1] = {CompassX(q, 32.0f), CompassY(q, 32.0f), 0.0f, 1.0f, RED};
        pV[2] = {164.0f, 64.0f, 0.0f, 1.0f, GREEN};
        pV[3] = {CompassX(fYaw, 32.0f), CompassY(fYaw, 32.0f), 0.0f, 1.0f, GREEN};
        m_pCompassVB->Unlock();
        m_pDevice->SetStreamSource(0, m_pCompassVB, 0, sizeof(ColorScreenVertex));
        m_pDevice->DrawPrimitive(D3DPT_LINELIST, 0, 2);
    }
    DrawString((int)CompassX(q, 45.0f), (int)CompassY(q, 45.0f), "X");
    DrawString((int)CompassX(fYaw, 45.0f), (int)CompassY(fYaw, 45.0f), "Z");
}

static bool IsCornerOnMap(TileCorner corner)
{
    return corner.x >= 0 && corner.x < MAP_SIZE && corner.z >= 0 && corner.z < MAP_SIZE;
}

// Relies on the colour layout and the empty texture stage that the frames left set.
static void DrawEditInfoText()
{
    if (m_bCaveEdit)
        return;
    DrawCompass();
    DrawString(150, 0, "Texture # ");
    DrawInt(230, 0, m_siSelectedTexture);
    DrawString(300, 0, "Clone Height ");
    DrawInt(410, 0, m_siCloneHeight);
    // Until a corner is chosen there is no height to show.
    if (m_siEditTool == TOOL_HEIGHT && IsCornerOnMap(m_ptSelectedCorner))
        DrawFloat(SMD.siX, SMD.siY, GetTileHeightRaw(m_ptSelectedCorner.x, m_ptSelectedCorner.z));
}

void RenderLandEditGUI()
{
    if (IsTextureStripDrawn())
    {
        for (int i = 0; i < 8; i++)
        {
            SetLandTexture(m_siTexturePage + i);
            DrawQuad(m_pTextureStripVB[i], 0);
        }
        if (AreTexturePreviewsShown())
        {
            RenderTexturePreviews();
            int x, z;
            SplitTileIndex(m_iSelectedTile, &x, &z);
            RenderCornerSelector(m_MapData.siAlphaTexture[x][z]);
        }
        DrawFrame(m_pStripSelectVB);
    }
    DrawFrame(m_pToolSelectVB);
    DrawEditInfoText();
    if (m_bFastEdit)
        DrawString(850, 0, "FAST EDIT");
}

void RenderCornerIcon()
{
    // No corner chosen yet: nothing to mark, and nothing read outside the grid.
    if (!IsCornerOnMap(m_ptSelectedCorner))
    {
        m_ptLastCornerIconPos = {-10, -10};
        return;
    }
    D3DXVECTOR3 p = GetTileScreenPos(m_ptSelectedCorner.x, m_ptSelectedCorner.z);
    WriteQuad(m_pCornerIconVB, 0, p.x - 4.0f, p.y - 4.0f, p.x + 4.0f, p.y + 4.0f);
    m_ptLastCornerIconPos = {(LONG)p.x, (LONG)p.y};

    RECT rc;
    GetClientRect(GetDesktopWindow(), &rc);
    POINT pt = m_ptLastCornerIconPos;
    // A corner behind the eye projects mirrored through the centre: it is not on the screen.
    bool bOnScreen = p.z > 0.0f && pt.x >= rc.left && pt.x <= rc.right && pt.y >= rc.top &&
                     pt.y <= rc.bottom;
    if (bOnScreen)
        DrawIcon(m_pCornerIconVB, m_pToolTexture[TOOL_HEIGHT]);
}

void RenderToolCursor()
{
    if (!m_bEditPanel)
        return;
    int iTool = m_siEditTool;
    if (iTool < 0 || iTool >= NUM_EDIT_TOOLS)
        return;
    POINT pt;
    GetCursorPos(&pt);
    int iIcon = iTool;
    if (m_bCaveEdit && iTool == TOOL_HEIGHT)
        iIcon = 9;
    else if (m_bCaveEdit && iTool == TOOL_FLOOD)
        iIcon = 10;
    // A new tool has its own hot spot, so the quad is rewritten for it too.
    if (pt.x != m_ptLastToolCursorPos.x || pt.y != m_ptLastToolCursorPos.y ||
        iTool != m_iLastToolCursorTool)
    {
        // The icon's top and bottom twentieths are cut off.
        float x = (float)(pt.x - TOOL_HOT_SPOT[iTool].x);
        float y = (float)(pt.y - TOOL_HOT_SPOT[iTool].y);
        WriteQuad(m_pToolCursorVB, 0, x, y, x + 16.0f, y + 16.0f, 0.05f, 0.95f);
        m_ptLastToolCursorPos = pt;
        m_iLastToolCursorTool = iTool;
    }
    DrawIcon(m_pToolCursorVB, m_pToolTexture[iIcon]);
}

void ReleaseLandEditGUI()
{
    ReleaseAndClear(m_pCornerIconVB);
    for (int i = 0; i < 8; i++)
        ReleaseAndClear(m_pTextureStripVB[i]);
    ReleaseAndClear(m_pStripSelectVB);
    ReleaseAndClear(m_pToolSelectVB);
    ReleaseAndClear(m_pCompassVB);
    ReleaseAndClear(m_pEditPanelVB);
    ReleaseAndClear(m_pToolCursorVB);
    ReleaseAndClear(m_pTexturePreviewVB);
    for (int i = 0; i < 11; i++)
        ReleaseAndClear(m_pToolTexture[i]);
    ReleaseAndClear(m_pEditPanelTexture);
    ReleaseAndClear(m_pCavePanelTexture);
}
