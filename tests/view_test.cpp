// The view: wrap offsets round the camera, corner projection, displayable tiles, ranges and
// the land batch counts.
#include "support/devicefixture.h"

#include <cmath>
#include <fstream>
#include <string>
#include <vector>

#include "app/camera.h"
#include "app/d3dservices.h"
#include "app/log.h"
#include "support/flatmap.h"
#include "support/readback.h"
#include "terrain/landtextures.h"
#include "terrain/mapdata.h"
#include "terrain/mapupdate.h"
#include "terrain/view.h"

// The entries of a wrap table that hold value, as "from-to" runs: "90-99".
static std::string Runs(const int* piTable, int iValue)
{
    std::string s;
    for (int i = 0; i < MAP_SIZE; i++)
    {
        if (piTable[i] != iValue || (i > 0 && piTable[i - 1] == iValue))
            continue;
        int j = i;
        while (j + 1 < MAP_SIZE && piTable[j + 1] == iValue)
            j++;
        if (!s.empty())
            s += ",";
        s += std::to_string(i) + "-" + std::to_string(j);
    }
    return s;
}

static int CountOffsets(const int* piTable, int iValue)
{
    int n = 0;
    for (int i = 0; i < MAP_SIZE; i++)
        n += piTable[i] == iValue;
    return n;
}

TEST(WrapOffsets, LookingAlongPlusZ)
{
    SetMapWrappingOffsetsFor(40.0f, 30.0f, 0.0f);
    EXPECT_EQ(Runs(m_iWrapOffsetX, -100), "90-99");
    EXPECT_EQ(CountOffsets(m_iWrapOffsetX, 0), 90);
    EXPECT_EQ(Runs(m_iWrapOffsetZ, 100), "0-20");
    EXPECT_EQ(CountOffsets(m_iWrapOffsetZ, 0), 79);

    SetMapWrappingOffsetsFor(60.5f, 50.9f, 0.0f);
    EXPECT_EQ(Runs(m_iWrapOffsetX, 100), "0-10");
    EXPECT_EQ(CountOffsets(m_iWrapOffsetX, 0), 89);
    EXPECT_EQ(Runs(m_iWrapOffsetZ, 100), "0-40");
    EXPECT_EQ(CountOffsets(m_iWrapOffsetZ, 0), 59);

    // Close to the near edge no row lies behind to move; the window of 101 columns
    // still reaches one column round.
    SetMapWrappingOffsetsFor(50.0f, 10.0f, 0.0f);
    EXPECT_EQ(Runs(m_iWrapOffsetX, 100), "0-0");
    EXPECT_EQ(CountOffsets(m_iWrapOffsetZ, 0), 100);
}

TEST(WrapOffsets, LookingAlongMinusZStartsAtTheCameraRow)
{
    SetMapWrappingOffsetsFor(40.0f, 95.0f, 3.14159f);
    EXPECT_EQ(Runs(m_iWrapOffsetX, -100), "90-99");
    EXPECT_EQ(CountOffsets(m_iWrapOffsetZ, 0), 100);

    SetMapWrappingOffsetsFor(40.0f, 89.0f, 3.14159f);
    EXPECT_EQ(Runs(m_iWrapOffsetZ, -100), "89-99");
    EXPECT_EQ(CountOffsets(m_iWrapOffsetZ, 0), 89);
}

TEST(WrapOffsets, QuadrantBoundsAreSlightlyOffTheQuarterTurns)
{
    // 0.7853 still looks along +z: the sideways window moves columns.
    SetMapWrappingOffsetsFor(40.0f, 30.0f, 0.7853f);
    EXPECT_EQ(Runs(m_iWrapOffsetX, -100), "41-99");   // s = 49, lo = -59
    EXPECT_EQ(Runs(m_iWrapOffsetZ, 100), "0-20");

    // 0.7854 looks along -x: rows slide sideways, the columns behind go ahead.
    SetMapWrappingOffsetsFor(40.0f, 30.0f, 0.7854f);
    EXPECT_EQ(Runs(m_iWrapOffsetZ, 100), "0-29");     // c = 49, hi = 129
    EXPECT_EQ(Runs(m_iWrapOffsetX, -100), "40-99");

    // 6.0 is back in the first quadrant.
    SetMapWrappingOffsetsFor(40.0f, 30.0f, 6.0f);
    EXPECT_EQ(Runs(m_iWrapOffsetX, 100), "0-9");      // s = -19, hi = 109
    EXPECT_EQ(Runs(m_iWrapOffsetZ, 100), "0-20");

    // Looking along +x from x 50: the columns up to 40 go ahead.
    SetMapWrappingOffsetsFor(50.0f, 30.0f, 4.7f);
    EXPECT_EQ(Runs(m_iWrapOffsetX, 100), "0-40");
}

TEST(WrapOffsets, StayWithinTheTablesAtTheMapBounds)
{
    for (float fYaw = 0.0f; fYaw < 6.3f; fYaw += 0.05f)
        for (float fPos : {0.0f, 0.5f, 99.9f, 100.0f})
        {
            SetMapWrappingOffsetsFor(fPos, fPos, fYaw);
            for (int i = 0; i < MAP_SIZE; i++)
            {
                ASSERT_TRUE(m_iWrapOffsetX[i] == 0 || m_iWrapOffsetX[i] == 100 ||
                            m_iWrapOffsetX[i] == -100);
                ASSERT_TRUE(m_iWrapOffsetZ[i] == 0 || m_iWrapOffsetZ[i] == 100 ||
                            m_iWrapOffsetZ[i] == -100);
            }
        }
}

TEST(DisplayMargin, ShrinksWithHeight)
{
    EXPECT_EQ(DisplayMargin(5.0f), 33);
    EXPECT_EQ(DisplayMargin(20.0f), 22);
    EXPECT_EQ(DisplayMargin(30.0f), 15);
    EXPECT_EQ(DisplayMargin(50.0f), 0);
    EXPECT_EQ(DisplayMargin(60.0f), -7);
}

// Every corner far off the screen, then single corners placed for the test.
static void PutAllCornersOffScreen()
{
    D3DXVECTOR3 vOff(-5000.0f, -5000.0f, 1.0f);
    for (int x = 0; x < MAP_SIZE; x++)
        for (int z = 0; z < MAP_SIZE; z++)
            m_vScreenCornerBL[x][z] = m_vScreenCornerBR[x][z] = m_vScreenCornerTR[x][z] =
                m_vScreenCornerTL[x][z] = vOff;
}

static RECT Desktop()
{
    RECT rc;
    GetClientRect(GetDesktopWindow(), &rc);
    return rc;
}

TEST(DisplayableTiles, OneCornerInsideTheWidenedScreenIsEnough)
{
    RECT rc = Desktop();
    PutAllCornersOffScreen();
    // Height 20: margin 22, bounds inclusive.
    m_vScreenCornerTL[3][4] = D3DXVECTOR3((float)rc.right + 22, (float)rc.bottom + 22, 5.0f);
    m_vScreenCornerBR[5][4] = D3DXVECTOR3((float)rc.right + 23, 10.0f, 5.0f);
    m_vScreenCornerTR[6][4] = D3DXVECTOR3(-22.0f, -22.0f, 5.0f);
    m_vScreenCornerBL[7][4] = D3DXVECTOR3(NAN, 10.0f, 5.0f);
    m_vScreenCornerBL[8][4] = D3DXVECTOR3(INFINITY, INFINITY, 0.0f);
    CalculateDisplayableTilesAt(20.0f);
    EXPECT_TRUE(m_bDisplayable[3][4]);
    EXPECT_FALSE(m_bDisplayable[5][4]);
    EXPECT_TRUE(m_bDisplayable[6][4]);
    EXPECT_FALSE(m_bDisplayable[7][4]);
    EXPECT_FALSE(m_bDisplayable[8][4]);

    // Above height 50 the margin turns negative and the accepted rectangle shrinks.
    CalculateDisplayableTilesAt(60.0f);
    EXPECT_FALSE(m_bDisplayable[3][4]);
    EXPECT_FALSE(m_bDisplayable[6][4]);
}

TEST(DisplayableTiles, RangesFollowTheFirstRunAndTheWrap)
{
    RECT rc = Desktop();
    PutAllCornersOffScreen();
    D3DXVECTOR3 vIn((float)rc.right / 2, (float)rc.bottom / 2, 5.0f);
    for (int x = 0; x <= 10; x++)
        m_vScreenCornerBL[x][1] = vIn;
    for (int x = 90; x < MAP_SIZE; x++)
        m_vScreenCornerBL[x][1] = vIn;
    for (int x = 20; x <= 30; x++)
        m_vScreenCornerBL[x][2] = vIn;
    m_vScreenCornerBL[99][3] = vIn;
    CalculateDisplayableTilesAt(20.0f);
    EXPECT_EQ(m_siRangeStart[1], 90);
    EXPECT_EQ(m_siRangeEnd[1], 10);
    EXPECT_EQ(m_siRangeStart[2], 20);
    EXPECT_EQ(m_siRangeEnd[2], 30);
    EXPECT_EQ(m_siRangeStart[3], 99);
    EXPECT_EQ(m_siRangeEnd[3], 99);
    EXPECT_EQ(GetDisplayRangeStart(0), -10000);
    EXPECT_EQ(GetDisplayRangeEnd(0), -10000);
}

// A tile as drawn: placed by its column's and row's offsets, its far corners on the next
// column and row, which wrap to 0 at the map's far edge; a zero scale draws it flat.
class DrawnTiles : public ::testing::Test
{
protected:
    void TearDown() override
    {
        FlattenMap();
        m_MapData.siHeightScale = 32;
    }
};

TEST_F(DrawnTiles, FarCornersWrapAndAZeroScaleDrawsFlat)
{
    FlattenMap();
    m_MapData.siHeightScale = 32;
    m_MapData.siHeight[99][99] = 16;   // BL
    m_MapData.siHeight[0][99] = 96;    // BR: the next column is 0
    m_MapData.siHeight[0][0] = 64;     // TR
    m_MapData.siHeight[99][0] = 32;    // TL
    m_iWrapOffsetX[99] = -100;
    m_iWrapOffsetZ[99] = 100;

    DrawnTile tile = GetDrawnTile(99, 99);
    EXPECT_EQ(tile.vBL, D3DXVECTOR3(-1.0f, 0.5f, 199.0f));
    EXPECT_EQ(tile.vBR, D3DXVECTOR3(0.0f, 3.0f, 199.0f));
    EXPECT_EQ(tile.vTR, D3DXVECTOR3(0.0f, 2.0f, 200.0f));
    EXPECT_EQ(tile.vTL, D3DXVECTOR3(-1.0f, 1.0f, 200.0f));

    m_MapData.siHeightScale = 0;
    tile = GetDrawnTile(99, 99);
    EXPECT_EQ(tile.vBR, D3DXVECTOR3(0.0f, 0.0f, 199.0f));
    EXPECT_EQ(tile.vTR.y + tile.vTL.y + tile.vBL.y, 0.0f);
}

class View : public DeviceTest
{
protected:
    static void SetUpTestSuite()
    {
        DeviceTest::SetUpTestSuite();
        InitCamera();
        InitMapData();
        LoadLandTextures();
    }

    // Each case starts from the blank map seen from the start position.
    void TearDown() override
    {
        MoveCameraTo(40, 30);
        WriteBlankMap();
        CalculateScreenPosition();
    }
};

TEST_F(View, ProjectionAgreesWithTheDeviceTransforms)
{
    RECT rc = Desktop();
    D3DXMATRIX matView, matProj, matIden;
    m_pDevice->GetTransform(D3DTS_VIEW, &matView);
    m_pDevice->GetTransform(D3DTS_PROJECTION, &matProj);
    D3DXMatrixIdentity(&matIden);
    D3DVIEWPORT9 vp = {0, 0, (DWORD)rc.right, (DWORD)rc.bottom, 0.0f, 1.0f};

    for (D3DXVECTOR3 p : {D3DXVECTOR3(40.0f, 0.0f, 60.0f), D3DXVECTOR3(30.5f, 2.0f, 45.0f),
                          D3DXVECTOR3(55.0f, 8.0f, 90.0f)})
    {
        D3DXVECTOR3 vOurs, vD3DX, vEye;
        ProjectToScreen(p, &vOurs);
        D3DXVec3Project(&vD3DX, &p, &vp, &matProj, &matView, &matIden);
        D3DXVec3TransformCoord(&vEye, &p, &matView);
        EXPECT_NEAR(vOurs.x, vD3DX.x, 0.01f);
        EXPECT_NEAR(vOurs.y, vD3DX.y, 0.01f);
        EXPECT_NEAR(vOurs.z, vEye.z, 0.001f);
    }

    // Behind the camera a point is mirrored through the screen centre, not dropped.
    D3DXMATRIX matInverse;
    D3DXMatrixInverse(&matInverse, NULL, &matView);
    D3DXVECTOR3 vEyeAhead(1.0f, 0.5f, 5.0f), vEyeBehind(1.0f, 0.5f, -5.0f), vWorld;
    D3DXVECTOR3 vAhead, vBehind;
    D3DXVec3TransformCoord(&vWorld, &vEyeAhead, &matInverse);
    ProjectToScreen(vWorld, &vAhead);
    D3DXVec3TransformCoord(&vWorld, &vEyeBehind, &matInverse);
    ProjectToScreen(vWorld, &vBehind);
    EXPECT_NEAR(vBehind.z, -5.0f, 0.001f);
    EXPECT_NEAR(vAhead.x + vBehind.x, (float)rc.right, 0.01f);
    EXPECT_NEAR(vAhead.y + vBehind.y, (float)rc.bottom, 0.01f);
}

TEST_F(View, TheUpdateProjectsEveryCornerAtItsWrappedPlace)
{
    m_MapData.siHeight[99][0] = 64;   // the far corners of column 99 read column 0
    m_MapData.siHeight[0][0] = 96;
    CalculateScreenPosition();
    int z = 0;
    float fZ = (float)(z + m_iWrapOffsetZ[z]);
    float fX = (float)(99 + m_iWrapOffsetX[99]);
    D3DXVECTOR3 vBL, vBR;
    ProjectToScreen(D3DXVECTOR3(fX, 2.0f, fZ), &vBL);
    ProjectToScreen(D3DXVECTOR3(fX + 1, 3.0f, fZ), &vBR);
    EXPECT_EQ(m_vScreenCornerBL[99][0], vBL);
    EXPECT_EQ(m_vScreenCornerBR[99][0], vBR);
}

// Worst mismatch between a projected corner table and D3DX's projection of the world point
// each entry stands for, in pixels (x, y) and depth units (z).
static float WorstCornerError(D3DXVECTOR3 (*pTable)[MAP_SIZE], int dx, int dz)
{
    RECT rc = Desktop();
    D3DXMATRIX matView, matProj, matIden;
    m_pDevice->GetTransform(D3DTS_VIEW, &matView);
    m_pDevice->GetTransform(D3DTS_PROJECTION, &matProj);
    D3DXMatrixIdentity(&matIden);
    D3DVIEWPORT9 vp = {0, 0, (DWORD)rc.right, (DWORD)rc.bottom, 0.0f, 1.0f};
    float fWorst = 0.0f;
    for (int x = 0; x < MAP_SIZE; x++)
        for (int z = 0; z < MAP_SIZE; z++)
        {
            int cx = dx ? NextTileX(x) : x, cz = dz ? NextTileZ(z) : z;
            D3DXVECTOR3 p((float)(x + m_iWrapOffsetX[x] + dx), GetTileHeight(cx, cz),
                          (float)(z + m_iWrapOffsetZ[z] + dz));
            D3DXVECTOR3 vD3DX, vEye;
            D3DXVec3Project(&vD3DX, &p, &vp, &matProj, &matView, &matIden);
            D3DXVec3TransformCoord(&vEye, &p, &matView);
            const D3DXVECTOR3& v = pTable[x][z];
            float fErr = fabsf(v.x - vD3DX.x) + fabsf(v.y - vD3DX.y);
            fErr = fErr / (1.0f + 1e-3f * (fabsf(vD3DX.x) + fabsf(vD3DX.y)));
            fErr += fabsf(v.z - vEye.z);
            fWorst = fErr > fWorst ? fErr : fWorst;
        }
    return fWorst;
}

TEST_F(View, EveryCornerIsProjectedWhereItsTileDrawsIt)
{
    for (int x = 0; x < MAP_SIZE; x++)
        for (int z = 0; z < MAP_SIZE; z++)
            m_MapData.siHeight[x][z] = (short)((x * 37 + z * 11) % 257);
    // Seams where the offsets change and at the map's own wrap, in both axes.
    const int positions[][2] = {{40, 30}, {5, 95}, {99, 0}, {50, 50}};
    for (const int* pos : positions)
    {
        MoveCameraTo(pos[0], pos[1]);
        CalculateScreenPosition();
        EXPECT_LT(WorstCornerError(m_vScreenCornerBL, 0, 0), 0.05f) << pos[0] << "," << pos[1];
        EXPECT_LT(WorstCornerError(m_vScreenCornerBR, 1, 0), 0.05f) << pos[0] << "," << pos[1];
        EXPECT_LT(WorstCornerError(m_vScreenCornerTR, 1, 1), 0.05f) << pos[0] << "," << pos[1];
        EXPECT_LT(WorstCornerError(m_vScreenCornerTL, 0, 1), 0.05f) << pos[0] << "," << pos[1];
    }
}

TEST_F(View, TheStartViewShowsTheLandAheadAndNotFarToTheSide)
{
    CalculateScreenPosition();
    // The camera stands at (40, 30) looking along +z.
    EXPECT_TRUE(IsTileDisplayable(40, 50));
    EXPECT_FALSE(IsTileDisplayable(90, 50));   // far off to the side
    EXPECT_GT(m_iNumDisplayableTiles, 500);
    EXPECT_LT(m_iNumDisplayableTiles, 10000);
}

TEST_F(View, BatchCountsSumToTheDisplayableLandTiles)
{
    LoadLandTextures();
    for (int x = 0; x < MAP_SIZE; x++)
        for (int z = 0; z < MAP_SIZE; z++)
        {
            m_MapData.siBaseTexture[x][z] = (short)(((x * 3 + z) % 16) * 8);
            m_MapData.siAlphaTexture[x][z] = (x + z) % 5 == 0 ? 128 : (short)(((x + z * 7) % 16) * 8 + 1 + x % 7);
        }
    for (int x = 35; x < 45; x++)
    {
        m_MapData.siTileType[x][50] = 1;
        m_MapData.siCaveNumber[x][50] = (short)(x - 35);
    }
    CalculateScreenPosition();

    int iSum = 0, iCaves = 0, iLand = 0;
    for (int t = 0; t < 20; t++)
        for (int s = 0; s < 150; s++)
            iSum += m_iLandRowCount[t][s];
    for (int x = 0; x < MAP_SIZE; x++)
        for (int z = 0; z < MAP_SIZE; z++)
            if (m_bDisplayable[x][z])
                (m_MapData.siTileType[x][z] == 1 ? iCaves : iLand)++;
    EXPECT_EQ(iSum, m_iNumDisplayableTiles);
    EXPECT_EQ(iLand, m_iNumDisplayableTiles);
    EXPECT_EQ(iCaves, 10);
    ASSERT_EQ(m_siNumVisibleCaves, 10);
    for (int i = 0; i < 10; i++)
        EXPECT_EQ(m_siVisibleCaves[i], i);

    // One tile of batch (type 8, slot 112) alone in view.
    PutAllCornersOffScreen();
    RECT rc = Desktop();
    m_vScreenCornerBL[12][34] = D3DXVECTOR3((float)rc.right / 2, (float)rc.bottom / 2, 5.0f);
    m_MapData.siBaseTexture[12][34] = 64;
    m_MapData.siAlphaTexture[12][34] = 128;
    CalculateDisplayableTilesAt(20.0f);
    CountTilesForTexture();
    EXPECT_EQ(m_iNumDisplayableTiles, 1);
    EXPECT_EQ(GetLandRowTileCount(8, NO_ALPHA_SLOT), 1);
}

TEST_F(View, TilesWithBadTextureNumbersAreLeftOutOfEveryBatch)
{
    PutAllCornersOffScreen();
    RECT rc = Desktop();
    D3DXVECTOR3 vIn((float)rc.right / 2, (float)rc.bottom / 2, 5.0f);
    m_vScreenCornerBL[1][1] = m_vScreenCornerBL[2][1] = m_vScreenCornerBL[3][1] = vIn;
    m_vScreenCornerBL[4][1] = vIn;
    m_MapData.siBaseTexture[1][1] = 128;
    m_MapData.siBaseTexture[2][1] = -8;
    m_MapData.siAlphaTexture[3][1] = 32767;
    CalculateDisplayableTilesAt(20.0f);
    CountTilesForTexture();
    EXPECT_EQ(m_iNumDisplayableTiles, 1);
    EXPECT_EQ(GetLandRowTileCount(8, NO_ALPHA_SLOT), 1);
}

TEST_F(View, MoreCaveTilesThanTheListHoldsAreCutOffAndLoggedOnce)
{
    RECT rc = Desktop();
    PutAllCornersOffScreen();
    D3DXVECTOR3 vIn((float)rc.right / 2, (float)rc.bottom / 2, 5.0f);
    for (int i = 0; i < 300; i++)
    {
        int x = i % 100, z = i / 100;
        m_vScreenCornerBL[x][z] = vIn;
        m_MapData.siTileType[x][z] = 1;
        m_MapData.siCaveNumber[x][z] = (short)i;
    }
    CalculateDisplayableTilesAt(20.0f);
    InitErrorLog();
    CountTilesForTexture();
    CountTilesForTexture();
    EXPECT_EQ(m_siNumVisibleCaves, MAX_VISIBLE_CAVES);
    EXPECT_EQ(m_siVisibleCaves[255], 255);
    EXPECT_EQ(m_iNumDisplayableTiles, 0);
    std::vector<std::string> lines = ReadLog();
    ASSERT_EQ(lines.size(), 2u);
    EXPECT_EQ(lines[1], "more than 256 caves in view: the rest are not drawn");
}

TEST_F(View, TraceNamesTheUpdateSteps)
{
    InitErrorLog();
    m_bTraceLand = true;
    CalculateScreenPosition();
    m_bTraceLand = false;
    CalculateScreenPosition();
    // The land build traces its own steps after its name.
    std::vector<std::string> lines = ReadLog();
    ASSERT_GE(lines.size(), 6u);
    lines.resize(6);
    std::vector<std::string> expected = {"ZANerrors.log started ", "SetMapWrappingOffsets",
                                         "CalculateDisplayableTiles", "GenerateHeightMap",
                                         "CountTilesForTexture", "LoadLandBuffer"};
    EXPECT_EQ(lines, expected);
}
