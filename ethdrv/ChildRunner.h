#pragma once
// Runs a console program with its standard output and error in one pipe, for at most four seconds,
// and hands back what it wrote as lines. The driver installation asks the service control tool
// about the driver's service this way.
#include <windows.h>

#include <string>
#include <vector>

#include "platform/Handle.h"

class InstallHost;
class OutputLines;

constexpr DWORD kChildTimeoutMs = 4000;

// Runs `commandLine` (program first) and replaces `lines` with its output lines. True when the child
// ended in time and its output was read to the end; `lines` is left as it was when the child could
// not be started. A child still running after `timeoutMs` is ended, and so is a running
// NoxNetServer.exe; the line "<command line> TIMEOUT" goes to `host`, and the answer is false.
bool RunRedirectedChild(std::vector<std::string>& lines, const std::string& commandLine, InstallHost& host,
                        DWORD timeoutMs = kChildTimeoutMs);

// Starts the child with the three handles as its standard handles, without a console window, and
// lets it inherit those three alone where Windows can limit inheritance.
bool LaunchRedirectedChild(const std::string& commandLine, HANDLE output, HANDLE input, HANDLE error,
                           NRHandle& process);

enum class ChildOutcome
{
    Ended,     // the child ended and its output was read to the end
    ReadFailed,
    TimedOut,  // the child still runs
};

// Reads the child's output while it runs, so a child that writes more than the pipe holds does not
// wait for room until it is taken for a late one; then what is left once it has ended. The output
// is complete when the pipe reports that every writer has closed it. Waits no longer than
// `timeoutMs` in all.
ChildOutcome ReadRedirectedOutput(HANDLE read, HANDLE process, DWORD timeoutMs, OutputLines& output);
