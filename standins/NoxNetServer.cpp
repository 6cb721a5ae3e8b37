// Stands in for the maker's network server in tests: a process named NoxNetServer.exe that does
// nothing but wait until it is ended, or for the number of seconds given on its command line
// (default 300), so that a forgotten one does not linger.
#include <windows.h>

#include <cstdlib>

int main(int argc, char** argv)
{
    const long seconds = argc > 1 ? std::strtol(argv[1], nullptr, 10) : 300;
    Sleep(static_cast<DWORD>(seconds > 0 ? seconds : 300) * 1000);
    return 0;
}
