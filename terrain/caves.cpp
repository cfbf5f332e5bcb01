// Cave records: the triangles and summaries of every cave and their accessors.
#include "terrain/caves.h"

#include <algorithm>

#include "app/log.h"

static_assert(sizeof(CaveSummary) == 20, "a summary is five int32");

// Cave lists; appended by the construction and the map reader, cut by DeleteCave (map update).
std::vector<CaveData> m_CaveData;
std::vector<CaveSummary> m_CaveSummaries;
// Number of caves; 0 at start.
int m_iNumCaves = 0;
// The cave the cave editor works on.
int m_iCurrentCave = 0;

bool IsCave(int n)
{
    return n >= 0 && n < m_iNumCaves && n < (int)m_CaveSummaries.size();
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
    LogErrorf("GetCaveData: no record %d", i);
    return CaveData();
}

CaveSummary GetCaveSummary(int i)
{
    if (i >= 0 && i < (int)m_CaveSummaries.size())
        return m_CaveSummaries[i];
    LogErrorf("GetCaveSummary: no cave %d", i);
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
        LogErrorf("SetCaveCount: %d caves taken as 0", n);
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

int CaveRecordRange(int n, int* piFirst)
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

