// The generated textures and the cave models, loaded the way the program loads them.
#include "support/devicefixture.h"

#include <cstdio>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "app/d3dservices.h"

static const DWORD kFilter = D3DX_FILTER_TRIANGLE | D3DX_FILTER_MIRROR;

static IDirect3DTexture9* Load(const std::string& path, D3DFORMAT format, D3DCOLOR key)
{
    IDirect3DTexture9* pTexture = NULL;
    D3DXCreateTextureFromFileExA(m_pDevice, path.c_str(), D3DX_DEFAULT, D3DX_DEFAULT, D3DX_DEFAULT,
                                 0, format, D3DPOOL_MANAGED, kFilter, kFilter, key, NULL, NULL,
                                 &pTexture);
    return pTexture;
}

static std::string LandFile(int n)
{
    char name[64];
    snprintf(name, sizeof name, "textures\\rode\\alpha\\lnd%02d.dds", n);
    return name;
}

// Texels of an uncompressed 32-bit DDS file as 0xAARRGGBB, top row first.
static std::vector<DWORD> ReadDds(const std::string& path, int* piWidth)
{
    std::ifstream in(path, std::ios::binary);
    std::vector<unsigned char> bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    std::vector<DWORD> texels;
    if (bytes.size() < 128)
        return texels;
    *piWidth = *(const DWORD*)&bytes[16];
    for (size_t i = 128; i + 4 <= bytes.size(); i += 4)
        texels.push_back(*(const DWORD*)&bytes[i]);
    return texels;
}

// Which texels of level 0 of a DXT1 texture are transparent.
static std::vector<bool> Dxt1Transparency(IDirect3DTexture9* pTexture)
{
    D3DSURFACE_DESC desc;
    pTexture->GetLevelDesc(0, &desc);
    std::vector<bool> clear(desc.Width * desc.Height, false);
    D3DLOCKED_RECT lr;
    if (FAILED(pTexture->LockRect(0, &lr, NULL, D3DLOCK_READONLY)))
        return clear;
    for (UINT by = 0; by < desc.Height / 4; by++)
        for (UINT bx = 0; bx < desc.Width / 4; bx++)
        {
            const BYTE* block = (const BYTE*)lr.pBits + by * lr.Pitch + bx * 8;
            WORD c0 = *(const WORD*)block, c1 = *(const WORD*)(block + 2);
            DWORD indices = *(const DWORD*)(block + 4);
            for (int i = 0; i < 16; i++)
                if (c0 <= c1 && ((indices >> (2 * i)) & 3) == 3)
                    clear[(by * 4 + i / 4) * desc.Width + bx * 4 + i % 4] = true;
        }
    pTexture->UnlockRect(0);
    return clear;
}

// Alpha of every texel of level 0 of an A8R8G8B8 texture.
static std::vector<BYTE> Alpha(IDirect3DTexture9* pTexture, UINT* pWidth)
{
    D3DSURFACE_DESC desc;
    pTexture->GetLevelDesc(0, &desc);
    *pWidth = desc.Width;
    std::vector<BYTE> alpha;
    D3DLOCKED_RECT lr;
    if (desc.Format != D3DFMT_A8R8G8B8 || FAILED(pTexture->LockRect(0, &lr, NULL, D3DLOCK_READONLY)))
        return alpha;
    for (UINT y = 0; y < desc.Height; y++)
        for (UINT x = 0; x < desc.Width; x++)
            alpha.push_back(((const DWORD*)((const BYTE*)lr.pBits + y * lr.Pitch))[x] >> 24);
    pTexture->UnlockRect(0);
    return alpha;
}

class LandTextures : public DeviceTest
{
};

TEST_F(LandTextures, AllLoadAsDxt1WithAFullMipChain)
{
    for (int n = 0; n <= 128; n++)
    {
        IDirect3DTexture9* pTexture = Load(LandFile(n), D3DFMT_DXT1, 0xFF000000);
        ASSERT_NE(pTexture, (IDirect3DTexture9*)NULL) << LandFile(n);
        D3DSURFACE_DESC desc;
        pTexture->GetLevelDesc(0, &desc);
        EXPECT_EQ(desc.Format, D3DFMT_DXT1) << n;
        EXPECT_EQ(desc.Width, desc.Height) << n;
        DWORD levels = 1;
        for (UINT w = desc.Width; w > 1; w /= 2)
            levels++;
        EXPECT_EQ(pTexture->GetLevelCount(), levels) << n;
        pTexture->Release();
    }
}

// The alpha pass draws only keyed-in texels: an alpha texture is transparent exactly where its
// file is opaque black, outside a mask that is neither empty nor full; base textures and the
// plain texture have no transparent texel at all.
TEST_F(LandTextures, ColourKeyCutsOutExactlyTheBlackOutsideEachMask)
{
    for (int n = 0; n <= 128; n++)
    {
        int width = 0;
        std::vector<DWORD> file = ReadDds(LandFile(n), &width);
        ASSERT_FALSE(file.empty()) << LandFile(n);
        IDirect3DTexture9* pTexture = Load(LandFile(n), D3DFMT_DXT1, 0xFF000000);
        ASSERT_NE(pTexture, (IDirect3DTexture9*)NULL) << LandFile(n);
        std::vector<bool> clear = Dxt1Transparency(pTexture);
        pTexture->Release();
        ASSERT_EQ(clear.size(), file.size()) << n;

        size_t keyed = 0, mismatched = 0;
        for (size_t i = 0; i < file.size(); i++)
        {
            bool black = file[i] == 0xFF000000;
            keyed += black;
            mismatched += black != clear[i];
        }
        EXPECT_EQ(mismatched, 0u) << n;
        bool isAlpha = n % 8 != 0 && n != 128;
        if (isAlpha)
        {
            EXPECT_GT(keyed, file.size() / 10) << n;
            EXPECT_LT(keyed, file.size() * 9 / 10) << n;
        }
        else
            EXPECT_EQ(keyed, 0u) << n;
    }
}

class PanelTextures : public DeviceTest
{
};

TEST_F(PanelTextures, EveryPictureLoadsWithItsAlpha)
{
    const char* names[] = {"zancursor", "sampletexture", "painttexture", "landcornerselector",
                           "rotatetexture", "fliptexturex", "fliptexturez", "fliptriangle",
                           "paintheight", "flood", "erase", "cave", "landeditgui",
                           "landeditguicave", "settingsave", "settingload", "splash\\warmemorial"};
    for (const char* name : names)
    {
        std::string path = std::string("textures\\") + name + ".dds";
        IDirect3DTexture9* pTexture = Load(path, D3DFMT_UNKNOWN, 0);
        ASSERT_NE(pTexture, (IDirect3DTexture9*)NULL) << path;
        D3DSURFACE_DESC desc;
        pTexture->GetLevelDesc(0, &desc);
        EXPECT_EQ(desc.Format, D3DFMT_A8R8G8B8) << path;
        pTexture->Release();
    }
}

TEST_F(PanelTextures, ToolIconsStandOnATransparentBackground)
{
    const char* names[] = {"sampletexture", "painttexture", "landcornerselector", "rotatetexture",
                           "fliptexturex", "fliptexturez", "fliptriangle", "paintheight",
                           "flood", "erase", "cave"};
    for (const char* name : names)
    {
        IDirect3DTexture9* pTexture = Load(std::string("textures\\") + name + ".dds", D3DFMT_UNKNOWN, 0);
        ASSERT_NE(pTexture, (IDirect3DTexture9*)NULL) << name;
        UINT width = 0;
        std::vector<BYTE> alpha = Alpha(pTexture, &width);
        pTexture->Release();
        EXPECT_EQ(width, 16u) << name;
        size_t clear = 0, solid = 0;
        for (BYTE a : alpha)
        {
            clear += a == 0;
            solid += a == 255;
        }
        EXPECT_GT(clear, alpha.size() / 10) << name;
        EXPECT_GT(solid, alpha.size() / 10) << name;
    }
}

TEST_F(PanelTextures, CursorDrawsOnlyInTheShownTopLeft)
{
    IDirect3DTexture9* pTexture = Load("textures\\zancursor.dds", D3DFMT_UNKNOWN, 0);
    ASSERT_NE(pTexture, (IDirect3DTexture9*)NULL);
    UINT w = 0;
    std::vector<BYTE> alpha = Alpha(pTexture, &w);
    pTexture->Release();
    ASSERT_EQ(alpha.size(), (size_t)w * w);
    UINT shown = w * 7 / 10;
    int outside = 0;
    for (UINT y = 0; y < w; y++)
        for (UINT x = 0; x < w; x++)
            outside += (x >= shown || y >= shown) && alpha[y * w + x] != 0;
    EXPECT_EQ(outside, 0);
    EXPECT_EQ(alpha[(w / 8) * w + 2], 255); // the arrow runs down the left edge from the tip
}

// The scroll arrows are drawn under the LOAD panel at (240, 55)-(255, 75) and
// (240, 210)-(255, 225) of its 256 x 256 pixels and must show through it.
TEST_F(PanelTextures, LoadPanelLetsTheScrollArrowsShowThrough)
{
    IDirect3DTexture9* pTexture = Load("textures\\settingload.dds", D3DFMT_UNKNOWN, 0);
    ASSERT_NE(pTexture, (IDirect3DTexture9*)NULL);
    UINT w = 0;
    std::vector<BYTE> alpha = Alpha(pTexture, &w);
    pTexture->Release();
    ASSERT_EQ(alpha.size(), (size_t)w * w);
    auto at = [&](int x, int y) { return alpha[(y * w / 256) * w + x * w / 256]; };
    EXPECT_EQ(at(247, 67), 0);
    EXPECT_EQ(at(247, 215), 0);
    EXPECT_EQ(at(128, 18), 255); // title band
    EXPECT_EQ(at(120, 140), 255); // file list
}

// A cave model as the model reader reads it: tokens up to "POINTS", the points in hundredths,
// one token, then quads of 14 tokens with the four indices third to sixth.
struct CaveModel
{
    std::vector<float> x, y, z;
    std::vector<int> index;
};

static CaveModel ReadCaveModel(const char* path)
{
    CaveModel model;
    std::ifstream in(path);
    std::string word;
    while (in >> word && word != "POINTS")
    {
    }
    int n = 0, m = 0;
    in >> n;
    for (int i = 0; i < n && in; i++)
    {
        float x, y, z;
        in >> x >> y >> z;
        model.x.push_back(x / 100.0f);
        model.y.push_back(y / 100.0f);
        model.z.push_back(z / 100.0f);
    }
    in >> word >> m;
    for (int q = 0; q < m && in; q++)
    {
        in >> word >> word;
        for (int k = 0; k < 4; k++)
        {
            int i = -1;
            in >> i;
            model.index.push_back(i);
        }
        for (int k = 0; k < 8; k++)
            in >> word;
    }
    if (!in)
        model.index.clear();
    return model;
}

// The construction places a model's points relative to the tile corner it starts from:
// (x, z) rising toward +z, (x, z + 1) toward +x, (x + 1, z + 1) toward -z, (x + 1, z) toward -x.
// Every point must land on the cave's own tile.
TEST(CaveModels, TwelvePointsAndEightQuadsThatStayOnTheTile)
{
    const char* files[4] = {"features\\cavezpos.pie", "features\\cavexpos.pie",
                            "features\\cavezneg.pie", "features\\cavexneg.pie"};
    const float originX[4] = {0, 0, 1, 1}, originZ[4] = {0, 1, 1, 0};
    for (int d = 0; d < 4; d++)
    {
        CaveModel model = ReadCaveModel(files[d]);
        ASSERT_EQ(model.x.size(), 12u) << files[d];
        ASSERT_EQ(model.index.size(), 32u) << files[d];
        for (int i : model.index)
        {
            EXPECT_GE(i, 0) << files[d];
            EXPECT_LT(i, 12) << files[d];
        }
        for (size_t i = 0; i < 12; i++)
        {
            float tx = originX[d] + model.x[i], tz = originZ[d] + model.z[i];
            EXPECT_TRUE(tx >= 0.0f && tx <= 1.0f && tz >= 0.0f && tz <= 1.0f)
                << files[d] << " point " << i << " at " << tx << ", " << tz;
        }
    }
}
