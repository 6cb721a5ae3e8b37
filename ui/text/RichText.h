#pragma once
// NRRichText, the toolkit's markup engine: "$" starts an escape code for colour ("$c" + letter),
// indent ("$i" + digit), justification ("$j" + l, c or r), line break ("$n"), tab ("$t") and a
// literal dollar ("$$" as a word of its own, "$d" inside a word). It parses a text into tokens, measures them and lays them out with word
// wrap, tab stops, indents and left, centred or right justification.
//
// It holds no window and no device: measuring and drawing go through NRTextSurface. So the parser
// and the layout walk build and run anywhere; on Windows the surface is a drawing context's normal
// font (ui/text/DcTextSurface.h).
#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

using NRColour = std::uint32_t;  // 0x00BBGGRR, as a COLORREF

constexpr NRColour MakeColour(unsigned red, unsigned green, unsigned blue)
{
    return static_cast<NRColour>(red | (green << 8) | (blue << 16));
}

enum class RichTextTokenKind : std::uint8_t
{
    Word = 0,
    NewLine = 1,
    Tab = 2,
    Justify = 3,
    Indent = 4,
    Colour = 5,
};

struct RichTextToken
{
    RichTextTokenKind kind;
    std::string text;  // the word; "l", "c" or "r"; a digit; a colour letter or digit; empty otherwise

    bool operator==(const RichTextToken& other) const { return kind == other.kind && text == other.text; }
};

// What layout needs of a device: the normal font's line height and text widths, and drawing with it.
class NRTextSurface
{
public:
    virtual int LineHeight() const = 0;
    virtual int TextWidth(const char* text, std::size_t length) = 0;
    // The colour text starts in (palette entry 0), and the colour of each colour letter.
    virtual NRColour DefaultTextColour() const = 0;
    virtual NRColour LetterColour(int index) const = 0;
    // Called once before anything is drawn.
    virtual void BeginDrawing() {}
    virtual void SetTextColour(NRColour colour) = 0;
    // Draws with the top-left corner of the text at (x, y).
    virtual void DrawText(int x, int y, const char* text, std::size_t length) = 0;

protected:
    ~NRTextSurface() = default;
};

struct NRTextExtent
{
    int width;
    int height;
};

// The colour letters in index order.
extern const char kColourLetters[];  // "wrygcbe"

// The colour of a colour letter's index on the dark or the light (NEWGUI) background; an index
// outside 0 .. 6 is white's (black's on light).
NRColour LetterColourFor(int index, bool light, bool colorBlind);

// `text` with every "$" as "$d", the dollar that stays inside its word: shown as written, whatever
// escape codes it seems to hold.
std::string EscapeMarkup(const std::string& text);

// What `text` says without its markup, as a screen reader should read it (see NRRichText::PlainText).
std::string MarkupPlainText(const std::string& text, bool singleLine = false);

class NRDrawContext;

class NRRichText
{
public:
    NRRichText();

    // Replaces the tab stops (pixel offsets from the layout's left edge, increasing).
    void SetTabStops(int count, const std::int32_t* stops);
    // Single-line mode: line breaks are dropped, and layout never wraps nor starts a new line.
    void SetSingleLine(bool singleLine) { m_singleLine = singleLine; }
    bool SingleLine() const { return m_singleLine; }
    // Colours for "$c" with a digit: digit n names colour n.
    void SetCustomColours(const std::vector<NRColour>& colours) { m_customColours = colours; }

    // Rebuilds the tokens from `text`. False after a markup error: the tokens parsed before it stay,
    // MarkupError() tells what it was and MarkupErrorOffset() where its escape code starts.
    bool Parse(const std::string& text);
    const std::string& MarkupError() const { return m_markupError; }
    std::size_t MarkupErrorOffset() const { return m_markupErrorOffset; }

    // Parses, then stores the unwrapped size: the widest line and the height of all lines. False,
    // with size 0 x 0, when parsing failed. Raises NRError for a justification the layout cannot
    // follow ("Can only justify line twice if it is a left", "2nd justify on line must be a right").
    bool Measure(NRTextSurface& surface, const std::string& text);
    bool Measure(NRDrawContext& context, const std::string& text);
    int MeasuredWidth() const { return m_measuredWidth; }
    int MeasuredHeight() const { return m_measuredHeight; }

    // Lays the tokens out in the rectangle (the bottom edge limits nothing): draws them, or, given
    // `extent`, draws nothing and stores the size the wrapped text takes. Raises NRError as Measure
    // does, and std::invalid_argument for a custom colour the table no longer has.
    void Layout(NRTextSurface& surface, int left, int top, int right, int bottom, NRTextExtent* extent = nullptr);
    void Layout(NRDrawContext& context, int left, int top, int right, int bottom, NRTextExtent* extent = nullptr);

    // The colour of a colour letter's index in the process's GUI settings.
    static NRColour LetterColour(int index);

    const std::vector<RichTextToken>& Tokens() const { return m_tokens; }
    // The words of the tokens as drawn, with no codes ("$d" and "$$" give "$"): one space between
    // words, also where a tab or a justification change parts them, and a line feed between lines.
    std::string PlainText() const;

private:
    struct Segment;

    void ParseTokens(const std::string& text);
    void Append(RichTextTokenKind kind, std::string text = std::string());
    Segment MeasureSegment(NRTextSurface& surface, std::size_t start, long long available, char justification,
                           char indent) const;
    int LinePosition(NRTextSurface& surface, std::size_t start, int left, int right, char justification,
                     char indent) const;
    long long NextTabStop(long long position) const;
    NRColour TokenColour(const NRTextSurface& surface, char code) const;

    std::vector<RichTextToken> m_tokens;
    std::vector<std::int32_t> m_tabStops;
    std::vector<NRColour> m_customColours;
    int m_measuredWidth = 0;
    int m_measuredHeight = 0;
    bool m_singleLine = false;
    std::string m_markupError;
    std::size_t m_markupErrorOffset = 0;
};
