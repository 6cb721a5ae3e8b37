#include <gtest/gtest.h>

#include "app/Startup.h"

TEST(VersionQuery, OnlyTheExactLowerCaseSwitchCounts)
{
    EXPECT_TRUE(IsVersionQuery("/version"));
    EXPECT_FALSE(IsVersionQuery("/VERSION"));
    EXPECT_FALSE(IsVersionQuery("/version x"));
    EXPECT_FALSE(IsVersionQuery(" /version"));
    EXPECT_FALSE(IsVersionQuery("/versio"));
    EXPECT_FALSE(IsVersionQuery(""));
    EXPECT_FALSE(IsVersionQuery(nullptr));
}
