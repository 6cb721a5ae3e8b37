#include <gtest/gtest.h>

#include <shlobj.h>

#include <cctype>
#include <cstdint>
#include <limits>
#include <string>
#include <vector>

#include "TestSupport.h"
#include "platform/Lookups.h"
#include "platform/RedirectionMark.h"
#include "platform/SystemLibrary.h"

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

// The platform tests run in Berlin's time zone (tests/CMakeLists.txt sets TZ, which Wine reads):
// one hour ahead of UTC in winter, two in summer.
TEST(FormatDateTimeStamp, RendersLocalTimeWithTheDaylightSavingOfThatDate)
{
    TIME_ZONE_INFORMATION zone = {};
    ASSERT_NE(TIME_ZONE_ID_UNKNOWN, GetTimeZoneInformation(&zone)) << "run with TZ=Europe/Berlin";
    ASSERT_EQ(-60, zone.Bias);

    const std::int64_t winterNoonUtc = 1705320000;  // 2024-01-15 12:00:00 UTC
    const std::int64_t summerNoonUtc = 1719835200;  // 2024-07-01 12:00:00 UTC
    EXPECT_EQ("2024-01-15_13-00-00", FormatDateTimeStamp(winterNoonUtc, '-', '_', '-'));
    EXPECT_EQ("2024-07-01_14-00-00", FormatDateTimeStamp(summerNoonUtc, '-', '_', '-'));

    const std::int64_t march = 1709647629;  // 2024-03-05 14:07:09 UTC
    EXPECT_EQ("2024-03-05 15-07-09", FormatDateTimeStamp(march, '-', ' ', '-'));
    EXPECT_EQ("20240305150709", FormatDateTimeStamp(march, 0, 0, 0));
    EXPECT_EQ("2024/03/05150709", FormatDateTimeStamp(march, '/', 0, 0));
}

TEST(FormatDateTimeStamp, RefusesTimesOutsideWhatWindowsCanConvert)
{
    const struct
    {
        std::int64_t seconds;
        const char* expected;
    } cases[] = {
        {-11644473600, "1601-01-01_01-00-00"},  // the first second Windows counts
        {-11644473601, ""},
        {-20000000000, ""},
        {910692730085, ""},   // the last second Windows counts in UTC, past it in local time
        {1000000000000, ""},  // the year 33658; seconds times ticks overflow 64 bits from here on
        {std::numeric_limits<std::int64_t>::max(), ""},
        {std::numeric_limits<std::int64_t>::min(), ""},
    };
    for (const auto& c : cases)
        EXPECT_EQ(c.expected, FormatDateTimeStamp(c.seconds, '-', '_', '-')) << c.seconds;
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

namespace {

std::vector<std::string> g_refusedLoads;
void RecordRefusedLoad(const char* what) { g_refusedLoads.push_back(what); }

}  // namespace

TEST(SystemLibrary, NoLibraryLoadsWhileThisThreadHasRedirectionOff)
{
    // Windows fails every load while WoW64 redirection is off; both loaders refuse it in every build.
    const std::string library = SystemLibraryPath("version.dll");
    const struct
    {
        const char* name;
        HMODULE (*load)(const std::string&);
    } loaders[] = {{"LoadLibraryByFullPath", LoadLibraryByFullPath}, {"LoadLibraryWithItsFolder", LoadLibraryWithItsFolder}};
    SetRedirectionViolationHandler(RecordRefusedLoad);
    for (const auto& loader : loaders) {
        g_refusedLoads.clear();
        MarkRedirectionOff(true);
        const HMODULE refused = loader.load(library);
        MarkRedirectionOff(false);
        const HMODULE loaded = loader.load(library);
        EXPECT_FALSE(refused) << loader.name;
        EXPECT_EQ(std::vector<std::string>{"LoadLibrary " + library}, g_refusedLoads) << loader.name;
        EXPECT_TRUE(loaded) << loader.name;
        if (refused)
            FreeLibrary(refused);
        if (loaded)
            FreeLibrary(loaded);
    }
    SetRedirectionViolationHandler(nullptr);
}
