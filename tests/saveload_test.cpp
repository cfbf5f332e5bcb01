// zan.exe driven by keys and clicks as a user drives it: a map picked from the LOAD list, saved
// under a typed name, another map loaded over it, the saved one loaded back; the files it
// writes say which map it held.
#include <gtest/gtest.h>

#include <fstream>
#include <sstream>
#include <string>
#include <vector>
#include <windows.h>

#include "support/zanprocess.h"

// A map file as the program writes it, with no caves; the clock line is 0.
static std::string MapText(int (*height)(int x, int z))
{
    std::ostringstream out;
    out << "0\n32\n";
    for (int z = 0; z < 100; z++)
        for (int x = 0; x < 100; x++)
            out << height(x, z) << " 0 0 64 0 0 0 0 128 0 0 0\n"
                << "0.07 0.93 0.07 0.07 0.93 0.07 0.93 0.93 0.07 0.93 0.07 0.07 0.93 0.07 0.93 "
                   "0.93\n";
    out << "0\n0\n";
    return out.str();
}

// The file's text with Windows line ends made plain.
static std::string ReadFile(const std::string& path)
{
    std::ifstream in(path);
    std::ostringstream out;
    out << in.rdbuf();
    return out.str();
}

// Everything after the clock line.
static std::string AfterClock(const std::string& text)
{
    size_t i = text.find('\n');
    return i == std::string::npos ? "" : text.substr(i + 1);
}

static std::string ClockLine(const std::string& text)
{
    return text.substr(0, text.find('\n'));
}

// The same map in both files but for the clock; else the first line that differs.
static ::testing::AssertionResult SameMap(const std::string& path, const std::string& expected)
{
    std::istringstream a(AfterClock(ReadFile(path))), b(AfterClock(expected));
    std::string la, lb;
    for (int iLine = 2;; iLine++)
    {
        bool bA = (bool)std::getline(a, la), bB = (bool)std::getline(b, lb);
        if (!bA && !bB)
            return ::testing::AssertionSuccess();
        if (bA != bB || la != lb)
            return ::testing::AssertionFailure() << path << " line " << iLine << ": \"" << la
                                                 << "\", expected \"" << lb << "\"";
    }
}

// Once a wait has failed every later step is skipped: the run then ends within ctest's limit,
// and its program with it, so the runs after it have the display to themselves.
static bool Stopped()
{
    return ::testing::Test::HasFailure();
}

// Every step waits for the frames the trace (keypad 5) logs, so a busy machine only slows it:
// a key the window procedure takes is pressed, released, and a whole frame on.
static void Key(WORD wVk)
{
    if (Stopped())
        return;
    size_t from = ReadZanLog().size();
    keybd_event((BYTE)wVk, 0, 0, 0);
    keybd_event((BYTE)wVk, 0, KEYEVENTF_KEYUP, 0);
    ASSERT_TRUE(WaitForLog(from, "ZANRun End", 2)) << "key " << wVk;
}

// The typed name polls held keys once a frame, and Wine may report a key pressed a moment ago
// as still up. A frame scans again until the key has acted, so the key is held until a whole
// frame has gone by without a scan.
static void TypedKey(WORD wVk)
{
    if (Stopped())
        return;
    size_t from = ReadZanLog().size();
    keybd_event((BYTE)wVk, 0, 0, 0);
    bool bTaken = WaitForLog(from, "GetKeyboardData") &&
                  WaitForLog(from, "ZANRun End", 2, "GetKeyboardData");
    keybd_event((BYTE)wVk, 0, KEYEVENTF_KEYUP, 0);
    ASSERT_TRUE(bTaken) << "key " << wVk << " not taken";
}

static void Type(const char* text)
{
    for (const char* p = text; *p != '\0'; p++)
        TypedKey(*p == ' ' ? VK_SPACE : (WORD)*p);
}

// The LOAD list shows the files in the directory search's order from the top.
static int ListRow(const std::string& name)
{
    WIN32_FIND_DATAA fd;
    HANDLE h = FindFirstFileA("savegame\\*.gam", &fd);
    int i = 0, iRow = -1;
    if (h == INVALID_HANDLE_VALUE)
        return -1;
    do
    {
        if (name == fd.cFileName)
            iRow = i;
        i++;
    } while (FindNextFileA(h, &fd));
    FindClose(h);
    return iRow;
}

static void ClickRow(const std::string& name)
{
    if (Stopped())
        return;
    int iRow = ListRow(name);
    ASSERT_GE(iRow, 0) << name;
    ASSERT_LT(iRow, 14) << name;
    SetCursorPos(500, 342 + 15 * iRow);
    mouse_event(MOUSEEVENTF_LEFTDOWN, 0, 0, 0, 0);
    mouse_event(MOUSEEVENTF_LEFTUP, 0, 0, 0, 0);
    // The frame after the click draws the list and loads the file.
    ASSERT_TRUE(WaitForLog(ReadZanLog().size(), "ZANRun End", 2));
}

static bool WaitForFile(const std::string& path, const std::string& notClock)
{
    for (DWORD t = 0; t < ZAN_WAIT_MS && !Stopped(); t += 100)
    {
        std::string text = ReadFile(path);
        if (!text.empty() && text.back() == '\n' && ClockLine(text) != notClock)
            return true;
        Sleep(100);
    }
    return false;
}

// The program under test, ended if the test stops early so no window is left for later tests.
struct Zan
{
    PROCESS_INFORMATION pi = {};
    ~Zan()
    {
        if (pi.hProcess == NULL)
            return;
        if (WaitForSingleObject(pi.hProcess, 0) != WAIT_OBJECT_0)
            TerminateProcess(pi.hProcess, 1);
        CloseHandle(pi.hThread);
        CloseHandle(pi.hProcess);
    }
};

TEST(SaveAndLoad, AMapSavedUnderATypedNameLoadsBackFromTheList)
{
    const std::string hills = MapText([](int x, int z) { return (x * 7 + z * 3) % 200; });
    const std::string flat = MapText([](int, int) { return 0; });
    CreateDirectoryA("savegame", NULL);
    DeleteFileA("savegame\\COPY 1.gam");
    DeleteFileA("savegame\\VEZIDI.bak");
    DeleteFileA("ZANerrors.log");
    std::ofstream("savegame\\HILLS.gam") << hills;
    std::ofstream("savegame\\FLAT.gam") << flat;

    Zan zan;
    ASSERT_TRUE(StartZan(&zan.pi)) << ZanExePath();
    ASSERT_NE(WaitForWindow(ZAN_WAIT_MS), (HWND)NULL);
    ASSERT_TRUE(WaitForLog(0, "cavexneg.pie")) << "not started";
    Key(VK_NUMPAD5);   // the trace, whose lines mark the frames

    ClickRow("HILLS.gam");
    Key('S');
    Type("\b\b\b\b\bCOPY 1");   // the loaded map's name comes first
    TypedKey(VK_RETURN);
    EXPECT_TRUE(WaitForFile("savegame\\COPY 1.gam", ""));
    EXPECT_TRUE(SameMap("savegame\\COPY 1.gam", hills));

    // Another map over it; saving it again proves it loaded and took its name.
    Key('R');
    ClickRow("FLAT.gam");
    Key('S');
    TypedKey(VK_RETURN);
    EXPECT_TRUE(WaitForFile("savegame\\FLAT.gam", "0"));
    EXPECT_TRUE(SameMap("savegame\\FLAT.gam", flat));

    Key('R');
    ClickRow("COPY 1.gam");
    if (Stopped())
        return;
    keybd_event(VK_ESCAPE, 0, 0, 0);   // nothing unsaved: the backup is left alone
    keybd_event(VK_ESCAPE, 0, KEYEVENTF_KEYUP, 0);
    ASSERT_EQ(WaitForSingleObject(zan.pi.hProcess, ZAN_WAIT_MS), WAIT_OBJECT_0) << "did not close";
    EXPECT_EQ(ReadFile("savegame\\VEZIDI.bak"), "");
}
