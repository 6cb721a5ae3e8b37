// Prints the name of the Windows version class that the installer's detection finds. Tests run it
// under each Windows version Wine can pretend to be.
#include <cstdio>

#include "platform/SystemInfo.h"

int main()
{
    std::printf("%s\n", OsTypeName(DetectOsType()));
    return 0;
}
