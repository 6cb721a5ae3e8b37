#include "ui/controls/ScrollableRichText.h"

#include <stdexcept>

#include "platform/Error.h"
#include "ui/controls/PanelBackground.h"
#include "ui/theme/DrawContext.h"
#include "ui/theme/GdiObjects.h"
#include "ui/theme/HighContrast.h"
#include "ui/theme/Scale.h"

namespace {

constexpr int kBackground = 5;
// One line step scrolls a tenth of the visible part.
constexpr double kLinesPerPage = 10.0;

}  // namespace

NRScrollableRichText::NRScrollableRichText(const std::string& text, NRPanelBackground* panel)
    : m_scrollBar(NRScrollBar::Vertical), m_text(text), m_panel(panel)
{
}

NRWndClassInfo& NRScrollableRichText::GetWndClassInfo()
{
    static NRWndClassInfo info = {"NRScrollableRichText", CS_DBLCLKS, reinterpret_cast<HBRUSH>(COLOR_SCROLLBAR + 1),
                                  IDC_ARROW, 0};
    return info;
}

bool NRScrollableRichText::ProcessWindowMessage(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam,
                                                LRESULT& result)
{
    const bool fromScrollBar = wParam == reinterpret_cast<WPARAM>(&m_scrollBar);
    switch (message) {
    case WM_CREATE:
        OnCreate();
        result = 0;
        return true;
    case WM_NCHITTEST:
        result = HTTRANSPARENT;
        return true;
    case WM_NR_SCROLL_LINE:
        if (fromScrollBar && lParam)
            Scroll(static_cast<int>(lParam) / kLinesPerPage);
        result = 0;
        return true;
    case WM_NR_SCROLL_PAGE:
        if (fromScrollBar && lParam)
            Scroll(static_cast<int>(lParam));
        result = 0;
        return true;
    case WM_NR_SCROLL_THUMB:
        if (fromScrollBar && lParam)
            InvalidateWhole();
        result = 0;
        return true;
    default:
        return NRDoubleBuffer<NRScrollableRichText>::ProcessWindowMessage(hwnd, message, wParam, lParam, result);
    }
}

namespace {

int BarWidth(HWND window) { return WindowScale(window).Px(NRScrollBar::kArrowLength); }

}  // namespace

void NRScrollableRichText::OnCreate()
{
    m_scrollBar.Create(Handle(), RECT{0, 0, 0, 0}, nullptr, WS_CHILD | WS_CLIPSIBLINGS | WS_CLIPCHILDREN);
    MeasureText();
}

void NRScrollableRichText::MeasureText()
{
    NRWindowDC screen(nullptr, NRWindowDC::WholeWindow);
    NRDrawContext context(screen.Get(), Handle());
    try {
        m_engine.Measure(context, m_text);
    } catch (const NRError&) {
        m_engine.Measure(context, EscapeMarkup(m_text));
    }
}

void NRScrollableRichText::LayoutText(NRDrawContext& context, int left, int top, int right, int bottom,
                                      NRTextExtent* extent)
{
    try {
        m_engine.Layout(context, left, top, right, bottom, extent);
    } catch (const NRError&) {
        m_engine.Parse(EscapeMarkup(m_text));
        m_engine.Layout(context, left, top, right, bottom, extent);
    }
}

void NRScrollableRichText::SizeChanged(UINT /*type*/, int width, int height)
{
    if (width <= 0 || height <= 0)
        return;
    {
        NRWindowDC window(Handle());
        NRDrawContext context(window.Get(), Handle());
        LayoutText(context, 0, 0, width, height, &m_wrapped);
        if (height < m_wrapped.height)
            LayoutText(context, BarWidth(Handle()), 0, width, height, &m_wrapped);
    }
    if (height < m_wrapped.height) {
        // Every size change goes back to the top.
        m_scrollBar.SetThumb(static_cast<double>(height) / m_wrapped.height, 0.0);
        ::SetWindowPos(m_scrollBar.Handle(), nullptr, 0, 0, BarWidth(Handle()), height, SWP_NOZORDER | SWP_NOACTIVATE);
        m_scrollBar.ShowWindow(SW_SHOWNA);
    } else {
        m_scrollBar.ShowWindow(SW_HIDE);
    }
    InvalidateWhole();
}

void NRScrollableRichText::Scroll(double pages)
{
    const double size = m_scrollBar.ThumbSize();
    m_scrollBar.SetThumb(size, ClampedScrollPosition(m_scrollBar.ThumbPosition(), pages * size, size));
    InvalidateWhole();
}

void NRScrollableRichText::EraseBackground(NRDrawContext& context, const RECT& area)
{
    if (m_panel) {
        // The parent's client area in the pane's coordinates.
        RECT parent = {};
        ::GetClientRect(::GetParent(Handle()), &parent);
        ::MapWindowPoints(::GetParent(Handle()), Handle(), reinterpret_cast<POINT*>(&parent), 2);
        m_panel->PaintPanelBackground(context, parent.left, parent.top, parent.right, parent.bottom);
        return;
    }
    SetBkColor(context.Dc(), ThemeColour(context, kBackground, COLOR_WINDOW));
    ExtTextOutA(context.Dc(), 0, 0, ETO_OPAQUE, &area, nullptr, 0, nullptr);
}

void NRScrollableRichText::Paint(NRDrawContext& context, int left, int top, int right, int bottom)
{
    EraseBackground(context, RECT{left, top, right, bottom});
    int textLeft = 0, textTop = 0;
    if (m_scrollBar.GetStyle() & WS_VISIBLE) {
        textLeft = BarWidth(Handle());
        textTop = -static_cast<int>(m_wrapped.height * m_scrollBar.ThumbPosition());
    }
    LayoutText(context, textLeft, textTop, right, bottom, nullptr);
}
