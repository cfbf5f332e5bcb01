// The texture-corner selector over the two previews of the selected tile.
#pragma once

#include "terrain/mapdata.h"

// May move corners of either record of the selected tile under the pointer.
void UpdateCornerSelector(TileTexCoords* pBase, TileTexCoords* pAlpha);
