#pragma once
// The glyphs of a window's caption buttons (minimize, maximize, restore, close), drawn at any scale:
// white shapes on black, as a bitmap button shows them. Their lines keep one scaled thickness, so
// they stay sharp at every DPI; at 96 DPI they are the 12 x 12 pixels of the window's bitmaps.
#include <windows.h>

#include "ui/theme/Scale.h"

enum class NRCaptionGlyph
{
    None,
    Minimize,
    Maximize,
    Restore,
    Close,
};

// The side of the square glyph: 12 pixels, scaled.
int CaptionGlyphSide(const NRScale& scale);

// Draws `glyph` in `ink` into the square at (x, y) of `dc`, which the caller has filled with `paper`
// (High Contrast gives a button's system colours; otherwise white on black).
void DrawCaptionGlyph(HDC dc, NRCaptionGlyph glyph, int x, int y, const NRScale& scale,
                      COLORREF ink = RGB(255, 255, 255), COLORREF paper = RGB(0, 0, 0));
