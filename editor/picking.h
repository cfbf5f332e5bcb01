// Picking: the tile, triangle and corner under a screen point, on the land as the current
// wrap offsets place it.
// needs: app/{d3dservices,log}, terrain/{mapdata,view}
#pragma once

#include <d3dx9.h>

const int NO_PICKED_FACE = 999999;   // PickTriangle's face when nothing was hit
const int NO_PICKED_TILE = 499999;   // PickTile's miss: the face's miss value halved
const int NO_CORNER = 10000;         // both coordinates of FindNearestScreenCorner's miss

// A tile corner (x, z), the low-x, low-z corner of tile (x, z); outside 0 to 99 means none.
struct TileCorner
{
    int x;
    int z;
};

// The eye ray through screen point (x, y), from the device's view and projection and the
// desktop's size; the direction is not normalised. False when there is no device.
bool GetPickRay(int x, int y, D3DXVECTOR3* pOrig, D3DXVECTOR3* pDir);

// Ray against triangle (p0, p1, p2), either winding: on a hit, t is the ray parameter (in
// units of the direction, never behind the origin) and u, v the barycentric coordinates.
bool IntersectTriangle(const D3DXVECTOR3* pOrig, const D3DXVECTOR3* pDir, const D3DXVECTOR3* p0,
                       const D3DXVECTOR3* p1, const D3DXVECTOR3* p2, float* pfT, float* pfU,
                       float* pfV);

// The nearest land triangle under (x, y): face z * 200 + x * 2 + t, where t is the tile's
// first or second triangle as the land build draws it, and its ray parameter; 999999 and
// 999999.0 for none. Returns how many hits became the nearest on the way.
int PickTriangle(int* piFace, float* pfDist, int x, int y);

// The tile index z * 100 + x under (x, y), or NO_PICKED_TILE.
int PickTile(int x, int y);

// Of the four corners of tile (tileX, tileZ), the one drawn nearest to (px, py).
TileCorner FindNearestTileCorner(int px, int py, int tileX, int tileZ);

// Of all projected corners in front of the eye, the one nearest to (px, py); (10000, 10000)
// when none lies within 1,000,000 pixels.
TileCorner FindNearestScreenCorner(int px, int py);
