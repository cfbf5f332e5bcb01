// The typed map name and the two settings screens: SAVE (type a name, Enter saves) and LOAD
// (the map files of "savegame\", fourteen rows at a time; a click loads one).
// needs: app/{d3dservices,log,msgproc,screenvertex,text}, editor/mapfile
#pragma once

#include <d3d9.h>
#include <vector>

#include "app/msgproc.h"
#include "editor/mapfile.h"

// The current map name: typed on the SAVE screen or set by a load; empty at start.
extern char m_cTypedName[MAX_MAP_NAME + 2];
// Index in the file list of the LOAD screen's first row; clamped to the list every frame.
extern int m_iLoadListTop;

// Rows and their place on the LOAD screen.
const int LOAD_LIST_ROWS = 14;
const int LOAD_LIST_ROW_Y = 335;        // top of row 0
const int LOAD_LIST_ROW_HEIGHT = 15;

// One row of the LOAD screen: a file name with its ".gam", as long as a saved name can be.
struct SaveListEntry
{
    char cName[MAX_MAP_NAME + 5];
};

extern LPDIRECT3DVERTEXBUFFER9 SaveGUIVB;        // the SAVE panel quad
extern LPDIRECT3DVERTEXBUFFER9 LoadGUIVB;        // the LOAD panel quad
extern LPDIRECT3DVERTEXBUFFER9 LoadGUIArrowVB;   // the two arrows, red and green
extern LPDIRECT3DTEXTURE9 m_pSaveGUITexture;     // "textures\settingsave.dds"
extern LPDIRECT3DTEXTURE9 m_pLoadGUITexture;     // "textures\settingload.dds"

// Start-up and shutdown of the screens' buffers and textures.
void RestoreSettingsGUI();
void ReleaseSettingsGUI();

// The SAVE screen's typing, one key-down message (auto-repeats too) at a time, in the order
// pressed: a letter, digit or blank is appended (up to MAX_MAP_NAME characters), Backspace
// takes one away and Enter saves the map under the name.
void GetKeyboardData(char* text, WPARAM key);

// Draw the screens over the frame; the LOAD screen also takes clicks on its arrows and rows.
void RenderSaveScreen();
void RenderLoadScreen();

// The map files of "savegame\" in the order the directory search gives them; files whose
// names do not fit a row or that are not map files are left out, each logged once.
void FindMapFiles(std::vector<SaveListEntry>* pList);

// The LOAD row (0 to 13) under the pointer at (x, y), or -1 outside the rows' bands; row 0
// reaches up to y 321.
int LoadListRowAt(int x, int y);
