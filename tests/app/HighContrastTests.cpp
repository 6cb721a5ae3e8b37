// High Contrast as the bench sets it (Wine has none), with system colours no palette entry has, so
// every pixel tells where it came from: the installer window and a box, and a switch while they are up.
#include <gtest/gtest.h>

#include <algorithm>
#include <functional>
#include <optional>
#include <string>

#include "DibCanvas.h"
#include "TestSupport.h"
#include "app/NoxSetupWnd.h"
#include "app/WindowFrame.h"
#include "platform/SystemInfo.h"
#include "ui/dialogs/DropShadow.h"
#include "ui/dialogs/MessageBox.h"
#include "ui/theme/HighContrast.h"

using namespace testing_support;

namespace {

constexpr int kRoles[] = {COLOR_WINDOW,        COLOR_WINDOWTEXT,    COLOR_BTNFACE,         COLOR_BTNTEXT,
                          COLOR_HIGHLIGHT,     COLOR_HIGHLIGHTTEXT, COLOR_GRAYTEXT,        COLOR_HOTLIGHT,
                          COLOR_ACTIVECAPTION, COLOR_CAPTIONTEXT,   COLOR_INACTIVECAPTION, COLOR_INACTIVECAPTIONTEXT};
constexpr int kRoleCount = sizeof(kRoles) / sizeof(kRoles[0]);
constexpr COLORREF kScheme[kRoleCount] = {RGB(0x21, 0x0B, 0x3D), RGB(0xF3, 0xE1, 0x17), RGB(0x0F, 0x3B, 0x2A),
                                          RGB(0xF5, 0xC7, 0xE3), RGB(0x1D, 0xE3, 0x5F), RGB(0x3A, 0x07, 0x0D),
                                          RGB(0x9D, 0x8B, 0x27), RGB(0x27, 0xC5, 0xF9), RGB(0x5B, 0x0D, 0x8F),
                                          RGB(0xE7, 0xF9, 0xB3), RGB(0x4D, 0x2F, 0x0B), RGB(0xD1, 0xBB, 0xF7)};

COLORREF SchemeColour(int role) { return kScheme[std::find(kRoles, kRoles + kRoleCount, role) - kRoles]; }

// A scheme colour, or an edge of text smoothed (in grey or in sub-pixels) from its colour into its
// background's: every channel between the two.
bool FromScheme(COLORREF pixel)
{
    if (std::find(kScheme, kScheme + kRoleCount, pixel) != kScheme + kRoleCount)
        return true;
    const int texts[][2] = {{COLOR_WINDOWTEXT, COLOR_WINDOW},
                            {COLOR_GRAYTEXT, COLOR_WINDOW},
                            {COLOR_BTNTEXT, COLOR_BTNFACE},
                            {COLOR_GRAYTEXT, COLOR_BTNFACE},
                            {COLOR_HIGHLIGHTTEXT, COLOR_HIGHLIGHT},
                            {COLOR_CAPTIONTEXT, COLOR_ACTIVECAPTION},
                            {COLOR_INACTIVECAPTIONTEXT, COLOR_INACTIVECAPTION}};
    const auto between = [](int p, int a, int b) { return p >= std::min(a, b) - 2 && p <= std::max(a, b) + 2; };
    return std::any_of(std::begin(texts), std::end(texts), [&](const int(&text)[2]) {
        const COLORREF ink = SchemeColour(text[0]), paper = SchemeColour(text[1]);
        return between(GetRValue(pixel), GetRValue(ink), GetRValue(paper)) &&
               between(GetGValue(pixel), GetGValue(ink), GetGValue(paper)) &&
               between(GetBValue(pixel), GetBValue(ink), GetBValue(paper));
    });
}

// The scheme for one scope, then the colours there were: the prefix outlives the test.
class ScopedScheme
{
public:
    ScopedScheme()
    {
        for (int i = 0; i < kRoleCount; ++i)
            m_saved[i] = GetSysColor(kRoles[i]);
        SetSysColors(kRoleCount, kRoles, kScheme);
    }
    ~ScopedScheme() { SetSysColors(kRoleCount, kRoles, m_saved); }
    ScopedScheme(const ScopedScheme&) = delete;
    ScopedScheme& operator=(const ScopedScheme&) = delete;

private:
    COLORREF m_saved[kRoleCount];
};

// How many pixels of `canvas` do not come from the scheme, and the first of them.
std::string Strays(const DibCanvas& canvas)
{
    int count = 0;
    std::string first;
    for (int y = 0; y < canvas.Height(); ++y)
        for (int x = 0; x < canvas.Width(); ++x)
            if (!FromScheme(canvas.Pixel(x, y)) && !count++)
                first = " first at " + std::to_string(x) + "," + std::to_string(y);
    return count ? std::to_string(count) + " pixels" + first : std::string();
}

int SchemePixels(const DibCanvas& canvas)
{
    int count = 0;
    for (const COLORREF colour : kScheme)
        count += canvas.CountColour(colour, RECT{0, 0, canvas.Width(), canvas.Height()});
    return count;
}

// Above every window of the other test programs, so a capture shows only `window`.
void RaiseAboveAll(HWND window)
{
    SetWindowPos(window, HWND_TOPMOST, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
}

class HighContrast : public testing::Test
{
protected:
    HighContrast()
    {
        g_osName = "Win10 x64";
        NRDropShadow::Initialize(GetModuleHandleA(nullptr));
    }
    ~HighContrast() override
    {
        if (window.IsWindow())
            window.DestroyWindow();
        MSG quit;
        PeekMessageA(&quit, nullptr, WM_QUIT, WM_QUIT, PM_REMOVE);
    }
    // The window with more progress lines than it shows (its scroll bar shows too), in several
    // colours, the last one current; above all others.
    void OpenWindow()
    {
        ASSERT_TRUE(window.Create(nullptr, RECT{100, 50, 100 + NoxSetupWnd::kWidth, 50 + NoxSetupWnd::kHeight}));
        MSG step;
        PeekMessageA(&step, window.Handle(), WM_INSTALL_STEP, WM_INSTALL_STEP, PM_REMOVE);
        RaiseAboveAll(window.Handle());
        for (int line = 1; line <= 30; ++line)
            window.AddProgressLine("Line %d", line);
        window.AddProgressLine("$crRed$cw, $cggreen$cw and $cbblue$cw words");
        window.AddProgressLine("$cyYellow$t$cetabbed grey");
        window.AddProgressLine("The newest line");
    }

    ScopedScheme scheme;
    NoxSetupWnd window;
};

}  // namespace

TEST_F(HighContrast, SwitchedOnAndOffWhileUpTheWindowRedrawsInSystemColoursAndBackInThePalette)
{
    OpenWindow();
    const HWND bar = FindWindowExA(window.ProgressPane().ListBox().Handle(), nullptr, "NRScrollBar", nullptr);
    ASSERT_TRUE(bar && IsWindowVisible(bar));
    ASSERT_EQ(0, SchemePixels(DibCanvas(window.Handle()))) << "off, the palette";
    {
        NRHighContrastOverride contrast(true);
        // As Windows tells every top-level window when the user switches High Contrast on.
        window.SendMessage(WM_SETTINGCHANGE, SPI_SETHIGHCONTRAST);
        const DibCanvas on(window.Handle());
        EXPECT_EQ("", Strays(on));
        const RECT caption = CaptionRect(window.GetClientRect()), all = {0, 0, on.Width(), on.Height()};
        const COLORREF band = on.Pixel(caption.right - 80, caption.top + 3);
        EXPECT_TRUE(band == SchemeColour(COLOR_ACTIVECAPTION) || band == SchemeColour(COLOR_INACTIVECAPTION)) << band;
        EXPECT_GT(on.CountColour(SchemeColour(COLOR_HIGHLIGHT), all), 0) << "the current row";
    }
    window.SendMessage(WM_SYSCOLORCHANGE);
    EXPECT_EQ(0, SchemePixels(DibCanvas(window.Handle()))) << "off again, the palette everywhere";
}

namespace {

// What the box test does once the box is up, from the box's own message loop: nothing else paints
// the box meanwhile.
std::function<void()> g_whileBoxIsUp;
void CALLBACK RunWhileBoxIsUp(HWND, UINT, UINT_PTR id, DWORD)
{
    KillTimer(nullptr, id);
    g_whileBoxIsUp();
}

}  // namespace

TEST_F(HighContrast, ABoxOpenedInItShowsSystemColoursWithoutShadowUntilItIsSwitchedOff)
{
    std::optional<NRHighContrastOverride> contrast(std::in_place, true);
    OpenWindow();
    NRMessageBox box(window.Handle(), "$crWarning$cw: $cgsomething$cw to read\nand a second line", 4);
    box.SetTitle("$cyThe title");
    std::string strays = "no box";
    int titlePixels = 0, paletteSchemePixels = -1;
    bool shadowWhileOn = true, shadowAfter = false;
    g_whileBoxIsUp = [&] {
        const HWND shown = box.Handle();
        RaiseAboveAll(shown);
        {
            const DibCanvas canvas(shown);
            strays = Strays(canvas);
            const RECT all = {0, 0, canvas.Width(), canvas.Height()};
            titlePixels = canvas.CountColour(SchemeColour(COLOR_ACTIVECAPTION), all) +
                          canvas.CountColour(SchemeColour(COLOR_INACTIVECAPTION), all);
            shadowWhileOn = box.Shadow().ShadowVisible() || IsWindowVisible(box.Shadow().ShadowWindow());
        }
        contrast.reset();
        SendMessageA(shown, WM_SYSCOLORCHANGE, 0, 0);
        shadowAfter = box.Shadow().ShadowVisible() && IsWindowVisible(box.Shadow().ShadowWindow());
        // Out of the capture: the shadow lies over the box, and the display blends it in its own time.
        ShowWindow(box.Shadow().ShadowWindow(), SW_HIDE);
        paletteSchemePixels = SchemePixels(DibCanvas(shown));
        PostMessageA(shown, WM_KEYDOWN, VK_ESCAPE, 0);
    };
    SetTimer(nullptr, 0, 0, RunWhileBoxIsUp);
    box.RunModal();
    EXPECT_EQ("", strays);
    EXPECT_GT(titlePixels, 0) << "the title band";
    EXPECT_FALSE(shadowWhileOn);
    EXPECT_EQ(0, paletteSchemePixels) << "switched off: the palette";
    EXPECT_TRUE(shadowAfter) << "and the shadow back";
}
