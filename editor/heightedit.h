// Height painting: the selected corner set, raised or lowered, its surroundings pulled
// toward it, and the land rebuilt.
// needs: terrain/{mapdata,mapupdate,view}, editor/landedit
#pragma once

const short MAX_HEIGHT = 256;   // corner heights stay within 0 to 256

// Absolute: the selected corner becomes siValue; relative: siValue is added, a raise past
// 256 refused whole and a lowering below 0 cut to 0. Then smooths and rebuilds the view.
// Nothing happens while no corner is selected.
void PaintHeight(short siValue, bool bAbsolute);

// Keeps the corners of the four rings round the selected corner within 50 per ring of it.
void SmoothAroundCorner();

// Moves corner (nx, nz) to within iLimit of corner (cx, cz), no further.
void ClampNeighbourHeight(int cx, int cz, int nx, int nz, int iLimit);
