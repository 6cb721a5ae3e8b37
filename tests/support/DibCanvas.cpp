#include "DibCanvas.h"

#include <algorithm>

namespace testing_support {

DibCanvas::DibCanvas(int width, int height, COLORREF background)
    : m_width(width), m_height(height), m_background(background)
{
    BITMAPINFO info = {};
    info.bmiHeader.biSize = sizeof(info.bmiHeader);
    info.bmiHeader.biWidth = width;
    info.bmiHeader.biHeight = -height;  // top-down: row 0 first
    info.bmiHeader.biPlanes = 1;
    info.bmiHeader.biBitCount = 32;
    info.bmiHeader.biCompression = BI_RGB;
    void* bits = nullptr;
    m_dc = CreateCompatibleDC(nullptr);
    m_bitmap = CreateDIBSection(m_dc, &info, DIB_RGB_COLORS, &bits, nullptr, 0);
    m_bits = static_cast<const DWORD*>(bits);
    m_previous = SelectObject(m_dc, m_bitmap);
    HBRUSH brush = CreateSolidBrush(background);
    const RECT all = {0, 0, width, height};
    FillRect(m_dc, &all, brush);
    DeleteObject(brush);
}

namespace {

SIZE ClientSize(HWND window)
{
    RECT client = {};
    GetClientRect(window, &client);
    return SIZE{client.right, client.bottom};
}

}  // namespace

DibCanvas::DibCanvas(HWND window) : DibCanvas(ClientSize(window).cx, ClientSize(window).cy, RGB(1, 2, 3))
{
    UpdateWindow(window);
    HDC dc = GetDC(window);
    BitBlt(m_dc, 0, 0, m_width, m_height, dc, 0, 0, SRCCOPY);
    ReleaseDC(window, dc);
}

DibCanvas::~DibCanvas()
{
    SelectObject(m_dc, m_previous);
    DeleteObject(m_bitmap);
    DeleteDC(m_dc);
}

COLORREF DibCanvas::Pixel(int x, int y) const
{
    GdiFlush();
    return StoredPixel(x, y);
}

COLORREF DibCanvas::StoredPixel(int x, int y) const
{
    const DWORD bgr = m_bits[y * m_width + x];
    return RGB((bgr >> 16) & 0xFF, (bgr >> 8) & 0xFF, bgr & 0xFF);
}

int DibCanvas::CountColour(COLORREF colour, const RECT& area) const
{
    GdiFlush();
    int count = 0;
    for (int y = std::max(0L, area.top); y < std::min<LONG>(m_height, area.bottom); ++y)
        for (int x = std::max(0L, area.left); x < std::min<LONG>(m_width, area.right); ++x)
            count += StoredPixel(x, y) == colour;
    return count;
}

RECT DibCanvas::InkBounds() const
{
    GdiFlush();
    RECT bounds = {m_width, m_height, 0, 0};
    for (int y = 0; y < m_height; ++y) {
        for (int x = 0; x < m_width; ++x) {
            if (StoredPixel(x, y) == m_background)
                continue;
            bounds.left = std::min<LONG>(bounds.left, x);
            bounds.top = std::min<LONG>(bounds.top, y);
            bounds.right = std::max<LONG>(bounds.right, x + 1);
            bounds.bottom = std::max<LONG>(bounds.bottom, y + 1);
        }
    }
    return bounds.left < bounds.right ? bounds : RECT{0, 0, 0, 0};
}

}  // namespace testing_support
