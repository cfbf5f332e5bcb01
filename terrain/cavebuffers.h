// Cave vertex buffers: one buffer per cave, filled from its records at its wrap offsets and
// moved with them, and the drawing of the visible caves after the land.
// needs: app/{d3dservices,log},
//        terrain/{caveoverlays,caves,landbuffers,landpasses,landtextures,mapdata,view},
//        editor/landedit
#pragma once

#include <vector>

#include <d3d9.h>

extern std::vector<LPDIRECT3DVERTEXBUFFER9> m_CaveVBs;   // owns the buffers; null if creation failed
extern LPDIRECT3DVERTEXBUFFER9 m_pCaveVB;               // the buffer last created; owns nothing

// The newest cave's buffer, every cave's after a map load (then the land), and the wrap move.
void LoadCaveVB();
void RebuildCaveVBs();
void UpdateCavePosition(int n);

// Drawing, after the land passes and their state reset.
void RenderCave(int n);
void RenderVisibleCaves();

// Releases cave n's buffer and takes it out of the list, as its cave is deleted.
void RemoveCaveVB(int n);
// Empties the records, the summaries and the buffer list, releasing the buffers; a map load
// calls it before appending the file's caves.
void EmptyCaveLists();
void ReleaseCaves();   // the buffers and the editing overlays; records, summaries and models stay
