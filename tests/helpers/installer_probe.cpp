// What the demo asks about a running installer, from outside it, as lines on standard output:
//   installer_probe window TIMEOUT_MS            the installer window's rectangle: "x y width height"
//   installer_probe dialog PREVIOUS TIMEOUT_MS   the next toolkit dialog of the installer other than
//                                                PREVIOUS (a handle in hex, 0 for none): its handle,
//                                                rectangle, text (line feeds as " | ") and buttons
//                                                (none: the please-wait dialog, which asks nothing)
//   installer_probe clipboard                    the clipboard's text
//   installer_probe version PATH                 the file's version, or "no version"
// Ends with 1 when there is nothing to report in time.
#include <windows.h>

#include <cstdio>
#include <cstdlib>
#include <string>

#include "TestSupport.h"
#include "platform/Lookups.h"
#include "ui/framework/DisplayDpi.h"

using namespace testing_support;

namespace {

HWND WaitForInstallerWindow(DWORD timeoutMs)
{
    for (DWORD waited = 0;; waited += 50) {
        HWND window = FindWindowA("NoxSetupWnd", nullptr);
        if ((window && IsWindowVisible(window)) || waited >= timeoutMs)
            return window && IsWindowVisible(window) ? window : nullptr;
        Sleep(50);
    }
}

void PrintRect(HWND window)
{
    RECT rect = {};
    GetWindowRect(window, &rect);
    std::printf("%ld %ld %ld %ld\n", rect.left, rect.top, rect.right - rect.left, rect.bottom - rect.top);
}

int Dialog(HWND previous, DWORD timeoutMs)
{
    HWND window = WaitForInstallerWindow(timeoutMs);
    if (!window)
        return 1;
    DWORD pid = 0;
    GetWindowThreadProcessId(window, &pid);
    HWND dialog = WaitForToolkitDialog(pid, timeoutMs, previous);
    if (!dialog)
        return 1;
    Sleep(300);  // its drop shadow and first paint
    std::printf("%llx\n", static_cast<unsigned long long>(reinterpret_cast<UINT_PTR>(dialog)));
    PrintRect(dialog);
    std::string text = ToolkitDialogText(dialog);
    while (!text.empty() && text.back() == '\n')
        text.pop_back();
    for (size_t at = text.find('\n'); at != std::string::npos; at = text.find('\n', at))
        text.replace(at, 1, " | ");
    std::printf("%s\n", text.c_str());
    std::string buttons;
    for (const std::string& caption : ToolkitDialogButtons(dialog))
        buttons += (buttons.empty() ? "" : ", ") + caption;
    std::printf("%s\n", buttons.c_str());
    return 0;
}

int Clipboard()
{
    if (!OpenClipboard(nullptr))
        return 1;
    const HANDLE data = GetClipboardData(CF_TEXT);
    const char* text = data ? static_cast<const char*>(GlobalLock(data)) : nullptr;
    if (text) {
        std::fputs(text, stdout);
        GlobalUnlock(data);
    }
    CloseClipboard();
    return text ? 0 : 1;
}

}  // namespace

int main(int argc, char** argv)
{
    // Rectangles in the screen's own pixels, as the installer lays itself out, at any DPI.
    DeclareDpiAwareness();
    const std::string command = argc > 1 ? argv[1] : "";
    if (command == "window" && argc == 3) {
        HWND window = WaitForInstallerWindow(std::strtoul(argv[2], nullptr, 10));
        if (!window)
            return 1;
        PrintRect(window);
        return 0;
    }
    if (command == "dialog" && argc == 4)
        return Dialog(reinterpret_cast<HWND>(std::strtoull(argv[2], nullptr, 16)), std::strtoul(argv[3], nullptr, 10));
    if (command == "clipboard")
        return Clipboard();
    if (command == "version" && argc == 3) {
        FileVersion version;
        if (!GetFileVersion(argv[2], version)) {
            std::printf("no version\n");
            return 1;
        }
        std::printf("%u.%u.%u.%u\n", version.major, version.minor, version.build, version.revision);
        return 0;
    }
    std::fprintf(stderr,
                 "usage: installer_probe window TIMEOUT_MS | dialog PREVIOUS TIMEOUT_MS | clipboard | version PATH\n");
    return 2;
}
