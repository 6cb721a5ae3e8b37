#include "platform/CrashReporter.h"

#include <algorithm>
#include <cinttypes>
#include <cstdarg>
#include <cstdio>
#include <cstring>
#include <cwchar>
#include <exception>
#include <vector>

#include "platform/LinkSafeFile.h"
#include "platform/Lookups.h"
#include "platform/ResourceFile.h"

namespace {

// The stack a stack overflow is reported from: the thread's own has no room left.
alignas(16) unsigned char g_emergencyStack[NRCrashReporter::kEmergencyStackBytes];
NRCrashReporter* g_activeReporter = nullptr;

// A chain longer than this is taken to loop.
constexpr int kMaxChainedRecords = 16;

struct CodeName
{
    DWORD code;
    const char* name;
};
constexpr CodeName kCodeNames[] = {
    {0x40010005, "DBG CONTROL C"},
    {0x80000002, "DATATYPE MISALIGNMENT"},
    {0x80000003, "BREAKPOINT"},
    {0x80000004, "SINGLE STEP"},
    {0xC0000005, "ACCESS VIOLATION"},
    {0xC0000006, "IN PAGE ERROR"},
    {0xC000001D, "ILLEGAL INSTRUCTION"},
    {0xC0000025, "NONCONTINUABLE EXCEPTION"},
    {0xC0000026, "INVALID DISPOSITION"},
    {0xC000008C, "ARRAY BOUNDS EXCEEDED"},
    {0xC000008D, "FLT DENORMAL OPERAND"},
    {0xC000008E, "FLT DIVIDE BY ZERO"},
    {0xC000008F, "FLT INEXACT RESULT"},
    {0xC0000090, "FLT INVALID OPERATION"},
    {0xC0000091, "FLT OVERFLOW"},
    {0xC0000092, "FLT STACK CHECK"},
    {0xC0000093, "FLT UNDERFLOW"},
    {0xC0000094, "INT DIVIDE BY ZERO"},
    {0xC0000095, "INT OVERFLOW"},
    {0xC0000096, "PRIV INSTRUCTION"},
    {0xC00000FD, "STACK OVERFLOW"},
    {kCppExceptionCode, "C++ EXCEPTION"},
};

// Text appended into a fixed buffer, cut where the buffer ends; formats with no memory of its own.
class FixedText
{
public:
    FixedText(char* out, std::size_t size) : m_out(out), m_size(size)
    {
        if (m_size > 0)
            m_out[0] = '\0';
    }
    void Append(const char* format, ...) __attribute__((format(printf, 2, 3)))
    {
        if (m_length + 1 >= m_size)
            return;
        va_list args;
        va_start(args, format);
        const int length = std::vsnprintf(m_out + m_length, m_size - m_length, format, args);
        va_end(args);
        if (length > 0)
            m_length = std::min(m_length + static_cast<std::size_t>(length), m_size - 1);
        m_out[m_length] = '\0';
    }
    std::size_t Length() const { return m_length; }

private:
    char* m_out;
    std::size_t m_size;
    std::size_t m_length = 0;
};

const char* KnownCodeName(DWORD code)
{
    for (const CodeName& entry : kCodeNames) {
        if (entry.code == code)
            return entry.name;
    }
    return nullptr;
}

// What the filter writes with: static storage, as the heap may be locked or damaged.
constexpr std::size_t kReportTextSize = 32768;
constexpr std::size_t kReportPathSize = 32768 + 64;
char g_reportText[kReportTextSize];
wchar_t g_reportBase[kReportPathSize];
wchar_t g_reportPath[kReportPathSize];
alignas(8) wchar_t g_reportScratch[kReportPathSize];
char g_cppExceptionText[512];

// The thread that reports. A second thread that crashes meanwhile (two stack overflows share the
// one emergency stack) waits for the process to end; a crash inside the report ends it at once.
volatile LONG g_reportingThread = 0;

void ClaimTheReport(DWORD code)
{
    const LONG self = static_cast<LONG>(GetCurrentThreadId());
    const LONG owner = InterlockedCompareExchange(&g_reportingThread, self, 0);
    if (owner == 0)
        return;
    if (owner == self)
        TerminateProcess(GetCurrentProcess(), code);
    for (;;)
        Sleep(INFINITE);
}

// The path without the extension of its file name (a dot in a folder's name is no extension).
std::wstring WithoutExtension(const std::wstring& path)
{
    const std::size_t dot = path.find_last_of(L'.');
    const std::size_t slash = path.find_last_of(L"\\/");
    const bool hasExtension = dot != std::wstring::npos && (slash == std::wstring::npos || dot > slash);
    return hasExtension ? path.substr(0, dot) : path;
}

// std::terminate's handler: an exception nothing caught (it left WinMain or a thread), or a
// terminate of the runtime's own.
[[noreturn]] void ReportTermination()
{
    std::string what = "std::terminate";
    if (const std::exception_ptr current = std::current_exception()) {
        try {
            std::rethrow_exception(current);
        } catch (const std::exception& error) {
            what = error.what();
        } catch (...) {
            what = "an exception that is no std::exception";
        }
    }
    NRCrashReporter::ReportCppException(what.c_str());
}

[[noreturn]] void ReportOnThisStack(EXCEPTION_POINTERS* pointers)
{
    g_activeReporter->ReportAndExit(*pointers);
}

// Moves the thread onto the emergency stack and reports from there. The thread's stack bounds in
// its information block move too: the stack probes of large frames and the system's checks of
// frame addresses read them, so a bare stack-pointer switch is not enough on x86_64.
[[noreturn]] void ReportOnEmergencyStack(EXCEPTION_POINTERS* pointers)
{
    // (GCC takes the segment-relative read in NtCurrentTeb for an access to an empty array.)
#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Warray-bounds"
    auto* tib = reinterpret_cast<NT_TIB*>(NtCurrentTeb());
#pragma GCC diagnostic pop
    unsigned char* const end = g_emergencyStack + sizeof(g_emergencyStack);
    tib->StackLimit = g_emergencyStack;
    tib->StackBase = end;
    std::uintptr_t top = reinterpret_cast<std::uintptr_t>(end) & ~static_cast<std::uintptr_t>(15);
    void (*report)(EXCEPTION_POINTERS*) = ReportOnThisStack;
#if defined(__x86_64__)
    top -= 32;  // the home space a callee may use for its register arguments
    asm volatile("mov %0, %%rsp\n\t"
                 "mov %1, %%rcx\n\t"
                 "call *%2\n\t"
                 "ud2"
                 :
                 : "r"(top), "r"(pointers), "r"(report)
                 : "rcx", "memory");
#elif defined(__i386__)
    top -= 12;  // with the argument pushed, the stack is 16-byte aligned at the call
    asm volatile("mov %0, %%esp\n\t"
                 "push %1\n\t"
                 "call *%2\n\t"
                 "ud2"
                 :
                 : "r"(top), "r"(pointers), "r"(report)
                 : "memory");
#else
#error "the emergency stack switch knows x86 and x86_64 only"
#endif
    __builtin_unreachable();
}

// A stack overflow is taken before any frame's handler runs: dispatching it down the frames to the
// unhandled-exception filter needs more stack than the guard page leaves (64-bit Wine ends the
// process on the way, seen), while the vectored handler is called first and moves to the emergency
// stack at once. No code of the installer handles a stack overflow, so it always ends here.
LONG WINAPI CatchStackOverflow(EXCEPTION_POINTERS* pointers)
{
    if (g_activeReporter && pointers && pointers->ExceptionRecord &&
        pointers->ExceptionRecord->ExceptionCode == EXCEPTION_STACK_OVERFLOW) {
        ClaimTheReport(EXCEPTION_STACK_OVERFLOW);
        ReportOnEmergencyStack(pointers);
    }
    return EXCEPTION_CONTINUE_SEARCH;
}

LONG WINAPI ReportUnhandledException(EXCEPTION_POINTERS* pointers)
{
    if (!g_activeReporter || !pointers || !pointers->ExceptionRecord)
        return EXCEPTION_CONTINUE_SEARCH;
    ClaimTheReport(pointers->ExceptionRecord->ExceptionCode);
    if (pointers->ExceptionRecord->ExceptionCode == EXCEPTION_STACK_OVERFLOW)
        ReportOnEmergencyStack(pointers);
    ReportOnThisStack(pointers);
}

}  // namespace

std::string ExceptionCodeName(DWORD code)
{
    if (const char* name = KnownCodeName(code))
        return name;
    char unknown[32];
    std::snprintf(unknown, sizeof(unknown), "UNKNOWN (%08lX)", static_cast<unsigned long>(code));
    return unknown;
}

std::size_t FormatCrashReport(const EXCEPTION_RECORD& record, const CrashVersion& version, const char* debugText,
                              const std::int32_t (&debugNumbers)[4], char* out, std::size_t size)
{
    FixedText text(out, size);
    text.Append("SoftwareVersion - %u.%u.%u\r\n\r\n", version.major, version.minor, version.build);
    const EXCEPTION_RECORD* current = &record;
    for (int count = 0; current && count < kMaxChainedRecords; ++count, current = current->ExceptionRecord) {
        if (const char* name = KnownCodeName(current->ExceptionCode))
            text.Append("ExceptionCode - %s\r\n", name);
        else
            text.Append("ExceptionCode - UNKNOWN (%08lX)\r\n", static_cast<unsigned long>(current->ExceptionCode));
        text.Append("ExceptionFlags - (%08lX)\r\n", static_cast<unsigned long>(current->ExceptionFlags));
        text.Append("ExceptionAddress - (%p)\r\n", current->ExceptionAddress);
        text.Append("NumberParameters - (%lu)\r\n", static_cast<unsigned long>(current->NumberParameters));
        // The count comes with the record; the array holds no more than its fixed size.
        const DWORD parameters = std::min<DWORD>(current->NumberParameters, EXCEPTION_MAXIMUM_PARAMETERS);
        for (DWORD i = 0; i < parameters; ++i)
            text.Append("ExceptionInformation[%lu] - (%" PRIXPTR ")\r\n", static_cast<unsigned long>(i),
                        static_cast<std::uintptr_t>(current->ExceptionInformation[i]));
        text.Append("\r\n");
    }
    if (debugText && debugText[0])
        text.Append("DebugErrorT (%s)\r\n", debugText);
    for (int i = 0; i < 4; ++i)
        text.Append("DebugError%d (%ld)\r\n", i + 1, static_cast<long>(debugNumbers[i]));
    text.Append("\r\n");
    return text.Length();
}

void FormatFatalExitText(const EXCEPTION_RECORD& record, char (&text)[kFatalTextSize])
{
    std::snprintf(text, sizeof(text),
                  "*** Unhandled Exception!\n   ExpCode: 0x%8.8lX\n   ExpFlags: %lu\n   ExpAddress: 0x%p\n   "
                  "Please report!",
                  static_cast<unsigned long>(record.ExceptionCode), static_cast<unsigned long>(record.ExceptionFlags),
                  record.ExceptionAddress);
}

std::string CrashFileBase(const std::string& programPath, const char* caption, const std::string& stamp)
{
    // The extension is cut only from the file name, never from a folder with a dot in its name.
    const std::size_t dot = programPath.find_last_of('.');
    const std::size_t slash = programPath.find_last_of("\\/");
    const bool hasExtension = dot != std::string::npos && (slash == std::string::npos || dot > slash);
    return (hasExtension ? programPath.substr(0, dot) : programPath) + " " + caption + " " + stamp;
}

NRCrashReporter::NRCrashReporter(const CrashVersion& version)
    : m_version(version), m_programBase(MakeLongPathW(WithoutExtension(OwnProgramPath())))
{
    InitializeCriticalSection(&m_lock);
    g_activeReporter = this;
    // Looked up: Windows 2000 lacks the vectored handlers.
    typedef PVOID(WINAPI * AddVectoredHandlerFn)(ULONG, PVECTORED_EXCEPTION_HANDLER);
    const auto addVectoredHandler = reinterpret_cast<AddVectoredHandlerFn>(reinterpret_cast<void*>(
        GetProcAddress(GetModuleHandleA("kernel32.dll"), "AddVectoredExceptionHandler")));
    if (addVectoredHandler)
        m_stackOverflowHandler = addVectoredHandler(1, CatchStackOverflow);
    m_previousFilter = SetUnhandledExceptionFilter(ReportUnhandledException);
    m_previousTerminate = std::set_terminate(ReportTermination);
}

NRCrashReporter::~NRCrashReporter()
{
    if (g_activeReporter == this) {
        typedef ULONG(WINAPI * RemoveVectoredHandlerFn)(PVOID);
        const auto removeVectoredHandler = reinterpret_cast<RemoveVectoredHandlerFn>(reinterpret_cast<void*>(
            GetProcAddress(GetModuleHandleA("kernel32.dll"), "RemoveVectoredExceptionHandler")));
        if (m_stackOverflowHandler && removeVectoredHandler)
            removeVectoredHandler(m_stackOverflowHandler);
        SetUnhandledExceptionFilter(m_previousFilter);
        std::set_terminate(m_previousTerminate);
        g_activeReporter = nullptr;
    }
    DeleteCriticalSection(&m_lock);
}

NRCrashReporter* NRCrashReporter::Active() { return g_activeReporter; }

void NRCrashReporter::SetDiagnostics(const CrashDiagnostics& diagnostics)
{
    EnterCriticalSection(&m_lock);
    m_diagnostics = diagnostics;
    LeaveCriticalSection(&m_lock);
}

void NRCrashReporter::ReportRaised()
{
    EnterCriticalSection(&m_lock);
    ++m_pendingReports;
    LeaveCriticalSection(&m_lock);
}

void NRCrashReporter::ReportShown()
{
    EnterCriticalSection(&m_lock);
    --m_pendingReports;
    LeaveCriticalSection(&m_lock);
}

std::int32_t NRCrashReporter::PendingReports()
{
    EnterCriticalSection(&m_lock);
    const std::int32_t pending = m_pendingReports;
    LeaveCriticalSection(&m_lock);
    return pending;
}

std::string NRCrashReporter::WriteErrorFile(const EXCEPTION_RECORD& record, const std::string& programPath,
                                            const std::string& stamp) const
{
    const std::string base = CrashFileBase(programPath, "EXCEPTION", stamp);
    // In its long form: the folder may lie deeper than 260 characters.
    const std::wstring longBase = MakeLongPathW(base);
    std::vector<char> text(kReportTextSize);
    const std::size_t length = FormatCrashReport(record, m_version, m_diagnostics.text.c_str(),
                                                 m_diagnostics.numbers, text.data(), text.size());
    std::vector<wchar_t> path(longBase.size() + 32);
    std::vector<wchar_t> scratch(kReportPathSize);
    const int number = WriteFirstFreeFile(longBase.c_str(), text.data(), length, path.data(), path.size(),
                                          scratch.data(), scratch.size());
    if (number < 0)
        return std::string();
    return number == 0 ? base + ".txt" : base + " (" + std::to_string(number) + ").txt";
}

void NRCrashReporter::ReportCppException(const char* what)
{
    NRCrashReporter* reporter = g_activeReporter;
    if (!reporter)
        std::abort();
    ClaimTheReport(kCppExceptionCode);
    // The error file names it, with what it said as the diagnostic text.
    std::snprintf(g_cppExceptionText, sizeof(g_cppExceptionText), "%s", what ? what : "");
    EXCEPTION_RECORD record = {};
    record.ExceptionCode = kCppExceptionCode;
    CONTEXT context = {};
    EXCEPTION_POINTERS pointers = {&record, &context};
    reporter->ReportAndExit(pointers, g_cppExceptionText);
}

void NRCrashReporter::ReportAndExit(const EXCEPTION_POINTERS& pointers, const char* debugText) const
{
    const EXCEPTION_RECORD& record = *pointers.ExceptionRecord;
    // The filter takes no lock: the diagnostics are read as they stand.
    const std::size_t length = FormatCrashReport(record, m_version, debugText ? debugText : m_diagnostics.text.c_str(),
                                                 m_diagnostics.numbers, g_reportText, sizeof(g_reportText));
    SYSTEMTIME utc = {};
    SYSTEMTIME local = {};
    GetSystemTime(&utc);
    if (!SystemTimeToTzSpecificLocalTime(nullptr, &utc, &local))
        local = utc;
    if (std::swprintf(g_reportBase, kReportPathSize, L"%ls EXCEPTION %04u-%02u-%02u %02u-%02u-%02u", m_programBase.c_str(),
                      local.wYear, local.wMonth, local.wDay, local.wHour, local.wMinute, local.wSecond) > 0)
        WriteFirstFreeFile(g_reportBase, g_reportText, length, g_reportPath, kReportPathSize, g_reportScratch,
                           kReportPathSize);
    char text[kFatalTextSize];
    FormatFatalExitText(record, text);
    FatalAppExitA(static_cast<UINT>(-1), text);
    TerminateProcess(GetCurrentProcess(), record.ExceptionCode);
    for (;;)
        Sleep(INFINITE);
}
