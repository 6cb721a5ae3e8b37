#pragma once
// The drawing routines every control shares: two-colour gradients and caption text with an
// underlined accelerator.
#include <windows.h>

class NRDrawContext;

// TransparentBlt from msimg32 of the system folder; false, drawing nothing, when it is missing.
bool TransparentBlit(HDC target, int x, int y, int width, int height, HDC source, int sourceX, int sourceY,
                     int sourceWidth, int sourceHeight, COLORREF transparent);

// One GradientFill rectangle from the top colour to the bottom colour (a plain fill with the top
// colour where msimg32 is missing, or where both colours are one).
void VerticalGradient(const NRDrawContext& context, int left, int top, int right, int bottom, COLORREF topColour,
                      COLORREF bottomColour);
// The same from the left colour to the right colour.
void HorizontalGradient(const NRDrawContext& context, int left, int top, int right, int bottom, COLORREF leftColour,
                        COLORREF rightColour);

// A frame one toolkit pixel wide just inside `rect`, as thick as the context's scale makes that pixel
// (at 96 DPI exactly FrameRect's). Nothing for an empty rectangle.
void FrameScaled(const NRDrawContext& context, const RECT& rect, HBRUSH brush);

// The keyboard focus mark: a dotted rectangle two toolkit pixels inside `rect`, dots and gaps one
// scaled pixel long, its edges as thick as the user's focus border (FocusBorder), scaled, in
// `colour`.
void FocusMark(const NRDrawContext& context, const RECT& rect, COLORREF colour);

// Draws `text` from (x, y) with the current-position alignment, moved left by its width when the
// device's alignment is right-aligned. The first occurrence of `accelerator` (as given, otherwise in
// lower case) is drawn underlined in `acceleratorColour`; an accelerator of 0 or ' ' means none.
// The device's previous text alignment is restored.
void CaptionText(const NRDrawContext& context, int x, int y, const char* text, char accelerator, COLORREF textColour,
                 COLORREF acceleratorColour);

// Where the accelerator stands in `text`: its first occurrence as given, else in lower case; -1 when
// there is none.
int AcceleratorPosition(const char* text, char accelerator);
