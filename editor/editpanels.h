// The land editor's 2-D panels: tool palette and popup, mode label, texture strip, the
// selected tile's previews, compass and texts, the corner icon and the tool pointer.
// needs: app/{camera,d3dservices,msgproc,screenvertex,text}, terrain/{landtextures,mapdata,view},
//        editor/{cornerselect,landedit,textureedit}
#pragma once

#include <windows.h>
#include <d3d9.h>

// Quads and frames, refilled on the events named; all in system memory.
extern LPDIRECT3DVERTEXBUFFER9 m_pTextureStripVB[8];   // strip slot i at x 128i, y 640 to 768
extern LPDIRECT3DVERTEXBUFFER9 m_pStripSelectVB;       // green frame of the selected texture
extern LPDIRECT3DVERTEXBUFFER9 m_pToolSelectVB;        // green frame of the selected tool
extern LPDIRECT3DVERTEXBUFFER9 m_pCompassVB;           // two compass lines, every frame
extern LPDIRECT3DVERTEXBUFFER9 m_pEditPanelVB;         // the palette quad, when it moves
extern LPDIRECT3DVERTEXBUFFER9 m_pTexturePreviewVB;    // base preview, then alpha preview
extern LPDIRECT3DVERTEXBUFFER9 m_pCornerIconVB;        // 8 x 8 round the selected corner
extern LPDIRECT3DVERTEXBUFFER9 m_pToolCursorVB;        // 16 x 16 tool icon at the pointer

// Icons 0 to 8 by tool, 9 erase and 10 cave (tools 2 and 8 in CAVE EDIT); palette images.
extern LPDIRECT3DTEXTURE9 m_pToolTexture[11];
extern LPDIRECT3DTEXTURE9 m_pEditPanelTexture;
extern LPDIRECT3DTEXTURE9 m_pCavePanelTexture;

// Where the palette quad was last written, where the corner icon last stood, and the
// pointer the tool cursor was last written for; (-10, -10) at start.
extern POINT m_ptLastPanelPos;
extern POINT m_ptLastCornerIconPos;
extern POINT m_ptLastToolCursorPos;

// Start-up: makes the buffers, loads the icons and palettes, fills the previews. Always 0.
HRESULT RestoreLandEditGUI();
// The strip quads and both green frames, after the tool, texture or strip page changed.
void BuildLandEditGUI();
// The two preview quads of the selected tile.
void UpdateTexturePreview();

// Drawing, inside the frame's scene, in this order.
void RenderEditPanel(int x, int y);   // the palette with its top left at (x, y), and the label
void RenderLandEditGUI();             // strip, previews, corner selector, frames, texts
void RenderCornerIcon();              // the icon on the selected corner, when on the screen
void RenderToolCursor();              // the current tool's icon at the pointer

void ReleaseLandEditGUI();
