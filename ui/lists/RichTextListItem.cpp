#include "ui/lists/RichTextListItem.h"

#include <stdexcept>

#include "platform/Error.h"
#include "ui/framework/AppState.h"
#include "ui/lists/ListBox.h"
#include "ui/lists/ListBoxContents.h"
#include "ui/text/DcTextSurface.h"
#include "ui/theme/DrawContext.h"
#include "ui/theme/FaceColours.h"
#include "ui/theme/GdiObjects.h"
#include "ui/theme/HighContrast.h"
#include "ui/theme/Painting.h"
#include "ui/theme/Palette.h"

namespace {

// The state of a current row, from the list's state and whether the window holding it is active.
// Only a list in a dialog shows its focus and the pointer on the current row.
NRFaceState CurrentRowState(HWND list)
{
    const int state = list ? static_cast<int>(::SendMessageA(list, WM_NR_LIST_QUERY, NRListBoxBase::kQueryState, 0)) : 1;
    const NRWindowKind holder = FindWindowKind(list);
    const bool inDialog = holder.kind == 2 || holder.kind == 3;
    return NRFaceState{(state & NRListBoxBase::kStateEnabled) != 0,
                       IsWindowActive(holder.window, holder.kind),
                       inDialog && (state & NRListBoxBase::kStateHovered),
                       inDialog && (state & NRListBoxBase::kStateFocused),
                       false,
                       false};
}

COLORREF Mean(COLORREF a, COLORREF b)
{
    return RGB((GetRValue(a) + GetRValue(b)) / 2, (GetGValue(a) + GetGValue(b)) / 2, (GetBValue(a) + GetBValue(b)) / 2);
}

struct RowColours
{
    COLORREF top, bottom, frame;
    int contrastText;  // the system colour of the text in High Contrast
};

RowColours PaletteRowColours(const NRDrawContext& context, const NRFaceState& state, bool selected, bool current)
{
    const NRFaceColours face = selected ? ChooseFaceColours(state) : NRFaceColours{5, 5, 3};
    const COLORREF frame = context.Colour(face.frame);
    // Marked rows fade from the background into the current row's colours.
    if (selected && !current)
        return RowColours{context.Colour(5), Mean(context.Colour(face.top), context.Colour(face.bottom)), frame,
                          COLOR_WINDOWTEXT};
    return RowColours{context.Colour(face.top), context.Colour(face.bottom), frame, COLOR_WINDOWTEXT};
}

RowColours ContrastRowColours(const NRFaceState& state, bool selected)
{
    const NRSystemFace face = ChooseSystemFace(state, selected ? NRFacePlace::SelectedRow : NRFacePlace::Row);
    const COLORREF fill = GetSysColor(face.fill);
    return RowColours{fill, fill, GetSysColor(face.frame), face.text};
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
    const bool selected = current || Has(kMarks);
    const NRFaceState state = selected ? CurrentRowState(list) : NRFaceState{true, true, false, false, false, false};
    const RowColours colours =
        HighContrastOn() ? ContrastRowColours(state, selected) : PaletteRowColours(context, state, selected, current);
    VerticalGradient(context, left, top, right, bottom + 1, colours.top, colours.bottom);
    NRBrushHandle frame(CreateSolidBrush(colours.frame));
    const RECT row = {left, top, right, bottom + 1};
    FrameScaled(context, row, frame.Get());

    const int inset = context.ScaleX().Px(4), above = context.ScaleY().Px(2), below = context.ScaleY().Px(1);
    NRDcTextSurface surface(context, colours.contrastText);
    try {
        m_engine.Layout(surface, left + inset, top + above, right - inset, bottom - below);
    } catch (const NRError&) {
        ShowAsWritten();
        m_engine.Layout(surface, left + inset, top + above, right - inset, bottom - below);
    }
}
