#pragma once
// The machine state the driver installation reads and leaves behind: the driver files in the
// Windows driver folder, the NxNtSp50 service, administrator rights as Wine expresses them, and the
// stand-ins of the driver vendor's components that the build makes.
#include <windows.h>

#include <string>

namespace testing_support {

// The Windows driver folder as the system loads drivers from it, with a final backslash: for a
// 32-bit process on 64-bit Windows that is the native folder behind the "Sysnative" alias, never the
// SysWOW64 one its own "system32" leads to. Checks of what an installation left read this.
std::string DriverFolder();
// "system32\\drivers\\" as this process sees it: redirected to SysWOW64 in a 32-bit process on
// 64-bit Windows, unless the process has turned redirection off.
std::string ThisProcessDriverFolder();
// A file the stand-in build made (standins/build-standins.sh), e.g. "package\\v2\\NxNtSp50.sys".
std::string StandinFile(const std::string& relative);
// The stand-in NDIS library of this build's word size, which only a process of that size can load.
std::string StandinVendorLibrary();

// No NxNtSp50 service and no driver files NxNtSp50.sys and NxNtMp50.SYS, read-only ones included,
// nor new files an installation left beside them, in the native driver folder and in the
// redirected one.
void RemoveInstalledDriver();
// Copies `source` into the driver folder as `name`.
bool PlaceDriverFile(const std::string& source, const std::string& name = "NxNtSp50.sys", bool readOnly = false);
// The machine field of a PE image: "AMD64", "i386", "machine <n>", "no PE image" or "missing".
std::string ImageMachine(const std::string& path);
// "5.70.100.0"; "" when the file has no version; "missing" when there is no file.
std::string FileVersionText(const std::string& path);
bool ServiceRegistered(const char* name = "NxNtSp50");

// Administrator rights as the installer tells them: whether HKLM\SECURITY can be opened.
void SetAdministratorRights(bool granted);

// The stand-in service program registered and running as NxNtSp50, stopped and removed when the
// object goes.
class RunningDriverService
{
public:
    RunningDriverService();
    ~RunningDriverService();
    RunningDriverService(const RunningDriverService&) = delete;
    RunningDriverService& operator=(const RunningDriverService&) = delete;

    bool Running() const { return m_running; }

private:
    bool m_running = false;
};

}  // namespace testing_support
