#pragma once
// Window implementation in the ATL manner: a C++ object bound to its window, a message map per class
// (ProcessWindowMessage, which handles its messages and passes the rest to its base class's map),
// window class registration on first use, and window traits that supply default styles.
#include <windows.h>

#include "ui/framework/Window.h"

class NRAccessible;
class NRAccessibleSource;

// Window class properties; registered once, the first time a window of the class is created.
struct NRWndClassInfo
{
    const char* name;  // null: a name is made up from the record's address
    UINT style;
    HBRUSH background;
    LPCSTR cursor;  // a system cursor id such as IDC_ARROW, or null for none
    ATOM atom;
};

template <DWORD Style, DWORD ExStyle = 0>
struct NRWinTraits
{
    static DWORD GetWndStyle(DWORD style) { return style ? style : Style; }
    static DWORD GetWndExStyle(DWORD exStyle) { return exStyle ? exStyle : ExStyle; }
};

using NRControlWinTraits = NRWinTraits<WS_CHILD | WS_VISIBLE | WS_CLIPCHILDREN | WS_CLIPSIBLINGS>;

class NRWindowImplRoot : public NRWindow
{
public:
    NRWindowImplRoot() = default;
    NRWindowImplRoot(const NRWindowImplRoot&) = delete;
    NRWindowImplRoot& operator=(const NRWindowImplRoot&) = delete;
    virtual ~NRWindowImplRoot();

    // The message map. Returns true when the message was handled, with its result in `result`;
    // a derived map handles its own messages and then calls its base class's map.
    virtual bool ProcessWindowMessage(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam, LRESULT& result) = 0;

    // Called once the window has received its last message (WM_NCDESTROY) and every message of the
    // window still being handled has returned, so the object may delete itself here. The handle is
    // already detached from the object.
    virtual void OnFinalMessage(HWND /*hwnd*/) {}

    // The message being processed, while a handler runs.
    const MSG* CurrentMessage() const { return m_currentMessage; }

    // The object bound to `hwnd` when it is a window of this framework in this process, else null.
    static NRWindowImplRoot* FromHandle(HWND hwnd);

    // What a screen reader is told about the window; null leaves it to the system (WM_GETOBJECT
    // goes to DefWindowProc).
    virtual NRAccessibleSource* AccessibleSource() { return nullptr; }
    // The window's IAccessible object, made on first use and disconnected when the window is
    // destroyed; null without a source or a window. The window keeps the reference.
    NRAccessible* AccessibleObject();

protected:
    // Registers the class if needed and creates the window bound to this object. Returns null, with no
    // window, when registration, the creation bookkeeping or the creation fails.
    HWND CreateImpl(NRWndClassInfo& classInfo, HWND parent, const RECT& rect, const char* title, DWORD style,
                    DWORD exStyle, HMENU menuOrId);

    LRESULT DefWindowProc(UINT message, WPARAM wParam, LPARAM lParam);

private:
    static LRESULT CALLBACK StartWindowProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam);
    static LRESULT CALLBACK WindowProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam);
    static bool RegisterClass(NRWndClassInfo& classInfo);
    // WM_GETOBJECT for the client area; false for any other object id.
    bool AnswerGetObject(WPARAM wParam, LPARAM lParam, LRESULT& result);
    void DisconnectAccessible();

    const MSG* m_currentMessage = nullptr;
    // WM_NCDESTROY arrived while an outer message of this window was still being handled.
    bool m_finalMessagePending = false;
    NRAccessible* m_accessible = nullptr;
    // From WM_DESTROY on, no new object is made for the window on its way out.
    bool m_accessibleClosed = false;
};

// `Base` is NRWindowImplRoot or a class derived from it that adds shared, non-template behaviour.
template <class T, class Traits = NRControlWinTraits, class Base = NRWindowImplRoot>
class NRWindowImpl : public Base
{
public:
    using Base::Base;

    // A child window created without an id gets the address of its object as id.
    HWND Create(HWND parent, const RECT& rect = RECT{}, const char* title = nullptr, DWORD style = 0, DWORD exStyle = 0,
                UINT id = 0)
    {
        const DWORD windowStyle = Traits::GetWndStyle(style);
        UINT_PTR menuOrId = id;
        if ((windowStyle & WS_CHILD) && id == 0)
            menuOrId = reinterpret_cast<UINT_PTR>(this);
        return this->CreateImpl(T::GetWndClassInfo(), parent, rect, title, windowStyle, Traits::GetWndExStyle(exStyle),
                                reinterpret_cast<HMENU>(menuOrId));
    }
};
