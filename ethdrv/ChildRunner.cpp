#include "ethdrv/ChildRunner.h"

#include <algorithm>
#include <initializer_list>

#include "ethdrv/InstallHost.h"
#include "ethdrv/OutputLines.h"
#include "platform/Lookups.h"
#include "platform/RedirectionMark.h"

namespace {

// How often the output is looked at while the child runs: short against the time-out, long enough
// that the wait costs nothing.
constexpr DWORD kPollMs = 10;
// The most one read takes from the pipe.
constexpr DWORD kReadChunk = 199;

bool DuplicateInThisProcess(HANDLE source, bool inheritable, NRHandle& copy)
{
    const HANDLE self = GetCurrentProcess();
    return DuplicateHandle(self, source, self, copy.Out(), 0, inheritable ? TRUE : FALSE, DUPLICATE_SAME_ACCESS) !=
           FALSE;
}

// Takes what a pipe without writers still buffers; reading cannot block then. Complete when the
// pipe ends with "broken pipe", the one ending that means every writer has closed it.
bool DrainClosedPipe(HANDLE read, OutputLines& output)
{
    char chunk[kReadChunk];
    DWORD count = 0;
    while (ReadFile(read, chunk, sizeof(chunk), &count, nullptr) && count > 0)
        output.Feed(chunk, count);
    return GetLastError() == ERROR_BROKEN_PIPE;
}

// The late child goes, and so does the maker's server, which a tool of the maker may have started and
// which would keep the driver busy.
void EndLateChild(const std::string& commandLine, HANDLE process, InstallHost& host)
{
    host.AddLine(commandLine + " TIMEOUT");
    TerminateProcess(process, 1);
    DWORD serverId = 0;
    if (!FindServerProcess(serverId))
        return;
    NRHandle server(OpenProcess(PROCESS_TERMINATE, FALSE, serverId));
    if (server)
        TerminateProcess(server.Get(), 1);
}

// Vista's extended start-up record and handle-list attribute; the headers show them to Vista builds
// only, and this one runs on XP too.
constexpr DWORD_PTR kProcThreadAttributeHandleList = 0x00020002;
struct StartupInfoEx
{
    STARTUPINFOA StartupInfo;
    LPPROC_THREAD_ATTRIBUTE_LIST lpAttributeList;
};

// The handles a child may inherit, where Windows can say so (Vista and later): without the list
// it inherits every inheritable handle of the process, whoever made it.
class InheritedHandleList
{
public:
    explicit InheritedHandleList(std::initializer_list<HANDLE> handles) : m_handles(handles)
    {
        HMODULE kernel32 = GetModuleHandleA("kernel32.dll");
        const auto initialize = Find<InitializeFn>(kernel32, "InitializeProcThreadAttributeList");
        const auto update = Find<UpdateFn>(kernel32, "UpdateProcThreadAttribute");
        m_delete = Find<DeleteFn>(kernel32, "DeleteProcThreadAttributeList");
        if (!initialize || !update || !m_delete)
            return;
        SIZE_T size = 0;
        initialize(nullptr, 1, 0, &size);
        if (size == 0)
            return;
        m_storage.resize(size);
        auto* list = reinterpret_cast<LPPROC_THREAD_ATTRIBUTE_LIST>(m_storage.data());
        if (!initialize(list, 1, 0, &size))
            return;
        m_list = list;
        if (!update(m_list, 0, kProcThreadAttributeHandleList, m_handles.data(), m_handles.size() * sizeof(HANDLE),
                    nullptr, nullptr)) {
            m_delete(m_list);
            m_list = nullptr;
        }
    }
    ~InheritedHandleList()
    {
        if (m_list)
            m_delete(m_list);
    }
    InheritedHandleList(const InheritedHandleList&) = delete;
    InheritedHandleList& operator=(const InheritedHandleList&) = delete;

    // Null where Windows has no such list.
    LPPROC_THREAD_ATTRIBUTE_LIST Attributes() const { return m_list; }

private:
    typedef BOOL(WINAPI* InitializeFn)(LPPROC_THREAD_ATTRIBUTE_LIST, DWORD, DWORD, PSIZE_T);
    typedef BOOL(WINAPI* UpdateFn)(LPPROC_THREAD_ATTRIBUTE_LIST, DWORD, DWORD_PTR, PVOID, SIZE_T, PVOID, PSIZE_T);
    typedef void(WINAPI* DeleteFn)(LPPROC_THREAD_ATTRIBUTE_LIST);
    template <typename Function>
    static Function Find(HMODULE module, const char* name)
    {
        return module ? reinterpret_cast<Function>(reinterpret_cast<void*>(GetProcAddress(module, name))) : nullptr;
    }

    std::vector<HANDLE> m_handles;
    std::vector<unsigned char> m_storage;
    LPPROC_THREAD_ATTRIBUTE_LIST m_list = nullptr;
    DeleteFn m_delete = nullptr;
};

}  // namespace

bool LaunchRedirectedChild(const std::string& commandLine, HANDLE output, HANDLE input, HANDLE error,
                           NRHandle& process)
{
    if (ViolatesRedirectionOff("CreateProcess"))
        return false;
    StartupInfoEx startup = {};
    startup.StartupInfo.cb = sizeof(startup.StartupInfo);
    startup.StartupInfo.dwFlags = STARTF_USESTDHANDLES | STARTF_USESHOWWINDOW;
    startup.StartupInfo.wShowWindow = SW_HIDE;
    startup.StartupInfo.hStdInput = input;
    startup.StartupInfo.hStdOutput = output;
    startup.StartupInfo.hStdError = error;
    // No console window at all: a hidden new console can be handed to the default terminal on
    // Windows 11, which shows one.
    DWORD flags = CREATE_NO_WINDOW;
    InheritedHandleList inherited({input, output, error});
    if (inherited.Attributes()) {
        startup.StartupInfo.cb = sizeof(startup);
        startup.lpAttributeList = inherited.Attributes();
        flags |= EXTENDED_STARTUPINFO_PRESENT;
    }
    // CreateProcessA may write into the command line it is given.
    std::string writable = commandLine;
    PROCESS_INFORMATION info = {};
    if (!CreateProcessA(nullptr, &writable[0], nullptr, nullptr, TRUE, flags, nullptr, nullptr, &startup.StartupInfo,
                        &info))
        return false;
    CloseHandle(info.hThread);
    process.Reset(info.hProcess);
    return true;
}

ChildOutcome ReadRedirectedOutput(HANDLE read, HANDLE process, DWORD timeoutMs, OutputLines& output)
{
    const DWORD start = GetTickCount();
    bool childEnded = false;
    bool pipeClosed = false;
    char chunk[kReadChunk];
    for (;;) {
        DWORD available = 0;
        if (!pipeClosed && !PeekNamedPipe(read, nullptr, 0, nullptr, &available, nullptr)) {
            // Broken pipe: every writer has closed its end, so nothing more can come.
            if (GetLastError() != ERROR_BROKEN_PIPE || !DrainClosedPipe(read, output))
                return ChildOutcome::ReadFailed;
            pipeClosed = true;
        }
        if (available > 0) {
            DWORD count = 0;
            if (!ReadFile(read, chunk, std::min(available, kReadChunk), &count, nullptr))
                return ChildOutcome::ReadFailed;
            output.Feed(chunk, count);
            // A child that writes without pause is still held to the limit.
            if (GetTickCount() - start < timeoutMs)
                continue;
        }
        if (pipeClosed && childEnded) {
            output.Finish();
            return ChildOutcome::Ended;
        }
        const DWORD elapsed = GetTickCount() - start;
        if (elapsed >= timeoutMs) {
            // A child that ended while something it started still holds the pipe open: the output
            // never completes, and the caller is not kept waiting for it.
            return childEnded ? ChildOutcome::ReadFailed : ChildOutcome::TimedOut;
        }
        if (!childEnded) {
            // Any answer but the time-out, a failed wait included, is taken as the child's end.
            childEnded = WaitForSingleObject(process, std::min(kPollMs, timeoutMs - elapsed)) != WAIT_TIMEOUT;
        } else {
            Sleep(std::min(kPollMs, timeoutMs - elapsed));
        }
    }
}

bool RunRedirectedChild(std::vector<std::string>& lines, const std::string& commandLine, InstallHost& host,
                        DWORD timeoutMs)
{
    // Both pipes are made inheritable, and the parent's own ends are swapped for private copies, so
    // that the child inherits only its three standard handles. (Closing a handle the runner holds
    // cannot fail, so the owners close them without a check.)
    SECURITY_ATTRIBUTES inheritable = {};
    inheritable.nLength = sizeof(inheritable);
    inheritable.bInheritHandle = TRUE;
    NRHandle outputRead, outputWrite, errorWrite, inputRead, inputWrite, privateOutputRead, privateInputWrite;
    if (!CreatePipe(outputRead.Out(), outputWrite.Out(), &inheritable, 0) ||
        !DuplicateInThisProcess(outputWrite.Get(), true, errorWrite) ||
        !CreatePipe(inputRead.Out(), inputWrite.Out(), &inheritable, 0) ||
        !DuplicateInThisProcess(outputRead.Get(), false, privateOutputRead) ||
        !DuplicateInThisProcess(inputWrite.Get(), false, privateInputWrite))
        return false;
    outputRead.Reset();
    inputWrite.Reset();

    NRHandle process;
    if (!LaunchRedirectedChild(commandLine, outputWrite.Get(), inputRead.Get(), errorWrite.Get(), process))
        return false;
    // Only the child holds the write ends now, so the pipe breaks when it has ended.
    outputWrite.Reset();
    inputRead.Reset();
    errorWrite.Reset();

    OutputLines output;
    const ChildOutcome outcome = ReadRedirectedOutput(privateOutputRead.Get(), process.Get(), timeoutMs, output);
    if (outcome == ChildOutcome::TimedOut) {
        EndLateChild(commandLine, process.Get(), host);
        return false;
    }
    lines = output.Lines();
    return outcome == ChildOutcome::Ended;
}
