// A console child for the runner's tests: sets each event whose handle value it is given (in
// hexadecimal), which reaches the test's event only where the handle was inherited, then writes
// whether it has a console window.
#include <windows.h>

#include <cstdint>
#include <cstdlib>
#include <cstring>

int main(int argc, char** argv)
{
    for (int i = 1; i < argc; ++i)
        SetEvent(reinterpret_cast<HANDLE>(static_cast<std::uintptr_t>(std::strtoull(argv[i], nullptr, 16))));
    const char* text = GetConsoleWindow() ? "console window\n" : "no console window\n";
    DWORD written = 0;
    WriteFile(GetStdHandle(STD_OUTPUT_HANDLE), text, static_cast<DWORD>(std::strlen(text)), &written, nullptr);
    return 0;
}
