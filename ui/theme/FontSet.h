#pragma once
// The toolkit's five "Tahoma" fonts, all derived from one base height: the screen's sets (base 14, or
// the user's larger text size, at each scale windows draw with), and sets of other heights for other
// devices.
#include <windows.h>

struct NRScale;

struct NRFont
{
    int height;
    int secondMetric;
    HFONT handle;
};

class NRFontSet
{
public:
    static constexpr int kScreenBaseHeight = 14;

    // large 3 x base, medium 2 x base, normal and vertical (text running upwards) base, small
    // base x 11 / 14. A font that cannot be made has a null handle; drawing then uses the device's own.
    explicit NRFontSet(int baseHeight);
    // Deletes the fonts in the order small, vertical, normal, medium, large.
    ~NRFontSet();
    NRFontSet(const NRFontSet&) = delete;
    NRFontSet& operator=(const NRFontSet&) = delete;

    const NRFont& Large() const { return m_large; }
    const NRFont& Medium() const { return m_medium; }
    const NRFont& Normal() const { return m_normal; }
    const NRFont& Vertical() const { return m_vertical; }
    const NRFont& Small() const { return m_small; }

    // The normal font, underlined: for accelerator characters. The caller deletes it.
    HFONT CreateUnderlinedNormal() const;

    // The screen's set for windows of `scale`: the text size (TextBaseHeight) scaled, made on first
    // use. Sets no window draws with any more are deleted when a new one is made. ReleaseScreenSet
    // deletes them all (start-up does, at the end).
    static const NRFontSet& ForScreen(const NRScale& scale);
    // The same for the program's screen scale.
    static const NRFontSet& Screen();
    static void ReleaseScreenSet();

private:
    NRFont m_large;
    NRFont m_medium;
    NRFont m_normal;
    NRFont m_vertical;
    NRFont m_small;
};
