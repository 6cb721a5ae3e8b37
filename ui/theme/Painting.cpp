#include "ui/theme/Painting.h"

#include <cctype>
#include <cstring>

#include "ui/theme/DrawContext.h"
#include "ui/theme/GdiObjects.h"

namespace {

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
    GradientFill(dc, vertices, 2, &rect, 1, mode);
}

void TextRun(HDC dc, const char* text, int length, COLORREF colour)
{
    if (length <= 0)
        return;
    SetTextColor(dc, colour);
    TextOutA(dc, 0, 0, text, length);  // at the current position, which the call moves on
}

}  // namespace

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
