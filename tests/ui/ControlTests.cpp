// The control base and double buffering: bitmap growth and trimming, copies to the screen, the
// notifications to the parent and the window-kind and activity queries.
#include <gtest/gtest.h>

#include <cstring>
#include <vector>

#include "TestSupport.h"
#include "ui/controls/Control.h"
#include "ui/controls/DoubleBuffer.h"
#include "ui/framework/AppState.h"
#include "ui/theme/DrawContext.h"
#include "ui/theme/GdiObjects.h"

using namespace testing_support;

namespace {

// A control that fills itself with one colour and counts its paints.
class SwatchControl : public NRControl, public NRDoubleBuffer<SwatchControl>
{
public:
    static NRWndClassInfo& GetWndClassInfo()
    {
        static NRWndClassInfo info = {"NoxTestSwatch", CS_DBLCLKS, reinterpret_cast<HBRUSH>(COLOR_SCROLLBAR + 1),
                                      IDC_ARROW, 0};
        return info;
    }

    void SetFocused(int focused) override { m_focused = focused; }
    int KeyDown(UINT, UINT, UINT) override { return 0; }
    int Character(UINT, UINT, UINT) override { return 0; }
    HWND WindowHandle() const override { return Handle(); }
    void Activate() override {}
    void SizeChanged(UINT, int, int) override {}
    void Paint(NRDrawContext& context, int left, int top, int right, int bottom) override
    {
        ++paints;
        NRBrushHandle brush(CreateSolidBrush(colour));
        const RECT area = {left, top, right, bottom};
        FillRect(context.Dc(), &area, brush.Get());
    }
    using NRControl::Notify;

    COLORREF colour = RGB(200, 40, 40);
    int paints = 0;
};

void ResizeClient(HWND window, int width, int height)
{
    SetWindowPos(window, nullptr, 0, 0, width, height, SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
}

}  // namespace

TEST(BufferCapacity, GrowsWithATenthOfSlackOnlyWhenTheClientNoLongerFits)
{
    const struct
    {
        NRBufferSize capacity, client, expected;
    } cases[] = {
        {{100, 50}, {101, 50}, {111, 55}}, {{111, 55}, {105, 52}, {111, 55}}, {{100, 50}, {100, 51}, {110, 56}},
        {{0, 0}, {640, 480}, {704, 528}},  {{100, 50}, {9, 9}, {100, 50}},
    };
    for (const auto& c : cases)
        EXPECT_EQ(c.expected, GrownBufferCapacity(c.capacity, c.client)) << c.client.width << "x" << c.client.height;
}

TEST(DoubleBuffer, GrowsWhileResizedAndTrimsToTheClientASecondLater)
{
    SwatchControl control;
    ASSERT_TRUE(control.Create(nullptr, RECT{0, 0, 100, 50}, nullptr, WS_POPUP | WS_VISIBLE));
    // Settled at 100 x 50: trimmed to exactly that.
    ASSERT_TRUE(PumpUntil([&] { return control.BitmapCapacity() == NRBufferSize{100, 50}; }, 3000));

    ResizeClient(control.Handle(), 101, 50);
    EXPECT_EQ((NRBufferSize{111, 55}), control.BitmapCapacity());
    EXPECT_EQ((NRBufferSize{101, 50}), control.DrawnSize()) << "painted whole at once";
    const DWORD resized = GetTickCount();
    ASSERT_TRUE(PumpUntil([&] { return control.BitmapCapacity() == NRBufferSize{101, 50}; }, 3000));
    EXPECT_GE(GetTickCount() - resized, 900u) << "not before the second is up";
    control.DestroyWindow();
}

TEST(DoubleBuffer, CopiesPartialUpdatesFromTheBitmapAndRepaintsWholeOnes)
{
    SwatchControl control;
    ASSERT_TRUE(control.Create(nullptr, RECT{100, 100, 180, 140}, nullptr, WS_POPUP | WS_VISIBLE));
    UpdateWindow(control.Handle());
    const int paintsBefore = control.paints;

    const RECT corner = {0, 0, 10, 10};
    InvalidateRect(control.Handle(), &corner, FALSE);
    UpdateWindow(control.Handle());
    EXPECT_EQ(paintsBefore, control.paints) << "a part comes from the bitmap";
    {
        NRWindowDC dc(control.Handle());
        EXPECT_EQ(control.colour, GetPixel(dc.Get(), 5, 5));
    }

    control.colour = RGB(30, 90, 200);
    control.InvalidateWhole();
    UpdateWindow(control.Handle());
    EXPECT_EQ(paintsBefore + 1, control.paints);
    NRWindowDC dc(control.Handle());
    EXPECT_EQ(control.colour, GetPixel(dc.Get(), 70, 30));
}

TEST(DoubleBuffer, AWholeInvalidationRepaintsWholeBesideAChildThatClipsThePaint)
{
    SwatchControl control;
    ASSERT_TRUE(control.Create(nullptr, RECT{100, 100, 180, 140}, nullptr, WS_POPUP | WS_VISIBLE | WS_CLIPCHILDREN));
    // A strip down the left, as a list's scroll bar: the update region leaves it out.
    const HWND strip = CreateWindowExA(0, "STATIC", "", WS_CHILD | WS_VISIBLE, 0, 0, 15, 40, control.Handle(), nullptr,
                                       nullptr, nullptr);
    ASSERT_TRUE(strip);
    UpdateWindow(control.Handle());
    control.colour = RGB(30, 90, 200);
    control.InvalidateWhole();
    UpdateWindow(control.Handle());
    NRWindowDC dc(control.Handle());
    EXPECT_EQ(control.colour, GetPixel(dc.Get(), 70, 30)) << "painted anew, not copied from the old bitmap";
    control.DestroyWindow();
}

TEST(DoubleBuffer, AfterAColourChangeTheNextPaintIsWholeEvenForAPart)
{
    const struct
    {
        UINT message;
        WPARAM wParam;
        bool whole;
    } cases[] = {
        {WM_SYSCOLORCHANGE, 0, true},
        {WM_SETTINGCHANGE, SPI_SETHIGHCONTRAST, true},
        {WM_SETTINGCHANGE, SPI_SETWORKAREA, false},
    };
    for (const auto& c : cases) {
        SwatchControl control;
        ASSERT_TRUE(control.Create(nullptr, RECT{100, 100, 180, 140}, nullptr, WS_POPUP | WS_VISIBLE));
        UpdateWindow(control.Handle());
        control.colour = RGB(30, 90, 200);
        SendMessageA(control.Handle(), c.message, c.wParam, 0);
        // Only a corner asks to be painted, as when the rest was painted over already.
        ValidateRect(control.Handle(), nullptr);
        const RECT corner = {0, 0, 10, 10};
        InvalidateRect(control.Handle(), &corner, FALSE);
        UpdateWindow(control.Handle());
        NRWindowDC dc(control.Handle());
        EXPECT_EQ(c.whole, GetPixel(dc.Get(), 5, 5) == control.colour) << c.message << " " << c.wParam;
        control.DestroyWindow();
    }
}

TEST(DoubleBuffer, PaintingAndResizingLeaveNoGdiObjectBehind)
{
    SwatchControl control;
    ASSERT_TRUE(control.Create(nullptr, RECT{0, 0, 60, 40}, nullptr, WS_POPUP | WS_VISIBLE));
    UpdateWindow(control.Handle());
    const int before = GdiObjectCount();
    for (int i = 0; i < 50; ++i) {
        ResizeClient(control.Handle(), 60 + i, 40 + i);
        control.InvalidateWhole();
        UpdateWindow(control.Handle());
    }
    SendMessageA(control.Handle(), WM_TIMER, NRDoubleBufferWindow::kTrimTimerId, 0);
    EXPECT_EQ(before, GdiObjectCount());
}

TEST(ControlNotifications, ReachTheParentAndAreTrustedOnlyForItsOwnControls)
{
    HWND parent = CreateWindowExA(0, "STATIC", "", WS_POPUP, 0, 0, 200, 100, nullptr, nullptr, nullptr, nullptr);
    SwatchControl control, stranger;
    control.SetControlId(42);
    ASSERT_TRUE(control.Create(parent, RECT{0, 0, 20, 20}));
    ASSERT_TRUE(stranger.Create(nullptr, RECT{0, 0, 20, 20}, nullptr, WS_POPUP));
    EXPECT_EQ(reinterpret_cast<LONG_PTR>(static_cast<NRWindowImplRoot*>(&control)),
              GetWindowLongPtrA(control.Handle(), GWLP_ID))
        << "a child without an id gets its object's address";

    control.Notify(WM_NR_CLICKED);
    MSG msg = {};
    ASSERT_TRUE(PeekMessageA(&msg, parent, WM_NR_CLICKED, WM_NR_CLICKED, PM_REMOVE));
    EXPECT_EQ(42u, msg.wParam);
    EXPECT_EQ(&control, NRControl::FromNotification(parent, msg.lParam));

    // Any process can post: only the parent's own child controls are ever followed.
    EXPECT_EQ(nullptr, NRControl::FromNotification(parent, 0x12345678));
    EXPECT_EQ(nullptr,
              NRControl::FromNotification(parent, reinterpret_cast<LPARAM>(static_cast<NRControl*>(&stranger))));
    DestroyWindow(parent);
}

namespace {

// A popup dialog as the window-kind query sees one.
class KindWindow : public NRWindowImpl<KindWindow, NRWinTraits<WS_POPUP>>
{
public:
    static NRWndClassInfo& GetWndClassInfo()
    {
        static NRWndClassInfo info = {nullptr, CS_HREDRAW | CS_VREDRAW | CS_DBLCLKS,
                                      reinterpret_cast<HBRUSH>(COLOR_WINDOW + 1), IDC_ARROW, 0};
        return info;
    }
    bool ProcessWindowMessage(HWND, UINT message, WPARAM, LPARAM lParam, LRESULT& result) override
    {
        switch (message) {
        case WM_NR_WINDOW_KIND:
            result = kind;
            return true;
        case WM_NR_SET_OVERRIDE:
            overrideFlag = static_cast<int>(lParam);
            return true;
        case WM_NR_GET_OVERRIDE:
            result = overrideFlag;
            return true;
        default:
            return false;
        }
    }
    int kind = kWindowKindPopupDialog;
    int overrideFlag = 0;
};

class FakeAppState : public NRAppState
{
public:
    FakeAppState() { Register(this); }
    ~FakeAppState() { Unregister(this); }
    HWND MainWindow() const override { return mainWindow; }
    bool ApplicationActive() const override { return active; }
    void SetApplicationActive(bool isActive) override { active = isActive; }
    const std::vector<HWND>& OpenDialogs() const override { return dialogs; }
    void AddOpenDialog(HWND dialog) override { dialogs.insert(dialogs.begin(), dialog); }
    void RemoveOpenDialog(HWND) override {}

    HWND mainWindow = nullptr;
    bool active = true;
    std::vector<HWND> dialogs;
};

}  // namespace

TEST(WindowKind, IsTheFirstAnswerUpTheParentsOrStopsAtTheMainWindow)
{
    FakeAppState app;
    KindWindow dialog, mainWindow;
    ASSERT_TRUE(dialog.Create(nullptr, RECT{0, 0, 100, 100}));
    ASSERT_TRUE(mainWindow.Create(nullptr, RECT{0, 0, 100, 100}));
    char className[32] = {};
    GetClassNameA(dialog.Handle(), className, sizeof(className));
    EXPECT_EQ(0, strncmp(className, "NR:", 3)) << className << ": a name made up for a class without one";

    SwatchControl inDialog, inMain;
    ASSERT_TRUE(inDialog.Create(dialog.Handle(), RECT{0, 0, 10, 10}));
    ASSERT_TRUE(inMain.Create(mainWindow.Handle(), RECT{0, 0, 10, 10}));
    app.mainWindow = mainWindow.Handle();
    mainWindow.kind = 0;

    NRWindowKind found = FindWindowKind(inDialog.Handle());
    EXPECT_EQ(kWindowKindPopupDialog, found.kind);
    EXPECT_EQ(dialog.Handle(), found.window);
    found = FindWindowKind(inMain.Handle());
    EXPECT_EQ(0, found.kind);
    EXPECT_EQ(mainWindow.Handle(), found.window) << "the search ends at the main window";
    dialog.kind = 0;
    found = FindWindowKind(inDialog.Handle());
    EXPECT_EQ(0, found.kind);
    EXPECT_EQ(nullptr, found.window) << "walked past the top";
}

TEST(WindowIsActive, FollowsTheApplicationTheTopmostDialogAndTheOverrideFlag)
{
    FakeAppState app;
    KindWindow lower, upper;
    ASSERT_TRUE(lower.Create(nullptr, RECT{0, 0, 50, 50}));
    ASSERT_TRUE(upper.Create(nullptr, RECT{0, 0, 50, 50}));
    HWND other = reinterpret_cast<HWND>(0x10);  // not a dialog: only the dialog list matters

    EXPECT_TRUE(IsWindowActive(other, 0)) << "no dialog open";
    app.AddOpenDialog(lower.Handle());
    app.AddOpenDialog(upper.Handle());
    EXPECT_FALSE(IsWindowActive(other, 0)) << "a dialog is open";
    EXPECT_TRUE(IsWindowActive(upper.Handle(), 1)) << "topmost";
    EXPECT_FALSE(IsWindowActive(lower.Handle(), 1));
    SendMessageA(lower.Handle(), WM_NR_SET_OVERRIDE, 0, 1);
    EXPECT_TRUE(IsWindowActive(lower.Handle(), 2)) << "override flag";

    app.active = false;
    EXPECT_FALSE(IsWindowActive(upper.Handle(), 1));
    EXPECT_FALSE(IsWindowActive(lower.Handle(), 1));
    SendMessageA(lower.Handle(), WM_NR_SET_OVERRIDE, 0, 0);
    app.mainWindow = lower.Handle();
    EXPECT_FALSE(IsWindowActive(lower.Handle(), 1)) << "the main window follows the application";
    app.active = true;
    EXPECT_TRUE(IsWindowActive(lower.Handle(), 1)) << "even under a dialog";
}
