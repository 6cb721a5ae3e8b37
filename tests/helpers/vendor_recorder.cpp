// A vendor library for the direct installation's tests: the three calls of W32N55.DLL, each noted as
// a line in "vendor-calls.txt" beside the library, and a service creation that always fails.
#include <windows.h>

#include <cstring>

namespace {

HMODULE g_self = nullptr;

void Note(const char* call, const char* serviceName)
{
    char path[MAX_PATH];
    const DWORD length = GetModuleFileNameA(g_self, path, MAX_PATH);
    if (length == 0 || length >= MAX_PATH)
        return;
    char* name = std::strrchr(path, '\\');
    if (!name || std::strlen("vendor-calls.txt") >= static_cast<std::size_t>(path + MAX_PATH - name - 1))
        return;
    std::strcpy(name + 1, "vendor-calls.txt");
    HANDLE file = CreateFileA(path, FILE_APPEND_DATA, 0, nullptr, OPEN_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE)
        return;
    DWORD written = 0;
    WriteFile(file, call, static_cast<DWORD>(std::strlen(call)), &written, nullptr);
    WriteFile(file, " ", 1, &written, nullptr);
    WriteFile(file, serviceName, static_cast<DWORD>(std::strlen(serviceName)), &written, nullptr);
    WriteFile(file, "\n", 1, &written, nullptr);
    CloseHandle(file);
}

}  // namespace

extern "C" {

BOOL WINAPI DllMain(HINSTANCE instance, DWORD reason, void*)
{
    if (reason == DLL_PROCESS_ATTACH)
        g_self = instance;
    return TRUE;
}

const char* WINAPI W32N_GetServiceNameA(void)
{
    Note("name", "");
    return "NxNtSp50";
}

BOOL WINAPI SCM_CreateDriverService(const char* serviceName)
{
    Note("create", serviceName);
    return FALSE;
}

BOOL WINAPI SCM_SetRawetherDaclA(const char* serviceName)
{
    Note("dacl", serviceName);
    return TRUE;
}

}  // extern "C"
