// The cave editor: what the mouse does in CAVE EDIT: add, select, paint and delete caves, and
// drag the selected quad's texture corners in the two texture panels.
// needs: app/{d3dservices,log,msgproc},
//        terrain/{cavebuffers,caveoverlays,caves,landbuffers,landtextures,mapdata,mapupdate},
//        editor/{landedit,picking}
#pragma once

#include "terrain/caves.h"

const int NO_CAVE_TRIANGLE = 9999;   // m_iSelectedTriangle and PickCaveTriangle: none

// Cave editor tools, the land editor's tool numbers.
const int CAVE_TOOL_SELECT = 0;
const int CAVE_TOOL_PAINT = 1;
const int CAVE_TOOL_DELETE = 2;
const int CAVE_TOOL_ADD = 8;

// Texture panels: texture corner (u, v) is drawn at origin + (u, v), 128 units to 128 pixels.
const int CAVE_PANEL_A_X = 200;
const int CAVE_PANEL_B_X = 338;
const int CAVE_PANEL_Y = 10;

// The panel under a point, and the one a hold began on.
const int NO_CAVE_PANEL = 0;
const int CAVE_PANEL_A = 1;
const int CAVE_PANEL_B = 2;

// Selected triangle of the current cave (m_iCurrentCave), 0 to 15, or NO_CAVE_TRIANGLE.
extern int m_iSelectedTriangle;
// The panel a hold began on in CAVE EDIT, or NO_CAVE_PANEL: that hold drags only that panel's
// corner and edits no cave. Set when the first button goes down, cleared when both are up.
extern int m_iCavePanelHold;

// Runs every frame in CAVE EDIT and again while a mouse button is held; tool is the land
// editor's current tool.
void ProcessCaveEdit(int tool);

// The cave triangle under the pointer over every cave where it is drawn: its index within its
// cave, which becomes current; NO_CAVE_TRIANGLE for none.
int PickCaveTriangle();

// Marks the panel corner nearest the pointer and, while the left button is held, moves it to
// the pointer. iFirst is the selected quad's first record; the copies go to the overlays.
void DragCaveTexCoord(bool bTextureA, bool* pTexEdit, int iFirst, CaveData sCaveData,
                      CaveData sCaveData1);

// Writes the selected quad's texture A (or B) corners into the current cave's buffer.
void UpdateCaveTexCoords(bool bTextureB);

// The selected triangle has a second texture (not 128); false with no selected quad.
bool HasCaveTextureB();

// The selected quad: index of its first record in m_CaveData, or -1 when there is none (no
// selection, or a current cave or record that does not exist).
int GetSelectedPairFirst();

// Panel regions that take the pointer; panel B only while the selection has a texture B.
bool IsOverCavePanelA(int x, int y);
bool IsOverCavePanelB(int x, int y);
// The panel that takes the pointer at (x, y): none without a selected quad.
int CavePanelAt(int x, int y);

// Texture corner 1 to 4 of the quad made of records a and b, of texture A or B; and its
// writer, which keeps the corner shared by both records in step.
POINT GetCaveTexCorner(const CaveData& a, const CaveData& b, int iCorner, bool bTextureB);
void SetCaveTexCorner(CaveData* pA, CaveData* pB, int iCorner, bool bTextureB, int u, int v);
// Position corner 1 to 4 of the quad, in map coordinates without wrap offset.
D3DXVECTOR3 GetCaveQuadCorner(const CaveData& a, const CaveData& b, int iCorner);

// After a map load: a selection naming a cave the map lacks is dropped; one that still exists
// is kept and its overlays are rebuilt.
void ResetCaveSelectionOnLoad();
