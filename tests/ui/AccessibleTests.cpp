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

// A plain pop-up window for the controls under test.
HWND PlainParent(int width, int height)
{
    return CreateWindowExA(0, "STATIC", "", WS_POPUP | WS_VISIBLE, 0, 0, width, height, nullptr, nullptr, nullptr,
                           nullptr);
}

bool MakeYesButton(NRButton& button, HWND parent)
{
    button.SetCaption("Yes", 'Y');
    return button.Create(parent, RECT{10, 10, 60, 30}) != nullptr;
}

}  // namespace

TEST(AccessibleList, ReadsEachLineWithoutMarkupAndFollowsNewLines)
{
    const ScopedComApartment com;
    HWND parent = PlainParent(400, 300);
    NRListContainer pane;
    ASSERT_TRUE(pane.Create(parent, RECT{5, 30, 395, 295}, "Progress"));
    pane.AddText("Win10 x64");
    pane.AddText("$cyError in C:\\$dTools (5)$cw");
    const Accessible container = Accessible::OfWindow(pane.Handle());
    EXPECT_EQ(ROLE_SYSTEM_CLIENT, container.Role()) << "the frame around the list is no second list";
    EXPECT_EQ("", container.Name());
    const Accessible list = container.Find(ROLE_SYSTEM_LIST);
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

    // Lines scrolled out are off the screen, not gone: a reader's review still reads them.
    for (int i = 0; i < 40; ++i)
        pane.AddText("line");
    const long scrolledOut = list.Children().front().State();
    EXPECT_TRUE(scrolledOut & STATE_SYSTEM_OFFSCREEN);
    EXPECT_FALSE(scrolledOut & STATE_SYSTEM_INVISIBLE);
    EXPECT_FALSE(list.Children().back().State() & STATE_SYSTEM_OFFSCREEN);

    // Only the client area has an object; any other id is the system's.
    EXPECT_EQ(0, SendMessageA(pane.Handle(), WM_GETOBJECT, 0, OBJID_WINDOW));
    EXPECT_EQ(0, SendMessageA(pane.Handle(), WM_GETOBJECT, 0, reinterpret_cast<LPARAM>(&pane)));
    DestroyWindow(parent);
    EXPECT_EQ(CO_E_OBJNOTCONNECTED, list.NameStatus()) << "held after its window went";
}

TEST(AccessibleList, ANewLineLeavesAReaderWhoMovedBackWhereTheyAre)
{
    const ScopedComApartment com;
    HWND parent = PlainParent(400, 300);
    NRListContainer pane;
    ASSERT_TRUE(pane.Create(parent, RECT{5, 30, 395, 295}, "Progress"));
    for (const char* line : {"one", "two", "three"})
        pane.AddText(line);
    SetFocus(pane.ListBox().Handle());
    WinEventRecorder events;
    events.Follow(GetCurrentProcessId());
    const Accessible list = Accessible::OfWindow(pane.ListBox().Handle());
    const auto current = [&] {
        for (const Accessible& line : list.Children())
            if (line.State() & STATE_SYSTEM_SELECTED)
                return line.Name();
        return std::string();
    };
    const struct
    {
        WPARAM key;  // pressed in the list before the line comes
        const char* line;
        const char* current;
        int selectionEvents;  // for the new line (and focus events, while the list has the focus)
    } cases[] = {{VK_UP, "four", "two", 0}, {VK_END, "five", "five", 1}};
    int marks = 0;
    for (const auto& c : cases) {
        SendMessageA(pane.ListBox().Handle(), WM_KEYDOWN, c.key, 0);
        pane.AddText(c.line);
        const LONG id = pane.Contents().Count();
        // A mark raised after the line: once it arrives, every event of the line has.
        NotifyWinEvent(EVENT_OBJECT_NAMECHANGE, parent, OBJID_CLIENT, CHILDID_SELF);
        ++marks;
        EXPECT_TRUE(PumpUntil([&] { return events.Count(EVENT_OBJECT_NAMECHANGE, "Static") == marks; }, 5000));
        EXPECT_EQ(1, events.Count(EVENT_OBJECT_CREATE, "TNRListBox", id)) << c.line;
        EXPECT_EQ(c.current, current()) << c.line;
        EXPECT_EQ(c.selectionEvents, events.Count(EVENT_OBJECT_SELECTION, "TNRListBox", id)) << c.line;
        // A test beside this one may take the focus from the list: then no focus event is due at all.
        EXPECT_LE(events.Count(EVENT_OBJECT_FOCUS, "TNRListBox", id), c.selectionEvents) << c.line;
    }
    DestroyWindow(parent);
}

TEST(AccessibleButton, TellsItsNameKeyAndStatesAndAnnouncesGainingTheFocus)
{
    const ScopedComApartment com;
    HWND parent = PlainParent(200, 100);
    NRButton button;
    ASSERT_TRUE(MakeYesButton(button, parent));
    WinEventRecorder events;
    events.Follow(GetCurrentProcessId());
    const Accessible pushButton = Accessible::OfWindow(button.Handle());
    EXPECT_EQ("push button Yes Alt+Y", pushButton.RoleText() + " " + pushButton.Name() + " " + pushButton.Shortcut());
    const long watched = STATE_SYSTEM_FOCUSED | STATE_SYSTEM_DEFAULT | STATE_SYSTEM_UNAVAILABLE;
    const struct
    {
        const char* change;
        void (*apply)(NRButton&);
        long state;
    } cases[] = {
        {"as made", [](NRButton&) {}, 0},
        {"focused", [](NRButton& b) { b.SetFocused(1); }, STATE_SYSTEM_FOCUSED},
        {"disabled", [](NRButton& b) { b.SetEnabled(0); }, STATE_SYSTEM_FOCUSED | STATE_SYSTEM_UNAVAILABLE},
    };
    for (const auto& c : cases) {
        c.apply(button);
        EXPECT_EQ(c.state, pushButton.State() & watched) << c.change;
    }
    EXPECT_TRUE(PumpUntil([&] { return events.Count(EVENT_OBJECT_FOCUS, "NRButton", CHILDID_SELF) > 0; }, 5000));
    DestroyWindow(parent);
}

TEST(AccessibleButton, AnswersLateBoundCallsByOleaccsTypeInformation)
{
    const ScopedComApartment com;
    HWND parent = PlainParent(200, 100);
    NRButton button;
    ASSERT_TRUE(MakeYesButton(button, parent));
    IDispatch* dispatch = Accessible::OfWindow(button.Handle()).Object();
    ASSERT_TRUE(dispatch);
    UINT count = 0;
    EXPECT_EQ(S_OK, dispatch->GetTypeInfoCount(&count));
    EXPECT_EQ(1u, count);
    const struct
    {
        const wchar_t* member;
        DISPID id;
        const wchar_t* answer;
    } cases[] = {{L"accName", DISPID_ACC_NAME, L"Yes"},
                 {L"accKeyboardShortcut", DISPID_ACC_KEYBOARDSHORTCUT, L"Alt+Y"},
                 {L"accDefaultAction", DISPID_ACC_DEFAULTACTION, L"Press"}};
    for (const auto& c : cases) {
        std::wstring member = c.member;
        LPOLESTR names[] = {&member[0]};
        DISPID id = 0;
        EXPECT_EQ(S_OK, dispatch->GetIDsOfNames(IID_NULL, names, 1, LOCALE_USER_DEFAULT, &id));
        EXPECT_EQ(c.id, id);
        VARIANT self;
        VariantInit(&self);
        self.vt = VT_I4;
        self.lVal = CHILDID_SELF;
        DISPPARAMS parameters = {&self, nullptr, 1, 0};
        VARIANT answer;
        VariantInit(&answer);
        EXPECT_EQ(S_OK, dispatch->Invoke(id, IID_NULL, LOCALE_USER_DEFAULT, DISPATCH_PROPERTYGET, &parameters, &answer,
                                         nullptr, nullptr));
        EXPECT_TRUE(answer.vt == VT_BSTR && std::wstring(answer.bstrVal) == c.answer);
        VariantClear(&answer);
    }
    DestroyWindow(parent);
}

TEST(AccessibleMessageBox, ReadsTheTitleMessageAndButtonsAndPressesOneByItsDefaultAction)
{
    const ScopedComApartment com;
    const struct
    {
        const char* title;
        const char* ownerTitle;
        const char* name;  // the title, else the owner's, else the message's first line
    } cases[] = {{"", "", "Test Complete"}, {"$cyWarning", "", "Warning"}, {"", "NoxSetup 2", "NoxSetup 2"}};
    for (const auto& c : cases) {
        HWND owner =
            CreateWindowExA(0, "STATIC", c.ownerTitle, WS_POPUP, 0, 0, 10, 10, nullptr, nullptr, nullptr, nullptr);
        NRMessageBox box(*c.ownerTitle ? owner : nullptr, "Test $cyComplete$cw\nHit COPY", 6);
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
                read.push_back("window text " + WindowText(window));
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
                                            std::string("window text ") + c.name, "COPY Alt+C Press",
                                            "OK Enter Press default"}),
                  read);
        DestroyWindow(owner);
        EXPECT_EQ(S_OK, pressed) << c.title;
        EXPECT_EQ(CO_E_OBJNOTCONNECTED, afterwards) << "the closed box's object";
    }
}

TEST(AccessiblePleaseWait, IsABusyProgressBarWithoutAValueAndItsHiddenCancelCannotBePressed)
{
    const ScopedComApartment com;
    HANDLE work = CreateEventA(nullptr, TRUE, FALSE, nullptr);
    NRPleaseWaitDialog dialog(nullptr, "Installing V2 Ethernet Drivers", work);
    std::string role, name;
    std::vector<std::string> values;
    long state = 0;
    std::string cancelName;
    HRESULT cancelPressed = S_OK;
    {
        Reader reader([&](HWND window) {
            const Accessible bar = Accessible::OfWindow(window);
            role = bar.RoleText();
            name = bar.Name();
            state = bar.State();
            // A whole second of the bar moving: a value a reader would turn into beeps never shows.
            const DWORD start = GetTickCount();
            while (GetTickCount() - start < 1000) {
                values.push_back(bar.Value());
                Sleep(50);
            }
            const std::vector<Accessible> children = bar.Children();
            if (!children.empty()) {
                cancelName = children.front().Name();
                cancelPressed = children.front().DoDefaultAction();
            }
            SetEvent(work);
        });
        dialog.RunModal();
    }
    CloseHandle(work);
    EXPECT_EQ("progress bar", role);
    EXPECT_EQ("Installing V2 Ethernet Drivers", name);
    EXPECT_TRUE(state & STATE_SYSTEM_BUSY) << "busy while it waits";
    EXPECT_LE(10u, values.size());
    EXPECT_EQ(std::vector<std::string>(values.size()), values) << "no value at any time";
    EXPECT_EQ("Cancel", cancelName);
    EXPECT_NE(S_OK, cancelPressed) << "the Cancel that is not offered";
    EXPECT_FALSE(dialog.Cancelled());
}
