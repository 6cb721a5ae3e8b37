#include "ui/theme/Painting.h"

#include <algorithm>
#include <cctype>
#include <cstring>

#include "platform/SystemLibrary.h"
#include "ui/theme/DrawContext.h"
#include "ui/theme/FocusBorder.h"
#include "ui/theme/GdiObjects.h"

namespace {

// msimg32's two drawing functions, bound once from the system folder and held until the process
// ends: they are wanted on every paint.
class ImagingFunctions
{
public:
    typedef BOOL(WINAPI* GradientFillFn)(HDC, PTRIVERTEX, ULONG, PVOID, ULONG, ULONG);
    typedef BOOL(WINAPI* TransparentBltFn)(HDC, int, int, int, int, HDC, int, int, int, int, UINT);

    static const ImagingFunctions& Get()
    {
        static const ImagingFunctions functions;
        return functions;
    }

private:
    ImagingFunctions() = default;
    NRSystemLibrary m_library{"msimg32.dll"};

public:
    const GradientFillFn gradientFill = m_library.Find<GradientFillFn>("GradientFill");
    const TransparentBltFn transparentBlt = m_library.Find<TransparentBltFn>("TransparentBlt");
};

TRIVERTEX Vertex(int x, int y, COLORREF colour)
{
    TRIVERTEX vertex = {};
    vertex.x = x;
    vertex.y = y;
    vertex.Red = static_cast<COLOR16>(GetRValue(colour) << 8);
    vertex.Green = static_cast<COLOR16>(GetGValue(colour) << 8);
    vertex.Blue = static_cast<COLOR16>(GetBValue(colour) << 8);
    vertex.Alpha = 0xFF00;
    return vertex;
}

void Gradient(HDC dc, int left, int top, int right, int bottom, COLORREF first, COLORREF second, ULONG mode)
{
    TRIVERTEX vertices[2] = {Vertex(left, top, first), Vertex(right, bottom, second)};
    GRADIENT_RECT rect = {0, 1};
    const auto gradientFill = ImagingFunctions::Get().gradientFill;
    // One colour at both ends (High Contrast's system colours) is a plain fill, with no dithering.
    if (first != second && gradientFill && gradientFill(dc, vertices, 2, &rect, 1, mode))
        return;
    // Without msimg32 the area still gets its colour, the first of the two.
    const RECT area = {left, top, right, bottom};
    const NRBrushHandle brush(CreateSolidBrush(first));
    FillRect(dc, &area, brush.Get());
}

void TextRun(HDC dc, const char* text, int length, COLORREF colour)
{
    if (length <= 0)
        return;
    SetTextColor(dc, colour);
    TextOutA(dc, 0, 0, text, length);  // at the current position, which the call moves on
}

}  // namespace

bool TransparentBlit(HDC target, int x, int y, int width, int height, HDC source, int sourceX, int sourceY,
                     int sourceWidth, int sourceHeight, COLORREF transparent)
{
    const auto transparentBlt = ImagingFunctions::Get().transparentBlt;
    return transparentBlt && transparentBlt(target, x, y, width, height, source, sourceX, sourceY, sourceWidth,
                                            sourceHeight, transparent);
}

void FrameScaled(const NRDrawContext& context, const RECT& rect, HBRUSH brush)
{
    const int width = rect.right - rect.left, height = rect.bottom - rect.top;
    if (width <= 0 || height <= 0 || !brush)
        return;
    // No thicker than half the rectangle, so the bands never cross.
    const int x = std::max(1, std::min(context.ScaleX().Px(1), (width + 1) / 2));
    const int y = std::max(1, std::min(context.ScaleY().Px(1), (height + 1) / 2));
    const RECT bands[] = {
        {rect.left, rect.top, rect.right, rect.top + y},
        {rect.left, rect.bottom - y, rect.right, rect.bottom},
        {rect.left, rect.top + y, rect.left + x, rect.bottom - y},
        {rect.right - x, rect.top + y, rect.right, rect.bottom - y},
    };
    for (const RECT& band : bands)
        ::FillRect(context.Dc(), &band, brush);
}

void FocusMark(const NRDrawContext& context, const RECT& rect, COLORREF colour)
{
    const int dotX = std::max(1, context.ScaleX().Px(1)), dotY = std::max(1, context.ScaleY().Px(1));
    // The edges as thick as the user set the system's focus rectangle, scaled as the dots are.
    const SIZE border = FocusBorder();
    const int sideWidth = std::max(1, context.ScaleX().Px(border.cx));
    const int edgeHeight = std::max(1, context.ScaleY().Px(border.cy));
    const RECT mark = {rect.left + 2 * dotX, rect.top + 2 * dotY, rect.right - 2 * dotX, rect.bottom - 2 * dotY};
    if (mark.right - mark.left < 2 * sideWidth || mark.bottom - mark.top < 2 * edgeHeight)
        return;
    NRBrushHandle brush(::CreateSolidBrush(colour));
    // One dot, one gap, along each edge, as the system's focus rectangle is dotted.
    for (int x = mark.left; x < mark.right; x += 2 * dotX) {
        const RECT top = {x, mark.top, std::min<int>(x + dotX, mark.right), mark.top + edgeHeight};
        const RECT bottom = {x, mark.bottom - edgeHeight, std::min<int>(x + dotX, mark.right), mark.bottom};
        ::FillRect(context.Dc(), &top, brush.Get());
        ::FillRect(context.Dc(), &bottom, brush.Get());
    }
    for (int y = mark.top; y < mark.bottom; y += 2 * dotY) {
        const RECT left = {mark.left, y, mark.left + sideWidth, std::min<int>(y + dotY, mark.bottom)};
        const RECT right = {mark.right - sideWidth, y, mark.right, std::min<int>(y + dotY, mark.bottom)};
        ::FillRect(context.Dc(), &left, brush.Get());
        ::FillRect(context.Dc(), &right, brush.Get());
    }
}

void VerticalGradient(const NRDrawContext& context, int left, int top, int right, int bottom, COLORREF topColour,
                      COLORREF bottomColour)
{
    Gradient(context.Dc(), left, top, right, bottom, topColour, bottomColour, GRADIENT_FILL_RECT_V);
}

void HorizontalGradient(const NRDrawContext& context, int left, int top, int right, int bottom, COLORREF leftColour,
                        COLORREF rightColour)
{
    Gradient(context.Dc(), left, top, right, bottom, leftColour, rightColour, GRADIENT_FILL_RECT_H);
}

int AcceleratorPosition(const char* text, char accelerator)
{
    if (accelerator == 0 || accelerator == ' ')
        return -1;
    const char* found = std::strchr(text, accelerator);
    if (!found)
        found = std::strchr(text, std::tolower(static_cast<unsigned char>(accelerator)));
    return found ? static_cast<int>(found - text) : -1;
}

void CaptionText(const NRDrawContext& context, int x, int y, const char* text, char accelerator, COLORREF textColour,
                 COLORREF acceleratorColour)
{
    HDC dc = context.Dc();
    const int length = static_cast<int>(std::strlen(text));
    const UINT previousAlign = GetTextAlign(dc);
    if (previousAlign & TA_RIGHT) {
        SIZE extent = {};
        GetTextExtentPoint32A(dc, text, length, &extent);
        x -= extent.cx;
    }
    SetTextAlign(dc, (previousAlign & ~(TA_RIGHT | TA_CENTER)) | TA_LEFT | TA_UPDATECP);
    POINT previousPosition = {};
    MoveToEx(dc, x, y, &previousPosition);

    const int acceleratorAt = AcceleratorPosition(text, accelerator);
    if (acceleratorAt < 0) {
        TextRun(dc, text, length, textColour);
    } else {
        TextRun(dc, text, acceleratorAt, textColour);
        NRFontHandle underlined(context.Fonts().CreateUnderlinedNormal());
        {
            NRSelection selection(dc, underlined.Get());
            TextRun(dc, text + acceleratorAt, 1, acceleratorColour);
        }
        TextRun(dc, text + acceleratorAt + 1, length - acceleratorAt - 1, textColour);
    }

    MoveToEx(dc, previousPosition.x, previousPosition.y, nullptr);
    SetTextAlign(dc, previousAlign);
}
