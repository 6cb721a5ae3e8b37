#include "ethdrv/DriverInstaller.h"

#include <shellapi.h>

#include <vector>

#include "ethdrv/ChildRunner.h"
#include "ethdrv/InstallHost.h"
#include "ethdrv/PackageCopy.h"
#include "ethdrv/RunFolder.h"
#include "platform/Error.h"
#include "platform/InstallPaths.h"
#include "platform/RedirectionMark.h"
#include "platform/ResourceFile.h"
#include "platform/SystemLibrary.h"
#include "platform/Text.h"

namespace {

constexpr const char* kExitSuffix = "\nWill exit setup now";
constexpr const char* kNoRightsText =
    "You do not have Administrator privileges\n"
    "The Ethernet drivers cannot be installed without these\n"
    "Installation can contunue but communication via ethernet will be disabled\n";
constexpr int kTwoUserButtonsBox = 6;
constexpr int kOkBox = 1;
constexpr int kSecondUserButton = 5;
constexpr const char* kProtocolInstallerParameters = "/Install NxNtSp50 PCA_PCASP50";
constexpr const char* kArmText =
    "This PC runs Windows on ARM64\n"
    "The Nox Racing ethernet driver is for x86 and x64 PCs only and cannot be installed here";

// The v2 package as it is written into the v2 folder, in this order.
struct PackageFile
{
    int resource;
    const char* name;
};
constexpr PackageFile kV2Package[] = {
    {DriverPackage::kCatalogue, "NxNtSp50.cat"},
    {DriverPackage::kSetupInformation, "NxNtSp50.inf"},
    {DriverPackage::kV2Driver, "NxNtSp50.sys"},
    {DriverPackage::kProtocolInstaller, "ProtInstall.exe"},
    {DriverPackage::kNdisLibrary64, "W64N55.dll"},
};

// The direct installation's two images, for one kernel. NxNtSp50.SYS is the file a later run reads
// to decide whether the driver is installed.
struct DriverImage
{
    int resource;
    const char* name;
    const char* failure;
};
struct DriverImagePair
{
    DriverImage spr;
    DriverImage mpr;
};
constexpr const char* kSprFailure = "Could not install ethernet driver - windows\\system32\\drivers\\NxNtSp50.SYS";
constexpr const char* kMprFailure = "Could not install ethernet driver - windows\\system32\\drivers\\NxNtMp50.SYS";
// A kernel loads only drivers of its own machine.
constexpr DriverImagePair kAmd64Images = {{DriverPackage::kDirectSprDriver, "NxNtSp50.SYS", kSprFailure},
                                          {DriverPackage::kDirectMprDriver, "NxNtMp50.SYS", kMprFailure}};
constexpr DriverImagePair kI386Images = {{DriverPackage::kDirectSprDriver32, "NxNtSp50.SYS", kSprFailure},
                                         {DriverPackage::kDirectMprDriver32, "NxNtMp50.SYS", kMprFailure}};

bool SameVersion(const FileVersion& a, const FileVersion& b)
{
    return a.major == b.major && a.minor == b.minor && a.build == b.build && a.revision == b.revision;
}

bool WindowsStartElevated(const std::string& file, const std::string& parameters, const std::string& folder,
                          NRHandle& process)
{
    if (ViolatesRedirectionOff("ShellExecuteEx"))
        return false;
    SHELLEXECUTEINFOA info = {};
    info.cbSize = sizeof(info);
    info.fMask = SEE_MASK_NOCLOSEPROCESS;
    info.lpVerb = "runas";
    info.lpFile = file.c_str();
    info.lpParameters = parameters.c_str();
    info.lpDirectory = folder.c_str();
    info.nShow = SW_HIDE;
    if (!ShellExecuteExA(&info))
        return false;
    process.Reset(info.hProcess);
    return true;
}

// The vendor library, unloaded when the procedure ends, on every way out (before its folder goes).
// Its own dependencies come from its own folder or the system folder, never from the installer's.
class VendorLibrary
{
public:
    explicit VendorLibrary(const std::string& path) : m_module(LoadLibraryWithItsFolder(path)) {}
    ~VendorLibrary()
    {
        if (m_module)
            FreeLibrary(m_module);
    }
    VendorLibrary(const VendorLibrary&) = delete;
    VendorLibrary& operator=(const VendorLibrary&) = delete;

    bool Loaded() const { return m_module != nullptr; }
    template <typename Function>
    Function Find(const char* name) const
    {
        return reinterpret_cast<Function>(reinterpret_cast<void*>(GetProcAddress(m_module, name)));
    }

private:
    HMODULE m_module;
};

typedef const char*(WINAPI* GetServiceNameFn)();
typedef BOOL(WINAPI* CreateDriverServiceFn)(const char* serviceName);
typedef BOOL(WINAPI* SetRawetherDaclFn)(const char* serviceName);

class DriverInstallation
{
public:
    DriverInstallation(InstallHost& host, const DriverInstallSystem& system) : m_host(host), m_system(system) {}

    void Run()
    {
        if (g_nativeMachine == IMAGE_FILE_MACHINE_ARM64)
            throw NRError(kArmText);
        if (!DecideWhetherToInstall())
            return;
        if (!m_system.hasAdministratorRights()) {
            AskToGoOnWithoutRights();
            return;
        }
        if (g_isWow64 && g_osType >= OsWin10) {
            InstallV2();
        } else if (g_osType == OsWinTooOld) {
            throw NRError("Win OS not supported!");
        } else if (g_osType >= OsWinXP && g_osType <= OsWin10) {
            InstallDirect();
        } else {
            throw NRError("Win OS - should not get here");
        }
    }

private:
    RedirectionOff TurnRedirectionOff(const char* offFailure, const char* restoreFailure) const
    {
        return RedirectionOff(m_system.redirectionSwitches(), offFailure, restoreFailure);
    }

    // The Windows folder, with a final backslash, and the driver file in it, asked for where each
    // path is used: what "system32" names depends on whether this thread has redirection off.
    std::string WindowsFolder() const { return m_system.windowsFolder(); }
    std::string DriverFile() const { return WindowsFolder() + "system32\\drivers\\NxNtSp50.sys"; }

    // The driver file's version, read with redirection off: the native driver folder, not SysWOW64.
    // The reader's library was bound before, since none can be loaded inside.
    bool ReadDriverVersion(const char* failure, FileVersion& version) const
    {
        RedirectionOff redirection = TurnRedirectionOff(failure, failure);
        const bool hasVersion = m_versions.Read(DriverFile(), version);
        redirection.Restore();
        return hasVersion;
    }

    bool DecideWhetherToInstall()
    {
        if (WindowsFolder().empty())
            throw NRError("Could not gain check access to - windows\\system32\\");

        FileVersion version;
        const bool hasVersion = ReadDriverVersion("Could not gain check access to - windows\\system32\\", version);
        bool install = true;
        if (g_isWow64 && g_osType >= OsWin10) {
            if (!hasVersion) {
                m_host.AddLine("Installing NEW ethernet drivers");
            } else if (!SameVersion(version, kCurrentDriverVersion)) {
                m_host.AddLine("Updating OLD ethernet drivers");
            } else {
                m_host.AddLine("Ethernet drivers up to date");
                install = false;
            }
        } else if (hasVersion) {
            m_host.AddLine("Ethernet drivers already installed");
            install = false;
        } else {
            m_host.AddLine("Installing ethernet drivers");
        }
        if (install)
            m_host.SetInstallDriversFlag(true);
        return install;
    }

    void AskToGoOnWithoutRights()
    {
        const int answer = m_host.ShowBox(kNoRightsText, kTwoUserButtonsBox, {{"Continue", 'C'}, {"Quit", 'Q'}});
        if (answer == kSecondUserButton)
            m_host.WriteLogAndClose();
    }

    void InstallV2()
    {
        // The elevated protocol installer runs from a folder made for this run that only
        // administrators can change; the copy in EthDrv is for the maker's tools, and nothing there runs.
        RunFolder runFolder(WindowsTemporaryFolder());
        PackageCopy copy;
        if (!runFolder.Made() || !copy.Open(m_host.InstallDirectory() + "EthDrv\\"))
            throw NRError("Could not create ethernet driver path");

        std::vector<std::string> lines;
        if (!RunRedirectedChild(lines, WindowsFolder() + "System32\\sc.exe query NxNtSp50", m_host))
            throw NRError("Could not determine if NxNtSp50 is running");
        for (const std::string& line : lines) {
            if (line.find("RUNNING") != std::string::npos)
                throw NRError("Ethernet drivers are already running, cannot update, restart computer and "
                              "immediately re-run installer");
        }

        for (const PackageFile& file : kV2Package) {
            if (!runFolder.Extract(file.resource, DriverPackage::kResourceType, file.name, ExtractNew()) ||
                !copy.Write(file.resource, DriverPackage::kResourceType, file.name))
                throw NRError(std::string("Could not extract v2 ethernet driver - ") + file.name);
        }

        // A start that gives no process handle leaves nothing to wait for; the installation then
        // cannot be followed and counts as not run, rather than leaving the user at a dialog that
        // never closes. The program file is held, unwritable and undeletable, until its process runs.
        NRHandle installer;
        {
            const NRHandle held = runFolder.Hold("ProtInstall.exe");
            if (!held ||
                !m_system.startElevated(runFolder.Path() + "ProtInstall.exe", kProtocolInstallerParameters,
                                        runFolder.Path(), installer) ||
                !installer)
                throw NRError("Could not run v2 ethernet driver installer");
        }
        // Nothing of the installer's work is read, and its folder stays, until it has ended: should
        // the host come back earlier, it waits again.
        while (WaitForSingleObject(installer.Get(), 0) == WAIT_TIMEOUT)
            m_host.WaitForProcess("Installing V2 Ethernet Drivers", installer.Get());
        DWORD exitCode = 0;
        m_host.AddLine(GetExitCodeProcess(installer.Get(), &exitCode)
                           ? FormatText("ProtInstall.exe ended with code %lu", static_cast<unsigned long>(exitCode))
                           : std::string("ProtInstall.exe ended with an unknown code"));
        installer.Reset();
        runFolder.Remove();

        constexpr const char* kVerifyFailure = "Could not gain verify access to - windows\\system32\\";
        FileVersion version;
        if (!ReadDriverVersion(kVerifyFailure, version)) {
            m_host.AddLine("Copying ethernet driver");
            RedirectionOff redirection = TurnRedirectionOff(kVerifyFailure, kVerifyFailure);
            if (!m_system.extractResource(DriverPackage::kV2Driver, DriverPackage::kResourceType, DriverFile()))
                throw NRError("Could not install v2 ethernet driver - NxNtSp50.sys");
            redirection.Restore();
        } else if (!SameVersion(version, kCurrentDriverVersion)) {
            throw NRError("Ethernet Driver install failed, restart windows and immediately re-run installer");
        }
    }

    void InstallDirect()
    {
        m_host.AddLine("Installing ethernet drivers for " + g_osName);
        // g_isWow64: a 64-bit kernel (the 64-bit build sets it too).
        InstallDriverImages(g_isWow64 ? kAmd64Images : kI386Images);

        // The installer's own copy, never one from the install folder, which users may write.
        RunFolder runFolder(WindowsTemporaryFolder());
        const bool extracted = runFolder.Extract(DriverPackage::kDirectNdisLibrary, DriverPackage::kResourceType,
                                                 "W32N55.DLL", ExtractNew());
        VendorLibrary library(extracted ? runFolder.Path() + "W32N55.DLL" : std::string());
        if (!library.Loaded()) {
            m_host.AddLine("W32N55.DLL not found");
            return;
        }
        m_host.AddLine("W32N55.DLL loaded");
        const auto createService = library.Find<CreateDriverServiceFn>("SCM_CreateDriverService");
        if (!createService)
            m_host.AddLine("W32N55.DLL - SCM_CreateDriverService not found");
        const auto getServiceName = library.Find<GetServiceNameFn>("W32N_GetServiceNameA");
        if (!getServiceName)
            m_host.AddLine("W32N55.DLL - W32N_GetServiceNameA not found");
        const auto setDacl = library.Find<SetRawetherDaclFn>("SCM_SetRawetherDaclA");
        if (!setDacl)
            m_host.AddLine("W32N55.DLL - SCM_SetRawetherDaclA not found");
        if (!createService || !getServiceName || !setDacl)
            return;

        // The name is the library's own; copied before anything else runs in it.
        const char* name = getServiceName();
        const std::string serviceName = name ? name : "";
        const bool created = createService(serviceName.c_str()) != FALSE;
        m_host.AddLine((created ? "Ethernet NDIS Service Created - " : "Ethernet NDIS Service NOT Created - ") +
                       serviceName);
        setDacl(serviceName.c_str());
    }

    // Both images go in or neither: each is written whole beside its old file first, then MPR takes
    // its place and SPR last, so a run stopped in between leaves the SPR file a later run reads as
    // it was, and that run installs again; when SPR cannot take its place, MPR is put back.
    void InstallDriverImages(const DriverImagePair& images)
    {
        RedirectionOff redirection = TurnRedirectionOff("Could not gain access to - windows\\system32\\",
                                                        "Could not revert access to - windows\\system32\\");
        const std::string folder = WindowsFolder() + "system32\\drivers\\";
        FileReplacement spr(folder + images.spr.name, m_system.writeDriverImage);
        FileReplacement mpr(folder + images.mpr.name, m_system.writeDriverImage);
        if (!WriteImage(images.spr, spr))
            throw NRError(images.spr.failure);
        if (!WriteImage(images.mpr, mpr))
            throw NRError(images.mpr.failure);
        if (!mpr.KeepOld() || !mpr.PutInPlace())
            throw NRError(images.mpr.failure);
        if (!spr.PutInPlace()) {
            mpr.PutBack();
            throw NRError(images.spr.failure);
        }
        redirection.Restore();
    }

    static bool WriteImage(const DriverImage& image, FileReplacement& replacement)
    {
        const void* bytes = nullptr;
        DWORD size = 0;
        return FindResourceBytes(image.resource, DriverPackage::kResourceType, bytes, size) &&
               replacement.Write(bytes, size);
    }

    ExtractNewFileFn ExtractNew() const
    {
        return m_system.extractNewResource ? m_system.extractNewResource : ExtractResourceToNewFile;
    }

    InstallHost& m_host;
    const DriverInstallSystem& m_system;
    const FileVersionReader m_versions;
};

}  // namespace

RedirectionSwitches ProcessRedirectionSwitches()
{
    if (sizeof(void*) != 4)
        return RedirectionSwitches();
    return RedirectionSwitches{g_pfnWow64DisableFsRedirection, g_pfnWow64RevertFsRedirection};
}

const DriverInstallSystem kWindowsDriverInstallSystem = {HasAdministratorRights, WindowsStartElevated,
                                                         ExtractResourceToFile};

RedirectionOff::RedirectionOff(const RedirectionSwitches& switches, const char* offFailure, const char* restoreFailure)
    : m_restoreFailure(restoreFailure)
{
    if (switches.off && switches.restore) {
        if (!switches.off(&m_saved))
            throw NRError(offFailure);
        m_revert = switches.restore;
        m_off = true;
    }
    m_open = true;
    m_markBefore = RedirectionOffOnThisThread();
    MarkRedirectionOff(true);
}

RedirectionOff::~RedirectionOff()
{
    if (m_off)
        m_revert(m_saved);
    Close();
}

void RedirectionOff::Close()
{
    if (m_open)
        MarkRedirectionOff(m_markBefore);
    m_open = false;
    m_off = false;
}

void RedirectionOff::Restore()
{
    const bool off = m_off;
    Close();
    if (off && !m_revert(m_saved))
        throw NRError(m_restoreFailure);
}

void InstallEthernetDrivers(InstallHost& host, const DriverInstallSystem& system)
{
    // Every failure ends here: the vendor library is already unloaded by its owner, the user is told,
    // and the window writes its log and closes.
    try {
        DriverInstallation(host, system).Run();
        return;
    } catch (const NRError& error) {
        host.ShowBox(std::string(error.Text()) + kExitSuffix, kOkBox);
    } catch (...) {
        host.ShowBox(std::string("Unknown Error") + kExitSuffix, kOkBox);
    }
    host.WriteLogAndClose();
}
