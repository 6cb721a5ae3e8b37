// The helpers other tests rely on: the counters that find leaked GDI objects and windows, and the
// temporary folders.
#include <gtest/gtest.h>

#include <stdexcept>

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
    HWND grandchild = CreateWindowExA(0, "STATIC", "grandchild", WS_CHILD, 0, 0, 2, 2, child, nullptr, nullptr, nullptr);
    ASSERT_TRUE(top && child && grandchild);
    EXPECT_EQ(before + 3, ProcessWindowCount());
    DestroyWindow(top);
    EXPECT_EQ(before, ProcessWindowCount());
}

TEST(TempDir, RefusesInsteadOfWaitingWhenTheTemporaryFolderTakesNoFolder)
{
    char saved[MAX_PATH] = {};
    const bool hadTmp = GetEnvironmentVariableA("TMP", saved, MAX_PATH) > 0;
    SetEnvironmentVariableA("TMP", "Z:\\nox-no-such-folder\\");
    EXPECT_THROW(TempDir(), std::runtime_error);
    SetEnvironmentVariableA("TMP", hadTmp ? saved : nullptr);
}
