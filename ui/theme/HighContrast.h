#pragma once
// Whether the user has High Contrast on, and following a change of it.
//
// Windows' rule: while High Contrast is on, the system colours are the user's scheme, and a program
// draws its windows in those colours only (GetSysColor), flat, without images or decoration that
// carry colours of their own. It follows a change at once: top-level windows get WM_SYSCOLORCHANGE
// when the colours change and WM_SETTINGCHANGE with SPI_SETHIGHCONTRAST when High Contrast is
// switched; child windows get neither, so a top-level window passes the change on to them.
//
// Wine has no High Contrast: SPI_SETHIGHCONTRAST fails there and SPI_GETHIGHCONTRAST reports it off.
// So the setting is read here and only here, and a test sets it through NRHighContrastOverride
// (SetSysColors does work under Wine, and gives the scheme's colours).
#include <windows.h>

class NRDrawContext;

// SPI_GETHIGHCONTRAST's HCF_HIGHCONTRASTON, or what an override says. Read from the system once, and
// again when a window takes a colour change (TakeColourChange): not on every colour of every paint.
bool HighContrastOn();

// The system colour `systemIndex` (COLOR_...) while High Contrast is on, else the context's palette
// entry `paletteIndex`.
COLORREF ThemeColour(const NRDrawContext& context, int paletteIndex, int systemIndex);

// True for WM_SYSCOLORCHANGE, or WM_SETTINGCHANGE for SPI_SETHIGHCONTRAST, after reading the setting
// again. Any process can send either; they carry nothing to follow, only the news that the system's
// state is to be read again.
bool TakeColourChange(UINT message, WPARAM wParam);

// Passes the change to every window inside the top-level `window` (double-buffered controls drop
// their pictures) and redraws it whole: frame, background and every child.
void FollowColourChange(HWND window, UINT message, WPARAM wParam);

// High Contrast as a test bench sets it, where the system cannot: on or off for as long as the
// object lives, then as before.
class NRHighContrastOverride
{
public:
    explicit NRHighContrastOverride(bool on);
    ~NRHighContrastOverride();
    NRHighContrastOverride(const NRHighContrastOverride&) = delete;
    NRHighContrastOverride& operator=(const NRHighContrastOverride&) = delete;

private:
    int m_previous;
};
