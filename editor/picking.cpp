// Picking: the eye ray through a screen point against the land triangles where the wrap
// offsets place them, and the projected tile corner nearest to a screen point.
#include "editor/picking.h"

#include <cmath>
#include <cstdio>

#include "app/d3dservices.h"
#include "app/log.h"
#include "terrain/mapdata.h"
#include "terrain/view.h"

bool GetPickRay(int x, int y, D3DXVECTOR3* pOrig, D3DXVECTOR3* pDir)
{
    if (m_pDevice == NULL)
    {
        LogError("No device for picking");
        return false;
    }
    D3DXMATRIX matProj, matView, m;
    m_pDevice->GetTransform(D3DTS_PROJECTION, &matProj);
    RECT rc;
    GetClientRect(GetDesktopWindow(), &rc);
    if (rc.right <= 0 || rc.bottom <= 0)
    {
        LogError("Picking: the desktop has no size");
        return false;
    }
    D3DXVECTOR3 v((2.0f * (float)x / (float)rc.right - 1.0f) / matProj._11,
                  -(2.0f * (float)y / (float)rc.bottom - 1.0f) / matProj._22, 1.0f);

    m_pDevice->GetTransform(D3DTS_VIEW, &matView);
    if (D3DXMatrixInverse(&m, NULL, &matView) == NULL)
    {
        LogError("Picking: the view transform has no inverse");
        return false;
    }
    pDir->x = v.x * m._11 + v.y * m._21 + v.z * m._31;
    pDir->y = v.x * m._12 + v.y * m._22 + v.z * m._32;
    pDir->z = v.x * m._13 + v.y * m._23 + v.z * m._33;
    *pOrig = D3DXVECTOR3(m._41, m._42, m._43);
    return true;
}

bool IntersectTriangle(const D3DXVECTOR3* pOrig, const D3DXVECTOR3* pDir, const D3DXVECTOR3* p0,
                       const D3DXVECTOR3* p1, const D3DXVECTOR3* p2, float* pfT, float* pfU,
                       float* pfV)
{
    D3DXVECTOR3 edge1 = *p1 - *p0;
    D3DXVECTOR3 edge2 = *p2 - *p0;
    D3DXVECTOR3 pvec(0.0f, 0.0f, 0.0f);
    D3DXVec3Cross(&pvec, pDir, &edge2);
    float det = D3DXVec3Dot(&edge1, &pvec);

    // Both windings hit: the sign of det goes into tvec.
    D3DXVECTOR3 tvec;
    if (det > 0.0f)
        tvec = *pOrig - *p0;
    else
    {
        tvec = *p0 - *pOrig;
        det = -det;
    }
    // Edge-on or degenerate; also a ray of NaNs.
    if (!(det >= 0.0001f))
        return false;

    float u = D3DXVec3Dot(&tvec, &pvec);
    if (u < 0.0f || u > det)
        return false;
    D3DXVECTOR3 qvec(0.0f, 0.0f, 0.0f);
    D3DXVec3Cross(&qvec, &tvec, &edge1);
    float v = D3DXVec3Dot(pDir, &qvec);
    if (v < 0.0f || u + v > det)
        return false;

    // The line may meet a triangle behind the eye, which is nowhere under the pointer.
    float t = D3DXVec3Dot(&edge2, &qvec);
    if (t < 0.0f)
        return false;
    float fInvDet = 1.0f / det;
    *pfT = t * fInvDet;
    *pfU = u * fInvDet;
    *pfV = v * fInvDet;
    return true;
}

// The tile's two triangles as the land build draws them: split from BL to TR, or from TL to
// BR when the tile's split is flipped, so that a pick meets the surface on the screen. The
// far corners lie one unit on from the tile's own shifted place, with the wrapped heights.
static void GetTileTriangles(int x, int z, D3DXVECTOR3 tri[2][3])
{
    DrawnTile tile = GetDrawnTile(x, z);
    const D3DXVECTOR3& a = tile.vTL;
    const D3DXVECTOR3& b = tile.vTR;
    const D3DXVECTOR3& c = tile.vBL;
    const D3DXVECTOR3& d = tile.vBR;
    if (!m_MapData.bTriangleFlip[x][z])
    {
        tri[0][0] = a, tri[0][1] = c, tri[0][2] = b;
        tri[1][0] = c, tri[1][1] = d, tri[1][2] = b;
    }
    else
    {
        tri[0][0] = a, tri[0][1] = d, tri[0][2] = c;
        tri[1][0] = a, tri[1][1] = b, tri[1][2] = d;
    }
}

// The ray parameters over which o + t * d lies in [lo, hi] of one axis, widened by a
// thousandth of a unit so that rounding never loses a hit on a tile's edge; empty when the
// first exceeds the second.
static void GetSlab(float o, float d, float lo, float hi, float* pfFirst, float* pfLast)
{
    lo -= 0.001f;
    hi += 0.001f;
    if (d == 0.0f)
    {
        bool bInside = o >= lo && o <= hi;
        *pfFirst = bInside ? -INFINITY : 1.0f;
        *pfLast = bInside ? INFINITY : 0.0f;
        return;
    }
    float t0 = (lo - o) / d, t1 = (hi - o) / d;
    *pfFirst = fminf(t0, t1);
    *pfLast = fmaxf(t0, t1);
}

// Every tile is still tried in the same order; only those whose column and row the ray
// does not cross together in front of the eye are passed over, which cannot hold a hit.
int PickTriangle(int* piFace, float* pfDist, int x, int y)
{
    *piFace = NO_PICKED_FACE;
    *pfDist = 999999.0f;
    D3DXVECTOR3 vOrig, vDir;
    if (!GetPickRay(x, y, &vOrig, &vDir))
        return 0;

    float fColFirst[MAP_SIZE], fColLast[MAP_SIZE], fRowFirst[MAP_SIZE], fRowLast[MAP_SIZE];
    for (int i = 0; i < MAP_SIZE; i++)
    {
        float fx = (float)(i + m_iWrapOffsetX[i]), fz = (float)(i + m_iWrapOffsetZ[i]);
        GetSlab(vOrig.x, vDir.x, fx, fx + 1.0f, &fColFirst[i], &fColLast[i]);
        GetSlab(vOrig.z, vDir.z, fz, fz + 1.0f, &fRowFirst[i], &fRowLast[i]);
    }

    int iNearest = 0;
    for (int tz = 0; tz < MAP_SIZE; tz++)
        for (int tx = 0; tx < MAP_SIZE; tx++)
        {
            float fFirst = fmaxf(fmaxf(fColFirst[tx], fRowFirst[tz]), 0.0f);
            float fLast = fminf(fColLast[tx], fRowLast[tz]);
            if (fFirst > fLast)
                continue;
            D3DXVECTOR3 tri[2][3];
            GetTileTriangles(tx, tz, tri);
            for (int t = 0; t < 2; t++)
            {
                float fT, fU, fV;
                if (!IntersectTriangle(&vOrig, &vDir, &tri[t][0], &tri[t][1], &tri[t][2], &fT,
                                       &fU, &fV))
                    continue;
                // An equal distance keeps the earlier hit.
                if (*piFace == NO_PICKED_FACE || fT < *pfDist)
                {
                    *piFace = tz * 200 + tx * 2 + t;
                    *pfDist = fT;
                    iNearest++;
                }
            }
        }
    return iNearest;
}

int PickTile(int x, int y)
{
    int iFace;
    float fDist;
    PickTriangle(&iFace, &fDist, x, y);
    return iFace / 2;
}

// Pixels from (px, py) to a projected corner; a corner behind the eye is projected mirrored
// through the screen centre, where nothing of it is drawn, so it is never near.
static float ScreenDistance(const D3DXVECTOR3& v, int px, int py)
{
    if (!(v.z > 0.0f))
        return INFINITY;
    float dx = (float)px - v.x;
    float dy = (float)py - v.y;
    return sqrtf(dx * dx + dy * dy);
}

// The tile's own projected corners, not the neighbours' BL entries: where the neighbour
// column or row is shifted to the other side of the patch, only these lie where the tile
// is drawn.
TileCorner FindNearestTileCorner(int px, int py, int tileX, int tileZ)
{
    TileCorner none = {NO_CORNER, NO_CORNER};
    if (tileX < 0 || tileX >= MAP_SIZE || tileZ < 0 || tileZ >= MAP_SIZE)
    {
        LogErrorf("FindNearestTileCorner: tile (%d, %d) is off the map", tileX, tileZ);
        return none;
    }
    int nx = NextTileX(tileX), nz = NextTileZ(tileZ);
    const TileCorner corners[4] = {{tileX, tileZ}, {nx, tileZ}, {tileX, nz}, {nx, nz}};
    const D3DXVECTOR3* pScreen[4] = {
        &m_vScreenCornerBL[tileX][tileZ], &m_vScreenCornerBR[tileX][tileZ],
        &m_vScreenCornerTL[tileX][tileZ], &m_vScreenCornerTR[tileX][tileZ]};

    int iKept = 0;
    float fKept = ScreenDistance(*pScreen[0], px, py);
    for (int i = 1; i < 4; i++)
    {
        float f = ScreenDistance(*pScreen[i], px, py);
        if (f < fKept)
        {
            iKept = i;
            fKept = f;
        }
    }
    return corners[iKept];
}

TileCorner FindNearestScreenCorner(int px, int py)
{
    TileCorner kept = {NO_CORNER, NO_CORNER};
    float fKept = 1000000.0f;
    for (int z = 0; z < MAP_SIZE; z++)
        for (int x = 0; x < MAP_SIZE; x++)
        {
            float f = ScreenDistance(m_vScreenCornerBL[x][z], px, py);
            if (f < fKept)
            {
                kept.x = x;
                kept.z = z;
                fKept = f;
            }
        }
    return kept;
}
