#include "ui/dialogs/PleaseWaitDialog.h"

#include <algorithm>

#include "platform/Accessibility.h"
#include "ui/controls/Control.h"
#include "ui/theme/DrawContext.h"
#include "ui/theme/GdiObjects.h"
#include "ui/theme/HighContrast.h"
#include "ui/theme/Painting.h"
#include "ui/theme/Scale.h"

namespace {

constexpr int kMessageColour = 0;
constexpr int kSecondLineColour = 35;

// A line of the normal font, and the room the Cancel button takes below the bar.
int LineHeight(HWND window) { return NRFontSet::ForScreen(WindowScale(window)).Normal().height; }
int ButtonRoom(HWND window) { return LineHeight(window) + WindowScale(window).Px(15); }

SIZE TextExtent(HDC dc, const std::string& text)
{
    SIZE extent = {};
    GetTextExtentPoint32A(dc, text.c_str(), static_cast<int>(text.size()), &extent);
    return extent;
}

}  // namespace

NRPleaseWaitDialog::NRPleaseWaitDialog(HWND owner, const std::string& message, HANDLE waitFor)
    : TNRDialog<NRPleaseWaitDialog>(owner, false), m_message(message), m_waitFor(waitFor)
{
    m_cancel.SetCaption("Cancel", 0);
    m_cancel.SetShortcut("Esc");
}

std::string NRPleaseWaitDialog::AccessibleName() const
{
    return m_showSecondLine ? m_message + "\n" + m_secondLine : m_message;
}

void NRPleaseWaitDialog::SetSecondLine(const std::string& line)
{
    m_secondLine = line;
    m_showSecondLine = true;
}

void NRPleaseWaitDialog::OnCreate()
{
    m_cancel.Create(Handle(), RECT{0, 0, 0, 0}, nullptr, m_showCancel ? 0 : WS_CHILD | WS_CLIPSIBLINGS);
    if (m_showCancel)
        m_focus.SetButtons({&m_cancel}, 0);
    LayOut();
    SetTimer(Handle(), kTimerId, kTimerMs, nullptr);
    SetBusy(true);
    if (m_thread)
        ResumeThread(m_thread);
}

void NRPleaseWaitDialog::ScaleChanged()
{
    m_cancel.Remeasure();
    LayOut();
}

void NRPleaseWaitDialog::LayOut()
{
    const NRScale scale = WindowScale(Handle());
    SIZE wider = {};
    {
        NRWindowDC dc(Handle());
        NRDrawContext context(dc.Get(), Handle());
        NRSelection font(dc.Get(), context.Fonts().Normal().handle);
        const SIZE message = TextExtent(dc.Get(), m_message);
        const SIZE second = m_showSecondLine ? TextExtent(dc.Get(), m_secondLine) : SIZE{0, 0};
        wider = message.cx >= second.cx ? message : second;
    }
    int height = wider.cy + scale.Px(40);
    if (m_showSecondLine)
        height += LineHeight(Handle());
    if (m_showCancel)
        height += ButtonRoom(Handle());
    SizeAndCentre(wider.cx + scale.Px(20), height);
}

RECT NRPleaseWaitDialog::BarRect() const
{
    const NRScale scale = WindowScale(Handle());
    const RECT client = GetClientRect();
    const int margin = scale.Px(10);
    const int lift = m_showCancel ? LineHeight(Handle()) + margin : 0;
    return RECT{margin, client.bottom - scale.Px(20) - lift, client.right - margin, client.bottom - margin - lift};
}

void NRPleaseWaitDialog::OnTimer()
{
    m_barPosition += m_barStep;
    if (m_barPosition > 100) {
        m_barPosition = 100;
        m_barStep = -10;
    } else if (m_barPosition < 0) {
        m_barPosition = 0;
        m_barStep = 10;
    }
    const RECT bar = BarRect();
    InvalidateRect(Handle(), &bar, FALSE);
    const DWORD waited = m_waitFor ? WaitForSingleObject(m_waitFor, 0) : WAIT_FAILED;
    if (waited == WAIT_OBJECT_0) {
        KillTimer(Handle(), kTimerId);
        EndDialog(1);
    } else if (waited == WAIT_FAILED) {
        KillTimer(Handle(), kTimerId);
        EndDialog(kResultCancel);
    }
}

void NRPleaseWaitDialog::SetBusy(bool busy)
{
    if (m_busy == busy)
        return;
    m_busy = busy;
    NotifyAccessibilityEvent(EVENT_OBJECT_STATECHANGE, Handle(), OBJID_CLIENT, CHILDID_SELF);
}

void NRPleaseWaitDialog::Paint(HDC dc)
{
    NRDrawContext context(dc, Handle());
    NRSelection font(dc, context.Fonts().Normal().handle);
    const int previousMode = SetBkMode(dc, TRANSPARENT);
    SetTextColor(dc, ThemeColour(context, kMessageColour, COLOR_WINDOWTEXT));
    const int margin = context.ScaleX().Px(10);
    TextOutA(dc, margin, context.ScaleY().Px(10), m_message.c_str(), static_cast<int>(m_message.size()));
    if (m_showSecondLine) {
        SetTextColor(dc, ThemeColour(context, kSecondLineColour, COLOR_WINDOWTEXT));
        TextOutA(dc, margin, ButtonRoom(Handle()), m_secondLine.c_str(), static_cast<int>(m_secondLine.size()));
    }
    SetBkMode(dc, previousMode);

    const RECT bar = BarRect();
    const int marker = bar.left + (bar.right - bar.left) * m_barPosition / 100;
    // A light that runs to and fro; in High Contrast, highlight up to the marker and window beyond it.
    const COLORREF dim = ThemeColour(context, 5, COLOR_HIGHLIGHT), lit = ThemeColour(context, 2, COLOR_HIGHLIGHT);
    const COLORREF beyond = ThemeColour(context, 2, COLOR_WINDOW), end = ThemeColour(context, 5, COLOR_WINDOW);
    HorizontalGradient(context, bar.left, bar.top, marker, bar.bottom, dim, lit);
    HorizontalGradient(context, marker, bar.top, bar.right, bar.bottom, beyond, end);
    NRBrushHandle frame(CreateSolidBrush(ThemeColour(context, 2, COLOR_WINDOWTEXT)));
    FrameScaled(context, bar, frame.Get());
}

bool NRPleaseWaitDialog::ProcessWindowMessage(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam, LRESULT& result)
{
    result = 0;
    switch (message) {
    case WM_CREATE:
        OnCreate();
        return true;
    case WM_SIZE:
        if (m_showCancel) {
            const SIZE size = m_cancel.Size();
            ::SetWindowPos(m_cancel.Handle(), nullptr, (LOWORD(lParam) - size.cx) / 2,
                           HIWORD(lParam) - WindowScale(Handle()).Px(10) - size.cy, size.cx, size.cy,
                           SWP_NOZORDER | SWP_NOACTIVATE);
        }
        return true;
    case WM_PAINT: {
        NRPaintCycle cycle(Handle());
        Paint(cycle.Dc());
        return true;
    }
    case WM_TIMER:
        if (wParam != kTimerId)
            break;
        OnTimer();
        return true;
    case WM_NR_CLICKED:
        if (wParam == 0 && NRControl::FromNotification(Handle(), lParam) == &m_cancel)
            m_cancelled = true;
        return true;
    case WM_NR_SCALE_CHANGED:
        ScaleChanged();
        break;
    case WM_DESTROY:
        // However it ends, the wait is over.
        SetBusy(false);
        break;
    default:
        break;
    }
    return NRPopupDialog::ProcessWindowMessage(hwnd, message, wParam, lParam, result);
}
