#pragma once
#include <windows.h>

#include <vector>
// How many device pixels the toolkit's pixel sizes become: one rule for the screen at any DPI and for
// printers alike. The toolkit is laid out for 96 pixels per inch; a scale multiplies every size by
// dpi / 96, halves rounded away from zero, so at 96 nothing changes.

struct NRScale
{
    static constexpr int kBaseDpi = 96;

    int dpi = kBaseDpi;

    // A whole multiple of the base (a printer's integer factor).
    static constexpr NRScale Factor(int factor) { return NRScale{factor * kBaseDpi}; }

    // `pixels` as laid out at 96 DPI, in this scale's pixels.
    constexpr int Px(int pixels) const
    {
        const long long product = static_cast<long long>(pixels) * dpi;
        return static_cast<int>(product >= 0 ? (product + kBaseDpi / 2) / kBaseDpi
                                             : -((-product + kBaseDpi / 2) / kBaseDpi));
    }
    constexpr bool Unscaled() const { return dpi == kBaseDpi; }
    constexpr bool operator==(const NRScale& other) const { return dpi == other.dpi; }
    constexpr bool operator!=(const NRScale& other) const { return dpi != other.dpi; }
};

// The program's screen scale: the main window's, and that of every window without a scale of its own.
// Start-up sets it from the display before the first window; the main window, moved to a screen of
// another DPI, sets it again and lays itself out anew.
NRScale ScreenScale();
void SetScreenScale(NRScale scale);

// A top-level window with a scale of its own: a box takes the DPI of the screen it is on, which need
// not be the main window's. Its child windows draw with it too. Forget it when the window goes.
void SetWindowScale(HWND topLevel, NRScale scale);
void ForgetWindowScale(HWND topLevel);
// The scale `window` is laid out and drawn with: its top-level window's own, else the screen scale.
NRScale WindowScale(HWND window);
// The scales windows draw with now: the screen scale first, then those of windows of their own.
std::vector<NRScale> ScalesInUse();
