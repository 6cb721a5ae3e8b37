// The on-screen error report: its text, and the window showing it in a titled toolkit box.
#include <gtest/gtest.h>

#include <thread>

#include "TestSupport.h"
#include "app/ErrorReport.h"
#include "app/NoxAppWnd.h"
#include "platform/CrashReporter.h"
#include "ui/text/RichText.h"

using namespace testing_support;

namespace {

class PlainAppWnd : public NoxAppWnd<PlainAppWnd, NRWinTraits<WS_POPUP, 0>>
{
public:
    PlainAppWnd() : NoxAppWnd("Error report test") {}
    static NRWndClassInfo& GetWndClassInfo()
    {
        static NRWndClassInfo info = {"NoxErrorReportTestWnd", CS_DBLCLKS, nullptr, IDC_ARROW, 0};
        return info;
    }

protected:
    void CloseMainWindow() override { DestroyWindow(); }
};

}  // namespace

TEST(ErrorReport, NamesAreaNumberAndFolderAndShowsTheirDollarsAsWritten)
{
    EXPECT_EQ("$cyError in Installer (7)$cw\n\nA serious error has occured\nThe exact details of the error are "
              "stored\nin a text file in C:\\Nox Racing\\",
              ErrorReportText("Installer", 7, "C:\\Nox Racing\\"));

    // "$c" in the area and "$T" in the folder are text, not escape codes: only the header's two
    // colours are colour codes, and each dollar stays inside its word, as written.
    NRRichText text;
    ASSERT_TRUE(text.Parse(ErrorReportText("Area$cr", -1, "C:\\$Tools\\")));
    int colours = 0;
    std::string words;
    for (const RichTextToken& token : text.Tokens()) {
        colours += token.kind == RichTextTokenKind::Colour;
        if (token.kind == RichTextTokenKind::Word)
            words += token.text + "|";
    }
    EXPECT_EQ(2, colours);
    EXPECT_NE(std::string::npos, words.find("|Area$cr|(-1)|")) << words;
    EXPECT_NE(std::string::npos, words.find("|C:\\$Tools\\|")) << words;
}

TEST(ErrorReport, TheWindowShowsItUnderATitleBandAndCountsItOff)
{
    NRCrashReporter reporter({2, 17, 10});
    PlainAppWnd window;
    ASSERT_TRUE(window.Create(nullptr, RECT{0, 0, 300, 200}));
    // Where the box puts its message: under the title band.
    int paneTop = -1;
    std::string text;
    std::thread user([&] {
        HWND box = WaitForToolkitDialog(GetCurrentProcessId(), 5000);
        if (!box)
            return;
        text = ToolkitDialogText(box);
        RECT pane = {};
        struct Pane
        {
            static BOOL CALLBACK Find(HWND child, LPARAM found)
            {
                char name[64] = {};
                GetClassNameA(child, name, sizeof(name));
                if (std::string(name) == "NRScrollableRichText")
                    GetWindowRect(child, reinterpret_cast<RECT*>(found));
                return TRUE;
            }
        };
        EnumChildWindows(box, Pane::Find, reinterpret_cast<LPARAM>(&pane));
        POINT topLeft = {pane.left, pane.top};
        ScreenToClient(box, &topLeft);
        paneTop = topLeft.y;
        PostMessageA(box, WM_KEYDOWN, VK_RETURN, 0);
    });

    window.PostErrorReport("Installer", 7);
    EXPECT_EQ(1, reporter.PendingReports());
    EXPECT_TRUE(PumpUntil([&] { return reporter.PendingReports() == 0; }, 10000));
    user.join();
    EXPECT_EQ(ErrorReportText("Installer", 7, ProgramFolder()), text);
    EXPECT_GT(paneTop, 10 + 6) << "a box without a title puts its message at 10";
    window.DestroyWindow();
}
