#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

#include "TestSupport.h"
#include "platform/Error.h"
#include "platform/ResourceFile.h"

using namespace testing_support;

namespace {

std::string ErrorText(void (*action)(MemFile&), MemFile& file)
{
    try {
        action(file);
    } catch (const NRError& error) {
        return error.Text();
    }
    return "(nothing raised)";
}

}  // namespace

TEST(MemFile, GrowsInStepsOf8096)
{
    MemFile fresh;
    EXPECT_EQ(8096, fresh.Capacity());
    EXPECT_EQ(0, fresh.Size());
    EXPECT_EQ(0, fresh.Position());

    const std::vector<char> bytes(20000, 'n');
    MemFile small;
    small.WriteBin(bytes.data(), 8096);
    EXPECT_EQ(8096, small.Capacity()) << "an exact fit needs no growth";
    small.WriteBin(bytes.data(), 1);
    EXPECT_EQ(16192, small.Capacity());

    MemFile a;
    a.WriteBin(bytes.data(), 8097);
    EXPECT_EQ(16192, a.Capacity());
    EXPECT_EQ(8097, a.Size());

    MemFile b;
    b.WriteBin(bytes.data(), 20000);
    EXPECT_EQ(24288, b.Capacity());
    EXPECT_EQ(0, std::memcmp(b.Data(), bytes.data(), bytes.size()));
}

TEST(MemFile, WritesAppendWhileReadsFollowThePosition)
{
    MemFile file;
    file.WriteBin("abc", 3);
    char got[2] = {};
    file.ReadBin(got, 2);
    EXPECT_EQ('a', got[0]);
    file.WriteBin("def", 3);  // at the end of the data, not at the read position
    EXPECT_EQ(6, file.Size());
    file.ReadBin(got, 2);
    EXPECT_EQ(std::string("cd"), std::string(got, 2));
    std::uint64_t length = 0;
    EXPECT_TRUE(file.GetLength(length));
    EXPECT_EQ(6u, length);
}

TEST(MemFile, ReadingPastTheEndRaisesAndSkippingPastItFails)
{
    MemFile file;
    file.WriteBin("0123456789", 10);
    EXPECT_TRUE(file.Skip(4));
    EXPECT_EQ(4, file.Position());
    EXPECT_FALSE(file.Skip(7));
    EXPECT_EQ(4, file.Position()) << "a failed skip leaves the position";
    EXPECT_FALSE(file.Skip(-1)) << "a negative count is a huge unsigned one";
    EXPECT_TRUE(file.Skip(6));
    EXPECT_EQ(10, file.Position());

    EXPECT_EQ("MemFile::ReadBin : out of space", ErrorText(
                                                     [](MemFile& f) {
                                                         char c;
                                                         f.ReadBin(&c, 1);
                                                     },
                                                     file));
    EXPECT_EQ(10, file.Position());
    EXPECT_EQ("MemFile::ReadBin : out of space", ErrorText(
                                                     [](MemFile& f) {
                                                         char c;
                                                         f.ReadBin(&c, -1);
                                                     },
                                                     file));
}

TEST(MemFile, SizesThatWouldOverflowAreRefusedBeforeAnythingIsTouched)
{
    MemFile file;
    file.WriteBin("xy", 2);
    // A negative count reads as more than 2 GB: the write must not reach memcpy.
    EXPECT_EQ("MemFile::WriteBin : out of memory", ErrorText([](MemFile& f) { f.WriteBin("z", -1); }, file));
    EXPECT_EQ("MemFile::WriteBin : out of memory", ErrorText([](MemFile& f) { f.WriteBin("z", 0x7FFFFFFF); }, file));
    EXPECT_EQ(2, file.Size());
    EXPECT_EQ(8096, file.Capacity());
}

TEST(MemFile, StringsEndAtTheirZeroByte)
{
    MemFile file;
    file.WriteString("first");
    file.WriteString("");
    file.WriteString("third");
    EXPECT_EQ(6 + 1 + 6, file.Size());

    std::string text = "old";
    file.ReadString(text);
    EXPECT_EQ("first", text);
    EXPECT_EQ(6, file.Position()) << "just after the zero byte";
    file.ReadString(text);
    EXPECT_EQ("", text);
    file.ReadString(text);
    EXPECT_EQ("third", text);

    MemFile unterminated;
    unterminated.WriteBin("abc", 3);
    EXPECT_EQ("MemFile::ReadBin : out of space", ErrorText(
                                                     [](MemFile& f) {
                                                         std::string t;
                                                         f.ReadString(t);
                                                     },
                                                     unterminated));
}

TEST(MemFile, StringOperationsUseTheCompanionWhenThereIsOne)
{
    MemFile file;
    auto companion = std::make_unique<MemFile>();
    MemFile* strings = companion.get();
    file.SetCompanion(std::move(companion));
    file.WriteString("text");
    EXPECT_EQ(0, file.Size());
    EXPECT_EQ(5, strings->Size());
    std::string text;
    file.ReadString(text);
    EXPECT_EQ("text", text);
}

TEST(MemFile, AttachedDataIsSavedAndDetachedUnfreed)
{
    TempDir dir;
    std::uint8_t borrowed[5] = {'h', 'e', 'l', 'l', 'o'};
    MemFile file;
    file.Attach(borrowed, 5, 5);
    EXPECT_EQ(0, file.Position());
    EXPECT_TRUE(file.SaveToFile(dir.File("hello.bin")));
    file.Detach();
    EXPECT_EQ(0, file.Size());
    EXPECT_EQ(0, file.Capacity());
    EXPECT_EQ("hello", ReadWholeFile(dir.File("hello.bin")));

    EXPECT_FALSE(file.SaveToFile(dir.File("no folder\\x.bin")));
}

TEST(MemFileLoan, GivesTheBytesBackWhenItsScopeEndsByAnException)
{
    std::uint8_t borrowed[4] = {1, 2, 3, 4};
    MemFile file;
    try {
        MemFileLoan loan(file, borrowed, 4);
        EXPECT_EQ(borrowed, file.Data());
        file.ReadBin(borrowed, 8);  // raises: only four bytes
    } catch (const NRError&) {
    }
    EXPECT_EQ(nullptr, file.Data()) << "the file would free memory it does not own";
    EXPECT_EQ(0, file.Size());
}
