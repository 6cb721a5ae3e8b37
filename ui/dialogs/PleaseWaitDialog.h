#pragma once
// NRPleaseWaitDialog: a message and a moving bar while another process (or thread) works. It closes
// itself, with result 1, once the handle it watches is signalled, and nothing else closes it. With
// no handle to watch, or one that cannot be waited on, there is nothing to wait for: it closes at
// once with result 0, rather than leave the user before a bar that never ends.
#include <windows.h>

#include <string>

#include "ui/controls/Button.h"
#include "ui/dialogs/Dialog.h"

class NRPleaseWaitDialog : public TNRDialog<NRPleaseWaitDialog>
{
public:
    static constexpr UINT_PTR kTimerId = 5;
    static constexpr UINT kTimerMs = 10;
    static constexpr int kEscape = 27;

    NRPleaseWaitDialog(HWND owner, const std::string& message, HANDLE waitFor);

    // A second line under the message, in the second-line colour.
    void SetSecondLine(const std::string& line);
    // Offers a Cancel button; pressing it marks the wait cancelled, and the dialog still waits.
    void ShowCancelButton(bool show) { m_showCancel = show; }
    bool Cancelled() const { return m_cancelled; }
    // A thread to resume once the dialog shows (suspended by the caller).
    void SetThreadToResume(HANDLE thread) { m_thread = thread; }

    int BarPosition() const { return m_barPosition; }

    // A reader sees a progress bar named by the message, without a value: the bar moves to show that
    // work goes on, not how much is done. It is busy while it waits, and says so when it starts and
    // when it ends.
    long AccessibleRole() const override { return ROLE_SYSTEM_PROGRESSBAR; }
    std::string AccessibleName() const override;
    long AccessibleState() const override { return STATE_SYSTEM_READONLY | (m_busy ? STATE_SYSTEM_BUSY : 0); }

    bool ProcessWindowMessage(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam, LRESULT& result) override;

protected:
    // Escape (and so Alt+F4 and the system's Close) presses Cancel when it is offered.
    int ButtonForKey(int key) const override { return key == kEscape && m_showCancel ? 0 : -1; }
    // Nothing but the handle's signal ends the wait: not Alt+F4, the system's Close, a WM_CLOSE from
    // another program or a lost mouse capture.
    bool EndsOnlyByItself() const override { return true; }

private:
    void OnCreate();
    // Measures the dialog's parts again at the screen's new scale and lays it out anew.
    void ScaleChanged();
    // Sizes the dialog for its lines at the screen's scale and centres it.
    void LayOut();
    void OnTimer();
    // Busy or no longer, told to readers.
    void SetBusy(bool busy);
    RECT BarRect() const;
    void Paint(HDC dc);

    std::string m_message;
    HANDLE m_thread = nullptr;
    HANDLE m_waitFor;
    int m_barPosition = 0;
    int m_barStep = 10;
    std::string m_secondLine;
    bool m_showSecondLine = false;
    NRButton m_cancel;
    bool m_showCancel = false;
    bool m_cancelled = false;
    bool m_busy = false;
};
