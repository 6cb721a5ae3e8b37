// progress_bench
// The cost of one AddProgressLine (format, append, lay out, redraw at once) on the installer window,
// as the pane fills up to 2,010 lines. Prints the mean cost per block of 100 lines, then the mean
// cost when the pane holds 100 lines (the 101st to 110th line) and when it holds 2,000.
#include <windows.h>

#include <cstdio>
#include <vector>

#include "app/NoxSetupWnd.h"
#include "ui/framework/AppModule.h"

namespace {

double Milliseconds(LARGE_INTEGER from, LARGE_INTEGER to, LARGE_INTEGER frequency)
{
    return 1000.0 * static_cast<double>(to.QuadPart - from.QuadPart) / static_cast<double>(frequency.QuadPart);
}

double Mean(const std::vector<double>& costs, size_t from, size_t count)
{
    double sum = 0;
    for (size_t i = from; i < from + count; ++i)
        sum += costs[i];
    return sum / static_cast<double>(count);
}

}  // namespace

int main()
{
    g_module.Init(GetModuleHandleA(nullptr));
    NoxSetupWnd window;
    if (!window.Create(nullptr, RECT{0, 0, NoxSetupWnd::kWidth, NoxSetupWnd::kHeight}))
        return 1;
    LARGE_INTEGER frequency, before, after;
    QueryPerformanceFrequency(&frequency);
    std::vector<double> costs;  // costs[n]: adding a line to a pane that holds n lines
    for (int line = 0; line < 2010; ++line) {
        QueryPerformanceCounter(&before);
        window.AddProgressLine("$cgStep %d$cw: copying C:\\Nox Racing\\EthDrv\\NxNtSp50.sys (%d%%)", line, line % 100);
        QueryPerformanceCounter(&after);
        costs.push_back(Milliseconds(before, after, frequency));
    }
    std::printf("  mean cost per line by lines already in the pane:\n");
    for (size_t block = 0; block + 100 <= 2000; block += 100)
        std::printf("    %4zu-%4zu  %6.3f ms\n", block, block + 99, Mean(costs, block, 100));
    std::printf("holding: %.3f %.3f\n", Mean(costs, 100, 10), Mean(costs, 2000, 10));
    window.DestroyWindow();
    g_module.Term();
    return 0;
}
