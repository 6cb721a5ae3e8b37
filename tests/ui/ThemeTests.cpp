// The theme: palette rules, the font set, device scaling, gradients and caption text, painted into
// a real DIB section.
#include <gtest/gtest.h>

#include "DibCanvas.h"
#include "TestSupport.h"
#include "platform/Registry.h"
#include "ui/theme/DrawContext.h"
#include "ui/theme/FaceColours.h"
#include "ui/theme/FontSet.h"
#include "ui/theme/GdiObjects.h"
#include "ui/theme/Painting.h"
#include "ui/theme/Palette.h"
#include "ui/theme/Scale.h"
#include "ui/theme/TextSize.h"

using namespace testing_support;

namespace {

// Sets the two palette switches of the GUI settings for one scope.
class ScopedGuiSettings
{
public:
    ScopedGuiSettings(bool newGui, bool colorBlind) : m_saved(g_guiSettings)
    {
        g_guiSettings.newGui = newGui;
        g_guiSettings.colorBlind = colorBlind;
    }
    ~ScopedGuiSettings() { g_guiSettings = m_saved; }

private:
    GuiSettings m_saved;
};

}  // namespace

TEST(Palette, OutOfRangeIndicesReadAsTwoAndColorBlindChangesOnly37)
{
    for (const bool light : {false, true}) {
        EXPECT_EQ(PaletteColour(2, light, false), PaletteColour(-1, light, false));
        EXPECT_EQ(PaletteColour(2, light, false), PaletteColour(79, light, false));
        EXPECT_EQ(PaletteColour(2, light, false), PaletteColour(100000, light, false));
        for (int index = 0; index < kPaletteSize; ++index) {
            if (index != 37) {
                EXPECT_EQ(PaletteColour(index, light, false), PaletteColour(index, light, true)) << index;
            }
        }
    }
    EXPECT_EQ(RGB(0xFF, 0xFF, 0x00), PaletteColour(37, false, false));
    EXPECT_EQ(RGB(0xFF, 0x80, 0xFF), PaletteColour(37, false, true));
    EXPECT_EQ(RGB(0xFF, 0x80, 0x00), PaletteColour(37, true, false));
    EXPECT_EQ(RGB(0xA0, 0x40, 0xA0), PaletteColour(37, true, true));
    EXPECT_EQ(RGB(0x00, 0x00, 0x00), PaletteColour(5, false, false)) << "window background";
    EXPECT_EQ(RGB(0xFF, 0xFF, 0xFF), PaletteColour(5, true, false));
}

TEST(Palette, FollowsTheGuiSettingsOnTheScreen)
{
    DibCanvas canvas(4, 4, RGB(0, 0, 0));
    NRDrawContext context(canvas.Dc());
    ASSERT_FALSE(context.OwnsFontSet()) << "a memory DC of the screen is the screen";
    {
        ScopedGuiSettings settings(false, true);
        EXPECT_EQ(RGB(0xFF, 0x80, 0xFF), context.Colour(37));
        EXPECT_EQ(RGB(0x30, 0x00, 0x00), PaletteColour(16));
    }
    {
        ScopedGuiSettings settings(true, false);
        EXPECT_EQ(RGB(0xFF, 0x80, 0x00), context.Colour(37));
        EXPECT_EQ(RGB(0xE8, 0xF2, 0xFF), PaletteColour(16));
    }
}

TEST(FaceColours, InactiveThenPressedThenFocusedThenHoveredThenNormal)
{
    const struct
    {
        NRFaceState state;  // enabled active hovered focused pressed hoverLooksFocused
        NRFaceColours expected;
    } cases[] = {
        {{false, true, true, true, true, true}, kInactiveFace},
        {{true, false, true, true, true, true}, kInactiveFace},
        {{true, true, true, false, true, false}, kPressedFace},
        {{true, true, false, true, true, false}, kPressedFace},
        {{true, true, false, false, true, false}, kNormalFace},  // pressed, but the pointer left
        {{true, true, true, true, false, false}, kFocusedFace},
        {{true, true, true, false, false, false}, kHoveredFace},
        {{true, true, true, false, false, true}, kFocusedFace},
        {{true, true, false, false, false, true}, kNormalFace},
    };
    for (const auto& c : cases) {
        const NRFaceColours face = ChooseFaceColours(c.state);
        EXPECT_TRUE(face == c.expected) << &c - cases << ": " << face.top << " " << face.bottom << " " << face.frame;
    }
}

TEST(FaceColours, InHighContrastTakeTheSystemColoursAStandardDialogGivesEachSurface)
{
    constexpr NRSystemFace window = {COLOR_WINDOW, COLOR_WINDOWTEXT, COLOR_WINDOWTEXT};
    constexpr NRSystemFace button = {COLOR_BTNFACE, COLOR_BTNTEXT, COLOR_BTNTEXT};
    constexpr NRSystemFace lit = {COLOR_HIGHLIGHT, COLOR_HIGHLIGHTTEXT, COLOR_HIGHLIGHTTEXT};
    constexpr NRSystemFace caption = {COLOR_ACTIVECAPTION, COLOR_CAPTIONTEXT, COLOR_CAPTIONTEXT};
    constexpr NRSystemFace inactiveCaption = {COLOR_INACTIVECAPTION, COLOR_INACTIVECAPTIONTEXT,
                                              COLOR_INACTIVECAPTIONTEXT};
    const struct
    {
        NRFaceState state;  // enabled active hovered focused pressed hoverLooksFocused
        NRFacePlace place;
        NRSystemFace expected;
    } cases[] = {
        {{true, true, false, false, false, false}, NRFacePlace::Window, window},
        {{false, true, false, false, false, false},
         NRFacePlace::Window,
         {COLOR_WINDOW, COLOR_GRAYTEXT, COLOR_GRAYTEXT}},
        {{true, true, false, false, false, false}, NRFacePlace::Control, button},
        {{true, false, true, true, true, false}, NRFacePlace::Control, button},  // in an inactive window
        {{true, true, true, false, false, false}, NRFacePlace::Control, lit},
        {{true, true, false, true, false, false}, NRFacePlace::Control, lit},
        {{true, true, false, false, true, false}, NRFacePlace::Control, button},  // pressed, but the pointer left
        {{false, true, true, true, true, false}, NRFacePlace::Control, {COLOR_BTNFACE, COLOR_GRAYTEXT, COLOR_GRAYTEXT}},
        {{true, true, false, false, false, false}, NRFacePlace::Caption, caption},
        {{true, false, false, false, false, false}, NRFacePlace::Caption, inactiveCaption},
        {{true, true, true, false, false, false}, NRFacePlace::Caption, lit},
        {{true, true, false, false, false, false}, NRFacePlace::Row, {COLOR_WINDOW, COLOR_WINDOWTEXT, COLOR_WINDOW}},
        {{true, false, false, false, false, false}, NRFacePlace::SelectedRow, lit},
        {{false, true, false, false, false, false},
         NRFacePlace::SelectedRow,
         {COLOR_WINDOW, COLOR_GRAYTEXT, COLOR_GRAYTEXT}},
    };
    for (const auto& c : cases) {
        const NRSystemFace face = ChooseSystemFace(c.state, c.place);
        EXPECT_TRUE(face == c.expected) << &c - cases << ": " << face.fill << " " << face.text << " " << face.frame;
    }
    EXPECT_TRUE(CaptionSystemFace(true) == caption);
    EXPECT_TRUE(CaptionSystemFace(false) == inactiveCaption);
}

TEST(FontSet, MakesFiveTahomaFontsFromTheBaseHeightAndDeletesThemAll)
{
    const int before = GdiObjectCount();
    {
        NRFontSet fonts(NRFontSet::kScreenBaseHeight);
        const struct
        {
            const NRFont& font;
            int height, secondMetric, escapement;
        } cases[] = {
            {fonts.Large(), 42, 28, 0},     {fonts.Medium(), 28, 18, 0}, {fonts.Normal(), 14, 9, 0},
            {fonts.Vertical(), 14, 9, 900}, {fonts.Small(), 11, 7, 0},
        };
        for (const auto& c : cases) {
            EXPECT_EQ(c.height, c.font.height);
            EXPECT_EQ(c.secondMetric, c.font.secondMetric);
            LOGFONTA logFont = {};
            ASSERT_TRUE(GetObjectA(c.font.handle, sizeof(logFont), &logFont)) << c.height;
            EXPECT_EQ(c.height, logFont.lfHeight);
            EXPECT_EQ(c.escapement, logFont.lfEscapement);
            EXPECT_EQ(c.escapement, logFont.lfOrientation);
            EXPECT_EQ(FW_NORMAL, logFont.lfWeight);
            EXPECT_STREQ("Tahoma", logFont.lfFaceName);
        }
        EXPECT_EQ(before + 5, GdiObjectCount());
    }
    EXPECT_EQ(before, GdiObjectCount());
}

TEST(TextSize, FollowsAMessageFontLargerThanTheDefaultInProportionAndNeverShrinks)
{
    const struct
    {
        int letters, dpi, expected;
    } cases[] = {
        {12, 96, 14},   // Windows' default, 9-point letters: as laid out
        {11, 96, 14},   // Wine's smaller default, and any smaller font: never below
        {0, 96, 14},    // no font to go by
        {12, 0, 14},    // no DPI to go by
        {15, 96, 18},   // 125 %, rounded
        {24, 96, 28},   // 200 %
        {18, 144, 14},  // the default on a 150 % system: the same letters at 96 DPI
        {36, 144, 28},  // 200 % there
        {2000, 96, 112},
    };
    for (const auto& c : cases)
        EXPECT_EQ(c.expected, TextBaseHeightFor(c.letters, c.dpi)) << c.letters << " at " << c.dpi;
}

TEST(TextSize, TheScreensFontsFollowItAndTheSetsNoWindowUsesAreDeleted)
{
    const int before = GdiObjectCount();
    EXPECT_EQ(14, NRFontSet::Screen().Normal().height) << "this machine's message font is the default";
    SetMessageFontLettersForTesting(24);
    EXPECT_TRUE(RefreshTextSize());
    EXPECT_FALSE(RefreshTextSize()) << "changed once";
    EXPECT_EQ(28, NRFontSet::Screen().Normal().height);
    EXPECT_EQ(42, NRFontSet::ForScreen(NRScale{144}).Normal().height);
    SetMessageFontLettersForTesting(0);
    EXPECT_TRUE(RefreshTextSize());
    EXPECT_EQ(14, NRFontSet::Screen().Normal().height);
    EXPECT_LE(GdiObjectCount(), before + 5) << "the sets of 28 and 42 pixels are gone";
}

TEST(DeviceScaling, ScreenTakesTheProgramsScaleAndPrintersScaleWithDensityAndPage)
{
    const struct
    {
        const char* device;
        NRDeviceCaps caps;
        int screenDpi;
        int baseFontHeight, dpiX, dpiY;
        bool ownFontSet;
    } cases[] = {
        {"screen", {1280, 1024, 1280, 1024, 96, 96, 0, 0}, 96, 14, 96, 96, false},
        {"screen at 120 dpi", {1280, 1024, 1280, 1024, 120, 120, 0, 0}, 120, 18, 120, 120, false},
        {"screen at 144 dpi", {1280, 1024, 1280, 1024, 144, 144, 0, 0}, 144, 21, 144, 144, false},
        {"screen at 192 dpi", {1280, 1024, 1280, 1024, 192, 192, 0, 0}, 192, 28, 192, 192, false},
        {"A4 portrait, 600 dpi", {4800, 6800, 1280, 1024, 600, 600, 4960, 7016}, 96, 58, 5 * 96, 5 * 96, true},
        {"A4 landscape, 600 dpi", {6800, 4800, 1280, 1024, 600, 600, 7016, 4960}, 96, 58, 5 * 96, 5 * 96, true},
        {"A3 landscape, 300 dpi", {4800, 3400, 1280, 1024, 300, 300, 4961, 3508}, 96, 41, 2 * 96, 2 * 96, true},
        {"legal portrait, 300 dpi", {2400, 4100, 1280, 1024, 300, 300, 2550, 4200}, 96, 34, 2 * 96, 2 * 96, true},
        {"144 dpi: base 14, no own fonts", {1100, 1600, 1280, 1024, 144, 144, 1190, 1683}, 96, 14, 96, 96, false},
        {"144 dpi, screen at 144: own fonts", {1100, 1600, 1280, 1024, 144, 144, 1190, 1683}, 144, 14, 96, 96, true},
        {"72 dpi: scales at least 1", {590, 840, 1280, 1024, 72, 72, 595, 842}, 96, 7, 96, 96, true},
        {"no density reported", {590, 840, 1280, 1024, 0, 0, 595, 842}, 96, 14, 96, 96, false},
    };
    for (const auto& c : cases) {
        const NRDeviceScaling scaling = ComputeDeviceScaling(c.caps, NRScale{c.screenDpi});
        EXPECT_EQ(c.baseFontHeight, scaling.baseFontHeight) << c.device;
        EXPECT_EQ(c.dpiX, scaling.scaleX.dpi) << c.device;
        EXPECT_EQ(c.dpiY, scaling.scaleY.dpi) << c.device;
        EXPECT_EQ(c.ownFontSet, scaling.ownFontSet) << c.device;
    }
}

TEST(Scale, MultipliesByDpiOver96WithHalvesRoundedAwayFromZero)
{
    const struct
    {
        int dpi, pixels, expected;
    } cases[] = {
        {96, 14, 14},  {96, 640, 640},  {96, -5, -5},  {120, 14, 18},   {120, 640, 800}, {120, 1, 1},
        {120, 2, 3},   {120, -2, -3},   {144, 14, 21}, {144, 480, 720}, {144, 1, 2},     {144, 5, 8},
        {192, 14, 28}, {192, 480, 960}, {192, 1, 2},   {480, 13, 65},
    };
    for (const auto& c : cases)
        EXPECT_EQ(c.expected, NRScale{c.dpi}.Px(c.pixels)) << c.dpi << " dpi, " << c.pixels << " px";
    EXPECT_EQ(3 * 96, NRScale::Factor(3).dpi);
}

TEST(FrameScaled, IsFrameRectAt96DpiAndOneScaledPixelThickAbove)
{
    const RECT rect = {2, 3, 30, 20};
    DibCanvas reference(32, 24, RGB(0, 0, 0));
    NRBrushHandle white(CreateSolidBrush(RGB(255, 255, 255)));
    FrameRect(reference.Dc(), &rect, white.Get());
    const struct
    {
        int dpi;
        int thickness;
    } cases[] = {{96, 1}, {120, 1}, {144, 2}, {192, 2}, {288, 3}};
    for (const auto& c : cases) {
        SetScreenScale(NRScale{c.dpi});
        DibCanvas canvas(32, 24, RGB(0, 0, 0));
        {
            NRDrawContext context(canvas.Dc());
            FrameScaled(context, rect, white.Get());
        }
        SetScreenScale(NRScale());
        const RECT inside = {rect.left + c.thickness, rect.top + c.thickness, rect.right - c.thickness,
                             rect.bottom - c.thickness};
        const int area = (rect.right - rect.left) * (rect.bottom - rect.top);
        const int insideArea = (inside.right - inside.left) * (inside.bottom - inside.top);
        EXPECT_EQ(area - insideArea, canvas.CountColour(RGB(255, 255, 255), RECT{0, 0, 32, 24})) << c.dpi;
        EXPECT_EQ(0, canvas.CountColour(RGB(255, 255, 255), inside)) << c.dpi;
        if (c.dpi == 96) {
            for (int y = 0; y < 24; ++y)
                for (int x = 0; x < 32; ++x)
                    ASSERT_EQ(reference.Pixel(x, y), canvas.Pixel(x, y)) << x << "," << y;
        }
    }
}

TEST(Gradients, RunFromTheFirstColourToTheSecond)
{
    DibCanvas canvas(40, 40, RGB(0, 0, 0));
    NRDrawContext context(canvas.Dc());
    VerticalGradient(context, 0, 0, 40, 20, RGB(255, 0, 0), RGB(0, 0, 255));
    HorizontalGradient(context, 0, 20, 40, 40, RGB(0, 255, 0), RGB(255, 255, 255));

    EXPECT_EQ(RGB(255, 0, 0), canvas.Pixel(5, 0)) << "top row of the vertical gradient";
    const COLORREF bottom = canvas.Pixel(5, 19);
    EXPECT_LE(GetRValue(bottom), 16);
    EXPECT_GE(GetBValue(bottom), 239);
    EXPECT_EQ(canvas.Pixel(0, 10), canvas.Pixel(39, 10)) << "one colour across each row";

    EXPECT_EQ(RGB(0, 255, 0), canvas.Pixel(0, 30)) << "left column of the horizontal gradient";
    EXPECT_GE(GetRValue(canvas.Pixel(39, 30)), 239);
    EXPECT_EQ(canvas.Pixel(20, 21), canvas.Pixel(20, 39)) << "one colour down each column";
}

TEST(CaptionText, UnderlinesTheAcceleratorInItsOwnColour)
{
    const COLORREF white = RGB(255, 255, 255), yellow = RGB(255, 255, 0);
    const struct
    {
        char accelerator;
        int underlinedAt;  // character index, or -1
    } cases[] = {{'C', 0}, {'L', 1}, {'x', -1}, {' ', -1}, {0, -1}};
    for (const auto& c : cases) {
        DibCanvas canvas(120, 30, RGB(0, 0, 0));
        NRDrawContext context(canvas.Dc());
        NRSelection font(canvas.Dc(), context.Fonts().Normal().handle);
        SetBkMode(canvas.Dc(), TRANSPARENT);
        CaptionText(context, 10, 5, "Close", c.accelerator, white, yellow);

        const RECT all = {0, 0, 120, 30};
        if (c.underlinedAt < 0) {
            EXPECT_EQ(0, canvas.CountColour(yellow, all)) << c.accelerator;
            continue;
        }
        SIZE before = {}, letter = {};
        GetTextExtentPoint32A(canvas.Dc(), "Close", c.underlinedAt, &before);
        GetTextExtentPoint32A(canvas.Dc(), "Close" + c.underlinedAt, 1, &letter);
        const RECT letterArea = {10 + before.cx, 0, 10 + before.cx + letter.cx, 30};
        EXPECT_EQ(canvas.CountColour(yellow, all), canvas.CountColour(yellow, letterArea)) << "only the letter";
        // The underline: a row of the letter's cell that is yellow from one side to the other.
        bool underlined = false;
        for (int y = 5; y < 30 && !underlined; ++y)
            underlined = canvas.CountColour(yellow, RECT{letterArea.left, y, letterArea.right, y + 1}) == letter.cx;
        EXPECT_TRUE(underlined) << c.accelerator;
        EXPECT_GT(canvas.CountColour(white, all), 0) << "the rest in the text colour";
    }
}

TEST(CaptionText, EndsAtTheStartPointOfARightAlignedDeviceAndRestoresItsAlignment)
{
    DibCanvas canvas(120, 30, RGB(0, 0, 0));
    NRDrawContext context(canvas.Dc());
    NRSelection font(canvas.Dc(), context.Fonts().Normal().handle);
    SetBkMode(canvas.Dc(), TRANSPARENT);
    SetTextAlign(canvas.Dc(), TA_RIGHT | TA_TOP);
    CaptionText(context, 100, 5, "Close", 0, RGB(255, 255, 255), RGB(255, 255, 0));
    EXPECT_EQ(static_cast<UINT>(TA_RIGHT | TA_TOP), GetTextAlign(canvas.Dc()));
    const RECT ink = canvas.InkBounds();
    EXPECT_LE(ink.right, 100);
    EXPECT_GE(ink.right, 95);
    EXPECT_GE(ink.left, 60);
}
