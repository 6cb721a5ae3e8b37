// The built installer started as a user would start it, under Wine.
#include <gtest/gtest.h>

#include <string>

#include "TestSupport.h"

using namespace testing_support;

namespace {

constexpr DWORD kStartTimeoutMs = 20000;

class InstallerStart : public testing::Test
{
protected:
    // A private copy, so the Windows version can be chosen for it alone.
    std::string Installer(const char* name = "NoxSetup.exe")
    {
        return CopyExecutable(name, m_dir, m_copyName);
    }
    std::string CommandLine(const std::string& exe, const std::string& arguments)
    {
        return '"' + exe + '"' + (arguments.empty() ? "" : " " + arguments);
    }
    const std::string& CopyName() const { return m_copyName; }

    // Checks the window a user sees, then closes it as the close button would.
    void ExpectMainWindowAndClose(ChildProcess& child)
    {
        HWND window = WaitForProcessWindow(child.Id(), "NoxSetupWnd", kStartTimeoutMs);
        ASSERT_TRUE(window) << "no installer window";
        // The window shows from its creation on; start-up centres it before the message loop runs.
        ASSERT_EQ(0u, WaitForInputIdle(child.Handle(), kStartTimeoutMs));
        RECT rect = {};
        GetWindowRect(window, &rect);
        EXPECT_EQ(640, rect.right - rect.left);
        EXPECT_EQ(480, rect.bottom - rect.top);
        EXPECT_EQ(static_cast<LONG>(0x96080000), GetWindowLongA(window, GWL_STYLE));
        EXPECT_EQ("NoxSetup Ethernet Drivers 2.17.10", WindowText(window));

        // Centred on the work area of its monitor.
        MONITORINFO monitor = {};
        monitor.cbSize = sizeof(monitor);
        GetMonitorInfoA(MonitorFromWindow(window, MONITOR_DEFAULTTONEAREST), &monitor);
        EXPECT_EQ((monitor.rcWork.left + monitor.rcWork.right) / 2 - 320, rect.left);
        EXPECT_EQ((monitor.rcWork.top + monitor.rcWork.bottom) / 2 - 240, rect.top);

        PostMessageA(window, WM_CLOSE, 0, 0);
        ASSERT_TRUE(child.Wait(kStartTimeoutMs)) << "the installer did not end after WM_CLOSE";
        EXPECT_EQ(0u, child.ExitCode());
    }

private:
    TempDir m_dir;
    std::string m_copyName = "NoxSetup_e2e_" + std::to_string(GetCurrentProcessId()) + ".exe";
};

}  // namespace

TEST_F(InstallerStart, VersionSwitchPrintsTheVersionLineThroughTheParentConsole)
{
    const std::string exe = Installer();
    char comspec[MAX_PATH] = "cmd.exe";
    GetEnvironmentVariableA("ComSpec", comspec, MAX_PATH);
    ChildProcess child(std::string(comspec) + " /c " + CommandLine(exe, "/version"), true);
    ASSERT_TRUE(child.Started());
    const std::string output = child.ReadAllOutput(kStartTimeoutMs);
    ASSERT_TRUE(child.Wait(kStartTimeoutMs));
    EXPECT_EQ("NoxSetup 2.17.10\r\n", output);
    EXPECT_EQ(0u, child.ExitCode());
    EXPECT_FALSE(WaitForProcessWindow(child.Id(), "NoxSetupWnd", 0));
}

TEST_F(InstallerStart, EmptyCommandLineOpensTheWindowAndEndsWithZeroWhenItCloses)
{
    ChildProcess child(CommandLine(Installer(), ""));
    ASSERT_TRUE(child.Started());
    ExpectMainWindowAndClose(child);
}

TEST_F(InstallerStart, VersionSwitchInOtherCaseOrWithMoreTextStartsTheInstaller)
{
    const std::string exe = Installer();
    for (const char* arguments : {"/VERSION", "/version x"}) {
        ChildProcess child(CommandLine(exe, arguments));
        ASSERT_TRUE(child.Started());
        ExpectMainWindowAndClose(child);
    }
}

TEST_F(InstallerStart, RefusesWindowsOlderThanXp)
{
    const std::string exe = Installer();
    ScopedWindowsVersion version(CopyName(), "win2k");
    ChildProcess child(CommandLine(exe, ""));
    ASSERT_TRUE(child.Started());
    HWND box = WaitForProcessWindow(child.Id(), "#32770", kStartTimeoutMs);
    ASSERT_TRUE(box);
    EXPECT_EQ("Error", WindowText(box));
    EXPECT_EQ("Your Windows OS version is too old for this installer", MessageBoxText(box));
    EXPECT_TRUE(GetDlgItem(box, IDOK));
    EXPECT_FALSE(GetDlgItem(box, IDNO));
    PostMessageA(box, WM_COMMAND, IDOK, 0);
    ASSERT_TRUE(child.Wait(kStartTimeoutMs));
    EXPECT_EQ(1u, child.ExitCode());
}
