#pragma once
// Helpers for tests that run under Wine: temporary folders, child processes with time limits, the
// windows a child shows, and the Windows version a child sees.
#include <windows.h>

#include <string>
#include <thread>
#include <vector>

namespace testing_support {

// The registry view every build of the installer keeps the maker's machine key in: the shipped
// 32-bit program's (Software\\WOW6432Node on 64-bit Windows).
constexpr REGSAM kMachineKeyView = KEY_WOW64_32KEY;

// Folder of the running test executable, with a final backslash. The build puts every executable of
// a tree, the installers included, into that folder.
std::string ExeDir();
std::string BuildFile(const std::string& name);

// A fresh folder under %TEMP%, removed with everything in it at the end of its scope. Raises
// std::runtime_error when the temporary folder takes no new folder.
class TempDir
{
public:
    // `namePrefix` begins the folder's name, which a number unique to it ends.
    explicit TempDir(const char* namePrefix = "noxtest_");
    ~TempDir();
    TempDir(const TempDir&) = delete;
    TempDir& operator=(const TempDir&) = delete;
    const std::string& Path() const { return m_path; }  // ends with a backslash
    std::string File(const std::string& name) const { return m_path + name; }

private:
    std::string m_path;
};

// A network share, \\nox-server\<name>, that Wine serves from a folder of its prefix
// (dosdevices\unc\<server>\<share>), removed with its content at the end of its scope.
class NetworkShare
{
public:
    NetworkShare();
    ~NetworkShare();
    NetworkShare(const NetworkShare&) = delete;
    NetworkShare& operator=(const NetworkShare&) = delete;
    const std::string& Path() const { return m_path; }  // "\\nox-server\share<pid>\"

private:
    std::string m_folder;
    std::string m_path;
};

void RemoveTree(const std::string& path);
// Deletes the key `path` ("Software\\...") of HKEY_LOCAL_MACHINE with its subkeys, in both views.
void DeleteMachineKeyTree(const std::string& path);
// The names that match `pattern` (a folder and a wildcard, "C:\\x\\*.txt"), sorted, without "." and "..".
std::vector<std::string> FileNames(const std::string& pattern);
std::string ReadWholeFile(const std::string& path);
bool WriteWholeFile(const std::string& path, const std::string& bytes);

// A child process that is ended, if it still runs, when the object goes.
class ChildProcess
{
public:
    // Starts `commandLine` (program and arguments). captureOutput: stdout and stderr go to a pipe.
    explicit ChildProcess(const std::string& commandLine, bool captureOutput = false, DWORD creationFlags = 0);
    ~ChildProcess();
    ChildProcess(const ChildProcess&) = delete;
    ChildProcess& operator=(const ChildProcess&) = delete;

    bool Started() const { return m_process != nullptr; }
    DWORD Id() const { return m_id; }
    HANDLE Handle() const { return m_process; }
    // Waits for the end; false on time-out.
    bool Wait(DWORD timeoutMs);
    DWORD ExitCode() const;
    // Everything the child wrote, once it has ended (reads until the pipe closes or time runs out).
    std::string ReadAllOutput(DWORD timeoutMs);

private:
    HANDLE m_process = nullptr;
    HANDLE m_outputRead = nullptr;
    DWORD m_id = 0;
};

// Pumps this thread's messages until `done` or the time is up; false on time-out.
template <class Condition>
bool PumpUntil(Condition done, DWORD timeoutMs)
{
    const DWORD start = GetTickCount();
    while (!done()) {
        if (GetTickCount() - start > timeoutMs)
            return false;
        MSG msg;
        while (PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) {
            TranslateMessage(&msg);
            DispatchMessageA(&msg);
        }
        Sleep(10);
    }
    return true;
}

// Waits up to timeoutMs for a visible top-level window of process `pid` with class `className`.
HWND WaitForProcessWindow(DWORD pid, const char* className, DWORD timeoutMs);
// The visible top-level windows of process `pid`, a line each ("class \"text\""): what a program that
// does not end still shows.
std::string DescribeProcessWindows(DWORD pid);
// A toolkit dialog of process `pid` (a visible top-level window that answers the window-kind query,
// WM_USER, with 1), other than `except`; null when none shows in time.
HWND WaitForToolkitDialog(DWORD pid, DWORD timeoutMs, HWND except = nullptr);
// The same, on screen now, without waiting.
HWND ShownToolkitDialog(DWORD pid, HWND except = nullptr);
// What a toolkit message box says: its message pane's text.
std::string ToolkitDialogText(HWND dialog);
// Whether a toolkit dialog shows buttons: the please-wait dialog shows none and closes by itself.
bool ToolkitDialogHasButtons(HWND dialog);
// The captions of a toolkit dialog's buttons, left to right.
std::vector<std::string> ToolkitDialogButtons(HWND dialog);

// The window with the keyboard focus, and the active window, of the thread that owns `window`, as
// GetGUIThreadInfo reports them; null when there is none.
HWND ThreadFocus(HWND window);
HWND ThreadActiveWindow(HWND window);
// A key pressed as the system delivers a user's: WM_KEYDOWN and WM_KEYUP posted to the window with
// the keyboard focus in `window`'s thread, or to `window` when nothing there has the focus.
void PressKeyAsUser(HWND window, WPARAM key);

// Activates `window` as Windows leaves a window that answers WM_ACTIVATE itself: no keyboard focus
// anywhere, then WM_ACTIVATE. Call it on the window's thread.
void ActivateAsWindowsDoes(HWND window);

// Answers the toolkit dialogs of process `pid` one after another on another thread, as a user
// would: for each key in turn it waits for the next dialog, notes what it says and which buttons it
// has, and presses the key (WM_KEYDOWN; 0 closes the dialog instead). A dialog without buttons is
// waited out without taking a key. A dialog still up 3 s after its
// answer is closed, so that a test fails instead of hanging.
class DialogAnswerer
{
public:
    struct Dialog
    {
        std::string text;
        std::vector<std::string> buttons;
    };
    DialogAnswerer(DWORD pid, std::vector<WPARAM> keys, DWORD timeoutMs = 10000);
    ~DialogAnswerer();
    DialogAnswerer(const DialogAnswerer&) = delete;
    DialogAnswerer& operator=(const DialogAnswerer&) = delete;

    // The dialogs answered, once all were (or one did not show in time).
    const std::vector<Dialog>& Dialogs();

private:
    std::vector<Dialog> m_dialogs;
    std::thread m_thread;
};

// The clipboard's CF_TEXT, as this process receives it.
std::string ClipboardText();

// The text of a standard message box (its static text control).
std::string MessageBoxText(HWND box);
std::string WindowText(HWND hwnd);

// The Windows version Wine reports to executables of one file name, for as long as the object lives.
// Set per executable name, so tests running side by side do not see each other's setting.
class ScopedWindowsVersion
{
public:
    ScopedWindowsVersion(const std::string& exeFileName, const char* version);
    ~ScopedWindowsVersion();
    ScopedWindowsVersion(const ScopedWindowsVersion&) = delete;
    ScopedWindowsVersion& operator=(const ScopedWindowsVersion&) = delete;

private:
    std::string m_keyPath;
};

// Copies an executable from the build tree to a uniquely named file in `dir`, returning its path.
std::string CopyExecutable(const std::string& buildFileName, const TempDir& dir, const std::string& newName);

// The value the next kernel handle of this process gets. Windows and Wine hand out the lowest free
// slot, so an operation that leaves a handle (file, key, snapshot, process) open moves it; one that
// releases everything leaves it where it was. (Wine reports no handle or GUI object counts.)
HANDLE NextHandleValue();
// The values the next `count` handles get: a handle left open anywhere among them shows, also one
// that an operation took after several others it closed.
std::vector<HANDLE> NextHandleValues(int count = 32);

// GDI objects this process holds, stock objects included: compare before and after. Read from the
// process's GDI handle table, since Wine's GetGuiResources answers 0. -1 when there is no table.
int GdiObjectCount();
// Windows this process owns, top-level and child.
int ProcessWindowCount();

}  // namespace testing_support
