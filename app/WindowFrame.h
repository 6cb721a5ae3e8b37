#pragma once
// The installer window's own frame and caption, drawn over its whole client area: a frame, a body
// gradient, and a caption strip with the application mark and the window's title, in active or
// inactive colours of the palette in effect. In High Contrast all of it is flat in system colours:
// the body a window's, the caption strip and the mark the caption's.
#include <windows.h>

#include <string>

#include "ui/theme/Scale.h"

// The text height the window is laid out for; a larger one grows the caption.
constexpr int kUsualTextHeight = 14;

class NRDrawContext;

// The caption strip: the client area inset by 5 on the left, top and right, 20 pixels high (scaled),
// and as much higher as the text is above its usual 14 pixels (`textHeight`, see TextBaseHeight).
RECT CaptionRect(const RECT& client, const NRScale& scale = NRScale(), int textHeight = kUsualTextHeight);

// `mark` (square, magenta transparent, drawn at its own size) may be null; the title is drawn up to
// its 260th character. Sizes and places follow the context's scale. In High Contrast the mark is
// drawn afresh in the caption's colours instead.
void PaintWindowFrame(const NRDrawContext& context, const RECT& client, bool active, HBITMAP mark,
                      const std::string& title);
