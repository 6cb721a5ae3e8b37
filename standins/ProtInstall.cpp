// Stands in for the driver vendor's protocol installer (ProtInstall.exe) in tests; not the vendor's code.
// Run as `ProtInstall /Install NxNtSp50 PCA_PCASP50`, it copies NxNtSp50.sys from its own folder into
// %windir%\system32\drivers and registers the kernel driver service, without starting it: that is what the
// installer relies on the real one to leave behind. Setting NOX_STANDIN_PROTINSTALL=fail makes it give up
// before doing anything, so tests can see the installer cope with a driver that never arrives; =slow makes
// it take three seconds first, as the real one can, so the demo shows the installer's please-wait box.
#include <windows.h>

#include <cstdio>
#include <cstring>
#include <string>

#include "ServiceHandle.h"

namespace {

const char kServiceName[] = "NxNtSp50";
const char kComponentId[] = "PCA_PCASP50";
const char kDriverFileName[] = "NxNtSp50.sys";
// Relative to the system root, as the vendor's installer writes it.
const char kDriverBinaryPath[] = "System32\\drivers\\NxNtSp50.sys";
const char kDisplayName[] = "Nox Racing NDIS protocol (stand-in)";

int Fail(const char* what)
{
    std::printf("ProtInstall: %s failed (error %lu)\n", what, GetLastError());
    return 1;
}

bool IsToldTo(const char* what)
{
    char value[16] = {};
    const DWORD length = GetEnvironmentVariableA("NOX_STANDIN_PROTINSTALL", value, sizeof value);
    return length > 0 && length < sizeof value && std::strcmp(value, what) == 0;
}

bool IsInstallCommand(int argc, char** argv)
{
    return argc == 4 && lstrcmpiA(argv[1], "/Install") == 0 && std::strcmp(argv[2], kServiceName) == 0 &&
           std::strcmp(argv[3], kComponentId) == 0;
}

std::string OwnFolder()
{
    char path[MAX_PATH] = {};
    const DWORD length = GetModuleFileNameA(nullptr, path, MAX_PATH);
    if (length == 0 || length >= MAX_PATH)
        return std::string();
    std::string folder(path, length);
    return folder.substr(0, folder.find_last_of("\\/") + 1);
}

std::string DriversFolder()
{
    char windows[MAX_PATH] = {};
    const UINT length = GetWindowsDirectoryA(windows, MAX_PATH);
    if (length == 0 || length >= MAX_PATH)
        return std::string();
    return std::string(windows, length) + "\\system32\\drivers\\";
}

// Registers the service; one that is already there counts as registered, as the real installer treats it.
bool RegisterDriverService()
{
    ScopedServiceHandle manager(OpenSCManagerA(nullptr, nullptr, SC_MANAGER_CREATE_SERVICE));
    if (!manager)
        return false;
    ScopedServiceHandle service(CreateServiceA(manager.Get(), kServiceName, kDisplayName, SERVICE_ALL_ACCESS,
                                               SERVICE_KERNEL_DRIVER, SERVICE_DEMAND_START, SERVICE_ERROR_NORMAL,
                                               kDriverBinaryPath, nullptr, nullptr, nullptr, nullptr, nullptr));
    if (service)
        std::printf("ProtInstall: created service %s\n", kServiceName);
    else if (GetLastError() == ERROR_SERVICE_EXISTS)
        std::printf("ProtInstall: service %s already exists\n", kServiceName);
    else
        return false;
    return true;
}

}  // namespace

int main(int argc, char** argv)
{
    if (IsToldTo("slow"))
        Sleep(3000);
    if (IsToldTo("fail")) {
        std::printf("ProtInstall: told to fail by NOX_STANDIN_PROTINSTALL\n");
        return 1;
    }
    if (!IsInstallCommand(argc, argv)) {
        std::printf("Usage: ProtInstall /Install %s %s\n", kServiceName, kComponentId);
        return 2;
    }

    const std::string source = OwnFolder() + kDriverFileName;
    const std::string target = DriversFolder() + kDriverFileName;
    std::printf("ProtInstall: copying %s to %s\n", source.c_str(), target.c_str());
    // Replaces an older driver, but leaves a read-only one alone and fails, as Windows does.
    if (!CopyFileA(source.c_str(), target.c_str(), FALSE))
        return Fail("copying the driver");

    std::printf("ProtInstall: registering service %s\n", kServiceName);
    if (!RegisterDriverService())
        return Fail("registering the service");

    std::printf("ProtInstall: done\n");
    return 0;
}
