// The yardstick for the installer's size and start-up: a static C++ program that shows one 640 x 480
// window and runs a message loop, built with the installer's toolchain and flags. It uses a string
// and an exception, so it carries the C++ runtime every C++ program of ours carries.
#include <windows.h>

#include <stdexcept>
#include <string>

namespace {

LRESULT CALLBACK WindowProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam)
{
    if (message == WM_DESTROY) {
        PostQuitMessage(0);
        return 0;
    }
    return DefWindowProcA(hwnd, message, wParam, lParam);
}

}  // namespace

int WINAPI WinMain(HINSTANCE instance, HINSTANCE, LPSTR commandLine, int showCommand)
{
    std::string title = "Bare window";
    try {
        if (commandLine && commandLine[0] == '?')
            throw std::invalid_argument(commandLine);
    } catch (const std::exception& error) {
        title = error.what();
    }
    WNDCLASSEXA wc = {};
    wc.cbSize = sizeof(wc);
    wc.lpfnWndProc = WindowProc;
    wc.hInstance = instance;
    wc.hCursor = LoadCursorA(nullptr, IDC_ARROW);
    wc.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_WINDOW + 1);
    wc.lpszClassName = "BareWindow";
    if (!RegisterClassExA(&wc))
        return 1;
    HWND window = CreateWindowExA(0, "BareWindow", title.c_str(), WS_POPUP | WS_VISIBLE, 0, 0, 640, 480, nullptr,
                                  nullptr, instance, nullptr);
    if (!window)
        return 1;
    ShowWindow(window, showCommand);
    UpdateWindow(window);
    MSG msg;
    while (GetMessageA(&msg, nullptr, 0, 0) > 0) {
        TranslateMessage(&msg);
        DispatchMessageA(&msg);
    }
    return static_cast<int>(msg.wParam);
}
