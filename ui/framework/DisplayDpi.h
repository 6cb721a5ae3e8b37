#pragma once
// The display's DPI as Windows reports it to this program. The per-monitor functions of Windows 10
// are looked up at run time in user32; where they are missing (XP to 8.1) the system DPI comes from
// the screen's LOGPIXELSY. Also what a window receives when it moves to a screen of another DPI.
#include <windows.h>

// WM_DPICHANGED (Windows 8.1 and later): wParam the new DPI (x in the low, y in the high word),
// lParam the rectangle Windows suggests for the window at that DPI.
constexpr UINT WM_NR_DPICHANGED = 0x02E0;

// Tells Windows that the program lays itself out for each screen's DPI (per monitor, version 2 where
// there is one; else system-wide from Vista on), as the manifest does: for where the manifest's
// settings are not read. Call before the first window. Nothing happens on XP.
void DeclareDpiAwareness();

// The DPI of the system: of the primary screen when the program started.
int SystemDpi();
// The DPI of the screen `window` is on; the system DPI where Windows cannot tell.
int WindowDpi(HWND window);

// The rectangle of a WM_DPICHANGED that Windows sent `window`: false unless its DPI is the one
// Windows now gives the window (any program can post the message, with numbers of its choosing; the
// caller takes only a DPI it has not applied yet, so a post cannot pass both), when the message came
// from another thread, when its address cannot be read, or when the rectangle is not the window's
// present size grown from `appliedDpi`, the one it is laid out for, to the new DPI (within 2 pixels),
// and on a screen. Where Windows cannot tell a window's DPI, always false.
bool ReadSuggestedWindowRect(HWND window, WPARAM wParam, LPARAM lParam, int appliedDpi, RECT& rect);

// The DPI of `monitor` (GetDpiForMonitor, Windows 8.1 and later); 0 where Windows cannot tell.
int MonitorDpi(HMONITOR monitor);

// The screen the user started the program from: that of the window in the foreground (the one they
// started it from), else, when that is none or the desktop, the screen under the pointer.
HMONITOR StartingMonitor();
