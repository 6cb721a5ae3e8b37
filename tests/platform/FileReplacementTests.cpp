// Files replaced whole or not at all: a write that fails half way or ends short leaves the old file
// byte for byte, and what a stopped run left beside it is never trusted.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "TestSupport.h"
#include "platform/FileReplacement.h"

using namespace testing_support;

namespace {

// Writes half and fails, as on a full disk.
BOOL WINAPI FailHalfWay(HANDLE file, LPCVOID bytes, DWORD size, LPDWORD written, LPOVERLAPPED overlapped)
{
    WriteFile(file, bytes, size / 2, written, overlapped);
    SetLastError(ERROR_DISK_FULL);
    return FALSE;
}

// Writes half and reports the whole, as a faulty disk or redirector may.
BOOL WINAPI EndShort(HANDLE file, LPCVOID bytes, DWORD size, LPDWORD written, LPOVERLAPPED overlapped)
{
    WriteFile(file, bytes, size / 2, written, overlapped);
    *written = size;
    return TRUE;
}

}  // namespace

TEST(FileReplacement, AFileIsReplacedWholeOrStaysByteForByteAsItWas)
{
    const std::string fresh = "the new image, whole";
    const struct
    {
        const char* name;
        FileWriteFn write;
        bool readOnly;
        bool replaced;
    } cases[] = {
        {"a whole write", nullptr, false, true},
        {"a whole write over a read-only file", nullptr, true, true},
        {"a write that fails half way", FailHalfWay, false, false},
        {"a write that ends short", EndShort, true, false},
    };
    for (const auto& c : cases) {
        TempDir dir;
        const std::string path = dir.File("NxNtSp50.SYS");
        ASSERT_TRUE(WriteWholeFile(path, "the old image"));
        if (c.readOnly) {
            ASSERT_TRUE(SetFileAttributesA(path.c_str(), FILE_ATTRIBUTE_READONLY));
        }
        // Left by a run that stopped: half a file, read-only.
        ASSERT_TRUE(WriteWholeFile(NewFileBeside(path), "half"));
        ASSERT_TRUE(SetFileAttributesA(NewFileBeside(path).c_str(), FILE_ATTRIBUTE_READONLY));

        EXPECT_EQ(c.replaced, ReplaceFileWhole(path, fresh.data(), static_cast<DWORD>(fresh.size()), c.write))
            << c.name;
        EXPECT_EQ(c.replaced ? fresh : "the old image", ReadWholeFile(path)) << c.name;
        EXPECT_EQ(std::vector<std::string>{"NxNtSp50.SYS"}, FileNames(dir.File("*"))) << c.name << ": nothing beside";
        SetFileAttributesA(path.c_str(), FILE_ATTRIBUTE_NORMAL);
    }
}

TEST(FileReplacement, PutBackRestoresTheOldFileOrRemovesOneThatWasNotThere)
{
    TempDir dir;
    const std::string old = dir.File("NxNtMp50.SYS");
    ASSERT_TRUE(WriteWholeFile(old, "the old image"));
    ASSERT_TRUE(SetFileAttributesA(old.c_str(), FILE_ATTRIBUTE_READONLY));
    const std::string missing = dir.File("NxNtSp50.SYS");
    for (const std::string& path : {old, missing}) {
        FileReplacement replacement(path);
        ASSERT_TRUE(replacement.Write("new", 3));
        ASSERT_TRUE(replacement.KeepOld());
        ASSERT_TRUE(replacement.PutInPlace());
        EXPECT_EQ("new", ReadWholeFile(path));
        EXPECT_TRUE(replacement.PutBack());
    }
    EXPECT_EQ("the old image", ReadWholeFile(old));
    EXPECT_TRUE(GetFileAttributesA(old.c_str()) & FILE_ATTRIBUTE_READONLY) << "as it was";
    EXPECT_EQ(std::vector<std::string>{"NxNtMp50.SYS"}, FileNames(dir.File("*")));
    SetFileAttributesA(old.c_str(), FILE_ATTRIBUTE_NORMAL);
}
