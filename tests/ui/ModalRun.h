#pragma once
// What the dialog tests share: an application state without a main window, and an answerer that
// acts on a box from another thread while the test thread runs it modally.
#include <windows.h>

#include <algorithm>
#include <functional>
#include <thread>
#include <vector>

#include "TestSupport.h"
#include "ui/framework/AppState.h"

namespace testing_support {

// The application state of a test: no main window, a dialog list.
class TestAppState : public NRAppState
{
public:
    TestAppState() { Register(this); }
    ~TestAppState() { Unregister(this); }
    HWND MainWindow() const override { return mainWindow; }
    bool ApplicationActive() const override { return true; }
    void SetApplicationActive(bool) override {}
    const std::vector<HWND>& OpenDialogs() const override { return dialogs; }
    void AddOpenDialog(HWND dialog) override { dialogs.insert(dialogs.begin(), dialog); }
    void RemoveOpenDialog(HWND dialog) override { dialogs.erase(std::find(dialogs.begin(), dialogs.end(), dialog)); }
    HWND mainWindow = nullptr;
    std::vector<HWND> dialogs;
};

// Runs `answer` on another thread once a box of this process shows, while the test thread runs it.
// A box the answer did not end is closed after a while, so that a test fails instead of hanging.
class Answerer
{
public:
    explicit Answerer(std::function<void(HWND)> answer)
        : m_thread([answer] {
              HWND box = WaitForToolkitDialog(GetCurrentProcessId(), 10000);
              if (!box)
                  return;
              answer(box);
              for (int waited = 0; IsWindow(box) && waited < 3000; waited += 20)
                  Sleep(20);
              if (IsWindow(box))
                  PostMessageA(box, WM_CLOSE, 0, 0);
          })
    {
    }
    ~Answerer() { m_thread.join(); }

private:
    std::thread m_thread;
};

}  // namespace testing_support
