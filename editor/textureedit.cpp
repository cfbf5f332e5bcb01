// Tile texture tools over the map data block, each followed by the land rebuild it needs.
#include "editor/textureedit.h"

#include "app/msgproc.h"
#include "terrain/landbuffers.h"
#include "terrain/landtextures.h"
#include "terrain/mapdata.h"
#include "terrain/mapupdate.h"
#include "terrain/view.h"

// One texture type's base and its alpha variants.
static int GroupSize()
{
    return GetNumAlphaVariants() + 1;
}

// Callers pass a picked tile; anything else is left alone rather than written past the grid.
static bool SplitTile(int iTile, int* px, int* pz)
{
    if (iTile < 0 || iTile >= MAP_SIZE * MAP_SIZE)
        return false;
    *px = iTile % MAP_SIZE;
    *pz = iTile / MAP_SIZE;
    return true;
}

static bool IsTextureNumber(int iTexture)
{
    return iTexture >= 0 && iTexture <= PLAIN_TEXTURE;
}

static void RecountAndRebuild()
{
    CountTilesForTexture();
    LoadLandBuffer();
}

void PaintTileTexture(int iTexture, int iTile)
{
    int x, z;
    if (!IsTextureNumber(iTexture) || !SplitTile(iTile, &x, &z))
        return;
    if (iTexture % GroupSize() != 0)
        m_MapData.siAlphaTexture[x][z] = (short)iTexture;
    else if (m_MapData.siBaseTexture[x][z] == iTexture)
        return;
    else if (iTexture == PLAIN_TEXTURE)
        m_MapData.siAlphaTexture[x][z] = PLAIN_TEXTURE;
    else
        m_MapData.siBaseTexture[x][z] = (short)iTexture;
    RecountAndRebuild();
}

void FloodTexture(int iTexture)
{
    if (!IsTextureNumber(iTexture))
        return;
    int iBase = iTexture / GroupSize() * GroupSize();
    for (int x = 0; x < MAP_SIZE; x++)
        for (int z = 0; z < MAP_SIZE; z++)
        {
            if (iBase == PLAIN_TEXTURE)
                m_MapData.siAlphaTexture[x][z] = PLAIN_TEXTURE;
            else
                m_MapData.siBaseTexture[x][z] = (short)iBase;
        }
    RecountAndRebuild();
}

namespace
{
// The layer a rotate or mirror works on: alpha while the right button is held, or for a
// right click released before the frame that acts on it.
struct LayerRef
{
    short* psiRotation;
    bool* pbFlipX;
    bool* pbFlipZ;
};
}   // namespace

static LayerRef HeldLayer(int x, int z)
{
    if (SMD.bRightDown || SMD.bRightClick)
        return {&m_MapData.siAlphaRotation[x][z], &m_MapData.bAlphaFlipX[x][z],
                &m_MapData.bAlphaFlipZ[x][z]};
    return {&m_MapData.siBaseRotation[x][z], &m_MapData.bBaseFlipX[x][z],
            &m_MapData.bBaseFlipZ[x][z]};
}

// Stored flags may hold any byte from a loaded map: anything but 0 counts as set.
static void Invert(bool* pbFlag)
{
    unsigned char* p = (unsigned char*)pbFlag;
    *p = *p == 0 ? 1 : 0;
}

void RotateTileTexture(int iTile)
{
    int x, z;
    if (!SplitTile(iTile, &x, &z))
        return;
    LayerRef layer = HeldLayer(x, z);
    short siNext = (short)(*layer.psiRotation + 1);
    *layer.psiRotation = siNext > 3 || siNext < 0 ? 0 : siNext;
    LoadLandBuffer();
}

// Turned a quarter, the layer's x runs along the tile's z: the other flag mirrors it.
static void MirrorLayer(int iTile, bool bAlongX)
{
    int x, z;
    if (!SplitTile(iTile, &x, &z))
        return;
    LayerRef layer = HeldLayer(x, z);
    bool bStraight = *layer.psiRotation == 0 || *layer.psiRotation == 2;
    Invert(bStraight == bAlongX ? layer.pbFlipX : layer.pbFlipZ);
    LoadLandBuffer();
}

void FlipTileTextureX(int iTile)
{
    MirrorLayer(iTile, true);
}

void FlipTileTextureZ(int iTile)
{
    MirrorLayer(iTile, false);
}

void FlipTileTriangle(int iTile)
{
    int x, z;
    if (!SplitTile(iTile, &x, &z))
        return;
    Invert(&m_MapData.bTriangleFlip[x][z]);
    LoadLandBuffer();
}

int GetTileBaseTexture(int iTile)
{
    int x, z;
    if (!SplitTile(iTile, &x, &z))
        return PLAIN_TEXTURE;
    return m_MapData.siBaseTexture[x][z];
}

int GetTileAlphaTexture(int iTile)
{
    int x, z;
    if (!SplitTile(iTile, &x, &z))
        return PLAIN_TEXTURE;
    return m_MapData.siAlphaTexture[x][z];
}
