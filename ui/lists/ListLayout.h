#pragma once
// A list box's arithmetic, without any window: which rows show for a scroll position, scrolling by
// rows, pages and the wheel, bringing a row into view, and where the keys move the current item.
// Positions and pages are fractions of the list's height, as the scroll bar shows them.

struct NRListMetrics
{
    int rowHeight;     // every row is this high
    int listHeight;    // all rows, and the line under the last
    int clientHeight;  // what shows at once
};

// The whole list shows: nothing scrolls.
bool ListFits(const NRListMetrics& metrics);
// The visible fraction of the list (1 when it fits).
double ListPage(const NRListMetrics& metrics);
// Whole rows that fit in the client area (at least 1).
int RowsPerPage(const NRListMetrics& metrics);
// Lines the wheel scrolls per notch: a page's rows / 8, at least 1; 1 when the list fits.
int WheelLines(const NRListMetrics& metrics);

// The top of the visible part in pixels of the list, for a scroll position.
int ScrollOffset(const NRListMetrics& metrics, double position);
// The first row that shows at all.
int FirstVisibleRow(const NRListMetrics& metrics, double position);
// The row at `y` pixels from the top of the client area, or -1 past `rowCount`.
int RowAt(const NRListMetrics& metrics, double position, int y, int rowCount);

// The position kept within 0 .. 1 - page.
double ClampListPosition(const NRListMetrics& metrics, double position);
double ScrolledByRows(const NRListMetrics& metrics, double position, int rows);
// A page is the whole rows that fit.
double ScrolledByPages(const NRListMetrics& metrics, double position, int pages);
// The nearest position at which `row` shows whole (the position itself when it does already).
double PositionShowingRow(const NRListMetrics& metrics, double position, int row);

// The index a navigation key makes current, or -1 for a key the list does not use. Page keys move
// by a page's rows; Page Up from within the first page goes to the first row.
int KeyTargetRow(unsigned virtualKey, int current, int rowCount, int rowsPerPage);
