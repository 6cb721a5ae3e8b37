#include "ui/framework/AppState.h"

#include <algorithm>

#include "ui/theme/TextSize.h"

namespace {

NRAppState* g_appState = nullptr;

bool AnswersKind(int kind) { return kind >= 1 && kind <= 3; }

}  // namespace

NRAppState* NRAppState::Current() { return g_appState; }

void NRAppState::Register(NRAppState* state) { g_appState = state; }

void NRAppState::Unregister(const NRAppState* state)
{
    if (g_appState == state)
        g_appState = nullptr;
}

namespace {

void CALLBACK RedrawMainWindowNow(HWND window, UINT, UINT_PTR id, DWORD)
{
    KillTimer(window, id);
    RedrawWindow(window, nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_ALLCHILDREN);
}

}  // namespace

void RedrawMainWindowSoon()
{
    const NRAppState* state = NRAppState::Current();
    if (state && state->MainWindow())
        SetTimer(state->MainWindow(), kMainWindowRedrawTimerId, 100, RedrawMainWindowNow);
}

NRWindowKind FindWindowKind(HWND window)
{
    const NRAppState* state = NRAppState::Current();
    const HWND mainWindow = state ? state->MainWindow() : nullptr;
    int kind = 0;
    while (window && window != mainWindow && !AnswersKind(kind)) {
        window = GetParent(window);
        if (window)
            kind = static_cast<int>(SendMessageA(window, WM_NR_WINDOW_KIND, 0, 0));
    }
    return NRWindowKind{AnswersKind(kind) ? kind : 0, window};
}

bool IsWindowActive(HWND window, int kind)
{
    const NRAppState* state = NRAppState::Current();
    const bool applicationActive = !state || state->ApplicationActive();
    static const std::vector<HWND> kNoDialogs;
    const std::vector<HWND>& dialogs = state ? state->OpenDialogs() : kNoDialogs;
    if (kind == 1 || kind == 2) {
        if (state && window == state->MainWindow())
            return applicationActive;
        const bool overridden = SendMessageA(window, WM_NR_GET_OVERRIDE, 0, 0) != 0;
        return applicationActive && ((!dialogs.empty() && dialogs.front() == window) || overridden);
    }
    return applicationActive && dialogs.empty();
}

void FollowTextSizeChange(HWND heard)
{
    if (!RefreshTextSize())
        return;
    // A copy: a dialog may close while it lays itself out.
    std::vector<HWND> windows = {heard};
    if (const NRAppState* state = NRAppState::Current()) {
        windows.insert(windows.end(), state->OpenDialogs().begin(), state->OpenDialogs().end());
        windows.push_back(state->MainWindow());
    }
    std::sort(windows.begin(), windows.end());
    windows.erase(std::unique(windows.begin(), windows.end()), windows.end());
    for (const HWND window : windows)
        if (window && IsWindow(window))
            SendMessageA(window, WM_NR_SCALE_CHANGED, 0, 0);
}
