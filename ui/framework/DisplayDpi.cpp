#include "ui/framework/DisplayDpi.h"

#include <cstdlib>

#include "ui/theme/GdiObjects.h"

namespace {

typedef BOOL(WINAPI* SetProcessDpiAwarenessContextFn)(HANDLE);
typedef BOOL(WINAPI* SetProcessDPIAwareFn)();
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

void DeclareDpiAwareness()
{
    // DPI_AWARENESS_CONTEXT_PER_MONITOR_AWARE_V2. Refused, harmlessly, when the manifest has set it.
    const HANDLE perMonitorV2 = reinterpret_cast<HANDLE>(static_cast<LONG_PTR>(-4));
    if (const auto setContext = reinterpret_cast<SetProcessDpiAwarenessContextFn>(
            reinterpret_cast<void*>(User32Function("SetProcessDpiAwarenessContext")))) {
        if (setContext(perMonitorV2) || GetLastError() == ERROR_ACCESS_DENIED)
            return;
    }
    if (const auto setAware =
            reinterpret_cast<SetProcessDPIAwareFn>(reinterpret_cast<void*>(User32Function("SetProcessDPIAware"))))
        setAware();
}

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

bool ReadSuggestedWindowRect(HWND window, WPARAM wParam, LPARAM lParam, SIZE expected, RECT& rect)
{
    const auto getDpiForWindow =
        reinterpret_cast<GetDpiForWindowFn>(reinterpret_cast<void*>(User32Function("GetDpiForWindow")));
    if (!getDpiForWindow || getDpiForWindow(window) != HIWORD(wParam))
        return false;
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
