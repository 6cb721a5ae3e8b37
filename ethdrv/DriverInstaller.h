#pragma once
// Decides whether the ethernet protocol driver NxNtSp50 is missing, old or current, and installs it
// from the executable's "NR_ETHERNET" resources: on 64-bit Windows 10 and 11 through the vendor's
// protocol installer, run elevated from a folder of this run's own (a copy of the package goes to
// EthDrv in the install directory, for the maker's tools); everywhere else by copying the driver
// images into the Windows driver folder and registering the service through the vendor library
// W32N55.DLL, which the installer carries and loads from its run's folder. Everything it has to
// say goes to its host.
#include <string>

#include "platform/FileReplacement.h"
#include "platform/Handle.h"
#include "platform/Lookups.h"
#include "platform/SystemInfo.h"

class InstallHost;

// The resources of the driver package.
namespace DriverPackage {
constexpr const char* kResourceType = "NR_ETHERNET";
// The direct installation's images for a 64-bit kernel (AMD64) and for a 32-bit one (i386).
constexpr int kDirectSprDriver = 172;  // to system32\drivers\NxNtSp50.SYS
constexpr int kDirectMprDriver = 173;  // to system32\drivers\NxNtMp50.SYS
constexpr int kDirectSprDriver32 = 175;
constexpr int kDirectMprDriver32 = 176;
constexpr int kDirectNdisLibrary = 174;  // W32N55.DLL, loaded from the run's own folder
constexpr int kCatalogue = 177;
constexpr int kSetupInformation = 178;
constexpr int kV2Driver = 179;
constexpr int kProtocolInstaller = 180;
constexpr int kNdisLibrary64 = 181;
}  // namespace DriverPackage

// The driver that the v2 package brings.
constexpr FileVersion kCurrentDriverVersion = {5, 70, 100, 0};

// The WoW64 file-system redirection switches, both or none.
struct RedirectionSwitches
{
    Wow64DisableFsRedirectionFn off = nullptr;
    Wow64RevertFsRedirectionFn restore = nullptr;
};
// The ones this process uses: those start-up found, in a 32-bit process; none in a 64-bit one, which
// is never redirected (and where Windows refuses the calls with ERROR_INVALID_FUNCTION).
RedirectionSwitches ProcessRedirectionSwitches();

// Where the procedure meets the system outside files and registry, replaceable for tests where
// Wine cannot act the part (an elevation prompt the user declines, a redirected process, a Remote
// Desktop host).
struct DriverInstallSystem
{
    bool (*hasAdministratorRights)();
    // Starts `file` with `parameters`, elevated and hidden, in `folder`. True when it started; the
    // process handle is given when Windows hands one out.
    bool (*startElevated)(const std::string& file, const std::string& parameters, const std::string& folder,
                          NRHandle& process);
    // Writes the package's resource `resource` of `type` to `path`; ExtractResourceToFile.
    bool (*extractResource)(int resource, const char* type, const std::string& path);
    RedirectionSwitches (*redirectionSwitches)() = ProcessRedirectionSwitches;
    // The Windows folder the driver folder and the service tool are found in, with a final backslash.
    std::string (*windowsFolder)() = SystemWindowsFolder;
    // Writes a resource to a new file in the run's own folder; null: ExtractResourceToNewFile.
    bool (*extractNewResource)(int resource, const char* type, const std::string& path) = nullptr;
    // Writes the direct installation's images; null: WriteFile.
    FileWriteFn writeDriverImage = nullptr;
};
extern const DriverInstallSystem kWindowsDriverInstallSystem;

// The file-system redirection of a 32-bit process on 64-bit Windows, turned off for one block of
// system-folder access and restored by Restore. A failure of either call raises NRError with its
// text. Without the two switches nothing is called. The block marks its thread all the same
// (platform/RedirectionMark.h): nothing in it may load a library, start a process or call back into
// the window, in any build.
class RedirectionOff
{
public:
    RedirectionOff(const RedirectionSwitches& switches, const char* offFailure, const char* restoreFailure);
    RedirectionOff(Wow64DisableFsRedirectionFn disable, Wow64RevertFsRedirectionFn revert, const char* offFailure,
                   const char* restoreFailure)
        : RedirectionOff(RedirectionSwitches{disable, revert}, offFailure, restoreFailure)
    {
    }
    // When a failure leaves the block early the installer is closing; the redirection is restored
    // anyway, without a second failure.
    ~RedirectionOff();
    RedirectionOff(const RedirectionOff&) = delete;
    RedirectionOff& operator=(const RedirectionOff&) = delete;

    void Restore();

private:
    void Close();

    Wow64RevertFsRedirectionFn m_revert = nullptr;
    const char* m_restoreFailure;
    void* m_saved = nullptr;
    bool m_off = false;
    bool m_open = false;
    bool m_markBefore = false;
};

void InstallEthernetDrivers(InstallHost& host, const DriverInstallSystem& system = kWindowsDriverInstallSystem);
