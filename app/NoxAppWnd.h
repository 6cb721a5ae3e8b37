#pragma once
// The application main-window base: makes a borderless pop-up behave as the application's top-level
// window and keeps the application-wide window state the toolkit consults (application active, open
// modal dialogs, override flag). The derived window puts its own message map in front of this one.
#include <windows.h>

#include <algorithm>
#include <string>
#include <vector>

#include "platform/Registry.h"
#include "ui/framework/AppState.h"
#include "ui/framework/WindowImpl.h"

// It is the application state the toolkit consults for as long as it exists.
template <class T, class Traits>
class NoxAppWnd : public NRWindowImpl<T, Traits>, public NRAppState
{
public:
    explicit NoxAppWnd(const char* baseTitle) : m_baseTitle(baseTitle) { NRAppState::Register(this); }
    ~NoxAppWnd() { NRAppState::Unregister(this); }

    const std::string& BaseTitle() const { return m_baseTitle; }
    int OverrideFlag() const { return m_overrideFlag; }

    HWND MainWindow() const override { return this->Handle(); }
    bool ApplicationActive() const override { return m_applicationActive != 0; }
    void SetApplicationActive(bool active) override { m_applicationActive = active ? 1 : 0; }
    const std::vector<HWND>& OpenDialogs() const override { return m_openDialogs; }
    // Modal dialogs register themselves while they are up; the window refuses to close meanwhile.
    void AddOpenDialog(HWND dialog) override { m_openDialogs.insert(m_openDialogs.begin(), dialog); }
    void RemoveOpenDialog(HWND dialog) override
    {
        m_openDialogs.erase(std::remove(m_openDialogs.begin(), m_openDialogs.end(), dialog), m_openDialogs.end());
    }
    size_t OpenDialogCount() const { return m_openDialogs.size(); }

    bool ProcessWindowMessage(HWND /*hwnd*/, UINT message, WPARAM wParam, LPARAM lParam, LRESULT& result) override
    {
        switch (message) {
        case WM_ACTIVATEAPP:
            m_applicationActive = static_cast<int>(wParam);
            result = 0;
            return true;
        case WM_NR_SET_OVERRIDE:
            m_overrideFlag = static_cast<int>(lParam);
            result = 0;
            return true;
        case WM_CLOSE:
            if (m_openDialogs.empty() && CanClose("quit"))
                CloseMainWindow();
            result = 0;
            return true;
        case WM_NCCALCSIZE:
            if (!wParam)
                return false;
            result = 0;  // the client area is the whole window
            return true;
        case WM_NCPAINT:
            result = 0;  // no system frame
            return true;
        case WM_NCACTIVATE:
            result = 1;
            return true;
        default:
            return false;
        }
    }

protected:
    virtual bool CanClose(const char* /*reason*/) { return true; }
    virtual std::string GetTitleSuffix() { return std::string(); }
    // Remembers where the window was, restored first if it is minimised or hidden, then destroys it.
    virtual void CloseMainWindow()
    {
        WINDOWPLACEMENT placement = {};
        placement.length = sizeof(placement);
        if (GetWindowPlacement(this->Handle(), &placement) &&
            (placement.showCmd == SW_SHOWMINIMIZED || placement.showCmd == SW_HIDE ||
             placement.showCmd == SW_MINIMIZE)) {
            this->ShowWindow(SW_SHOWNORMAL);
            GetWindowPlacement(this->Handle(), &placement);
        }
        g_registry.WriteWindowPlacement(placement);
        this->DestroyWindow();
    }

private:
    std::string m_baseTitle;
    int m_applicationActive = 1;
    int m_overrideFlag = 0;
    std::vector<HWND> m_openDialogs;  // most recent first
};
