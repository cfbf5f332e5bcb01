// The view of the wrap-around map: the patch placed round the camera, the projection of every
// tile corner, the displayable tiles, and the land batch counts.
#include "terrain/view.h"

#include <cmath>
#include <cstdio>

#include "app/camera.h"
#include "app/d3dservices.h"
#include "app/log.h"

// World shift per column and row; set by SetMapWrappingOffsets, zeroed by the blank map.
int m_iWrapOffsetX[MAP_SIZE];
int m_iWrapOffsetZ[MAP_SIZE];
// The four projected corners of every tile; rewritten by every map update.
D3DXVECTOR3 m_vScreenCornerBL[MAP_SIZE][MAP_SIZE];
D3DXVECTOR3 m_vScreenCornerBR[MAP_SIZE][MAP_SIZE];
D3DXVECTOR3 m_vScreenCornerTR[MAP_SIZE][MAP_SIZE];
D3DXVECTOR3 m_vScreenCornerTL[MAP_SIZE][MAP_SIZE];
// Marked from the projected corners by CalculateDisplayableTiles.
bool m_bDisplayable[MAP_SIZE][MAP_SIZE];
short m_siRangeStart[MAP_SIZE];
short m_siRangeEnd[MAP_SIZE];
// Counted by CountTilesForTexture from the marks and the map.
int m_iNumDisplayableTiles;
short m_siVisibleCaves[MAX_VISIBLE_CAVES];
short m_siNumVisibleCaves;
int m_iLandRowCount[BATCH_TABLE_TYPES][ALPHA_TABLE_SIZE];

namespace
{
// The transforms and desktop size one projection reads.
struct ScreenSetup
{
    D3DXMATRIX matView;
    float fP11;
    float fWidth;
    float fHeight;
};
}   // namespace

static RECT DesktopRect()
{
    RECT rc;
    GetClientRect(GetDesktopWindow(), &rc);
    return rc;
}

static void ReadScreenSetup(ScreenSetup* pSetup)
{
    D3DXMATRIX matProj;
    m_pDevice->GetTransform(D3DTS_VIEW, &pSetup->matView);
    m_pDevice->GetTransform(D3DTS_PROJECTION, &matProj);
    pSetup->fP11 = matProj._11;
    RECT rc = DesktopRect();
    pSetup->fWidth = (float)rc.right;
    pSetup->fHeight = (float)rc.bottom;
}

// No test of the depth: a point behind the camera comes out mirrored through the centre.
static void Project(const ScreenSetup& s, float x, float y, float z, D3DXVECTOR3* pOut)
{
    const D3DXMATRIX& V = s.matView;
    float vx = x * V._11 + y * V._21 + z * V._31 + V._41;
    float vy = x * V._12 + y * V._22 + z * V._32 + V._42;
    float vz = x * V._13 + y * V._23 + z * V._33 + V._43;
    pOut->x = s.fWidth / 2 + (vx / vz) * s.fWidth * s.fP11 / 2;
    pOut->y = s.fHeight / 2 - (vy / vz) * s.fHeight * s.fHeight / s.fWidth * s.fP11 / 2;
    pOut->z = vz;
}

void ProjectToScreen(D3DXVECTOR3 p, D3DXVECTOR3* pOut)
{
    ScreenSetup setup;
    ReadScreenSetup(&setup);
    Project(setup, p.x, p.y, p.z, pOut);
}

// Sets entries iFrom to iTo of a 100-entry table, kept within the table.
static void SetOffsets(int* piTable, int iFrom, int iTo, int iValue)
{
    if (iFrom < 0)
        iFrom = 0;
    if (iTo > MAP_SIZE - 1)
        iTo = MAP_SIZE - 1;
    for (int i = iFrom; i <= iTo; i++)
        piTable[i] = iValue;
}

// 0 looking along +z, 1 along +x, 2 along -z, 3 along -x. The bounds are not quite the
// multiples of pi/4 and are compared in double.
static int HeadingQuadrant(float fYaw)
{
    if (fYaw < 0.785398 || fYaw >= 5.497787)
        return 0;
    if (fYaw < 2.35619449)
        return 3;
    if (fYaw < 3.92699)
        return 2;
    return 1;
}

void SetMapWrappingOffsetsFor(float fCameraX, float fCameraZ, float fYaw)
{
    int cx = (int)fCameraX;
    int cz = (int)fCameraZ;
    SetOffsets(m_iWrapOffsetZ, 0, MAP_SIZE - 1, 0);
    SetOffsets(m_iWrapOffsetX, 0, MAP_SIZE - 1, 0);
    int q = HeadingQuadrant(fYaw);

    // Sideways: a window of 100 columns (rows) round a point 70 units ahead is contiguous.
    if (q == 0 || q == 2)
    {
        int s = (int)(sin((double)fYaw) * 70.0);
        int lo = cx - 50 - s, hi = cx + 50 - s;
        if (lo < 0)
            SetOffsets(m_iWrapOffsetX, lo + 100, MAP_SIZE - 1, -100);
        else if (hi > MAP_SIZE - 1)
            SetOffsets(m_iWrapOffsetX, 0, hi - 100, 100);
    }
    else
    {
        int c = (int)(cos((double)fYaw) * 70.0);
        int lo = cz + c - 50, hi = cz + c + 50;
        if (lo < 0)
            SetOffsets(m_iWrapOffsetZ, lo + 100, MAP_SIZE - 1, -100);
        else if (hi > MAP_SIZE - 1)
            SetOffsets(m_iWrapOffsetZ, 0, hi - 100, 100);
    }

    // Along the view: what lies behind the camera is moved ahead of it.
    if (q == 0 && cz > 10)
        SetOffsets(m_iWrapOffsetZ, 0, cz - 10, 100);
    else if (q == 2 && cz < 90)
        SetOffsets(m_iWrapOffsetZ, cz, MAP_SIZE - 1, -100);
    else if (q == 1 && cx > 10)
        SetOffsets(m_iWrapOffsetX, 0, cx - 10, 100);
    else if (q == 3 && cx < 90)
        SetOffsets(m_iWrapOffsetX, cx, MAP_SIZE - 1, -100);
}

void SetMapWrappingOffsets()
{
    SetMapWrappingOffsetsFor(GetCameraX(), GetCameraZ(), GetCameraYaw());
}

DrawnTile GetDrawnTile(int x, int z)
{
    int xn = NextTileX(x), zn = NextTileZ(z);
    float fX = (float)(x + m_iWrapOffsetX[x]);
    float fZ = (float)(z + m_iWrapOffsetZ[z]);
    DrawnTile tile;
    tile.vBL = D3DXVECTOR3(fX, CornerWorldHeight(x, z), fZ);
    tile.vBR = D3DXVECTOR3(fX + 1.0f, CornerWorldHeight(xn, z), fZ);
    tile.vTR = D3DXVECTOR3(fX + 1.0f, CornerWorldHeight(xn, zn), fZ + 1.0f);
    tile.vTL = D3DXVECTOR3(fX, CornerWorldHeight(x, zn), fZ + 1.0f);
    return tile;
}

static void ProjectPoint(const ScreenSetup& s, const D3DXVECTOR3& v, D3DXVECTOR3* pOut)
{
    Project(s, v.x, v.y, v.z, pOut);
}

// All 40,000 corners with one read of the transforms: they cannot change during the loop.
void ProjectAllCorners()
{
    ScreenSetup setup;
    ReadScreenSetup(&setup);
    for (int z = 0; z < MAP_SIZE; z++)
        for (int x = 0; x < MAP_SIZE; x++)
        {
            DrawnTile tile = GetDrawnTile(x, z);
            ProjectPoint(setup, tile.vBL, &m_vScreenCornerBL[x][z]);
            ProjectPoint(setup, tile.vBR, &m_vScreenCornerBR[x][z]);
            ProjectPoint(setup, tile.vTR, &m_vScreenCornerTR[x][z]);
            ProjectPoint(setup, tile.vTL, &m_vScreenCornerTL[x][z]);
        }
}

int DisplayMargin(float fCameraHeight)
{
    return (int)((50.0 - fCameraHeight) / 40.0 * 30.0);
}

// A coordinate that is not a number fails both comparisons.
static bool IsInside(const D3DXVECTOR3& v, float fLeft, float fTop, float fRight, float fBottom)
{
    return v.x >= fLeft && v.x <= fRight && v.y >= fTop && v.y <= fBottom;
}

void CalculateDisplayableTilesAt(float fCameraHeight)
{
    int m = DisplayMargin(fCameraHeight);
    RECT rc = DesktopRect();
    float fLeft = (float)(rc.left - m), fTop = (float)(rc.top - m);
    float fRight = (float)(rc.right + m), fBottom = (float)(rc.bottom + m);

    for (int z = 0; z < MAP_SIZE; z++)
        for (int x = 0; x < MAP_SIZE; x++)
            m_bDisplayable[x][z] = IsInside(m_vScreenCornerBL[x][z], fLeft, fTop, fRight, fBottom) ||
                                   IsInside(m_vScreenCornerBR[x][z], fLeft, fTop, fRight, fBottom) ||
                                   IsInside(m_vScreenCornerTR[x][z], fLeft, fTop, fRight, fBottom) ||
                                   IsInside(m_vScreenCornerTL[x][z], fLeft, fTop, fRight, fBottom);
    CalculateDisplayableRanges();
}

void CalculateDisplayableTiles()
{
    CalculateDisplayableTilesAt(GetCameraY());
}

// The first run of a row gives start and end; a second run moves the start only, so a row
// shown across the wrap reads start 90, end 10.
void CalculateDisplayableRanges()
{
    for (int z = 0; z < MAP_SIZE; z++)
    {
        m_siRangeStart[z] = m_siRangeEnd[z] = -10000;
        bool bSeen = false, bInRun = false;
        for (int x = 0; x < MAP_SIZE; x++)
        {
            if (!m_bDisplayable[x][z])
            {
                bInRun = false;
                continue;
            }
            if (!bSeen)
            {
                m_siRangeStart[z] = m_siRangeEnd[z] = (short)x;
                bSeen = bInRun = true;
            }
            else if (bInRun)
                m_siRangeEnd[z] = (short)x;
            else
            {
                m_siRangeStart[z] = (short)x;
                break;
            }
        }
    }
}

int GetWrapOffsetX(int x)
{
    return IsIndexInRange(x, MAP_SIZE, "GetWrapOffsetX") ? m_iWrapOffsetX[x] : 0;
}

int GetWrapOffsetZ(int z)
{
    return IsIndexInRange(z, MAP_SIZE, "GetWrapOffsetZ") ? m_iWrapOffsetZ[z] : 0;
}

int GetTileWrapOffsetX(int iIndex)
{
    int x, z;
    SplitTileIndex(iIndex, &x, &z);
    return IsTileOnMap(x, z, "GetTileWrapOffsetX") ? m_iWrapOffsetX[x] : 0;
}

int GetTileWrapOffsetZ(int iIndex)
{
    int x, z;
    SplitTileIndex(iIndex, &x, &z);
    return IsTileOnMap(x, z, "GetTileWrapOffsetZ") ? m_iWrapOffsetZ[z] : 0;
}

bool IsTileDisplayable(int x, int z)
{
    return IsTileOnMap(x, z, "IsTileDisplayable") && m_bDisplayable[x][z];
}

int GetDisplayRangeStart(int z)
{
    return IsIndexInRange(z, MAP_SIZE, "GetDisplayRangeStart") ? m_siRangeStart[z] : -10000;
}

int GetDisplayRangeEnd(int z)
{
    return IsIndexInRange(z, MAP_SIZE, "GetDisplayRangeEnd") ? m_siRangeEnd[z] : -10000;
}

D3DXVECTOR3 GetTileScreenPos(int x, int z)
{
    if (!IsTileOnMap(x, z, "GetTileScreenPos"))
        return D3DXVECTOR3(0.0f, 0.0f, 0.0f);
    return m_vScreenCornerBL[x][z];
}

int GetLandRowTileCount(int iType, int iSlot)
{
    if (!IsIndexInRange(iType, BATCH_TABLE_TYPES, "GetLandRowTileCount") ||
        !IsIndexInRange(iSlot, ALPHA_TABLE_SIZE, "GetLandRowTileCount"))
        return 0;
    return m_iLandRowCount[iType][iSlot];
}
