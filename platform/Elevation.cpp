#include "platform/Elevation.h"

#include <shellapi.h>

#include "platform/Handle.h"

namespace {

// Not in Windows XP's headers.
constexpr int kTokenElevationTypeClass = 18;  // TokenElevationType
constexpr DWORD kElevationTypeDefault = 1, kElevationTypeFull = 2, kElevationTypeLimited = 3;

}  // namespace

ProcessElevation QueryProcessElevation()
{
    NRHandle token;
    if (!OpenProcessToken(GetCurrentProcess(), TOKEN_QUERY, token.Out()))
        return ProcessElevation::Unknown;
    DWORD type = 0, size = 0;
    if (!GetTokenInformation(token.Get(), static_cast<TOKEN_INFORMATION_CLASS>(kTokenElevationTypeClass), &type,
                             sizeof(type), &size) ||
        size != sizeof(type))
        return ProcessElevation::Unknown;
    switch (type) {
    case kElevationTypeDefault:
        return ProcessElevation::Default;
    case kElevationTypeFull:
        return ProcessElevation::Full;
    case kElevationTypeLimited:
        return ProcessElevation::Limited;
    default:
        return ProcessElevation::Unknown;
    }
}

ElevatedRun RunElevatedAndWait(const std::wstring& program, int showCommand, DWORD& exitCode)
{
    // Quoted whole, so that a folder with a blank in its name does not become command-line text,
    // which would start a test pass.
    const std::wstring quoted = L"\"" + program + L"\"";
    SHELLEXECUTEINFOW info = {};
    info.cbSize = sizeof(info);
    info.fMask = SEE_MASK_NOCLOSEPROCESS | SEE_MASK_FLAG_NO_UI;
    info.lpVerb = L"runas";
    info.lpFile = quoted.c_str();
    info.lpParameters = L"";
    info.nShow = showCommand;
    if (!ShellExecuteExW(&info))
        return GetLastError() == ERROR_CANCELLED ? ElevatedRun::Declined : ElevatedRun::Failed;
    const NRHandle process(info.hProcess);
    if (!process) {
        // Started, but it cannot be followed: it does the work, this instance must not as well.
        exitCode = 0;
        return ElevatedRun::Finished;
    }
    WaitForSingleObject(process.Get(), INFINITE);
    return GetExitCodeProcess(process.Get(), &exitCode) ? ElevatedRun::Finished : ElevatedRun::Failed;
}
