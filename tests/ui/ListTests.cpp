// The list box family: its arithmetic, the contents, the list box window with keys, mouse and
// marks, rich-text lines, and the container the installer keeps its progress lines in.
#include <gtest/gtest.h>

#include <limits>
#include <memory>
#include <string>
#include <vector>

#include "DibCanvas.h"
#include "TestSupport.h"
#include "ui/lists/ListBox.h"
#include "ui/lists/ListBoxContents.h"
#include "ui/lists/ListContainer.h"
#include "ui/lists/ListLayout.h"
#include "ui/lists/RichTextListItem.h"
#include "ui/theme/DrawContext.h"

using namespace testing_support;

TEST(ListLayout, ScrollsByRowsAndPagesWithinTheList)
{
    const NRListMetrics metrics = {18, 18 * 100 + 1, 180};  // 100 rows, 10 showing
    EXPECT_FALSE(ListFits(metrics));
    EXPECT_EQ(10, RowsPerPage(metrics));
    EXPECT_EQ(1, WheelLines(metrics));
    EXPECT_DOUBLE_EQ(18.0 / 1801, ScrolledByRows(metrics, 0.0, 1));
    EXPECT_DOUBLE_EQ(180.0 / 1801, ScrolledByPages(metrics, 0.0, 1));
    EXPECT_DOUBLE_EQ(0.0, ScrolledByRows(metrics, 0.0, -1));
    EXPECT_DOUBLE_EQ(1.0 - 180.0 / 1801, ScrolledByPages(metrics, 0.0, 50)) << "never past the last page";
    EXPECT_DOUBLE_EQ(1.0 - 180.0 / 1801, ScrolledByPages(metrics, 0.0, std::numeric_limits<int>::max()))
        << "a page count posted by anyone";
    EXPECT_DOUBLE_EQ(0.0, ScrolledByPages(metrics, 0.5, std::numeric_limits<int>::min()));
    EXPECT_EQ(90, FirstVisibleRow(metrics, ScrolledByPages(metrics, 0.0, 9)));
    EXPECT_EQ(99, RowAt(metrics, 1.0 - 180.0 / 1801, 170, 100));
    EXPECT_EQ(-1, RowAt(metrics, 0.0, 5, 0));

    // Bringing a row into view moves as little as it can.
    EXPECT_DOUBLE_EQ(0.0, PositionShowingRow(metrics, 0.0, 9));
    EXPECT_DOUBLE_EQ((10 * 18 + 18 - 180) / 1801.0, PositionShowingRow(metrics, 0.0, 10));
    EXPECT_DOUBLE_EQ(18 * 3 / 1801.0, PositionShowingRow(metrics, 0.5, 3));

    const NRListMetrics fits = {18, 18 * 5 + 1, 180};
    EXPECT_TRUE(ListFits(fits));
    EXPECT_DOUBLE_EQ(0.0, ScrolledByPages(fits, 0.0, 3)) << "nothing scrolls while the whole list shows";
    EXPECT_EQ(1, WheelLines(fits));
    EXPECT_EQ(3, WheelLines(NRListMetrics{18, 18 * 1000 + 1, 18 * 24}));
}

TEST(ListLayout, KeysMoveTheCurrentRowAndStopAtTheEnds)
{
    const struct
    {
        unsigned key;
        int current, expected;
    } cases[] = {
        {VK_DOWN, 0, 1},   {VK_DOWN, 19, 19}, {VK_UP, 0, 0},      {VK_UP, 5, 4},     {VK_HOME, 12, 0},
        {VK_END, 3, 19},   {VK_NEXT, 3, 9},   {VK_NEXT, 15, 19},  {VK_PRIOR, 15, 9}, {VK_PRIOR, 6, 0},
        {VK_PRIOR, 7, 1},  {'A', 3, -1},
    };
    for (const auto& c : cases)
        EXPECT_EQ(c.expected, KeyTargetRow(c.key, c.current, 20, 6)) << c.key << " from " << c.current;
    EXPECT_EQ(-1, KeyTargetRow(VK_DOWN, -1, 0, 6)) << "an empty list answers no keys";
}

namespace {

// An item of a fixed size that remembers how it was drawn.
class TestItem : public NRListBoxItem
{
public:
    TestItem(int key, int height = 18) : NRListBoxItem(nullptr), key(key), height(height) {}
    NRBufferSize MeasureColumn(NRDrawContext&, int column) override { return {40 + 10 * column, height}; }
    void Draw(NRDrawContext&, int, int top, int right, int, bool current) override
    {
        drawnAt = top;
        drawnRight = right;
        drawnCurrent = current;
    }
    int key, height;
    int drawnAt = -1000;
    int drawnRight = -1000;
    bool drawnCurrent = false;
};

int ByKey(const NRListBoxItem& a, const NRListBoxItem& b)
{
    return static_cast<const TestItem&>(a).key - static_cast<const TestItem&>(b).key;
}

std::vector<int> Keys(const NRListBoxContents& contents)
{
    std::vector<int> keys;
    for (int i = 0; i < contents.Count(); ++i)
        keys.push_back(static_cast<TestItem*>(contents.At(i))->key);
    return keys;
}

}  // namespace

TEST(ListBoxContents, InsertsSortedSortsStablyAndKeepsItsSizes)
{
    NRListBoxContents contents(2);
    for (int key : {5, 1, 4})
        contents.AddToEnd(std::make_unique<TestItem>(key));
    contents.AddToFront(std::make_unique<TestItem>(9));
    contents.InsertSorted(std::make_unique<TestItem>(3), ByKey);  // before the first greater: 9
    EXPECT_EQ((std::vector<int>{3, 9, 5, 1, 4}), Keys(contents));
    EXPECT_EQ(40 + 50, contents.ListWidth()) << "the columns' widest cells";
    EXPECT_EQ(5 * 18 + 1, contents.ListHeight()) << "one pixel more for the first row";

    auto* sevenA = contents.AddToEnd(std::make_unique<TestItem>(7));
    auto* sevenB = contents.InsertBefore(contents.At(0), std::make_unique<TestItem>(7));
    contents.Sort(ByKey);
    EXPECT_EQ((std::vector<int>{1, 3, 4, 5, 7, 7, 9}), Keys(contents));
    EXPECT_EQ(4, contents.IndexOf(sevenB)) << "equal items keep their order";
    EXPECT_EQ(5, contents.IndexOf(sevenA));

    EXPECT_TRUE(contents.SetCurrent(sevenA));
    EXPECT_EQ(5, contents.CurrentIndex());
    contents.AddToFront(std::make_unique<TestItem>(0));
    EXPECT_EQ(6, contents.CurrentIndex()) << "follows its item";
    TestItem stranger(42);
    EXPECT_FALSE(contents.SetCurrent(&stranger)) << "only its own items";
    EXPECT_EQ(sevenA, contents.Current());

    contents.At(2)->Set(NRListBoxItem::kCtrlMarked);
    contents.At(3)->Set(NRListBoxItem::kShiftMarked | NRListBoxItem::kFlashes);
    EXPECT_EQ(2, contents.MarkedCount());
    EXPECT_EQ(1, contents.FlashingCount());
    NRListBoxContents other;
    other.TakeOver(contents);
    EXPECT_EQ(8, other.Count());
    EXPECT_EQ(0, contents.Count());
    EXPECT_EQ(2, other.MarkedCount());
    EXPECT_EQ(&other, other.At(0)->Contents());
}

namespace {

// A list box in a parent window, with `rows` test items of 18 pixels, 180 pixels high (10 rows).
struct ListFixture
{
    ListFixture(int rows, unsigned style = 0)
    {
        for (int i = 0; i < rows; ++i)
            contents.AddToEnd(std::make_unique<TestItem>(i));
        list.SetStyle(style);
        EXPECT_TRUE(list.Create(parent, RECT{0, 0, 200, 180}));
        list.AttachContents(&contents);
    }
    ~ListFixture()
    {
        list.DestroyWindow();
        DestroyWindow(parent);
    }
    int Current() const { return contents.CurrentIndex(); }
    void Key(UINT key) { SendMessageA(list.Handle(), WM_KEYDOWN, key, 0); }
    void Click(int row, WPARAM keys = 0)
    {
        const int y = row * 18 - static_cast<int>(list.ScrollPosition() * contents.ListHeight() + 0.5) + 5;
        SendMessageA(list.Handle(), WM_LBUTTONDOWN, MK_LBUTTON | keys, MAKELPARAM(100, y));
        SendMessageA(list.Handle(), WM_LBUTTONUP, keys, MAKELPARAM(100, y));
    }
    std::vector<int> Marked() const
    {
        std::vector<int> rows;
        for (int i = 0; i < contents.Count(); ++i)
            if (contents.At(i)->Has(NRListBoxItem::kMarks))
                rows.push_back(i);
        return rows;
    }

    HWND parent = CreateWindowExA(0, "STATIC", "", WS_POPUP | WS_VISIBLE, 0, 0, 300, 300, nullptr, nullptr, nullptr,
                                  nullptr);
    NRListBoxContents contents;
    NRListBox list;
};

}  // namespace

TEST(ListBox, KeysMoveTheCurrentItemIntoViewAndAnEmptyListAnswersNone)
{
    ListFixture fixture(30);
    EXPECT_EQ(0, fixture.Current()) << "attaching makes the first item current";
    fixture.Key(VK_UP);
    EXPECT_EQ(0, fixture.Current());
    fixture.Key(VK_NEXT);
    EXPECT_EQ(10, fixture.Current());
    EXPECT_GT(fixture.list.ScrollPosition(), 0.0) << "scrolled to show it";
    fixture.Key(VK_END);
    EXPECT_EQ(29, fixture.Current());
    fixture.Key(VK_DOWN);
    EXPECT_EQ(29, fixture.Current());
    EXPECT_DOUBLE_EQ((29 * 18 + 18 - 180) / (30 * 18 + 1.0), fixture.list.ScrollPosition()) << "just showing it";
    fixture.Key(VK_HOME);
    EXPECT_EQ(0, fixture.Current());
    EXPECT_DOUBLE_EQ(0.0, fixture.list.ScrollPosition());

    ListFixture empty(0);
    EXPECT_EQ(0, empty.list.KeyDown(VK_DOWN, 1, 0));
    EXPECT_EQ(nullptr, empty.contents.Current());
}

TEST(ListBox, ShiftMarksARangeFromTheAnchorAndCtrlTogglesOneItem)
{
    ListFixture fixture(8, NRListBoxBase::kMultiMark);
    fixture.Click(2);
    fixture.Click(5, MK_SHIFT);
    EXPECT_EQ((std::vector<int>{2, 3, 4, 5}), fixture.Marked());
    fixture.Click(1, MK_SHIFT);
    EXPECT_EQ((std::vector<int>{1, 2}), fixture.Marked()) << "the anchor stays; the rest lose their mark";
    fixture.Click(6, MK_CONTROL);
    EXPECT_EQ((std::vector<int>{1, 2, 6}), fixture.Marked());
    fixture.Click(6, MK_CONTROL);
    EXPECT_EQ((std::vector<int>{1, 2}), fixture.Marked()) << "a second Ctrl click unmarks";
    fixture.Click(4);
    EXPECT_TRUE(fixture.Marked().empty()) << "a plain click clears every mark";

    ListFixture single(8);
    single.Click(2);
    single.Click(5, MK_SHIFT);
    EXPECT_TRUE(single.Marked().empty()) << "only multi-mark lists mark";
}

TEST(ListBox, ScrollsWithTheWheelAndItsBarAndTrustsOnlyItsOwnItems)
{
    ListFixture fixture(200);
    SendMessageA(fixture.list.Handle(), WM_MOUSEWHEEL, MAKEWPARAM(0, -WHEEL_DELTA), 0);
    EXPECT_DOUBLE_EQ(18.0 / (200 * 18 + 1), fixture.list.ScrollPosition()) << "down one line per notch";
    SendMessageA(fixture.list.Handle(), WM_NR_SCROLL_PAGE, reinterpret_cast<WPARAM>(&fixture.list.ScrollBar()), 1);
    EXPECT_DOUBLE_EQ(11 * 18.0 / (200 * 18 + 1), fixture.list.ScrollPosition());
    SendMessageA(fixture.list.Handle(), WM_NR_SCROLL_PAGE, 0x1234, 1);
    EXPECT_DOUBLE_EQ(11 * 18.0 / (200 * 18 + 1), fixture.list.ScrollPosition()) << "not from its own bar";

    TestItem stranger(7);
    SendMessageA(fixture.list.Handle(), WM_NR_LIST_QUERY, NRListBoxBase::kQuerySetCurrent,
                 reinterpret_cast<LPARAM>(&stranger));
    SendMessageA(fixture.list.Handle(), WM_NR_LIST_QUERY, NRListBoxBase::kQuerySetCurrent, 0x12345678);
    EXPECT_EQ(0, fixture.Current());
    SendMessageA(fixture.list.Handle(), WM_NR_LIST_QUERY, NRListBoxBase::kQuerySetCurrent,
                 reinterpret_cast<LPARAM>(fixture.contents.At(150)));
    EXPECT_EQ(150, fixture.Current());

    // Space activates the current item.
    fixture.Key(VK_SPACE);
    MSG msg;
    ASSERT_TRUE(PeekMessageA(&msg, fixture.parent, WM_NR_LIST_ACTIVATED, WM_NR_LIST_ACTIVATED, PM_REMOVE));
    EXPECT_EQ(reinterpret_cast<LPARAM>(fixture.contents.At(150)), msg.lParam);
}

namespace {

// The parent's notifications of one kind since the last call: their lParams.
std::vector<LPARAM> Notified(HWND parent, UINT message)
{
    std::vector<LPARAM> seen;
    MSG msg;
    while (PeekMessageA(&msg, parent, message, message, PM_REMOVE))
        seen.push_back(msg.lParam);
    return seen;
}

LPARAM RowPoint(int row) { return MAKELPARAM(100, row * 18 + 5); }

}  // namespace

TEST(ListBox, ClicksActivateAsTheStyleSaysRightClicksAndDragsReportAndFlashingAlternates)
{
    // Single-click lists activate on the release of a press, never on a double-click or a right click.
    ListFixture single(8, NRListBoxBase::kSingleClick);
    const HWND singleList = single.list.Handle();
    single.Click(3);
    EXPECT_EQ((std::vector<LPARAM>{reinterpret_cast<LPARAM>(single.contents.At(3))}),
              Notified(single.parent, WM_NR_LIST_ACTIVATED));
    SendMessageA(singleList, WM_LBUTTONDBLCLK, MK_LBUTTON, RowPoint(3));
    SendMessageA(singleList, WM_LBUTTONUP, 0, RowPoint(3));
    SendMessageA(singleList, WM_RBUTTONDOWN, MK_RBUTTON, RowPoint(5));
    SendMessageA(singleList, WM_RBUTTONUP, 0, RowPoint(5));
    EXPECT_EQ(5, single.Current()) << "the right button only moves the current row";
    EXPECT_TRUE(Notified(single.parent, WM_NR_LIST_ACTIVATED).empty());
    EXPECT_TRUE(Notified(single.parent, WM_NR_RIGHT_CLICKED).empty());

    // Other lists activate on a double-click and report a right click on the current row.
    ListFixture plain(8, NRListBoxBase::kDragMoves);
    const HWND list = plain.list.Handle();
    plain.Click(3);
    EXPECT_TRUE(Notified(plain.parent, WM_NR_LIST_ACTIVATED).empty());
    SendMessageA(list, WM_LBUTTONDBLCLK, MK_LBUTTON, RowPoint(3));
    SendMessageA(list, WM_LBUTTONUP, 0, RowPoint(3));
    EXPECT_EQ(1u, Notified(plain.parent, WM_NR_LIST_ACTIVATED).size());
    SendMessageA(list, WM_RBUTTONDOWN, MK_RBUTTON, RowPoint(5));
    SendMessageA(list, WM_RBUTTONUP, 0, RowPoint(5));
    EXPECT_EQ(5, plain.Current());
    EXPECT_EQ((std::vector<LPARAM>{reinterpret_cast<LPARAM>(&plain.contents)}),
              Notified(plain.parent, WM_NR_RIGHT_CLICKED));

    // Dragging the current row with the left button moves it.
    NRListBoxItem* dragged = plain.contents.At(2);
    SendMessageA(list, WM_LBUTTONDOWN, MK_LBUTTON, RowPoint(2));
    SendMessageA(list, WM_MOUSEMOVE, MK_LBUTTON, RowPoint(4));
    SendMessageA(list, WM_LBUTTONUP, 0, RowPoint(4));
    EXPECT_EQ(dragged, plain.contents.At(4));
    EXPECT_EQ(4, plain.Current());
    EXPECT_EQ((std::vector<LPARAM>{MAKELONG(2, 4)}), Notified(plain.parent, WM_NR_LIST_ITEM_MOVED));

    // A flashing item takes the flash phase at the on timer and leaves it at the off timer.
    NRListBoxItem* flashing = plain.contents.At(6);
    flashing->Set(NRListBoxItem::kFlashes);
    plain.list.AttachContents(&plain.contents);
    EXPECT_TRUE(KillTimer(list, NRListBoxBase::kFlashOnTimerId)) << "the flash waits for its timer";
    SendMessageA(list, WM_TIMER, NRListBoxBase::kFlashOnTimerId, 0);
    EXPECT_TRUE(flashing->Has(NRListBoxItem::kFlashPhase));
    SendMessageA(list, WM_TIMER, NRListBoxBase::kFlashOffTimerId, 0);
    EXPECT_FALSE(flashing->Has(NRListBoxItem::kFlashPhase));
    plain.list.SetStyle(NRListBoxBase::kNoFlashing);
    KillTimer(list, NRListBoxBase::kFlashOnTimerId);
    plain.list.AttachContents(&plain.contents);
    EXPECT_FALSE(KillTimer(list, NRListBoxBase::kFlashOnTimerId)) << "a list that does not flash";
}

TEST(ListBox, PaintsTheRowsThatShowWithTheCurrentOneLast)
{
    ListFixture fixture(40);
    fixture.Key(VK_NEXT);
    fixture.Key(VK_DOWN);  // row 11 current, rows 2 to 11 showing
    DibCanvas canvas(200, 180, RGB(0, 0, 0));
    NRDrawContext context(canvas.Dc());
    fixture.list.Paint(context, 0, 0, 200, 180);
    const auto* first = static_cast<TestItem*>(fixture.contents.At(2));
    const auto* current = static_cast<TestItem*>(fixture.contents.At(11));
    EXPECT_EQ(0, first->drawnAt);
    EXPECT_FALSE(first->drawnCurrent);
    EXPECT_EQ(162, current->drawnAt);
    EXPECT_TRUE(current->drawnCurrent);
    EXPECT_EQ(-1000, static_cast<TestItem*>(fixture.contents.At(1))->drawnAt) << "above the view: not drawn";
    EXPECT_EQ(-1000, static_cast<TestItem*>(fixture.contents.At(13))->drawnAt) << "below the view: not drawn";

    // A current row that begins above the top edge is drawn too, over what the buffer held.
    ListFixture partly(40);
    partly.Key(VK_END);
    for (int i = 0; i < 9; ++i)
        partly.Key(VK_UP);
    SendMessageA(partly.list.Handle(), WM_MOUSEWHEEL, MAKEWPARAM(0, -WHEEL_DELTA), 0);
    partly.list.Paint(context, 0, 0, 200, 180);
    const auto* partlyShown = static_cast<TestItem*>(partly.contents.At(30));
    ASSERT_EQ(30, partly.Current());
    EXPECT_LT(partlyShown->drawnAt, 0);
    EXPECT_GT(partlyShown->drawnAt, -18);
    EXPECT_TRUE(partlyShown->drawnCurrent);
}

TEST(ListBox, AResizedListIsDrawnInItsNewLayoutAtOnce)
{
    ListFixture fixture(5);
    // Wider than the bitmap so far: the bitmap grows and is painted at once, in the new layout.
    SetWindowPos(fixture.list.Handle(), nullptr, 0, 0, 280, 180, SWP_NOZORDER | SWP_NOACTIVATE);
    EXPECT_EQ(280, static_cast<TestItem*>(fixture.contents.At(0))->drawnRight);
}

TEST(RichTextListItem, MeasuresItsLineAndPaintsMarkupThatCannotBeLaidOut)
{
    NRListBoxContents contents;
    const std::int32_t tabs[] = {180};
    for (const char* text : {"$cyError in C:\\Tools (5)$cw", "$jcA$jrB", "unfinished $", "$$ 100%"}) {
        auto* item = static_cast<NRRichTextListItem*>(
            contents.AddToEnd(std::make_unique<NRRichTextListItem>(&contents, text, 1, tabs)));
        DibCanvas canvas(300, 18, RGB(0, 0, 0));
        NRDrawContext context(canvas.Dc());
        const NRBufferSize size = item->MeasureColumn(context, 0);
        EXPECT_EQ(14 + 14 / 3, size.height) << text;
        EXPECT_GE(size.width, 8) << text;
        item->Draw(context, 0, 0, 300, 17, false);  // must not raise
        const RECT row = {0, 0, 300, 18};
        EXPECT_GT(canvas.CountColour(RGB(255, 255, 255), row) + canvas.CountColour(RGB(255, 255, 0), row), 10)
            << text << ": something readable is drawn";
    }
}

TEST(ListContainer, AddsOneLinePerCallAndReadsThemBack)
{
    HWND parent = CreateWindowExA(0, "STATIC", "", WS_POPUP | WS_VISIBLE, 0, 0, 400, 300, nullptr, nullptr, nullptr,
                                  nullptr);
    NRListContainer pane;
    ASSERT_TRUE(pane.Create(parent, RECT{5, 30, 395, 295}));
    std::string text = "unchanged";
    EXPECT_FALSE(pane.ReadAllText(text)) << "empty";
    EXPECT_EQ("", text);

    pane.AddLine("first\nline %d\n", 1);
    pane.AddLine("%s", "$crERROR 100%");
    EXPECT_EQ(2, pane.Contents().Count());
    EXPECT_EQ(pane.Contents().Last(), pane.Contents().Current()) << "the newest is current";
    EXPECT_TRUE(pane.ReadAllText(text));
    EXPECT_EQ("firstline 1\n$crERROR 100%\n", text);
    DestroyWindow(parent);
}

TEST(ListContainer, TwoThousandLinesAddedAndScrolledLeaveNoGdiObjectOrWindowBehind)
{
    HWND parent = CreateWindowExA(0, "STATIC", "", WS_POPUP | WS_VISIBLE, 0, 0, 640, 480, nullptr, nullptr, nullptr,
                                  nullptr);
    const auto addAndScroll = [&](int lines) {
        NRListContainer pane;
        ASSERT_TRUE(pane.Create(parent, RECT{5, 30, 635, 475}));
        for (int i = 0; i < lines; ++i)
            pane.AddLine("$cgline$cw %d of the progress", i);
        HWND list = pane.ListBox().Handle();
        for (const UINT key : {VK_HOME, VK_NEXT, VK_NEXT, VK_END, VK_PRIOR})
            SendMessageA(list, WM_KEYDOWN, key, 0);
        SendMessageA(list, WM_MOUSEWHEEL, MAKEWPARAM(0, WHEEL_DELTA), 0);
        SendMessageA(list, WM_NR_SCROLL_PAGE, reinterpret_cast<WPARAM>(&pane.ListBox().ScrollBar()), -1);
        UpdateWindow(list);
        EXPECT_EQ(lines - 1 - RowsPerPage(pane.ListBox().Metrics()), pane.Contents().CurrentIndex());
    };
    addAndScroll(50);  // what the system keeps for the process from the first time on (cached DCs)
    const int gdiBefore = GdiObjectCount(), windowsBefore = ProcessWindowCount();
    addAndScroll(2000);
    EXPECT_EQ(gdiBefore, GdiObjectCount());
    EXPECT_EQ(windowsBefore, ProcessWindowCount());
    DestroyWindow(parent);
}
