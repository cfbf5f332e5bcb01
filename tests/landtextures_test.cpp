// Land textures: the numbering and alpha slots, the file names, the blank map and the loading.
#include "support/devicefixture.h"

#include <fstream>
#include <string>
#include <vector>

#include "app/camera.h"
#include "app/log.h"
#include "terrain/landtextures.h"
#include "terrain/mapdata.h"
#include "terrain/mapupdate.h"
#include "terrain/view.h"
#include "support/readback.h"

static std::string FileName(int n)
{
    char cName[64];
    LandTextureFileName(n, cName, sizeof(cName));
    return cName;
}

TEST(AlphaSlots, NumberTheNonBaseTexturesInOrder)
{
    InitErrorLog();
    BuildAlphaSlotTables();
    EXPECT_EQ(m_iConvertedAlpha[1], 0);
    EXPECT_EQ(m_iConvertedAlpha[7], 6);
    EXPECT_EQ(m_iConvertedAlpha[9], 7);
    EXPECT_EQ(m_iConvertedAlpha[127], 111);
    EXPECT_EQ(m_iConvertedAlpha[128], 112);
    EXPECT_EQ(m_iConvertedAlpha[64], 0);   // base numbers have no slot
    EXPECT_EQ(m_iOriginalAlpha[0], 1);
    EXPECT_EQ(m_iOriginalAlpha[112], 128);
    EXPECT_EQ(m_iOriginalAlpha[113], 0);
    for (int s = 0; s < 113; s++)
        EXPECT_EQ(m_iConvertedAlpha[m_iOriginalAlpha[s]], s) << "slot " << s;

    std::vector<std::string> lines = ReadLog();
    ASSERT_EQ(lines.size(), 130u);
    EXPECT_EQ(lines[1], "0 <--converted original--> 1 z --> 0");
    EXPECT_EQ(lines[2], "0 <--converted original--> 2 z --> 1");
    EXPECT_EQ(lines[129], "112 <--converted original--> 0 z --> 128");
}

TEST(LandTextureFiles, AreNumberedWithAtLeastTwoDigits)
{
    EXPECT_EQ(FileName(0), "textures\\rode\\alpha\\lnd00.dds");
    EXPECT_EQ(FileName(5), "textures\\rode\\alpha\\lnd05.dds");
    EXPECT_EQ(FileName(10), "textures\\rode\\alpha\\lnd10.dds");
    EXPECT_EQ(FileName(128), "textures\\rode\\alpha\\lnd128.dds");
}

class LandTextures : public DeviceTest
{
protected:
    static void SetUpTestSuite()
    {
        DeviceTest::SetUpTestSuite();
        InitCamera();
        InitMapData();
    }
};

TEST_F(LandTextures, StartUpWritesTheBlankMap)
{
    m_MapData.siHeight[4][5] = 99;
    m_MapData.siAlphaTexture[0][0] = 3;
    m_BaseTexCoords[99][99].fUV[2] = 0.5f;
    m_iWrapOffsetX[7] = 100;
    LoadLandTextures();

    EXPECT_EQ(m_MapData.siHeightScale, 32);
    const float blank[8] = {0.07f, 0.07f, 0.93f, 0.07f, 0.07f, 0.93f, 0.93f, 0.93f};
    int iWrong = 0;
    for (int x = 0; x < MAP_SIZE; x++)
        for (int z = 0; z < MAP_SIZE; z++)
        {
            const MapData& md = m_MapData;
            bool bRight = md.siHeight[x][z] == 0 && md.siTileType[x][z] == 0 &&
                          md.siCaveNumber[x][z] == 0 && md.siBaseTexture[x][z] == 64 &&
                          md.siBaseRotation[x][z] == 0 && !md.bBaseFlipX[x][z] &&
                          !md.bBaseFlipZ[x][z] && !md.bTriangleFlip[x][z] &&
                          md.siAlphaTexture[x][z] == 128 && md.siAlphaRotation[x][z] == 0 &&
                          !md.bAlphaFlipX[x][z] && !md.bAlphaFlipZ[x][z];
            for (int i = 0; i < 8; i++)
                bRight = bRight && m_BaseTexCoords[x][z].fUV[i] == blank[i] &&
                         m_AlphaTexCoords[x][z].fUV[i] == blank[i];
            if (!bRight)
                iWrong++;
        }
    EXPECT_EQ(iWrong, 0);
}

TEST_F(LandTextures, EveryTextureLoadsAsDxt1WithAFullMipChain)
{
    InitErrorLog();
    LoadLandTextures();
    int iLoaded = 0;
    for (int n = 0; n < NUM_LAND_TEXTURES; n++)
    {
        if (m_pLandTexture[n] == NULL)
            continue;
        iLoaded++;
        D3DSURFACE_DESC desc;
        m_pLandTexture[n]->GetLevelDesc(0, &desc);
        EXPECT_EQ(desc.Format, D3DFMT_DXT1) << n;
        DWORD dwLevels = 1;
        for (UINT w = desc.Width > desc.Height ? desc.Width : desc.Height; w > 1; w /= 2)
            dwLevels++;
        EXPECT_EQ(m_pLandTexture[n]->GetLevelCount(), dwLevels) << n;
    }
    EXPECT_EQ(iLoaded, NUM_LAND_TEXTURES);

    std::vector<std::string> lines = ReadLog();
    ASSERT_GE(lines.size(), 130u);
    EXPECT_EQ(lines[1], FileName(0));
    EXPECT_EQ(lines[129], FileName(128));

    // Opaque black is keyed out: an alpha texture's cut-out reads back as alpha 0.
    IDirect3DSurface9* pLevel = NULL;
    ASSERT_EQ(m_pLandTexture[1]->GetSurfaceLevel(0, &pLevel), D3D_OK);
    D3DLOCKED_RECT lr;
    ASSERT_EQ(pLevel->LockRect(&lr, NULL, D3DLOCK_READONLY), D3D_OK);
    // A DXT1 block whose colour0 <= colour1 and whose indices include 3 holds keyed texels.
    D3DSURFACE_DESC desc;
    pLevel->GetDesc(&desc);
    int iKeyedBlocks = 0;
    for (UINT b = 0; b < (desc.Width / 4) * (desc.Height / 4); b++)
    {
        const BYTE* p = (const BYTE*)lr.pBits + b * 8;
        WORD c0 = p[0] | (p[1] << 8), c1 = p[2] | (p[3] << 8);
        DWORD dwIdx = p[4] | (p[5] << 8) | (p[6] << 16) | ((DWORD)p[7] << 24);
        bool bHasThree = false;
        for (int i = 0; i < 16; i++)
            bHasThree = bHasThree || ((dwIdx >> (2 * i)) & 3) == 3;
        if (c0 <= c1 && bHasThree)
            iKeyedBlocks++;
    }
    pLevel->UnlockRect();
    pLevel->Release();
    EXPECT_GT(iKeyedBlocks, 0);

    InitErrorLog();
    CloseMapData();
    lines = ReadLog();
    int iReleased = 0;
    for (const std::string& line : lines)
        if (line.rfind("Closing down Map Data m_pLandTexture released ", 0) == 0)
            iReleased++;
    EXPECT_EQ(iReleased, 129);
    ASSERT_GE(lines.size(), 2u);
    EXPECT_EQ(lines[lines.size() - 2], "Closing down Map Data m_pLandTexture released 128");
    for (int n = 0; n < NUM_LAND_TEXTURES; n++)
        EXPECT_EQ(m_pLandTexture[n], (LPDIRECT3DTEXTURE9)NULL);
}

TEST_F(LandTextures, MissingFilesAreLoggedAndTheMapStillStands)
{
    // An empty folder: no texture is found.
    ASSERT_TRUE(SetCurrentDirectoryA("savegame"));
    InitErrorLog();
    LoadLandTextures();
    std::vector<std::string> lines = ReadLog();
    SetCurrentDirectoryA("..");

    ASSERT_GE(lines.size(), 1u + 2 * 129);
    for (int n = 0; n < NUM_LAND_TEXTURES; n++)
    {
        EXPECT_EQ(lines[1 + 2 * n], FileName(n));
        EXPECT_EQ(lines[2 + 2 * n], "failed to load texture");
        EXPECT_EQ(m_pLandTexture[n], (LPDIRECT3DTEXTURE9)NULL);
    }
    EXPECT_EQ(m_MapData.siBaseTexture[50][50], 64);
    EXPECT_GT(m_iNumDisplayableTiles, 0);
}
