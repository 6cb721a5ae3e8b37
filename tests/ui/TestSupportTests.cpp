// The counters that the toolkit's tests rely on to find leaked GDI objects and windows.
#include <gtest/gtest.h>

#include "TestSupport.h"

using namespace testing_support;

TEST(ObjectCounts, SeeGdiObjectsComeAndGo)
{
    const int before = GdiObjectCount();
    ASSERT_GT(before, 0);
    HBRUSH brush = CreateSolidBrush(RGB(200, 0, 0));
    HDC screen = GetDC(nullptr);
    HDC memory = CreateCompatibleDC(screen);
    ReleaseDC(nullptr, screen);
    EXPECT_EQ(before + 2, GdiObjectCount());
    DeleteDC(memory);
    DeleteObject(brush);
    EXPECT_EQ(before, GdiObjectCount());
}

TEST(ObjectCounts, SeeWindowsAndTheirChildren)
{
    const int before = ProcessWindowCount();
    HWND top = CreateWindowExA(0, "STATIC", "top", WS_POPUP, 0, 0, 10, 10, nullptr, nullptr, nullptr, nullptr);
    HWND child = CreateWindowExA(0, "STATIC", "child", WS_CHILD, 0, 0, 5, 5, top, nullptr, nullptr, nullptr);
    ASSERT_TRUE(top && child);
    EXPECT_EQ(before + 2, ProcessWindowCount());
    DestroyWindow(top);
    EXPECT_EQ(before, ProcessWindowCount());
}
