#include <gtest/gtest.h>

#include <shlwapi.h>

#include <string>
#include <thread>

#include "TestSupport.h"
#include "platform/Elevation.h"
#include "platform/Handle.h"
#include "platform/Lookups.h"
#include "platform/SystemInfo.h"
#include "platform/Text.h"

using namespace testing_support;

namespace {

NtVersion Version(DWORD major, DWORD build) { return NtVersion{major, 0, build}; }

}  // namespace

TEST(WindowsClassFromBuildNumber, SeparatesWindows10From11AtBuild20000)
{
    EXPECT_TRUE(IsWin10(Version(10, 19045)));
    EXPECT_FALSE(IsWin11OrLater(Version(10, 19045)));
    EXPECT_TRUE(IsWin10(Version(10, 19999)));

    EXPECT_TRUE(IsWin11OrLater(Version(10, 20000)));
    EXPECT_FALSE(IsWin10(Version(10, 20000)));
    EXPECT_TRUE(IsWin11OrLater(Version(10, 22631)));
}

TEST(WindowsClassFromBuildNumber, IgnoresFlagBitsInTheBuildNumber)
{
    // Windows sets 0xF0000000 on free builds; the number itself is below that.
    EXPECT_TRUE(IsWin10(Version(10, 0xF0000000u | 19045)));
    EXPECT_FALSE(IsWin11OrLater(Version(10, 0xF0000000u | 19045)));
    EXPECT_TRUE(IsWin11OrLater(Version(10, 0xC0000000u | 22000)));
}

TEST(WindowsClassFromBuildNumber, MajorAbove10IsWindows11WhateverTheBuild)
{
    EXPECT_TRUE(IsWin11OrLater(Version(11, 0)));
    EXPECT_FALSE(IsWin10(Version(11, 19045)));
    EXPECT_FALSE(IsWin11OrLater(Version(6, 25000)));
    EXPECT_FALSE(IsWin10(Version(6, 7601)));
}

TEST(WindowsClassFromBuildNumber, MissingVersionFunctionCountsAsWindows11)
{
    EXPECT_TRUE(IsWin11OrLater(std::nullopt));
    EXPECT_TRUE(IsWin10(std::nullopt));
}

namespace {

// A fake system: which of the version tests hold.
struct FakeSystem
{
    static bool win11, win10;
    static int atLeastMajor, atLeastMinor;  // the newest version that "VerifyVersionInfo" accepts
    static bool IsWin11OrLater() { return win11; }
    static bool IsWin10() { return win10; }
    static bool IsAtLeast(WORD major, WORD minor, WORD)
    {
        return major < atLeastMajor || (major == atLeastMajor && minor <= atLeastMinor);
    }
    static OsType Detect(bool isWin11, bool isWin10, int major, int minor)
    {
        win11 = isWin11;
        win10 = isWin10;
        atLeastMajor = major;
        atLeastMinor = minor;
        return DetectOsType(OsVersionTests{IsWin11OrLater, IsWin10, IsAtLeast});
    }
};
bool FakeSystem::win11, FakeSystem::win10;
int FakeSystem::atLeastMajor, FakeSystem::atLeastMinor;

}  // namespace

TEST(DetectOsType, TriesTheNewestClassFirst)
{
    EXPECT_EQ(OsWin11, FakeSystem::Detect(true, true, 10, 0));  // a missing version function says both
    EXPECT_EQ(OsWin10, FakeSystem::Detect(false, true, 10, 0));
    EXPECT_EQ(OsWin8, FakeSystem::Detect(false, false, 6, 3));
    EXPECT_EQ(OsWin8, FakeSystem::Detect(false, false, 6, 2));
    EXPECT_EQ(OsWin7, FakeSystem::Detect(false, false, 6, 1));
    EXPECT_EQ(OsWinVista, FakeSystem::Detect(false, false, 6, 0));
    EXPECT_EQ(OsWinXP, FakeSystem::Detect(false, false, 5, 2));
    EXPECT_EQ(OsWinXP, FakeSystem::Detect(false, false, 5, 1));
    EXPECT_EQ(OsWinTooOld, FakeSystem::Detect(false, false, 5, 0));
}

TEST(DetectOsType, NamesEachWindowsVersionThatWinePretendsToBe)
{
    const struct
    {
        const char* wineVersion;
        const char* expected;
    } cases[] = {
        {"winxp64", "WinXP"}, {"vista", "WinVista"}, {"win7", "Win7"},          {"win8", "Win8"},
        {"win81", "Win8"},    {"win10", "Win10"},    {"win2k", "WinTooOld"},  // Wine 8 knows no Windows 11
    };
    TempDir dir;
    const std::string probe = CopyExecutable("os_probe.exe", dir, "os_probe_versions.exe");
    for (const auto& c : cases) {
        ScopedWindowsVersion version("os_probe_versions.exe", c.wineVersion);
        ChildProcess child('"' + probe + '"', true);
        ASSERT_TRUE(child.Started());
        EXPECT_EQ(std::string(c.expected) + "\r\n", child.ReadAllOutput(30000)) << c.wineVersion;
        ASSERT_TRUE(child.Wait(30000)) << c.wineVersion;
    }
}

TEST(AdministratorRights, FollowWhetherTheMachinesSecurityKeyOpens)
{
    // A Wine prefix has no HKLM\SECURITY; on Windows only administrators may open it. No other
    // test touches this key.
    SHDeleteKeyA(HKEY_LOCAL_MACHINE, "SECURITY");
    EXPECT_FALSE(HasAdministratorRights());

    HKEY created = nullptr;
    ASSERT_EQ(ERROR_SUCCESS, RegCreateKeyExA(HKEY_LOCAL_MACHINE, "SECURITY", 0, nullptr, 0, KEY_ALL_ACCESS, nullptr,
                                             &created, nullptr));
    RegCloseKey(created);
    EXPECT_TRUE(HasAdministratorRights());
    const HANDLE before = NextHandleValue();
    HasAdministratorRights();
    EXPECT_EQ(before, NextHandleValue()) << "the key stays open";
    SHDeleteKeyA(HKEY_LOCAL_MACHINE, "SECURITY");
}

TEST(ElevatedRun, WaitsForTheProgramAndGivesItsExitCodeOrSaysItCouldNotStart)
{
    // Wine has no prompt: "runas" starts the program as it is. The probe's exit code is the
    // Windows class it finds.
    TempDir dir;
    ASSERT_TRUE(CreateDirectoryA(dir.File("with blank").c_str(), nullptr));
    const std::string probe = dir.File("with blank\\os_probe_elevated.exe");
    ASSERT_TRUE(CopyFileA(BuildFile("os_probe.exe").c_str(), probe.c_str(), FALSE));
    ScopedWindowsVersion windows10("os_probe_elevated.exe", "win10");
    DWORD exitCode = 0;
    EXPECT_EQ(ElevatedRun::Finished,
              RunElevatedAndWait(std::wstring(probe.begin(), probe.end()), SW_HIDE, exitCode));
    EXPECT_EQ(static_cast<DWORD>(OsWin10), exitCode);
    EXPECT_EQ(ElevatedRun::Failed, RunElevatedAndWait(L"C:\\nox-no-such-program.exe", SW_HIDE, exitCode));
}

TEST(ElevatedRun, TheWaitingThreadGoesOnAnsweringItsWindows)
{
    // A broadcast or a COM call waits for every window of the thread that runs the elevated copy.
    TempDir dir;
    const std::string program = dir.File("elevated_wait_" + std::to_string(GetCurrentProcessId()) + ".exe");
    ASSERT_TRUE(CopyFileA(BuildFile("NoxNetServer.exe").c_str(), program.c_str(), FALSE));
    const HWND window = CreateWindowExA(0, "STATIC", "", 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr, nullptr, nullptr);
    ASSERT_TRUE(window);
    bool answered = false;
    std::thread caller([&] {
        const std::string name = program.substr(program.rfind('\\') + 1);
        DWORD id = 0;
        for (int waited = 0; !FindProcessByName(name.c_str(), id) && waited < 20000; waited += 20)
            Sleep(20);
        DWORD_PTR result = 0;
        answered = SendMessageTimeoutA(window, WM_NULL, 0, 0, SMTO_BLOCK, 5000, &result) != 0;
        const NRHandle running(OpenProcess(PROCESS_TERMINATE, FALSE, id));
        if (running)
            TerminateProcess(running.Get(), 3);
    });
    DWORD exitCode = 0;
    EXPECT_EQ(ElevatedRun::Finished, RunElevatedAndWait(AnsiToWide(program), SW_HIDE, exitCode));
    caller.join();
    DestroyWindow(window);
    EXPECT_TRUE(answered) << "the window was not answered while the elevated copy ran";
    EXPECT_EQ(3u, exitCode);
}

namespace {

UINT RemoteZ(const std::wstring& root) { return root == L"Z:\\" ? DRIVE_REMOTE : DRIVE_FIXED; }
bool ShareOfZ(const std::wstring& path, std::wstring& unc)
{
    unc = L"\\\\server\\tools" + path.substr(2);
    return true;
}
bool NoShare(const std::wstring&, std::wstring&) { return false; }

}  // namespace

TEST(ElevatedRun, AProgramOnAMappedDriveIsStartedByItsUncPath)
{
    // The elevated token does not see the drives the user mapped.
    const struct
    {
        const wchar_t* program;
        bool (*universalName)(const std::wstring&, std::wstring&);
        const wchar_t* started;
    } cases[] = {
        {L"Z:\\setup\\NoxSetup.exe", ShareOfZ, L"\\\\server\\tools\\setup\\NoxSetup.exe"},
        {L"Z:\\setup\\NoxSetup.exe", NoShare, L"Z:\\setup\\NoxSetup.exe"},
        {L"C:\\Downloads\\NoxSetup.exe", ShareOfZ, L"C:\\Downloads\\NoxSetup.exe"},
        {L"\\\\server\\tools\\NoxSetup.exe", ShareOfZ, L"\\\\server\\tools\\NoxSetup.exe"},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(std::wstring(c.started), PathForElevatedRun(c.program, NetworkDrives{RemoteZ, c.universalName}));
    }
    // Windows' own answer for a local program leaves it as it is.
    const std::wstring local = AnsiToWide(BuildFile("os_probe.exe"));
    EXPECT_EQ(local, PathForElevatedRun(local));
}
