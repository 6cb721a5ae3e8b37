#pragma once
// The keyboard focus of a box: which of its buttons holds it, and what Tab, Shift+Tab, the arrow
// keys, Space and Enter do with it, as in a standard dialog. The choice of a key's effect is
// window-free (NRFocusKeyEffect); NRDialogFocus applies it to a dialog's buttons and keeps the focus
// where the user left it while the dialog is inactive.
#include <windows.h>

#include <vector>

class NRButton;
class NRControl;

struct NRFocusKeyEffect
{
    enum Action
    {
        kNone,   // not a focus key, or nothing to do it with
        kFocus,  // move the focus to `target`
        kPress,  // press `target`
    };
    Action action;
    int target;
};

// What `key` does in a row of buttons of which `focused` (-1: none) has the focus and `defaultIndex`
// (-1: none) is the default; `enabled` says which can take the focus. Tab and the arrow keys move
// the focus, round the row; Space presses the focused button, Enter the focused one or else the
// default.
NRFocusKeyEffect FocusKeyEffect(int key, bool shift, int focused, int defaultIndex, const std::vector<bool>& enabled);
// The button a box opens with: the default one, else the first that can take the focus; -1: none.
int FirstFocus(int defaultIndex, const std::vector<bool>& enabled);

class NRDialogFocus
{
public:
    // The dialog's buttons in Tab order, and which is the default; they become focusable.
    void SetButtons(std::vector<NRButton*> buttons, int defaultIndex);
    // Gives the keyboard focus back to where it was, or, the first time, to the button the box opens
    // with; to the dialog window itself when it has no button.
    void Restore(HWND dialog);
    // True when `key` was a focus key and has been used.
    bool KeyDown(int key, bool shift);
    // A button asked for the focus (clicked): it takes it.
    void Requested(const NRControl* sender);
    // The button that holds the focus (or will, once the box is active); -1: none.
    int Focused() const { return m_focused; }

private:
    std::vector<bool> Enabled() const;
    void FocusAt(int index);

    std::vector<NRButton*> m_buttons;
    int m_default = -1;
    int m_focused = -1;
};
