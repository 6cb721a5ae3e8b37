#include "ui/dialogs/DialogFocus.h"

#include "platform/Accessibility.h"
#include "ui/controls/Button.h"

namespace {

// The next button from `from` in `step`'s direction, round the row, that can take the focus.
int NextEnabled(int from, int step, const std::vector<bool>& enabled)
{
    const int count = static_cast<int>(enabled.size());
    for (int i = 1; i <= count; ++i) {
        const int index = ((from + step * i) % count + count) % count;
        if (enabled[static_cast<size_t>(index)])
            return index;
    }
    return -1;
}

bool MovesFocus(int key)
{
    return key == VK_TAB || key == VK_LEFT || key == VK_UP || key == VK_RIGHT || key == VK_DOWN;
}

}  // namespace

NRDialogKeyUse DialogKeyUse(const NRDialogKeyStroke& stroke)
{
    if (stroke.control || stroke.windows) {
        const bool copyKey = stroke.key == 'C' || stroke.key == VK_INSERT;
        return copyKey && stroke.control && !stroke.windows && !stroke.systemKey && !stroke.repeat
                   ? NRDialogKeyUse::kCopy
                   : NRDialogKeyUse::kNothing;
    }
    if (stroke.repeat)
        return !stroke.systemKey && MovesFocus(stroke.key) ? NRDialogKeyUse::kMoveFocus : NRDialogKeyUse::kNothing;
    if (stroke.systemKey && stroke.key == VK_F4)
        return NRDialogKeyUse::kClose;
    return NRDialogKeyUse::kAnswer;
}

int FirstFocus(int defaultIndex, const std::vector<bool>& enabled)
{
    if (defaultIndex >= 0 && defaultIndex < static_cast<int>(enabled.size()) &&
        enabled[static_cast<size_t>(defaultIndex)])
        return defaultIndex;
    return enabled.empty() ? -1 : NextEnabled(-1, 1, enabled);
}

NRFocusKeyEffect FocusKeyEffect(int key, bool shift, int focused, int defaultIndex, const std::vector<bool>& enabled)
{
    const bool hasFocus = focused >= 0 && focused < static_cast<int>(enabled.size());
    int step = 0;
    switch (key) {
    case VK_TAB:
        step = shift ? -1 : 1;
        break;
    case VK_LEFT:
    case VK_UP:
        step = -1;
        break;
    case VK_RIGHT:
    case VK_DOWN:
        step = 1;
        break;
    case VK_SPACE:
        return hasFocus ? NRFocusKeyEffect{NRFocusKeyEffect::kPress, focused}
                        : NRFocusKeyEffect{NRFocusKeyEffect::kNone, -1};
    case VK_RETURN:
        if (hasFocus)
            return {NRFocusKeyEffect::kPress, focused};
        if (defaultIndex >= 0 && defaultIndex < static_cast<int>(enabled.size()))
            return {NRFocusKeyEffect::kPress, defaultIndex};
        return {NRFocusKeyEffect::kNone, -1};
    default:
        return {NRFocusKeyEffect::kNone, -1};
    }
    const int target = hasFocus ? NextEnabled(focused, step, enabled) : FirstFocus(defaultIndex, enabled);
    return target < 0 ? NRFocusKeyEffect{NRFocusKeyEffect::kNone, -1}
                      : NRFocusKeyEffect{NRFocusKeyEffect::kFocus, target};
}

void NRDialogFocus::SetButtons(std::vector<NRButton*> buttons, int defaultIndex)
{
    m_buttons = std::move(buttons);
    m_default = defaultIndex;
    for (NRButton* button : m_buttons)
        button->SetGroup(this);
    m_holdsFocus = false;
    m_focused = FirstFocus(m_default, Enabled());
}

std::vector<bool> NRDialogFocus::Enabled() const
{
    std::vector<bool> enabled;
    for (const NRButton* button : m_buttons)
        enabled.push_back(button->Enabled() && button->Handle() &&
                          (::GetWindowLongA(button->Handle(), GWL_STYLE) & WS_VISIBLE));
    return enabled;
}

int NRDialogFocus::IndexOf(const NRButton& button) const
{
    for (size_t i = 0; i < m_buttons.size(); ++i)
        if (m_buttons[i] == &button)
            return static_cast<int>(i);
    return -1;
}

bool NRDialogFocus::IsFocusedButton(const NRButton& button) const
{
    return m_holdsFocus && m_focused >= 0 && IndexOf(button) == m_focused;
}

bool NRDialogFocus::IsDefaultButton(const NRButton& button) const
{
    const int index = IndexOf(button);
    return index >= 0 && index == Default();
}

void NRDialogFocus::KeepFocusOn(int index)
{
    const int oldDefault = Default();
    m_focused = index;
    if (Default() == oldDefault)
        return;
    for (const int changed : {oldDefault, Default()}) {
        if (changed < 0 || changed >= static_cast<int>(m_buttons.size()))
            continue;
        NRButton& button = *m_buttons[static_cast<size_t>(changed)];
        button.Invalidate(true);
        NotifyAccessibilityEvent(EVENT_OBJECT_STATECHANGE, button.Handle(), OBJID_CLIENT, CHILDID_SELF);
    }
}

void NRDialogFocus::ButtonFocusChanged(const NRButton& button, bool gained)
{
    const int index = IndexOf(button);
    if (gained) {
        m_holdsFocus = true;
        KeepFocusOn(index);
    } else if (index == m_focused) {
        // Kept while another window is active, to come back to; the default stays with it.
        m_holdsFocus = false;
    }
}

void NRDialogFocus::FocusAt(int index)
{
    KeepFocusOn(index);
    ::SetFocus(m_buttons[static_cast<size_t>(index)]->Handle());
}

void NRDialogFocus::Restore(HWND dialog)
{
    const std::vector<bool> enabled = Enabled();
    int focus = m_focused;
    if (focus < 0 || focus >= static_cast<int>(enabled.size()) || !enabled[static_cast<size_t>(focus)])
        focus = FirstFocus(m_default, enabled);
    if (focus >= 0)
        FocusAt(focus);
    else
        ::SetFocus(dialog);
}

bool NRDialogFocus::KeyDown(int key, bool shift, bool mayPress)
{
    const std::vector<bool> enabled = Enabled();
    // The button the box keeps the focus on, also while another window is active (keys may still
    // be posted to it then).
    const bool kept =
        m_focused >= 0 && m_focused < static_cast<int>(enabled.size()) && enabled[static_cast<size_t>(m_focused)];
    const NRFocusKeyEffect effect = FocusKeyEffect(key, shift, kept ? m_focused : -1, m_default, enabled);
    switch (effect.action) {
    case NRFocusKeyEffect::kFocus:
        FocusAt(effect.target);
        return true;
    case NRFocusKeyEffect::kPress:
        return mayPress && Press(effect.target);
    default:
        return false;
    }
}

bool NRDialogFocus::Press(int index)
{
    const std::vector<bool> enabled = Enabled();
    if (index < 0 || index >= static_cast<int>(enabled.size()) || !enabled[static_cast<size_t>(index)])
        return false;
    m_buttons[static_cast<size_t>(index)]->Activate();
    return true;
}

void NRDialogFocus::Requested(const NRControl* sender)
{
    for (size_t i = 0; i < m_buttons.size(); ++i)
        if (m_buttons[i] == sender && m_buttons[i]->Enabled())
            FocusAt(static_cast<int>(i));
}
