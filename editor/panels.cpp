// The editor's 2-D panels. Nothing is drawn yet; the editor already tells them when to refill.
#include "editor/panels.h"

void BuildLandEditGUI()
{
}

void UpdateTexturePreview()
{
}
