#pragma once
// A service control manager handle owned by one scope, so every way out of a stand-in closes it.
#include <windows.h>

class ScopedServiceHandle
{
public:
    explicit ScopedServiceHandle(SC_HANDLE handle) : m_handle(handle) {}
    ~ScopedServiceHandle()
    {
        if (m_handle)
            CloseServiceHandle(m_handle);
    }
    ScopedServiceHandle(const ScopedServiceHandle&) = delete;
    ScopedServiceHandle& operator=(const ScopedServiceHandle&) = delete;

    SC_HANDLE Get() const { return m_handle; }
    explicit operator bool() const { return m_handle != nullptr; }

private:
    SC_HANDLE m_handle;
};
