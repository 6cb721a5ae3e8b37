#include <gtest/gtest.h>

#include "app/NoxAppWnd.h"

namespace {

using TestTraits = NRWinTraits<WS_POPUP, 0>;

class TestAppWnd : public NoxAppWnd<TestAppWnd, TestTraits>
{
public:
    TestAppWnd() : NoxAppWnd("Test application") {}
    static NRWndClassInfo& GetWndClassInfo()
    {
        static NRWndClassInfo info = {"NoxTestAppWnd", CS_DBLCLKS, nullptr, IDC_ARROW, 0};
        return info;
    }
    bool allowClose = true;
    int closeRequests = 0;

protected:
    bool CanClose(const char* reason) override
    {
        EXPECT_STREQ("quit", reason);
        ++closeRequests;
        return allowClose;
    }
    void CloseMainWindow() override { DestroyWindow(); }  // the base would store the placement
};

}  // namespace

TEST(NoxAppWnd, CloseIsRefusedWhileADialogIsOpenAndAskedOtherwise)
{
    TestAppWnd window;
    ASSERT_TRUE(window.Create(nullptr, RECT{0, 0, 200, 100}));
    HWND dialog = reinterpret_cast<HWND>(0x1234);  // only its presence in the list matters
    window.AddOpenDialog(dialog);
    window.SendMessage(WM_CLOSE);
    EXPECT_TRUE(window.IsWindow());
    EXPECT_EQ(0, window.closeRequests) << "not even asked";

    window.RemoveOpenDialog(dialog);
    EXPECT_EQ(0u, window.OpenDialogCount());
    window.allowClose = false;
    window.SendMessage(WM_CLOSE);
    EXPECT_TRUE(window.IsWindow());
    EXPECT_EQ(1, window.closeRequests);

    window.allowClose = true;
    window.SendMessage(WM_CLOSE);
    EXPECT_FALSE(window.IsWindow());
}

TEST(NoxAppWnd, ClientAreaIsTheWholeWindowOnceTheFrameIsRecalculated)
{
    TestAppWnd window;
    ASSERT_TRUE(window.Create(nullptr, RECT{0, 0, 200, 100}, nullptr, WS_POPUP | WS_BORDER | WS_CAPTION));
    SetWindowPos(window.Handle(), nullptr, 0, 0, 0, 0, SWP_FRAMECHANGED | SWP_NOMOVE | SWP_NOSIZE | SWP_NOZORDER);
    const RECT client = window.GetClientRect();
    EXPECT_EQ(200, client.right);
    EXPECT_EQ(100, client.bottom);
    window.DestroyWindow();
}
