#include "ui/controls/ScrollBar.h"

#include <windowsx.h>

#include "platform/Registry.h"
#include "ui/framework/AppState.h"
#include "ui/theme/DrawContext.h"
#include "ui/theme/FaceColours.h"
#include "ui/theme/GdiObjects.h"
#include "ui/theme/HighContrast.h"
#include "ui/theme/Painting.h"

namespace {

constexpr int kTrackBackground = 6;

// A closed outline through the rectangle's corners, the right and bottom edges drawn inside it.
void Outline(HDC dc, int left, int top, int right, int bottom, int unitX, int unitY)
{
    const POINT corners[5] = {{left, top}, {right - unitX, top}, {right - unitX, bottom - unitY}, {left, bottom - unitY},
                              {left, top}};
    Polyline(dc, corners, 5);
}

void Triangle(HDC dc, POINT a, POINT b, POINT c)
{
    const POINT points[3] = {a, b, c};
    Polygon(dc, points, 3);
}

// The track, the arrows and outlines on it, and the thumb.
struct BarColours
{
    COLORREF track, lines, thumbTop, thumbBottom, thumbLine;
};

BarColours PaletteBarColours(const NRDrawContext& context, const NRFaceState& state)
{
    const NRFaceColours face = ChooseFaceColours(state);
    const COLORREF lines = context.Colour(face.frame);
    return BarColours{context.Colour(kTrackBackground), lines, context.Colour(face.top), context.Colour(face.bottom),
                      lines};
}

// The track and its arrows are a resting control; the thumb alone lights up.
BarColours ContrastBarColours(const NRFaceState& state)
{
    NRFaceState resting = state;
    resting.hovered = resting.focused = resting.pressed = false;
    const NRSystemFace track = ChooseSystemFace(resting, NRFacePlace::Control);
    const NRSystemFace thumb = ChooseSystemFace(state, NRFacePlace::Control);
    return BarColours{GetSysColor(track.fill), GetSysColor(track.frame), GetSysColor(thumb.fill),
                      GetSysColor(thumb.fill), GetSysColor(thumb.frame)};
}

}  // namespace

NRScrollBar::NRScrollBar(Orientation orientation) : m_orientation(orientation) { m_controlId = kControlId; }

NRWndClassInfo& NRScrollBar::GetWndClassInfo()
{
    static NRWndClassInfo info = {"NRScrollBar", CS_DBLCLKS, reinterpret_cast<HBRUSH>(COLOR_SCROLLBAR + 1), IDC_ARROW,
                                  0};
    return info;
}

void NRScrollBar::SetThumb(double size, double position)
{
    m_size = size;
    m_position = position;
    InvalidateWhole();
}

void NRScrollBar::SetFocused(int focused)
{
    m_focused = focused;
    InvalidateWhole();
}

int NRScrollBar::KeyDown(UINT virtualKey, UINT /*repeatCount*/, UINT /*flags*/)
{
    const UINT back = m_orientation == Vertical ? VK_UP : VK_LEFT;
    const UINT forward = m_orientation == Vertical ? VK_DOWN : VK_RIGHT;
    if (virtualKey != back && virtualKey != forward)
        return 0;
    PostAction(WM_NR_SCROLL_LINE, virtualKey == back ? -1 : 1);
    return 1;
}

NRScrollGeometry NRScrollBar::Geometry(const NRScale& scaleX, const NRScale& scaleY) const
{
    if (m_orientation == Vertical)
        return ComputeScrollGeometry(0, m_clientHeight, scaleY.Px(kArrowLength), m_size, m_position);
    return ComputeScrollGeometry(0, m_clientWidth, scaleX.Px(kArrowLength), m_size, m_position);
}

int NRScrollBar::AxisCoordinate(LPARAM lParam) const
{
    return m_orientation == Vertical ? GET_Y_LPARAM(lParam) : GET_X_LPARAM(lParam);
}

void NRScrollBar::PostAction(UINT action, int argument) const
{
    ::PostMessageA(GetParent(Handle()), action, reinterpret_cast<WPARAM>(this), argument);
}

bool NRScrollBar::ProcessWindowMessage(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam, LRESULT& result)
{
    switch (message) {
    case WM_LBUTTONDOWN:
    case WM_LBUTTONDBLCLK:
        OnButtonDown(lParam);
        result = 0;
        return true;
    case WM_MOUSEMOVE:
        // A drag whose button is no longer down ended where the bar did not see it.
        if (m_action == WM_NR_SCROLL_THUMB && !(wParam & MK_LBUTTON))
            OnButtonUp();
        OnMouseMove(lParam);
        result = 0;
        return true;
    case WM_CAPTURECHANGED:
        // Another window took the mouse (Alt+Tab, a box): the drag ends here.
        if (m_action == WM_NR_SCROLL_THUMB && reinterpret_cast<HWND>(lParam) != Handle())
            OnButtonUp();
        result = 0;
        return true;
    case WM_LBUTTONUP:
        OnButtonUp();
        result = 0;
        return true;
    case WM_MOUSELEAVE:
        m_hovered = 0;
        StopRepeating();
        InvalidateWhole();
        result = 0;
        return true;
    case WM_TIMER:
        if (wParam == kRepeatStartTimerId) {
            KillTimer(Handle(), kRepeatStartTimerId);
            SetTimer(Handle(), kRepeatTimerId, kRepeatDelayMs, nullptr);
        } else if (wParam != kRepeatTimerId) {
            break;
        }
        if (m_action)
            PostAction(m_action, m_argument);
        result = 0;
        return true;
    case WM_SHOWWINDOW:
        if (!wParam) {
            m_size = 1.0;
            m_position = 0.0;
        }
        break;
    default:
        break;
    }
    return NRDoubleBuffer<NRScrollBar>::ProcessWindowMessage(hwnd, message, wParam, lParam, result);
}

void NRScrollBar::OnButtonDown(LPARAM lParam)
{
    const NRScrollGeometry geometry = Geometry(WindowScale(Handle()), WindowScale(Handle()));
    switch (HitTestScrollBar(geometry, AxisCoordinate(lParam))) {
    case NRScrollHit::LineBack:
        m_action = WM_NR_SCROLL_LINE;
        m_argument = -1;
        break;
    case NRScrollHit::PageBack:
        m_action = WM_NR_SCROLL_PAGE;
        m_argument = -1;
        break;
    case NRScrollHit::LineForward:
        m_action = WM_NR_SCROLL_LINE;
        m_argument = 1;
        break;
    case NRScrollHit::PageForward:
        m_action = WM_NR_SCROLL_PAGE;
        m_argument = 1;
        break;
    case NRScrollHit::Thumb:
        // The drag origin is the last mouse position; moves are measured from it.
        m_action = WM_NR_SCROLL_THUMB;
        m_argument = 0;
        m_lastMouseX = GET_X_LPARAM(lParam);
        m_lastMouseY = GET_Y_LPARAM(lParam);
        SetCapture(Handle());
        break;
    }
    if (!m_focused)
        Notify(WM_NR_FOCUS_REQUEST);
    PostAction(m_action, m_argument);
    if (m_argument != 0)
        SetTimer(Handle(), kRepeatStartTimerId, kRepeatStartDelayMs, nullptr);
    InvalidateWhole();
}

void NRScrollBar::OnMouseMove(LPARAM lParam)
{
    const int x = GET_X_LPARAM(lParam), y = GET_Y_LPARAM(lParam);
    if (m_enabled) {
        if (!m_hovered) {
            m_hovered = 1;
            InvalidateWhole();
        }
        TRACKMOUSEEVENT track = {sizeof(track), TME_LEAVE, Handle(), HOVER_DEFAULT};
        TrackMouseEvent(&track);
        if (x != m_lastMouseX || y != m_lastMouseY) {
            if (m_action == WM_NR_SCROLL_THUMB) {
                m_argument = m_orientation == Vertical ? y - m_lastMouseY : x - m_lastMouseX;
                if (m_argument != 0) {
                    const double position = DraggedThumbPosition(Geometry(WindowScale(Handle()), WindowScale(Handle())),
                                                                 m_argument, m_size);
                    if (position != m_position) {
                        m_position = position;
                        PostAction(WM_NR_SCROLL_THUMB, m_argument);
                        InvalidateWhole();
                        UpdateWindow();
                    }
                }
            }
            if (g_guiSettings.floatingFocus && !m_focused)
                Notify(WM_NR_FOCUS_REQUEST);
        }
    }
    m_lastMouseX = x;
    m_lastMouseY = y;
}

void NRScrollBar::OnButtonUp()
{
    if (m_action == WM_NR_SCROLL_THUMB)
        PostAction(WM_NR_SCROLL_THUMB_RELEASED, 0);
    m_action = 0;
    m_argument = 0;
    ReleaseCapture();
    StopRepeating();
    InvalidateWhole();
}

void NRScrollBar::StopRepeating()
{
    KillTimer(Handle(), kRepeatStartTimerId);
    KillTimer(Handle(), kRepeatTimerId);
}

void NRScrollBar::SizeChanged(UINT /*type*/, int width, int height)
{
    m_clientWidth = width;
    m_clientHeight = height;
}

void NRScrollBar::Paint(NRDrawContext& context, int left, int top, int right, int bottom)
{
    HDC dc = context.Dc();
    // One unit of the bar's lines and insets in each direction, and its arrows' proportions.
    const int ux = context.ScaleX().Px(1), uy = context.ScaleY().Px(1);
    const NRScale& scale = context.ScaleY();
    const int u2 = scale.Px(2), u3 = scale.Px(3);
    const RECT area = {left, top, right, bottom};
    const NRWindowKind holder = FindWindowKind(Handle());
    const NRFaceState state = {m_enabled != 0, IsWindowActive(holder.window, holder.kind),
                               m_hovered != 0, m_focused != 0,
                               m_action != 0,  false};
    const BarColours colours = HighContrastOn() ? ContrastBarColours(state) : PaletteBarColours(context, state);
    SetBkColor(dc, colours.track);
    ExtTextOutA(dc, 0, 0, ETO_OPAQUE, &area, nullptr, 0, nullptr);

    const COLORREF outline = colours.lines;
    NRGdiObject<HPEN> pen(CreatePen(PS_SOLID, ux, outline));
    NRBrushHandle brush(CreateSolidBrush(outline));
    NRSelection penSelection(dc, pen.Get());
    NRSelection brushSelection(dc, brush.Get());

    const bool vertical = m_orientation == Vertical;
    const NRScrollGeometry along =
        vertical ? ComputeScrollGeometry(top, bottom, context.ScaleY().Px(kArrowLength), m_size, m_position)
                 : ComputeScrollGeometry(left, right, context.ScaleX().Px(kArrowLength), m_size, m_position);
    if (vertical) {
        const int e = along.trackStart - uy, s = along.trackEnd + uy, middle = (left + right) / 2;
        Triangle(dc, {middle, top + u2}, {left + u2, e - u3}, {right - u3, e - u3});
        Triangle(dc, {middle, bottom - u3}, {left + u2, s + u2}, {right - u3, s + u2});
        if (m_hovered) {
            Outline(dc, left, top, right, e, ux, uy);
            Outline(dc, left, s, right, bottom, ux, uy);
        }
    } else {
        const int e = along.trackStart - ux, s = along.trackEnd + ux, middle = (top + bottom) / 2;
        Triangle(dc, {left + u2, middle}, {e - u3, top + u2}, {e - u3, bottom - u3});
        Triangle(dc, {right - u3, middle}, {s + u2, top + u2}, {s + u2, bottom - u3});
        if (m_hovered) {
            Outline(dc, left, top, e, bottom, ux, uy);
            Outline(dc, s, top, right, bottom, ux, uy);
        }
    }

    RECT thumb = vertical ? RECT{left + ux, along.thumbStart, right - ux, along.thumbEnd}
                          : RECT{along.thumbStart, top + uy, along.thumbEnd, bottom - uy};
    NRGdiObject<HPEN> thumbPen(CreatePen(PS_SOLID, ux, colours.thumbLine));
    NRSelection thumbPenSelection(dc, thumbPen.Get());
    if (thumb.right - thumb.left < 2 || thumb.bottom - thumb.top < 2) {
        MoveToEx(dc, thumb.left, thumb.top, nullptr);
        LineTo(dc, vertical ? thumb.right : thumb.left, vertical ? thumb.top : thumb.bottom);
        return;
    }
    const COLORREF start = colours.thumbTop, end = colours.thumbBottom;
    if (vertical)
        HorizontalGradient(context, thumb.left + ux, thumb.top + uy, thumb.right - ux, thumb.bottom - uy, start, end);
    else
        VerticalGradient(context, thumb.left + ux, thumb.top + uy, thumb.right - ux, thumb.bottom - uy, start, end);
    Outline(dc, thumb.left, thumb.top, thumb.right, thumb.bottom, ux, uy);
}
