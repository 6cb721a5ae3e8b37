// A program that crashes on purpose, with the crash reporter installed as the installer installs it:
//   crasher access | chained | noparams | unknown | stack | throw-in-window | throw-in-main |
//           heap-locked | two-stacks
// access: writes through a null pointer; chained: raises an exception whose record chains to a
// second; noparams: integer division by zero raised with no parameters; unknown: a code of no name
// with two parameters; stack: recursion until the stack is gone; throw-in-window: a toolkit
// window's message handler throws a C++ exception; throw-in-main: one leaves main; heap-locked:
// a null write while another thread holds the lock of the C runtime's heap;
// two-stacks: two threads run out of stack at the same time.
#include <windows.h>

#include <malloc.h>

#include <cstring>
#include <stdexcept>

#include "app/Version.h"
#include "platform/CrashReporter.h"
#include "ui/framework/AppModule.h"
#include "ui/framework/WindowImpl.h"

extern "C" NTSYSAPI VOID NTAPI RtlRaiseException(PEXCEPTION_RECORD record);

namespace {

NRCrashReporter g_crashReporter({NOX_VERSION_MAJOR, NOX_VERSION_MINOR, NOX_VERSION_BUILD});

volatile bool g_deeper = true;

class ThrowingWindow : public NRWindowImpl<ThrowingWindow, NRWinTraits<WS_POPUP>>
{
public:
    static NRWndClassInfo& GetWndClassInfo()
    {
        static NRWndClassInfo info = {"NoxCrasherWindow", 0, nullptr, IDC_ARROW, 0};
        return info;
    }
    bool ProcessWindowMessage(HWND, UINT message, WPARAM, LPARAM, LRESULT&) override
    {
        if (message == WM_USER)
            throw std::runtime_error("thrown by a message handler");
        return false;
    }
};

int Recurse(int depth)
{
    volatile char frame[512];
    frame[0] = static_cast<char>(depth);
    return g_deeper ? Recurse(depth + 1) + frame[0] : 0;
}

// Holds the lock of the heap that malloc and new take from for the rest of the process, as a
// thread stopped inside malloc would. (The process heap stays free: Windows' own CreateFile and
// message box take memory from it.)
DWORD WINAPI HoldTheHeapLock(void* locked)
{
    HeapLock(reinterpret_cast<HANDLE>(_get_heap_handle()));
    SetEvent(static_cast<HANDLE>(locked));
    Sleep(INFINITE);
    return 0;
}

DWORD WINAPI RecurseWhenReleased(void* start)
{
    WaitForSingleObject(static_cast<HANDLE>(start), INFINITE);
    return static_cast<DWORD>(Recurse(0));
}

}  // namespace

int main(int argc, char** argv)
{
    const char* mode = argc > 1 ? argv[1] : "";
    if (std::strcmp(mode, "access") == 0) {
        *static_cast<volatile int*>(nullptr) = 1;
    } else if (std::strcmp(mode, "chained") == 0) {
        EXCEPTION_RECORD inner = {};
        inner.ExceptionCode = 0xC0000005;
        inner.ExceptionAddress = reinterpret_cast<void*>(0x1234);
        inner.NumberParameters = 2;
        inner.ExceptionInformation[0] = 0;
        inner.ExceptionInformation[1] = 0xDEAD;
        EXCEPTION_RECORD outer = {};
        outer.ExceptionCode = 0xC0000025;
        outer.ExceptionFlags = EXCEPTION_NONCONTINUABLE;
        outer.ExceptionRecord = &inner;
        outer.NumberParameters = 1;
        outer.ExceptionInformation[0] = 0x42;
        RtlRaiseException(&outer);
    } else if (std::strcmp(mode, "noparams") == 0) {
        RaiseException(0xC0000094, 0, 0, nullptr);
    } else if (std::strcmp(mode, "unknown") == 0) {
        const ULONG_PTR parameters[] = {0xAB, 0xCD};
        RaiseException(0xE0001234, 0, 2, parameters);
    } else if (std::strcmp(mode, "stack") == 0) {
        return Recurse(0);
    } else if (std::strcmp(mode, "throw-in-window") == 0) {
        g_module.Init(GetModuleHandleA(nullptr));
        ThrowingWindow window;
        if (window.Create(nullptr, RECT{0, 0, 100, 100}))
            window.SendMessage(WM_USER);
        return 3;  // no window: the test sees no crash
    } else if (std::strcmp(mode, "heap-locked") == 0) {
        HANDLE locked = CreateEventA(nullptr, TRUE, FALSE, nullptr);
        CloseHandle(CreateThread(nullptr, 0, HoldTheHeapLock, locked, 0, nullptr));
        WaitForSingleObject(locked, INFINITE);
        *static_cast<volatile int*>(nullptr) = 1;
    } else if (std::strcmp(mode, "two-stacks") == 0) {
        HANDLE start = CreateEventA(nullptr, TRUE, FALSE, nullptr);
        HANDLE threads[] = {CreateThread(nullptr, 0, RecurseWhenReleased, start, 0, nullptr),
                            CreateThread(nullptr, 0, RecurseWhenReleased, start, 0, nullptr)};
        SetEvent(start);
        WaitForMultipleObjects(2, threads, TRUE, INFINITE);
        return 3;  // both threads came back: the test sees no crash
    } else if (std::strcmp(mode, "throw-in-main") == 0) {
        throw std::runtime_error("thrown out of main");
    }
    return 0;
}
