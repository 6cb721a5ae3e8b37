#include <windows.h>

#include "app/ProcessObjects.h"
#include "app/Startup.h"
#include "platform/SystemLibrary.h"

int WINAPI WinMain(HINSTANCE instance, HINSTANCE /*previous*/, LPSTR commandLine, int showCommand)
{
    // Before anything loads a library: none may come from the folder the installer was started in.
    RestrictLibrarySearchToSystemFolder();
    return RunInstaller(g_mainWnd, instance, commandLine, showCommand);
}
