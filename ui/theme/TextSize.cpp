#include "ui/theme/TextSize.h"

#include <windows.h>

#include "ui/theme/GdiObjects.h"

namespace {

constexpr int kBaseHeight = 14;
constexpr int kBaseLetters = 12;
constexpr int kBaseDpi = 96;

int g_baseHeight = 0;  // 0 until first read
int g_lettersForTesting = 0;

// The letter height of the system's message font and the DPI it is given in; false when the
// system does not say.
bool ReadMessageFontLetters(int& letters, int& dpi)
{
    if (g_lettersForTesting > 0) {
        letters = g_lettersForTesting;
        dpi = kBaseDpi;
        return true;
    }
    // Built for XP, the structure ends before Vista's iPaddedBorderWidth: every version accepts it.
    NONCLIENTMETRICSA metrics = {};
    metrics.cbSize = sizeof(metrics);
    if (!SystemParametersInfoA(SPI_GETNONCLIENTMETRICS, metrics.cbSize, &metrics, 0))
        return false;
    NRWindowDC screen(nullptr, NRWindowDC::WholeWindow);
    NRFontHandle font(CreateFontIndirectA(&metrics.lfMessageFont));
    if (!screen.Get() || !font.Get())
        return false;
    TEXTMETRICA text = {};
    {
        NRSelection selection(screen.Get(), font.Get());
        if (!GetTextMetricsA(screen.Get(), &text))
            return false;
    }
    letters = text.tmHeight - text.tmInternalLeading;
    // The font's height is in the screen's logical pixels: the system DPI.
    dpi = GetDeviceCaps(screen.Get(), LOGPIXELSY);
    return true;
}

int ReadBaseHeight()
{
    int letters = 0, dpi = 0;
    return ReadMessageFontLetters(letters, dpi) ? TextBaseHeightFor(letters, dpi) : kBaseHeight;
}

}  // namespace

int TextBaseHeightFor(int letterPixels, int fontDpi)
{
    if (letterPixels <= 0 || fontDpi <= 0)
        return kBaseHeight;
    const int lettersAt96 = MulDiv(letterPixels, kBaseDpi, fontDpi);
    if (lettersAt96 <= kBaseLetters)
        return kBaseHeight;
    // A font of several hundred points is no text size anyone reads a box in.
    const int grown = MulDiv(kBaseHeight, lettersAt96, kBaseLetters);
    return grown < 8 * kBaseHeight ? grown : 8 * kBaseHeight;
}

int TextBaseHeight()
{
    if (!g_baseHeight)
        g_baseHeight = ReadBaseHeight();
    return g_baseHeight;
}

bool RefreshTextSize()
{
    const int before = TextBaseHeight();
    g_baseHeight = ReadBaseHeight();
    return g_baseHeight != before;
}

void SetMessageFontLettersForTesting(int letterPixelsAt96) { g_lettersForTesting = letterPixelsAt96; }
