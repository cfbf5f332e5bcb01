// Damaged cave model files, made by a fixed-seed mutation of the good ones: each is either
// refused, leaving its direction unusable and the others as they were, or read exactly as an
// independent parse reads it, and a cave fitted from it has finite corners.
// ZAN_MODEL_MUTATIONS and ZAN_MODEL_SEED set the number of cases and the seed for long runs.
#include "support/devicefixture.h"

#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <random>
#include <sstream>
#include <string>
#include <vector>

#include "app/log.h"
#include "support/flatmap.h"
#include "terrain/cavemodels.h"
#include "terrain/caves.h"
#include "terrain/landtextures.h"
#include "terrain/mapdata.h"
#include "terrain/mapupdate.h"

static const char* const MODEL_NAMES[4] = {"cavezpos.pie", "cavexpos.pie", "cavezneg.pie",
                                           "cavexneg.pie"};

static std::string ReadFile(const std::string& path)
{
    std::ifstream in(path, std::ios::binary);
    std::stringstream ss;
    ss << in.rdbuf();
    return ss.str();
}

static void WriteFile(const std::string& path, const std::string& text)
{
    std::ofstream(path, std::ios::binary | std::ios::trunc) << text;
}

static int EnvInt(const char* pszName, int iDefault)
{
    const char* psz = getenv(pszName);
    return psz != NULL && *psz != '\0' ? atoi(psz) : iDefault;
}

// One to three edits of the kinds a damaged disk or a careless hand makes.
static std::string Mutate(std::string text, std::mt19937& rng)
{
    static const char* const TOKENS[] = {"nan", "inf", "-inf", "1e39", "-1e39", "1e30", "NaN",
                                         "0x1p200", "1e-50", "99999", "1001", "-1000.5",
                                         "4294967296", "-1", "12", "POINTS", "Q", "", "5e"};
    int iEdits = 1 + (int)(rng() % 3);
    for (int e = 0; e < iEdits && !text.empty(); e++)
    {
        size_t pos = rng() % text.size();
        switch (rng() % 6)
        {
        case 0: text[pos] = (char)(rng() % 256); break;
        case 1: text.insert(pos, 1, (char)(rng() % 256)); break;
        case 2: text.erase(pos, 1 + rng() % 8); break;
        case 3: text.resize(pos); break;
        default:
        {
            // A whole token replaced.
            while (pos > 0 && !isspace((unsigned char)text[pos - 1]))
                pos--;
            size_t end = pos;
            while (end < text.size() && !isspace((unsigned char)text[end]))
                end++;
            text.replace(pos, end - pos, TOKENS[rng() % (sizeof(TOKENS) / sizeof(TOKENS[0]))]);
        }
        }
    }
    return text;
}

// The points of a model file as plain whitespace-separated tokens after "POINTS 12" read with
// strtod; false when the file does not hold 36 whole numbers there.
static bool ParsePoints(const std::string& text, std::vector<float>* pCoords)
{
    std::istringstream in(text);
    std::string strToken;
    while (in >> strToken && strToken != "POINTS")
    {
    }
    if (!(in >> strToken) || strToken != "12")
        return false;
    for (int i = 0; i < 36; i++)
    {
        if (!(in >> strToken))
            return false;
        char* pEnd = NULL;
        double d = strtod(strToken.c_str(), &pEnd);
        if (*pEnd != '\0')
            return false;
        pCoords->push_back((float)d / 100.0f);
    }
    return true;
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

    // Rises toward +z, +x, -z, -x as direction 0 to 3, on tile (20, 30).
    static void SlopeFor(int d)
    {
        static const short CORNERS[4][4] = {
            {3, 4, 64, 96}, {4, 64, 3, 96}, {64, 96, 3, 4}, {64, 3, 96, 4}};
        FlattenMapWithoutCaves();
        m_MapData.siHeight[20][30] = CORNERS[d][0];
        m_MapData.siHeight[21][30] = CORNERS[d][1];
        m_MapData.siHeight[20][31] = CORNERS[d][2];
        m_MapData.siHeight[21][31] = CORNERS[d][3];
    }

    static bool CaveCornersAreFinite()
    {
        for (int i = 0; i < GetCaveDataCount(); i++)
            for (int k = 0; k < 3; k++)
            {
                D3DXVECTOR3 v = GetCaveData(i).vCorner[k];
                if (!std::isfinite(v.x) || !std::isfinite(v.y) || !std::isfinite(v.z))
                    return false;
            }
        return true;
    }
};

TEST_F(CaveModelMutation, EachDamagedModelIsRefusedOrReadExactly)
{
    std::string good[4];
    for (int d = 0; d < 4; d++)
        good[d] = ReadFile(std::string("features\\") + MODEL_NAMES[d]);
    LoadCaveModels();
    const std::vector<CavePoint> goodPoints = m_CavePoints;

    CreateDirectoryA("mutated", NULL);
    CreateDirectoryA("mutated\\features", NULL);
    ASSERT_TRUE(SetCurrentDirectoryA("mutated"));
    for (int d = 0; d < 4; d++)
        WriteFile(std::string("features\\") + MODEL_NAMES[d], good[d]);

    const int iCases = EnvInt("ZAN_MODEL_MUTATIONS", 300);
    std::mt19937 rng(EnvInt("ZAN_MODEL_SEED", 12));
    int iRefused = 0, iAccepted = 0, iCorrupt = 0;
    for (int c = 0; c < iCases; c++)
    {
        int d = (int)(rng() % 4);
        std::string text = Mutate(good[d], rng);
        std::string path = std::string("features\\") + MODEL_NAMES[d];
        WriteFile(path, text);
        InitErrorLog();
        LoadCaveModels();
        WriteFile(path, good[d]);
        SCOPED_TRACE("case " + std::to_string(c) + ", file " + MODEL_NAMES[d] + ":\n" + text);

        // The other directions are never touched.
        for (int o = 0; o < 4; o++)
            if (o != d)
            {
                ASSERT_TRUE(IsCaveModelUsable(o));
                for (int i = 0; i < 12; i++)
                    ASSERT_EQ(memcmp(&m_CavePoints[12 * o + i], &goodPoints[12 * o + i],
                                     sizeof(CavePoint)), 0);
            }

        SlopeFor(d);
        AddCaveAtTile(GetTileIndex(20, 30));
        if (!IsCaveModelUsable(d))
        {
            iRefused++;
            EXPECT_EQ(GetNumCaves(), 0);
            continue;
        }
        iAccepted++;
        std::vector<float> coords;
        bool bSame = ParsePoints(text, &coords);
        for (int i = 0; bSame && i < 12; i++)
        {
            const CavePoint& p = m_CavePoints[12 * d + i];
            bSame = p.x == coords[3 * i] && p.y == coords[3 * i + 1] && p.z == coords[3 * i + 2] &&
                    std::fabs(p.x) <= 10 && std::fabs(p.y) <= 10 && std::fabs(p.z) <= 10;
        }
        for (int q = 0; bSame && q < 8; q++)
            for (int k = 0; k < 4; k++)
                bSame = bSame && m_CavePolygons[8 * d + q].iIndex[k] >= 0 &&
                        m_CavePolygons[8 * d + q].iIndex[k] < 12;
        if (GetNumCaves() == 1)
            bSame = bSame && CaveCornersAreFinite();
        if (!bSame)
            iCorrupt++;
        EXPECT_TRUE(bSame);
    }
    printf("cave model mutations: cases %d, refused %d, accepted %d, silent corruptions %d\n",
           iCases, iRefused, iAccepted, iCorrupt);
    EXPECT_EQ(iCorrupt, 0);
    EXPECT_GT(iRefused, 0);
    EXPECT_GT(iAccepted, 0);
}
