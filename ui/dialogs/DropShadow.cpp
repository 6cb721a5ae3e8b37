#include "ui/dialogs/DropShadow.h"

NRDropShadow::UpdateLayeredWindowFn NRDropShadow::s_updateLayeredWindow = nullptr;
NRDropShadow::DwmIsCompositionEnabledFn NRDropShadow::s_dwmIsCompositionEnabled = nullptr;
HMODULE NRDropShadow::s_dwmapi = nullptr;
HINSTANCE NRDropShadow::s_instance = nullptr;

bool NRDropShadow::Initialize(HINSTANCE instance)
{
    if (s_updateLayeredWindow)
        return false;
    HMODULE user32 = GetModuleHandleA("USER32.DLL");
    auto updateLayeredWindow = user32 ? reinterpret_cast<UpdateLayeredWindowFn>(
                                            reinterpret_cast<void*>(GetProcAddress(user32, "UpdateLayeredWindow")))
                                      : nullptr;
    if (!updateLayeredWindow)
        return false;

    // Desktop composition (Vista and later) draws shadows of its own.
    s_dwmapi = LoadLibraryA("dwmapi.dll");
    if (s_dwmapi)
        s_dwmIsCompositionEnabled = reinterpret_cast<DwmIsCompositionEnabledFn>(
            reinterpret_cast<void*>(GetProcAddress(s_dwmapi, "DwmIsCompositionEnabled")));

    WNDCLASSEXA wc = {};
    wc.cbSize = sizeof(wc);
    wc.style = CS_HREDRAW | CS_VREDRAW;
    wc.lpfnWndProc = DefWindowProcA;
    wc.hInstance = instance;
    wc.hCursor = LoadCursorA(nullptr, IDC_ARROW);
    wc.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_WINDOW + 1);
    wc.lpszClassName = kWindowClassName;
    RegisterClassExA(&wc);

    s_instance = instance;
    s_updateLayeredWindow = updateLayeredWindow;
    return true;
}

void NRDropShadow::Shutdown()
{
    if (!s_updateLayeredWindow)
        return;
    UnregisterClassA(kWindowClassName, s_instance);
    if (s_dwmapi)
        FreeLibrary(s_dwmapi);
    s_dwmapi = nullptr;
    s_dwmIsCompositionEnabled = nullptr;
    s_updateLayeredWindow = nullptr;
    s_instance = nullptr;
}
