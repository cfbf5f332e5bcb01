// The view of the wrap-around map: where the 100 x 100 patch lies round the camera, the
// screen projection of every tile corner, the displayable tiles and the land batch counts.
// needs: app/{camera,d3dservices,log}, terrain/{landtextures,mapdata}
#pragma once

#include <d3dx9.h>

#include "terrain/landtextures.h"
#include "terrain/mapdata.h"

const int MAX_VISIBLE_CAVES = 256;

extern int m_iWrapOffsetX[MAP_SIZE];   // world shift of each column: 0, -100 or +100
extern int m_iWrapOffsetZ[MAP_SIZE];   // world shift of each row

// Projected corners of tile [x][z]: screen x, screen y in pixels, view-space depth.
extern D3DXVECTOR3 m_vScreenCornerBL[MAP_SIZE][MAP_SIZE];   // corner (x, z)
extern D3DXVECTOR3 m_vScreenCornerBR[MAP_SIZE][MAP_SIZE];   // corner (x + 1, z)
extern D3DXVECTOR3 m_vScreenCornerTR[MAP_SIZE][MAP_SIZE];   // corner (x + 1, z + 1)
extern D3DXVECTOR3 m_vScreenCornerTL[MAP_SIZE][MAP_SIZE];   // corner (x, z + 1)

extern bool m_bDisplayable[MAP_SIZE][MAP_SIZE];   // tile near enough to the screen to draw
extern short m_siRangeStart[MAP_SIZE];            // per row, first displayable x; -10000 none
extern short m_siRangeEnd[MAP_SIZE];              // per row, last displayable x of the first run
extern int m_iNumDisplayableTiles;                // displayable land tiles (caves excluded)
extern short m_siVisibleCaves[MAX_VISIBLE_CAVES]; // cave numbers of displayable cave tiles
extern short m_siNumVisibleCaves;

// Displayable land tiles per batch [base type][alpha slot]; [16][113] of it are used.
// Counted by CountTilesForTexture in the map update.
extern int m_iLandRowCount[BATCH_TABLE_TYPES][ALPHA_TABLE_SIZE];

// Tile (x, z) as the land is drawn: placed at its column's and row's wrap offsets, the far
// corners one unit on, each at the height of the grid corner it stands on (the next column
// and row wrap to 0). The land build, the picking, the hilite quad and the projection use it.
struct DrawnTile
{
    D3DXVECTOR3 vBL;   // grid corner (x, z)
    D3DXVECTOR3 vBR;   // (x + 1, z)
    D3DXVECTOR3 vTR;   // (x + 1, z + 1)
    D3DXVECTOR3 vTL;   // (x, z + 1)
};
DrawnTile GetDrawnTile(int x, int z);

// The steps of the map update (CalculateScreenPosition) that place and project the patch.
void SetMapWrappingOffsets();
// All 40,000 tile corners into the m_vScreenCorner arrays with one read of the transforms.
void ProjectAllCorners();
void ProjectToScreen(D3DXVECTOR3 p, D3DXVECTOR3* pOut);
void CalculateDisplayableTiles();
int DisplayMargin(float fCameraHeight);
void CalculateDisplayableRanges();

// Reads of the arrays above; an index off the map is logged and reads 0 (a range -10000).
int GetWrapOffsetX(int x);
int GetWrapOffsetZ(int z);
int GetTileWrapOffsetX(int iIndex);
int GetTileWrapOffsetZ(int iIndex);
bool IsTileDisplayable(int x, int z);
int GetDisplayRangeStart(int z);
int GetDisplayRangeEnd(int z);
D3DXVECTOR3 GetTileScreenPos(int x, int z);
int GetLandRowTileCount(int iType, int iSlot);

// ---- For tests: the camera-reading steps with the camera's values given ----

void SetMapWrappingOffsetsFor(float fCameraX, float fCameraZ, float fYaw);
void CalculateDisplayableTilesAt(float fCameraHeight);
