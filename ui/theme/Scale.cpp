#include "ui/theme/Scale.h"

#include <algorithm>
#include <utility>

namespace {

NRScale g_screenScale;
// Few windows have a scale of their own at a time (the open boxes), so a list does.
std::vector<std::pair<HWND, NRScale>> g_windowScales;

// A DPI no display reports would make every size nonsense.
bool Sane(NRScale scale) { return scale.dpi >= 24 && scale.dpi <= 960; }

std::vector<std::pair<HWND, NRScale>>::iterator Entry(HWND topLevel)
{
    return std::find_if(g_windowScales.begin(), g_windowScales.end(),
                        [&](const std::pair<HWND, NRScale>& entry) { return entry.first == topLevel; });
}

}  // namespace

NRScale ScreenScale() { return g_screenScale; }

void SetScreenScale(NRScale scale)
{
    if (Sane(scale))
        g_screenScale = scale;
}

void SetWindowScale(HWND topLevel, NRScale scale)
{
    if (!topLevel || !Sane(scale))
        return;
    const auto entry = Entry(topLevel);
    if (entry != g_windowScales.end())
        entry->second = scale;
    else
        g_windowScales.emplace_back(topLevel, scale);
}

void ForgetWindowScale(HWND topLevel)
{
    const auto entry = Entry(topLevel);
    if (entry != g_windowScales.end())
        g_windowScales.erase(entry);
}

NRScale WindowScale(HWND window)
{
    if (!window || g_windowScales.empty())
        return g_screenScale;
    const HWND topLevel = GetAncestor(window, GA_ROOT);
    const auto entry = Entry(topLevel ? topLevel : window);
    return entry != g_windowScales.end() ? entry->second : g_screenScale;
}

std::vector<NRScale> ScalesInUse()
{
    std::vector<NRScale> scales = {g_screenScale};
    for (const auto& entry : g_windowScales)
        scales.push_back(entry.second);
    return scales;
}
