// The button's colours, mouse and keyboard presses, and its notifications.
#include <gtest/gtest.h>

#include <algorithm>
#include <vector>

#include "TestSupport.h"
#include "ui/controls/Button.h"
#include "ui/theme/Palette.h"

using namespace testing_support;

TEST(ButtonColours, FollowStateWindowAndFlash)
{
    const auto colour = [](int index) { return PaletteColour(index, false, false); };
    const auto look = [&](int top, int bottom, int frame) {
        return std::vector<COLORREF>{colour(top), colour(bottom), colour(frame)};
    };
    const struct
    {
        NRButtonState state;
        std::vector<COLORREF> expected;
    } cases[] = {
        // enabled active dialog hovered focused pressed alternate flash floating
        {{false, true, true, true, true, false, false, false, false}, look(20, 21, 22)},
        {{true, false, false, true, false, false, false, false, false}, look(20, 21, 22)},
        {{true, false, false, false, false, false, true, false, false}, look(10, 10, 10)},
        {{true, true, true, false, false, false, false, false, false}, look(23, 24, 25)},
        {{true, true, true, true, false, false, false, false, false}, look(26, 27, 28)},
        {{true, true, true, true, false, false, false, false, true}, look(29, 30, 31)},
        {{true, true, true, false, true, false, false, false, false}, look(29, 30, 31)},
        {{true, true, false, true, false, false, false, false, false}, look(29, 30, 31)},
        {{true, true, true, true, false, true, false, false, false}, look(32, 33, 34)},
        {{true, true, false, false, false, false, true, false, false}, look(13, 13, 13)},
    };
    for (const auto& c : cases) {
        const NRButtonColours colours = ChooseButtonColours(c.state, colour(38), 0, false, false);
        EXPECT_EQ(c.expected, (std::vector<COLORREF>{colours.top, colours.bottom, colours.frame}))
            << "enabled " << c.state.enabled << " active " << c.state.active << " hovered " << c.state.hovered;
    }

    // A flash colour's luminance decides its text: black on yellow, white on dark blue.
    NRButtonState flashing = {true, true, false, false, false, false, false, true, false};
    NRButtonColours colours = ChooseButtonColours(flashing, RGB(255, 255, 0), 0, false, false);
    EXPECT_EQ(RGB(255, 255, 0), colours.top);
    EXPECT_EQ(RGB(0, 0, 0), colours.text);
    colours = ChooseButtonColours(flashing, RGB(0, 0, 128), 0, false, false);
    EXPECT_EQ(RGB(255, 255, 255), colours.text);
    EXPECT_EQ(RGB(255, 255, 255), colours.frame);
    ASSERT_EQ(128, Luminance(RGB(130, 130, 130)));
    EXPECT_EQ(RGB(255, 255, 255), ChooseButtonColours(flashing, RGB(130, 130, 130), 0, false, false).text);
    EXPECT_EQ(RGB(0, 0, 0), ChooseButtonColours(flashing, RGB(131, 131, 131), 0, false, false).text);
    flashing.enabled = false;
    EXPECT_EQ(colour(1), ChooseButtonColours(flashing, RGB(0, 0, 128), 0, false, false).text);
}

TEST(ButtonColours, InHighContrastABoxLightsItsFocusedButtonNotTheOneUnderThePointer)
{
    const struct
    {
        NRButtonState state;  // enabled active dialog hovered focused pressed alternate flash floating
        int fill;
    } cases[] = {
        {{true, true, true, true, false, false, false, false, false}, COLOR_BTNFACE},
        {{true, true, true, false, true, false, false, false, false}, COLOR_HIGHLIGHT},
        {{true, true, true, true, false, true, false, false, false}, COLOR_HIGHLIGHT},    // pressed with the mouse
        {{true, true, true, true, false, false, false, false, true}, COLOR_HIGHLIGHT},    // the focus follows it
        {{true, true, false, true, false, false, false, false, false}, COLOR_HIGHLIGHT},  // not in a box
    };
    for (const auto& c : cases)
        EXPECT_EQ(GetSysColor(c.fill), ChooseContrastButtonColours(c.state, false).top) << &c - cases;
}

namespace {

struct ButtonFixture
{
    ButtonFixture()
    {
        button.SetCaption("Close", 'C');
        EXPECT_TRUE(button.Create(parent, RECT{10, 10, 90, 30}));
    }
    ~ButtonFixture()
    {
        button.DestroyWindow();
        DestroyWindow(parent);
    }
    std::vector<UINT> Posted()
    {
        std::vector<UINT> messages;
        MSG msg;
        while (PeekMessageA(&msg, parent, WM_USER, WM_USER + 10, PM_REMOVE))
            messages.push_back(msg.message - WM_USER);
        return messages;
    }
    void Send(UINT message, WPARAM wParam = 0) { SendMessageA(button.Handle(), message, wParam, MAKELPARAM(5, 5)); }

    HWND parent =
        CreateWindowExA(0, "STATIC", "", WS_POPUP | WS_VISIBLE, 0, 0, 200, 100, nullptr, nullptr, nullptr, nullptr);
    NRButton button;
};

}  // namespace

TEST(Button, ClicksOnlyWhenReleasedOverItAndAnswersARightClickEvenDisabled)
{
    ButtonFixture fixture;
    EXPECT_EQ("Close", WindowText(fixture.button.Handle()));
    EXPECT_GT(fixture.button.Size().cx, 10);

    fixture.Send(WM_LBUTTONDOWN, MK_LBUTTON);
    fixture.Send(WM_LBUTTONUP);
    EXPECT_EQ((std::vector<UINT>{7, 2, 3, 4}), fixture.Posted()) << "focus request, pressed, ended, clicked";

    fixture.Send(WM_LBUTTONDOWN, MK_LBUTTON);
    fixture.Send(WM_LBUTTONUP);
    fixture.Send(WM_LBUTTONDBLCLK, MK_LBUTTON);
    fixture.Send(WM_LBUTTONUP);
    const std::vector<UINT> doubleClick = fixture.Posted();
    EXPECT_EQ(1, std::count(doubleClick.begin(), doubleClick.end(), 4u)) << "a double-click is one click";

    fixture.Send(WM_LBUTTONDOWN, MK_LBUTTON);
    fixture.Send(WM_MOUSELEAVE);
    fixture.Send(WM_LBUTTONUP);
    EXPECT_EQ((std::vector<UINT>{7, 2, 3}), fixture.Posted()) << "left before the release: no click";

    fixture.button.SetEnabled(0);
    fixture.Send(WM_LBUTTONDOWN, MK_LBUTTON);
    fixture.Send(WM_LBUTTONUP);
    fixture.button.Activate();
    fixture.Send(WM_RBUTTONUP);
    EXPECT_EQ((std::vector<UINT>{6}), fixture.Posted()) << "disabled: only the right click";
}

TEST(Button, FlashingSetBeforeTheWindowExistsStartsWithTheWindowAndLeavesNoThreadTimer)
{
    NRButton button;
    button.SetFlashing(true);
    HWND parent =
        CreateWindowExA(0, "STATIC", "", WS_POPUP | WS_VISIBLE, 0, 0, 200, 100, nullptr, nullptr, nullptr, nullptr);
    ASSERT_TRUE(button.Create(parent, RECT{10, 10, 90, 30}));
    bool threadTimer = false, windowTimer = false;
    const DWORD start = GetTickCount();
    while (GetTickCount() - start < 1500 && !windowTimer) {
        MSG msg;
        while (PeekMessageA(&msg, nullptr, WM_TIMER, WM_TIMER, PM_REMOVE)) {
            threadTimer = threadTimer || msg.hwnd == nullptr;
            windowTimer = windowTimer || msg.hwnd == button.Handle();
            DispatchMessageA(&msg);
        }
        Sleep(10);
    }
    EXPECT_TRUE(windowTimer) << "it flashes";
    EXPECT_FALSE(threadTimer);
    button.DestroyWindow();
    DestroyWindow(parent);
}

TEST(Button, AHeldAutoRepeatButtonClicksAtEachReleaseTimerUntilThePointerLeaves)
{
    ButtonFixture fixture;
    const HWND button = fixture.button.Handle();
    fixture.Send(WM_LBUTTONDOWN, MK_LBUTTON);
    fixture.Send(WM_LBUTTONUP);
    EXPECT_FALSE(KillTimer(button, NRButton::kRepeatStartTimerId)) << "no repeat unless asked for";
    fixture.Posted();

    // The timers are sent here as Windows would deliver them, in the order the button sets them.
    fixture.button.SetAutoRepeat(true);
    fixture.Send(WM_LBUTTONDOWN, MK_LBUTTON);
    EXPECT_EQ((std::vector<UINT>{7, 2}), fixture.Posted()) << "focus request, pressed";
    EXPECT_TRUE(KillTimer(button, NRButton::kRepeatStartTimerId)) << "the repeat waits for its start";
    fixture.Send(WM_TIMER, NRButton::kRepeatStartTimerId);
    EXPECT_FALSE(fixture.button.PressedLook());
    EXPECT_EQ((std::vector<UINT>{4}), fixture.Posted()) << "the first repeated click";
    fixture.Send(WM_TIMER, NRButton::kRepeatPressTimerId);
    EXPECT_TRUE(fixture.button.PressedLook());
    fixture.Send(WM_TIMER, NRButton::kRepeatReleaseTimerId);
    EXPECT_EQ((std::vector<UINT>{4}), fixture.Posted()) << "and the next";
    fixture.Send(WM_TIMER, NRButton::kRepeatPressTimerId);
    fixture.Send(WM_MOUSELEAVE);
    fixture.Send(WM_TIMER, NRButton::kRepeatReleaseTimerId);
    EXPECT_EQ((std::vector<UINT>{3}), fixture.Posted()) << "away from the button: the press ends, no click";
}

TEST(Button, FlashingAlternatesTheFlashFaceWithTheNormalOneUntilItStops)
{
    ButtonFixture fixture;
    const HWND button = fixture.button.Handle();
    fixture.button.SetFlashing(true);
    EXPECT_TRUE(fixture.button.FlashShowing());
    fixture.Send(WM_TIMER, NRButton::kFlashOffTimerId);
    EXPECT_FALSE(fixture.button.FlashShowing());
    EXPECT_TRUE(KillTimer(button, NRButton::kFlashOnTimerId)) << "the flash comes back";
    fixture.Send(WM_TIMER, NRButton::kFlashOnTimerId);
    EXPECT_TRUE(fixture.button.FlashShowing());
    fixture.button.SetFlashing(false);
    EXPECT_FALSE(fixture.button.FlashShowing());
    EXPECT_FALSE(KillTimer(button, NRButton::kFlashOffTimerId) || KillTimer(button, NRButton::kFlashOnTimerId))
        << "no timer left";
}

TEST(Button, AKeyboardPressClicksAtOnceAndEndsHalfASecondLater)
{
    ButtonFixture fixture;
    fixture.button.Activate();
    EXPECT_TRUE(fixture.button.PressedLook());
    EXPECT_EQ((std::vector<UINT>{2, 4}), fixture.Posted());
    EXPECT_EQ(1, fixture.button.Character(' ', 1, 0)) << "a space presses it too";
    EXPECT_EQ(0, fixture.button.Character('x', 1, 0));
    fixture.Posted();
    const DWORD start = GetTickCount();
    MSG msg;
    while (fixture.button.PressedLook() && GetTickCount() - start < 3000) {
        while (PeekMessageA(&msg, fixture.button.Handle(), 0, 0, PM_REMOVE))
            DispatchMessageA(&msg);
        Sleep(10);
    }
    EXPECT_FALSE(fixture.button.PressedLook());
    EXPECT_GE(GetTickCount() - start, 450u);
    EXPECT_EQ((std::vector<UINT>{3}), fixture.Posted()) << "the press ends";
}
