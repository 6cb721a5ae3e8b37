#include "ui/theme/DrawContext.h"

#include <algorithm>

#include "platform/Registry.h"
#include "ui/theme/Palette.h"

namespace {

// Millimetres from device pixels at the given density (pixels per inch).
int Millimetres(int pixels, int pixelsPerInch) { return pixels * 254 / (pixelsPerInch * 10); }

// Grows `value` by the page's size in one direction when that is above `limit` millimetres.
int GrownWithPage(int value, int pageMillimetres, int limit)
{
    return pageMillimetres > limit ? value * pageMillimetres / limit : value;
}

NRDeviceCaps QueryDeviceCaps(HDC dc)
{
    return NRDeviceCaps{GetDeviceCaps(dc, HORZRES),       GetDeviceCaps(dc, VERTRES),
                        GetSystemMetrics(SM_CXSCREEN),    GetSystemMetrics(SM_CYSCREEN),
                        GetDeviceCaps(dc, LOGPIXELSX),    GetDeviceCaps(dc, LOGPIXELSY),
                        GetDeviceCaps(dc, PHYSICALWIDTH), GetDeviceCaps(dc, PHYSICALHEIGHT)};
}

}  // namespace

NRDeviceScaling ComputeDeviceScaling(const NRDeviceCaps& caps, NRScale screenScale)
{
    const NRDeviceScaling screen = {screenScale.Px(NRFontSet::kScreenBaseHeight), screenScale, screenScale, false};
    if (caps.horzRes == caps.screenWidth && caps.vertRes == caps.screenHeight)
        return screen;
    if (caps.logPixelsX <= 0 || caps.logPixelsY <= 0)
        return screen;

    const bool landscape = caps.physicalHeight < caps.physicalWidth;
    const int heightMm = Millimetres(caps.physicalHeight, caps.logPixelsY);
    const int widthMm = Millimetres(caps.physicalWidth, caps.logPixelsX);
    const int heightLimit = landscape ? 210 : 297;
    const int widthLimit = landscape ? 297 : 210;

    NRDeviceScaling scaling;
    scaling.baseFontHeight = GrownWithPage(caps.logPixelsY * NRFontSet::kScreenBaseHeight / 144, heightMm, heightLimit);
    scaling.scaleX = NRScale::Factor(std::max(1, GrownWithPage(caps.logPixelsX / 108, widthMm, widthLimit)));
    scaling.scaleY = NRScale::Factor(std::max(1, GrownWithPage(caps.logPixelsY / 108, heightMm, heightLimit)));
    // The screen's set serves a printer only when it has the printer's heights.
    scaling.ownFontSet = scaling.baseFontHeight != screen.baseFontHeight && scaling.baseFontHeight > 0;
    return scaling;
}

NRDrawContext::NRDrawContext(HDC dc, HWND window) : m_dc(dc), m_screenScale(WindowScale(window))
{
    const NRDeviceScaling scaling = ComputeDeviceScaling(QueryDeviceCaps(dc), m_screenScale);
    m_scaleX = scaling.scaleX;
    m_scaleY = scaling.scaleY;
    if (scaling.ownFontSet)
        m_ownFontSet = std::make_unique<NRFontSet>(scaling.baseFontHeight);
}

NRDrawContext::~NRDrawContext() = default;

bool NRDrawContext::LightPalette() const { return OwnsFontSet() || g_guiSettings.newGui; }

COLORREF NRDrawContext::Colour(int index) const
{
    return PaletteColour(index, LightPalette(), g_guiSettings.colorBlind != 0);
}
