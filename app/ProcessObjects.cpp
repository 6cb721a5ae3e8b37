// The process-wide objects, in the order they must come to life before WinMain runs. They live in
// this one file because C++ orders dynamic initialisation only within a translation unit.
#include <winsock2.h>  // before windows.h, which the window header brings in

#include "app/ProcessObjects.h"

#include <cstdlib>

#include "app/Version.h"
#include "platform/CrashReporter.h"
#include "platform/Registry.h"
#include "platform/SystemLibrary.h"

namespace {

// The very first thing the program runs, ahead of every static object of every file (the lowest
// priority a program may give): no library that Windows Sockets, the registry, the window objects
// or the crash reporter load may come from the folder the installer was started in.
struct LibrarySearchRestriction
{
    LibrarySearchRestriction() { RestrictLibrarySearchToSystemFolder(); }
};
LibrarySearchRestriction g_librarySearchRestriction __attribute__((init_priority(101)));

}  // namespace

// Then: whatever fails after this point leaves an error file.
NRCrashReporter g_crashReporter({NOX_VERSION_MAJOR, NOX_VERSION_MINOR, NOX_VERSION_BUILD});

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
