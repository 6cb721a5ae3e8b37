#pragma once
// Small queries of the platform: special folders, file versions, the maker's server process and
// date-time stamps for file names.
#include <windows.h>

#include <cstdint>
#include <optional>
#include <string>

#include "platform/SystemLibrary.h"

struct FileVersion
{
    unsigned major = 0;
    unsigned minor = 0;
    unsigned build = 0;
    unsigned revision = 0;
};

// The folder's path, always with a final backslash. CSIDL_WINDOWS falls back to the Windows directory
// when the shell cannot answer. `owner` is the window the shell may use for its own messages.
bool GetSpecialFolder(int folderId, std::string& path, HWND owner = nullptr);

// The running program's full path in UTF-16, however long (a narrow path loses the characters the
// ANSI code page lacks); empty when it cannot be read.
std::wstring OwnProgramPath();

// The fixed version of the file's version resource; false without a file or a version resource.
bool GetFileVersion(const std::string& path, FileVersion& version);

// version.dll's functions, bound once for the reader's lifetime. A reader made before a block that
// turns WoW64 file-system redirection off reads inside it, where no library can be loaded.
class FileVersionReader
{
public:
    FileVersionReader();
    FileVersionReader(const FileVersionReader&) = delete;
    FileVersionReader& operator=(const FileVersionReader&) = delete;

    // As GetFileVersion.
    bool Read(const std::string& path, FileVersion& version) const;

private:
    typedef DWORD(WINAPI* GetFileVersionInfoSizeFn)(LPCSTR, LPDWORD);
    typedef BOOL(WINAPI* GetFileVersionInfoFn)(LPCSTR, DWORD, DWORD, LPVOID);
    typedef BOOL(WINAPI* VerQueryValueFn)(LPCVOID, LPCSTR, LPVOID*, PUINT);

    NRSystemLibrary m_library{"version.dll"};
    const GetFileVersionInfoSizeFn m_getSize;
    const GetFileVersionInfoFn m_getInfo;
    const VerQueryValueFn m_queryValue;
};

// The Windows folder shared by every user, with a final backslash (GetSystemWindowsDirectory): on a
// Remote Desktop session host the Windows folder that GetWindowsDirectory and the shell name may be
// a private one of the user's. Empty when it cannot be read.
std::string SystemWindowsFolder();

// The maker's network server program, found by its file name in any letter case.
extern const char kServerProcessName[];  // "NoxNetServer.exe"
bool FindServerProcess(DWORD& processId);
// A running process whose executable has this file name, in any letter case.
bool FindProcessByName(const char* exeName, DWORD& processId);

// Local date and time as "YYYY<d>MM<d>DD<m>hh<t>mm<t>ss"; a separator of 0 is left out.
// `time` is seconds since 1970-01-01 00:00 UTC; none means now. An empty text when the time lies
// outside what Windows can convert (before 1601 or after 30827, in UTC or in local time).
std::string FormatDateTimeStamp(std::optional<std::int64_t> time, char dateSeparator, char middle, char timeSeparator);
