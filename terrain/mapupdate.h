// The map update: everything that rebuilds the drawn land after something changed (the
// camera moved, a map was loaded, a cave was added or removed, a switch that needs a build),
// from the recount of the visible tiles to the land's vertex buffers.
// needs: app/{d3dservices,log},
//        terrain/{cavebuffers,cavebuild,caves,landbuffers,landtextures,mapdata,minimap,view}
#pragma once

#include "terrain/mapdata.h"

// Start-up and shutdown of the map's device objects; InitMapData also builds the slot tables.
int InitMapData();
void CloseMapData();

// Writes the blank map, loads the 129 land textures and runs the first map update.
void LoadLandTextures();

// The whole update, run on every camera move: wrap offsets, projection, displayable tiles,
// mini map, counts, land build.
void CalculateScreenPosition();

// Sorts the displayable tiles into land batches and the visible-cave list, moving each
// visible cave to its tile's wrap offsets.
void CountTilesForTexture();

// A copy in of the whole block that re-marks the tiles and rebuilds the land.
void SetMapData(const MapData& data);

// Caves on tiles: builds a cave on a tile that holds none and marks the tile; unmarks a tile
// and renumbers the caves after it. Both recount and rebuild the land.
void AddCaveAtTile(int iIndex);
void RemoveCaveAtTile(int iIndex);
// Removes the current cave's records, summary and buffer, then its tile's mark.
void DeleteCave();

// Switches whose change needs a build (keys H and G).
void ToggleMiniMapMode();
void ToggleGrid();
