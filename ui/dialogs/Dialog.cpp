#include "ui/dialogs/Dialog.h"

#include <windowsx.h>

#include <algorithm>

#include "platform/Accessibility.h"
#include "platform/Registry.h"
#include "ui/controls/Control.h"
#include "ui/framework/AppState.h"
#include "ui/framework/DisplayDpi.h"
#include "ui/framework/Geometry.h"
#include "ui/theme/DrawContext.h"
#include "ui/theme/FocusBorder.h"
#include "ui/theme/GdiObjects.h"
#include "ui/theme/HighContrast.h"
#include "ui/theme/Painting.h"
#include "ui/theme/Palette.h"
#include "ui/theme/Scale.h"

namespace {

constexpr int kShadowColour = 18;
constexpr int kInactiveShadowColour = 12;

bool IsButtonDown(UINT message)
{
    switch (message) {
    case WM_LBUTTONDOWN:
    case WM_RBUTTONDOWN:
    case WM_MBUTTONDOWN:
    case WM_NCLBUTTONDOWN:
    case WM_NCRBUTTONDOWN:
    case WM_NCMBUTTONDOWN:
        return true;
    default:
        return false;
    }
}

bool IsDoubleClick(UINT message)
{
    switch (message) {
    case WM_LBUTTONDBLCLK:
    case WM_RBUTTONDBLCLK:
    case WM_MBUTTONDBLCLK:
    case WM_NCLBUTTONDBLCLK:
    case WM_NCRBUTTONDBLCLK:
    case WM_NCMBUTTONDBLCLK:
        return true;
    default:
        return false;
    }
}

bool IsKeyOrWheel(UINT message)
{
    return message == WM_KEYDOWN || message == WM_KEYUP || message == WM_SYSKEYDOWN || message == WM_SYSKEYUP ||
           message == WM_MOUSEWHEEL;
}

bool ApplicationActive()
{
    const NRAppState* state = NRAppState::Current();
    return !state || state->ApplicationActive();
}

// The top dialog, or the main window when none is open.
HWND TopWindow()
{
    const NRAppState* state = NRAppState::Current();
    if (!state)
        return nullptr;
    return state->OpenDialogs().empty() ? state->MainWindow() : state->OpenDialogs().front();
}

void BringTopWindowForward()
{
    if (HWND top = TopWindow())
        SetForegroundWindow(top);
}

// The work area of `monitor`; without one, the primary screen's.
RECT WorkArea(HMONITOR monitor)
{
    MONITORINFO info = {};
    info.cbSize = sizeof(info);
    if (monitor && GetMonitorInfoA(monitor, &info))
        return info.rcWork;
    RECT area = {};
    if (!SystemParametersInfoA(SPI_GETWORKAREA, 0, &area, 0))
        area = RECT{0, 0, GetSystemMetrics(SM_CXFULLSCREEN), GetSystemMetrics(SM_CYFULLSCREEN)};
    return area;
}

RECT WorkAreaOf(HWND window)
{
    return WorkArea(window ? MonitorFromWindow(window, MONITOR_DEFAULTTONEAREST) : nullptr);
}

}  // namespace

bool NRDialogBase::PreTranslateMessage(MSG& msg)
{
    const HWND dialog = DialogHandle();
    if (!dialog)
        return false;
    const bool own = msg.hwnd == dialog || IsChild(dialog, msg.hwnd) || GetWindow(msg.hwnd, GW_OWNER) == dialog ||
                     OwnsWindow(msg.hwnd);
    if (own) {
        if (IsButtonDown(msg.message) && !ApplicationActive())
            BringTopWindowForward();
        if (IsKeyOrWheel(msg.message))
            msg.hwnd = dialog;  // the dialog decides what its keys do, wherever its focus is
        return false;
    }
    const UINT message = msg.message;
    if (message == WM_NCMOUSEMOVE || IsDoubleClick(message))
        return true;
    if (message == WM_MOUSEMOVE) {
        MouseMovedOverOtherWindow(msg);
        return true;
    }
    if (IsButtonDown(message)) {
        if (CloseOnOutsideClick())
            m_pendingClose = true;
        if (!ApplicationActive())
            BringTopWindowForward();
        return true;
    }
    if (message == WM_LBUTTONUP || message == WM_RBUTTONUP || message == WM_NCLBUTTONUP || message == WM_NCRBUTTONUP ||
        message == WM_NCMBUTTONUP) {
        if (m_pendingClose && CloseOnOutsideClick())
            PostMessageA(dialog, WM_CLOSE, 0, 0);
        m_pendingClose = false;
        return true;
    }
    // A key for another window (the main window under the box) was typed where the box is not.
    if (IsKeyOrWheel(message))
        return true;
    if (message == WM_NR_CLOSE_REQUEST) {
        m_deferred = msg;
        PostMessageA(dialog, WM_CLOSE, 0, 0);
        return true;
    }
    return false;
}

NRPopupDialog::NRPopupDialog(HWND owner, bool resizable)
    : m_owner(owner), m_resizable(resizable), m_shadowColour(PaletteColour(kShadowColour))
{
}

bool NRPopupDialog::IsTopmostDialog() const
{
    const NRAppState* state = NRAppState::Current();
    return !state || state->OpenDialogs().empty() || state->OpenDialogs().front() == Handle();
}

bool NRPopupDialog::IsActiveDialog() const { return IsWindowActive(Handle(), kWindowKindPopupDialog); }

int NRPopupDialog::RunModal()
{
    NRAppState* state = NRAppState::Current();
    const HWND mainWindow = state ? state->MainWindow() : nullptr;
    if (mainWindow && IsIconic(mainWindow))
        ::ShowWindow(mainWindow, SW_RESTORE);
    // A main window that can be resized from under a dialog would look as if it could be used.
    bool thickFrameRemoved = false;
    if (mainWindow && state->OpenDialogs().empty() && (GetWindowLongA(mainWindow, GWL_STYLE) & WS_THICKFRAME)) {
        SetWindowLongA(mainWindow, GWL_STYLE, GetWindowLongA(mainWindow, GWL_STYLE) & ~WS_THICKFRAME);
        thickFrameRemoved = true;
    }
    const auto restoreThickFrame = [&] {
        if (thickFrameRemoved && ::IsWindow(mainWindow))
            SetWindowLongA(mainWindow, GWL_STYLE, GetWindowLongA(mainWindow, GWL_STYLE) | WS_THICKFRAME);
    };

    m_result = kResultCancel;
    m_ending = false;
    m_deferred = MSG{};
    m_placed = false;
    m_hasSuggestedPlace = false;
    const HWND dialog = CreateDialogWindow();
    if (!dialog) {
        restoreThickFrame();
        return kResultCancel;
    }
    if (state)
        state->AddOpenDialog(dialog);
    ShowWindow(SW_SHOW);
    SetForegroundWindow(dialog);
    BringWindowToTop(dialog);
    if (::GetActiveWindow() == dialog)
        m_focus.Restore(dialog);
    NotifyAccessibilityEvent(EVENT_SYSTEM_DIALOGSTART, dialog, OBJID_WINDOW, CHILDID_SELF);

    int result = kResultCancel;
    MSG msg;
    for (;;) {
        const BOOL got = GetMessageA(&msg, nullptr, 0, 0);
        if (got == -1)
            continue;
        // Only the dialog's own end quits its loop: a WM_QUIT another program posts while it is up
        // is dropped.
        if (!got && ::IsWindow(dialog))
            continue;
        if (!got) {
            result = static_cast<int>(msg.wParam);
            break;
        }
        if (!PreTranslateMessage(msg)) {
            TranslateMessage(&msg);
            DispatchMessageA(&msg);
        }
    }
    if (m_deferred.message == WM_NR_CLOSE_REQUEST)
        ::PostMessageA(m_deferred.hwnd, m_deferred.message, m_deferred.wParam, m_deferred.lParam);

    if (state)
        state->RemoveOpenDialog(dialog);
    if (HWND top = TopWindow()) {
        SetForegroundWindow(top);
        RedrawWindow(top, nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_ALLCHILDREN | RDW_UPDATENOW);
    }
    restoreThickFrame();
    return result;
}

void NRPopupDialog::EndDialog(int result)
{
    m_result = result;
    m_ending = true;
    SetWindowPos(Handle(), nullptr, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
    PostMessage(WM_CLOSE);
}

void NRPopupDialog::OnKeyDown(UINT message, WPARAM wParam, LPARAM lParam)
{
    const int key = static_cast<unsigned char>(wParam);
    const NRDialogKeyStroke stroke = {key,
                                      message == WM_SYSKEYDOWN,
                                      GetKeyState(VK_SHIFT) < 0,
                                      GetKeyState(VK_CONTROL) < 0,
                                      GetKeyState(VK_LWIN) < 0 || GetKeyState(VK_RWIN) < 0,
                                      (lParam & (1 << 30)) != 0};
    switch (DialogKeyUse(stroke)) {
    case NRDialogKeyUse::kCopy:
        CopyToClipboard();
        break;
    case NRDialogKeyUse::kClose:
        CloseAsked();
        break;
    case NRDialogKeyUse::kMoveFocus:
        m_focus.KeyDown(key, stroke.shift, false);
        break;
    case NRDialogKeyUse::kAnswer:
        if (!stroke.systemKey && m_focus.KeyDown(key, stroke.shift, true))
            break;
        m_focus.Press(ButtonForKey(key));
        break;
    case NRDialogKeyUse::kNothing:
        break;
    }
}

void NRPopupDialog::CloseAsked()
{
    if (!m_focus.Press(ButtonForKey(VK_ESCAPE)))
        MessageBeep(MB_OK);
}

RECT NRPopupDialog::CreationRect() const
{
    // Where it will be centred, so that Windows gives it that screen's DPI from the start.
    RECT owner = {};
    if (!m_owner || !::GetWindowRect(m_owner, &owner))
        return RECT{0, 0, 0, 0};
    const POINT centre = {(owner.left + owner.right) / 2, (owner.top + owner.bottom) / 2};
    return RECT{centre.x, centre.y, centre.x, centre.y};
}

void NRPopupDialog::OnDpiChanged(WPARAM wParam, LPARAM lParam)
{
    const NRScale old = Scale(), scale{static_cast<int>(HIWORD(wParam))};
    // Nothing to change; and the rectangle of a message another program posts is never read.
    if (scale == old)
        return;
    m_hasSuggestedPlace = ReadSuggestedWindowRect(Handle(), wParam, lParam, old.dpi, m_suggestedPlace);
    SetWindowScale(Handle(), scale);
    if (Scale() == old)
        return;
    // Told while placing itself (the move crossed screens): laid out again once that is done.
    if (m_placing)
        PostMessage(WM_NR_SCALE_CHANGED);
    else
        SendMessage(WM_NR_SCALE_CHANGED);
    m_hasSuggestedPlace = false;
}

void NRPopupDialog::SizeAndCentre(int width, int height)
{
    RECT area = {}, reference = {}, fitArea = {};
    if (m_placed) {
        // Moved or rescaled since: it stays where the user sees it, or goes where Windows put it.
        reference = m_hasSuggestedPlace ? m_suggestedPlace : GetWindowRect();
        area = fitArea = WorkArea(MonitorFromRect(&reference, MONITOR_DEFAULTTONEAREST));
    } else {
        area = WorkAreaOf(m_owner);
        reference = area;
        if (m_owner)
            ::GetWindowRect(m_owner, &reference);
        // Fitted vertically into the work area of the parent's monitor.
        fitArea = WorkAreaOf(m_owner ? m_owner : Handle());
    }
    m_placed = true;
    width = std::min<int>(width, area.right - area.left);
    height = std::min<int>(height, area.bottom - area.top);
    POINT topLeft = CenteredTopLeft(RECT{0, 0, width, height}, reference, area);

    if (!m_shadow.Created()) {
        m_shadow.Create(Handle());
        m_shadow.SetColor(m_shadowColour);
        if (!g_guiSettings.newGui)
            m_shadow.SetSize(2);
    }
    // A taller window keeps its bottom edge on the work area's.
    if (topLeft.y + height > fitArea.bottom)
        topLeft.y = fitArea.bottom - height;
    if (topLeft.y < fitArea.top && height <= fitArea.bottom - fitArea.top)
        topLeft.y = fitArea.top;
    m_placing = true;
    SetWindowPos(Handle(), nullptr, topLeft.x, topLeft.y, width, height, SWP_NOZORDER | SWP_NOACTIVATE);
    m_placing = false;
}

void NRPopupDialog::PaintPanelBackground(NRDrawContext& context, int left, int top, int right, int bottom)
{
    const bool active = IsActiveDialog();
    // In High Contrast a flat window-coloured body with a frame in window text.
    const COLORREF light = ThemeColour(context, active ? 16 : 10, COLOR_WINDOW);
    const COLORREF dark = ThemeColour(context, active ? 17 : 11, COLOR_WINDOW);
    const int third = top + (bottom - top) / 3;
    VerticalGradient(context, left, top, right, third, dark, light);
    VerticalGradient(context, left, third, right, bottom, light, dark);
    NRBrushHandle frame(CreateSolidBrush(ThemeColour(context, active ? 18 : 12, COLOR_WINDOWTEXT)));
    const RECT all = {left, top, right, bottom};
    FrameScaled(context, all, frame.Get());
    if (!m_resizable)
        return;
    const NRScale& scale = context.ScaleX();
    NRGdiObject<HPEN> pen(CreatePen(PS_SOLID, scale.Px(1), ThemeColour(context, 2, COLOR_WINDOWTEXT)));
    NRSelection selection(context.Dc(), pen.Get());
    for (const int start : {10, 7, 4}) {
        MoveToEx(context.Dc(), right - scale.Px(start), bottom - scale.Px(3), nullptr);
        LineTo(context.Dc(), right - scale.Px(2), bottom - scale.Px(start + 1));
    }
}

bool NRPopupDialog::ProcessWindowMessage(HWND /*hwnd*/, UINT message, WPARAM wParam, LPARAM lParam, LRESULT& result)
{
    result = 0;
    switch (message) {
    case WM_NCCREATE:
        // Before the concrete dialog measures anything in its WM_CREATE. It opens inside the work area
        // of its owner's screen, so at its owner's scale; moved to another screen, Windows tells it.
        SetWindowScale(Handle(), WindowScale(m_owner));
        return false;
    case WM_NCDESTROY:
        ForgetWindowScale(Handle());
        return false;
    case WM_NR_DPICHANGED:
        OnDpiChanged(wParam, lParam);
        return true;
    case WM_DESTROY:
        NotifyAccessibilityEvent(EVENT_SYSTEM_DIALOGEND, Handle(), OBJID_WINDOW, CHILDID_SELF);
        PostQuitMessage(m_result);
        return true;
    case WM_CLOSE:
        if (EndsOnlyByItself() && !m_ending)
            return true;
        // Dialogs close from the top down: one under another waits until it is on top.
        if (IsTopmostDialog())
            DestroyWindow();
        else
            SetTimer(Handle(), kDeferredDestroyTimerId, kDeferredDestroyMs, nullptr);
        return true;
    case WM_TIMER:
        if (wParam != kDeferredDestroyTimerId)
            return false;
        if (IsTopmostDialog()) {
            KillTimer(Handle(), kDeferredDestroyTimerId);
            DestroyWindow();
        }
        return true;
    case WM_ERASEBKGND: {
        NRDrawContext context(reinterpret_cast<HDC>(wParam), Handle());
        const RECT client = GetClientRect();
        PaintPanelBackground(context, client.left, client.top, client.right, client.bottom);
        result = 1;
        return true;
    }
    case WM_NCHITTEST: {
        // The whole dialog drags; a resizable one sizes from its bottom-right corner.
        result = HTCAPTION;
        if (m_resizable) {
            RECT window = GetWindowRect();
            const POINT point = {GET_X_LPARAM(lParam), GET_Y_LPARAM(lParam)};
            const int grip = WindowScale(Handle()).Px(kSizeGrip);
            if (point.x >= window.right - grip && point.y >= window.bottom - grip)
                result = HTBOTTOMRIGHT;
        }
        return true;
    }
    case WM_SETCURSOR: {
        const UINT hit = LOWORD(lParam);
        SetCursor(LoadCursorA(nullptr, hit == HTCAPTION ? IDC_HAND : hit == HTBOTTOMRIGHT ? IDC_SIZENWSE : IDC_ARROW));
        result = TRUE;
        return true;
    }
    case WM_SIZING: {
        // The address comes from the system, for a size it is changing on our behalf.
        auto* rect = reinterpret_cast<RECT*>(lParam);
        const NRScale scale = WindowScale(Handle());
        const SIZE minimum = {scale.Px(m_minimum.cx), scale.Px(m_minimum.cy)};
        if (rect->right - rect->left < minimum.cx)
            rect->right = rect->left + minimum.cx;
        if (rect->bottom - rect->top < minimum.cy)
            rect->bottom = rect->top + minimum.cy;
        result = TRUE;
        return true;
    }
    case WM_MOUSEACTIVATE:
        result = MA_NOACTIVATE;
        return true;
    case WM_MOUSEWHEEL:
        return true;
    case WM_ACTIVATE:
        // The system gives an activated window no focus: DefWindowProc would focus the dialog
        // itself, and the dialog manager focuses the control that had it. This does the latter.
        if (LOWORD(wParam) != WA_INACTIVE)
            m_focus.Restore(Handle());
        m_shadow.SetColor(IsActiveDialog() ? m_shadowColour : PaletteColour(kInactiveShadowColour));
        RedrawWindow(Handle(), nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_ALLCHILDREN);
        return true;
    case WM_ACTIVATEAPP:
        if (NRAppState* state = NRAppState::Current())
            state->SetApplicationActive(wParam != 0);
        RedrawMainWindowSoon();
        m_shadow.SetColor(wParam && IsActiveDialog() ? m_shadowColour : PaletteColour(kInactiveShadowColour));
        RedrawWindow(Handle(), nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_ALLCHILDREN);
        return true;
    case WM_SETFOCUS:
        // Focused as a whole (as Wine does on activation): the focus goes on to its button.
        m_focus.Restore(Handle());
        return true;
    case WM_NR_FOCUS_REQUEST:
        m_focus.Requested(NRControl::FromNotification(Handle(), lParam));
        return true;
    case WM_KEYDOWN:
    case WM_SYSKEYDOWN:
        // Every key is the dialog's, used or not: none reaches the system's default, which would
        // turn Alt+F4 into a close.
        OnKeyDown(message, wParam, lParam);
        return true;
    case WM_SYSCHAR:
        // A mnemonic was a key above; a pop-up without a menu has nothing more for it.
        return true;
    case WM_SYSCOMMAND:
        if ((wParam & 0xFFF0) != SC_CLOSE)
            return false;
        CloseAsked();
        return true;
    case WM_CAPTURECHANGED:
        // A drop-down that closes on an outside click also closes when another window takes the
        // mouse; a box waits for its answer.
        if (lParam && CloseOnOutsideClick())
            EndDialog(kResultCancel);
        return true;
    case WM_NR_WINDOW_KIND:
        result = kWindowKindPopupDialog;
        return true;
    case WM_NR_SCALE_CHANGED:
        // The shadow's reach and offset are scaled too, even where the window kept its size.
        if (m_shadow.ShadowVisible())
            m_shadow.Update(Handle());
        RedrawWindow(Handle(), nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_ALLCHILDREN);
        return true;
    case WM_SYSCOLORCHANGE:
    case WM_SETTINGCHANGE:
        // The shadow follows the change by itself (it sees the box's messages first).
        if (TakeColourChange(message, wParam))
            FollowColourChange(Handle(), message, wParam);
        if (TakeFocusBorderChange(message, wParam))
            RedrawWindow(Handle(), nullptr, nullptr, RDW_INVALIDATE | RDW_ALLCHILDREN);
        if (message == WM_SETTINGCHANGE)
            FollowTextSizeChange(Handle());
        return false;
    case WM_NR_SET_OVERRIDE:
        m_overrideFlag = static_cast<int>(lParam);
        return true;
    case WM_NR_GET_OVERRIDE:
        result = m_overrideFlag;
        return true;
    default:
        return false;
    }
}
