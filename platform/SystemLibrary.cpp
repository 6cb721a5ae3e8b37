#include "platform/SystemLibrary.h"

#include "platform/RedirectionMark.h"

namespace {

// Not in Windows XP's headers.
constexpr DWORD kLoadLibrarySearchSystem32 = 0x00000800;
constexpr DWORD kLoadLibrarySearchDllLoadDir = 0x00000100;

// A path to load from, and a thread that has WoW64 redirection on: Windows fails a load while it
// is off, and every build refuses it the same way.
bool MayLoad(const std::string& path)
{
    if (path.empty())
        return false;
    if (RedirectionOffOnThisThread() && ViolatesRedirectionOff(("LoadLibrary " + path).c_str())) {
        SetLastError(ERROR_MOD_NOT_FOUND);
        return false;
    }
    return true;
}

}  // namespace

void RestrictLibrarySearchToSystemFolder()
{
    // kernel32 is in every process; these two are looked up since older systems lack them.
    HMODULE kernel32 = GetModuleHandleA("kernel32.dll");
    if (!kernel32)
        return;
    typedef BOOL(WINAPI * SetDefaultDllDirectoriesFn)(DWORD);
    typedef BOOL(WINAPI * SetDllDirectoryWFn)(LPCWSTR);
    auto setDefault = reinterpret_cast<SetDefaultDllDirectoriesFn>(
        reinterpret_cast<void*>(GetProcAddress(kernel32, "SetDefaultDllDirectories")));
    if (setDefault && setDefault(kLoadLibrarySearchSystem32))
        return;
    auto setDirectory =
        reinterpret_cast<SetDllDirectoryWFn>(reinterpret_cast<void*>(GetProcAddress(kernel32, "SetDllDirectoryW")));
    if (setDirectory)
        setDirectory(L"");
}

std::string WindowsFolderPath(UINT(WINAPI* query)(LPSTR, UINT))
{
    char buffer[MAX_PATH] = {};
    const UINT length = query(buffer, MAX_PATH);
    if (length == 0 || length >= MAX_PATH)
        return std::string();
    std::string folder(buffer, length);
    if (folder.back() != '\\')
        folder += '\\';
    return folder;
}

std::string SystemLibraryPath(const char* fileName)
{
    const std::string folder = WindowsFolderPath(GetSystemDirectoryA);
    return folder.empty() ? folder : folder + fileName;
}

HMODULE LoadLibraryByFullPath(const std::string& path)
{
    if (!MayLoad(path))
        return nullptr;
    return LoadLibraryExA(path.c_str(), nullptr, LOAD_WITH_ALTERED_SEARCH_PATH);
}

HMODULE LoadLibraryWithItsFolder(const std::string& path)
{
    if (!MayLoad(path))
        return nullptr;
    // AddDllDirectory arrived with the search flags (KB2533623): its presence says they work.
    HMODULE kernel32 = GetModuleHandleA("kernel32.dll");
    if (kernel32 && GetProcAddress(kernel32, "AddDllDirectory"))
        return LoadLibraryExA(path.c_str(), nullptr, kLoadLibrarySearchDllLoadDir | kLoadLibrarySearchSystem32);
    return LoadLibraryExA(path.c_str(), nullptr, LOAD_WITH_ALTERED_SEARCH_PATH);
}

NRSystemLibrary::NRSystemLibrary(const char* fileName) : m_module(LoadLibraryByFullPath(SystemLibraryPath(fileName)))
{
}

NRSystemLibrary::~NRSystemLibrary()
{
    if (m_module)
        FreeLibrary(m_module);
}
