// Puts the map into a known state for the terrain and cave tests.
#pragma once

// Every corner at height 0, every tile land with no cave and not displayable, no wrap offsets.
void FlattenMap();

// FlattenMap with the cave lists emptied, no current cave and a fresh log.
void FlattenMapWithoutCaves();
