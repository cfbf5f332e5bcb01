// The land editor's state and its two mouse steps: the hover step once a frame, and the
// button step that routes a held button through the screen regions to the current tool.
#include "editor/landedit.h"

#include <cstring>
#include <mmsystem.h>

#include "app/camera.h"
#include "app/log.h"
#include "app/msgproc.h"
#include "app/renderstates.h"
#include "editor/cornerselect.h"
#include "editor/editpanels.h"
#include "editor/heightedit.h"
#include "editor/textureedit.h"
#include "terrain/caveedit.h"
#include "terrain/landbuffers.h"
#include "terrain/landtextures.h"
#include "terrain/mapdata.h"
#include "terrain/mapupdate.h"
#include "terrain/minimap.h"
#include "terrain/view.h"

short m_siEditTool = TOOL_PAINT_TEXTURE;
short m_siSelectedTexture = 4;
int m_iSelectedTile = 0;
TileCorner m_ptSelectedCorner = {-10, -10};
short m_siHeightStep = 1;
short m_siCloneHeight = 256;
short m_siTexturePage = 0;
bool m_bTextureStrip = false;
bool m_bCaveEdit = false;
bool m_bFastEdit = true;
bool m_bEditPanel = true;
bool m_bEditingUV = false;
bool m_bHoldOnPanel = false;
DWORD m_dwLastPickTime = 0;
POINT m_ptLastPickMouse = {-1, -1};

// A hover pick tests all 20,000 triangles: at most one per this many ms.
static const DWORD PICK_INTERVAL_MS = 100;

static bool IsCornerOnMap(TileCorner c)
{
    return c.x >= 0 && c.x < MAP_SIZE && c.z >= 0 && c.z < MAP_SIZE;
}

static void SelectTool(int iTool)
{
    if (iTool == m_siEditTool)
        return;
    m_siEditTool = (short)iTool;
    BuildLandEditGUI();
}

// The nearest corner of the tile under (x, y): a corner of the whole map may lie nearer on the
// screen but hidden behind that tile, out of the user's sight. Only where the pointer is over
// no tile does the nearest projected corner of the map count. Returns the tile, or
// NO_PICKED_TILE.
static int SelectCornerAt(int x, int y)
{
    int iTile = PickTile(x, y);
    if (iTile == NO_PICKED_TILE)
    {
        m_ptSelectedCorner = FindNearestScreenCorner(x, y);
        return iTile;
    }
    m_ptSelectedCorner = FindNearestTileCorner(x, y, iTile % MAP_SIZE, iTile / MAP_SIZE);
    return iTile;
}

// The tile under (x, y) becomes the selected one. A pointer over no tile leaves the
// selection, the previews and the map as they were, and the tool does nothing.
static bool PickSelectedTile(int x, int y)
{
    int iTile = PickTile(x, y);
    if (iTile < 0 || iTile >= MAP_SIZE * MAP_SIZE)
        return false;
    m_iSelectedTile = iTile;
    UpdateTexturePreview();
    EditTileUV();
    return true;
}

// The panels' regions: each is true when (x, y) is over it, and a click there (bClick) acts
// on it.

// The 3 x 3 palette of 20-pixel cells at (960, 0).
static bool PaletteRegion(int x, int y, bool bClick)
{
    if (x < 960 || y >= 64)
        return false;
    if (bClick && y >= 0)
    {
        int iColumn = (x - 960) / 20;
        int iRow = y / 20;
        // The 4-pixel strips beyond the nine cells select nothing.
        if (iColumn <= 2 && iRow <= 2)
            SelectTool(iRow * 3 + iColumn);
    }
    return true;
}

// The strip of eight 128-pixel texture slots along the bottom, while it is drawn: hidden by
// tools 2 and 7, that part of the screen is the land's, where heights are edited most.
static bool StripRegion(int x, int y, bool bClick)
{
    if (y < 640 || !IsTextureStripDrawn())
        return false;
    if (bClick && x >= 0)
    {
        m_siSelectedTexture = (short)(x / 128 + m_siTexturePage);
        m_siEditTool = TOOL_PAINT_TEXTURE;
        BuildLandEditGUI();
    }
    return true;
}

// The mini map shows row 99 at its top.
static bool MiniMapRegion(int x, int y, bool bClick)
{
    if (x >= 100 || y >= 100)
        return false;
    if (bClick && x >= 0 && y >= 0)
    {
        MoveCameraTo(x, 99 - y);
        CalculateScreenPosition();
    }
    return true;
}

bool IsOverEditorPanel(int x, int y)
{
    return PaletteRegion(x, y, false) || StripRegion(x, y, false) ||
           MiniMapRegion(x, y, false) || IsOverDebugOverlay(x, y);
}

// The hover step edits at (x, y) only off the panels, and only in a hold begun on the land.
static bool HoverMayEdit(int x, int y)
{
    return !IsOverEditorPanel(x, y) && !m_bHoldOnPanel;
}

// Tool 0 on a click: the tile's base texture, with the strip paged to it, and paint.
static void SampleTexture(int x, int y)
{
    if (!PickSelectedTile(x, y))
        return;
    int iTexture = GetTileBaseTexture(m_iSelectedTile);
    if (iTexture < 0 || iTexture > PLAIN_TEXTURE)
        return;
    m_siSelectedTexture = (short)iTexture;
    m_siTexturePage = (short)(iTexture > MAX_TEXTURE_PAGE ? MAX_TEXTURE_PAGE : iTexture);
    m_siEditTool = TOOL_PAINT_TEXTURE;
    BuildLandEditGUI();
}

// Tool 0 held without a fresh left click: the nearest corner's height, and paint heights.
// The stored height is read as it is, so the clone equals it whatever the height scale.
static void SampleHeight(int x, int y)
{
    SelectCornerAt(x, y);
    if (!IsCornerOnMap(m_ptSelectedCorner))
        return;
    m_siCloneHeight = m_MapData.siHeight[m_ptSelectedCorner.x][m_ptSelectedCorner.z];
    m_siEditTool = TOOL_PAINT_HEIGHT;
    BuildLandEditGUI();
}

// A tool that acts on the tile under the pointer, on the click only.
static void TileClickTool(void (*pfnTool)(int), bool bClick, int x, int y)
{
    if (bClick && PickSelectedTile(x, y))
        pfnTool(m_iSelectedTile);
}

// The current tool on the map. Painting textures follows a held button (or a click released
// within the frame); the other tile tools act on the click only. The click is taken here: a
// move in the same frame runs this step twice, and a flip or mirror must not undo itself.
static void ToolAction(int x, int y)
{
    bool bLeftClick = SMD.bLeftClick;
    bool bAnyClick = SMD.bLeftClick || SMD.bRightClick;
    switch (m_siEditTool)
    {
    case TOOL_SAMPLE:
        if (bLeftClick)
            SampleTexture(x, y);
        else
            SampleHeight(x, y);
        break;
    case TOOL_PAINT_TEXTURE:
        if ((SMD.bLeftDown || SMD.bLeftClick) && PickSelectedTile(x, y))
            PaintTileTexture(m_siSelectedTexture, m_iSelectedTile);
        break;
    case TOOL_HEIGHT:
        // In FAST EDIT the hover step raises and lowers.
        if (!m_bFastEdit)
            SelectCornerAt(x, y);
        break;
    case TOOL_ROTATE:
        TileClickTool(RotateTileTexture, bAnyClick, x, y);
        break;
    case TOOL_MIRROR_X:
        TileClickTool(FlipTileTextureX, bAnyClick, x, y);
        break;
    case TOOL_MIRROR_Z:
        TileClickTool(FlipTileTextureZ, bAnyClick, x, y);
        break;
    case TOOL_FLIP_TRIANGLE:
        TileClickTool(FlipTileTriangle, bLeftClick, x, y);
        break;
    case TOOL_PAINT_HEIGHT:
        if (bLeftClick)
        {
            SelectCornerAt(x, y);
            PaintHeight(m_siCloneHeight, true);
        }
        break;
    case TOOL_FLOOD:
        if (bLeftClick)
            FloodTexture(m_siSelectedTexture);
        break;
    }
    SMD.bLeftClick = false;
    SMD.bRightClick = false;
}

void ProcessLeftMouseButton()
{
    LogError("ProcessLeftMouseButton");
    int x = SMD.siX, y = SMD.siY;
    bool bClick = SMD.bLeftClick;
    // A drag onto a debug overlay's text leaves the land behind it alone.
    if (PaletteRegion(x, y, bClick) || StripRegion(x, y, bClick) || MiniMapRegion(x, y, bClick) ||
        IsOverDebugOverlay(x, y))
        return;
    // A hold that began off the land stays off it, wherever the pointer goes.
    if (m_bHoldOnPanel)
        return;
    if (m_bCaveEdit)
    {
        ProcessCaveEdit(m_siEditTool);
        return;
    }
    // A press on the previews, even before the hover step has seen the pointer there.
    if (m_bEditingUV || IsOverCornerPanels(x, y))
        return;
    ToolAction(x, y);
}

bool IsTextureStripDrawn()
{
    return m_bTextureStrip && m_siEditTool != TOOL_HEIGHT && m_siEditTool != TOOL_PAINT_HEIGHT;
}

bool AreTexturePreviewsShown()
{
    return IsTextureStripDrawn() && !m_bCaveEdit;
}

// The base preview, and below it the alpha preview while the selected tile has an alpha
// texture. Where they are not drawn, a press there is a press on the land.
bool IsOverCornerPanels(int x, int y)
{
    if (!AreTexturePreviewsShown() || x >= 138 || y <= 195)
        return false;
    return y < 333 || (y < 466 && SelectedTileHasAlpha());
}

// The paced part of the hover step: the hilite tile and nearest corner where the pointer
// moved, and FAST EDIT's repeat while a button is held, but not over a panel: a press there
// is the panel's.
static void PacedHover(int x, int y)
{
    DWORD dwNow = timeGetTime();
    // Unsigned difference: the pacing survives the clock's wrap.
    if (dwNow - m_dwLastPickTime <= PICK_INTERVAL_MS)
        return;
    m_dwLastPickTime = dwNow;

    // The land behind a panel is out of sight: the corner stays the one last picked.
    bool bOverPanel = IsOverEditorPanel(x, y) || IsOverCornerPanels(x, y);
    if (!bOverPanel && (x != m_ptLastPickMouse.x || y != m_ptLastPickMouse.y))
    {
        m_ptLastPickMouse.x = x;
        m_ptLastPickMouse.y = y;
        int iTile = SelectCornerAt(x, y);
        if (iTile != NO_PICKED_TILE)
        {
            SetHiliteTile(iTile % MAP_SIZE, iTile / MAP_SIZE);
            ToggleHiliteTile();
        }
    }
    if (m_siEditTool == TOOL_HEIGHT && m_bFastEdit && HoverMayEdit(x, y))
    {
        if (SMD.bLeftDown)
            RaiseSelectedCorner();
        else if (SMD.bRightDown)
            LowerSelectedCorner();
    }
}

void TestForPoint()
{
    int x = SMD.siX, y = SMD.siY;
    if (!SMD.bLeftDown)
        m_bEditingUV = false;
    // A hold from a panel drags no texture corner and no cave it passes.
    if (IsOverCornerPanels(x, y) && !m_bHoldOnPanel)
    {
        m_bEditingUV = true;
        EditTileUV();
    }
    if (m_bCaveEdit && HoverMayEdit(x, y))
        ProcessCaveEdit(m_siEditTool);
    if (IsHiliteTileShown())
        ToggleHiliteTile();
    bool bCornerTool = m_siEditTool == TOOL_SAMPLE || m_siEditTool == TOOL_HEIGHT ||
                       m_siEditTool == TOOL_PAINT_HEIGHT;
    if (bCornerTool && !m_bCaveEdit)
        PacedHover(x, y);
}

// The popup takes any left press; a screen, every press.
void BeginHold(int x, int y, bool bLeft)
{
    m_bHoldOnPanel = m_siScreenMode != 2 || (bLeft && m_bToolPopup) || IsOverEditorPanel(x, y);
    m_iCavePanelHold = m_bCaveEdit && !m_bHoldOnPanel ? CavePanelAt(x, y) : NO_CAVE_PANEL;
}

void EndHold()
{
    m_bHoldOnPanel = false;
    m_iCavePanelHold = NO_CAVE_PANEL;
}

void SetEditTool(int iTool)
{
    if (iTool < 0 || iTool >= NUM_EDIT_TOOLS)
        return;
    // CAVE EDIT has no tools 3 to 7.
    if (m_bCaveEdit && iTool >= TOOL_ROTATE && iTool <= TOOL_PAINT_HEIGHT)
        iTool = TOOL_SAMPLE;
    SelectTool(iTool);
}

int GetSelectedTile()
{
    return m_iSelectedTile;
}

int GetSelectedTexture()
{
    return m_siSelectedTexture;
}

TileCorner GetSelectedCorner()
{
    return m_ptSelectedCorner;
}

bool IsCaveEditMode()
{
    return m_bCaveEdit;
}

bool IsEditPanelShown()
{
    return m_bEditPanel;
}

bool SelectedTileHasAlpha()
{
    return GetTileAlphaTexture(m_iSelectedTile) != PLAIN_TEXTURE;
}

void ToggleTextureStrip()
{
    m_bTextureStrip = !m_bTextureStrip;
}

void ToggleCaveEditMode()
{
    m_bCaveEdit = !m_bCaveEdit;
}

void ToggleEditPanel()
{
    m_bEditPanel = !m_bEditPanel;
}

// E selects the height tool too; the tool frame follows it.
void ToggleFastEdit()
{
    m_bFastEdit = !m_bFastEdit;
    m_siEditTool = TOOL_HEIGHT;
    BuildLandEditGUI();
}

void RaiseSelectedCorner()
{
    PaintHeight(m_siHeightStep, false);
}

void LowerSelectedCorner()
{
    PaintHeight((short)-m_siHeightStep, false);
}

void NextTexturePage()
{
    if (m_siTexturePage >= MAX_TEXTURE_PAGE)
    {
        m_siTexturePage = MAX_TEXTURE_PAGE;
        return;
    }
    m_siTexturePage++;
    BuildLandEditGUI();
}

void PreviousTexturePage()
{
    if (m_siTexturePage <= 0)
    {
        m_siTexturePage = 0;
        return;
    }
    m_siTexturePage--;
    BuildLandEditGUI();
}

// Both records are stored back; the land is rebuilt only when the selector moved a corner,
// so hovering over the panels costs no rebuild per frame.
void EditTileUV()
{
    if (m_iSelectedTile < 0 || m_iSelectedTile >= MAP_SIZE * MAP_SIZE)
        return;
    int x, z;
    SplitTileIndex(m_iSelectedTile, &x, &z);
    TileTexCoords base = m_BaseTexCoords[x][z];
    TileTexCoords alpha = m_AlphaTexCoords[x][z];
    UpdateCornerSelector(&base, &alpha);
    bool bChanged = memcmp(&base, &m_BaseTexCoords[x][z], sizeof(base)) != 0 ||
                    memcmp(&alpha, &m_AlphaTexCoords[x][z], sizeof(alpha)) != 0;
    m_BaseTexCoords[x][z] = base;
    m_AlphaTexCoords[x][z] = alpha;
    if (bChanged)
        LoadLandBuffer();
}
