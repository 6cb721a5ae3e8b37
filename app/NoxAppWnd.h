#pragma once
// The application main-window base: makes a borderless pop-up behave like a framed top-level window
// (resize edges, caption dragging, maximising to the work area), keeps the application-wide window
// state the toolkit consults (application active, open modal dialogs, override flag), runs the close
// protocol, redraws after activation changes, takes settings commands from the maker's other programs
// and offers a restart when the server connection is lost. The derived window puts its own message
// map in front of this one, and creates, places and answers the caption buttons held here.
#include <windows.h>

#include <cstddef>
#include <memory>
#include <string>
#include <vector>

#include "ui/controls/Button.h"
#include "ui/dialogs/Dialog.h"
#include "ui/framework/AppState.h"
#include "ui/framework/WindowImpl.h"

// Private messages of the application window. Any process on the desktop can post them.
constexpr UINT WM_SERVER_LOST = WM_USER + 38;
constexpr UINT WM_CLOSE_REQUEST = WM_NR_CLOSE_REQUEST;  // posts WM_CLOSE to the window
constexpr UINT WM_ERROR_REPORT = WM_USER + 41;          // wParam: area text handed out by PostErrorReport
constexpr UINT WM_DELETE_OBJECT = WM_USER + 45;         // wParam: object handed over by DeleteLater

class NoxAppWndBase : public NRWindowImplRoot, public NRAppState, public NRAccessibleSource
{
public:
    static constexpr int kMinimizeBitmap = 169;
    static constexpr int kMaximizeBitmap = 168;
    static constexpr int kRestoreBitmap = 166;
    static constexpr int kCloseBitmap = 167;
    // CREATE_... flags of the restarted instance.
    static constexpr DWORD kRestartCreationFlags = 0x20000;
    static constexpr const char* kServerLostQuestion =
        "The connetion to the NoxNetServer has been lost\nThis Program will now exit\n\n"
        "Do you wish to attempt to restart this program?";

    explicit NoxAppWndBase(const char* baseTitle);
    ~NoxAppWndBase() override;

    const std::string& BaseTitle() const { return m_baseTitle; }
    int OverrideFlag() const { return m_overrideFlag; }
    size_t OpenDialogCount() const { return m_openDialogs.size(); }
    // Active for drawing: the application is active and no dialog is up, unless the override flag is set.
    bool CaptionActive() const { return m_applicationActive != 0 && (m_openDialogs.empty() || m_overrideFlag != 0); }

    // NRAppState
    HWND MainWindow() const override { return Handle(); }
    bool ApplicationActive() const override { return m_applicationActive != 0; }
    void SetApplicationActive(bool active) override { m_applicationActive = active ? 1 : 0; }
    const std::vector<HWND>& OpenDialogs() const override { return m_openDialogs; }
    void AddOpenDialog(HWND dialog) override;
    void RemoveOpenDialog(HWND dialog) override;

    // Takes `object` and destroys its window and frees it from the message loop, once the handler
    // in hand has returned (an object cannot delete itself inside its own handler). Objects still
    // waiting go with this window object.
    void DeleteLater(std::unique_ptr<NRWindowImplRoot> object);
    // Asks the window to show an error report for `area` from its message loop. Call on the window's
    // thread.
    void PostErrorReport(const std::string& area, int number);

    bool ProcessWindowMessage(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam, LRESULT& result) override;

    // NRAccessibleSource: a window named by its title, with its caption buttons and panes as children.
    NRAccessibleSource* AccessibleSource() override { return this; }
    long AccessibleRole() const override { return ROLE_SYSTEM_WINDOW; }
    std::string AccessibleName() const override { return GetWindowText(); }
    // Unavailable while a box is up, as a window disabled under a standard modal box reads.
    long AccessibleState() const override
    {
        return STATE_SYSTEM_FOCUSABLE | (m_openDialogs.empty() ? 0 : STATE_SYSTEM_UNAVAILABLE);
    }

protected:
    virtual bool CanClose(const char* /*reason*/) { return true; }
    // Settings commands 0 and 1 carry a payload, whose meaning is the receiving program's.
    virtual void OnCopyDataCommand0(const BYTE* /*payload*/, std::size_t /*size*/) {}
    virtual void OnCopyDataCommand1(const BYTE* /*payload*/, std::size_t /*size*/) {}
    // The GUI settings changed: reload them, let the window react, redraw everything.
    virtual void OnCopyDataCommand2();
    // The GUI settings changed: reload them and redraw everything.
    virtual void OnCopyDataCommand3();
    virtual void OnCopyDataCommand4();
    virtual void OnCopyDataCommand5();
    // One redraw of the window and its children 100 ms after the last activation change.
    virtual void OnActivationChanged();
    // Tells readers the window became unavailable (a box opened) or available again.
    void AnnounceAvailability() const;
    virtual void OnServerLost() {}
    virtual void OnSettingsReloaded() {}
    virtual std::string GetTitleSuffix() { return std::string(); }
    // Remembers where the window was, restored first if it is minimised or hidden, then destroys it.
    virtual void CloseMainWindow();
    // The on-screen error report for `area`; answers the message's result.
    virtual LRESULT ShowErrorReport(const char* area, LPARAM number);

    // Redraws the window and all its children (invalidated and erased, painted by the message loop).
    void RedrawWindowAndChildren();

    NRButton m_minimizeButton{kMinimizeBitmap, 0};
    NRButton m_maximizeButton{kMaximizeBitmap, 0};
    NRButton m_restoreButton{kRestoreBitmap, 0};
    NRButton m_closeButton{kCloseBitmap, 0};

private:
    LRESULT OnMouseActivate(WPARAM wParam, LPARAM lParam);
    LRESULT OnGetMinMaxInfo(MINMAXINFO& info);
    LRESULT OnCopyData(const COPYDATASTRUCT* record);
    void OnServerLostMessage();
    LRESULT OnErrorReport(WPARAM area, LPARAM number);
    void OnDeleteObject(WPARAM object);
    void StartNewInstance();

    std::string m_baseTitle;
    int m_applicationActive = 1;
    int m_overrideFlag = 0;
    int m_serverLostShown = 0;
    std::vector<HWND> m_openDialogs;  // most recent first
    // What the window handed out through its own messages; a message naming anything else is ignored.
    std::vector<std::unique_ptr<NRWindowImplRoot>> m_pendingDeletions;
    std::vector<std::unique_ptr<std::string>> m_pendingReports;
};

// Binds the base to a concrete window class and its traits.
template <class T, class Traits>
class NoxAppWnd : public NRWindowImpl<T, Traits, NoxAppWndBase>
{
public:
    using NRWindowImpl<T, Traits, NoxAppWndBase>::NRWindowImpl;
};
