// The map data block, its texture-coordinate grids, the wrap-around tile arithmetic and the
// terrain display switches.
#include "terrain/mapdata.h"

#include <type_traits>

#include "app/log.h"

static_assert(std::is_trivially_copyable<MapData>::value, "MapData is copied as one unit");
static_assert(sizeof(MapData) == 310004, "MapData keeps its fields, types and order");
static_assert(sizeof(TileTexCoords) == 32, "a record is eight floats");

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

bool IsTileOnMap(int x, int z, const char* pszCaller)
{
    if (x >= 0 && x < MAP_SIZE && z >= 0 && z < MAP_SIZE)
        return true;
    LogErrorf("%s: tile (%d, %d) is off the map", pszCaller, x, z);
    return false;
}

bool IsIndexInRange(int i, int iLimit, const char* pszCaller)
{
    if (i >= 0 && i < iLimit)
        return true;
    LogErrorf("%s: %d is out of range", pszCaller, i);
    return false;
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

MapData GetMapData()
{
    return m_MapData;
}

TileTexCoords GetBaseTileUV(int x, int z)
{
    if (!IsTileOnMap(x, z, "GetBaseTileUV"))
        return TileTexCoords();
    return m_BaseTexCoords[x][z];
}

TileTexCoords GetAlphaTileUV(int x, int z)
{
    if (!IsTileOnMap(x, z, "GetAlphaTileUV"))
        return TileTexCoords();
    return m_AlphaTexCoords[x][z];
}

void SetBaseTileUV(const TileTexCoords& rec, int x, int z)
{
    if (IsTileOnMap(x, z, "SetBaseTileUV"))
        m_BaseTexCoords[x][z] = rec;
}

void SetAlphaTileUV(const TileTexCoords& rec, int x, int z)
{
    if (IsTileOnMap(x, z, "SetAlphaTileUV"))
        m_AlphaTexCoords[x][z] = rec;
}

int GetHeightScale()
{
    return m_MapData.siHeightScale;
}

float GetTileHeight(int x, int z)
{
    if (!IsTileOnMap(x, z, "GetTileHeight"))
        return 0.0f;
    return (float)m_MapData.siHeight[x][z] / (float)m_MapData.siHeightScale;
}

float GetTileHeightRaw(int x, int z)
{
    if (!IsTileOnMap(x, z, "GetTileHeightRaw"))
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

bool IsCaveOnTile(int x, int z)
{
    return IsTileOnMap(x, z, "IsCaveOnTile") && m_MapData.siTileType[x][z] == 1;
}

int FindTileOfCave(int n)
{
    for (int z = 0; z < MAP_SIZE; z++)
        for (int x = 0; x < MAP_SIZE; x++)
            if (m_MapData.siTileType[x][z] == 1 && m_MapData.siCaveNumber[x][z] == n)
                return GetTileIndex(x, z);
    return -1;
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

