#pragma once
// How large the user wants text. The toolkit is laid out for a 14-pixel Tahoma (letters of about
// 12 pixels, 9 points, at 96 DPI), which is also the size of Windows' default message font. Where
// the user has made the message font larger ("Make text bigger", or a larger font chosen in the
// display settings), the toolkit's base text height grows in proportion; it never shrinks below 14.

// The base text height, in 96-DPI pixels, for a message font whose letters (cell height less the
// internal leading) are `letterPixels` tall on a screen of `fontDpi`: 14 up to 12-pixel letters at
// 96 DPI, above that 14 x letters / 12.
int TextBaseHeightFor(int letterPixels, int fontDpi);

// The base text height the program draws with, in 96-DPI pixels: the system's, read on first use
// and again by RefreshTextSize.
int TextBaseHeight();

// Reads the system's message font again (after WM_SETTINGCHANGE); true when the base height changed.
bool RefreshTextSize();

// For tests: the letter height, in 96-DPI pixels, the message font is to have from now on; 0 reads
// the system's again. Takes effect at the next RefreshTextSize.
void SetMessageFontLettersForTesting(int letterPixelsAt96);
