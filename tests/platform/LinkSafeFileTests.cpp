// Files made new in a folder a user may change: never through a link, and only where they were meant.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "TestSupport.h"
#include "platform/LinkSafeFile.h"
#include "platform/ResourceFile.h"

using namespace testing_support;

namespace {

std::vector<wchar_t> Scratch() { return std::vector<wchar_t>(32768); }

// The long form of `path` without its final backslash, as the checks take a folder.
std::wstring LongFolder(const std::string& path)
{
    std::wstring folder = MakeLongPathW(path);
    while (!folder.empty() && folder.back() == L'\\')
        folder.pop_back();
    return folder;
}

}  // namespace

TEST(LinkSafeFile, AFileStaysInItsOwnFolderOnlyWithOneName)
{
    TempDir dir;
    ASSERT_TRUE(CreateDirectoryA(dir.File("sub").c_str(), nullptr));
    ASSERT_TRUE(WriteWholeFile(dir.File("one.txt"), "one"));
    ASSERT_TRUE(WriteWholeFile(dir.File("sub\\inner.txt"), "inner"));
    ASSERT_TRUE(WriteWholeFile(dir.File("linked.txt"), "linked"));
    ASSERT_TRUE(CreateHardLinkA(dir.File("second name.txt").c_str(), dir.File("linked.txt").c_str(), nullptr));
    const struct
    {
        const char* file;
        std::string folder;
        bool stays;
    } cases[] = {
        {"one.txt", dir.Path(), true},
        {"one.txt", dir.Path().substr(0, dir.Path().size() - 1) + "x\\", false},  // a folder whose name starts alike
        {"one.txt", dir.File("sub\\"), false},
        {"sub\\inner.txt", dir.Path(), false},  // deeper than the folder
        {"linked.txt", dir.Path(), false},      // a hard link gives it a second name
    };
    auto scratch = Scratch();
    for (const auto& c : cases) {
        NRHandle file(CreateFileA(dir.File(c.file).c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_DELETE, nullptr,
                                  OPEN_EXISTING, 0, nullptr));
        ASSERT_TRUE(file) << c.file;
        const std::wstring folder = LongFolder(c.folder);
        EXPECT_EQ(c.stays, FileStaysIn(file.Get(), folder.c_str(), folder.size(), scratch.data(), scratch.size()))
            << c.file << " in " << c.folder;
    }
}

TEST(LinkSafeFile, MakesOnlyNewFilesAndTakesTheNextFreeName)
{
    TempDir dir;
    ASSERT_TRUE(WriteWholeFile(dir.File("report.txt"), "earlier"));
    ASSERT_TRUE(CreateDirectoryA(dir.File("report (1).txt").c_str(), nullptr)) << "a folder takes a name too";
    const std::wstring base = MakeLongPathW(dir.File("report"));
    std::vector<wchar_t> path(base.size() + 32);
    auto scratch = Scratch();
    EXPECT_EQ(2, WriteFirstFreeFile(base.c_str(), "later", 5, path.data(), path.size(), scratch.data(), scratch.size()));
    EXPECT_EQ(MakeLongPathW(dir.File("report (2).txt")), std::wstring(path.data()));
    EXPECT_EQ("earlier", ReadWholeFile(dir.File("report.txt")));
    EXPECT_EQ("later", ReadWholeFile(dir.File("report (2).txt")));
}

TEST(LinkSafeFile, AFileMadeThroughAFolderThatLinksElsewhereIsDeletedAgain)
{
    // "swapped" is a Unix link to a folder beside the install folder (made by the test fixture), as a
    // junction would be on Windows.
    const std::string swapped = BuildFile("linked-log\\install\\swapped\\");
    const std::string elsewhere = BuildFile("linked-log\\elsewhere\\");
    DeleteFileA((elsewhere + "made.txt").c_str());
    const std::wstring path = MakeLongPathW(swapped + "made.txt");
    NRHandle file;
    auto scratch = Scratch();
    EXPECT_EQ(NewFileResult::Elsewhere, CreateNewFileIn(path.c_str(), file, scratch.data(), scratch.size()));
    EXPECT_FALSE(file);
    EXPECT_EQ(std::vector<std::string>{}, FileNames(elsewhere + "*"));
}
