#include "platform/CrashReporter.h"

#include <algorithm>
#include <cinttypes>
#include <cstdarg>
#include <cstdio>
#include <cstring>
#include <exception>

#include "platform/Lookups.h"
#include "platform/ResourceFile.h"
#include "platform/Text.h"

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

void AppendFormat(std::string& text, const char* format, ...) __attribute__((format(printf, 2, 3)));
void AppendFormat(std::string& text, const char* format, ...)
{
    char line[128];
    va_list args;
    va_start(args, format);
    const int length = std::vsnprintf(line, sizeof(line), format, args);
    va_end(args);
    if (length > 0)
        text.append(line, std::min<std::size_t>(static_cast<std::size_t>(length), sizeof(line) - 1));
}

bool WriteWithCrLf(HANDLE file, const std::string& text)
{
    const std::string bytes = WithCrLf(text);
    DWORD written = 0;
    return WriteFile(file, bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr) &&
           written == bytes.size();
}

// At full length: 260 characters may cut a deep folder's path short.
std::string ProgramPath() { return WideToAnsi(OwnProgramPath()); }

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
        pointers->ExceptionRecord->ExceptionCode == EXCEPTION_STACK_OVERFLOW)
        ReportOnEmergencyStack(pointers);
    return EXCEPTION_CONTINUE_SEARCH;
}

LONG WINAPI ReportUnhandledException(EXCEPTION_POINTERS* pointers)
{
    if (!g_activeReporter || !pointers || !pointers->ExceptionRecord)
        return EXCEPTION_CONTINUE_SEARCH;
    if (pointers->ExceptionRecord->ExceptionCode == EXCEPTION_STACK_OVERFLOW)
        ReportOnEmergencyStack(pointers);
    ReportOnThisStack(pointers);
}

}  // namespace

std::string ExceptionCodeName(DWORD code)
{
    for (const CodeName& entry : kCodeNames) {
        if (entry.code == code)
            return entry.name;
    }
    char unknown[32];
    std::snprintf(unknown, sizeof(unknown), "UNKNOWN (%08lX)", static_cast<unsigned long>(code));
    return unknown;
}

std::string FormatCrashReport(const EXCEPTION_RECORD& record, const CrashVersion& version,
                              const CrashDiagnostics& diagnostics)
{
    std::string text;
    AppendFormat(text, "SoftwareVersion - %u.%u.%u\n\n", version.major, version.minor, version.build);
    const EXCEPTION_RECORD* current = &record;
    for (int count = 0; current && count < kMaxChainedRecords; ++count, current = current->ExceptionRecord) {
        text += "ExceptionCode - " + ExceptionCodeName(current->ExceptionCode) + "\n";
        AppendFormat(text, "ExceptionFlags - (%08lX)\n", static_cast<unsigned long>(current->ExceptionFlags));
        AppendFormat(text, "ExceptionAddress - (%p)\n", current->ExceptionAddress);
        AppendFormat(text, "NumberParameters - (%lu)\n", static_cast<unsigned long>(current->NumberParameters));
        // The count comes with the record; the array holds no more than its fixed size.
        const DWORD parameters = std::min<DWORD>(current->NumberParameters, EXCEPTION_MAXIMUM_PARAMETERS);
        for (DWORD i = 0; i < parameters; ++i)
            AppendFormat(text, "ExceptionInformation[%lu] - (%" PRIXPTR ")\n", static_cast<unsigned long>(i),
                         static_cast<std::uintptr_t>(current->ExceptionInformation[i]));
        text += "\n";
    }
    if (!diagnostics.text.empty())
        text += "DebugErrorT (" + diagnostics.text + ")\n";
    for (int i = 0; i < 4; ++i)
        AppendFormat(text, "DebugError%d (%ld)\n", i + 1, static_cast<long>(diagnostics.numbers[i]));
    text += "\n";
    return text;
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

NRCrashReporter::NRCrashReporter(const CrashVersion& version) : m_version(version)
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
    // CREATE_NEW takes a name only while nothing (file or folder) has it, so two crashes at once
    // never share a file.
    for (int number = 0; number < 10000; ++number) {
        const std::string path = number == 0 ? base + ".txt" : base + " (" + std::to_string(number) + ").txt";
        // In its long form: the folder may lie deeper than 260 characters.
        HANDLE file = CreateFileW(MakeLongPathW(path).c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW,
                                  FILE_ATTRIBUTE_NORMAL, nullptr);
        if (file == INVALID_HANDLE_VALUE) {
            if (GetLastError() == ERROR_FILE_EXISTS || GetLastError() == ERROR_ALREADY_EXISTS)
                continue;
            return std::string();
        }
        // The filter takes no lock: the diagnostics are read as they stand.
        const bool written = WriteWithCrLf(file, FormatCrashReport(record, m_version, m_diagnostics));
        CloseHandle(file);
        return written ? path : std::string();
    }
    return std::string();
}

void NRCrashReporter::ReportCppException(const char* what)
{
    NRCrashReporter* reporter = g_activeReporter;
    if (!reporter)
        std::abort();
    // The error file names it, with what it said as the diagnostic text.
    EnterCriticalSection(&reporter->m_lock);
    reporter->m_diagnostics.text = what ? what : "";
    LeaveCriticalSection(&reporter->m_lock);
    EXCEPTION_RECORD record = {};
    record.ExceptionCode = kCppExceptionCode;
    CONTEXT context = {};
    EXCEPTION_POINTERS pointers = {&record, &context};
    reporter->ReportAndExit(pointers);
}

void NRCrashReporter::ReportAndExit(const EXCEPTION_POINTERS& pointers) const
{
    const EXCEPTION_RECORD& record = *pointers.ExceptionRecord;
    try {
        WriteErrorFile(record, ProgramPath(), FormatDateTimeStamp(std::nullopt, '-', ' ', '-'));
    } catch (...) {
        // No memory left for the file's text: the box below still tells the user.
    }
    char text[kFatalTextSize];
    FormatFatalExitText(record, text);
    FatalAppExitA(static_cast<UINT>(-1), text);
    TerminateProcess(GetCurrentProcess(), record.ExceptionCode);
    for (;;)
        Sleep(INFINITE);
}
