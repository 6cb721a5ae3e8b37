#include <gtest/gtest.h>

#include <cstring>
#include <new>
#include <string>
#include <vector>

#include "TestSupport.h"
#include "ui/framework/WindowImpl.h"

using namespace testing_support;

namespace {

constexpr UINT kBaseMessage = WM_APP + 1;
constexpr UINT kDerivedMessage = WM_APP + 2;
constexpr UINT kUnhandledMessage = WM_APP + 3;

class BaseTestWindow : public NRWindowImpl<BaseTestWindow>
{
public:
    static NRWndClassInfo& GetWndClassInfo()
    {
        static NRWndClassInfo info = {"NoxTestBaseWnd", 0, nullptr, IDC_ARROW, 0};
        return info;
    }

    bool ProcessWindowMessage(HWND, UINT message, WPARAM, LPARAM, LRESULT& result) override
    {
        if (message == kBaseMessage || message == kDerivedMessage) {
            log.push_back(message == kBaseMessage ? "base:base" : "base:derived");
            result = 1;
            return true;
        }
        if (message == WM_CREATE) {
            createdAs = GetWindowText();
            result = failCreation ? -1 : 0;
            return true;
        }
        return false;
    }

    void OnFinalMessage(HWND hwnd) override
    {
        finalHandle = hwnd;
        handleAtFinalMessage = Handle();
    }

    std::vector<std::string> log;
    std::string createdAs;
    bool failCreation = false;
    HWND finalHandle = nullptr;
    HWND handleAtFinalMessage = reinterpret_cast<HWND>(1);
};

class DerivedTestWindow : public BaseTestWindow
{
public:
    bool ProcessWindowMessage(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam, LRESULT& result) override
    {
        if (message == kDerivedMessage) {
            log.push_back("derived");
            result = 2;
            return true;
        }
        return BaseTestWindow::ProcessWindowMessage(hwnd, message, wParam, lParam, result);
    }
};

const RECT kRect = {10, 10, 210, 110};

}  // namespace

TEST(WindowImpl, DerivedMapHandlesItsMessagesAndChainsTheRestToTheBaseMap)
{
    DerivedTestWindow window;
    ASSERT_TRUE(window.Create(nullptr, kRect, "chained", WS_POPUP));
    EXPECT_EQ("chained", window.createdAs);  // the object was bound before WM_CREATE arrived

    EXPECT_EQ(2, window.SendMessage(kDerivedMessage));
    EXPECT_EQ(1, window.SendMessage(kBaseMessage));
    EXPECT_EQ(0, window.SendMessage(kUnhandledMessage));  // DefWindowProc's answer
    EXPECT_EQ((std::vector<std::string>{"derived", "base:base"}), window.log);
    EXPECT_TRUE(window.DestroyWindow());
}

TEST(WindowImpl, FinalMessageComesAfterTheHandleIsDetached)
{
    BaseTestWindow window;
    HWND hwnd = window.Create(nullptr, kRect, "final", WS_POPUP);
    ASSERT_TRUE(hwnd);
    EXPECT_EQ(hwnd, window.Handle());
    window.DestroyWindow();
    EXPECT_EQ(hwnd, window.finalHandle);
    EXPECT_EQ(nullptr, window.handleAtFinalMessage);
    EXPECT_EQ(nullptr, window.Handle());

    // The object can make a new window afterwards; the class is registered once.
    EXPECT_TRUE(window.Create(nullptr, kRect, "again", WS_POPUP));
    window.DestroyWindow();
}

TEST(WindowImpl, FailedCreationLeavesNoWindowAndNoBookkeepingBehind)
{
    BaseTestWindow failing;
    failing.failCreation = true;
    EXPECT_EQ(nullptr, failing.Create(nullptr, kRect, "fails", WS_POPUP));
    EXPECT_EQ(nullptr, failing.Handle());

    // A window of an unregistrable class never reaches a window procedure.
    struct BadClassWindow : NRWindowImpl<BadClassWindow>
    {
        static NRWndClassInfo& GetWndClassInfo()
        {
            static NRWndClassInfo info = {"", 0, nullptr, nullptr, 0};
            return info;
        }
        bool ProcessWindowMessage(HWND, UINT, WPARAM, LPARAM, LRESULT&) override { return false; }
    } badClass;
    EXPECT_EQ(nullptr, badClass.Create(nullptr, kRect, "bad", WS_POPUP));

    // Nothing stale is left for the next window to pick up.
    DerivedTestWindow next;
    ASSERT_TRUE(next.Create(nullptr, kRect, "next", WS_POPUP | WS_VISIBLE));
    EXPECT_EQ("next", next.createdAs);
    // The one that failed asks no repaint of anyone (a null window would mean every window).
    ValidateRect(next.Handle(), nullptr);
    EXPECT_FALSE(failing.Invalidate());
    RECT update = {};
    EXPECT_FALSE(GetUpdateRect(next.Handle(), &update, FALSE));
    next.DestroyWindow();
}

TEST(WindowImpl, DestroyingTheObjectDestroysItsWindow)
{
    const int windowsBefore = ProcessWindowCount();
    HWND hwnd = nullptr;
    {
        DerivedTestWindow window;
        hwnd = window.Create(nullptr, kRect, "scoped", WS_POPUP);
        ASSERT_TRUE(hwnd);
        EXPECT_EQ(windowsBefore + 1, ProcessWindowCount());
    }
    EXPECT_FALSE(IsWindow(hwnd));
    EXPECT_EQ(windowsBefore, ProcessWindowCount());
}

namespace {

constexpr UINT kDestroyYourself = WM_APP + 4;

// Owns itself, as dialogs and controls often do: destroyed from inside one of its handlers, it
// deletes itself once its window is gone. Its memory is kept and filled with a marker on delete,
// so a test can see whether anything wrote to the object afterwards.
class SelfDeletingWindow : public NRWindowImpl<SelfDeletingWindow>
{
public:
    static NRWndClassInfo& GetWndClassInfo()
    {
        static NRWndClassInfo info = {"NoxTestSelfDeletingWnd", 0, nullptr, IDC_ARROW, 0};
        return info;
    }

    static void* operator new(size_t size)
    {
        if (size > sizeof(s_storage))
            throw std::bad_alloc();
        return s_storage;
    }
    static void operator delete(void* object, size_t size)
    {
        std::memset(object, kFreed, size);
        ++s_deletions;
    }

    bool ProcessWindowMessage(HWND, UINT message, WPARAM, LPARAM, LRESULT& result) override
    {
        if (message != kDestroyYourself)
            return false;
        DestroyWindow();
        result = 1;
        return true;
    }
    void OnFinalMessage(HWND) override { delete this; }

    static constexpr unsigned char kFreed = 0xDD;
    alignas(std::max_align_t) static unsigned char s_storage[256];
    static int s_deletions;
};
alignas(std::max_align_t) unsigned char SelfDeletingWindow::s_storage[256];
int SelfDeletingWindow::s_deletions = 0;

}  // namespace

TEST(WindowImpl, WindowDestroyedInsideItsHandlerIsNotTouchedAfterItDeletesItself)
{
    auto* window = new SelfDeletingWindow;
    HWND hwnd = window->Create(nullptr, kRect, "self-deleting", WS_POPUP);
    ASSERT_TRUE(hwnd);
    EXPECT_EQ(1, SendMessageA(hwnd, kDestroyYourself, 0, 0));
    EXPECT_FALSE(IsWindow(hwnd));
    EXPECT_EQ(1, SelfDeletingWindow::s_deletions);
    for (size_t i = 0; i < sizeof(SelfDeletingWindow); ++i)
        ASSERT_EQ(SelfDeletingWindow::kFreed, SelfDeletingWindow::s_storage[i])
            << "byte " << i << " written after delete";
}
