// The installer as a screen reader or a UI automation tool reads and drives it, through oleacc
// from another process: the window, the progress lines, the boxes and their buttons.
#include <gtest/gtest.h>

#include <algorithm>
#include <iostream>
#include <map>
#include <string>
#include <vector>

#include "DriverMachine.h"
#include "InstallerRun.h"
#include "ScreenReader.h"
#include "ui/text/RichText.h"

using namespace testing_support;

namespace {

std::vector<Accessible> ChildrenWithRole(const Accessible& parent, long role)
{
    std::vector<Accessible> found;
    for (const Accessible& child : parent.Children())
        if (child.Role() == role && !(child.State() & STATE_SYSTEM_INVISIBLE))
            found.push_back(child);
    return found;
}

}  // namespace

TEST(ScreenReader, ReadsTheTestPassAndItsCopyButtonEndsIt)
{
    const ScopedComApartment com;
    if (OpenClipboard(nullptr)) {
        EmptyClipboard();
        CloseClipboard();
    }
    WinEventRecorder events;
    InstallerRun run("NoxSetup.exe", "win10", "test");
    events.Follow(run.Process().Id());
    HWND box = nullptr;
    ASSERT_TRUE(
        PumpUntil([&] { return (box = ShownToolkitDialog(run.Process().Id())) != nullptr; }, InstallerRun::kTimeoutMs));
    HWND window = WaitForProcessWindow(run.Process().Id(), "NoxSetupWnd", InstallerRun::kTimeoutMs);

    const Accessible installer = Accessible::OfWindow(window);
    const Accessible question = Accessible::OfWindow(box);
    std::cout << "Screen reader's view of the test pass:\n"
              << ScreenReaderView(installer) << ScreenReaderView(question);
    EXPECT_EQ(ROLE_SYSTEM_WINDOW, installer.Role());
    EXPECT_EQ("NoxSetup Ethernet Drivers 2.17.10", installer.Name());
    EXPECT_EQ(std::vector<std::string>{"Close"}, Names(ChildrenWithRole(installer, ROLE_SYSTEM_PUSHBUTTON)));
    std::vector<std::string> captionButtons;  // the hidden ones too
    for (const Accessible& child : installer.Children())
        if (child.Role() == ROLE_SYSTEM_PUSHBUTTON)
            captionButtons.push_back(child.Name());
    std::sort(captionButtons.begin(), captionButtons.end());
    EXPECT_EQ((std::vector<std::string>{"Close", "Maximize", "Minimize", "Restore"}), captionButtons);
    const Accessible pane = installer.Find(ROLE_SYSTEM_LIST);
    EXPECT_EQ(std::vector<std::string>{"Win10 x64"}, Names(pane.Children()));

    EXPECT_EQ(ROLE_SYSTEM_DIALOG, question.Role());
    EXPECT_EQ("Test Complete\nHit COPY to copy messages to clipboard then exit\nHit OK to exit",
              question.Description());
    const std::vector<Accessible> buttons = ChildrenWithRole(question, ROLE_SYSTEM_PUSHBUTTON);
    ASSERT_EQ((std::vector<std::string>{"COPY", "OK"}), Names(buttons));
    EXPECT_EQ("Alt+C", buttons[0].Shortcut());
    EXPECT_EQ("Enter", buttons[1].Shortcut());
    EXPECT_TRUE(buttons[1].State() & STATE_SYSTEM_DEFAULT);
    EXPECT_EQ("Press", buttons[0].DefaultAction());

    // Walked up from each new line's event, as a reader finds where it is: one list on the way.
    int lineEvents = 0;
    for (const WinEventRecorder::Event& e : events.Events()) {
        if (e.process != run.Process().Id() || e.event != EVENT_OBJECT_CREATE || e.windowClass != "TNRListBox" ||
            e.objectId != OBJID_CLIENT)
            continue;
        ++lineEvents;
        // Up the objects from the line to its window's; then, where Wine's window objects name no
        // parent, up the windows, as a reader goes on.
        int lists = 0;
        Accessible up = Accessible::OfEvent(e.hwnd, e.objectId, e.childId);
        for (int step = 0; up && up.Role() != 0 && step < 20; ++step, up = up.Parent())
            lists += up.Role() == ROLE_SYSTEM_LIST ? 1 : 0;
        for (HWND window = GetParent(e.hwnd); window; window = GetParent(window))
            lists += Accessible::OfWindow(window).Role() == ROLE_SYSTEM_LIST ? 1 : 0;
        EXPECT_EQ(1, lists) << "line " << e.childId;
    }
    EXPECT_EQ(1, lineEvents);

    // The pane announces that it has the keyboard when the window is activated. A test beside this
    // one may have held the foreground as the installer started: activated here, as a user would.
    PumpUntil(
        [&] {
            if (events.Count(EVENT_OBJECT_FOCUS, "TNRListBox", 1) == 0)
                SetForegroundWindow(window);
            return events.Count(EVENT_OBJECT_FOCUS, "TNRListBox", 1) > 0;
        },
        5000);
    EXPECT_EQ(S_OK, buttons[0].DoDefaultAction());
    EXPECT_TRUE(PumpUntil([&] { return WaitForSingleObject(run.Process().Handle(), 0) == WAIT_OBJECT_0; },
                          InstallerRun::kTimeoutMs));
    EXPECT_EQ(0u, run.WaitForExit());
    std::string copied = ClipboardText();
    copied.erase(std::remove(copied.begin(), copied.end(), '\r'), copied.end());
    EXPECT_EQ("Win10 x64\n", copied);
    EXPECT_TRUE(FAILED(question.NameStatus())) << "the closed box's object answers with an error";

    // The line was announced as it came, focused while the pane had the keyboard; the box was
    // announced as a dialog from start to end.
    EXPECT_EQ(1, events.Count(EVENT_OBJECT_CREATE, "TNRListBox", 1));
    EXPECT_EQ(1, events.Count(EVENT_OBJECT_SHOW, "TNRListBox", 1));
    EXPECT_LE(1, events.Count(EVENT_OBJECT_FOCUS, "TNRListBox", 1));
    EXPECT_EQ(1, events.Count(EVENT_SYSTEM_DIALOGSTART));
    // Raised as the box went, just before the process ended: it may still wait in this queue.
    PumpUntil([&] { return events.Count(EVENT_SYSTEM_DIALOGEND) > 0; }, 5000);
    EXPECT_EQ(1, events.Count(EVENT_SYSTEM_DIALOGEND));
}

TEST(ScreenReader, FollowsAWholeInstallationAndAnswersItsBoxes)
{
    const ScopedComApartment com;
    TempDir dir;
    RemoveInstalledDriver();
    SetInstallDirectory(&dir.Path());
    SetAdministratorRights(true);
    WinEventRecorder events;
    // The stand-in protocol installer takes three seconds, as the demo has it, so the please-wait box
    // is read whole, with its bar.
    SetEnvironmentVariableA("NOX_STANDIN_PROTINSTALL", "slow");
    InstallerRun run("NoxSetup.exe", "win10");
    SetEnvironmentVariableA("NOX_STANDIN_PROTINSTALL", nullptr);
    const DWORD pid = run.Process().Id();
    events.Follow(pid);

    // Every box is read with the window behind it, then answered by its button's default action.
    std::string view;
    std::vector<std::string> questions, lines;
    HWND previous = nullptr, waitBox = nullptr, mainWindow = nullptr;
    RECT waitRect = {};
    for (const char* answer : {"Yes", "Ok"}) {
        HWND box = nullptr;
        ASSERT_TRUE(PumpUntil(
            [&] {
                box = ShownToolkitDialog(pid, previous);
                if (box && !ToolkitDialogHasButtons(box) && box != waitBox) {
                    // The bar shows while the protocol installer runs.
                    waitBox = box;
                    GetWindowRect(box, &waitRect);
                    view += ScreenReaderView(Accessible::OfWindow(box));
                }
                return box && box != waitBox;
            },
            20000))
            << "no box to answer " << answer;
        mainWindow = WaitForProcessWindow(pid, "NoxSetupWnd", 1000);
        const Accessible installer = Accessible::OfWindow(mainWindow);
        const Accessible question = Accessible::OfWindow(box);
        view += ScreenReaderView(installer) + ScreenReaderView(question);
        questions.push_back(question.Description());
        lines = Names(installer.Find(ROLE_SYSTEM_LIST).Children());
        EXPECT_EQ(S_OK, question.Find(ROLE_SYSTEM_PUSHBUTTON, answer).DoDefaultAction()) << answer;
        previous = box;
    }
    EXPECT_TRUE(PumpUntil([&] { return WaitForSingleObject(run.Process().Handle(), 0) == WAIT_OBJECT_0; },
                          InstallerRun::kTimeoutMs))
        << "still shown:\n"
        << DescribeProcessWindows(pid);
    EXPECT_EQ(0u, run.WaitForExit());
    std::cout << "Screen reader's view of a whole installation:\n" << view;

    EXPECT_EQ((std::vector<std::string>{
                  "This will install the Nox Racing ethernet drivers\nAre you sure you want to continue?",
                  "Setup Complete\nThe Nox Racing tools have now been installed"}),
              questions);
    // The lines read as the log has them, without their markup.
    const std::vector<std::string> logs = Logs(dir);
    ASSERT_EQ(1u, logs.size());
    std::vector<std::string> logged;
    for (size_t start = 0, end; (end = logs[0].find("\r\n", start)) != std::string::npos; start = end + 2)
        logged.push_back(MarkupPlainText(logs[0].substr(start, end - start), true));
    EXPECT_EQ(logged, lines);
    EXPECT_LE(2u, lines.size());
    for (size_t line = 1; line <= lines.size(); ++line)
        EXPECT_EQ(1, events.Count(EVENT_OBJECT_CREATE, "TNRListBox", static_cast<LONG>(line))) << line;
    // Consent, the please-wait bar and the end.
    EXPECT_EQ(3, events.Count(EVENT_SYSTEM_DIALOGSTART));
    EXPECT_EQ(0, events.Count(EVENT_OBJECT_VALUECHANGE)) << "no value a reader would turn into beeps";
    EXPECT_TRUE(waitBox) << "the please-wait box showed";
    EXPECT_LT(100, waitRect.right - waitRect.left) << "at its size, with its bar";
    EXPECT_LT(40, waitRect.bottom - waitRect.top);
    // The please-wait bar says it is busy as the wait starts and no longer as it ends: two state
    // changes of one window other than the main one (whose own tell of boxes coming and going).
    // Counted by window: a window that is gone by the time an event arrives has no class to read.
    std::map<HWND, int> waitStates;
    for (const WinEventRecorder::Event& e : events.Events())
        if (e.process == pid && e.event == EVENT_OBJECT_STATECHANGE && e.objectId == OBJID_CLIENT &&
            e.hwnd != mainWindow)
            ++waitStates[e.hwnd];
    EXPECT_EQ(1u, waitStates.size());
    EXPECT_EQ(2, waitStates.empty() ? 0 : waitStates.begin()->second);
    RemoveInstalledDriver();
}

TEST(ScreenReader, HearsTheFocusedButtonOfTheConsentBoxAndFollowsTheKeyboard)
{
    const ScopedComApartment com;
    WinEventRecorder events;
    InstallerRun run("NoxSetup.exe", "win10");
    const DWORD pid = run.Process().Id();
    events.Follow(pid);
    HWND box = nullptr;
    ASSERT_TRUE(PumpUntil([&] { return (box = ShownToolkitDialog(pid)) != nullptr; }, InstallerRun::kTimeoutMs));
    HWND window = WaitForProcessWindow(pid, "NoxSetupWnd", InstallerRun::kTimeoutMs);

    // The button with the keyboard focus, and what the latest focus event names, resolved as a
    // reader resolves it.
    // Tests beside this one take the foreground at times: the box is brought back, and must then
    // put the focus back itself.
    std::string heard;
    const auto focusedOn = [&](const std::string& caption) {
        return PumpUntil(
            [&] {
                if (ThreadActiveWindow(box) != box)
                    SetForegroundWindow(box);
                const Accessible focus = events.LastFocus();
                heard = focus && focus.Role() == ROLE_SYSTEM_PUSHBUTTON ? focus.Name() : std::string();
                return WindowText(ThreadFocus(box)) == caption && heard == caption;
            },
            5000);
    };
    EXPECT_TRUE(focusedOn("Yes")) << "focus on \"" << WindowText(ThreadFocus(box)) << "\", heard \"" << heard << "\"";
    EXPECT_TRUE(Accessible::OfWindow(window).State() & STATE_SYSTEM_UNAVAILABLE) << "the window under the box";

    // The main window activated under the box, as Alt+Tab or the taskbar does, for a second: the box
    // comes forward at once with its focus, and the window's pane never takes it on the way (a reader
    // would read the last progress line first). Tests beside this one may take the foreground: the
    // window is activated again until the box is back.
    const size_t before = events.Events().size();
    const auto paneFocused = [&] {
        for (size_t i = before; i < events.Events().size(); ++i)
            if (events.Events()[i].event == EVENT_OBJECT_FOCUS && events.Events()[i].windowClass == "TNRListBox" &&
                events.Events()[i].process == pid)
                return true;
        return false;
    };
    const DWORD start = GetTickCount();
    int tries = 0;
    EXPECT_TRUE(PumpUntil(
        [&] {
            const bool activating = GetTickCount() - start < 1000;
            if ((activating && tries++ % 10 == 0) || ThreadActiveWindow(box) != box)
                SetForegroundWindow(window);
            const Accessible focus = events.LastFocus();
            heard = focus ? focus.Name() : std::string();
            return !activating && ThreadActiveWindow(box) == box && WindowText(ThreadFocus(box)) == "Yes" &&
                   heard == "Yes";
        },
        6000))
        << "active \"" << WindowText(ThreadActiveWindow(box)) << "\", focus on \"" << WindowText(ThreadFocus(box))
        << "\", heard \"" << heard << "\"";
    EXPECT_FALSE(paneFocused()) << "the progress pane took the focus on the way";

    PressKeyAsUser(box, VK_TAB);
    EXPECT_TRUE(focusedOn("No")) << "focus on \"" << WindowText(ThreadFocus(box)) << "\", heard \"" << heard << "\"";
    std::cout << "Screen reader's view of the consent box, focus on No:\n"
              << ScreenReaderView(Accessible::OfWindow(box));
    PressKeyAsUser(box, VK_RETURN);
    EXPECT_TRUE(PumpUntil([&] { return WaitForSingleObject(run.Process().Handle(), 0) == WAIT_OBJECT_0; },
                          InstallerRun::kTimeoutMs))
        << "No ends the installer";
    EXPECT_EQ(0u, run.WaitForExit());
}
