// A console child for the runner's tests. Writes its first argument to standard output, with "\n"
// and "\r" read as line feed and carriage return, `repeat` times (default 1); then, when asked,
// starts `holder` with its handles inherited (so the pipe outlives this process), and sleeps
// `seconds` before it ends.
//   child_writer <text> [repeat] [seconds] [holder command line]
#include <windows.h>

#include <cstdlib>
#include <string>

int main(int argc, char** argv)
{
    std::string text;
    for (const char* p = argc > 1 ? argv[1] : ""; *p; ++p) {
        if (p[0] == '\\' && (p[1] == 'n' || p[1] == 'r')) {
            text += p[1] == 'n' ? '\n' : '\r';
            ++p;
        } else {
            text += *p;
        }
    }
    const long repeat = argc > 2 ? std::strtol(argv[2], nullptr, 10) : 1;
    const HANDLE output = GetStdHandle(STD_OUTPUT_HANDLE);
    for (long i = 0; i < repeat; ++i) {
        DWORD written = 0;
        if (!text.empty() && !WriteFile(output, text.data(), static_cast<DWORD>(text.size()), &written, nullptr))
            return 2;
    }
    if (argc > 4) {
        STARTUPINFOA startup = {};
        startup.cb = sizeof(startup);
        PROCESS_INFORMATION info = {};
        std::string holder = argv[4];
        if (!CreateProcessA(nullptr, &holder[0], nullptr, nullptr, TRUE, 0, nullptr, nullptr, &startup, &info))
            return 3;
        CloseHandle(info.hThread);
        CloseHandle(info.hProcess);
    }
    if (argc > 3)
        Sleep(static_cast<DWORD>(std::strtol(argv[3], nullptr, 10)) * 1000);
    return 0;
}
