// The entry point of zan.exe.
#include <windows.h>

#include "app/startup.h"

int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR, int)
{
    return RunZan(GetModuleHandleA(NULL));
}
