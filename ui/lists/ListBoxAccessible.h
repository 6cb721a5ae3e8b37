#pragma once
// What a screen reader sees of a list box: a list whose items are its rows, each named by its text
// without markup, the current one selected (and focused while the list has the keyboard), and the
// events that make a reader announce a new or newly current row.
#include <windows.h>

#include <string>

#include "ui/framework/Accessible.h"

class NRListBoxBase;

class NRListBoxAccessible : public NRAccessibleSource
{
public:
    explicit NRListBoxAccessible(const NRListBoxBase& list) : m_list(list) {}

    long AccessibleRole() const override { return ROLE_SYSTEM_LIST; }
    // The list box's window text.
    std::string AccessibleName() const override;
    long AccessibleState() const override;
    int AccessibleItemCount() const override;
    std::string AccessibleItemName(int index) const override;
    long AccessibleItemState(int index) const override;
    bool AccessibleItemRect(int index, RECT& screen) const override;
    int AccessibleCurrentItem() const override;
    // The scroll bar is the list's own business.
    bool AccessibleChildWindows() const override { return false; }

    // The list took the keyboard focus.
    void NotifyFocus() const;
    // Another row became current.
    void NotifyCurrentChanged() const;
    // A row was added at `index`, and became current or not.
    void NotifyItemAdded(int index, bool becameCurrent) const;

private:
    bool HasFocus() const;

    const NRListBoxBase& m_list;
};
