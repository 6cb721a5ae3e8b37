#pragma once
// NRListBoxContents: a list box's model. It owns the items and keeps the current item and column,
// the column widths and the list's size in pixels, which grow as items are added. Filtered
// contents count, index and walk only the items that answer Visible.
#include <windows.h>

#include <memory>
#include <vector>

#include "ui/lists/ListBoxItem.h"

class NRListBoxContents
{
public:
    // Positive when `a` belongs after `b`.
    using Compare = int (*)(const NRListBoxItem& a, const NRListBoxItem& b);

    explicit NRListBoxContents(int columnCount = 1);
    ~NRListBoxContents();
    NRListBoxContents(const NRListBoxContents&) = delete;
    NRListBoxContents& operator=(const NRListBoxContents&) = delete;

    int Count() const;
    NRListBoxItem* At(int index) const;  // null outside 0 .. Count() - 1
    int IndexOf(const NRListBoxItem* item) const;  // -1 when it is not one of the counted items
    NRListBoxItem* First() const { return At(0); }
    NRListBoxItem* Last() const { return At(Count() - 1); }
    // The item after `item`, or null at the end.
    NRListBoxItem* Next(const NRListBoxItem* item) const;

    // Each takes the item and returns it. `before` null means at the end.
    NRListBoxItem* InsertBefore(const NRListBoxItem* before, std::unique_ptr<NRListBoxItem> item);
    // Before the first item that compares greater than the new one, else at the end.
    NRListBoxItem* InsertSorted(std::unique_ptr<NRListBoxItem> item, Compare compare);
    NRListBoxItem* AddToFront(std::unique_ptr<NRListBoxItem> item);
    NRListBoxItem* AddToEnd(std::unique_ptr<NRListBoxItem> item);
    // Moves every item of `other` to the end of this one.
    void TakeOver(NRListBoxContents& other);
    // Orders the items by `compare`; equal items keep their order.
    void Sort(Compare compare);
    // Moves the item at `from` to stand at `to`.
    void Move(int from, int to);

    NRListBoxItem* Current() const { return m_current; }
    NRListBoxItem* PreviousCurrent() const { return m_previousCurrent; }
    int CurrentIndex() const;
    // `item` must be one of the items or null; anything else is refused.
    bool SetCurrent(NRListBoxItem* item);
    int CurrentColumn() const { return m_currentColumn; }
    void SetCurrentColumn(int column);
    int ColumnCount() const { return m_columnCount; }

    // Sizes in pixels, for drawing on the screen.
    int ColumnWidth(int column) const;
    int RowHeight() const { return m_rowHeight; }  // the tallest cell
    int ListWidth() const { return m_listWidth; }
    int ListHeight() const { return m_listHeight; }
    // Measures every item again.
    void MeasureAll();

    HWND Owner() const { return m_owner; }
    void SetOwner(HWND owner) { m_owner = owner; }
    bool Filtered() const { return m_filtered; }
    void SetFiltered(bool filtered);

    int MarkedCount() const { return m_markedCount; }
    int FlashingCount() const { return m_flashingCount; }
    // Whether a flashing item waits for its flash to come on.
    bool FlashWaiting() const;
    // Turns the flash of every flashing item on or off; false when none flashes.
    bool SetFlashPhase(bool on);

private:
    friend class NRListBoxItem;

    NRListBoxItem* Insert(std::size_t position, std::unique_ptr<NRListBoxItem> item);
    void Measure(NRListBoxItem& item);
    void ItemFlagsChanged(unsigned before, unsigned after);
    bool Counted(const NRListBoxItem& item) const { return !m_filtered || item.Visible(); }

    std::vector<std::unique_ptr<NRListBoxItem>> m_items;
    HWND m_owner = nullptr;
    bool m_filtered = false;
    NRListBoxItem* m_current = nullptr;
    NRListBoxItem* m_previousCurrent = nullptr;
    mutable int m_currentIndex = -1;  // of m_current when not filtered; -1 when to be found again
    int m_currentColumn = 0;
    int m_columnCount;
    std::vector<NRBufferSize> m_cells;  // per column: widest and tallest cell
    int m_rowHeight = 0;
    int m_listWidth = 0;
    int m_listHeight = 0;
    int m_markedCount = 0;
    int m_flashingCount = 0;
};
