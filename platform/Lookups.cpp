#include "platform/Lookups.h"

#include <mbstring.h>
#include <shlobj.h>
#include <tlhelp32.h>

#include <limits>
#include <vector>

#include "platform/SystemLibrary.h"
#include "platform/Text.h"

const char kServerProcessName[] = "NoxNetServer.exe";

bool GetSpecialFolder(int folderId, std::string& path, HWND owner)
{
    char buffer[MAX_PATH] = {};
    bool found = SHGetSpecialFolderPathA(owner, buffer, folderId, FALSE) != FALSE;
    if (!found && folderId == CSIDL_WINDOWS) {
        const UINT length = GetWindowsDirectoryA(buffer, MAX_PATH);
        found = length > 0 && length < MAX_PATH;
    }
    path = buffer;
    path += '\\';
    return found;
}

std::wstring OwnProgramPath()
{
    std::wstring path(32768, L'\0');
    const DWORD length = GetModuleFileNameW(nullptr, &path[0], static_cast<DWORD>(path.size()));
    path.resize(length < path.size() ? length : 0);
    return path;
}

bool GetFileVersion(const std::string& path, FileVersion& version) { return FileVersionReader().Read(path, version); }

FileVersionReader::FileVersionReader()
    : m_getSize(m_library.Find<GetFileVersionInfoSizeFn>("GetFileVersionInfoSizeA")),
      m_getInfo(m_library.Find<GetFileVersionInfoFn>("GetFileVersionInfoA")),
      m_queryValue(m_library.Find<VerQueryValueFn>("VerQueryValueA"))
{
}

bool FileVersionReader::Read(const std::string& path, FileVersion& version) const
{
    if (!m_getSize || !m_getInfo || !m_queryValue)
        return false;
    DWORD ignored = 0;
    const DWORD size = m_getSize(path.c_str(), &ignored);
    if (size == 0)
        return false;
    std::vector<BYTE> data(size);
    if (!m_getInfo(path.c_str(), 0, size, data.data()))
        return false;
    VS_FIXEDFILEINFO* fixed = nullptr;
    UINT fixedSize = 0;
    if (!m_queryValue(data.data(), "\\", reinterpret_cast<void**>(&fixed), &fixedSize) || !fixed ||
        fixedSize < sizeof(VS_FIXEDFILEINFO))
        return false;
    version.major = HIWORD(fixed->dwFileVersionMS);
    version.minor = LOWORD(fixed->dwFileVersionMS);
    version.build = HIWORD(fixed->dwFileVersionLS);
    version.revision = LOWORD(fixed->dwFileVersionLS);
    return true;
}

std::string SystemWindowsFolder() { return WindowsFolderPath(GetSystemWindowsDirectoryA); }

bool FindServerProcess(DWORD& processId) { return FindProcessByName(kServerProcessName, processId); }

bool FindProcessByName(const char* exeName, DWORD& processId)
{
    HANDLE snapshot = CreateToolhelp32Snapshot(TH32CS_SNAPPROCESS, 0);
    if (snapshot == INVALID_HANDLE_VALUE)
        return false;
    bool found = false;
    PROCESSENTRY32 entry = {};
    entry.dwSize = sizeof(entry);
    for (BOOL more = Process32First(snapshot, &entry); more; more = Process32Next(snapshot, &entry)) {
        if (_mbsicmp(reinterpret_cast<const unsigned char*>(entry.szExeFile),
                     reinterpret_cast<const unsigned char*>(exeName)) == 0) {
            processId = entry.th32ProcessID;
            found = true;
            break;
        }
    }
    CloseHandle(snapshot);
    return found;
}

std::string FormatDateTimeStamp(std::optional<std::int64_t> time, char dateSeparator, char middle, char timeSeparator)
{
    SYSTEMTIME utc = {};
    if (time) {
        // Seconds since 1970 to the 100-ns ticks since 1601 that Windows counts in, refusing what
        // does not fit a FILETIME's signed 64-bit range before multiplying.
        constexpr std::int64_t kTicksPerSecond = 10000000;
        constexpr std::int64_t kTicksFrom1601To1970 = 116444736000000000LL;
        constexpr std::int64_t kFirstSecond = -kTicksFrom1601To1970 / kTicksPerSecond;
        constexpr std::int64_t kLastSecond =
            (std::numeric_limits<std::int64_t>::max() - kTicksFrom1601To1970) / kTicksPerSecond;
        if (*time < kFirstSecond || *time > kLastSecond)
            return std::string();
        const std::uint64_t ticks = static_cast<std::uint64_t>(*time * kTicksPerSecond + kTicksFrom1601To1970);
        const FILETIME fileTime = {static_cast<DWORD>(ticks), static_cast<DWORD>(ticks >> 32)};
        if (!FileTimeToSystemTime(&fileTime, &utc))
            return std::string();
    } else {
        GetSystemTime(&utc);
    }
    // The rules in force on that date, daylight saving included.
    SYSTEMTIME local = {};
    if (!SystemTimeToTzSpecificLocalTime(nullptr, &utc, &local))
        return std::string();

    std::string stamp = dateSeparator ? FormatText("%4d%c%02d%c%02d", local.wYear, dateSeparator, local.wMonth,
                                                   dateSeparator, local.wDay)
                                      : FormatText("%4d%02d%02d", local.wYear, local.wMonth, local.wDay);
    if (middle)
        stamp += middle;
    stamp += timeSeparator ? FormatText("%02d%c%02d%c%02d", local.wHour, timeSeparator, local.wMinute, timeSeparator,
                                        local.wSecond)
                           : FormatText("%02d%02d%02d", local.wHour, local.wMinute, local.wSecond);
    return stamp;
}
