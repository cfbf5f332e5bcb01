// The typed map name and the SAVE and LOAD screens, drawn over the map near the screen's
// centre. The LOAD list is searched again whenever the folder changes, so files saved
// meanwhile show at once.
#include "editor/settings.h"

#include <cstdio>
#include <cstring>
#include <string>
#include <mmsystem.h>

#include "app/d3dservices.h"
#include "app/log.h"
#include "app/screenvertex.h"
#include "app/text.h"

char m_cTypedName[MAX_MAP_NAME + 2] = "";
int m_iLoadListTop = 0;

LPDIRECT3DVERTEXBUFFER9 SaveGUIVB = NULL;
LPDIRECT3DVERTEXBUFFER9 LoadGUIVB = NULL;
LPDIRECT3DVERTEXBUFFER9 LoadGUIArrowVB = NULL;
LPDIRECT3DTEXTURE9 m_pSaveGUITexture = NULL;
LPDIRECT3DTEXTURE9 m_pLoadGUITexture = NULL;

// Files left out of the LOAD list and already logged, so each is logged once, not per frame.
static std::vector<std::string> s_skippedFiles;
// The LOAD list as last searched, with the folder's write time and the clock (ms) then.
// A folder of hundreds of files takes milliseconds to search, too long for every frame.
static std::vector<SaveListEntry> s_loadList;
static FILETIME s_ftListedFolder = {0, 0};
static DWORD s_dwListTime = 0;
static bool s_bListed = false;

// The arrows' four quads in LoadGUIArrowVB: red and green up, red and green down.
static const int ARROW_UP = 0, ARROW_UP_LIT = 4, ARROW_DOWN = 8, ARROW_DOWN_LIT = 12;

// The character a key types: letters upper case, the main keyboard's digits, the blank; 0 for
// any other key.
static char TypedCharacter(WPARAM key)
{
    if ((key >= 'A' && key <= 'Z') || (key >= '0' && key <= '9'))
        return (char)key;
    return key == VK_SPACE ? ' ' : '\0';
}

void GetKeyboardData(char* text, WPARAM key)
{
    const size_t n = strnlen(text, MAX_MAP_NAME);
    text[n] = '\0';
    const char c = TypedCharacter(key);
    // A full name takes no more characters; Backspace makes room.
    if (c != '\0' && n < (size_t)MAX_MAP_NAME)
    {
        text[n] = c;
        text[n + 1] = '\0';
    }
    else if (key == VK_BACK && n > 0)
        text[n - 1] = '\0';
    else if (key == VK_RETURN && m_siScreenMode == 1)
        SaveData(false, text);
}

static void WritePanelQuad(LPDIRECT3DVERTEXBUFFER9 pVB, float x0, float y0, float x1, float y1)
{
    TexScreenVertex* pV = (TexScreenVertex*)LockWholeBuffer(pVB);
    if (pV == NULL)
        return;
    pV[0] = {x0, y0, 0.0f, 0.1f, 0.0f, 0.0f};
    pV[1] = {x1, y0, 0.0f, 0.1f, 1.0f, 0.0f};
    pV[2] = {x1, y1, 0.0f, 0.1f, 1.0f, 1.0f};
    pV[3] = {x0, y1, 0.0f, 0.1f, 0.0f, 1.0f};
    pVB->Unlock();
}

static void WriteArrowQuads(LPDIRECT3DVERTEXBUFFER9 pVB)
{
    ColorScreenVertex* pV = (ColorScreenVertex*)LockWholeBuffer(pVB);
    if (pV == NULL)
        return;
    const float fTop[4] = {355.0f, 355.0f, 510.0f, 510.0f};
    const float fBottom[4] = {375.0f, 375.0f, 525.0f, 525.0f};
    const DWORD dwColour[4] = {0xFFFF0000, 0xFF00FF00, 0xFFFF0000, 0xFF00FF00};
    for (int q = 0; q < 4; q++)
    {
        pV[4 * q + 0] = {640.0f, fTop[q], 0.0f, 1.0f, dwColour[q]};
        pV[4 * q + 1] = {655.0f, fTop[q], 0.0f, 1.0f, dwColour[q]};
        pV[4 * q + 2] = {655.0f, fBottom[q], 0.0f, 1.0f, dwColour[q]};
        pV[4 * q + 3] = {640.0f, fBottom[q], 0.0f, 1.0f, dwColour[q]};
    }
    pVB->Unlock();
}

static bool CreateBuffer(UINT uBytes, DWORD dwFVF, LPDIRECT3DVERTEXBUFFER9* ppVB,
                         const char* failure)
{
    if (m_pDevice == NULL ||
        FAILED(m_pDevice->CreateVertexBuffer(uBytes, D3DUSAGE_WRITEONLY, dwFVF, D3DPOOL_MANAGED,
                                             ppVB, NULL)))
    {
        *ppVB = NULL;
        LogError(failure);
        return false;
    }
    return true;
}

void RestoreSettingsGUI()
{
    ReleaseSettingsGUI();
    if (CreateBuffer(4 * sizeof(TexScreenVertex), D3DFVF_TEXSCREENVERTEX, &SaveGUIVB,
                     "Failed to restore SaveGUIVB "))
        WritePanelQuad(SaveGUIVB, 400.0f, 300.0f, 705.0f, 371.0f);
    if (FAILED(LoadTextureFile("textures\\settingsave.dds", D3DFMT_UNKNOWN, 0,
                               &m_pSaveGUITexture)))
        LogError("Failed to load gui texture settingsave.dds ");
    if (CreateBuffer(4 * sizeof(TexScreenVertex), D3DFVF_TEXSCREENVERTEX, &LoadGUIVB,
                     "Failed to restore LoadGUIVB "))
        WritePanelQuad(LoadGUIVB, 400.0f, 300.0f, 656.0f, 556.0f);
    if (CreateBuffer(16 * sizeof(ColorScreenVertex), D3DFVF_COLORSCREENVERTEX, &LoadGUIArrowVB,
                     "Failed to restore LoadGUIArrowVB "))
        WriteArrowQuads(LoadGUIArrowVB);
    if (FAILED(LoadTextureFile("textures\\settingload.dds", D3DFMT_UNKNOWN, 0,
                               &m_pLoadGUITexture)))
        LogError("Failed to load gui texture settingload.dds ");
}

void ReleaseSettingsGUI()
{
    ReleaseAndClear(SaveGUIVB);
    ReleaseAndClear(m_pSaveGUITexture);
    ReleaseAndClear(LoadGUIVB);
    ReleaseAndClear(m_pLoadGUITexture);
    ReleaseAndClear(LoadGUIArrowVB);
}

// A panel image, blended over what is drawn already.
static void DrawPanel(LPDIRECT3DVERTEXBUFFER9 pVB, LPDIRECT3DTEXTURE9 pTexture)
{
    if (pVB == NULL)
        return;
    m_pDevice->SetRenderState(D3DRS_ALPHABLENDENABLE, TRUE);
    m_pDevice->SetRenderState(D3DRS_SRCBLEND, D3DBLEND_SRCALPHA);
    m_pDevice->SetRenderState(D3DRS_DESTBLEND, D3DBLEND_INVSRCALPHA);
    m_pDevice->SetTexture(0, pTexture);
    m_pDevice->SetFVF(D3DFVF_TEXSCREENVERTEX);
    m_pDevice->SetStreamSource(0, pVB, 0, sizeof(TexScreenVertex));
    m_pDevice->DrawPrimitive(D3DPT_TRIANGLEFAN, 0, 2);
    m_pDevice->SetRenderState(D3DRS_ALPHABLENDENABLE, FALSE);
}

void RenderSaveScreen()
{
    DrawPanel(SaveGUIVB, m_pSaveGUITexture);
    DrawString(455, 309, "SETTINGS --> SAVE");
    DrawString(415, 345, m_cTypedName);
}

static void LogSkippedOnce(const char* name, const char* reason)
{
    for (const std::string& s : s_skippedFiles)
        if (s == name)
            return;
    s_skippedFiles.push_back(name);
    std::string line = "LOAD screen: left out " +
                       QuoteForLog(std::string("savegame\\") + name, 80) + ": " + reason;
    LogError(line.c_str());
}

// The search pattern also matches through short names (a ".gamex" file's short name ends in
// ".GAM"), so the long name is checked too.
static bool IsMapFileName(const char* name)
{
    size_t len = strlen(name);
    return len >= 4 && _stricmp(name + len - 4, ".gam") == 0;
}

void FindMapFiles(std::vector<SaveListEntry>* pList)
{
    pList->clear();
    WIN32_FIND_DATAA fd;
    HANDLE hFind = FindFirstFileA("savegame\\*.gam", &fd);
    if (hFind == INVALID_HANDLE_VALUE)
        return;
    do
    {
        if (fd.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY)
            continue;
        if (!IsMapFileName(fd.cFileName))
            LogSkippedOnce(fd.cFileName, "not a map file (its name does not end in .gam)");
        else if (strlen(fd.cFileName) >= sizeof(SaveListEntry().cName))
            LogSkippedOnce(fd.cFileName, "the name is longer than a saved map's name can be");
        else if (IsDeviceName(fd.cFileName))
            LogSkippedOnce(fd.cFileName, "Windows keeps the name for a device");
        else
        {
            SaveListEntry e;
            strcpy(e.cName, fd.cFileName);
            pList->push_back(e);
        }
    } while (FindNextFileA(hFind, &fd));
    FindClose(hFind);
}

// Truncated toward zero, so the 14 pixels above row 0 belong to row 0 as well.
int LoadListRowAt(int x, int y)
{
    if (x <= 400 || x >= 635 || y <= LOAD_LIST_ROW_Y - LOAD_LIST_ROW_HEIGHT)
        return -1;
    int iRow = (y - LOAD_LIST_ROW_Y) / LOAD_LIST_ROW_HEIGHT;
    return iRow < LOAD_LIST_ROWS ? iRow : -1;
}

// A click the screen takes is taken whole: the button still held must not reach the editor
// once the screen has gone.
static void TakeClick()
{
    SMD.bLeftClick = false;
    SMD.bLeftDown = false;
}

// An arrow under the pointer turns green and takes the click, whether or not the list moves.
static void DrawArrow(int iTop, int iBottom, int iRed, int iGreen, int iStep, int iMaxTop)
{
    bool bUnder = SMD.siX > 645 && SMD.siX < 655 && SMD.siY >= iTop && SMD.siY <= iBottom;
    if (bUnder && SMD.bLeftClick)
    {
        m_iLoadListTop += iStep;
        if (m_iLoadListTop < 0)
            m_iLoadListTop = 0;
        if (m_iLoadListTop > iMaxTop)
            m_iLoadListTop = iMaxTop;
        TakeClick();
    }
    m_pDevice->DrawPrimitive(D3DPT_TRIANGLEFAN, bUnder ? iGreen : iRed, 2);
}

static void DrawArrows(int iMaxTop)
{
    if (LoadGUIArrowVB == NULL)
        return;
    m_pDevice->SetTexture(0, NULL);
    m_pDevice->SetFVF(D3DFVF_COLORSCREENVERTEX);
    m_pDevice->SetStreamSource(0, LoadGUIArrowVB, 0, sizeof(ColorScreenVertex));
    DrawArrow(355, 370, ARROW_UP, ARROW_UP_LIT, -1, iMaxTop);
    DrawArrow(510, 525, ARROW_DOWN, ARROW_DOWN_LIT, 1, iMaxTop);
}

// The clicked map replaces the one shown and its name becomes current; a file that does not
// load leaves both as they were.
static void LoadListedMap(const SaveListEntry& e)
{
    TakeClick();
    if (!LoadData(e.cName))
        return;
    size_t len = strlen(e.cName) - 4;
    memcpy(m_cTypedName, e.cName, len);
    m_cTypedName[len] = '\0';
}

// The search again when a file came, went or was renamed (the folder's write time moved), and
// at least once a second for file systems that do not move it.
static const std::vector<SaveListEntry>& LoadList()
{
    WIN32_FILE_ATTRIBUTE_DATA fad;
    FILETIME ft = {0, 0};
    if (GetFileAttributesExA("savegame", GetFileExInfoStandard, &fad))
        ft = fad.ftLastWriteTime;
    DWORD dwNow = timeGetTime();
    if (!s_bListed || CompareFileTime(&ft, &s_ftListedFolder) != 0 || dwNow - s_dwListTime >= 1000)
    {
        FindMapFiles(&s_loadList);
        s_ftListedFolder = ft;
        s_dwListTime = dwNow;
        s_bListed = true;
    }
    return s_loadList;
}

void RenderLoadScreen()
{
    const std::vector<SaveListEntry>& list = LoadList();
    const int n = (int)list.size();
    const int iMaxTop = n > LOAD_LIST_ROWS ? n - LOAD_LIST_ROWS : 0;
    if (m_iLoadListTop > iMaxTop)
        m_iLoadListTop = iMaxTop;
    if (m_iLoadListTop < 0)
        m_iLoadListTop = 0;

    DrawArrows(iMaxTop);
    // The panel covers the arrows but for their shapes.
    DrawPanel(LoadGUIVB, m_pLoadGUITexture);
    DrawString(455, 308, "SETTINGS --> LOAD");

    const int iRows = n < LOAD_LIST_ROWS ? n : LOAD_LIST_ROWS;
    const int iUnder = LoadListRowAt(SMD.siX, SMD.siY);
    for (int i = 0; i < iRows; i++)
    {
        const SaveListEntry& e = list[m_iLoadListTop + i];
        const int y = LOAD_LIST_ROW_Y + LOAD_LIST_ROW_HEIGHT * i;
        if (i != iUnder)
        {
            DrawStringRGB(420, y, e.cName, 255, 0, 0);
            continue;
        }
        DrawStringRGB(420, y, e.cName, 0, 255, 0);
        if (SMD.bLeftClick)
        {
            LoadListedMap(e);
            return;
        }
    }
}
