#include "InstallerRun.h"

using namespace testing_support;

InstallerRun::InstallerRun(const char* buildFile, const char* windowsVersion, const std::string& arguments)
    : m_copyName("NoxSetup_e2e_" + std::to_string(GetCurrentProcessId()) + ".exe")
{
    m_exe = CopyExecutable(buildFile, m_dir, m_copyName);
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
