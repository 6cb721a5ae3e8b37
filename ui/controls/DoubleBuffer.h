#pragma once
// Flicker-free painting for owner-drawn child windows: the control paints into an off-screen bitmap
// and the screen gets copies of it. While the user drags a window edge the bitmap grows with 10 %
// slack and is trimmed to the exact size one second after the last resize; until the next whole
// paint, old content is stretched to the new size. A colour change (passed on by the top-level
// window) makes the next paint a whole one: nothing of the old colours is copied again.
#include <windows.h>

#include "ui/framework/WindowImpl.h"
#include "ui/theme/GdiObjects.h"

class NRDrawContext;

// Bitmap sizes, without any window.
struct NRBufferSize
{
    int width;
    int height;
    bool operator==(const NRBufferSize& other) const { return width == other.width && height == other.height; }
};

// The bitmap capacity needed for a client area: the current one when it holds the area, otherwise
// the area plus a tenth in each direction.
NRBufferSize GrownBufferCapacity(NRBufferSize capacity, NRBufferSize client);

class NRDoubleBufferWindow : public NRWindowImplRoot
{
public:
    static constexpr UINT_PTR kTrimTimerId = 1;
    static constexpr UINT kTrimDelayMs = 1000;

    bool ProcessWindowMessage(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam, LRESULT& result) override;

    // The whole client area, with erase; the next paint draws the whole bitmap anew, even where
    // child windows (a scroll bar) leave only part of the client area to paint.
    virtual void InvalidateWhole();
    virtual void SizeChanged(UINT type, int width, int height) = 0;
    // Draws the given part of the client area. Reads the control's state; changes nothing.
    virtual void Paint(NRDrawContext& context, int left, int top, int right, int bottom) = 0;
    // Called after each copy to the screen, with the screen's context.
    virtual void PaintOver(NRDrawContext& /*screen*/, const RECT& /*client*/, const RECT& /*update*/) {}

    // Every WM_PAINT repaints the whole bitmap, not only when the whole client area is invalid.
    void SetAlwaysRepaintWhole(bool always) { m_alwaysRepaintWhole = always; }

    NRBufferSize BitmapCapacity() const { return m_capacity; }
    NRBufferSize DrawnSize() const { return m_drawn; }

protected:
    ~NRDoubleBufferWindow() override = default;

private:
    void OnSize(UINT type, int width, int height);
    void OnPaint();
    void OnTrimTimer();
    // Makes a bitmap of the capacity and paints the client area into it.
    void RecreateBitmap();

    NRBufferSize m_drawn = {0, 0};
    NRBufferSize m_capacity = {0, 0};
    NRBufferSize m_client = {0, 0};
    bool m_alwaysRepaintWhole = false;
    bool m_wholePending = false;  // the next paint is a whole one: a whole invalidation or new colours
    NRBitmapHandle m_bitmap;
};

template <class T, class Traits = NRControlWinTraits>
class NRDoubleBuffer : public NRWindowImpl<T, Traits, NRDoubleBufferWindow>
{
};
