#include "ui/text/DcTextSurface.h"

#include <climits>

#include "platform/Registry.h"
#include "ui/theme/DrawContext.h"
#include "ui/theme/HighContrast.h"

namespace {

int Length(std::size_t length) { return length > INT_MAX ? INT_MAX : static_cast<int>(length); }

}  // namespace

NRDcTextSurface::NRDcTextSurface(const NRDrawContext& context, int contrastText)
    : m_context(context), m_dc(context.Dc()), m_contrast(HighContrastOn()), m_contrastText(GetSysColor(contrastText))
{
    if (HFONT font = context.Fonts().Normal().handle)
        m_previousFont = SelectObject(m_dc, font);
}

NRDcTextSurface::~NRDcTextSurface()
{
    if (m_drawing) {
        SetTextColor(m_dc, m_previousColour);
        SetTextAlign(m_dc, m_previousAlign);
        SetBkMode(m_dc, m_previousBkMode);
    }
    if (m_previousFont)
        SelectObject(m_dc, m_previousFont);
}

int NRDcTextSurface::LineHeight() const { return m_context.LineHeight(); }

int NRDcTextSurface::TextWidth(const char* text, std::size_t length)
{
    SIZE extent = {};
    GetTextExtentPoint32A(m_dc, text, Length(length), &extent);
    return extent.cx;
}

NRColour NRDcTextSurface::DefaultTextColour() const { return m_contrast ? m_contrastText : m_context.Colour(0); }

NRColour NRDcTextSurface::LetterColour(int index) const { return NRRichText::LetterColour(index); }

void NRDcTextSurface::BeginDrawing()
{
    if (m_drawing)
        return;
    m_drawing = true;
    m_previousColour = GetTextColor(m_dc);
    m_previousBkMode = SetBkMode(m_dc, TRANSPARENT);
    m_previousAlign = SetTextAlign(m_dc, TA_LEFT | TA_TOP | TA_NOUPDATECP);
}

void NRDcTextSurface::SetTextColour(NRColour colour) { SetTextColor(m_dc, m_contrast ? m_contrastText : colour); }

void NRDcTextSurface::DrawText(int x, int y, const char* text, std::size_t length)
{
    TextOutA(m_dc, x, y, text, Length(length));
}

// The engine's calls through a drawing context, and the colour letters of the GUI settings.

NRColour NRRichText::LetterColour(int index)
{
    return LetterColourFor(index, g_guiSettings.newGui != 0, g_guiSettings.colorBlind != 0);
}

bool NRRichText::Measure(NRDrawContext& context, const std::string& text)
{
    NRDcTextSurface surface(context);
    return Measure(surface, text);
}

void NRRichText::Layout(NRDrawContext& context, int left, int top, int right, int bottom, NRTextExtent* extent)
{
    NRDcTextSurface surface(context);
    Layout(surface, left, top, right, bottom, extent);
}
