#include <gtest/gtest.h>

#include "TestSupport.h"
#include "platform/SystemInfo.h"

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

TEST(DetectOsType, NamesMatchTheCodes)
{
    EXPECT_STREQ("Win11", OsTypeName(OsWin11));
    EXPECT_STREQ("Win10", OsTypeName(OsWin10));
    EXPECT_STREQ("Win8", OsTypeName(OsWin8));
    EXPECT_STREQ("Win7", OsTypeName(OsWin7));
    EXPECT_STREQ("WinVista", OsTypeName(OsWinVista));
    EXPECT_STREQ("WinXP", OsTypeName(OsWinXP));
    EXPECT_STREQ("WinTooOld", OsTypeName(OsWinTooOld));
    EXPECT_STREQ("WinTooOld", OsTypeName(static_cast<OsType>(42)));
}

TEST(WordSize, A64BitBuildReports64BitWindows)
{
    // IsWow64Process answers false for a native 64-bit process; the 64-bit build knows better.
    EXPECT_FALSE(QueryWow64Process());
    EXPECT_TRUE(IsWow64());
}

TEST(DetectOsType, FindsEachWindowsVersionThatWinePretendsToBe)
{
    const struct
    {
        const char* wineVersion;
        OsType expected;
    } cases[] = {
        {"winxp64", OsWinXP}, {"vista", OsWinVista}, {"win7", OsWin7},
        {"win8", OsWin8},     {"win81", OsWin8},     {"win10", OsWin10},
    };
    TempDir dir;
    const std::string probe = CopyExecutable("os_probe.exe", dir, "os_probe_versions.exe");
    for (const auto& c : cases) {
        ScopedWindowsVersion version("os_probe_versions.exe", c.wineVersion);
        ChildProcess child('"' + probe + '"');
        ASSERT_TRUE(child.Started());
        ASSERT_TRUE(child.Wait(30000)) << c.wineVersion;
        EXPECT_EQ(static_cast<DWORD>(c.expected) + 16, child.ExitCode()) << c.wineVersion;
    }
}
