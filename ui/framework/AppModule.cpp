#include "ui/framework/AppModule.h"

#include <new>

NRAppModule g_module;

class NRAppModule::Lock
{
public:
    explicit Lock(const NRAppModule& module) : m_section(module.m_lock) { EnterCriticalSection(&m_section); }
    ~Lock() { LeaveCriticalSection(&m_section); }
    Lock(const Lock&) = delete;
    Lock& operator=(const Lock&) = delete;

private:
    CRITICAL_SECTION& m_section;
};

NRAppModule::~NRAppModule() { Term(); }

bool NRAppModule::Init(HINSTANCE instance)
{
    if (m_initialized)
        return false;
    InitializeCriticalSection(&m_lock);
    m_instance = instance;
    m_mainThreadId = GetCurrentThreadId();
    m_initialized = true;
    return true;
}

void NRAppModule::Term()
{
    if (!m_initialized)
        return;
    m_loops.clear();
    m_creating.clear();
    DeleteCriticalSection(&m_lock);
    m_initialized = false;
}

bool NRAppModule::AddMessageLoop(NRMessageLoop* loop)
{
    if (!m_initialized)
        return false;
    Lock lock(*this);
    try {
        return m_loops.emplace(GetCurrentThreadId(), loop).second;
    } catch (const std::bad_alloc&) {
        return false;
    }
}

bool NRAppModule::RemoveMessageLoop()
{
    if (!m_initialized)
        return false;
    Lock lock(*this);
    return m_loops.erase(GetCurrentThreadId()) != 0;
}

NRMessageLoop* NRAppModule::GetMessageLoop(DWORD threadId) const
{
    if (!m_initialized)
        return nullptr;
    Lock lock(*this);
    auto found = m_loops.find(threadId);
    return found == m_loops.end() ? nullptr : found->second;
}

bool NRAppModule::AddCreatingWindow(void* windowObject)
{
    if (!m_initialized)
        return false;
    Lock lock(*this);
    try {
        m_creating.emplace_back(GetCurrentThreadId(), windowObject);
        return true;
    } catch (const std::bad_alloc&) {
        return false;
    }
}

void* NRAppModule::TakeCreatingWindow()
{
    if (!m_initialized)
        return nullptr;
    Lock lock(*this);
    const DWORD thread = GetCurrentThreadId();
    // Most recent first: a window may create another one from inside its own creation.
    for (auto it = m_creating.rbegin(); it != m_creating.rend(); ++it) {
        if (it->first == thread) {
            void* object = it->second;
            m_creating.erase(std::next(it).base());
            return object;
        }
    }
    return nullptr;
}
