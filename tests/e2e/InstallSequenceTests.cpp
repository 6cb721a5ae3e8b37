// The built installer's install sequence and window messages, started and answered as a user (or
// another program on the desktop) would.
#include <gtest/gtest.h>

#include <shlwapi.h>

#include <algorithm>
#include <string>
#include <vector>

#include "DriverMachine.h"
#include "InstallerRun.h"
#include "platform/ResourceFile.h"

using namespace testing_support;

namespace {

const char kConsent[] = "This will install the Nox Racing ethernet drivers\nAre you sure you want to continue?";
const char kNoInstall[] = "This installer can only update an existing install, one was not found";
const char kSetupComplete[] = "Setup Complete\nThe Nox Racing tools have now been installed\n";
const char kTestComplete[] = "Test Complete\nHit COPY to copy messages to clipboard then exit\nHit OK to exit\n";

void SetGpsSpeedUnit(DWORD unit)
{
    const char* keyPath = "Software\\Nox Racing\\UnitGroupPrefs\\GPS Speed";
    HKEY key = nullptr;
    ASSERT_EQ(ERROR_SUCCESS,
              RegCreateKeyExA(HKEY_CURRENT_USER, keyPath, 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, &key, nullptr));
    const DWORD category = 3;
    RegSetValueExA(key, "cat", 0, REG_DWORD, reinterpret_cast<const BYTE*>(&category), sizeof(category));
    RegSetValueExA(key, "unit", 0, REG_DWORD, reinterpret_cast<const BYTE*>(&unit), sizeof(unit));
    RegCloseKey(key);
}

DWORD GpsSpeedUnit()
{
    DWORD unit = 0, size = sizeof(unit);
    SHGetValueA(HKEY_CURRENT_USER, "Software\\Nox Racing\\UnitGroupPrefs\\GPS Speed", "unit", nullptr, &unit, &size);
    return unit;
}

std::vector<std::string> Texts(DialogAnswerer& answerer)
{
    std::vector<std::string> texts;
    for (const auto& dialog : answerer.Dialogs())
        texts.push_back(dialog.text);
    return texts;
}

}  // namespace

TEST(InstallSequence, TestPassNamesTheSystemFirstAsksNothingLogsNothingAndCopiesItsLines)
{
    TempDir dir;
    SetInstallDirectory(&dir.Path());
    for (const auto& [version, osLine] : {std::pair{"win10", "Win10 x64"}, std::pair{"win7", "Win7 x64"}}) {
        if (OpenClipboard(nullptr)) {
            EmptyClipboard();
            CloseClipboard();
        }
        InstallerRun run("NoxSetup.exe", version, "test");
        DialogAnswerer user(run.Process().Id(), {'C'});
        EXPECT_EQ(std::vector<std::string>{kTestComplete}, Texts(user)) << "no consent asked";
        EXPECT_EQ((std::vector<std::string>{"COPY", "OK"}), user.Dialogs().at(0).buttons);
        EXPECT_EQ(0u, run.WaitForExit());
        // Wine may hand CF_TEXT to another process with each line feed made CR LF; the bytes as the
        // installer put them are checked in its own process (app_tests).
        std::string copied = ClipboardText();
        copied.erase(std::remove(copied.begin(), copied.end(), '\r'), copied.end());
        EXPECT_EQ(std::string(osLine) + "\n", copied) << version;
    }
    EXPECT_TRUE(Logs(dir).empty());
}

TEST(InstallSequence, NormalRunAsksFirstNeedsTheInstallationAndLogsOnlyAFullRun)
{
    TempDir dir;
    const NetworkShare share;
    const std::string withoutBackslash = dir.Path().substr(0, dir.Path().size() - 1);
    // Win32 drops a final blank, so this names the folder "NoxTools" to some calls and a folder of
    // its own to others (Wine keeps the blank): one value, two folders.
    ASSERT_TRUE(CreateDirectoryA(dir.File("NoxTools").c_str(), nullptr));
    CreateDirectoryW(MakeLongPathW(dir.File("NoxTools ")).c_str(), nullptr);
    const std::string endsInBlank = dir.File("NoxTools \\");
    const struct
    {
        const char* name;
        const char* folder;  // as stored in "InstallDirectory": null for none, "" for the temporary folder
        std::vector<WPARAM> keys;
        std::vector<std::string> dialogs;
        size_t logs;
    } cases[] = {
        {"consent refused", "", {'N'}, {kConsent}, 0},
        {"no installation", nullptr, {'Y', VK_RETURN}, {kConsent, kNoInstall}, 0},
        {"folder gone", "C:\\Nox Racing Gone\\", {'Y', VK_RETURN}, {kConsent, kNoInstall}, 0},
        // The elevated run takes only a folder on a local fixed drive; a network folder exists, but
        // any user of another machine may change it.
        {"network folder", share.Path().c_str(), {'Y', VK_RETURN}, {kConsent, kNoInstall}, 0},
        {"a folder name that ends in a blank", endsInBlank.c_str(), {'Y', VK_RETURN}, {kConsent, kNoInstall}, 0},
        {"installed", "", {'Y', VK_RETURN}, {kConsent, kSetupComplete}, 1},
        // Stored without its final backslash: the log goes into the folder, not beside it.
        {"no final backslash", withoutBackslash.c_str(), {'Y', VK_RETURN}, {kConsent, kSetupComplete}, 1},
    };
    // The driver is current, so the driver step only says so (the installations are tested apart).
    ASSERT_TRUE(PlaceDriverFile(StandinFile("package\\v2\\NxNtSp50.sys")));
    for (const auto& c : cases) {
        RemoveLogs(dir);
        const std::string folder = c.folder && *c.folder ? c.folder : dir.Path();
        SetInstallDirectory(c.folder ? &folder : nullptr);
        SetGpsSpeedUnit(2);
        InstallerRun run("NoxSetup.exe", "win10");
        DialogAnswerer user(run.Process().Id(), c.keys);
        EXPECT_EQ(c.dialogs, Texts(user)) << c.name;
        EXPECT_EQ(0u, run.WaitForExit()) << c.name;
        const std::vector<std::string> logs = Logs(dir);
        ASSERT_EQ(c.logs, logs.size()) << c.name;
        if (c.logs) {
            EXPECT_EQ("Win10 x64\r\nEthernet drivers up to date\r\n", logs[0]);
        }
        EXPECT_EQ(c.logs ? 5u : 2u, GpsSpeedUnit()) << "the old default unit is replaced at the end only";
    }
    RemoveInstalledDriver();
}

TEST(InstallSequence, MessagesFromAnotherProgramActOnlyWhenTheyAreTheInstallersOwn)
{
    InstallerRun run("NoxSetup.exe", "win10");
    HWND window = run.WaitForMainWindow();
    ASSERT_TRUE(window);
    HWND consent = WaitForToolkitDialog(run.Process().Id(), InstallerRun::kTimeoutMs);
    ASSERT_TRUE(consent);
    // Child windows of the toolkit carry their object's address as their id: a real address of
    // the installer's, which it must not free or read because someone posts it.
    HWND pane = nullptr;
    for (HWND child = GetWindow(window, GW_CHILD); child && !pane; child = GetWindow(child, GW_HWNDNEXT)) {
        char name[64] = {};
        GetClassNameA(child, name, sizeof(name));
        if (std::string(name) != "NRButton")
            pane = child;
    }
    ASSERT_TRUE(pane);
    const WPARAM paneObject = static_cast<WPARAM>(GetWindowLongPtrA(pane, GWLP_ID));
    PostMessageA(window, WM_USER + 45, paneObject, 0);
    PostMessageA(window, WM_USER + 45, 0x10, 0);
    PostMessageA(window, WM_USER + 41, 0x10, 1);
    PostMessageA(window, WM_USER + 41, paneObject, 1);

    const unsigned char guid[16] = {0xD7, 0xA1, 0x72, 0xB0, 0x25, 0x16, 0x80, 0x48,
                                    0xA8, 0x84, 0x61, 0x75, 0xD1, 0x99, 0x67, 0x33};
    std::string record(reinterpret_cast<const char*>(guid), 16);
    record += std::string("\x04\0\0\0", 4);  // command 4: reload the GUI settings
    const auto send = [&](ULONG_PTR dwData, size_t bytes) {
        COPYDATASTRUCT data = {dwData, static_cast<DWORD>(bytes), &record[0]};
        DWORD_PTR result = 99;
        SendMessageTimeoutA(window, WM_COPYDATA, 0, reinterpret_cast<LPARAM>(&data), SMTO_NORMAL, 5000, &result);
        return result;
    };
    EXPECT_EQ(0u, send(0, 16));
    EXPECT_EQ(0u, send(1, 20));
    EXPECT_EQ(1u, send(0, 20));
    // Install steps the installer did not post itself: the last one (a second box inside the
    // consent box), the driver step, the next step and one out of range.
    for (LPARAM step : {7, 2, 1, 8})
        PostMessageA(window, WM_USER + 35, 0, step);
    DWORD_PTR ignored = 0;
    SendMessageTimeoutA(window, WM_NULL, 0, 0, SMTO_NORMAL, 5000, &ignored);
    HWND second = WaitForToolkitDialog(run.Process().Id(), 500, consent);

    EXPECT_FALSE(second) << "a step another program posted ran";
    EXPECT_TRUE(IsWindow(pane));
    EXPECT_TRUE(IsWindowVisible(consent));
    PostMessageA(consent, WM_CLOSE, 0, 0);
    EXPECT_EQ(0u, run.WaitForExit()) << "no crash on the way";
}

namespace {

struct OtherInstallerSearch
{
    DWORD exceptPid;
    DWORD foundPid;
};

BOOL CALLBACK FindOtherInstaller(HWND window, LPARAM param)
{
    auto* search = reinterpret_cast<OtherInstallerSearch*>(param);
    char name[32] = {};
    GetClassNameA(window, name, sizeof(name));
    DWORD pid = 0;
    GetWindowThreadProcessId(window, &pid);
    if (std::string(name) == "NoxSetupWnd" && pid != search->exceptPid && IsWindowVisible(window)) {
        search->foundPid = pid;
        return FALSE;
    }
    return TRUE;
}

}  // namespace

TEST(InstallSequence, ServerLossIsAskedOnceAndNoEndsTheInstaller)
{
    InstallerRun run("NoxSetup.exe", "win10");
    ASSERT_TRUE(run.WaitForMainWindow());
    HWND consent = WaitForToolkitDialog(run.Process().Id(), InstallerRun::kTimeoutMs);
    ASSERT_TRUE(consent);
    PostMessageA(run.WaitForMainWindow(), WM_USER + 38, 0, 0);
    HWND question = WaitForToolkitDialog(run.Process().Id(), InstallerRun::kTimeoutMs, consent);
    ASSERT_TRUE(question);
    PostMessageA(question, WM_KEYDOWN, 'N', 0);
    PostMessageA(consent, WM_CLOSE, 0, 0);
    EXPECT_EQ(0u, run.WaitForExit());
    // A new instance would show its window within this time, as the one after Yes does.
    OtherInstallerSearch search = {run.Process().Id(), 0};
    for (int waited = 0; !search.foundPid && waited < 5000; waited += 50) {
        Sleep(50);
        EnumWindows(FindOtherInstaller, reinterpret_cast<LPARAM>(&search));
    }
    EXPECT_EQ(0u, search.foundPid) << "No starts nothing";
    if (HANDLE started = search.foundPid ? OpenProcess(PROCESS_TERMINATE, FALSE, search.foundPid) : nullptr) {
        TerminateProcess(started, 255);
        CloseHandle(started);
    }
}

// From a folder with a blank in its name (InstallerRun's), which the new instance must not take
// for command-line text.
TEST(InstallSequence, ServerLossIsAskedOnceAndYesStartsTheInstallerAfresh)
{
    InstallerRun run("NoxSetup.exe", "win10");
    ASSERT_NE(std::string::npos, run.Directory().Path().find(' '));
    HWND window = run.WaitForMainWindow();
    ASSERT_TRUE(window);
    HWND consent = WaitForToolkitDialog(run.Process().Id(), InstallerRun::kTimeoutMs);
    ASSERT_TRUE(consent);
    PostMessageA(window, WM_USER + 38, 0, 0);
    PostMessageA(window, WM_USER + 38, 0, 0);
    HWND question = WaitForToolkitDialog(run.Process().Id(), InstallerRun::kTimeoutMs, consent);
    ASSERT_TRUE(question);
    EXPECT_EQ(
        "The connetion to the NoxNetServer has been lost\nThis Program will now exit\n\n"
        "Do you wish to attempt to restart this program?",
        ToolkitDialogText(question));
    PostMessageA(question, WM_KEYDOWN, 'Y', 0);
    for (int waited = 0; IsWindow(question) && waited < 3000; waited += 20)
        Sleep(20);
    EXPECT_FALSE(WaitForToolkitDialog(run.Process().Id(), 1000, consent)) << "asked once";

    OtherInstallerSearch search = {run.Process().Id(), 0};
    for (int waited = 0; !search.foundPid && waited < 20000; waited += 50) {
        Sleep(50);
        EnumWindows(FindOtherInstaller, reinterpret_cast<LPARAM>(&search));
    }
    ASSERT_NE(0u, search.foundPid) << "no new instance";
    HANDLE restarted = OpenProcess(SYNCHRONIZE | PROCESS_TERMINATE | PROCESS_QUERY_INFORMATION, FALSE, search.foundPid);
    ASSERT_TRUE(restarted);

    // The first instance closes once its own question is out of the way.
    PostMessageA(consent, WM_CLOSE, 0, 0);
    EXPECT_EQ(0u, run.WaitForExit());

    HWND again = WaitForToolkitDialog(search.foundPid, InstallerRun::kTimeoutMs);
    EXPECT_EQ(kConsent, ToolkitDialogText(again)) << "a normal run";
    PostMessageA(again, WM_CLOSE, 0, 0);
    if (WaitForSingleObject(restarted, InstallerRun::kTimeoutMs) != WAIT_OBJECT_0)
        TerminateProcess(restarted, 255);
    DWORD code = STILL_ACTIVE;
    GetExitCodeProcess(restarted, &code);
    CloseHandle(restarted);
    EXPECT_EQ(0u, code);
}
