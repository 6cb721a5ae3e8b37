#pragma once
// NRListBoxItem: the base of a list box's owner-drawn items. An item belongs to one contents and
// carries a few flag bits that the list box reads and sets.
#include <windows.h>

#include <string>

#include "ui/controls/DoubleBuffer.h"

class NRDrawContext;
class NRListBoxContents;

class NRListBoxItem
{
public:
    enum Flag : unsigned
    {
        kArmed = 1,          // pressed in a single-click list; a release on it activates it
        kNoMouseArm = 2,     // never armed by the mouse; activation posts WM_USER+11
        kFlashes = 4,
        kUserFlag = 8,       // not read by the list
        kFlashPhase = 16,
        kShiftMarked = 64,   // part of a Shift range
        kCtrlMarked = 128,   // marked by a Ctrl click
    };
    static constexpr unsigned kMarks = kShiftMarked | kCtrlMarked;

    explicit NRListBoxItem(NRListBoxContents* contents) : m_contents(contents) {}
    virtual ~NRListBoxItem() = default;
    NRListBoxItem(const NRListBoxItem&) = delete;
    NRListBoxItem& operator=(const NRListBoxItem&) = delete;

    // The size of one cell of the item's row.
    virtual NRBufferSize MeasureColumn(NRDrawContext& context, int column) = 0;
    virtual void Draw(NRDrawContext& context, int left, int top, int right, int bottom, bool current) = 0;
    // Counted only when it answers true, in filtered contents.
    virtual bool Visible() const { return true; }
    // What a screen reader reads for the item.
    virtual std::string AccessibleText() const { return std::string(); }

    unsigned Flags() const { return m_flags; }
    bool Has(unsigned flags) const { return (m_flags & flags) != 0; }
    // Changes the flags, keeping the contents' counts of marked and flashing items right.
    void SetFlags(unsigned flags);
    void Set(unsigned flags) { SetFlags(m_flags | flags); }
    void Clear(unsigned flags) { SetFlags(m_flags & ~flags); }

    NRListBoxContents* Contents() const { return m_contents; }

private:
    friend class NRListBoxContents;

    unsigned m_flags = 0;
    NRListBoxContents* m_contents;
};
