// zan.exe as a user starts it: its window covers the screen, and a run told to close
// leaves a log that starts afresh and ends with "Closing down".
#include <gtest/gtest.h>

#include <fstream>
#include <string>
#include <vector>
#include <windows.h>

#include "support/readback.h"
#include "support/zanprocess.h"

TEST(Run, WindowCoversTheScreenAndCloseShutsDownInOrder)
{
    DeleteFileA("ZANerrors.log");
    PROCESS_INFORMATION pi;
    ASSERT_TRUE(StartZan(&pi)) << ZanExePath();

    HWND hWnd = WaitForWindow(ZAN_WAIT_MS);
    ASSERT_NE(hWnd, (HWND)NULL) << "no window";
    RECT rcWin, rcDesk;
    GetWindowRect(hWnd, &rcWin);
    GetClientRect(GetDesktopWindow(), &rcDesk);
    EXPECT_EQ(rcWin.left, 0);
    EXPECT_EQ(rcWin.top, 0);
    EXPECT_EQ(rcWin.right, rcDesk.right);
    EXPECT_EQ(rcWin.bottom, rcDesk.bottom);

    Sleep(500);   // some frames
    PostMessageA(hWnd, WM_CLOSE, 0, 0);
    ASSERT_EQ(WaitForSingleObject(pi.hProcess, 15000), WAIT_OBJECT_0) << "did not close";
    DWORD dwCode = 99;
    GetExitCodeProcess(pi.hProcess, &dwCode);
    EXPECT_EQ(dwCode, 0u);
    CloseHandle(pi.hThread);
    CloseHandle(pi.hProcess);

    std::vector<std::string> lines = ReadLog();
    ASSERT_GE(lines.size(), 2u);
    EXPECT_EQ(lines.front(), "ZANerrors.log started ");
    EXPECT_EQ(lines.back(), "Closing down");
    for (const std::string& line : lines)
        EXPECT_EQ(line.find("Failed"), std::string::npos) << line;
}
