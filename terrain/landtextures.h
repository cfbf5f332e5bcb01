// The land textures and their numbering: texture numbers 0 to 128, the alpha slots the land
// batches are sorted by, and the 129 textures loaded at start-up.
#pragma once

#include <d3d9.h>

const int NUM_LAND_TEXTURES = 129;   // numbers 0 to 128
const int PLAIN_TEXTURE = 128;       // the plain texture; as an alpha number, no alpha texture
const int NUM_ALPHA_SLOTS = 113;     // 16 * 7 alpha textures, then 128
const int NO_ALPHA_SLOT = 112;       // the slot of alpha number 128

extern LPDIRECT3DTEXTURE9 m_pLandTexture[130];  // by texture number; null where a load failed
extern int m_iConvertedAlpha[150];              // texture number -> alpha slot
extern int m_iOriginalAlpha[150];               // alpha slot -> texture number

// Fills both slot tables and logs one line per texture number (run by InitMapData).
void BuildAlphaSlotTables();

// The land batch (base type, alpha slot) of tile (x, z); false for texture numbers outside
// the tables, whose tile is then left out of every batch.
bool GetTileBatch(int x, int z, int* piType, int* piSlot);

// The file a texture number is read from, "textures\rode\alpha\lndNN.dds".
void LandTextureFileName(int n, char* pBuffer, int iSize);

// The start-up steps of LoadLandTextures (in the map update): every tile blank, with the
// wrap offsets zeroed (height scale and normals are left as they are); then the 129 files.
void WriteBlankMap();
void LoadLandTextureFiles();

// Binds texture n on stage 0 or 1; a number outside 0 to 128 is logged and binds nothing.
void SetLandTexture(int n);
void SetLandTextureStage1(int n);
