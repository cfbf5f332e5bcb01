// The caves: reading the models, the records and summaries through adding, deleting and a
// map load, the vertex buffers and their move across the wrap, and caves on the screen.
#include "support/devicefixture.h"

#include <algorithm>
#include <cstring>
#include <fstream>
#include <string>
#include <vector>

#include "app/camera.h"
#include "app/cursor.h"
#include "app/d3dservices.h"
#include "app/log.h"
#include "app/render.h"
#include "app/text.h"
#include "support/flatmap.h"
#include "support/readback.h"
#include "terrain/cavebuffers.h"
#include "terrain/cavebuild.h"
#include "terrain/cavemodels.h"
#include "terrain/caves.h"
#include "terrain/landbuffers.h"
#include "terrain/landpasses.h"
#include "terrain/landtextures.h"
#include "terrain/mapdata.h"
#include "terrain/mapupdate.h"
#include "terrain/view.h"

static bool Contains(const std::vector<std::string>& lines, const std::string& text)
{
    return std::find(lines.begin(), lines.end(), text) != lines.end();
}

static bool IsNotBlack(DWORD c)
{
    return (c & 0x00FFFFFF) != 0;
}

class Caves : public DeviceTest
{
protected:
    static void SetUpTestSuite()
    {
        DeviceTest::SetUpTestSuite();
        StartTerrain();
        LoadCaveModels();
    }

    void SetUp() override { FlattenMapWithoutCaves(); }

    void TearDown() override
    {
        EmptyCaveLists();
        m_siNumVisibleCaves = 0;
        InitCamera();
    }

    // The tile whose near corner projects nearest to the screen point (fx * width, fy * height).
    static void TileNear(float fx, float fy, int* piX, int* piZ)
    {
        RECT rc;
        GetClientRect(GetDesktopWindow(), &rc);
        float fBest = 1e9f;
        for (int x = 0; x < MAP_SIZE; x++)
            for (int z = 0; z < MAP_SIZE; z++)
            {
                D3DXVECTOR3 c = m_vScreenCornerBL[x][z];
                float d = std::abs(c.x - fx * rc.right) + std::abs(c.y - fy * rc.bottom);
                if (c.z > 0 && d < fBest)
                {
                    fBest = d;
                    *piX = x;
                    *piZ = z;
                }
            }
    }

    // A cave on tile (x, z) whose slope rises toward +z.
    static bool AddCave(int x, int z)
    {
        m_MapData.siHeight[x][NextTileZ(z)] = 64;
        m_MapData.siHeight[NextTileX(x)][NextTileZ(z)] = 96;
        AddCaveAtTile(GetTileIndex(x, z));
        return m_MapData.siTileType[x][z] == 1;
    }
};

TEST_F(Caves, TheFourModelsAreReadInDirectionOrderInTiles)
{
    LoadCaveModels();
    std::vector<std::string> lines = ReadLog();
    const char* files[] = {"features\\cavezpos.pie", "features\\cavexpos.pie",
                           "features\\cavezneg.pie", "features\\cavexneg.pie"};
    ASSERT_EQ(lines.size(), 9u);
    for (int d = 0; d < 4; d++)
    {
        EXPECT_EQ(lines[1 + 2 * d], "Opening file");
        EXPECT_EQ(lines[2 + 2 * d], files[d]);
        EXPECT_EQ(m_PointCounts[d], 12);
        EXPECT_EQ(m_PolygonCounts[d], 8);
        EXPECT_TRUE(IsCaveModelUsable(d));
    }
    ASSERT_EQ(m_CavePoints.size(), 48u);
    ASSERT_EQ(m_CavePolygons.size(), 32u);
    // The far high corner of each model: +z, +x, -z, -x.
    const float fFar[4][3] = {{1, 1, 1}, {1, 1, -1}, {-1, 1, -1}, {-1, 1, 1}};
    for (int d = 0; d < 4; d++)
    {
        const CavePoint& p = m_CavePoints[12 * d + 2];
        EXPECT_EQ(p.x, fFar[d][0]);
        EXPECT_EQ(p.y, fFar[d][1]);
        EXPECT_EQ(p.z, fFar[d][2]);
    }
    EXPECT_FLOAT_EQ(m_CavePoints[6].x, 0.68f);
    EXPECT_EQ(m_CavePolygons[0].iIndex[0], 0);
    EXPECT_EQ(m_CavePolygons[0].iIndex[3], 4);
}

// The models are read from the working directory; a directory of bad ones stands in.
TEST_F(Caves, BadModelFilesAreLoggedAndTheirSlopesRefused)
{
    CreateDirectoryA("badmodels", NULL);
    CreateDirectoryA("badmodels\\features", NULL);
    DeleteFileA("badmodels\\features\\cavezpos.pie");   // missing
    std::ofstream("badmodels\\features\\cavexpos.pie") << "CAVE xpos\npoints 12 0 0 0\n";
    {
        // More points and quads than a cave holds, with a long token before them.
        std::ofstream f("badmodels\\features\\cavezneg.pie");
        f << "A_TOKEN_FAR_LONGER_THAN_THIRTY_CHARACTERS_IN_ALL POINTS 13\n";
        for (int i = 0; i < 13; i++)
            f << i << " 0 0\n";
        f << "QUADS 9\n";
        for (int i = 0; i < 9; i++)
            f << "Q 4 0 1 2 12 0 0 0 0 0 0 0 0\n";
    }
    {
        // Good but for a quad naming point 12; leading tokens are skipped.
        std::ofstream f("badmodels\\features\\cavexneg.pie");
        f << "junk 1 2 POINTS 12\n50 100 25\n";
        for (int i = 1; i < 12; i++)
            f << "0 0 0\n";
        f << "QUADS 8\n";
        for (int i = 0; i < 8; i++)
            f << "Q 4 0 1 2 " << (i == 7 ? 12 : 3) << " 0 0 0 0 0 0 0 0\n";
    }
    ASSERT_TRUE(SetCurrentDirectoryA("badmodels"));
    InitErrorLog();
    LoadCaveModels();
    std::vector<std::string> lines = ReadLog();
    SetCurrentDirectoryA("..");

    EXPECT_EQ(m_PointCounts, std::vector<int>({0, 0, 13, 12}));
    EXPECT_EQ(m_PolygonCounts, std::vector<int>({0, 0, 9, 8}));
    EXPECT_EQ(m_CavePoints.size(), 48u);
    EXPECT_EQ(m_CavePolygons.size(), 32u);
    for (int d = 0; d < 4; d++)
        EXPECT_FALSE(IsCaveModelUsable(d));
    EXPECT_TRUE(Contains(lines, "failed to open features\\cavezpos.pie"));
    EXPECT_TRUE(Contains(lines, "features\\cavexpos.pie: holds no POINTS; tokens skipped 7"));
    EXPECT_TRUE(Contains(lines, "features\\cavezneg.pie: needs 12 points and 8 quads; points 13"));
    EXPECT_TRUE(
        Contains(lines, "features\\cavexneg.pie: a quad names a point out of the model: 12"));

    EXPECT_FALSE(AddCave(30, 30));
    EXPECT_EQ(GetNumCaves(), 0);
    EXPECT_EQ(m_MapData.siHeight[30][30], 0);

    LoadCaveModels();
    EXPECT_TRUE(IsCaveModelUsable(0));
    EXPECT_TRUE(AddCave(30, 30));
}

// A model whose point 3 has the coordinate given and is otherwise good.
static void WriteModelWithCoordinate(const char* pszFile, const std::string& strValue)
{
    std::ofstream f(pszFile, std::ios::binary);
    f << "POINTS 12\n";
    for (int i = 0; i < 12; i++)
        f << (i == 3 ? strValue : "0") << " 50 100\n";
    f << "QUADS 8\n";
    for (int i = 0; i < 8; i++)
        f << "Q 4 0 1 2 3 0 0 0 0 0 0 0 0\n";
}

// A NaN or a far-off point would give a cave that the map file cannot hold.
TEST_F(Caves, NonFiniteAndFarOffModelCoordinatesMakeTheModelUnusable)
{
    CreateDirectoryA("oddmodels", NULL);
    CreateDirectoryA("oddmodels\\features", NULL);
    WriteModelWithCoordinate("oddmodels\\features\\cavezpos.pie", "nan");
    WriteModelWithCoordinate("oddmodels\\features\\cavexpos.pie", "-inf");
    WriteModelWithCoordinate("oddmodels\\features\\cavezneg.pie", "1e39");
    WriteModelWithCoordinate("oddmodels\\features\\cavexneg.pie", std::string("2\x1A" "5\xFF"));
    ASSERT_TRUE(SetCurrentDirectoryA("oddmodels"));
    InitErrorLog();
    LoadCaveModels();
    std::vector<std::string> lines = ReadLog();
    SetCurrentDirectoryA("..");

    for (int d = 0; d < 4; d++)
        EXPECT_FALSE(IsCaveModelUsable(d));
    EXPECT_TRUE(Contains(lines, "features\\cavezpos.pie: point 3: \"nan\" is out of range"));
    EXPECT_TRUE(Contains(lines, "features\\cavexpos.pie: point 3: \"-inf\" is out of range"));
    EXPECT_TRUE(Contains(lines, "features\\cavezneg.pie: point 3: \"1e39\" is out of range"));
    EXPECT_TRUE(Contains(lines,
                         "features\\cavexneg.pie: point 3: \"2\\x1A5\\xFF\" is not a number"));
    EXPECT_FALSE(AddCave(30, 30));
    LoadCaveModels();
}

TEST_F(Caves, DeletingACaveClosesUpTheRecordsSummariesBuffersAndTileNumbers)
{
    const int iTiles[3][2] = {{10, 10}, {20, 10}, {30, 10}};
    for (int pass = 0; pass < 3; pass++)
    {
        SCOPED_TRACE(pass);
        SetUp();
        for (const int* t : iTiles)
            ASSERT_TRUE(AddCave(t[0], t[1]));
        ASSERT_EQ(GetCaveSummary(2).iTriangleEnd, 48);
        EXPECT_EQ(m_MapData.siCaveNumber[30][10], 2);
        EXPECT_EQ(GetCaveFirstTriangle(2), 32);
        LPDIRECT3DVERTEXBUFFER9 pLast = m_CaveVBs[2];

        m_iCurrentCave = pass;
        DeleteCave();
        // The tile holds no cave now: removing one there renumbers nothing.
        RemoveCaveAtTile(GetTileIndex(iTiles[pass][0], 10));
        EXPECT_EQ(GetNumCaves(), 2);
        EXPECT_EQ(m_iCurrentCave, pass == 0 ? 0 : pass - 1);
        ASSERT_EQ(GetCaveDataCount(), 32);
        EXPECT_EQ(GetCaveSummary(0).iTriangleEnd, 16);
        EXPECT_EQ(GetCaveSummary(1).iTriangleEnd, 32);
        EXPECT_EQ(GetCaveTriangleCount(1), 16);
        ASSERT_EQ(m_CaveVBs.size(), 2u);
        EXPECT_EQ(m_MapData.siTileType[iTiles[pass][0]][10], 0);
        int n = 0;
        for (int i = 0; i < 3; i++)
        {
            if (i == pass)
                continue;
            int iTile = GetTileIndex(iTiles[i][0], 10);
            EXPECT_EQ(m_MapData.siCaveNumber[iTiles[i][0]][10], n);
            EXPECT_EQ(GetCaveSummary(n).iTile, iTile);
            EXPECT_EQ(GetCaveData(GetCaveFirstTriangle(n)).siTile, iTile);
            EXPECT_EQ(GetCaveData(GetCaveFirstTriangle(n) + 15).siTile, iTile);
            n++;
        }
        if (pass != 2)
        {
            EXPECT_EQ(m_CaveVBs[1], pLast);
        }
    }

    // Deleting the last one leaves empty lists; with none left nothing happens.
    SetUp();
    ASSERT_TRUE(AddCave(10, 10));
    DeleteCave();
    DeleteCave();
    EXPECT_EQ(GetNumCaves(), 0);
    EXPECT_EQ(GetCaveDataCount(), 0);
    EXPECT_TRUE(m_CaveVBs.empty());
    EXPECT_EQ(m_pCaveVB, nullptr);
}

TEST_F(Caves, ANewCaveBufferHoldsItsCornersAtTheWrapOffsetsAndItsTextureCorners)
{
    m_iWrapOffsetX[40] = -100;
    ASSERT_TRUE(AddCave(40, 45));
    ASSERT_EQ(m_CaveVBs.size(), 1u);
    EXPECT_EQ(m_pCaveVB, m_CaveVBs[0]);
    std::vector<LandVertex> v = ReadBuffer<LandVertex>(m_CaveVBs[0]);
    ASSERT_EQ(v.size(), (size_t)CAVE_VERTICES);
    for (int t = 0; t < CAVE_TRIANGLES; t++)
    {
        CaveData rec = GetCaveData(t);
        for (int k = 0; k < 3; k++)
        {
            const LandVertex& w = v[3 * t + k];
            EXPECT_EQ(w.x, rec.vCorner[k].x - 100.0f);
            EXPECT_EQ(w.y, rec.vCorner[k].y);
            EXPECT_EQ(w.z, rec.vCorner[k].z);
            EXPECT_EQ(w.fBaseU, rec.siTexCoordA[k][0] / 128.0f);
            EXPECT_EQ(w.fBaseV, rec.siTexCoordA[k][1] / 128.0f);
            EXPECT_EQ(w.fAlphaU, w.fBaseU);
            EXPECT_EQ(w.fAlphaV, w.fBaseV);
            // Lit from above: a unit normal that does not face down.
            EXPECT_NEAR(w.nx * w.nx + w.ny * w.ny + w.nz * w.nz, 1.0f, 1e-4f);
            EXPECT_GE(w.ny, 0.0f);
        }
    }
    EXPECT_EQ(v[0].fBaseU, 0.0f);
    EXPECT_EQ(v[0].fBaseV, 1.0f);
}

TEST_F(Caves, AMapLoadRebuildsEveryBufferFromTheRecordsAsTheyStand)
{
    ASSERT_TRUE(AddCave(10, 10));
    EmptyCaveLists();
    EXPECT_TRUE(m_CaveVBs.empty());
    EXPECT_EQ(GetCaveDataCount(), 0);

    for (int c = 0; c < 2; c++)
        for (int t = 0; t < CAVE_TRIANGLES; t++)
        {
            CaveData rec = CaveData();
            rec.siTile = (short)(c * 7);
            for (int k = 0; k < 3; k++)
            {
                rec.vCorner[k] = D3DXVECTOR3(c * 7.0f + k * 0.25f, 1.0f, t * 0.0625f);
                rec.siTexCoordA[k][0] = (short)(16 * k);
                rec.siTexCoordB[k][1] = (short)(32 * k);
            }
            rec.siTextureB = 128;
            AddCaveData(rec);
        }
    SetCaveCount(2);
    AddCaveSummary({0, 16, 0, 0, 0});
    AddCaveSummary({7, 32, 0, 0, 2});
    RebuildCaveVBs();

    ASSERT_EQ(m_CaveVBs.size(), 2u);
    std::vector<LandVertex> v = ReadBuffer<LandVertex>(m_CaveVBs[1]);
    ASSERT_EQ(v.size(), 48u);
    EXPECT_EQ(v[47].x, 7.5f);
    EXPECT_EQ(v[47].z, 15 * 0.0625f);
    EXPECT_EQ(v[47].fBaseU, 0.25f);
    EXPECT_EQ(v[47].fAlphaU, 0.0f);
    EXPECT_EQ(v[47].fAlphaV, 0.5f);

    // Out-of-range reads are logged and give empty records.
    InitErrorLog();
    EXPECT_EQ(GetCaveData(32).siTile, 0);
    EXPECT_EQ(GetCaveSummary(-1).iTriangleEnd, 0);
    std::vector<std::string> lines = ReadLog();
    EXPECT_TRUE(Contains(lines, "GetCaveData: no record 32"));
    EXPECT_TRUE(Contains(lines, "GetCaveSummary: no cave -1"));
}

// A hand-edited map whose summary claims more records than a cave has must not write past
// the cave's buffer or read past the records.
TEST_F(Caves, ASummaryClaimingTooManyRecordsFillsOnlyTheBuffer)
{
    for (int t = 0; t < 20; t++)
    {
        CaveData rec = CaveData();
        rec.vCorner[0].x = (float)t;
        AddCaveData(rec);
    }
    SetCaveCount(2);
    AddCaveSummary({0, 40, 0, 0, 0});
    AddCaveSummary({1, 60, 0, 0, 0});
    RebuildCaveVBs();
    ASSERT_EQ(m_CaveVBs.size(), 2u);
    EXPECT_EQ(ReadBuffer<LandVertex>(m_CaveVBs[0])[45].x, 15.0f);
    EXPECT_TRUE(Contains(ReadLog(), "cave 0: 40 records do not fit its buffer or the list"));
    m_siVisibleCaves[0] = 1;
    m_siNumVisibleCaves = 1;
    m_pDevice->BeginScene();
    RenderVisibleCaves();
    m_pDevice->EndScene();
}

TEST_F(Caves, BuffersFollowTheWrapOffsetsOfTheirTileAtTheRecount)
{
    ASSERT_TRUE(AddCave(98, 3));
    std::vector<LandVertex> before = ReadBuffer<LandVertex>(m_CaveVBs[0]);
    m_bDisplayable[98][3] = true;

    m_iWrapOffsetX[98] = -100;
    CountTilesForTexture();
    ASSERT_EQ(m_siNumVisibleCaves, 1);
    std::vector<LandVertex> after = ReadBuffer<LandVertex>(m_CaveVBs[0]);
    for (int i = 0; i < CAVE_VERTICES; i++)
    {
        EXPECT_EQ(after[i].x, before[i].x - 100.0f);
        after[i].x = before[i].x;
        EXPECT_EQ(memcmp(&after[i], &before[i], sizeof(LandVertex)), 0) << i;
    }
    EXPECT_EQ(GetCaveSummary(0).iWrapOffsetX, -100);

    m_iWrapOffsetZ[3] = 100;
    m_iWrapOffsetX[98] = 0;
    CountTilesForTexture();
    after = ReadBuffer<LandVertex>(m_CaveVBs[0]);
    for (int i = 0; i < CAVE_VERTICES; i++)
    {
        EXPECT_EQ(after[i].x, before[i].x);
        EXPECT_EQ(after[i].z, before[i].z + 100.0f);
    }

    // A cave without a buffer keeps its stored offsets; releasing twice is harmless.
    ReleaseCaves();
    ReleaseCaves();
    EXPECT_TRUE(m_CaveVBs.empty());
    EXPECT_EQ(m_pCaveVB, nullptr);
    m_iWrapOffsetZ[3] = 0;
    CountTilesForTexture();
    EXPECT_EQ(GetCaveSummary(0).iWrapOffsetZ, 100);
    EXPECT_EQ(GetCaveDataCount(), CAVE_TRIANGLES);
}

// The first layer draws every quad; the second only quads with a second texture.
TEST_F(Caves, TheSecondLayerDrawsOnlyQuadsWithASecondTexture)
{
    CalculateScreenPosition();
    int x = 0, z = 0;
    TileNear(0.5f, 0.6f, &x, &z);
    ASSERT_TRUE(AddCave(x, z));
    CalculateScreenPosition();
    int w = 0, h = 0;
    RenderFrame(&w, &h);   // sets the frame's lights

    auto DrawCave = [&]() {
        m_pDevice->Clear(0, NULL, D3DCLEAR_TARGET | D3DCLEAR_ZBUFFER, 0xFF000000, 1.0f, 0);
        m_pDevice->BeginScene();
        RenderCave(0);
        m_pDevice->EndScene();
        std::vector<DWORD> px = ReadBackBuffer(&w, &h);
        return CountPixels(px, w, 0, 0, w, h, IsNotBlack);
    };
    int iFirst = DrawCave();
    EXPECT_GT(iFirst, 100);
    EXPECT_EQ(DrawCave(), 0);

    // The top quad gets a second layer of an opaque base texture.
    m_CaveData[2].siTextureB = m_CaveData[3].siTextureB = 64;
    DrawCave();
    int iSecond = DrawCave();
    EXPECT_GT(iSecond, 0);
    EXPECT_LT(iSecond, iFirst);
}

TEST_F(Caves, ACaveIsDrawnOnItsTileInTheFrame)
{
    CalculateScreenPosition();
    int x = 0, z = 0;
    TileNear(0.5f, 0.7f, &x, &z);
    ASSERT_TRUE(AddCave(x, z));
    CalculateScreenPosition();
    ASSERT_EQ(m_siNumVisibleCaves, 1);

    // The middle of the cave's top face.
    CaveData rec = GetCaveData(2);
    D3DXVECTOR3 vMid = (rec.vCorner[0] + rec.vCorner[1] + rec.vCorner[2]) / 3.0f;
    vMid.x += m_iWrapOffsetX[x];
    vMid.z += m_iWrapOffsetZ[z];
    D3DXVECTOR3 vScreen;
    ProjectToScreen(vMid, &vScreen);
    int w = 0, h = 0;
    std::vector<DWORD> withCave = RenderFrame(&w, &h);

    m_iCurrentCave = 0;
    DeleteCave();
    std::vector<DWORD> landOnly = RenderFrame(&w, &h);
    ASSERT_EQ(withCave.size(), landOnly.size());
    int iDiffer = 0;
    for (int py = (int)vScreen.y - 3; py <= (int)vScreen.y + 3; py++)
        for (int px = (int)vScreen.x - 3; px <= (int)vScreen.x + 3; px++)
            if (withCave[py * w + px] != landOnly[py * w + px])
                iDiffer++;
    EXPECT_EQ(iDiffer, 49);
}
