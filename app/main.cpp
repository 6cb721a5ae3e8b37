#include <windows.h>

#include "app/ProcessObjects.h"
#include "app/Startup.h"

int WINAPI WinMain(HINSTANCE instance, HINSTANCE /*previous*/, LPSTR commandLine, int showCommand)
{
    return RunInstaller(g_mainWnd, instance, commandLine, showCommand);
}
