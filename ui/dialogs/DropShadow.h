#pragma once
// NRDropShadow: a soft drop shadow for a top-level window (its owner). The shadow is a layered
// pop-up owned by the owner, displaced by a small offset, showing a blurred copy of the owner's
// outline in one colour and transparent wherever it lies over the owner. It follows the owner by
// subclassing the owner's window procedure. Where the system cannot draw layered windows
// (UpdateLayeredWindow is looked up at run time) a shadow quietly does nothing; in High Contrast,
// which has no decoration, it hides, and shows again when High Contrast goes off.
#include <windows.h>

#include <map>

#include "ui/dialogs/ShadowImage.h"
#include "ui/theme/GdiObjects.h"

class NRDropShadow
{
public:
    static constexpr const char* kWindowClassName = "TarnShadowWnd";
    static constexpr int kMaxSize = 20;

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

    NRDropShadow() = default;
    virtual ~NRDropShadow();
    NRDropShadow(const NRDropShadow&) = delete;
    NRDropShadow& operator=(const NRDropShadow&) = delete;

    // Makes the shadow window for `owner` and starts following it; nothing without layered windows.
    void Create(HWND owner);
    bool Created() const { return m_shadow != kNotCreated; }
    HWND ShadowWindow() const { return Created() ? m_shadow : nullptr; }
    bool SetColor(COLORREF colour);
    // False, changing nothing, outside -20 .. 20.
    bool SetSize(int size);
    // Decides from the owner's state whether the shadow shows, and shows or hides it.
    void Show(HWND owner);
    // Rebuilds the shadow image and places the shadow window.
    void Update(HWND owner);

    bool ShadowVisible() const { return (m_status & kShadowVisible) != 0; }
    const NRShadowStyle& Style() const { return m_style; }
    // The style as drawn: its edge, reach and offsets at the scale of `owner` (the window shadowed).
    NRShadowStyle ScaledStyle(HWND owner) const;

private:
    enum Status : unsigned char
    {
        kEnabled = 1,
        kShadowVisible = 2,
        kOwnerVisible = 4,
        kCompositionDisabled = 8,
        kHighContrast = 16,
    };
    static inline const HWND kNotCreated = reinterpret_cast<HWND>(-1);

    static LRESULT CALLBACK SubclassProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam);
    LRESULT OnOwnerMessage(HWND owner, UINT message, WPARAM wParam, LPARAM lParam);
    bool Working() const { return (m_status & kEnabled) && !(m_status & (kCompositionDisabled | kHighContrast)); }
    // Reads High Contrast into the status.
    void ReadHighContrast();
    void PlaceShadow(HWND owner);

    static UpdateLayeredWindowFn s_updateLayeredWindow;
    static DwmIsCompositionEnabledFn s_dwmIsCompositionEnabled;
    static HMODULE s_dwmapi;
    static HINSTANCE s_instance;
    static std::map<HWND, NRDropShadow*> s_shadows;

    HWND m_shadow = kNotCreated;
    HWND m_owner = nullptr;
    WNDPROC m_previousProc = nullptr;
    unsigned char m_status = 0;
    NRShadowStyle m_style;
    int m_lastWidth = 0;
    int m_lastHeight = 0;
    bool m_updatePending = false;
    // The image of the last rebuild, kept for the next one of the same size.
    NRBitmapHandle m_image;
    std::uint32_t* m_bits = nullptr;
    int m_imageWidth = 0;
    int m_imageHeight = 0;
};
