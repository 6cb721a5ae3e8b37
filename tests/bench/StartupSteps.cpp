// startup_steps INSTALLER
// Times each step of the installer's start-up in the order start-up takes them, with the functions
// start-up calls, and prints one line per step. The signature step checks INSTALLER's file.
#include <winsock2.h>

#include <objbase.h>

#include <cstdio>
#include <string>

#include "BenchClock.h"
#include "app/NoxSetupWnd.h"
#include "platform/Registry.h"
#include "platform/Signature.h"
#include "platform/SystemInfo.h"
#include "platform/Text.h"
#include "ui/dialogs/DropShadow.h"
#include "ui/framework/AppModule.h"

namespace {


// Milliseconds since this process was created, as the system counts it.
double SinceProcessCreation()
{
    FILETIME created, exited, kernel, user, now;
    GetProcessTimes(GetCurrentProcess(), &created, &exited, &kernel, &user);
    GetSystemTimeAsFileTime(&now);
    const auto ticks = [](const FILETIME& time) {
        return (static_cast<unsigned long long>(time.dwHighDateTime) << 32) | time.dwLowDateTime;
    };
    return static_cast<double>(ticks(now) - ticks(created)) / 10000.0;
}

class StepTimer
{
public:
    StepTimer() : m_last(NowMs()) {}
    void Step(const char* name)
    {
        const double now = NowMs();
        std::printf("  %-44s %6.1f ms\n", name, now - m_last);
        m_last = now;
    }

private:
    double m_last;
};

}  // namespace

int main(int argc, char** argv)
{
    const double toMain = SinceProcessCreation();
    if (argc < 2) {
        std::fprintf(stderr, "usage: startup_steps INSTALLER\n");
        return 2;
    }
    std::printf("  %-44s %6.1f ms\n", "process creation to main (this program)", toMain);
    StepTimer timer;
    WSADATA data;
    WSAStartup(MAKEWORD(2, 0), &data);
    timer.Step("Windows Sockets start-up");
    LoadGuiSettings();
    timer.Step("GUI settings from the registry");
    NoxSetupWnd window;
    timer.Step("main window object (writes NEWGUI back)");
    CoInitialize(nullptr);
    timer.Step("COM");
    g_module.Init(GetModuleHandleA(nullptr));
    NRDropShadow::Initialize(GetModuleHandleA(nullptr));
    timer.Step("window framework and drop-shadow support");
    g_isWow64 = IsWow64();
    g_osType = DetectOsType();
    timer.Step("system detection");
    std::string reason;
    VerifyFileSignature(AnsiToWide(argv[1]), reason);
    timer.Step("own signature (WinVerifyTrust)");
    window.Create(nullptr, RECT{0, 0, NoxSetupWnd::kWidth, NoxSetupWnd::kHeight});
    window.ShowWindow(SW_SHOWNORMAL);
    window.CenterOnWorkArea();
    window.UpdateWindow();
    timer.Step("window created, shown and painted");
    // Step 0's line, as the message loop's first message would add it.
    MSG step;
    PeekMessageA(&step, window.Handle(), WM_INSTALL_STEP, WM_INSTALL_STEP, PM_REMOVE);
    window.AddProgressLine("%s", OsTypeName(g_osType));
    timer.Step("first progress line shown");
    g_registry.EnsureMachineKey();
    timer.Step("machine key");
    window.DestroyWindow();
    NRDropShadow::Shutdown();
    g_module.Term();
    CoUninitialize();
    WSACleanup();
    return 0;
}
