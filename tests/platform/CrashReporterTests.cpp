// The crash reporter: its texts alone, then programs that crash for real under Wine and leave their
// error files and the fatal box.
#include <gtest/gtest.h>

#include <cstdio>
#include <ctime>
#include <regex>
#include <string>
#include <vector>

#include "TestSupport.h"
#include "platform/CrashReporter.h"
#include "platform/Lookups.h"
#include "platform/ResourceFile.h"
#include "platform/Text.h"

using namespace testing_support;

namespace {

std::string Pointer(const void* address)
{
    char text[32];
    std::snprintf(text, sizeof(text), "%p", address);
    return text;
}

}  // namespace

TEST(CrashReport, WritesEveryChainedRecordAndOnlyTheParametersTheRecordCanHold)
{
    EXCEPTION_RECORD inner = {};
    inner.ExceptionCode = 0xC00000FD;
    inner.ExceptionAddress = reinterpret_cast<void*>(0x1234);
    inner.NumberParameters = 99;  // more than the array holds
    for (int i = 0; i < EXCEPTION_MAXIMUM_PARAMETERS; ++i)
        inner.ExceptionInformation[i] = 0xA0 + i;
    EXCEPTION_RECORD outer = {};
    outer.ExceptionCode = 0xE0001234;
    outer.ExceptionFlags = 1;
    outer.ExceptionRecord = &inner;
    outer.ExceptionAddress = reinterpret_cast<void*>(0xABC);
    CrashDiagnostics diagnostics;
    diagnostics.text = "last step";
    diagnostics.numbers[1] = -2;

    std::string expected = "SoftwareVersion - 2.17.10\n\n"
                           "ExceptionCode - UNKNOWN (E0001234)\nExceptionFlags - (00000001)\n"
                           "ExceptionAddress - (" + Pointer(outer.ExceptionAddress) + ")\nNumberParameters - (0)\n\n"
                           "ExceptionCode - STACK OVERFLOW\nExceptionFlags - (00000000)\n"
                           "ExceptionAddress - (" + Pointer(inner.ExceptionAddress) + ")\nNumberParameters - (99)\n";
    for (int i = 0; i < EXCEPTION_MAXIMUM_PARAMETERS; ++i) {
        char line[64];
        std::snprintf(line, sizeof(line), "ExceptionInformation[%d] - (%X)\n", i, 0xA0 + i);
        expected += line;
    }
    expected += "\nDebugErrorT (last step)\nDebugError1 (0)\nDebugError2 (-2)\nDebugError3 (0)\nDebugError4 (0)\n\n";
    char report[4096];
    const std::size_t length =
        FormatCrashReport(outer, {2, 17, 10}, diagnostics.text.c_str(), diagnostics.numbers, report, sizeof(report));
    EXPECT_EQ(WithCrLf(expected), std::string(report, length));
    // A buffer too small for the report holds its beginning, terminated.
    char cut[40];
    EXPECT_EQ(sizeof(cut) - 1,
              FormatCrashReport(outer, {2, 17, 10}, "", diagnostics.numbers, cut, sizeof(cut)));
    EXPECT_EQ(WithCrLf(expected).substr(0, sizeof(cut) - 1), std::string(cut));

    EXPECT_EQ("DBG CONTROL C", ExceptionCodeName(0x40010005));
    EXPECT_EQ("PRIV INSTRUCTION", ExceptionCodeName(0xC0000096));
    EXPECT_EQ("UNKNOWN (C0000097)", ExceptionCodeName(0xC0000097));

    char fatal[kFatalTextSize];
    FormatFatalExitText(outer, fatal);
    EXPECT_EQ("*** Unhandled Exception!\n   ExpCode: 0xE0001234\n   ExpFlags: 1\n   ExpAddress: 0x" +
                  Pointer(outer.ExceptionAddress) + "\n   Please report!",
              std::string(fatal));
}

TEST(CrashReport, TheFileIsNamedAfterTheProgramAndTakesTheFirstFreeNumber)
{
    EXPECT_EQ("C:\\Tools.v2\\NoxSetup EXCEPTION 2024-03-07 14-05-09",
              CrashFileBase("C:\\Tools.v2\\NoxSetup.exe", "EXCEPTION", "2024-03-07 14-05-09"));
    EXPECT_EQ("C:\\Tools.v2\\NoxSetup EXCEPTION t", CrashFileBase("C:\\Tools.v2\\NoxSetup", "EXCEPTION", "t"))
        << "a dot in a folder's name is no extension";

    TempDir dir;
    NRCrashReporter reporter({2, 17, 10});
    EXCEPTION_RECORD record = {};
    record.ExceptionCode = 0xC0000005;
    const std::string program = dir.File("Prog.exe");
    const std::string first = reporter.WriteErrorFile(record, program, "S");
    EXPECT_EQ(dir.File("Prog EXCEPTION S.txt"), first);
    ASSERT_TRUE(CreateDirectoryA(dir.File("Prog EXCEPTION S (1).txt").c_str(), nullptr)) << "a folder takes a name too";
    EXPECT_EQ(dir.File("Prog EXCEPTION S (2).txt"), reporter.WriteErrorFile(record, program, "S"));
    const std::string text = ReadWholeFile(first);
    EXPECT_EQ(0u, text.find("SoftwareVersion - 2.17.10\r\n\r\nExceptionCode - ACCESS VIOLATION\r\n")) << text;

    // A folder deeper than 260 characters.
    std::string deep = dir.Path();
    while (deep.size() < 300) {
        deep += std::string(40, 'd') + "\\";
        ASSERT_TRUE(CreateDirectoryW(MakeLongPathW(deep).c_str(), nullptr));
    }
    const std::string deepFile = reporter.WriteErrorFile(record, deep + "Prog.exe", "S");
    EXPECT_EQ(deep + "Prog EXCEPTION S.txt", deepFile);
    EXPECT_NE(INVALID_FILE_ATTRIBUTES, GetFileAttributesW(MakeLongPathW(deepFile).c_str()));
}

TEST(CrashReport, ALinkWhereTheFileGoesIsNeverFollowed)
{
    // A Unix link to a file beside the folder waits under the crash file's first name (made by the
    // test fixture), as a user could leave it beside a program started elevated.
    const std::string folder = BuildFile("linked-log\\install\\");
    const std::string file = folder + "Prog EXCEPTION S (1).txt";
    DeleteFileA(file.c_str());
    NRCrashReporter reporter({2, 17, 10});
    EXCEPTION_RECORD record = {};
    record.ExceptionCode = 0xC0000005;
    EXPECT_EQ(file, reporter.WriteErrorFile(record, folder + "Prog.exe", "S"));
    EXPECT_EQ("victim\n", ReadWholeFile(BuildFile("linked-log\\victim.txt")));
    EXPECT_EQ(0u, ReadWholeFile(file).find("SoftwareVersion - 2.17.10\r\n"));
    DeleteFileA(file.c_str());
}

namespace {

struct Crash
{
    std::string fatalText;
    DWORD exitCode = 0;
    std::vector<std::string> files;  // the error files' names
    std::string lastFile;            // the newest one's text
};

// Runs the crash program from `dir` in `mode`, dismisses its fatal box and collects what it left.
Crash RunCrasher(const TempDir& dir, const std::string& exe, const char* mode)
{
    Crash crash;
    ChildProcess child("\"" + exe + "\" " + mode);
    if (!child.Started())
        return crash;
    if (HWND box = WaitForProcessWindow(child.Id(), "#32770", 15000)) {
        crash.fatalText = MessageBoxText(box);
        PostMessageA(box, WM_COMMAND, IDOK, 0);
    }
    child.Wait(10000);
    crash.exitCode = child.ExitCode();
    WIN32_FIND_DATAA found;
    HANDLE find = FindFirstFileA(dir.File("*EXCEPTION*").c_str(), &found);
    if (find != INVALID_HANDLE_VALUE) {
        do
            crash.files.push_back(found.cFileName);
        while (FindNextFileA(find, &found));
        FindClose(find);
    }
    if (!crash.files.empty())
        crash.lastFile = ReadWholeFile(dir.File(crash.files.back()));
    return crash;
}

// The text with every hexadecimal address in "(...)" or after "0x" replaced by "ADDR".
std::string WithoutAddresses(const std::string& text)
{
    return std::regex_replace(std::regex_replace(text, std::regex("Address - \\([0-9A-Fa-f]+\\)"), "Address - (ADDR)"),
                              std::regex("0x[0-9A-Fa-f]{8,16}\r?\n   Please"), "0xADDR\n   Please");
}

struct CrashCase
{
    const char* mode;
    std::string file;  // addresses as ADDR; empty: a stack overflow, whatever follows its first line
    const char* code;
};

const std::string kCrashFileHead = "SoftwareVersion - 2.17.10\r\n\r\n";
const std::string kCrashFileTail = "DebugError1 (0)\r\nDebugError2 (0)\r\nDebugError3 (0)\r\nDebugError4 (0)\r\n\r\n";

void ExpectCrashes(const std::vector<CrashCase>& cases)
{
    for (const auto& c : cases) {
        TempDir dir;
        const std::string exe = CopyExecutable("crasher.exe", dir, "crasher.exe");
        const Crash crash = RunCrasher(dir, exe, c.mode);
        EXPECT_EQ(std::string("*** Unhandled Exception!\n   ExpCode: 0x") + c.code +
                      "\n   ExpFlags: " + (c.mode == std::string("chained") ? "1" : "0") +
                      "\n   ExpAddress: 0xADDR\n   Please report!",
                  WithoutAddresses(crash.fatalText))
            << c.mode;
        ASSERT_EQ(1u, crash.files.size()) << c.mode;
        EXPECT_TRUE(std::regex_match(crash.files[0],
                                     std::regex("crasher EXCEPTION \\d{4}-\\d\\d-\\d\\d \\d\\d-\\d\\d-\\d\\d\\.txt")))
            << crash.files[0];
        if (!c.file.empty()) {
            EXPECT_EQ(c.file, WithoutAddresses(crash.lastFile)) << c.mode;
        } else {
            EXPECT_NE(std::string::npos, crash.lastFile.find("ExceptionCode - STACK OVERFLOW\r\n")) << crash.lastFile;
        }
    }
}

}  // namespace

TEST(CrashReporter, ACrashLeavesItsErrorFileAndEndsWithTheFatalBox)
{
    const std::string& head = kCrashFileHead;
    const std::string& tail = kCrashFileTail;
    ExpectCrashes({
        {"chained",
         head + "ExceptionCode - NONCONTINUABLE EXCEPTION\r\nExceptionFlags - (00000001)\r\nExceptionAddress - (ADDR)\r\n"
                "NumberParameters - (1)\r\nExceptionInformation[0] - (42)\r\n\r\n"
                "ExceptionCode - ACCESS VIOLATION\r\nExceptionFlags - (00000000)\r\nExceptionAddress - (ADDR)\r\n"
                "NumberParameters - (2)\r\nExceptionInformation[0] - (0)\r\nExceptionInformation[1] - (DEAD)\r\n\r\n" +
             tail,
         "C0000025"},
        {"noparams",
         head + "ExceptionCode - INT DIVIDE BY ZERO\r\nExceptionFlags - (00000000)\r\nExceptionAddress - (ADDR)\r\n"
                "NumberParameters - (0)\r\n\r\n" +
             tail,
         "C0000094"},
        {"unknown",
         head + "ExceptionCode - UNKNOWN (E0001234)\r\nExceptionFlags - (00000000)\r\nExceptionAddress - (ADDR)\r\n"
                "NumberParameters - (2)\r\nExceptionInformation[0] - (AB)\r\nExceptionInformation[1] - (CD)\r\n\r\n" +
             tail,
         "E0001234"},
        {"stack", "", "C00000FD"},
        {"two-stacks", "", "C00000FD"},
        {"throw-in-window",
         head + "ExceptionCode - C++ EXCEPTION\r\nExceptionFlags - (00000000)\r\nExceptionAddress - (ADDR)\r\n"
                "NumberParameters - (0)\r\n\r\nDebugErrorT (thrown by a message handler)\r\n" +
             tail,
         "E0435058"},
        {"throw-in-main",
         head + "ExceptionCode - C++ EXCEPTION\r\nExceptionFlags - (00000000)\r\nExceptionAddress - (ADDR)\r\n"
                "NumberParameters - (0)\r\n\r\nDebugErrorT (thrown out of main)\r\n" +
             tail,
         "E0435058"},
    });
}

// Apart from the others: under qemu-i386 a write through a null pointer reaches Wine as an illegal
// instruction, with no parameters, so the 32-bit run under the emulator leaves this one out.
TEST(CrashReporter, AnAccessViolationLeavesItsErrorFileWithTheAccessAndAddressEvenWithTheHeapLocked)
{
    const std::string violation = kCrashFileHead +
                                  "ExceptionCode - ACCESS VIOLATION\r\nExceptionFlags - (00000000)\r\nExceptionAddress - (ADDR)\r\n"
                                  "NumberParameters - (2)\r\nExceptionInformation[0] - (1)\r\nExceptionInformation[1] - (0)\r\n\r\n" +
                                  kCrashFileTail;
    ExpectCrashes({{"access", violation, "C0000005"}, {"heap-locked", violation, "C0000005"}});
}

TEST(CrashReporter, ASecondCrashInTheSameSecondGetsNumberOneAndAnUnwritableFolderStillGetsTheBox)
{
    TempDir dir;
    const std::string exe = CopyExecutable("crasher.exe", dir, "crasher.exe");
    // Every second the crash can fall into is taken already, as by an earlier crash.
    const std::time_t now = std::time(nullptr);
    for (std::time_t second = now - 1; second < now + 30; ++second)
        WriteWholeFile(dir.File("crasher EXCEPTION " + FormatDateTimeStamp(second, '-', ' ', '-') + ".txt"), "");
    const Crash crash = RunCrasher(dir, exe, "noparams");
    ASSERT_FALSE(crash.fatalText.empty());
    int numbered = 0;
    for (const std::string& name : crash.files)
        numbered += std::regex_match(name, std::regex("crasher EXCEPTION .* \\(1\\)\\.txt"));
    EXPECT_EQ(1, numbered);

    // The build keeps a copy in a folder without write permission.
    const std::string locked = BuildFile("unwritable-folder\\");
    HANDLE probe = CreateFileA((locked + "probe.txt").c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW,
                               FILE_ATTRIBUTE_NORMAL | FILE_FLAG_DELETE_ON_CLOSE, nullptr);
    if (probe != INVALID_HANDLE_VALUE)
        CloseHandle(probe);
    ASSERT_EQ(INVALID_HANDLE_VALUE, probe) << "the folder must refuse new files";
    ChildProcess child("\"" + locked + "crasher.exe\" noparams");
    HWND box = WaitForProcessWindow(child.Id(), "#32770", 15000);
    ASSERT_TRUE(box);
    EXPECT_EQ(0u, MessageBoxText(box).find("*** Unhandled Exception!\n   ExpCode: 0xC0000094"));
    PostMessageA(box, WM_COMMAND, IDOK, 0);
    EXPECT_TRUE(child.Wait(10000));
    WIN32_FIND_DATAA found;
    HANDLE find = FindFirstFileA((locked + "*EXCEPTION*").c_str(), &found);
    EXPECT_EQ(INVALID_HANDLE_VALUE, find);
    if (find != INVALID_HANDLE_VALUE)
        FindClose(find);
}
