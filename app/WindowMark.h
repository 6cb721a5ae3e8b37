#pragma once
// The application mark in the window's caption, drawn at any scale: a rounded blue badge with three
// linked network nodes (the ethernet drivers) on magenta, which the caption treats as transparent. At
// 96 DPI it is the 16 x 16 pixels of the window's bitmap; larger, it is drawn afresh, never stretched.
#include <windows.h>

#include "ui/theme/Scale.h"

constexpr COLORREF kWindowMarkTransparent = RGB(255, 0, 255);

// The mark's colours: the badge, the links between the nodes, and the nodes.
struct NRWindowMarkColours
{
    COLORREF badge, link, node;
};
constexpr NRWindowMarkColours kWindowMarkColours = {RGB(0x41, 0x5F, 0x99), RGB(0xC0, 0xDB, 0xFF), RGB(255, 255, 255)};

// The side of the square mark: 16 pixels, scaled.
int WindowMarkSide(const NRScale& scale);

// Draws the mark into the square at (x, y) of `dc` in `colours`, leaving its cut corners as they are
// (High Contrast draws it so, in the caption's colours).
void DrawWindowMark(HDC dc, int x, int y, const NRScale& scale, const NRWindowMarkColours& colours);

// A bitmap compatible with `dc` holding the mark at `scale`; null when it cannot be made. The caller
// deletes it.
HBITMAP CreateWindowMark(HDC dc, const NRScale& scale);
