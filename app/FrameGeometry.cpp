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
constexpr int kUsualText = 14;

}  // namespace

int FrameHitTest(const RECT& window, POINT cursor, const NRScale& scale, int textHeight)
{
    const LONG x = cursor.x, y = cursor.y;
    const int captionBottom = scale.Px(kCaptionBottom + (textHeight > kUsualText ? textHeight - kUsualText : 0));
    const int edge = scale.Px(kEdge), corner = scale.Px(kCorner), systemMenuWidth = scale.Px(kSystemMenuWidth);
    if (x <= window.left + edge)
        return y <= window.top + corner ? HTTOPLEFT : y >= window.bottom - corner ? HTBOTTOMLEFT : HTLEFT;
    if (x >= window.right - edge)
        return y <= window.top + corner ? HTTOPRIGHT : y >= window.bottom - corner ? HTBOTTOMRIGHT : HTRIGHT;
    if (y <= window.top + edge)
        return x <= window.left + corner ? HTTOPLEFT : x >= window.right - corner ? HTTOPRIGHT : HTTOP;
    if (y >= window.bottom - edge)
        return x <= window.left + corner ? HTBOTTOMLEFT : x >= window.right - corner ? HTBOTTOMRIGHT : HTBOTTOM;
    if (y <= window.top + captionBottom)
        return x <= window.left + systemMenuWidth ? HTSYSMENU : HTCAPTION;
    return HTCLIENT;
}

void FillMaximizedMinMaxInfo(const RECT& monitor, const RECT& work, MINMAXINFO& info, const NRScale& scale)
{
    const int overhang = scale.Px(kMaximizedOverhang);
    const LONG width = work.right - work.left + 2 * overhang;
    const LONG height = work.bottom - work.top + 2 * overhang;
    info.ptMaxSize = POINT{width, height};
    info.ptMaxPosition = POINT{work.left - monitor.left - overhang, work.top - monitor.top - overhang};
    info.ptMinTrackSize = POINT{scale.Px(10), scale.Px(10)};
    info.ptMaxTrackSize = POINT{width, height};
}

CaptionButtonLayout LayoutCaptionButtons(int width, DWORD style, bool maximized, SIZE minimizeSize, SIZE maximizeSize,
                                         SIZE closeSize, const NRScale& scale)
{
    const int top = scale.Px(kButtonTop), closeRightGap = scale.Px(kCloseRightGap), gap = scale.Px(kButtonGap);
    CaptionButtonLayout layout = {};
    const int closeX = width - closeSize.cx - closeRightGap;
    layout.close = {true, closeX, top};

    int x = closeX;
    if (style & WS_MAXIMIZEBOX) {
        x = closeX - maximizeSize.cx - gap;
        layout.maximize = {!maximized, x, top};
        layout.restore = {maximized, x, top};
    }
    if (style & WS_MINIMIZEBOX)
        layout.minimize = {true, x - minimizeSize.cx - gap, top};
    return layout;
}
