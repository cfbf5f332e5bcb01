// The land editor: its state, the hover and button steps that turn the mouse into edits,
// and the getters and toggles the keys, panels and cave editor use.
// needs: app/{camera,log,msgproc,renderstates},
//        terrain/{caveedit,landbuffers,landtextures,mapdata,mapupdate,minimap,view},
//        editor/{cornerselect,editpanels,heightedit,picking,textureedit}
#pragma once

#include <windows.h>

#include "editor/picking.h"

// The tools, numbered as the palette cells (tool = row * 3 + column) and the tool icons.
enum EditTool
{
    TOOL_SAMPLE = 0,        // left click: the tile's base texture; held: the corner's height
    TOOL_PAINT_TEXTURE = 1, // left button held: paint the selected texture
    TOOL_HEIGHT = 2,        // nearest corner; raised and lowered by keys or held buttons
    TOOL_ROTATE = 3,        // click: quarter turn of the base layer (alpha with the right)
    TOOL_MIRROR_X = 4,
    TOOL_MIRROR_Z = 5,
    TOOL_FLIP_TRIANGLE = 6, // left click: the tile's other diagonal
    TOOL_PAINT_HEIGHT = 7,  // left click: the nearest corner to the clone height
    TOOL_FLOOD = 8,         // left click: the whole map
    NUM_EDIT_TOOLS = 9
};

const int MAX_TEXTURE_PAGE = 121;   // the strip's last page shows textures 121 to 128

// Editor state; the start values are those a fresh run shows.
extern short m_siEditTool;             // current tool, 0 to 8; starts 1
extern short m_siSelectedTexture;      // texture number 0 to 128; starts 4
extern int m_iSelectedTile;            // tile index z * 100 + x; starts 0
extern TileCorner m_ptSelectedCorner;  // (-10, -10) until a corner is chosen
extern short m_siHeightStep;           // one raise or lower; 1
extern short m_siCloneHeight;          // what the paint-height tool writes; starts 256
extern short m_siTexturePage;          // first texture of the strip, 0 to 121; starts 0
extern bool m_bTextureStrip;           // strip shown (T); starts false
extern bool m_bCaveEdit;               // CAVE EDIT (X); MAP EDIT when false
extern bool m_bFastEdit;               // held buttons raise and lower (E); starts true
extern bool m_bEditPanel;              // tool palette shown; starts true
extern bool m_bEditingUV;              // pointer went over the corner panels with the button
                                       // held: no tool acts until it is released
extern bool m_bHoldOnPanel;            // the buttons held went down on a panel, an overlay row,
                                       // the open popup or a settings screen: they edit no
                                       // land and no cave until both are up
extern DWORD m_dwLastPickTime;         // clock (ms) of the last paced hover step; starts 0
extern POINT m_ptLastPickMouse;        // pointer of the last hover pick; starts (-1, -1)

// The hover step, once a frame: corner panels, hilite tile, nearest corner (none picked behind
// a panel), FAST EDIT repeat.
void TestForPoint();
// The button step: palette, strip and mini map regions, else the current tool's action.
void ProcessLeftMouseButton();
// A tool from the popup palette; CAVE EDIT has no tools 3 to 7 and takes 0 instead.
void SetEditTool(int iTool);
// A button went down at (x, y) with the other one up: where the hold begins.
void BeginHold(int x, int y, bool bLeft);
// Both buttons are up, or the clicks were dropped: the next press begins a new hold.
void EndHold();
// Over the palette, the strip while it is drawn, the mini map or a debug overlay's row: the
// pointer is that panel's, and neither mouse step edits the land or the caves behind it.
bool IsOverEditorPanel(int x, int y);

int GetSelectedTile();
int GetSelectedTexture();
TileCorner GetSelectedCorner();
bool IsCaveEditMode();
bool IsEditPanelShown();
bool SelectedTileHasAlpha();
// The texture strip is drawn: switched on (T), and the tool is not 2 or 7.
bool IsTextureStripDrawn();
// The selected tile's texture previews are drawn: the strip drawn, in MAP EDIT.
bool AreTexturePreviewsShown();
// The pointer at (x, y) is over a drawn preview, where a press drags a texture corner.
bool IsOverCornerPanels(int x, int y);

void ToggleTextureStrip();   // T
void ToggleCaveEditMode();   // X
void ToggleEditPanel();
void ToggleFastEdit();       // E; also selects the height tool
void RaiseSelectedCorner();  // keypad +
void LowerSelectedCorner();  // keypad -
void NextTexturePage();      // keypad *
void PreviousTexturePage();  // keypad /

// Hands the selected tile's texture corners to the corner selector and stores them back.
void EditTileUV();
