// Puts the map into a known state for the terrain and cave tests.
#pragma once

// What the terrain draws with, started as the program starts it: font, cursor, camera, map
// data and land textures (with the first map update). Call after DeviceTest's set-up.
void StartTerrain();

// Every corner at height 0, every tile land with no cave and not displayable, no wrap offsets.
void FlattenMap();

// FlattenMap with the cave lists emptied, no current cave and a fresh log.
void FlattenMapWithoutCaves();

// Every tile's base texture 64 and no alpha texture, neither layer turned or mirrored, and
// every tile split the same way: the blank map's textures.
void BlankTileTextures();
