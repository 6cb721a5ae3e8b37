// The driver installation in this process, for what Wine cannot set up for a real installer run: a
// 32-bit Windows 10, a Windows class that start-up never lets through, a declined elevation, a
// vendor library without its functions, Windows on ARM64, and failing redirection switches. Every
// test runs with switches that record each call, and fails when the procedure loads a library,
// starts a process or calls its host while redirection is off, which Windows refuses. The whole
// installations a real run can show are in the end-to-end tests as well.
#include <gtest/gtest.h>

#include <cstring>
#include <stdexcept>
#include <string>
#include <vector>

#include "DriverMachine.h"
#include "RecordingHost.h"
#include "RedirectionRecorder.h"
#include "TestSupport.h"
#include "ethdrv/DriverInstaller.h"
#include "ethdrv/RunFolder.h"
#include "platform/Error.h"
#include "platform/ResourceFile.h"

using namespace testing_support;

using Lines = std::vector<std::string>;

namespace {

std::vector<std::string> RunFolders();

// The system facts start-up would have found, set for one test and put back afterwards.
class DriverInstallerTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        RemoveInstalledDriver();
        RemoveTree(m_dir.File("EthDrv"));
        for (const std::string& left : RunFolders())
            RemoveTree(WindowsTemporaryFolder() + left);
        // Windows has a SysWOW64\\drivers folder, where a 32-bit process's "system32\\drivers" leads;
        // a new Wine prefix lacks it.
        CreateDirectoryA(ThisProcessDriverFolder().c_str(), nullptr);
    }
    void TearDown() override
    {
        std::string faults;
        for (const std::string& fault : m_redirection.faults)
            faults += fault + "\n";
        EXPECT_EQ("", faults) << "done while WoW64 redirection was off";
        EXPECT_EQ(m_redirection.offCalls, m_redirection.restoreCalls) << "each block restores what it turned off";
        EXPECT_FALSE(RedirectionOffOnThisThread());
        g_nativeMachine = m_nativeMachine;
        g_osType = m_osType;
        g_isWow64 = m_isWow64;
        g_osName = m_osName;
        g_pfnWow64DisableFsRedirection = m_disable;
        g_pfnWow64RevertFsRedirection = m_revert;
        RemoveInstalledDriver();
    }

    void RunOn(OsType type, bool wow64, const char* name)
    {
        g_osType = type;
        g_isWow64 = wow64 ? 1 : 0;
        g_osName = name;
        // What start-up found on such a system; the procedure takes its switches from the seam.
        g_pfnWow64DisableFsRedirection = nullptr;
        g_pfnWow64RevertFsRedirection = nullptr;
    }

    static bool Granted() { return true; }

    // The system with the recording switches, and the given start of the protocol installer and
    // extraction.
    static DriverInstallSystem System(
        decltype(DriverInstallSystem::startElevated) start = kWindowsDriverInstallSystem.startElevated,
        decltype(DriverInstallSystem::extractResource) extract = ExtractResourceToFile,
        decltype(DriverInstallSystem::hasAdministratorRights) rights = Granted)
    {
        DriverInstallSystem system = {rights, start, extract};
        system.redirectionSwitches = RedirectionRecorder::Switches;
        system.windowsFolder = RedirectionRecorder::WindowsFolderAsSeen;
        return system;
    }

    RedirectionRecorder m_redirection;
    TempDir m_dir;
    RecordingHost m_host{m_dir.Path()};
    DriverInstallSystem m_system = System();

private:
    std::uint16_t m_nativeMachine = g_nativeMachine;
    OsType m_osType = g_osType;
    std::uint8_t m_isWow64 = g_isWow64;
    std::string m_osName = g_osName;
    Wow64DisableFsRedirectionFn m_disable = g_pfnWow64DisableFsRedirection;
    Wow64RevertFsRedirectionFn m_revert = g_pfnWow64RevertFsRedirection;
};

const char kExit[] = "\nWill exit setup now";
const char* const kV2Files[] = {"NxNtSp50.cat", "NxNtSp50.inf", "NxNtSp50.sys", "ProtInstall.exe", "W64N55.dll"};

// The run folders left in the Windows temporary folder.
std::vector<std::string> RunFolders() { return FileNames(WindowsTemporaryFolder() + "NoxSetup-*"); }

// The vendor library the direct installation writes into its run folder: `g_vendorLibrary`, a test
// build's library, in place of the carried stand-in; the path it went to is kept.
const char* g_vendorLibrary = "";
std::string g_vendorLibraryPath;
bool ExtractOtherVendorLibrary(int resource, const char* type, const std::string& path)
{
    if (resource != DriverPackage::kDirectNdisLibrary)
        return ExtractResourceToNewFile(resource, type, path);
    g_vendorLibraryPath = path;
    return CopyFileA(BuildFile(g_vendorLibrary).c_str(), path.c_str(), TRUE) != FALSE;
}

// Removes a run folder that a test library left a file in, with that file.
void RemoveRunFolderOf(const std::string& library, const char* leftFile)
{
    const std::string folder = library.substr(0, library.rfind('\\') + 1);
    DeleteFileA((folder + leftFile).c_str());
    RemoveDirectoryA(folder.c_str());
}

}  // namespace

TEST_F(DriverInstallerTest, SystemsWithoutAWayToInstallFailWithTheirTextAndClose)
{
    const struct
    {
        OsType type;
        bool wow64;
        const char* failure;
    } cases[] = {
        {OsWinTooOld, false, "Win OS not supported!"},
        {OsWinTooOld, true, "Win OS not supported!"},
        {OsWin11, false, "Win OS - should not get here"},
    };
    for (const auto& c : cases) {
        RecordingHost host(m_dir.Path());
        RunOn(c.type, c.wow64, "Old");
        InstallEthernetDrivers(host, m_system);
        EXPECT_EQ(Lines{"Installing ethernet drivers"}, host.lines) << c.failure;
        EXPECT_TRUE(host.installDrivers);
        ASSERT_EQ(1u, host.boxes.size());
        EXPECT_EQ(std::string(c.failure) + kExit, host.boxes[0].text);
        EXPECT_EQ(1, host.boxes[0].type);
        EXPECT_EQ(1, host.closes);
        EXPECT_EQ("missing", FileVersionText(DriverFolder() + "NxNtSp50.SYS"));
    }
}

TEST_F(DriverInstallerTest, ThirtyTwoBitWindows10InstallsDirectlyWithTheCarriedLibraryOnly)
{
    // A library that leaves a mark when loaded waits in the install folder under the vendor library's
    // name, and under the name of a library the stand-in uses beside it.
    for (const char* name : {"W32N55.DLL", "advapi32.dll"})
        ASSERT_TRUE(CopyFileA(BuildFile("load_marker.dll").c_str(), m_dir.File(name).c_str(), FALSE)) << name;
    RunOn(OsWin10, false, "Win10 x32");
    InstallEthernetDrivers(m_host, m_system);
    EXPECT_EQ((Lines{"Installing ethernet drivers", "Installing ethernet drivers for Win10 x32", "W32N55.DLL loaded",
                     "Ethernet NDIS Service Created - NxNtSp50"}),
              m_host.lines);
    EXPECT_TRUE(m_host.boxes.empty());
    EXPECT_EQ(0, m_host.closes);
    EXPECT_EQ((std::vector<std::string>{"W32N55.DLL", "advapi32.dll"}), FileNames(m_dir.File("*.*")))
        << "no mark: nothing was loaded from the install folder";
    // Without the switches the images go where this process's "system32" leads, each from its own
    // resource, the i386 pair for a 32-bit kernel.
    for (const char* name : {"NxNtSp50.SYS", "NxNtMp50.SYS"})
        EXPECT_TRUE(ReadWholeFile(ThisProcessDriverFolder() + name) ==
                    ReadWholeFile(StandinFile(std::string("package\\direct\\i386\\") + name)))
            << name;
    EXPECT_TRUE(ServiceRegistered());
    EXPECT_EQ(std::vector<std::string>{}, RunFolders()) << "the run's folder is gone";
}

TEST_F(DriverInstallerTest, AVendorLibraryThatCannotBeWrittenIsNotFound)
{
    RunOn(OsWin7, true, "Win7 x64");
    DriverInstallSystem system = m_system;
    system.extractNewResource = [](int, const char*, const std::string&) { return false; };
    InstallEthernetDrivers(m_host, system);
    EXPECT_EQ((Lines{"Installing ethernet drivers", "Installing ethernet drivers for Win7 x64", "W32N55.DLL not found"}),
              m_host.lines);
    EXPECT_EQ(0, m_host.closes);
    EXPECT_FALSE(ServiceRegistered());
    EXPECT_EQ(std::vector<std::string>{}, RunFolders());
}

// Only the shipped 32-bit program is redirected: its "system32" is SysWOW64 until it turns that off
// (in the 64-bit program, the recorder's stand-in for it).
TEST_F(DriverInstallerTest, TheThirtyTwoBitProgramWritesTheNativeDriverFolderAndRestoresRedirection)
{
    if (sizeof(void*) == 4) {
        ASSERT_TRUE(QueryWow64Process()) << "the 32-bit tests run on 64-bit Windows (WoW64)";
    }
    RunOn(OsWin7, true, "Win7 x64");
    InstallEthernetDrivers(m_host, m_system);
    EXPECT_EQ(2, m_redirection.offCalls) << "the version check and the two images";
    EXPECT_EQ(0, m_host.closes);
    EXPECT_EQ("5.70.20.2", FileVersionText(DriverFolder() + "NxNtSp50.SYS"));
    EXPECT_EQ("5.70.20.2", FileVersionText(DriverFolder() + "NxNtMp50.SYS"));
    EXPECT_EQ("missing", FileVersionText(RedirectionRecorder::RedirectedDriverFolder() + "NxNtSp50.SYS"))
        << "redirection is on again: system32 leads to SysWOW64, which holds no driver";

    // The second image cannot take its place (a folder of its name): the failure leaves the block
    // with redirection restored all the same, and without the first image, which goes in only with it.
    RemoveInstalledDriver();
    const std::string blocker = DriverFolder() + "NxNtMp50.SYS";
    ASSERT_TRUE(CreateDirectoryA(blocker.c_str(), nullptr));
    RecordingHost host(m_dir.Path());
    InstallEthernetDrivers(host, m_system);
    RemoveDirectoryA(blocker.c_str());
    ASSERT_EQ(1u, host.boxes.size());
    EXPECT_EQ(std::string("Could not install ethernet driver - windows\\system32\\drivers\\NxNtMp50.SYS") + kExit,
              host.boxes[0].text);
    EXPECT_EQ("missing", FileVersionText(DriverFolder() + "NxNtSp50.SYS"));
    EXPECT_EQ(std::vector<std::string>{}, FileNames(DriverFolder() + "*.NoxSetup-new"));
    EXPECT_EQ("missing", FileVersionText(RedirectionRecorder::RedirectedDriverFolder() + "NxNtSp50.SYS"))
        << "redirection is on again";
}

TEST_F(DriverInstallerTest, AVendorLibraryWithoutItsFunctionsGivesOneLinePerMissingFunction)
{
    // A library of this process's word size that exports none of the three, in the run's folder.
    RunOn(OsWin7, true, "Win7 x64");
    DriverInstallSystem system = m_system;
    system.extractNewResource = ExtractOtherVendorLibrary;
    g_vendorLibrary = "load_marker.dll";
    InstallEthernetDrivers(m_host, system);
    EXPECT_EQ((Lines{"Installing ethernet drivers", "Installing ethernet drivers for Win7 x64", "W32N55.DLL loaded",
                     "W32N55.DLL - SCM_CreateDriverService not found", "W32N55.DLL - W32N_GetServiceNameA not found",
                     "W32N55.DLL - SCM_SetRawetherDaclA not found"}),
              m_host.lines);
    EXPECT_EQ(0, m_host.closes);
    EXPECT_FALSE(ServiceRegistered());
    EXPECT_FALSE(GetModuleHandleA(g_vendorLibraryPath.c_str())) << "unloaded again";
    EXPECT_NE(INVALID_FILE_ATTRIBUTES, GetFileAttributesA((g_vendorLibraryPath + ".loaded").c_str()))
        << "loaded from the run's folder";
    RemoveRunFolderOf(g_vendorLibraryPath, "W32N55.DLL.loaded");

    // A library whose service creation fails: the line says so, and the access list is still set.
    RemoveInstalledDriver();
    g_vendorLibrary = "vendor_recorder.dll";
    RecordingHost host(m_dir.Path());
    InstallEthernetDrivers(host, system);
    ASSERT_FALSE(host.lines.empty());
    EXPECT_EQ("Ethernet NDIS Service NOT Created - NxNtSp50", host.lines.back());
    const std::string calls = g_vendorLibraryPath.substr(0, g_vendorLibraryPath.rfind('\\') + 1) + "vendor-calls.txt";
    EXPECT_EQ("name \ncreate NxNtSp50\ndacl NxNtSp50\n", ReadWholeFile(calls));
    RemoveRunFolderOf(g_vendorLibraryPath, "vendor-calls.txt");
}

namespace {

bool DeclineElevation(const std::string&, const std::string&, const std::string&, NRHandle&) { return false; }
bool StartWithoutProcessHandle(const std::string&, const std::string&, const std::string&, NRHandle& process)
{
    process.Reset();
    return true;
}

}  // namespace

TEST_F(DriverInstallerTest, AnElevationThatIsDeclinedOrGivesNoProcessToWaitForFails)
{
    for (auto start : {DeclineElevation, StartWithoutProcessHandle}) {
        RecordingHost host(m_dir.Path());
        RunOn(OsWin10, true, "Win10 x64");
        InstallEthernetDrivers(host, System(start));
        EXPECT_EQ(Lines{"Installing NEW ethernet drivers"}, host.lines);
        ASSERT_EQ(1u, host.boxes.size());
        EXPECT_EQ(std::string("Could not run v2 ethernet driver installer") + kExit, host.boxes[0].text);
        EXPECT_TRUE(host.waits.empty()) << "nothing to wait for";
        EXPECT_EQ(1, host.closes);
        for (const char* name : kV2Files)
            EXPECT_TRUE(ReadWholeFile(m_dir.File("EthDrv\\") + name) ==
                        ReadWholeFile(StandinFile(std::string("package\\v2\\") + name)))
                << name << ": the package was written, each file from its own resource";
        EXPECT_EQ("missing", FileVersionText(DriverFolder() + "NxNtSp50.sys"));
        EXPECT_EQ(std::vector<std::string>{}, RunFolders()) << "the run's folder is gone on the way out too";
    }
}

TEST_F(DriverInstallerTest, AV2InstallationRunsFromItsOwnFolderAndReplacesOnlyThePackageInEthDrv)
{
    // What a user left in EthDrv: other files, and a folder with a marker.
    const std::string ethdrv = m_dir.File("EthDrv\\");
    ASSERT_TRUE(CreateDirectoryA(ethdrv.c_str(), nullptr));
    ASSERT_TRUE(WriteWholeFile(ethdrv + "notes.txt", "notes"));
    ASSERT_TRUE(CreateDirectoryA((ethdrv + "sub").c_str(), nullptr));
    ASSERT_TRUE(WriteWholeFile(ethdrv + "sub\\marker.txt", "marker"));
    ASSERT_TRUE(WriteWholeFile(ethdrv + "ProtInstall.exe", "planted"));
    RunOn(OsWin10, true, "Win10 x64");
    InstallEthernetDrivers(m_host, m_system);
    EXPECT_EQ((Lines{"Installing NEW ethernet drivers", "ProtInstall.exe ended with code 0"}), m_host.lines);
    EXPECT_TRUE(m_host.boxes.empty());
    ASSERT_EQ(1u, m_host.waits.size());
    EXPECT_EQ("5.70.100.0", FileVersionText(DriverFolder() + "NxNtSp50.sys"));
    EXPECT_TRUE(ServiceRegistered()) << "the protocol installer ran";
    EXPECT_EQ((std::vector<std::string>{"NxNtSp50.cat", "NxNtSp50.inf", "NxNtSp50.sys", "ProtInstall.exe",
                                        "W64N55.dll", "notes.txt", "sub"}),
              FileNames(ethdrv + "*"));
    for (const char* name : kV2Files)
        EXPECT_TRUE(ReadWholeFile(ethdrv + name) == ReadWholeFile(StandinFile(std::string("package\\v2\\") + name)))
            << name;
    EXPECT_EQ("marker", ReadWholeFile(ethdrv + "sub\\marker.txt"));
    EXPECT_EQ(std::vector<std::string>{}, RunFolders()) << "the run's folder is gone";
}

namespace {

// The end of the one path whose writing fails; every other file is written.
const char* g_unwritablePathEnd = "";

bool IsUnwritable(const std::string& path)
{
    const std::size_t end = std::strlen(g_unwritablePathEnd);
    return path.size() >= end && path.compare(path.size() - end, end, g_unwritablePathEnd) == 0;
}
bool ExtractExceptOnePath(int resource, const char* type, const std::string& path)
{
    return !IsUnwritable(path) && ExtractResourceToFile(resource, type, path);
}
bool ExtractNewExceptOnePath(int resource, const char* type, const std::string& path)
{
    return !IsUnwritable(path) && ExtractResourceToNewFile(resource, type, path);
}

// The protocol installer's stand-in for these tests: a child that ends at once and leaves no driver.
bool StartAChildThatEnds(const std::string&, const std::string&, const std::string&, NRHandle& process)
{
    std::string commandLine = "\"" + BuildFile("child_writer.exe") + "\"";
    STARTUPINFOA startup = {};
    startup.cb = sizeof(startup);
    PROCESS_INFORMATION started = {};
    if (!CreateProcessA(nullptr, &commandLine[0], nullptr, nullptr, FALSE, CREATE_NO_WINDOW, nullptr, nullptr, &startup,
                        &started))
        return false;
    CloseHandle(started.hThread);
    process.Reset(started.hProcess);
    return true;
}

bool RightsCheckThatThrows() { throw std::runtime_error("not an NRError"); }

}  // namespace

TEST_F(DriverInstallerTest, AWaitThatEndsBeforeTheProtocolInstallerIsWaitedAgainBeforeAnythingIsRead)
{
    SetEnvironmentVariableA("NOX_STANDIN_PROTINSTALL", "slow");
    m_host.earlyReturns = 2;
    RunOn(OsWin10, true, "Win10 x64");
    InstallEthernetDrivers(m_host, m_system);
    SetEnvironmentVariableA("NOX_STANDIN_PROTINSTALL", nullptr);
    EXPECT_EQ((Lines{"Installing NEW ethernet drivers", "ProtInstall.exe ended with code 0"}), m_host.lines)
        << "no \"code 259\" (still active), no copy of its own";
    EXPECT_EQ(3u, m_host.waits.size());
    EXPECT_EQ("5.70.100.0", FileVersionText(DriverFolder() + "NxNtSp50.sys"));
    EXPECT_EQ(std::vector<std::string>{}, RunFolders()) << "removed once it ended";
}

TEST_F(DriverInstallerTest, AFileThatCannotBeWrittenEndsTheInstallationWithItsName)
{
    const struct
    {
        OsType type;
        const char* unwritable;
        const char* failure;
    } cases[] = {
        {OsWin10, "\\NxNtSp50.cat", "Could not extract v2 ethernet driver - NxNtSp50.cat"},
        {OsWin10, "\\NxNtSp50.inf", "Could not extract v2 ethernet driver - NxNtSp50.inf"},
        {OsWin10, "\\NxNtSp50.sys", "Could not extract v2 ethernet driver - NxNtSp50.sys"},
        {OsWin10, "\\ProtInstall.exe", "Could not extract v2 ethernet driver - ProtInstall.exe"},
        {OsWin10, "\\W64N55.dll", "Could not extract v2 ethernet driver - W64N55.dll"},
        {OsWin10, "drivers\\NxNtSp50.sys", "Could not install v2 ethernet driver - NxNtSp50.sys"},
    };
    for (const auto& c : cases) {
        RemoveInstalledDriver();
        RecordingHost host(m_dir.Path());
        RunOn(c.type, true, "Win x64");
        g_unwritablePathEnd = c.unwritable;
        DriverInstallSystem system = System(StartAChildThatEnds, ExtractExceptOnePath);
        system.extractNewResource = ExtractNewExceptOnePath;
        InstallEthernetDrivers(host, system);
        ASSERT_EQ(1u, host.boxes.size()) << c.unwritable;
        EXPECT_EQ(std::string(c.failure) + kExit, host.boxes[0].text);
        EXPECT_EQ(1, host.closes) << c.unwritable;
    }

    // Anything else that goes wrong is an unknown error, and closes all the same.
    RemoveInstalledDriver();
    RecordingHost host(m_dir.Path());
    InstallEthernetDrivers(host, System(StartAChildThatEnds, ExtractResourceToFile, RightsCheckThatThrows));
    ASSERT_EQ(1u, host.boxes.size());
    EXPECT_EQ(std::string("Unknown Error") + kExit, host.boxes[0].text);
    EXPECT_EQ(1, host.closes);
}

namespace {

struct RedirectionCalls
{
    int offCalls = 0;
    int restoreCalls = 0;
    void* restoredWith = nullptr;
    bool offWorks = true;
    bool restoreWorks = true;
} g_redirection;

BOOL WINAPI FakeRedirectionOff(PVOID* saved)
{
    ++g_redirection.offCalls;
    *saved = &g_redirection;
    return g_redirection.offWorks;
}
BOOL WINAPI FakeRedirectionRestore(PVOID saved)
{
    ++g_redirection.restoreCalls;
    g_redirection.restoredWith = saved;
    return g_redirection.restoreWorks;
}

}  // namespace

TEST(RedirectionOff, TurnsOffOnceRestoresOnceAndRaisesTheTextOfTheCallThatFailed)
{
    const struct
    {
        bool offWorks, restoreWorks, restoreExplicitly;
        const char* raised;
        int restoreCalls;
    } cases[] = {
        {true, true, true, nullptr, 1},
        {true, true, false, nullptr, 1},  // a failure leaves the block: restored all the same
        {false, true, true, "off failed", 0},
        {true, false, true, "restore failed", 1},
    };
    for (const auto& c : cases) {
        g_redirection = {};
        g_redirection.offWorks = c.offWorks;
        g_redirection.restoreWorks = c.restoreWorks;
        std::string raised;
        try {
            RedirectionOff off(FakeRedirectionOff, FakeRedirectionRestore, "off failed", "restore failed");
            if (c.restoreExplicitly)
                off.Restore();
        } catch (const NRError& error) {
            raised = error.Text();
        }
        EXPECT_EQ(c.raised ? c.raised : "", raised);
        EXPECT_EQ(1, g_redirection.offCalls);
        EXPECT_EQ(c.restoreCalls, g_redirection.restoreCalls);
        if (c.restoreCalls) {
            EXPECT_EQ(&g_redirection, g_redirection.restoredWith) << "the saved state goes back";
        }
    }
    // Both switches or none: with one of them missing nothing is called.
    g_redirection = {};
    {
        RedirectionOff offOnly(FakeRedirectionOff, nullptr, "off failed", "restore failed");
        offOnly.Restore();
        RedirectionOff restoreOnly(nullptr, FakeRedirectionRestore, "off failed", "restore failed");
        restoreOnly.Restore();
    }
    EXPECT_EQ(0, g_redirection.offCalls + g_redirection.restoreCalls) << "32-bit Windows: nothing to call";
}

TEST_F(DriverInstallerTest, V2ReadsTheDriversVersionBeforeAndAfterTheProtocolInstallerWithRedirectionOff)
{
    const char* older = "package\\direct\\NxNtSp50.SYS";
    const struct
    {
        const char* name;
        const char* driverBefore;    // a stand-in file, or null
        bool realProtocolInstaller;  // else a child that ends at once and leaves the driver as it was
        Lines lines;
        const char* failure;  // the box's text, or null
        const char* versionAfter;
        int redirectionBlocks;
    } cases[] = {
        {"fresh",
         nullptr,
         true,
         {"Installing NEW ethernet drivers", "ProtInstall.exe ended with code 0"},
         nullptr,
         "5.70.100.0",
         2},
        {"up to date", "package\\v2\\NxNtSp50.sys", true, {"Ethernet drivers up to date"}, nullptr, "5.70.100.0", 1},
        {"older",
         older,
         true,
         {"Updating OLD ethernet drivers", "ProtInstall.exe ended with code 0"},
         nullptr,
         "5.70.100.0",
         2},
        {"newer",
         "NxNtSp50-5.70.200.0.sys",
         true,
         {"Updating OLD ethernet drivers", "ProtInstall.exe ended with code 0"},
         nullptr,
         "5.70.100.0",
         2},
        {"left no driver",
         nullptr,
         false,
         {"Installing NEW ethernet drivers", "ProtInstall.exe ended with code 0", "Copying ethernet driver"},
         nullptr,
         "5.70.100.0",
         3},
        {"left the old driver",
         older,
         false,
         {"Updating OLD ethernet drivers", "ProtInstall.exe ended with code 0"},
         "Ethernet Driver install failed, restart windows and immediately re-run installer",
         "5.70.20.2",
         2},
    };
    for (const auto& c : cases) {
        RemoveInstalledDriver();
        RemoveTree(m_dir.File("EthDrv"));
        if (c.driverBefore) {
            ASSERT_TRUE(PlaceDriverFile(StandinFile(c.driverBefore))) << c.name;
        }
        m_redirection.offCalls = m_redirection.restoreCalls = 0;
        RecordingHost host(m_dir.Path());
        RunOn(OsWin10, true, "Win10 x64");
        InstallEthernetDrivers(host, c.realProtocolInstaller ? System() : System(StartAChildThatEnds));
        EXPECT_EQ(c.lines, host.lines) << c.name;
        if (c.failure) {
            ASSERT_EQ(1u, host.boxes.size()) << c.name;
            EXPECT_EQ(std::string(c.failure) + kExit, host.boxes[0].text);
        } else {
            EXPECT_TRUE(host.boxes.empty()) << c.name;
        }
        EXPECT_EQ(c.failure ? 1 : 0, host.closes) << c.name;
        EXPECT_EQ(c.versionAfter, FileVersionText(DriverFolder() + "NxNtSp50.sys")) << c.name;
        EXPECT_EQ(c.redirectionBlocks, m_redirection.offCalls) << c.name;
    }
}

TEST_F(DriverInstallerTest, WindowsOnArmIsToldTheDriverIsForX86AndX64PcsOnlyAndNothingIsWritten)
{
    for (bool wow64 : {true, false}) {
        RecordingHost host(m_dir.Path());
        RunOn(OsWin11, wow64, "Win11 ARM64");
        g_nativeMachine = IMAGE_FILE_MACHINE_ARM64;
        InstallEthernetDrivers(host, m_system);
        EXPECT_TRUE(host.lines.empty());
        ASSERT_EQ(1u, host.boxes.size());
        EXPECT_EQ(
            "This PC runs Windows on ARM64\n"
            "The Nox Racing ethernet driver is for x86 and x64 PCs only and cannot be installed here" +
                std::string(kExit),
            host.boxes[0].text);
        EXPECT_EQ(1, host.closes);
        EXPECT_FALSE(host.installDrivers);
        EXPECT_EQ(0, m_redirection.offCalls) << "the driver folder is not even read";
        EXPECT_EQ(INVALID_FILE_ATTRIBUTES, GetFileAttributesA(m_dir.File("EthDrv").c_str()));
    }
    // An x64 PC whose Windows can name its machine installs as before.
    RunOn(OsWin7, true, "Win7 x64");
    g_nativeMachine = IMAGE_FILE_MACHINE_AMD64;
    InstallEthernetDrivers(m_host, m_system);
    EXPECT_TRUE(m_host.boxes.empty());
    EXPECT_EQ("5.70.20.2", FileVersionText(DriverFolder() + "NxNtSp50.SYS"));
}

namespace {

std::string g_windowsFolder;
std::string TestWindowsFolder() { return g_windowsFolder; }

}  // namespace

TEST_F(DriverInstallerTest, TheDriverFolderIsTheSharedWindowsFoldersNotAUsersOwn)
{
    // On a Remote Desktop session host each user may have a Windows folder of their own; the driver
    // folder is the one Windows loads drivers from.
    char shared[MAX_PATH] = {};
    ASSERT_NE(0u, GetSystemWindowsDirectoryA(shared, MAX_PATH));
    EXPECT_EQ(std::string(shared) + "\\", kWindowsDriverInstallSystem.windowsFolder());

    // The procedure takes the folder from there and from nowhere else.
    g_windowsFolder = m_dir.File("windows\\");
    ASSERT_TRUE(CreateDirectoryA(g_windowsFolder.c_str(), nullptr));
    ASSERT_TRUE(CreateDirectoryA((g_windowsFolder + "system32").c_str(), nullptr));
    ASSERT_TRUE(CreateDirectoryA((g_windowsFolder + "system32\\drivers").c_str(), nullptr));
    DriverInstallSystem system = m_system;
    system.windowsFolder = TestWindowsFolder;
    RunOn(OsWin7, false, "Win7 x32");
    InstallEthernetDrivers(m_host, system);
    EXPECT_TRUE(m_host.boxes.empty());
    EXPECT_EQ("5.70.20.2", FileVersionText(g_windowsFolder + "system32\\drivers\\NxNtSp50.SYS"));
    EXPECT_EQ("5.70.20.2", FileVersionText(g_windowsFolder + "system32\\drivers\\NxNtMp50.SYS"));
    EXPECT_EQ("missing", FileVersionText(ThisProcessDriverFolder() + "NxNtSp50.SYS"));
}

TEST_F(DriverInstallerTest, TheDirectInstallationWritesTheImagesOfTheKernelsMachine)
{
    const struct
    {
        bool wow64;
        const char* name;
        const char* machine;
        const char* package;
    } cases[] = {
        {true, "Win7 x64", "AMD64", "package\\direct\\"},
        {false, "Win7 x32", "i386", "package\\direct\\i386\\"},
    };
    for (const auto& c : cases) {
        RemoveInstalledDriver();
        RecordingHost host(m_dir.Path());
        RunOn(OsWin7, c.wow64, c.name);
        InstallEthernetDrivers(host, m_system);
        EXPECT_EQ(0, host.closes) << c.name;
        // A 32-bit test program acting as 32-bit Windows is redirected to SysWOW64.
        const std::string folder = c.wow64 ? DriverFolder() : ThisProcessDriverFolder();
        for (const char* image : {"NxNtSp50.SYS", "NxNtMp50.SYS"}) {
            EXPECT_EQ(c.machine, ImageMachine(folder + image)) << c.name << " " << image;
            EXPECT_TRUE(ReadWholeFile(folder + image) == ReadWholeFile(StandinFile(c.package + std::string(image))))
                << c.name << " " << image;
        }
    }
}

namespace {

enum class WriteFault
{
    FailsHalfWay,
    EndsShort,
};
WriteFault g_writeFault = WriteFault::FailsHalfWay;
int g_faultyWrite = 0;  // which image write fails: 1 the SPR image, 2 the MPR image, 0 none
int g_imageWrites = 0;

BOOL WINAPI FaultyImageWrite(HANDLE file, LPCVOID bytes, DWORD size, LPDWORD written, LPOVERLAPPED overlapped)
{
    if (++g_imageWrites != g_faultyWrite)
        return WriteFile(file, bytes, size, written, overlapped);
    WriteFile(file, bytes, size / 2, written, overlapped);
    if (g_writeFault == WriteFault::EndsShort) {
        *written = size;  // reports the whole
        return TRUE;
    }
    SetLastError(ERROR_DISK_FULL);
    return FALSE;
}

const char kSprFailureText[] = "Could not install ethernet driver - windows\\system32\\drivers\\NxNtSp50.SYS";
const char kMprFailureText[] = "Could not install ethernet driver - windows\\system32\\drivers\\NxNtMp50.SYS";

}  // namespace

TEST_F(DriverInstallerTest, AnImageThatCannotBeWrittenWholeOrPutInPlaceLeavesBothOldImages)
{
    const struct
    {
        const char* name;
        WriteFault fault;
        int faultyWrite;
        bool holdSpr;  // the old SPR image open, so it cannot be replaced
        const char* failure;
    } cases[] = {
        {"SPR fails half way", WriteFault::FailsHalfWay, 1, false, kSprFailureText},
        {"MPR fails half way", WriteFault::FailsHalfWay, 2, false, kMprFailureText},
        {"SPR ends short", WriteFault::EndsShort, 1, false, kSprFailureText},
        {"MPR ends short", WriteFault::EndsShort, 2, false, kMprFailureText},
        {"SPR cannot take its place after MPR did", WriteFault::FailsHalfWay, 0, true, kSprFailureText},
    };
    const std::string spr = DriverFolder() + "NxNtSp50.SYS";
    const std::string mpr = DriverFolder() + "NxNtMp50.SYS";
    for (const auto& c : cases) {
        RemoveInstalledDriver();
        // Old images without a version, which the installation replaces.
        ASSERT_TRUE(WriteWholeFile(spr, "the old SPR image"));
        ASSERT_TRUE(WriteWholeFile(mpr, "the old MPR image"));
        RecordingHost host(m_dir.Path());
        RunOn(OsWin7, true, "Win7 x64");
        g_writeFault = c.fault;
        g_faultyWrite = c.faultyWrite;
        g_imageWrites = 0;
        DriverInstallSystem system = m_system;
        system.writeDriverImage = FaultyImageWrite;
        {
            const NRHandle held(c.holdSpr ? CreateFileA(spr.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr,
                                                        OPEN_EXISTING, 0, nullptr)
                                          : nullptr);
            InstallEthernetDrivers(host, system);
        }
        ASSERT_EQ(1u, host.boxes.size()) << c.name;
        EXPECT_EQ(std::string(c.failure) + kExit, host.boxes[0].text) << c.name;
        EXPECT_EQ("the old SPR image", ReadWholeFile(spr)) << c.name;
        EXPECT_EQ("the old MPR image", ReadWholeFile(mpr)) << c.name;
        EXPECT_EQ(std::vector<std::string>{}, FileNames(DriverFolder() + "*.NoxSetup-new")) << c.name;
    }
}

TEST_F(DriverInstallerTest, ARunStoppedBetweenTheImagesIsFinishedByTheNextWithoutWhatItLeft)
{
    // What a run stopped after the MPR image took its place leaves: the new MPR image, no SPR
    // image, and the files it was writing beside them (one half written and read-only).
    RunOn(OsWin7, true, "Win7 x64");
    const std::string folder = DriverFolder();
    ASSERT_TRUE(CopyFileA(StandinFile("package\\direct\\NxNtMp50.SYS").c_str(), (folder + "NxNtMp50.SYS").c_str(),
                          FALSE));
    ASSERT_TRUE(WriteWholeFile(folder + "NxNtSp50.SYS.NoxSetup-new", "half an ima"));
    ASSERT_TRUE(SetFileAttributesA((folder + "NxNtSp50.SYS.NoxSetup-new").c_str(), FILE_ATTRIBUTE_READONLY));
    ASSERT_TRUE(WriteWholeFile(folder + "NxNtMp50.SYS.NoxSetup-new", "half"));

    InstallEthernetDrivers(m_host, m_system);
    EXPECT_EQ("Installing ethernet drivers", m_host.lines.at(0)) << "the SPR image a run reads was not there";
    EXPECT_TRUE(m_host.boxes.empty());
    for (const char* image : {"NxNtSp50.SYS", "NxNtMp50.SYS"})
        EXPECT_TRUE(ReadWholeFile(folder + image) == ReadWholeFile(StandinFile(std::string("package\\direct\\") + image)))
            << image;
    EXPECT_EQ(std::vector<std::string>{}, FileNames(folder + "*.NoxSetup-new"));
}
