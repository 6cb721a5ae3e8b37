// The installer refuses to run unless the maker's signature on it is intact.
#include <gtest/gtest.h>

#include <string>

#include "InstallerRun.h"

using namespace testing_support;

namespace {

std::wstring AnsiToWideForTest(const std::string& text)
{
    return std::wstring(text.begin(), text.end());  // the paths here are plain ASCII
}

const char kLaterWindowsRefusalStart[] = "Digital Signature Failed\n";

// What Windows 7 and later show for an installer the check rejects: one OK box, then exit code 1.
void ExpectRefusedOnLaterWindows(const char* buildFile, const char* windowsVersion, const std::string& reason)
{
    InstallerRun run(buildFile, windowsVersion);
    HWND box = run.WaitForMessageBox();
    ASSERT_TRUE(box) << buildFile << " on " << windowsVersion;
    EXPECT_EQ("Error", WindowText(box));
    EXPECT_EQ(kLaterWindowsRefusalStart + reason, MessageBoxText(box));
    EXPECT_TRUE(GetDlgItem(box, IDOK));
    EXPECT_FALSE(GetDlgItem(box, IDYES));
    EXPECT_FALSE(WaitForProcessWindow(run.Process().Id(), "NoxSetupWnd", 0));
    PostMessageA(box, WM_COMMAND, IDOK, 0);
    EXPECT_EQ(1u, run.WaitForExit());
}

// XP and Vista ask instead; No is the default button.
HWND ExpectQuestionOnOlderWindows(InstallerRun& run, const char* osName)
{
    HWND box = run.WaitForMessageBox();
    if (!box)
        return nullptr;
    EXPECT_EQ("Error", WindowText(box));
    EXPECT_EQ(std::string(osName) +
                  " cannot verify the digital signature on this installer\n"
                  "Do you want 'risk' to proceeding with the installation anyway?",
              MessageBoxText(box));
    EXPECT_TRUE(GetDlgItem(box, IDYES));
    EXPECT_TRUE(GetDlgItem(box, IDNO));
    EXPECT_EQ(BS_DEFPUSHBUTTON, GetWindowLongA(GetDlgItem(box, IDNO), GWL_STYLE) & 0x0F) << "No is the default";
    EXPECT_EQ(BS_PUSHBUTTON, GetWindowLongA(GetDlgItem(box, IDYES), GWL_STYLE) & 0x0F);
    return box;
}

// Checks the question and answers it by posting `message` to the box.
void AnswerQuestion(InstallerRun& run, const char* osName, UINT message, WPARAM wParam)
{
    HWND box = ExpectQuestionOnOlderWindows(run, osName);
    ASSERT_TRUE(box) << "no question on " << osName;
    PostMessageA(box, message, wParam, 0);
}

}  // namespace

TEST(SignatureGate, UnsignedInstallerIsRefusedOnWindows7AndLater)
{
    ExpectRefusedOnLaterWindows("NoxSetup-unsigned.exe", "win7", "No signature found on the file");
    ExpectRefusedOnLaterWindows("NoxSetup-unsigned.exe", "win10", "No signature found on the file");
}

TEST(SignatureGate, DamagedOrForeignSignedInstallerIsRefused)
{
    ExpectRefusedOnLaterWindows("NoxSetup-tampered.exe", "win7", "The signature of the file is invalid");
    ExpectRefusedOnLaterWindows("NoxSetup-foreign.exe", "win8",
                                "The file is signed by \"Someone Else Ltd\", not by NOX RACING LIMITED");
}

TEST(SignatureGate, SignedInstallerStartsOnEveryVersion)
{
    // Both carry a SHA-1 primary and a nested SHA-256 signature; the second is time-stamped too.
    for (const char* build : {"NoxSetup.exe", "NoxSetup-stamped.exe"}) {
        for (const char* version : {"winxp64", "vista", "win7", "win10"}) {
            InstallerRun run(build, version);
            HWND window = run.WaitForMainWindow();
            ASSERT_TRUE(window) << build << " on " << version;
            EXPECT_TRUE(run.CloseAtFirstQuestion()) << version;
            EXPECT_EQ(0u, run.WaitForExit()) << version;
        }
    }
}

TEST(SignatureGate, OnXpAnsweringNoEndsTheInstallerWhetherItIsUnsignedOrDamaged)
{
    for (const char* build : {"NoxSetup-unsigned.exe", "NoxSetup-tampered.exe"}) {
        InstallerRun run(build, "winxp64");
        AnswerQuestion(run, "WinXP x64", WM_COMMAND, IDNO);
        EXPECT_EQ(1u, run.WaitForExit()) << build;
    }
}

TEST(SignatureGate, OnVistaEnterTakesTheDefaultNo)
{
    InstallerRun run("NoxSetup-unsigned.exe", "vista");
    // Enter in a message box presses the focused default button.
    AnswerQuestion(run, "WinVista x64", WM_KEYDOWN, VK_RETURN);
    EXPECT_EQ(1u, run.WaitForExit());
}

TEST(SignatureGate, OnXpAnsweringYesContinuesToTheInstallerWindow)
{
    InstallerRun run("NoxSetup-unsigned.exe", "winxp64");
    AnswerQuestion(run, "WinXP x64", WM_COMMAND, IDYES);
    HWND window = run.WaitForMainWindow();
    ASSERT_TRUE(window);
    EXPECT_TRUE(run.CloseAtFirstQuestion());
    EXPECT_EQ(0u, run.WaitForExit());
}

TEST(SignatureGate, SignedInstallerStartsFromAFolderNamedOutsideTheAnsiCodePage)
{
    // A folder name the narrow Windows calls cannot spell must not make the check fail.
    TempDir dir;
    const std::wstring folder = AnsiToWideForTest(dir.Path()) + L"Nox \x0416\x03A9 \x6C34";
    ASSERT_TRUE(CreateDirectoryW(folder.c_str(), nullptr));
    const std::wstring exe = folder + L"\\NoxSetup.exe";
    ASSERT_TRUE(CopyFileW(AnsiToWideForTest(BuildFile("NoxSetup.exe")).c_str(), exe.c_str(), FALSE));

    std::wstring commandLine = L"\"" + exe + L"\"";
    STARTUPINFOW startup = {};
    startup.cb = sizeof(startup);
    PROCESS_INFORMATION process = {};
    ASSERT_TRUE(
        CreateProcessW(nullptr, &commandLine[0], nullptr, nullptr, FALSE, 0, nullptr, nullptr, &startup, &process));
    CloseHandle(process.hThread);
    HWND window = WaitForProcessWindow(process.dwProcessId, "NoxSetupWnd", InstallerRun::kTimeoutMs);
    EXPECT_TRUE(window) << "the installer refused its own signature";
    if (window)
        PostMessageA(WaitForToolkitDialog(process.dwProcessId, InstallerRun::kTimeoutMs), WM_CLOSE, 0, 0);
    else
        PostMessageA(WaitForProcessWindow(process.dwProcessId, "#32770", 0), WM_COMMAND, IDOK, 0);
    if (WaitForSingleObject(process.hProcess, InstallerRun::kTimeoutMs) != WAIT_OBJECT_0)
        TerminateProcess(process.hProcess, 255);
    DWORD code = STILL_ACTIVE;
    GetExitCodeProcess(process.hProcess, &code);
    CloseHandle(process.hProcess);
    EXPECT_EQ(0u, code);
    DeleteFileW(exe.c_str());
    RemoveDirectoryW(folder.c_str());
}
