// startup_timer PAIRS PROGRAM_A PROGRAM_B [ARGUMENTS]
// Starts the two programs in turn, PAIRS times each, and measures the milliseconds from process
// creation to the first visible top-level window of the new process. Prints every run and the
// medians. Each program is ended once its window shows.
#include <windows.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

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

double Milliseconds(LARGE_INTEGER from, LARGE_INTEGER to, LARGE_INTEGER frequency)
{
    return 1000.0 * static_cast<double>(to.QuadPart - from.QuadPart) / static_cast<double>(frequency.QuadPart);
}

// Milliseconds to the first visible window, or a negative value when none showed within 20 s.
double TimeToWindow(const std::string& program, const std::string& arguments)
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
        if (search.found) {
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

double Median(std::vector<double> values)
{
    std::sort(values.begin(), values.end());
    const size_t middle = values.size() / 2;
    return values.size() % 2 ? values[middle] : (values[middle - 1] + values[middle]) / 2;
}

}  // namespace

int main(int argc, char** argv)
{
    if (argc < 4) {
        std::fprintf(stderr, "usage: startup_timer PAIRS PROGRAM_A PROGRAM_B [ARGUMENTS]\n");
        return 2;
    }
    const int pairs = std::atoi(argv[1]);
    const std::string arguments = argc > 4 ? argv[4] : "";
    std::vector<double> first, second;
    // One run of each to warm the system's caches, not counted.
    TimeToWindow(argv[2], arguments);
    TimeToWindow(argv[3], arguments);
    for (int i = 0; i < pairs; ++i) {
        // Alternating which goes first, so that neither always follows the other.
        const bool aFirst = i % 2 == 0;
        const double a1 = aFirst ? TimeToWindow(argv[2], arguments) : 0;
        const double b = TimeToWindow(argv[3], arguments);
        const double a = aFirst ? a1 : TimeToWindow(argv[2], arguments);
        if (a < 0 || b < 0) {
            std::fprintf(stderr, "a program showed no window\n");
            return 1;
        }
        first.push_back(a);
        second.push_back(b);
        std::printf("run %d: %.0f ms  %.0f ms\n", i + 1, a, b);
    }
    std::printf("median: %.0f %.0f\n", Median(first), Median(second));
    return 0;
}
