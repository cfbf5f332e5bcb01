// The map update: the start-up and shutdown of the map's device objects, and every path from
// a change (camera, map load, cave, switch) to the rebuilt land, in one place.
#include "terrain/mapupdate.h"

#include <algorithm>

#include "app/d3dservices.h"
#include "app/log.h"
#include "terrain/cavebuffers.h"
#include "terrain/cavebuild.h"
#include "terrain/caves.h"
#include "terrain/landbuffers.h"
#include "terrain/landtextures.h"
#include "terrain/minimap.h"
#include "terrain/view.h"

// Set while more cave tiles are displayable than the visible-cave list holds.
static bool m_bCaveListFull = false;

static void TraceLand(const char* pszStep)
{
    if (m_bTraceLand)
        LogError(pszStep);
}

int InitMapData()
{
    m_MapData.siHeightScale = 32;
    for (int t = 0; t < m_iNumTextureTypes; t++)
        for (int s = 0; s < NUM_ALPHA_SLOTS; s++)
            m_iLandRowCount[t][s] = 0;
    BuildAlphaSlotTables();
    // Nothing is made yet at start-up; a second start must not leak the first one's buffers.
    ReleaseLandBuffers();
    ReleaseMiniMap();
    return 0;
}

void CloseMapData()
{
    LogError("Closing down Map Data");
    ReleaseLandBuffers();

    bool bMMTexMade[m_iNumTextureTypes];
    for (int i = 0; i < m_iNumTextureTypes; i++)
        bMMTexMade[i] = m_pMMTex[i] != NULL;
    ReleaseMiniMap();
    LogError("Closing down Map Data m_pMiniMap");
    for (int i = 0; i < m_iNumTextureTypes; i++)
    {
        LogError("Closing down Map Data m_pMMTex");
        if (bMMTexMade[i])
            LogError("Closing down Map Data m_pMMTex released");
    }
    LogError("Closing down Map Data m_pMMTex finished");

    for (int k = 0; k < NUM_LAND_TEXTURES; k++)
    {
        LogError("Closing down Map Data m_pLandTexture");
        if (m_pLandTexture[k] != NULL)
        {
            ReleaseAndClear(m_pLandTexture[k]);
            LogErrorf("Closing down Map Data m_pLandTexture released %d", k);
        }
    }
    LogError("Closing down Map Data FINISHED");
}

void LoadLandTextures()
{
    // The blank map lies unshifted.
    for (int i = 0; i < MAP_SIZE; i++)
    {
        m_iWrapOffsetX[i] = 0;
        m_iWrapOffsetZ[i] = 0;
    }
    WriteBlankMap();
    LoadLandTextureFiles();
    CalculateScreenPosition();
    LoadLandBuffer();
}

void CalculateScreenPosition()
{
    TraceLand("SetMapWrappingOffsets");
    SetMapWrappingOffsets();
    ProjectAllCorners();
    TraceLand("CalculateDisplayableTiles");
    CalculateDisplayableTiles();
    TraceLand("GenerateHeightMap");
    GenerateHeightMap();
    TraceLand("CountTilesForTexture");
    CountTilesForTexture();
    TraceLand("LoadLandBuffer");
    LoadLandBuffer();
}

void CountTilesForTexture()
{
    m_iNumDisplayableTiles = 0;
    m_siNumVisibleCaves = 0;
    for (int t = 0; t < m_iNumTextureTypes; t++)
        for (int s = 0; s < NUM_ALPHA_SLOTS; s++)
            m_iLandRowCount[t][s] = 0;

    bool bOverflow = false;
    for (int z = 0; z < MAP_SIZE; z++)
        for (int x = 0; x < MAP_SIZE; x++)
        {
            if (!m_bDisplayable[x][z])
                continue;
            if (m_MapData.siTileType[x][z] == 1)
            {
                if (m_siNumVisibleCaves < MAX_VISIBLE_CAVES)
                {
                    m_siVisibleCaves[m_siNumVisibleCaves++] = m_MapData.siCaveNumber[x][z];
                    UpdateCavePosition(m_MapData.siCaveNumber[x][z]);
                }
                else
                    bOverflow = true;
                continue;
            }
            int t, s;
            if (!GetTileBatch(x, z, &t, &s))
                continue;
            m_iNumDisplayableTiles++;
            m_iLandRowCount[t][s]++;
        }

    // Logged when the list first overflows, not again on every camera move.
    if (bOverflow && !m_bCaveListFull)
        LogError("more than 256 caves in view: the rest are not drawn");
    m_bCaveListFull = bOverflow;
}

// A loaded map may hold numbers no tool writes; the land leaves such tiles out, and the
// map's loader hears of it once here.
static void ReportBadTiles()
{
    int iBad = 0;
    for (int x = 0; x < MAP_SIZE; x++)
        for (int z = 0; z < MAP_SIZE; z++)
        {
            int t = 0, s = 0;
            if (!GetTileBatch(x, z, &t, &s))
                iBad++;
        }
    if (iBad > 0)
        LogErrorf("map data: %d tiles with bad texture numbers are not drawn", iBad);
}

void SetMapData(const MapData& data)
{
    m_MapData = data;
    if (m_MapData.siHeightScale < 1)
    {
        // Every height is divided by it.
        LogErrorf("map data: bad height scale %d, using 32", m_MapData.siHeightScale);
        m_MapData.siHeightScale = 32;
    }
    ReportBadTiles();
    CalculateDisplayableTiles();
    CountTilesForTexture();
    LoadLandBuffer();
}

void AddCaveAtTile(int iIndex)
{
    if (!IsIndexInRange(iIndex, MAP_SIZE * MAP_SIZE, "AddCaveAtTile"))
        return;
    int x, z;
    SplitTileIndex(iIndex, &x, &z);
    if (m_MapData.siTileType[x][z] == 1)
        return;
    if (!CreateCave(iIndex))
        return;
    m_MapData.siTileType[x][z] = 1;
    m_MapData.siCaveNumber[x][z] = (short)(GetCaveCount() - 1);
    CountTilesForTexture();
    LoadLandBuffer();
}

void RemoveCaveAtTile(int iIndex)
{
    if (!IsIndexInRange(iIndex, MAP_SIZE * MAP_SIZE, "RemoveCaveAtTile"))
        return;
    int x, z;
    SplitTileIndex(iIndex, &x, &z);
    // Without a cave here there is nothing to renumber: the others keep their places.
    if (m_MapData.siTileType[x][z] != 1)
        return;
    short siRemoved = m_MapData.siCaveNumber[x][z];
    m_MapData.siTileType[x][z] = 0;
    m_MapData.siCaveNumber[x][z] = 0;
    // Cave numbers stay the caves' places in the cave lists.
    for (int tz = 0; tz < MAP_SIZE; tz++)
        for (int tx = 0; tx < MAP_SIZE; tx++)
            if (m_MapData.siTileType[tx][tz] == 1 && m_MapData.siCaveNumber[tx][tz] > siRemoved)
                m_MapData.siCaveNumber[tx][tz]--;
    CountTilesForTexture();
    LoadLandBuffer();
}

void DeleteCave()
{
    if (m_iNumCaves <= 0)
        return;
    int c = m_iCurrentCave;
    if (!IsCave(c))
    {
        LogErrorf("DeleteCave: no cave %d", c);
        return;
    }

    int iFirst = 0;
    int k = CaveRecordRange(c, &iFirst);
    m_CaveData.erase(m_CaveData.begin() + iFirst, m_CaveData.begin() + iFirst + k);
    for (int n = c + 1; n < (int)m_CaveSummaries.size(); n++)
        m_CaveSummaries[n].iTriangleEnd -= k;

    int iTile = m_CaveSummaries[c].iTile;
    m_CaveSummaries.erase(m_CaveSummaries.begin() + c);
    RemoveCaveVB(c);
    if (m_iCurrentCave > 0)
        m_iCurrentCave--;
    m_iNumCaves = std::max(m_iNumCaves - 1, 0);

    // Last, so that the recount inside finds the lists already renumbered.
    RemoveCaveAtTile(iTile);
}

void ToggleMiniMapMode()
{
    m_bMMTex = !m_bMMTex;
    GenerateHeightMap();
}

void ToggleGrid()
{
    bGrid = !bGrid;
    // The grid lines are written by the land build only while the grid is on.
    if (bGrid)
        LoadLandBuffer();
}
