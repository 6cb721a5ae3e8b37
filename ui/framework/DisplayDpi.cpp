#include "ui/framework/DisplayDpi.h"

#include <cstdlib>

#include "platform/SystemLibrary.h"
#include "ui/theme/GdiObjects.h"

namespace {

typedef BOOL(WINAPI* SetProcessDpiAwarenessContextFn)(HANDLE);
typedef BOOL(WINAPI* SetProcessDPIAwareFn)();
typedef UINT(WINAPI* GetDpiForSystemFn)();
typedef UINT(WINAPI* GetDpiForWindowFn)(HWND);
typedef HRESULT(WINAPI* GetDpiForMonitorFn)(HMONITOR, int, UINT*, UINT*);

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

int MonitorDpi(HMONITOR monitor)
{
    if (!monitor)
        return 0;
    // Not imported: shcore is missing before Windows 8.1.
    const NRSystemLibrary shcore("shcore.dll");
    const auto getDpiForMonitor = shcore.Find<GetDpiForMonitorFn>("GetDpiForMonitor");
    const int effectiveDpi = 0;  // MDT_EFFECTIVE_DPI: the one windows are scaled for
    UINT dpiX = 0, dpiY = 0;
    if (!getDpiForMonitor || FAILED(getDpiForMonitor(monitor, effectiveDpi, &dpiX, &dpiY)))
        return 0;
    return static_cast<int>(dpiY);
}

HMONITOR StartingMonitor()
{
    const HWND foreground = GetForegroundWindow();
    // The desktop spans every screen: where it was clicked, the pointer still is.
    if (foreground && foreground != GetShellWindow() && foreground != GetDesktopWindow()) {
        char className[16] = {};
        GetClassNameA(foreground, className, sizeof(className));
        if (lstrcmpiA(className, "WorkerW") != 0 && lstrcmpiA(className, "Progman") != 0)
            return MonitorFromWindow(foreground, MONITOR_DEFAULTTOPRIMARY);
    }
    POINT pointer = {};
    if (!GetCursorPos(&pointer))
        return MonitorFromPoint(POINT{0, 0}, MONITOR_DEFAULTTOPRIMARY);
    return MonitorFromPoint(pointer, MONITOR_DEFAULTTOPRIMARY);
}

bool ReadSuggestedWindowRect(HWND window, WPARAM wParam, LPARAM lParam, int appliedDpi, RECT& rect)
{
    RECT present = {};
    if (appliedDpi <= 0 || !GetWindowRect(window, &present))
        return false;
    const SIZE expected = {static_cast<LONG>(MulDiv(present.right - present.left, HIWORD(wParam), appliedDpi)),
                           static_cast<LONG>(MulDiv(present.bottom - present.top, HIWORD(wParam), appliedDpi))};
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
