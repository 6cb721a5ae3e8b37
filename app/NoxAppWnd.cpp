#include "app/NoxAppWnd.h"

#include <algorithm>

#include "app/CopyDataCommand.h"
#include "app/ErrorReport.h"
#include "app/FrameGeometry.h"
#include "platform/Accessibility.h"
#include "platform/CrashReporter.h"
#include "platform/Lookups.h"
#include "platform/Registry.h"
#include "ui/dialogs/MessageBox.h"
#include "ui/theme/HighContrast.h"
#include "ui/theme/Scale.h"
#include "ui/theme/TextSize.h"

NoxAppWndBase::NoxAppWndBase(const char* baseTitle) : m_baseTitle(baseTitle)
{
    NRAppState::Register(this);
    // Drawn at the screen's scale rather than taken from the 96-DPI bitmaps.
    m_minimizeButton.SetGlyph(NRCaptionGlyph::Minimize);
    m_maximizeButton.SetGlyph(NRCaptionGlyph::Maximize);
    m_restoreButton.SetGlyph(NRCaptionGlyph::Restore);
    m_closeButton.SetGlyph(NRCaptionGlyph::Close);
}

NoxAppWndBase::~NoxAppWndBase() { NRAppState::Unregister(this); }

void NoxAppWndBase::AddOpenDialog(HWND dialog)
{
    m_openDialogs.insert(m_openDialogs.begin(), dialog);
    if (m_openDialogs.size() == 1)
        AnnounceAvailability();
}

void NoxAppWndBase::RemoveOpenDialog(HWND dialog)
{
    const bool wasOpen = !m_openDialogs.empty();
    m_openDialogs.erase(std::remove(m_openDialogs.begin(), m_openDialogs.end(), dialog), m_openDialogs.end());
    if (wasOpen && m_openDialogs.empty())
        AnnounceAvailability();
}

void NoxAppWndBase::AnnounceAvailability() const
{
    if (Handle())
        NotifyAccessibilityEvent(EVENT_OBJECT_STATECHANGE, Handle(), OBJID_CLIENT, CHILDID_SELF);
}

void NoxAppWndBase::DeleteLater(std::unique_ptr<NRWindowImplRoot> object)
{
    if (!object)
        return;
    const WPARAM address = reinterpret_cast<WPARAM>(object.get());
    m_pendingDeletions.push_back(std::move(object));
    PostMessage(WM_DELETE_OBJECT, address);
}

void NoxAppWndBase::PostErrorReport(const std::string& area, int number)
{
    if (NRCrashReporter* reporter = NRCrashReporter::Active())
        reporter->ReportRaised();
    m_pendingReports.push_back(std::make_unique<std::string>(area));
    PostMessage(WM_ERROR_REPORT, reinterpret_cast<WPARAM>(m_pendingReports.back()->c_str()), number);
}

bool NoxAppWndBase::ProcessWindowMessage(HWND /*hwnd*/, UINT message, WPARAM wParam, LPARAM lParam, LRESULT& result)
{
    result = 0;
    switch (message) {
    case WM_CLOSE:
        if (m_openDialogs.empty() && CanClose("quit"))
            CloseMainWindow();
        return true;
    case WM_NCHITTEST:
        result =
            FrameHitTest(GetWindowRect(), POINT{static_cast<short>(LOWORD(lParam)), static_cast<short>(HIWORD(lParam))},
                         ScreenScale(), TextBaseHeight());
        return true;
    case WM_NCCALCSIZE:
        return wParam != 0;  // the client area is the whole window
    case WM_NCPAINT:
        return true;  // no system frame
    case WM_NCACTIVATE:
        result = 1;
        return true;
    case WM_GETMINMAXINFO:
        result = OnGetMinMaxInfo(*reinterpret_cast<MINMAXINFO*>(lParam));
        return true;
    case WM_ACTIVATEAPP:
        m_applicationActive = static_cast<int>(wParam);
        OnActivationChanged();
        return true;
    case WM_ACTIVATE:
        OnActivationChanged();
        // Activated under a box (Alt+Tab, the taskbar): the box comes forward at once with its focus,
        // as the system does for a standard modal box by activating the owner's last active pop-up.
        // The window itself takes no focus on the way, so a reader hears the box's button, not the
        // last progress line first.
        if (LOWORD(wParam) != WA_INACTIVE && !m_openDialogs.empty() && ::IsWindowVisible(m_openDialogs.front())) {
            ::SetForegroundWindow(m_openDialogs.front());
            return true;
        }
        // The default processing gives the window the keyboard focus when it is activated.
        result = DefWindowProc(message, wParam, lParam);
        return true;
    case WM_MOUSEACTIVATE:
        result = OnMouseActivate(wParam, lParam);
        return true;
    case WM_NR_SET_OVERRIDE:
        m_overrideFlag = static_cast<int>(lParam);
        return true;
    case WM_SYSCOLORCHANGE:
    case WM_SETTINGCHANGE:
        // Open boxes are top-level windows of their own and get the broadcast themselves.
        if (TakeColourChange(message, wParam))
            FollowColourChange(Handle(), message, wParam);
        return false;
    case WM_COPYDATA:
        result = OnCopyData(reinterpret_cast<const COPYDATASTRUCT*>(lParam));
        return true;
    case WM_SERVER_LOST:
        OnServerLostMessage();
        return true;
    case WM_CLOSE_REQUEST:
        PostMessage(WM_CLOSE);
        return true;
    case WM_ERROR_REPORT:
        result = OnErrorReport(wParam, lParam);
        return true;
    case WM_USER + 43:
    case WM_USER + 44:
        return true;
    case WM_DELETE_OBJECT:
        OnDeleteObject(wParam);
        return true;
    default:
        return false;
    }
}

LRESULT NoxAppWndBase::OnMouseActivate(WPARAM wParam, LPARAM lParam)
{
    if (m_openDialogs.empty())
        return DefWindowProc(WM_MOUSEACTIVATE, wParam, lParam);
    ::SetForegroundWindow(m_openDialogs.front());
    return MA_NOACTIVATE;
}

LRESULT NoxAppWndBase::OnGetMinMaxInfo(MINMAXINFO& info)
{
    MONITORINFO monitor = {};
    monitor.cbSize = sizeof(monitor);
    if (::GetMonitorInfoA(::MonitorFromWindow(Handle(), MONITOR_DEFAULTTONEAREST), &monitor))
        FillMaximizedMinMaxInfo(monitor.rcMonitor, monitor.rcWork, info, ScreenScale());
    return 0;
}

LRESULT NoxAppWndBase::OnCopyData(const COPYDATASTRUCT* record)
{
    CopyDataCommand command = {};
    if (!record || !ParseCopyDataCommand(*record, command))
        return 0;
    switch (command.code) {
    case 0:
        OnCopyDataCommand0(command.payload, command.payloadSize);
        return 1;
    case 1:
        OnCopyDataCommand1(command.payload, command.payloadSize);
        return 1;
    case 2:
        OnCopyDataCommand2();
        return 1;
    case 3:
        OnCopyDataCommand3();
        return 1;
    case 4:
        OnCopyDataCommand4();
        return 1;
    case 5:
        OnCopyDataCommand5();
        return 1;
    default:
        return 0;
    }
}

void NoxAppWndBase::OnCopyDataCommand2()
{
    LoadGuiSettings();
    OnSettingsReloaded();
    RedrawWindowAndChildren();
}

void NoxAppWndBase::OnCopyDataCommand3()
{
    LoadGuiSettings();
    RedrawWindowAndChildren();
}

void NoxAppWndBase::OnCopyDataCommand4() { LoadGuiSettings(); }

void NoxAppWndBase::OnCopyDataCommand5() { LoadGuiSettings(); }

void NoxAppWndBase::OnActivationChanged() { RedrawMainWindowSoon(); }

void NoxAppWndBase::RedrawWindowAndChildren()
{
    ::RedrawWindow(Handle(), nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_ALLCHILDREN);
}

void NoxAppWndBase::OnServerLostMessage()
{
    // Asked once: the message may come again while the question is up, or after it.
    if (m_serverLostShown)
        return;
    m_serverLostShown = 1;
    OnServerLost();
    NRMessageBox box(Handle(), kServerLostQuestion, 3);
    const int answer = box.RunModal();
    PostMessage(WM_CLOSE_REQUEST);
    if (answer == kResultYes)
        StartNewInstance();
}

void NoxAppWndBase::StartNewInstance()
{
    // The whole path, however long, quoted so that a path with blanks does not reach the new
    // instance as command-line text (which would start it in test mode).
    const std::wstring path = OwnProgramPath();
    if (path.empty())
        return;
    std::wstring commandLine = L"\"" + path + L"\"";
    STARTUPINFOW startup = {};
    startup.cb = sizeof(startup);
    PROCESS_INFORMATION process = {};
    if (::CreateProcessW(path.c_str(), &commandLine[0], nullptr, nullptr, FALSE, kRestartCreationFlags, nullptr,
                         nullptr, &startup, &process)) {
        ::CloseHandle(process.hThread);
        ::CloseHandle(process.hProcess);
    }
}

LRESULT NoxAppWndBase::ShowErrorReport(const char* area, LPARAM number)
{
    return ShowErrorReportBox(Handle(), area, static_cast<long>(number));
}

LRESULT NoxAppWndBase::OnErrorReport(WPARAM area, LPARAM number)
{
    const auto pending = std::find_if(m_pendingReports.begin(), m_pendingReports.end(), [area](const auto& text) {
        return reinterpret_cast<WPARAM>(text->c_str()) == area;
    });
    if (pending == m_pendingReports.end())
        return 0;
    const std::unique_ptr<std::string> text = std::move(*pending);
    m_pendingReports.erase(pending);
    return ShowErrorReport(text->c_str(), number);
}

void NoxAppWndBase::OnDeleteObject(WPARAM object)
{
    const auto pending = std::find_if(m_pendingDeletions.begin(), m_pendingDeletions.end(), [object](const auto& held) {
        return reinterpret_cast<WPARAM>(held.get()) == object;
    });
    if (pending == m_pendingDeletions.end())
        return;
    std::unique_ptr<NRWindowImplRoot> doomed = std::move(*pending);
    m_pendingDeletions.erase(pending);
    if (doomed->IsWindow())
        doomed->DestroyWindow();
}

void NoxAppWndBase::CloseMainWindow()
{
    WINDOWPLACEMENT placement = {};
    placement.length = sizeof(placement);
    if (::GetWindowPlacement(Handle(), &placement)) {
        // A minimised or hidden window is stored as shown normally, at the normal position the
        // placement already holds: restoring it first would only flash it on screen.
        if (placement.showCmd == SW_SHOWMINIMIZED || placement.showCmd == SW_HIDE || placement.showCmd == SW_MINIMIZE)
            placement.showCmd = SW_SHOWNORMAL;
        g_registry.WriteWindowPlacement(placement);
    }
    DestroyWindow();
}
