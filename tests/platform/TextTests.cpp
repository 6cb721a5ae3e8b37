#include <gtest/gtest.h>

#include <string>

#include "platform/Text.h"

TEST(FormatText, FormatsLikePrintfWithoutLengthLimit)
{
    EXPECT_EQ("NoxSetup 2.17.10", FormatText("NoxSetup %u.%u.%u", 2u, 17u, 10u));
    EXPECT_EQ("", FormatText("%s", ""));
    const std::string longText(5000, 'x');
    EXPECT_EQ(longText + "!", FormatText("%s!", longText.c_str()));
}

TEST(AnsiToWide, ConvertsWithTheThreadCodePage)
{
    EXPECT_EQ(L"C:\\Nox Racing\\", AnsiToWide("C:\\Nox Racing\\"));
    EXPECT_EQ(L"", AnsiToWide(""));
}
