// The keyboard focus of a box: where it opens, how Tab, the arrows, Space, Enter and Alt+F4 move and
// use it, its mark, and keys that are not the box's. Keys go to the window that has the focus, as a
// user's do; the focus is read with GetGUIThreadInfo.
#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <utility>
#include <vector>

#include "DibCanvas.h"
#include "ModalRun.h"
#include "ScreenReader.h"
#include "TestSupport.h"
#include "ui/dialogs/DialogFocus.h"
#include "ui/dialogs/MessageBox.h"
#include "ui/theme/FocusBorder.h"
#include "ui/theme/Palette.h"
#include "ui/theme/Scale.h"

using namespace testing_support;

namespace {

constexpr WPARAM kShiftTab = 0x10000 | VK_TAB;
constexpr WPARAM kAltF4 = 0x20000 | VK_F4;

// Waits (on the answering thread) until `done`; false after two seconds.
template <class Condition>
bool SpinUntil(Condition done)
{
    for (int waited = 0; !done(); waited += 10) {
        if (waited > 2000)
            return false;
        Sleep(10);
    }
    return true;
}

// Whether the box is the active window of its thread with the focus on one of its windows. Tests
// running beside this one take the foreground at times, which deactivates the box: it is brought
// back, and must then put the focus back itself.
bool BoxHoldsFocus(HWND box)
{
    if (ThreadActiveWindow(box) != box)
        SetForegroundWindow(box);
    return ThreadActiveWindow(box) == box && IsChild(box, ThreadFocus(box));
}

// The box's focused window, once the box holds the focus.
std::string FocusedCaption(HWND box)
{
    SpinUntil([&] { return BoxHoldsFocus(box); });
    return WindowText(ThreadFocus(box));
}

// A key pressed while `modifiers` are held in the input state the threads share once attached, as a
// user holds Shift, Ctrl or a Windows key; `repeat` sets the previous-state bit of a key held down.
// Sent to the box, so it is taken while they are held: Wine sets the shared state back to the X
// server's whenever another test's window takes the X focus.
void PressHolding(HWND box, WPARAM key, std::vector<int> modifiers, bool repeat = false)
{
    const DWORD boxThread = GetWindowThreadProcessId(box, nullptr);
    AttachThreadInput(GetCurrentThreadId(), boxThread, TRUE);
    BYTE keys[256] = {};
    GetKeyboardState(keys);
    for (const int modifier : modifiers)
        keys[modifier] |= 0x80;
    SetKeyboardState(keys);
    const UINT scan = MapVirtualKeyA(static_cast<UINT>(key), 0);
    SendMessageA(box, WM_KEYDOWN, key, 1 | (scan << 16) | (repeat ? 1u << 30 : 0u));
    for (const int modifier : modifiers)
        keys[modifier] &= 0x7F;
    SetKeyboardState(keys);
    AttachThreadInput(GetCurrentThreadId(), boxThread, FALSE);
    PostMessageA(box, WM_KEYUP, key, 1 | (scan << 16) | 0xC0000000u);
}

// Presses `key` as a user does; Shift+Tab with Shift held; Alt+F4 as the system key it is.
void Press(HWND box, WPARAM key)
{
    if (key == kAltF4) {
        const HWND focus = ThreadFocus(box);
        PostMessageA(focus ? focus : box, WM_SYSKEYDOWN, VK_F4, 1 | (1 << 29));
        return;
    }
    if (key == kShiftTab)
        PressHolding(box, VK_TAB, {VK_SHIFT});
    else
        PressKeyAsUser(box, key);
}

// A box of `type`; type 6 as the test pass's final box, COPY (C) and OK (Enter).
struct BoxOfType
{
    explicit BoxOfType(int type) : box(nullptr, "Are you sure?", type)
    {
        if (type == 6) {
            box.SetButtonText(0, "COPY");
            box.AddButtonKey(0, 'C');
            box.SetButtonText(1, "OK");
            box.AddButtonKey(1, VK_RETURN);
        }
    }
    NRMessageBox box;
};

}  // namespace

TEST(DialogFocus, KeysMoveTheFocusRoundTheRowAndPressTheFocusedOrDefaultButton)
{
    using E = NRFocusKeyEffect;
    const std::vector<bool> all = {true, true, true}, middleOff = {true, false, true};
    const struct
    {
        int key;
        bool shift;
        int focused, defaultIndex;
        std::vector<bool> enabled;
        E expected;
    } cases[] = {
        {VK_TAB, false, 0, 0, all, {E::kFocus, 1}},     {VK_TAB, false, 2, 0, all, {E::kFocus, 0}},
        {VK_TAB, true, 0, 0, all, {E::kFocus, 2}},      {VK_RIGHT, false, 1, 0, all, {E::kFocus, 2}},
        {VK_DOWN, false, 1, 0, all, {E::kFocus, 2}},    {VK_LEFT, false, 1, 0, all, {E::kFocus, 0}},
        {VK_UP, false, 0, 0, all, {E::kFocus, 2}},      {VK_TAB, false, 0, 0, middleOff, {E::kFocus, 2}},
        {VK_TAB, false, -1, 1, all, {E::kFocus, 1}},    {VK_SPACE, false, 1, 0, all, {E::kPress, 1}},
        {VK_SPACE, false, -1, 0, all, {E::kNone, -1}},  {VK_RETURN, false, 2, 0, all, {E::kPress, 2}},
        {VK_RETURN, false, -1, 1, all, {E::kPress, 1}}, {VK_RETURN, false, -1, -1, all, {E::kNone, -1}},
        {VK_ESCAPE, false, 0, 0, all, {E::kNone, -1}},  {'Y', false, 0, 0, all, {E::kNone, -1}},
        {VK_TAB, false, -1, 0, {}, {E::kNone, -1}},
    };
    for (const auto& c : cases) {
        const E effect = FocusKeyEffect(c.key, c.shift, c.focused, c.defaultIndex, c.enabled);
        EXPECT_EQ(c.expected.action, effect.action) << "key " << c.key << " shift " << c.shift << " from " << c.focused;
        EXPECT_EQ(c.expected.target, effect.target) << "key " << c.key << " shift " << c.shift << " from " << c.focused;
    }
    EXPECT_EQ(1, FirstFocus(1, all));
    EXPECT_EQ(0, FirstFocus(1, middleOff)) << "a default that cannot take the focus: the first that can";
    EXPECT_EQ(-1, FirstFocus(0, {}));
}

TEST(ToolkitMessageBox, OpensWithTheFocusOnItsDefaultButton)
{
    TestAppState app;
    const struct
    {
        int type;
        const char* focused;
    } cases[] = {{0, "OK - F10"}, {1, "Ok"}, {2, "Ok"}, {3, "Yes"}, {4, "Yes"}, {6, "OK"}, {7, "User1"}};
    for (const auto& c : cases) {
        BoxOfType made(c.type);
        std::string focused;
        Answerer answer([&](HWND box) {
            focused = FocusedCaption(box);
            PostMessageA(box, WM_CLOSE, 0, 0);
        });
        made.box.RunModal();
        EXPECT_EQ(c.focused, focused) << "type " << c.type;
    }
}

TEST(ToolkitMessageBox, KeysMoveTheFocusAndPressTheFocusedButton)
{
    TestAppState app;
    const struct
    {
        int type;
        std::vector<WPARAM> keys;
        int expected;
        const char* why;
    } cases[] = {
        {7, {VK_RETURN}, kResultUser1, "Enter presses the default button, focused as the box opens"},
        {7, {VK_TAB, VK_RETURN}, kResultUser2, "Tab moves the focus to the next button"},
        {7, {VK_TAB, VK_TAB, VK_TAB, VK_RETURN}, kResultUser1, "Tab goes round the row"},
        {7, {kShiftTab, VK_SPACE}, kResultUser3, "Shift+Tab goes back, round the row; Space presses"},
        {7, {VK_RIGHT, VK_RIGHT, VK_LEFT, VK_RETURN}, kResultUser2, "Right and Left move the focus"},
        {7, {VK_DOWN, VK_UP, VK_UP, VK_SPACE}, kResultUser3, "Down and Up move the focus"},
        {3, {VK_RETURN}, kResultYes, "the Yes/No box has a default: Yes"},
        {3, {VK_TAB, VK_RETURN}, kResultNo, "Enter presses the focused button"},
        {3, {VK_TAB, 'Y'}, kResultYes, "a button's own key keeps its meaning"},
        {6, {VK_TAB, VK_RETURN}, kResultUser1, "Enter presses the focused button, not the one Enter is named for"},
        {3, {kAltF4}, kResultNo, "Alt+F4 does what Escape does"},
        {7, {kAltF4, VK_TAB, VK_RETURN}, kResultUser2, "Alt+F4 does nothing where Escape does nothing"},
    };
    for (const auto& c : cases) {
        BoxOfType made(c.type);
        Answerer answer([&](HWND box) {
            FocusedCaption(box);
            for (const WPARAM key : c.keys)
                Press(box, key);
        });
        EXPECT_EQ(c.expected, made.box.RunModal()) << c.why;
    }
}

TEST(ToolkitMessageBox, TheFocusedButtonAloneShowsTheFocusMarkAndTheDefaultsFrame)
{
    TestAppState app;
    BoxOfType made(3);
    std::vector<std::vector<bool>> marked;  // per look: Yes, No
    Answerer answer([&](HWND box) {
        const auto capture = [&] {
            std::vector<bool> marks;
            for (const char* caption : {"Yes", "No"}) {
                const DibCanvas canvas(FindWindowExA(box, nullptr, "NRButton", caption));
                // The mark's first dot, two pixels in, in the caption's colour; and the default's
                // second frame, one pixel in, in the frame's colour.
                const int in = ScreenScale().Px(2), frame = ScreenScale().Px(1), middle = canvas.Height() / 2;
                marks.push_back(canvas.Pixel(in, in) == PaletteColour(0) &&
                                canvas.Pixel(frame, middle) == canvas.Pixel(0, middle));
            }
            return marks;
        };
        // What the buttons show once they have painted the look expected, or after two seconds.
        const auto look = [&](const std::vector<bool>& expected) {
            std::vector<bool> marks;
            SpinUntil([&] { return BoxHoldsFocus(box) && (marks = capture()) == expected; });
            marked.push_back(marks);
        };
        FocusedCaption(box);
        look({true, false});
        PressKeyAsUser(box, VK_TAB);
        look({false, true});
        PressKeyAsUser(box, VK_ESCAPE);
    });
    EXPECT_EQ(kResultNo, made.box.RunModal());
    EXPECT_EQ((std::vector<std::vector<bool>>{{true, false}, {false, true}}), marked);
}

namespace {

HWND g_activatedBox = nullptr;
HWND g_focusAfterActivation = nullptr;

// On the box's thread, once the box is up: it is activated the way Windows activates it.
void CALLBACK ActivateBoxByMessage(HWND, UINT, UINT_PTR id, DWORD)
{
    HWND box = ShownToolkitDialog(GetCurrentProcessId());
    if (!box)
        return;
    KillTimer(nullptr, id);
    ActivateAsWindowsDoes(box);
    // Read at once, on the box's thread: nothing else can have moved it yet.
    g_focusAfterActivation = ThreadFocus(box);
    g_activatedBox = box;
}

}  // namespace

TEST(ToolkitMessageBox, ActivatedAsWindowsActivatesItTheBoxFocusesItsDefaultButton)
{
    TestAppState app;
    BoxOfType made(3);
    g_activatedBox = g_focusAfterActivation = nullptr;
    SetTimer(nullptr, 0, 20, ActivateBoxByMessage);
    std::string focused;
    Answerer answer([&](HWND box) {
        SpinUntil([&] { return g_activatedBox == box; });
        focused = WindowText(g_focusAfterActivation);
        PressKeyAsUser(box, VK_ESCAPE);
    });
    EXPECT_EQ(kResultNo, made.box.RunModal());
    EXPECT_EQ("Yes", focused);
}

TEST(ToolkitMessageBox, AKeyForAnotherWindowDoesNotAnswerTheBox)
{
    TestAppState app;
    HWND other = CreateWindowExA(0, "STATIC", "other", WS_POPUP | WS_VISIBLE, 0, 0, 100, 100, nullptr, nullptr, nullptr,
                                 nullptr);
    BoxOfType made(3);
    Answerer answer([&](HWND box) {
        // No, then Yes typed where the box is not: taken as the box's, the later Yes would win.
        PostMessageA(box, WM_KEYDOWN, 'N', 0);
        PostMessageA(other, WM_KEYDOWN, 'Y', 0);
    });
    EXPECT_EQ(kResultNo, made.box.RunModal());
    DestroyWindow(other);
}

namespace {

// A box with the texts and keys of the no-rights question: Continue (C), Quit (Q).
struct NoRightsBox
{
    NoRightsBox()
        : box(nullptr, "You do not have Administrator privileges\nThe Ethernet drivers cannot be installed", 6)
    {
        box.SetButtonText(0, "Continue");
        box.AddButtonKey(0, 'C');
        box.SetButtonText(1, "Quit");
        box.AddButtonKey(1, 'Q');
    }
    NRMessageBox box;
};

}  // namespace

TEST(ToolkitMessageBox, KeysThatAreNotTheUsersAnswerLeaveTheBoxUp)
{
    TestAppState app;
    const auto altF4 = [](HWND box) { PostMessageA(box, WM_SYSKEYDOWN, VK_F4, 1 | (1 << 29)); };
    const auto systemClose = [](HWND box) { PostMessageA(box, WM_SYSCOMMAND, SC_CLOSE, 0); };
    const struct
    {
        const char* what;
        int type;  // 6: the no-rights box; 3: the consent box
        std::function<void(HWND)> press;
        WPARAM answer;  // then pressed alone, it answers
        int expected;
    } cases[] = {
        {"Ctrl+C", 6, [](HWND b) { PressHolding(b, 'C', {VK_CONTROL}); }, 'Q', kResultUser2},
        {"Ctrl+Q", 6, [](HWND b) { PressHolding(b, 'Q', {VK_CONTROL}); }, 'C', kResultUser1},
        {"Ctrl+Y", 3, [](HWND b) { PressHolding(b, 'Y', {VK_CONTROL}); }, 'N', kResultNo},
        {"Ctrl+N", 3, [](HWND b) { PressHolding(b, 'N', {VK_CONTROL}); }, 'Y', kResultYes},
        {"Windows+Y", 3, [](HWND b) { PressHolding(b, 'Y', {VK_LWIN}); }, 'N', kResultNo},
        {"a repeated Y", 3, [](HWND b) { PressHolding(b, 'Y', {}, true); }, 'N', kResultNo},
        {"a repeated Enter", 6, [](HWND b) { PressHolding(b, VK_RETURN, {}, true); }, 'Q', kResultUser2},
        {"Alt+F4 where Escape answers nothing", 6, altF4, 'Q', kResultUser2},
        {"the system's Close where Escape answers nothing", 6, systemClose, 'C', kResultUser1},
    };
    for (const auto& c : cases) {
        NoRightsBox noRights;
        BoxOfType consent(3);
        NRMessageBox& box = c.type == 6 ? noRights.box : consent.box;
        bool stayed = false;
        Answerer answer([&](HWND shown) {
            FocusedCaption(shown);
            c.press(shown);
            Sleep(200);
            stayed = IsWindowVisible(shown) != FALSE;
            PressKeyAsUser(shown, c.answer);
        });
        EXPECT_EQ(c.expected, box.RunModal()) << c.what;
        EXPECT_TRUE(stayed) << c.what;
    }
}

TEST(ToolkitMessageBox, CtrlCCopiesTheBoxAsAStandardMessageBoxDoesAndAnswersNothing)
{
    TestAppState app;
    for (const WPARAM key : {WPARAM('C'), WPARAM(VK_INSERT)}) {
        if (OpenClipboard(nullptr)) {
            EmptyClipboard();
            CloseClipboard();
        }
        NoRightsBox made;
        std::string copied;
        Answerer answer([&](HWND box) {
            FocusedCaption(box);
            PressHolding(box, key, {VK_CONTROL});
            for (int waited = 0; (copied = ClipboardText()).empty() && waited < 2000; waited += 20)
                Sleep(20);
            PressKeyAsUser(box, 'Q');
        });
        EXPECT_EQ(kResultUser2, made.box.RunModal()) << "the copy answered nothing, Q did";
        EXPECT_EQ(
            "---------------------------\r\n"
            "You do not have Administrator privileges\r\n"
            "---------------------------\r\n"
            "You do not have Administrator privileges\r\n"
            "The Ethernet drivers cannot be installed\r\n"
            "---------------------------\r\n"
            "Continue   Quit   \r\n"
            "---------------------------\r\n",
            copied)
            << "key " << key;
    }
}

TEST(ToolkitMessageBox, TheDefaultFollowsTheFocusAsAReaderHearsIt)
{
    TestAppState app;
    BoxOfType made(3);
    std::vector<std::string> defaults;  // per look: which buttons a reader hears as default
    Answerer answer([&](HWND box) {
        // Its calls are carried out by the box's loop: every object is let go before the box ends.
        const ScopedComApartment com;
        {
            const Accessible dialog = Accessible::OfWindow(box);
            const auto heardDefault = [&] {
                std::string heard;
                for (const Accessible& button : dialog.Children())
                    if (button.Role() == ROLE_SYSTEM_PUSHBUTTON && (button.State() & STATE_SYSTEM_DEFAULT))
                        heard += button.Name() + " ";
                return heard;
            };
            FocusedCaption(box);
            defaults.push_back(heardDefault());
            PressKeyAsUser(box, VK_TAB);
            std::string heard;
            SpinUntil([&] { return BoxHoldsFocus(box) && (heard = heardDefault()) == "No "; });
            defaults.push_back(heard);
        }
        PressKeyAsUser(box, VK_RETURN);
    });
    EXPECT_EQ(kResultNo, made.box.RunModal()) << "Enter pressed the focused default";
    EXPECT_EQ((std::vector<std::string>{"Yes ", "No "}), defaults);
}

TEST(ToolkitMessageBox, TheFocusMarkIsAsThickAsTheUsersFocusBorder)
{
    TestAppState app;
    BoxOfType made(3);
    std::vector<std::pair<bool, bool>> thick;  // per setting: the side edges, the top and bottom edges
    Answerer answer([&](HWND box) {
        FocusedCaption(box);
        const HWND yes = FindWindowExA(box, nullptr, "NRButton", "Yes");
        for (const SIZE border : {SIZE{1, 1}, SIZE{3, 1}, SIZE{1, 2}}) {
            const NRFocusBorderOverride setting(border.cx, border.cy);
            std::pair<bool, bool> edges;
            SpinUntil([&] {
                InvalidateRect(yes, nullptr, TRUE);
                const DibCanvas canvas(yes);
                const int w = canvas.Width(), h = canvas.Height(), in = ScreenScale().Px(2);
                const COLORREF mark = PaletteColour(0);
                // Beside the caption, two pixels in from the mark's right and bottom edges: marked
                // only where the edge is thicker than one pixel.
                const int sideX = w - in - ScreenScale().Px(2), bottomY = h - in - ScreenScale().Px(2);
                edges = {canvas.CountColour(mark, RECT{sideX, in * 2, sideX + 1, h - in * 2}) > 0,
                         canvas.CountColour(mark, RECT{in * 3, bottomY, w - in * 3, bottomY + 1}) > 0};
                return BoxHoldsFocus(box) && edges == std::make_pair(border.cx > 2, border.cy > 1);
            });
            thick.push_back(edges);
        }
        PressKeyAsUser(box, VK_ESCAPE);
    });
    EXPECT_EQ(kResultNo, made.box.RunModal());
    EXPECT_EQ((std::vector<std::pair<bool, bool>>{{false, false}, {true, false}, {false, true}}), thick);
}
