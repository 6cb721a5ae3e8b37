#pragma once
// The focusable controls' common part (buttons, scroll bar, list box): focus, hover and enabled
// state, the control id and accelerator, and the notifications posted to the parent window. A
// concrete control derives from this first and from its window implementation second.
#include <windows.h>

// Notifications a control posts to its parent: wParam is the control id, lParam the control object.
constexpr UINT WM_NR_PRESSED = WM_USER + 2;        // mouse down or keyboard activation
constexpr UINT WM_NR_PRESS_ENDED = WM_USER + 3;    // mouse up, mouse left, end of a keyboard press
constexpr UINT WM_NR_CLICKED = WM_USER + 4;        // the action is to be carried out
constexpr UINT WM_NR_RIGHT_CLICKED = WM_USER + 6;  // right button released over it; wParam is 0
constexpr UINT WM_NR_FOCUS_REQUEST = WM_USER + 7;  // asks to be given the focus

class NRControl
{
public:
    virtual ~NRControl() = default;

    // Stores the flag and repaints the whole window.
    virtual void SetFocused(int focused) = 0;
    // Stores the flag only; the caller repaints.
    virtual void SetEnabled(int enabled) { m_enabled = enabled; }
    // Non-zero when the control used the key or character.
    virtual int KeyDown(UINT virtualKey, UINT repeatCount, UINT flags) = 0;
    virtual int Character(UINT code, UINT repeatCount, UINT flags) = 0;
    virtual HWND WindowHandle() const = 0;
    // What the control does when chosen from the keyboard.
    virtual void Activate() = 0;
    virtual RECT ScreenRect() const;
    // The window rectangle in the client coordinates of the parent window.
    virtual RECT ParentClientRect() const;
    virtual int Query() const { return 0; }
    // The bottom-left corner of the window on the screen.
    virtual POINT ScreenBottomLeft() const;

    int Focused() const { return m_focused; }
    int Hovered() const { return m_hovered; }
    int Enabled() const { return m_enabled; }
    int ControlId() const { return m_controlId; }
    void SetControlId(int id) { m_controlId = id; }
    char Accelerator() const { return m_accelerator; }
    void SetAccelerator(char accelerator) { m_accelerator = accelerator; }

    // The control among `parent`'s child windows whose object `lParam` names, or null. A parent
    // handles a notification only through this: any process can post it a message, and an address
    // that is not one of its own controls must never be followed.
    static NRControl* FromNotification(HWND parent, LPARAM lParam);

protected:
    // Posts `message` to the parent window with the control id and this object.
    void Notify(UINT message) const;
    void NotifyWithId(UINT message, WPARAM id) const;

    int m_focused = 0;
    int m_hovered = 0;
    int m_enabled = 1;
    int m_controlId = 0;
    char m_accelerator = 0;
    int m_lastMouseX = -1;
    int m_lastMouseY = -1;
};
