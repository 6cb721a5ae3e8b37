#include "ui/controls/CaptionGlyph.h"

#include "ui/theme/GdiObjects.h"

namespace {

constexpr int kSide = 12;

// Shapes are given in 96-DPI pixels. A line is placed by its near edge and keeps the scaled thickness
// of its 96-DPI width, so all lines of a glyph are equally thick whatever the rounding of its edges.
class GlyphPainter
{
public:
    GlyphPainter(HDC dc, int x, int y, const NRScale& scale, COLORREF ink, COLORREF paper)
        : m_dc(dc), m_x(x), m_y(y), m_scale(scale), m_ink(::CreateSolidBrush(ink)), m_paper(::CreateSolidBrush(paper))
    {
    }

    // A bar whose top-left corner is (left, top), `width` x `height`.
    void Fill(int left, int top, int width, int height) const
    {
        FillPixels(m_scale.Px(left), m_scale.Px(top), m_scale.Px(width), m_scale.Px(height), m_ink);
    }

    // Paper from (left, top) to (right, bottom), edges as a frame's.
    void Clear(int left, int top, int right, int bottom) const
    {
        const int l = m_scale.Px(left), t = m_scale.Px(top);
        FillPixels(l, t, m_scale.Px(right) - l, m_scale.Px(bottom) - t, m_paper);
    }

    // A frame inside (left, top) .. (right, bottom), its top line `topThickness` thick; the right and
    // bottom lines are placed by their far edges.
    void Frame(int left, int top, int right, int bottom, int topThickness) const
    {
        const int l = m_scale.Px(left), t = m_scale.Px(top), r = m_scale.Px(right), b = m_scale.Px(bottom);
        const int line = m_scale.Px(1);
        FillPixels(l, t, r - l, m_scale.Px(topThickness), m_ink);
        FillPixels(l, b - line, r - l, line, m_ink);
        FillPixels(l, t, line, b - t, m_ink);
        FillPixels(r - line, t, line, b - t, m_ink);
    }

    // Both diagonals of the glyph between `from` and `to`: squares one line thick, one per pixel step.
    void Cross(int from, int to) const
    {
        const int side = CaptionGlyphSide(m_scale), line = m_scale.Px(1);
        const int start = m_scale.Px(from), end = m_scale.Px(to);
        for (int step = 0; step <= end - start - line; ++step) {
            FillPixels(start + step, start + step, line, line, m_ink);
            FillPixels(side - (start + step) - line, start + step, line, line, m_ink);
        }
    }

private:
    void FillPixels(int left, int top, int width, int height, const NRBrushHandle& brush) const
    {
        const RECT rect = {m_x + left, m_y + top, m_x + left + width, m_y + top + height};
        FillRect(m_dc, &rect, brush.Get());
    }

    HDC m_dc;
    int m_x, m_y;
    NRScale m_scale;
    NRBrushHandle m_ink;
    NRBrushHandle m_paper;
};

}  // namespace

int CaptionGlyphSide(const NRScale& scale) { return scale.Px(kSide); }

void DrawCaptionGlyph(HDC dc, NRCaptionGlyph glyph, int x, int y, const NRScale& scale, COLORREF ink, COLORREF paper)
{
    const GlyphPainter paint(dc, x, y, scale, ink, paper);
    switch (glyph) {
    case NRCaptionGlyph::Minimize:
        paint.Fill(2, 8, 8, 2);
        break;
    case NRCaptionGlyph::Maximize:
        paint.Frame(1, 1, 11, 11, 2);
        break;
    case NRCaptionGlyph::Restore:
        // The window behind, then the one in front over it.
        paint.Frame(4, 1, 11, 8, 2);
        paint.Clear(1, 4, 8, 11);
        paint.Frame(1, 4, 8, 11, 2);
        break;
    case NRCaptionGlyph::Close:
        paint.Cross(2, 10);
        break;
    case NRCaptionGlyph::None:
        break;
    }
}
