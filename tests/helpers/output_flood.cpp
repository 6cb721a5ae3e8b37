// Writes lines to its standard output without pause until it is ended, whatever its arguments: a
// service tool that never stops talking. Blocks of 64 KiB keep the pipe full while its reader reads.
#include <windows.h>

#include <string>

int main()
{
    std::string block;
    while (block.size() < 64 * 1024)
        block += "SERVICE_NAME: NxNtSp50 and more and more and more and more and more\r\n";
    const HANDLE output = GetStdHandle(STD_OUTPUT_HANDLE);
    for (;;) {
        DWORD written = 0;
        if (!WriteFile(output, block.data(), static_cast<DWORD>(block.size()), &written, nullptr))
            return 2;
    }
}
