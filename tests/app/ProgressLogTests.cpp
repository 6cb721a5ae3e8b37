// The progress lines of the installer window and the install log written from them.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "DibCanvas.h"
#include "TestSupport.h"
#include "app/InstallLog.h"
#include "app/NoxSetupWnd.h"
#include "platform/ResourceFile.h"

using namespace testing_support;

namespace {

// The install logs in `directory`, as (name, bytes).
std::vector<std::pair<std::string, std::string>> Logs(const std::string& directory)
{
    std::vector<std::pair<std::string, std::string>> logs;
    WIN32_FIND_DATAW found;
    const std::wstring pattern = MakeLongPathW(directory + "Install_log_*.txt");
    HANDLE find = FindFirstFileW(pattern.c_str(), &found);
    if (find == INVALID_HANDLE_VALUE)
        return logs;
    do {
        const std::string name(found.cFileName, found.cFileName + wcslen(found.cFileName));
        HANDLE file = CreateFileW(MakeLongPathW(directory + name).c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr,
                                  OPEN_EXISTING, 0, nullptr);
        std::string bytes(4096, '\0');
        DWORD read = 0;
        ReadFile(file, &bytes[0], static_cast<DWORD>(bytes.size()), &read, nullptr);
        CloseHandle(file);
        bytes.resize(read);
        logs.push_back({name, bytes});
    } while (FindNextFileW(find, &found));
    FindClose(find);
    return logs;
}

}  // namespace

TEST(InstallLog, IsNamedAfterTheDirectoryAsStoredAndTheSecond)
{
    EXPECT_EQ("C:\\Tools\\Install_log_2024-03-07_14-05-09.txt",
              InstallLogFileName("C:\\Tools\\", "2024-03-07_14-05-09"));
    // Stored without its final backslash, the directory's own name starts the file's, beside it.
    EXPECT_EQ("C:\\ToolsInstall_log_2024-03-07_14-05-09.txt", InstallLogFileName("C:\\Tools", "2024-03-07_14-05-09"));
}

TEST(InstallLog, HoldsTheLinesWithCrLfAndALogOfTheSameSecondTakesTheNextName)
{
    TempDir dir;
    ASSERT_TRUE(WriteInstallLog(dir.Path(), "Win10 x64\n$crERROR in 5%\n"));
    auto logs = Logs(dir.Path());
    ASSERT_EQ(1u, logs.size());
    EXPECT_EQ("Win10 x64\r\n$crERROR in 5%\r\n", logs[0].second);
    EXPECT_EQ(35u, logs[0].first.size()) << logs[0].first << ": Install_log_YYYY-MM-DD_hh-mm-ss.txt";

    // Two logs in one second: the first stays, the second takes the next name.
    ASSERT_TRUE(WriteInstallLogStamped(dir.Path(), "first\n", "2024-03-07_14-05-09"));
    ASSERT_TRUE(WriteInstallLogStamped(dir.Path(), "second\n", "2024-03-07_14-05-09"));
    EXPECT_EQ("first\r\n", ReadWholeFile(dir.File("Install_log_2024-03-07_14-05-09.txt")));
    EXPECT_EQ("second\r\n", ReadWholeFile(dir.File("Install_log_2024-03-07_14-05-09 (1).txt")));

    EXPECT_TRUE(WriteInstallLog(dir.Path(), "")) << "created, and left empty";
}

TEST(InstallLog, ALinkWhereTheLogGoesIsNeverFollowed)
{
    // Unix links wait under the log's first two names (made by the test fixture): one to a file
    // beside the install folder, one to a name where nothing is yet.
    const std::string install = BuildFile("linked-log\\install\\");
    const std::string log = install + "Install_log_2024-03-07_14-05-09 (2).txt";
    DeleteFileA(log.c_str());
    ASSERT_EQ("victim\n", ReadWholeFile(BuildFile("linked-log\\victim.txt")));

    ASSERT_TRUE(WriteInstallLogStamped(install, "line\n", "2024-03-07_14-05-09"));
    EXPECT_EQ("victim\n", ReadWholeFile(BuildFile("linked-log\\victim.txt")));
    EXPECT_EQ(INVALID_FILE_ATTRIBUTES, GetFileAttributesA(BuildFile("linked-log\\made-by-link.txt").c_str()));
    EXPECT_EQ("line\r\n", ReadWholeFile(log));
    DeleteFileA(log.c_str());
}

TEST(InstallLog, IsWrittenOnlyIntoAnExistingDirectoryAndBeyond260Characters)
{
    TempDir dir;
    EXPECT_FALSE(WriteInstallLog(dir.File("missing\\"), "line\n"));
    EXPECT_FALSE(WriteInstallLog("", "line\n"));
    EXPECT_TRUE(Logs(dir.Path()).empty());

    std::string deep = dir.Path();
    while (deep.size() < 280)
        deep += std::string(60, 'd') + "\\";
    ASSERT_TRUE(CreateDirectoryPath(deep));
    ASSERT_TRUE(WriteInstallLog(deep, "deep line\n"));
    const auto logs = Logs(deep);
    ASSERT_EQ(1u, logs.size());
    EXPECT_EQ("deep line\r\n", logs[0].second);

    // Without the final backslash the log lands beside the folder.
    ASSERT_TRUE(CreateDirectoryA(dir.File("Tools").c_str(), nullptr));
    ASSERT_TRUE(WriteInstallLog(dir.File("Tools"), "beside\n"));
    EXPECT_TRUE(Logs(dir.File("Tools\\")).empty());
    WIN32_FIND_DATAA found;
    HANDLE find = FindFirstFileA(dir.File("ToolsInstall_log_*.txt").c_str(), &found);
    EXPECT_NE(INVALID_HANDLE_VALUE, find);
    FindClose(find);
}

namespace {

class ProgressWindow : public testing::Test
{
protected:
    ProgressWindow() { EXPECT_TRUE(window.Create(nullptr, RECT{0, 0, 640, 480})); }
    ~ProgressWindow() override
    {
        if (window.IsWindow())
            window.DestroyWindow();
    }
    bool CloseWasPosted()
    {
        MSG msg;
        return PeekMessageA(&msg, window.Handle(), WM_CLOSE, WM_CLOSE, PM_REMOVE) != FALSE;
    }

    NoxSetupWnd window;
};

}  // namespace

TEST_F(ProgressWindow, ShowsEachLineAtOnceAsOneLineWithoutItsLineFeeds)
{
    std::string text;
    EXPECT_FALSE(window.GetAllProgressText(text));
    window.AddProgressLine("Win10 x64");
    window.AddProgressLine("%s", "$cgtwo\nparts$cw");
    EXPECT_TRUE(window.GetAllProgressText(text));
    EXPECT_EQ("Win10 x64\n$cgtwoparts$cw\n", text);

    // On the screen already, with no message handled in between: the green line is there.
    HWND list = window.ProgressPane().ListBox().Handle();
    const RECT client = NRWindow(list).GetClientRect();
    DibCanvas canvas(client.right, client.bottom, RGB(0, 0, 0));
    HDC screen = GetDC(list);
    BitBlt(canvas.Dc(), 0, 0, client.right, client.bottom, screen, 0, 0, SRCCOPY);
    ReleaseDC(list, screen);
    EXPECT_GT(canvas.CountColour(RGB(0, 255, 0), client), 10);
}

TEST_F(ProgressWindow, WritesTheLogOnlyOutsideTestModeAndClosesEitherWay)
{
    TempDir dir;
    window.SetInstallDirectory(dir.Path());
    window.AddProgressLine("Win10 x64");
    window.SetTestMode(true);
    window.WriteLogAndClose();
    EXPECT_TRUE(CloseWasPosted());
    EXPECT_TRUE(Logs(dir.Path()).empty()) << "no log in test mode";

    window.SetTestMode(false);
    window.WriteLogAndClose();
    EXPECT_TRUE(CloseWasPosted());
    const auto logs = Logs(dir.Path());
    ASSERT_EQ(1u, logs.size());
    EXPECT_EQ("Win10 x64\r\n", logs[0].second);
}
