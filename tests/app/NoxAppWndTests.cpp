// The application window base: close protocol, frame, maximising, and the messages other
// processes may send it.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <vector>

#include "TestSupport.h"
#include "app/CopyDataCommand.h"
#include "app/NoxAppWnd.h"
#include "platform/Registry.h"
#include "ui/framework/AppState.h"

using namespace testing_support;

namespace {

using TestTraits = NRWinTraits<WS_POPUP, 0>;

class TestAppWnd : public NoxAppWnd<TestAppWnd, TestTraits>
{
public:
    TestAppWnd() : NoxAppWnd("Test application") {}
    static NRWndClassInfo& GetWndClassInfo()
    {
        static NRWndClassInfo info = {"NoxTestAppWnd", CS_DBLCLKS, nullptr, IDC_ARROW, 0};
        return info;
    }
    bool allowClose = true;
    int closeRequests = 0;
    std::vector<int> commands;
    std::string payload;
    std::vector<std::pair<std::string, LPARAM>> reports;
    int serverLosses = 0;

protected:
    void OnCopyDataCommand0(const BYTE* bytes, std::size_t size) override
    {
        commands.push_back(0);
        payload.assign(reinterpret_cast<const char*>(bytes), size);
    }
    void OnCopyDataCommand1(const BYTE*, std::size_t) override { commands.push_back(1); }
    void OnCopyDataCommand2() override
    {
        commands.push_back(2);
        if (baseCommands)
            NoxAppWnd::OnCopyDataCommand2();
    }
    void OnCopyDataCommand3() override
    {
        commands.push_back(3);
        if (baseCommands)
            NoxAppWnd::OnCopyDataCommand3();
    }
    void OnCopyDataCommand4() override
    {
        commands.push_back(4);
        if (baseCommands)
            NoxAppWnd::OnCopyDataCommand4();
    }
    void OnCopyDataCommand5() override
    {
        commands.push_back(5);
        if (baseCommands)
            NoxAppWnd::OnCopyDataCommand5();
    }
    void OnSettingsReloaded() override { ++settingsReloads; }
    bool ProcessWindowMessage(HWND window, UINT message, WPARAM wParam, LPARAM lParam, LRESULT& result) override
    {
        paints += message == WM_PAINT;
        return NoxAppWnd::ProcessWindowMessage(window, message, wParam, lParam, result);
    }
    LRESULT ShowErrorReport(const char* area, LPARAM number) override
    {
        reports.push_back({area, number});
        return 0;
    }
    void OnServerLost() override { ++serverLosses; }
    bool CanClose(const char* reason) override
    {
        EXPECT_STREQ("quit", reason);
        ++closeRequests;
        return allowClose;
    }
    void CloseMainWindow() override
    {
        if (storePlacement)
            NoxAppWnd::CloseMainWindow();
        else
            DestroyWindow();  // the base stores the placement in the maker's key
    }

public:
    bool storePlacement = false;
    bool baseCommands = false;  // the base class's commands run after the record
    int settingsReloads = 0;
    int paints = 0;
};

// Which windows of this thread were asked to restore or show normally.
std::vector<HWND> g_restored;
LRESULT CALLBACK RecordRestores(int code, WPARAM wParam, LPARAM lParam)
{
    if (code == HCBT_MINMAX && (LOWORD(lParam) == SW_SHOWNORMAL || LOWORD(lParam) == SW_RESTORE))
        g_restored.push_back(reinterpret_cast<HWND>(wParam));
    return CallNextHookEx(nullptr, code, wParam, lParam);
}

}  // namespace

TEST(NoxAppWnd, ClosingMinimisedStoresTheNormalPlacementWithoutShowingTheWindowAgain)
{
    TestAppWnd window;
    window.storePlacement = true;
    ASSERT_TRUE(window.Create(nullptr, RECT{10, 20, 650, 500}));
    window.ShowWindow(SW_MINIMIZE);
    ASSERT_TRUE(IsIconic(window.Handle()));
    g_restored.clear();
    HHOOK hook = SetWindowsHookExA(WH_CBT, RecordRestores, nullptr, GetCurrentThreadId());
    const HWND handle = window.Handle();
    window.SendMessage(WM_CLOSE);
    UnhookWindowsHookEx(hook);
    EXPECT_FALSE(window.IsWindow());
    EXPECT_EQ(0, std::count(g_restored.begin(), g_restored.end(), handle)) << "no flash on the way out";

    HKEY key = nullptr;
    ASSERT_EQ(ERROR_SUCCESS, RegOpenKeyExA(HKEY_CURRENT_USER, "Software\\Nox Racing\\NoxSetup", 0,
                                           KEY_QUERY_VALUE | KEY_SET_VALUE, &key));
    WINDOWPLACEMENT stored = {};
    DWORD size = sizeof(stored);
    const LONG read = RegQueryValueExA(key, "WindowPlacement", nullptr, nullptr, reinterpret_cast<BYTE*>(&stored), &size);
    // The installer's own runs never leave one; the end-to-end tests check that.
    RegDeleteValueA(key, "WindowPlacement");
    RegCloseKey(key);
    ASSERT_EQ(ERROR_SUCCESS, read);
    EXPECT_EQ(static_cast<UINT>(SW_SHOWNORMAL), stored.showCmd);
    EXPECT_EQ(10, stored.rcNormalPosition.left);
    EXPECT_EQ(650, stored.rcNormalPosition.right);
}

TEST(NoxAppWnd, CloseIsRefusedWhileADialogIsOpenAndAskedOtherwise)
{
    TestAppWnd window;
    ASSERT_TRUE(window.Create(nullptr, RECT{0, 0, 200, 100}));
    HWND dialog = reinterpret_cast<HWND>(0x1234);  // only its presence in the list matters
    window.AddOpenDialog(dialog);
    window.SendMessage(WM_CLOSE);
    EXPECT_TRUE(window.IsWindow());
    EXPECT_EQ(0, window.closeRequests) << "not even asked";

    window.RemoveOpenDialog(dialog);
    EXPECT_EQ(0u, window.OpenDialogCount());
    window.allowClose = false;
    window.SendMessage(WM_CLOSE);
    EXPECT_TRUE(window.IsWindow());
    EXPECT_EQ(1, window.closeRequests);

    window.allowClose = true;
    window.SendMessage(WM_CLOSE);
    EXPECT_FALSE(window.IsWindow());
}

TEST(NoxAppWnd, ClientAreaIsTheWholeWindowOnceTheFrameIsRecalculated)
{
    TestAppWnd window;
    ASSERT_TRUE(window.Create(nullptr, RECT{0, 0, 200, 100}, nullptr, WS_POPUP | WS_BORDER | WS_CAPTION));
    SetWindowPos(window.Handle(), nullptr, 0, 0, 0, 0, SWP_FRAMECHANGED | SWP_NOMOVE | SWP_NOSIZE | SWP_NOZORDER);
    const RECT client = window.GetClientRect();
    EXPECT_EQ(200, client.right);
    EXPECT_EQ(100, client.bottom);
    window.DestroyWindow();
}

namespace {

// A record as the maker's programs send it: identifier, command code, payload.
std::string CommandRecord(int code, const std::string& payload = "")
{
    std::string bytes(reinterpret_cast<const char*>(kCopyDataGuid), sizeof(kCopyDataGuid));
    bytes.append(reinterpret_cast<const char*>(&code), sizeof(code));
    return bytes + payload;
}

LRESULT SendCopyData(HWND window, ULONG_PTR dwData, const std::string& bytes)
{
    COPYDATASTRUCT record = {dwData, static_cast<DWORD>(bytes.size()), const_cast<char*>(bytes.data())};
    return SendMessageA(window, WM_COPYDATA, 0, reinterpret_cast<LPARAM>(&record));
}

// A window whose object records its own end.
class Doomed : public NRWindowImpl<Doomed, NRWinTraits<WS_POPUP>>
{
public:
    explicit Doomed(bool& deleted) : m_deleted(deleted) {}
    ~Doomed() override { m_deleted = true; }
    static NRWndClassInfo& GetWndClassInfo()
    {
        static NRWndClassInfo info = {"NoxTestDoomed", 0, nullptr, nullptr, 0};
        return info;
    }
    bool ProcessWindowMessage(HWND, UINT, WPARAM, LPARAM, LRESULT&) override { return false; }

private:
    bool& m_deleted;
};

}  // namespace

TEST(NoxAppWnd, RunsOnlyCommandsOfWholeRecordsWithTheIdentifierAndDwDataZero)
{
    TestAppWnd window;
    ASSERT_TRUE(window.Create(nullptr, RECT{0, 0, 200, 100}));
    std::string wrongIdentifier = CommandRecord(3);
    wrongIdentifier[15] ^= 1;
    const struct
    {
        ULONG_PTR dwData;
        std::string bytes;
        LRESULT expected;
    } cases[] = {
        {0, CommandRecord(0, "abc"), 1},
        {0, CommandRecord(1), 1},
        {0, CommandRecord(2), 1},
        {0, CommandRecord(3), 1},
        {0, CommandRecord(4), 1},
        {0, CommandRecord(5), 1},
        {0, CommandRecord(6), 0},
        {0, CommandRecord(-1), 0},
        {1, CommandRecord(3), 0},
        {0, CommandRecord(3).substr(0, 16), 0},
        {0, CommandRecord(3).substr(0, 19), 0},
        {0, wrongIdentifier, 0},
        {0, "", 0},
    };
    for (const auto& c : cases)
        EXPECT_EQ(c.expected, SendCopyData(window.Handle(), c.dwData, c.bytes)) << c.bytes.size() << " bytes";
    EXPECT_EQ((std::vector<int>{0, 1, 2, 3, 4, 5}), window.commands);
    EXPECT_EQ("abc", window.payload);
    window.DestroyWindow();
}

TEST(NoxAppWnd, CommandsTwoToFiveReloadTheGuiSettingsAndTwoAndThreeRedrawAtOnce)
{
    TestAppWnd window;
    ASSERT_TRUE(window.Create(nullptr, RECT{0, 0, 200, 100}, nullptr, WS_POPUP | WS_VISIBLE));
    window.baseCommands = true;
    const GuiSettings stored = ReadGuiSettings(g_registry);
    const struct
    {
        int command;
        bool redraws;
        int settingsReloads;
    } cases[] = {{2, true, 1}, {3, true, 0}, {4, false, 0}, {5, false, 0}};
    for (const auto& c : cases) {
        window.settingsReloads = 0;
        g_guiSettings.colorBlind = stored.colorBlind ? 0 : 1;  // only a reload puts the stored value back
        ValidateRect(window.Handle(), nullptr);
        ASSERT_EQ(1, SendCopyData(window.Handle(), 0, CommandRecord(c.command)));
        EXPECT_EQ(stored.colorBlind, g_guiSettings.colorBlind) << c.command;
        EXPECT_EQ(c.redraws, GetUpdateRect(window.Handle(), nullptr, FALSE) != FALSE) << c.command;
        EXPECT_EQ(c.settingsReloads, window.settingsReloads) << c.command;
    }
    window.DestroyWindow();
}

TEST(NoxAppWnd, ActivationRedrawsOnceSoonAndTheOverrideFlagKeepsTheCaptionActiveOverADialog)
{
    TestAppWnd window;
    ASSERT_TRUE(window.Create(nullptr, RECT{0, 0, 200, 100}, nullptr, WS_POPUP | WS_VISIBLE));
    // A timer of that id is there only while one is set: killing it tells.
    window.SendMessage(WM_ACTIVATEAPP, TRUE);
    EXPECT_TRUE(KillTimer(window.Handle(), kMainWindowRedrawTimerId)) << "the redraw waits for its timer";
    ValidateRect(window.Handle(), nullptr);
    window.paints = 0;
    window.SendMessage(WM_ACTIVATEAPP, TRUE);
    EXPECT_EQ(0, window.paints) << "not at once";
    ASSERT_TRUE(PumpUntil([&] { return window.paints > 0; }, 5000));
    EXPECT_FALSE(KillTimer(window.Handle(), kMainWindowRedrawTimerId)) << "the timer ran once and ended";

    // The pump may have brought a real deactivation: another test program's window came forward.
    window.SendMessage(WM_ACTIVATEAPP, TRUE);
    EXPECT_TRUE(window.CaptionActive());
    window.AddOpenDialog(GetDesktopWindow());
    EXPECT_FALSE(window.CaptionActive()) << "a dialog is up";
    window.SendMessage(WM_NR_SET_OVERRIDE, 0, 1);
    EXPECT_TRUE(window.CaptionActive()) << "overridden";
    window.SendMessage(WM_ACTIVATEAPP, FALSE);
    EXPECT_FALSE(window.CaptionActive()) << "the application is not active";
    window.RemoveOpenDialog(GetDesktopWindow());
    window.DestroyWindow();
}

TEST(NoxAppWnd, DeletesAndReportsOnlyWhatItHandedOutItself)
{
    TestAppWnd window;
    ASSERT_TRUE(window.Create(nullptr, RECT{0, 0, 200, 100}));
    bool handedOverDeleted = false, strangerDeleted = false;
    auto handedOver = std::make_unique<Doomed>(handedOverDeleted);
    ASSERT_TRUE(handedOver->Create(nullptr, RECT{0, 0, 10, 10}));
    const HWND handedOverWindow = handedOver->Handle();
    Doomed stranger(strangerDeleted);
    ASSERT_TRUE(stranger.Create(nullptr, RECT{0, 0, 10, 10}));

    // Addresses the window never handed out: a live object of this process, and rubbish.
    window.PostMessage(WM_DELETE_OBJECT, reinterpret_cast<WPARAM>(&stranger));
    window.PostMessage(WM_DELETE_OBJECT, 0x10);
    window.PostMessage(WM_ERROR_REPORT, 0x10, 1);
    window.PostMessage(WM_ERROR_REPORT, reinterpret_cast<WPARAM>("Foreign"), 2);
    window.DeleteLater(std::move(handedOver));
    window.PostErrorReport("Installer", 7);
    ASSERT_TRUE(PumpUntil([&] { return handedOverDeleted && !window.reports.empty(); }, 3000));
    EXPECT_FALSE(IsWindow(handedOverWindow)) << "destroyed, then freed";
    EXPECT_FALSE(strangerDeleted);
    EXPECT_TRUE(stranger.IsWindow());
    ASSERT_EQ(1u, window.reports.size());
    EXPECT_EQ("Installer", window.reports[0].first);
    EXPECT_EQ(7, window.reports[0].second);
    stranger.DestroyWindow();
    window.DestroyWindow();
}

TEST(NoxAppWnd, AsksOnceWhenTheServerIsLostAndClosesWhateverTheAnswer)
{
    TestAppWnd window;
    ASSERT_TRUE(window.Create(nullptr, RECT{0, 0, 200, 100}));
    DialogAnswerer answer(GetCurrentProcessId(), {'N', 'N'}, 1000);
    window.PostMessage(WM_SERVER_LOST);
    window.PostMessage(WM_SERVER_LOST);
    ASSERT_TRUE(PumpUntil([&] { return !window.IsWindow(); }, 5000));
    ASSERT_EQ(1u, answer.Dialogs().size()) << "asked once";
    EXPECT_EQ(NoxAppWndBase::kServerLostQuestion, answer.Dialogs()[0].text);
    EXPECT_EQ((std::vector<std::string>{"Yes", "No"}), answer.Dialogs()[0].buttons);
    EXPECT_EQ(1, window.serverLosses);
}

TEST(NoxAppWnd, MaximisedItCoversTheWorkAreaAndFiveMorePixelsOnEverySide)
{
    TestAppWnd window;
    ASSERT_TRUE(window.Create(nullptr, RECT{10, 10, 210, 110}, nullptr, WS_POPUP | WS_VISIBLE));
    window.ShowWindow(SW_MAXIMIZE);
    MONITORINFO monitor = {};
    monitor.cbSize = sizeof(monitor);
    GetMonitorInfoA(MonitorFromWindow(window.Handle(), MONITOR_DEFAULTTONEAREST), &monitor);
    const RECT rect = window.GetWindowRect();
    EXPECT_EQ(monitor.rcWork.left - 5, rect.left);
    EXPECT_EQ(monitor.rcWork.top - 5, rect.top);
    EXPECT_EQ(monitor.rcWork.right + 5, rect.right);
    EXPECT_EQ(monitor.rcWork.bottom + 5, rect.bottom);
    window.DestroyWindow();
}

TEST(NoxAppWnd, WithADialogOpenAClickOrAnActivationActivatesTheDialogInsteadAndTheWindowTakesNoFocus)
{
    TestAppWnd window;
    bool deleted = false;
    Doomed dialog(deleted);
    ASSERT_TRUE(window.Create(nullptr, RECT{0, 0, 200, 100}, nullptr, WS_POPUP | WS_VISIBLE));
    ASSERT_TRUE(dialog.Create(nullptr, RECT{50, 50, 100, 80}, nullptr, WS_POPUP | WS_VISIBLE));
    SetForegroundWindow(window.Handle());
    const LPARAM click = MAKELPARAM(HTCLIENT, WM_LBUTTONDOWN);
    EXPECT_NE(MA_NOACTIVATE, window.SendMessage(WM_MOUSEACTIVATE, reinterpret_cast<WPARAM>(window.Handle()), click));
    window.AddOpenDialog(dialog.Handle());
    EXPECT_EQ(MA_NOACTIVATE, window.SendMessage(WM_MOUSEACTIVATE, reinterpret_cast<WPARAM>(window.Handle()), click));
    EXPECT_EQ(dialog.Handle(), GetForegroundWindow());
    // Activated as Windows activates it (Alt+Tab, the taskbar): no focus, then WM_ACTIVATE. Read at
    // once: the box is forward before anything else runs, and the window never had the keyboard.
    ActivateAsWindowsDoes(window.Handle());
    EXPECT_EQ(dialog.Handle(), GetActiveWindow());
    EXPECT_NE(window.Handle(), GetFocus());
    window.RemoveOpenDialog(dialog.Handle());
    dialog.DestroyWindow();
    window.DestroyWindow();
}
