#include "ui/controls/ScrollGeometry.h"

#include <cmath>

namespace {

int RoundedPixels(double pixels) { return static_cast<int>(std::floor(pixels + 0.5)); }

}  // namespace

NRScrollGeometry ComputeScrollGeometry(int start, int end, int arrowLength, double size, double position)
{
    NRScrollGeometry geometry;
    geometry.trackStart = start + arrowLength;
    geometry.trackEnd = end - arrowLength;
    const int track = geometry.trackEnd - geometry.trackStart;
    geometry.thumbStart = geometry.trackStart + RoundedPixels(track * position);
    geometry.thumbEnd = geometry.thumbStart + RoundedPixels(track * size);
    return geometry;
}

NRScrollHit HitTestScrollBar(const NRScrollGeometry& geometry, int point)
{
    if (point < geometry.trackStart)
        return NRScrollHit::LineBack;
    if (point < geometry.thumbStart)
        return NRScrollHit::PageBack;
    if (point > geometry.trackEnd)
        return NRScrollHit::LineForward;
    if (point > geometry.thumbEnd)
        return NRScrollHit::PageForward;
    return NRScrollHit::Thumb;
}

double DraggedThumbPosition(const NRScrollGeometry& geometry, int movement, double size)
{
    const int track = geometry.trackEnd - geometry.trackStart;
    if (track <= 0)
        return 0.0;
    const int start = geometry.thumbStart + movement;
    if (start < geometry.trackStart)
        return 0.0;
    const double position = static_cast<double>(start - geometry.trackStart) / track;
    return position > 1.0 - size ? 1.0 - size : position;
}

double ClampedScrollPosition(double position, double delta, double size)
{
    position += delta;
    if (position < 0.0)
        position = 0.0;
    if (position + size > 1.0)
        position = 1.0 - size;
    return position < 0.0 ? 0.0 : position;
}
