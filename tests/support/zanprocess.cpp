// Starting the program itself from a test.
#include "support/zanprocess.h"

#include <cstdlib>

std::string ZanExePath()
{
    const char* dir = getenv("ZAN_RUN_DIR");
    std::string path = std::string("Z:") + (dir ? dir : "") + "/zan.exe";
    for (char& c : path)
        if (c == '/')
            c = '\\';
    return path;
}

bool StartZan(PROCESS_INFORMATION* pPi)
{
    std::string exe = ZanExePath();
    STARTUPINFOA si = {};
    si.cb = sizeof(si);
    *pPi = {};
    return CreateProcessA(exe.c_str(), NULL, NULL, NULL, FALSE, 0, NULL, NULL, &si, pPi) != 0;
}

HWND WaitForWindow(DWORD dwMs)
{
    for (DWORD t = 0; t < dwMs; t += 50)
    {
        HWND hWnd = FindWindowA("Zan ZAVAZA", "Zan ZAVAZA C/S APP");
        if (hWnd)
        {
            // Input sent before the window has the focus is lost.
            for (DWORD w = 0; w < 10000 && GetForegroundWindow() != hWnd; w += 50)
                Sleep(50);
            return hWnd;
        }
        Sleep(50);
    }
    return NULL;
}
