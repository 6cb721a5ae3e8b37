#pragma once
// Libraries of the Windows system folder, loaded by their full path. Never by bare name: Windows
// would look in the program's own folder first, and an installer is started from Downloads, where
// any web page can leave a file. Only the known DLLs of Windows (kernel32, user32, gdi32, advapi32,
// shell32, shlwapi, ole32, ws2_32, msvcrt) are imported; every other function is bound here.
#include <windows.h>

#include <string>

// Narrows the process's library search to the system folder, before anything else is loaded:
// SetDefaultDllDirectories where kernel32 has it (Windows 8 and later, 7 and Vista with their
// update), otherwise SetDllDirectoryW(L"") takes the current folder out of the search.
void RestrictLibrarySearchToSystemFolder();

// A folder of Windows as a GetSystemDirectoryA-like call names it, with a final backslash; empty
// when it cannot be read.
std::string WindowsFolderPath(UINT(WINAPI* query)(LPSTR, UINT));

// "<system folder>\<fileName>": SysWOW64 for a 32-bit process on 64-bit Windows, as the process
// sees its own system folder. Empty when the system folder cannot be read.
std::string SystemLibraryPath(const char* fileName);

// Loads the library at `path`, a full path, with its own dependencies looked for in its own folder
// first (LOAD_WITH_ALTERED_SEARCH_PATH), never in the program's. Null when it cannot, and always
// while this thread has WoW64 file-system redirection off (platform/RedirectionMark.h).
HMODULE LoadLibraryByFullPath(const std::string& path);

// Loads the library at `path`, a full path, with its dependencies looked for only in its own folder
// and the system folder (LOAD_LIBRARY_SEARCH_DLL_LOAD_DIR | LOAD_LIBRARY_SEARCH_SYSTEM32 where
// Windows has them: 8 and later, 7 and Vista with their update), else LOAD_WITH_ALTERED_SEARCH_PATH.
// Null when `path` is empty, the library does not load, or this thread has WoW64 redirection off.
HMODULE LoadLibraryWithItsFolder(const std::string& path);

// A system library held for the lifetime of the object, unloaded with it.
class NRSystemLibrary
{
public:
    explicit NRSystemLibrary(const char* fileName);
    ~NRSystemLibrary();
    NRSystemLibrary(const NRSystemLibrary&) = delete;
    NRSystemLibrary& operator=(const NRSystemLibrary&) = delete;

    HMODULE Handle() const { return m_module; }
    // The exported function as the given pointer type, or null when the library or the function is
    // missing.
    template <typename Function>
    Function Find(const char* name) const
    {
        return m_module ? reinterpret_cast<Function>(reinterpret_cast<void*>(GetProcAddress(m_module, name)))
                        : nullptr;
    }

private:
    HMODULE m_module;
};
