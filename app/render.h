// The frame renderer.
#pragma once

void Render();
