#pragma once
// Window geometry that needs no window: pure rectangle arithmetic, testable on its own.
#include <windows.h>

// Top-left corner that centres `window` on `centreOn`, then keeps it inside `area`: the right and
// bottom edges are pulled in first, so when the window is larger than the area its left and top
// edges stay visible.
POINT CenteredTopLeft(const RECT& window, const RECT& centreOn, const RECT& area);
