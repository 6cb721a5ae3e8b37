#pragma once
// NRScrollableRichText: a pane that shows one markup text with word wrap and, when the text is
// taller than the pane, a vertical scroll bar along its left edge. The text is given at
// construction. The pane takes no mouse input: the mouse falls through to the window beneath, except
// over its scroll bar.
#include <windows.h>

#include <string>

#include "ui/controls/DoubleBuffer.h"
#include "ui/controls/ScrollBar.h"
#include "ui/framework/Accessible.h"
#include "ui/text/RichText.h"

class NRPanelBackground;

class NRScrollableRichText : public NRDoubleBuffer<NRScrollableRichText>, public NRAccessibleSource
{
public:
    // `panel`, when given, is the window whose background the pane continues.
    explicit NRScrollableRichText(const std::string& text, NRPanelBackground* panel = nullptr);

    static NRWndClassInfo& GetWndClassInfo();

    bool ProcessWindowMessage(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam, LRESULT& result) override;
    void SizeChanged(UINT type, int width, int height) override;
    void Paint(NRDrawContext& context, int left, int top, int right, int bottom) override;
    virtual void EraseBackground(NRDrawContext& context, const RECT& area);

    // The text's size as measured unwrapped at creation, and as wrapped at the pane's width.
    int MeasuredWidth() const { return m_engine.MeasuredWidth(); }
    int MeasuredHeight() const { return m_engine.MeasuredHeight(); }
    // Measures the text again against the screen: after the screen's scale, and its fonts, changed.
    void MeasureText();
    NRTextExtent WrappedSize() const { return m_wrapped; }
    NRScrollBar& ScrollBar() { return m_scrollBar; }
    // The text as drawn, without markup.
    std::string PlainText() const { return m_engine.PlainText(); }

    // NRAccessibleSource: read-only text.
    NRAccessibleSource* AccessibleSource() override { return this; }
    long AccessibleRole() const override { return ROLE_SYSTEM_STATICTEXT; }
    std::string AccessibleName() const override { return PlainText(); }
    long AccessibleState() const override { return STATE_SYSTEM_READONLY; }
    bool AccessibleChildWindows() const override { return false; }

private:
    void OnCreate();
    void Scroll(double steps);
    // Lays the text out; a justification the engine refuses falls back to the text as written.
    void LayoutText(NRDrawContext& context, int left, int top, int right, int bottom, NRTextExtent* extent);

    NRScrollBar m_scrollBar;
    NRRichText m_engine;
    std::string m_text;
    NRTextExtent m_wrapped = {0, 0};
    NRPanelBackground* m_panel;
};
