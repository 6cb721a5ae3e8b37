// The clipboard text of the COPY button: placed whole, or not at all.
#include <gtest/gtest.h>

#include <string>

#include "platform/Clipboard.h"

namespace {

std::string ClipboardText()
{
    std::string text;
    if (OpenClipboard(nullptr)) {
        if (HANDLE data = GetClipboardData(CF_TEXT)) {
            if (const char* bytes = static_cast<const char*>(GlobalLock(data))) {
                text = bytes;
                GlobalUnlock(data);
            }
        }
        CloseClipboard();
    }
    return text;
}

LPVOID WINAPI FailingLock(HGLOBAL) { return nullptr; }

}  // namespace

TEST(Clipboard, TheTextIsPlacedWholeAndAFailedLockLeavesThePreviousTextInPlace)
{
    ASSERT_TRUE(CopyTextToClipboard(nullptr, "Win10 x64\r\nSetup Complete"));
    EXPECT_EQ("Win10 x64\r\nSetup Complete", ClipboardText());

    EXPECT_FALSE(CopyTextToClipboard(nullptr, "never placed", FailingLock));
    EXPECT_EQ("Win10 x64\r\nSetup Complete", ClipboardText());
}
