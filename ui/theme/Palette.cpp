#include "ui/theme/Palette.h"

#include "platform/Registry.h"

namespace {

struct PaletteEntry
{
    COLORREF classic;
    COLORREF light;
};

constexpr COLORREF Hex(unsigned rgb) { return RGB((rgb >> 16) & 0xFF, (rgb >> 8) & 0xFF, rgb & 0xFF); }

constexpr int kColourBlindIndex = 37;
constexpr PaletteEntry kColourBlindEntry = {Hex(0xFF80FF), Hex(0xA040A0)};

// Colours as #RRGGBB; comments name what the toolkit draws with them.
constexpr PaletteEntry kPalette[kPaletteSize] = {
    {Hex(0xFFFFFF), Hex(0x000000)},  // 0 text of an enabled button, please-wait message
    {Hex(0xA0A0A0), Hex(0x808080)},  // 1 text of a disabled button
    {Hex(0xFFFFFF), Hex(0x000000)},  // 2 frames, separators, size grip, flashing button frame
    {Hex(0x606060), Hex(0xC0C0C0)},  // 3
    {Hex(0xFFFFFF), Hex(0x000000)},  // 4
    {Hex(0x000000), Hex(0xFFFFFF)},  // 5 window background
    {Hex(0x202020), Hex(0xE1EEFF)},  // 6
    {Hex(0x404040), Hex(0xBEDCFF)},  // 7
    {Hex(0xFF0000), Hex(0xFF0000)},  // 8
    {Hex(0xFFFF00), Hex(0xFF8000)},  // 9
    {Hex(0x202020), Hex(0xE0E0E0)},  // 10 inactive dialog background, inactive alternate button
    {Hex(0x404040), Hex(0xC0C0C0)},  // 11 inactive dialog background
    {Hex(0x909090), Hex(0x808080)},  // 12 inactive dialog frame and shadow, list container frame
    {Hex(0x500000), Hex(0xC0DBFF)},  // 13 active alternate button
    {Hex(0xA00000), Hex(0x6593CF)},  // 14
    {Hex(0xFF0000), Hex(0x415F99)},  // 15 list container frame while the application is active
    {Hex(0x300000), Hex(0xE8F2FF)},  // 16 active dialog background
    {Hex(0x400000), Hex(0xD6E8FF)},  // 17 active dialog background
    {Hex(0xC00000), Hex(0x415F99)},  // 18 active dialog frame and shadow
    {Hex(0x202020), Hex(0xF6F6F6)},  // 19
    {Hex(0x404040), Hex(0xE6E6E6)},  // 20 button in an inactive window: top
    {Hex(0x606060), Hex(0xC0C0C0)},  // 21 bottom
    {Hex(0x808080), Hex(0x808080)},  // 22 frame
    {Hex(0x400000), Hex(0xC0DBFF)},  // 23 button: top
    {Hex(0x800000), Hex(0x96C3FF)},  // 24 bottom
    {Hex(0xC00000), Hex(0x6593CF)},  // 25 frame
    {Hex(0x402040), Hex(0xFAF5E0)},  // 26 button hovered in a dialog: top
    {Hex(0x703060), Hex(0xF1DDB0)},  // 27 bottom
    {Hex(0xA04080), Hex(0xE9C3A0)},  // 28 frame
    {Hex(0x404080), Hex(0xFFF5CC)},  // 29 button focused or hovered: top
    {Hex(0x6060C0), Hex(0xFFDB75)},  // 30 bottom
    {Hex(0x8080FF), Hex(0xFFBD69)},  // 31 frame
    {Hex(0xA02080), Hex(0xFFBD69)},  // 32 button pressed: top
    {Hex(0xC040C0), Hex(0xFB9742)},  // 33 bottom
    {Hex(0xFF60FF), Hex(0xFB8C3C)},  // 34 frame
    {Hex(0x00FF00), Hex(0x008000)},  // 35 second line of the please-wait dialog
    {Hex(0x00FFFF), Hex(0x0000FF)},  // 36
    {Hex(0xFFFF00), Hex(0xFF8000)},  // 37 (ColorBlind: see kColourBlindEntry)
    {Hex(0xFF0000), Hex(0xC00000)},  // 38 default flash colour of a button
    {Hex(0x00FF00), Hex(0x008000)},  // 39
    {Hex(0x00FFFF), Hex(0x0000FF)},  // 40
    {Hex(0xA0C000), Hex(0x00A064)},  // 41
    {Hex(0xA0C0C0), Hex(0x0064FF)},  // 42
    {Hex(0xFFFFFF), Hex(0x000000)},  // 43
    {Hex(0xFFFF00), Hex(0xFF8000)},  // 44
    {Hex(0x00FFFF), Hex(0x008080)},  // 45
    {Hex(0x00FF00), Hex(0x008000)},  // 46
    {Hex(0xFFFFFF), Hex(0x000000)},  // 47
    {Hex(0xFF0000), Hex(0xC00000)},  // 48
    {Hex(0x808080), Hex(0x808080)},  // 49
    {Hex(0x00FF00), Hex(0x008000)},  // 50
    {Hex(0xFF0000), Hex(0xA00000)},  // 51
    {Hex(0xFF4000), Hex(0xE60000)},  // 52
    {Hex(0xFF8000), Hex(0xFF5C00)},  // 53
    {Hex(0xFFFF00), Hex(0xFF9600)},  // 54
    {Hex(0x00FF00), Hex(0x008000)},  // 55
    {Hex(0x0000FF), Hex(0x0000A0)},  // 56
    {Hex(0x0040FF), Hex(0x0000FF)},  // 57
    {Hex(0x0080FF), Hex(0x0080FF)},  // 58
    {Hex(0x00FFFF), Hex(0x00C8FF)},  // 59
    {Hex(0x00FFFF), Hex(0x00C8FF)},  // 60
    {Hex(0x00C0FF), Hex(0x00A4FF)},  // 61
    {Hex(0x0080FF), Hex(0x0080FF)},  // 62
    {Hex(0x0060FF), Hex(0x0040FF)},  // 63
    {Hex(0x0040FF), Hex(0x0000FF)},  // 64
    {Hex(0x0020FF), Hex(0x0000D0)},  // 65
    {Hex(0x0000FF), Hex(0x0000A0)},  // 66
    {Hex(0x2A00D5), Hex(0x2A0096)},  // 67
    {Hex(0x5500AB), Hex(0x55008B)},  // 68
    {Hex(0x800080), Hex(0x800080)},  // 69
    {Hex(0xAA0056), Hex(0x8A0056)},  // 70
    {Hex(0xD4002B), Hex(0x95002B)},  // 71
    {Hex(0xFF0000), Hex(0xA00000)},  // 72
    {Hex(0xFF2000), Hex(0xC30000)},  // 73
    {Hex(0xFF4000), Hex(0xE60000)},  // 74
    {Hex(0xFF6000), Hex(0xF22E00)},  // 75
    {Hex(0xFF8000), Hex(0xFF5C00)},  // 76
    {Hex(0xFFBF00), Hex(0xFF7900)},  // 77
    {Hex(0xFFFF00), Hex(0xFF9600)},  // 78
};

}  // namespace

COLORREF PaletteColour(int index, bool light, bool colorBlind)
{
    if (index < 0 || index >= kPaletteSize)
        index = kPaletteFallbackIndex;
    const PaletteEntry& entry = index == kColourBlindIndex && colorBlind ? kColourBlindEntry : kPalette[index];
    return light ? entry.light : entry.classic;
}

COLORREF PaletteColour(int index)
{
    return PaletteColour(index, g_guiSettings.newGui != 0, g_guiSettings.colorBlind != 0);
}
