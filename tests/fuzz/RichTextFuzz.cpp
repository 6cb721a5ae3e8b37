// Feeds arbitrary bytes to the markup parser and the layout walk. Whatever the markup, the engine
// must not crash, read out of bounds, loop or overflow, and a markup error must keep every token
// parsed before it. The first four bytes choose the options, the rest is the text.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <stdexcept>
#include <string>
#include <vector>

#include "platform/Error.h"
#include "ui/text/RichText.h"

namespace {

void Require(bool condition)
{
    if (!condition)
        std::abort();
}

// Widths from the bytes themselves, so that every byte handed over is read.
class FakeSurface : public NRTextSurface
{
public:
    int LineHeight() const override { return 14; }
    int TextWidth(const char* text, std::size_t length) override
    {
        int width = 0;
        for (std::size_t i = 0; i < length; ++i)
            width += 3 + static_cast<unsigned char>(text[i]) % 9;
        return width;
    }
    NRColour DefaultTextColour() const override { return MakeColour(255, 255, 255); }
    NRColour LetterColour(int index) const override
    {
        Require(index >= 0 && index < 7);
        return LetterColourFor(index, false, false);
    }
    void SetTextColour(NRColour colour) override { m_colour = colour; }
    void DrawText(int, int, const char* text, std::size_t length) override
    {
        Require(length > 0);
        m_drawn = m_drawn + static_cast<unsigned>(TextWidth(text, length)) + m_colour;
    }

private:
    NRColour m_colour = 0;
    volatile unsigned m_drawn = 0;  // what was drawn, so that nothing handed over goes unread
};

bool IsPrefix(const std::vector<RichTextToken>& prefix, const std::vector<RichTextToken>& whole)
{
    if (prefix.size() > whole.size())
        return false;
    for (std::size_t i = 0; i < prefix.size(); ++i) {
        if (!(prefix[i] == whole[i]))
            return false;
    }
    return true;
}

void Configure(NRRichText& rich, const std::uint8_t* options)
{
    rich.SetSingleLine(options[0] & 1);
    const std::int32_t stops[] = {options[2] % 97, 120, 250, options[2] * 3};
    rich.SetTabStops(options[0] >> 6, stops);
    rich.SetCustomColours(std::vector<NRColour>(options[3] % 5, MakeColour(1, 2, 3)));
}

void LayOut(NRRichText& rich, FakeSurface& surface, int left, int right)
{
    try {
        rich.Layout(surface, left, 0, right, 100);
        NRTextExtent extent = {-1, -1};
        rich.Layout(surface, left, 0, right, 100, &extent);
        Require(extent.width >= 0 && extent.height >= 0);
    } catch (const NRError&) {
        // The two justification errors are raised to the caller by design.
    }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    if (size < 4)
        return 0;
    const std::uint8_t* options = data;
    const std::string text(reinterpret_cast<const char*>(data + 4), size - 4);

    NRRichText rich;
    Configure(rich, options);
    const bool parsed = rich.Parse(text);
    const std::vector<RichTextToken> tokens = rich.Tokens();
    if (parsed) {
        Require(tokens.empty() || tokens.back().kind == RichTextTokenKind::NewLine);
    } else {
        // What came before the faulty code parses on its own, into at least the tokens kept.
        Require(!rich.MarkupError().empty());
        Require(rich.MarkupErrorOffset() < text.size() && text[rich.MarkupErrorOffset()] == '$');
        NRRichText before;
        Configure(before, options);
        Require(before.Parse(text.substr(0, rich.MarkupErrorOffset())));
        Require(IsPrefix(tokens, before.Tokens()));
    }
    for (const RichTextToken& token : tokens)
        Require(token.kind != RichTextTokenKind::Word || !token.text.empty());

    FakeSurface surface;
    const int left = options[1] % 16;
    const int right = left + options[1] * 2;
    LayOut(rich, surface, left, right);
    try {
        if (rich.Measure(surface, text))
            Require(rich.MeasuredWidth() >= 0 && rich.MeasuredHeight() >= 0);
    } catch (const NRError&) {
    }
    // Fewer custom colours than at parsing: layout refuses, and says so.
    rich.SetCustomColours({});
    try {
        LayOut(rich, surface, left, right);
    } catch (const std::invalid_argument&) {
    }
    return 0;
}
