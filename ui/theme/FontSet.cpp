#include "ui/theme/FontSet.h"

#include <algorithm>
#include <memory>
#include <vector>

#include "ui/theme/Scale.h"
#include "ui/theme/TextSize.h"

namespace {

HFONT CreateTahoma(int height, int escapement, bool underline = false)
{
    return CreateFontA(height, 0, escapement, escapement, FW_NORMAL, FALSE, underline ? TRUE : FALSE, FALSE, 0, 0, 0, 0,
                       0, "Tahoma");
}

NRFont MakeFont(int height, int secondMetric, int escapement = 0)
{
    return NRFont{height, secondMetric, CreateTahoma(height, escapement)};
}

void DeleteFont(NRFont& font)
{
    if (font.handle)
        DeleteObject(font.handle);
    font.handle = nullptr;
}

std::vector<std::unique_ptr<NRFontSet>> g_screenSets;

// Deletes the screen's sets that no window's scale asks for at the present text size.
void DeleteUnusedScreenSets()
{
    const std::vector<NRScale> scales = ScalesInUse();
    const int text = TextBaseHeight();
    const auto unused = [&](const std::unique_ptr<NRFontSet>& set) {
        return std::none_of(scales.begin(), scales.end(),
                            [&](const NRScale& scale) { return scale.Px(text) == set->Normal().height; });
    };
    g_screenSets.erase(std::remove_if(g_screenSets.begin(), g_screenSets.end(), unused), g_screenSets.end());
}

}  // namespace

NRFontSet::NRFontSet(int base)
    : m_large(MakeFont(3 * base, 2 * base)),
      m_medium(MakeFont(2 * base, 4 * base / 3)),
      m_normal(MakeFont(base, 2 * base / 3)),
      m_vertical(MakeFont(base, 2 * base / 3, 900)),
      m_small(MakeFont(base * 11 / 14, 2 * (base * 11 / 14) / 3))
{
}

NRFontSet::~NRFontSet()
{
    DeleteFont(m_small);
    DeleteFont(m_vertical);
    DeleteFont(m_normal);
    DeleteFont(m_medium);
    DeleteFont(m_large);
}

HFONT NRFontSet::CreateUnderlinedNormal() const { return CreateTahoma(m_normal.height, 0, true); }

const NRFontSet& NRFontSet::ForScreen(const NRScale& scale)
{
    const int base = scale.Px(TextBaseHeight());
    for (const auto& set : g_screenSets)
        if (set->Normal().height == base)
            return *set;
    // Made only when a scale or the text size changes; what the old ones served is gone by then
    // (a window still on the old scale asks for its set again and keeps it).
    DeleteUnusedScreenSets();
    g_screenSets.push_back(std::make_unique<NRFontSet>(base));
    return *g_screenSets.back();
}

const NRFontSet& NRFontSet::Screen() { return ForScreen(ScreenScale()); }

void NRFontSet::ReleaseScreenSet() { g_screenSets.clear(); }
