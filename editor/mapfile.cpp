// The map file: writes the map as plain text and reads it back. A file is read whole into a
// scratch map first, so a damaged file never replaces the map shown.
#include "editor/mapfile.h"

#include <cctype>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <memory>
#include <string>
#include <vector>
#include <windows.h>
#include <mmsystem.h>

#include "app/log.h"
#include "app/msgproc.h"
#include "terrain/cavebuffers.h"
#include "terrain/cavemodels.h"
#include "terrain/caves.h"
#include "terrain/mapdata.h"
#include "terrain/minimap.h"

// The folder of all map files, under the working directory, and the backup's name in it.
static const char* const SAVE_FOLDER = "savegame\\";
static const char* const BACKUP_NAME = "VEZIDI.bak";
// A map file never comes near this; a larger one is not a map.
static const long long MAX_FILE_BYTES = 64LL << 20;
// One cave at most per tile.
static const int MAX_CAVES = MAP_SIZE * MAP_SIZE;
// The file holds a record's values 5, 6, 1, 2, 3, 4, 7, 8: pairs 3, 1, 2, 4.
static const int s_iFileOrder[8] = {4, 5, 0, 1, 2, 3, 6, 7};

// A map as read from a file, applied only once the whole file has been read.
struct LoadedMap
{
    MapData data;
    TileTexCoords base[MAP_SIZE][MAP_SIZE];
    TileTexCoords alpha[MAP_SIZE][MAP_SIZE];
    std::vector<CaveData> caves;
    std::vector<CaveSummary> summaries;
};

// Reads value after value; every run of white space separates two values.
struct MapReader
{
    const char* p;
    const char* pEnd;
    int iLine;            // line of the value last read, for the log
    char cError[200];     // the first fault found; empty while the file reads well
};

// Map names become file names in the folder: no separators, no characters Windows refuses.
static bool BuildPath(char* cPath, size_t size, const char* name, size_t maxName,
                      const char* ext, const char* caller)
{
    if (name == NULL)
        name = "";
    size_t len = strnlen(name, maxName + 1);
    if (len > maxName)
    {
        LogErrorf("%s: the name \"%.40s...\" is longer than %d characters", caller, name,
                  (int)maxName);
        return false;
    }
    for (size_t i = 0; i < len; i++)
    {
        unsigned char c = (unsigned char)name[i];
        if (c < 32 || strchr("\\/:*?\"<>|", c) != NULL)
        {
            LogErrorf("%s: the name \"%s\" holds a character not allowed in a file name",
                      caller, name);
            return false;
        }
    }
    snprintf(cPath, size, "%s%s%s", SAVE_FOLDER, name, ext);
    return true;
}

static void WriteTile(std::ofstream& file, const MapData& data, int x, int z)
{
    file << data.siHeight[x][z] << ' ' << data.siTileType[x][z] << ' '
         << data.siCaveNumber[x][z] << ' ' << data.siBaseTexture[x][z] << ' '
         << (int)data.bBaseFlipX[x][z] << ' ' << (int)data.bBaseFlipZ[x][z] << ' '
         << data.siBaseRotation[x][z] << ' ' << (int)data.bTriangleFlip[x][z] << ' '
         << data.siAlphaTexture[x][z] << ' ' << (int)data.bAlphaFlipX[x][z] << ' '
         << (int)data.bAlphaFlipZ[x][z] << ' ' << data.siAlphaRotation[x][z] << '\n';

    const TileTexCoords base = GetBaseTileUV(x, z);
    const TileTexCoords alpha = GetAlphaTileUV(x, z);
    for (int i = 0; i < 8; i++)
        file << (i > 0 ? " " : "") << base.fUV[s_iFileOrder[i]];
    for (int i = 0; i < 8; i++)
        file << ' ' << alpha.fUV[s_iFileOrder[i]];
    file << '\n';
}

static void WriteCaveRecord(std::ofstream& file, const CaveData& rec)
{
    for (int c = 0; c < 3; c++)
        file << rec.vCorner[c].x << ' ' << rec.vCorner[c].y << ' ' << rec.vCorner[c].z << '\n';
    for (int c = 0; c < 3; c++)
        file << rec.siTexCoordA[c][0] << ' ' << rec.siTexCoordA[c][1] << ' ';
    file << rec.siTextureB << ' ' << rec.siTile << ' ' << rec.siTextureA;
    for (int c = 0; c < 3; c++)
        file << ' ' << rec.siTexCoordB[c][0] << ' ' << rec.siTexCoordB[c][1];
    file << '\n';
}

// The whole map in file order; false when any write failed.
static bool WriteMap(const char* cPath)
{
    std::ofstream file(cPath, std::ios::out | std::ios::trunc);
    if (!file)
        return false;
    std::unique_ptr<MapData> pData(new MapData(GetMapData()));
    file << (unsigned long)timeGetTime() << '\n' << pData->siHeightScale << '\n';
    for (int z = 0; z < MAP_SIZE; z++)
        for (int x = 0; x < MAP_SIZE; x++)
            WriteTile(file, *pData, x, z);

    const int n = GetCaveDataCount();
    file << n << '\n';
    for (int i = 0; i < n; i++)
        WriteCaveRecord(file, GetCaveData(i));
    const int m = GetNumCaves();
    file << m << '\n';
    for (int i = 0; i < m; i++)
    {
        const CaveSummary s = GetCaveSummary(i);
        file << s.iTriangleEnd << ' ' << s.iDirection << ' ' << s.iTile << '\n';
    }
    file.close();
    return !file.fail();
}

void SaveData(bool bBackup, const char* text)
{
    m_siScreenMode = 2;

    char cPath[64];
    if (bBackup)
        snprintf(cPath, sizeof(cPath), "%s%s", SAVE_FOLDER, BACKUP_NAME);
    else if (!BuildPath(cPath, sizeof(cPath), text, MAX_MAP_NAME, ".gam", "SaveData"))
        return;

    // Written beside the old file and swapped in at the end, so a failed save keeps it.
    char cTemp[80];
    snprintf(cTemp, sizeof(cTemp), "%s.tmp", cPath);
    if (!WriteMap(cTemp))
    {
        DeleteFileA(cTemp);
        LogErrorf("SaveData: could not write %s (is there a savegame folder?); the map was not "
                  "saved", cPath);
        return;
    }
    if (!MoveFileExA(cTemp, cPath, MOVEFILE_REPLACE_EXISTING))
    {
        DeleteFileA(cTemp);
        LogErrorf("SaveData: could not replace %s; the map was not saved", cPath);
    }
}

static bool Fail(MapReader* r, const char* text)
{
    if (r->cError[0] == '\0')
        snprintf(r->cError, sizeof(r->cError), "line %d: %s", r->iLine, text);
    return false;
}

// The next value's text, zero-terminated in cToken.
static bool NextToken(MapReader* r, const char* what, char* cToken, size_t size)
{
    while (r->p < r->pEnd && isspace((unsigned char)*r->p))
    {
        if (*r->p == '\n')
            r->iLine++;
        r->p++;
    }
    char cText[120];
    if (r->p == r->pEnd)
    {
        snprintf(cText, sizeof(cText), "the file ends where %s should be", what);
        return Fail(r, cText);
    }
    size_t len = 0;
    while (r->p < r->pEnd && !isspace((unsigned char)*r->p))
    {
        if (len + 1 < size)
            cToken[len] = *r->p;
        len++;
        r->p++;
    }
    cToken[len + 1 < size ? len : size - 1] = '\0';
    if (len + 1 > size)
    {
        snprintf(cText, sizeof(cText), "%s is not a number (\"%.20s...\")", what, cToken);
        return Fail(r, cText);
    }
    return true;
}

static bool ReadInt(MapReader* r, const char* what, long long lo, long long hi, long long* pOut)
{
    char cToken[32];
    if (!NextToken(r, what, cToken, sizeof(cToken)))
        return false;
    char* pStop = NULL;
    long long v = strtoll(cToken, &pStop, 10);
    if (pStop == cToken || *pStop != '\0' || v < lo || v > hi)
    {
        char cText[160];
        snprintf(cText, sizeof(cText), "%s should be a whole number from %lld to %lld, not "
                 "\"%s\"", what, lo, hi, cToken);
        return Fail(r, cText);
    }
    *pOut = v;
    return true;
}

static bool ReadShort(MapReader* r, const char* what, short* pOut, short lo = -32768,
                      short hi = 32767)
{
    long long v = 0;
    if (!ReadInt(r, what, lo, hi, &v))
        return false;
    *pOut = (short)v;
    return true;
}

static bool ReadFlag(MapReader* r, const char* what, bool* pOut)
{
    long long v = 0;
    if (!ReadInt(r, what, 0, 1, &v))
        return false;
    *pOut = v != 0;
    return true;
}

static bool ReadFloat(MapReader* r, const char* what, float* pOut)
{
    char cToken[32];
    if (!NextToken(r, what, cToken, sizeof(cToken)))
        return false;
    char* pStop = NULL;
    float v = strtof(cToken, &pStop);
    if (pStop == cToken || *pStop != '\0' || !std::isfinite(v))
    {
        char cText[120];
        snprintf(cText, sizeof(cText), "%s should be a number, not \"%s\"", what, cToken);
        return Fail(r, cText);
    }
    *pOut = v;
    return true;
}

// Record values in the file's order, back into their places.
static bool ReadTexCoords(MapReader* r, const char* what, TileTexCoords* pRec)
{
    for (int i = 0; i < 8; i++)
        if (!ReadFloat(r, what, &pRec->fUV[s_iFileOrder[i]]))
            return false;
    return true;
}

static bool ReadTile(MapReader* r, LoadedMap* pMap, int x, int z)
{
    MapData& d = pMap->data;
    return ReadShort(r, "a height", &d.siHeight[x][z]) &&
           ReadShort(r, "a tile type", &d.siTileType[x][z]) &&
           ReadShort(r, "a cave number", &d.siCaveNumber[x][z]) &&
           ReadShort(r, "a base texture", &d.siBaseTexture[x][z]) &&
           ReadFlag(r, "a base x flip", &d.bBaseFlipX[x][z]) &&
           ReadFlag(r, "a base z flip", &d.bBaseFlipZ[x][z]) &&
           ReadShort(r, "a base rotation", &d.siBaseRotation[x][z]) &&
           ReadFlag(r, "a triangle flip", &d.bTriangleFlip[x][z]) &&
           ReadShort(r, "an alpha texture", &d.siAlphaTexture[x][z]) &&
           ReadFlag(r, "an alpha x flip", &d.bAlphaFlipX[x][z]) &&
           ReadFlag(r, "an alpha z flip", &d.bAlphaFlipZ[x][z]) &&
           ReadShort(r, "an alpha rotation", &d.siAlphaRotation[x][z]) &&
           ReadTexCoords(r, "a base texture coordinate", &pMap->base[x][z]) &&
           ReadTexCoords(r, "an alpha texture coordinate", &pMap->alpha[x][z]);
}

static bool ReadLand(MapReader* r, LoadedMap* pMap)
{
    long long dwSaved = 0;
    if (!ReadInt(r, "the saving time", 0, 0xFFFFFFFFLL, &dwSaved) ||
        !ReadShort(r, "the height scale", &pMap->data.siHeightScale))
        return false;
    for (int z = 0; z < MAP_SIZE; z++)
        for (int x = 0; x < MAP_SIZE; x++)
            if (!ReadTile(r, pMap, x, z))
                return false;
    return true;
}

static bool ReadCaveRecord(MapReader* r, CaveData* pRec)
{
    for (int c = 0; c < 3; c++)
        if (!ReadFloat(r, "a cave corner", &pRec->vCorner[c].x) ||
            !ReadFloat(r, "a cave corner", &pRec->vCorner[c].y) ||
            !ReadFloat(r, "a cave corner", &pRec->vCorner[c].z))
            return false;
    for (int c = 0; c < 3; c++)
        if (!ReadShort(r, "a cave texture coordinate", &pRec->siTexCoordA[c][0]) ||
            !ReadShort(r, "a cave texture coordinate", &pRec->siTexCoordA[c][1]))
            return false;
    // Texture numbers index the land textures and the tile the map.
    if (!ReadShort(r, "a cave texture", &pRec->siTextureB, 0, 128) ||
        !ReadShort(r, "a cave tile", &pRec->siTile, 0, MAP_SIZE * MAP_SIZE - 1) ||
        !ReadShort(r, "a cave texture", &pRec->siTextureA, 0, 128))
        return false;
    for (int c = 0; c < 3; c++)
        if (!ReadShort(r, "a cave texture coordinate", &pRec->siTexCoordB[c][0]) ||
            !ReadShort(r, "a cave texture coordinate", &pRec->siTexCoordB[c][1]))
            return false;
    return true;
}

// The cave code finds a cave's records through the summaries' ends, so they must count
// exactly CAVE_TRIANGLES records per cave.
static bool ReadCaveSummary(MapReader* r, int i, CaveSummary* pSummary)
{
    long long iEnd = 0, iDirection = 0, iTile = 0;
    const long long iExpected = (long long)CAVE_TRIANGLES * (i + 1);
    if (!ReadInt(r, "a cave's record end", iExpected, iExpected, &iEnd) ||
        !ReadInt(r, "a cave direction", 0, NUM_CAVE_DIRECTIONS - 1, &iDirection) ||
        !ReadInt(r, "a cave tile", 0, MAP_SIZE * MAP_SIZE - 1, &iTile))
        return false;
    pSummary->iTile = (int)iTile;
    pSummary->iTriangleEnd = (int)iEnd;
    pSummary->iWrapOffsetX = 0;
    pSummary->iWrapOffsetZ = 0;
    pSummary->iDirection = (int)iDirection;
    return true;
}

static bool ReadCaves(MapReader* r, LoadedMap* pMap)
{
    long long n = 0;
    if (!ReadInt(r, "the cave record count", 0, (long long)CAVE_TRIANGLES * MAX_CAVES, &n))
        return false;
    if (n % CAVE_TRIANGLES != 0)
        return Fail(r, "the cave record count is not a whole number of caves");
    for (long long i = 0; i < n; i++)
    {
        CaveData rec = CaveData();
        if (!ReadCaveRecord(r, &rec))
            return false;
        pMap->caves.push_back(rec);
    }
    long long m = 0;
    const long long iCaves = n / CAVE_TRIANGLES;
    if (!ReadInt(r, "the cave count", iCaves, iCaves, &m))
        return false;
    for (int i = 0; i < (int)m; i++)
    {
        CaveSummary s = CaveSummary();
        if (!ReadCaveSummary(r, i, &s))
            return false;
        pMap->summaries.push_back(s);
    }
    return true;
}

// A cave tile must name a cave of the file: the cave code indexes its lists with it.
static bool CheckCaveTiles(MapReader* r, const LoadedMap& map)
{
    const int m = (int)map.summaries.size();
    for (int z = 0; z < MAP_SIZE; z++)
        for (int x = 0; x < MAP_SIZE; x++)
        {
            const int iCave = map.data.siCaveNumber[x][z];
            if (map.data.siTileType[x][z] == 1 && (iCave < 0 || iCave >= m))
            {
                char cText[120];
                snprintf(cText, sizeof(cText), "tile (%d, %d) names cave %d of %d", x, z, iCave,
                         m);
                r->iLine = 3 + 2 * (z * MAP_SIZE + x);
                return Fail(r, cText);
            }
        }
    return true;
}

static bool CheckEnd(MapReader* r)
{
    while (r->p < r->pEnd && isspace((unsigned char)*r->p))
    {
        if (*r->p == '\n')
            r->iLine++;
        r->p++;
    }
    if (r->p != r->pEnd)
        return Fail(r, "more follows the last cave");
    return true;
}

// The whole file into text; false with a log line when it cannot be read.
static bool ReadWholeFile(const char* cPath, std::string* pText)
{
    std::ifstream file(cPath, std::ios::in | std::ios::binary);
    if (!file)
    {
        LogErrorf("LoadData: cannot open %s; the map is unchanged", cPath);
        return false;
    }
    file.seekg(0, std::ios::end);
    const long long size = (long long)file.tellg();
    if (size < 0 || size > MAX_FILE_BYTES)
    {
        LogErrorf("LoadData: %s is too large to be a map; the map is unchanged", cPath);
        return false;
    }
    pText->resize((size_t)size);
    file.seekg(0, std::ios::beg);
    if (size > 0 && !file.read(&(*pText)[0], size))
    {
        LogErrorf("LoadData: cannot read %s; the map is unchanged", cPath);
        return false;
    }
    return true;
}

static void ApplyMap(const LoadedMap& map)
{
    for (int z = 0; z < MAP_SIZE; z++)
        for (int x = 0; x < MAP_SIZE; x++)
        {
            SetBaseTileUV(map.base[x][z], x, z);
            SetAlphaTileUV(map.alpha[x][z], x, z);
        }
    EmptyCaveLists();
    for (size_t i = 0; i < map.caves.size(); i++)
        AddCaveData(map.caves[i]);
    SetCaveCount((int)map.summaries.size());
    for (size_t i = 0; i < map.summaries.size(); i++)
        AddCaveSummary(map.summaries[i]);
    SetMapData(map.data);
    GenerateHeightMap();
    if (!map.caves.empty())
        RebuildCaveVBs();
}

void LoadData(const char* fileName)
{
    m_siScreenMode = 2;

    char cPath[64];
    if (!BuildPath(cPath, sizeof(cPath), fileName, MAX_MAP_NAME + 4, "", "LoadData"))
        return;
    std::string text;
    if (!ReadWholeFile(cPath, &text))
        return;

    // The normals are not in the file; the land build renews them.
    std::unique_ptr<LoadedMap> pMap(new LoadedMap());
    pMap->data = GetMapData();
    MapReader reader = {text.data(), text.data() + text.size(), 1, ""};
    if (!ReadLand(&reader, pMap.get()) || !ReadCaves(&reader, pMap.get()) ||
        !CheckEnd(&reader) || !CheckCaveTiles(&reader, *pMap))
    {
        LogErrorf("LoadData: %s %s; the map is unchanged", cPath, reader.cError);
        return;
    }
    ApplyMap(*pMap);
}
