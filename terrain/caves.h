// The caves: the four cave models, the cave records and summaries, each cave's vertex buffer,
// the fit of a model onto a tile's slope, and the drawing of the visible caves.
#pragma once

#include <vector>

#include <d3d9.h>
#include <d3dx9.h>

const int CAVE_TRIANGLES = 16;        // records per cave: 8 quads of 2 triangles
const int CAVE_VERTICES = 48;         // LandVertex per cave buffer: 3 per record
const int CAVE_MODEL_POINTS = 12;     // points of each model file
const int CAVE_MODEL_QUADS = 8;       // quads of each model file
const int NUM_CAVE_DIRECTIONS = 4;    // +z, +x, -z, -x: the way the tile's slope rises

// A model point in tiles (the file gives hundredths of a tile).
struct CavePoint
{
    float x, y, z;
};

// A model quad: four point indices, 0-based within its own file.
struct CavePolygon
{
    int iIndex[4];
};

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

// Model lists, filled once by LoadCaveModels, in direction order.
extern std::vector<CavePoint> m_CavePoints;
extern std::vector<CavePolygon> m_CavePolygons;
extern std::vector<int> m_PointCounts;     // per file, as read
extern std::vector<int> m_PolygonCounts;

// Cave lists: CAVE_TRIANGLES records, one summary and one buffer per cave, in cave order.
extern std::vector<CaveData> m_CaveData;
extern std::vector<CaveSummary> m_CaveSummaries;
extern std::vector<LPDIRECT3DVERTEXBUFFER9> m_CaveVBs;   // owns the buffers; null if creation failed
extern LPDIRECT3DVERTEXBUFFER9 m_pCaveVB;               // the buffer last created; owns nothing
extern int m_iNumCaves;
extern int m_iCurrentCave;   // the cave the cave editor works on; DeleteCave removes it

// Start-up and shutdown.
void LoadCaveModels();
// The model of direction d was read whole; the fit refuses slopes of an unusable one.
bool IsCaveModelUsable(int d);
void ReleaseCaves();   // the buffers only; records, summaries and models stay

// Fits the model of the tile's slope onto the tile and appends the cave; false when refused
// (a neighbouring cave, a slope under one world unit, no model for the slope).
bool CreateCave(int iTile);
void DeleteCave();

// Accessors for the map file and the map data.
int GetCaveCount();
int GetNumCaves();
int GetCaveDataCount();
CaveData GetCaveData(int i);
CaveSummary GetCaveSummary(int i);
void AddCaveData(CaveData data);
void AddCaveSummary(CaveSummary summary);
void SetCaveCount(int n);
// Empties the records, the summaries and the buffer list, releasing the buffers; a map load
// calls it before appending the file's caves.
void EmptyCaveLists();

int GetCaveFirstTriangle(int n);
int GetCaveTriangleCount(int n);

// Vertex buffers: the newest cave's, every cave's after a map load, and the wrap move.
void LoadCaveVB();
void RebuildCaveVBs();
void UpdateCavePosition(int n);

// Drawing, after the land passes and their state reset.
void RenderCave(int n);
void RenderVisibleCaves();
