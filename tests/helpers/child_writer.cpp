// A console child for the runner's tests. Writes its first argument to standard output, with "\n"
// and "\r" read as line feed and carriage return and "\e" / "\o" switching what follows to
// standard error / output, `repeat` times (default 1); then, when asked,
// starts `holder` with its handles inherited (so the pipe outlives this process), and sleeps
// `seconds` before it ends.
//   child_writer <text> [repeat] [seconds] [holder command line]
#include <windows.h>

#include <cstdlib>
#include <string>
#include <utility>
#include <vector>

int main(int argc, char** argv)
{
    // The text in pieces, each with the handle it goes to.
    std::vector<std::pair<HANDLE, std::string>> pieces = {{GetStdHandle(STD_OUTPUT_HANDLE), ""}};
    for (const char* p = argc > 1 ? argv[1] : ""; *p; ++p) {
        if (p[0] == '\\' && (p[1] == 'n' || p[1] == 'r')) {
            pieces.back().second += p[1] == 'n' ? '\n' : '\r';
            ++p;
        } else if (p[0] == '\\' && (p[1] == 'e' || p[1] == 'o')) {
            pieces.push_back({GetStdHandle(p[1] == 'e' ? STD_ERROR_HANDLE : STD_OUTPUT_HANDLE), ""});
            ++p;
        } else {
            pieces.back().second += *p;
        }
    }
    const long repeat = argc > 2 ? std::strtol(argv[2], nullptr, 10) : 1;
    for (long i = 0; i < repeat; ++i) {
        for (const auto& piece : pieces) {
            DWORD written = 0;
            if (!piece.second.empty() && !WriteFile(piece.first, piece.second.data(),
                                                    static_cast<DWORD>(piece.second.size()), &written, nullptr))
                return 2;
        }
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
