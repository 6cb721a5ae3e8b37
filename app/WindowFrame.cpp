#include "app/WindowFrame.h"

#include <algorithm>

#include "ui/theme/DrawContext.h"
#include "ui/theme/GdiObjects.h"
#include "ui/theme/Painting.h"

namespace {

constexpr int kCaptionInset = 5;
constexpr int kCaptionHeight = 20;
constexpr int kMarkSize = 16;
constexpr int kMarkOffset = 2;
constexpr int kTitleLeft = 20;
constexpr int kTitleTop = 2;
constexpr size_t kMaxTitleLength = 260;
constexpr COLORREF kTransparent = RGB(255, 0, 255);

struct FrameColours
{
    int frame, bodyTop, bodyBottom, captionLeft, captionRight, captionFrame, title;
};
constexpr FrameColours kActive = {15, 13, 14, 16, 13, 18, 0};
constexpr FrameColours kInactive = {12, 10, 11, 20, 21, 22, 1};

void FrameWith(const NRDrawContext& context, const RECT& rect, COLORREF colour)
{
    NRBrushHandle brush(::CreateSolidBrush(colour));
    if (brush)
        ::FrameRect(context.Dc(), &rect, brush.Get());
}

void DrawMark(HDC dc, HBITMAP mark, int x, int y)
{
    NRMemoryDC source(dc);
    if (!mark || !source.Get())
        return;
    NRSelection selected(source.Get(), mark);
    TransparentBlit(dc, x, y, kMarkSize, kMarkSize, source.Get(), 0, 0, kMarkSize, kMarkSize, kTransparent);
}

}  // namespace

RECT CaptionRect(const RECT& client)
{
    return RECT{client.left + kCaptionInset, client.top + kCaptionInset, client.right - kCaptionInset,
                client.top + kCaptionInset + kCaptionHeight};
}

void PaintWindowFrame(const NRDrawContext& context, const RECT& client, bool active, HBITMAP mark,
                      const std::string& title)
{
    const FrameColours& colours = active ? kActive : kInactive;
    const HDC dc = context.Dc();
    const RECT caption = CaptionRect(client);
    {
        // Frame and body around the caption, which is drawn over next.
        NRSavedDC saved(dc);
        ::ExcludeClipRect(dc, caption.left, caption.top, caption.right, caption.bottom);
        FrameWith(context, client, context.Colour(colours.frame));
        VerticalGradient(context, client.left + 1, client.top + 1, client.right - 1, client.bottom - 1,
                         context.Colour(colours.bodyTop), context.Colour(colours.bodyBottom));
    }
    HorizontalGradient(context, caption.left, caption.top, caption.right, caption.bottom,
                       context.Colour(colours.captionLeft), context.Colour(colours.captionRight));
    FrameWith(context, caption, context.Colour(colours.captionFrame));
    DrawMark(dc, mark, caption.left + kMarkOffset, caption.top + kMarkOffset);

    NRSavedDC saved(dc);
    if (context.Fonts().Normal().handle)
        ::SelectObject(dc, context.Fonts().Normal().handle);
    ::SetBkMode(dc, TRANSPARENT);
    ::SetTextColor(dc, context.Colour(colours.title));
    ::SetTextAlign(dc, TA_LEFT | TA_TOP | TA_NOUPDATECP);
    ::TextOutA(dc, caption.left + kTitleLeft, caption.top + kTitleTop, title.c_str(),
               static_cast<int>(std::min(title.size(), kMaxTitleLength)));
}
