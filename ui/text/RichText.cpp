#include "ui/text/RichText.h"

#include <algorithm>
#include <climits>
#include <cstring>
#include <stdexcept>

#include "platform/Error.h"

const char kColourLetters[] = "wrygcbe";

namespace {

constexpr int kFirstTabStop = 10;

int ColourLetterIndex(char letter)
{
    const char* found = letter ? std::strchr(kColourLetters, letter) : nullptr;
    return found ? static_cast<int>(found - kColourLetters) : -1;
}

bool IsRightOrCentred(char justification) { return justification == 'c' || justification == 'r'; }

int Digit(char digit) { return digit - '0'; }

int ClampToInt(long long value)
{
    return static_cast<int>(std::max<long long>(INT_MIN, std::min<long long>(INT_MAX, value)));
}

// The width of a word, with the space that separates it from the one before when there is one.
long long WordWidth(NRTextSurface& surface, const std::string& word, bool withSpace)
{
    if (!withSpace)
        return surface.TextWidth(word.data(), word.size());
    const std::string spaced = " " + word;
    return surface.TextWidth(spaced.data(), spaced.size());
}

}  // namespace

NRColour LetterColourFor(int index, bool light, bool colorBlind)
{
    switch (index) {
    case 1:  // r
        return light ? MakeColour(192, 0, 0) : MakeColour(255, 0, 0);
    case 2:  // y
        if (light)
            return colorBlind ? MakeColour(160, 64, 160) : MakeColour(255, 128, 0);
        return colorBlind ? MakeColour(255, 128, 255) : MakeColour(255, 255, 0);
    case 3:  // g
        return light ? MakeColour(0, 128, 0) : MakeColour(0, 255, 0);
    case 4:  // c
        return light ? MakeColour(0, 160, 160) : MakeColour(0, 255, 255);
    case 5:  // b
        return MakeColour(0, 0, 255);
    case 6:  // e
        return MakeColour(128, 128, 128);
    default:  // w
        return light ? MakeColour(0, 0, 0) : MakeColour(255, 255, 255);
    }
}

std::string EscapeMarkup(const std::string& text)
{
    std::string escaped;
    escaped.reserve(text.size());
    for (const char c : text) {
        if (c == '$')
            escaped += "$d";
        else
            escaped += c;
    }
    return escaped;
}

std::string MarkupPlainText(const std::string& text, bool singleLine)
{
    NRRichText engine;
    engine.SetSingleLine(singleLine);
    engine.Parse(text);  // a markup error keeps what was parsed before it, as drawing does
    return engine.PlainText();
}

// A stretch of one line measured in one justification: where it ends, and the justification and
// indent in force after it.
struct NRRichText::Segment
{
    long long width;
    std::size_t next;  // the first token after the segment
    bool newLine;      // it ended at a NewLine token, which it consumed
    char justification;
    char indent;
};

NRRichText::NRRichText() : m_tabStops{kFirstTabStop} {}

void NRRichText::SetTabStops(int count, const std::int32_t* stops)
{
    m_tabStops.assign(stops, stops + (stops && count > 0 ? count : 0));
}

void NRRichText::Append(RichTextTokenKind kind, std::string text) { m_tokens.push_back({kind, std::move(text)}); }

bool NRRichText::Parse(const std::string& text)
{
    m_tokens.clear();
    m_measuredWidth = 0;
    m_measuredHeight = 0;
    m_markupError.clear();
    try {
        ParseTokens(text);
        m_markupErrorOffset = text.size();
        return true;
    } catch (const NRError& error) {
        m_markupError = error.Text();
        return false;
    }
}

void NRRichText::ParseTokens(const std::string& text)
{
    char justification = 'l';
    char previous = 0;  // none yet
    std::string word;
    const auto closeWord = [&] {
        if (!word.empty() && word.back() != ' ') {
            Append(RichTextTokenKind::Word, word);
            word.clear();
        }
    };
    const std::size_t length = text.size();

    for (std::size_t i = 0; i < length; ++i) {
        const char c = text[i];
        // "$d" is a "$" inside the word: "$$" would end the word before it, so "C:\$Tools" could
        // only be shown as "C:\ $Tools".
        if (c == '$' && i + 1 < length && text[i + 1] == 'd') {
            word += '$';
            previous = '$';
            ++i;
            continue;
        }
        if (c == ' ' || c == '\n' || c == '$')
            closeWord();

        if (c == '$') {
            m_markupErrorOffset = i;  // where the escape code starts, should it be faulty
            if (i + 1 >= length)
                throw NRError("incomplete $x escape code");
            const char code = text[++i];
            const bool hasArgument = i + 1 < length;
            switch (code) {
            case 'c': {
                if (!hasArgument)
                    throw NRError("incomplete $cx color escape code");
                const char colour = text[++i];
                if (ColourLetterIndex(colour) < 0) {
                    if (m_customColours.empty())
                        throw NRError("no colors available");
                    const int number = static_cast<unsigned char>(colour) - '0';
                    if (number < 0 || number >= static_cast<int>(m_customColours.size()))
                        throw NRError("color out of range");
                }
                Append(RichTextTokenKind::Colour, std::string(1, colour));
                break;
            }
            case 'i': {
                if (IsRightOrCentred(justification))
                    throw NRError("no indents allowed on a right or centred line");
                if (!hasArgument)
                    throw NRError("incomplete $ix indent escape code");
                const char digit = text[++i];
                if (digit < '0' || digit > '9')
                    throw NRError("indent char out of range");
                Append(RichTextTokenKind::Indent, std::string(1, digit));
                break;
            }
            case 'j': {
                if (!hasArgument)
                    throw NRError("incomplete $jx justify escape code");
                const char letter = text[++i];
                if (letter != 'l' && letter != 'c' && letter != 'r')
                    throw NRError("invalid $jx justify escape code");
                justification = letter;
                Append(RichTextTokenKind::Justify, std::string(1, letter));
                break;
            }
            case 'n':
                if (!m_singleLine)
                    Append(RichTextTokenKind::NewLine);
                break;
            case 't':
                if (IsRightOrCentred(justification))
                    throw NRError("no tabs allowed on a right or centred line");
                Append(RichTextTokenKind::Tab);
                break;
            case '$':
                word += '$';
                break;
            default:
                break;  // an unknown code is dropped with its "$"
            }
            previous = code;
            continue;
        }

        if (c == '\n') {
            if (!m_singleLine)
                Append(RichTextTokenKind::NewLine);
        } else if (c == ' ') {
            // Spaces straight after a line feed indent the next word; elsewhere a run of spaces is
            // one word boundary, and spaces at the very start are dropped.
            if (previous == '\n' || (!word.empty() && word.back() == ' '))
                word += ' ';
        } else {
            word += c;
        }
        previous = c;
    }

    if (!word.empty())
        Append(RichTextTokenKind::Word, word);
    if (!m_tokens.empty() && m_tokens.back().kind != RichTextTokenKind::NewLine)
        Append(RichTextTokenKind::NewLine);
}

std::string NRRichText::PlainText() const
{
    std::string text;
    bool needSpace = false;
    for (const RichTextToken& token : m_tokens) {
        switch (token.kind) {
        case RichTextTokenKind::Word:
            if (needSpace)
                text += ' ';
            text += token.text;
            needSpace = true;
            break;
        case RichTextTokenKind::NewLine:
            text += '\n';
            needSpace = false;
            break;
        case RichTextTokenKind::Tab:
        case RichTextTokenKind::Justify:
            // Apart on the screen, so apart when read; needSpace stays for the next word.
            break;
        case RichTextTokenKind::Indent:
        case RichTextTokenKind::Colour:
            break;
        }
    }
    if (!text.empty() && text.back() == '\n')
        text.pop_back();  // every token list ends with a line break
    return text;
}

long long NRRichText::NextTabStop(long long position) const
{
    for (const std::int32_t stop : m_tabStops) {
        if (stop > position)
            return stop;
    }
    return position;
}

NRRichText::Segment NRRichText::MeasureSegment(NRTextSurface& surface, std::size_t start, long long available,
                                               char justification, char indent) const
{
    const long long lineHeight = surface.LineHeight();
    long long width = Digit(indent) * lineHeight;
    bool needSpace = false;
    for (std::size_t i = start; i < m_tokens.size(); ++i) {
        const RichTextToken& token = m_tokens[i];
        switch (token.kind) {
        case RichTextTokenKind::Word: {
            const long long extent = WordWidth(surface, token.text, needSpace);
            if (width + extent > available)
                return Segment{width, i, false, justification, indent};
            width += extent;
            needSpace = true;
            break;
        }
        case RichTextTokenKind::NewLine:
            return Segment{width, i + 1, true, justification, indent};
        case RichTextTokenKind::Tab:
            width = NextTabStop(width);
            needSpace = false;
            break;
        case RichTextTokenKind::Justify:
            if (width < 1)
                break;  // nothing measured yet
            // A line has at most a left part followed by a right part.
            if (justification != 'l')
                throw NRError("Can only justify line twice if it is a left");
            if (token.text != "r")
                throw NRError("2nd justify on line must be a right");
            return Segment{width, i + 1, false, 'r', indent};
        case RichTextTokenKind::Indent:
            indent = token.text[0];
            if (width == 0)
                width = Digit(indent) * lineHeight;
            break;
        case RichTextTokenKind::Colour:
            break;
        }
    }
    return Segment{width, m_tokens.size(), false, justification, indent};
}

bool NRRichText::Measure(NRTextSurface& surface, const std::string& text)
{
    if (!Parse(text))
        return false;
    // Unwrapped: no word ever moves to a new line.
    char justification = 'l';
    char indent = '0';
    long long widest = 0;
    long long height = 0;
    std::size_t next = 0;
    while (next < m_tokens.size()) {
        const Segment segment = MeasureSegment(surface, next, LLONG_MAX / 2, justification, indent);
        widest = std::max(widest, segment.width);
        if (segment.newLine)
            height += surface.LineHeight();
        justification = segment.justification;
        indent = segment.indent;
        next = segment.next > next ? segment.next : next + 1;
    }
    m_measuredWidth = ClampToInt(widest);
    m_measuredHeight = ClampToInt(height);
    return true;
}

int NRRichText::LinePosition(NRTextSurface& surface, std::size_t start, int left, int right, char justification,
                             char indent) const
{
    const Segment segment = MeasureSegment(surface, start, static_cast<long long>(right) - left, justification, indent);
    switch (justification) {
    case 'c':
        return ClampToInt((static_cast<long long>(left) + right) / 2 - segment.width / 2);
    case 'r':
        return ClampToInt(right - segment.width);
    default:
        return ClampToInt(left + static_cast<long long>(Digit(indent)) * surface.LineHeight());
    }
}

NRColour NRRichText::TokenColour(const NRTextSurface& surface, char code) const
{
    const int letter = ColourLetterIndex(code);
    if (letter >= 0)
        return surface.LetterColour(letter);
    const int number = static_cast<unsigned char>(code) - '0';
    if (number < 0 || number >= static_cast<int>(m_customColours.size()))
        throw std::invalid_argument("rich text: custom colour " + std::to_string(number) + " is not in the table");
    return m_customColours[static_cast<std::size_t>(number)];
}

void NRRichText::Layout(NRTextSurface& surface, int left, int top, int right, int /*bottom*/, NRTextExtent* extent)
{
    const bool drawing = extent == nullptr;
    if (drawing) {
        surface.BeginDrawing();
        surface.SetTextColour(surface.DefaultTextColour());
    }
    const long long lineHeight = surface.LineHeight();
    long long widest = 0;
    long long tallest = 0;
    char justification = 'l';
    char indent = '0';
    long long y = top;

    std::size_t i = 0;
    while (i < m_tokens.size()) {
        long long x = LinePosition(surface, i, left, right, justification, indent);
        bool needSpace = false;
        bool lineEnded = false;
        for (; i < m_tokens.size() && !lineEnded; ++i) {
            const RichTextToken& token = m_tokens[i];
            switch (token.kind) {
            case RichTextTokenKind::Word: {
                bool spaced = needSpace;
                long long width = WordWidth(surface, token.text, spaced);
                if (!m_singleLine && x + width > right) {
                    // Wraps, even as the first word of a line: one wider than the whole width leaves
                    // its line empty and runs past the right edge below.
                    y += lineHeight;
                    x = LinePosition(surface, i, left, right, justification, indent);
                    spaced = false;
                    width = WordWidth(surface, token.text, false);
                }
                if (drawing) {
                    const std::string shown = spaced ? " " + token.text : token.text;
                    surface.DrawText(ClampToInt(x), ClampToInt(y), shown.data(), shown.size());
                }
                x += width;
                needSpace = true;
                break;
            }
            case RichTextTokenKind::NewLine:
                if (!m_singleLine)
                    y += lineHeight;
                lineEnded = true;
                break;
            case RichTextTokenKind::Tab:
                x = left + NextTabStop(x - left);
                needSpace = false;
                break;
            case RichTextTokenKind::Justify:
                // The rest of the line is placed afresh, as a line of its own at the same height.
                justification = token.text[0];
                x = LinePosition(surface, i + 1, left, right, justification, indent);
                needSpace = false;
                break;
            case RichTextTokenKind::Indent:
                indent = token.text[0];  // shows from the next line on
                break;
            case RichTextTokenKind::Colour:
                if (drawing)
                    surface.SetTextColour(TokenColour(surface, token.text[0]));
                break;
            }
            widest = std::max(widest, x - left);
            tallest = std::max(tallest, y - top);
        }
    }
    if (extent)
        *extent = NRTextExtent{ClampToInt(widest), ClampToInt(tallest)};
}
