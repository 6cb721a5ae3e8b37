// The installer at the screen scales users run: 100, 125, 150 and 200 % (96 to 192 DPI). The program's
// screen scale is set here as start-up sets it from the display (Wine changes its DPI only when its
// server restarts: scripts/demo.sh runs the installer at 144 DPI for that).
#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <thread>
#include <vector>

#include "DibCanvas.h"
#include "TestSupport.h"
#include "app/NoxSetupWnd.h"
#include "app/WindowFrame.h"
#include "app/WindowMark.h"
#include "platform/Registry.h"
#include "platform/SystemInfo.h"
#include "ui/controls/CaptionGlyph.h"
#include "ui/dialogs/DropShadow.h"
#include "ui/dialogs/MessageBox.h"
#include "ui/framework/DisplayDpi.h"
#include "ui/theme/FontSet.h"
#include "ui/theme/Palette.h"
#include "ui/theme/TextSize.h"

using namespace testing_support;

namespace {

constexpr int kScales[] = {96, 120, 144, 192};

RECT ChildRect(HWND parent, HWND child)
{
    RECT rect = {};
    GetWindowRect(child, &rect);
    MapWindowPoints(nullptr, parent, reinterpret_cast<POINT*>(&rect), 2);
    return rect;
}

std::vector<HWND> ChildrenOfClass(HWND parent, const char* className)
{
    std::vector<HWND> found;
    for (HWND child = GetWindow(parent, GW_CHILD); child; child = GetWindow(child, GW_HWNDNEXT)) {
        char name[64] = {};
        GetClassNameA(child, name, sizeof(name));
        if (std::string(name) == className)
            found.push_back(child);
    }
    return found;
}

HWND ShadowOf(HWND owner)
{
    HWND shadow = nullptr;
    while ((shadow = FindWindowExA(nullptr, shadow, NRDropShadow::kWindowClassName, nullptr)))
        if (GetWindow(shadow, GW_OWNER) == owner)
            return shadow;
    return nullptr;
}

bool Overlap(const RECT& a, const RECT& b)
{
    RECT both = {};
    return IntersectRect(&both, &a, &b) != FALSE;
}

bool Inside(const RECT& inner, const RECT& outer)
{
    return inner.left >= outer.left && inner.top >= outer.top && inner.right <= outer.right &&
           inner.bottom <= outer.bottom;
}

// Copies `bitmap` into the canvas and deletes it; false without a bitmap.
bool TakeBitmap(const DibCanvas& canvas, HBITMAP bitmap)
{
    if (!bitmap)
        return false;
    HDC source = CreateCompatibleDC(canvas.Dc());
    const HGDIOBJ previous = SelectObject(source, bitmap);
    BitBlt(canvas.Dc(), 0, 0, canvas.Width(), canvas.Height(), source, 0, 0, SRCCOPY);
    SelectObject(source, previous);
    DeleteDC(source);
    DeleteObject(bitmap);
    return true;
}

// The height of capital letters in the screen's normal font, in pixels, as they are drawn.
int CapHeight()
{
    DibCanvas canvas(200, 100, RGB(255, 255, 255));
    const HGDIOBJ previous = SelectObject(canvas.Dc(), NRFontSet::Screen().Normal().handle);
    SetTextColor(canvas.Dc(), RGB(0, 0, 0));
    SetBkMode(canvas.Dc(), TRANSPARENT);
    TextOutA(canvas.Dc(), 10, 10, "NEH", 3);
    SelectObject(canvas.Dc(), previous);
    const RECT ink = canvas.InkBounds();
    return ink.bottom - ink.top;
}

class DisplayScale : public testing::Test
{
protected:
    DisplayScale()
    {
        g_osName = "Win10 x64";
        NRDropShadow::Initialize(GetModuleHandleA(nullptr));
    }
    ~DisplayScale() override
    {
        if (window.IsWindow())
            window.DestroyWindow();
        MSG quit;
        PeekMessageA(&quit, nullptr, WM_QUIT, WM_QUIT, PM_REMOVE);
        SetScreenScale(NRScale());
        g_guiSettings.newGui = 1;
        SetMessageFontLettersForTesting(0);
        RefreshTextSize();
    }
    // The window at the program's scale, its first step taken back out of the queue.
    void OpenWindow()
    {
        const SIZE size = NoxSetupWnd::WindowSize(ScreenScale());
        ASSERT_TRUE(window.Create(nullptr, RECT{100, 50, 100 + size.cx, 50 + size.cy}));
        MSG step;
        PeekMessageA(&step, window.Handle(), WM_INSTALL_STEP, WM_INSTALL_STEP, PM_REMOVE);
    }

    NoxSetupWnd window;
};

// What a box looked like while it was up.
struct BoxSeen
{
    RECT box = {};
    RECT pane = {};
    std::vector<RECT> buttons;
    RECT shadow = {};
    bool scrollBarShown = true;
};

// Where a shown box and its parts are, as a user sees them.
BoxSeen LookAt(HWND box)
{
    BoxSeen seen;
    GetWindowRect(box, &seen.box);
    for (HWND pane : ChildrenOfClass(box, "NRScrollableRichText")) {
        seen.pane = ChildRect(box, pane);
        for (HWND bar : ChildrenOfClass(pane, "NRScrollBar"))
            seen.scrollBarShown = IsWindowVisible(bar) != FALSE;
    }
    for (HWND button : ChildrenOfClass(box, "NRButton"))
        seen.buttons.push_back(ChildRect(box, button));
    if (HWND shadow = ShadowOf(box))
        GetWindowRect(shadow, &seen.shadow);
    return seen;
}

// Runs `box` and notes, from another thread, where it and its parts are; the box is then closed
// with Escape.
BoxSeen RunAndLook(NRMessageBox& box)
{
    BoxSeen seen;
    std::thread user([&] {
        const HWND shown = WaitForToolkitDialog(GetCurrentProcessId(), 10000);
        if (!shown)
            return;
        seen = LookAt(shown);
        PostMessageA(shown, WM_KEYDOWN, VK_ESCAPE, 0);
        for (int waited = 0; IsWindow(shown) && waited < 3000; waited += 20)
            Sleep(20);
        if (IsWindow(shown))
            PostMessageA(shown, WM_CLOSE, 0, 0);
    });
    box.RunModal();
    user.join();
    return seen;
}

}  // namespace

TEST(WindowGlyphs, At96DpiAreTheWindowsBitmapsPixelForPixel)
{
    const HINSTANCE instance = GetModuleHandleA(nullptr);
    const struct
    {
        int bitmap;
        NRCaptionGlyph glyph;
    } cases[] = {{NoxAppWndBase::kMinimizeBitmap, NRCaptionGlyph::Minimize},
                 {NoxAppWndBase::kMaximizeBitmap, NRCaptionGlyph::Maximize},
                 {NoxAppWndBase::kRestoreBitmap, NRCaptionGlyph::Restore},
                 {NoxAppWndBase::kCloseBitmap, NRCaptionGlyph::Close},
                 {NoxSetupWnd::kMarkBitmap, NRCaptionGlyph::None}};
    for (const auto& c : cases) {
        const bool mark = c.glyph == NRCaptionGlyph::None;
        const int side = mark ? 16 : 12;
        DibCanvas expected(side, side, RGB(1, 2, 3)), drawn(side, side, RGB(0, 0, 0));
        ASSERT_TRUE(TakeBitmap(expected, LoadBitmapA(instance, MAKEINTRESOURCEA(c.bitmap)))) << c.bitmap;
        if (mark)
            ASSERT_TRUE(TakeBitmap(drawn, CreateWindowMark(drawn.Dc(), NRScale())));
        else
            DrawCaptionGlyph(drawn.Dc(), c.glyph, 0, 0, NRScale());
        int different = 0;
        for (int y = 0; y < side; ++y)
            for (int x = 0; x < side; ++x)
                different += expected.Pixel(x, y) != drawn.Pixel(x, y);
        EXPECT_EQ(0, different) << "bitmap " << c.bitmap;
    }
}

TEST(WindowGlyphs, AreDrawnSharpAtEveryScaleWithLinesOfTheScaledThickness)
{
    for (const int dpi : kScales) {
        const NRScale scale{dpi};
        const int side = CaptionGlyphSide(scale), line = scale.Px(1);
        EXPECT_EQ(scale.Px(12), side);
        // White pixels across one row (or down one column) through the glyph's lines.
        const struct
        {
            NRCaptionGlyph glyph;
            bool column;
            int at;
            int expected;
        } cases[] = {
            {NRCaptionGlyph::Minimize, true, side / 2, scale.Px(2)},
            {NRCaptionGlyph::Maximize, false, side / 2, 2 * line},
            {NRCaptionGlyph::Maximize, true, side / 2, scale.Px(2) + line},
            {NRCaptionGlyph::Restore, false, scale.Px(9), 2 * line},
            {NRCaptionGlyph::Close, false, scale.Px(2) + line, 2 * (2 * line - 1)},
        };
        for (const auto& c : cases) {
            DibCanvas canvas(side, side, RGB(0, 0, 0));
            DrawCaptionGlyph(canvas.Dc(), c.glyph, 0, 0, scale);
            const RECT all = {0, 0, side, side};
            const int white = canvas.CountColour(RGB(255, 255, 255), all);
            EXPECT_EQ(side * side, white + canvas.CountColour(RGB(0, 0, 0), all))
                << "only white on black, nothing blended, at " << dpi;
            const RECT across = c.column ? RECT{c.at, 0, c.at + 1, side} : RECT{0, c.at, side, c.at + 1};
            EXPECT_EQ(c.expected, canvas.CountColour(RGB(255, 255, 255), across))
                << "glyph " << static_cast<int>(c.glyph) << (c.column ? ", column " : ", row ") << c.at << " at "
                << dpi;
        }
    }
    for (const int dpi : kScales) {
        const NRScale scale{dpi};
        const int side = WindowMarkSide(scale);
        DibCanvas canvas(side, side, RGB(0, 0, 0));
        ASSERT_TRUE(TakeBitmap(canvas, CreateWindowMark(canvas.Dc(), scale)));
        const RECT all = {0, 0, side, side};
        int counted = 0;
        for (const COLORREF colour :
             {kWindowMarkTransparent, RGB(0x41, 0x5F, 0x99), RGB(0xC0, 0xDB, 0xFF), RGB(255, 255, 255)})
            counted += canvas.CountColour(colour, all);
        EXPECT_EQ(side * side, counted) << "the mark's four colours only, at " << dpi;
        EXPECT_EQ(4 * scale.Px(1) * scale.Px(1), canvas.CountColour(kWindowMarkTransparent, all))
            << "its corners cut by one line, at " << dpi;
    }
}

TEST_F(DisplayScale, WindowCaptionPaneBoxesAndShadowAreLaidOutForEachScale)
{
    g_guiSettings.newGui = 0;  // the dark palette: shadows reach 2 pixels (scaled) beyond their box
    const struct
    {
        int dpi;
        SIZE window;
        int captionHeight;
        POINT pane;
        int closeSide;
        POINT shadowOffset;
    } cases[] = {
        {96, {640, 480}, 20, {5, 30}, 14, {3, 3}},
        {120, {800, 600}, 25, {6, 38}, 17, {3, 3}},
        {144, {960, 720}, 30, {8, 45}, 22, {5, 5}},
        {192, {1280, 960}, 40, {10, 60}, 28, {6, 6}},
    };
    int capHeightAt96 = 0;
    for (const auto& c : cases) {
        SCOPED_TRACE(std::to_string(c.dpi) + " dpi");
        const NRScale scale{c.dpi};
        SetScreenScale(scale);
        OpenWindow();
        const RECT client = window.GetClientRect();
        EXPECT_EQ(c.window.cx, client.right);
        EXPECT_EQ(c.window.cy, client.bottom);
        const RECT caption = CaptionRect(client, scale);
        EXPECT_EQ(c.captionHeight, caption.bottom - caption.top);
        const int capHeight = CapHeight();
        if (c.dpi == 96)
            capHeightAt96 = capHeight;
        EXPECT_GE(capHeight, 7);
        EXPECT_LE(std::abs(capHeight - scale.Px(capHeightAt96)), 1) << "cap height " << capHeight;
        EXPECT_LT(capHeight + scale.Px(2), caption.bottom - caption.top) << "the title fits its caption";
        const RECT pane = ChildRect(window.Handle(), window.ProgressPane().Handle());
        EXPECT_EQ(c.pane.x, pane.left);
        EXPECT_EQ(c.pane.y, pane.top);
        EXPECT_EQ(c.window.cx - c.pane.x, pane.right);
        const RECT close = ChildRect(window.Handle(), window.CloseButton().Handle());
        EXPECT_EQ(c.closeSide, close.right - close.left);
        EXPECT_EQ(c.window.cx - scale.Px(8), close.right);
        EXPECT_EQ(scale.Px(8), close.top);
        EXPECT_TRUE(Inside(close, caption)) << "the close button stands in the caption";

        // The longest texts a box shows: the most lines, and the longest line.
        for (const char* text : {NoxAppWndBase::kServerLostQuestion, NoxSetupWnd::kNoExistingInstall}) {
            NRMessageBox box(window.Handle(), text, 3);
            const BoxSeen seen = RunAndLook(box);
            ASSERT_EQ(2u, seen.buttons.size());
            const int width = seen.box.right - seen.box.left, height = seen.box.bottom - seen.box.top;
            EXPECT_EQ(box.Pane().MeasuredWidth() + scale.Px(20), width) << text;
            EXPECT_FALSE(seen.scrollBarShown) << "the whole text shows: " << text;
            EXPECT_GE(seen.pane.right - seen.pane.left, box.Pane().MeasuredWidth()) << "no line clipped";
            EXPECT_GE(seen.pane.bottom - seen.pane.top, box.Pane().MeasuredHeight()) << "no line clipped";
            EXPECT_EQ(scale.Px(10), seen.pane.left);
            EXPECT_EQ(scale.Px(10), seen.pane.top);
            const RECT inside = {0, 0, width, height};
            const RECT& yes = seen.buttons[0];
            const RECT& no = seen.buttons[1];
            EXPECT_EQ(height - scale.Px(10), yes.bottom) << "buttons stand 10 pixels (scaled) above the bottom";
            EXPECT_EQ(yes.bottom, no.bottom);
            EXPECT_EQ(scale.Px(10), no.left - yes.right) << "and 10 apart";
            EXPECT_LE(std::abs(yes.left - (width - no.right)), 1) << "centred";
            for (const RECT& button : seen.buttons) {
                EXPECT_TRUE(Inside(button, inside));
                EXPECT_FALSE(Overlap(button, seen.pane)) << "a button over the text";
                EXPECT_GE(button.bottom - button.top, NRFontSet::Screen().Normal().height + scale.Px(5) - 1);
            }
            EXPECT_FALSE(Overlap(yes, no));
            EXPECT_EQ(c.shadowOffset.x, seen.shadow.left - seen.box.left) << "shadow";
            EXPECT_EQ(c.shadowOffset.y, seen.shadow.top - seen.box.top) << "shadow";
            EXPECT_EQ(width + 2 * scale.Px(2), seen.shadow.right - seen.shadow.left) << "shadow";
        }
        window.DestroyWindow();
        MSG quit;
        PeekMessageA(&quit, nullptr, WM_QUIT, WM_QUIT, PM_REMOVE);
    }
}

TEST_F(DisplayScale, MovedToAScreenOfAnotherDpiItTakesTheSuggestedRectAndLeavesNoGdiObject)
{
    OpenWindow();
    window.AddProgressLine("A line that has to be measured again");
    // What the first change leaves is the process's for good (cached fonts and DCs).
    window.ApplyScale(NRScale{144});
    window.ApplyScale(NRScale{96});
    const int gdiObjects = GdiObjectCount();

    // As on a 150 % screen; Windows (Wine here) gives the window 96 DPI, so a message with 96 is its
    // own, and one with another DPI could only have been posted by some program.
    window.ApplyScale(NRScale{144});
    RECT suggested = {100, 50, 100 + 640, 50 + 480};
    window.SendMessage(WM_NR_DPICHANGED, MAKEWPARAM(96, 96), reinterpret_cast<LPARAM>(&suggested));
    EXPECT_EQ(96, ScreenScale().dpi);
    const auto edges = [](const RECT& r) { return std::vector<LONG>{r.left, r.top, r.right, r.bottom}; };
    EXPECT_EQ((std::vector<LONG>{100, 50, 740, 530}), edges(window.GetWindowRect())) << "the suggested rectangle";
    EXPECT_EQ(14, NRFontSet::Screen().Normal().height);
    EXPECT_EQ((std::vector<LONG>{5, 30, 635, 475}), edges(ChildRect(window.Handle(), window.ProgressPane().Handle())));
    EXPECT_EQ(14, window.CloseButton().Size().cx);

    // Not the window's own DPI: the scale follows, but the rectangle is not read; the window keeps
    // its centre.
    RECT bait = {0, 0, 960, 720};
    window.SendMessage(WM_NR_DPICHANGED, MAKEWPARAM(144, 144), reinterpret_cast<LPARAM>(&bait));
    EXPECT_EQ((std::vector<LONG>{-60, -70, 900, 650}), edges(window.GetWindowRect()));
    // Its own DPI, but a rectangle that is not the window at that scale, or an address that cannot
    // be read: the centre again.
    RECT tiny = {0, 0, 10, 10};
    window.SendMessage(WM_NR_DPICHANGED, MAKEWPARAM(96, 96), reinterpret_cast<LPARAM>(&tiny));
    EXPECT_EQ((std::vector<LONG>{100, 50, 740, 530}), edges(window.GetWindowRect()));
    window.SendMessage(WM_NR_DPICHANGED, MAKEWPARAM(144, 144), 0x10);
    window.ApplyScale(NRScale{144});
    window.SendMessage(WM_NR_DPICHANGED, MAKEWPARAM(96, 96), 0x10);
    EXPECT_EQ((std::vector<LONG>{100, 50, 740, 530}), edges(window.GetWindowRect()));
    // The DPI it has already: nothing happens, whatever the rectangle.
    RECT elsewhere = {300, 300, 940, 780};
    window.SendMessage(WM_NR_DPICHANGED, MAKEWPARAM(96, 96), reinterpret_cast<LPARAM>(&elsewhere));
    EXPECT_EQ((std::vector<LONG>{100, 50, 740, 530}), edges(window.GetWindowRect()));
    EXPECT_EQ(96, ScreenScale().dpi);
    EXPECT_EQ(gdiObjects, GdiObjectCount());
}

TEST_F(DisplayScale, ABoxMovedToAScreenOfAnotherDpiFollowsItWhileTheWindowStaysAsItIs)
{
    g_guiSettings.newGui = 0;  // the dark palette: the shadow reaches 2 pixels (scaled) beyond the box
    OpenWindow();
    const HWND main = window.Handle();
    const RECT mainBefore = window.GetWindowRect();
    BoxSeen before, after;
    RECT mainAfter = {};
    int fontAfter = 0;
    std::thread user([&] {
        const HWND box = WaitForToolkitDialog(GetCurrentProcessId(), 10000);
        if (!box)
            return;
        before = LookAt(box);
        // As Windows does when the box is dragged onto a 150 % screen (sent from another thread, the
        // rectangle is not taken: the box keeps its centre).
        SendMessageA(box, WM_NR_DPICHANGED, MAKEWPARAM(144, 144), 0);
        after = LookAt(box);
        GetWindowRect(main, &mainAfter);
        fontAfter = NRFontSet::ForScreen(WindowScale(box)).Normal().height;
        PostMessageA(box, WM_KEYDOWN, 'N', 0);
    });
    NRMessageBox(main, NoxSetupWnd::kConsentQuestion, 3).RunModal();
    user.join();

    const NRScale scale{144};
    const int widthBefore = before.box.right - before.box.left, widthAfter = after.box.right - after.box.left;
    EXPECT_NEAR(widthBefore * 3 / 2, widthAfter, 8) << widthBefore << " -> " << widthAfter;
    EXPECT_NEAR(before.box.left + before.box.right, after.box.left + after.box.right, 2) << "the same centre";
    EXPECT_EQ(21, fontAfter) << "its text at 150 %";
    ASSERT_EQ(2u, after.buttons.size());
    EXPECT_EQ(after.box.bottom - after.box.top - scale.Px(10), after.buttons[0].bottom);
    EXPECT_EQ(scale.Px(10), after.buttons[1].left - after.buttons[0].right);
    EXPECT_EQ(scale.Px(5) - scale.Px(2), after.shadow.left - after.box.left) << "the shadow's offset, scaled";
    EXPECT_EQ(widthAfter + 2 * scale.Px(2), after.shadow.right - after.shadow.left) << "and its reach";

    const auto edges = [](const RECT& r) { return std::vector<LONG>{r.left, r.top, r.right, r.bottom}; };
    EXPECT_EQ(edges(mainBefore), edges(mainAfter)) << "the window did not move to that screen";
    EXPECT_EQ(96, ScreenScale().dpi);
    EXPECT_EQ(14, NRFontSet::Screen().Normal().height);
    EXPECT_EQ(14, window.CloseButton().Size().cx);
}

TEST_F(DisplayScale, AtTwiceTheTextSizeTheWindowAndAnOpenBoxLayThemselvesOutAgainAndTheLongestTextsFit)
{
    const NRScale scale{144};
    SetScreenScale(scale);
    OpenWindow();
    const HWND main = window.Handle();
    BoxSeen before, after;
    std::thread user([&] {
        const HWND box = WaitForToolkitDialog(GetCurrentProcessId(), 10000);
        if (!box)
            return;
        before = LookAt(box);
        // "Make text bigger" at 200 %: Windows tells every top-level window, the main one first here.
        SetMessageFontLettersForTesting(24);
        SendMessageA(main, WM_SETTINGCHANGE, SPI_SETNONCLIENTMETRICS, 0);
        after = LookAt(box);
        PostMessageA(box, WM_KEYDOWN, 'N', 0);
    });
    NRMessageBox(main, NoxSetupWnd::kConsentQuestion, 3).RunModal();
    user.join();
    ASSERT_EQ(2u, after.buttons.size());
    const int heightBefore = before.buttons[0].bottom - before.buttons[0].top;
    const int heightAfter = after.buttons[0].bottom - after.buttons[0].top;
    const int padding = scale.Px(5);
    EXPECT_NEAR(2 * (heightBefore - padding), heightAfter - padding, 2) << "the box's buttons hold text twice as tall";
    EXPECT_GT(after.box.right - after.box.left, (before.box.right - before.box.left) * 3 / 2) << "its text is wider";
    EXPECT_EQ(42, NRFontSet::Screen().Normal().height);
    const RECT client = window.GetClientRect();
    const RECT caption = CaptionRect(client, scale, TextBaseHeight());
    EXPECT_EQ(scale.Px(20 + 14), caption.bottom - caption.top) << "the caption holds the taller title";
    EXPECT_EQ(scale.Px(30 + 14), ChildRect(main, window.ProgressPane().Handle()).top) << "the list moved below it";

    // The longest texts still show whole, each in one box on the screen.
    for (const char* text : {NoxAppWndBase::kServerLostQuestion, NoxSetupWnd::kNoExistingInstall}) {
        NRMessageBox box(main, text, 3);
        const BoxSeen seen = RunAndLook(box);
        EXPECT_FALSE(seen.scrollBarShown) << text;
        EXPECT_GE(seen.pane.right - seen.pane.left, box.Pane().MeasuredWidth()) << text;
        EXPECT_GE(seen.pane.bottom - seen.pane.top, box.Pane().MeasuredHeight()) << text;
        ASSERT_FALSE(seen.buttons.empty());
        EXPECT_FALSE(Overlap(seen.buttons[0], seen.pane)) << text;
        EXPECT_GE(seen.box.left, 0);
        EXPECT_LE(seen.box.right, GetSystemMetrics(SM_CXSCREEN)) << text;
    }
}

TEST_F(DisplayScale, TheWindowsFrameAndABoxsTitleRuleAreOneScaledPixelThickAsPainted)
{
    for (const int dpi : kScales) {
        const NRScale scale{dpi};
        SetScreenScale(scale);
        const int line = scale.Px(1);

        // The window paints its frame and body itself, into the device its erase message hands it.
        OpenWindow();
        const RECT client = window.GetClientRect();
        DibCanvas painted(client.right, client.bottom, RGB(1, 2, 3));
        window.SendMessage(WM_ERASEBKGND, reinterpret_cast<WPARAM>(painted.Dc()));
        const int midX = client.right / 2, midY = client.bottom / 2;
        const COLORREF frame = painted.Pixel(0, midY);
        EXPECT_EQ(frame, painted.Pixel(line - 1, midY)) << dpi << " DPI: the left edge is whole";
        EXPECT_NE(frame, painted.Pixel(line, midY)) << dpi << " DPI: the body starts inside it";
        EXPECT_EQ(frame, painted.Pixel(midX, line - 1)) << dpi << " DPI: the top edge is whole";
        EXPECT_NE(frame, painted.Pixel(midX, line)) << dpi << " DPI";
        window.DestroyWindow();
        MSG quit;  // the window's end asked for one; the box's run below must not take it
        PeekMessageA(&quit, nullptr, WM_QUIT, WM_QUIT, PM_REMOVE);

        // A titled box paints the rule under its title band in its erase message too.
        NRMessageBox box(nullptr, "Setup Complete\nThe Nox Racing tools have now been installed", 1);
        box.SetTitle("Warning");
        std::vector<COLORREF> rule;  // the band's last row, the rule's rows, the row after
        std::thread user([&] {
            const HWND shown = WaitForToolkitDialog(GetCurrentProcessId(), 10000);
            if (!shown)
                return;
            RECT area = {};
            GetClientRect(shown, &area);
            DibCanvas canvas(area.right, area.bottom, RGB(1, 2, 3));
            SendMessageA(shown, WM_ERASEBKGND, reinterpret_cast<WPARAM>(canvas.Dc()), 0);
            const RECT title = box.TitleRect();
            const int bandBottom = title.bottom - title.top + scale.Px(6);
            for (int y = bandBottom - 1; y <= bandBottom + line; ++y)
                rule.push_back(canvas.Pixel(area.right / 2, y));
            PostMessageA(shown, WM_KEYDOWN, VK_ESCAPE, 0);
        });
        box.RunModal();
        user.join();
        ASSERT_EQ(static_cast<size_t>(line + 2), rule.size()) << dpi << " DPI";
        const COLORREF ruleColour = rule[1];
        EXPECT_TRUE(ruleColour == PaletteColour(18) || ruleColour == PaletteColour(12)) << dpi << " DPI";
        EXPECT_NE(ruleColour, rule.front()) << dpi << " DPI: the band ends where the rule starts";
        EXPECT_EQ(ruleColour, rule[static_cast<size_t>(line)]) << dpi << " DPI: the rule is whole";
        EXPECT_NE(ruleColour, rule.back()) << dpi << " DPI: and no thicker";
    }
}
