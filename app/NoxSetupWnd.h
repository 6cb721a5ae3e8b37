#pragma once
// The installer's only top-level window: a borderless 640 x 480 pop-up that drives the installation.
#include <windows.h>

#include <cstdint>
#include <string>

#include "app/NoxAppWnd.h"
#include "ui/lists/ListContainer.h"

using NoxSetupWndTraits = NRWinTraits<WS_POPUP | WS_VISIBLE | WS_CLIPSIBLINGS | WS_CLIPCHILDREN | WS_SYSMENU, 0>;

class NoxSetupWnd : public NoxAppWnd<NoxSetupWnd, NoxSetupWndTraits>
{
    using Base = NoxAppWnd<NoxSetupWnd, NoxSetupWndTraits>;

public:
    static constexpr int kWidth = 640;
    static constexpr int kHeight = 480;
    static constexpr int kIconResource = 107;

    NoxSetupWnd();

    static NRWndClassInfo& GetWndClassInfo();

    bool ProcessWindowMessage(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam, LRESULT& result) override;

    void SetTestMode(bool testMode) { m_testMode = testMode ? 1 : 0; }
    bool IsTestMode() const { return m_testMode != 0; }

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
    void WriteLogAndClose();

    const std::string& InstallDirectory() const { return m_installDirectory; }
    void SetInstallDirectory(const std::string& directory) { m_installDirectory = directory; }
    NRListContainer& ProgressPane() { return m_progressPane; }

protected:
    std::string GetTitleSuffix() override { return std::string(); }
    // The installer does not remember its placement.
    void CloseMainWindow() override { DestroyWindow(); }

private:
    LRESULT OnCreate();
    void OnSize(int width, int height);

    NRListContainer m_progressPane;
    std::string m_installDirectory;
    std::uint8_t m_installDrivers = 0;
    std::uint8_t m_testMode = 0;
};
