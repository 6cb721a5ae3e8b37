#pragma once
// A kernel object handle owned by one scope: closed when the owner goes, on every path.
#include <windows.h>

class NRHandle
{
public:
    NRHandle() = default;
    explicit NRHandle(HANDLE handle) : m_handle(handle == INVALID_HANDLE_VALUE ? nullptr : handle) {}
    ~NRHandle() { Reset(); }
    NRHandle(const NRHandle&) = delete;
    NRHandle& operator=(const NRHandle&) = delete;
    NRHandle(NRHandle&& other) noexcept : m_handle(other.Release()) {}
    NRHandle& operator=(NRHandle&& other) noexcept
    {
        if (this != &other)
            Reset(other.Release());
        return *this;
    }

    HANDLE Get() const { return m_handle; }
    explicit operator bool() const { return m_handle != nullptr; }
    // Where a Windows call that hands out a handle puts it; the handle held so far is closed first.
    HANDLE* Out()
    {
        Reset();
        return &m_handle;
    }
    HANDLE Release()
    {
        HANDLE handle = m_handle;
        m_handle = nullptr;
        return handle;
    }
    void Reset(HANDLE handle = nullptr)
    {
        if (m_handle && m_handle != INVALID_HANDLE_VALUE)
            ::CloseHandle(m_handle);
        m_handle = handle == INVALID_HANDLE_VALUE ? nullptr : handle;
    }

private:
    HANDLE m_handle = nullptr;
};
