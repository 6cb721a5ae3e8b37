#include "ui/controls/Control.h"

#include "ui/framework/WindowImpl.h"

RECT NRControl::ScreenRect() const
{
    RECT rect = {};
    GetWindowRect(WindowHandle(), &rect);
    return rect;
}

RECT NRControl::ParentClientRect() const
{
    RECT rect = ScreenRect();
    MapWindowPoints(nullptr, GetParent(WindowHandle()), reinterpret_cast<POINT*>(&rect), 2);
    return rect;
}

POINT NRControl::ScreenBottomLeft() const
{
    const RECT rect = ScreenRect();
    return POINT{rect.left, rect.bottom};
}

void NRControl::Notify(UINT message) const { NotifyWithId(message, static_cast<WPARAM>(m_controlId)); }

void NRControl::NotifyWithId(UINT message, WPARAM id) const
{
    ::PostMessageA(GetParent(WindowHandle()), message, id, reinterpret_cast<LPARAM>(this));
}

NRControl* NRControl::FromNotification(HWND parent, LPARAM lParam)
{
    for (HWND child = GetWindow(parent, GW_CHILD); child; child = GetWindow(child, GW_HWNDNEXT)) {
        auto* control = dynamic_cast<NRControl*>(NRWindowImplRoot::FromHandle(child));
        if (control && reinterpret_cast<LPARAM>(control) == lParam)
            return control;
    }
    return nullptr;
}
