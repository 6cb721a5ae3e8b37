#include "app/FrameGeometry.h"

namespace {

constexpr int kEdge = 5;     // the resize band along each edge
constexpr int kCorner = 10;  // how far a corner reaches along each edge
constexpr int kCaptionBottom = 25;
constexpr int kSystemMenuWidth = 20;
constexpr int kMaximizedOverhang = 5;
constexpr int kButtonTop = 8;
constexpr int kCloseRightGap = 8;
constexpr int kButtonGap = 3;

}  // namespace

int FrameHitTest(const RECT& window, POINT cursor)
{
    const LONG x = cursor.x, y = cursor.y;
    if (x <= window.left + kEdge)
        return y <= window.top + kCorner ? HTTOPLEFT : y >= window.bottom - kCorner ? HTBOTTOMLEFT : HTLEFT;
    if (x >= window.right - kEdge)
        return y <= window.top + kCorner ? HTTOPRIGHT : y >= window.bottom - kCorner ? HTBOTTOMRIGHT : HTRIGHT;
    if (y <= window.top + kEdge)
        return x <= window.left + kCorner ? HTTOPLEFT : x >= window.right - kCorner ? HTTOPRIGHT : HTTOP;
    if (y >= window.bottom - kEdge)
        return x <= window.left + kCorner ? HTBOTTOMLEFT : x >= window.right - kCorner ? HTBOTTOMRIGHT : HTBOTTOM;
    if (y <= window.top + kCaptionBottom)
        return x <= window.left + kSystemMenuWidth ? HTSYSMENU : HTCAPTION;
    return HTCLIENT;
}

void FillMaximizedMinMaxInfo(const RECT& monitor, const RECT& work, MINMAXINFO& info)
{
    const LONG width = work.right - work.left + 2 * kMaximizedOverhang;
    const LONG height = work.bottom - work.top + 2 * kMaximizedOverhang;
    info.ptMaxSize = POINT{width, height};
    info.ptMaxPosition =
        POINT{work.left - monitor.left - kMaximizedOverhang, work.top - monitor.top - kMaximizedOverhang};
    info.ptMinTrackSize = POINT{10, 10};
    info.ptMaxTrackSize = POINT{width, height};
}

CaptionButtonLayout LayoutCaptionButtons(int width, DWORD style, bool maximized, SIZE minimizeSize, SIZE maximizeSize,
                                         SIZE closeSize)
{
    CaptionButtonLayout layout = {};
    const int closeX = width - closeSize.cx - kCloseRightGap;
    layout.close = {true, closeX, kButtonTop};

    int x = closeX;
    if (style & WS_MAXIMIZEBOX) {
        x = closeX - maximizeSize.cx - kButtonGap;
        layout.maximize = {!maximized, x, kButtonTop};
        layout.restore = {maximized, x, kButtonTop};
    }
    if (style & WS_MINIMIZEBOX)
        layout.minimize = {true, x - minimizeSize.cx - kButtonGap, kButtonTop};
    return layout;
}
