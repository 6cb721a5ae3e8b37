#pragma once
// Which Windows the installer runs on: version class, word size and administrator rights.
// Every system function that older Windows lacks is resolved at run time.
#include <windows.h>

#include <cstdint>
#include <optional>
#include <string>

enum OsType : std::int32_t
{
    OsWinTooOld = 0,
    OsWinXP = 1,
    OsWinVista = 2,
    OsWin7 = 3,
    OsWin8 = 4,
    OsWin10 = 5,
    OsWin11 = 6,
};

// "Win11", "Win10", ... "WinTooOld".
const char* OsTypeName(OsType type);

typedef BOOL(WINAPI* Wow64DisableFsRedirectionFn)(PVOID* oldValue);
typedef BOOL(WINAPI* Wow64RevertFsRedirectionFn)(PVOID oldValue);

// System facts, written once by start-up before the main window exists and only read afterwards.
extern OsType g_osType;
extern std::uint8_t g_isWow64;
extern std::string g_osName;  // OS name + " x64" or " x32"
extern Wow64DisableFsRedirectionFn g_pfnWow64DisableFsRedirection;
extern Wow64RevertFsRedirectionFn g_pfnWow64RevertFsRedirection;
// The machine Windows itself runs on (IMAGE_FILE_MACHINE_*), or IMAGE_FILE_MACHINE_UNKNOWN where it
// cannot tell. Windows on ARM64 runs x86 and x64 programs too, and then says WoW64 like x64 Windows.
extern std::uint16_t g_nativeMachine;

// True when the process runs on 64-bit Windows. The shipped 32-bit build asks IsWow64Process; a 64-bit
// build can only be running on 64-bit Windows, so it answers true.
bool IsWow64();
// What IsWow64Process reports for this process (false when kernel32 lacks it or the call fails).
bool QueryWow64Process();
// The native machine IsWow64Process2 reports (Windows 10 1709 and later); IMAGE_FILE_MACHINE_UNKNOWN
// where kernel32 lacks it or the call fails.
std::uint16_t QueryNativeMachine();
// " ARM64" on Windows on ARM64, else " x64" on 64-bit Windows and " x32" on 32-bit Windows: what
// follows the Windows name in the first line.
const char* WordSizeSuffix(bool wow64, std::uint16_t nativeMachine);

struct NtVersion
{
    DWORD major = 0;
    DWORD minor = 0;
    DWORD build = 0;  // as reported, flag bits included
};

// RtlGetNtVersionNumbers, or nothing when ntdll does not export it.
std::optional<NtVersion> QueryNtVersion();

// The decisions on a reported version. A missing version counts as Windows 11 (and as Windows 10).
bool IsWin11OrLater(const std::optional<NtVersion>& version);
bool IsWin10(const std::optional<NtVersion>& version);

bool IsWin11OrLater();
bool IsWin10();
bool IsWindowsVersionOrGreater(WORD major, WORD minor, WORD servicePackMajor);
bool HasAdministratorRights();

// The tests behind the version classes, tried from the newest class down; replaceable for tests.
struct OsVersionTests
{
    bool (*isWin11OrLater)();
    bool (*isWin10)();
    bool (*isVersionOrGreater)(WORD major, WORD minor, WORD servicePackMajor);
};
extern const OsVersionTests kSystemOsVersionTests;

OsType DetectOsType(const OsVersionTests& tests = kSystemOsVersionTests);
