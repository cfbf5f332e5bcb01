// A known flat map for the terrain and cave tests.
#include "support/flatmap.h"

#include "app/camera.h"
#include "app/cursor.h"
#include "app/log.h"
#include "app/text.h"
#include "terrain/cavebuffers.h"
#include "terrain/caves.h"
#include "terrain/mapdata.h"
#include "terrain/mapupdate.h"
#include "terrain/view.h"

void StartTerrain()
{
    InitFont();
    InitCursor();
    InitCamera();
    InitMapData();
    LoadLandTextures();
}

void FlattenMap()
{
    for (int x = 0; x < MAP_SIZE; x++)
    {
        m_iWrapOffsetX[x] = 0;
        m_iWrapOffsetZ[x] = 0;
        for (int z = 0; z < MAP_SIZE; z++)
        {
            m_MapData.siHeight[x][z] = 0;
            m_MapData.siTileType[x][z] = 0;
            m_MapData.siCaveNumber[x][z] = 0;
            m_bDisplayable[x][z] = false;
        }
    }
}

void FlattenMapWithoutCaves()
{
    EmptyCaveLists();
    m_iCurrentCave = 0;
    FlattenMap();
    InitErrorLog();
}

void BlankTileTextures()
{
    for (int x = 0; x < MAP_SIZE; x++)
        for (int z = 0; z < MAP_SIZE; z++)
        {
            m_MapData.siBaseTexture[x][z] = 64;
            m_MapData.siAlphaTexture[x][z] = 128;
            m_MapData.siBaseRotation[x][z] = m_MapData.siAlphaRotation[x][z] = 0;
            m_MapData.bBaseFlipX[x][z] = m_MapData.bBaseFlipZ[x][z] = false;
            m_MapData.bAlphaFlipX[x][z] = m_MapData.bAlphaFlipZ[x][z] = false;
            m_MapData.bTriangleFlip[x][z] = false;
        }
}
