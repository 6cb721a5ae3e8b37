#include "ui/framework/Window.h"

#include "ui/framework/Geometry.h"

std::string NRWindow::GetWindowText() const
{
    const int length = ::GetWindowTextLengthA(m_hWnd);
    if (length <= 0)
        return std::string();
    std::string text(static_cast<size_t>(length) + 1, '\0');
    const int copied = ::GetWindowTextA(m_hWnd, &text[0], length + 1);
    text.resize(copied > 0 ? static_cast<size_t>(copied) : 0);
    return text;
}

RECT NRWindow::GetWindowRect() const
{
    RECT rect = {};
    ::GetWindowRect(m_hWnd, &rect);
    return rect;
}

RECT NRWindow::GetClientRect() const
{
    RECT rect = {};
    ::GetClientRect(m_hWnd, &rect);
    return rect;
}

void NRWindow::CenterOnWorkArea()
{
    HWND owner = ::GetWindow(m_hWnd, GW_OWNER);
    HMONITOR monitor = ::MonitorFromWindow(owner ? owner : m_hWnd, MONITOR_DEFAULTTONEAREST);
    MONITORINFO info = {};
    info.cbSize = sizeof(info);
    if (!::GetMonitorInfoA(monitor, &info))
        return;
    const RECT area = info.rcWork;
    RECT centreOn = area;
    if (owner)
        ::GetWindowRect(owner, &centreOn);
    const POINT topLeft = CenteredTopLeft(GetWindowRect(), centreOn, area);
    ::SetWindowPos(m_hWnd, nullptr, topLeft.x, topLeft.y, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
}
