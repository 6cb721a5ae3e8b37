#pragma once
// Scoped owners for what paint code acquires: GDI objects, selections, device contexts and the
// paint cycle. Each releases on every way out of its scope, so no paint path has a DeleteObject or a
// ReleaseDC to forget.
#include <windows.h>

// A GDI object this scope created (font, brush, pen, bitmap, region); deleted at the end.
template <class Handle>
class NRGdiObject
{
public:
    NRGdiObject() = default;
    explicit NRGdiObject(Handle handle) : m_handle(handle) {}
    ~NRGdiObject() { Reset(); }
    NRGdiObject(const NRGdiObject&) = delete;
    NRGdiObject& operator=(const NRGdiObject&) = delete;
    NRGdiObject(NRGdiObject&& other) noexcept : m_handle(other.Release()) {}
    NRGdiObject& operator=(NRGdiObject&& other) noexcept
    {
        if (this != &other)
            Reset(other.Release());
        return *this;
    }

    Handle Get() const { return m_handle; }
    explicit operator bool() const { return m_handle != nullptr; }
    Handle Release()
    {
        Handle handle = m_handle;
        m_handle = nullptr;
        return handle;
    }
    void Reset(Handle handle = nullptr)
    {
        if (m_handle)
            ::DeleteObject(m_handle);
        m_handle = handle;
    }

private:
    Handle m_handle = nullptr;
};

using NRFontHandle = NRGdiObject<HFONT>;
using NRBrushHandle = NRGdiObject<HBRUSH>;
using NRBitmapHandle = NRGdiObject<HBITMAP>;

// Selects an object into a device context for this scope and puts the previous one back.
class NRSelection
{
public:
    NRSelection(HDC dc, HGDIOBJ object) : m_dc(dc), m_previous(object ? ::SelectObject(dc, object) : nullptr) {}
    ~NRSelection()
    {
        if (m_previous)
            ::SelectObject(m_dc, m_previous);
    }
    NRSelection(const NRSelection&) = delete;
    NRSelection& operator=(const NRSelection&) = delete;

private:
    HDC m_dc;
    HGDIOBJ m_previous;
};

// The device context's state (clipping, selections, colours, modes) saved now and restored at the end.
class NRSavedDC
{
public:
    explicit NRSavedDC(HDC dc) : m_dc(dc), m_saved(::SaveDC(dc)) {}
    ~NRSavedDC()
    {
        if (m_saved)
            ::RestoreDC(m_dc, m_saved);
    }
    NRSavedDC(const NRSavedDC&) = delete;
    NRSavedDC& operator=(const NRSavedDC&) = delete;

private:
    HDC m_dc;
    int m_saved;
};

// A memory device context compatible with another; deleted at the end. Null when it could not be
// made.
class NRMemoryDC
{
public:
    explicit NRMemoryDC(HDC compatibleWith) : m_dc(::CreateCompatibleDC(compatibleWith)) {}
    ~NRMemoryDC()
    {
        if (m_dc)
            ::DeleteDC(m_dc);
    }
    NRMemoryDC(const NRMemoryDC&) = delete;
    NRMemoryDC& operator=(const NRMemoryDC&) = delete;
    HDC Get() const { return m_dc; }

private:
    HDC m_dc;
};

// The device context of a window's client area (GetDC), or of the whole window (GetWindowDC, which
// for no window is the screen's); released at the end.
class NRWindowDC
{
public:
    enum Area
    {
        ClientArea,
        WholeWindow,
    };
    explicit NRWindowDC(HWND window, Area area = ClientArea)
        : m_window(window), m_dc(area == ClientArea ? ::GetDC(window) : ::GetWindowDC(window))
    {
    }
    ~NRWindowDC()
    {
        if (m_dc)
            ::ReleaseDC(m_window, m_dc);
    }
    NRWindowDC(const NRWindowDC&) = delete;
    NRWindowDC& operator=(const NRWindowDC&) = delete;
    HDC Get() const { return m_dc; }

private:
    HWND m_window;
    HDC m_dc;
};

// One paint cycle of a window: BeginPaint now, EndPaint at the end.
class NRPaintCycle
{
public:
    explicit NRPaintCycle(HWND window) : m_window(window) { ::BeginPaint(window, &m_paint); }
    ~NRPaintCycle() { ::EndPaint(m_window, &m_paint); }
    NRPaintCycle(const NRPaintCycle&) = delete;
    NRPaintCycle& operator=(const NRPaintCycle&) = delete;
    HDC Dc() const { return m_paint.hdc; }
    const RECT& UpdateRect() const { return m_paint.rcPaint; }

private:
    HWND m_window;
    PAINTSTRUCT m_paint = {};
};
