// Prints the name of the Windows version class that the installer's detection finds, and ends with
// that class as its exit code. Tests run it under each Windows version Wine can pretend to be.
#include <cstdio>

#include "platform/SystemInfo.h"

int main()
{
    const OsType type = DetectOsType();
    std::printf("%s\n", OsTypeName(type));
    return type;
}
