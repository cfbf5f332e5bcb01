// The frame renderer.
// needs: app/{camera,cursor,d3dservices,devicelost,frame,log,msgproc,renderstates,text},
//        terrain/{cavebuffers,caveedit,landpasses,mapdata,minimap,view},
//        editor/{editpanels,landedit,settings}
#pragma once

#include <windows.h>

extern int m_iTilesShown;   // land tiles drawn this frame; shown, then 0 again

// Draws one whole frame and presents it; clears the frame's click flags.
void Render();

// The float's 32 bits unchanged, for the float render states (fog).
DWORD FloatToDword(float f);
