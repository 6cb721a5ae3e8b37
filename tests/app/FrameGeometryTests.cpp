// The borderless frame's arithmetic: hit testing, the maximised size, the caption buttons' places.
#include <gtest/gtest.h>

#include "app/FrameGeometry.h"

TEST(FrameHitTest, EdgesResizeCornersReachTenPixelsAndTheCaptionDragsBesideTheSystemMenu)
{
    const RECT window = {100, 200, 740, 680};
    const struct
    {
        LONG x, y;
        int expected;
    } cases[] = {
        {105, 210, HTTOPLEFT},  {105, 211, HTLEFT},        {105, 670, HTBOTTOMLEFT},  {105, 669, HTLEFT},
        {735, 210, HTTOPRIGHT}, {735, 400, HTRIGHT},       {735, 670, HTBOTTOMRIGHT}, {110, 205, HTTOPLEFT},
        {111, 205, HTTOP},      {730, 205, HTTOPRIGHT},    {729, 205, HTTOP},         {110, 675, HTBOTTOMLEFT},
        {400, 675, HTBOTTOM},   {730, 675, HTBOTTOMRIGHT}, {106, 206, HTSYSMENU},     {120, 225, HTSYSMENU},
        {121, 225, HTCAPTION},  {734, 206, HTCAPTION},     {400, 226, HTCLIENT},      {106, 674, HTCLIENT},
        {734, 674, HTCLIENT},   {99, 400, HTLEFT},         {741, 400, HTRIGHT},       {400, 199, HTTOP},
    };
    for (const auto& c : cases)
        EXPECT_EQ(c.expected, FrameHitTest(window, POINT{c.x, c.y})) << c.x << ", " << c.y;
}

TEST(FrameGeometry, MaximisedTheWindowOverhangsTheWorkAreaByFiveOnEverySide)
{
    // A task bar of 40 pixels on the left of a second monitor to the right of the first.
    const RECT monitor = {1920, 0, 3200, 1024};
    const RECT work = {1960, 0, 3200, 1024};
    MINMAXINFO info = {};
    FillMaximizedMinMaxInfo(monitor, work, info);
    EXPECT_EQ(1250, info.ptMaxSize.x);
    EXPECT_EQ(1034, info.ptMaxSize.y);
    EXPECT_EQ(35, info.ptMaxPosition.x) << "relative to the monitor, beside the task bar";
    EXPECT_EQ(-5, info.ptMaxPosition.y);
    EXPECT_EQ(10, info.ptMinTrackSize.x);
    EXPECT_EQ(10, info.ptMinTrackSize.y);
    EXPECT_EQ(1250, info.ptMaxTrackSize.x);
    EXPECT_EQ(1034, info.ptMaxTrackSize.y);
}

TEST(FrameGeometry, CaptionButtonsLineUpFromTheRightAndShowOnlyWhatTheStyleAllows)
{
    const SIZE minimize = {14, 14}, maximize = {16, 14}, close = {18, 14};
    const struct
    {
        DWORD style;
        bool maximized;
        CaptionButtonPlace minimizeButton, maximizeButton, restoreButton, closeButton;
    } cases[] = {
        {0x96080000, false, {false, 0, 0}, {false, 0, 0}, {false, 0, 0}, {true, 614, 8}},
        {WS_MAXIMIZEBOX | WS_MINIMIZEBOX, false, {true, 578, 8}, {true, 595, 8}, {false, 595, 8}, {true, 614, 8}},
        {WS_MAXIMIZEBOX | WS_MINIMIZEBOX, true, {true, 578, 8}, {false, 595, 8}, {true, 595, 8}, {true, 614, 8}},
        {WS_MINIMIZEBOX, false, {true, 597, 8}, {false, 0, 0}, {false, 0, 0}, {true, 614, 8}},
    };
    for (const auto& c : cases) {
        const CaptionButtonLayout layout = LayoutCaptionButtons(640, c.style, c.maximized, minimize, maximize, close);
        const std::pair<CaptionButtonPlace, CaptionButtonPlace> pairs[] = {{c.minimizeButton, layout.minimize},
                                                                           {c.maximizeButton, layout.maximize},
                                                                           {c.restoreButton, layout.restore},
                                                                           {c.closeButton, layout.close}};
        for (const auto& [expected, actual] : pairs) {
            EXPECT_EQ(expected.visible, actual.visible) << std::hex << c.style << " maximized " << c.maximized;
            if (expected.visible) {
                EXPECT_EQ(expected.x, actual.x);
                EXPECT_EQ(expected.y, actual.y);
            }
        }
    }
}
