// Modal dialogs: message boxes answered by keys and clicks from another thread as a user would,
// nested boxes, the please-wait dialog, and no object left after many boxes.
#include <gtest/gtest.h>

#include <algorithm>
#include <functional>
#include <string>
#include <thread>
#include <vector>

#include "DibCanvas.h"
#include "ModalRun.h"
#include "TestSupport.h"
#include "ui/dialogs/MessageBox.h"
#include "ui/dialogs/PleaseWaitDialog.h"
#include "ui/framework/AppState.h"
#include "ui/theme/Palette.h"

using namespace testing_support;

namespace {

std::function<void(HWND)> Press(UINT message, WPARAM key)
{
    return [=](HWND box) { PostMessageA(box, message, key, 0); };
}

}  // namespace

TEST(ToolkitMessageBox, KeysGiveTheResultsOfTheirButtons)
{
    TestAppState app;
    const struct
    {
        int type;
        UINT message;
        WPARAM key;
        int expected;
    } cases[] = {
        {0, WM_SYSKEYDOWN, VK_F10, kResultOk},     {1, WM_KEYDOWN, VK_ESCAPE, kResultOk},
        {1, WM_KEYDOWN, VK_SPACE, kResultOk},      {2, WM_KEYDOWN, VK_RETURN, kResultOk},
        {2, WM_KEYDOWN, VK_ESCAPE, kResultCancel}, {3, WM_KEYDOWN, 'Y', kResultYes},
        {3, WM_KEYDOWN, 'N', kResultNo},           {3, WM_KEYDOWN, VK_ESCAPE, kResultNo},
        {4, WM_KEYDOWN, VK_ESCAPE, kResultCancel},
    };
    for (const auto& c : cases) {
        NRMessageBox box(nullptr, "Are you sure?", c.type);
        Answerer answer(Press(c.message, c.key));
        EXPECT_EQ(c.expected, box.RunModal()) << "type " << c.type << ", key " << c.key;
    }
}

TEST(ToolkitMessageBox, UserButtonsTakeTheCaptionsAndKeysTheCallerSets)
{
    TestAppState app;
    NRMessageBox fixed(nullptr, "text", 3);
    EXPECT_FALSE(fixed.SetButtonText(0, "Sure")) << "only user buttons";
    EXPECT_FALSE(fixed.AddButtonKey(0, 'S'));

    for (const auto& answer : std::vector<std::pair<WPARAM, int>>{{'C', kResultUser1}, {VK_RETURN, kResultUser2}}) {
        NRMessageBox box(nullptr, "Test Complete\nHit COPY to copy messages to clipboard then exit\nHit OK to exit\n",
                         6);
        EXPECT_TRUE(box.SetButtonText(0, "COPY"));
        EXPECT_TRUE(box.AddButtonKey(0, 67));
        EXPECT_TRUE(box.SetButtonText(1, "OK"));
        EXPECT_TRUE(box.AddButtonKey(1, 13));
        EXPECT_FALSE(box.SetButtonText(2, "none")) << "type 6 has two buttons";
        std::string text;
        std::vector<std::string> buttons;
        Answerer answerer([&](HWND shown) {
            text = ToolkitDialogText(shown);
            buttons = ToolkitDialogButtons(shown);
            PostMessageA(shown, WM_KEYDOWN, 'Q', 0);  // no button's: nothing happens
            PostMessageA(shown, WM_KEYDOWN, answer.first, 0);
        });
        EXPECT_EQ(answer.second, box.RunModal());
        EXPECT_EQ("Test Complete\nHit COPY to copy messages to clipboard then exit\nHit OK to exit\n", text);
        EXPECT_EQ((std::vector<std::string>{"COPY", "OK"}), buttons);
    }
}

TEST(ToolkitMessageBox, AClickedButtonClosesTheBoxWithItsResult)
{
    TestAppState app;
    NRMessageBox box(nullptr, "This will install the Nox Racing ethernet drivers\nAre you sure you want to continue?",
                     3);
    Answerer answer([](HWND shown) {
        std::vector<HWND> buttons;
        for (HWND child = GetWindow(shown, GW_CHILD); child; child = GetWindow(child, GW_HWNDNEXT)) {
            char name[32] = {};
            GetClassNameA(child, name, sizeof(name));
            if (WindowText(child) == "No")
                buttons.push_back(child);
        }
        ASSERT_EQ(1u, buttons.size());
        PostMessageA(buttons[0], WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(3, 3));
        PostMessageA(buttons[0], WM_LBUTTONUP, 0, MAKELPARAM(3, 3));
    });
    EXPECT_EQ(kResultNo, box.RunModal());
}

namespace {

// Opens a box from inside the message loop of another, as a nested box opens.
NRMessageBox* g_nestedBox = nullptr;
int g_nestedResult = -1;
void CALLBACK OpenNestedBox(HWND, UINT, UINT_PTR id, DWORD)
{
    KillTimer(nullptr, id);
    g_nestedResult = g_nestedBox->RunModal();
}

}  // namespace

TEST(ToolkitMessageBox, ABoxUnderAnotherClosesOnlyOnceItIsOnTop)
{
    TestAppState app;
    NRMessageBox lower(nullptr, "lower", 1), upper(nullptr, "upper", 1);
    g_nestedBox = &upper;
    SetTimer(nullptr, 0, 50, OpenNestedBox);
    bool lowerStayed = false;
    Answerer answer([&](HWND first) {
        HWND second = WaitForToolkitDialog(GetCurrentProcessId(), 10000, first);
        ASSERT_TRUE(second);
        if (ToolkitDialogText(first) != "lower")
            std::swap(first, second);
        PostMessageA(first, WM_CLOSE, 0, 0);  // the lower one, under the upper
        Sleep(700);
        lowerStayed = IsWindow(first) && IsWindow(second);
        PostMessageA(second, WM_KEYDOWN, VK_RETURN, 0);
    });
    EXPECT_EQ(kResultCancel, lower.RunModal()) << "closed, not answered";
    EXPECT_EQ(kResultOk, g_nestedResult);
    EXPECT_TRUE(lowerStayed);
}

namespace {

int g_ownerPaints = 0;

LRESULT CALLBACK CountingOwnerProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam)
{
    if (message == WM_PAINT) {
        ++g_ownerPaints;
        ValidateRect(hwnd, nullptr);
        return 0;
    }
    return DefWindowProcA(hwnd, message, wParam, lParam);
}

}  // namespace

TEST(PleaseWaitDialog, ClosesSoonAfterTheHandleIsSignalledAndKeepsTheGuiPainting)
{
    TestAppState app;
    WNDCLASSEXA counting = {};
    counting.cbSize = sizeof(counting);
    counting.lpfnWndProc = CountingOwnerProc;
    counting.hInstance = GetModuleHandleA(nullptr);
    counting.lpszClassName = "NoxTestCountingOwner";
    RegisterClassExA(&counting);
    HWND owner = CreateWindowExA(0, "NoxTestCountingOwner", "", WS_POPUP | WS_VISIBLE, 0, 0, 300, 200, nullptr, nullptr,
                                 nullptr, nullptr);
    HANDLE done = CreateEventA(nullptr, TRUE, FALSE, nullptr);
    NRPleaseWaitDialog wait(owner, "Installing V2 Ethernet Drivers", done);
    DWORD signalled = 0;
    int barMoves = 0, paintsWhileWaiting = 0;
    Answerer answer([&](HWND) {
        g_ownerPaints = 0;
        InvalidateRect(owner, nullptr, FALSE);
        int last = wait.BarPosition();
        for (int i = 0; i < 30; ++i) {
            Sleep(10);
            barMoves += wait.BarPosition() != last;
            last = wait.BarPosition();
        }
        paintsWhileWaiting = g_ownerPaints;
        signalled = GetTickCount();
        SetEvent(done);
    });
    EXPECT_EQ(1, wait.RunModal());
    // It polls every 10 ms; the bound only has to tell "soon" from the three-second guard below on a
    // loaded machine.
    EXPECT_LT(GetTickCount() - signalled, 2000u) << "soon after the handle is signalled";
    EXPECT_GT(barMoves, 5) << "the bar moves while it waits";
    EXPECT_GT(paintsWhileWaiting, 0) << "the owner repaints while it waits";
    CloseHandle(done);
    DestroyWindow(owner);

    // Should it wait anyway, a timer of this thread closes it after three seconds.
    NRPleaseWaitDialog nothing(nullptr, "Installing", nullptr);
    struct Guard
    {
        static void CALLBACK Close(HWND, UINT, UINT_PTR, DWORD)
        {
            PostMessageA(WaitForToolkitDialog(GetCurrentProcessId(), 0), WM_CLOSE, 0, 0);
        }
    };
    const UINT_PTR guard = SetTimer(nullptr, 0, 3000, Guard::Close);
    const DWORD started = GetTickCount();
    EXPECT_EQ(kResultCancel, nothing.RunModal());
    EXPECT_LT(GetTickCount() - started, 1000u) << "nothing to wait for: it does not wait";
    KillTimer(nullptr, guard);
}

TEST(PleaseWaitDialog, NothingButTheHandlesSignalClosesIt)
{
    TestAppState app;
    const struct
    {
        const char* what;
        UINT message;
        WPARAM wParam;
        LPARAM lParam;
    } cases[] = {
        {"Alt+F4", WM_SYSKEYDOWN, VK_F4, 1 | (1 << 29)},
        {"the system's Close", WM_SYSCOMMAND, SC_CLOSE, 0},
        {"a WM_CLOSE another program posts", WM_CLOSE, 0, 0},
        {"a lost mouse capture", WM_CAPTURECHANGED, 0, 0},  // to the desktop window, below
        {"a WM_QUIT another program posts", WM_QUIT, 0, 0},
    };
    for (const auto& c : cases) {
        HANDLE work = CreateEventA(nullptr, TRUE, FALSE, nullptr);
        NRPleaseWaitDialog wait(nullptr, "Installing V2 Ethernet Drivers", work);
        bool stayed = false;
        Answerer answer([&](HWND shown) {
            const LPARAM capture = reinterpret_cast<LPARAM>(GetDesktopWindow());
            PostMessageA(shown, c.message, c.wParam, c.message == WM_CAPTURECHANGED ? capture : c.lParam);
            Sleep(300);
            stayed = IsWindowVisible(shown) != FALSE;
            SetEvent(work);
        });
        EXPECT_EQ(1, wait.RunModal()) << c.what << ": it ends when the handle is signalled";
        EXPECT_TRUE(stayed) << c.what;
        CloseHandle(work);
    }
}

TEST(PleaseWaitDialog, CancelAndEscapeMarkTheWaitCancelledAndItWaitsOnShowingItsSecondLine)
{
    TestAppState app;
    const COLORREF secondLineColour = PaletteColour(35);
    for (const bool escape : {false, true}) {
        HANDLE done = CreateEventA(nullptr, TRUE, FALSE, nullptr);
        NRPleaseWaitDialog wait(nullptr, "Installing V2 Ethernet Drivers", done);
        wait.ShowCancelButton(true);
        if (escape)
            wait.SetSecondLine("Please wait");
        bool openAfterCancel = false;
        int secondLinePixels = -1;
        Answerer answer([&](HWND shown) {
            HWND cancel = nullptr;
            for (HWND child = GetWindow(shown, GW_CHILD); child; child = GetWindow(child, GW_HWNDNEXT))
                if (WindowText(child) == "Cancel" && IsWindowVisible(child))
                    cancel = child;
            // Sent, so each is handled when the call returns.
            if (escape) {
                SendMessageA(shown, WM_KEYDOWN, VK_ESCAPE, 0);
            } else if (cancel) {
                SendMessageA(cancel, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(3, 3));
                SendMessageA(cancel, WM_LBUTTONUP, 0, MAKELPARAM(3, 3));
            }
            openAfterCancel = IsWindowVisible(shown) != FALSE;
            const DibCanvas canvas(shown);
            secondLinePixels = canvas.CountColour(secondLineColour, RECT{0, 0, canvas.Width(), canvas.Height()});
            SetEvent(done);
        });
        EXPECT_EQ(1, wait.RunModal()) << "it ends when the handle is signalled, not at Cancel";
        EXPECT_TRUE(wait.Cancelled()) << (escape ? "Escape" : "Cancel");
        EXPECT_TRUE(openAfterCancel);
        if (escape)
            EXPECT_GT(secondLinePixels, 0) << "the second line in its colour";
        else
            EXPECT_EQ(0, secondLinePixels) << "no second line, no pixel of its colour";
        CloseHandle(done);
    }
}

TEST(ToolkitMessageBox, AHundredBoxesLeaveNoGdiObjectOrWindowBehind)
{
    TestAppState app;
    const auto oneBox = [] {
        NRMessageBox box(nullptr, "$cyWarning$cw\nsomething to read", 2);
        Answerer answer(Press(WM_KEYDOWN, VK_ESCAPE));
        return box.RunModal();
    };
    // The system cursors a dialog shows (the hand over its body) are made once, by the first
    // WM_SETCURSOR, whenever the pointer happens to cross a box: made here, they are not counted.
    for (LPCSTR cursor : {IDC_HAND, IDC_SIZENWSE, IDC_ARROW})
        LoadCursorA(nullptr, cursor);
    oneBox();
    const int gdi = GdiObjectCount(), windows = ProcessWindowCount();
    for (int i = 0; i < 100; ++i)
        ASSERT_EQ(kResultCancel, oneBox());
    EXPECT_EQ(gdi, GdiObjectCount());
    EXPECT_EQ(windows, ProcessWindowCount());
}
