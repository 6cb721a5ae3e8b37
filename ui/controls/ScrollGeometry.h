#pragma once
// The scroll bar's arithmetic along its axis, without any window: where the track and the thumb
// lie, what a press hits, where a dragged thumb goes, and stepping within 0 .. 1 - size.

// Positions along the bar's axis, in pixels.
struct NRScrollGeometry
{
    int trackStart;
    int trackEnd;
    int thumbStart;
    int thumbEnd;
};

// For a bar from `start` to `end` with arrows `arrowLength` long, showing `size` of the content from
// `position` (fractions of it).
NRScrollGeometry ComputeScrollGeometry(int start, int end, int arrowLength, double size, double position);

// What a press at `point` along the axis does. The thumb's ends count as the thumb.
enum class NRScrollHit
{
    LineBack,
    PageBack,
    Thumb,
    PageForward,
    LineForward,
};
NRScrollHit HitTestScrollBar(const NRScrollGeometry& geometry, int point);

// Where the thumb goes when dragged `movement` pixels: its start moved that far as a fraction of
// the track, 0 when it would start before the track, at most 1 - size.
double DraggedThumbPosition(const NRScrollGeometry& geometry, int movement, double size);

// `position` moved by `delta`, kept within 0 .. 1 - size.
double ClampedScrollPosition(double position, double delta, double size);
