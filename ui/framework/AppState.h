#pragma once
// The application state the toolkit consults: which window is the main one, whether the application
// is active, and which modal dialogs are open over it. The application's main window implements
// this and registers itself; the toolkit never reaches further into the application.
#include <windows.h>

#include <vector>

class NRAppState
{
public:
    virtual HWND MainWindow() const = 0;
    virtual bool ApplicationActive() const = 0;
    // Dialogs keep it while they are up, as the main window does (WM_ACTIVATEAPP).
    virtual void SetApplicationActive(bool active) = 0;
    // The open modal dialogs, most recent first. Dialogs add and remove themselves.
    virtual const std::vector<HWND>& OpenDialogs() const = 0;
    virtual void AddOpenDialog(HWND dialog) = 0;
    virtual void RemoveOpenDialog(HWND dialog) = 0;

    // The state registered by the application, or null. Without one the toolkit takes the
    // application to be active, with no main window and no dialog open.
    static NRAppState* Current();
    static void Register(NRAppState* state);
    static void Unregister(const NRAppState* state);

protected:
    ~NRAppState() = default;
};

// Private messages by which toolkit windows describe themselves; sent, never posted.
// The kind of window: a popup dialog answers 1; a window that does not answer gives 0.
constexpr UINT WM_NR_WINDOW_KIND = WM_USER;
// A dialog's override flag: set to lParam, and read as the result.
constexpr UINT WM_NR_SET_OVERRIDE = WM_USER + 48;
constexpr UINT WM_NR_GET_OVERRIDE = WM_USER + 49;

constexpr int kWindowKindPopupDialog = 1;

// Sent to a window after its scale or the text size changed: it measures and lays itself out anew (a
// concrete dialog before passing the message on; the dialog then rebuilds its shadow).
constexpr UINT WM_NR_SCALE_CHANGED = WM_USER + 52;

// After a WM_SETTINGCHANGE (which every top-level window receives, in no set order) reached `heard`:
// reads the system's text size again and, when it changed, has `heard`, the main window and every
// open dialog lay themselves out anew. The first window to hear of the change does it for all.
void FollowTextSizeChange(HWND heard);

struct NRWindowKind
{
    int kind;     // 0 when no window up to the main window answered 1, 2 or 3
    HWND window;  // where the search stopped: the window that answered, the main window or null
};

// Redraws the main window and its children once, 100 ms from now; calls within that time restart
// the wait, so only one redraw follows a burst of activation changes.
void RedrawMainWindowSoon();
constexpr UINT_PTR kMainWindowRedrawTimerId = static_cast<UINT_PTR>(-10);

// Walks from `window` up through its parents, asking each parent its kind, until one answers 1, 2 or
// 3 or the main window is reached.
NRWindowKind FindWindowKind(HWND window);

// Whether a window of the given kind counts as active. A dialog (kind 1 or 2) is active when the
// application is and it is the topmost open dialog or its override flag is set; the main window
// when the application is active. Anything else when the application is active and no modal dialog
// is open.
bool IsWindowActive(HWND window, int kind);
