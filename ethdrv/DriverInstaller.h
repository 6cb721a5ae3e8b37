#pragma once
// Decides whether the ethernet protocol driver NxNtSp50 is missing, old or current, and installs it
// from the executable's "NR_ETHERNET" resources: on 64-bit Windows 10 and 11 through the vendor's
// protocol installer, run elevated from a folder of this run's own (a copy of the package goes to
// EthDrv in the install directory, for the maker's tools); everywhere else by copying the driver
// images into the Windows driver folder and registering the service through the vendor library
// W32N55.DLL, which the installer carries and loads from its run's folder. Everything it has to
// say goes to its host.
#include <string>

#include "platform/Handle.h"
#include "platform/Lookups.h"
#include "platform/SystemInfo.h"

class InstallHost;

// The resources of the driver package.
namespace DriverPackage {
constexpr const char* kResourceType = "NR_ETHERNET";
constexpr int kDirectSprDriver = 172;  // to system32\drivers\NxNtSp50.SYS
constexpr int kDirectMprDriver = 173;  // to system32\drivers\NxNtMp50.SYS
constexpr int kDirectNdisLibrary = 174;  // W32N55.DLL, loaded from the run's own folder
constexpr int kCatalogue = 177;
constexpr int kSetupInformation = 178;
constexpr int kV2Driver = 179;
constexpr int kProtocolInstaller = 180;
constexpr int kNdisLibrary64 = 181;
}  // namespace DriverPackage

// The driver that the v2 package brings.
constexpr FileVersion kCurrentDriverVersion = {5, 70, 100, 0};

// The two places where the procedure meets the system outside files and registry, replaceable for
// tests where Wine cannot act the part (an elevation prompt the user declines).
struct DriverInstallSystem
{
    bool (*hasAdministratorRights)();
    // Starts `file` with `parameters`, elevated and hidden, in `folder`. True when it started; the
    // process handle is given when Windows hands one out.
    bool (*startElevated)(const std::string& file, const std::string& parameters, const std::string& folder,
                          NRHandle& process);
    // Writes the package's resource `resource` of `type` to `path`; ExtractResourceToFile.
    bool (*extractResource)(int resource, const char* type, const std::string& path);
    // Writes a resource to a new file in the run's own folder; null: ExtractResourceToNewFile.
    bool (*extractNewResource)(int resource, const char* type, const std::string& path) = nullptr;
};
extern const DriverInstallSystem kWindowsDriverInstallSystem;

// The file-system redirection of a 32-bit process on 64-bit Windows, turned off for one block of
// system-folder access and restored by Restore. A failure of either call raises NRError with its
// text. Without the two functions (32-bit Windows, or a 64-bit process, which is never redirected)
// nothing is called.
class RedirectionOff
{
public:
    RedirectionOff(Wow64DisableFsRedirectionFn disable, Wow64RevertFsRedirectionFn revert, const char* offFailure,
                   const char* restoreFailure);
    // When a failure leaves the block early the installer is closing; the redirection is restored
    // anyway, without a second failure.
    ~RedirectionOff();
    RedirectionOff(const RedirectionOff&) = delete;
    RedirectionOff& operator=(const RedirectionOff&) = delete;

    void Restore();

private:
    Wow64RevertFsRedirectionFn m_revert;
    const char* m_restoreFailure;
    void* m_saved = nullptr;
    bool m_off = false;
};

void InstallEthernetDrivers(InstallHost& host, const DriverInstallSystem& system = kWindowsDriverInstallSystem);
