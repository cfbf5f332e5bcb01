// The texture-corner selector. It moves no corner yet.
#include "editor/cornerselector.h"

void UpdateCornerSelector(TileTexCoords*, TileTexCoords*)
{
}
