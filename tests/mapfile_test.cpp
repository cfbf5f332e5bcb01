// The map file: a saved map comes back exactly, the text is laid out line by line as saved
// maps rely on, damaged files and bad names leave the map alone, and the backup timer.
#include "support/devicefixture.h"

#include <algorithm>
#include <cstddef>
#include <cmath>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <functional>
#include <iterator>
#include <memory>
#include <random>
#include <set>
#include <sstream>
#include <string>
#include <vector>

#include "app/camera.h"
#include "app/frame.h"
#include "app/log.h"
#include "app/msgproc.h"
#include "editor/heightedit.h"
#include "editor/landedit.h"
#include "editor/mapfile.h"
#include "editor/textureedit.h"
#include "support/readback.h"
#include "terrain/cavebuffers.h"
#include "terrain/cavebuild.h"
#include "terrain/cavemodels.h"
#include "terrain/caves.h"
#include "terrain/landtextures.h"
#include "terrain/mapdata.h"
#include "terrain/mapupdate.h"
#include "terrain/view.h"

static std::vector<std::string> ReadLines(const std::string& path)
{
    std::vector<std::string> lines;
    std::ifstream in(path);
    std::string line;
    while (std::getline(in, line))
    {
        if (!line.empty() && line.back() == '\r')
            line.pop_back();
        lines.push_back(line);
    }
    return lines;
}

static void WriteLines(const std::string& path, const std::vector<std::string>& lines)
{
    std::ofstream out(path);
    for (const std::string& line : lines)
        out << line << '\n';
}

static bool FileExists(const std::string& path)
{
    return GetFileAttributesA(path.c_str()) != INVALID_FILE_ATTRIBUTES;
}

static bool LogHas(const std::string& start, const std::string& end)
{
    for (const std::string& line : ReadLog())
        if (line.compare(0, start.size(), start) == 0 && line.size() >= end.size() &&
            line.compare(line.size() - end.size(), end.size(), end) == 0)
            return true;
    return false;
}

static bool LogHasLine(const std::string& expected)
{
    for (const std::string& line : ReadLog())
        if (line == expected)
            return true;
    return false;
}

// Everything a map file holds, as the program holds it now.
struct Snapshot
{
    std::unique_ptr<MapData> pData;
    std::vector<TileTexCoords> base, alpha;
    std::vector<CaveData> caves;
    std::vector<CaveSummary> summaries;
};

static Snapshot TakeSnapshot()
{
    Snapshot s;
    s.pData.reset(new MapData(GetMapData()));
    for (int x = 0; x < MAP_SIZE; x++)
        for (int z = 0; z < MAP_SIZE; z++)
        {
            s.base.push_back(GetBaseTileUV(x, z));
            s.alpha.push_back(GetAlphaTileUV(x, z));
        }
    for (int i = 0; i < GetCaveDataCount(); i++)
        s.caves.push_back(GetCaveData(i));
    for (int i = 0; i < GetNumCaves(); i++)
        s.summaries.push_back(GetCaveSummary(i));
    return s;
}

// The normals are derived and left out.
static void ExpectSameMap(const Snapshot& a, const Snapshot& b)
{
    EXPECT_EQ(memcmp(a.pData.get(), b.pData.get(), offsetof(MapData, vNormal)), 0);
    EXPECT_EQ(memcmp(a.base.data(), b.base.data(), a.base.size() * sizeof(TileTexCoords)), 0);
    EXPECT_EQ(memcmp(a.alpha.data(), b.alpha.data(), a.alpha.size() * sizeof(TileTexCoords)), 0);
    ASSERT_EQ(a.caves.size(), b.caves.size());
    for (size_t i = 0; i < a.caves.size(); i++)
    {
        const CaveData &p = a.caves[i], &q = b.caves[i];
        EXPECT_EQ(p.siTile, q.siTile) << i;
        EXPECT_EQ(p.siTextureA, q.siTextureA) << i;
        EXPECT_EQ(p.siTextureB, q.siTextureB) << i;
        EXPECT_EQ(memcmp(p.vCorner, q.vCorner, sizeof(p.vCorner)), 0) << i;
        EXPECT_EQ(memcmp(p.siTexCoordA, q.siTexCoordA, sizeof(p.siTexCoordA)), 0) << i;
        EXPECT_EQ(memcmp(p.siTexCoordB, q.siTexCoordB, sizeof(p.siTexCoordB)), 0) << i;
    }
    ASSERT_EQ(a.summaries.size(), b.summaries.size());
    for (size_t i = 0; i < a.summaries.size(); i++)
        EXPECT_EQ(memcmp(&a.summaries[i], &b.summaries[i], sizeof(CaveSummary)), 0) << i;
}

static const int CAVE_TILES[3] = {203, 5071, 9999};

// Appends caves on the tiles above, each record telling itself apart, and marks their tiles.
static void PlaceCaves(MapData* pData, int iCount)
{
    EmptyCaveLists();
    for (int c = 0; c < iCount; c++)
    {
        const int x = CAVE_TILES[c] % MAP_SIZE, z = CAVE_TILES[c] / MAP_SIZE;
        for (int r = 0; r < CAVE_TRIANGLES; r++)
        {
            CaveData rec = CaveData();
            rec.siTile = (short)CAVE_TILES[c];
            for (int k = 0; k < 3; k++)
            {
                rec.vCorner[k] = D3DXVECTOR3(x + 0.25f * k, 1.5f + c, z + 0.0625f * r);
                rec.siTexCoordA[k][0] = (short)(8 * k);
                rec.siTexCoordA[k][1] = (short)(128 - r);
                rec.siTexCoordB[k][0] = (short)(r + k);
                rec.siTexCoordB[k][1] = (short)(64 + c);
            }
            rec.siTextureA = (short)(8 * c + r % 2);
            rec.siTextureB = r < 8 ? 128 : 9;
            AddCaveData(rec);
        }
        pData->siTileType[x][z] = 1;
        pData->siCaveNumber[x][z] = (short)c;
    }
    SetCaveCount(iCount);
    for (int c = 0; c < iCount; c++)
        AddCaveSummary({CAVE_TILES[c], CAVE_TRIANGLES * (c + 1), 0, 0, (c + 1) % 4});
    SetMapData(*pData);
    RebuildCaveVBs();
}

class MapFile : public DeviceTest
{
protected:
    static void SetUpTestSuite()
    {
        DeviceTest::SetUpTestSuite();
        InitCamera();
        InitMapData();
        LoadLandTextures();
        LoadCaveModels();
        s_pBlank = new MapData(GetMapData());
        s_blankUV = GetBaseTileUV(0, 0);
    }

    // Every test starts on the blank map without caves.
    void SetUp() override
    {
        EmptyCaveLists();
        SetCaveCount(0);
        for (int x = 0; x < MAP_SIZE; x++)
            for (int z = 0; z < MAP_SIZE; z++)
            {
                SetBaseTileUV(s_blankUV, x, z);
                SetAlphaTileUV(s_blankUV, x, z);
            }
        SetMapData(*s_pBlank);
        MarkMapSaved();
        m_siScreenMode = 0;
        InitErrorLog();
    }

    // A map that uses every field with values a blank map does not hold, and two caves.
    static void MakeKnownMap()
    {
        std::unique_ptr<MapData> pData(new MapData(*s_pBlank));
        for (int x = 0; x < MAP_SIZE; x++)
            for (int z = 0; z < MAP_SIZE; z++)
            {
                pData->siHeight[x][z] = (short)((x * 7 + z * 13) % 257);
                pData->siBaseTexture[x][z] = (short)(((x + 2 * z) % 16) * 8);
                pData->siBaseRotation[x][z] = (short)((x + z) % 4);
                pData->bBaseFlipX[x][z] = x % 2 == 0;
                pData->bBaseFlipZ[x][z] = z % 3 == 0;
                pData->bTriangleFlip[x][z] = (x + z) % 5 == 0;
                pData->siAlphaTexture[x][z] = (x * z) % 9 == 0 ? 128 : (short)((x % 16) * 8 + 1 + z % 7);
                pData->siAlphaRotation[x][z] = (short)((x * z) % 4);
                pData->bAlphaFlipX[x][z] = (x + z) % 3 == 0;
                pData->bAlphaFlipZ[x][z] = x % 4 == 1;
                TileTexCoords base = {{0.125f, 0.25f, 0.5f, 0.0625f, x / 100.0f, z / 1000.0f, 1.0f, 0.875f}};
                TileTexCoords alpha = {{0.93f, 0.07f, 0.0f, 1.0f, 0.333333f, 0.5f, z / 32.0f, 0.07f}};
                SetBaseTileUV(base, x, z);
                SetAlphaTileUV(alpha, x, z);
            }
        PlaceCaves(pData.get(), 2);
    }

    static MapData* s_pBlank;
    static TileTexCoords s_blankUV;
};

MapData* MapFile::s_pBlank = NULL;
TileTexCoords MapFile::s_blankUV;

TEST_F(MapFile, ASavedMapLoadsBackExactly)
{
    MakeKnownMap();
    Snapshot saved = TakeSnapshot();
    m_siScreenMode = 1;
    SaveData(false, "ROUND TRIP");
    EXPECT_EQ(m_siScreenMode, 2);
    ASSERT_TRUE(FileExists("savegame\\ROUND TRIP.gam"));

    // Another map with three caves in its place.
    std::unique_ptr<MapData> pOther(new MapData(*s_pBlank));
    pOther->siHeight[4][4] = 99;
    PlaceCaves(pOther.get(), 3);

    m_siScreenMode = 0;
    LoadData("ROUND TRIP.gam");
    EXPECT_EQ(m_siScreenMode, 2);
    ExpectSameMap(TakeSnapshot(), saved);
    EXPECT_EQ(GetNumCaves(), 2);
    EXPECT_EQ((int)m_CaveVBs.size(), 2);
    EXPECT_EQ(GetMapData().siCaveNumber[3][2], 0);
    EXPECT_EQ(GetMapData().siCaveNumber[71][50], 1);
    EXPECT_TRUE(ReadLog().size() <= 1) << ReadLog().back();
}

TEST_F(MapFile, CoordinatesComeBackRoundedToSixDigits)
{
    TileTexCoords rec = s_blankUV;
    rec.fUV[0] = 12.345678f;
    SetBaseTileUV(rec, 10, 20);
    SaveData(false, "ROUNDED");
    SetBaseTileUV(s_blankUV, 10, 20);
    LoadData("ROUNDED.gam");
    EXPECT_EQ(GetBaseTileUV(10, 20).fUV[0], 12.3457f);
}

TEST_F(MapFile, TheBlankMapIsWrittenAsTwentyThousandAndFourLines)
{
    SaveData(false, "BLANK");
    std::vector<std::string> lines = ReadLines("savegame\\BLANK.gam");
    ASSERT_EQ(lines.size(), 20004u);
    EXPECT_EQ(lines[0].find_first_not_of("0123456789"), std::string::npos);
    EXPECT_EQ(lines[1], "32");
    int iOddTiles = 0;
    for (int t = 0; t < 10000; t++)
        if (lines[2 + 2 * t] != "0 0 0 64 0 0 0 0 128 0 0 0" ||
            lines[3 + 2 * t] != "0.07 0.93 0.07 0.07 0.93 0.07 0.93 0.93 "
                                "0.07 0.93 0.07 0.07 0.93 0.07 0.93 0.93")
            iOddTiles++;
    EXPECT_EQ(iOddTiles, 0);
    EXPECT_EQ(lines[20002], "0");
    EXPECT_EQ(lines[20003], "0");
    EXPECT_FALSE(FileExists("savegame\\BLANK.gam.tmp"));
}

TEST_F(MapFile, TilesAndCavesAreWrittenInTheirFileOrder)
{
    MakeKnownMap();
    std::unique_ptr<MapData> pData(new MapData(GetMapData()));
    // Tile (3, 2), index 203, the first cave's tile.
    pData->siHeight[3][2] = -17;
    pData->siBaseTexture[3][2] = 24;
    pData->bBaseFlipX[3][2] = true;
    pData->bBaseFlipZ[3][2] = false;
    pData->siBaseRotation[3][2] = 3;
    pData->bTriangleFlip[3][2] = true;
    pData->siAlphaTexture[3][2] = 33;
    pData->bAlphaFlipX[3][2] = false;
    pData->bAlphaFlipZ[3][2] = true;
    pData->siAlphaRotation[3][2] = 2;
    SetMapData(*pData);
    SetBaseTileUV({{0.1f, 0.2f, 0.3f, 0.4f, 0.5f, 0.6f, 0.7f, 0.8f}}, 3, 2);
    SetAlphaTileUV({{1, 2, 3, 4, 5, 6, 7, 8}}, 3, 2);
    SaveData(false, "ORDER");

    std::vector<std::string> lines = ReadLines("savegame\\ORDER.gam");
    ASSERT_EQ(lines.size(), 20004u + 32 * 4 + 2);
    EXPECT_EQ(lines[2 + 2 * 203], "-17 1 0 24 1 0 3 1 33 0 1 2");
    EXPECT_EQ(lines[3 + 2 * 203], "0.5 0.6 0.1 0.2 0.3 0.4 0.7 0.8 5 6 1 2 3 4 7 8");
    EXPECT_EQ(lines[20002], "32");
    // Record 17: the second of cave 1 on tile (71, 50).
    const size_t r = 20003 + 17 * 4;
    EXPECT_EQ(lines[r], "71 2.5 50.0625");
    EXPECT_EQ(lines[r + 1], "71.25 2.5 50.0625");
    EXPECT_EQ(lines[r + 2], "71.5 2.5 50.0625");
    EXPECT_EQ(lines[r + 3], "0 127 8 127 16 127 128 5071 9 1 65 2 65 3 65");
    EXPECT_EQ(lines[20003 + 32 * 4], "2");
    EXPECT_EQ(lines[20004 + 32 * 4], "16 1 203");
    EXPECT_EQ(lines[20005 + 32 * 4], "32 2 5071");
}

TEST_F(MapFile, AMapWithoutCavesEmptiesTheCaveLists)
{
    SaveData(false, "NO CAVES");
    MakeKnownMap();
    LoadData("NO CAVES.gam");
    EXPECT_EQ(GetNumCaves(), 0);
    EXPECT_EQ(GetCaveDataCount(), 0);
    EXPECT_TRUE(m_CaveVBs.empty());
    EXPECT_EQ(GetMapData().siTileType[3][2], 0);
}

// Each damage to a good file, made line by line on its text.
struct Damage
{
    const char* name;
    std::function<void(std::vector<std::string>*)> apply;
};

TEST_F(MapFile, ADamagedFileLeavesTheMapAsItWas)
{
    MakeKnownMap();
    SaveData(false, "GOOD");
    const std::vector<std::string> good = ReadLines("savegame\\GOOD.gam");
    ASSERT_EQ(good.size(), 20004u + 32 * 4 + 2);
    const size_t iCaves = 20002, iCount = iCaves + 1 + 32 * 4, iLast = good.size() - 1;

    const Damage damages[] = {
        {"empty", [](std::vector<std::string>* l) { l->clear(); }},
        {"cut in the land", [](std::vector<std::string>* l) { l->resize(9000); }},
        {"cut in a line", [](std::vector<std::string>* l) { (*l)[999] = "0.5 0.6"; l->resize(1000); }},
        {"cut before the caves", [](std::vector<std::string>* l) { l->resize(20002); }},
        {"cut in the summaries", [=](std::vector<std::string>* l) { l->resize(iLast); }},
        {"more at the end", [](std::vector<std::string>* l) { l->push_back("7"); }},
        {"a word for a height", [](std::vector<std::string>* l) { (*l)[2] = "abc 0 0 64 0 0 0 0 128 0 0 0"; }},
        {"a height too large", [](std::vector<std::string>* l) { (*l)[4] = "40000 0 0 64 0 0 0 0 128 0 0 0"; }},
        {"a flip of 2", [](std::vector<std::string>* l) { (*l)[6] = "0 0 0 64 2 0 0 0 128 0 0 0"; }},
        {"a number run together", [](std::vector<std::string>* l) { (*l)[8] = "0 0 0 64 0 0 0 0 128 0 0 0x"; }},
        {"a coordinate not a number", [](std::vector<std::string>* l) { (*l)[3] = "nan 0.93 0.07 0.07 0.93 0.07 0.93 0.93 0.07 0.93 0.07 0.07 0.93 0.07 0.93 0.93"; }},
        {"a tile naming a missing cave", [](std::vector<std::string>* l) { (*l)[10] = "0 1 2 64 0 0 0 0 128 0 0 0"; }},
        {"records not whole caves", [=](std::vector<std::string>* l) { (*l)[iCaves] = "31"; }},
        {"more caves than records", [=](std::vector<std::string>* l) { (*l)[iCount] = "3"; }},
        {"a huge record count", [=](std::vector<std::string>* l) { (*l)[iCaves] = "99999999999"; }},
        {"a cave texture past 128", [=](std::vector<std::string>* l) { (*l)[iCaves + 4] = "0 128 8 128 16 128 200 203 0 0 64 1 64 2 64"; }},
        {"a cave tile off the map", [=](std::vector<std::string>* l) { (*l)[iCaves + 4] = "0 128 8 128 16 128 128 10000 0 0 64 1 64 2 64"; }},
        {"a wrong record end", [=](std::vector<std::string>* l) { (*l)[iCount + 1] = "15 1 203"; }},
        {"a direction of 4", [=](std::vector<std::string>* l) { (*l)[iCount + 2] = "32 4 5071"; }},
        {"an overlong value", [](std::vector<std::string>* l) { (*l)[1] = std::string(5000, '3'); }},
        {"garbage", [](std::vector<std::string>* l) {
             std::mt19937 rnd(7);
             l->assign(300, std::string());
             for (std::string& line : *l)
                 for (int i = 0; i < 200; i++)
                     line += (char)(rnd() % 256);
         }},
    };
    for (const Damage& damage : damages)
    {
        std::vector<std::string> lines = good;
        damage.apply(&lines);
        WriteLines("savegame\\BAD.gam", lines);
        std::unique_ptr<MapData> pOther(new MapData(*s_pBlank));
        pOther->siHeight[4][4] = 99;
        PlaceCaves(pOther.get(), 3);
        Snapshot before = TakeSnapshot();
        InitErrorLog();
        m_siScreenMode = 0;

        LoadData("BAD.gam");
        SCOPED_TRACE(damage.name);
        EXPECT_EQ(m_siScreenMode, 2);
        ExpectSameMap(TakeSnapshot(), before);
        EXPECT_EQ((int)m_CaveVBs.size(), 3);
        EXPECT_TRUE(LogHas("LoadData: savegame\\BAD.gam ", "; the map is unchanged"));
    }
    // The good file itself loads.
    LoadData("GOOD.gam");
    EXPECT_EQ(GetNumCaves(), 2);
}

TEST_F(MapFile, MissingFilesAndBadNamesAreLoggedAndChangeNothing)
{
    MakeKnownMap();
    Snapshot before = TakeSnapshot();
    LoadData("NOSUCH.gam");
    EXPECT_TRUE(LogHas("LoadData: cannot open savegame\\NOSUCH.gam", ""));
    LoadData(std::string(200, 'A').c_str());
    EXPECT_TRUE(LogHas("LoadData: the name", "is longer than 34 characters"));
    LoadData("..\\ZANerrors.log");
    EXPECT_TRUE(LogHas("LoadData: the name \"..\\ZANerrors.log\" holds a character", ""));
    LoadData(NULL);
    EXPECT_TRUE(LogHas("LoadData: cannot open savegame\\", ""));
    ExpectSameMap(TakeSnapshot(), before);

    // A file far larger than any map is not read.
    HANDLE h = CreateFileA("savegame\\HUGE.gam", GENERIC_WRITE, 0, NULL, CREATE_ALWAYS, 0, NULL);
    ASSERT_NE(h, INVALID_HANDLE_VALUE);
    LARGE_INTEGER size;
    size.QuadPart = 65LL << 20;
    SetFilePointerEx(h, size, NULL, FILE_BEGIN);
    SetEndOfFile(h);
    CloseHandle(h);
    LoadData("HUGE.gam");
    EXPECT_TRUE(LogHas("LoadData: savegame\\HUGE.gam is too large", ""));
    DeleteFileA("savegame\\HUGE.gam");
    ExpectSameMap(TakeSnapshot(), before);

    const std::string name31(31, 'B');
    SaveData(false, name31.c_str());
    EXPECT_FALSE(FileExists("savegame\\" + name31 + ".gam"));
    EXPECT_TRUE(LogHas("SaveData: the name", "is longer than 30 characters"));
    SaveData(false, "..\\OUT");
    EXPECT_FALSE(FileExists("OUT.gam"));
    EXPECT_TRUE(LogHas("SaveData: the name \"..\\OUT\" holds a character", ""));
}

TEST_F(MapFile, NamesUpToThirtyCharactersAndTheEmptyNameAreSaved)
{
    const std::string name30(30, 'C');
    SaveData(false, name30.c_str());
    EXPECT_TRUE(FileExists("savegame\\" + name30 + ".gam"));
    SaveData(false, "");
    EXPECT_TRUE(FileExists("savegame\\.gam"));
    LoadData((name30 + ".gam").c_str());
    EXPECT_EQ(ReadLog().size(), 1u);
}

TEST_F(MapFile, SavingWithoutASavegameFolderIsLogged)
{
    char cDir[MAX_PATH];
    GetCurrentDirectoryA(MAX_PATH, cDir);
    // The test's savegame folder has no savegame folder inside.
    ASSERT_TRUE(SetCurrentDirectoryA("savegame"));
    InitErrorLog();
    m_MapData.siHeight[0][0] = 1;
    SaveData(true, "");
    bool bLogged = LogHasLine("SaveData: could not write savegame\\VEZIDI.bak: there is no "
                              "folder savegame\\ (error 3); the map was not saved");
    SetCurrentDirectoryA(cDir);
    EXPECT_TRUE(bLogged);
    EXPECT_EQ(m_siScreenMode, 0) << "the backup leaves the LOAD screen shown";
}

TEST_F(MapFile, TheBackupIsSavedOncePastTwoMinutesAndNotWhileAutoScrolling)
{
    const DWORD dwStart = 5000;
    m_bTrace = true;
    m_bAutoScroll = false;
    DeleteFileA("savegame\\VEZIDI.bak");
    BackupTimer(dwStart);   // this program's first frame starts the count
    BackupTimer(dwStart + 120000);
    EXPECT_FALSE(FileExists("savegame\\VEZIDI.bak"));
    m_siScreenMode = 1;
    m_MapData.siHeight[7][3] = 59;
    BackupTimer(dwStart + 120001);
    EXPECT_EQ(ReadLines("savegame\\VEZIDI.bak").at(616), "59 0 0 64 0 0 0 0 128 0 0 0");
    EXPECT_EQ(m_siScreenMode, 1) << "the backup leaves the SAVE screen shown";
    EXPECT_TRUE(LogHas("SaveData", "SaveData"));

    // With auto-scroll on the time runs on; the save comes once it is off.
    DeleteFileA("savegame\\VEZIDI.bak");
    m_MapData.siHeight[7][3] = 60;
    m_bAutoScroll = true;
    BackupTimer(dwStart + 300000);
    EXPECT_FALSE(FileExists("savegame\\VEZIDI.bak"));
    m_bAutoScroll = false;
    BackupTimer(dwStart + 300001);
    EXPECT_TRUE(FileExists("savegame\\VEZIDI.bak"));
    m_MapData.siHeight[7][3] = 61;
    ASSERT_TRUE(LoadData("VEZIDI.bak"));   // first backs up the map it replaces
    EXPECT_EQ(ReadLines("savegame\\VEZIDI.bak").at(616), "61 0 0 64 0 0 0 0 128 0 0 0");
    DeleteFileA("savegame\\VEZIDI.bak");
    BackupTimer(dwStart + 420002);   // two minutes on, nothing unsaved since the load
    EXPECT_FALSE(FileExists("savegame\\VEZIDI.bak"));
    m_bTrace = false;

    // The next run's first backup moves this run's last to VEZIDI.old, and its later ones
    // replace each other; one it cannot move aside is not written over.
    for (short siHeight : {63, 0, 64, 65})
    {
        m_MapData.siHeight[7][3] = siHeight;
        siHeight == 0 ? StartNewRunForBackup() : SaveData(true, "");
    }
    EXPECT_EQ(ReadLines("savegame\\VEZIDI.old").at(616), "63 0 0 64 0 0 0 0 128 0 0 0");
    DeleteFileA("savegame\\VEZIDI.old");
    CreateDirectoryA("savegame\\VEZIDI.old", NULL);
    StartNewRunForBackup();
    m_MapData.siHeight[7][3] = 66;
    SaveData(true, "");
    EXPECT_TRUE(RemoveDirectoryA("savegame\\VEZIDI.old"));
    EXPECT_EQ(ReadLines("savegame\\VEZIDI.bak").at(616), "65 0 0 64 0 0 0 0 128 0 0 0");
}

// The text the standard stream writes for the map, as the program wrote it before: every
// line after the saving time must come out of the writer byte for byte the same.
static std::string StreamWrittenMap()
{
    std::ostringstream out;
    const MapData& d = m_MapData;
    out << d.siHeightScale << "\r\n";
    const int order[8] = {4, 5, 0, 1, 2, 3, 6, 7};
    for (int z = 0; z < MAP_SIZE; z++)
        for (int x = 0; x < MAP_SIZE; x++)
        {
            out << d.siHeight[x][z] << ' ' << d.siTileType[x][z] << ' ' << d.siCaveNumber[x][z]
                << ' ' << d.siBaseTexture[x][z] << ' ' << (int)d.bBaseFlipX[x][z] << ' '
                << (int)d.bBaseFlipZ[x][z] << ' ' << d.siBaseRotation[x][z] << ' '
                << (int)d.bTriangleFlip[x][z] << ' ' << d.siAlphaTexture[x][z] << ' '
                << (int)d.bAlphaFlipX[x][z] << ' ' << (int)d.bAlphaFlipZ[x][z] << ' '
                << d.siAlphaRotation[x][z] << "\r\n";
            for (int i = 0; i < 16; i++)
                out << (i > 0 ? " " : "")
                    << (i < 8 ? GetBaseTileUV(x, z) : GetAlphaTileUV(x, z)).fUV[order[i % 8]];
            out << "\r\n";
        }
    out << GetCaveDataCount() << "\r\n";
    for (int i = 0; i < GetCaveDataCount(); i++)
    {
        const CaveData r = GetCaveData(i);
        for (int c = 0; c < 3; c++)
            out << r.vCorner[c].x << ' ' << r.vCorner[c].y << ' ' << r.vCorner[c].z << "\r\n";
        for (int c = 0; c < 3; c++)
            out << r.siTexCoordA[c][0] << ' ' << r.siTexCoordA[c][1] << ' ';
        out << r.siTextureB << ' ' << r.siTile << ' ' << r.siTextureA;
        for (int c = 0; c < 3; c++)
            out << ' ' << r.siTexCoordB[c][0] << ' ' << r.siTexCoordB[c][1];
        out << "\r\n";
    }
    out << GetNumCaves() << "\r\n";
    for (int i = 0; i < GetNumCaves(); i++)
    {
        const CaveSummary s = GetCaveSummary(i);
        out << s.iTriangleEnd << ' ' << s.iDirection << ' ' << s.iTile << "\r\n";
    }
    return out.str();
}

static std::string ReadBytes(const std::string& path)
{
    std::ifstream in(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

// The file without its first line, the saving time.
static std::string AfterSavingTime(const std::string& text)
{
    return text.substr(text.find('\n') + 1);
}

TEST_F(MapFile, TheWriterFormatsEveryNumberAsTheStandardStreamDoes)
{
    MakeKnownMap();
    // Halfway cases (32.03125 has seven digits and ends in 5), every magnitude the shortcut
    // takes and its edges, values it hands on, and bit patterns from a fixed seed.
    const float tricky[] = {32.03125f, 32.09375f, 0.0078125f, 1.5f, -0.5f, 0.0f, -0.0f,
                            1e-4f, 9.99995e-5f, 1e-5f, 0.000123457f, 999999.0f, 999999.5f,
                            1e6f, 1234567.0f, 1e-30f, 3.4e38f, 2e-38f, 0.07f, 0.93f,
                            99.99995f, 12.345678f, 100000.5f, 0.1f, -1e-5f};
    unsigned int uSeed = 12345;
    for (int x = 0; x < MAP_SIZE; x++)
        for (int z = 0; z < 60; z++)
        {
            TileTexCoords rec;
            for (int i = 0; i < 8; i++)
            {
                uSeed = uSeed * 1103515245u + 12345u;
                // Exponents 2^-20 to 2^22 with random mantissas and signs.
                unsigned int uBits = (uSeed & 0x807FFFFFu) | ((107u + (uSeed >> 8) % 43u) << 23);
                float f;
                memcpy(&f, &uBits, sizeof(f));
                rec.fUV[i] = (x * 8 + i) % 50 < 25 && z == 0 ? tricky[(x * 8 + i) % 25] : f;
            }
            SetBaseTileUV(rec, x, z);
            RotateUV90(&rec);
            SetAlphaTileUV(rec, x, z);
        }
    SaveData(false, "FORMAT");
    const std::string written = ReadBytes("savegame\\FORMAT.gam");
    const std::string expected = StreamWrittenMap();
    ASSERT_EQ(AfterSavingTime(written).size(), expected.size());
    EXPECT_TRUE(AfterSavingTime(written) == expected);

    // And every such value is read back as the same float the stream reads.
    LoadData("FORMAT.gam");
    EXPECT_EQ(ReadLog().size(), 1u) << ReadLog().back();
    std::istringstream in(expected);
    std::string token;
    in >> token;
    int iDiffer = 0;
    for (int z = 0; z < MAP_SIZE; z++)
        for (int x = 0; x < MAP_SIZE; x++)
        {
            for (int i = 0; i < 12; i++)
                in >> token;
            float f[16];
            for (int i = 0; i < 16; i++)
                in >> f[i];
            const TileTexCoords base = GetBaseTileUV(x, z);
            iDiffer += memcmp(&f[0], &base.fUV[4], 2 * sizeof(float)) != 0;
            iDiffer += memcmp(&f[2], &base.fUV[0], 4 * sizeof(float)) != 0;
            iDiffer += memcmp(&f[6], &base.fUV[6], 2 * sizeof(float)) != 0;
        }
    EXPECT_EQ(iDiffer, 0);
}

// One value of a good file replaced; the log names the file, the line and the value as read.
TEST_F(MapFile, AValueOutOfRangeOrWithAStrayByteIsRefusedWithItsLine)
{
    MakeKnownMap();
    SaveData(false, "GOOD");
    const std::vector<std::string> good = ReadLines("savegame\\GOOD.gam");
    const size_t iCaves = 20002, iCount = iCaves + 1 + 32 * 4;
    const std::string tileRest = " 0 0 0 0 128 0 0 0";
    struct Case
    {
        size_t iLine;           // 0-based
        std::string text;
        const char* expected;   // after "LoadData: savegame\BAD.gam "
    } cases[] = {
        // The "6" of 0.0625 made a NUL byte; a 0x1A byte; a byte past ASCII.
        {3, std::string("0.0") + '\0' + "25 0.93 0.07 0.07 0.93 0.07 0.93 0.93 0.07 0.93 0.07 0.07 0.93 0.07 0.93 0.93",
         "line 4: a base texture coordinate should be a number, not \"0.0\\x0025\""},
        {5, "0.07 0.9\x1A" "3 0.07 0.07 0.93 0.07 0.93 0.93 0.07 0.93 0.07 0.07 0.93 0.07 0.93 0.93",
         "line 6: a base texture coordinate should be a number, not \"0.9\\x1A3\""},
        {2, "1\xFF" "2 0 0 64 0 0 0 0 128 0 0 0",
         "line 3: a height should be a whole number from 0 to 256, not \"1\\xFF2\""},
        {0, "12a", "line 1: the saving time should be a whole number from 0 to 4294967295, not \"12a\""},
        {4, "257 0 0 64" + tileRest, "line 5: a height should be a whole number from 0 to 256, not \"257\""},
        {4, "0 2 0 64" + tileRest, "line 5: a tile type should be a whole number from 0 to 1, not \"2\""},
        {4, "0 0 -1 64" + tileRest, "line 5: a cave number should be a whole number from 0 to 9999, not \"-1\""},
        {4, "0 0 0 65" + tileRest, "line 5: a base texture should be a multiple of 8 from 0 to 120, not \"65\""},
        {4, "0 0 0 128" + tileRest, "line 5: a base texture should be a multiple of 8 from 0 to 120, not \"128\""},
        {4, "0 0 0 64 0 0 4 0 128 0 0 0", "line 5: a base rotation should be a whole number from 0 to 3, not \"4\""},
        {4, "0 0 0 64 0 0 0 0 72 0 0 0", "line 5: an alpha texture should be 128 or a number from 1 to 127 not a multiple of 8, not \"72\""},
        {4, "0 0 0 64 0 0 0 0 128 0 1 -1", "line 5: an alpha rotation should be a whole number from 0 to 3, not \"-1\""},
        {4, "0 0 0 64 0 0 0 0 128 0 0 0 7", "line 6: a height should be a whole number from 0 to 256, not \"0.07\""},
        {iCaves + 1, "1e39 2 3", "line 20004: a cave corner should be a number, not \"1e39\""},
        {iCaves + 4, "0 129 8 128 16 128 128 203 0 0 64 1 64 2 64", "line 20007: a cave texture corner should be a whole number from 0 to 128, not \"129\""},
        {iCaves + 4, "0 128 8 128 16 128 128 204 0 0 64 1 64 2 64", "line 20133: cave 0 stands on tile 203, its record 0 on tile 204"},
        {iCount, "3", "line 20132: the cave count should be a whole number from 2 to 2, not \"3\""},
        {iCount + 2, "32 1 5072", "line 20134: cave 1 stands on tile (72, 50), which does not name it"},
        {iCount + 3, "48 0 9999", "line 20135: more follows the last cave: \"48\""},
    };
    int iCase = 0;
    for (const Case& c : cases)
    {
        SCOPED_TRACE(iCase++);
        std::vector<std::string> lines = good;
        lines.resize(std::max(lines.size(), c.iLine + 1));
        lines[c.iLine] = c.text;
        WriteLines("savegame\\BAD.gam", lines);
        InitErrorLog();
        Snapshot before = TakeSnapshot();
        LoadData("BAD.gam");
        ExpectSameMap(TakeSnapshot(), before);
        EXPECT_TRUE(LogHasLine(std::string("LoadData: savegame\\BAD.gam ") + c.expected +
                               "; the map is unchanged"))
            << ReadLog().back();
    }
}

// Cut after any line, of a map with caves and of one without: refused at the missing value.
TEST_F(MapFile, AFileCutAfterAnyLineIsRefused)
{
    for (int iCaves : {2, 0})
    {
        SetUp();
        if (iCaves > 0)
            MakeKnownMap();
        SaveData(false, "WHOLE");
        const std::vector<std::string> whole = ReadLines("savegame\\WHOLE.gam");
        std::vector<size_t> cuts = {0, 1, 2, 3, 4, 5, 9999, 20001, 20002};
        for (size_t n = 20003; n < whole.size(); n++)
            cuts.push_back(n);
        Snapshot before = TakeSnapshot();
        int iAccepted = 0;
        for (size_t n : cuts)
        {
            WriteLines("savegame\\CUT.gam",
                       std::vector<std::string>(whole.begin(), whole.begin() + n));
            InitErrorLog();
            LoadData("CUT.gam");
            const std::string expected =
                "LoadData: savegame\\CUT.gam line " + std::to_string(n + 1) + ": the file ends";
            iAccepted += !LogHas(expected, "; the map is unchanged");
        }
        EXPECT_EQ(iAccepted, 0) << iCaves << " caves";
        ExpectSameMap(TakeSnapshot(), before);
    }
}

TEST_F(MapFile, AHeightScaleBelowOneIsReplacedAndTheFileNamed)
{
    SaveData(false, "SCALE");
    std::vector<std::string> lines = ReadLines("savegame\\SCALE.gam");
    lines[1] = "0";
    lines[2] = "64 0 0 64 0 0 0 0 128 0 0 0";
    WriteLines("savegame\\SCALE.gam", lines);
    LoadData("SCALE.gam");
    EXPECT_TRUE(LogHasLine("LoadData: savegame\\SCALE.gam line 2: bad height scale 0, using 32"));
    EXPECT_EQ(GetHeightScale(), 32);
    EXPECT_EQ(GetTileHeight(0, 0), 2.0f);
}

TEST_F(MapFile, ASaveClearsTheTemporaryFilesOfCutOffSaves)
{
    WriteLines("savegame\\VEZIDI.bak.tmp", {"1"});
    WriteLines("savegame\\OLD MAP.gam.tmp", {"1"});
    WriteLines("savegame\\NOTES.txt.tmp", {"1"});
    SaveData(false, "NEW");
    EXPECT_FALSE(FileExists("savegame\\VEZIDI.bak.tmp"));
    EXPECT_FALSE(FileExists("savegame\\OLD MAP.gam.tmp"));
    EXPECT_FALSE(FileExists("savegame\\NEW.gam.tmp"));
    EXPECT_TRUE(FileExists("savegame\\NOTES.txt.tmp"));   // not ours
    EXPECT_EQ(ReadLines("savegame\\NEW.gam").size(), 20004u);
    DeleteFileA("savegame\\NOTES.txt.tmp");
}

// The test's folder "fulldisk" holds a backup and, as the backup's temporary file, a link to a
// device that is always full.
TEST_F(MapFile, AFullDiskIsLoggedAsSuchAndKeepsThePreviousFile)
{
    ASSERT_TRUE(SetCurrentDirectoryA("fulldisk"));
    WriteLines("savegame\\VEZIDI.bak", {"the previous backup"});
    InitErrorLog();
    m_MapData.siHeight[0][0] = 1;
    SaveData(true, "");
    const std::vector<std::string> log = ReadLog();
    const std::vector<std::string> kept = ReadLines("savegame\\VEZIDI.bak");
    SetCurrentDirectoryA("..");
    ASSERT_EQ(log.size(), 2u);
    EXPECT_EQ(log[1], "SaveData: could not write savegame\\VEZIDI.bak: Disk full (error 112); the map "
                      "was not saved");
    EXPECT_EQ(kept, std::vector<std::string>{"the previous backup"});
}

// Heights painted round the seams, textures painted, turned and mirrored, texture corners
// set, and caves tried on every fourth tile of column 99 and row 99; one cave deleted.
static void EditAMap(unsigned int uSeed, std::set<int>* pSeamDirections)
{
    srand(uSeed);
    const int seam[4] = {98, 99, 0, 1};
    for (int i = 0; i < 40; i++)
    {
        const int a = rand() % MAP_SIZE, b = seam[rand() % 4];
        m_ptSelectedCorner = i % 2 ? TileCorner{a, b} : TileCorner{b, a};
        PaintHeight((short)(rand() % 257), true);
    }
    for (int i = 0; i < 300; i++)
    {
        const int iTile = rand() % (MAP_SIZE * MAP_SIZE);
        switch (rand() % 6)
        {
        case 0: PaintTileTexture(rand() % 129, iTile); break;
        case 1: RotateTileTexture(iTile); break;
        case 2: FlipTileTextureX(iTile); break;
        case 3: FlipTileTextureZ(iTile); break;
        case 4: FlipTileTriangle(iTile); break;
        default:
            TileTexCoords rec;
            for (float& f : rec.fUV)
                f = (rand() % 129) / 128.0f;
            SetBaseTileUV(rec, iTile % MAP_SIZE, iTile / MAP_SIZE);
        }
    }
    for (int a = (int)uSeed; a < MAP_SIZE; a += 4)
        for (int iTile : {GetTileIndex(99, a), GetTileIndex(a, 99)})
        {
            const int iBefore = GetNumCaves();
            AddCaveAtTile(iTile);
            if (GetNumCaves() > iBefore)
                pSeamDirections->insert(GetCaveSummary(iBefore).iDirection);
        }
    if (GetNumCaves() > 2)
    {
        m_iCurrentCave = 1;
        DeleteCave();
    }
}

// Whatever the editor can make, the loader takes back: each map saved, loaded over another
// and saved again gives the same file.
TEST_F(MapFile, EveryMapTheEditorMakesLoadsBackAsSaved)
{
    std::set<int> seamDirections;
    for (unsigned int uSeed = 1; uSeed <= 3; uSeed++)
    {
        SCOPED_TRACE(uSeed);
        SetUp();
        EditAMap(uSeed, &seamDirections);
        ASSERT_GT(GetNumCaves(), 0);
        Snapshot saved = TakeSnapshot();
        SaveData(false, "EDITED");
        const std::string first = AfterSavingTime(ReadBytes("savegame\\EDITED.gam"));

        MakeKnownMap();
        InitErrorLog();
        LoadData("EDITED.gam");
        EXPECT_EQ(ReadLog().size(), 1u) << ReadLog().back();
        Snapshot loaded = TakeSnapshot();
        EXPECT_EQ(memcmp(loaded.pData.get(), saved.pData.get(), offsetof(MapData, vNormal)), 0);
        ASSERT_EQ(loaded.summaries.size(), saved.summaries.size());
        for (size_t i = 0; i < saved.summaries.size(); i++)
        {
            EXPECT_EQ(loaded.summaries[i].iTile, saved.summaries[i].iTile);
            EXPECT_EQ(loaded.summaries[i].iDirection, saved.summaries[i].iDirection);
        }
        SaveData(false, "AGAIN");
        EXPECT_TRUE(AfterSavingTime(ReadBytes("savegame\\AGAIN.gam")) == first);
    }
    EXPECT_EQ(seamDirections, (std::set<int>{0, 1, 2, 3}));
}

// Two hilly maps with caves on both sides of the seam, the camera where the seam is in view.
static void MakeHillyMap(int iShift)
{
    for (int x = 0; x < MAP_SIZE; x++)
        for (int z = 0; z < MAP_SIZE; z++)
        {
            m_ptSelectedCorner = TileCorner{x, z};
            m_MapData.siHeight[x][z] = (short)(128 + 120 * sin((x + iShift) * 0.4) * cos(z * 0.3));
        }
    CalculateScreenPosition();
    // In front of the camera at (5, 40), on both sides of the seam between columns 99 and 0.
    for (int z = 42; z < 80; z += 3)
        for (int x = 88 + iShift % 3; x < 112; x += 3)
            AddCaveAtTile(GetTileIndex(x % MAP_SIZE, z));
}

static int CountDifferences(const std::vector<DWORD>& a, const std::vector<DWORD>& b)
{
    int n = a.size() == b.size() ? 0 : -1;
    for (size_t i = 0; i < a.size() && i < b.size(); i++)
        n += a[i] != b[i];
    return n;
}

TEST_F(MapFile, AMapLoadedOverAnotherShowsAsAtAFreshStart)
{
    MoveCameraTo(5, 40);
    MakeHillyMap(0);
    ASSERT_GT(GetNumCaves(), 20);
    SaveData(false, "HILLY");

    // A fresh start: the blank map seen from the camera, then the load.
    SetUp();
    CalculateScreenPosition();
    LoadData("HILLY.gam");
    int w = 0, h = 0;
    RenderFrame(&w, &h);   // the frame's lights
    const std::vector<DWORD> fresh = RenderFrame(&w, &h);

    // Another hilly map with other caves, then the same load.
    SetUp();
    MakeHillyMap(7);
    LoadData("HILLY.gam");
    const int iTiles = m_iNumDisplayableTiles, iCaves = m_siNumVisibleCaves;
    const std::vector<DWORD> over = RenderFrame(&w, &h);
    EXPECT_EQ(CountDifferences(over, fresh), 0);

    // And both are what the next move of the camera shows.
    CalculateScreenPosition();
    EXPECT_EQ(m_iNumDisplayableTiles, iTiles);
    EXPECT_EQ(m_siNumVisibleCaves, iCaves);
    EXPECT_EQ(CountDifferences(RenderFrame(&w, &h), fresh), 0);
    // A cave past the seam in view stands a map's width to the left.
    int iShifted = 0;
    for (int i = 0; i < m_siNumVisibleCaves; i++)
        iShifted += GetCaveSummary(m_siVisibleCaves[i]).iWrapOffsetX == -100;
    EXPECT_GT(iShifted, 0);
}

// The map a file holds by the format's rules, read another way: every token split off first
// and checked whole, numbers converted by the C library. False for a file to refuse.
class IndependentReading
{
public:
    explicit IndependentReading(const std::string& text)
        : m_p(text.data()), m_pEnd(text.data() + text.size())
    {
    }

    bool Read(Snapshot* pMap)
    {
        MapData& d = *pMap->pData;
        long long v = 0;
        if (!Int(0, 0xFFFFFFFFLL, &v) || !Int(-32768, 32767, &v))
            return false;
        d.siHeightScale = (short)(v < 1 ? 32 : v);
        pMap->base.assign(MAP_SIZE * MAP_SIZE, TileTexCoords());
        pMap->alpha = pMap->base;
        const int order[8] = {4, 5, 0, 1, 2, 3, 6, 7};
        for (int t = 0; t < MAP_SIZE * MAP_SIZE; t++)
        {
            const int x = t % MAP_SIZE, z = t / MAP_SIZE;
            long long f[12];
            const long long lo[12] = {0, 0, 0, 0, 0, 0, 0, 0, 1, 0, 0, 0};
            const long long hi[12] = {256, 1, 9999, 120, 1, 1, 3, 1, 128, 1, 1, 3};
            for (int i = 0; i < 12; i++)
                if (!Int(lo[i], hi[i], &f[i]))
                    return false;
            if (f[3] % 8 != 0 || (f[8] % 8 == 0 && f[8] != 128))
                return false;
            d.siHeight[x][z] = (short)f[0];
            d.siTileType[x][z] = (short)f[1];
            d.siCaveNumber[x][z] = (short)f[2];
            d.siBaseTexture[x][z] = (short)f[3];
            d.bBaseFlipX[x][z] = f[4] != 0;
            d.bBaseFlipZ[x][z] = f[5] != 0;
            d.siBaseRotation[x][z] = (short)f[6];
            d.bTriangleFlip[x][z] = f[7] != 0;
            d.siAlphaTexture[x][z] = (short)f[8];
            d.bAlphaFlipX[x][z] = f[9] != 0;
            d.bAlphaFlipZ[x][z] = f[10] != 0;
            d.siAlphaRotation[x][z] = (short)f[11];
            for (int i = 0; i < 16; i++)
            {
                TileTexCoords& rec = (i < 8 ? pMap->base : pMap->alpha)[x * MAP_SIZE + z];
                if (!Float(&rec.fUV[order[i % 8]]))
                    return false;
            }
        }
        return ReadCaves(pMap) && !Next();
    }

private:
    bool ReadCaves(Snapshot* pMap)
    {
        const MapData& d = *pMap->pData;
        long long n = 0, m = 0, v[15];
        if (!Int(0, 160000, &n) || n % 16 != 0)
            return false;
        pMap->caves.assign((size_t)n, CaveData());
        for (CaveData& rec : pMap->caves)
        {
            for (int c = 0; c < 3; c++)
                if (!Float(&rec.vCorner[c].x) || !Float(&rec.vCorner[c].y) ||
                    !Float(&rec.vCorner[c].z))
                    return false;
            for (int i = 0; i < 15; i++)
                if (!Int(0, i == 7 ? 9999 : 128, &v[i]))
                    return false;
            for (int c = 0; c < 3; c++)
                for (int k = 0; k < 2; k++)
                {
                    rec.siTexCoordA[c][k] = (short)v[2 * c + k];
                    rec.siTexCoordB[c][k] = (short)v[9 + 2 * c + k];
                }
            rec.siTextureB = (short)v[6];
            rec.siTile = (short)v[7];
            rec.siTextureA = (short)v[8];
        }
        if (!Int(n / 16, n / 16, &m))
            return false;
        for (int i = 0; i < m; i++)
        {
            if (!Int(16 * (i + 1), 16 * (i + 1), &v[0]) || !Int(0, 3, &v[1]) ||
                !Int(0, 9999, &v[2]))
                return false;
            const int x = (int)v[2] % MAP_SIZE, z = (int)v[2] / MAP_SIZE;
            if (d.siTileType[x][z] != 1 || d.siCaveNumber[x][z] != i)
                return false;
            for (int t = 16 * i; t < 16 * (i + 1); t++)
                if (pMap->caves[t].siTile != v[2])
                    return false;
            pMap->summaries.push_back({(int)v[2], (int)v[0], 0, 0, (int)v[1]});
        }
        for (int t = 0; t < MAP_SIZE * MAP_SIZE; t++)
        {
            const int x = t % MAP_SIZE, z = t / MAP_SIZE, c = d.siCaveNumber[x][z];
            if (d.siTileType[x][z] == 1 && (c >= m || pMap->summaries[c].iTile != t))
                return false;
        }
        return true;
    }

    bool Int(long long lo, long long hi, long long* pOut)
    {
        if (!Next())
            return false;
        const size_t iDigits = m_token.find_first_not_of("+-") == 1 ? 1 : 0;
        if (m_token.size() == iDigits || m_token.size() > 15 ||
            m_token.find_first_not_of("0123456789", iDigits) != std::string::npos)
            return false;
        *pOut = strtoll(m_token.c_str(), NULL, 10);
        return *pOut >= lo && *pOut <= hi;
    }

    // Sign, digits with at most one point and at least one digit, then an exponent.
    bool Float(float* pOut)
    {
        if (!Next())
            return false;
        const std::string& s = m_token;
        size_t i = s[0] == '+' || s[0] == '-' ? 1 : 0;
        const size_t iStart = i;
        i = std::min(s.find_first_not_of("0123456789", i), s.size());
        if (i < s.size() && s[i] == '.')
            i = std::min(s.find_first_not_of("0123456789", i + 1), s.size());
        if (i == iStart || (i == iStart + 1 && s[iStart] == '.'))
            return false;
        if (i < s.size() && (s[i] == 'e' || s[i] == 'E'))
        {
            i += i + 1 < s.size() && (s[i + 1] == '+' || s[i + 1] == '-') ? 2 : 1;
            if (i == s.size() || s.find_first_not_of("0123456789", i) != std::string::npos)
                return false;
            i = s.size();
        }
        *pOut = strtof(s.c_str(), NULL);
        return i == s.size() && std::isfinite(*pOut);
    }

    static bool IsSeparator(char c) { return c != '\0' && strchr(" \t\n\r\v\f", c) != NULL; }

    // The next run of bytes between separators.
    bool Next()
    {
        while (m_p < m_pEnd && IsSeparator(*m_p))
            m_p++;
        const char* pStart = m_p;
        while (m_p < m_pEnd && !IsSeparator(*m_p))
            m_p++;
        m_token.assign(pStart, m_p);
        return m_p > pStart;
    }

    const char* m_p;
    const char* m_pEnd;
    std::string m_token;
};

static bool SameLoadedMap(const Snapshot& a, const Snapshot& b)
{
    if (memcmp(a.pData.get(), b.pData.get(), offsetof(MapData, vNormal)) != 0 ||
        memcmp(a.base.data(), b.base.data(), a.base.size() * sizeof(TileTexCoords)) != 0 ||
        memcmp(a.alpha.data(), b.alpha.data(), a.alpha.size() * sizeof(TileTexCoords)) != 0 ||
        a.caves.size() != b.caves.size() || a.summaries.size() != b.summaries.size())
        return false;
    for (size_t i = 0; i < a.caves.size(); i++)
    {
        const CaveData &p = a.caves[i], &q = b.caves[i];
        if (p.siTile != q.siTile || p.siTextureA != q.siTextureA ||
            p.siTextureB != q.siTextureB || memcmp(p.vCorner, q.vCorner, sizeof(p.vCorner)) ||
            memcmp(p.siTexCoordA, q.siTexCoordA, sizeof(p.siTexCoordA)) ||
            memcmp(p.siTexCoordB, q.siTexCoordB, sizeof(p.siTexCoordB)))
            return false;
    }
    for (size_t i = 0; i < a.summaries.size(); i++)
        if (a.summaries[i].iTile != b.summaries[i].iTile ||
            a.summaries[i].iTriangleEnd != b.summaries[i].iTriangleEnd ||
            a.summaries[i].iDirection != b.summaries[i].iDirection)
            return false;
    return true;
}

// Everything as it was, the derived normals and wrap offsets included.
static bool Unchanged(const Snapshot& now, const Snapshot& before)
{
    return SameLoadedMap(now, before) &&
           memcmp(now.pData.get(), before.pData.get(), sizeof(MapData)) == 0 &&
           memcmp(now.summaries.data(), before.summaries.data(),
                  now.summaries.size() * sizeof(CaveSummary)) == 0;
}

// One byte replaced, dropped or added, two swapped, a line repeated or dropped, or the file
// cut; four in ten in the caves' part, which is small beside the land.
static std::string Mutate(const std::string& good, size_t iCavesStart, std::mt19937* pRandom)
{
    static const char bytes[] = "0123456789-+.eE \n\r\t\x1A\xFF" "ax\x7F";
    std::mt19937& rnd = *pRandom;
    std::string s = good;
    size_t pos = rnd() % 10 < 4 ? iCavesStart + rnd() % (s.size() - iCavesStart) : rnd() % s.size();
    const char c = rnd() % 12 == 0 ? '\0' : bytes[rnd() % (sizeof(bytes) - 1)];
    switch (rnd() % 7)
    {
    case 0:
    case 1: s[pos] = c; break;
    case 2: s.erase(pos, 1); break;
    case 3: s.insert(pos, 1, c); break;
    case 4: std::swap(s[pos], s[std::min(pos + 1, s.size() - 1)]); break;
    case 5:
    {
        const size_t start = s.rfind('\n', pos) == std::string::npos ? 0 : s.rfind('\n', pos) + 1;
        const size_t end = std::min(s.find('\n', pos), s.size() - 1) + 1;
        if (rnd() % 2)
            s.insert(start, s.substr(start, end - start));
        else
            s.erase(start, end - start);
        break;
    }
    default: s.resize(pos); break;
    }
    return s;
}

static int FromEnvironment(const char* name, int iDefault)
{
    const char* value = getenv(name);
    return value != NULL && atoi(value) > 0 ? atoi(value) : iDefault;
}

// Each mutated file is refused with the map as it was, or read exactly as the independent
// reading reads it. ZAN_MAP_MUTATIONS and ZAN_MAP_MUTATION_SEED set a longer run.
TEST_F(MapFile, MutatedFilesAreRefusedOrReadExactly)
{
    MakeKnownMap();
    SaveData(false, "MUTATION BASE");
    const std::string good = ReadBytes("savegame\\MUTATION BASE.gam");
    size_t iCavesStart = 0;
    for (int i = 0; i < 20002; i++)
        iCavesStart = good.find('\n', iCavesStart) + 1;

    // The map the files are loaded over: another with three caves, saved for restoring.
    std::unique_ptr<MapData> pOther(new MapData(*s_pBlank));
    pOther->siHeight[4][4] = 99;
    PlaceCaves(pOther.get(), 3);
    SaveData(false, "MUTATION BEFORE");
    LoadData("MUTATION BEFORE.gam");
    const Snapshot before = TakeSnapshot();

    const int iCases = FromEnvironment("ZAN_MAP_MUTATIONS", 250);
    std::mt19937 rnd((unsigned int)FromEnvironment("ZAN_MAP_MUTATION_SEED", 1));
    int iRefused = 0, iAccepted = 0, iSilent = 0, iDisagree = 0;
    for (int i = 0; i < iCases; i++)
    {
        const std::string text = Mutate(good, iCavesStart, &rnd);
        {
            std::ofstream out("savegame\\MUTATED.gam", std::ios::binary);
            out << text;
        }
        InitErrorLog();
        LoadData("MUTATED.gam");
        const bool bRefused = LogHas("LoadData: savegame\\MUTATED.gam line ",
                                     "; the map is unchanged");
        Snapshot independent;
        independent.pData.reset(new MapData(*before.pData));
        const bool bReadable = IndependentReading(text).Read(&independent);
        const Snapshot now = TakeSnapshot();
        iRefused += bRefused;
        iAccepted += !bRefused;
        iDisagree += bRefused == bReadable;
        if (bRefused ? !Unchanged(now, before) : !bReadable || !SameLoadedMap(now, independent))
        {
            iSilent++;
            ADD_FAILURE() << "case " << i << " " << (bRefused ? "refused" : "accepted");
        }
        if (!bRefused)
            LoadData("MUTATION BEFORE.gam");
    }
    printf("map file mutations: %d cases, %d refused, %d accepted, %d silent corruptions, "
           "%d verdicts unlike the independent reading\n", iCases, iRefused, iAccepted, iSilent,
           iDisagree);
    EXPECT_EQ(iSilent, 0);
    EXPECT_EQ(iDisagree, 0);
    EXPECT_GT(iRefused, iCases / 4);
    EXPECT_GT(iAccepted, iCases / 10);
}
