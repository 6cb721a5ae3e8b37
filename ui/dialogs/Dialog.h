#pragma once
// The toolkit's dialogs: pop-up windows drawn by the toolkit and run modally by their own message
// loop. NRDialogBase is the message filter of a modal run; NRPopupDialog the pop-up window, its run
// and its window behaviour; TNRDialog binds a concrete dialog to a window class. A run returns an
// integer result: 0 Cancel (and any other way of closing), 1 No, 2 OK, 3 Yes, 4 to 6 the first to
// third user button.
#include <windows.h>

#include "ui/controls/PanelBackground.h"
#include "ui/dialogs/DialogFocus.h"
#include "ui/dialogs/DropShadow.h"
#include "ui/framework/Accessible.h"
#include "ui/framework/AppState.h"
#include "ui/framework/MessageLoop.h"
#include "ui/framework/WindowImpl.h"
#include "ui/theme/Scale.h"

enum NRDialogResult : int
{
    kResultCancel = 0,
    kResultNo = 1,
    kResultOk = 2,
    kResultYes = 3,
    kResultUser1 = 4,
    kResultUser2 = 5,
    kResultUser3 = 6,
};

// Posted to the main window by another process to ask it to close; a dialog defers it until it ends.
constexpr UINT WM_NR_CLOSE_REQUEST = WM_USER + 39;

class NRDialogBase : public NRMessageFilter
{
public:
    // Swallows what the modal run keeps from other windows, their keys included, so a key pressed
    // where the dialog is not never answers it; the keys of the dialog's own windows go to the dialog.
    bool PreTranslateMessage(MSG& msg) override;
    virtual int RunModal() = 0;
    virtual void MouseMovedOverOtherWindow(const MSG& /*msg*/) {}
    virtual bool CloseOnOutsideClick() const { return m_closeOnOutsideClick; }
    virtual bool OwnsWindow(HWND /*window*/) const { return false; }
    virtual HWND DialogHandle() const = 0;

    void SetCloseOnOutsideClick(bool close) { m_closeOnOutsideClick = close; }

protected:
    ~NRDialogBase() = default;

    bool m_pendingClose = false;
    bool m_closeOnOutsideClick = false;
    MSG m_deferred = {};
    int m_overrideFlag = 0;
};

class NRPopupDialog : public NRWindowImplRoot, public NRDialogBase, public NRPanelBackground, public NRAccessibleSource
{
public:
    static constexpr UINT_PTR kDeferredDestroyTimerId = 17;
    static constexpr UINT kDeferredDestroyMs = 500;
    static constexpr int kSizeGrip = 10;  // before scaling, as the minimum size

    NRPopupDialog(HWND owner, bool resizable);

    // Creates the dialog over its owner, shows it and runs its message loop until it is closed.
    int RunModal() override;
    // Ends the run with `result`: the window shrinks to nothing and closes.
    void EndDialog(int result);
    int Result() const { return m_result; }
    HWND DialogHandle() const override { return Handle(); }
    HWND Owner() const { return m_owner; }
    const NRDropShadow& Shadow() const { return m_shadow; }

    // Sizes the window (cut to the work area) and places it inside the work area: the first time
    // centred on its owner, or on the work area without one, and attaches the drop shadow; later
    // about the centre it has, or the one Windows suggested for a new DPI.
    void SizeAndCentre(int width, int height);
    // The scale the dialog is laid out in: that of the screen it is on.
    NRScale Scale() const { return WindowScale(Handle()); }

    bool ProcessWindowMessage(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam, LRESULT& result) override;
    // The dialog's background: a gradient light in the middle and a frame, in the active or the
    // inactive colours.
    void PaintPanelBackground(NRDrawContext& context, int left, int top, int right, int bottom) override;

    // NRAccessibleSource: a dialog named by its window text, with its controls as children.
    NRAccessibleSource* AccessibleSource() override { return this; }
    long AccessibleRole() const override { return ROLE_SYSTEM_DIALOG; }
    std::string AccessibleName() const override { return GetWindowText(); }
    long AccessibleState() const override { return STATE_SYSTEM_FOCUSABLE; }

protected:
    ~NRPopupDialog() override = default;
    virtual HWND CreateDialogWindow() = 0;
    // The button (index in the focus order) that `key` presses; -1: none. Escape's is also the one
    // Alt+F4 and the system's Close press.
    virtual int ButtonForKey(int /*key*/) const { return -1; }
    // Ctrl+C: puts what the box says on the clipboard.
    virtual void CopyToClipboard() {}
    // True for a dialog that ends only by its own EndDialog (the wait for a process): a WM_CLOSE it
    // did not post itself leaves it up.
    virtual bool EndsOnlyByItself() const { return false; }
    // Every key of the dialog, whichever of its windows has the focus: the focus keys, then the
    // button for the key and its modifiers, then Alt+F4 to the button that closes.
    void OnKeyDown(UINT message, WPARAM wParam, LPARAM lParam);
    // Alt+F4 or the system's Close: what Escape does, or, where Escape does nothing, a beep.
    void CloseAsked();
    bool IsTopmostDialog() const;
    bool IsActiveDialog() const;
    // A window of no size at its owner's centre, where it will be centred: on the owner's screen.
    RECT CreationRect() const;
    void OnDpiChanged(WPARAM wParam, LPARAM lParam);

    int m_result = kResultCancel;
    bool m_ending = false;  // EndDialog has posted the WM_CLOSE that ends the run
    HWND m_owner;
    bool m_resizable;
    SIZE m_minimum = {160, 120};
    bool m_placed = false;   // SizeAndCentre has placed the window of this run
    bool m_placing = false;  // inside SizeAndCentre's move
    bool m_hasSuggestedPlace = false;
    RECT m_suggestedPlace = {};  // where Windows put the window for its new DPI
    NRDropShadow m_shadow;
    COLORREF m_shadowColour;
    // Which button has the keyboard focus and which is the default; the concrete dialog names its
    // buttons.
    NRDialogFocus m_focus;
};

using NRPopupTraits = NRWinTraits<WS_POPUP | WS_CLIPSIBLINGS | WS_CLIPCHILDREN, 0>;

template <class T>
class TNRDialog : public NRWindowImpl<T, NRPopupTraits, NRPopupDialog>
{
public:
    TNRDialog(HWND owner, bool resizable) : NRWindowImpl<T, NRPopupTraits, NRPopupDialog>(owner, resizable) {}

    static NRWndClassInfo& GetWndClassInfo()
    {
        static NRWndClassInfo info = {nullptr, CS_HREDRAW | CS_VREDRAW | CS_DBLCLKS,
                                      reinterpret_cast<HBRUSH>(COLOR_WINDOW + 1), IDC_ARROW, 0};
        return info;
    }

protected:
    HWND CreateDialogWindow() override { return this->Create(this->m_owner, this->CreationRect()); }
};
