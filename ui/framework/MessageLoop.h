#pragma once
// The message loop of a GUI thread, with message filters (offered each message before it is
// translated and dispatched) and idle handlers (run once each time the queue runs dry).
#include <windows.h>

#include <vector>

class NRMessageFilter
{
public:
    // True when the filter consumed the message.
    virtual bool PreTranslateMessage(MSG& msg) = 0;

protected:
    ~NRMessageFilter() = default;
};

class NRIdleHandler
{
public:
    virtual bool OnIdle() = 0;

protected:
    ~NRIdleHandler() = default;
};

class NRMessageLoop
{
public:
    void AddMessageFilter(NRMessageFilter* filter);
    bool RemoveMessageFilter(NRMessageFilter* filter);
    void AddIdleHandler(NRIdleHandler* handler);
    bool RemoveIdleHandler(NRIdleHandler* handler);

    // Runs until WM_QUIT and returns its exit code.
    int Run();

    // Messages that arrive continuously without being user activity: they do not re-arm idle processing.
    static bool IsIdleMessage(const MSG& msg);

    const MSG& CurrentMessage() const { return m_msg; }

protected:
    // Offers the message to the filters, the most recently added first.
    virtual bool PreTranslateMessage(MSG& msg);
    // Runs every idle handler once, in the order they were added; reports false so idle processing
    // stays off until the next message that re-arms it.
    virtual bool OnIdle(int idleCount);

private:
    std::vector<NRMessageFilter*> m_filters;
    std::vector<NRIdleHandler*> m_idleHandlers;
    MSG m_msg = {};
};

// Waits until `handle` is signalled (or cannot be waited on) while this thread's messages are
// dispatched, so its windows keep painting. A WM_QUIT that arrives meanwhile is posted again after.
void WaitHandlingMessages(HANDLE handle);
