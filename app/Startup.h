#pragma once
// The installer's entry: version query, system checks, main window and message loop.
#include <windows.h>

#include <cstdint>
#include <string>

#include "platform/Elevation.h"
#include "platform/SystemInfo.h"

class NoxSetupWnd;

// Exactly "/version" (case-sensitive, nothing before or after) asks for the version line.
bool IsVersionQuery(const char* commandLine);

// What start-up asks of the system. Tests replace parts of it for what Wine cannot be made to be:
// a 32-bit Windows, a kernel32 without the redirection switches, a signed test program, an
// administrator's filtered token and the answers to the elevation prompt. The shipped program uses
// kThisSystem only: nothing outside it can change these.
struct StartupSystem
{
    bool (*isWow64)();
    OsType (*detectOsType)();
    const char* redirectionModule;  // where the WOW64 file-system redirection switches are looked up
    // Checks the running program's own signature; on failure `reason` says why.
    bool (*verifyOwnSignature)(std::string& reason);
    ProcessElevation (*processElevation)() = QueryProcessElevation;
    ElevatedRun (*runElevated)(const std::wstring& program, int showCommand, DWORD& exitCode) = RunElevatedAndWait;
    std::uint16_t (*nativeMachine)() = QueryNativeMachine;
};
extern const StartupSystem kThisSystem;

// Runs the whole program for one command line on the process's main window object and returns the
// process exit code.
int RunInstaller(NoxSetupWnd& mainWnd, HINSTANCE instance, const char* commandLine, int showCommand,
                 const StartupSystem& system = kThisSystem);
