// The installer window in this process: its painting, layout and caption buttons, and its install
// sequence run through the message loop with its boxes answered from another thread, as a user would.
#include <gtest/gtest.h>

#include <shlwapi.h>

#include <cstdlib>
#include <string>
#include <vector>

#include "DibCanvas.h"
#include "ScreenReader.h"
#include "TestSupport.h"
#include "app/NoxSetupWnd.h"
#include "app/UnitPreferenceMigration.h"
#include "platform/Error.h"
#include "platform/SystemInfo.h"
#include "ui/dialogs/MessageBox.h"
#include "ui/theme/Palette.h"

using namespace testing_support;

namespace {

std::vector<LONG> Edges(const RECT& rect) { return {rect.left, rect.top, rect.right, rect.bottom}; }

bool Near(COLORREF expected, COLORREF actual)
{
    return std::abs(GetRValue(expected) - GetRValue(actual)) <= 3 &&
           std::abs(GetGValue(expected) - GetGValue(actual)) <= 3 &&
           std::abs(GetBValue(expected) - GetBValue(actual)) <= 3;
}

class InstallerWindow : public testing::Test
{
protected:
    // The window as created, its first step taken back out of the queue.
    InstallerWindow()
    {
        g_osName = "Win10 x64";
        EXPECT_TRUE(window.Create(nullptr, RECT{0, 0, NoxSetupWnd::kWidth, NoxSetupWnd::kHeight}));
        MSG step;
        EXPECT_TRUE(PeekMessageA(&step, window.Handle(), WM_INSTALL_STEP, WM_INSTALL_STEP, PM_REMOVE));
    }
    ~InstallerWindow() override
    {
        g_guiSettings.newGui = 1;
        if (window.IsWindow())
            window.DestroyWindow();
        // The window's end asked this thread's loop to quit; nothing runs one here.
        MSG quit;
        PeekMessageA(&quit, nullptr, WM_QUIT, WM_QUIT, PM_REMOVE);
    }
    RECT InParent(HWND child)
    {
        RECT rect = NRWindow(child).GetWindowRect();
        MapWindowPoints(nullptr, window.Handle(), reinterpret_cast<POINT*>(&rect), 2);
        return rect;
    }
    bool CloseWasPosted()
    {
        MSG msg;
        return PeekMessageA(&msg, window.Handle(), WM_CLOSE, WM_CLOSE, PM_REMOVE) && msg.message == WM_CLOSE;
    }

    NoxSetupWnd window;
};

}  // namespace

TEST_F(InstallerWindow, PaintsFrameAndCaptionInThePaletteAndActivityState)
{
    for (const bool light : {false, true}) {
        for (const bool active : {true, false}) {
            SCOPED_TRACE(std::string(light ? "light" : "dark") + (active ? ", active" : ", inactive"));
            g_guiSettings.newGui = light;
            window.SendMessage(WM_ACTIVATEAPP, active);
            RedrawWindow(window.Handle(), nullptr, nullptr,
                         RDW_INVALIDATE | RDW_ERASE | RDW_ALLCHILDREN | RDW_UPDATENOW);
            DibCanvas canvas(NoxSetupWnd::kWidth, NoxSetupWnd::kHeight, RGB(1, 2, 3));
            HDC screen = GetDC(window.Handle());
            BitBlt(canvas.Dc(), 0, 0, canvas.Width(), canvas.Height(), screen, 0, 0, SRCCOPY);
            ReleaseDC(window.Handle(), screen);
            const auto colour = [light](int index) { return PaletteColour(index, light, false); };

            EXPECT_EQ(colour(active ? 15 : 12), canvas.Pixel(0, 0)) << "frame";
            EXPECT_EQ(colour(active ? 15 : 12), canvas.Pixel(639, 479));
            EXPECT_TRUE(Near(colour(active ? 13 : 10), canvas.Pixel(2, 2))) << "body top";
            EXPECT_TRUE(Near(colour(active ? 14 : 11), canvas.Pixel(2, 477))) << "body bottom";
            EXPECT_EQ(colour(active ? 18 : 22), canvas.Pixel(5, 5)) << "caption frame";
            EXPECT_EQ(colour(active ? 18 : 22), canvas.Pixel(634, 24));
            EXPECT_TRUE(Near(colour(active ? 16 : 20), canvas.Pixel(6, 23))) << "caption left";
            EXPECT_TRUE(Near(colour(active ? 13 : 21), canvas.Pixel(633, 6))) << "caption right";
            EXPECT_GT(canvas.CountColour(colour(active ? 0 : 1), RECT{25, 7, 300, 24}), 40) << "title";
            EXPECT_EQ(RGB(0x41, 0x5F, 0x99), canvas.Pixel(8, 8)) << "application mark";
            EXPECT_EQ(0, canvas.CountColour(RGB(255, 0, 255), RECT{7, 7, 23, 23})) << "magenta is transparent";
            const RECT close = InParent(window.CloseButton().Handle());
            EXPECT_GT(canvas.CountColour(light ? RGB(0, 0, 0) : RGB(255, 255, 255), close), 10) << "close glyph";
        }
    }
}

TEST_F(InstallerWindow, PlacesPaneAndCloseButtonAndKeepsThemWhileSizeIsZero)
{
    const auto expectLayout = [&](int width, int height) {
        EXPECT_EQ((std::vector<LONG>{5, 30, width - 5, height - 5}), Edges(InParent(window.ProgressPane().Handle())));
        EXPECT_EQ((std::vector<LONG>{width - 22, 8, width - 8, 22}), Edges(InParent(window.CloseButton().Handle())));
    };
    expectLayout(640, 480);
    int visibleButtons = 0;
    for (HWND child = GetWindow(window.Handle(), GW_CHILD); child; child = GetWindow(child, GW_HWNDNEXT))
        visibleButtons += IsWindowVisible(child) && child != window.ProgressPane().Handle();
    EXPECT_EQ(1, visibleButtons) << "only the close button";

    window.SendMessage(WM_SIZE, SIZE_RESTORED, MAKELPARAM(0, 300));
    window.SendMessage(WM_SIZE, SIZE_RESTORED, MAKELPARAM(300, 0));
    window.ShowWindow(SW_MINIMIZE);
    expectLayout(640, 480);
    window.ShowWindow(SW_RESTORE);
    SetWindowPos(window.Handle(), nullptr, 0, 0, 800, 600, SWP_NOMOVE | SWP_NOZORDER);
    expectLayout(800, 600);
}

TEST_F(InstallerWindow, CloseButtonClosesOnlyWhenEnabledAndNamedWithIdZero)
{
    const LPARAM close = reinterpret_cast<LPARAM>(static_cast<NRControl*>(&window.CloseButton()));
    const LPARAM pane = reinterpret_cast<LPARAM>(&window.ProgressPane());
    window.SendMessage(WM_NR_CLICKED, 1, close);
    window.SendMessage(WM_NR_CLICKED, 0, pane);
    window.SendMessage(WM_NR_CLICKED, 0, 0x10);
    EXPECT_FALSE(CloseWasPosted());
    window.CloseButton().SetEnabled(0);
    window.SendMessage(WM_NR_CLICKED, 0, close);
    EXPECT_FALSE(CloseWasPosted());
    window.CloseButton().SetEnabled(1);
    window.SendMessage(WM_NR_CLICKED, 0, close);
    EXPECT_TRUE(CloseWasPosted());
}

TEST_F(InstallerWindow, AltF4AndTheCloseButtonDoNothingWhileABoxIsUp)
{
    const HWND main = window.Handle(), closeButton = window.CloseButton().Handle();
    bool stillOpen = false;
    std::thread user([&] {
        HWND box = WaitForToolkitDialog(GetCurrentProcessId(), 10000);
        PostMessageA(main, WM_SYSKEYDOWN, VK_F4, 1 << 29);
        PostMessageA(main, WM_SYSCOMMAND, SC_CLOSE, 0);
        PostMessageA(closeButton, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(3, 3));
        PostMessageA(closeButton, WM_LBUTTONUP, 0, MAKELPARAM(3, 3));
        Sleep(300);
        stillOpen = IsWindow(main) && IsWindowVisible(box);
        PostMessageA(box, WM_KEYDOWN, VK_RETURN, 0);
    });
    NRMessageBox(main, "Busy", 1).RunModal();
    user.join();
    EXPECT_TRUE(stillOpen);
    PumpUntil([] { return false; }, 300);
    EXPECT_TRUE(window.IsWindow()) << "not closed afterwards either";
}

TEST_F(InstallerWindow, TellsAReaderWhichOfItsLinesHasTheFocus)
{
    const ScopedComApartment com;
    window.ProgressPane().AddText("Win10 x64");
    window.ProgressPane().AddText("$cgdone");
    SetFocus(window.Handle());
    // From the window down, each level names the child that holds the focus, to the current line.
    std::vector<std::string> path;
    Accessible at = Accessible::OfWindow(window.Handle());
    for (int depth = 0; at && depth < 5; ++depth) {
        const Accessible focus = at.Focus();
        if (!focus || (focus.Object() == at.Object() && focus.ChildId() == at.ChildId()))
            break;
        path.push_back(focus.RoleText() + " " + focus.Name());
        at = focus;
    }
    EXPECT_EQ((std::vector<std::string>{"client ", "list Progress", "list item done"}), path);
}

TEST(InstallerSteps, TestPassCopiesTheLinesAsTheyAreAndRunsLeaveNothingBehind)
{
    // The end-to-end tests run the sequences; what only this process can see is checked here: the
    // clipboard's bytes before Wine converts them for another process, and what runs give back.
    g_osName = "Win10 x64";
    int gdiObjects = -1, windows = -1;
    for (int run = 0; run < 3; ++run) {
        // What the first run leaves is the process's for good (fonts, classes, cached DCs).
        if (run == 1) {
            gdiObjects = GdiObjectCount();
            windows = ProcessWindowCount();
        }
        if (OpenClipboard(nullptr)) {
            EmptyClipboard();
            CloseClipboard();
        }
        NoxSetupWnd window;
        window.SetTestMode(true);
        DialogAnswerer user(GetCurrentProcessId(), {'C'});
        ASSERT_TRUE(window.Create(nullptr, RECT{0, 0, NoxSetupWnd::kWidth, NoxSetupWnd::kHeight}));
        ASSERT_TRUE(PumpUntil([&] { return !window.IsWindow(); }, 15000));
        ASSERT_EQ(1u, user.Dialogs().size());
        EXPECT_EQ(NoxSetupWnd::kTestComplete, user.Dialogs()[0].text);
        ASSERT_TRUE(OpenClipboard(nullptr));
        const HANDLE text = GetClipboardData(CF_TEXT);
        EXPECT_STREQ("Win10 x64\n", text ? static_cast<const char*>(GlobalLock(text)) : "");
        if (text)
            GlobalUnlock(text);
        CloseClipboard();
    }
    EXPECT_EQ(gdiObjects, GdiObjectCount());
    EXPECT_EQ(windows, ProcessWindowCount());
}

namespace {

// An installer window whose first box fails with `failure`, as a box that cannot be made would.
class FailingBoxWindow : public NoxSetupWnd
{
public:
    int ShowBox(const std::string& text, int, const std::vector<InstallBoxButton>&) override
    {
        boxes.push_back(text);
        if (boxes.size() == 1)
            failure();
        return 1;
    }
    void (*failure)() = nullptr;
    std::vector<std::string> boxes;
};

// "InstallDirectory" taken away for one scope, as on a PC without the maker's tools.
class NoInstallDirectory
{
public:
    NoInstallDirectory()
    {
        RegCreateKeyExA(HKEY_LOCAL_MACHINE, "Software\\Nox Racing", 0, nullptr, 0, KEY_ALL_ACCESS | kMachineKeyView,
                        nullptr, &m_key, nullptr);
        DWORD size = sizeof(m_value);
        m_had = RegQueryValueExA(m_key, "InstallDirectory", nullptr, &m_type, m_value, &size) == ERROR_SUCCESS;
        m_size = size;
        RegDeleteValueA(m_key, "InstallDirectory");
    }
    ~NoInstallDirectory()
    {
        if (m_had)
            RegSetValueExA(m_key, "InstallDirectory", 0, m_type, m_value, m_size);
        RegCloseKey(m_key);
    }

private:
    HKEY m_key = nullptr;
    bool m_had = false;
    DWORD m_type = 0, m_size = 0;
    BYTE m_value[1024] = {};
};

}  // namespace

TEST(InstallerSteps, AnErrorWhileLookingForTheInstallationIsShownAndClosesTheWindow)
{
    const NoInstallDirectory noInstallation;
    const struct
    {
        void (*failure)();
        const char* shown;
    } cases[] = {
        {[] { throw NRError("Registry gone"); }, "Registry gone\nWill exit setup now"},
        {[] { throw 42; }, "Unknown Error\nWill exit setup now"},
    };
    for (const auto& c : cases) {
        FailingBoxWindow window;
        ASSERT_TRUE(window.Create(nullptr, RECT{0, 0, NoxSetupWnd::kWidth, NoxSetupWnd::kHeight}));
        window.failure = c.failure;
        EXPECT_TRUE(window.RequireExistingInstall()) << "the window closes itself: the caller posts nothing";
        EXPECT_EQ((std::vector<std::string>{NoxSetupWnd::kNoExistingInstall, c.shown}), window.boxes);
        MSG close;
        EXPECT_TRUE(PeekMessageA(&close, window.Handle(), WM_CLOSE, WM_CLOSE, PM_REMOVE)) << c.shown;
        window.DestroyWindow();
        MSG quit;
        PeekMessageA(&quit, nullptr, WM_QUIT, WM_QUIT, PM_REMOVE);
    }
}

TEST(GpsSpeedMigration, FollowsVehicleSpeedOrReplacesTheOldDefaultOnly)
{
    const std::string root = "Software\\Nox Racing Tests\\" + std::to_string(GetCurrentProcessId());
    const std::string company = root + "\\Company";
    const NoxSetupRegistry registry(company.c_str(), company.c_str(), (company + "\\NoxSetup").c_str());
    const struct
    {
        int vehicleUnit;  // 0: no "Vehicle Speed"
        int gpsUnit;      // 0: no "GPS Speed"
        std::uint16_t expectedCategory, expectedUnit;
    } cases[] = {{0, 0, 3, 5}, {0, 2, 3, 5}, {0, 7, 4, 7}, {9, 7, 6, 9}, {9, 0, 6, 9}};
    for (const auto& c : cases) {
        SHDeleteKeyA(HKEY_CURRENT_USER, root.c_str());
        if (c.vehicleUnit)
            registry.WriteUnitGroupPref("Vehicle Speed", 6, static_cast<std::uint16_t>(c.vehicleUnit));
        if (c.gpsUnit)
            registry.WriteUnitGroupPref("GPS Speed", 4, static_cast<std::uint16_t>(c.gpsUnit));
        MigrateGpsSpeedPreference(registry);
        std::uint16_t category = 0, unit = 0;
        EXPECT_TRUE(registry.ReadUnitGroupPref("GPS Speed", category, unit));
        EXPECT_EQ(c.expectedCategory, category) << c.vehicleUnit << " " << c.gpsUnit;
        EXPECT_EQ(c.expectedUnit, unit) << c.vehicleUnit << " " << c.gpsUnit;
    }
    SHDeleteKeyA(HKEY_CURRENT_USER, root.c_str());
}
