#pragma once
// The installer's only top-level window: a borderless 640 x 480 pop-up (at 96 DPI; scaled with the
// screen) with its own frame and caption that drives the installation. Eight steps, each started by a
// message the window posts to itself, so every step runs from the ordinary message loop and none
// overlaps another.
#include <windows.h>

#include <cstdint>
#include <string>

#include "app/NoxAppWnd.h"
#include "ethdrv/InstallHost.h"
#include "ui/lists/ListContainer.h"
#include "ui/theme/GdiObjects.h"
#include "ui/theme/Scale.h"

using NoxSetupWndTraits = NRWinTraits<WS_POPUP | WS_VISIBLE | WS_CLIPSIBLINGS | WS_CLIPCHILDREN | WS_SYSMENU, 0>;

// lParam: the step, 0 to 7.
constexpr UINT WM_INSTALL_STEP = WM_USER + 35;

class NoxSetupWnd : public NoxAppWnd<NoxSetupWnd, NoxSetupWndTraits>, public InstallHost
{
    using Base = NoxAppWnd<NoxSetupWnd, NoxSetupWndTraits>;

public:
    static constexpr int kWidth = 640;
    static constexpr int kHeight = 480;
    static constexpr int kIconResource = 107;
    static constexpr int kMarkBitmap = 163;
    static constexpr int kDriverStep = 2;
    static constexpr int kLastStep = 7;

    static constexpr const char* kConsentQuestion =
        "This will install the Nox Racing ethernet drivers\nAre you sure you want to continue?";
    static constexpr const char* kNoExistingInstall =
        "This installer can only update an existing install, one was not found";
    static constexpr const char* kExitSuffix = "\nWill exit setup now";
    static constexpr const char* kUnknownError = "Unknown Error\nWill exit setup now";
    static constexpr const char* kTestComplete =
        "Test Complete\nHit COPY to copy messages to clipboard then exit\nHit OK to exit\n";
    static constexpr const char* kSetupComplete = "Setup Complete\nThe Nox Racing tools have now been installed\n";

    NoxSetupWnd();

    static NRWndClassInfo& GetWndClassInfo();

    // The window's size at `scale`: 640 x 480 scaled.
    static SIZE WindowSize(const NRScale& scale);
    // Makes `scale` the program's screen scale and lays the window and its open boxes out for it:
    // fonts, caption buttons, mark and progress lines are made and measured anew, and the window
    // takes `placement` or, without one, keeps its centre at its scaled size.
    void ApplyScale(NRScale scale, const RECT* placement = nullptr);

    bool ProcessWindowMessage(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam, LRESULT& result) override;

    void SetTestMode(bool testMode) { m_testMode = testMode ? 1 : 0; }
    bool IsTestMode() const { return m_testMode != 0; }
    bool InstallDriversFlag() const { return m_installDrivers != 0; }
    void SetInstallDriversFlag(bool install) override { m_installDrivers = install ? 1 : 0; }

    // "<base title> 2.17.10", followed by "  :  <suffix>" when the window has a title suffix.
    std::string ComposeTitle();

    // One progress line, printf-style, line feeds removed; shown at once, even while a step keeps
    // the message loop busy. Pass a caller's text (a path, a name) as an argument, never as the
    // format: a "%" in it would be read as a conversion.
    void AddProgressLine(const char* format, ...) __attribute__((format(printf, 2, 3)));
    // All progress lines, each ended by a line feed; true when there is any.
    bool GetAllProgressText(std::string& text) const;
    // Writes the install log (not in test mode, and only into an existing install directory), then
    // posts WM_CLOSE.
    void WriteLogAndClose() override;

    // Reads "InstallDirectory" and checks that the folder exists; says so in a box when it does not
    // (false). An error on the way is shown, the window closes, and the answer is true.
    bool RequireExistingInstall();
    // The last step: the final box, and in normal mode the unit preference migration first; then
    // the log, and the window closes.
    void FinishInstall();

    // The driver step: decides and installs the ethernet driver, telling the user through this window.
    void InstallEthernetDrivers();

    // What the driver installation asks of the window.
    const std::string& InstallDirectory() const override { return m_installDirectory; }
    void AddLine(const std::string& line) override { AddProgressLine("%s", line.c_str()); }
    int ShowBox(const std::string& text, int type, const std::vector<InstallBoxButton>& buttons) override;
    void WaitForProcess(const std::string& message, HANDLE process) override;

    void SetInstallDirectory(const std::string& directory) { m_installDirectory = directory; }
    NRListContainer& ProgressPane() { return m_progressPane; }
    NRButton& CloseButton() { return m_closeButton; }

protected:
    std::string GetTitleSuffix() override { return std::string(); }
    // The installer does not remember its placement.
    void CloseMainWindow() override { DestroyWindow(); }

private:
    LRESULT OnCreate();
    void OnSize(int width, int height);
    void LayoutCaptionButtons(int width);
    // WM_DPICHANGED: the window moved to a screen of another DPI.
    void OnDpiChanged(WPARAM wParam, LPARAM lParam);
    void OnCaptionButtonClicked(WPARAM id, LPARAM sender);
    void RunInstallStep(LPARAM step);
    // Any program on the desktop can post WM_INSTALL_STEP: only the step this window posted last,
    // and not yet run, is taken.
    void PostStep(int step)
    {
        m_awaitedStep = step;
        PostMessage(WM_INSTALL_STEP, 0, step);
    }
    bool AskForConsent();
    void OfferCopyToClipboard();
    int ShowMessageBox(const std::string& text, int type);

    NRListContainer m_progressPane;
    std::string m_installDirectory;
    std::uint8_t m_installDrivers = 0;
    std::uint8_t m_testMode = 0;
    int m_awaitedStep = -1;  // none
    NRBitmapHandle m_mark;
};
