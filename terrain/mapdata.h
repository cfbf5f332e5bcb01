// The map: the map data block, the texture-coordinate grids, tile arithmetic and the
// terrain display switches.
// needs: app/log
#pragma once

#include <d3dx9.h>

const int MAP_SIZE = 100;                  // tiles along x and along z; both axes wrap

const int m_iNumTextureTypes = 16;         // 16 texture types ...
const int m_iNumAlphaVariants = 7;         // ... of one base and 7 alpha textures each

// The map data block: every per-tile and per-corner grid of a map, indexed [x][z].
// Copied only whole, so it stays one plain fixed-size record.
struct MapData
{
    short siHeight[MAP_SIZE][MAP_SIZE];        // corner height; world height = / siHeightScale
    short siTileType[MAP_SIZE][MAP_SIZE];      // 0 land, 1 a cave stands on the tile
    short siCaveNumber[MAP_SIZE][MAP_SIZE];    // the tile's cave where siTileType is 1
    short siBaseTexture[MAP_SIZE][MAP_SIZE];   // base texture number, a multiple of 8
    short siBaseRotation[MAP_SIZE][MAP_SIZE];  // quarter turns, 0 to 3
    bool bBaseFlipX[MAP_SIZE][MAP_SIZE];
    bool bBaseFlipZ[MAP_SIZE][MAP_SIZE];
    bool bTriangleFlip[MAP_SIZE][MAP_SIZE];    // which diagonal splits the tile
    short siHeightScale;                       // divisor of all heights, 32
    short siAlphaTexture[MAP_SIZE][MAP_SIZE];  // alpha texture number, or 128 for none
    short siAlphaRotation[MAP_SIZE][MAP_SIZE];
    bool bAlphaFlipX[MAP_SIZE][MAP_SIZE];
    bool bAlphaFlipZ[MAP_SIZE][MAP_SIZE];
    D3DXVECTOR3 vNormal[MAP_SIZE][MAP_SIZE];   // corner normals, rewritten by every land build
};

// Texture coordinates of one tile layer: four (u, v) pairs, pair 1 in fUV[0..1] to pair 4 in
// fUV[6..7]. Base layer pairs sit at TL, TR, BL, BR; alpha layer pairs at BL, BR, TL, TR.
struct TileTexCoords
{
    float fUV[8];
};

extern MapData m_MapData;
extern TileTexCoords m_BaseTexCoords[MAP_SIZE][MAP_SIZE];
extern TileTexCoords m_AlphaTexCoords[MAP_SIZE][MAP_SIZE];

// The world height of grid corner (x, z), both 0 to 99, as the land is drawn. A height scale
// of 0 (a block no map or start-up has written) would put every corner at infinity: flat.
inline float CornerWorldHeight(int x, int z)
{
    short siScale = m_MapData.siHeightScale;
    if (siScale == 0)
        return 0.0f;
    // 32, every map's scale, is a power of two: the product is the quotient exactly, and the
    // projection of all 40,000 corners need not divide each time.
    if (siScale == 32)
        return (float)m_MapData.siHeight[x][z] * (1.0f / 32.0f);
    return (float)m_MapData.siHeight[x][z] / (float)siScale;
}

// Display switches (keys A, B, G, N, H; the hilite quad has no key).
extern bool m_bBaseTextures;   // off: every base pass draws the plain texture 128
extern bool m_bAlphaTextures;  // off: no alpha pass
extern bool bGrid;             // grid lines in the land build and overlays
extern bool m_bNormals;        // normal lines overlay
extern bool m_bMMTex;          // mini map coloured by base texture instead of height
extern bool m_bHiliteTile;     // red quad over the tile under the pointer

// Callers keep indices on the map; one that does not gets a log line naming the caller
// instead of an overrun.
bool IsTileOnMap(int x, int z, const char* pszCaller);
bool IsIndexInRange(int i, int iLimit, const char* pszCaller);

// Tile arithmetic; indices wrap 99 -> 0 and 0 -> 99. Inline: every map update steps
// through all 10,000 tiles with them.
inline int NextTileX(int i)
{
    i++;
    return i == MAP_SIZE ? 0 : i;
}
inline int PrevTileX(int i)
{
    i--;
    return i == -1 ? MAP_SIZE - 1 : i;
}
inline int NextTileZ(int i)
{
    return NextTileX(i);
}
inline int PrevTileZ(int i)
{
    return PrevTileX(i);
}
void SplitTileIndex(int iIndex, int* piX, int* piZ);
int GetTileIndex(int x, int z);

// Texture-coordinate record operations, in place.
void RotateUV90(TileTexCoords* pRec);
void RotateUV180(TileTexCoords* pRec);
void RotateUV270(TileTexCoords* pRec);
void FlipUVX(TileTexCoords* pRec);
void FlipUVZ(TileTexCoords* pRec);

// The whole block as a copy; SetMapData (the map update) writes it.
MapData GetMapData();

TileTexCoords GetBaseTileUV(int x, int z);
TileTexCoords GetAlphaTileUV(int x, int z);
void SetBaseTileUV(const TileTexCoords& rec, int x, int z);
void SetAlphaTileUV(const TileTexCoords& rec, int x, int z);

int GetHeightScale();
float GetTileHeight(int x, int z);
float GetTileHeightRaw(int x, int z);
int GetNumTextureTypes();
int GetNumAlphaVariants();
bool IsCaveOnTile(int x, int z);

bool IsHiliteTileShown();
void ToggleHiliteTile();
void ToggleNormals();
void ToggleBaseTextures();
void ToggleAlphaLayer();

// ---- For tests: no other component calls these ----

// The first tile, z outer and x inner, that holds cave n; -1 for none.
int FindTileOfCave(int n);
