#pragma once
// NRListMarks: the marks of a list that marks several items, kept on its contents' items. Shift
// marks the range from an anchor to the current item, Ctrl toggles the current one, any other move
// clears them. Window-free: it works on the contents alone.
#include <windows.h>

class NRListBoxContents;
class NRListBoxItem;

class NRListMarks
{
public:
    // The current item changed with `modifiers` (MK_CONTROL, MK_SHIFT) held.
    void AfterCurrentChanged(NRListBoxContents& contents, WPARAM modifiers);
    // A Ctrl-click on the current item: a marked one loses its mark, another is marked and becomes
    // the anchor.
    void ToggleCurrent(NRListBoxContents& contents);
    // No item marked, and no anchor (`contents` may be null).
    void Clear(NRListBoxContents* contents);
    NRListBoxItem* Anchor() const { return m_anchor; }

private:
    void MarkRange(NRListBoxContents& contents);

    NRListBoxItem* m_anchor = nullptr;
};
