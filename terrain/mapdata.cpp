// The map data block, its texture-coordinate grids, the wrap-around tile arithmetic and the
// terrain display switches.
#include "terrain/mapdata.h"

#include <cstdio>
#include <type_traits>

#include "app/d3dservices.h"
#include "app/log.h"
#include "terrain/cavebuild.h"
#include "terrain/caves.h"
#include "terrain/landbuffers.h"
#include "terrain/landtextures.h"
#include "terrain/minimap.h"
#include "terrain/view.h"

static_assert(std::is_trivially_copyable<MapData>::value, "MapData is copied as one unit");
static_assert(sizeof(MapData) == 310004, "MapData keeps its fields, types and order");
static_assert(sizeof(TileTexCoords) == 32, "a record is eight floats");

const int m_iNumTextureTypes = 16;
const int m_iNumAlphaVariants = 7;

// The map; all zero until LoadLandTextures writes the blank map, replaced by SetMapData.
MapData m_MapData;
// Texture coordinates of the base and the alpha layer of every tile; edited by the editor.
TileTexCoords m_BaseTexCoords[MAP_SIZE][MAP_SIZE];
TileTexCoords m_AlphaTexCoords[MAP_SIZE][MAP_SIZE];

// Display switches, flipped by their keys only.
bool m_bBaseTextures = true;
bool m_bAlphaTextures = true;
bool bGrid = false;
bool m_bNormals = false;
bool m_bMMTex = false;
bool m_bHiliteTile = false;

// Callers keep indices on the map; one that does not gets a log line instead of an overrun.
static bool IsOnMap(int x, int z, const char* pszCaller)
{
    if (x >= 0 && x < MAP_SIZE && z >= 0 && z < MAP_SIZE)
        return true;
    LogErrorf("%s: tile (%d, %d) is off the map", pszCaller, x, z);
    return false;
}

static bool IsInRange(int i, int iLimit, const char* pszCaller)
{
    if (i >= 0 && i < iLimit)
        return true;
    LogErrorf("%s: %d is out of range", pszCaller, i);
    return false;
}

int NextTileX(int i)
{
    i++;
    return i == MAP_SIZE ? 0 : i;
}

int PrevTileX(int i)
{
    i--;
    return i == -1 ? MAP_SIZE - 1 : i;
}

int NextTileZ(int i)
{
    return NextTileX(i);
}

int PrevTileZ(int i)
{
    return PrevTileX(i);
}

void SplitTileIndex(int iIndex, int* piX, int* piZ)
{
    int z = 0;
    while (iIndex >= MAP_SIZE)
    {
        iIndex -= MAP_SIZE;
        z++;
    }
    *piX = iIndex;
    *piZ = z;
}

int GetTileIndex(int x, int z)
{
    return z * MAP_SIZE + x;
}

// Pair p (1 to 4) of a record as a (u, v) couple.
static void CopyPair(TileTexCoords* pRec, int iTo, const TileTexCoords& from, int iFrom)
{
    pRec->fUV[(iTo - 1) * 2] = from.fUV[(iFrom - 1) * 2];
    pRec->fUV[(iTo - 1) * 2 + 1] = from.fUV[(iFrom - 1) * 2 + 1];
}

// Pairs 1 to 4 of the record become the pairs a, b, c, d of the record before the call.
static void Reorder(TileTexCoords* pRec, int a, int b, int c, int d)
{
    TileTexCoords old = *pRec;
    CopyPair(pRec, 1, old, a);
    CopyPair(pRec, 2, old, b);
    CopyPair(pRec, 3, old, c);
    CopyPair(pRec, 4, old, d);
}

void RotateUV90(TileTexCoords* pRec)
{
    Reorder(pRec, 3, 1, 4, 2);
}

void RotateUV180(TileTexCoords* pRec)
{
    Reorder(pRec, 4, 3, 2, 1);
}

void RotateUV270(TileTexCoords* pRec)
{
    Reorder(pRec, 2, 4, 1, 3);
}

void FlipUVX(TileTexCoords* pRec)
{
    Reorder(pRec, 2, 1, 4, 3);
}

void FlipUVZ(TileTexCoords* pRec)
{
    Reorder(pRec, 3, 4, 1, 2);
}

int InitMapData()
{
    m_MapData.siHeightScale = 32;
    for (int t = 0; t < m_iNumTextureTypes; t++)
        for (int s = 0; s < m_iNumTextureTypes * m_iNumAlphaVariants + 1; s++)
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

    bool bMMTexMade[16];
    for (int i = 0; i < 16; i++)
        bMMTexMade[i] = m_pMMTex[i] != NULL;
    ReleaseMiniMap();
    LogError("Closing down Map Data m_pMiniMap");
    for (int i = 0; i < 16; i++)
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

MapData GetMapData()
{
    return m_MapData;
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

TileTexCoords GetBaseTileUV(int x, int z)
{
    if (!IsOnMap(x, z, "GetBaseTileUV"))
        return TileTexCoords();
    return m_BaseTexCoords[x][z];
}

TileTexCoords GetAlphaTileUV(int x, int z)
{
    if (!IsOnMap(x, z, "GetAlphaTileUV"))
        return TileTexCoords();
    return m_AlphaTexCoords[x][z];
}

void SetBaseTileUV(const TileTexCoords& rec, int x, int z)
{
    if (IsOnMap(x, z, "SetBaseTileUV"))
        m_BaseTexCoords[x][z] = rec;
}

void SetAlphaTileUV(const TileTexCoords& rec, int x, int z)
{
    if (IsOnMap(x, z, "SetAlphaTileUV"))
        m_AlphaTexCoords[x][z] = rec;
}

int GetHeightScale()
{
    return m_MapData.siHeightScale;
}

float GetTileHeight(int x, int z)
{
    if (!IsOnMap(x, z, "GetTileHeight"))
        return 0.0f;
    return (float)m_MapData.siHeight[x][z] / (float)m_MapData.siHeightScale;
}

float GetTileHeightRaw(int x, int z)
{
    if (!IsOnMap(x, z, "GetTileHeightRaw"))
        return 0.0f;
    return (float)m_MapData.siHeight[x][z];
}

int GetNumTextureTypes()
{
    return m_iNumTextureTypes;
}

int GetNumAlphaVariants()
{
    return m_iNumAlphaVariants;
}

int GetWrapOffsetX(int x)
{
    return IsInRange(x, MAP_SIZE, "GetWrapOffsetX") ? m_iWrapOffsetX[x] : 0;
}

int GetWrapOffsetZ(int z)
{
    return IsInRange(z, MAP_SIZE, "GetWrapOffsetZ") ? m_iWrapOffsetZ[z] : 0;
}

int GetTileWrapOffsetX(int iIndex)
{
    int x, z;
    SplitTileIndex(iIndex, &x, &z);
    return IsOnMap(x, z, "GetTileWrapOffsetX") ? m_iWrapOffsetX[x] : 0;
}

int GetTileWrapOffsetZ(int iIndex)
{
    int x, z;
    SplitTileIndex(iIndex, &x, &z);
    return IsOnMap(x, z, "GetTileWrapOffsetZ") ? m_iWrapOffsetZ[z] : 0;
}

bool IsTileDisplayable(int x, int z)
{
    return IsOnMap(x, z, "IsTileDisplayable") && m_bDisplayable[x][z];
}

int GetDisplayRangeStart(int z)
{
    return IsInRange(z, MAP_SIZE, "GetDisplayRangeStart") ? m_siRangeStart[z] : -10000;
}

int GetDisplayRangeEnd(int z)
{
    return IsInRange(z, MAP_SIZE, "GetDisplayRangeEnd") ? m_siRangeEnd[z] : -10000;
}

D3DXVECTOR3 GetTileScreenPos(int x, int z)
{
    if (!IsOnMap(x, z, "GetTileScreenPos"))
        return D3DXVECTOR3(0.0f, 0.0f, 0.0f);
    return m_vScreenCornerBL[x][z];
}

int GetLandRowTileCount(int iType, int iSlot)
{
    if (!IsInRange(iType, 20, "GetLandRowTileCount") ||
        !IsInRange(iSlot, 150, "GetLandRowTileCount"))
        return 0;
    return m_iLandRowCount[iType][iSlot];
}

void SetLandTexture(int n)
{
    if (IsInRange(n, NUM_LAND_TEXTURES, "SetLandTexture"))
        m_pDevice->SetTexture(0, m_pLandTexture[n]);
}

void SetLandTextureStage1(int n)
{
    if (IsInRange(n, NUM_LAND_TEXTURES, "SetLandTextureStage1"))
        m_pDevice->SetTexture(1, m_pLandTexture[n]);
}

bool IsCaveOnTile(int x, int z)
{
    return IsOnMap(x, z, "IsCaveOnTile") && m_MapData.siTileType[x][z] == 1;
}

int FindTileOfCave(int n)
{
    for (int z = 0; z < MAP_SIZE; z++)
        for (int x = 0; x < MAP_SIZE; x++)
            if (m_MapData.siTileType[x][z] == 1 && m_MapData.siCaveNumber[x][z] == n)
                return GetTileIndex(x, z);
    return -1;
}

void AddCaveAtTile(int iIndex)
{
    if (!IsInRange(iIndex, MAP_SIZE * MAP_SIZE, "AddCaveAtTile"))
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
    if (!IsInRange(iIndex, MAP_SIZE * MAP_SIZE, "RemoveCaveAtTile"))
        return;
    int x, z;
    SplitTileIndex(iIndex, &x, &z);
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

bool IsHiliteTileShown()
{
    return m_bHiliteTile;
}

void ToggleHiliteTile()
{
    m_bHiliteTile = !m_bHiliteTile;
}

void ToggleNormals()
{
    m_bNormals = !m_bNormals;
}

void ToggleBaseTextures()
{
    m_bBaseTextures = !m_bBaseTextures;
}

void ToggleAlphaLayer()
{
    m_bAlphaTextures = !m_bAlphaTextures;
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
