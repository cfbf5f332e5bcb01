// Height painting: the rings round a painted corner, the limits of raising and lowering, the
// rings across the map's seams, and no corner selected.
#include "support/devicefixture.h"

#include "editor/heightedit.h"
#include "editor/landedit.h"
#include "support/flatmap.h"
#include "terrain/landtextures.h"
#include "terrain/mapdata.h"
#include "terrain/mapupdate.h"

class HeightEdit : public DeviceTest
{
protected:
    static void SetUpTestSuite()
    {
        DeviceTest::SetUpTestSuite();
        StartTerrain();
    }

    void SetUp() override { FlattenMap(); }

    static void FillHeights(short siHeight)
    {
        for (int x = 0; x < MAP_SIZE; x++)
            for (int z = 0; z < MAP_SIZE; z++)
                m_MapData.siHeight[x][z] = siHeight;
    }

    static void Select(int x, int z) { m_ptSelectedCorner = {x, z}; }

    // Chebyshev distance on the wrapped map.
    static int Ring(int x, int z, int cx, int cz)
    {
        int dx = abs(x - cx), dz = abs(z - cz);
        dx = dx > 50 ? 100 - dx : dx;
        dz = dz > 50 ? 100 - dz : dz;
        return dx > dz ? dx : dz;
    }
};

TEST_F(HeightEdit, PaintingPullsFourRingsWithinFiftyPerRing)
{
    Select(50, 50);
    PaintHeight(256, true);
    const short siFromFlat[5] = {256, 206, 156, 106, 56};
    for (int x = 0; x < MAP_SIZE; x++)
        for (int z = 0; z < MAP_SIZE; z++)
        {
            int d = Ring(x, z, 50, 50);
            ASSERT_EQ(m_MapData.siHeight[x][z], d <= 4 ? siFromFlat[d] : 0) << x << "," << z;
        }

    FillHeights(256);
    PaintHeight(0, true);
    EXPECT_EQ(m_MapData.siHeight[50][50], 0);
    EXPECT_EQ(m_MapData.siHeight[51][49], 50);
    EXPECT_EQ(m_MapData.siHeight[46][54], 200);
    EXPECT_EQ(m_MapData.siHeight[45][50], 256);

    // A neighbour already within its limit of the new centre keeps its height.
    FillHeights(0);
    m_MapData.siHeight[52][50] = 90;
    PaintHeight(150, true);
    EXPECT_EQ(m_MapData.siHeight[52][50], 90);
    EXPECT_EQ(m_MapData.siHeight[51][50], 100);
}

TEST_F(HeightEdit, RaisingStopsAt256AndLoweringAt0)
{
    Select(10, 10);
    m_MapData.siHeight[10][10] = 256;
    RaiseSelectedCorner();
    EXPECT_EQ(m_MapData.siHeight[10][10], 256);
    m_MapData.siHeight[10][10] = 0;
    LowerSelectedCorner();
    EXPECT_EQ(m_MapData.siHeight[10][10], 0);
    RaiseSelectedCorner();
    EXPECT_EQ(m_MapData.siHeight[10][10], 1);

    // A larger step is refused whole at the top and cut at the bottom.
    m_MapData.siHeight[10][10] = 250;
    PaintHeight(10, false);
    EXPECT_EQ(m_MapData.siHeight[10][10], 250);
    m_MapData.siHeight[10][10] = 5;
    PaintHeight(-10, false);
    EXPECT_EQ(m_MapData.siHeight[10][10], 0);
    PaintHeight(900, true);
    EXPECT_EQ(m_MapData.siHeight[10][10], 256) << "the range holds for any value";
}

TEST_F(HeightEdit, RingsWrapAcrossTheSeams)
{
    Select(98, 1);
    PaintHeight(256, true);
    for (int x = 0; x < MAP_SIZE; x++)
        for (int z = 0; z < MAP_SIZE; z++)
        {
            bool bInside = (x >= 94 || x <= 2) && (z >= 97 || z <= 5);
            ASSERT_EQ(m_MapData.siHeight[x][z] > 0, bInside) << x << "," << z;
        }
    EXPECT_EQ(m_MapData.siHeight[2][97], 56);
    EXPECT_EQ(m_MapData.siHeight[99][0], 206);

    FillHeights(0);
    Select(0, 99);
    PaintHeight(256, true);
    EXPECT_EQ(m_MapData.siHeight[99][0], 206);
    EXPECT_EQ(m_MapData.siHeight[96][3], 56);
    EXPECT_EQ(m_MapData.siHeight[95][99], 0);
}

TEST_F(HeightEdit, NoCornerSelectedChangesNothing)
{
    FillHeights(100);
    const TileCorner none[] = {{-10, -10}, {10000, 10000}, {100, 5}, {5, -1}};
    for (TileCorner c : none)
    {
        m_ptSelectedCorner = c;
        PaintHeight(256, true);
        RaiseSelectedCorner();
    }
    for (int x = 0; x < MAP_SIZE; x++)
        for (int z = 0; z < MAP_SIZE; z++)
            ASSERT_EQ(m_MapData.siHeight[x][z], 100);
}
