#include "platform/SystemInfo.h"

OsType g_osType = OsWinTooOld;
std::uint8_t g_isWow64 = 0;
std::string g_osName;
Wow64DisableFsRedirectionFn g_pfnWow64DisableFsRedirection = nullptr;
Wow64RevertFsRedirectionFn g_pfnWow64RevertFsRedirection = nullptr;
std::uint16_t g_nativeMachine = IMAGE_FILE_MACHINE_UNKNOWN;

namespace {

// The build number's top four bits are flags (checked build and the like), not part of the number.
constexpr DWORD kBuildNumberMask = 0x0FFFFFFF;
// Windows 11 still reports major version 10; its builds start above every Windows 10 build.
constexpr DWORD kFirstWin11Build = 20000;

DWORD MaskedBuild(const NtVersion& version) { return version.build & kBuildNumberMask; }

}  // namespace

const char* OsTypeName(OsType type)
{
    switch (type) {
    case OsWin11:
        return "Win11";
    case OsWin10:
        return "Win10";
    case OsWin8:
        return "Win8";
    case OsWin7:
        return "Win7";
    case OsWinVista:
        return "WinVista";
    case OsWinXP:
        return "WinXP";
    case OsWinTooOld:
        break;
    }
    return "WinTooOld";
}

bool QueryWow64Process()
{
    // kernel32 is in every process; holding on to it needs no reference of our own.
    typedef BOOL(WINAPI * IsWow64ProcessFn)(HANDLE, PBOOL);
    HMODULE kernel32 = GetModuleHandleA("kernel32.dll");
    auto isWow64Process = kernel32 ? reinterpret_cast<IsWow64ProcessFn>(
                                         reinterpret_cast<void*>(GetProcAddress(kernel32, "IsWow64Process")))
                                   : nullptr;
    BOOL wow64 = FALSE;
    return isWow64Process && isWow64Process(GetCurrentProcess(), &wow64) && wow64;
}

std::uint16_t QueryNativeMachine()
{
    typedef BOOL(WINAPI * IsWow64Process2Fn)(HANDLE, USHORT*, USHORT*);
    HMODULE kernel32 = GetModuleHandleA("kernel32.dll");
    auto isWow64Process2 =
        kernel32
            ? reinterpret_cast<IsWow64Process2Fn>(reinterpret_cast<void*>(GetProcAddress(kernel32, "IsWow64Process2")))
            : nullptr;
    USHORT processMachine = IMAGE_FILE_MACHINE_UNKNOWN, nativeMachine = IMAGE_FILE_MACHINE_UNKNOWN;
    if (!isWow64Process2 || !isWow64Process2(GetCurrentProcess(), &processMachine, &nativeMachine))
        return IMAGE_FILE_MACHINE_UNKNOWN;
    return nativeMachine;
}

const char* WordSizeSuffix(bool wow64, std::uint16_t nativeMachine)
{
    if (nativeMachine == IMAGE_FILE_MACHINE_ARM64)
        return " ARM64";
    return wow64 ? " x64" : " x32";
}

bool IsWow64()
{
#ifdef _WIN64
    return true;
#else
    return QueryWow64Process();
#endif
}

std::optional<NtVersion> QueryNtVersion()
{
    typedef void(WINAPI * RtlGetNtVersionNumbersFn)(DWORD*, DWORD*, DWORD*);
    HMODULE ntdll = GetModuleHandleA("ntdll.dll");
    if (!ntdll)
        return std::nullopt;
    auto getVersion = reinterpret_cast<RtlGetNtVersionNumbersFn>(
        reinterpret_cast<void*>(GetProcAddress(ntdll, "RtlGetNtVersionNumbers")));
    if (!getVersion)
        return std::nullopt;
    NtVersion version;
    getVersion(&version.major, &version.minor, &version.build);
    return version;
}

bool IsWin11OrLater(const std::optional<NtVersion>& version)
{
    if (!version)
        return true;
    return version->major > 10 || (version->major == 10 && MaskedBuild(*version) >= kFirstWin11Build);
}

bool IsWin10(const std::optional<NtVersion>& version)
{
    if (!version)
        return true;
    return version->major == 10 && MaskedBuild(*version) < kFirstWin11Build;
}

bool IsWin11OrLater() { return IsWin11OrLater(QueryNtVersion()); }

bool IsWin10() { return IsWin10(QueryNtVersion()); }

bool IsWindowsVersionOrGreater(WORD major, WORD minor, WORD servicePackMajor)
{
    OSVERSIONINFOEXW info = {};
    info.dwOSVersionInfoSize = sizeof(info);
    info.dwMajorVersion = major;
    info.dwMinorVersion = minor;
    info.wServicePackMajor = servicePackMajor;
    DWORDLONG mask = 0;
    mask = VerSetConditionMask(mask, VER_MAJORVERSION, VER_GREATER_EQUAL);
    mask = VerSetConditionMask(mask, VER_MINORVERSION, VER_GREATER_EQUAL);
    mask = VerSetConditionMask(mask, VER_SERVICEPACKMAJOR, VER_GREATER_EQUAL);
    return VerifyVersionInfoW(&info, VER_MAJORVERSION | VER_MINORVERSION | VER_SERVICEPACKMAJOR, mask) != FALSE;
}

bool HasAdministratorRights()
{
    // Only administrators may open the machine's security hive.
    HKEY key = nullptr;
    if (RegOpenKeyA(HKEY_LOCAL_MACHINE, "SECURITY", &key) != ERROR_SUCCESS)
        return false;
    RegCloseKey(key);
    return true;
}

const OsVersionTests kSystemOsVersionTests = {
    [] { return IsWin11OrLater(); },
    [] { return IsWin10(); },
    IsWindowsVersionOrGreater,
};

OsType DetectOsType(const OsVersionTests& tests)
{
    if (tests.isWin11OrLater())
        return OsWin11;
    if (tests.isWin10())
        return OsWin10;
    if (tests.isVersionOrGreater(6, 2, 0))
        return OsWin8;
    if (tests.isVersionOrGreater(6, 1, 0))
        return OsWin7;
    if (tests.isVersionOrGreater(6, 0, 0))
        return OsWinVista;
    if (tests.isVersionOrGreater(5, 1, 0))
        return OsWinXP;
    return OsWinTooOld;
}
