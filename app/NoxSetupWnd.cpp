#include "app/NoxSetupWnd.h"

#include <cstdarg>

#include "app/InstallLog.h"
#include "app/Version.h"
#include "platform/Registry.h"
#include "platform/Text.h"
#include "ui/framework/AppModule.h"

NoxSetupWnd::NoxSetupWnd() : Base("NoxSetup Ethernet Drivers")
{
    // Written back so that the value exists afterwards; a stored value stays as it is.
    DWORD newGui = 1;
    g_registry.ReadCompanyDword("NEWGUI", newGui);
    g_registry.WriteCompanyDword("NEWGUI", newGui);
}

NRWndClassInfo& NoxSetupWnd::GetWndClassInfo()
{
    // Background brush value 1: the system colour index 0 (+1), painted over by the window itself.
    static NRWndClassInfo info = {"NoxSetupWnd", CS_DBLCLKS, reinterpret_cast<HBRUSH>(1), IDC_ARROW, 0};
    return info;
}

std::string NoxSetupWnd::ComposeTitle()
{
    const std::string suffix = GetTitleSuffix();
    if (suffix.empty())
        return FormatText("%s %d.%d.%d", BaseTitle().c_str(), NOX_VERSION_MAJOR, NOX_VERSION_MINOR, NOX_VERSION_BUILD);
    return FormatText("%s %d.%d.%d  :  %s", BaseTitle().c_str(), NOX_VERSION_MAJOR, NOX_VERSION_MINOR,
                      NOX_VERSION_BUILD, suffix.c_str());
}

bool NoxSetupWnd::ProcessWindowMessage(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam, LRESULT& result)
{
    switch (message) {
    case WM_CREATE:
        result = OnCreate();
        return true;
    case WM_DESTROY:
        PostQuitMessage(0);
        result = 0;
        return true;
    case WM_SIZE:
        OnSize(LOWORD(lParam), HIWORD(lParam));
        result = 0;
        return true;
    case WM_SETFOCUS:
        // The progress pane is the window's only control: it takes the keyboard.
        ::SetFocus(m_progressPane.Handle());
        result = 0;
        return true;
    default:
        return Base::ProcessWindowMessage(hwnd, message, wParam, lParam, result);
    }
}

void NoxSetupWnd::OnSize(int width, int height)
{
    // A minimised window (size 0) keeps its layout.
    if (width <= 0 || height <= 0)
        return;
    ::SetWindowPos(m_progressPane.Handle(), nullptr, 5, 30, width - 10, height - 35, SWP_NOZORDER | SWP_NOACTIVATE);
}

void NoxSetupWnd::AddProgressLine(const char* format, ...)
{
    va_list args;
    va_start(args, format);
    const std::string line = FormatTextV(format, args);
    va_end(args);
    m_progressPane.AddText(line);
}

bool NoxSetupWnd::GetAllProgressText(std::string& text) const { return m_progressPane.ReadAllText(text); }

void NoxSetupWnd::WriteLogAndClose()
{
    if (!IsTestMode()) {
        std::string text;
        GetAllProgressText(text);
        WriteInstallLog(m_installDirectory, text);
    }
    PostMessage(WM_CLOSE);
}

LRESULT NoxSetupWnd::OnCreate()
{
    SetWindowText(ComposeTitle().c_str());
    Invalidate(true);
    // Icons from LoadIcon are shared resources: nothing to destroy later.
    if (HICON icon = LoadIconA(g_module.Instance(), MAKEINTRESOURCEA(kIconResource)))
        SendMessage(WM_SETICON, ICON_BIG, reinterpret_cast<LPARAM>(icon));
    if (!m_progressPane.Create(Handle(), RECT{0, 0, 0, 0}, nullptr, WS_CHILD | WS_VISIBLE | WS_CLIPSIBLINGS |
                                                                         WS_CLIPCHILDREN))
        return -1;
    return 0;
}
