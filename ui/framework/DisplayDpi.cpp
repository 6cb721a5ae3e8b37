#include "ui/framework/DisplayDpi.h"

#include <cstdlib>

#include "ui/theme/GdiObjects.h"

namespace {

typedef UINT(WINAPI* GetDpiForSystemFn)();
typedef UINT(WINAPI* GetDpiForWindowFn)(HWND);

// user32 is loaded with the program (it is imported), so its handle needs no loading or freeing.
FARPROC User32Function(const char* name)
{
    HMODULE user32 = GetModuleHandleA("user32.dll");
    return user32 ? GetProcAddress(user32, name) : nullptr;
}

int ScreenLogPixelsY()
{
    NRWindowDC screen(nullptr, NRWindowDC::WholeWindow);
    return screen.Get() ? GetDeviceCaps(screen.Get(), LOGPIXELSY) : 0;
}

int Sane(int dpi) { return dpi > 0 ? dpi : 96; }

}  // namespace

int SystemDpi()
{
    if (const auto getDpiForSystem =
            reinterpret_cast<GetDpiForSystemFn>(reinterpret_cast<void*>(User32Function("GetDpiForSystem"))))
        return Sane(static_cast<int>(getDpiForSystem()));
    return Sane(ScreenLogPixelsY());
}

int WindowDpi(HWND window)
{
    if (const auto getDpiForWindow =
            reinterpret_cast<GetDpiForWindowFn>(reinterpret_cast<void*>(User32Function("GetDpiForWindow")))) {
        if (const UINT dpi = getDpiForWindow(window))
            return static_cast<int>(dpi);
    }
    return SystemDpi();
}

bool ReadSuggestedWindowRect(LPARAM lParam, SIZE expected, RECT& rect)
{
    // Windows sends the message from this thread (while it moves the window); a post or a send from
    // elsewhere carries an address that is not ours to trust.
    if (InSendMessage() || !lParam)
        return false;
    RECT suggested = {};
    SIZE_T read = 0;
    // Copied through the process's own memory reader: an address that cannot be read fails here
    // instead of ending the program.
    if (!ReadProcessMemory(GetCurrentProcess(), reinterpret_cast<const void*>(lParam), &suggested, sizeof(suggested),
                           &read) ||
        read != sizeof(suggested))
        return false;
    const LONG width = suggested.right - suggested.left, height = suggested.bottom - suggested.top;
    if (std::abs(width - expected.cx) > 2 || std::abs(height - expected.cy) > 2)
        return false;
    if (!MonitorFromRect(&suggested, MONITOR_DEFAULTTONULL))
        return false;
    rect = suggested;
    return true;
}
