// The map file: writes the map as plain text and reads it back. A file is read whole into a
// scratch map and checked before it replaces the map shown, so a damaged file changes nothing.
#include "editor/mapfile.h"

#include <cmath>
#include <cstddef>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <sstream>
#include <string>
#include <vector>
#include <windows.h>
#include <mmsystem.h>

#include "app/log.h"
#include "app/msgproc.h"
#include "terrain/cavebuffers.h"
#include "terrain/cavemodels.h"
#include "terrain/caveedit.h"
#include "terrain/caves.h"
#include "terrain/mapdata.h"
#include "terrain/mapupdate.h"
#include "terrain/minimap.h"
#include "terrain/view.h"

// The folder of all map files, under the working directory, and the backup's name in it.
static const char* const SAVE_FOLDER = "savegame\\";
static const char* const BACKUP_NAME = "VEZIDI.bak";
// Where a run's first backup moves the backup an earlier run left.
static const char* const OLD_BACKUP_NAME = "VEZIDI.old";
// A save is written under its name with this added, then swapped in.
static const char* const TEMP_EXT = ".tmp";
// A map file never comes near this; a larger one is not a map.
static const long long MAX_FILE_BYTES = 64LL << 20;
// One cave at most per tile.
static const int MAX_CAVES = MAP_SIZE * MAP_SIZE;
static const int MAX_TILE = MAP_SIZE * MAP_SIZE - 1;
// The file holds a record's values 5, 6, 1, 2, 3, 4, 7, 8: pairs 3, 1, 2, 4.
static const int s_iFileOrder[8] = {4, 5, 0, 1, 2, 3, 6, 7};
// Powers of ten that doubles and floats hold exactly.
static const double s_dPow10[11] = {1e0, 1e1, 1e2, 1e3, 1e4, 1e5, 1e6, 1e7, 1e8, 1e9, 1e10};

// The digest of the map as last started, loaded or written with success; none until then.
// The backup writes only a map that differs from it, so it never puts a map that is in a file
// already over older work.
static bool s_bHaveSavedDigest = false;
static unsigned long long s_ullSavedDigest = 0;
// The backup in the folder is this run's: set once its first backup has moved an earlier
// run's aside, which may hold the only copy of that run's work.
static bool s_bBackupOfThisRun = false;

namespace
{
// A map as read from a file, applied only once the whole file has been read.
struct LoadedMap
{
    MapData data;
    TileTexCoords base[MAP_SIZE][MAP_SIZE];
    TileTexCoords alpha[MAP_SIZE][MAP_SIZE];
    std::vector<CaveData> caves;
    std::vector<CaveSummary> summaries;
    int iScaleLine;   // where the height scale stands, for the log
};

// Reads value after value; every run of white space separates two values.
struct MapReader
{
    const char* p;
    const char* pEnd;
    const char* pToken;   // the value last read, for the log
    size_t tokenLen;
    int iLine;            // line of the value last read, for the log
    char cError[200];     // the first fault found; empty while the file reads well
};
}   // namespace

// The system's text for a failed file operation, for the log.
static void DescribeError(DWORD dwError, char* cText, size_t size)
{
    char cSystem[160] = "";
    FormatMessageA(FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS, NULL, dwError, 0,
                   cSystem, sizeof(cSystem), NULL);
    size_t len = strlen(cSystem);
    while (len > 0 && strchr("\r\n .", cSystem[len - 1]) != NULL)
        cSystem[--len] = '\0';
    if (dwError == ERROR_PATH_NOT_FOUND)
        snprintf(cText, size, "there is no folder %s (error %lu)", SAVE_FOLDER, dwError);
    else
        snprintf(cText, size, "%s (error %lu)", len > 0 ? cSystem : "unknown error", dwError);
}

bool IsDeviceName(const char* name)
{
    static const char* const devices[] = {"CON", "PRN", "AUX", "NUL"};
    // Windows ignores what follows the first dot and the blanks before it.
    size_t len = strcspn(name, ".");
    while (len > 0 && name[len - 1] == ' ')
        len--;
    if (len == 3)
    {
        for (const char* device : devices)
            if (_strnicmp(name, device, 3) == 0)
                return true;
        return false;
    }
    return len == 4 && (_strnicmp(name, "COM", 3) == 0 || _strnicmp(name, "LPT", 3) == 0) &&
           name[3] >= '1' && name[3] <= '9';
}

// Map names become file names in the folder: no separators, no characters Windows refuses,
// no device names (opening one would wait on the device, not write a file).
static bool BuildPath(char* cPath, size_t size, const char* name, size_t maxName,
                      const char* ext, const char* caller)
{
    if (name == NULL)
        name = "";
    size_t len = strnlen(name, maxName + 1);
    if (len > maxName)
    {
        LogErrorf("%s: the name %s is longer than %d characters", caller,
                  QuoteForLog(name).c_str(), (int)maxName);
        return false;
    }
    for (size_t i = 0; i < len; i++)
    {
        unsigned char c = (unsigned char)name[i];
        if (c < 32 || strchr("\\/:*?\"<>|", c) != NULL)
        {
            LogErrorf("%s: the name %s holds a character not allowed in a file name", caller,
                      QuoteForLog(name).c_str());
            return false;
        }
    }
    if (IsDeviceName(name))
    {
        LogErrorf("%s: the name %s is one Windows keeps for a device", caller,
                  QuoteForLog(name).c_str());
        return false;
    }
    snprintf(cPath, size, "%s%s%s", SAVE_FOLDER, name, ext);
    return true;
}

// Writes into a buffer sized beforehand for the longest text each value can have.
static char* PutInt(char* p, long long v)
{
    char cText[24];
    char* q = cText + sizeof(cText);
    unsigned long long u = v < 0 ? 0ULL - (unsigned long long)v : (unsigned long long)v;
    do
    {
        *--q = (char)('0' + u % 10);
        u /= 10;
    } while (u != 0);
    if (v < 0)
        *--q = '-';
    while (q < cText + sizeof(cText))
        *p++ = *q++;
    return p;
}

// The float as "%g" writes it with 6 significant digits, for magnitudes from 1e-4 to below
// 1e6, where it is scaled to six digits exactly; null for every other value.
static char* PutPlainFloat(char* p, float f)
{
    double a = f < 0 ? -(double)f : (double)f;
    if (a == 0.0 && !std::signbit(f))
    {
        *p++ = '0';
        return p;
    }
    if (!(a >= 1e-5 && a < 1e6))
        return NULL;
    // Six digits before the point: a float's 24-bit mantissa times 10^k (k up to 10) is exact.
    int e = 5;
    while (e > -5 && a * s_dPow10[5 - e] < 100000.0)
        e--;
    const double s = a * s_dPow10[5 - e];
    long n = (long)s;   // s is below a million
    const double frac = s - (double)n;
    if (frac > 0.5 || (frac == 0.5 && (n & 1) != 0))
        n++;
    if (n == 1000000)
    {
        n = 100000;
        e++;
    }
    if (s < 100000.0 || e < -4 || e >= 6)
        return NULL;

    char cDigits[6];
    for (int i = 5; i >= 0; i--, n /= 10)
        cDigits[i] = (char)('0' + n % 10);
    int iLast = 5;   // the last digit kept: trailing zeros after the point go
    while (iLast > (e > 0 ? e : 0) && cDigits[iLast] == '0')
        iLast--;
    if (f < 0)
        *p++ = '-';
    if (e < 0)
    {
        *p++ = '0';
        *p++ = '.';
        for (int i = 0; i < -e - 1; i++)
            *p++ = '0';
        for (int i = 0; i <= iLast; i++)
            *p++ = cDigits[i];
        return p;
    }
    for (int i = 0; i <= e; i++)
        *p++ = cDigits[i];
    if (iLast > e)
        *p++ = '.';
    for (int i = e + 1; i <= iLast; i++)
        *p++ = cDigits[i];
    return p;
}

// Floats as the standard stream writes them by default; at most MAX_FLOAT_TEXT characters
// ("-1.17549e-38").
static const size_t MAX_FLOAT_TEXT = 13;

static char* PutFloat(char* p, float f)
{
    char* pEnd = PutPlainFloat(p, f);
    if (pEnd != NULL)
        return pEnd;
    // Made once: a stream's construction costs more than the formatting.
    static std::ostringstream os;
    os.str("");
    os << f;
    const std::string text = os.str().substr(0, MAX_FLOAT_TEXT);
    memcpy(p, text.data(), text.size());
    return p + text.size();
}

// Lines end with CR LF, as a text-mode stream writes them.
static char* PutLineEnd(char* p)
{
    *p++ = '\r';
    *p++ = '\n';
    return p;
}

// Values separated by blanks, then the line's end.
static char* PutInts(char* p, const long long* pValues, int n)
{
    for (int i = 0; i < n; i++)
    {
        if (i > 0)
            *p++ = ' ';
        p = PutInt(p, pValues[i]);
    }
    return PutLineEnd(p);
}

static char* PutTile(char* p, const MapData& data, int x, int z)
{
    const long long iValues[12] = {
        data.siHeight[x][z],       data.siTileType[x][z],     data.siCaveNumber[x][z],
        data.siBaseTexture[x][z],  data.bBaseFlipX[x][z],     data.bBaseFlipZ[x][z],
        data.siBaseRotation[x][z], data.bTriangleFlip[x][z],  data.siAlphaTexture[x][z],
        data.bAlphaFlipX[x][z],    data.bAlphaFlipZ[x][z],    data.siAlphaRotation[x][z]};
    p = PutInts(p, iValues, 12);

    const TileTexCoords* pRecs[2] = {&m_BaseTexCoords[x][z], &m_AlphaTexCoords[x][z]};
    for (int r = 0; r < 2; r++)
        for (int i = 0; i < 8; i++)
        {
            if (r > 0 || i > 0)
                *p++ = ' ';
            p = PutFloat(p, pRecs[r]->fUV[s_iFileOrder[i]]);
        }
    return PutLineEnd(p);
}

static char* PutCaveRecord(char* p, const CaveData& rec)
{
    for (int c = 0; c < 3; c++)
    {
        p = PutFloat(p, rec.vCorner[c].x);
        *p++ = ' ';
        p = PutFloat(p, rec.vCorner[c].y);
        *p++ = ' ';
        p = PutFloat(p, rec.vCorner[c].z);
        p = PutLineEnd(p);
    }
    const long long iValues[15] = {
        rec.siTexCoordA[0][0], rec.siTexCoordA[0][1], rec.siTexCoordA[1][0],
        rec.siTexCoordA[1][1], rec.siTexCoordA[2][0], rec.siTexCoordA[2][1],
        rec.siTextureB,        rec.siTile,            rec.siTextureA,
        rec.siTexCoordB[0][0], rec.siTexCoordB[0][1], rec.siTexCoordB[1][0],
        rec.siTexCoordB[1][1], rec.siTexCoordB[2][0], rec.siTexCoordB[2][1]};
    return PutInts(p, iValues, 15);
}

// The whole map in file order.
static void FormatMap(std::string* pOut)
{
    const int n = GetCaveDataCount();
    const int m = GetNumCaves();
    // Lines of integers of up to 11 characters each ("-2147483648"), and floats.
    const size_t tileBytes = 12 * 12 + 16 * (MAX_FLOAT_TEXT + 1) + 4;
    const size_t recordBytes = 9 * (MAX_FLOAT_TEXT + 1) + 15 * 12 + 8;
    pOut->resize(64 + (size_t)MAP_SIZE * MAP_SIZE * tileBytes + (size_t)n * recordBytes +
                 (size_t)m * 3 * 12);
    char* const pStart = &(*pOut)[0];
    long long iValue = (long long)timeGetTime();
    char* p = PutInts(pStart, &iValue, 1);
    iValue = m_MapData.siHeightScale;
    p = PutInts(p, &iValue, 1);
    for (int z = 0; z < MAP_SIZE; z++)
        for (int x = 0; x < MAP_SIZE; x++)
            p = PutTile(p, m_MapData, x, z);

    iValue = n;
    p = PutInts(p, &iValue, 1);
    for (int i = 0; i < n; i++)
        p = PutCaveRecord(p, m_CaveData[i]);
    iValue = m;
    p = PutInts(p, &iValue, 1);
    for (int i = 0; i < m; i++)
    {
        const CaveSummary& s = m_CaveSummaries[i];
        const long long iValues[3] = {s.iTriangleEnd, s.iDirection, s.iTile};
        p = PutInts(p, iValues, 3);
    }
    pOut->resize((size_t)(p - pStart));
}

// Writes text as the file cPath, replacing it; false with the system's reason in cCause.
static bool WriteWholeFile(const char* cPath, const std::string& text, char* cCause,
                           size_t size)
{
    HANDLE hFile = CreateFileA(cPath, GENERIC_WRITE, 0, NULL, CREATE_ALWAYS,
                               FILE_ATTRIBUTE_NORMAL, NULL);
    if (hFile == INVALID_HANDLE_VALUE)
    {
        DescribeError(GetLastError(), cCause, size);
        return false;
    }
    DWORD dwWritten = 0;
    DWORD dwError = 0;
    if (!WriteFile(hFile, text.data(), (DWORD)text.size(), &dwWritten, NULL))
        dwError = GetLastError();
    else if (dwWritten != text.size())
        dwError = ERROR_DISK_FULL;
    if (!CloseHandle(hFile) && dwError == 0)
        dwError = GetLastError();
    if (dwError != 0)
        DescribeError(dwError, cCause, size);
    return dwError == 0;
}

// Temporary files of saves that were cut off (the program killed, the machine stopped).
static void RemoveStaleTempFiles(const char* cKeep)
{
    static const char* const patterns[2] = {"*.gam.tmp", "VEZIDI.bak.tmp"};
    for (const char* pattern : patterns)
    {
        char cFind[64];
        snprintf(cFind, sizeof(cFind), "%s%s", SAVE_FOLDER, pattern);
        WIN32_FIND_DATAA found;
        HANDLE hFind = FindFirstFileA(cFind, &found);
        if (hFind == INVALID_HANDLE_VALUE)
            continue;
        do
        {
            char cPath[MAX_PATH + 16];
            snprintf(cPath, sizeof(cPath), "%s%s", SAVE_FOLDER, found.cFileName);
            if ((found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) == 0 &&
                _stricmp(cPath, cKeep) != 0)
                DeleteFileA(cPath);
        } while (FindNextFileA(hFind, &found));
        FindClose(hFind);
    }
}

// Folds n bytes into the digest h, eight at a time.
static unsigned long long Digest(unsigned long long h, const void* p, size_t n)
{
    const unsigned char* b = (const unsigned char*)p;
    for (; n >= 8; b += 8, n -= 8)
    {
        unsigned long long w;
        memcpy(&w, b, 8);
        h = (h ^ w) * 0x100000001B3ULL;
    }
    for (; n > 0; b++, n--)
        h = (h ^ *b) * 0x100000001B3ULL;
    return h;
}

// Everything the file holds, read from memory, padding left out: a full map takes well under
// a millisecond, where formatting its text takes ten.
static unsigned long long MapDigest()
{
    const size_t counts[2] = {m_CaveData.size(), m_CaveSummaries.size()};
    unsigned long long h = Digest(0xCBF29CE484222325ULL, counts, sizeof(counts));
    h = Digest(h, &m_MapData, offsetof(MapData, bAlphaFlipZ) + sizeof(m_MapData.bAlphaFlipZ));
    h = Digest(h, m_BaseTexCoords, sizeof(m_BaseTexCoords));
    h = Digest(h, m_AlphaTexCoords, sizeof(m_AlphaTexCoords));
    for (const CaveData& c : m_CaveData)
    {
        h = Digest(h, &c.siTile, sizeof(c.siTile));
        h = Digest(h, c.vCorner, sizeof(c.vCorner));
        h = Digest(h, &c.siTextureA,
                   (const char*)(&c.siTexCoordB + 1) - (const char*)&c.siTextureA);
    }
    for (const CaveSummary& c : m_CaveSummaries)
    {
        const int iSaved[3] = {c.iTile, c.iTriangleEnd, c.iDirection};
        h = Digest(h, iSaved, sizeof(iSaved));
    }
    return h;
}

static bool IsMapSaved()
{
    return s_bHaveSavedDigest && MapDigest() == s_ullSavedDigest;
}

void MarkMapSaved()
{
    s_ullSavedDigest = MapDigest();
    s_bHaveSavedDigest = true;
}

// Before this run's first backup replaces it, the earlier run's goes to VEZIDI.old; false,
// logged, when it could not, so the caller writes nothing over it.
static bool KeepEarlierBackup(const char* cPath)
{
    if (s_bBackupOfThisRun)
        return true;
    char cOld[64];
    snprintf(cOld, sizeof(cOld), "%s%s", SAVE_FOLDER, OLD_BACKUP_NAME);
    if (!MoveFileExA(cPath, cOld, MOVEFILE_REPLACE_EXISTING))
    {
        const DWORD dwError = GetLastError();
        // No backup in the folder: nothing to keep.
        if (dwError != ERROR_FILE_NOT_FOUND)
        {
            char cCause[200];
            DescribeError(dwError, cCause, sizeof(cCause));
            LogErrorf("SaveData: could not move %s to %s: %s; the backup was not written", cPath,
                      cOld, cCause);
            return false;
        }
    }
    s_bBackupOfThisRun = true;
    return true;
}

void StartNewRunForBackup()
{
    s_bBackupOfThisRun = false;
}

void SaveData(bool bBackup, const char* text)
{
    char cPath[64];
    if (bBackup)
        snprintf(cPath, sizeof(cPath), "%s%s", SAVE_FOLDER, BACKUP_NAME);
    else if (!BuildPath(cPath, sizeof(cPath), text, MAX_MAP_NAME, ".gam", "SaveData"))
        return;   // the user stays on the SAVE screen to mend the name
    // The backup runs every two minutes wherever the user is; it must not move them.
    if (!bBackup)
        m_siScreenMode = 2;

    if (bBackup && IsMapSaved())
        return;
    // Written beside the old file and swapped in at the end, so a failed save keeps it.
    char cTemp[80];
    snprintf(cTemp, sizeof(cTemp), "%s%s", cPath, TEMP_EXT);
    RemoveStaleTempFiles(cTemp);
    std::string strText;
    FormatMap(&strText);

    char cCause[200];
    if (!WriteWholeFile(cTemp, strText, cCause, sizeof(cCause)))
    {
        DeleteFileA(cTemp);
        LogErrorf("SaveData: could not write %s: %s; the map was not saved", cPath, cCause);
        return;
    }
    if (bBackup && !KeepEarlierBackup(cPath))
    {
        DeleteFileA(cTemp);
        return;
    }
    if (!MoveFileExA(cTemp, cPath, MOVEFILE_REPLACE_EXISTING))
    {
        DescribeError(GetLastError(), cCause, sizeof(cCause));
        DeleteFileA(cTemp);
        LogErrorf("SaveData: could not replace %s: %s; the map was not saved", cPath, cCause);
        return;
    }
    MarkMapSaved();
}

// A file's bytes for the log: control and non-ASCII bytes escaped, the length bounded.
static std::string QuoteToken(const MapReader* r)
{
    return QuoteForLog(std::string(r->pToken, r->tokenLen));
}

static bool Fail(MapReader* r, const char* text)
{
    if (r->cError[0] == '\0')
        snprintf(r->cError, sizeof(r->cError), "line %d: %s", r->iLine, text);
    return false;
}

// The value's text should be one thing and is not: names it, quoted, in the log.
static bool FailToken(MapReader* r, const char* what, const char* should)
{
    char cText[200];
    snprintf(cText, sizeof(cText), "%s should be %s, not %s", what, should,
             QuoteToken(r).c_str());
    return Fail(r, cText);
}

// A blank, or one of tab, line feed, vertical tab, form feed and carriage return (9 to 13).
static bool IsBlank(char c)
{
    return c == ' ' || (unsigned char)(c - '\t') <= '\r' - '\t';
}

static void SkipBlanks(MapReader* r)
{
    while (r->p < r->pEnd && IsBlank(*r->p))
    {
        if (*r->p == '\n')
            r->iLine++;
        r->p++;
    }
}

// The next value's text, from r->pToken, r->tokenLen bytes long.
static bool NextToken(MapReader* r, const char* what)
{
    SkipBlanks(r);
    if (r->p == r->pEnd)
    {
        char cText[120];
        snprintf(cText, sizeof(cText), "the file ends where %s should be", what);
        return Fail(r, cText);
    }
    r->pToken = r->p;
    while (r->p < r->pEnd && !IsBlank(*r->p))
        r->p++;
    r->tokenLen = (size_t)(r->p - r->pToken);
    return true;
}

static bool IsDigit(char c)
{
    return c >= '0' && c <= '9';
}

static bool ReadInt(MapReader* r, const char* what, long long lo, long long hi, long long* pOut)
{
    if (!NextToken(r, what))
        return false;
    const char* p = r->pToken;
    const char* pEnd = p + r->tokenLen;
    bool bNeg = p < pEnd && *p == '-';
    if (p < pEnd && (*p == '-' || *p == '+'))
        p++;
    long long v = 0;
    bool bDigits = p < pEnd;
    for (; p < pEnd && bDigits; p++)
    {
        bDigits = IsDigit(*p) && v < 1000000000000LL;
        v = v * 10 + (*p - '0');
    }
    if (bNeg)
        v = -v;
    if (!bDigits || v < lo || v > hi)
    {
        char cShould[80];
        snprintf(cShould, sizeof(cShould), "a whole number from %lld to %lld", lo, hi);
        return FailToken(r, what, cShould);
    }
    *pOut = v;
    return true;
}

static bool ReadShort(MapReader* r, const char* what, short* pOut, short lo, short hi)
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

// A decimal number: sign, digits with at most one point, and an exponent; nothing else.
// Up to seven significant digits and a small exponent the value is one exact float division
// or product, rounded once; anything longer goes through the library.
static bool ParseFloat(const char* p, const char* pEnd, float* pOut)
{
    const char* pStart = p;
    bool bNeg = p < pEnd && *p == '-';
    if (p < pEnd && (*p == '-' || *p == '+'))
        p++;
    long long m = 0;
    int iDigits = 0, iSignificant = 0, iScale = 0;
    bool bPoint = false;
    for (; p < pEnd && (IsDigit(*p) || (*p == '.' && !bPoint)); p++)
    {
        if (*p == '.')
        {
            bPoint = true;
            continue;
        }
        iDigits++;
        if (iSignificant > 0 || *p != '0')
            iSignificant++;
        if (iSignificant <= 18)
            m = m * 10 + (*p - '0');
        else if (!bPoint)
            iScale++;
        if (bPoint && iSignificant <= 18)
            iScale--;
    }
    if (iDigits == 0)
        return false;
    int iExp = 0;
    if (p < pEnd && (*p == 'e' || *p == 'E'))
    {
        p++;
        bool bExpNeg = p < pEnd && *p == '-';
        if (p < pEnd && (*p == '-' || *p == '+'))
            p++;
        if (p == pEnd)
            return false;
        for (; p < pEnd && IsDigit(*p); p++)
            iExp = iExp < 10000 ? iExp * 10 + (*p - '0') : iExp;
        iExp = bExpNeg ? -iExp : iExp;
    }
    if (p != pEnd)
        return false;
    iScale += iExp;
    float v;
    if (m <= (1 << 24) && iScale >= -10 && iScale <= 10)
        v = iScale < 0 ? (float)m / (float)s_dPow10[-iScale] : (float)m * (float)s_dPow10[iScale];
    else
    {
        std::string text(pStart, pEnd);
        v = strtof(text.c_str(), NULL);
        bNeg = false;
    }
    *pOut = bNeg ? -v : v;
    return true;
}

static bool ReadFloat(MapReader* r, const char* what, float* pOut)
{
    if (!NextToken(r, what))
        return false;
    if (!ParseFloat(r->pToken, r->pToken + r->tokenLen, pOut) || !std::isfinite(*pOut))
        return FailToken(r, what, "a number");
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

// Base textures are the types' first textures, t * 8; alpha textures one of a type's seven
// others, or 128 for none.
static bool ReadTexture(MapReader* r, const char* what, bool bAlpha, short* pOut)
{
    if (!ReadShort(r, what, pOut, 0, 128))
        return false;
    const bool bBase = *pOut % 8 == 0 && *pOut < 128;
    if (bAlpha ? bBase : !bBase)
        return FailToken(r, what, bAlpha ? "128 or a number from 1 to 127 not a multiple of 8"
                                         : "a multiple of 8 from 0 to 120");
    return true;
}

static bool ReadTile(MapReader* r, LoadedMap* pMap, int x, int z)
{
    MapData& d = pMap->data;
    return ReadShort(r, "a height", &d.siHeight[x][z], 0, 256) &&
           ReadShort(r, "a tile type", &d.siTileType[x][z], 0, 1) &&
           ReadShort(r, "a cave number", &d.siCaveNumber[x][z], 0, MAX_CAVES - 1) &&
           ReadTexture(r, "a base texture", false, &d.siBaseTexture[x][z]) &&
           ReadFlag(r, "a base x flip", &d.bBaseFlipX[x][z]) &&
           ReadFlag(r, "a base z flip", &d.bBaseFlipZ[x][z]) &&
           ReadShort(r, "a base rotation", &d.siBaseRotation[x][z], 0, 3) &&
           ReadFlag(r, "a triangle flip", &d.bTriangleFlip[x][z]) &&
           ReadTexture(r, "an alpha texture", true, &d.siAlphaTexture[x][z]) &&
           ReadFlag(r, "an alpha x flip", &d.bAlphaFlipX[x][z]) &&
           ReadFlag(r, "an alpha z flip", &d.bAlphaFlipZ[x][z]) &&
           ReadShort(r, "an alpha rotation", &d.siAlphaRotation[x][z], 0, 3) &&
           ReadTexCoords(r, "a base texture coordinate", &pMap->base[x][z]) &&
           ReadTexCoords(r, "an alpha texture coordinate", &pMap->alpha[x][z]);
}

// Every height is divided by the scale: one below 1 is replaced, as the map data does.
static void ReplaceBadHeightScale(LoadedMap* pMap, const char* cPath)
{
    if (pMap->data.siHeightScale >= 1)
        return;
    LogErrorf("LoadData: %s line %d: bad height scale %d, using 32", cPath, pMap->iScaleLine,
              pMap->data.siHeightScale);
    pMap->data.siHeightScale = 32;
}

static bool ReadLand(MapReader* r, LoadedMap* pMap)
{
    long long dwSaved = 0;
    if (!ReadInt(r, "the saving time", 0, 0xFFFFFFFFLL, &dwSaved) ||
        !ReadShort(r, "the height scale", &pMap->data.siHeightScale, -32768, 32767))
        return false;
    pMap->iScaleLine = r->iLine;
    for (int z = 0; z < MAP_SIZE; z++)
        for (int x = 0; x < MAP_SIZE; x++)
            if (!ReadTile(r, pMap, x, z))
                return false;
    return true;
}

// Texture corners run over the texture, 0 to 128; texture numbers index the land textures.
static bool ReadCaveRecord(MapReader* r, CaveData* pRec)
{
    for (int c = 0; c < 3; c++)
        if (!ReadFloat(r, "a cave corner", &pRec->vCorner[c].x) ||
            !ReadFloat(r, "a cave corner", &pRec->vCorner[c].y) ||
            !ReadFloat(r, "a cave corner", &pRec->vCorner[c].z))
            return false;
    for (int c = 0; c < 3; c++)
        if (!ReadShort(r, "a cave texture corner", &pRec->siTexCoordA[c][0], 0, 128) ||
            !ReadShort(r, "a cave texture corner", &pRec->siTexCoordA[c][1], 0, 128))
            return false;
    if (!ReadShort(r, "a cave texture", &pRec->siTextureB, 0, 128) ||
        !ReadShort(r, "a cave tile", &pRec->siTile, 0, MAX_TILE) ||
        !ReadShort(r, "a cave texture", &pRec->siTextureA, 0, 128))
        return false;
    for (int c = 0; c < 3; c++)
        if (!ReadShort(r, "a cave texture corner", &pRec->siTexCoordB[c][0], 0, 128) ||
            !ReadShort(r, "a cave texture corner", &pRec->siTexCoordB[c][1], 0, 128))
            return false;
    return true;
}

// The cave code finds a cave's records through the summaries' ends, so they must count
// exactly CAVE_TRIANGLES records per cave; the cave's records and its tile name it.
static bool ReadCaveSummary(MapReader* r, const LoadedMap& map, int i, CaveSummary* pSummary)
{
    long long iEnd = 0, iDirection = 0, iTile = 0;
    const long long iExpected = (long long)CAVE_TRIANGLES * (i + 1);
    if (!ReadInt(r, "a cave's record end", iExpected, iExpected, &iEnd) ||
        !ReadInt(r, "a cave direction", 0, NUM_CAVE_DIRECTIONS - 1, &iDirection) ||
        !ReadInt(r, "a cave tile", 0, MAX_TILE, &iTile))
        return false;
    const int x = (int)iTile % MAP_SIZE, z = (int)iTile / MAP_SIZE;
    char cText[120];
    if (map.data.siTileType[x][z] != 1 || map.data.siCaveNumber[x][z] != i)
    {
        snprintf(cText, sizeof(cText), "cave %d stands on tile (%d, %d), which does not name it",
                 i, x, z);
        return Fail(r, cText);
    }
    for (int t = i * CAVE_TRIANGLES; t < (i + 1) * CAVE_TRIANGLES; t++)
        if (map.caves[t].siTile != iTile)
        {
            snprintf(cText, sizeof(cText), "cave %d stands on tile %d, its record %d on tile %d",
                     i, (int)iTile, t, map.caves[t].siTile);
            return Fail(r, cText);
        }
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
    pMap->caves.resize((size_t)n);
    for (long long i = 0; i < n; i++)
        if (!ReadCaveRecord(r, &pMap->caves[(size_t)i]))
            return false;
    long long m = 0;
    const long long iCaves = n / CAVE_TRIANGLES;
    if (!ReadInt(r, "the cave count", iCaves, iCaves, &m))
        return false;
    pMap->summaries.resize((size_t)m);
    for (int i = 0; i < (int)m; i++)
        if (!ReadCaveSummary(r, *pMap, i, &pMap->summaries[i]))
            return false;
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
            if (map.data.siTileType[x][z] == 1 &&
                (iCave >= m || map.summaries[iCave].iTile != z * MAP_SIZE + x))
            {
                char cText[120];
                snprintf(cText, sizeof(cText), "tile (%d, %d) names cave %d of %d, which stands "
                         "elsewhere", x, z, iCave, m);
                r->iLine = 3 + 2 * (z * MAP_SIZE + x);
                return Fail(r, cText);
            }
        }
    return true;
}

static bool CheckEnd(MapReader* r)
{
    SkipBlanks(r);
    if (r->p == r->pEnd)
        return true;
    NextToken(r, "");
    char cText[120];
    snprintf(cText, sizeof(cText), "more follows the last cave: %s",
             QuoteToken(r).c_str());
    return Fail(r, cText);
}

// The whole file into text; false with a log line when it cannot be read.
static bool ReadWholeFile(const char* cPath, std::string* pText)
{
    char cCause[200];
    HANDLE hFile = CreateFileA(cPath, GENERIC_READ, FILE_SHARE_READ, NULL, OPEN_EXISTING,
                               FILE_ATTRIBUTE_NORMAL, NULL);
    if (hFile == INVALID_HANDLE_VALUE)
    {
        DescribeError(GetLastError(), cCause, sizeof(cCause));
        LogErrorf("LoadData: cannot open %s: %s; the map is unchanged", cPath, cCause);
        return false;
    }
    LARGE_INTEGER size;
    bool bRead = false;
    if (!GetFileSizeEx(hFile, &size) || size.QuadPart > MAX_FILE_BYTES)
        LogErrorf("LoadData: %s is too large to be a map; the map is unchanged", cPath);
    else
    {
        pText->resize((size_t)size.QuadPart);
        DWORD dwRead = 0;
        bRead = pText->empty() || (ReadFile(hFile, &(*pText)[0], (DWORD)pText->size(), &dwRead,
                                            NULL) && dwRead == pText->size());
        if (!bRead)
        {
            DescribeError(GetLastError(), cCause, sizeof(cCause));
            LogErrorf("LoadData: cannot read %s: %s; the map is unchanged", cPath, cCause);
        }
    }
    CloseHandle(hFile);
    return bRead;
}

// The file's map in place of the one shown, and everything drawn from it renewed as at a
// fresh start: the corners projected with the new heights, the caves placed at the view's
// wrap offsets.
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
    // Every value was checked as it was read. The caves' buffers build the land once, so it
    // is counted for the new map first; the whole update then places the caves.
    m_MapData = map.data;
    CountTilesForTexture();
    if (!map.caves.empty())
        RebuildCaveVBs();
    CalculateScreenPosition();
    ResetCaveSelectionOnLoad();
}

bool LoadData(const char* fileName)
{
    m_siScreenMode = 2;

    char cPath[64];
    if (!BuildPath(cPath, sizeof(cPath), fileName, MAX_MAP_NAME + 4, "", "LoadData"))
        return false;
    std::string text;
    if (!ReadWholeFile(cPath, &text))
        return false;

    // The normals are not in the file; the land build renews them.
    // Not cleared first: the reader writes every value before it is used.
    std::unique_ptr<LoadedMap> pMap(new LoadedMap);
    pMap->data = m_MapData;
    MapReader reader = {text.data(), text.data() + text.size(), text.data(), 0, 1, ""};
    if (!ReadLand(&reader, pMap.get()) || !ReadCaves(&reader, pMap.get()) ||
        !CheckEnd(&reader) || !CheckCaveTiles(&reader, *pMap))
    {
        LogErrorf("LoadData: %s %s; the map is unchanged", cPath, reader.cError);
        return false;
    }
    // The map shown goes now: what it holds unsaved goes to the backup first.
    SaveData(true, "");
    ReplaceBadHeightScale(pMap.get(), cPath);
    ApplyMap(*pMap);
    MarkMapSaved();
    return true;
}
