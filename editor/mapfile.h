// The map file: the whole map as text in "savegame\", under a typed name or as the backup.
// needs: app/{log,msgproc},
//        terrain/{cavebuffers,caveedit,cavemodels,caves,mapdata,mapupdate,minimap,view}
#pragma once

const int MAX_MAP_NAME = 30;   // characters of a typed map name

// True for a name Windows keeps for a device (CON, PRN, AUX, NUL, COM1-9, LPT1-9, in any
// case, with or without more after a dot): such a name never becomes a map file.
bool IsDeviceName(const char* name);

// Writes the current map to "savegame\VEZIDI.bak" when bBackup, else to
// "savegame\<text>.gam", where text is the current map name (m_cTypedName). A named save
// switches to the game screen unless the name is refused; the backup leaves the screen as it
// is, and writes nothing while the map is the one last started, loaded or written. A run's
// first backup moves the one an earlier run left to "savegame\VEZIDI.old" first.
void SaveData(bool bBackup, const char* text);

// For tests: the next backup is the first of a new run.
void StartNewRunForBackup();

// The map as it stands counts as saved, as the blank map at start-up.
void MarkMapSaved();

// Reads "savegame\<fileName>" whole and only then replaces the map, its texture coordinates
// and its caves, after writing the backup of the map it replaces; a file that cannot be read
// completely leaves everything as it was. Switches to the game screen. True when the map was
// replaced.
bool LoadData(const char* fileName);
