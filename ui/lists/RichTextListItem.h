#pragma once
// List items that show text: NRTextListItemBase holds a text and an item colour;
// NRRichTextListItem shows its text as single-line markup (a progress line of the installer).
#include <windows.h>

#include <cstdint>
#include <string>

#include "ui/lists/ListBoxItem.h"
#include "ui/text/RichText.h"

class NRTextListItemBase : public NRListBoxItem
{
public:
    NRTextListItemBase(NRListBoxContents* contents, const std::string& text, COLORREF colour)
        : NRListBoxItem(contents), m_text(text), m_colour(colour)
    {
    }

    const std::string& Text() const { return m_text; }
    std::string AccessibleText() const override { return m_text; }
    COLORREF ItemColour() const { return m_colour; }

protected:
    std::string m_text;
    COLORREF m_colour;
};

class NRRichTextListItem : public NRTextListItemBase
{
public:
    // Measured against the screen, and again when the screen's fonts change with its scale. Markup
    // that cannot be laid out is shown as written.
    NRRichTextListItem(NRListBoxContents* contents, const std::string& text, int tabStopCount,
                       const std::int32_t* tabStops);

    // Width: the text and 4 pixels (scaled) each side; height: the text's (a line at least) and a
    // third more.
    NRBufferSize MeasureColumn(NRDrawContext& context, int column) override;
    void Draw(NRDrawContext& context, int left, int top, int right, int bottom, bool current) override;
    // The words as drawn, without markup.
    std::string AccessibleText() const override { return m_engine.PlainText(); }

private:
    void MeasureText(NRDrawContext& context);
    // The text as written, when its markup cannot be laid out.
    void ShowAsWritten();

    NRRichText m_engine;
    int m_measuredLineHeight = 0;
    bool m_asWritten = false;
};
