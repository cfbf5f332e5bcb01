// Cave records: the triangles and summaries of every cave and their accessors.
// needs: app/log
#pragma once

#include <vector>

#include <d3dx9.h>

const int CAVE_TRIANGLES = 16;        // records per cave: 8 quads of 2 triangles
const int CAVE_VERTICES = 48;         // LandVertex per cave buffer: 3 per record

// One triangle of a cave as stored (and saved).
struct CaveData
{
    short siTile;                 // tile index z * 100 + x of the cave's tile
    D3DXVECTOR3 vCorner[3];       // map coordinates without wrap offset; y the world height
    short siTextureA;             // first layer texture number
    short siTextureB;             // second layer texture number; 128 none
    short siTexCoordA[3][2];      // (u, v) per corner in 1/128 units
    short siTexCoordB[3][2];
};

// One record per cave.
struct CaveSummary
{
    int iTile;            // tile index of the cave's tile
    int iTriangleEnd;     // records of this cave and of all caves before it (16, 32, ...)
    int iWrapOffsetX;     // column wrap offset that the buffer's x positions include
    int iWrapOffsetZ;     // row wrap offset that the buffer's z positions include
    int iDirection;       // 0 to 3, the model used
};

// Cave lists: CAVE_TRIANGLES records and one summary per cave, in cave order.
extern std::vector<CaveData> m_CaveData;
extern std::vector<CaveSummary> m_CaveSummaries;
extern int m_iNumCaves;
extern int m_iCurrentCave;   // the cave the cave editor works on; DeleteCave removes it

// Accessors for the map file and the map data.
int GetCaveCount();
int GetNumCaves();
int GetCaveDataCount();
CaveData GetCaveData(int i);
CaveSummary GetCaveSummary(int i);
void AddCaveData(CaveData data);
void AddCaveSummary(CaveSummary summary);
void SetCaveCount(int n);

int GetCaveFirstTriangle(int n);
int GetCaveTriangleCount(int n);

// Cave n has a summary and is counted.
bool IsCave(int n);
// Cave n's records as far as the record list and one buffer hold them: their count, and
// the first in *piFirst. A summary that says otherwise (a hand-edited map) is cut to fit.
int CaveRecordRange(int n, int* piFirst);
