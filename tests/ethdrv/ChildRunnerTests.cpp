// The child process runner: line splitting alone, then real console children under Wine.
#include <gtest/gtest.h>

#include <cstdint>
#include <cstdio>
#include <string>
#include <thread>
#include <vector>

#include "RecordingHost.h"
#include "TestSupport.h"
#include "ethdrv/ChildRunner.h"
#include "ethdrv/OutputLines.h"
#include "platform/Lookups.h"

using namespace testing_support;

using Lines = std::vector<std::string>;

TEST(OutputLines, SplitsAtLineFeedsDropsCarriageReturnsAndEmptyLinesAndKeepsALastOpenLine)
{
    const struct
    {
        std::vector<std::string> pieces;  // as they come from the pipe
        Lines expected;
    } cases[] = {
        {{"one\r\n\r\ntwo\r\n"}, {"one", "two"}},
        {{"one\ntwo"}, {"one", "two"}},
        {{"\n\n\r\nfirst\n"}, {"first"}},
        {{}, {}},
        {{"\r\n\r\n"}, {}},
        {{"SERVICE_NAME: Nx", "NtSp50\r", "\n  STATE : 4  RUN", "NING"},
         {"SERVICE_NAME: NxNtSp50", "  STATE : 4  RUNNING"}},
        {{"a\rb\n"}, {"ab"}},
    };
    for (const auto& c : cases) {
        OutputLines output;
        for (const std::string& piece : c.pieces)
            output.Feed(piece.data(), piece.size());
        output.Finish();
        EXPECT_EQ(c.expected, output.Lines()) << ::testing::PrintToString(c.pieces);
    }
    // What comes after the first MiB is not kept.
    OutputLines flood;
    const std::string lines(OutputLines::kMaxKeptBytes, '\n');
    flood.Feed("first\n", 6);
    flood.Feed(lines.data(), lines.size());
    flood.Feed("late\n", 5);
    flood.Finish();
    EXPECT_EQ(Lines{"first"}, flood.Lines());
}

namespace {

std::string Writer(const std::string& arguments) { return "\"" + BuildFile("child_writer.exe") + "\" " + arguments; }

// A process of this name opened for waiting and its exit code, or null.
HANDLE OpenProcessByName(const char* name)
{
    DWORD id = 0;
    return FindProcessByName(name, id) ? OpenProcess(SYNCHRONIZE | PROCESS_QUERY_INFORMATION, FALSE, id) : nullptr;
}

bool ProcessRuns(DWORD id)
{
    HANDLE process = OpenProcess(SYNCHRONIZE, FALSE, id);
    if (!process)
        return false;
    const bool runs = WaitForSingleObject(process, 2000) == WAIT_TIMEOUT;
    CloseHandle(process);
    return runs;
}

}  // namespace

// The runner ends any server by its name, so the lookup is tested here, where no other test of the
// build runs one meanwhile.
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

TEST(ChildRunner, ReturnsWhatTheChildWroteAsLines)
{
    const struct
    {
        std::string arguments;
        Lines expected;
    } cases[] = {
        {"\"first\\r\\n\\r\\nsecond\\r\\n\"", {"first", "second"}},
        {"\"\"", {}},
        // standard error comes through the same pipe, in the order written
        {"\"out\\r\\n\\eerror\\r\\n\\oout again\\r\\n\"", {"out", "error", "out again"}},
        // 250 bytes a line, so every line arrives in two reads at least
        {"\"" + std::string(248, 'x') + "\\r\\n\" 3",
         {std::string(248, 'x'), std::string(248, 'x'), std::string(248, 'x')}},
    };
    for (const auto& c : cases) {
        RecordingHost host;
        Lines lines = {"left from before"};
        EXPECT_TRUE(RunRedirectedChild(lines, Writer(c.arguments), host)) << c.arguments;
        EXPECT_EQ(c.expected, lines) << c.arguments;
        EXPECT_TRUE(host.lines.empty());
    }
}

TEST(ChildRunner, ReadsOutputLargerThanThePipeWhileTheChildRuns)
{
    // 512 KiB: a child that waited for room in the pipe until its reader came would be taken for late.
    const std::string line(1023, 'x');
    RecordingHost host;
    Lines lines;
    ASSERT_TRUE(RunRedirectedChild(lines, Writer("\"" + line + "\\n\" 512"), host));
    EXPECT_EQ(512u, lines.size());
    EXPECT_EQ(line, lines.back());
}

TEST(ChildRunner, EndsALateChildAndTheRunningServerAndSaysSoWithTheWholeCommandLine)
{
    ChildProcess server("\"" + BuildFile("NoxNetServer.exe") + "\" 60");
    ASSERT_TRUE(server.Started());
    // The line is longer than any fixed buffer would hold.
    const std::string command = Writer("\"started\\n" + std::string(300, 'a') + "\" 1 60");
    RecordingHost host;
    Lines lines = {"left from before"};
    const std::vector<HANDLE> handlesBefore = NextHandleValues();
    // The child is caught from outside while it runs, to see how it ends.
    HANDLE child = nullptr;
    std::thread watcher([&] {
        for (int waited = 0; !child && waited < 3000; waited += 10, Sleep(10))
            child = OpenProcessByName("child_writer.exe");
    });

    EXPECT_FALSE(RunRedirectedChild(lines, command, host, 500));
    watcher.join();

    EXPECT_EQ(Lines{command + " TIMEOUT"}, host.lines);
    EXPECT_EQ(Lines{"left from before"}, lines);
    ASSERT_TRUE(child);
    EXPECT_EQ(WAIT_OBJECT_0, WaitForSingleObject(child, 5000));
    DWORD childExit = 0;
    GetExitCodeProcess(child, &childExit);
    CloseHandle(child);
    EXPECT_EQ(1u, childExit);
    EXPECT_TRUE(server.Wait(5000)) << "the server is ended too";
    EXPECT_EQ(1u, server.ExitCode());
    EXPECT_EQ(handlesBefore, NextHandleValues()) << "every handle of the runner is closed, the server's too";
}

TEST(ChildRunner, FailsWithoutALineWhenTheProgramDoesNotExistAndClosesEveryHandle)
{
    RecordingHost host;
    Lines lines = {"kept"};
    const std::vector<HANDLE> handlesBefore = NextHandleValues();
    EXPECT_FALSE(RunRedirectedChild(lines, "C:\\nowhere\\no-such-program.exe query", host));
    EXPECT_EQ(Lines{"kept"}, lines);
    EXPECT_TRUE(host.lines.empty());
    EXPECT_EQ(handlesBefore, NextHandleValues());

    EXPECT_TRUE(RunRedirectedChild(lines, Writer("\"x\\n\""), host));
    EXPECT_EQ(handlesBefore, NextHandleValues()) << "after a child that ended";
}

TEST(ChildRunner, GivesUpOnOutputThatAProcessLeftBehindKeepsOpenInsteadOfWaitingForIt)
{
    // The child ends at once, but the server it starts holds the pipe's write end: the output never
    // completes, and the runner returns by its time limit.
    RecordingHost host;
    Lines lines;
    const std::string holder = "\"" + BuildFile("NoxNetServer.exe") + "\" 20";
    const DWORD start = GetTickCount();
    EXPECT_FALSE(RunRedirectedChild(lines, Writer("\"line\\n\" 1 0 " + holder), host, 1500));
    EXPECT_LT(GetTickCount() - start, 10000u);
    EXPECT_TRUE(host.lines.empty()) << "the child itself was not late";
    DWORD serverId = 0;
    ASSERT_TRUE(FindServerProcess(serverId));
    EXPECT_TRUE(ProcessRuns(serverId));
    HANDLE server = OpenProcess(PROCESS_TERMINATE, FALSE, serverId);
    TerminateProcess(server, 0);
    CloseHandle(server);
}

TEST(ChildRunner, TheChildGetsNoConsoleWindowAndInheritsOnlyItsThreeStandardHandles)
{
    // An inheritable handle of this process that is not the child's: another part of the program
    // may hold one, and the child must not be able to use it.
    SECURITY_ATTRIBUTES inheritable = {sizeof(inheritable), nullptr, TRUE};
    const NRHandle event(CreateEventA(&inheritable, TRUE, FALSE, nullptr));
    ASSERT_TRUE(event);
    char value[32] = {};
    std::snprintf(value, sizeof(value), "%llx",
                  static_cast<unsigned long long>(reinterpret_cast<std::uintptr_t>(event.Get())));
    RecordingHost host;
    Lines lines;
    ASSERT_TRUE(RunRedirectedChild(lines, "\"" + BuildFile("inherit_probe.exe") + "\" " + value, host));
    EXPECT_EQ(Lines{"no console window"}, lines);
    EXPECT_EQ(static_cast<DWORD>(WAIT_TIMEOUT), WaitForSingleObject(event.Get(), 0)) << "the child could set it";
}
