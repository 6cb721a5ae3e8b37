// The clipboard text of the COPY button: placed whole, or not at all.
#include <gtest/gtest.h>

#include <string>

#include "TestSupport.h"
#include "platform/Clipboard.h"

using testing_support::ClipboardText;

namespace {

LPVOID WINAPI FailingLock(HGLOBAL) { return nullptr; }

}  // namespace

TEST(Clipboard, TheTextIsPlacedWholeAndAFailedLockLeavesThePreviousTextInPlace)
{
    ASSERT_TRUE(CopyTextToClipboard(nullptr, "Win10 x64\r\nSetup Complete"));
    EXPECT_EQ("Win10 x64\r\nSetup Complete", ClipboardText());

    EXPECT_FALSE(CopyTextToClipboard(nullptr, "never placed", FailingLock));
    EXPECT_EQ("Win10 x64\r\nSetup Complete", ClipboardText());
}
