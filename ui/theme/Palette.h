#pragma once
// The toolkit's 79 indexed colours, in the classic dark variant and the light one (NEWGUI).
#include <windows.h>

constexpr int kPaletteSize = 79;
// An index outside 0 .. 78 reads as this one.
constexpr int kPaletteFallbackIndex = 2;

// The colour at `index` of the light or the dark palette; ColorBlind changes entry 37.
COLORREF PaletteColour(int index, bool light, bool colorBlind);

// The same through the process's GUI settings: NEWGUI picks the light palette.
COLORREF PaletteColour(int index);
