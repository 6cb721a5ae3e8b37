// Stands in for a running driver service in tests; not the vendor's code. Registered with
// `sc create NxNtSp50 binPath= "<path>\DriverServiceStandin.exe"` and started, it reports RUNNING until it
// is told to stop, so tests can see how the installer treats a driver that is loaded. The service name is
// argv[1], or NxNtSp50 when none is given.
#include <windows.h>

#include <cstdio>

namespace {

const char* g_serviceName = "NxNtSp50";
SERVICE_STATUS_HANDLE g_statusHandle = nullptr;
HANDLE g_stopRequested = nullptr;

void ReportState(DWORD state)
{
    SERVICE_STATUS status = {};
    status.dwServiceType = SERVICE_WIN32_OWN_PROCESS;
    status.dwCurrentState = state;
    status.dwControlsAccepted = state == SERVICE_RUNNING ? SERVICE_ACCEPT_STOP : 0;
    SetServiceStatus(g_statusHandle, &status);
}

DWORD WINAPI HandleControl(DWORD control, DWORD, void*, void*)
{
    switch (control) {
    case SERVICE_CONTROL_STOP:
        ReportState(SERVICE_STOP_PENDING);
        SetEvent(g_stopRequested);
        return NO_ERROR;
    case SERVICE_CONTROL_INTERROGATE:
        return NO_ERROR;
    default:
        return ERROR_CALL_NOT_IMPLEMENTED;
    }
}

void WINAPI ServiceMain(DWORD, char**)
{
    g_statusHandle = RegisterServiceCtrlHandlerExA(g_serviceName, HandleControl, nullptr);
    if (!g_statusHandle)
        return;
    ReportState(SERVICE_RUNNING);
    WaitForSingleObject(g_stopRequested, INFINITE);
    ReportState(SERVICE_STOPPED);
}

}  // namespace

int main(int argc, char** argv)
{
    if (argc > 1)
        g_serviceName = argv[1];
    g_stopRequested = CreateEventA(nullptr, TRUE, FALSE, nullptr);

    SERVICE_TABLE_ENTRYA services[] = {{const_cast<char*>(g_serviceName), ServiceMain}, {nullptr, nullptr}};
    if (!StartServiceCtrlDispatcherA(services)) {
        std::printf(
            "DriverServiceStandin: runs only as a service started by the service control manager "
            "(error %lu)\n",
            GetLastError());
        return 1;
    }
    return 0;
}
