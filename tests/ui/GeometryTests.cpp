#include <gtest/gtest.h>

#include "ui/framework/Geometry.h"

namespace {

RECT Rect(LONG left, LONG top, LONG right, LONG bottom) { return RECT{left, top, right, bottom}; }

}  // namespace

TEST(CenteredTopLeft, CentresOnTheWorkArea)
{
    const RECT area = Rect(0, 0, 1280, 1024);
    const POINT p = CenteredTopLeft(Rect(0, 0, 640, 480), area, area);
    EXPECT_EQ(320, p.x);
    EXPECT_EQ(272, p.y);
}

TEST(CenteredTopLeft, FollowsAWorkAreaThatDoesNotStartAtZero)
{
    // A second monitor to the left, with the task bar at its top.
    const RECT area = Rect(-1920, 40, 0, 1080);
    const POINT p = CenteredTopLeft(Rect(100, 100, 740, 580), area, area);
    EXPECT_EQ(-1280, p.x);
    EXPECT_EQ(320, p.y);
}

TEST(CenteredTopLeft, KeepsTheLeftAndTopEdgesVisibleWhenTheWindowIsTooLarge)
{
    const RECT area = Rect(0, 30, 600, 430);
    const POINT p = CenteredTopLeft(Rect(0, 0, 640, 480), area, area);
    EXPECT_EQ(0, p.x);
    EXPECT_EQ(30, p.y);
}

TEST(CenteredTopLeft, PullsAWindowCentredOnAnOwnerBackIntoTheArea)
{
    const RECT area = Rect(0, 0, 1000, 800);
    const RECT ownerNearTheCorner = Rect(900, 700, 1100, 900);
    const POINT p = CenteredTopLeft(Rect(0, 0, 300, 200), ownerNearTheCorner, area);
    EXPECT_EQ(700, p.x);
    EXPECT_EQ(600, p.y);
}
