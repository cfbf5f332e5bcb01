// Pre-transformed vertices of everything drawn in screen pixels: panels, cursor, mini map.
// needs: nothing of ours
#pragma once

#include <d3d9.h>

// A pre-transformed coloured vertex.
struct ColorScreenVertex
{
    float x, y, z, rhw;
    DWORD dwColour;
};
static_assert(sizeof(ColorScreenVertex) == 20, "ColorScreenVertex is 20 bytes");
const DWORD D3DFVF_COLORSCREENVERTEX = D3DFVF_XYZRHW | D3DFVF_DIFFUSE;   // 0x44

// A pre-transformed textured vertex.
struct TexScreenVertex
{
    float x, y, z, rhw;
    float u, v;
};
static_assert(sizeof(TexScreenVertex) == 24, "TexScreenVertex is 24 bytes");
const DWORD D3DFVF_TEXSCREENVERTEX = D3DFVF_XYZRHW | D3DFVF_TEX1;   // 0x104
