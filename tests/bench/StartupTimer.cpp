// startup_timer PAIRS INSTALLER BARE_WINDOW [ARGUMENTS]
// Starts the two programs in turn, PAIRS times each, and measures the milliseconds from process
// creation to the first paint of the whole window, as the screen shows it: for the installer, its
// first progress line in the pane (painted after the frame and caption); for the bare window, its
// client area in the window colour. Prints every run and the medians. Each program is ended once
// its window is painted.
#include <windows.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "BenchClock.h"

namespace {

struct Search
{
    DWORD pid;
    HWND found;
};

BOOL CALLBACK FindVisibleWindow(HWND hwnd, LPARAM param)
{
    auto* search = reinterpret_cast<Search*>(param);
    DWORD pid = 0;
    GetWindowThreadProcessId(hwnd, &pid);
    if (pid == search->pid && IsWindowVisible(hwnd)) {
        search->found = hwnd;
        return FALSE;
    }
    return TRUE;
}

enum class Until
{
    FirstProgressLine,
    ClientAreaPainted,
};

// What the screen shows of `window` in the rectangle (left, top, width, height) of its own, as
// 0x00RRGGBB values row by row.
std::vector<DWORD> ScreenPixels(HWND window, int left, int top, int width, int height)
{
    RECT rect = {};
    GetWindowRect(window, &rect);
    std::vector<DWORD> pixels(static_cast<size_t>(width) * height);
    BITMAPINFO info = {};
    info.bmiHeader = {sizeof(BITMAPINFOHEADER), width, -height, 1, 32, BI_RGB, 0, 0, 0, 0, 0};
    void* bits = nullptr;
    HDC screen = GetDC(nullptr);
    HDC memory = CreateCompatibleDC(screen);
    HBITMAP bitmap = CreateDIBSection(screen, &info, DIB_RGB_COLORS, &bits, nullptr, 0);
    if (memory && bitmap) {
        HGDIOBJ previous = SelectObject(memory, bitmap);
        BitBlt(memory, 0, 0, width, height, screen, rect.left + left, rect.top + top, SRCCOPY);
        GdiFlush();
        std::copy_n(static_cast<const DWORD*>(bits), pixels.size(), pixels.begin());
        SelectObject(memory, previous);
    }
    if (bitmap)
        DeleteObject(bitmap);
    if (memory)
        DeleteDC(memory);
    ReleaseDC(nullptr, screen);
    return pixels;
}

bool IsPainted(HWND window, Until until)
{
    if (until == Until::ClientAreaPainted) {
        const COLORREF colour = GetSysColor(COLOR_WINDOW);
        const DWORD expected = (GetRValue(colour) << 16) | (GetGValue(colour) << 8) | GetBValue(colour);
        const std::vector<DWORD> centre = ScreenPixels(window, 310, 230, 20, 20);
        return std::all_of(centre.begin(), centre.end(),
                           [expected](DWORD pixel) { return (pixel & 0xFFFFFF) == expected; });
    }
    // The first line's band of the pane against the pane's empty middle: the line's text shows.
    const std::vector<DWORD> band = ScreenPixels(window, 10, 32, 200, 14);
    const DWORD background = ScreenPixels(window, 320, 300, 1, 1)[0] & 0xFFFFFF;
    const auto ink =
        std::count_if(band.begin(), band.end(), [background](DWORD pixel) { return (pixel & 0xFFFFFF) != background; });
    return ink > 40;
}

double Milliseconds(LARGE_INTEGER from, LARGE_INTEGER to, LARGE_INTEGER frequency)
{
    return 1000.0 * static_cast<double>(to.QuadPart - from.QuadPart) / static_cast<double>(frequency.QuadPart);
}

// Milliseconds to the window's first paint, or a negative value when none showed within 20 s.
double TimeToPaint(const std::string& program, const std::string& arguments, Until until)
{
    std::string commandLine = "\"" + program + "\"" + (arguments.empty() ? "" : " " + arguments);
    STARTUPINFOA startup = {};
    startup.cb = sizeof(startup);
    PROCESS_INFORMATION process = {};
    LARGE_INTEGER frequency, start, now;
    QueryPerformanceFrequency(&frequency);
    QueryPerformanceCounter(&start);
    if (!CreateProcessA(nullptr, &commandLine[0], nullptr, nullptr, FALSE, 0, nullptr, nullptr, &startup, &process))
        return -1;
    double elapsed = -1;
    for (;;) {
        Search search = {process.dwProcessId, nullptr};
        EnumWindows(FindVisibleWindow, reinterpret_cast<LPARAM>(&search));
        QueryPerformanceCounter(&now);
        if (search.found && IsPainted(search.found, until)) {
            elapsed = Milliseconds(start, now, frequency);
            break;
        }
        if (Milliseconds(start, now, frequency) > 20000 || WaitForSingleObject(process.hProcess, 0) == WAIT_OBJECT_0)
            break;
        Sleep(1);
    }
    TerminateProcess(process.hProcess, 0);
    WaitForSingleObject(process.hProcess, 10000);
    CloseHandle(process.hThread);
    CloseHandle(process.hProcess);
    return elapsed;
}


}  // namespace

int main(int argc, char** argv)
{
    if (argc < 4) {
        std::fprintf(stderr, "usage: startup_timer PAIRS INSTALLER BARE_WINDOW [ARGUMENTS]\n");
        return 2;
    }
    const int pairs = std::atoi(argv[1]);
    const std::string arguments = argc > 4 ? argv[4] : "";
    std::vector<double> first, second;
    // One run of each to warm the system's caches, not counted.
    const auto installer = [&] { return TimeToPaint(argv[2], arguments, Until::FirstProgressLine); };
    const auto bare = [&] { return TimeToPaint(argv[3], arguments, Until::ClientAreaPainted); };
    installer();
    bare();
    for (int i = 0; i < pairs; ++i) {
        // Alternating which goes first, so that neither always follows the other.
        const bool aFirst = i % 2 == 0;
        const double a1 = aFirst ? installer() : 0;
        const double b = bare();
        const double a = aFirst ? a1 : installer();
        if (a < 0 || b < 0) {
            std::fprintf(stderr, "a program did not paint its window\n");
            return 1;
        }
        first.push_back(a);
        second.push_back(b);
        std::printf("run %d: %.0f ms  %.0f ms\n", i + 1, a, b);
    }
    std::printf("median: %.0f %.0f\n", Median(first), Median(second));
    return 0;
}
