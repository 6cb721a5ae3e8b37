#pragma once
// Whether the process runs with the filtered token of an administrator under User Account Control,
// and starting the program again elevated. An administrator who double-clicks the installer on
// Windows Vista to 11 gets the filtered token, which cannot install a driver.
#include <windows.h>

#include <string>

// The process token's elevation type (TokenElevationType), Vista and later.
enum class ProcessElevation
{
    Unknown,  // the system cannot tell (Windows XP) or the query failed
    Default,  // a standard user, or User Account Control is off
    Full,     // elevated
    Limited,  // an administrator's filtered token: elevation can be asked for
};
ProcessElevation QueryProcessElevation();

enum class ElevatedRun
{
    Finished,  // it ran and ended; its exit code is given back
    Declined,  // the user said no at the prompt
    Failed,    // it could not be started
};
// Starts `program` with the verb "runas" and no arguments, shown with `showCommand`, and waits until
// it ends, handling this thread's messages meanwhile: a COM apartment and the hidden windows of the
// thread must go on answering (a broadcast waits for every top-level window). A program on a mapped
// network drive is started by its UNC path.
ElevatedRun RunElevatedAndWait(const std::wstring& program, int showCommand, DWORD& exitCode);

// The elevated token does not see the drive letters the user mapped (they belong to the user's
// filtered logon session), so a program on a network drive is named by its UNC path for it.
// `driveType` and `universalName` are GetDriveTypeW and a WNetGetUniversalNameW lookup; the path is
// given back as it is where the drive is not remote or the lookup fails.
struct NetworkDrives
{
    UINT (*driveType)(const std::wstring& root);
    bool (*universalName)(const std::wstring& path, std::wstring& unc);
};
extern const NetworkDrives kWindowsNetworkDrives;
std::wstring PathForElevatedRun(const std::wstring& program, const NetworkDrives& drives = kWindowsNetworkDrives);
