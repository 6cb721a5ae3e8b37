#include "app/NoxSetupWnd.h"

#include <algorithm>
#include <cstdarg>
#include <cstring>
#include <utility>

#include "app/FrameGeometry.h"
#include "app/InstallLog.h"
#include "app/UnitPreferenceMigration.h"
#include "app/Version.h"
#include "app/WindowFrame.h"
#include "app/WindowMark.h"
#include "ethdrv/DriverInstaller.h"
#include "platform/Clipboard.h"
#include "platform/Error.h"
#include "platform/InstallPaths.h"
#include "platform/Registry.h"
#include "platform/ResourceFile.h"
#include "platform/SystemInfo.h"
#include "platform/Text.h"
#include "ui/dialogs/MessageBox.h"
#include "ui/dialogs/PleaseWaitDialog.h"
#include "ui/framework/AppModule.h"
#include "ui/framework/DisplayDpi.h"
#include "ui/framework/MessageLoop.h"
#include "ui/text/RichText.h"
#include "ui/theme/DrawContext.h"
#include "ui/theme/TextSize.h"

namespace {

constexpr DWORD kChildStyle = WS_CHILD | WS_VISIBLE | WS_CLIPSIBLINGS | WS_CLIPCHILDREN;
constexpr int kCopyKey = 'C';
constexpr int kOkKey = VK_RETURN;
constexpr int kOkBoxType = 1;
constexpr int kYesNoBoxType = 3;
constexpr int kTwoUserButtonsBoxType = 6;

bool IsExistingDirectory(const std::string& path)
{
    const DWORD attributes = GetFileAttributesLong(path);
    return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY);
}

}  // namespace

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

SIZE NoxSetupWnd::WindowSize(const NRScale& scale) { return SIZE{scale.Px(kWidth), scale.Px(kHeight)}; }

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
    result = 0;
    switch (message) {
    case WM_CREATE:
        result = OnCreate();
        return true;
    case WM_DESTROY:
        m_mark.Reset();
        PostQuitMessage(0);
        return true;
    case WM_ERASEBKGND: {
        const NRDrawContext context(reinterpret_cast<HDC>(wParam));
        const std::string title = GetWindowText();
        PaintWindowFrame(context, GetClientRect(), CaptionActive(), m_mark.Get(), title);
        result = 1;
        return true;
    }
    case WM_SIZE:
        OnSize(static_cast<short>(LOWORD(lParam)), static_cast<short>(HIWORD(lParam)));
        return true;
    case WM_SETFOCUS:
        // The progress pane is the window's only control: it takes the keyboard.
        ::SetFocus(m_progressPane.Handle());
        return true;
    case WM_NR_CLICKED:
        OnCaptionButtonClicked(wParam, lParam);
        return true;
    case WM_INSTALL_STEP:
        RunInstallStep(lParam);
        return true;
    case WM_NR_DPICHANGED:
        OnDpiChanged(wParam, lParam);
        return true;
    case WM_NR_SCALE_CHANGED:
        // The text size changed: measured and laid out anew where it is.
        ApplyScale(ScreenScale());
        return true;
    case WM_SETTINGCHANGE:
        FollowTextSizeChange(Handle());
        return Base::ProcessWindowMessage(hwnd, message, wParam, lParam, result);
    default:
        return Base::ProcessWindowMessage(hwnd, message, wParam, lParam, result);
    }
}

LRESULT NoxSetupWnd::OnCreate()
{
    // The window texts are what screen readers call the buttons; the bitmaps show no text.
    const std::pair<NRButton*, const char*> captionButtons[] = {{&m_minimizeButton, "Minimize"},
                                                                {&m_maximizeButton, "Maximize"},
                                                                {&m_restoreButton, "Restore"},
                                                                {&m_closeButton, "Close"}};
    for (const auto& [button, name] : captionButtons) {
        if (!button->Create(Handle(), RECT{0, 0, 0, 0}, name, kChildStyle))
            return -1;
    }
    SetWindowText(ComposeTitle().c_str());
    Invalidate(true);
    // Icons from LoadIcon are shared resources: nothing to destroy later.
    if (HICON icon = LoadIconA(g_module.Instance(), MAKEINTRESOURCEA(kIconResource)))
        SendMessage(WM_SETICON, ICON_BIG, reinterpret_cast<LPARAM>(icon));
    {
        NRWindowDC dc(Handle());
        m_mark.Reset(CreateWindowMark(dc.Get(), ScreenScale()));
    }
    if (!m_progressPane.Create(Handle(), RECT{0, 0, 0, 0}, "Progress", kChildStyle))
        return -1;
    PostStep(0);
    return 0;
}

void NoxSetupWnd::OnSize(int width, int height)
{
    // A minimised window (size 0) keeps its layout.
    if (width <= 0 || height <= 0)
        return;
    LayoutCaptionButtons(width);
    const NRScale scale = ScreenScale();
    // Below the caption, which grows with the text.
    const int margin = scale.Px(5), top = scale.Px(30 + std::max(0, TextBaseHeight() - kUsualTextHeight));
    ::SetWindowPos(m_progressPane.Handle(), nullptr, margin, top, width - 2 * margin, height - top - margin,
                   SWP_NOZORDER | SWP_NOACTIVATE);
}

void NoxSetupWnd::OnDpiChanged(WPARAM wParam, LPARAM lParam)
{
    const NRScale scale{static_cast<int>(HIWORD(wParam))};
    const NRScale old = ScreenScale();
    // Nothing to change; and the rectangle of a message another program posts is never read.
    if (scale.dpi == old.dpi)
        return;
    RECT suggested = {};
    ApplyScale(scale, ReadSuggestedWindowRect(Handle(), wParam, lParam, old.dpi, suggested) ? &suggested : nullptr);
}

void NoxSetupWnd::ApplyScale(NRScale scale, const RECT* placement)
{
    const NRScale old = ScreenScale();
    SetScreenScale(scale);
    scale = ScreenScale();
    RECT target = {};
    if (placement) {
        target = *placement;
    } else {
        // The same centre, each side grown or shrunk with the scale.
        const RECT window = GetWindowRect();
        const int width = MulDiv(window.right - window.left, scale.dpi, old.dpi);
        const int height = MulDiv(window.bottom - window.top, scale.dpi, old.dpi);
        const int left = (window.left + window.right - width) / 2, top = (window.top + window.bottom - height) / 2;
        target = RECT{left, top, left + width, top + height};
    }
    {
        NRWindowDC dc(Handle());
        m_mark.Reset(CreateWindowMark(dc.Get(), scale));
    }
    for (NRButton* button : {&m_minimizeButton, &m_maximizeButton, &m_restoreButton, &m_closeButton})
        button->Remeasure();
    m_progressPane.ListBox().Remeasure();
    ::SetWindowPos(Handle(), nullptr, target.left, target.top, target.right - target.left, target.bottom - target.top,
                   SWP_NOZORDER | SWP_NOACTIVATE);
    // Laid out even when the size stayed, as the margins did not.
    const RECT client = GetClientRect();
    OnSize(client.right, client.bottom);
    // Open boxes keep theirs: each follows the DPI of its own screen.
    RedrawWindowAndChildren();
}

void NoxSetupWnd::LayoutCaptionButtons(int width)
{
    const CaptionButtonLayout layout =
        ::LayoutCaptionButtons(width, GetStyle(), ::IsZoomed(Handle()) != FALSE, m_minimizeButton.Size(),
                               m_maximizeButton.Size(), m_closeButton.Size(), ScreenScale());
    const struct
    {
        NRButton& button;
        const CaptionButtonPlace& place;
        SIZE size;
    } placements[] = {
        {m_closeButton, layout.close, m_closeButton.Size()},
        {m_maximizeButton, layout.maximize, m_maximizeButton.Size()},
        {m_restoreButton, layout.restore, m_maximizeButton.Size()},
        {m_minimizeButton, layout.minimize, m_minimizeButton.Size()},
    };
    for (const auto& p : placements) {
        const UINT show = p.place.visible ? SWP_SHOWWINDOW : SWP_HIDEWINDOW;
        ::SetWindowPos(p.button.Handle(), nullptr, p.place.x, p.place.y, p.size.cx, p.size.cy,
                       SWP_NOZORDER | SWP_NOACTIVATE | show);
    }
}

void NoxSetupWnd::OnCaptionButtonClicked(WPARAM id, LPARAM sender)
{
    if (id != 0)
        return;
    auto* button = dynamic_cast<NRButton*>(NRControl::FromNotification(Handle(), sender));
    if (!button || !button->Enabled())
        return;
    if (button == &m_minimizeButton)
        ShowWindow(SW_MINIMIZE);
    else if (button == &m_maximizeButton)
        ShowWindow(SW_MAXIMIZE);
    else if (button == &m_restoreButton)
        ShowWindow(SW_RESTORE);
    else if (button == &m_closeButton)
        PostMessage(WM_CLOSE);
}

void NoxSetupWnd::RunInstallStep(LPARAM step)
{
    if (step < 0 || step > kLastStep || step != m_awaitedStep)
        return;
    m_awaitedStep = -1;
    if (step == 0) {
        AddProgressLine("%s", g_osName.c_str());
        if (!IsTestMode()) {
            if (!AskForConsent()) {
                WriteLogAndClose();
                return;
            }
            if (!RequireExistingInstall()) {
                PostMessage(WM_CLOSE);
                return;
            }
        }
    }
    if (step == kDriverStep && !IsTestMode())
        InstallEthernetDrivers();
    if (step == kLastStep) {
        FinishInstall();
        return;
    }
    PostStep(static_cast<int>(step) + 1);
}

void NoxSetupWnd::InstallEthernetDrivers() { ::InstallEthernetDrivers(*this); }

int NoxSetupWnd::ShowBox(const std::string& text, int type, const std::vector<InstallBoxButton>& buttons)
{
    NRMessageBox box(Handle(), text, type);
    for (std::size_t i = 0; i < buttons.size(); ++i) {
        box.SetButtonText(static_cast<int>(i), buttons[i].text);
        box.AddButtonKey(static_cast<int>(i), buttons[i].key);
    }
    return box.RunModal();
}

void NoxSetupWnd::WaitForProcess(const std::string& message, HANDLE process)
{
    NRPleaseWaitDialog dialog(Handle(), message, process);
    dialog.RunModal();
    // The dialog closes only once the process ended; should it not have shown at all, the wait goes
    // on here, the window still painting.
    WaitHandlingMessages(process);
}

bool NoxSetupWnd::AskForConsent() { return ShowMessageBox(kConsentQuestion, kYesNoBoxType) == kResultYes; }

int NoxSetupWnd::ShowMessageBox(const std::string& text, int type) { return ShowBox(text, type, {}); }

bool NoxSetupWnd::RequireExistingInstall()
{
    try {
        std::string stored;
        if (g_registry.ReadInstallDirectory(stored)) {
            const InstallDirectoryCheck check = CheckInstallDirectory(stored, m_installDirectory);
            if (check == InstallDirectoryCheck::Accepted && IsExistingDirectory(m_installDirectory))
                return true;
            if (check != InstallDirectoryCheck::Accepted)
                AddProgressLine("The installation folder %s %s", EscapeMarkup(stored).c_str(),
                                InstallDirectoryRefusal(check));
        }
        ShowMessageBox(kNoExistingInstall, kOkBoxType);
        return false;
    } catch (const NRError& error) {
        ShowMessageBox(std::string(error.Text()) + kExitSuffix, kOkBoxType);
    } catch (...) {
        ShowMessageBox(kUnknownError, kOkBoxType);
    }
    WriteLogAndClose();
    return true;
}

void NoxSetupWnd::FinishInstall()
{
    if (IsTestMode()) {
        OfferCopyToClipboard();
    } else {
        MigrateGpsSpeedPreference(g_registry);
        ShowMessageBox(kSetupComplete, kOkBoxType);
    }
    WriteLogAndClose();
}

void NoxSetupWnd::OfferCopyToClipboard()
{
    NRMessageBox box(Handle(), kTestComplete, kTwoUserButtonsBoxType);
    box.SetButtonText(0, "COPY");
    box.AddButtonKey(0, kCopyKey);
    box.SetButtonText(1, "OK");
    box.AddButtonKey(1, kOkKey);
    if (box.RunModal() != kResultUser1)
        return;
    std::string text;
    if (GetAllProgressText(text))
        CopyTextToClipboard(Handle(), text);
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
