#pragma once
// A thin, non-owning wrapper around a window handle with the calls the toolkit uses most.
#include <windows.h>

#include <string>

class NRWindow
{
public:
    NRWindow() = default;
    explicit NRWindow(HWND hwnd) : m_hWnd(hwnd) {}

    HWND Handle() const { return m_hWnd; }
    bool IsWindow() const { return m_hWnd && ::IsWindow(m_hWnd); }

    bool DestroyWindow() { return ::DestroyWindow(m_hWnd) != FALSE; }
    bool ShowWindow(int command) { return ::ShowWindow(m_hWnd, command) != FALSE; }
    bool UpdateWindow() { return ::UpdateWindow(m_hWnd) != FALSE; }
    // Without a window, nothing: InvalidateRect would take a null window for every window there is.
    bool Invalidate(bool erase = true) { return m_hWnd && ::InvalidateRect(m_hWnd, nullptr, erase) != FALSE; }

    bool SetWindowText(const char* text) { return ::SetWindowTextA(m_hWnd, text) != FALSE; }
    std::string GetWindowText() const;

    DWORD GetStyle() const { return static_cast<DWORD>(::GetWindowLongPtrA(m_hWnd, GWL_STYLE)); }
    RECT GetWindowRect() const;
    RECT GetClientRect() const;

    bool PostMessage(UINT message, WPARAM wParam = 0, LPARAM lParam = 0) const
    {
        return ::PostMessageA(m_hWnd, message, wParam, lParam) != FALSE;
    }
    LRESULT SendMessage(UINT message, WPARAM wParam = 0, LPARAM lParam = 0) const
    {
        return ::SendMessageA(m_hWnd, message, wParam, lParam);
    }

    // Centres the window on the work area of its owner's monitor, or of the nearest monitor when it
    // has no owner, keeping it inside that work area.
    void CenterOnWorkArea();

protected:
    HWND m_hWnd = nullptr;
};
