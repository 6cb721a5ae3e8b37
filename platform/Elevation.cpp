#include "platform/Elevation.h"

#include <shellapi.h>

#include <winnetwk.h>

#include <vector>

#include "platform/Handle.h"
#include "platform/SystemLibrary.h"

namespace {

// Not in Windows XP's headers.
constexpr int kTokenElevationTypeClass = 18;  // TokenElevationType
constexpr DWORD kElevationTypeDefault = 1, kElevationTypeFull = 2, kElevationTypeLimited = 3;

UINT WindowsDriveType(const std::wstring& root) { return GetDriveTypeW(root.c_str()); }

bool WindowsUniversalName(const std::wstring& path, std::wstring& unc)
{
    typedef DWORD(WINAPI * WNetGetUniversalNameWFn)(LPCWSTR, DWORD, LPVOID, LPDWORD);
    const NRSystemLibrary mpr("mpr.dll");
    const auto getUniversalName = mpr.Find<WNetGetUniversalNameWFn>("WNetGetUniversalNameW");
    if (!getUniversalName)
        return false;
    DWORD size = 1024;
    std::vector<unsigned char> buffer;
    for (int attempt = 0; attempt < 2; ++attempt) {
        buffer.assign(size, 0);
        const DWORD result = getUniversalName(path.c_str(), UNIVERSAL_NAME_INFO_LEVEL, buffer.data(), &size);
        if (result == NO_ERROR) {
            const auto* info = reinterpret_cast<const UNIVERSAL_NAME_INFOW*>(buffer.data());
            if (!info->lpUniversalName)
                return false;
            unc = info->lpUniversalName;
            return !unc.empty();
        }
        if (result != ERROR_MORE_DATA)
            return false;
    }
    return false;
}

// Waits for `process` while this thread's messages go on being handled. A WM_QUIT met on the way is
// posted again once the wait is over, for the loop it was meant for.
void WaitHandlingMessages(HANDLE process)
{
    bool quit = false;
    int quitCode = 0;
    for (;;) {
        const DWORD woken = MsgWaitForMultipleObjects(1, &process, FALSE, INFINITE, QS_ALLINPUT);
        if (woken != WAIT_OBJECT_0 + 1)
            break;
        MSG message;
        while (PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE)) {
            if (message.message == WM_QUIT) {
                quit = true;
                quitCode = static_cast<int>(message.wParam);
                continue;
            }
            TranslateMessage(&message);
            DispatchMessageW(&message);
        }
    }
    if (quit)
        PostQuitMessage(quitCode);
}

}  // namespace

const NetworkDrives kWindowsNetworkDrives = {WindowsDriveType, WindowsUniversalName};

std::wstring PathForElevatedRun(const std::wstring& program, const NetworkDrives& drives)
{
    // Only a drive letter can be a mapping; a UNC path already names its server.
    if (program.size() < 3 || program[1] != L':' || program[2] != L'\\')
        return program;
    if (drives.driveType(program.substr(0, 3)) != DRIVE_REMOTE)
        return program;
    std::wstring unc;
    return drives.universalName(program, unc) ? unc : program;
}

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
    const std::wstring quoted = L"\"" + PathForElevatedRun(program) + L"\"";
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
    WaitHandlingMessages(process.Get());
    return GetExitCodeProcess(process.Get(), &exitCode) ? ElevatedRun::Finished : ElevatedRun::Failed;
}
