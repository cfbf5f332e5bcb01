// Tile texture tools: painting, rotating and mirroring a tile's layers, flipping its split,
// flooding the map; each rebuilds the land it changed.
// needs: app/msgproc, terrain/{landbuffers,landtextures,mapdata,mapupdate,view}
#pragma once

// Base numbers (multiples of 8) paint the base layer, others the alpha layer; 128 clears
// the alpha layer. Painting the base a tile already has changes nothing.
void PaintTileTexture(int iTexture, int iTile);
// Every base layer to the texture's group base, or with 128 every alpha layer cleared.
void FloodTexture(int iTexture);

// The base layer, or the alpha layer while the right button is held or just clicked.
void RotateTileTexture(int iTile);
void FlipTileTextureX(int iTile);
void FlipTileTextureZ(int iTile);

void FlipTileTriangle(int iTile);

int GetTileBaseTexture(int iTile);
int GetTileAlphaTexture(int iTile);
