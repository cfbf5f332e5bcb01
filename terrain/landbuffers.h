// The land's geometry: one vertex buffer per land batch (base type, alpha slot), the grid and
// normal line buffers of the overlays, and the corner normals of the map.
// needs: app/{d3dservices,log}, terrain/{landtextures,mapdata,view}
#pragma once

#include <d3d9.h>

#include "terrain/landtextures.h"

// A land or cave vertex: position, normal, base (u, v), alpha (u, v).
struct LandVertex
{
    float x, y, z;
    float nx, ny, nz;
    float fBaseU, fBaseV;
    float fAlphaU, fAlphaV;
};
static_assert(sizeof(LandVertex) == 40, "LandVertex is 40 bytes");
const DWORD D3DFVF_LANDVERTEX = D3DFVF_XYZ | D3DFVF_NORMAL | D3DFVF_TEX2;   // 0x212

// A coloured line vertex of the debug lines.
struct LineVertex
{
    float x, y, z;
    DWORD dwColour;
};
static_assert(sizeof(LineVertex) == 16, "LineVertex is 16 bytes");
const DWORD D3DFVF_LINEVERTEX = D3DFVF_XYZ | D3DFVF_DIFFUSE;   // 0x42

// Batch buffers [base type][alpha slot], [16][113] of them used; null for an empty batch.
// Each holds m_iLandRowCount x 6 LandVertex: two triangles per tile in build order.
extern LPDIRECT3DVERTEXBUFFER9 m_pLandRowVB[BATCH_TABLE_TYPES][ALPHA_TABLE_SIZE];
extern LPDIRECT3DVERTEXBUFFER9 m_pGridVB;     // 4 LineVertex per displayable land tile
extern LPDIRECT3DVERTEXBUFFER9 m_pNormalVB;   // 2 LineVertex per displayable land tile

// Rebuilds every batch buffer, both line buffers and the whole normal grid. The batch counts
// (CountTilesForTexture) must be current.
void LoadLandBuffer();

// Writes vNormal[x][z] from the heights round the corner.
void CalculateVertexNormal(int x, int z);

// Releases every buffer above; harmless when they were never made.
void ReleaseLandBuffers();
