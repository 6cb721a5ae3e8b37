#pragma once
// TNRListBox: the window that draws a list box's contents in rows, scrolls them with a vertical
// NRScrollBar, and makes items current, marks and activates them by mouse and keyboard. The logic is
// in NRListBoxBase; TNRListBox binds it to a window class.
#include <windows.h>

#include "ui/controls/Control.h"
#include "ui/controls/DoubleBuffer.h"
#include "ui/controls/ScrollBar.h"
#include "ui/lists/ListBoxAccessible.h"
#include "ui/lists/ListLayout.h"
#include "ui/lists/ListMarks.h"

class NRListBoxContents;
class NRListBoxItem;

// Posted to the parent.
constexpr UINT WM_NR_LIST_ACTIVATED = WM_USER + 10;          // wParam contents, lParam item
constexpr UINT WM_NR_LIST_ACTIVATED_UNARMED = WM_USER + 11;  // the same, for items the mouse never arms
constexpr UINT WM_NR_LIST_CHANGED = WM_USER + 12;            // wParam list box, lParam contents
constexpr UINT WM_NR_LIST_ITEM_MOVED = WM_USER + 13;         // wParam list box, lParam MAKELONG(from, to)
// Accepted.
constexpr UINT WM_NR_LIST_REDRAW = WM_USER + 14;  // wParam an item, or 0 for the current one
constexpr UINT WM_NR_LIST_QUERY = WM_USER + 15;   // LOWORD(wParam) one of the NRListBoxBase queries

class NRListBoxBase : public NRControl, public NRDoubleBufferWindow
{
public:
    enum Style : unsigned
    {
        kSingleClick = 1,      // the item under the mouse becomes current; press arms, release activates
        kScrollBarRight = 2,   // the scroll bar at the right edge, not the left
        kDragMoves = 4,        // dragging with the left button moves the current item
        kNoOutline = 8,        // no outline around the empty area
        kNoFlashing = 16,
        kMultiMark = 32,       // Ctrl and Shift mark several items
    };
    enum Query : unsigned
    {
        kQueryFocused = 0,
        kQueryState = 1,       // answers the State bits
        kQuerySetCurrent = 2,  // lParam: an item of the contents
        kQueryLayOut = 3,
    };
    enum State : unsigned
    {
        kStateEnabled = 1,
        kStateFocused = 2,
        kStateHovered = 4,
    };
    static constexpr UINT_PTR kFlashOffTimerId = 10;
    static constexpr UINT_PTR kFlashOnTimerId = 11;

    void SetStyle(unsigned style) { m_style = style; }
    // The current item survives attaching contents (otherwise the first item becomes current).
    void SetKeepCurrent(bool keep) { m_keepCurrent = keep; }

    // Shows `contents` (not owned): measures them again and makes an item current.
    void AttachContents(NRListBoxContents* contents);
    NRListBoxContents* Contents() const { return m_contents; }
    // Items were added at the end: the last becomes current and shows, and only what shows is
    // drawn again. The cost does not grow with the length of the list.
    void ShowLastItem();
    // Lays the list out for items added or removed, keeping the current item and the scroll position.
    void ItemsChanged();
    // Measures every item again and lays the list out anew, keeping the current item in view: after
    // the screen's scale, and with it the fonts, changed.
    void Remeasure();
    // Makes the item at `index` current, scrolls it into view, tells the parent and repaints.
    // `modifiers` (MK_CONTROL, MK_SHIFT) decide what happens to the marks.
    void MakeCurrent(int index, WPARAM modifiers = 0);

    NRScrollBar& ScrollBar() { return m_scrollBar; }
    double ScrollPosition() const;
    NRListMetrics Metrics() const;
    NRListBoxItem* Anchor() const { return m_marks.Anchor(); }
    // Where the row at `index` is drawn, in client coordinates (it may lie outside the client area).
    RECT RowRect(int index) const;

    NRAccessibleSource* AccessibleSource() override { return &m_accessible; }
    const NRListBoxAccessible& Accessible() const { return m_accessible; }

    // NRControl
    void SetFocused(int focused) override;
    int KeyDown(UINT virtualKey, UINT repeatCount, UINT flags) override;
    int Character(UINT, UINT, UINT) override { return 0; }
    HWND WindowHandle() const override { return Handle(); }
    void Activate() override {}

    bool ProcessWindowMessage(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam, LRESULT& result) override;
    void SizeChanged(UINT type, int width, int height) override;
    void Paint(NRDrawContext& context, int left, int top, int right, int bottom) override;

protected:
    ~NRListBoxBase() override = default;

private:
    void LayOut();
    void ScrollTo(double position);
    void Repaint();
    void NotifyChanged() const;
    void ActivateCurrent();
    void RestartFlashing();
    void OnFlashTimer(bool on);
    int RowAtPoint(LPARAM lParam) const;
    int ColumnAtPoint(LPARAM lParam) const;
    void OnMouseMove(WPARAM keys, LPARAM lParam);
    void OnLeftButtonDown(WPARAM keys, LPARAM lParam);
    void OnLeftButtonUp(LPARAM lParam, bool doubleClick);
    void OnRightButtonDown(WPARAM keys, LPARAM lParam);
    void OnRightButtonUp(LPARAM lParam);
    // The outline around the rows' empty area: in High Contrast the window's frame colour.
    COLORREF FrameColour(const NRDrawContext& context) const;

    unsigned m_style = 0;
    NRListBoxContents* m_contents = nullptr;
    NRScrollBar m_scrollBar;
    bool m_keepCurrent = false;
    NRListMarks m_marks;
    int m_wheelLines = 1;
    int m_rowsLeft = 0;
    int m_rowsRight = 0;
    int m_clientHeight = 0;
    NRListBoxAccessible m_accessible{*this};
};

template <class T>
class TNRListBox : public NRWindowImpl<T, NRControlWinTraits, NRListBoxBase>
{
};

class NRListBox : public TNRListBox<NRListBox>
{
public:
    static NRWndClassInfo& GetWndClassInfo();
};
