// The cave editor's overlays: the two texture panels on a grey box, the corner outlines with
// their marker and labels, and the red outline of the selected quad on the map.
// needs: app/{d3dservices,log,msgproc,screenvertex,text},
//        terrain/{caveedit,caves,landbuffers,landtextures,mapdata,view}
#pragma once

#include <windows.h>

#include "terrain/caves.h"

extern LPDIRECT3DVERTEXBUFFER9 m_pCaveTexPreviewVB;   // 8 TexScreenVertex: the two panels
extern LPDIRECT3DVERTEXBUFFER9 m_pCaveCornerVB;       // 14 ColorScreenVertex: outlines, marker
extern LPDIRECT3DVERTEXBUFFER9 m_pTileOutlineVB;      // 5 LineVertex: the quad on the map
extern POINT m_ptCaveCornerLabel[4];                  // labels "1" to "4" in one panel
extern POINT m_ptCaveOutlineLabel[4];                 // labels "1" to "4" on the map

// The panels' quads, built once at start-up; textures are chosen when drawn.
void LoadTexturePreviewVB();
void RenderTexturePreview(int iCave, int iTextureA, int iTextureB);

// Corner outlines of the quad (sCaveData, sCaveData1) in both panels; the marker stays.
void LoadCornerOverlayVB(int iCave, CaveData sCaveData, CaveData sCaveData1);
// The red plus on texture corner iCorner (1 to 4) of panel A, or of panel B when bTextureA
// is false and the selection has a texture B.
void SetCornerMarker(int iCorner, CaveData sCaveData, CaveData sCaveData1, bool bTextureA);
void RenderCornerOverlay(int iTextureB);

// The quad's four corners on the map where cave iCave is drawn, and their labels' places.
void SetTileOutlineLabels(int iCave, CaveData sCaveData, CaveData sCaveData1);
void LoadTileOutlineVB(int iCave, CaveData sCaveData, CaveData sCaveData1);
void RenderTileOutline();

// After each cave drawn in CAVE EDIT: rebuilds and draws all three for the selected quad.
void RenderCaveEditOverlays();

void ReleaseOverlayVBs();
