#pragma once
// The row of buttons a button belongs to (a box's), which keeps for all of them which one holds the
// keyboard focus and which one is the default, the one Enter presses. The button draws and reports
// both from here and keeps neither itself.
class NRButton;

class NRButtonGroup
{
public:
    virtual bool IsFocusedButton(const NRButton& button) const = 0;
    virtual bool IsDefaultButton(const NRButton& button) const = 0;
    // The system's keyboard focus came to `button`, or left it.
    virtual void ButtonFocusChanged(const NRButton& button, bool gained) = 0;

protected:
    ~NRButtonGroup() = default;
};
