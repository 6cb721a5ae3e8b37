#include <windows.h>

#include "app/ProcessObjects.h"
#include "app/Startup.h"

int WINAPI WinMain(HINSTANCE instance, HINSTANCE /*previous*/, LPSTR commandLine, int showCommand)
{
    // The library search was narrowed before any static object was made (app/ProcessObjects.cpp).
    return RunInstaller(g_mainWnd, instance, commandLine, showCommand);
}
