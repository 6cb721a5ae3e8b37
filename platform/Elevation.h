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
// it ends.
ElevatedRun RunElevatedAndWait(const std::wstring& program, int showCommand, DWORD& exitCode);
