#pragma once
// The drop shadow's image, computed without any window: the owner's outline row by row, shrunk by
// the soft edge's width, drawn with a round kernel at its edge and solid inside, and cut out wherever
// it lies over the owner. Pixels are premultiplied 0xAARRGGBB, rows from the top.
#include <windows.h>

#include <cstdint>
#include <vector>

// One row of a shape: the pixels [start, end); empty when start >= end.
struct NRSpan
{
    int start;
    int end;
    bool Empty() const { return start >= end; }
};

struct NRShadowStyle
{
    int darkness = 150;  // opacity of the solid part, 0..255
    int sharpness = 5;   // width of the soft edge
    int size = 0;        // how far the shadow reaches beyond the owner on every side, -20..20
    int xOffset = 5;
    int yOffset = 5;
    COLORREF colour = RGB(0, 0, 0);
};

// The rows of a w x h rectangle.
std::vector<NRSpan> RectangleSpans(int width, int height);
// The rows of a region within a w x h rectangle: from the first point inside to the last; a row with
// no point inside is empty.
std::vector<NRSpan> RegionSpans(HRGN region, int width, int height);

// The soft edge's kernel: (2E + 1) x (2E + 1) cells, E = max(sharpness, size).
std::vector<std::uint32_t> ShadowKernel(const NRShadowStyle& style);
int ShadowKernelRadius(const NRShadowStyle& style);

// Draws the shadow of an owner whose rows are `ownerRows` (one per row, ownerWidth wide) into
// `pixels`, a zeroed image of (owner width + 2 x size) x (owner height + 2 x size).
void MakeShadowImage(const std::vector<NRSpan>& ownerRows, int ownerWidth, const NRShadowStyle& style,
                     std::uint32_t* pixels);
