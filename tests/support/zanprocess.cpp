// Starting the program itself from a test.
#include "support/zanprocess.h"

#include <cstdlib>
#include <fstream>
#include <sstream>

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

std::string ReadZanLog()
{
    std::ifstream in("ZANerrors.log", std::ios::binary);
    std::ostringstream out;
    out << in.rdbuf();
    return out.str();
}

bool WaitForLog(size_t from, const char* text, int count, const char* after)
{
    for (DWORD t = 0; t < ZAN_WAIT_MS; t += 50, Sleep(50))
    {
        std::string log = ReadZanLog();
        size_t last = after ? log.rfind(after) : std::string::npos;
        size_t at = last != std::string::npos && last > from ? last : from;
        int n = 0;
        while (n < count && (at = log.find(text, at)) != std::string::npos)
        {
            n++;
            at++;
        }
        if (n == count)
            return true;
    }
    return false;
}
