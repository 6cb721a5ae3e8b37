// The scroll bar's arithmetic, the scroll bar window and the scrolling rich-text pane.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "DibCanvas.h"
#include "TestSupport.h"
#include "ui/controls/ScrollBar.h"
#include "ui/controls/ScrollGeometry.h"
#include "ui/controls/ScrollableRichText.h"
#include "ui/theme/DrawContext.h"
#include "ui/theme/Palette.h"

using namespace testing_support;

TEST(ScrollGeometry, PlacesTheThumbOnTheTrackBetweenTheArrows)
{
    // A bar 113 pixels long: arrows of 13, a track of 87.
    const NRScrollGeometry half = ComputeScrollGeometry(0, 113, 13, 0.5, 0.25);
    EXPECT_EQ(13, half.trackStart);
    EXPECT_EQ(100, half.trackEnd);
    EXPECT_EQ(13 + 22, half.thumbStart) << "87 x 0.25 = 21.75, rounded";
    EXPECT_EQ(13 + 22 + 44, half.thumbEnd) << "87 x 0.5 = 43.5, rounded up";

    const struct
    {
        int point;
        NRScrollHit expected;
    } hits[] = {{0, NRScrollHit::LineBack},     {12, NRScrollHit::LineBack},   {13, NRScrollHit::PageBack},
                {35, NRScrollHit::Thumb},       {79, NRScrollHit::Thumb},      {80, NRScrollHit::PageForward},
                {100, NRScrollHit::PageForward}, {101, NRScrollHit::LineForward}};
    for (const auto& hit : hits)
        EXPECT_EQ(hit.expected, HitTestScrollBar(half, hit.point)) << hit.point;
}

TEST(ScrollGeometry, DraggingAndSteppingStayWithinTheTrack)
{
    const NRScrollGeometry geometry = ComputeScrollGeometry(0, 113, 13, 0.5, 0.25);
    EXPECT_DOUBLE_EQ(22.0 / 87 + 10.0 / 87, DraggedThumbPosition(geometry, 10, 0.5));
    EXPECT_DOUBLE_EQ(0.0, DraggedThumbPosition(geometry, -40, 0.5)) << "before the track";
    EXPECT_DOUBLE_EQ(0.5, DraggedThumbPosition(geometry, 200, 0.5)) << "at most 1 - size";
    EXPECT_DOUBLE_EQ(0.0, DraggedThumbPosition(ComputeScrollGeometry(0, 20, 13, 0.5, 0.0), 5, 0.5)) << "no track";

    // Ten line steps (a tenth of the page each) make one page, and the end is 1 - size.
    const double size = 0.3;
    double position = 0.0;
    for (int step = 0; step < 10; ++step)
        position = ClampedScrollPosition(position, size / 10, size);
    EXPECT_NEAR(size, position, 1e-12);
    for (int step = 0; step < 100; ++step)
        position = ClampedScrollPosition(position, size / 10, size);
    EXPECT_DOUBLE_EQ(1.0 - size, position);
    EXPECT_DOUBLE_EQ(0.0, ClampedScrollPosition(0.1, -1.0, size));
}

namespace {

// A parent window for controls, whose posted messages the test reads.
class ParentWindow
{
public:
    ParentWindow(int width = 300, int height = 200)
        : m_hwnd(CreateWindowExA(0, "STATIC", "", WS_POPUP | WS_VISIBLE, 0, 0, width, height, nullptr, nullptr,
                                 nullptr, nullptr))
    {
    }
    ~ParentWindow() { DestroyWindow(m_hwnd); }
    HWND Handle() const { return m_hwnd; }

    // The messages in the range posted to it so far, as (message, lParam) pairs.
    std::vector<std::pair<UINT, LPARAM>> Take(UINT first, UINT last)
    {
        std::vector<std::pair<UINT, LPARAM>> taken;
        MSG msg;
        while (PeekMessageA(&msg, m_hwnd, first, last, PM_REMOVE))
            taken.push_back({msg.message, msg.lParam});
        return taken;
    }

private:
    HWND m_hwnd;
};

// Pumps this thread's messages for `ms`, noting when `message` reached `window`.
std::vector<DWORD> TimesOfPosts(HWND window, UINT message, DWORD ms)
{
    std::vector<DWORD> times;
    const DWORD start = GetTickCount();
    while (GetTickCount() - start < ms) {
        MSG msg;
        while (PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) {
            if (msg.hwnd == window && msg.message == message)
                times.push_back(GetTickCount() - start);
            else
                DispatchMessageA(&msg);
        }
        Sleep(5);
    }
    return times;
}

}  // namespace

TEST(ScrollBar, ArrowKeysOfItsOrientationStepByALine)
{
    ParentWindow parent;
    NRScrollBar vertical(NRScrollBar::Vertical), horizontal(NRScrollBar::Horizontal);
    ASSERT_TRUE(vertical.Create(parent.Handle(), RECT{0, 0, 13, 100}));
    ASSERT_TRUE(horizontal.Create(parent.Handle(), RECT{20, 0, 120, 13}));
    EXPECT_EQ(1, vertical.KeyDown(VK_DOWN, 1, 0));
    EXPECT_EQ(1, vertical.KeyDown(VK_UP, 1, 0));
    EXPECT_EQ(0, vertical.KeyDown(VK_LEFT, 1, 0));
    EXPECT_EQ(1, horizontal.KeyDown(VK_LEFT, 1, 0));
    EXPECT_EQ(0, horizontal.KeyDown(VK_DOWN, 1, 0));
    const auto posted = parent.Take(WM_NR_SCROLL_LINE, WM_NR_SCROLL_LINE);
    EXPECT_EQ((std::vector<std::pair<UINT, LPARAM>>{{WM_NR_SCROLL_LINE, 1}, {WM_NR_SCROLL_LINE, -1},
                                                      {WM_NR_SCROLL_LINE, -1}}),
              posted);
}

TEST(ScrollBar, AHeldArrowRepeatsAfterHalfASecondThenEveryTenthUntilTheMouseLeaves)
{
    ParentWindow parent;
    NRScrollBar bar;
    ASSERT_TRUE(bar.Create(parent.Handle(), RECT{0, 0, 13, 100}));
    bar.SetThumb(0.2, 0.0);
    SendMessageA(bar.Handle(), WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(6, 95));  // the down arrow
    MSG first;
    EXPECT_TRUE(PeekMessageA(&first, parent.Handle(), WM_NR_SCROLL_LINE, WM_NR_SCROLL_LINE, PM_NOREMOVE))
        << "the first step comes with the press itself";
    const std::vector<DWORD> times = TimesOfPosts(parent.Handle(), WM_NR_SCROLL_LINE, 1000);
    ASSERT_GE(times.size(), 4u) << "one at once, one after 500 ms, then one each 100 ms";
    EXPECT_GE(times[1], 480u) << "timers never fire early";
    // Each post is seen a little after it was made, by however long this thread took to look: one
    // gap can look short under load, the repeats on the whole cannot.
    const DWORD repeats = static_cast<DWORD>(times.size() - 2);
    EXPECT_GE(times.back() - times[1], repeats * 80u) << "one each 100 ms, not faster";

    SendMessageA(bar.Handle(), WM_MOUSELEAVE, 0, 0);
    TimesOfPosts(parent.Handle(), WM_NR_SCROLL_LINE, 50);  // one may have been under way
    EXPECT_TRUE(TimesOfPosts(parent.Handle(), WM_NR_SCROLL_LINE, 400).empty()) << "leaving stops the repeat";
}

TEST(ScrollBar, DraggingTheThumbMovesItAndReportsTheMovement)
{
    ParentWindow parent;
    NRScrollBar bar;
    ASSERT_TRUE(bar.Create(parent.Handle(), RECT{0, 0, 13, 113}));
    bar.SetThumb(0.5, 0.0);
    SendMessageA(bar.Handle(), WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(6, 20));
    EXPECT_EQ(static_cast<UINT>(WM_NR_SCROLL_THUMB), bar.CurrentAction());
    SendMessageA(bar.Handle(), WM_MOUSEMOVE, MK_LBUTTON, MAKELPARAM(6, 30));
    EXPECT_DOUBLE_EQ(10.0 / 87, bar.ThumbPosition());
    SendMessageA(bar.Handle(), WM_MOUSEMOVE, MK_LBUTTON, MAKELPARAM(6, 300));
    EXPECT_DOUBLE_EQ(0.5, bar.ThumbPosition()) << "at most 1 - size";
    SendMessageA(bar.Handle(), WM_LBUTTONUP, 0, MAKELPARAM(6, 300));
    EXPECT_EQ(0u, bar.CurrentAction());
    const auto posted = parent.Take(WM_NR_SCROLL_THUMB, WM_NR_SCROLL_THUMB_RELEASED);
    EXPECT_EQ((std::vector<std::pair<UINT, LPARAM>>{{WM_NR_SCROLL_THUMB, 0},
                                                      {WM_NR_SCROLL_THUMB, 10},
                                                      {WM_NR_SCROLL_THUMB, 270},
                                                      {WM_NR_SCROLL_THUMB_RELEASED, 0}}),
              posted);

    // A drag ends when another window takes the mouse, or when a move comes without the button.
    for (UINT end : {WM_CAPTURECHANGED, WM_MOUSEMOVE}) {
        bar.SetThumb(0.5, 0.0);
        SendMessageA(bar.Handle(), WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(6, 20));
        ASSERT_EQ(static_cast<UINT>(WM_NR_SCROLL_THUMB), bar.CurrentAction());
        if (end == WM_CAPTURECHANGED)
            SendMessageA(bar.Handle(), WM_CAPTURECHANGED, 0, reinterpret_cast<LPARAM>(parent.Handle()));
        SendMessageA(bar.Handle(), WM_MOUSEMOVE, 0, MAKELPARAM(6, 60));
        EXPECT_EQ(0u, bar.CurrentAction()) << end;
        EXPECT_EQ((std::vector<std::pair<UINT, LPARAM>>{{WM_NR_SCROLL_THUMB, 0}, {WM_NR_SCROLL_THUMB_RELEASED, 0}}),
                  parent.Take(WM_NR_SCROLL_THUMB, WM_NR_SCROLL_THUMB_RELEASED))
            << end << ": released once, and plain moves scroll no more";
    }

    bar.ShowWindow(SW_HIDE);
    EXPECT_DOUBLE_EQ(1.0, bar.ThumbSize()) << "hiding resets the thumb";
    EXPECT_DOUBLE_EQ(0.0, bar.ThumbPosition());
}

TEST(ScrollBar, TrackClicksPageTowardsThePointerAndTheFaceShowsTheState)
{
    ParentWindow parent;
    NRScrollBar bar;
    ASSERT_TRUE(bar.Create(parent.Handle(), RECT{0, 0, 13, 113}));
    const HWND window = bar.Handle();
    bar.SetThumb(0.5, 0.0);  // the thumb fills the upper half of the track
    SendMessageA(window, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(6, 80));
    SendMessageA(window, WM_LBUTTONUP, 0, MAKELPARAM(6, 80));
    bar.SetThumb(0.5, 0.5);  // and now the lower half
    SendMessageA(window, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(6, 20));
    SendMessageA(window, WM_LBUTTONUP, 0, MAKELPARAM(6, 20));
    EXPECT_EQ((std::vector<std::pair<UINT, LPARAM>>{{WM_NR_SCROLL_PAGE, 1}, {WM_NR_SCROLL_PAGE, -1}}),
              parent.Take(WM_NR_SCROLL_PAGE, WM_NR_SCROLL_PAGE));

    // The arrows and the thumb's outline take the frame colour of the state, and no other's.
    const auto shownFrames = [&] {
        DibCanvas canvas(13, 113, RGB(1, 2, 3));
        NRDrawContext context(canvas.Dc());
        bar.Paint(context, 0, 0, 13, 113);
        std::vector<int> shown;
        for (int frame : {22, 25, 28, 31, 34})
            if (canvas.CountColour(PaletteColour(frame), RECT{0, 0, 13, 113}) > 0)
                shown.push_back(frame);
        return shown;
    };
    EXPECT_EQ(std::vector<int>{25}, shownFrames()) << "normal";
    SendMessageA(window, WM_MOUSEMOVE, 0, MAKELPARAM(6, 40));
    EXPECT_EQ(std::vector<int>{28}, shownFrames()) << "under the pointer";
    bar.SetFocused(1);
    EXPECT_EQ(std::vector<int>{31}, shownFrames()) << "focused";
    SendMessageA(window, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(6, 80));
    EXPECT_EQ(std::vector<int>{34}, shownFrames()) << "thumb held";
    SendMessageA(window, WM_LBUTTONUP, 0, MAKELPARAM(6, 80));
    bar.SetEnabled(0);
    EXPECT_EQ(std::vector<int>{22}, shownFrames()) << "disabled";
}

namespace {

// The text's first inked column in the pane, painted through the pane's own code.
int FirstInkedColumn(NRScrollableRichText& pane, int width, int height)
{
    DibCanvas canvas(width, height, RGB(0, 0, 0));
    NRDrawContext context(canvas.Dc());
    pane.Paint(context, 0, 0, width, height);
    return canvas.InkBounds().left;
}

bool ScrollBarShows(NRScrollableRichText& pane) { return (pane.ScrollBar().GetStyle() & WS_VISIBLE) != 0; }

}  // namespace

TEST(ScrollableRichText, ShowsAScrollBarAtTheLeftOnlyForATextTallerThanThePane)
{
    ParentWindow parent(400, 300);
    NRScrollableRichText pane("one\ntwo\nthree");
    ASSERT_TRUE(pane.Create(parent.Handle(), RECT{0, 0, 200, 42}));
    ASSERT_EQ(3 * 14, pane.WrappedSize().height);
    EXPECT_FALSE(ScrollBarShows(pane)) << "fits exactly";
    EXPECT_LT(FirstInkedColumn(pane, 200, 42), 4);

    ::SetWindowPos(pane.Handle(), nullptr, 0, 0, 200, 41, SWP_NOZORDER);
    EXPECT_TRUE(ScrollBarShows(pane)) << "one pixel short";
    EXPECT_GE(FirstInkedColumn(pane, 200, 41), 13) << "the text moves right of the bar";
    EXPECT_DOUBLE_EQ(41.0 / 42, pane.ScrollBar().ThumbSize());

    // A scrolled pane goes back to the top when it is resized.
    SendMessageA(pane.Handle(), WM_NR_SCROLL_PAGE, reinterpret_cast<WPARAM>(&pane.ScrollBar()), 1);
    EXPECT_GT(pane.ScrollBar().ThumbPosition(), 0.0);
    ::SetWindowPos(pane.Handle(), nullptr, 0, 0, 190, 41, SWP_NOZORDER);
    EXPECT_DOUBLE_EQ(0.0, pane.ScrollBar().ThumbPosition());
    // Scroll steps from anything but its own bar change nothing.
    SendMessageA(pane.Handle(), WM_NR_SCROLL_PAGE, 0x1234, 1);
    EXPECT_DOUBLE_EQ(0.0, pane.ScrollBar().ThumbPosition());

    EXPECT_EQ(HTTRANSPARENT, SendMessageA(pane.Handle(), WM_NCHITTEST, 0, 0)) << "the mouse falls through";
}

TEST(ScrollableRichText, WrapsAgainAtTheWidthTheScrollBarLeaves)
{
    // A second line that just fits the pane's width, but not beside the scroll bar.
    ParentWindow parent(400, 300);
    DibCanvas measure(10, 10, RGB(0, 0, 0));
    NRDrawContext context(measure.Dc());
    NRRichText line;
    ASSERT_TRUE(line.Measure(context, "wide enough words"));
    NRScrollableRichText pane("first\nwide enough words");
    ASSERT_TRUE(pane.Create(parent.Handle(), RECT{0, 0, line.MeasuredWidth() + 5, 2 * 14 - 1}));
    EXPECT_TRUE(ScrollBarShows(pane));
    EXPECT_EQ(3 * 14, pane.WrappedSize().height) << "the second line wraps beside the bar";
}

TEST(ScrollableRichText, ShowsMarkupItCannotLayOutAsWritten)
{
    ParentWindow parent(400, 300);
    NRScrollableRichText pane("$jcA$jrB");
    ASSERT_TRUE(pane.Create(parent.Handle(), RECT{0, 0, 200, 40}));
    DibCanvas canvas(200, 40, RGB(0, 0, 0));
    NRDrawContext context(canvas.Dc());
    pane.Paint(context, 0, 0, 200, 40);  // must not raise
    EXPECT_LT(canvas.InkBounds().left, 4) << "the whole text, from the left";
}
