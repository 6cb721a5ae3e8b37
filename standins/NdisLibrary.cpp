// Stands in for the driver vendor's NDIS user-mode library (W32N55.DLL, and W64N55.dll in the driver
// package) in tests; not the vendor's code. It offers only the three calls the installer makes, with the
// vendor's names and calling convention, and does their work through the service control manager so tests
// can watch the results with `sc query`.
#include <windows.h>

#include <cstdio>

#include "ServiceHandle.h"

namespace {

const char kServiceName[] = "NxNtSp50";

}  // namespace

// Exported through NdisLibrary.def, which gives the names without stdcall decoration.
extern "C" {

const char* WINAPI W32N_GetServiceNameA(void) { return kServiceName; }

// Non-zero only when the service was created by this call: callers tell "installed now" from "was there".
BOOL WINAPI SCM_CreateDriverService(const char* serviceName)
{
    if (!serviceName || !*serviceName)
        return FALSE;
    ScopedServiceHandle manager(OpenSCManagerA(nullptr, nullptr, SC_MANAGER_CREATE_SERVICE));
    if (!manager)
        return FALSE;
    char binaryPath[MAX_PATH] = {};
    const int length = std::snprintf(binaryPath, sizeof binaryPath, "System32\\drivers\\%s.SYS", serviceName);
    if (length < 0 || length >= static_cast<int>(sizeof binaryPath))
        return FALSE;
    ScopedServiceHandle service(CreateServiceA(manager.Get(), serviceName, serviceName, SERVICE_ALL_ACCESS,
                                               SERVICE_KERNEL_DRIVER, SERVICE_DEMAND_START, SERVICE_ERROR_NORMAL,
                                               binaryPath, nullptr, nullptr, nullptr, nullptr, nullptr));
    return service ? TRUE : FALSE;
}

// The vendor's call loosens the service's access list; re-applying the list it already has exercises the
// same two service calls without changing anything a test might look at.
BOOL WINAPI SCM_SetRawetherDaclA(const char* serviceName)
{
    if (!serviceName || !*serviceName)
        return FALSE;
    ScopedServiceHandle manager(OpenSCManagerA(nullptr, nullptr, SC_MANAGER_CONNECT));
    if (!manager)
        return FALSE;
    ScopedServiceHandle service(OpenServiceA(manager.Get(), serviceName, READ_CONTROL | WRITE_DAC));
    if (!service)
        return FALSE;

    // A service's access list is a few hundred bytes; a fixed buffer keeps the library free of allocations.
    alignas(void*) BYTE descriptor[4096];
    DWORD needed = 0;
    if (!QueryServiceObjectSecurity(service.Get(), DACL_SECURITY_INFORMATION, descriptor, sizeof descriptor, &needed))
        return FALSE;
    return SetServiceObjectSecurity(service.Get(), DACL_SECURITY_INFORMATION, descriptor);
}

}  // extern "C"
