// The mini map in the top left corner (one pixel per tile corner, shaded by height or
// coloured by base texture, with a red cross at the camera) and the land's debug overlays:
// grid lines, normal lines and the hilite quad.
// needs: app/{camera,d3dservices,log,screenvertex}, terrain/{landbuffers,landtextures,mapdata,view}
#pragma once

#include <d3d9.h>

#include "app/screenvertex.h"
#include "terrain/mapdata.h"

extern LPDIRECT3DVERTEXBUFFER9 m_pMiniMap;     // 10,000 height points, then the camera cross
extern LPDIRECT3DVERTEXBUFFER9 m_pMMTex[m_iNumTextureTypes];   // texture-mode points per type
extern int m_iMMTexCount[m_iNumTextureTypes];                  // points in each m_pMMTex of the last build
extern LPDIRECT3DVERTEXBUFFER9 m_pTileVB;      // the hilite quad

// Rebuilds the mini map in the mode m_bMMTex names, and the camera cross.
void GenerateHeightMap();
// Places the hilite quad over tile (x, z).
void SetHiliteTile(int x, int z);
// Grid, normals, hilite quad, mini map and camera cross; inside the frame's scene.
void RenderLandOverlays();

// Releases the mini map buffers and the hilite quad; harmless when never made.
void ReleaseMiniMap();
