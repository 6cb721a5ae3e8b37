// Start-up run in the test process on systems that Wine cannot be made to be, through the small
// StartupSystem seam. Message boxes and the window are answered from another thread, as a user
// would answer them.
#include <gtest/gtest.h>

#include <string>
#include <thread>

#include "TestSupport.h"
#include "app/NoxSetupWnd.h"
#include "app/Startup.h"
#include "platform/Lookups.h"
#include "ui/framework/AppModule.h"

using namespace testing_support;

TEST(VersionQuery, OnlyTheExactLowerCaseSwitchCounts)
{
    EXPECT_TRUE(IsVersionQuery("/version"));
    EXPECT_FALSE(IsVersionQuery("/VERSION"));
    EXPECT_FALSE(IsVersionQuery("/version x"));
    EXPECT_FALSE(IsVersionQuery(" /version"));
    EXPECT_FALSE(IsVersionQuery("/versio"));
    EXPECT_FALSE(IsVersionQuery(""));
    EXPECT_FALSE(IsVersionQuery(nullptr));
}

namespace {

// What start-up had decided when it came to the signature check.
struct SeenAtSignatureCheck
{
    int checks = 0;
    std::string osName;
    bool redirectionFound = false;
    void* disable = nullptr;
    void* revert = nullptr;
};
SeenAtSignatureCheck g_seen;

bool RecordAndRefuse(std::string& reason)
{
    ++g_seen.checks;
    g_seen.osName = g_osName;
    g_seen.redirectionFound = g_pfnWow64DisableFsRedirection && g_pfnWow64RevertFsRedirection;
    g_seen.disable = reinterpret_cast<void*>(g_pfnWow64DisableFsRedirection);
    g_seen.revert = reinterpret_cast<void*>(g_pfnWow64RevertFsRedirection);
    reason = "refused by the test";
    return false;
}
bool Accept(std::string&) { return true; }
bool Yes() { return true; }
bool No() { return false; }
OsType Windows10() { return OsWin10; }

// Start-up owns the window framework's module while it runs; the test main set it up already.
class StartupTest : public testing::Test
{
protected:
    StartupTest() { g_module.Term(); }
    ~StartupTest() override { g_module.Init(GetModuleHandleA(nullptr)); }

    int Run(const StartupSystem& system, const char* commandLine = "")
    {
        g_seen = SeenAtSignatureCheck();
        return RunInstaller(window, GetModuleHandleA(nullptr), commandLine, SW_SHOWNORMAL, system);
    }

    NoxSetupWnd window;
};

// Waits on another thread for this process's first top-level window of a class and acts on it.
class WindowAnswerer
{
public:
    WindowAnswerer(const char* className, UINT message, WPARAM wParam, DWORD timeoutMs = 10000)
        : m_thread([=] {
              m_window = WaitForProcessWindow(GetCurrentProcessId(), className, timeoutMs);
              if (!m_window)
                  return;
              m_text = std::string(className) == "#32770" ? MessageBoxText(m_window) : WindowText(m_window);
              m_classInfo.cbSize = sizeof(m_classInfo);
              char name[64] = {};
              GetClassNameA(m_window, name, sizeof(name));
              GetClassInfoExA(GetModuleHandleA(nullptr), name, &m_classInfo);
              PostMessageA(m_window, message, wParam, 0);
          })
    {
    }
    ~WindowAnswerer() { Join(); }
    void Join()
    {
        if (m_thread.joinable())
            m_thread.join();
    }
    bool Appeared()
    {
        Join();
        return m_window != nullptr;
    }
    const std::string& Text()
    {
        Join();
        return m_text;
    }
    const WNDCLASSEXA& ClassInfo()
    {
        Join();
        return m_classInfo;
    }

private:
    HWND m_window = nullptr;
    std::string m_text;
    WNDCLASSEXA m_classInfo = {};
    std::thread m_thread;
};

std::uint16_t MachineUnknown() { return IMAGE_FILE_MACHINE_UNKNOWN; }
std::uint16_t MachineAmd64() { return IMAGE_FILE_MACHINE_AMD64; }
std::uint16_t MachineArm64() { return IMAGE_FILE_MACHINE_ARM64; }

}  // namespace

TEST_F(StartupTest, NamesTheWordSizeAndLooksUpTheRedirectionSwitchesOnlyOn64BitWindows)
{
    // Windows on ARM64 runs x86 programs under WoW64 too, and says so only through IsWow64Process2.
    const struct
    {
        bool (*isWow64)();
        std::uint16_t (*nativeMachine)();
        const char* osName;
        bool redirectionFound;
    } cases[] = {
        {No, MachineUnknown, "Win10 x32", false},
        {Yes, MachineUnknown, "Win10 x64", true},
        {Yes, MachineAmd64, "Win10 x64", true},
        {Yes, MachineArm64, "Win10 ARM64", true},
    };
    for (const auto& c : cases) {
        WindowAnswerer box("#32770", WM_COMMAND, IDOK);
        StartupSystem system{c.isWow64, Windows10, "kernel32.dll", RecordAndRefuse};
        system.nativeMachine = c.nativeMachine;
        EXPECT_EQ(1, Run(system));
        EXPECT_EQ("Digital Signature Failed\nrefused by the test", box.Text());
        EXPECT_EQ(1, g_seen.checks);
        EXPECT_EQ(c.osName, g_seen.osName);
        EXPECT_EQ(c.redirectionFound, g_seen.redirectionFound) << c.osName;
    }
}

TEST_F(StartupTest, FindsThisMachine64BitWithTheSystemsOwnRedirectionSwitches)
{
    // The tests run on 64-bit Windows: the shipped 32-bit program learns that from IsWow64Process
    // under WoW64, the 64-bit build knows it.
    WindowAnswerer box("#32770", WM_COMMAND, IDOK);
    EXPECT_EQ(1, Run(StartupSystem{IsWow64, Windows10, "kernel32.dll", RecordAndRefuse}));
    EXPECT_EQ("Win10 x64", g_seen.osName);
    HMODULE kernel32 = GetModuleHandleA("kernel32.dll");
    EXPECT_EQ(reinterpret_cast<void*>(GetProcAddress(kernel32, "Wow64DisableWow64FsRedirection")), g_seen.disable);
    EXPECT_EQ(reinterpret_cast<void*>(GetProcAddress(kernel32, "Wow64RevertWow64FsRedirection")), g_seen.revert);
    EXPECT_TRUE(g_seen.disable && g_seen.revert);
}

TEST_F(StartupTest, EndsWithOneWhenTheRedirectionSwitchesAreMissing)
{
    // A library that cannot be loaded, and one that lacks the two functions.
    for (const char* module : {"nox-no-such-library.dll", "version.dll"}) {
        WindowAnswerer box("#32770", WM_COMMAND, IDOK);
        EXPECT_EQ(1, Run(StartupSystem{Yes, Windows10, module, RecordAndRefuse}));
        EXPECT_EQ("kernel32.dll - Wow64DisableWow64FsRedirection not found", box.Text()) << module;
        EXPECT_EQ(0, g_seen.checks) << "the signature is checked after the system";
    }
}

namespace {

// A class of the installer window's name, registered by someone else while the object lives: the
// installer's own cannot be, so start-up ends where it would create its window. Where an earlier test
// of this process registered the installer's class already (all tests in one process, not one per
// process as CTest runs them), it says so, and leaves that class alone.

class WindowClassSquatter
{
public:
    WindowClassSquatter()
    {
        WNDCLASSEXA squatter = {};
        squatter.cbSize = sizeof(squatter);
        squatter.lpfnWndProc = DefWindowProcA;
        squatter.hInstance = GetModuleHandleA(nullptr);
        squatter.lpszClassName = "NoxSetupWnd";
        m_registered = RegisterClassExA(&squatter) != 0;
        m_takenBefore = !m_registered && GetLastError() == ERROR_CLASS_ALREADY_EXISTS;
    }
    ~WindowClassSquatter()
    {
        if (m_registered)
            UnregisterClassA("NoxSetupWnd", GetModuleHandleA(nullptr));
    }
    bool Registered() const { return m_registered; }
    bool TakenBefore() const { return m_takenBefore; }

private:
    bool m_registered = false;
    bool m_takenBefore = false;
};

}  // namespace

TEST_F(StartupTest, EndsWithOneAndNoBoxWhenTheWindowCannotBeMade)
{
    const WindowClassSquatter squatter;
    if (squatter.TakenBefore())
        GTEST_SKIP() << "the installer's window class is registered in this process already";
    ASSERT_TRUE(squatter.Registered());
    const int windowsBefore = ProcessWindowCount();
    WindowAnswerer box("#32770", WM_COMMAND, IDOK, 2000);
    EXPECT_EQ(1, Run(StartupSystem{Yes, Windows10, "kernel32.dll", Accept}));
    EXPECT_FALSE(box.Appeared());
    EXPECT_EQ(windowsBefore, ProcessWindowCount());
}

TEST_F(StartupTest, AnyCommandLineTextSetsTheTestModeFlagOfTheWindow)
{
    for (const char* commandLine : {"", "x", "/VERSION"}) {
        // The first question (consent, or the end of the test pass) closed unanswered ends the run.
        WindowAnswerer closer("NoxSetupWnd", WM_NULL, 0);
        DialogAnswerer box(GetCurrentProcessId(), {0});
        EXPECT_EQ(0, Run(StartupSystem{Yes, Windows10, "kernel32.dll", Accept}, commandLine));
        EXPECT_TRUE(closer.Appeared());
        EXPECT_EQ(1u, box.Dialogs().size());
        EXPECT_EQ(*commandLine != '\0', window.IsTestMode()) << '"' << commandLine << '"';

        // The window class as it was registered.
        const WNDCLASSEXA& info = closer.ClassInfo();
        EXPECT_EQ(static_cast<UINT>(CS_DBLCLKS), info.style);
        EXPECT_EQ(LoadCursorA(nullptr, IDC_ARROW), info.hCursor);
        EXPECT_EQ(nullptr, info.hIcon);
        EXPECT_EQ(nullptr, info.lpszMenuName);
        EXPECT_EQ(reinterpret_cast<HBRUSH>(1), info.hbrBackground);
    }
}

namespace {

struct ElevationSeen
{
    int runs = 0;
    std::wstring program;
    int showCommand = 0;
};
ElevationSeen g_elevation;
ElevatedRun g_elevationAnswer = ElevatedRun::Finished;
ProcessElevation g_processElevation = ProcessElevation::Limited;

ProcessElevation SeamElevation() { return g_processElevation; }
ElevatedRun RecordElevatedRun(const std::wstring& program, int showCommand, DWORD& exitCode)
{
    ++g_elevation.runs;
    g_elevation.program = program;
    g_elevation.showCommand = showCommand;
    exitCode = 7;
    return g_elevationAnswer;
}
OsType WindowsXp() { return OsWinXP; }

}  // namespace

TEST_F(StartupTest, AFilteredAdministratorTokenRunsTheInstallerElevatedOnceAndEndsWithItsExitCode)
{
    // Where start-up goes on, the window cannot be made, which ends the run with 1 and no box; an
    // elevated instance that ran ends it with that instance's 7.
    const WindowClassSquatter squatter;
    if (squatter.TakenBefore())
        GTEST_SKIP() << "the installer's window class is registered in this process already";
    ASSERT_TRUE(squatter.Registered());

    const struct
    {
        const char* name;
        OsType (*os)();
        ProcessElevation token;
        const char* commandLine;
        ElevatedRun answer;
        int runs;
        int exitCode;
    } cases[] = {
        {"limited token", Windows10, ProcessElevation::Limited, "", ElevatedRun::Finished, 1, 7},
        {"prompt declined", Windows10, ProcessElevation::Limited, "", ElevatedRun::Declined, 1, 1},
        {"start failed", Windows10, ProcessElevation::Limited, "", ElevatedRun::Failed, 1, 1},
        {"full token", Windows10, ProcessElevation::Full, "", ElevatedRun::Finished, 0, 1},
        {"standard user", Windows10, ProcessElevation::Default, "", ElevatedRun::Finished, 0, 1},
        {"unknown", Windows10, ProcessElevation::Unknown, "", ElevatedRun::Finished, 0, 1},
        {"Windows XP", WindowsXp, ProcessElevation::Limited, "", ElevatedRun::Finished, 0, 1},
        {"test mode", Windows10, ProcessElevation::Limited, "test", ElevatedRun::Finished, 0, 1},
    };
    for (const auto& c : cases) {
        g_elevation = ElevationSeen();
        g_elevationAnswer = c.answer;
        g_processElevation = c.token;
        StartupSystem system{No, c.os, "kernel32.dll", Accept};
        system.processElevation = SeamElevation;
        system.runElevated = RecordElevatedRun;
        WindowAnswerer box("#32770", WM_COMMAND, IDOK, 500);
        EXPECT_EQ(c.exitCode, Run(system, c.commandLine)) << c.name;
        EXPECT_FALSE(box.Appeared()) << c.name;
        EXPECT_EQ(c.runs, g_elevation.runs) << c.name;
        if (c.runs) {
            EXPECT_EQ(OwnProgramPath(), g_elevation.program) << c.name;
            EXPECT_EQ(SW_SHOWNORMAL, g_elevation.showCommand) << c.name;
        }
    }
}
