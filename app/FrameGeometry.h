#pragma once
// The application window's frame arithmetic, free of any window: where the borderless frame's
// resize edges, corners, caption and system-menu area are, how large a maximised window is, and
// where the caption buttons go.
#include <windows.h>

#include "ui/theme/Scale.h"

// The hit-test code for `cursor` (screen coordinates) over a window at `window`: the outer 5 pixels
// resize (corners take 10 pixels along each edge), the top 25 pixels are the caption except the
// system-menu area in its first 20, everything else is client area. All in pixels of `scale`; the
// caption grows by what `textHeight` has above the usual 14 pixels.
int FrameHitTest(const RECT& window, POINT cursor, const NRScale& scale = NRScale(), int textHeight = 14);

// Maximised, the window covers the work area plus 5 pixels on every side; it can be dragged down to
// 10 x 10. `monitor` and `work` are the monitor's full and work rectangles: the maximised position is
// relative to the monitor, so a task bar on the top or left keeps its place. All in pixels of `scale`.
void FillMaximizedMinMaxInfo(const RECT& monitor, const RECT& work, MINMAXINFO& info, const NRScale& scale = NRScale());

struct CaptionButtonPlace
{
    bool visible;
    int x;
    int y;
};

struct CaptionButtonLayout
{
    CaptionButtonPlace minimize, maximize, restore, close;
};

// The caption buttons of a window `width` pixels wide, from the right: close, then maximize or restore
// (both the maximize button's size), then minimize, 3 pixels apart, each at its own size. A window
// style without WS_MAXIMIZEBOX or WS_MINIMIZEBOX hides those buttons. Gaps in pixels of `scale`.
CaptionButtonLayout LayoutCaptionButtons(int width, DWORD style, bool maximized, SIZE minimizeSize, SIZE maximizeSize,
                                         SIZE closeSize, const NRScale& scale = NRScale());
