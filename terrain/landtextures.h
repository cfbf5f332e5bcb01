// The land textures and their numbering: texture numbers 0 to 128, the alpha slots the land
// batches are sorted by, and the 129 textures loaded at start-up.
// needs: app/{d3dservices,log}, terrain/mapdata
#pragma once

#include <d3d9.h>

#include "terrain/mapdata.h"

// Texture numbers: type t owns TEXTURES_PER_TYPE numbers from t * 8, its base texture and
// then its alpha textures; after the last type comes the plain texture.
const int TEXTURES_PER_TYPE = m_iNumAlphaVariants + 1;              // 8
// 128, the plain texture; as an alpha number, no alpha texture.
const int PLAIN_TEXTURE = m_iNumTextureTypes * TEXTURES_PER_TYPE;
const int NUM_LAND_TEXTURES = PLAIN_TEXTURE + 1;                    // numbers 0 to 128
// 113 alpha slots: the 16 * 7 alpha textures, then 128.
const int NUM_ALPHA_SLOTS = m_iNumTextureTypes * m_iNumAlphaVariants + 1;
const int NO_ALPHA_SLOT = NUM_ALPHA_SLOTS - 1;                      // the slot of number 128

// The type of texture number n and the base texture number of type t.
inline int TextureTypeOf(int n)
{
    return n / TEXTURES_PER_TYPE;
}
inline int BaseTextureOf(int t)
{
    return t * TEXTURES_PER_TYPE;
}

// The tables' declared sizes, larger than the numbers above use.
const int LAND_TEXTURE_TABLE_SIZE = 130;   // m_pLandTexture
const int ALPHA_TABLE_SIZE = 150;          // the slot tables, and the batches' slot index
const int BATCH_TABLE_TYPES = 20;          // the batches' type index

extern LPDIRECT3DTEXTURE9 m_pLandTexture[LAND_TEXTURE_TABLE_SIZE];  // null where a load failed
extern int m_iConvertedAlpha[ALPHA_TABLE_SIZE];                     // texture number -> slot
extern int m_iOriginalAlpha[ALPHA_TABLE_SIZE];                      // alpha slot -> number

// Fills both slot tables and logs one line per texture number (run by InitMapData).
void BuildAlphaSlotTables();

// The land batch (base type, alpha slot) of tile (x, z); false for texture numbers outside
// the tables, whose tile is then left out of every batch.
bool GetTileBatch(int x, int z, int* piType, int* piSlot);

// The file a texture number is read from, "textures\rode\alpha\lndNN.dds".
void LandTextureFileName(int n, char* pBuffer, int iSize);

// The start-up steps of LoadLandTextures (in the map update): every tile blank (height scale
// and normals are left as they are); then the 129 files.
void WriteBlankMap();
void LoadLandTextureFiles();

// Binds texture n on stage 0 or 1; a number outside 0 to 128 is logged and binds nothing.
void SetLandTexture(int n);
void SetLandTextureStage1(int n);
