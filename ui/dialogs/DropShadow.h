#pragma once
// Drop shadows for pop-up windows: a layered window owned by the shadowed one. This part holds what
// the process sets up once; shadows themselves need UpdateLayeredWindow, which Windows 2000 and
// earlier lack, so the functions are looked up at run time and shadows quietly stay off without them.
#include <windows.h>

class NRDropShadow
{
public:
    static constexpr const char* kWindowClassName = "TarnShadowWnd";

    typedef BOOL(WINAPI* UpdateLayeredWindowFn)(HWND, HDC, POINT*, SIZE*, HDC, POINT*, COLORREF, BLENDFUNCTION*, DWORD);
    typedef HRESULT(WINAPI* DwmIsCompositionEnabledFn)(BOOL*);

    // Called once by start-up before any window exists. False, doing nothing, when it already
    // succeeded or when the system cannot draw layered windows.
    static bool Initialize(HINSTANCE instance);
    // Releases what Initialize took (the dwmapi library and the window class).
    static void Shutdown();

    static bool Available() { return s_updateLayeredWindow != nullptr; }
    static UpdateLayeredWindowFn UpdateLayeredWindowFunction() { return s_updateLayeredWindow; }
    static DwmIsCompositionEnabledFn DwmIsCompositionEnabledFunction() { return s_dwmIsCompositionEnabled; }

private:
    static UpdateLayeredWindowFn s_updateLayeredWindow;
    static DwmIsCompositionEnabledFn s_dwmIsCompositionEnabled;
    static HMODULE s_dwmapi;
    static HINSTANCE s_instance;
};
