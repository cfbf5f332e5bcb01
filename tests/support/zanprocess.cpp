// Starting the program itself from a test.
#include "support/zanprocess.h"

#include <cstdlib>
#include <cstring>
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

bool WaitForLog(size_t from, std::initializer_list<const char*> texts, DWORD dwMs)
{
    for (DWORD t = 0; t < dwMs; t += 50, Sleep(50))
    {
        std::string log = ReadZanLog();
        size_t at = from;
        bool bFound = true;
        for (const char* text : texts)
        {
            at = at <= log.size() ? log.find(text, at) : std::string::npos;
            if (at == std::string::npos)
            {
                bFound = false;
                break;
            }
            at += strlen(text);
        }
        if (bFound)
            return true;
    }
    return false;
}

bool WaitForStartUp(DWORD dwMs)
{
    return WaitForLog(0, {"cavexneg.pie"}, dwMs);
}
