#include "app/Startup.h"

#include <objbase.h>

#include <cstring>
#include <string>

#include "app/NoxSetupWnd.h"
#include "app/Version.h"
#include "platform/Registry.h"
#include "platform/Lookups.h"
#include "platform/Signature.h"
#include "platform/SystemLibrary.h"
#include "platform/Text.h"
#include "ui/dialogs/DropShadow.h"
#include "ui/framework/AppModule.h"
#include "ui/framework/DisplayDpi.h"
#include "ui/framework/Geometry.h"
#include "ui/framework/MessageLoop.h"
#include "ui/theme/FontSet.h"
#include "ui/theme/Scale.h"

namespace {

int ShowStartupError(const char* text, UINT type = MB_OK) { return MessageBoxA(nullptr, text, "Error", type); }

// Windows 2000 lacks AttachConsole; importing it would keep the program from loading there at all,
// before it could say that the system is too old.
bool AttachToParentConsole()
{
    typedef BOOL(WINAPI * AttachConsoleFn)(DWORD);
    const auto attachConsole = reinterpret_cast<AttachConsoleFn>(
        reinterpret_cast<void*>(GetProcAddress(GetModuleHandleA("kernel32.dll"), "AttachConsole")));
    return attachConsole && attachConsole(ATTACH_PARENT_PROCESS);
}

// Writes the version line to the console of the process that started us or, when our output was
// redirected, to where it goes. Written to the handle itself: a GUI program's C streams start
// unbound, and a C runtime may refuse to reopen them.
void PrintVersion()
{
    const std::string line = FormatText("NoxSetup %u.%u.%u\r\n", kVersionMajor, kVersionMinor, kVersionBuild);
    HANDLE output = GetStdHandle(STD_OUTPUT_HANDLE);
    HANDLE console = INVALID_HANDLE_VALUE;
    if (AttachToParentConsole() &&
        (!output || output == INVALID_HANDLE_VALUE || GetFileType(output) == FILE_TYPE_CHAR)) {
        console = CreateFileA("CONOUT$", GENERIC_READ | GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                              OPEN_EXISTING, 0, nullptr);
        output = console;
    }
    if (output && output != INVALID_HANDLE_VALUE) {
        DWORD written = 0;
        WriteFile(output, line.data(), static_cast<DWORD>(line.size()), &written, nullptr);
    }
    if (console != INVALID_HANDLE_VALUE)
        CloseHandle(console);
}

// Releases, on every way out of start-up, what start-up acquired.
class StartupResources
{
public:
    StartupResources() = default;
    StartupResources(const StartupResources&) = delete;
    StartupResources& operator=(const StartupResources&) = delete;
    ~StartupResources()
    {
        if (m_kernel32)
            FreeLibrary(m_kernel32);
        g_pfnWow64DisableFsRedirection = nullptr;
        g_pfnWow64RevertFsRedirection = nullptr;
        NRDropShadow::Shutdown();
        NRFontSet::ReleaseScreenSet();
        if (m_moduleInitialized)
            g_module.Term();
        if (m_comInitialized)
            CoUninitialize();
    }

    bool InitializeCom()
    {
        m_comInitialized = CoInitialize(nullptr) == S_OK;
        return m_comInitialized;
    }

    bool InitializeModule(HINSTANCE instance)
    {
        m_moduleInitialized = g_module.Init(instance);
        return m_moduleInitialized;
    }

    // The file-system redirection switches exist only where WOW64 does; their module stays loaded
    // while the installer runs so the pointers stay valid.
    bool LookUpWow64Redirection(const char* moduleName)
    {
        m_kernel32 = LoadLibraryByFullPath(SystemLibraryPath(moduleName));
        if (!m_kernel32)
            return false;
        g_pfnWow64DisableFsRedirection = reinterpret_cast<Wow64DisableFsRedirectionFn>(
            reinterpret_cast<void*>(GetProcAddress(m_kernel32, "Wow64DisableWow64FsRedirection")));
        g_pfnWow64RevertFsRedirection = reinterpret_cast<Wow64RevertFsRedirectionFn>(
            reinterpret_cast<void*>(GetProcAddress(m_kernel32, "Wow64RevertWow64FsRedirection")));
        return g_pfnWow64DisableFsRedirection && g_pfnWow64RevertFsRedirection;
    }

private:
    bool m_comInitialized = false;
    bool m_moduleInitialized = false;
    HMODULE m_kernel32 = nullptr;
};

class ScopedMessageLoopRegistration
{
public:
    explicit ScopedMessageLoopRegistration(NRMessageLoop& loop) : m_registered(g_module.AddMessageLoop(&loop)) {}
    ~ScopedMessageLoopRegistration()
    {
        if (m_registered)
            g_module.RemoveMessageLoop();
    }
    ScopedMessageLoopRegistration(const ScopedMessageLoopRegistration&) = delete;
    ScopedMessageLoopRegistration& operator=(const ScopedMessageLoopRegistration&) = delete;

private:
    bool m_registered;
};

// In UTF-16 and at full length: 260 characters may cut the path short, and the file would not be found.
bool VerifyOwnSignature(std::string& reason) { return VerifyFileSignature(OwnProgramPath(), reason); }

// Checks the program's own signature. On Windows 7 and later a failure ends the program; on XP and
// Vista, where the check may fail for want of current root certificates, the user may go on.
bool SignatureAccepted(const StartupSystem& system)
{
    std::string reason;
    if (system.verifyOwnSignature(reason))
        return true;
    if (g_osType > OsWinVista) {
        ShowStartupError(FormatText("Digital Signature Failed\n%s", reason.c_str()).c_str());
        return false;
    }
    const std::string question = FormatText(
        "%s cannot verify the digital signature on this installer\n"
        "Do you want 'risk' to proceeding with the installation anyway?",
        g_osName.c_str());
    return ShowStartupError(question.c_str(), MB_YESNO | MB_DEFBUTTON2) == IDYES;
}

OsType DetectThisSystem() { return DetectOsType(); }

// An administrator who started the installer with the filtered token of User Account Control is
// asked once for elevation, and the elevated instance does the installation; this one ends with its
// exit code. Declined or failed, the installation goes on without: the driver step then says that
// administrator rights are missing. XP has no such token; a test pass installs nothing.
bool RanElevatedInstance(const StartupSystem& system, bool testMode, int showCommand, int& exitCode)
{
    if (testMode || g_osType < OsWinVista || system.processElevation() != ProcessElevation::Limited)
        return false;
    const std::wstring program = OwnProgramPath();
    DWORD elevatedExitCode = 0;
    if (program.empty() || system.runElevated(program, showCommand, elevatedExitCode) != ElevatedRun::Finished)
        return false;
    exitCode = static_cast<int>(elevatedExitCode);
    return true;
}

}  // namespace

const StartupSystem kThisSystem = {
    IsWow64,           DetectThisSystem, "kernel32.dll", VerifyOwnSignature, QueryProcessElevation, RunElevatedAndWait,
    QueryNativeMachine};

bool IsVersionQuery(const char* commandLine) { return commandLine && std::strcmp(commandLine, "/version") == 0; }

int RunInstaller(NoxSetupWnd& mainWnd, HINSTANCE instance, const char* commandLine, int showCommand,
                 const StartupSystem& system)
{
    if (IsVersionQuery(commandLine)) {
        PrintVersion();
        return 0;
    }

    StartupResources resources;
    if (!resources.InitializeCom())
        return 1;
    if (!resources.InitializeModule(instance))
        return 1;
    NRDropShadow::Initialize(instance);

    g_isWow64 = system.isWow64() ? 1 : 0;
    g_osType = system.detectOsType();
    g_osName = OsTypeName(g_osType);
    if (g_osType == OsWinTooOld) {
        ShowStartupError("Your Windows OS version is too old for this installer");
        return 1;
    }
    g_nativeMachine = system.nativeMachine();
    g_osName += WordSizeSuffix(g_isWow64 != 0, g_nativeMachine);

    if (g_isWow64 && !resources.LookUpWow64Redirection(system.redirectionModule)) {
        ShowStartupError("kernel32.dll - Wow64DisableWow64FsRedirection not found");
        return 1;
    }

    if (!SignatureAccepted(system))
        return 1;

    const bool testMode = commandLine && *commandLine;
    int elevatedExitCode = 0;
    if (RanElevatedInstance(system, testMode, showCommand, elevatedExitCode))
        return elevatedExitCode;

    // Opened on the screen the user started it from, laid out for that screen's DPI (the system's where
    // Windows cannot tell; once the window exists, the one Windows gives it).
    DeclareDpiAwareness();
    const HMONITOR screen = StartingMonitor();
    const int screenDpi = MonitorDpi(screen);
    SetScreenScale(NRScale{screenDpi > 0 ? screenDpi : SystemDpi()});
    const SIZE size = NoxSetupWnd::WindowSize(ScreenScale());
    MONITORINFO monitor = {};
    monitor.cbSize = sizeof(monitor);
    const POINT topLeft = GetMonitorInfoA(screen, &monitor)
                              ? CenteredTopLeft(RECT{0, 0, size.cx, size.cy}, monitor.rcWork, monitor.rcWork)
                              : POINT{0, 0};
    if (!mainWnd.Create(nullptr, RECT{topLeft.x, topLeft.y, topLeft.x + size.cx, topLeft.y + size.cy}))
        return 1;
    const NRScale windowScale{WindowDpi(mainWnd.Handle())};
    if (windowScale != ScreenScale())
        mainWnd.ApplyScale(windowScale);
    mainWnd.SetTestMode(testMode);
    mainWnd.ShowWindow(showCommand);
    mainWnd.CenterOnWorkArea();
    mainWnd.UpdateWindow();

    g_registry.EnsureMachineKey();

    NRMessageLoop loop;
    ScopedMessageLoopRegistration registration(loop);
    return loop.Run();
}
