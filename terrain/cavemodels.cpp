// Cave models: the reader of the four model files, one per direction of a tile's slope.
#include "terrain/cavemodels.h"

#include <cerrno>
#include <cmath>
#include <cstdlib>
#include <fstream>
#include <string>

#include "app/log.h"
#include "terrain/caveoverlays.h"

static_assert(sizeof(CavePoint) == 12, "a model point is three floats");
static_assert(sizeof(CavePolygon) == 16, "a model quad is four int32");

// Model files by direction: the slope rises toward +z, +x, -z, -x.
static const char* const m_cCaveModelFile[NUM_CAVE_DIRECTIONS] = {
    "features\\cavezpos.pie", "features\\cavexpos.pie", "features\\cavezneg.pie",
    "features\\cavexneg.pie"};

// Model lists, in direction order, CAVE_MODEL_POINTS and CAVE_MODEL_QUADS per direction.
std::vector<CavePoint> m_CavePoints;
std::vector<CavePolygon> m_CavePolygons;
// Point and quad counts of each file as read.
std::vector<int> m_PointCounts;
std::vector<int> m_PolygonCounts;
// Set per direction when its file held exactly the model the fit needs.
static bool m_bModelUsable[NUM_CAVE_DIRECTIONS];
// Largest model coordinate read, in hundredths of a tile: ten tiles from the cave's corner.
static const float MAX_MODEL_COORD = 1000.0f;

// Logs what is wrong with a model file; false, for the reader's early returns.
static bool ModelFault(const char* pszFile, const char* pszWhat, int i)
{
    LogErrorf("%s: %s %d", pszFile, pszWhat, i);
    return false;
}

// The same for a coordinate token, quoted as it stands in the file.
static bool ModelFault(const char* pszFile, int iPoint, const char* pszWhat,
                       const std::string& strToken)
{
    LogErrorf("%s: point %d: %s %s", pszFile, iPoint, QuoteForLog(strToken).c_str(), pszWhat);
    return false;
}

// A whole token as a number; false for anything else (end of file, text, trailing junk).
static bool ReadInt(std::ifstream& in, int* pi)
{
    std::string strToken;
    if (!(in >> strToken))
        return false;
    char* pEnd = NULL;
    errno = 0;
    long l = strtol(strToken.c_str(), &pEnd, 10);
    if (*pEnd != '\0' || errno != 0 || l < -2147483647L || l > 2147483647L)
        return false;
    *pi = (int)l;
    return true;
}

// A model coordinate, in hundredths of a tile, as a whole finite token within
// MAX_MODEL_COORD; anything else is logged with the file, the point and the token quoted.
static bool ReadCoordinate(std::ifstream& in, const char* pszFile, int iPoint, float* pf)
{
    std::string strToken;
    if (!(in >> strToken))
        return ModelFault(pszFile, "missing or malformed point", iPoint);
    char* pEnd = NULL;
    *pf = strtof(strToken.c_str(), &pEnd);
    if (*pEnd != '\0')
        return ModelFault(pszFile, iPoint, "is not a number", strToken);
    // A NaN or a far-off corner would reach the map file, and its loader rightly refuses it.
    if (!std::isfinite(*pf) || std::fabs(*pf) > MAX_MODEL_COORD)
        return ModelFault(pszFile, iPoint, "is out of range", strToken);
    return true;
}

static bool SkipTokens(std::ifstream& in, int n)
{
    std::string strToken;
    for (int i = 0; i < n; i++)
        if (!(in >> strToken))
            return false;
    return true;
}

// Reads one model file into the lists given; counts as read. False, with a log line, for a
// file that cannot be opened or ends early or is not shaped as 12 points and 8 quads.
static bool ReadCaveModel(const char* pszFile, std::vector<CavePoint>* pPoints,
                          std::vector<CavePolygon>* pQuads, int* piPoints, int* piQuads)
{
    // Binary: in text mode a 0x1A byte would end the file early without a word.
    std::ifstream in(pszFile, std::ios::binary);
    LogError("Opening file");
    LogError(pszFile);
    if (!in)
    {
        LogErrorf("failed to open %s", pszFile);
        return false;
    }

    std::string strToken;
    int iSkipped = 0;
    while (in >> strToken && strToken != "POINTS")
        iSkipped++;
    if (!in)
        return ModelFault(pszFile, "holds no POINTS; tokens skipped", iSkipped);

    if (!ReadInt(in, piPoints) || *piPoints < 0)
        return ModelFault(pszFile, "bad point count", *piPoints);
    for (int i = 0; i < *piPoints; i++)
    {
        CavePoint p;
        if (!ReadCoordinate(in, pszFile, i, &p.x) || !ReadCoordinate(in, pszFile, i, &p.y) ||
            !ReadCoordinate(in, pszFile, i, &p.z))
            return false;
        p.x /= 100.0f;
        p.y /= 100.0f;
        p.z /= 100.0f;
        pPoints->push_back(p);
    }

    if (!SkipTokens(in, 1) || !ReadInt(in, piQuads) || *piQuads < 0)
        return ModelFault(pszFile, "bad quad count", *piQuads);
    for (int i = 0; i < *piQuads; i++)
    {
        CavePolygon q;
        if (!SkipTokens(in, 2) || !ReadInt(in, &q.iIndex[0]) || !ReadInt(in, &q.iIndex[1]) ||
            !ReadInt(in, &q.iIndex[2]) || !ReadInt(in, &q.iIndex[3]) || !SkipTokens(in, 8))
            return ModelFault(pszFile, "missing or malformed quad", i);
        pQuads->push_back(q);
    }

    if (*piPoints != CAVE_MODEL_POINTS || *piQuads != CAVE_MODEL_QUADS)
        return ModelFault(pszFile, "needs 12 points and 8 quads; points", *piPoints);
    for (const CavePolygon& q : *pQuads)
        for (int k = 0; k < 4; k++)
            if (q.iIndex[k] < 0 || q.iIndex[k] >= CAVE_MODEL_POINTS)
                return ModelFault(pszFile, "a quad names a point out of the model:", q.iIndex[k]);
    return true;
}

void LoadCaveModels()
{
    LoadTexturePreviewVB();
    m_CavePoints.clear();
    m_CavePolygons.clear();
    m_PointCounts.clear();
    m_PolygonCounts.clear();
    for (int d = 0; d < NUM_CAVE_DIRECTIONS; d++)
    {
        std::vector<CavePoint> points;
        std::vector<CavePolygon> quads;
        int iPoints = 0, iQuads = 0;
        m_bModelUsable[d] = ReadCaveModel(m_cCaveModelFile[d], &points, &quads, &iPoints, &iQuads);
        m_PointCounts.push_back(iPoints);
        m_PolygonCounts.push_back(iQuads);
        // An unusable model keeps its place with zeros so that the later directions keep
        // theirs; the construction refuses its slope.
        if (!m_bModelUsable[d])
        {
            LogErrorf("%s is unusable: no caves on slopes of direction %d", m_cCaveModelFile[d], d);
            points.assign(CAVE_MODEL_POINTS, CavePoint());
            quads.assign(CAVE_MODEL_QUADS, CavePolygon());
        }
        m_CavePoints.insert(m_CavePoints.end(), points.begin(), points.end());
        m_CavePolygons.insert(m_CavePolygons.end(), quads.begin(), quads.end());
    }
}

bool IsCaveModelUsable(int d)
{
    return d >= 0 && d < NUM_CAVE_DIRECTIONS && m_bModelUsable[d] &&
           (int)m_CavePoints.size() >= CAVE_MODEL_POINTS * (d + 1) &&
           (int)m_CavePolygons.size() >= CAVE_MODEL_QUADS * (d + 1);
}
