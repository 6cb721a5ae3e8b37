// The process-wide objects, in the order they must come to life before WinMain runs. They live in
// this one file because C++ orders dynamic initialisation only within a translation unit.
#include <winsock2.h>  // before windows.h, which the window header brings in

#include "app/ProcessObjects.h"

#include <cstdlib>

#include "platform/Registry.h"

namespace {

void CleanupWinsock() { WSACleanup(); }

struct WinsockSession
{
    WinsockSession()
    {
        WSADATA data;
        if (WSAStartup(MAKEWORD(2, 0), &data) == 0)
            std::atexit(CleanupWinsock);
    }
};

WinsockSession g_winsock;

struct GuiSettingsLoader
{
    GuiSettingsLoader() { LoadGuiSettings(); }
};

GuiSettingsLoader g_guiSettingsLoader;

}  // namespace

// g_registry is constant-initialised (platform/Registry.cpp): it is ready before all of these.

NoxSetupWnd g_mainWnd;
