// Damaged cave model files from a fixed-seed mutation of the good ones: each is refused (its
// direction unusable, the others as they were) or read as an independent parse reads it, and a
// cave fitted from it has finite corners. ZAN_MODEL_MUTATIONS and ZAN_MODEL_SEED for long runs.
#include "support/devicefixture.h"

#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <random>
#include <sstream>
#include <string>
#include <vector>

#include "support/flatmap.h"
#include "terrain/cavemodels.h"
#include "terrain/caves.h"
#include "terrain/landtextures.h"
#include "terrain/mapdata.h"
#include "terrain/mapupdate.h"

static const char* const MODEL_FILES[4] = {"features\\cavezpos.pie", "features\\cavexpos.pie",
                                           "features\\cavezneg.pie", "features\\cavexneg.pie"};

static std::string ReadFile(const char* pszPath)
{
    std::stringstream ss;
    ss << std::ifstream(pszPath, std::ios::binary).rdbuf();
    return ss.str();
}

static int EnvInt(const char* pszName, int iDefault)
{
    const char* psz = getenv(pszName);
    return psz != NULL && *psz != '\0' ? atoi(psz) : iDefault;
}

// One to three byte edits, cuts or whole tokens replaced by odd numbers.
static std::string Mutate(std::string text, std::mt19937& rng)
{
    static const char* const TOKENS[] = {"nan", "inf", "-inf", "1e39", "-1e39", "1e30", "NaN",
                                         "0x1p200", "1e-50", "1001", "-1000.5", "4294967296",
                                         "-1", "12", "POINTS", "", "5e"};
    for (int e = 1 + (int)(rng() % 3); e > 0 && !text.empty(); e--)
    {
        size_t pos = rng() % text.size(), end = pos;
        switch (rng() % 6)
        {
        case 0: text[pos] = (char)(rng() % 256); break;
        case 1: text.insert(pos, 1, (char)(rng() % 256)); break;
        case 2: text.erase(pos, 1 + rng() % 8); break;
        case 3: text.resize(pos); break;
        default:
            while (pos > 0 && !isspace((unsigned char)text[pos - 1]))
                pos--;
            while (end < text.size() && !isspace((unsigned char)text[end]))
                end++;
            text.replace(pos, end - pos, TOKENS[rng() % (sizeof(TOKENS) / sizeof(TOKENS[0]))]);
        }
    }
    return text;
}

// The 36 coordinates after "POINTS 12" as whole strtod numbers in tiles; false otherwise.
static bool ParsePoints(const std::string& text, std::vector<float>* pCoords)
{
    std::istringstream in(text);
    std::string strToken;
    while (in >> strToken && strToken != "POINTS")
    {
    }
    if (!(in >> strToken) || strToken != "12")
        return false;
    for (int i = 0; i < 36 && in >> strToken; i++)
    {
        char* pEnd = NULL;
        pCoords->push_back((float)strtod(strToken.c_str(), &pEnd) / 100.0f);
        if (*pEnd != '\0')
            return false;
    }
    return pCoords->size() == 36;
}

class CaveModelMutation : public DeviceTest
{
protected:
    static void SetUpTestSuite()
    {
        DeviceTest::SetUpTestSuite();
        InitMapData();
        LoadLandTextures();
    }

    void TearDown() override
    {
        SetCurrentDirectoryA("..");
        LoadCaveModels();
        FlattenMapWithoutCaves();
    }

    // A cave on tile (20, 30) with its slope rising toward +z, +x, -z or -x for d = 0 to 3;
    // true when it was made and all its corners are finite.
    static bool FitCave(int d)
    {
        static const short CORNERS[4][4] = {
            {3, 4, 64, 96}, {4, 64, 3, 96}, {64, 96, 3, 4}, {64, 3, 96, 4}};
        FlattenMapWithoutCaves();
        m_MapData.siHeight[20][30] = CORNERS[d][0];
        m_MapData.siHeight[21][30] = CORNERS[d][1];
        m_MapData.siHeight[20][31] = CORNERS[d][2];
        m_MapData.siHeight[21][31] = CORNERS[d][3];
        AddCaveAtTile(GetTileIndex(20, 30));
        bool bFinite = GetNumCaves() == 1;
        for (int i = 0; i < GetCaveDataCount(); i++)
            for (const D3DXVECTOR3& v : GetCaveData(i).vCorner)
                bFinite = bFinite && std::isfinite(v.x) && std::isfinite(v.y) && std::isfinite(v.z);
        return bFinite;
    }
};

TEST_F(CaveModelMutation, EachDamagedModelIsRefusedOrReadExactly)
{
    std::string good[4];
    for (int d = 0; d < 4; d++)
        good[d] = ReadFile(MODEL_FILES[d]);
    LoadCaveModels();
    const std::vector<CavePoint> goodPoints = m_CavePoints;
    CreateDirectoryA("mutated", NULL);
    CreateDirectoryA("mutated\\features", NULL);
    ASSERT_TRUE(SetCurrentDirectoryA("mutated"));
    for (int d = 0; d < 4; d++)
        std::ofstream(MODEL_FILES[d], std::ios::binary) << good[d];

    const int iCases = EnvInt("ZAN_MODEL_MUTATIONS", 300);
    std::mt19937 rng(EnvInt("ZAN_MODEL_SEED", 12));
    int iRefused = 0, iCorrupt = 0;
    for (int c = 0; c < iCases; c++)
    {
        int d = (int)(rng() % 4);
        std::string text = Mutate(good[d], rng);
        std::ofstream(MODEL_FILES[d], std::ios::binary | std::ios::trunc) << text;
        LoadCaveModels();
        std::ofstream(MODEL_FILES[d], std::ios::binary | std::ios::trunc) << good[d];
        SCOPED_TRACE("case " + std::to_string(c) + ", " + MODEL_FILES[d] + ":\n" + text);

        bool bSound = true;
        for (int i = 0; i < 48; i++)
            if (i / 12 != d)
                bSound = bSound && memcmp(&m_CavePoints[i], &goodPoints[i], sizeof(CavePoint)) == 0;
        if (!IsCaveModelUsable(d))
        {
            iRefused++;
            FitCave(d);
            bSound = bSound && GetNumCaves() == 0;
        }
        else
        {
            std::vector<float> coords;
            bSound = bSound && ParsePoints(text, &coords);
            for (int i = 0; bSound && i < 36; i++)
            {
                float f = (&m_CavePoints[12 * d].x)[i];
                bSound = f == coords[i] && std::fabs(f) <= 10.0f;
            }
            bSound = bSound && FitCave(d);
        }
        iCorrupt += bSound ? 0 : 1;
        EXPECT_TRUE(bSound);
    }
    printf("cave model mutations: cases %d, refused %d, accepted %d, silent corruptions %d\n",
           iCases, iRefused, iCases - iRefused, iCorrupt);
    EXPECT_EQ(iCorrupt, 0);
}
