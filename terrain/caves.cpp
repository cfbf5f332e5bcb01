// The caves: the model reader, the cave records and summaries with their accessors, cave
// deletion, each cave's vertex buffer and the drawing of the visible caves.
#include "terrain/caves.h"

#include <algorithm>
#include <cerrno>
#include <cmath>
#include <cstdarg>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <string>

#include "app/log.h"
#include "app/startup.h"
#include "terrain/landbuffers.h"
#include "terrain/landpasses.h"
#include "terrain/landtextures.h"
#include "terrain/mapdata.h"
#include "terrain/view.h"

static_assert(sizeof(CavePoint) == 12, "a model point is three floats");
static_assert(sizeof(CavePolygon) == 16, "a model quad is four int32");
static_assert(sizeof(CaveSummary) == 20, "a summary is five int32");

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

// Cave lists; appended by the construction and the map reader, cut by DeleteCave.
std::vector<CaveData> m_CaveData;
std::vector<CaveSummary> m_CaveSummaries;
std::vector<LPDIRECT3DVERTEXBUFFER9> m_CaveVBs;
// The buffer last created, being filled; the list owns it.
LPDIRECT3DVERTEXBUFFER9 m_pCaveVB = NULL;
// Number of caves; 0 at start.
int m_iNumCaves = 0;
// The cave the cave editor works on.
int m_iCurrentCave = 0;

// True when the next RenderCave draws the first layer; every call flips it.
static bool bCaveLayerToggle = true;

static void LogFormat(const char* pszFormat, ...) __attribute__((format(printf, 1, 2)));
static void LogFormat(const char* pszFormat, ...)
{
    char cLine[320];
    va_list args;
    va_start(args, pszFormat);
    vsnprintf(cLine, sizeof(cLine), pszFormat, args);
    va_end(args);
    LogError(cLine);
}

// Logs what is wrong with a model file; false, for the reader's early returns.
static bool ModelFault(const char* pszFile, const char* pszWhat, int i)
{
    LogFormat("%s: %s %d", pszFile, pszWhat, i);
    return false;
}

// The same for a coordinate token, quoted as it stands in the file.
static bool ModelFault(const char* pszFile, int iPoint, const char* pszWhat,
                       const std::string& strToken)
{
    LogFormat("%s: point %d: %s %s", pszFile, iPoint, QuoteForLog(strToken).c_str(), pszWhat);
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
    std::ifstream in(pszFile);
    LogError("Opening file");
    LogError(pszFile);
    if (!in)
    {
        LogFormat("failed to open %s", pszFile);
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
            LogFormat("%s is unusable: no caves on slopes of direction %d", m_cCaveModelFile[d], d);
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

// Cave n has a summary and is counted.
static bool IsCave(int n)
{
    return n >= 0 && n < m_iNumCaves && n < (int)m_CaveSummaries.size();
}

static void ReleaseCaveVBs()
{
    for (LPDIRECT3DVERTEXBUFFER9& pVB : m_CaveVBs)
        if (pVB != NULL)
        {
            pVB->Release();
            pVB = NULL;
        }
    m_CaveVBs.clear();
    m_pCaveVB = NULL;
}

void ReleaseCaves()
{
    ReleaseCaveVBs();
}

void EmptyCaveLists()
{
    ReleaseCaveVBs();
    m_CaveData.clear();
    m_CaveSummaries.clear();
    m_iNumCaves = 0;
}

int GetCaveCount()
{
    return m_iNumCaves;
}

int GetNumCaves()
{
    return m_iNumCaves;
}

int GetCaveDataCount()
{
    return (int)m_CaveData.size();
}

CaveData GetCaveData(int i)
{
    if (i >= 0 && i < (int)m_CaveData.size())
        return m_CaveData[i];
    LogFormat("GetCaveData: no record %d", i);
    return CaveData();
}

CaveSummary GetCaveSummary(int i)
{
    if (i >= 0 && i < (int)m_CaveSummaries.size())
        return m_CaveSummaries[i];
    LogFormat("GetCaveSummary: no cave %d", i);
    return CaveSummary();
}

void AddCaveData(CaveData data)
{
    m_CaveData.push_back(data);
}

void AddCaveSummary(CaveSummary summary)
{
    m_CaveSummaries.push_back(summary);
}

void SetCaveCount(int n)
{
    if (n < 0)
    {
        LogFormat("SetCaveCount: %d caves taken as 0", n);
        n = 0;
    }
    m_iNumCaves = n;
}

int GetCaveFirstTriangle(int n)
{
    if (m_iNumCaves > 1 && n > 0 && n - 1 < (int)m_CaveSummaries.size())
        return m_CaveSummaries[n - 1].iTriangleEnd;
    return 0;
}

int GetCaveTriangleCount(int n)
{
    if (n < 0 || n >= (int)m_CaveSummaries.size())
        return 0;
    return m_CaveSummaries[n].iTriangleEnd - GetCaveFirstTriangle(n);
}

// Cave n's records as far as the record list and one buffer hold them; a summary that says
// otherwise (a hand-edited map) is cut to fit.
static int CaveRecordRange(int n, int* piFirst)
{
    int iFirst = GetCaveFirstTriangle(n);
    int iCount = GetCaveTriangleCount(n);
    int iHeld = (int)m_CaveData.size();
    int iFit = std::min(std::min(iCount, CAVE_TRIANGLES), iHeld - iFirst);
    if (iFirst < 0 || iFit < 0)
        iFit = 0;
    *piFirst = std::max(iFirst, 0);
    return iFit;
}

void DeleteCave()
{
    if (m_iNumCaves <= 0)
        return;
    int c = m_iCurrentCave;
    if (!IsCave(c))
    {
        LogFormat("DeleteCave: no cave %d", c);
        return;
    }

    int iFirst = 0;
    int k = CaveRecordRange(c, &iFirst);
    m_CaveData.erase(m_CaveData.begin() + iFirst, m_CaveData.begin() + iFirst + k);
    for (int n = c + 1; n < (int)m_CaveSummaries.size(); n++)
        m_CaveSummaries[n].iTriangleEnd -= k;

    int iTile = m_CaveSummaries[c].iTile;
    m_CaveSummaries.erase(m_CaveSummaries.begin() + c);
    if (c < (int)m_CaveVBs.size())
    {
        if (m_CaveVBs[c] != NULL)
        {
            if (m_pCaveVB == m_CaveVBs[c])
                m_pCaveVB = NULL;
            m_CaveVBs[c]->Release();
        }
        m_CaveVBs.erase(m_CaveVBs.begin() + c);
    }
    if (m_iCurrentCave > 0)
        m_iCurrentCave--;
    m_iNumCaves = std::max(m_iNumCaves - 1, 0);

    // Last, so that the recount inside finds the lists already renumbered.
    RemoveCaveAtTile(iTile);
}

// Faces lit from above: the triangle's normal turned upward.
static D3DXVECTOR3 CaveFaceNormal(const CaveData& rec)
{
    D3DXVECTOR3 e1 = rec.vCorner[1] - rec.vCorner[0];
    D3DXVECTOR3 e2 = rec.vCorner[2] - rec.vCorner[0];
    D3DXVECTOR3 n;
    D3DXVec3Cross(&n, &e1, &e2);
    if (D3DXVec3Length(&n) < 1e-6f)
        return D3DXVECTOR3(0.0f, 1.0f, 0.0f);
    if (n.y < 0.0f)
        n = -n;
    D3DXVec3Normalize(&n, &n);
    return n;
}

// Writes cave n's vertices at its summary's offsets; set 1 from set 0 or from siTexCoordB.
static void WriteCaveVertices(LandVertex* pV, int n, bool bCopyFirstLayer, bool bTrace)
{
    const CaveSummary& s = m_CaveSummaries[n];
    int iFirst = 0;
    int iCount = CaveRecordRange(n, &iFirst);
    if (iCount != GetCaveTriangleCount(n))
        LogFormat("cave %d: %d records do not fit its buffer or the list", n,
                  GetCaveTriangleCount(n));
    for (int t = 0; t < iCount; t++)
    {
        if (bTrace)
            LogError("LoadCaveVB() vertex");
        const CaveData& rec = m_CaveData[iFirst + t];
        D3DXVECTOR3 vNormal = CaveFaceNormal(rec);
        for (int k = 0; k < 3; k++)
        {
            LandVertex& v = pV[3 * t + k];
            v.x = rec.vCorner[k].x + (float)s.iWrapOffsetX;
            v.y = rec.vCorner[k].y;
            v.z = rec.vCorner[k].z + (float)s.iWrapOffsetZ;
            v.nx = vNormal.x;
            v.ny = vNormal.y;
            v.nz = vNormal.z;
            v.fBaseU = rec.siTexCoordA[k][0] / 128.0f;
            v.fBaseV = rec.siTexCoordA[k][1] / 128.0f;
            const short(*uvB)[2] = bCopyFirstLayer ? rec.siTexCoordA : rec.siTexCoordB;
            v.fAlphaU = uvB[k][0] / 128.0f;
            v.fAlphaV = uvB[k][1] / 128.0f;
        }
    }
}

static void CreateCaveVB()
{
    m_pCaveVB = NULL;
    if (m_pDevice == NULL ||
        FAILED(m_pDevice->CreateVertexBuffer(CAVE_VERTICES * sizeof(LandVertex), 0,
                                             D3DFVF_LANDVERTEX, D3DPOOL_SYSTEMMEM, &m_pCaveVB,
                                             NULL)))
    {
        LogError("failed to create m_pCaveVB");
        m_pCaveVB = NULL;
    }
}

static LandVertex* LockCaveVB(LPDIRECT3DVERTEXBUFFER9 pVB)
{
    void* pData = NULL;
    if (pVB == NULL || FAILED(pVB->Lock(0, 0, &pData, 0)))
    {
        LogError("failed to lock m_pCaveVB");
        return NULL;
    }
    return (LandVertex*)pData;
}

void LoadCaveVB()
{
    LogError("LoadCaveVB()");
    int c = m_iNumCaves - 1;
    if (!IsCave(c))
    {
        LogFormat("LoadCaveVB: no cave %d", c);
        return;
    }
    CreateCaveVB();
    LandVertex* pV = LockCaveVB(m_pCaveVB);
    if (pV != NULL)
    {
        LogError("LoadCaveVB() lock vb");
        WriteCaveVertices(pV, c, true, true);
        m_pCaveVB->Unlock();
        LogError("LoadCaveVB() unlock");
    }
    m_CaveVBs.push_back(m_pCaveVB);
    LogError("LoadCaveVB() exit");
}

void RebuildCaveVBs()
{
    ReleaseCaveVBs();
    for (int n = 0; n < m_iNumCaves; n++)
    {
        m_pCaveVB = NULL;
        if (IsCave(n))
            CreateCaveVB();
        else
            LogFormat("cave %d has no summary", n);
        LandVertex* pV = m_pCaveVB != NULL ? LockCaveVB(m_pCaveVB) : NULL;
        if (pV != NULL)
        {
            WriteCaveVertices(pV, n, false, false);
            m_pCaveVB->Unlock();
        }
        m_CaveVBs.push_back(m_pCaveVB);
    }
    LoadLandBuffer();
}

// Sets coordinate x (iAxis 0) or z (iAxis 2) of every vertex of cave n to its record's
// value plus iOffset.
static bool MoveCaveAxis(int n, int iAxis, int iOffset)
{
    LandVertex* pV = LockCaveVB(m_CaveVBs[n]);
    if (pV == NULL)
        return false;
    int iFirst = 0;
    int iCount = CaveRecordRange(n, &iFirst);
    for (int t = 0; t < iCount; t++)
        for (int k = 0; k < 3; k++)
        {
            const D3DXVECTOR3& c = m_CaveData[iFirst + t].vCorner[k];
            if (iAxis == 0)
                pV[3 * t + k].x = c.x + (float)iOffset;
            else
                pV[3 * t + k].z = c.z + (float)iOffset;
        }
    m_CaveVBs[n]->Unlock();
    return true;
}

void UpdateCavePosition(int n)
{
    // A cave whose buffer is not built yet (a map being loaded) keeps its stored offsets.
    // Runs on every recount, so a tile naming no cave is skipped without a log line.
    if (!IsCave(n) || n >= (int)m_CaveVBs.size() || m_CaveVBs[n] == NULL)
        return;
    CaveSummary& s = m_CaveSummaries[n];
    int iOffsetX = GetTileWrapOffsetX(s.iTile);
    if (s.iWrapOffsetX != iOffsetX && MoveCaveAxis(n, 0, iOffsetX))
        s.iWrapOffsetX = iOffsetX;
    int iOffsetZ = GetTileWrapOffsetZ(s.iTile);
    if (s.iWrapOffsetZ != iOffsetZ && MoveCaveAxis(n, 2, iOffsetZ))
        s.iWrapOffsetZ = iOffsetZ;
}

static void DrawCaveQuad(LPDIRECT3DVERTEXBUFFER9 pVB, int q)
{
    m_pDevice->SetStreamSource(0, pVB, 0, sizeof(LandVertex));
    if (FAILED(m_pDevice->DrawPrimitive(D3DPT_TRIANGLELIST, 6 * q, 2)))
        LogError("failed to render vertex buffer");
}

void RenderCave(int n)
{
    bool bFirstLayer = bCaveLayerToggle;
    bCaveLayerToggle = !bCaveLayerToggle;
    // Unknown caves and caves without a buffer draw nothing; their fault was logged when
    // their records or buffer were made.
    if (!IsCave(n) || n >= (int)m_CaveVBs.size() || m_CaveVBs[n] == NULL)
        return;

    int iFirst = 0;
    int iQuads = CaveRecordRange(n, &iFirst) / 2;
    m_pDevice->SetFVF(D3DFVF_LANDVERTEX);
    if (bFirstLayer)
        SetLandBaseStates();
    for (int q = 0; q < iQuads; q++)
    {
        const CaveData& rec = m_CaveData[iFirst + 2 * q];
        if (bFirstLayer)
            SetLandTexture(rec.siTextureA);
        else if (rec.siTextureB == PLAIN_TEXTURE)
            continue;
        else
        {
            SetLandAlphaStates();
            SetLandTexture(rec.siTextureB);
        }
        DrawCaveQuad(m_CaveVBs[n], q);
    }
    ResetRenderStates();
}

void RenderVisibleCaves()
{
    for (int i = 0; i < m_siNumVisibleCaves; i++)
    {
        RenderCave(m_siVisibleCaves[i]);
        RenderCave(m_siVisibleCaves[i]);
    }
}
