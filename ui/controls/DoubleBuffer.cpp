#include "ui/controls/DoubleBuffer.h"

#include "ui/theme/DrawContext.h"
#include "ui/theme/HighContrast.h"

NRBufferSize GrownBufferCapacity(NRBufferSize capacity, NRBufferSize client)
{
    if (capacity.width >= client.width && capacity.height >= client.height)
        return capacity;
    return NRBufferSize{client.width + client.width / 10, client.height + client.height / 10};
}

bool NRDoubleBufferWindow::ProcessWindowMessage(HWND /*hwnd*/, UINT message, WPARAM wParam, LPARAM lParam,
                                                LRESULT& result)
{
    switch (message) {
    case WM_SIZE:
        OnSize(static_cast<UINT>(wParam), LOWORD(lParam), HIWORD(lParam));
        result = 0;
        return true;
    case WM_PAINT:
        OnPaint();
        result = 0;
        return true;
    case WM_ERASEBKGND:
        result = 1;  // the copy from the bitmap covers everything
        return true;
    case WM_SYSCOLORCHANGE:
    case WM_SETTINGCHANGE:
        if (TakeColourChange(message, wParam))
            InvalidateWhole();
        return false;
    case WM_TIMER:
        if (wParam != kTrimTimerId)
            return false;
        OnTrimTimer();
        result = 0;
        return true;
    default:
        return false;
    }
}

void NRDoubleBufferWindow::OnSize(UINT type, int width, int height)
{
    SetTimer(m_hWnd, kTrimTimerId, kTrimDelayMs, nullptr);
    m_client = NRBufferSize{width, height};
    // Laid out for the new size first: a grown bitmap is painted at once, from that layout.
    SizeChanged(type, width, height);
    const NRBufferSize grown = GrownBufferCapacity(m_capacity, m_client);
    if (!(grown == m_capacity)) {
        m_capacity = grown;
        RecreateBitmap();
    }
}

void NRDoubleBufferWindow::OnTrimTimer()
{
    KillTimer(m_hWnd, kTrimTimerId);
    m_capacity = m_client;
    RecreateBitmap();
    InvalidateWhole();
}

void NRDoubleBufferWindow::RecreateBitmap()
{
    m_bitmap.Reset();
    m_drawn = NRBufferSize{0, 0};
    if (m_capacity.width <= 0 || m_capacity.height <= 0)
        return;
    NRWindowDC windowDc(m_hWnd);
    m_bitmap.Reset(CreateCompatibleBitmap(windowDc.Get(), m_capacity.width, m_capacity.height));
    NRMemoryDC memory(windowDc.Get());
    if (!m_bitmap || !memory.Get())
        return;
    NRSelection selection(memory.Get(), m_bitmap.Get());
    NRDrawContext context(memory.Get(), m_hWnd);
    Paint(context, 0, 0, m_client.width, m_client.height);
    m_drawn = m_client;
}

void NRDoubleBufferWindow::InvalidateWhole()
{
    m_wholePending = true;
    Invalidate(true);
}

void NRDoubleBufferWindow::OnPaint()
{
    NRPaintCycle cycle(m_hWnd);
    NRDrawContext screen(cycle.Dc(), m_hWnd);
    const RECT client = GetClientRect();
    const RECT& update = cycle.UpdateRect();
    const bool whole = m_alwaysRepaintWhole || m_wholePending || EqualRect(&update, &client);

    NRMemoryDC memory(cycle.Dc());
    if (!memory.Get() || !m_bitmap) {
        // No off-screen copy to be had: draw straight onto the screen.
        Paint(screen, client.left, client.top, client.right, client.bottom);
    } else {
        NRSelection selection(memory.Get(), m_bitmap.Get());
        if (whole) {
            NRDrawContext offScreen(memory.Get(), m_hWnd);
            Paint(offScreen, 0, 0, m_client.width, m_client.height);
            m_drawn = m_client;
            m_wholePending = false;
        }
        const int width = update.right - update.left;
        const int height = update.bottom - update.top;
        if (m_drawn == m_client || m_client.width <= 0 || m_client.height <= 0) {
            BitBlt(cycle.Dc(), update.left, update.top, width, height, memory.Get(), update.left, update.top, SRCCOPY);
        } else {
            // Old content, stretched to the new size until the next whole paint.
            StretchBlt(cycle.Dc(), update.left, update.top, width, height, memory.Get(),
                       update.left * m_drawn.width / m_client.width, update.top * m_drawn.height / m_client.height,
                       width * m_drawn.width / m_client.width, height * m_drawn.height / m_client.height, SRCCOPY);
        }
    }
    PaintOver(screen, client, update);
}
