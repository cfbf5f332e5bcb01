// Picking: tiles, triangles and corners under screen points, from the real camera and view,
// across the seams of the wrap and on raised land.
#include "support/devicefixture.h"

#include <algorithm>
#include <cmath>
#include <sstream>
#include <string>
#include <vector>

#include "app/camera.h"
#include "app/d3dservices.h"
#include "app/frame.h"
#include "app/log.h"
#include "app/msgproc.h"
#include "editor/picking.h"
#include "support/readback.h"
#include "terrain/landtextures.h"
#include "terrain/mapdata.h"
#include "terrain/mapupdate.h"
#include "terrain/view.h"

TEST(IntersectTriangle, HitsEitherWindingInFrontOfTheOriginOnly)
{
    D3DXVECTOR3 p0(0.0f, 1.0f, 0.0f), p1(1.0f, 1.0f, 0.0f), p2(0.0f, 1.0f, 1.0f);
    D3DXVECTOR3 vAbove(0.25f, 5.0f, 0.5f), vDown(0.0f, -2.0f, 0.0f), vUp(0.0f, 1.0f, 0.0f);
    float t = 0, u = 0, v = 0;
    ASSERT_TRUE(IntersectTriangle(&vAbove, &vDown, &p0, &p1, &p2, &t, &u, &v));
    EXPECT_FLOAT_EQ(t, 2.0f);   // in units of the unnormalised direction
    EXPECT_FLOAT_EQ(u, 0.25f);
    EXPECT_FLOAT_EQ(v, 0.5f);
    ASSERT_TRUE(IntersectTriangle(&vAbove, &vDown, &p0, &p2, &p1, &t, &u, &v));
    EXPECT_FLOAT_EQ(t, 2.0f);
    EXPECT_FLOAT_EQ(u, 0.5f);
    EXPECT_FLOAT_EQ(v, 0.25f);

    // Its line meets the triangle behind the origin.
    EXPECT_FALSE(IntersectTriangle(&vAbove, &vUp, &p0, &p1, &p2, &t, &u, &v));
    D3DXVECTOR3 vBeyondDiagonal(0.6f, 5.0f, 0.6f);
    EXPECT_FALSE(IntersectTriangle(&vBeyondDiagonal, &vDown, &p0, &p1, &p2, &t, &u, &v));
    D3DXVECTOR3 vInPlane(-1.0f, 1.0f, 0.25f), vAlong(1.0f, 0.0f, 0.0f);
    EXPECT_FALSE(IntersectTriangle(&vInPlane, &vAlong, &p0, &p1, &p2, &t, &u, &v));
    D3DXVECTOR3 q2(2.0f, 1.0f, 0.0f);   // three points on one line
    EXPECT_FALSE(IntersectTriangle(&vAbove, &vDown, &p0, &p1, &q2, &t, &u, &v));
    D3DXVECTOR3 vNoDirection(NAN, NAN, NAN);
    EXPECT_FALSE(IntersectTriangle(&vAbove, &vNoDirection, &p0, &p1, &p2, &t, &u, &v));
}

class Picking : public DeviceTest
{
protected:
    static void SetUpTestSuite()
    {
        DeviceTest::SetUpTestSuite();
        InitMapData();
        LoadLandTextures();
    }

    void SetUp() override
    {
        SMD.siX = 500;   // away from the screen edges the camera steers by
        SMD.siY = 400;
        m_fFrameTime = 0.0f;
        InitCamera();
        FlattenMap();
        GetClientRect(GetDesktopWindow(), &m_rcScreen);
    }

    void TearDown() override
    {
        m_fFrameTime = 0.0f;
        InitCamera();
        FlattenMap();
        CalculateScreenPosition();
    }

    static void FlattenMap()
    {
        for (int x = 0; x < MAP_SIZE; x++)
            for (int z = 0; z < MAP_SIZE; z++)
            {
                m_MapData.siHeight[x][z] = 0;
                m_MapData.bTriangleFlip[x][z] = false;
            }
    }

    // Gentle hills, too gentle to hide one tile behind another from the tested views, and
    // both split orders spread over the map.
    static void RaiseGentleHills()
    {
        for (int x = 0; x < MAP_SIZE; x++)
            for (int z = 0; z < MAP_SIZE; z++)
            {
                m_MapData.siHeight[x][z] = (short)(96.0 + 16.0 * sin(0.5 * x) * cos(0.4 * z));
                m_MapData.bTriangleFlip[x][z] = (x + 2 * z) % 3 == 0;
            }
    }

    static void TurnCamera(float fYaw)
    {
        m_fFrameTime = fYaw / 250.0f;
        SteerCamera(CAMKEY_LEFT);
    }

    // Pitch up to the limit and down to the lowest height: the view reaches the horizon.
    static void LowCameraLookingFar()
    {
        m_fFrameTime = 0.01f;
        SteerCamera(CAMKEY_INSERT);
        SteerCamera(CAMKEY_END);
        for (int i = 0; i < 100 && EaseCameraHeight(); i++)
            ;
        m_fFrameTime = 0.0f;
    }

    static void LookFrom(int x, int z)
    {
        MoveCameraTo(x, z);
        CalculateScreenPosition();
    }

    static float WorldHeight(int x, int z)
    {
        return (float)m_MapData.siHeight[x % MAP_SIZE][z % MAP_SIZE] / 32.0f;
    }

    // The point (u, v) of tile (x, z), on its surface as the land build splits it, where the
    // wrap offsets place the tile.
    static D3DXVECTOR3 PointOnTile(int x, int z, float u, float v)
    {
        float hBL = WorldHeight(x, z), hBR = WorldHeight(x + 1, z);
        float hTL = WorldHeight(x, z + 1), hTR = WorldHeight(x + 1, z + 1);
        float h;
        if (!m_MapData.bTriangleFlip[x][z])   // split from BL to TR
            h = v >= u ? hBL + v * (hTL - hBL) + u * (hTR - hTL)
                       : hBL + u * (hBR - hBL) + v * (hTR - hBR);
        else                                   // split from TL to BR
            h = u + v <= 1.0f ? hBL + u * (hBR - hBL) + v * (hTL - hBL)
                              : hTR + (1.0f - u) * (hTL - hTR) + (1.0f - v) * (hBR - hTR);
        return D3DXVECTOR3((float)(x + m_iWrapOffsetX[x]) + u, h,
                           (float)(z + m_iWrapOffsetZ[z]) + v);
    }

    // Which of the tile's two drawn triangles holds (u, v).
    static int TriangleOf(int x, int z, float u, float v)
    {
        if (!m_MapData.bTriangleFlip[x][z])
            return v > u ? 0 : 1;
        return u + v < 1.0f ? 0 : 1;
    }

    static POINT ScreenPoint(const D3DXVECTOR3& vWorld)
    {
        D3DXVECTOR3 vScreen;
        ProjectToScreen(vWorld, &vScreen);
        POINT pt = {lroundf(vScreen.x), lroundf(vScreen.y)};
        return pt;
    }

    // The tile's four corners lie in front of the eye and well inside the lower three
    // quarters of the screen, where the gentle hills hide nothing.
    bool IsWellInView(int x, int z) const
    {
        for (const D3DXVECTOR3* pv : {&m_vScreenCornerBL[x][z], &m_vScreenCornerBR[x][z],
                                      &m_vScreenCornerTL[x][z], &m_vScreenCornerTR[x][z]})
            if (!(pv->z > 0.5f && pv->x > 40 && pv->x < m_rcScreen.right - 40 &&
                  pv->y > m_rcScreen.bottom / 4 && pv->y < m_rcScreen.bottom - 40))
                return false;
        return true;
    }

    // Picks a point inside each triangle of every tile well in view; returns the mismatches
    // (at most a few) and the required tiles that were not among them.
    std::string PickEveryTileInView(const std::vector<int>& required)
    {
        // Off both diagonals, in both triangles of either split.
        static const float fInside[4][2] = {{0.2f, 0.5f}, {0.5f, 0.2f}, {0.8f, 0.5f}, {0.5f, 0.8f}};
        std::ostringstream out;
        int iBad = 0;
        std::vector<int> missing = required;
        for (int z = 0; z < MAP_SIZE; z++)
            for (int x = 0; x < MAP_SIZE; x++)
            {
                if (!IsWellInView(x, z))
                    continue;
                missing.erase(std::remove(missing.begin(), missing.end(), z * 100 + x),
                              missing.end());
                for (const float* uv : fInside)
                {
                    POINT pt = ScreenPoint(PointOnTile(x, z, uv[0], uv[1]));
                    int iFace = -1;
                    float fDist = 0.0f;
                    PickTriangle(&iFace, &fDist, pt.x, pt.y);
                    int iWant = z * 200 + x * 2 + TriangleOf(x, z, uv[0], uv[1]);
                    int iTile = PickTile(pt.x, pt.y);
                    if ((iFace != iWant || iTile != z * 100 + x) && ++iBad <= 5)
                        out << "tile (" << x << ", " << z << ") at " << uv[0] << "," << uv[1]
                            << ": face " << iFace << " want " << iWant << ", tile " << iTile
                            << "; ";
                }
            }
        for (int t : missing)
            out << "tile " << t << " not in view; ";
        return out.str();
    }

    RECT m_rcScreen;
};

TEST_F(Picking, FindsTheTileAndTriangleUnderPointsOfEveryTileInView)
{
    LookFrom(40, 30);
    EXPECT_EQ(PickEveryTileInView({55 * 100 + 40, 50 * 100 + 37, 60 * 100 + 44}), "");

    RaiseGentleHills();
    LookFrom(40, 30);
    EXPECT_EQ(PickEveryTileInView({55 * 100 + 40, 50 * 100 + 37, 60 * 100 + 44}), "");
    // Ahead of (99, 80) columns 99 and 0 and rows 99 and 0 meet.
    LookFrom(99, 80);
    EXPECT_EQ(PickEveryTileInView({9999, 9900, 99, 0, 9998, 1}), "");
    // Looking along +x across the column seam, then along -z across the row seam.
    TurnCamera(4.71f);
    LookFrom(80, 50);
    EXPECT_EQ(PickEveryTileInView({50 * 100 + 99, 50 * 100 + 0}), "");
    InitCamera();
    TurnCamera(3.14f);
    LookFrom(50, 20);
    EXPECT_EQ(PickEveryTileInView({99 * 100 + 50, 50}), "");
}

// The nearest hit among all 20,000 triangles of the map, none passed over.
static int PickTryingEveryTriangle(int px, int py)
{
    D3DXVECTOR3 vOrig, vDir;
    if (!GetPickRay(px, py, &vOrig, &vDir))
        return -1;
    int iFace = NO_PICKED_FACE;
    float fBest = 0.0f;
    for (int z = 0; z < MAP_SIZE; z++)
        for (int x = 0; x < MAP_SIZE; x++)
        {
            float fx = (float)(x + m_iWrapOffsetX[x]), fz = (float)(z + m_iWrapOffsetZ[z]);
            int nx = (x + 1) % MAP_SIZE, nz = (z + 1) % MAP_SIZE;
            D3DXVECTOR3 a(fx, m_MapData.siHeight[x][nz] / 32.0f, fz + 1);
            D3DXVECTOR3 b(fx + 1, m_MapData.siHeight[nx][nz] / 32.0f, fz + 1);
            D3DXVECTOR3 c(fx, m_MapData.siHeight[x][z] / 32.0f, fz);
            D3DXVECTOR3 d(fx + 1, m_MapData.siHeight[nx][z] / 32.0f, fz);
            const D3DXVECTOR3* tri[2][3] = {{&a, &c, &b}, {&c, &d, &b}};
            const D3DXVECTOR3* triFlipped[2][3] = {{&a, &d, &c}, {&a, &b, &d}};
            for (int t = 0; t < 2; t++)
            {
                const D3DXVECTOR3* const* p = m_MapData.bTriangleFlip[x][z] ? triFlipped[t] : tri[t];
                float fT, fU, fV;
                if (IntersectTriangle(&vOrig, &vDir, p[0], p[1], p[2], &fT, &fU, &fV) &&
                    (iFace == NO_PICKED_FACE || fT < fBest))
                {
                    iFace = z * 200 + x * 2 + t;
                    fBest = fT;
                }
            }
        }
    return iFace;
}

TEST_F(Picking, TilesTheRayDoesNotCrossArePassedOverWithoutLosingAHit)
{
    // Rugged land: hills hide tiles and rays graze edges.
    srand(7);
    for (int x = 0; x < MAP_SIZE; x++)
        for (int z = 0; z < MAP_SIZE; z++)
        {
            m_MapData.siHeight[x][z] = (short)(rand() % 257);
            m_MapData.bTriangleFlip[x][z] = rand() % 2;
        }
    const int views[][2] = {{40, 30}, {99, 80}, {3, 97}};
    for (const int* view : views)
    {
        LookFrom(view[0], view[1]);
        for (int py = 0; py < m_rcScreen.bottom; py += 32)
            for (int px = 0; px < m_rcScreen.right; px += 32)
            {
                int iFace = -1;
                float fDist = 0.0f;
                PickTriangle(&iFace, &fDist, px, py);
                ASSERT_EQ(iFace, PickTryingEveryTriangle(px, py))
                    << "from " << view[0] << "," << view[1] << " at " << px << "," << py;
            }
    }
}

TEST_F(Picking, ARidgeAlongAFlippedSplitIsPickedWhereItIsDrawn)
{
    // Tile (40, 45) split from TL to BR with both ends of that diagonal raised: a ridge that
    // a split from BL to TR would draw as a valley. Its near side faces the camera.
    m_MapData.siHeight[40][46] = 256;
    m_MapData.siHeight[41][45] = 256;
    m_MapData.bTriangleFlip[40][45] = true;
    LookFrom(40, 30);
    int iFace = 0;
    float fDist = 0.0f;
    POINT pt = ScreenPoint(PointOnTile(40, 45, 0.45f, 0.45f));
    PickTriangle(&iFace, &fDist, pt.x, pt.y);
    EXPECT_EQ(iFace, 45 * 200 + 40 * 2 + 0);
    pt = ScreenPoint(PointOnTile(40, 45, 0.7f, 0.25f));
    PickTriangle(&iFace, &fDist, pt.x, pt.y);
    EXPECT_EQ(iFace, 45 * 200 + 40 * 2 + 0);
    EXPECT_EQ(PickTile(pt.x, pt.y), 45 * 100 + 40);
}

TEST_F(Picking, TheSkyAndHillsBehindTheEyeAreNeverPicked)
{
    // A low camera looking to the horizon, with a hill behind it higher than the eye: the
    // lines of the rays through the screen meet the hill behind the eye.
    LowCameraLookingFar();
    for (int x = 0; x < MAP_SIZE; x++)
        for (int z = 22; z <= 29; z++)
            m_MapData.siHeight[x][z] = 256;
    LookFrom(40, 30);
    int iMid = m_rcScreen.right / 2;

    int iFace = 0;
    float fDist = 0.0f;
    EXPECT_EQ(PickTriangle(&iFace, &fDist, iMid, 0), 0);
    EXPECT_EQ(iFace, NO_PICKED_FACE);
    EXPECT_EQ(fDist, 999999.0f);
    EXPECT_EQ(PickTile(iMid, 0), NO_PICKED_TILE);

    // The land just ahead at the bottom of the screen, a little right of column 40's edge.
    int iTile = PickTile(iMid + 30, m_rcScreen.bottom - 1);
    EXPECT_EQ(iTile % 100, 40);
    EXPECT_GT(iTile / 100, 30);
    EXPECT_LT(iTile / 100, 40);

    // The hill's corners come out mirrored onto the screen; the nearest corner is one ahead.
    int iMirrored = 0;
    for (int z = 0; z < MAP_SIZE; z++)
        for (int x = 0; x < MAP_SIZE; x++)
        {
            const D3DXVECTOR3& v = m_vScreenCornerBL[x][z];
            if (v.z >= 0.0f || v.x < 0 || v.x >= m_rcScreen.right || v.y < 0 ||
                v.y >= m_rcScreen.bottom)
                continue;
            iMirrored++;
            TileCorner c = FindNearestScreenCorner(lroundf(v.x), lroundf(v.y));
            ASSERT_TRUE(c.x >= 0 && c.x < MAP_SIZE && c.z >= 0 && c.z < MAP_SIZE);
            EXPECT_GT(m_vScreenCornerBL[c.x][c.z].z, 0.0f) << x << "," << z;
        }
    EXPECT_GT(iMirrored, 0);
}

TEST_F(Picking, TheNearestCornerOfATileIsTheOneDrawnNearest)
{
    RaiseGentleHills();
    LookFrom(99, 80);
    // Tile (99, 99)'s corners are (99, 99), (0, 99), (99, 0) and (0, 0).
    const int tiles[][2] = {{99, 99}, {0, 0}, {1, 1}};
    for (const int* tile : tiles)
    {
        int x = tile[0], z = tile[1];
        POINT ptCentre = ScreenPoint(PointOnTile(x, z, 0.5f, 0.5f));
        for (int k = 0; k < 4; k++)
        {
            int dx = k & 1, dz = k >> 1;
            POINT ptCorner = ScreenPoint(PointOnTile(x, z, (float)dx, (float)dz));
            // A little way in from the corner, on the tile as the hover step picks it.
            int px = ptCorner.x + (ptCentre.x - ptCorner.x) / 5;
            int py = ptCorner.y + (ptCentre.y - ptCorner.y) / 5;
            ASSERT_EQ(PickTile(px, py), z * 100 + x);
            TileCorner c = FindNearestTileCorner(px, py, x, z);
            EXPECT_EQ(c.x, (x + dx) % MAP_SIZE) << x << "," << z << " corner " << k;
            EXPECT_EQ(c.z, (z + dz) % MAP_SIZE) << x << "," << z << " corner " << k;
            c = FindNearestScreenCorner(ptCorner.x, ptCorner.y);
            EXPECT_EQ(c.x, (x + dx) % MAP_SIZE) << x << "," << z << " corner " << k;
            EXPECT_EQ(c.z, (z + dz) % MAP_SIZE) << x << "," << z << " corner " << k;
        }
    }

    // At the far edge of the patch a tile's far corners lie where the tile puts them, while
    // the corner row itself is drawn behind the eye.
    InitCamera();
    LowCameraLookingFar();
    LookFrom(40, 30);
    ASSERT_EQ(m_iWrapOffsetZ[20], 100);
    ASSERT_EQ(m_iWrapOffsetZ[21], 0);
    const D3DXVECTOR3& vFar = m_vScreenCornerTL[45][20];
    ASSERT_GT(vFar.z, 0.0f);
    TileCorner c = FindNearestTileCorner(lroundf(vFar.x), lroundf(vFar.y), 45, 20);
    EXPECT_EQ(c.x, 45);
    EXPECT_EQ(c.z, 21);
}

TEST_F(Picking, NoCornerWhenEveryCornerIsBehindTheEyeOrFarOff)
{
    for (int x = 0; x < MAP_SIZE; x++)
        for (int z = 0; z < MAP_SIZE; z++)
            m_vScreenCornerBL[x][z] = D3DXVECTOR3(500.0f, 400.0f, -1.0f);
    TileCorner c = FindNearestScreenCorner(500, 400);
    EXPECT_EQ(c.x, NO_CORNER);
    EXPECT_EQ(c.z, NO_CORNER);
    m_vScreenCornerBL[3][4] = D3DXVECTOR3(2000000.0f, 400.0f, 5.0f);
    m_vScreenCornerBL[5][6] = D3DXVECTOR3(NAN, NAN, 5.0f);
    c = FindNearestScreenCorner(500, 400);
    EXPECT_EQ(c.x, NO_CORNER);
    m_vScreenCornerBL[7][8] = D3DXVECTOR3(-900000.0f, 400.0f, 5.0f);
    c = FindNearestScreenCorner(500, 400);
    EXPECT_EQ(c.x, 7);
    EXPECT_EQ(c.z, 8);
}

TEST_F(Picking, BadInputIsLoggedAndPicksNothing)
{
    InitErrorLog();
    TileCorner c = FindNearestTileCorner(500, 400, 100, 0);
    EXPECT_EQ(c.x, NO_CORNER);
    EXPECT_EQ(c.z, NO_CORNER);

    LPDIRECT3DDEVICE9 pDevice = m_pDevice;
    m_pDevice = NULL;
    int iTile = PickTile(500, 400);
    m_pDevice = pDevice;
    EXPECT_EQ(iTile, NO_PICKED_TILE);

    std::vector<std::string> lines = ReadLog();
    ASSERT_EQ(lines.size(), 3u);
    EXPECT_EQ(lines[1], "FindNearestTileCorner: tile (100, 0) is off the map");
    EXPECT_EQ(lines[2], "No device for picking");
}
