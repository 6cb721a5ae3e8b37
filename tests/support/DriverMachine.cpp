#include "DriverMachine.h"

#include <cstdint>
#include <cstring>

#include "TestSupport.h"
#include "platform/Lookups.h"
#include "platform/SystemInfo.h"

namespace testing_support {

namespace {

constexpr const char* kService = "NxNtSp50";

// Stops the service if it runs and removes it; waits until the manager has let it go.
void RemoveService()
{
    SC_HANDLE manager = OpenSCManagerA(nullptr, nullptr, SC_MANAGER_ALL_ACCESS);
    if (!manager)
        return;
    if (SC_HANDLE service = OpenServiceA(manager, kService, SERVICE_ALL_ACCESS)) {
        SERVICE_STATUS status = {};
        if (ControlService(service, SERVICE_CONTROL_STOP, &status)) {
            for (int waited = 0; waited < 5000 && QueryServiceStatus(service, &status) &&
                                 status.dwCurrentState != SERVICE_STOPPED;
                 waited += 50)
                Sleep(50);
        }
        DeleteService(service);
        CloseServiceHandle(service);
    }
    for (int waited = 0; waited < 5000; waited += 50) {
        SC_HANDLE service = OpenServiceA(manager, kService, SERVICE_QUERY_STATUS);
        if (!service)
            break;
        CloseServiceHandle(service);
        Sleep(50);
    }
    CloseServiceHandle(manager);
}

void RemoveFile(const std::string& path)
{
    SetFileAttributesA(path.c_str(), FILE_ATTRIBUTE_NORMAL);
    DeleteFileA(path.c_str());
}

}  // namespace

std::string DriverFolder()
{
    char windows[MAX_PATH] = {};
    GetWindowsDirectoryA(windows, MAX_PATH);
    return std::string(windows) + (QueryWow64Process() ? "\\Sysnative\\drivers\\" : "\\system32\\drivers\\");
}

std::string ThisProcessDriverFolder()
{
    char windows[MAX_PATH] = {};
    GetWindowsDirectoryA(windows, MAX_PATH);
    return std::string(windows) + "\\system32\\drivers\\";
}

std::string StandinFile(const std::string& relative) { return BuildFile("standins-out\\" + relative); }

std::string StandinVendorLibrary()
{
#ifdef _WIN64
    return StandinFile("x64\\W32N55.DLL");
#else
    return StandinFile("x86\\W32N55.DLL");
#endif
}

void RemoveInstalledDriver()
{
    RemoveService();
    for (const std::string& folder : {DriverFolder(), ThisProcessDriverFolder()}) {
        for (const char* name : {"NxNtSp50.sys", "NxNtMp50.SYS"}) {
            RemoveFile(folder + name);
            RemoveFile(folder + name + ".NoxSetup-new");
        }
    }
}

std::string ImageMachine(const std::string& path)
{
    if (GetFileAttributesA(path.c_str()) == INVALID_FILE_ATTRIBUTES)
        return "missing";
    const std::string image = ReadWholeFile(path);
    if (image.size() < 0x40 || image.compare(0, 2, "MZ") != 0)
        return "no PE image";
    std::uint32_t header = 0;
    std::memcpy(&header, image.data() + 0x3C, sizeof(header));
    if (header > image.size() - 6 || image.compare(header, 4, std::string("PE\0\0", 4)) != 0)
        return "no PE image";
    std::uint16_t machine = 0;
    std::memcpy(&machine, image.data() + header + 4, sizeof(machine));
    switch (machine) {
    case IMAGE_FILE_MACHINE_AMD64:
        return "AMD64";
    case IMAGE_FILE_MACHINE_I386:
        return "i386";
    default:
        return "machine " + std::to_string(machine);
    }
}

bool PlaceDriverFile(const std::string& source, const std::string& name, bool readOnly)
{
    const std::string target = DriverFolder() + name;
    RemoveFile(target);
    if (!CopyFileA(source.c_str(), target.c_str(), FALSE))
        return false;
    return !readOnly || SetFileAttributesA(target.c_str(), FILE_ATTRIBUTE_READONLY);
}

std::string FileVersionText(const std::string& path)
{
    if (GetFileAttributesA(path.c_str()) == INVALID_FILE_ATTRIBUTES)
        return "missing";
    FileVersion version;
    if (!GetFileVersion(path, version))
        return "";
    return std::to_string(version.major) + "." + std::to_string(version.minor) + "." + std::to_string(version.build) +
           "." + std::to_string(version.revision);
}

bool ServiceRegistered(const char* name)
{
    SC_HANDLE manager = OpenSCManagerA(nullptr, nullptr, SC_MANAGER_CONNECT);
    if (!manager)
        return false;
    SC_HANDLE service = OpenServiceA(manager, name, SERVICE_QUERY_CONFIG);
    if (service)
        CloseServiceHandle(service);
    CloseServiceHandle(manager);
    return service != nullptr;
}

void SetAdministratorRights(bool granted)
{
    if (granted) {
        HKEY key = nullptr;
        if (RegCreateKeyExA(HKEY_LOCAL_MACHINE, "SECURITY", 0, nullptr, 0, KEY_READ, nullptr, &key, nullptr) ==
            ERROR_SUCCESS)
            RegCloseKey(key);
    } else {
        RegDeleteKeyA(HKEY_LOCAL_MACHINE, "SECURITY");
    }
}

RunningDriverService::RunningDriverService()
{
    RemoveService();
    SC_HANDLE manager = OpenSCManagerA(nullptr, nullptr, SC_MANAGER_ALL_ACCESS);
    if (!manager)
        return;
    const std::string binary = "\"" + StandinFile("DriverServiceStandin.exe") + "\" " + kService;
    SC_HANDLE service = CreateServiceA(manager, kService, "NxNtSp50 stand-in", SERVICE_ALL_ACCESS,
                                       SERVICE_WIN32_OWN_PROCESS, SERVICE_DEMAND_START, SERVICE_ERROR_NORMAL,
                                       binary.c_str(), nullptr, nullptr, nullptr, nullptr, nullptr);
    if (service) {
        SERVICE_STATUS status = {};
        if (StartServiceA(service, 0, nullptr)) {
            for (int waited = 0; waited < 10000 && QueryServiceStatus(service, &status) &&
                                 status.dwCurrentState != SERVICE_RUNNING;
                 waited += 50)
                Sleep(50);
            m_running = status.dwCurrentState == SERVICE_RUNNING;
        }
        CloseServiceHandle(service);
    }
    CloseServiceHandle(manager);
}

RunningDriverService::~RunningDriverService() { RemoveService(); }

}  // namespace testing_support
