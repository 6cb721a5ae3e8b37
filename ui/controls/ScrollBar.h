#pragma once
// NRScrollBar, the toolkit's scroll bar. It holds the visible part of the content as fractions
// (thumb size and position in 0 .. 1) and tells its parent what the user did; the parent scrolls.
#include <windows.h>

#include "ui/controls/Control.h"
#include "ui/controls/DoubleBuffer.h"
#include "ui/theme/Scale.h"
#include "ui/controls/ScrollGeometry.h"

// Posted to the parent: wParam is the scroll bar object, lParam the step or the movement.
constexpr UINT WM_NR_SCROLL_LINE = WM_USER + 17;           // lParam -1 (up, left) or +1
constexpr UINT WM_NR_SCROLL_PAGE = WM_USER + 18;           // lParam -1 or +1
constexpr UINT WM_NR_SCROLL_THUMB = WM_USER + 19;          // pressed (0) or moved by lParam pixels
constexpr UINT WM_NR_SCROLL_THUMB_RELEASED = WM_USER + 20;

class NRScrollBar : public NRControl, public NRDoubleBuffer<NRScrollBar>
{
public:
    static constexpr int kControlId = 6;
    static constexpr int kArrowLength = 13;  // also the width of a vertical bar, before scaling
    static constexpr UINT_PTR kRepeatStartTimerId = 2;
    static constexpr UINT kRepeatStartDelayMs = 500;
    static constexpr UINT_PTR kRepeatTimerId = 3;
    static constexpr UINT kRepeatDelayMs = 100;

    enum Orientation
    {
        Vertical = 0,
        Horizontal = 1,
    };

    explicit NRScrollBar(Orientation orientation = Vertical);

    static NRWndClassInfo& GetWndClassInfo();

    void SetThumb(double size, double position);
    double ThumbSize() const { return m_size; }
    double ThumbPosition() const { return m_position; }
    // The notification being repeated or dragged, 0 when none.
    UINT CurrentAction() const { return m_action; }

    // NRControl
    void SetFocused(int focused) override;
    int KeyDown(UINT virtualKey, UINT repeatCount, UINT flags) override;
    int Character(UINT, UINT, UINT) override { return 0; }
    HWND WindowHandle() const override { return Handle(); }
    void Activate() override {}

    bool ProcessWindowMessage(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam, LRESULT& result) override;
    void SizeChanged(UINT type, int width, int height) override;
    void Paint(NRDrawContext& context, int left, int top, int right, int bottom) override;

private:
    NRScrollGeometry Geometry(const NRScale& scaleX, const NRScale& scaleY) const;
    int AxisCoordinate(LPARAM lParam) const;
    void PostAction(UINT action, int argument) const;
    void OnButtonDown(LPARAM lParam);
    void OnMouseMove(LPARAM lParam);
    void OnButtonUp();
    void StopRepeating();

    Orientation m_orientation;
    double m_size = 1.0;
    double m_position = 0.0;
    UINT m_action = 0;
    int m_argument = 0;
    int m_clientWidth = 0;
    int m_clientHeight = 0;
};
