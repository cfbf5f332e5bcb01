// The software cursor: a 32 x 32 textured quad with its top-left corner on the pointer.
// needs: app/{d3dservices,log,screenvertex}
#pragma once

#include <windows.h>
#include <d3d9.h>

extern LPDIRECT3DVERTEXBUFFER9 m_pCursorVB;   // the quad; made by InitCursor
extern LPDIRECT3DTEXTURE9 m_pCursorTexture;   // "textures\zancursor.dds"; null when missing

HRESULT InitCursor();
// Draws the cursor at the pointer, alpha-blended; call inside a scene.
void RenderCursor();
void ReleaseCursor();
