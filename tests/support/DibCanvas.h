#pragma once
// A 32-bit DIB section in a memory device context: tests paint into it through the real drawing
// code and read the pixels back.
#include <windows.h>

namespace testing_support {

class DibCanvas
{
public:
    DibCanvas(int width, int height, COLORREF background);
    // What `window` shows in its client area, once it has painted what it had to.
    explicit DibCanvas(HWND window);
    ~DibCanvas();
    DibCanvas(const DibCanvas&) = delete;
    DibCanvas& operator=(const DibCanvas&) = delete;

    HDC Dc() const { return m_dc; }
    int Width() const { return m_width; }
    int Height() const { return m_height; }
    COLORREF Pixel(int x, int y) const;
    // How many pixels of `area` have exactly `colour`.
    int CountColour(COLORREF colour, const RECT& area) const;
    // The smallest rectangle around every pixel that is not the background; empty when none is.
    RECT InkBounds() const;

private:
    COLORREF StoredPixel(int x, int y) const;

    int m_width;
    int m_height;
    COLORREF m_background;
    HDC m_dc = nullptr;
    HBITMAP m_bitmap = nullptr;
    HGDIOBJ m_previous = nullptr;
    const DWORD* m_bits = nullptr;
};

}  // namespace testing_support
