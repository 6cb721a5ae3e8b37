#include "ui/theme/HighContrast.h"

#include <atomic>

#include "ui/theme/DrawContext.h"

namespace {

// -1: ask the system; 0 or 1: a test's answer, which a bench may give from another thread.
std::atomic<int> s_override{-1};
// -1 until read; then what the system said.
int s_systemSetting = -1;

int ReadSystemSetting()
{
    HIGHCONTRASTA contrast = {};
    contrast.cbSize = sizeof(contrast);
    return ::SystemParametersInfoA(SPI_GETHIGHCONTRAST, sizeof(contrast), &contrast, 0) &&
                   (contrast.dwFlags & HCF_HIGHCONTRASTON)
               ? 1
               : 0;
}

BOOL CALLBACK PassOn(HWND child, LPARAM change)
{
    const auto* message = reinterpret_cast<const MSG*>(change);
    ::SendMessageA(child, message->message, message->wParam, 0);
    return TRUE;
}

}  // namespace

bool HighContrastOn()
{
    if (s_override >= 0)
        return s_override != 0;
    if (s_systemSetting < 0)
        s_systemSetting = ReadSystemSetting();
    return s_systemSetting != 0;
}

COLORREF ThemeColour(const NRDrawContext& context, int paletteIndex, int systemIndex)
{
    return HighContrastOn() ? ::GetSysColor(systemIndex) : context.Colour(paletteIndex);
}

bool TakeColourChange(UINT message, WPARAM wParam)
{
    if (message != WM_SYSCOLORCHANGE && !(message == WM_SETTINGCHANGE && wParam == SPI_SETHIGHCONTRAST))
        return false;
    s_systemSetting = ReadSystemSetting();
    return true;
}

void FollowColourChange(HWND window, UINT message, WPARAM wParam)
{
    // Every descendant, not only the direct children: a list box sits inside its container.
    MSG change = {};
    change.message = message;
    change.wParam = wParam;
    ::EnumChildWindows(window, PassOn, reinterpret_cast<LPARAM>(&change));
    ::RedrawWindow(window, nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_ALLCHILDREN | RDW_FRAME);
}

NRHighContrastOverride::NRHighContrastOverride(bool on) : m_previous(s_override) { s_override = on ? 1 : 0; }

NRHighContrastOverride::~NRHighContrastOverride() { s_override = m_previous; }
