#pragma once
// A window whose background other toolkit windows inside it continue (a dialog's gradient behind
// its message pane).
class NRDrawContext;

class NRPanelBackground
{
public:
    // Paints the background of the whole panel into `context`, whose origin lies at (left, top) of
    // the panel's client area.
    virtual void PaintPanelBackground(NRDrawContext& context, int left, int top, int right, int bottom) = 0;

protected:
    ~NRPanelBackground() = default;
};
