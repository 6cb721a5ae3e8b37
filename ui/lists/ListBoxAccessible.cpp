#include "ui/lists/ListBoxAccessible.h"

#include "platform/Accessibility.h"
#include "ui/lists/ListBox.h"
#include "ui/lists/ListBoxContents.h"
#include "ui/lists/ListBoxItem.h"

std::string NRListBoxAccessible::AccessibleName() const { return m_list.GetWindowText(); }

bool NRListBoxAccessible::HasFocus() const { return m_list.Handle() && ::GetFocus() == m_list.Handle(); }

long NRListBoxAccessible::AccessibleState() const
{
    return STATE_SYSTEM_FOCUSABLE | (HasFocus() ? STATE_SYSTEM_FOCUSED : 0);
}

int NRListBoxAccessible::AccessibleItemCount() const { return m_list.Contents() ? m_list.Contents()->Count() : 0; }

std::string NRListBoxAccessible::AccessibleItemName(int index) const
{
    const NRListBoxItem* item = m_list.Contents() ? m_list.Contents()->At(index) : nullptr;
    return item ? item->AccessibleText() : std::string();
}

long NRListBoxAccessible::AccessibleItemState(int index) const
{
    const NRListBoxItem* item = m_list.Contents() ? m_list.Contents()->At(index) : nullptr;
    if (!item)
        return STATE_SYSTEM_UNAVAILABLE;
    long state = STATE_SYSTEM_SELECTABLE | STATE_SYSTEM_FOCUSABLE | STATE_SYSTEM_READONLY;
    if (item == m_list.Contents()->Current()) {
        state |= STATE_SYSTEM_SELECTED;
        if (HasFocus())
            state |= STATE_SYSTEM_FOCUSED;
    }
    if (item->Has(NRListBoxItem::kMarks))
        state |= STATE_SYSTEM_SELECTED;
    const RECT row = m_list.RowRect(index);
    const RECT client = m_list.GetClientRect();
    if (row.bottom <= client.top || row.top >= client.bottom)
        state |= STATE_SYSTEM_OFFSCREEN;  // still there for a reader's review, only scrolled out
    return state;
}

bool NRListBoxAccessible::AccessibleItemRect(int index, RECT& screen) const
{
    if (index < 0 || index >= AccessibleItemCount() || !m_list.Handle())
        return false;
    screen = m_list.RowRect(index);
    ::MapWindowPoints(m_list.Handle(), nullptr, reinterpret_cast<POINT*>(&screen), 2);
    return true;
}

int NRListBoxAccessible::AccessibleCurrentItem() const
{
    return m_list.Contents() ? m_list.Contents()->CurrentIndex() : -1;
}

void NRListBoxAccessible::NotifyFocus() const
{
    const int current = AccessibleCurrentItem();
    NotifyAccessibilityEvent(EVENT_OBJECT_FOCUS, m_list.Handle(), OBJID_CLIENT,
                             current >= 0 ? current + 1 : CHILDID_SELF);
}

void NRListBoxAccessible::NotifyCurrentChanged() const
{
    const int current = AccessibleCurrentItem();
    if (current < 0)
        return;
    NotifyAccessibilityEvent(EVENT_OBJECT_SELECTION, m_list.Handle(), OBJID_CLIENT, current + 1);
    if (HasFocus())
        NotifyAccessibilityEvent(EVENT_OBJECT_FOCUS, m_list.Handle(), OBJID_CLIENT, current + 1);
}

void NRListBoxAccessible::NotifyItemAdded(int index, bool becameCurrent) const
{
    NotifyAccessibilityEvent(EVENT_OBJECT_CREATE, m_list.Handle(), OBJID_CLIENT, index + 1);
    NotifyAccessibilityEvent(EVENT_OBJECT_SHOW, m_list.Handle(), OBJID_CLIENT, index + 1);
    if (becameCurrent)
        NotifyCurrentChanged();
}
