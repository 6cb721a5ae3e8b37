#include "ui/dialogs/ShadowImage.h"

#include <algorithm>
#include <cmath>

namespace {

std::uint32_t Premultiplied(int alpha, COLORREF colour)
{
    const auto channel = [&](int value) { return static_cast<std::uint32_t>(alpha * value / 255); };
    return (static_cast<std::uint32_t>(alpha) << 24) | (channel(GetRValue(colour)) << 16) |
           (channel(GetGValue(colour)) << 8) | channel(GetBValue(colour));
}

}  // namespace

std::vector<NRSpan> RectangleSpans(int width, int height)
{
    return std::vector<NRSpan>(static_cast<std::size_t>(std::max(0, height)), NRSpan{0, width});
}

std::vector<NRSpan> RegionSpans(HRGN region, int width, int height)
{
    std::vector<NRSpan> rows(static_cast<std::size_t>(std::max(0, height)), NRSpan{width, 0});
    const DWORD bytes = GetRegionData(region, 0, nullptr);
    std::vector<BYTE> data(bytes);
    if (!bytes || !GetRegionData(region, bytes, reinterpret_cast<RGNDATA*>(data.data())))
        return rows;
    const auto* header = reinterpret_cast<const RGNDATA*>(data.data());
    const auto* rects = reinterpret_cast<const RECT*>(header->Buffer);
    for (DWORD i = 0; i < header->rdh.nCount; ++i) {
        const RECT& rect = rects[i];
        for (LONG y = std::max(0L, rect.top); y < std::min<LONG>(height, rect.bottom); ++y) {
            NRSpan& row = rows[static_cast<std::size_t>(y)];
            row.start = std::min<int>(row.start, std::max(0L, rect.left));
            row.end = std::max<int>(row.end, std::min<LONG>(width, rect.right));
        }
    }
    return rows;
}

int ShadowKernelRadius(const NRShadowStyle& style) { return std::max(style.sharpness, style.size); }

std::vector<std::uint32_t> ShadowKernel(const NRShadowStyle& style)
{
    const int radius = ShadowKernelRadius(style);
    const int side = 2 * radius + 1;
    const int solidRadius = std::max(0, style.size - style.sharpness);
    std::vector<std::uint32_t> kernel(static_cast<std::size_t>(side * side), 0);
    for (int dy = -radius; dy <= radius; ++dy) {
        for (int dx = -radius; dx <= radius; ++dx) {
            const double r = std::sqrt(static_cast<double>(dx * dx + dy * dy));
            int alpha = 0;
            if (r < solidRadius)
                alpha = style.darkness;
            else if (r <= radius)
                // Rounded, not truncated: a truncation lands on either side of a whole value (25, 100)
                // as the x87 unit of the 32-bit program, SSE2 or an emulator carry its last bit.
                alpha = static_cast<int>(std::lround((1.0 - (r - solidRadius) / (style.sharpness + 1)) * style.darkness));
            if (alpha > 0)
                kernel[static_cast<std::size_t>((dy + radius) * side + dx + radius)] =
                    Premultiplied(alpha, style.colour);
        }
    }
    return kernel;
}

void MakeShadowImage(const std::vector<NRSpan>& ownerRows, int ownerWidth, const NRShadowStyle& style,
                     std::uint32_t* pixels)
{
    const int size = style.size;
    const int ownerHeight = static_cast<int>(ownerRows.size());
    const int width = ownerWidth + 2 * size, height = ownerHeight + 2 * size;
    if (width <= 0 || height <= 0)
        return;
    const NRSpan empty = {width + 1, -1};

    // The owner's rows in shadow coordinates, with an empty guard row above and below.
    std::vector<NRSpan> rows(static_cast<std::size_t>(height + 2), empty);
    for (int y = 0; y < ownerHeight; ++y) {
        const NRSpan& owner = ownerRows[static_cast<std::size_t>(y)];
        const int row = size + y;
        if (!owner.Empty() && row >= 0 && row < height)
            rows[static_cast<std::size_t>(row + 1)] = NRSpan{owner.start + size, owner.end + size};
    }
    // Shrink by one pixel on every side per round, leaving room for the soft edge.
    for (int round = 0; round < style.sharpness - size; ++round) {
        std::vector<NRSpan> eroded(rows.size(), empty);
        for (std::size_t i = 1; i + 1 < rows.size(); ++i) {
            eroded[i].start = std::max({rows[i - 1].start, rows[i].start, rows[i + 1].start}) + 1;
            eroded[i].end = std::min({rows[i - 1].end, rows[i].end, rows[i + 1].end}) - 1;
            if (eroded[i].Empty())
                eroded[i] = empty;
        }
        rows.swap(eroded);
    }

    // The soft edge: the kernel laid on every pixel of each row's edge band; the higher alpha wins.
    const std::vector<std::uint32_t> kernel = ShadowKernel(style);
    const int radius = ShadowKernelRadius(style), side = 2 * radius + 1;
    const auto stamp = [&](int cx, int cy) {
        for (int dy = -radius; dy <= radius; ++dy) {
            const int y = cy + dy;
            if (y < 0 || y >= height)
                continue;
            const std::uint32_t* kernelRow = &kernel[static_cast<std::size_t>((dy + radius) * side)];
            std::uint32_t* row = pixels + static_cast<std::size_t>(y) * width;
            const int from = std::max(0, cx - radius), to = std::min(width - 1, cx + radius);
            for (int x = from; x <= to; ++x)
                row[x] = std::max(row[x], kernelRow[x - cx + radius]);
        }
    };
    for (int y = 0; y < height; ++y) {
        const NRSpan& span = rows[static_cast<std::size_t>(y + 1)];
        if (span.Empty())
            continue;
        const NRSpan& above = rows[static_cast<std::size_t>(y)];
        const NRSpan& below = rows[static_cast<std::size_t>(y + 2)];
        const int leftBandEnd = std::min(span.end, std::max(above.start, below.start) + 1);
        const int rightBandStart = std::max(leftBandEnd, std::min(above.end, below.end) - 1);
        for (int x = span.start; x < leftBandEnd; ++x)
            stamp(x, y);
        for (int x = std::max(span.start, rightBandStart); x < span.end; ++x)
            stamp(x, y);
    }

    // The solid part, never underneath the owner itself.
    const std::uint32_t solid = Premultiplied(style.darkness, style.colour);
    for (int y = 0; y < height; ++y) {
        const NRSpan& span = rows[static_cast<std::size_t>(y + 1)];
        std::uint32_t* row = pixels + static_cast<std::size_t>(y) * width;
        const int ownerRow = y + style.yOffset - size;
        NRSpan cut = {width, width};
        if (ownerRow >= 0 && ownerRow < ownerHeight) {
            const NRSpan& owner = ownerRows[static_cast<std::size_t>(ownerRow)];
            if (!owner.Empty())
                cut = NRSpan{owner.start + size - style.xOffset, owner.end + size - style.xOffset};
        }
        if (!span.Empty()) {
            for (int x = std::max(0, span.start); x < std::min({span.end, width, std::max(0, cut.start)}); ++x)
                row[x] = solid;
            for (int x = std::max({0, span.start, cut.end}); x < std::min(span.end, width); ++x)
                row[x] = solid;
        }
        for (int x = std::max(0, cut.start); x < std::min(cut.end, width); ++x)
            row[x] = 0;
    }
}
