// Whole installations by the built installer on the prefix's real driver folder and service
// manager, with the stand-ins of the driver vendor's components: what the user is asked and told,
// the log, and the driver files and service left behind.
#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

#include "DriverMachine.h"
#include "InstallerRun.h"

using namespace testing_support;

namespace {

const char kConsent[] = "This will install the Nox Racing ethernet drivers\nAre you sure you want to continue?";
const char kSetupComplete[] = "Setup Complete\nThe Nox Racing tools have now been installed\n";
const char kNoRights[] =
    "You do not have Administrator privileges\nThe Ethernet drivers cannot be installed without these\n"
    "Installation can contunue but communication via ethernet will be disabled\n";
const char kExit[] = "\nWill exit setup now";
const char* const kV2Files[] = {"NxNtSp50.cat", "NxNtSp50.inf", "NxNtSp50.sys", "ProtInstall.exe", "W64N55.dll"};

struct Installation
{
    std::vector<std::string> dialogs;
    std::string log;  // lines joined by "\n"; "" when none was written
};

// One run on `windows`, answered with `keys` (consent first).
Installation Install(const TempDir& dir, const char* windows, std::vector<WPARAM> keys)
{
    RemoveLogs(dir);
    InstallerRun run("NoxSetup.exe", windows);
    DialogAnswerer user(run.Process().Id(), std::move(keys), 20000);
    Installation result;
    for (const auto& dialog : user.Dialogs())
        result.dialogs.push_back(dialog.text);
    EXPECT_EQ(0u, run.WaitForExit());
    const std::vector<std::string> logs = Logs(dir);
    if (!logs.empty()) {
        std::string log = logs[0];
        for (size_t at; (at = log.find("\r\n")) != std::string::npos;)
            log.replace(at, 2, "\n");
        result.log = log.substr(0, log.size() - 1);
    }
    return result;
}

std::string Failure(const char* text) { return std::string(text) + kExit; }

// The prefix's service tool, which one test swaps for a program that never answers.
std::string ServiceTool()
{
    char system[MAX_PATH] = {};
    GetSystemDirectoryA(system, MAX_PATH);
    return std::string(system) + "\\sc.exe";
}
std::string SavedServiceTool() { return ServiceTool() + ".nox-test"; }
// Wine runs its own service tool, whatever the file holds, unless told to run the file.
void RunServiceToolFromItsFile(bool fromFile)
{
    HKEY key = nullptr;
    if (RegCreateKeyExA(HKEY_CURRENT_USER, "Software\\Wine\\DllOverrides", 0, nullptr, 0, KEY_SET_VALUE, nullptr,
                        &key, nullptr) != ERROR_SUCCESS)
        return;
    if (fromFile)
        RegSetValueExA(key, "sc.exe", 0, REG_SZ, reinterpret_cast<const BYTE*>("native"), 7);
    else
        RegDeleteValueA(key, "sc.exe");
    RegCloseKey(key);
}
void RestoreServiceTool()
{
    RunServiceToolFromItsFile(false);
    if (GetFileAttributesA(SavedServiceTool().c_str()) == INVALID_FILE_ATTRIBUTES)
        return;
    DeleteFileA(ServiceTool().c_str());
    MoveFileA(SavedServiceTool().c_str(), ServiceTool().c_str());
}

class DriverInstall : public ::testing::Test
{
protected:
    void SetUp() override
    {
        RestoreServiceTool();
        RemoveInstalledDriver();
        SetInstallDirectory(&m_dir.Path());
        SetAdministratorRights(true);
    }
    void TearDown() override
    {
        RestoreServiceTool();
        RemoveInstalledDriver();
        SetEnvironmentVariableA("NOX_STANDIN_PROTINSTALL", nullptr);
        SetAdministratorRights(true);
    }
    std::string InstallFile(const std::string& name) const { return m_dir.File(name); }
    std::string DriverVersion(const char* name = "NxNtSp50.sys") const { return FileVersionText(DriverFolder() + name); }
    bool HasV2Package() const
    {
        for (const char* name : kV2Files)
            if (FileVersionText(m_dir.File("EthDrv\\") + name) == "missing")
                return false;
        return true;
    }

    TempDir m_dir;
};

}  // namespace

TEST_F(DriverInstall, V2InstallsOnWindows10WhenTheDriverIsMissingOlderOrNewer)
{
    const struct
    {
        const char* name;
        const char* driverBefore;  // a stand-in file, or null
        const char* line;
    } cases[] = {
        {"fresh", nullptr, "Installing NEW ethernet drivers"},
        {"older", "package\\direct\\NxNtSp50.SYS", "Updating OLD ethernet drivers"},
        {"newer", "NxNtSp50-5.70.200.0.sys", "Updating OLD ethernet drivers"},
        {"only the last number differs", "NxNtSp50-5.70.100.1.sys", "Updating OLD ethernet drivers"},
    };
    for (const auto& c : cases) {
        RemoveInstalledDriver();
        RemoveTree(m_dir.File("EthDrv"));
        if (c.driverBefore) {
            ASSERT_TRUE(PlaceDriverFile(StandinFile(c.driverBefore)));
        }
        const Installation run = Install(m_dir, "win10", {'Y', VK_RETURN});
        EXPECT_EQ((std::vector<std::string>{kConsent, kSetupComplete}), run.dialogs) << c.name;
        EXPECT_EQ(std::string("Win10 x64\n") + c.line + "\nProtInstall.exe ended with code 0", run.log) << c.name;
        EXPECT_EQ("5.70.100.0", DriverVersion()) << c.name;
        EXPECT_TRUE(ServiceRegistered()) << c.name << ": registered by the protocol installer";
        EXPECT_TRUE(HasV2Package()) << c.name;
    }
}

TEST_F(DriverInstall, AltF4OnTheWaitBoxLeavesItUpUntilTheProtocolInstallerHasEnded)
{
    // The stand-in takes three seconds: the user presses Alt+F4 on the wait box meanwhile.
    SetEnvironmentVariableA("NOX_STANDIN_PROTINSTALL", "slow");
    RemoveLogs(m_dir);
    InstallerRun run("NoxSetup.exe", "win10");
    SetEnvironmentVariableA("NOX_STANDIN_PROTINSTALL", nullptr);
    DialogAnswerer user(run.Process().Id(), {'Y', VK_RETURN}, 20000);
    HWND wait = nullptr;
    for (int waited = 0; !wait && waited < 20000; waited += 20) {
        HWND shown = ShownToolkitDialog(run.Process().Id());
        wait = shown && !ToolkitDialogHasButtons(shown) ? shown : nullptr;
        Sleep(20);
    }
    ASSERT_TRUE(wait) << "no wait box";
    PostMessageA(wait, WM_SYSKEYDOWN, VK_F4, 1 | (1 << 29));
    Sleep(500);
    EXPECT_TRUE(IsWindowVisible(wait)) << "still waiting";
    std::vector<std::string> dialogs;
    for (const auto& dialog : user.Dialogs())
        dialogs.push_back(dialog.text);
    EXPECT_EQ(0u, run.WaitForExit());
    EXPECT_EQ((std::vector<std::string>{kConsent, kSetupComplete}), dialogs);
    const std::vector<std::string> logs = Logs(m_dir);
    ASSERT_EQ(1u, logs.size());
    EXPECT_EQ("Win10 x64\r\nInstalling NEW ethernet drivers\r\nProtInstall.exe ended with code 0\r\n", logs[0]);
    EXPECT_EQ("5.70.100.0", DriverVersion());
}

TEST_F(DriverInstall, AWholeV2InstallationLoadsNoLibraryFromTheInstallersFolder)
{
    std::vector<std::string> dialogs, loaded;
    {
        InstallerRun run("NoxSetup.exe", "win10", "", PlantMarkedLibraries);
        DialogAnswerer user(run.Process().Id(), {'Y', VK_RETURN}, 20000);
        for (const auto& dialog : user.Dialogs())
            dialogs.push_back(dialog.text);
        EXPECT_EQ(0u, run.WaitForExit());
        loaded = LoadedPlantedLibraries(run.Directory());
    }
    EXPECT_EQ((std::vector<std::string>{kConsent, kSetupComplete}), dialogs);
    EXPECT_EQ("5.70.100.0", DriverVersion()) << "the file versions were read";
    EXPECT_EQ(std::vector<std::string>{}, loaded);
}

TEST_F(DriverInstall, OnlyThePackagesFilesAreReplacedInEthDrvAndNothingThereRuns)
{
    // What a user could have left in the copy's folder: a library that marks its loading beside the
    // protocol installer, a folder with a marker, a read-only file of the package's name.
    const std::string folder = InstallFile("EthDrv\\");
    ASSERT_TRUE(CreateDirectoryA(folder.c_str(), nullptr));
    ASSERT_TRUE(CopyFileA(BuildFile("load_marker.dll").c_str(), (folder + "version.dll").c_str(), FALSE));
    ASSERT_TRUE(CreateDirectoryA((folder + "sub").c_str(), nullptr));
    ASSERT_TRUE(WriteWholeFile(folder + "sub\\marker.txt", "marker"));
    ASSERT_TRUE(WriteWholeFile(folder + "NxNtSp50.inf", "old"));
    ASSERT_TRUE(SetFileAttributesA((folder + "NxNtSp50.inf").c_str(), FILE_ATTRIBUTE_READONLY));
    const Installation run = Install(m_dir, "win10", {'Y', VK_RETURN});
    EXPECT_EQ((std::vector<std::string>{kConsent, kSetupComplete}), run.dialogs);
    std::vector<std::string> expected(std::begin(kV2Files), std::end(kV2Files));
    expected.push_back("sub");
    expected.push_back("version.dll");
    std::sort(expected.begin(), expected.end());
    EXPECT_EQ(expected, FileNames(folder + "*")) << "nothing but the five files replaced, nothing loaded there";
    EXPECT_EQ("marker", ReadWholeFile(folder + "sub\\marker.txt"));
    EXPECT_TRUE(HasV2Package());
}

TEST_F(DriverInstall, ALinkWhereThePackageFolderGoesIsNeverFollowed)
{
    // EthDrv links to a folder beside the installation (made by the test fixture).
    const std::string install = BuildFile("linked-install\\install\\");
    const std::string target = BuildFile("linked-install\\target\\");
    ASSERT_EQ(std::vector<std::string>{"keep.txt"}, FileNames(target + "*"));
    SetInstallDirectory(&install);
    std::vector<std::string> dialogs;
    {
        InstallerRun run("NoxSetup.exe", "win10");
        DialogAnswerer user(run.Process().Id(), {'Y', VK_RETURN}, 20000);
        for (const auto& dialog : user.Dialogs())
            dialogs.push_back(dialog.text);
        EXPECT_EQ(0u, run.WaitForExit());
    }
    EXPECT_EQ(std::vector<std::string>{"keep.txt"}, FileNames(target + "*")) << "nothing written through the link";
    EXPECT_EQ("kept\n", ReadWholeFile(target + "keep.txt"));
    // The copy's folder is opened without following a link, and a link there is refused.
    EXPECT_EQ((std::vector<std::string>{kConsent, Failure("Could not create ethernet driver path")}), dialogs);
}

TEST_F(DriverInstall, AnInstallFolderReachedThroughALinkGetsNothingWrittenIntoIt)
{
    // "Linked" is a link to "elsewhere" (made by the test fixture): the elevated run writes neither
    // the package copy nor its log there, on either path.
    const std::string install = BuildFile("linked-install\\Linked\\NoxTools\\");
    const std::string target = BuildFile("linked-install\\elsewhere\\NoxTools\\");
    SetInstallDirectory(&install);
    const struct
    {
        const char* windows;
        const char* last;
    } cases[] = {
        {"win10", "Could not create ethernet driver path\nWill exit setup now"},
        {"win7", kSetupComplete},
    };
    for (const auto& c : cases) {
        RemoveInstalledDriver();
        std::vector<std::string> dialogs;
        {
            InstallerRun run("NoxSetup.exe", c.windows);
            DialogAnswerer user(run.Process().Id(), {'Y', VK_RETURN}, 20000);
            for (const auto& dialog : user.Dialogs())
                dialogs.push_back(dialog.text);
            EXPECT_EQ(0u, run.WaitForExit()) << c.windows;
        }
        EXPECT_EQ((std::vector<std::string>{kConsent, c.last}), dialogs) << c.windows;
        EXPECT_EQ(std::vector<std::string>{"keep.txt"}, FileNames(target + "*")) << c.windows;
    }
}

TEST_F(DriverInstall, AnUpToDateDriverOnWindows10IsLeftAloneWithoutAskingForRights)
{
    ASSERT_TRUE(PlaceDriverFile(StandinFile("package\\v2\\NxNtSp50.sys")));
    SetAdministratorRights(false);
    const Installation run = Install(m_dir, "win10", {'Y', VK_RETURN});
    EXPECT_EQ((std::vector<std::string>{kConsent, kSetupComplete}), run.dialogs);
    EXPECT_EQ("Win10 x64\nEthernet drivers up to date", run.log);
    EXPECT_FALSE(ServiceRegistered());
    EXPECT_EQ(INVALID_FILE_ATTRIBUTES, GetFileAttributesA(InstallFile("EthDrv").c_str())) << "nothing written";
}

TEST_F(DriverInstall, WithoutAdministratorRightsContinueGoesOnWithoutTheDriverAndQuitCloses)
{
    SetAdministratorRights(false);
    const Installation continued = Install(m_dir, "win10", {'Y', 'C', VK_RETURN});
    EXPECT_EQ((std::vector<std::string>{kConsent, kNoRights, kSetupComplete}), continued.dialogs);
    EXPECT_EQ("Win10 x64\nInstalling NEW ethernet drivers", continued.log);
    EXPECT_EQ("missing", DriverVersion());

    const Installation quit = Install(m_dir, "win10", {'Y', 'Q'});
    EXPECT_EQ((std::vector<std::string>{kConsent, kNoRights}), quit.dialogs);
    EXPECT_EQ("Win10 x64\nInstalling NEW ethernet drivers", quit.log) << "the log is written on quitting";
    EXPECT_EQ("missing", DriverVersion());
    EXPECT_FALSE(ServiceRegistered());
}

TEST_F(DriverInstall, ReadOnlyPackageFilesAreReplacedAndADriverTheProtocolInstallerCannotReplaceFails)
{
    // Left read-only by an earlier run: the package is written over them. The old driver is
    // read-only too, so the protocol installer cannot replace it and the check afterwards finds it.
    ASSERT_TRUE(CreateDirectoryA(InstallFile("EthDrv").c_str(), nullptr));
    for (const char* name : kV2Files) {
        const std::string path = InstallFile("EthDrv\\") + name;
        ASSERT_TRUE(WriteWholeFile(path, "old"));
        SetFileAttributesA(path.c_str(), FILE_ATTRIBUTE_READONLY);
    }
    ASSERT_TRUE(PlaceDriverFile(StandinFile("package\\direct\\NxNtSp50.SYS"), "NxNtSp50.sys", true));
    const Installation run = Install(m_dir, "win10", {'Y', VK_RETURN});
    EXPECT_EQ((std::vector<std::string>{
                  kConsent, Failure("Ethernet Driver install failed, restart windows and immediately re-run installer")}),
              run.dialogs);
    EXPECT_EQ("Win10 x64\nUpdating OLD ethernet drivers\nProtInstall.exe ended with code 1", run.log);
    EXPECT_EQ("5.70.100.0", FileVersionText(InstallFile("EthDrv\\NxNtSp50.sys")));
    EXPECT_NE("old", ReadWholeFile(InstallFile("EthDrv\\ProtInstall.exe")));
    EXPECT_EQ("5.70.20.2", DriverVersion());
}

TEST_F(DriverInstall, ADriverTheProtocolInstallerDidNotLeaveIsCopiedFromThePackage)
{
    SetEnvironmentVariableA("NOX_STANDIN_PROTINSTALL", "fail");
    const Installation run = Install(m_dir, "win10", {'Y', VK_RETURN});
    EXPECT_EQ((std::vector<std::string>{kConsent, kSetupComplete}), run.dialogs);
    EXPECT_EQ("Win10 x64\nInstalling NEW ethernet drivers\nProtInstall.exe ended with code 1\nCopying ethernet driver",
              run.log);
    EXPECT_EQ("5.70.100.0", DriverVersion());
    EXPECT_FALSE(ServiceRegistered());
}

TEST_F(DriverInstall, ARunningDriverServiceStopsTheInstallationBeforeAnythingIsWritten)
{
    RunningDriverService service;
    ASSERT_TRUE(service.Running());
    const Installation run = Install(m_dir, "win10", {'Y', VK_RETURN});
    EXPECT_EQ((std::vector<std::string>{kConsent, Failure("Ethernet drivers are already running, cannot update, "
                                                          "restart computer and immediately re-run installer")}),
              run.dialogs);
    EXPECT_EQ("Win10 x64\nInstalling NEW ethernet drivers", run.log);
    for (const char* name : kV2Files)
        EXPECT_EQ("missing", FileVersionText(InstallFile("EthDrv\\") + name)) << name;
    EXPECT_EQ("missing", DriverVersion());
}

TEST_F(DriverInstall, AServiceQueryThatDoesNotEndIsCutOffAndEndsTheServerToo)
{
    // The prefix's service tool is swapped for a program that waits: the stand-in server, copied.
    ASSERT_TRUE(MoveFileA(ServiceTool().c_str(), SavedServiceTool().c_str()));
    ASSERT_TRUE(CopyFileA(BuildFile("NoxNetServer.exe").c_str(), ServiceTool().c_str(), FALSE));
    ChildProcess server("\"" + BuildFile("NoxNetServer.exe") + "\" 60");
    RunServiceToolFromItsFile(true);

    const Installation run = Install(m_dir, "win10", {'Y', VK_RETURN});

    RestoreServiceTool();
    EXPECT_EQ((std::vector<std::string>{kConsent, Failure("Could not determine if NxNtSp50 is running")}), run.dialogs);
    char windows[MAX_PATH] = {};
    GetWindowsDirectoryA(windows, MAX_PATH);
    EXPECT_EQ(std::string("Win10 x64\nInstalling NEW ethernet drivers\n") + windows +
                  "\\System32\\sc.exe query NxNtSp50 TIMEOUT",
              run.log);
    EXPECT_TRUE(server.Wait(5000));
    EXPECT_EQ(1u, server.ExitCode());
}

TEST_F(DriverInstall, AServiceQueryThatFloodsItsOutputIsCutOffAtTheLimitToo)
{
    ASSERT_TRUE(MoveFileA(ServiceTool().c_str(), SavedServiceTool().c_str()));
    ASSERT_TRUE(CopyFileA(BuildFile("output_flood.exe").c_str(), ServiceTool().c_str(), FALSE));
    RunServiceToolFromItsFile(true);

    const Installation run = Install(m_dir, "win10", {'Y', VK_RETURN});

    RestoreServiceTool();
    EXPECT_EQ((std::vector<std::string>{kConsent, Failure("Could not determine if NxNtSp50 is running")}), run.dialogs);
    EXPECT_NE(std::string::npos, run.log.find("\\System32\\sc.exe query NxNtSp50 TIMEOUT")) << run.log;
}

TEST_F(DriverInstall, Windows7InstallsDirectlyWithTheCarriedLibraryNeverTheInstallFoldersUnlessADriverIsThere)
{
    // A read-only image at a target is written over. A library that leaves a mark when loaded waits in
    // the install folder under the vendor library's name, and beside it under the name of a library
    // the stand-in uses.
    ASSERT_TRUE(PlaceDriverFile(StandinFile("NxNtSp50-5.70.200.0.sys"), "NxNtMp50.SYS", true));
    for (const char* name : {"W32N55.DLL", "advapi32.dll"})
        ASSERT_TRUE(CopyFileA(BuildFile("load_marker.dll").c_str(), InstallFile(name).c_str(), FALSE)) << name;
    Installation run = Install(m_dir, "win7", {'Y', VK_RETURN});
    EXPECT_EQ((std::vector<std::string>{kConsent, kSetupComplete}), run.dialogs);
    EXPECT_EQ("Win7 x64\nInstalling ethernet drivers\nInstalling ethernet drivers for Win7 x64\nW32N55.DLL loaded\n"
              "Ethernet NDIS Service Created - NxNtSp50",
              run.log);
    EXPECT_EQ("5.70.20.2", DriverVersion("NxNtSp50.SYS"));
    EXPECT_EQ("5.70.20.2", DriverVersion("NxNtMp50.SYS"));
    for (const char* image : {"NxNtSp50.SYS", "NxNtMp50.SYS"})
        EXPECT_EQ("AMD64", ImageMachine(DriverFolder() + image)) << image << ": the images a 64-bit kernel loads";
    EXPECT_EQ(std::vector<std::string>{}, FileNames(DriverFolder() + "*.NoxSetup-new"));
    EXPECT_TRUE(ServiceRegistered()) << "by the installer's own copy of the library";
    EXPECT_EQ(std::vector<std::string>{}, FileNames(InstallFile("*.loaded"))) << "nothing loaded from the install folder";

    // Any version counts as installed.
    run = Install(m_dir, "win7", {'Y', VK_RETURN});
    EXPECT_EQ("Win7 x64\nEthernet drivers already installed", run.log);
    EXPECT_EQ((std::vector<std::string>{kConsent, kSetupComplete}), run.dialogs);
}
