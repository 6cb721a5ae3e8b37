#include "ui/framework/MessageLoop.h"

#include <algorithm>

namespace {

constexpr UINT kCaretBlinkTimerMessage = 0x118;  // WM_SYSTIMER

template <typename T>
bool RemoveFrom(std::vector<T*>& list, T* item)
{
    auto found = std::find(list.begin(), list.end(), item);
    if (found == list.end())
        return false;
    list.erase(found);
    return true;
}

}  // namespace

void NRMessageLoop::AddMessageFilter(NRMessageFilter* filter) { m_filters.push_back(filter); }

bool NRMessageLoop::RemoveMessageFilter(NRMessageFilter* filter) { return RemoveFrom(m_filters, filter); }

void NRMessageLoop::AddIdleHandler(NRIdleHandler* handler) { m_idleHandlers.push_back(handler); }

bool NRMessageLoop::RemoveIdleHandler(NRIdleHandler* handler) { return RemoveFrom(m_idleHandlers, handler); }

bool NRMessageLoop::IsIdleMessage(const MSG& msg)
{
    switch (msg.message) {
    case WM_MOUSEMOVE:
    case WM_NCMOUSEMOVE:
    case WM_PAINT:
    case kCaretBlinkTimerMessage:
        return false;
    default:
        return true;
    }
}

bool NRMessageLoop::PreTranslateMessage(MSG& msg)
{
    for (auto it = m_filters.rbegin(); it != m_filters.rend(); ++it) {
        if ((*it)->PreTranslateMessage(msg))
            return true;
    }
    return false;
}

bool NRMessageLoop::OnIdle(int /*idleCount*/)
{
    // Copy: a handler may remove itself while it runs.
    const std::vector<NRIdleHandler*> handlers = m_idleHandlers;
    for (NRIdleHandler* handler : handlers)
        handler->OnIdle();
    return false;
}

int NRMessageLoop::Run()
{
    bool idleArmed = true;
    int idleCount = 0;
    for (;;) {
        while (idleArmed && !PeekMessageA(&m_msg, nullptr, 0, 0, PM_NOREMOVE)) {
            if (!OnIdle(idleCount++))
                idleArmed = false;
        }

        const BOOL got = GetMessageA(&m_msg, nullptr, 0, 0);
        if (got == -1)
            continue;  // an invalid window handle or similar; nothing was retrieved
        if (!got)
            break;

        if (!PreTranslateMessage(m_msg)) {
            TranslateMessage(&m_msg);
            DispatchMessageA(&m_msg);
        }

        if (IsIdleMessage(m_msg)) {
            idleArmed = true;
            idleCount = 0;
        }
    }
    return static_cast<int>(m_msg.wParam);
}

void WaitHandlingMessages(HANDLE handle)
{
    bool quit = false;
    WPARAM quitCode = 0;
    while (MsgWaitForMultipleObjects(1, &handle, FALSE, INFINITE, QS_ALLINPUT) == WAIT_OBJECT_0 + 1) {
        MSG msg;
        while (PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) {
            if (msg.message == WM_QUIT) {
                quit = true;
                quitCode = msg.wParam;
                continue;
            }
            TranslateMessage(&msg);
            DispatchMessageA(&msg);
        }
    }
    if (quit)
        PostQuitMessage(static_cast<int>(quitCode));
}
