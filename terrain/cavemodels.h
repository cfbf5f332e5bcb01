// Cave models: the four model files, one per direction of a tile's slope, read at start-up.
// needs: app/log, terrain/caveoverlays
#pragma once

#include <vector>

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

// Model lists, filled once by LoadCaveModels, in direction order.
extern std::vector<CavePoint> m_CavePoints;
extern std::vector<CavePolygon> m_CavePolygons;
extern std::vector<int> m_PointCounts;     // per file, as read
extern std::vector<int> m_PolygonCounts;

// Reads the four files; an unusable one logs why and keeps its place with zeros.
void LoadCaveModels();
// The model of direction d was read whole; the fit refuses slopes of an unusable one.
bool IsCaveModelUsable(int d);
