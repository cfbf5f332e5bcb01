// Cave construction: fits the model of a tile's slope onto the tile and appends the cave.
// needs: app/log, terrain/{cavebuffers,cavemodels,caves,landtextures,mapdata,view}
#pragma once

// Levels the tile's two lowest corners, bends the model onto the corner heights, appends the
// records and summary and builds the cave's buffer; false when refused (a neighbouring cave,
// a slope under one world unit, no model for the slope).
bool CreateCave(int iTile);
