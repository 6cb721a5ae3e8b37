// install_timer RUNS INSTALLER
// Times whole v2 installations of the ethernet driver (64-bit Windows 10, no driver yet,
// administrator rights), answering the installer's boxes at once, from process creation to the
// "Setup Complete" box, and splits each run at what the screen shows:
//   start-up      process creation to the consent box
//   driver step   consent answered to the please-wait dialog (decision, service query, package)
//   protocol      the please-wait dialog, while the protocol installer runs
//   finish        the please-wait dialog gone to the final box (verification, the last steps)
// and times the service query alone, as the driver step runs it. Prints every run and the medians.
#include <windows.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "BenchClock.h"
#include "DriverMachine.h"
#include "TestSupport.h"
#include "ethdrv/ChildRunner.h"
#include "ethdrv/InstallHost.h"

using namespace testing_support;

namespace {

struct Run
{
    double startup = 0, driverStep = 0, protocol = 0, finish = 0, total = 0;
};

void SetInstallDirectory(const std::string& directory)
{
    HKEY key = nullptr;
    // The 32-bit view, which every build of the installer reads.
    if (RegCreateKeyExA(HKEY_LOCAL_MACHINE, "Software\\Nox Racing", 0, nullptr, 0, KEY_SET_VALUE | KEY_WOW64_32KEY,
                        nullptr, &key, nullptr) != ERROR_SUCCESS)
        return;
    RegSetValueExA(key, "InstallDirectory", 0, REG_SZ, reinterpret_cast<const BYTE*>(directory.c_str()),
                   static_cast<DWORD>(directory.size() + 1));
    RegCloseKey(key);
}

// One installation; false, with the reason on standard error, when it did not go as a v2 one goes.
bool TimeInstallation(const std::string& installer, Run& run)
{
    TempDir dir;
    SetInstallDirectory(dir.Path());
    RemoveInstalledDriver();
    std::string commandLine = "\"" + installer + "\"";
    STARTUPINFOA startup = {};
    startup.cb = sizeof(startup);
    PROCESS_INFORMATION process = {};
    const double start = NowMs();
    if (!CreateProcessA(nullptr, &commandLine[0], nullptr, nullptr, FALSE, 0, nullptr, nullptr, &startup, &process))
        return false;
    CloseHandle(process.hThread);

    // Waits for the next screen state; the time it was seen, or a negative value after 30 s.
    const auto waitFor = [&](auto seen) {
        for (;;) {
            const double now = NowMs();
            if (seen())
                return now;
            if (now - start > 30000 || WaitForSingleObject(process.hProcess, 0) == WAIT_OBJECT_0)
                return -1.0;
            Sleep(1);
        }
    };
    HWND dialog = nullptr;
    const auto buttonBox = [&] { return (dialog = ShownToolkitDialog(process.dwProcessId)) && ToolkitDialogHasButtons(dialog); };
    bool ok = false;
    const double consent = waitFor(buttonBox);
    if (consent >= 0) {
        PostMessageA(dialog, WM_KEYDOWN, 'Y', 0);
        HWND consentBox = dialog;
        const double waitShown = waitFor([&] {
            dialog = ShownToolkitDialog(process.dwProcessId);
            return dialog && dialog != consentBox;
        });
        HWND pleaseWait = dialog;
        const bool isPleaseWait = waitShown >= 0 && !ToolkitDialogHasButtons(pleaseWait);
        const double waitGone = isPleaseWait ? waitFor([&] { return !IsWindowVisible(pleaseWait); }) : -1;
        const double complete = waitGone >= 0 ? waitFor(buttonBox) : -1;
        if (complete >= 0 && ToolkitDialogText(dialog).rfind("Setup Complete", 0) == 0) {
            run = {consent - start, waitShown - consent, waitGone - waitShown, complete - waitGone, complete - start};
            ok = true;
        } else {
            std::fprintf(stderr, "not a v2 installation: %s\n",
                         waitShown >= 0 ? ToolkitDialogText(dialog).c_str() : "no second box");
        }
        if (dialog)
            PostMessageA(dialog, WM_KEYDOWN, VK_RETURN, 0);
    }
    if (WaitForSingleObject(process.hProcess, 10000) != WAIT_OBJECT_0)
        TerminateProcess(process.hProcess, 1);
    CloseHandle(process.hProcess);
    RemoveInstalledDriver();
    return ok;
}

class SilentHost : public InstallHost
{
public:
    const std::string& InstallDirectory() const override { return m_directory; }
    void SetInstallDriversFlag(bool) override {}
    void AddLine(const std::string&) override {}
    int ShowBox(const std::string&, int, const std::vector<InstallBoxButton>&) override { return 0; }
    void WaitForProcess(const std::string&, HANDLE) override {}
    void WriteLogAndClose() override {}

private:
    std::string m_directory;
};

}  // namespace

int main(int argc, char** argv)
{
    if (argc != 3) {
        std::fprintf(stderr, "usage: install_timer RUNS INSTALLER\n");
        return 2;
    }
    const int runs = std::max(1, std::atoi(argv[1]));
    std::string installer = argv[2];
    const std::string exeName = installer.substr(installer.find_last_of("\\/") + 1);
    ScopedWindowsVersion windows10(exeName, "win10");
    SetAdministratorRights(true);

    std::vector<double> startup, driverStep, protocol, finish, total;
    for (int i = 0; i < runs; ++i) {
        Run run;
        if (!TimeInstallation(installer, run))
            return 1;
        std::printf("run %d: %.0f ms (start-up %.0f, driver step %.0f, protocol installer %.0f, finish %.0f)\n", i + 1,
                    run.total, run.startup, run.driverStep, run.protocol, run.finish);
        startup.push_back(run.startup);
        driverStep.push_back(run.driverStep);
        protocol.push_back(run.protocol);
        finish.push_back(run.finish);
        total.push_back(run.total);
    }

    char windows[MAX_PATH] = {};
    GetWindowsDirectoryA(windows, MAX_PATH);
    const std::string query = std::string(windows) + "\\System32\\sc.exe query NxNtSp50";
    std::vector<double> queries;
    SilentHost host;
    for (int i = 0; i < runs; ++i) {
        std::vector<std::string> lines;
        const double start = NowMs();
        RunRedirectedChild(lines, query, host);
        queries.push_back(NowMs() - start);
    }
    std::printf("median: %.0f\n", Median(total));
    std::printf("steps: %.0f %.0f %.0f %.0f\n", Median(startup), Median(driverStep), Median(protocol), Median(finish));
    std::printf("service query: %.0f\n", Median(queries));
    return 0;
}
