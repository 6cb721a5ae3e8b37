#include "ui/theme/FontSet.h"

#include <memory>

#include "ui/theme/Scale.h"

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

std::unique_ptr<NRFontSet> g_screenSet;

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

const NRFontSet& NRFontSet::Screen()
{
    const int base = ScreenScale().Px(kScreenBaseHeight);
    if (!g_screenSet || g_screenSet->Normal().height != base) {
        g_screenSet.reset();
        g_screenSet = std::make_unique<NRFontSet>(base);
    }
    return *g_screenSet;
}

void NRFontSet::ReleaseScreenSet() { g_screenSet.reset(); }
