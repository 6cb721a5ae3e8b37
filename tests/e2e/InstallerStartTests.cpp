// The built installer started as a user would start it, under Wine.
#include <gtest/gtest.h>

#include <shlwapi.h>

#include <string>

#include "InstallerRun.h"

using namespace testing_support;

namespace {

// Checks the window a user sees, then closes it.
void ExpectMainWindowAndClose(InstallerRun& run)
{
    HWND window = run.WaitForMainWindow();
    ASSERT_TRUE(window) << "no installer window";
    RECT rect = {};
    GetWindowRect(window, &rect);
    EXPECT_EQ(640, rect.right - rect.left);
    EXPECT_EQ(480, rect.bottom - rect.top);
    EXPECT_EQ(static_cast<LONG>(0x96080000), GetWindowLongA(window, GWL_STYLE));
    EXPECT_EQ("NoxSetup Ethernet Drivers 2.17.10", WindowText(window));

    // Centred on the work area of its monitor.
    MONITORINFO monitor = {};
    monitor.cbSize = sizeof(monitor);
    GetMonitorInfoA(MonitorFromWindow(window, MONITOR_DEFAULTTONEAREST), &monitor);
    EXPECT_EQ((monitor.rcWork.left + monitor.rcWork.right) / 2 - 320, rect.left);
    EXPECT_EQ((monitor.rcWork.top + monitor.rcWork.bottom) / 2 - 240, rect.top);

    EXPECT_TRUE(run.CloseAtFirstQuestion());
    EXPECT_EQ(0u, run.WaitForExit());
}

DWORD ReadUserDword(const char* keyPath, const char* name, DWORD& type)
{
    DWORD value = 0, size = sizeof(value);
    type = REG_NONE;
    HKEY key = nullptr;
    if (RegOpenKeyExA(HKEY_CURRENT_USER, keyPath, 0, KEY_READ, &key) == ERROR_SUCCESS) {
        RegQueryValueExA(key, name, nullptr, &type, reinterpret_cast<BYTE*>(&value), &size);
        RegCloseKey(key);
    }
    return value;
}

// The registry view every build of the installer keeps the maker's machine key in (the shipped
// 32-bit program's: Software\\WOW6432Node on 64-bit Windows), and the other one.
constexpr REGSAM kInstallerView = kMachineKeyView;
constexpr REGSAM kOtherView = KEY_WOW64_64KEY;

bool MachineKeyIn(REGSAM view)
{
    HKEY key = nullptr;
    if (RegOpenKeyExA(HKEY_LOCAL_MACHINE, "Software\\Nox Racing", 0, KEY_READ | view, &key) != ERROR_SUCCESS)
        return false;
    RegCloseKey(key);
    return true;
}

void DeleteMachineKeyIn(REGSAM view)
{
    HKEY software = nullptr;
    if (RegOpenKeyExA(HKEY_LOCAL_MACHINE, "Software", 0, KEY_ALL_ACCESS | view, &software) != ERROR_SUCCESS)
        return;
    SHDeleteKeyA(software, "Nox Racing");
    RegCloseKey(software);
}

}  // namespace

TEST(InstallerStart, VersionSwitchPrintsTheVersionLineOnTheConsoleOfItsParent)
{
    // A console of our own, and the installer started without one, as a GUI program is started
    // from a command prompt: it has to attach to ours. Our own output keeps going where it went.
    const HANDLE savedOutput = GetStdHandle(STD_OUTPUT_HANDLE), savedError = GetStdHandle(STD_ERROR_HANDLE);
    FreeConsole();
    ASSERT_TRUE(AllocConsole());
    TempDir dir;
    const std::string exe = CopyExecutable("NoxSetup.exe", dir, "NoxSetup.exe");
    {
        ChildProcess child(InstallerRun::CommandLine(exe, "/version"), false, DETACHED_PROCESS);
        ASSERT_TRUE(child.Wait(InstallerRun::kTimeoutMs));
        EXPECT_EQ(0u, child.ExitCode());
    }
    HANDLE screen = CreateFileA("CONOUT$", GENERIC_READ | GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                                OPEN_EXISTING, 0, nullptr);
    char firstRow[40] = {};
    DWORD read = 0;
    ReadConsoleOutputCharacterA(screen, firstRow, sizeof(firstRow) - 1, COORD{0, 0}, &read);
    CloseHandle(screen);
    FreeConsole();
    SetStdHandle(STD_OUTPUT_HANDLE, savedOutput);
    SetStdHandle(STD_ERROR_HANDLE, savedError);
    EXPECT_EQ("NoxSetup 2.17.10", std::string(firstRow, std::string(firstRow).find_last_not_of(' ') + 1));
}

TEST(InstallerStart, VersionSwitchPrintsTheVersionLineToARedirectedOutput)
{
    TempDir dir;
    const std::string exe = CopyExecutable("NoxSetup.exe", dir, "NoxSetup.exe");
    char system[MAX_PATH] = {};
    GetSystemDirectoryA(system, MAX_PATH);
    ChildProcess child(std::string(system) + "\\cmd.exe /c " + InstallerRun::CommandLine(exe, "/version"), true);
    ASSERT_TRUE(child.Started());
    const std::string output = child.ReadAllOutput(InstallerRun::kTimeoutMs);
    ASSERT_TRUE(child.Wait(InstallerRun::kTimeoutMs));
    EXPECT_EQ("NoxSetup 2.17.10\r\n", output);
    EXPECT_EQ(0u, child.ExitCode());
}

TEST(InstallerStart, EmptyCommandLineOpensTheWindowAndEndsWithZeroWhenItCloses)
{
    InstallerRun run("NoxSetup.exe", nullptr);
    ASSERT_TRUE(run.Process().Started());
    ExpectMainWindowAndClose(run);
}

TEST(InstallerStart, VersionSwitchInOtherCaseOrWithMoreTextStartsTheInstaller)
{
    for (const char* arguments : {"/VERSION", "/version x"}) {
        InstallerRun run("NoxSetup.exe", nullptr, arguments);
        ASSERT_TRUE(run.Process().Started());
        ExpectMainWindowAndClose(run);
    }
}

TEST(InstallerStart, RefusesWindowsOlderThanXpBeforeLookingAtItsSignature)
{
    // The unsigned build would be refused for its signature on any supported Windows.
    for (const char* build : {"NoxSetup.exe", "NoxSetup-unsigned.exe"}) {
        InstallerRun run(build, "win2k");
        HWND box = run.WaitForMessageBox();
        ASSERT_TRUE(box) << build;
        EXPECT_EQ("Error", WindowText(box));
        EXPECT_EQ("Your Windows OS version is too old for this installer", MessageBoxText(box)) << build;
        EXPECT_TRUE(GetDlgItem(box, IDOK));
        EXPECT_FALSE(GetDlgItem(box, IDNO));
        PostMessageA(box, WM_COMMAND, IDOK, 0);
        EXPECT_EQ(1u, run.WaitForExit());
    }
}

TEST(InstallerStart, LeavesTheMachineKeyAndTheGuiSettingBehind)
{
    // The machine key is made afresh if it is missing, in the view the installer reads.
    DeleteMachineKeyIn(kInstallerView);
    DeleteMachineKeyIn(kOtherView);
    ASSERT_FALSE(MachineKeyIn(kInstallerView) || MachineKeyIn(kOtherView));
    // An existing NEWGUI stays as it is; a missing one is written with its default.
    HKEY company = nullptr;
    ASSERT_EQ(ERROR_SUCCESS, RegCreateKeyExA(HKEY_CURRENT_USER, "Software\\Nox Racing", 0, nullptr, 0, KEY_ALL_ACCESS,
                                             nullptr, &company, nullptr));
    const DWORD off = 0;
    RegSetValueExA(company, "NEWGUI", 0, REG_DWORD, reinterpret_cast<const BYTE*>(&off), sizeof(off));
    {
        InstallerRun run("NoxSetup.exe", nullptr);
        ExpectMainWindowAndClose(run);
    }
    DWORD type = 0;
    EXPECT_EQ(0u, ReadUserDword("Software\\Nox Racing", "NEWGUI", type));
    EXPECT_EQ(static_cast<DWORD>(REG_DWORD), type);

    RegDeleteValueA(company, "NEWGUI");
    RegCloseKey(company);
    {
        InstallerRun run("NoxSetup.exe", nullptr);
        ExpectMainWindowAndClose(run);
    }
    EXPECT_EQ(1u, ReadUserDword("Software\\Nox Racing", "NEWGUI", type));
    EXPECT_EQ(static_cast<DWORD>(REG_DWORD), type);

    EXPECT_TRUE(MachineKeyIn(kInstallerView));
    EXPECT_FALSE(MachineKeyIn(kOtherView)) << "made in the other word size's view";
    // The installer window never remembers where it was.
    EXPECT_EQ(0u, ReadUserDword("Software\\Nox Racing\\NoxSetup", "WindowPlacement", type));
    EXPECT_EQ(static_cast<DWORD>(REG_NONE), type);
}

TEST(InstallerStart, ATestPassLoadsNoLibraryFromTheInstallersFolder)
{
    InstallerRun run("NoxSetup.exe", "win10", "test", PlantMarkedLibraries);
    ASSERT_TRUE(run.WaitForMainWindow()) << "the signature was checked and the window drawn";
    EXPECT_TRUE(run.CloseAtFirstQuestion()) << "a box with its shadow";
    EXPECT_EQ(0u, run.WaitForExit());
    EXPECT_EQ(std::vector<std::string>{}, LoadedPlantedLibraries(run.Directory()));
}

TEST(InstallerStart, ACrashInTheInstallerLeavesAnErrorFileBesideItAndEndsWithTheFatalBox)
{
    InstallerRun run("NoxSetup.exe", "win10");
    ASSERT_TRUE(run.WaitForMainWindow());
    // A thread that starts at an address where nothing is: an access violation no handler takes.
    HANDLE thread = CreateRemoteThread(run.Process().Handle(), nullptr, 0,
                                       reinterpret_cast<LPTHREAD_START_ROUTINE>(0x10), nullptr, 0, nullptr);
    ASSERT_TRUE(thread);
    CloseHandle(thread);
    HWND box = WaitForProcessWindow(run.Process().Id(), "#32770", InstallerRun::kTimeoutMs);
    ASSERT_TRUE(box);
    EXPECT_EQ(0u, MessageBoxText(box).find("*** Unhandled Exception!\n   ExpCode: 0xC0000005\n   ExpFlags: 0\n"))
        << MessageBoxText(box);
    PostMessageA(box, WM_COMMAND, IDOK, 0);
    run.WaitForExit();

    const std::string base = run.CopyName().substr(0, run.CopyName().size() - 4) + " EXCEPTION ";
    WIN32_FIND_DATAA found;
    HANDLE find = FindFirstFileA(run.Directory().File(base + "*.txt").c_str(), &found);
    ASSERT_NE(INVALID_HANDLE_VALUE, find);
    FindClose(find);
    const std::string text = ReadWholeFile(run.Directory().File(found.cFileName));
    EXPECT_EQ(0u, text.find("SoftwareVersion - 2.17.10\r\n\r\nExceptionCode - ACCESS VIOLATION\r\n")) << text;
    EXPECT_NE(std::string::npos, text.find("ExceptionInformation[1] - (10)\r\n")) << "the address it tried";
}
