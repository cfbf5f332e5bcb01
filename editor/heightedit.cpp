// Height painting and smoothing round the selected corner of the map.
#include "editor/heightedit.h"

#include "editor/landedit.h"
#include "terrain/mapdata.h"
#include "terrain/mapupdate.h"
#include "terrain/view.h"

static const int NUM_RINGS = 4;     // the 9 x 9 square round the centre
static const int RING_LIMIT = 50;   // height units per ring of distance

// An index moved by an offset of at most a ring, wrapped onto the map.
static int WrapIndex(int i)
{
    return (i + MAP_SIZE) % MAP_SIZE;
}

void ClampNeighbourHeight(int cx, int cz, int nx, int nz, int iLimit)
{
    short& siCentre = m_MapData.siHeight[cx][cz];
    short& siNeighbour = m_MapData.siHeight[nx][nz];
    if (siCentre > siNeighbour + iLimit)
        siNeighbour = (short)(siCentre - iLimit);
    if (siCentre < siNeighbour - iLimit)
        siNeighbour = (short)(siCentre + iLimit);
}

void SmoothAroundCorner()
{
    TileCorner c = GetSelectedCorner();
    if (c.x < 0 || c.x >= MAP_SIZE || c.z < 0 || c.z >= MAP_SIZE)
        return;
    for (int d = 1; d <= NUM_RINGS; d++)
        for (int dz = -d; dz <= d; dz++)
            for (int dx = -d; dx <= d; dx++)
            {
                // Only the ring's border: the inner squares are the nearer rings.
                if (dx != -d && dx != d && dz != -d && dz != d)
                    continue;
                ClampNeighbourHeight(c.x, c.z, WrapIndex(c.x + dx), WrapIndex(c.z + dz),
                                     RING_LIMIT * d);
            }
}

void PaintHeight(short siValue, bool bAbsolute)
{
    TileCorner c = GetSelectedCorner();
    if (c.x < 0 || c.x >= MAP_SIZE || c.z < 0 || c.z >= MAP_SIZE)
        return;
    short& siHeight = m_MapData.siHeight[c.x][c.z];
    int iNew = bAbsolute ? siValue : siHeight + siValue;
    // A raise past the top is refused whole; a lowering past the bottom stops at 0.
    if (!bAbsolute && iNew > MAX_HEIGHT)
        iNew = siHeight;
    if (iNew > MAX_HEIGHT)
        iNew = MAX_HEIGHT;
    if (iNew < 0)
        iNew = 0;
    siHeight = (short)iNew;
    SmoothAroundCorner();
    CalculateScreenPosition();
}
