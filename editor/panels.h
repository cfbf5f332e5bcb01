// The editor's 2-D panels: tool palette, texture strip and the selected tile's previews.
#pragma once

// Refills the strip and the tool and texture frames after the tool, texture or page changed.
void BuildLandEditGUI();
// Refills the two previews after a tool picked a tile.
void UpdateTexturePreview();
