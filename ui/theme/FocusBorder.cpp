#include "ui/theme/FocusBorder.h"

#include <algorithm>

namespace {

// cx 0: ask the system. A bench's setting, or what the system said when last read.
SIZE s_override = {0, 0};
SIZE s_system = {0, 0};

int ReadEdge(UINT action)
{
    UINT edge = 1;
    if (!::SystemParametersInfoA(action, 0, &edge, 0))
        edge = 1;  // before Windows XP: the thin rectangle
    return std::max(1, static_cast<int>(std::min<UINT>(edge, 64)));
}

void ReadSystemSetting() { s_system = SIZE{ReadEdge(SPI_GETFOCUSBORDERWIDTH), ReadEdge(SPI_GETFOCUSBORDERHEIGHT)}; }

}  // namespace

SIZE FocusBorder()
{
    if (s_override.cx > 0)
        return s_override;
    if (s_system.cx == 0)
        ReadSystemSetting();
    return s_system;
}

bool TakeFocusBorderChange(UINT message, WPARAM wParam)
{
    if (message != WM_SETTINGCHANGE || (wParam != SPI_SETFOCUSBORDERWIDTH && wParam != SPI_SETFOCUSBORDERHEIGHT))
        return false;
    ReadSystemSetting();
    return true;
}

NRFocusBorderOverride::NRFocusBorderOverride(int width, int height) : m_previous(s_override)
{
    s_override = SIZE{std::max(1, width), std::max(1, height)};
}

NRFocusBorderOverride::~NRFocusBorderOverride() { s_override = m_previous; }
