// Keeps Vista-only kernel32 functions that the C++ runtime references out of the import table, so the
// 32-bit installer still loads on Windows XP. Each one is bound here, ahead of the import library, to
// a function that uses the system's own version where there is one.
//
// This file must be linked as an object of the executable, not from a static library: the linker
// only takes a library member for a symbol that is still undefined when it reaches the library.
#include <windows.h>

namespace {

ULONGLONG WINAPI GetTickCount64OnAnyWindows()
{
    typedef ULONGLONG(WINAPI * GetTickCount64Fn)();
    static const GetTickCount64Fn native = reinterpret_cast<GetTickCount64Fn>(
        reinterpret_cast<void*>(GetProcAddress(GetModuleHandleA("kernel32.dll"), "GetTickCount64")));
    if (native)
        return native();
    // Before Vista: widen the 32-bit count by counting its wrap-arounds (every 49.7 days).
    static DWORD last = 0;
    static ULONGLONG wraps = 0;
    const DWORD now = GetTickCount();
    if (now < last)
        wraps += 0x100000000ULL;
    last = now;
    return wraps + now;
}

}  // namespace

#if defined(__i386__)
#define NOX_IMPORT_SYMBOL(name, stdcallBytes) "__imp__" #name "@" #stdcallBytes
#else
#define NOX_IMPORT_SYMBOL(name, stdcallBytes) "__imp_" #name
#endif

extern "C" {
extern ULONGLONG(WINAPI* const noxImportGetTickCount64)() __asm__(NOX_IMPORT_SYMBOL(GetTickCount64, 0));
ULONGLONG(WINAPI* const noxImportGetTickCount64)() = GetTickCount64OnAnyWindows;
}
