#include <gtest/gtest.h>

#include <string>

#include "TestSupport.h"
#include "platform/ResourceFile.h"

using namespace testing_support;

namespace {

constexpr int kTestResource = 990;  // tests/fixtures/test_resources.rc

bool IsDirectory(const std::string& path)
{
    const DWORD attributes = GetFileAttributesLong(path);
    return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY);
}

// A path of exactly `length` characters below `base`, made of folder levels of at most 100 characters.
std::string LongPath(const std::string& base, size_t length)
{
    std::string path = base;
    char letter = 'a';
    while (path.size() < length) {
        const size_t level = std::min<size_t>(100, length - path.size());
        path += std::string(level, letter++);
        if (path.size() < length)
            path += '\\';
    }
    return path;
}

}  // namespace

TEST(ExtractResourceToFile, WritesTheResourceBytes)
{
    TempDir dir;
    ASSERT_TRUE(ExtractResourceToFile(kTestResource, "NR_ETHERNET", dir.File("package.txt")));
    const std::string expected = ReadWholeFile(NOX_TEST_FIXTURES_DIR "/ethernet-resource.txt");
    ASSERT_EQ(12450u, expected.size());
    EXPECT_EQ(expected, ReadWholeFile(dir.File("package.txt")));
}

TEST(ExtractResourceToFile, ReplacesAReadOnlyFileAndLeavesItWritable)
{
    TempDir dir;
    const std::string target = dir.File("NxNtSp50.sys");
    ASSERT_TRUE(WriteWholeFile(target, "old driver"));
    ASSERT_TRUE(SetFileAttributesA(target.c_str(), FILE_ATTRIBUTE_READONLY));
    ASSERT_FALSE(WriteWholeFile(target, "refused")) << "the Wine server must run without root's file rights";

    ASSERT_TRUE(ExtractResourceToFile(kTestResource, "NR_ETHERNET", target));
    EXPECT_EQ(12450u, ReadWholeFile(target).size());
    EXPECT_EQ(0u, GetFileAttributesA(target.c_str()) & FILE_ATTRIBUTE_READONLY);
}

TEST(ExtractResourceToFile, MissingResourceGivesFalseAndNoFile)
{
    TempDir dir;
    EXPECT_FALSE(ExtractResourceToFile(991, "NR_ETHERNET", dir.File("none.bin")));
    EXPECT_FALSE(ExtractResourceToFile(kTestResource, "NR_OTHER", dir.File("none.bin")));
    EXPECT_EQ(INVALID_FILE_ATTRIBUTES, GetFileAttributesA(dir.File("none.bin").c_str()));
    EXPECT_FALSE(ExtractResourceToFile(kTestResource, "NR_ETHERNET", dir.File("missing folder\\x.bin")));
}

TEST(ExtractResourceToFile, ReachesPathsBeyond260Characters)
{
    TempDir dir;
    const std::string folder = LongPath(dir.Path(), 280);
    ASSERT_TRUE(CreateDirectoryPath(folder));
    const std::string target = folder + "\\NxNtSp50.inf";
    ASSERT_GT(target.size(), 290u);
    ASSERT_TRUE(ExtractResourceToFile(kTestResource, "NR_ETHERNET", target));
    EXPECT_NE(INVALID_FILE_ATTRIBUTES, GetFileAttributesLong(target));
    EXPECT_TRUE(ExtractResourceToFile(kTestResource, "NR_ETHERNET", target)) << "and replaces it again";
}

TEST(CreateDirectoryPath, CreatesEveryMissingLevel)
{
    TempDir dir;
    EXPECT_TRUE(CreateDirectoryPath(dir.Path())) << "existing";

    const std::string nested = dir.File("EthDrv\\x64\\drivers");
    ASSERT_TRUE(CreateDirectoryPath(nested));
    EXPECT_TRUE(IsDirectory(dir.File("EthDrv")));
    EXPECT_TRUE(IsDirectory(dir.File("EthDrv\\x64")));
    EXPECT_TRUE(IsDirectory(nested));

    ASSERT_TRUE(CreateDirectoryPath(dir.File("with\\final\\")));
    EXPECT_TRUE(IsDirectory(dir.File("with\\final")));
}

TEST(CreateDirectoryPath, CreatesTheLevelsFromTheOutsideInAndStopsAtTheFirstFailure)
{
    // A file in the way of a level: nothing below it can be made.
    TempDir dir;
    ASSERT_TRUE(CreateDirectoryA(dir.File("outer").c_str(), nullptr));
    ASSERT_TRUE(WriteWholeFile(dir.File("outer\\blocked"), "a file, not a folder"));
    EXPECT_FALSE(CreateDirectoryPath(dir.File("outer\\blocked\\inner\\deepest")));
    EXPECT_FALSE(IsDirectory(dir.File("outer\\blocked\\inner")));

    EXPECT_FALSE(CreateDirectoryPath(dir.File("made\\") + std::string(300, 'z') + "\\under"))
        << "a single level longer than a file name can be";
    EXPECT_TRUE(IsDirectory(dir.File("made"))) << "the level before the failure stays";
}

TEST(CreateDirectoryPath, ReachesPathsBeyond260Characters)
{
    TempDir dir;
    const std::string deep = LongPath(dir.Path(), 300);
    ASSERT_EQ(300u, deep.size());
    ASSERT_TRUE(CreateDirectoryPath(deep));
    EXPECT_TRUE(IsDirectory(deep));
    EXPECT_TRUE(CreateDirectoryPath(deep)) << "existing";
}

TEST(GetFileAttributesLong, UsesTheLongFormFor260CharactersOrMore)
{
    TempDir dir;
    const std::string deep = LongPath(dir.Path(), 300);
    ASSERT_TRUE(CreateDirectoryPath(deep));
    EXPECT_EQ(INVALID_FILE_ATTRIBUTES, GetFileAttributesA(deep.c_str())) << "too long for the plain call";
    EXPECT_TRUE(IsDirectory(deep));
    EXPECT_TRUE(IsDirectory("\\\\?\\" + deep)) << "already in long form";
    EXPECT_EQ(INVALID_FILE_ATTRIBUTES, GetFileAttributesLong(deep + "\\missing"));
    EXPECT_TRUE(IsDirectory(dir.Path())) << "short paths as they are";
}

TEST(GetFileAttributesLong, SwitchesToTheLongFormAt260Characters)
{
    // The long form is taken literally: a forward slash is not read as a separator there, as it is
    // in the plain form. So a slash in the path tells which form was used.
    TempDir dir;
    for (const size_t length : {259u, 260u}) {
        const std::string folder = LongPath(dir.Path(), length - 2) + "\\x";
        ASSERT_TRUE(CreateDirectoryPath(folder));
        std::string withSlash = folder;
        withSlash[withSlash.size() - 2] = '/';
        ASSERT_EQ(length, withSlash.size());
        EXPECT_EQ(length < MAX_PATH, IsDirectory(withSlash)) << length << " characters";
    }
}

TEST(NetworkPaths, AreCreatedAndQueriedBeyond260CharactersInTheirUncForm)
{
    NetworkShare share;
    const std::string deep = LongPath(share.Path(), 300);
    ASSERT_EQ(300u, deep.size());
    ASSERT_TRUE(CreateDirectoryPath(deep)) << "the server and share are not folders to create";
    EXPECT_TRUE(IsDirectory(deep));
    EXPECT_TRUE(IsDirectory(share.Path() + std::string(100, 'a')));
    EXPECT_EQ(INVALID_FILE_ATTRIBUTES, GetFileAttributesLong(deep + "\\missing"));
}
