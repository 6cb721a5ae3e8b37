#include "ui/framework/WindowImpl.h"

#include <cstdio>
#include <exception>

#include "platform/Accessibility.h"
#include "platform/CrashReporter.h"
#include "ui/framework/Accessible.h"
#include "ui/framework/AppModule.h"

NRWindowImplRoot::~NRWindowImplRoot()
{
    DisconnectAccessible();
    // A window must not outlive its object: its procedure would reach freed memory.
    if (m_hWnd && ::IsWindow(m_hWnd)) {
        ::SetWindowLongPtrA(m_hWnd, GWLP_USERDATA, 0);
        ::DestroyWindow(m_hWnd);
    }
}

bool NRWindowImplRoot::RegisterClass(NRWndClassInfo& classInfo)
{
    if (classInfo.atom)
        return true;
    WNDCLASSEXA wc = {};
    wc.cbSize = sizeof(wc);
    wc.style = classInfo.style;
    wc.lpfnWndProc = StartWindowProc;
    wc.hInstance = g_module.Instance();
    wc.hCursor = classInfo.cursor ? ::LoadCursorA(nullptr, classInfo.cursor) : nullptr;
    wc.hbrBackground = classInfo.background;
    char generatedName[32];
    if (!classInfo.name)
        std::snprintf(generatedName, sizeof(generatedName), "NR:%p", static_cast<void*>(&classInfo));
    wc.lpszClassName = classInfo.name ? classInfo.name : generatedName;
    classInfo.atom = ::RegisterClassExA(&wc);
    return classInfo.atom != 0;
}

HWND NRWindowImplRoot::CreateImpl(NRWndClassInfo& classInfo, HWND parent, const RECT& rect, const char* title,
                                  DWORD style, DWORD exStyle, HMENU menuOrId)
{
    if (m_hWnd || !RegisterClass(classInfo) || !g_module.AddCreatingWindow(this))
        return nullptr;
    HWND hwnd = ::CreateWindowExA(exStyle, MAKEINTATOM(classInfo.atom), title ? title : "", style, rect.left, rect.top,
                                  rect.right - rect.left, rect.bottom - rect.top, parent, menuOrId, g_module.Instance(),
                                  nullptr);
    if (!m_hWnd)
        g_module.TakeCreatingWindow();  // no message reached the window, so nobody took the object
    if (!hwnd)
        m_hWnd = nullptr;
    return hwnd;
}

NRWindowImplRoot* NRWindowImplRoot::FromHandle(HWND hwnd)
{
    DWORD process = 0;
    if (!hwnd || !::GetWindowThreadProcessId(hwnd, &process) || process != ::GetCurrentProcessId())
        return nullptr;
    if (::GetWindowLongPtrA(hwnd, GWLP_WNDPROC) != reinterpret_cast<LONG_PTR>(&WindowProc))
        return nullptr;
    return reinterpret_cast<NRWindowImplRoot*>(::GetWindowLongPtrA(hwnd, GWLP_USERDATA));
}

NRAccessible* NRWindowImplRoot::AccessibleObject()
{
    if (!m_accessible && m_hWnd && !m_accessibleClosed) {
        if (NRAccessibleSource* source = AccessibleSource())
            m_accessible = new NRAccessible(m_hWnd, source);
    }
    return m_accessible;
}

void NRWindowImplRoot::DisconnectAccessible()
{
    if (!m_accessible)
        return;
    // A reader may hold the object for longer: it stays, but no longer reaches this window.
    m_accessible->Disconnect();
    m_accessible->Release();
    m_accessible = nullptr;
}

bool NRWindowImplRoot::AnswerGetObject(WPARAM wParam, LPARAM lParam, LRESULT& result)
{
    // lParam is an object id, never an address.
    if (static_cast<DWORD>(lParam) != static_cast<DWORD>(OBJID_CLIENT))
        return false;
    NRAccessible* object = AccessibleObject();
    if (!object)
        return false;
    result = AccessibleObjectResult(kIidAccessible, wParam, static_cast<IAccessible*>(object));
    return result != 0;
}

LRESULT NRWindowImplRoot::DefWindowProc(UINT message, WPARAM wParam, LPARAM lParam)
{
    return ::DefWindowProcA(m_hWnd, message, wParam, lParam);
}

LRESULT CALLBACK NRWindowImplRoot::StartWindowProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam)
{
    auto* self = static_cast<NRWindowImplRoot*>(g_module.TakeCreatingWindow());
    if (!self)
        return ::DefWindowProcA(hwnd, message, wParam, lParam);
    self->m_hWnd = hwnd;
    self->m_accessibleClosed = false;
    ::SetWindowLongPtrA(hwnd, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(self));
    ::SetWindowLongPtrA(hwnd, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(&WindowProc));
    return WindowProc(hwnd, message, wParam, lParam);
}

LRESULT CALLBACK NRWindowImplRoot::WindowProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam)
{
    auto* self = reinterpret_cast<NRWindowImplRoot*>(::GetWindowLongPtrA(hwnd, GWLP_USERDATA));
    if (!self)
        return ::DefWindowProcA(hwnd, message, wParam, lParam);

    MSG current = {hwnd, message, wParam, lParam, 0, {0, 0}};
    const MSG* outer = self->m_currentMessage;
    self->m_currentMessage = &current;
    LRESULT result = 0;
    // No C++ exception may unwind through the system's frames around a window procedure: one that
    // gets here is reported as the crash it is.
    try {
        const bool answered = message == WM_GETOBJECT && self->AnswerGetObject(wParam, lParam, result);
        if (!answered && !self->ProcessWindowMessage(hwnd, message, wParam, lParam, result))
            result = ::DefWindowProcA(hwnd, message, wParam, lParam);
        // Children go after WM_DESTROY; the object must not describe a window on its way out.
        if (message == WM_DESTROY) {
            self->DisconnectAccessible();
            self->m_accessibleClosed = true;
        }
    } catch (const std::exception& error) {
        NRCrashReporter::ReportCppException(error.what());
    } catch (...) {
        NRCrashReporter::ReportCppException("an exception that is no std::exception");
    }
    self->m_currentMessage = outer;

    if (message == WM_NCDESTROY) {
        ::SetWindowLongPtrA(hwnd, GWLP_USERDATA, 0);
        self->m_hWnd = nullptr;
        self->m_finalMessagePending = true;
    }
    // A handler that destroyed the window is still running further out: the object may delete
    // itself in OnFinalMessage, so that waits until the outermost frame, the last to touch it.
    if (self->m_finalMessagePending && !outer) {
        self->m_finalMessagePending = false;
        self->OnFinalMessage(hwnd);
    }
    return result;
}
