// The texture-corner selector: the selected tile's texture corners outlined and numbered over
// the two previews and numbered on the map, and the corner under the pointer dragged.
// needs: app/{d3dservices,msgproc,screenvertex,text}, terrain/{landtextures,mapdata,view},
//        editor/landedit
#pragma once

#include <windows.h>
#include <d3d9.h>

#include "terrain/mapdata.h"

// Base quad (vertices 0 to 4), alpha quad (5 to 9), red marker (10 to 13); made anew on
// every update.
extern LPDIRECT3DVERTEXBUFFER9 m_pCornerSelectorVB;
// The corner under control: 1 to 4 of the base record, 5 to 8 of the alpha record; 0 only
// before the first update over the panels.
extern int m_iSelectedUVCorner;
// Screen positions of the labels "1" to "4" on the previews and on the map.
extern POINT m_ptCornerPanelLabel[4];
extern POINT m_ptCornerMapLabel[4];

// Rebuilds the quads and panel labels from the two records of the selected tile, and with
// the pointer over the panels chooses a corner and, while the left button is held, moves it.
void UpdateCornerSelector(TileTexCoords* pBase, TileTexCoords* pAlpha);
// The quads (the alpha one unless iAlphaTexture is 128), the marker and both sets of labels.
void RenderCornerSelector(int iAlphaTexture);
// The map labels' positions from the selected tile's corners as the land draws them.
void ProjectSelectedTileCorners();
void DrawSelectedCornerLabels();

void ReleaseCornerSelector();
