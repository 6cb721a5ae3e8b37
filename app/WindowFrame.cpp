#include "app/WindowFrame.h"

#include <algorithm>

#include "app/WindowMark.h"
#include "ui/theme/DrawContext.h"
#include "ui/theme/FaceColours.h"
#include "ui/theme/GdiObjects.h"
#include "ui/theme/HighContrast.h"
#include "ui/theme/Painting.h"
#include "ui/theme/TextSize.h"

namespace {

constexpr int kCaptionInset = 5;
constexpr int kCaptionHeight = 20;
constexpr int kMarkOffset = 2;
constexpr int kTitleLeft = 20;
constexpr int kTitleTop = 2;
constexpr size_t kMaxTitleLength = 260;

struct FrameColours
{
    int frame, bodyTop, bodyBottom, captionLeft, captionRight, captionFrame, title;
};
constexpr FrameColours kActive = {15, 13, 14, 16, 13, 18, 0};
constexpr FrameColours kInactive = {12, 10, 11, 20, 21, 22, 1};

struct FrameShades
{
    COLORREF frame, bodyTop, bodyBottom, captionLeft, captionRight, captionFrame, title;
};

FrameShades PaletteShades(const NRDrawContext& context, bool active)
{
    const FrameColours& c = active ? kActive : kInactive;
    return FrameShades{context.Colour(c.frame),       context.Colour(c.bodyTop),      context.Colour(c.bodyBottom),
                       context.Colour(c.captionLeft), context.Colour(c.captionRight), context.Colour(c.captionFrame),
                       context.Colour(c.title)};
}

FrameShades ContrastShades(bool active)
{
    const NRSystemFace body = ChooseSystemFace({true, active, false, false, false, false}, NRFacePlace::Window);
    const NRSystemFace caption = CaptionSystemFace(active);
    const COLORREF fill = GetSysColor(body.fill), band = GetSysColor(caption.fill);
    return FrameShades{GetSysColor(body.frame),  fill, fill, band, band, GetSysColor(caption.frame),
                       GetSysColor(caption.text)};
}

void FrameWith(const NRDrawContext& context, const RECT& rect, COLORREF colour)
{
    NRBrushHandle brush(::CreateSolidBrush(colour));
    if (brush)
        FrameScaled(context, rect, brush.Get());
}

void DrawMark(HDC dc, HBITMAP mark, int x, int y)
{
    NRMemoryDC source(dc);
    BITMAP info = {};
    if (!mark || !source.Get() || !GetObjectA(mark, sizeof(info), &info))
        return;
    NRSelection selected(source.Get(), mark);
    TransparentBlit(dc, x, y, info.bmWidth, info.bmHeight, source.Get(), 0, 0, info.bmWidth, info.bmHeight,
                    kWindowMarkTransparent);
}

}  // namespace

RECT CaptionRect(const RECT& client, const NRScale& scale, int textHeight)
{
    const int inset = scale.Px(kCaptionInset);
    return RECT{client.left + inset, client.top + inset, client.right - inset,
                client.top + inset + scale.Px(kCaptionHeight + std::max(0, textHeight - kUsualTextHeight))};
}

void PaintWindowFrame(const NRDrawContext& context, const RECT& client, bool active, HBITMAP mark,
                      const std::string& title)
{
    const bool contrast = HighContrastOn();
    const FrameShades colours = contrast ? ContrastShades(active) : PaletteShades(context, active);
    const HDC dc = context.Dc();
    const NRScale& scale = context.ScaleY();
    const RECT caption = CaptionRect(client, scale, TextBaseHeight());
    {
        // Frame and body around the caption, which is drawn over next.
        NRSavedDC saved(dc);
        ::ExcludeClipRect(dc, caption.left, caption.top, caption.right, caption.bottom);
        FrameWith(context, client, colours.frame);
        // The body starts inside the frame, however many pixels the scale makes its one pixel.
        const int x = context.ScaleX().Px(1), y = context.ScaleY().Px(1);
        VerticalGradient(context, client.left + x, client.top + y, client.right - x, client.bottom - y, colours.bodyTop,
                         colours.bodyBottom);
    }
    HorizontalGradient(context, caption.left, caption.top, caption.right, caption.bottom, colours.captionLeft,
                       colours.captionRight);
    FrameWith(context, caption, colours.captionFrame);
    const int markX = caption.left + scale.Px(kMarkOffset), markY = caption.top + scale.Px(kMarkOffset);
    if (contrast) {
        NRSavedDC saved(dc);
        DrawWindowMark(dc, markX, markY, scale, {colours.title, colours.captionLeft, colours.captionLeft});
    } else {
        DrawMark(dc, mark, markX, markY);
    }

    NRSavedDC saved(dc);
    if (context.Fonts().Normal().handle)
        ::SelectObject(dc, context.Fonts().Normal().handle);
    ::SetBkMode(dc, TRANSPARENT);
    ::SetTextColor(dc, colours.title);
    ::SetTextAlign(dc, TA_LEFT | TA_TOP | TA_NOUPDATECP);
    ::TextOutA(dc, caption.left + scale.Px(kTitleLeft), caption.top + scale.Px(kTitleTop), title.c_str(),
               static_cast<int>(std::min(title.size(), kMaxTitleLength)));
}
