#include "ui/lists/ListLayout.h"

#include <windows.h>

#include <algorithm>
#include <limits>

bool ListFits(const NRListMetrics& metrics) { return metrics.listHeight <= metrics.clientHeight; }

double ListPage(const NRListMetrics& metrics)
{
    return ListFits(metrics) ? 1.0 : static_cast<double>(metrics.clientHeight) / metrics.listHeight;
}

int RowsPerPage(const NRListMetrics& metrics)
{
    return metrics.rowHeight > 0 ? std::max(1, metrics.clientHeight / metrics.rowHeight) : 1;
}

int WheelLines(const NRListMetrics& metrics)
{
    if (ListFits(metrics) || metrics.rowHeight <= 0)
        return 1;
    return std::max(1, metrics.clientHeight / metrics.rowHeight / 8);
}

int ScrollOffset(const NRListMetrics& metrics, double position)
{
    return ListFits(metrics) ? 0 : static_cast<int>(position * metrics.listHeight + 0.5);
}

int FirstVisibleRow(const NRListMetrics& metrics, double position)
{
    return metrics.rowHeight > 0 ? ScrollOffset(metrics, position) / metrics.rowHeight : 0;
}

int RowAt(const NRListMetrics& metrics, double position, int y, int rowCount)
{
    if (metrics.rowHeight <= 0 || y < 0)
        return -1;
    const int row = (ScrollOffset(metrics, position) + y) / metrics.rowHeight;
    return row < rowCount ? row : -1;
}

double ClampListPosition(const NRListMetrics& metrics, double position)
{
    const double last = 1.0 - ListPage(metrics);
    return std::max(0.0, std::min(position, last));
}

double ScrolledByRows(const NRListMetrics& metrics, double position, int rows)
{
    if (ListFits(metrics))
        return 0.0;
    return ClampListPosition(metrics, position + static_cast<double>(rows) * metrics.rowHeight / metrics.listHeight);
}

double ScrolledByPages(const NRListMetrics& metrics, double position, int pages)
{
    if (ListFits(metrics) || metrics.rowHeight <= 0)
        return ListFits(metrics) ? 0.0 : position;
    // In 64 bits: `pages` may come from a message any program can post. Past the whole list is as
    // far as it goes.
    const long long rows = static_cast<long long>(pages) * metrics.clientHeight / metrics.rowHeight;
    const long long limit = std::numeric_limits<int>::max();
    return ScrolledByRows(metrics, position, static_cast<int>(std::max(-limit, std::min(rows, limit))));
}

double PositionShowingRow(const NRListMetrics& metrics, double position, int row)
{
    if (ListFits(metrics) || row < 0)
        return ListFits(metrics) ? 0.0 : position;
    const int top = row * metrics.rowHeight;
    const int bottom = top + metrics.rowHeight;
    int offset = ScrollOffset(metrics, position);
    if (top < offset)
        offset = top;
    else if (bottom > offset + metrics.clientHeight)
        offset = bottom - metrics.clientHeight;
    return ClampListPosition(metrics, static_cast<double>(offset) / metrics.listHeight);
}

int KeyTargetRow(unsigned virtualKey, int current, int rowCount, int rowsPerPage)
{
    if (rowCount <= 0)
        return -1;
    const int last = rowCount - 1;
    switch (virtualKey) {
    case VK_NEXT:
        return std::min(current + rowsPerPage, last);
    case VK_PRIOR:
        return current - rowsPerPage < 1 ? 0 : current - rowsPerPage;
    case VK_HOME:
        return 0;
    case VK_END:
        return last;
    case VK_UP:
        return std::max(current - 1, 0);
    case VK_DOWN:
        return std::min(current + 1, last);
    default:
        return -1;
    }
}
