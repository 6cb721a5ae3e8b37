// The toolkit's windows as an assistive tool reads them through oleacc: a list of progress lines,
// a message box and its buttons, the please-wait bar, and the object of a window that is gone.
#include <gtest/gtest.h>

#include <atomic>
#include <string>
#include <thread>
#include <vector>

#include "ScreenReader.h"
#include "TestSupport.h"
#include "ui/controls/Button.h"
#include "ui/dialogs/MessageBox.h"
#include "ui/dialogs/PleaseWaitDialog.h"
#include "ui/lists/ListContainer.h"

using namespace testing_support;

namespace {

// Runs `read` on a thread of its own, as a reader in another apartment, once a box of this
// process shows; the box is closed if `read` leaves it open. Its calls are carried out by this
// thread's message loop, which therefore runs until the reader is done.
class Reader
{
public:
    template <class Read>
    explicit Reader(Read read)
        : m_thread([this, read] {
              {
                  const ScopedComApartment com;
                  HWND box = WaitForToolkitDialog(GetCurrentProcessId(), 10000);
                  if (box)
                      read(box);
                  if (IsWindow(box))
                      PostMessageA(box, WM_CLOSE, 0, 0);
              }
              m_done = true;
          })
    {
    }
    ~Reader()
    {
        PumpUntil([this] { return m_done.load(); }, 20000);
        m_thread.join();
    }

private:
    std::atomic<bool> m_done{false};
    std::thread m_thread;
};

}  // namespace

TEST(AccessibleList, ReadsEachLineWithoutMarkupAndFollowsNewLines)
{
    const ScopedComApartment com;
    HWND parent =
        CreateWindowExA(0, "STATIC", "", WS_POPUP | WS_VISIBLE, 0, 0, 400, 300, nullptr, nullptr, nullptr, nullptr);
    NRListContainer pane;
    ASSERT_TRUE(pane.Create(parent, RECT{5, 30, 395, 295}, "Progress"));
    pane.AddText("Win10 x64");
    pane.AddText("$cyError in C:\\$dTools (5)$cw");
    const Accessible list = Accessible::OfWindow(pane.Handle());
    EXPECT_EQ(ROLE_SYSTEM_LIST, list.Role());
    EXPECT_EQ("Progress", list.Name());
    EXPECT_EQ((std::vector<std::string>{"Win10 x64", "Error in C:\\$Tools (5)"}), Names(list.Children()));
    pane.AddText("$cgdone");
    const std::vector<Accessible> lines = list.Children();
    ASSERT_EQ(3u, lines.size());
    EXPECT_EQ("done", lines[2].Name());
    EXPECT_TRUE(lines[2].State() & STATE_SYSTEM_SELECTED) << "the newest line is current";
    EXPECT_FALSE(lines[0].State() & STATE_SYSTEM_SELECTED);
    // The lines are drawn from the top of the list down, and a mouse pointer finds each where it is.
    POINT top = {0, 0};
    ClientToScreen(pane.ListBox().Handle(), &top);
    EXPECT_EQ(top.y, lines[0].Location().top);
    const RECT row = lines[2].Location();
    EXPECT_EQ(3, list.ChildAt(POINT{(row.left + row.right) / 2, (row.top + row.bottom) / 2}));

    // Only the client area has an object; any other id is the system's.
    EXPECT_EQ(0, SendMessageA(pane.Handle(), WM_GETOBJECT, 0, OBJID_WINDOW));
    EXPECT_EQ(0, SendMessageA(pane.Handle(), WM_GETOBJECT, 0, reinterpret_cast<LPARAM>(&pane)));
    DestroyWindow(parent);
    EXPECT_EQ(CO_E_OBJNOTCONNECTED, list.NameStatus()) << "held after its window went";
}

TEST(AccessibleButton, TellsItsNameKeyAndStatesAndAnnouncesGainingTheFocus)
{
    const ScopedComApartment com;
    HWND parent =
        CreateWindowExA(0, "STATIC", "", WS_POPUP | WS_VISIBLE, 0, 0, 200, 100, nullptr, nullptr, nullptr, nullptr);
    NRButton button;
    button.SetCaption("Yes", 'Y');
    ASSERT_TRUE(button.Create(parent, RECT{10, 10, 60, 30}));
    WinEventRecorder events;
    events.Follow(GetCurrentProcessId());
    const Accessible pushButton = Accessible::OfWindow(button.Handle());
    EXPECT_EQ("push button Yes Y", pushButton.RoleText() + " " + pushButton.Name() + " " + pushButton.Shortcut());
    const long watched = STATE_SYSTEM_FOCUSED | STATE_SYSTEM_DEFAULT | STATE_SYSTEM_UNAVAILABLE;
    const struct
    {
        const char* change;
        void (*apply)(NRButton&);
        long state;
    } cases[] = {
        {"as made", [](NRButton&) {}, 0},
        {"focused", [](NRButton& b) { b.SetFocused(1); }, STATE_SYSTEM_FOCUSED},
        {"default", [](NRButton& b) { b.SetDefault(true); }, STATE_SYSTEM_FOCUSED | STATE_SYSTEM_DEFAULT},
        {"disabled", [](NRButton& b) { b.SetEnabled(0); }, watched},
    };
    for (const auto& c : cases) {
        c.apply(button);
        EXPECT_EQ(c.state, pushButton.State() & watched) << c.change;
    }
    EXPECT_TRUE(PumpUntil([&] { return events.Count(EVENT_OBJECT_FOCUS, "NRButton", CHILDID_SELF) > 0; }, 5000));
    DestroyWindow(parent);
}

TEST(AccessibleMessageBox, ReadsTheTitleMessageAndButtonsAndPressesOneByItsDefaultAction)
{
    const ScopedComApartment com;
    const struct
    {
        const char* title;
        const char* name;  // the title when there is one, else the message
    } cases[] = {{"", "Test Complete\nHit COPY"}, {"$cyWarning", "Warning"}};
    for (const auto& c : cases) {
        NRMessageBox box(nullptr, "Test $cyComplete$cw\nHit COPY", 6);
        box.SetTitle(c.title);
        box.SetButtonText(0, "COPY");
        box.AddButtonKey(0, 'C');
        box.SetButtonText(1, "OK");
        box.AddButtonKey(1, VK_RETURN);
        std::vector<std::string> read;
        HRESULT pressed = E_FAIL, afterwards = S_OK;
        {
            Reader reader([&](HWND window) {
                const Accessible dialog = Accessible::OfWindow(window);
                read.push_back(dialog.RoleText() + ": " + dialog.Name() + " / " + dialog.Description());
                for (const Accessible& child : dialog.Children()) {
                    if (child.Role() == ROLE_SYSTEM_PUSHBUTTON)
                        read.push_back(child.Name() + " " + child.Shortcut() + " " + child.DefaultAction() +
                                       (child.State() & STATE_SYSTEM_DEFAULT ? " default" : ""));
                }
                pressed = dialog.Find(ROLE_SYSTEM_PUSHBUTTON, "COPY").DoDefaultAction();
                for (int waited = 0; IsWindow(window) && waited < 3000; waited += 20)
                    Sleep(20);
                afterwards = dialog.NameStatus();
            });
            EXPECT_EQ(kResultUser1, box.RunModal()) << c.title;
        }
        EXPECT_EQ((std::vector<std::string>{std::string("dialog: ") + c.name + " / Test Complete\nHit COPY",
                                            "COPY C Press", "OK Enter Press default"}),
                  read);
        EXPECT_EQ(S_OK, pressed) << c.title;
        EXPECT_EQ(CO_E_OBJNOTCONNECTED, afterwards) << "the closed box's object";
    }
}

TEST(AccessiblePleaseWait, IsAProgressBarNamedByItsMessage)
{
    const ScopedComApartment com;
    HANDLE work = CreateEventA(nullptr, TRUE, FALSE, nullptr);
    NRPleaseWaitDialog dialog(nullptr, "Installing V2 Ethernet Drivers", work);
    std::string role, name;
    int value = -1;
    WinEventRecorder events;
    events.Follow(GetCurrentProcessId());
    const DWORD start = GetTickCount();
    {
        Reader reader([&](HWND window) {
            const Accessible bar = Accessible::OfWindow(window);
            role = bar.RoleText();
            name = bar.Name();
            value = std::stoi("0" + bar.Value());
            Sleep(300);  // the bar moves thirty times meanwhile
            SetEvent(work);
        });
        dialog.RunModal();
    }
    const DWORD shown = GetTickCount() - start;
    CloseHandle(work);
    EXPECT_EQ("progress bar", role);
    EXPECT_EQ("Installing V2 Ethernet Drivers", name);
    EXPECT_TRUE(value >= 0 && value <= 100) << value;
    const int valueChanges = events.Count(EVENT_OBJECT_VALUECHANGE);
    EXPECT_GE(valueChanges, 1) << "a reader hears that the bar moves";
    EXPECT_LE(valueChanges, static_cast<int>(shown / 1000) + 1) << "once a second at most, in " << shown << " ms";
}
