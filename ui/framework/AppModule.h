#pragma once
// The application module: instance handle, the message loop of each GUI thread, and the bookkeeping
// that hands a window object to its window procedure while CreateWindowEx runs.
#include <windows.h>

#include <map>
#include <vector>

class NRMessageLoop;

class NRAppModule
{
public:
    NRAppModule() = default;
    NRAppModule(const NRAppModule&) = delete;
    NRAppModule& operator=(const NRAppModule&) = delete;
    ~NRAppModule();

    bool Init(HINSTANCE instance);
    void Term();

    HINSTANCE Instance() const { return m_instance; }
    DWORD MainThreadId() const { return m_mainThreadId; }

    // Every call below answers false or null, touching nothing, before Init and after Term.

    // Registers the loop of the calling thread; false when that thread already has one.
    bool AddMessageLoop(NRMessageLoop* loop);
    bool RemoveMessageLoop();
    NRMessageLoop* GetMessageLoop(DWORD threadId = GetCurrentThreadId()) const;

    // The window object whose window the calling thread is about to create. The first message of the
    // new window takes it back out (TakeCreatingWindow) and binds the two.
    bool AddCreatingWindow(void* windowObject);
    void* TakeCreatingWindow();

private:
    class Lock;

    HINSTANCE m_instance = nullptr;
    DWORD m_mainThreadId = 0;
    bool m_initialized = false;
    mutable CRITICAL_SECTION m_lock;
    std::map<DWORD, NRMessageLoop*> m_loops;
    std::vector<std::pair<DWORD, void*>> m_creating;
};

extern NRAppModule g_module;
