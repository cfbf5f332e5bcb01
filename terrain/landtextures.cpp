// The land textures: texture numbering, the alpha slot tables, the blank map and the loading
// of the 129 land textures.
#include "terrain/landtextures.h"

#include <cstdio>

#include "app/d3dservices.h"
#include "app/log.h"
#include "terrain/mapdata.h"

// Loaded at start-up by LoadLandTextures, released by CloseMapData.
LPDIRECT3DTEXTURE9 m_pLandTexture[LAND_TEXTURE_TABLE_SIZE];
// Built once by BuildAlphaSlotTables; the entries of base numbers keep 0.
int m_iConvertedAlpha[ALPHA_TABLE_SIZE];
int m_iOriginalAlpha[ALPHA_TABLE_SIZE];

static const float BLANK_UV[8] = {0.07f, 0.07f, 0.93f, 0.07f, 0.07f, 0.93f, 0.93f, 0.93f};

static bool IsBaseNumber(int n)
{
    return n % TEXTURES_PER_TYPE == 0 && n != PLAIN_TEXTURE;
}

void BuildAlphaSlotTables()
{
    int iSlot = 0;
    for (int n = 0; n < NUM_LAND_TEXTURES; n++)
        if (!IsBaseNumber(n))
        {
            m_iConvertedAlpha[n] = iSlot;
            m_iOriginalAlpha[iSlot] = n;
            iSlot++;
        }

    for (int i = 0; i < NUM_LAND_TEXTURES; i++)
        LogErrorf("%d <--converted original--> %d z --> %d", m_iConvertedAlpha[i],
                  m_iOriginalAlpha[i], i);
}

bool GetTileBatch(int x, int z, int* piType, int* piSlot)
{
    if (x < 0 || x >= MAP_SIZE || z < 0 || z >= MAP_SIZE)
        return false;
    int iBase = m_MapData.siBaseTexture[x][z];
    int iAlpha = m_MapData.siAlphaTexture[x][z];
    if (iBase < 0 || iBase >= PLAIN_TEXTURE || iAlpha < 0 || iAlpha > PLAIN_TEXTURE)
        return false;
    *piType = TextureTypeOf(iBase);
    *piSlot = m_iConvertedAlpha[iAlpha];
    return true;
}

void LandTextureFileName(int n, char* pBuffer, int iSize)
{
    snprintf(pBuffer, iSize, "textures\\rode\\alpha\\lnd%02d.dds", n);
}

static void WriteBlankTile(int x, int z)
{
    MapData& md = m_MapData;
    md.siHeight[x][z] = 0;
    md.siTileType[x][z] = 0;
    md.siCaveNumber[x][z] = 0;
    md.siBaseTexture[x][z] = 64;
    md.siBaseRotation[x][z] = 0;
    md.bBaseFlipX[x][z] = false;
    md.bBaseFlipZ[x][z] = false;
    md.bTriangleFlip[x][z] = false;
    md.siAlphaTexture[x][z] = (short)PLAIN_TEXTURE;
    md.siAlphaRotation[x][z] = 0;
    md.bAlphaFlipX[x][z] = false;
    md.bAlphaFlipZ[x][z] = false;
    for (int i = 0; i < 8; i++)
    {
        m_BaseTexCoords[x][z].fUV[i] = BLANK_UV[i];
        m_AlphaTexCoords[x][z].fUV[i] = BLANK_UV[i];
    }
}

void WriteBlankMap()
{
    for (int z = 0; z < MAP_SIZE; z++)
        for (int x = 0; x < MAP_SIZE; x++)
            WriteBlankTile(x, z);
}

static void LoadLandTexture(int n)
{
    char cName[64];
    LandTextureFileName(n, cName, sizeof(cName));
    LogError(cName);
    // A second start-up must not leak the first one's texture.
    ReleaseAndClear(m_pLandTexture[n]);
    // Opaque black becomes transparent: that is what lets an alpha texture show its base.
    if (FAILED(LoadTextureFile(cName, D3DFMT_DXT1, 0xFF000000, &m_pLandTexture[n])))
        LogError("failed to load texture");
}

void LoadLandTextureFiles()
{
    for (int n = 0; n < NUM_LAND_TEXTURES; n++)
        LoadLandTexture(n);
}

void SetLandTexture(int n)
{
    if (IsIndexInRange(n, NUM_LAND_TEXTURES, "SetLandTexture"))
        m_pDevice->SetTexture(0, m_pLandTexture[n]);
}

void SetLandTextureStage1(int n)
{
    if (IsIndexInRange(n, NUM_LAND_TEXTURES, "SetLandTextureStage1"))
        m_pDevice->SetTexture(1, m_pLandTexture[n]);
}
