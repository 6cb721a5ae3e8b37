// Exits with the Windows version class that the installer's detection finds, plus 16 when it
// considers the system 64-bit. Tests run it under each Windows version Wine can pretend to be.
#include "platform/SystemInfo.h"

int main() { return static_cast<int>(DetectOsType()) + (IsWow64() ? 16 : 0); }
