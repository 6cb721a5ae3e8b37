#include "ui/lists/ListMarks.h"

#include <algorithm>

#include "ui/lists/ListBoxContents.h"

void NRListMarks::AfterCurrentChanged(NRListBoxContents& contents, WPARAM modifiers)
{
    if (modifiers & MK_CONTROL)
        return;
    if (modifiers & MK_SHIFT) {
        if (!m_anchor)
            m_anchor = contents.PreviousCurrent();
        MarkRange(contents);
        return;
    }
    Clear(&contents);
}

void NRListMarks::ToggleCurrent(NRListBoxContents& contents)
{
    NRListBoxItem* current = contents.Current();
    if (!current)
        return;
    if (current->Has(NRListBoxItem::kMarks)) {
        current->Clear(NRListBoxItem::kMarks);
    } else {
        current->Set(NRListBoxItem::kCtrlMarked);
        m_anchor = current;
    }
}

void NRListMarks::Clear(NRListBoxContents* contents)
{
    m_anchor = nullptr;
    if (!contents || contents->MarkedCount() == 0)
        return;
    for (int index = 0; index < contents->Count(); ++index)
        contents->At(index)->Clear(NRListBoxItem::kMarks);
}

void NRListMarks::MarkRange(NRListBoxContents& contents)
{
    const int anchor = contents.IndexOf(m_anchor);
    const int current = contents.CurrentIndex();
    if (anchor < 0 || current < 0)
        return;
    const int from = std::min(anchor, current), to = std::max(anchor, current);
    for (int index = 0; index < contents.Count(); ++index) {
        NRListBoxItem* item = contents.At(index);
        if (index >= from && index <= to)
            item->Set(NRListBoxItem::kShiftMarked);
        else
            item->Clear(NRListBoxItem::kShiftMarked);
    }
}
