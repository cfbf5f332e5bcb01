// The typed map name through held keys, and the LOAD list: which files it lists, its scrolling
// limits, its row bands and what a click on a row does to the map and the name.
#include "support/devicefixture.h"

#include <algorithm>
#include <fstream>
#include <memory>
#include <string>

#include "app/camera.h"
#include "app/d3dservices.h"
#include "app/frame.h"
#include "app/log.h"
#include "editor/landedit.h"
#include "editor/mapfile.h"
#include "editor/settings.h"
#include "support/flatmap.h"
#include "support/readback.h"
#include "terrain/mapdata.h"
#include "terrain/mapupdate.h"

static void SendKey(WORD wVk, bool bUp)
{
    INPUT in = {};
    in.type = INPUT_KEYBOARD;
    in.ki.wVk = wVk;
    in.ki.dwFlags = bUp ? KEYEVENTF_KEYUP : 0;
    SendInput(1, &in, sizeof(INPUT));
    for (int i = 0; i < 100 && ((GetAsyncKeyState(wVk) & 0x8000) != 0) == bUp; i++)
        Sleep(10);
}

static bool FileExists(const std::string& path)
{
    return GetFileAttributesA(path.c_str()) != INVALID_FILE_ATTRIBUTES;
}

static void WriteFile(const std::string& path, const std::string& text)
{
    std::ofstream(path, std::ios::binary) << text;
}

static void EmptySaveFolder()
{
    WIN32_FIND_DATAA fd;
    HANDLE h = FindFirstFileA("savegame\\*", &fd);
    if (h == INVALID_HANDLE_VALUE)
        return;
    do
    {
        std::string path = std::string("savegame\\") + fd.cFileName;
        if (fd.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY)
        {
            if (fd.cFileName[0] != '.')
                RemoveDirectoryA(path.c_str());
        }
        else
            DeleteFileA(path.c_str());
    } while (FindNextFileA(h, &fd));
    FindClose(h);
}

class Settings : public DeviceTest
{
protected:
    static void SetUpTestSuite()
    {
        DeviceTest::SetUpTestSuite();
        InitMapData();
        InitCamera();
        RestoreSettingsGUI();
    }
};

class TypedName : public Settings
{
protected:
    void SetUp() override
    {
        SetForegroundWindow(m_hWnd);
        InitErrorLog();
        m_siScreenMode = 1;
    }
    void TearDown() override { DrainQueue(); }

    // The typing step for each of the keys given, in order.
    static void Type(const char* name, std::initializer_list<WORD> keys)
    {
        strcpy(m_cTypedName, name);
        for (WORD k : keys)
            GetKeyboardData(m_cTypedName, k);
    }
};

TEST_F(TypedName, EachKeyAddsItsCharacterInTheOrderPressed)
{
    Type("AB", {'B', 'A'});
    EXPECT_STREQ(m_cTypedName, "ABBA");
    Type("", {'1', 'B'});
    EXPECT_STREQ(m_cTypedName, "1B");
    Type("X", {VK_SPACE, '7'});
    EXPECT_STREQ(m_cTypedName, "X 7");
    Type("X", {VK_SPACE});
    EXPECT_STREQ(m_cTypedName, "X ");
    Type("", {VK_SHIFT, 'Q'});
    EXPECT_STREQ(m_cTypedName, "Q") << "always upper case";

    Type("X", {VK_NUMPAD7});
    EXPECT_STREQ(m_cTypedName, "X");
}

TEST_F(TypedName, BackspaceTakesTheLastCharacterAndAnEmptyNameStaysEmpty)
{
    Type("HILL", {VK_BACK});
    EXPECT_STREQ(m_cTypedName, "HIL");
    Type("", {VK_BACK});
    EXPECT_STREQ(m_cTypedName, "");
    Type("A", {VK_BACK, 'Z'});
    EXPECT_STREQ(m_cTypedName, "Z") << "Backspace takes its turn";
}

TEST_F(TypedName, AFullNameOfThirtyCharactersTakesNoMore)
{
    const std::string full(30, 'W');
    Type(full.c_str(), {'Q'});
    EXPECT_EQ(std::string(m_cTypedName), full);
    Type((full.substr(0, 29)).c_str(), {'Q'});
    EXPECT_EQ(std::string(m_cTypedName), full.substr(0, 29) + "Q");
}

TEST_F(TypedName, EnterSavesUnderTheNameTheEmptyOneTooButNeverUnderADeviceName)
{
    DeleteFileA("savegame\\TWO HILLS.gam");
    Type("TWO HILLS", {VK_RETURN});
    EXPECT_TRUE(FileExists("savegame\\TWO HILLS.gam"));
    EXPECT_EQ(m_siScreenMode, 2);
    EXPECT_STREQ(m_cTypedName, "TWO HILLS");

    DeleteFileA("savegame\\.gam");
    m_siScreenMode = 1;
    Type("", {VK_RETURN});
    EXPECT_TRUE(FileExists("savegame\\.gam"));
    EXPECT_EQ(m_siScreenMode, 2);

    // Opening a device would block the save and, 15 seconds on, close the program.
    m_siScreenMode = 1;
    InitErrorLog();
    Type("AUX", {VK_RETURN});
    EXPECT_EQ(m_siScreenMode, 1) << "the user can still mend the name";
    EXPECT_EQ(ReadLog().size(), 2u) << "one line for the refusal";
    EXPECT_EQ(ReadLog().back(), "SaveData: the name \"AUX\" is one Windows keeps for a device");
    for (const char* name : {"com7", "Lpt1 .OLD", "nul.x.y"})
        EXPECT_TRUE(IsDeviceName(name)) << name;
    for (const char* name : {"COM0", "COM10", "AUXILIARY", " CON"})
        EXPECT_FALSE(IsDeviceName(name)) << name;

    DeleteFileA("savegame\\TWO HILLS.gam");
    m_siScreenMode = 0;
    Type("TWO HILLS", {VK_RETURN});
    EXPECT_FALSE(FileExists("savegame\\TWO HILLS.gam")) << "Enter saves only on the SAVE screen";
}

// Typed as people type, through the window with no frame between: U goes down before O is up.
TEST_F(TypedName, OverlappingKeysAreTypedInTheOrderPressedOnlyOnTheSaveScreen)
{
    for (short siMode = 0; siMode <= 2; siMode++)
    {
        m_siScreenMode = siMode;
        m_cTypedName[0] = '\0';
        for (WORD k : {'O', 'U'})
        {
            SendKey(k, false);
            MSG msg;
            while (PeekMessageA(&msg, NULL, WM_KEYFIRST, WM_KEYLAST, PM_REMOVE))
                DispatchMessageA(&msg);
        }
        SendKey('O', true);
        SendKey('U', true);
        EXPECT_STREQ(m_cTypedName, siMode == 1 ? "OU" : "") << "mode " << siMode;
    }
    m_bKeyDown = false;
    m_cTypedName[0] = '\0';
}

class LoadList : public Settings
{
protected:
    void SetUp() override
    {
        EmptySaveFolder();
        FlattenMapWithoutCaves();
        m_siScreenMode = 0;
        m_iLoadListTop = 0;
        m_cTypedName[0] = '\0';
        SMD = MouseData();
    }

    // n map files of the blank map, named M00.gam on.
    static void MakeMapFiles(int n)
    {
        SaveData(false, "M00");
        for (int i = 1; i < n; i++)
        {
            char cName[40];
            snprintf(cName, sizeof(cName), "savegame\\M%02d.gam", i);
            CopyFileA("savegame\\M00.gam", cName, FALSE);
        }
        m_siScreenMode = 0;
    }

    // One LOAD screen with the pointer at (x, y), clicked or not.
    static void ShowLoadScreen(int x, int y, bool bClick)
    {
        SMD.siX = (short)x;
        SMD.siY = (short)y;
        SMD.bLeftClick = SMD.bLeftDown = bClick;
        m_pDevice->BeginScene();
        RenderLoadScreen();
        m_pDevice->EndScene();
    }

    static std::vector<std::string> ListedNames()
    {
        std::vector<SaveListEntry> list;
        FindMapFiles(&list);
        std::vector<std::string> names;
        for (const SaveListEntry& e : list)
            names.push_back(e.cName);
        return names;
    }
};

TEST_F(LoadList, ScrollsThroughManyFilesAndTheArrowsTakeClicksAtTheEnds)
{
    MakeMapFiles(20);
    ShowLoadScreen(650, 360, true);
    EXPECT_EQ(m_iLoadListTop, 0);
    EXPECT_FALSE(SMD.bLeftClick) << "the up arrow takes the click at the top";
    for (int i = 1; i <= 8; i++)
    {
        ShowLoadScreen(650, 515, true);
        EXPECT_FALSE(SMD.bLeftClick);
        EXPECT_EQ(m_iLoadListTop, i < 6 ? i : 6) << "the last fourteen files end the list";
    }
    ShowLoadScreen(650, 355, true);
    EXPECT_EQ(m_iLoadListTop, 5);
    ShowLoadScreen(655, 360, true);
    EXPECT_EQ(m_iLoadListTop, 5) << "the hit box ends inside the drawn arrow";
    EXPECT_TRUE(SMD.bLeftClick);
    EXPECT_EQ(m_siScreenMode, 0);
}

TEST_F(LoadList, AFewFilesDoNotScrollAndAStaleTopIsClamped)
{
    MakeMapFiles(5);
    m_iLoadListTop = 9;
    ShowLoadScreen(500, 200, false);
    EXPECT_EQ(m_iLoadListTop, 0);
    ShowLoadScreen(650, 520, true);
    EXPECT_EQ(m_iLoadListTop, 0);
    EXPECT_FALSE(SMD.bLeftClick);
    m_iLoadListTop = -3;
    ShowLoadScreen(500, 200, false);
    EXPECT_EQ(m_iLoadListTop, 0);
}

TEST_F(LoadList, RowsAreFifteenPixelBandsTheFirstReachingUpIntoTheTitleBand)
{
    EXPECT_EQ(LoadListRowAt(500, 320), -1) << "the title band above the rows";
    EXPECT_EQ(LoadListRowAt(500, 321), 0) << "row 0 reaches 14 pixels above its text";
    EXPECT_EQ(LoadListRowAt(500, 334), 0);
    EXPECT_EQ(LoadListRowAt(500, 335), 0);
    EXPECT_EQ(LoadListRowAt(500, 349), 0);
    EXPECT_EQ(LoadListRowAt(500, 350), 1);
    EXPECT_EQ(LoadListRowAt(500, 544), 13);
    EXPECT_EQ(LoadListRowAt(500, 545), -1);
    EXPECT_EQ(LoadListRowAt(400, 400), -1);
    EXPECT_EQ(LoadListRowAt(401, 400), 4);
    EXPECT_EQ(LoadListRowAt(634, 400), 4);
    EXPECT_EQ(LoadListRowAt(635, 400), -1);
}

TEST_F(LoadList, AClickOnARowLoadsThatMapAndMakesItsNameCurrent)
{
    MakeMapFiles(16);
    std::unique_ptr<MapData> pData(new MapData(GetMapData()));
    for (int x = 0; x < MAP_SIZE; x++)
        for (int z = 0; z < MAP_SIZE; z++)
            pData->siAlphaTexture[x][z] = 128;   // no alpha texture
    pData->siHeight[7][9] = 200;
    SetMapData(*pData);
    SaveData(false, "PEAK");
    FlattenMapWithoutCaves();
    m_siScreenMode = 0;
    std::vector<std::string> names = ListedNames();
    ASSERT_EQ(names.size(), 17u);
    int iPeak = (int)(std::find(names.begin(), names.end(), "PEAK.gam") - names.begin());
    m_iLoadListTop = iPeak > 13 ? iPeak - 13 : 0;
    ShowLoadScreen(500, 338 + 15 * (iPeak - m_iLoadListTop), true);
    EXPECT_EQ(GetMapData().siHeight[7][9], 200);
    EXPECT_STREQ(m_cTypedName, "PEAK");
    EXPECT_EQ(m_siScreenMode, 2);
    EXPECT_FALSE(SMD.bLeftClick);
    EXPECT_FALSE(SMD.bLeftDown) << "the held button must not paint on the game screen";

    m_siScreenMode = 0;
    ShowLoadScreen(500, 320, true);
    EXPECT_EQ(m_siScreenMode, 0) << "a click on the title loads nothing";
}

TEST_F(LoadList, AClickOnADamagedFileChangesNeitherTheMapNorTheName)
{
    WriteFile("savegame\\BROKEN.gam", "123\n32\n0 0 0 64 0 0 0 0 128 0 0\n");
    std::unique_ptr<MapData> pData(new MapData(GetMapData()));
    pData->siHeight[3][3] = 77;
    SetMapData(*pData);
    strcpy(m_cTypedName, "MINE");
    m_siEditTool = TOOL_PAINT_TEXTURE;
    m_siSelectedTexture = 40;
    InitErrorLog();

    // A whole frame: the editor behind the screen sees the button too.
    SMD.siX = 500;
    SMD.siY = 340;
    SMD.bLeftClick = SMD.bLeftDown = true;
    ZANRun();
    int w, h;
    RenderFrame(&w, &h);
    SMD = MouseData();
    std::unique_ptr<MapData> pAfter(new MapData(GetMapData()));
    EXPECT_EQ(memcmp(pAfter->siHeight, pData->siHeight, sizeof(pData->siHeight)), 0);
    EXPECT_EQ(memcmp(pAfter->siBaseTexture, pData->siBaseTexture,
                     sizeof(pData->siBaseTexture)), 0) << "the click painted the map behind";
    EXPECT_STREQ(m_cTypedName, "MINE") << "a later save must not overwrite the damaged file";
    const std::string line = ReadLog().back();
    EXPECT_EQ(line.rfind("LoadData: savegame\\BROKEN.gam line 4", 0), 0u) << line;
    EXPECT_NE(line.find("; the map is unchanged"), std::string::npos) << line;
}

TEST_F(LoadList, NamesThatAreNoMapOrTooLongAreLeftOutAndLoggedOnce)
{
    MakeMapFiles(1);
    const std::string longName(31, 'L');   // one more than a typed name can hold
    WriteFile("savegame\\" + longName + ".gam", "0\n");
    CreateDirectoryA("savegame\\FOLDER.gam", NULL);
    InitErrorLog();

    EXPECT_EQ(ListedNames(), std::vector<std::string>{"M00.gam"});
    EXPECT_EQ(ListedNames(), std::vector<std::string>{"M00.gam"});
    std::vector<std::string> log = ReadLog();
    ASSERT_EQ(log.size(), 2u);
    EXPECT_EQ(log[1], "LOAD screen: left out \"savegame\\" + longName +
                          ".gam\": the name is longer than a saved map's name can be");

    const std::string full(30, 'F');
    WriteFile("savegame\\" + full + ".gam", "0\n");
    EXPECT_EQ(ListedNames().size(), 2u) << "every name the SAVE screen can write is listed";
}

TEST_F(LoadList, ReleasingTwiceIsHarmlessAndRestoringAgainWorks)
{
    ReleaseSettingsGUI();
    ReleaseSettingsGUI();
    EXPECT_EQ(LoadGUIVB, (LPDIRECT3DVERTEXBUFFER9)NULL);
    EXPECT_EQ(m_pSaveGUITexture, (LPDIRECT3DTEXTURE9)NULL);
    InitErrorLog();
    RestoreSettingsGUI();
    EXPECT_NE(LoadGUIArrowVB, (LPDIRECT3DVERTEXBUFFER9)NULL);
    EXPECT_NE(m_pLoadGUITexture, (LPDIRECT3DTEXTURE9)NULL);
    EXPECT_EQ(ReadLog().size(), 1u);
}
