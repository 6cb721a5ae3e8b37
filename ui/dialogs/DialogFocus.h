#pragma once
// The keyboard of a box: which of its buttons holds the focus and which is the default, and what a
// key does, as in a standard dialog. The choices are window-free (DialogKeyUse, FocusKeyEffect);
// NRDialogFocus applies them to a dialog's buttons, keeps the focus where the user left it while the
// dialog is inactive, and is the one place its buttons read their focus and default state from.
#include <windows.h>

#include <vector>

#include "ui/controls/ButtonGroup.h"

class NRButton;
class NRControl;

// A key pressed in a box, as WM_KEYDOWN or WM_SYSKEYDOWN brings it, with the modifiers held.
struct NRDialogKeyStroke
{
    int key;
    bool systemKey;  // WM_SYSKEYDOWN: with Alt, or F10
    bool shift, control, windows;
    bool repeat;  // held down: the previous-state bit is set
};

enum class NRDialogKeyUse
{
    kNothing,    // answers nothing and moves nothing
    kCopy,       // Ctrl+C or Ctrl+Insert: the box goes to the clipboard
    kClose,      // Alt+F4: what Escape does
    kMoveFocus,  // a held key: it may move the focus, never press
    kAnswer,     // the focus keys first (not for system keys), then the button with this key
};

// A button's key never answers while Ctrl or a Windows key is held, nor when it repeats, so a held
// Enter or Y cannot answer the box that opens next; Shift and Alt (a mnemonic) leave it as it is.
NRDialogKeyUse DialogKeyUse(const NRDialogKeyStroke& stroke);

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

class NRDialogFocus : public NRButtonGroup
{
public:
    // The dialog's buttons in Tab order, and which is the default while none has the focus; they
    // become focusable and read their state from here.
    void SetButtons(std::vector<NRButton*> buttons, int defaultIndex);
    // Gives the keyboard focus back to where it was, or, the first time, to the button the box opens
    // with; to the dialog window itself when it has no button.
    void Restore(HWND dialog);
    // True when `key` was a focus key and has been used; a key that may not press only moves.
    bool KeyDown(int key, bool shift, bool mayPress);
    // Presses button `index` from the keyboard; false when it cannot be pressed (disabled, hidden,
    // or no such button).
    bool Press(int index);
    // A button asked for the focus (clicked): it takes it.
    void Requested(const NRControl* sender);
    // The button that holds the focus (or will, once the box is active); -1: none.
    int Focused() const { return m_focused; }
    // The button Enter presses: the focused one, as the dialog manager moves the default push
    // button with the focus; without one, the box's own default.
    int Default() const { return m_focused >= 0 ? m_focused : m_default; }

    // NRButtonGroup
    bool IsFocusedButton(const NRButton& button) const override;
    bool IsDefaultButton(const NRButton& button) const override;
    void ButtonFocusChanged(const NRButton& button, bool gained) override;

private:
    std::vector<bool> Enabled() const;
    int IndexOf(const NRButton& button) const;
    void FocusAt(int index);
    // The focus was kept on `index`: the default moves with it, and readers hear of both changes.
    void KeepFocusOn(int index);

    std::vector<NRButton*> m_buttons;
    int m_default = -1;
    int m_focused = -1;
    bool m_holdsFocus = false;  // the system's focus is on the button at m_focused
};
