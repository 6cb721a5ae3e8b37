#include "ui/lists/ListBox.h"

#include <windowsx.h>

#include <algorithm>

#include "platform/Registry.h"
#include "ui/framework/AppState.h"
#include "ui/lists/ListBoxContents.h"
#include "ui/theme/DrawContext.h"
#include "ui/theme/FaceColours.h"
#include "ui/theme/GdiObjects.h"
#include "ui/theme/HighContrast.h"

namespace {

constexpr int kBackground = 5;
constexpr UINT kFlashOnDelayMs = 300;
constexpr UINT kFlashOffDelayMs = 300;
constexpr UINT kFlashNextDelayMs = 700;

// The modifier keys as mouse messages report them, for keyboard messages.
WPARAM ModifierKeys()
{
    return ((GetKeyState(VK_CONTROL) & 0x8000) ? MK_CONTROL : 0) | ((GetKeyState(VK_SHIFT) & 0x8000) ? MK_SHIFT : 0);
}

}  // namespace

NRWndClassInfo& NRListBox::GetWndClassInfo()
{
    static NRWndClassInfo info = {"TNRListBox", CS_DBLCLKS, reinterpret_cast<HBRUSH>(COLOR_SCROLLBAR + 1), IDC_ARROW,
                                  0};
    return info;
}

NRListMetrics NRListBoxBase::Metrics() const
{
    if (!m_contents)
        return NRListMetrics{0, 0, m_clientHeight};
    return NRListMetrics{m_contents->RowHeight(), m_contents->ListHeight(), m_clientHeight};
}

double NRListBoxBase::ScrollPosition() const
{
    return m_scrollBar.GetStyle() & WS_VISIBLE ? m_scrollBar.ThumbPosition() : 0.0;
}

RECT NRListBoxBase::RowRect(int index) const
{
    const NRListMetrics metrics = Metrics();
    const int y = index * std::max(1, metrics.rowHeight) - ScrollOffset(metrics, ScrollPosition());
    return RECT{m_rowsLeft, y, m_rowsRight, y + metrics.rowHeight};
}

void NRListBoxBase::SetFocused(int focused)
{
    const bool gained = focused && !m_focused;
    m_focused = focused;
    InvalidateWhole();
    if (gained)
        m_accessible.NotifyFocus();
}

void NRListBoxBase::NotifyChanged() const
{
    ::PostMessageA(GetParent(Handle()), WM_NR_LIST_CHANGED, reinterpret_cast<WPARAM>(this),
                 reinterpret_cast<LPARAM>(m_contents));
}

void NRListBoxBase::Repaint() { InvalidateWhole(); }

void NRListBoxBase::AttachContents(NRListBoxContents* contents)
{
    m_contents = contents;
    if (m_contents) {
        m_contents->SetOwner(Handle());
        m_contents->MeasureAll();
        if (m_contents->Count() == 0)
            m_contents->SetCurrent(nullptr);
        else if (!m_keepCurrent || !m_contents->Current())
            m_contents->SetCurrent(m_contents->First());
    }
    LayOut();
    RestartFlashing();
    m_marks.Clear(m_contents);
    NotifyChanged();
    Repaint();
}

void NRListBoxBase::Remeasure()
{
    if (m_contents)
        m_contents->MeasureAll();
    LayOut();
    if (m_contents && m_contents->Current())
        ScrollTo(PositionShowingRow(Metrics(), ScrollPosition(), m_contents->IndexOf(m_contents->Current())));
    Repaint();
}

void NRListBoxBase::ShowLastItem()
{
    if (!m_contents)
        return;
    m_contents->SetOwner(Handle());
    m_contents->SetCurrent(m_contents->Last());
    LayOut();
    ScrollTo(PositionShowingRow(Metrics(), ScrollPosition(), m_contents->Count() - 1));
    RestartFlashing();
    m_marks.Clear(m_contents);
    NotifyChanged();
    Repaint();
}

void NRListBoxBase::ItemsChanged()
{
    if (!m_contents)
        return;
    m_contents->SetOwner(Handle());
    LayOut();
    Repaint();
}

void NRListBoxBase::MakeCurrent(int index, WPARAM modifiers)
{
    if (!m_contents || !m_contents->At(index))
        return;
    m_contents->SetCurrent(m_contents->At(index));
    if (m_style & kMultiMark)
        m_marks.AfterCurrentChanged(*m_contents, modifiers);
    ScrollTo(PositionShowingRow(Metrics(), ScrollPosition(), index));
    NotifyChanged();
    Repaint();
    m_accessible.NotifyCurrentChanged();
}

void NRListBoxBase::LayOut()
{
    const RECT client = GetClientRect();
    m_clientHeight = client.bottom - client.top;
    const NRListMetrics metrics = Metrics();
    const bool scrolls = m_contents && m_contents->Current() && !ListFits(metrics) && metrics.rowHeight > 0;
    if (scrolls) {
        const int strip = WindowScale(Handle()).Px(NRScrollBar::kArrowLength);
        const int left = m_style & kScrollBarRight ? client.right - strip : 0;
        ::SetWindowPos(m_scrollBar.Handle(), nullptr, left, 0, strip, m_clientHeight, SWP_NOZORDER | SWP_NOACTIVATE);
        const double page = ListPage(metrics);
        m_scrollBar.SetThumb(page, ClampListPosition(metrics, m_scrollBar.ThumbPosition()));
        m_scrollBar.ShowWindow(SW_SHOWNA);
        m_rowsLeft = m_style & kScrollBarRight ? 0 : strip;
        m_rowsRight = m_style & kScrollBarRight ? client.right - strip : client.right;
    } else {
        m_scrollBar.ShowWindow(SW_HIDE);
        m_rowsLeft = 0;
        m_rowsRight = client.right;
    }
    m_wheelLines = WheelLines(metrics);
}

void NRListBoxBase::ScrollTo(double position)
{
    if (m_scrollBar.GetStyle() & WS_VISIBLE)
        m_scrollBar.SetThumb(m_scrollBar.ThumbSize(), ClampListPosition(Metrics(), position));
}

void NRListBoxBase::SizeChanged(UINT /*type*/, int /*width*/, int /*height*/) { LayOut(); }

COLORREF NRListBoxBase::FrameColour(const NRDrawContext& context) const
{
    if (HighContrastOn())
        return GetSysColor(
            ChooseSystemFace({m_enabled != 0, true, false, false, false, false}, NRFacePlace::Window).frame);
    if (m_contents && m_contents->Count() > 0)
        return context.Colour(3);
    // As a current row's frame, but the pointer does not light it.
    const NRWindowKind holder = FindWindowKind(Handle());
    const bool inDialog = holder.kind == 2 || holder.kind == 3;
    return context.Colour(ChooseFaceColours({m_enabled != 0, IsWindowActive(holder.window, holder.kind), false,
                                             inDialog && m_focused, false, false})
                              .frame);
}

void NRListBoxBase::Paint(NRDrawContext& context, int left, int top, int right, int bottom)
{
    HDC dc = context.Dc();
    const int saved = SaveDC(dc);
    IntersectClipRect(dc, left, top, right, bottom);
    NRGdiObject<HPEN> framePen(CreatePen(PS_SOLID, context.ScaleX().Px(1), FrameColour(context)));
    const auto fillEmpty = [&](int emptyTop) {
        if (emptyTop >= bottom)
            return;
        const RECT empty = {left, emptyTop, right, bottom};
        SetBkColor(dc, ThemeColour(context, kBackground, COLOR_WINDOW));
        ExtTextOutA(dc, 0, 0, ETO_OPAQUE, &empty, nullptr, 0, nullptr);
        if (m_style & kNoOutline)
            return;
        NRSelection pen(dc, framePen.Get());
        NRSelection brush(dc, GetStockObject(NULL_BRUSH));
        Rectangle(dc, empty.left, empty.top, empty.right, empty.bottom);
    };

    if (!m_contents || !m_contents->Current()) {
        fillEmpty(top);
        RestoreDC(dc, saved);
        return;
    }

    const NRListMetrics metrics = Metrics();
    const int rowHeight = std::max(1, metrics.rowHeight);
    const int count = m_contents->Count();
    const int first = FirstVisibleRow(metrics, ScrollPosition());
    const int offset = ScrollOffset(metrics, ScrollPosition());
    const int currentIndex = m_contents->CurrentIndex();
    int below = top;
    int currentTop = 0;
    bool currentShows = false;  // it may begin above the top edge, at a negative y
    // Plain rows first, then marked ones, the current row last, over them.
    for (const bool marked : {false, true}) {
        if (marked && !(m_style & kMultiMark))
            break;
        for (int row = first; row < count; ++row) {
            const int y = row * rowHeight - offset;
            if (y >= bottom)
                break;
            NRListBoxItem* item = m_contents->At(row);
            if (row == currentIndex) {
                currentTop = y;
                currentShows = true;
            } else if (item->Has(NRListBoxItem::kMarks) == marked) {
                item->Draw(context, m_rowsLeft, y, m_rowsRight, y + rowHeight - 1, false);
            }
            below = std::max(below, y + rowHeight);
        }
    }
    fillEmpty(below);
    if (currentShows)
        m_contents->Current()->Draw(context, m_rowsLeft, currentTop, m_rowsRight, currentTop + rowHeight - 1, true);
    RestoreDC(dc, saved);
}

int NRListBoxBase::KeyDown(UINT virtualKey, UINT /*repeatCount*/, UINT /*flags*/)
{
    if (!m_contents || m_contents->Count() == 0)
        return 0;
    if (m_contents->ColumnCount() > 1 && (virtualKey == VK_LEFT || virtualKey == VK_RIGHT)) {
        const int column = m_contents->CurrentColumn();
        m_contents->SetCurrentColumn(column + (virtualKey == VK_LEFT ? -1 : 1));
        if (m_contents->CurrentColumn() != column)
            NotifyChanged();
        Repaint();
        return 1;
    }
    if (virtualKey == VK_SPACE) {
        ActivateCurrent();
        return 1;
    }
    const int target =
        KeyTargetRow(virtualKey, m_contents->CurrentIndex(), m_contents->Count(), RowsPerPage(Metrics()));
    if (target < 0)
        return 0;
    MakeCurrent(target, ModifierKeys());
    return 1;
}

void NRListBoxBase::ActivateCurrent()
{
    NRListBoxItem* current = m_contents ? m_contents->Current() : nullptr;
    if (!current)
        return;
    const UINT message = current->Has(NRListBoxItem::kNoMouseArm) ? WM_NR_LIST_ACTIVATED_UNARMED : WM_NR_LIST_ACTIVATED;
    ::PostMessageA(GetParent(Handle()), message, reinterpret_cast<WPARAM>(m_contents), reinterpret_cast<LPARAM>(current));
    ::PostMessageA(Handle(), WM_NR_LIST_REDRAW, 0, 0);
}

void NRListBoxBase::RestartFlashing()
{
    if (!(m_style & kNoFlashing) && m_contents && m_contents->FlashWaiting())
        SetTimer(Handle(), kFlashOnTimerId, kFlashOnDelayMs, nullptr);
}

void NRListBoxBase::OnFlashTimer(bool on)
{
    KillTimer(Handle(), on ? kFlashOnTimerId : kFlashOffTimerId);
    if (!m_contents)
        return;
    const bool anyFlashes = m_contents->SetFlashPhase(on);
    if (on && anyFlashes)
        SetTimer(Handle(), kFlashOffTimerId, kFlashOffDelayMs, nullptr);
    else if (!on)
        SetTimer(Handle(), kFlashOnTimerId, kFlashNextDelayMs, nullptr);
    Repaint();
}

int NRListBoxBase::RowAtPoint(LPARAM lParam) const
{
    const int x = GET_X_LPARAM(lParam);
    if (!m_contents || x < m_rowsLeft || x >= m_rowsRight)
        return -1;
    return RowAt(Metrics(), ScrollPosition(), GET_Y_LPARAM(lParam), m_contents->Count());
}

int NRListBoxBase::ColumnAtPoint(LPARAM lParam) const
{
    int x = GET_X_LPARAM(lParam) - m_rowsLeft;
    for (int column = 0; column < m_contents->ColumnCount(); ++column) {
        x -= m_contents->ColumnWidth(column);
        if (x < 0)
            return column;
    }
    return m_contents->ColumnCount() - 1;
}

void NRListBoxBase::OnMouseMove(WPARAM keys, LPARAM lParam)
{
    const int x = GET_X_LPARAM(lParam), y = GET_Y_LPARAM(lParam);
    const bool moved = x != m_lastMouseX || y != m_lastMouseY;
    m_lastMouseX = x;
    m_lastMouseY = y;
    if (!m_enabled || !m_contents)
        return;
    if (!m_hovered) {
        m_hovered = 1;
        Repaint();
    }
    const int row = RowAtPoint(lParam);
    if (m_style & kSingleClick) {
        if (moved && row >= 0 && row != m_contents->CurrentIndex())
            MakeCurrent(row, keys);
        if (row >= 0 && (keys & MK_LBUTTON) && !m_contents->At(row)->Has(NRListBoxItem::kNoMouseArm))
            m_contents->At(row)->Set(NRListBoxItem::kArmed);
        if (moved && !m_focused)
            Notify(WM_NR_FOCUS_REQUEST);
        return;
    }
    TRACKMOUSEEVENT track = {sizeof(track), TME_LEAVE, Handle(), HOVER_DEFAULT};
    TrackMouseEvent(&track);
    const int current = m_contents->CurrentIndex();
    if ((m_style & kDragMoves) && (keys & MK_LBUTTON) && row >= 0 && current >= 0 && row != current) {
        ::PostMessageA(GetParent(Handle()), WM_NR_LIST_ITEM_MOVED, reinterpret_cast<WPARAM>(this), MAKELONG(current, row));
        m_contents->Move(current, row);
        MakeCurrent(row, keys);
    }
    if (moved && g_guiSettings.floatingFocus && !m_focused)
        Notify(WM_NR_FOCUS_REQUEST);
}

void NRListBoxBase::OnLeftButtonDown(WPARAM keys, LPARAM lParam)
{
    if (m_enabled && !m_focused)
        Notify(WM_NR_FOCUS_REQUEST);
    if (!m_contents)
        return;
    const int row = RowAtPoint(lParam);
    if (m_style & kSingleClick) {
        if (row < 0)
            return;
        MakeCurrent(row, keys);
        if (!m_contents->Current()->Has(NRListBoxItem::kNoMouseArm))
            m_contents->Current()->Set(NRListBoxItem::kArmed);
        return;
    }
    if (row < 0)
        return;
    MakeCurrent(row, keys);
    if ((m_style & kMultiMark) && (keys & MK_CONTROL)) {
        m_marks.ToggleCurrent(*m_contents);
        Repaint();
    }
    Notify(WM_NR_CLICKED);
}

void NRListBoxBase::OnLeftButtonUp(LPARAM lParam, bool doubleClick)
{
    if (!m_contents)
        return;
    const int row = RowAtPoint(lParam);
    NRListBoxItem* current = m_contents->Current();
    if (!current || row < 0 || row != m_contents->CurrentIndex())
        return;
    if (m_style & kSingleClick) {
        if (!doubleClick && current->Has(NRListBoxItem::kArmed)) {
            current->Clear(NRListBoxItem::kArmed);
            ActivateCurrent();
        }
    } else if (doubleClick) {
        ActivateCurrent();
    }
}

void NRListBoxBase::OnRightButtonDown(WPARAM keys, LPARAM lParam)
{
    if (!m_focused)
        Notify(WM_NR_FOCUS_REQUEST);
    if (!m_contents)
        return;
    const int row = RowAtPoint(lParam);
    if (row < 0)
        return;
    if (m_style & kSingleClick) {
        MakeCurrent(row, keys);
        return;
    }
    const int column = m_contents->CurrentColumn();
    m_contents->SetCurrentColumn(ColumnAtPoint(lParam));
    if (row == m_contents->CurrentIndex()) {
        Repaint();
        UpdateWindow();
        if (m_contents->CurrentColumn() != column)
            NotifyChanged();
    } else {
        MakeCurrent(row, keys);
    }
}

void NRListBoxBase::OnRightButtonUp(LPARAM lParam)
{
    if (!m_contents || (m_style & kSingleClick))
        return;
    const int row = RowAtPoint(lParam);
    if (row >= 0 && row == m_contents->CurrentIndex())
        ::PostMessageA(GetParent(Handle()), WM_NR_RIGHT_CLICKED, reinterpret_cast<WPARAM>(this),
                     reinterpret_cast<LPARAM>(m_contents));
}

bool NRListBoxBase::ProcessWindowMessage(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam, LRESULT& result)
{
    const bool fromScrollBar = wParam == reinterpret_cast<WPARAM>(&m_scrollBar);
    result = 0;
    switch (message) {
    case WM_CREATE:
        m_scrollBar.Create(Handle(), RECT{0, 0, 0, 0}, nullptr, WS_CHILD | WS_CLIPSIBLINGS | WS_CLIPCHILDREN);
        return true;
    case WM_KEYDOWN:
        KeyDown(static_cast<UINT>(wParam), LOWORD(lParam), HIWORD(lParam));
        return true;
    case WM_SETFOCUS:
    case WM_KILLFOCUS:
        SetFocused(message == WM_SETFOCUS);
        return true;
    case WM_MOUSEMOVE:
        OnMouseMove(wParam, lParam);
        return true;
    case WM_LBUTTONDOWN:
        OnLeftButtonDown(wParam, lParam);
        return true;
    case WM_LBUTTONUP:
        OnLeftButtonUp(lParam, false);
        return true;
    case WM_LBUTTONDBLCLK:
        OnLeftButtonUp(lParam, true);
        return true;
    case WM_RBUTTONDOWN:
        OnRightButtonDown(wParam, lParam);
        return true;
    case WM_RBUTTONUP:
        OnRightButtonUp(lParam);
        return true;
    case WM_MOUSELEAVE:
        m_hovered = 0;
        Repaint();
        return true;
    case WM_MOUSEWHEEL:
        if (!ListFits(Metrics())) {
            const int notches = GET_WHEEL_DELTA_WPARAM(wParam) > 0 ? -1 : 1;
            ScrollTo(ScrolledByRows(Metrics(), ScrollPosition(), notches * m_wheelLines));
            Repaint();
        }
        return true;
    case WM_TIMER:
        if (wParam == kFlashOnTimerId || wParam == kFlashOffTimerId) {
            OnFlashTimer(wParam == kFlashOnTimerId);
            return true;
        }
        break;
    case WM_NR_LIST_REDRAW:
        Repaint();
        return true;
    case WM_NR_LIST_QUERY:
        switch (LOWORD(wParam)) {
        case kQueryFocused:
            result = m_focused;
            break;
        case kQueryState:
            result = (m_enabled ? kStateEnabled : 0u) | (m_focused ? kStateFocused : 0u) | (m_hovered ? kStateHovered : 0u);
            break;
        case kQuerySetCurrent:
            // Only an item of these contents: the address comes from a message.
            if (m_contents) {
                const int index = m_contents->IndexOf(reinterpret_cast<NRListBoxItem*>(lParam));
                if (index >= 0)
                    MakeCurrent(index, 0);
            }
            break;
        case kQueryLayOut:
            LayOut();
            Repaint();
            break;
        default:
            break;
        }
        return true;
    case WM_NR_SCROLL_LINE:
    case WM_NR_SCROLL_PAGE:
        if (fromScrollBar && lParam) {
            const int steps = static_cast<int>(lParam);
            ScrollTo(message == WM_NR_SCROLL_LINE ? ScrolledByRows(Metrics(), ScrollPosition(), steps)
                                                  : ScrolledByPages(Metrics(), ScrollPosition(), steps));
            Repaint();
        }
        return true;
    case WM_NR_SCROLL_THUMB:
        if (fromScrollBar && lParam)
            Repaint();
        return true;
    default:
        break;
    }
    return NRDoubleBufferWindow::ProcessWindowMessage(hwnd, message, wParam, lParam, result);
}
