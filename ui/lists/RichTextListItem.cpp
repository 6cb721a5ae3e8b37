#include "ui/lists/RichTextListItem.h"

#include <stdexcept>

#include "platform/Error.h"
#include "ui/framework/AppState.h"
#include "ui/lists/ListBox.h"
#include "ui/lists/ListBoxContents.h"
#include "ui/theme/DrawContext.h"
#include "ui/theme/FaceColours.h"
#include "ui/theme/GdiObjects.h"
#include "ui/theme/Painting.h"
#include "ui/theme/Palette.h"

namespace {

// The colours of a current row, from the list's state and whether the window holding it is active.
// Only a list in a dialog shows its focus and the pointer on the current row.
NRFaceColours CurrentRowColours(HWND list)
{
    const int state = list ? static_cast<int>(::SendMessageA(list, WM_NR_LIST_QUERY, NRListBoxBase::kQueryState, 0)) : 1;
    const NRWindowKind holder = FindWindowKind(list);
    const bool inDialog = holder.kind == 2 || holder.kind == 3;
    return ChooseFaceColours({(state & NRListBoxBase::kStateEnabled) != 0, IsWindowActive(holder.window, holder.kind),
                              inDialog && (state & NRListBoxBase::kStateHovered), inDialog && (state & NRListBoxBase::kStateFocused),
                              false, false});
}

COLORREF Mean(COLORREF a, COLORREF b)
{
    return RGB((GetRValue(a) + GetRValue(b)) / 2, (GetGValue(a) + GetGValue(b)) / 2, (GetBValue(a) + GetBValue(b)) / 2);
}

}  // namespace

NRRichTextListItem::NRRichTextListItem(NRListBoxContents* contents, const std::string& text, int tabStopCount,
                                       const std::int32_t* tabStops)
    : NRTextListItemBase(contents, text, PaletteColour(0))
{
    m_engine.SetSingleLine(true);
    m_engine.SetTabStops(tabStopCount, tabStops);
    NRWindowDC screen(nullptr, NRWindowDC::WholeWindow);
    NRDrawContext context(screen.Get());
    MeasureText(context);
}

void NRRichTextListItem::MeasureText(NRDrawContext& context)
{
    m_measuredLineHeight = context.LineHeight();
    if (!m_asWritten) {
        try {
            m_engine.Measure(context, m_text);
            return;
        } catch (const NRError&) {
            m_asWritten = true;
        }
    }
    m_engine.Measure(context, EscapeMarkup(m_text));
}

void NRRichTextListItem::ShowAsWritten()
{
    m_asWritten = true;
    NRWindowDC screen(nullptr, NRWindowDC::WholeWindow);
    NRDrawContext context(screen.Get());
    MeasureText(context);
}

NRBufferSize NRRichTextListItem::MeasureColumn(NRDrawContext& context, int /*column*/)
{
    // The screen's fonts were made anew for another scale since the text was measured.
    if (!context.OwnsFontSet() && context.LineHeight() != m_measuredLineHeight)
        MeasureText(context);
    const int lineHeight = context.LineHeight();
    const int height = m_engine.MeasuredHeight() ? m_engine.MeasuredHeight() : lineHeight;
    return NRBufferSize{m_engine.MeasuredWidth() + 2 * context.ScaleX().Px(4), height + lineHeight / 3};
}

void NRRichTextListItem::Draw(NRDrawContext& context, int left, int top, int right, int bottom, bool current)
{
    const HWND list = Contents() ? Contents()->Owner() : nullptr;
    NRFaceColours colours = {5, 5, 3};
    COLORREF topColour, bottomColour;
    if (current || Has(kMarks))
        colours = CurrentRowColours(list);
    if (!current && Has(kMarks)) {
        // Marked rows fade from the background into the current row's colours.
        topColour = context.Colour(5);
        bottomColour = Mean(context.Colour(colours.top), context.Colour(colours.bottom));
    } else {
        topColour = context.Colour(colours.top);
        bottomColour = context.Colour(colours.bottom);
    }
    VerticalGradient(context, left, top, right, bottom + 1, topColour, bottomColour);
    NRBrushHandle frame(CreateSolidBrush(context.Colour(colours.frame)));
    const RECT row = {left, top, right, bottom + 1};
    FrameScaled(context, row, frame.Get());

    const int inset = context.ScaleX().Px(4), above = context.ScaleY().Px(2), below = context.ScaleY().Px(1);
    try {
        m_engine.Layout(context, left + inset, top + above, right - inset, bottom - below);
    } catch (const NRError&) {
        ShowAsWritten();
        m_engine.Layout(context, left + inset, top + above, right - inset, bottom - below);
    }
}
