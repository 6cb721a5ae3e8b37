#pragma once
// The process-wide safety net: an exception that escapes every handler leaves a plain-text error
// file next to the program ("<program> EXCEPTION <date time>.txt") and ends the process with the
// system's fatal-error box; a stack overflow is reported from a reserved stack. The count of
// pending on-screen error reports lives here too; the report box itself belongs to the window.
#include <windows.h>

#include <cstdint>
#include <exception>
#include <string>

struct CrashVersion
{
    unsigned major;
    unsigned minor;
    unsigned build;
};

// Values a program may set to have them printed into every error file.
struct CrashDiagnostics
{
    std::string text;  // "DebugErrorT", printed only when not empty
    std::int32_t numbers[4] = {0, 0, 0, 0};
};

// The file's text for an exception record and the records it chains to, with "\r\n" line ends,
// formatted into `out` (cut to `size` - 1 characters and terminated). The filter runs after heap
// damage, or while another thread holds the heap's lock: this takes no memory. The length written.
std::size_t FormatCrashReport(const EXCEPTION_RECORD& record, const CrashVersion& version, const char* debugText,
                              const std::int32_t (&debugNumbers)[4], char* out, std::size_t size);
// "ACCESS VIOLATION" and the like, or "UNKNOWN (XXXXXXXX)".
std::string ExceptionCodeName(DWORD code);
// The fatal box's text, in a buffer of its own (no memory is taken), cut to what it holds.
constexpr std::size_t kFatalTextSize = 500;
void FormatFatalExitText(const EXCEPTION_RECORD& record, char (&text)[kFatalTextSize]);
// The code the report gives a C++ exception that no handler caught ("C++ EXCEPTION").
constexpr DWORD kCppExceptionCode = 0xE0435058;

// `programPath` without its extension, then " <caption> <stamp>".
std::string CrashFileBase(const std::string& programPath, const char* caption, const std::string& stamp);

class NRCrashReporter
{
public:
    static constexpr std::size_t kEmergencyStackBytes = 131072;

    // Installs the unhandled-exception filter; the last reporter made is the one that reports.
    explicit NRCrashReporter(const CrashVersion& version);
    ~NRCrashReporter();
    NRCrashReporter(const NRCrashReporter&) = delete;
    NRCrashReporter& operator=(const NRCrashReporter&) = delete;

    // The reporter whose filter is installed, or null.
    static NRCrashReporter* Active();

    void SetDiagnostics(const CrashDiagnostics& diagnostics);

    // An on-screen report is on its way (raised) or has been shown and closed.
    void ReportRaised();
    void ReportShown();
    std::int32_t PendingReports();

    // Writes the error file for `record` beside `programPath` under the first free name: the base
    // name + ".txt", else " (1).txt", " (2).txt" and so on. The file's path, or "" when none could be
    // created.
    std::string WriteErrorFile(const EXCEPTION_RECORD& record, const std::string& programPath,
                               const std::string& stamp) const;

    // A C++ exception no handler caught (it reached a window procedure's edge, or std::terminate):
    // the error file with "C++ EXCEPTION" and `what` as its diagnostic text, then the fatal box.
    // Without a reporter, the runtime's abort.
    [[noreturn]] static void ReportCppException(const char* what);

    // What the filter does once it runs on a usable stack: the error file, then the fatal box,
    // which ends the process. `debugText`, when given, stands for the diagnostics' text. Takes no
    // memory from the heap.
    [[noreturn]] void ReportAndExit(const EXCEPTION_POINTERS& pointers, const char* debugText = nullptr) const;

private:
    CRITICAL_SECTION m_lock;
    std::int32_t m_pendingReports = 0;
    CrashDiagnostics m_diagnostics;
    CrashVersion m_version;
    // This program's path in its long form without the extension, read while memory can be had.
    std::wstring m_programBase;
    LPTOP_LEVEL_EXCEPTION_FILTER m_previousFilter = nullptr;
    std::terminate_handler m_previousTerminate = nullptr;
    void* m_stackOverflowHandler = nullptr;
};
