// Keeps kernel32 functions that the C++ runtime references out of the import table where an older
// Windows lacks them: Vista's, so the 32-bit installer loads on Windows XP, and XP's, so it still loads
// on Windows 2000 to say that the system is too old. Each one is bound here, ahead of the import
// library, to a function that uses the system's own version where there is one.
//
// This file must be linked as an object of the executable, not from a static library: the linker
// only takes a library member for a symbol that is still undefined when it reaches the library.
#include <windows.h>

namespace {

template <typename Function>
Function Kernel32Function(const char* name)
{
    return reinterpret_cast<Function>(reinterpret_cast<void*>(GetProcAddress(GetModuleHandleA("kernel32.dll"), name)));
}

ULONGLONG WINAPI GetTickCount64OnAnyWindows()
{
    typedef ULONGLONG(WINAPI * GetTickCount64Fn)();
    static const GetTickCount64Fn native = Kernel32Function<GetTickCount64Fn>("GetTickCount64");
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

// The thread library's handler that names threads for a debugger; without it, threads go unnamed.
// Called from the thread library's start-up, before static objects exist: looked up each time,
// with no guarded static.
PVOID WINAPI AddVectoredExceptionHandlerOnAnyWindows(ULONG first, PVECTORED_EXCEPTION_HANDLER handler)
{
    typedef PVOID(WINAPI * Fn)(ULONG, PVECTORED_EXCEPTION_HANDLER);
    const Fn native = Kernel32Function<Fn>("AddVectoredExceptionHandler");
    return native ? native(first, handler) : nullptr;
}

ULONG WINAPI RemoveVectoredExceptionHandlerOnAnyWindows(PVOID handle)
{
    typedef ULONG(WINAPI * Fn)(PVOID);
    const Fn native = Kernel32Function<Fn>("RemoveVectoredExceptionHandler");
    return native && handle ? native(handle) : 0;
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
extern PVOID(WINAPI* const noxImportAddVectoredExceptionHandler)(ULONG, PVECTORED_EXCEPTION_HANDLER) __asm__(
    NOX_IMPORT_SYMBOL(AddVectoredExceptionHandler, 8));
PVOID(WINAPI* const noxImportAddVectoredExceptionHandler)(ULONG, PVECTORED_EXCEPTION_HANDLER) =
    AddVectoredExceptionHandlerOnAnyWindows;
extern ULONG(WINAPI* const noxImportRemoveVectoredExceptionHandler)(PVOID) __asm__(
    NOX_IMPORT_SYMBOL(RemoveVectoredExceptionHandler, 4));
ULONG(WINAPI* const noxImportRemoveVectoredExceptionHandler)(PVOID) = RemoveVectoredExceptionHandlerOnAnyWindows;
}
