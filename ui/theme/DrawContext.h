#pragma once
// What every paint routine receives: a device context with the font set, palette and scale to draw
// with. On the screen that is the palette of the GUI settings, and the scale of the window drawn for
// (its screen's, see WindowScale) with the screen's font set for that scale. Other devices (printers) get fonts and
// scales of their own, worked out from their capabilities.
#include <windows.h>

#include <memory>

#include "ui/theme/FontSet.h"
#include "ui/theme/Scale.h"

// The capabilities of a device that decide how the toolkit scales onto it.
struct NRDeviceCaps
{
    int horzRes, vertRes;               // HORZRES, VERTRES
    int screenWidth, screenHeight;      // SM_CXSCREEN, SM_CYSCREEN
    int logPixelsX, logPixelsY;         // LOGPIXELSX, LOGPIXELSY
    int physicalWidth, physicalHeight;  // PHYSICALWIDTH, PHYSICALHEIGHT
};

struct NRDeviceScaling
{
    int baseFontHeight;  // the font set's base height: 14 scaled on the screen
    NRScale scaleX;
    NRScale scaleY;
    bool ownFontSet;  // the device needs a font set of its own (a printer whose base height is not 14)
};

// The screen (its resolution is the screen's) draws in `screen`, the program's screen scale, with the
// screen's font set. A printer's base height is LOGPIXELSY x 14 / 144 and its scales whole multiples
// LOGPIXELS / 108 (at least 1), each grown with the page: in landscape by a page height above 210 mm
// (the width above 297 mm), in portrait by a height above 297 mm (the width above 210 mm). A device
// that reports no resolution draws as the screen does.
NRDeviceScaling ComputeDeviceScaling(const NRDeviceCaps& caps, NRScale screen);

class NRDrawContext
{
public:
    // For drawing `window`, or, without one, at the program's screen scale. `dc` may be a memory DC.
    explicit NRDrawContext(HDC dc, HWND window = nullptr);
    ~NRDrawContext();
    NRDrawContext(const NRDrawContext&) = delete;
    NRDrawContext& operator=(const NRDrawContext&) = delete;

    HDC Dc() const { return m_dc; }
    const NRFontSet& Fonts() const { return m_ownFontSet ? *m_ownFontSet : NRFontSet::ForScreen(m_screenScale); }
    bool OwnsFontSet() const { return m_ownFontSet != nullptr; }
    const NRScale& ScaleX() const { return m_scaleX; }
    const NRScale& ScaleY() const { return m_scaleY; }
    // The line height of text: the normal font's height.
    int LineHeight() const { return Fonts().Normal().height; }

    // A palette colour. A device with a font set of its own prints on white: the light palette.
    COLORREF Colour(int index) const;
    bool LightPalette() const;

private:
    HDC m_dc;
    std::unique_ptr<NRFontSet> m_ownFontSet;
    NRScale m_screenScale;  // of the window drawn for: the screen's font set is this scale's
    NRScale m_scaleX;
    NRScale m_scaleY;
};
