#include "RedirectionRecorder.h"

#include <windows.h>
#include <winternl.h>

#include <stdexcept>

#include "DriverMachine.h"
#include "TestSupport.h"
#include "platform/Lookups.h"
#include "platform/RedirectionMark.h"
#include "platform/SystemInfo.h"

using namespace testing_support;

namespace {

RedirectionRecorder* g_recorder = nullptr;

// Only a 32-bit process under WoW64 that plays 64-bit Windows is really redirected.
bool ForwardToWindows() { return sizeof(void*) == 4 && g_isWow64 && QueryWow64Process(); }

BOOL WINAPI RecordOff(PVOID* saved)
{
    if (g_recorder)
        ++g_recorder->offCalls;
    *saved = nullptr;
    return ForwardToWindows() ? Wow64DisableWow64FsRedirection(saved) : TRUE;
}

BOOL WINAPI RecordRestore(PVOID saved)
{
    if (g_recorder)
        ++g_recorder->restoreCalls;
    return ForwardToWindows() ? Wow64RevertWow64FsRedirection(saved) : TRUE;
}

void RecordFault(const char* what)
{
    if (g_recorder)
        g_recorder->faults.push_back(what);
}

// The loader's notification of a mapped library (LdrRegisterDllNotification, Vista and later).
struct LoadedLibraryNotice
{
    ULONG flags;
    const UNICODE_STRING* fullName;
    const UNICODE_STRING* baseName;
    void* base;
    ULONG size;
};
constexpr ULONG kLibraryLoaded = 1;
typedef void(CALLBACK* LoadNotificationFn)(ULONG reason, const LoadedLibraryNotice* notice, void* context);
typedef LONG(NTAPI* RegisterLoadNotificationFn)(ULONG flags, LoadNotificationFn notify, void* context, void** cookie);
typedef LONG(NTAPI* UnregisterLoadNotificationFn)(void* cookie);

template <typename Fn>
Fn NtdllFunction(const char* name)
{
    return reinterpret_cast<Fn>(reinterpret_cast<void*>(GetProcAddress(GetModuleHandleA("ntdll.dll"), name)));
}

// Runs on the thread that loads, inside the loader.
void CALLBACK RecordLoad(ULONG reason, const LoadedLibraryNotice* notice, void*)
{
    if (reason != kLibraryLoaded || !RedirectionOffOnThisThread() || !g_recorder)
        return;
    std::string name = "library loaded: ";
    if (notice && notice->baseName && notice->baseName->Buffer)
        for (USHORT i = 0; i < notice->baseName->Length / sizeof(WCHAR); ++i)
            name += static_cast<char>(notice->baseName->Buffer[i] < 128 ? notice->baseName->Buffer[i] : '?');
    g_recorder->faults.push_back(name);
}

bool PlaysTheRedirectedProgram() { return sizeof(void*) == 8 && g_isWow64; }

}  // namespace

RedirectionRecorder::RedirectionRecorder()
{
    g_recorder = this;
    SetRedirectionViolationHandler(RecordFault);
    const auto registerNotification = NtdllFunction<RegisterLoadNotificationFn>("LdrRegisterDllNotification");
    if (!registerNotification || registerNotification(0, RecordLoad, nullptr, &m_loadNotification) != 0)
        throw std::runtime_error("the loader takes no library notification (LdrRegisterDllNotification)");
    if (sizeof(void*) == 8) {
        // The stand-in for SysWOW64: a driver folder of its own, and the service tool, since the
        // procedure runs "system32\\sc.exe" with redirection on.
        m_wow64Windows = std::make_unique<TempDir>("noxtest_wow64_windows_");
        const std::string system32 = m_wow64Windows->File("system32");
        if (!CreateDirectoryA(system32.c_str(), nullptr) ||
            !CreateDirectoryA((system32 + "\\drivers").c_str(), nullptr) ||
            !CopyFileA((SystemWindowsFolder() + "system32\\sc.exe").c_str(), (system32 + "\\sc.exe").c_str(), TRUE))
            throw std::runtime_error("the SysWOW64 stand-in cannot be made in " + m_wow64Windows->Path());
    }
}

RedirectionRecorder::~RedirectionRecorder()
{
    if (m_loadNotification)
        NtdllFunction<UnregisterLoadNotificationFn>("LdrUnregisterDllNotification")(m_loadNotification);
    SetRedirectionViolationHandler(nullptr);
    g_recorder = nullptr;
}

RedirectionSwitches RedirectionRecorder::Switches() { return RedirectionSwitches{RecordOff, RecordRestore}; }

std::string RedirectionRecorder::WindowsFolderAsSeen()
{
    if (PlaysTheRedirectedProgram() && !RedirectionOffOnThisThread() && g_recorder && g_recorder->m_wow64Windows)
        return g_recorder->m_wow64Windows->Path();
    return SystemWindowsFolder();
}

std::string RedirectionRecorder::RedirectedDriverFolder()
{
    if (sizeof(void*) == 8)
        return g_recorder && g_recorder->m_wow64Windows ? g_recorder->m_wow64Windows->File("system32\\drivers\\")
                                                        : std::string();
    return ThisProcessDriverFolder();
}
