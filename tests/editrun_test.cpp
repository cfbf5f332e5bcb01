// zan.exe edited as a user edits it: real clicks and keys paint a tile, pick a corner and
// raise it, and Escape leaves the edits in the backup map.
#include <gtest/gtest.h>

#include <fstream>
#include <sstream>
#include <string>
#include <vector>
#include <windows.h>

#include "support/zanprocess.h"

// Keys arrive as messages, taken in the order they are sent, clicks included.
static void Key(WORD vk)
{
    INPUT in[2] = {};
    in[0].type = in[1].type = INPUT_KEYBOARD;
    in[0].ki.wVk = in[1].ki.wVk = vk;
    in[1].ki.dwFlags = KEYEVENTF_KEYUP;
    SendInput(2, in, sizeof(INPUT));
}

// Released once the game screen's button step has run with the button held.
static void LeftClickAt(int x, int y)
{
    SetCursorPos(x, y);
    size_t from = ReadZanLog().size();
    mouse_event(MOUSEEVENTF_LEFTDOWN, 0, 0, 0, 0);
    EXPECT_TRUE(WaitForLog(from, "ProcessLeftMouseButton")) << x << ", " << y;
    mouse_event(MOUSEEVENTF_LEFTUP, 0, 0, 0, 0);
}

// Per tile (z outer, x inner) the first two numbers of its line: height and alpha texture.
struct SavedTile
{
    int iHeight;
    int iAlpha;
};

static std::vector<SavedTile> ReadBackupTiles()
{
    std::vector<SavedTile> tiles;
    std::ifstream file("savegame\\VEZIDI.bak");
    std::string line;
    if (!std::getline(file, line) || !std::getline(file, line))
        return tiles;
    for (int i = 0; i < 100 * 100 && std::getline(file, line); i++)
    {
        std::istringstream s(line);
        int v[12] = {};
        for (int& n : v)
            s >> n;
        tiles.push_back({v[0], v[8]});
        std::getline(file, line);   // the texture corners
    }
    return tiles;
}

TEST(EditRun, APaintedTileAndARaisedCornerReachTheBackup)
{
    std::ofstream("savegame\\VEZIDI.bak") << "last run's work\n";
    DeleteFileA("ZANerrors.log");   // a log of an earlier run would say it had started
    PROCESS_INFORMATION pi;
    ASSERT_TRUE(StartZan(&pi)) << ZanExePath();
    HWND hWnd = WaitForWindow(ZAN_WAIT_MS);
    ASSERT_NE(hWnd, (HWND)NULL) << "no window";
    ASSERT_EQ(GetForegroundWindow(), hWnd) << "input would be lost";
    ASSERT_TRUE(WaitForLog(0, "cavexneg.pie")) << "not started";
    // Off the screen's edges the camera stays where it starts.
    SetCursorPos(500, 400);

    Key(VK_ESCAPE);              // from the LOAD screen to the game screen
    LeftClickAt(500, 400);       // paint texture 4, an alpha texture, on the tile there
    Key('E');                    // FAST EDIT off and the height tool
    LeftClickAt(505, 405);       // the corner nearest the pointer
    for (int i = 0; i < 5; i++)
        Key(VK_ADD);
    Key(VK_ESCAPE);              // memorial screen, backup, quit

    EXPECT_EQ(WaitForSingleObject(pi.hProcess, ZAN_WAIT_MS), WAIT_OBJECT_0) << "did not quit";
    CloseHandle(pi.hThread);
    CloseHandle(pi.hProcess);

    std::vector<SavedTile> tiles = ReadBackupTiles();
    ASSERT_EQ(tiles.size(), 10000u) << "backup missing or short";
    int iRaised = 0, iOtherHeights = 0, iPainted = 0;
    for (const SavedTile& t : tiles)
    {
        iRaised += t.iHeight == 5;
        iOtherHeights += t.iHeight != 5 && t.iHeight != 0;
        iPainted += t.iAlpha == 4;
    }
    EXPECT_EQ(iRaised, 1) << "one corner raised by five steps";
    EXPECT_EQ(iOtherHeights, 0);
    EXPECT_EQ(iPainted, 1) << "one tile painted with alpha texture 4";
    std::string strOld;
    EXPECT_TRUE(std::getline(std::ifstream("savegame\\VEZIDI.old"), strOld));
    EXPECT_EQ(strOld, "last run's work") << "kept from the first backup of this run";
}
