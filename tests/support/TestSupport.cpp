#include "TestSupport.h"

#include <shlwapi.h>
#include <winternl.h>

#include <algorithm>
#include <cstdio>
#include <stdexcept>

namespace testing_support {

std::string ExeDir()
{
    char path[MAX_PATH] = {};
    GetModuleFileNameA(nullptr, path, MAX_PATH);
    std::string dir(path);
    return dir.substr(0, dir.find_last_of('\\') + 1);
}

std::string BuildFile(const std::string& name) { return ExeDir() + name; }

TempDir::TempDir(const char* namePrefix)
{
    char base[MAX_PATH] = {};
    GetTempPathA(MAX_PATH, base);
    static LONG counter = 0;
    // A name already taken gets the next number; a folder that refuses new entries ends the test.
    for (int attempt = 0; attempt < 100; ++attempt) {
        char name[96];
        std::snprintf(name, sizeof(name), "%s%lu_%lu_%ld\\", namePrefix, GetCurrentProcessId(), GetTickCount(),
                      InterlockedIncrement(&counter));
        m_path = std::string(base) + name;
        if (CreateDirectoryA(m_path.c_str(), nullptr))
            return;
        if (GetLastError() != ERROR_ALREADY_EXISTS)
            break;
    }
    throw std::runtime_error("cannot make a temporary folder in " + std::string(base));
}

TempDir::~TempDir() { RemoveTree(m_path); }

NetworkShare::NetworkShare()
{
    char prefix[MAX_PATH] = {};
    if (!GetEnvironmentVariableA("WINEPREFIX", prefix, MAX_PATH))
        throw std::runtime_error("network shares need WINEPREFIX");
    std::string folder = std::string("Z:") + prefix + "/dosdevices/unc/nox-server";
    for (char& c : folder)
        c = c == '/' ? '\\' : c;
    const std::string share = "share" + std::to_string(GetCurrentProcessId());
    CreateDirectoryA((folder.substr(0, folder.rfind('\\'))).c_str(), nullptr);
    CreateDirectoryA(folder.c_str(), nullptr);
    m_folder = folder + "\\" + share;
    if (!CreateDirectoryA(m_folder.c_str(), nullptr) && GetLastError() != ERROR_ALREADY_EXISTS)
        throw std::runtime_error("cannot make " + m_folder);
    m_path = "\\\\nox-server\\" + share + "\\";
}

NetworkShare::~NetworkShare() { RemoveTree(m_folder); }

void DeleteMachineKeyTree(const std::string& path)
{
    for (REGSAM view : {KEY_WOW64_32KEY, KEY_WOW64_64KEY}) {
        // Opened by name: a view given with a predefined root alone is not kept.
        const std::string software = "Software\\";
        HKEY key = nullptr;
        if (path.compare(0, software.size(), software) != 0 ||
            RegOpenKeyExA(HKEY_LOCAL_MACHINE, "Software", 0, KEY_ALL_ACCESS | view, &key) != ERROR_SUCCESS)
            continue;
        SHDeleteKeyA(key, path.substr(software.size()).c_str());
        RegCloseKey(key);
    }
}

void RemoveTree(const std::string& path)
{
    std::string dir = path;
    if (!dir.empty() && dir.back() != '\\')
        dir += '\\';
    // Long paths need the \\?\ form to be found and deleted.
    std::wstring wideDir = L"\\\\?\\";
    for (char c : dir)
        wideDir += static_cast<wchar_t>(static_cast<unsigned char>(c));
    WIN32_FIND_DATAW found;
    HANDLE find = FindFirstFileW((wideDir + L"*").c_str(), &found);
    if (find != INVALID_HANDLE_VALUE) {
        do {
            const std::wstring name = found.cFileName;
            if (name == L"." || name == L"..")
                continue;
            const std::wstring full = wideDir + name;
            if (found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) {
                std::string narrow;
                for (wchar_t c : full.substr(4))
                    narrow += static_cast<char>(c);
                RemoveTree(narrow);
            } else {
                SetFileAttributesW(full.c_str(), FILE_ATTRIBUTE_NORMAL);
                DeleteFileW(full.c_str());
            }
        } while (FindNextFileW(find, &found));
        FindClose(find);
    }
    RemoveDirectoryW(wideDir.c_str());
}

std::vector<std::string> FileNames(const std::string& pattern)
{
    std::vector<std::string> names;
    WIN32_FIND_DATAA found;
    HANDLE find = FindFirstFileA(pattern.c_str(), &found);
    if (find == INVALID_HANDLE_VALUE)
        return names;
    do {
        const std::string name = found.cFileName;
        if (name != "." && name != "..")
            names.push_back(name);
    } while (FindNextFileA(find, &found));
    FindClose(find);
    std::sort(names.begin(), names.end());
    return names;
}

std::string ReadWholeFile(const std::string& path)
{
    std::string bytes;
    if (FILE* file = std::fopen(path.c_str(), "rb")) {
        char buffer[4096];
        size_t got;
        while ((got = std::fread(buffer, 1, sizeof(buffer), file)) > 0)
            bytes.append(buffer, got);
        std::fclose(file);
    }
    return bytes;
}

bool WriteWholeFile(const std::string& path, const std::string& bytes)
{
    FILE* file = std::fopen(path.c_str(), "wb");
    if (!file)
        return false;
    const bool ok = std::fwrite(bytes.data(), 1, bytes.size(), file) == bytes.size();
    return std::fclose(file) == 0 && ok;
}

ChildProcess::ChildProcess(const std::string& commandLine, bool captureOutput, DWORD creationFlags)
{
    STARTUPINFOA startup = {};
    startup.cb = sizeof(startup);
    HANDLE outputWrite = nullptr;
    if (captureOutput) {
        SECURITY_ATTRIBUTES inherit = {sizeof(inherit), nullptr, TRUE};
        if (!CreatePipe(&m_outputRead, &outputWrite, &inherit, 0))
            return;
        SetHandleInformation(m_outputRead, HANDLE_FLAG_INHERIT, 0);
        startup.dwFlags = STARTF_USESTDHANDLES;
        startup.hStdInput = GetStdHandle(STD_INPUT_HANDLE);
        startup.hStdOutput = outputWrite;
        startup.hStdError = outputWrite;
    }
    std::string mutableLine = commandLine;
    PROCESS_INFORMATION info = {};
    if (CreateProcessA(nullptr, &mutableLine[0], nullptr, nullptr, captureOutput, creationFlags, nullptr, nullptr,
                       &startup, &info)) {
        CloseHandle(info.hThread);
        m_process = info.hProcess;
        m_id = info.dwProcessId;
    }
    if (outputWrite)
        CloseHandle(outputWrite);
}

ChildProcess::~ChildProcess()
{
    if (m_process) {
        if (WaitForSingleObject(m_process, 0) == WAIT_TIMEOUT) {
            TerminateProcess(m_process, 255);
            WaitForSingleObject(m_process, 5000);
        }
        CloseHandle(m_process);
    }
    if (m_outputRead)
        CloseHandle(m_outputRead);
}

bool ChildProcess::Wait(DWORD timeoutMs)
{
    return m_process && WaitForSingleObject(m_process, timeoutMs) == WAIT_OBJECT_0;
}

DWORD ChildProcess::ExitCode() const
{
    DWORD code = STILL_ACTIVE;
    if (m_process)
        GetExitCodeProcess(m_process, &code);
    return code;
}

std::string ChildProcess::ReadAllOutput(DWORD timeoutMs)
{
    std::string output;
    if (!m_outputRead)
        return output;
    const DWORD start = GetTickCount();
    for (;;) {
        DWORD available = 0;
        if (!PeekNamedPipe(m_outputRead, nullptr, 0, nullptr, &available, nullptr))
            break;  // the writer is gone and everything has been read
        if (available) {
            char buffer[4096];
            DWORD got = 0;
            if (!ReadFile(m_outputRead, buffer, sizeof(buffer), &got, nullptr) || got == 0)
                break;
            output.append(buffer, got);
            continue;
        }
        if (GetTickCount() - start > timeoutMs)
            break;
        Sleep(10);
    }
    return output;
}

namespace {

struct WindowSearch
{
    DWORD pid;
    const char* className;
    HWND found;
};

BOOL CALLBACK MatchWindow(HWND hwnd, LPARAM param)
{
    auto* search = reinterpret_cast<WindowSearch*>(param);
    DWORD pid = 0;
    GetWindowThreadProcessId(hwnd, &pid);
    char className[128] = {};
    GetClassNameA(hwnd, className, sizeof(className));
    if (pid == search->pid && IsWindowVisible(hwnd) && lstrcmpiA(className, search->className) == 0) {
        search->found = hwnd;
        return FALSE;
    }
    return TRUE;
}

}  // namespace

HWND WaitForProcessWindow(DWORD pid, const char* className, DWORD timeoutMs)
{
    const DWORD start = GetTickCount();
    do {
        WindowSearch search = {pid, className, nullptr};
        EnumWindows(MatchWindow, reinterpret_cast<LPARAM>(&search));
        if (search.found)
            return search.found;
        Sleep(20);
    } while (GetTickCount() - start < timeoutMs);
    return nullptr;
}

namespace {

struct WindowListing
{
    DWORD pid;
    std::string text;
};

BOOL CALLBACK ListProcessWindow(HWND hwnd, LPARAM param)
{
    auto* listing = reinterpret_cast<WindowListing*>(param);
    DWORD owner = 0;
    GetWindowThreadProcessId(hwnd, &owner);
    if (owner != listing->pid || !IsWindowVisible(hwnd))
        return TRUE;
    char className[64] = {}, text[128] = {};
    GetClassNameA(hwnd, className, sizeof(className));
    GetWindowTextA(hwnd, text, sizeof(text));
    listing->text += std::string(className) + " \"" + text + "\"\n";
    return TRUE;
}

}  // namespace

std::string DescribeProcessWindows(DWORD pid)
{
    WindowListing listing = {pid, ""};
    EnumWindows(ListProcessWindow, reinterpret_cast<LPARAM>(&listing));
    return listing.text;
}

namespace {

struct DialogSearch
{
    DWORD pid;
    HWND except;
    HWND found;
};

BOOL CALLBACK MatchToolkitDialog(HWND hwnd, LPARAM param)
{
    auto* search = reinterpret_cast<DialogSearch*>(param);
    DWORD pid = 0;
    GetWindowThreadProcessId(hwnd, &pid);
    if (pid != search->pid || hwnd == search->except || !IsWindowVisible(hwnd))
        return TRUE;
    DWORD_PTR kind = 0;
    if (SendMessageTimeoutA(hwnd, WM_USER, 0, 0, SMTO_ABORTIFHUNG, 2000, &kind) && kind == 1) {
        search->found = hwnd;
        return FALSE;
    }
    return TRUE;
}

struct ChildSearch
{
    const char* className;
    std::vector<HWND> found;
};

BOOL CALLBACK CollectChild(HWND hwnd, LPARAM param)
{
    auto* search = reinterpret_cast<ChildSearch*>(param);
    char className[64] = {};
    GetClassNameA(hwnd, className, sizeof(className));
    if (lstrcmpA(className, search->className) == 0)
        search->found.push_back(hwnd);
    return TRUE;
}

std::vector<HWND> ChildrenOfClass(HWND parent, const char* className)
{
    ChildSearch search = {className, {}};
    EnumChildWindows(parent, CollectChild, reinterpret_cast<LPARAM>(&search));
    return search.found;
}

}  // namespace

bool ToolkitDialogHasButtons(HWND dialog)
{
    for (HWND button : ChildrenOfClass(dialog, "NRButton"))
        if (IsWindowVisible(button))
            return true;
    return false;
}

namespace {

GUITHREADINFO ThreadInfo(HWND window)
{
    GUITHREADINFO info = {};
    info.cbSize = sizeof(info);
    if (!GetGUIThreadInfo(GetWindowThreadProcessId(window, nullptr), &info))
        return GUITHREADINFO{};
    return info;
}

}  // namespace

HWND ThreadFocus(HWND window) { return ThreadInfo(window).hwndFocus; }

HWND ThreadActiveWindow(HWND window) { return ThreadInfo(window).hwndActive; }

void PressKeyAsUser(HWND window, WPARAM key)
{
    HWND focus = ThreadFocus(window);
    if (!focus)
        focus = window;
    const UINT scan = MapVirtualKeyA(static_cast<UINT>(key), 0);
    PostMessageA(focus, WM_KEYDOWN, key, 1 | (scan << 16));
    PostMessageA(focus, WM_KEYUP, key, 1 | (scan << 16) | 0xC0000000u);
}

void ActivateAsWindowsDoes(HWND window)
{
    // On Windows the keyboard focus of an activated window comes only from DefWindowProc's WM_ACTIVATE
    // (it focuses the window) or from the window's own handler; the system sets none. Wine's
    // SetActiveWindow focuses the window itself after WM_ACTIVATE, which would hide a handler that
    // forgets to, so the bench clears the focus and activates by message.
    SetFocus(nullptr);
    SendMessageA(window, WM_ACTIVATE, WA_ACTIVE, 0);
}

HWND ShownToolkitDialog(DWORD pid, HWND except)
{
    DialogSearch search = {pid, except, nullptr};
    EnumWindows(MatchToolkitDialog, reinterpret_cast<LPARAM>(&search));
    return search.found;
}

HWND WaitForToolkitDialog(DWORD pid, DWORD timeoutMs, HWND except)
{
    const DWORD start = GetTickCount();
    do {
        if (HWND found = ShownToolkitDialog(pid, except))
            return found;
        Sleep(20);
    } while (GetTickCount() - start < timeoutMs);
    return nullptr;
}

DialogAnswerer::DialogAnswerer(DWORD pid, std::vector<WPARAM> keys, DWORD timeoutMs)
    : m_thread([this, pid, keys, timeoutMs] {
          HWND previous = nullptr;
          for (const WPARAM key : keys) {
              HWND dialog = WaitForToolkitDialog(pid, timeoutMs, previous);
              // A dialog without visible buttons (the please-wait dialog) asks nothing and closes
              // by itself: it is waited out, and the key kept for the next one.
              while (dialog && !ToolkitDialogHasButtons(dialog)) {
                  for (int waited = 0; IsWindow(dialog) && IsWindowVisible(dialog) && waited < 30000; waited += 20)
                      Sleep(20);
                  previous = dialog;
                  dialog = WaitForToolkitDialog(pid, timeoutMs, previous);
              }
              if (!dialog)
                  return;
              m_dialogs.push_back(Dialog{ToolkitDialogText(dialog), ToolkitDialogButtons(dialog)});
              if (key)
                  PostMessageA(dialog, WM_KEYDOWN, key, 0);
              else
                  PostMessageA(dialog, WM_CLOSE, 0, 0);
              for (int waited = 0; IsWindow(dialog) && IsWindowVisible(dialog) && waited < 3000; waited += 20)
                  Sleep(20);
              if (IsWindow(dialog) && IsWindowVisible(dialog))
                  PostMessageA(dialog, WM_CLOSE, 0, 0);
              previous = dialog;
          }
      })
{
}

DialogAnswerer::~DialogAnswerer()
{
    if (m_thread.joinable())
        m_thread.join();
}

const std::vector<DialogAnswerer::Dialog>& DialogAnswerer::Dialogs()
{
    if (m_thread.joinable())
        m_thread.join();
    return m_dialogs;
}

std::string ToolkitDialogText(HWND dialog)
{
    const std::vector<HWND> panes = ChildrenOfClass(dialog, "NRScrollableRichText");
    return panes.empty() ? std::string() : WindowText(panes.front());
}

std::vector<std::string> ToolkitDialogButtons(HWND dialog)
{
    std::vector<HWND> buttons = ChildrenOfClass(dialog, "NRButton");
    std::sort(buttons.begin(), buttons.end(), [](HWND a, HWND b) {
        RECT ra, rb;
        GetWindowRect(a, &ra);
        GetWindowRect(b, &rb);
        return ra.left < rb.left;
    });
    std::vector<std::string> captions;
    for (HWND button : buttons) {
        if (IsWindowVisible(button))
            captions.push_back(WindowText(button));
    }
    return captions;
}

std::string ClipboardText()
{
    std::string text;
    if (!OpenClipboard(nullptr))
        return text;
    if (HANDLE data = GetClipboardData(CF_TEXT)) {
        if (const char* bytes = static_cast<const char*>(GlobalLock(data))) {
            text = bytes;
            GlobalUnlock(data);
        }
    }
    CloseClipboard();
    return text;
}

std::string WindowText(HWND hwnd)
{
    char text[2048] = {};
    // WM_GETTEXT works across processes, unlike GetWindowText on another process's controls.
    SendMessageTimeoutA(hwnd, WM_GETTEXT, sizeof(text), reinterpret_cast<LPARAM>(text), SMTO_ABORTIFHUNG, 5000,
                        nullptr);
    return text;
}

std::string MessageBoxText(HWND box)
{
    const int kMessageTextId = 0xFFFF;  // the static control that holds a message box's text
    HWND textControl = GetDlgItem(box, kMessageTextId);
    return textControl ? WindowText(textControl) : std::string();
}

ScopedWindowsVersion::ScopedWindowsVersion(const std::string& exeFileName, const char* version)
    : m_keyPath("Software\\Wine\\AppDefaults\\" + exeFileName)
{
    HKEY key = nullptr;
    if (RegCreateKeyExA(HKEY_CURRENT_USER, m_keyPath.c_str(), 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, &key, nullptr) ==
        ERROR_SUCCESS) {
        RegSetValueExA(key, "Version", 0, REG_SZ, reinterpret_cast<const BYTE*>(version),
                       static_cast<DWORD>(lstrlenA(version) + 1));
        RegCloseKey(key);
    }
}

ScopedWindowsVersion::~ScopedWindowsVersion() { RegDeleteKeyA(HKEY_CURRENT_USER, m_keyPath.c_str()); }

std::string CopyExecutable(const std::string& buildFileName, const TempDir& dir, const std::string& newName)
{
    const std::string target = dir.File(newName);
    CopyFileA(BuildFile(buildFileName).c_str(), target.c_str(), FALSE);
    return target;
}

HANDLE NextHandleValue()
{
    HANDLE probe = CreateEventA(nullptr, FALSE, FALSE, nullptr);
    CloseHandle(probe);
    return probe;
}

std::vector<HANDLE> NextHandleValues(int count)
{
    std::vector<HANDLE> probes;
    for (int i = 0; i < count; ++i)
        probes.push_back(CreateEventA(nullptr, FALSE, FALSE, nullptr));
    for (HANDLE probe : probes)
        CloseHandle(probe);
    return probes;
}

namespace {

// One entry of the GDI handle table that the process environment block points to.
struct GdiHandleEntry
{
    unsigned long long object;
    unsigned int owner;
    unsigned short unique;
    unsigned char type;  // 0: free
    unsigned char flags;
    unsigned long long user;
};
static_assert(sizeof(GdiHandleEntry) == 24, "GDI handle table entry");
constexpr int kGdiHandleTableEntries = 0x10000;

#ifdef _WIN64
constexpr size_t kPebGdiSharedHandleTable = 0xF8;
#else
constexpr size_t kPebGdiSharedHandleTable = 0x94;
#endif

void* ProcessEnvironmentBlock()
{
    PROCESS_BASIC_INFORMATION info = {};
    if (NtQueryInformationProcess(GetCurrentProcess(), ProcessBasicInformation, &info, sizeof(info), nullptr) != 0)
        return nullptr;
    return info.PebBaseAddress;
}

bool IsCountedWindow(HWND hwnd)
{
    DWORD pid = 0;
    GetWindowThreadProcessId(hwnd, &pid);
    // The system's input-method window comes and goes with a thread's top-level windows.
    char className[16] = {};
    GetClassNameA(hwnd, className, sizeof(className));
    return pid == GetCurrentProcessId() && lstrcmpA(className, "IME") != 0;
}

BOOL CALLBACK CountDescendant(HWND hwnd, LPARAM param)
{
    *reinterpret_cast<int*>(param) += IsCountedWindow(hwnd);
    return TRUE;
}

BOOL CALLBACK CountOwnWindow(HWND hwnd, LPARAM param)
{
    if (IsCountedWindow(hwnd)) {
        ++*reinterpret_cast<int*>(param);
        // Walks every descendant, grandchildren included.
        EnumChildWindows(hwnd, CountDescendant, param);
    }
    return TRUE;
}

}  // namespace

void WarmUpGuiObjects()
{
    // The first screen DC and the first window of a thread bring objects that stay for the life of
    // the process (stock objects, the thread's IME window); make them before anything is counted.
    static bool done = false;
    if (done)
        return;
    done = true;
    ReleaseDC(nullptr, GetDC(nullptr));
    HWND first = CreateWindowExA(0, "STATIC", "", WS_POPUP, 0, 0, 1, 1, nullptr, nullptr, nullptr, nullptr);
    DestroyWindow(first);
}

#ifndef _WIN64
// A 32-bit process under WoW64 keeps the GDI handle table in its 64-bit process environment block
// (Wine leaves the 32-bit one's empty): the 64-bit thread block lies WowTebOffset bytes from the 32-bit
// one, and points to that block. Both lie below 4 GB.
const GdiHandleEntry* Wow64GdiHandleTable()
{
    constexpr size_t kTebWowTebOffset = 0xFDC, kTeb64Peb = 0x60, kPeb64GdiSharedHandleTable = 0xF8;
    const char* teb = nullptr;
    asm("movl %%fs:0x18, %0" : "=r"(teb));  // the thread's own block
    const LONG wowTebOffset = *reinterpret_cast<const LONG*>(teb + kTebWowTebOffset);
    if (wowTebOffset == 0)
        return nullptr;
    const unsigned long long peb64 = *reinterpret_cast<const unsigned long long*>(teb + wowTebOffset + kTeb64Peb);
    if (peb64 == 0 || peb64 > 0xFFFFFFFFull)
        return nullptr;
    const unsigned long long table =
        *reinterpret_cast<const unsigned long long*>(static_cast<uintptr_t>(peb64) + kPeb64GdiSharedHandleTable);
    return table && table <= 0xFFFFFFFFull ? reinterpret_cast<const GdiHandleEntry*>(static_cast<uintptr_t>(table))
                                           : nullptr;
}
#endif

int GdiObjectCount()
{
    WarmUpGuiObjects();
    auto* peb = static_cast<const char*>(ProcessEnvironmentBlock());
    if (!peb)
        return -1;
    auto* table = *reinterpret_cast<const GdiHandleEntry* const*>(peb + kPebGdiSharedHandleTable);
#ifndef _WIN64
    if (!table)
        table = Wow64GdiHandleTable();
#endif
    if (!table)
        return -1;
    int count = 0;
    for (int i = 0; i < kGdiHandleTableEntries; ++i)
        count += table[i].type != 0;
    return count;
}

int ProcessWindowCount()
{
    WarmUpGuiObjects();
    int count = 0;
    EnumWindows(CountOwnWindow, reinterpret_cast<LPARAM>(&count));
    return count;
}

}  // namespace testing_support
