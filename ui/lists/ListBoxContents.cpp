#include "ui/lists/ListBoxContents.h"

#include <algorithm>

#include "ui/theme/DrawContext.h"
#include "ui/theme/GdiObjects.h"

void NRListBoxItem::SetFlags(unsigned flags)
{
    const unsigned before = m_flags;
    m_flags = flags;
    if (m_contents)
        m_contents->ItemFlagsChanged(before, flags);
}

NRListBoxContents::NRListBoxContents(int columnCount)
    : m_columnCount(columnCount > 0 ? columnCount : 1), m_cells(static_cast<std::size_t>(m_columnCount), {0, 0})
{
}

NRListBoxContents::~NRListBoxContents() = default;

int NRListBoxContents::Count() const
{
    if (!m_filtered)
        return static_cast<int>(m_items.size());
    return static_cast<int>(
        std::count_if(m_items.begin(), m_items.end(), [](const auto& item) { return item->Visible(); }));
}

NRListBoxItem* NRListBoxContents::At(int index) const
{
    if (index < 0)
        return nullptr;
    if (!m_filtered)
        return index < static_cast<int>(m_items.size()) ? m_items[static_cast<std::size_t>(index)].get() : nullptr;
    for (const auto& item : m_items) {
        if (item->Visible() && index-- == 0)
            return item.get();
    }
    return nullptr;
}

int NRListBoxContents::IndexOf(const NRListBoxItem* item) const
{
    int index = 0;
    for (const auto& candidate : m_items) {
        if (!Counted(*candidate))
            continue;
        if (candidate.get() == item)
            return index;
        ++index;
    }
    return -1;
}

NRListBoxItem* NRListBoxContents::Next(const NRListBoxItem* item) const
{
    const int index = IndexOf(item);
    return index < 0 ? nullptr : At(index + 1);
}

NRListBoxItem* NRListBoxContents::Insert(std::size_t position, std::unique_ptr<NRListBoxItem> item)
{
    if (!item)
        return nullptr;
    NRListBoxItem* added = item.get();
    added->m_contents = this;
    ItemFlagsChanged(0, added->Flags());
    m_items.insert(m_items.begin() + static_cast<std::ptrdiff_t>(std::min(position, m_items.size())),
                   std::move(item));
    if (static_cast<int>(position) <= m_currentIndex)
        m_currentIndex = -1;  // shifted: found again when asked
    Measure(*added);
    return added;
}

NRListBoxItem* NRListBoxContents::InsertBefore(const NRListBoxItem* before, std::unique_ptr<NRListBoxItem> item)
{
    const auto found = std::find_if(m_items.begin(), m_items.end(), [&](const auto& it) { return it.get() == before; });
    return Insert(static_cast<std::size_t>(found - m_items.begin()), std::move(item));
}

NRListBoxItem* NRListBoxContents::InsertSorted(std::unique_ptr<NRListBoxItem> item, Compare compare)
{
    if (!item)
        return nullptr;
    const auto found = std::find_if(m_items.begin(), m_items.end(),
                                    [&](const auto& existing) { return compare(*existing, *item) > 0; });
    return Insert(static_cast<std::size_t>(found - m_items.begin()), std::move(item));
}

NRListBoxItem* NRListBoxContents::AddToFront(std::unique_ptr<NRListBoxItem> item) { return Insert(0, std::move(item)); }

NRListBoxItem* NRListBoxContents::AddToEnd(std::unique_ptr<NRListBoxItem> item)
{
    return Insert(m_items.size(), std::move(item));
}

void NRListBoxContents::TakeOver(NRListBoxContents& other)
{
    if (&other == this)
        return;
    std::vector<std::unique_ptr<NRListBoxItem>> moved = std::move(other.m_items);
    other.m_items.clear();
    other.m_current = other.m_previousCurrent = nullptr;
    other.m_currentIndex = -1;
    other.m_markedCount = other.m_flashingCount = 0;
    other.MeasureAll();
    for (auto& item : moved)
        Insert(m_items.size(), std::move(item));
}

void NRListBoxContents::Sort(Compare compare)
{
    // Each item in list order goes before the first placed one that compares greater: equal items
    // keep their order, and a comparison that is not a strict order still ends in some order.
    std::vector<std::unique_ptr<NRListBoxItem>> sorted;
    sorted.reserve(m_items.size());
    for (auto& item : m_items) {
        const auto found = std::find_if(sorted.begin(), sorted.end(),
                                        [&](const auto& placed) { return compare(*placed, *item) > 0; });
        sorted.insert(found, std::move(item));
    }
    m_items = std::move(sorted);
    m_currentIndex = -1;
}

void NRListBoxContents::Move(int from, int to)
{
    const int size = static_cast<int>(m_items.size());
    if (m_filtered || from < 0 || from >= size || to < 0 || to >= size || from == to)
        return;
    auto item = std::move(m_items[static_cast<std::size_t>(from)]);
    m_items.erase(m_items.begin() + from);
    m_items.insert(m_items.begin() + to, std::move(item));
    m_currentIndex = -1;
}

int NRListBoxContents::CurrentIndex() const
{
    if (!m_current)
        return -1;
    if (m_filtered || m_currentIndex < 0 || m_currentIndex >= static_cast<int>(m_items.size()) ||
        m_items[static_cast<std::size_t>(m_currentIndex)].get() != m_current)
        m_currentIndex = IndexOf(m_current);
    return m_currentIndex;
}

bool NRListBoxContents::SetCurrent(NRListBoxItem* item)
{
    int index = -1;
    if (item) {
        // The last item is the usual one (a new progress line): found without a search.
        index = !m_filtered && !m_items.empty() && m_items.back().get() == item ? static_cast<int>(m_items.size()) - 1
                                                                                 : IndexOf(item);
        if (index < 0)
            return false;
    }
    if (item != m_current)
        m_previousCurrent = m_current;
    m_current = item;
    m_currentIndex = index;
    return true;
}

void NRListBoxContents::SetCurrentColumn(int column)
{
    m_currentColumn = std::max(0, std::min(column, m_columnCount - 1));
}

int NRListBoxContents::ColumnWidth(int column) const
{
    return column >= 0 && column < m_columnCount ? m_cells[static_cast<std::size_t>(column)].width : 0;
}

void NRListBoxContents::Measure(NRListBoxItem& item)
{
    NRWindowDC screen(nullptr, NRWindowDC::WholeWindow);
    NRDrawContext context(screen.Get(), m_owner);
    int rowHeight = 0;
    for (int column = 0; column < m_columnCount; ++column) {
        const NRBufferSize cell = item.MeasureColumn(context, column);
        NRBufferSize& widest = m_cells[static_cast<std::size_t>(column)];
        widest.width = std::max(widest.width, cell.width);
        widest.height = std::max(widest.height, cell.height);
        rowHeight = std::max(rowHeight, cell.height);
    }
    m_rowHeight = std::max(m_rowHeight, rowHeight);
    m_listWidth = 0;
    for (const NRBufferSize& cell : m_cells)
        m_listWidth += cell.width;
    // The first row brings one pixel more: the line under the last row.
    m_listHeight += rowHeight + (m_listHeight == 0 ? 1 : 0);
}

void NRListBoxContents::MeasureAll()
{
    std::fill(m_cells.begin(), m_cells.end(), NRBufferSize{0, 0});
    m_rowHeight = m_listWidth = m_listHeight = 0;
    for (auto& item : m_items)
        Measure(*item);
}

void NRListBoxContents::SetFiltered(bool filtered)
{
    m_filtered = filtered;
    m_currentIndex = -1;
}

void NRListBoxContents::ItemFlagsChanged(unsigned before, unsigned after)
{
    m_markedCount += ((after & NRListBoxItem::kMarks) != 0) - ((before & NRListBoxItem::kMarks) != 0);
    m_flashingCount += ((after & NRListBoxItem::kFlashes) != 0) - ((before & NRListBoxItem::kFlashes) != 0);
}

bool NRListBoxContents::FlashWaiting() const
{
    if (m_flashingCount == 0)
        return false;
    for (int index = 0; index < Count(); ++index) {
        const NRListBoxItem* item = At(index);
        if (item->Has(NRListBoxItem::kFlashes) && !item->Has(NRListBoxItem::kFlashPhase))
            return true;
    }
    return false;
}

bool NRListBoxContents::SetFlashPhase(bool on)
{
    bool anyFlashes = false;
    for (int index = 0; index < Count(); ++index) {
        NRListBoxItem* item = At(index);
        if (!item->Has(NRListBoxItem::kFlashes))
            continue;
        anyFlashes = true;
        if (on)
            item->Set(NRListBoxItem::kFlashPhase);
        else
            item->Clear(NRListBoxItem::kFlashPhase);
    }
    return anyFlashes;
}
