#pragma once
// The installer window's own frame and caption, drawn over its whole client area: a frame, a body
// gradient, and a caption strip with the application mark and the window's title, in active or
// inactive colours of the palette in effect.
#include <windows.h>

#include <string>

class NRDrawContext;

// The caption strip: the client area inset by 5 on the left, top and right, 20 pixels high.
RECT CaptionRect(const RECT& client);

// `mark` (16 x 16, magenta transparent) may be null; the title is drawn up to its 260th character.
void PaintWindowFrame(const NRDrawContext& context, const RECT& client, bool active, HBITMAP mark,
                      const std::string& title);
