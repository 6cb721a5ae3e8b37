#pragma once
// How thick the user wants the keyboard focus mark (Ease of Access, "Make the focus rectangle
// thicker").
//
// Windows' rule: SPI_GETFOCUSBORDERWIDTH gives the width in pixels of the left and right edges of
// the focus rectangle DrawFocusRect draws, SPI_GETFOCUSBORDERHEIGHT the height of its top and bottom
// edges (1 and 1 by default; Windows XP and later). A change comes to top-level windows as
// WM_SETTINGCHANGE with SPI_SETFOCUSBORDERWIDTH or SPI_SETFOCUSBORDERHEIGHT.
//
// Wine keeps the setting but has no Ease of Access to change it, and it is the desktop's, which
// tests running side by side share: the setting is read here only, and a test sets it through
// NRFocusBorderOverride.
#include <windows.h>

// The edges' thickness at 96 DPI, each at least 1: cx for the left and right edges, cy for the top
// and bottom ones. Read once, and again after a change (TakeFocusBorderChange).
SIZE FocusBorder();

// True for WM_SETTINGCHANGE with SPI_SETFOCUSBORDERWIDTH or SPI_SETFOCUSBORDERHEIGHT, after reading
// the setting again: the window's focus marks are to be drawn anew.
bool TakeFocusBorderChange(UINT message, WPARAM wParam);

// The setting as a test bench gives it, for as long as the object lives, then as before.
class NRFocusBorderOverride
{
public:
    NRFocusBorderOverride(int width, int height);
    ~NRFocusBorderOverride();
    NRFocusBorderOverride(const NRFocusBorderOverride&) = delete;
    NRFocusBorderOverride& operator=(const NRFocusBorderOverride&) = delete;

private:
    SIZE m_previous;
};
