#include "app/WindowMark.h"

#include <algorithm>
#include <cstdlib>

#include "ui/theme/GdiObjects.h"

namespace {

constexpr int kSide = 16;
constexpr int kNodeSide = 3;
// Top-left corners of the nodes, in 96-DPI pixels.
constexpr POINT kNodes[3] = {{7, 2}, {2, 11}, {12, 11}};

void Fill(HDC dc, int left, int top, int right, int bottom, COLORREF colour)
{
    const RECT rect = {left, top, right, bottom};
    SetBkColor(dc, colour);
    ExtTextOutA(dc, 0, 0, ETO_OPAQUE, &rect, nullptr, 0, nullptr);
}

// numerator / denominator, halves away from zero (denominator > 0).
int RoundedQuotient(int numerator, int denominator)
{
    const int magnitude = (2 * std::abs(numerator) + denominator) / (2 * denominator);
    return numerator < 0 ? -magnitude : magnitude;
}

// A link one line thick between two points: one square per pixel step along the longer axis.
void Link(HDC dc, POINT from, POINT to, int line, COLORREF colour)
{
    const int dx = to.x - from.x, dy = to.y - from.y;
    const int steps = std::max(std::abs(dx), std::abs(dy));
    for (int step = 0; step <= steps; ++step) {
        const int x = from.x + (steps ? RoundedQuotient(dx * step, steps) : 0);
        const int y = from.y + (steps ? RoundedQuotient(dy * step, steps) : 0);
        Fill(dc, x, y, x + line, y + line, colour);
    }
}

}  // namespace

int WindowMarkSide(const NRScale& scale) { return scale.Px(kSide); }

void DrawWindowMark(HDC dc, int x, int y, const NRScale& scale, const NRWindowMarkColours& colours)
{
    const int side = WindowMarkSide(scale), line = scale.Px(1), node = scale.Px(kNodeSide);
    // The badge: a square with its corners cut by one line.
    Fill(dc, x + line, y, x + side - line, y + side, colours.badge);
    Fill(dc, x, y + line, x + side, y + side - line, colours.badge);
    // Links from node centre to node centre, under the nodes.
    POINT centres[3];
    for (int i = 0; i < 3; ++i)
        centres[i] =
            POINT{x + scale.Px(kNodes[i].x) + (node - line) / 2, y + scale.Px(kNodes[i].y) + (node - line) / 2};
    Link(dc, centres[0], centres[1], line, colours.link);
    Link(dc, centres[0], centres[2], line, colours.link);
    Link(dc, centres[1], centres[2], line, colours.link);
    for (const POINT& corner : kNodes) {
        const int left = x + scale.Px(corner.x), top = y + scale.Px(corner.y);
        Fill(dc, left, top, left + node, top + node, colours.node);
    }
}

HBITMAP CreateWindowMark(HDC dc, const NRScale& scale)
{
    const int side = WindowMarkSide(scale);
    NRBitmapHandle bitmap(CreateCompatibleBitmap(dc, side, side));
    NRMemoryDC memory(dc);
    if (!bitmap || !memory.Get())
        return nullptr;
    {
        NRSelection selection(memory.Get(), bitmap.Get());
        Fill(memory.Get(), 0, 0, side, side, kWindowMarkTransparent);
        DrawWindowMark(memory.Get(), 0, 0, scale, kWindowMarkColours);
    }
    return bitmap.Release();
}
