#include <gtest/gtest.h>

#include <shlobj.h>

#include <cctype>
#include <string>

#include "TestSupport.h"
#include "platform/Lookups.h"

using namespace testing_support;

TEST(GetFileVersion, ReadsTheFourNumbersOfTheFixedVersion)
{
    FileVersion version;
    ASSERT_TRUE(GetFileVersion(BuildFile("version_fixture.exe"), version));
    EXPECT_EQ(5u, version.major);
    EXPECT_EQ(70u, version.minor);
    EXPECT_EQ(100u, version.build);
    EXPECT_EQ(0u, version.revision);
}

TEST(GetFileVersion, NoFileOrNoVersionResourceGivesFalse)
{
    FileVersion version;
    EXPECT_FALSE(GetFileVersion(BuildFile("no-such-file.sys"), version));
    EXPECT_FALSE(GetFileVersion(BuildFile("os_probe.exe"), version));  // built without a version resource
}

TEST(GetSpecialFolder, WindowsFolderEndsWithABackslash)
{
    std::string windows;
    ASSERT_TRUE(GetSpecialFolder(CSIDL_WINDOWS, windows));
    char expected[MAX_PATH] = {};
    GetWindowsDirectoryA(expected, MAX_PATH);
    EXPECT_EQ(std::string(expected) + "\\", windows);
}

TEST(FindServerProcess, FindsTheServerWhateverTheLetterCaseOfItsName)
{
    DWORD id = 0;
    const bool alreadyRunning = FindServerProcess(id);
    ASSERT_FALSE(alreadyRunning) << "a server from another test is still running";

    TempDir dir;
    const std::string server = CopyExecutable("NoxNetServer.exe", dir, "noxNETserver.EXE");
    ChildProcess child('"' + server + "\" 60");
    ASSERT_TRUE(child.Started());
    EXPECT_TRUE(FindServerProcess(id));
    EXPECT_EQ(child.Id(), id);

    TerminateProcess(child.Handle(), 0);
    ASSERT_TRUE(child.Wait(10000));
    EXPECT_FALSE(FindServerProcess(id));
}

TEST(FormatDateTimeStamp, BuildsTheStampFromLocalTime)
{
    // 2024-03-05 14:07:09 in local time, whatever this machine's time zone.
    SYSTEMTIME local = {2024, 3, 2, 5, 14, 7, 9, 0};
    SYSTEMTIME utc = {};
    ASSERT_TRUE(TzSpecificLocalTimeToSystemTime(nullptr, &local, &utc));
    FILETIME fileTime = {};
    SystemTimeToFileTime(&utc, &fileTime);
    const std::int64_t ticks = (static_cast<std::int64_t>(fileTime.dwHighDateTime) << 32) | fileTime.dwLowDateTime;
    const std::int64_t seconds = (ticks - 116444736000000000LL) / 10000000;

    EXPECT_EQ("2024-03-05_14-07-09", FormatDateTimeStamp(seconds, '-', '_', '-'));
    EXPECT_EQ("2024-03-05 14-07-09", FormatDateTimeStamp(seconds, '-', ' ', '-'));
    EXPECT_EQ("20240305140709", FormatDateTimeStamp(seconds, 0, 0, 0));
    EXPECT_EQ("2024/03/05140709", FormatDateTimeStamp(seconds, '/', 0, 0));
}

TEST(FormatDateTimeStamp, WithoutATimeUsesNow)
{
    const std::string stamp = FormatDateTimeStamp(std::nullopt, 0, 0, 0);
    ASSERT_EQ(14u, stamp.size());
    for (char c : stamp)
        EXPECT_TRUE(std::isdigit(static_cast<unsigned char>(c))) << stamp;
    SYSTEMTIME now = {};
    GetLocalTime(&now);
    EXPECT_EQ(std::to_string(now.wYear), stamp.substr(0, 4));
}
