#include "InstallerRun.h"

#include <gtest/gtest.h>

using namespace testing_support;

InstallerRun::InstallerRun(const char* buildFile, const char* windowsVersion, const std::string& arguments,
                           const std::function<void(const TempDir&)>& prepareFolder)
    : m_copyName("NoxSetup_e2e_" + std::to_string(GetCurrentProcessId()) + ".exe")
{
    m_exe = CopyExecutable(buildFile, m_dir, m_copyName);
    if (prepareFolder)
        prepareFolder(m_dir);
    if (windowsVersion)
        m_version = std::make_unique<ScopedWindowsVersion>(m_copyName, windowsVersion);
    m_child = std::make_unique<ChildProcess>(CommandLine(m_exe, arguments));
}

std::string InstallerRun::CommandLine(const std::string& exe, const std::string& arguments)
{
    return '"' + exe + '"' + (arguments.empty() ? "" : " " + arguments);
}

HWND InstallerRun::WaitForMainWindow()
{
    HWND window = WaitForProcessWindow(m_child->Id(), "NoxSetupWnd", kTimeoutMs);
    // The window shows from its creation on; start-up centres it before the message loop runs, and
    // only that loop answers a message sent from another process.
    DWORD_PTR ignored = 0;
    if (window && !SendMessageTimeoutA(window, WM_NULL, 0, 0, SMTO_NORMAL, kTimeoutMs, &ignored))
        return nullptr;
    return window;
}

HWND InstallerRun::WaitForMessageBox() { return WaitForProcessWindow(m_child->Id(), "#32770", kTimeoutMs); }

bool InstallerRun::CloseAtFirstQuestion()
{
    HWND question = WaitForToolkitDialog(m_child->Id(), kTimeoutMs);
    return question && PostMessageA(question, WM_CLOSE, 0, 0);
}

DWORD InstallerRun::WaitForExit()
{
    m_child->Wait(kTimeoutMs);
    return m_child->ExitCode();
}

namespace {

// Every library the installer imports or loads that Windows does not keep among its known DLLs, and
// the one the 32-bit runtime's start-up code names (it only looks for it among loaded modules).
const char* const kPlantedNames[] = {"version.dll", "wintrust.dll", "crypt32.dll",
                                     "msimg32.dll", "dwmapi.dll",   "libgcc_s_dw2-1.dll"};

}  // namespace

void PlantMarkedLibraries(const TempDir& dir)
{
    for (const char* name : kPlantedNames)
        EXPECT_TRUE(CopyFileA(BuildFile("load_marker.dll").c_str(), dir.File(name).c_str(), FALSE)) << name;
}

std::vector<std::string> LoadedPlantedLibraries(const TempDir& dir)
{
    std::vector<std::string> loaded;
    for (const char* name : kPlantedNames)
        if (GetFileAttributesA(dir.File(std::string(name) + ".loaded").c_str()) != INVALID_FILE_ATTRIBUTES)
            loaded.push_back(name);
    return loaded;
}

void SetInstallDirectory(const std::string* directory)
{
    HKEY key = nullptr;
    if (RegCreateKeyExA(HKEY_LOCAL_MACHINE, "Software\\Nox Racing", 0, nullptr, 0, KEY_ALL_ACCESS | kMachineKeyView,
                        nullptr, &key, nullptr) != ERROR_SUCCESS) {
        ADD_FAILURE() << "the maker's machine key cannot be opened";
        return;
    }
    if (directory)
        RegSetValueExA(key, "InstallDirectory", 0, REG_SZ, reinterpret_cast<const BYTE*>(directory->c_str()),
                       static_cast<DWORD>(directory->size() + 1));
    else
        RegDeleteValueA(key, "InstallDirectory");
    RegCloseKey(key);
}

std::vector<std::string> Logs(const TempDir& dir)
{
    std::vector<std::string> logs;
    for (const std::string& name : FileNames(dir.File("Install_log_*.txt")))
        logs.push_back(ReadWholeFile(dir.File(name)));
    return logs;
}

void RemoveLogs(const TempDir& dir)
{
    for (const std::string& name : FileNames(dir.File("Install_log_*.txt")))
        DeleteFileA(dir.File(name).c_str());
}
