// The markup engine: parsing, its errors, and layout through Wine's Tahoma. Layout is recorded
// from the real drawing surface (what is drawn where, in which colour) and checked on pixels.
#include <gtest/gtest.h>

#include <stdexcept>
#include <string>
#include <vector>

#include "DibCanvas.h"
#include "TestSupport.h"
#include "platform/Error.h"
#include "platform/Registry.h"
#include "ui/text/DcTextSurface.h"
#include "ui/text/RichText.h"
#include "ui/theme/DrawContext.h"

using namespace testing_support;

namespace {

using K = RichTextTokenKind;

std::vector<RichTextToken> Tokens(std::initializer_list<RichTextToken> tokens) { return tokens; }
const RichTextToken kNewLine = {K::NewLine, ""};
RichTextToken W(const char* text) { return {K::Word, text}; }

// Draws through a drawing context's normal font, and remembers every draw and colour.
class RecordingSurface : public NRDcTextSurface
{
public:
    struct Draw
    {
        int x, y;
        std::string text;
        NRColour colour;
    };
    using NRDcTextSurface::NRDcTextSurface;

    void SetTextColour(NRColour colour) override
    {
        m_colour = colour;
        NRDcTextSurface::SetTextColour(colour);
    }
    void DrawText(int x, int y, const char* text, std::size_t length) override
    {
        draws.push_back({x, y, std::string(text, length), m_colour});
        NRDcTextSurface::DrawText(x, y, text, length);
    }
    int Width(const std::string& text) { return TextWidth(text.data(), text.size()); }

    std::vector<Draw> draws;

private:
    NRColour m_colour = 0;
};

// A canvas with its drawing context, ready for the engine.
struct Page
{
    Page(int width = 300, int height = 120) : canvas(width, height, RGB(0, 0, 0)), context(canvas.Dc()) {}
    DibCanvas canvas;
    NRDrawContext context;
};

std::vector<RecordingSurface::Draw> LayOut(const std::string& text, int left, int right, bool singleLine = false)
{
    Page page;
    RecordingSurface surface(page.context);
    NRRichText rich;
    rich.SetSingleLine(singleLine);
    EXPECT_TRUE(rich.Parse(text)) << text << ": " << rich.MarkupError();
    rich.Layout(surface, left, 0, right, 100);
    return surface.draws;
}

std::string Raised(const std::string& text, bool layout)
{
    Page page;
    NRRichText rich;
    try {
        if (!rich.Measure(page.context, text))
            return "parse: " + rich.MarkupError();
        if (layout)
            rich.Layout(page.context, 0, 0, 300, 100);
    } catch (const NRError& error) {
        return error.Text();
    }
    return "";
}

}  // namespace

TEST(RichTextParse, TurnsMarkupIntoTokensAndPlainText)
{
    const struct
    {
        const char* text;
        bool singleLine;
        std::vector<RichTextToken> expected;
        const char* plain;  // what a screen reader reads
    } cases[] = {
        {"a  b", false, Tokens({W("a"), W("b"), kNewLine}), "a b"},
        {"  lead", false, Tokens({W("lead"), kNewLine}), "lead"},
        {"line1\n   indented", false, Tokens({W("line1"), kNewLine, W("   indented"), kNewLine}), "line1\n   indented"},
        {"line1$n   indented", false, Tokens({W("line1"), kNewLine, W("indented"), kNewLine}), "line1\nindented"},
        {"$$5", false, Tokens({W("$5"), kNewLine}), "$5"},
        {"5$$", false, Tokens({W("5"), W("$"), kNewLine}), "5 $"},
        {"C:\\$dT $d5$d\n  $d", false, Tokens({W("C:\\$T"), W("$5$"), kNewLine, W("  $"), kNewLine}),
         "C:\\$T $5$\n  $"},
        {"ab$crcd", false, Tokens({W("ab"), {K::Colour, "r"}, W("cd"), kNewLine}), "ab cd"},
        {"$q", false, Tokens({}), ""},
        {"word", false, Tokens({W("word"), kNewLine}), "word"},
        {"ends\n", false, Tokens({W("ends"), kNewLine}), "ends"},
        {"$jlName$jrValue", false, Tokens({{K::Justify, "l"}, W("Name"), {K::Justify, "r"}, W("Value"), kNewLine}),
         "Name Value"},
        {"$i3x$tY", false, Tokens({{K::Indent, "3"}, W("x"), {K::Tab, ""}, W("Y"), kNewLine}), "x Y"},
        {"a\nb$nc", true, Tokens({W("a"), W("b"), W("c"), kNewLine}), "a b c"},
        {"\r", false, Tokens({W("\r"), kNewLine}), "\r"},
        {"$cyError in x (5)$cw\n\n$crERROR", false,
         Tokens({{K::Colour, "y"},
                 W("Error"),
                 W("in"),
                 W("x"),
                 W("(5)"),
                 {K::Colour, "w"},
                 kNewLine,
                 kNewLine,
                 {K::Colour, "r"},
                 W("ERROR"),
                 kNewLine}),
         "Error in x (5)\n\nERROR"},
    };
    for (const auto& c : cases) {
        NRRichText rich;
        rich.SetSingleLine(c.singleLine);
        EXPECT_TRUE(rich.Parse(c.text)) << c.text;
        EXPECT_EQ(c.expected, rich.Tokens()) << c.text;
        EXPECT_EQ(c.plain, rich.PlainText()) << c.text;
        EXPECT_EQ(c.plain, MarkupPlainText(c.text, c.singleLine)) << c.text;
    }
}

TEST(RichTextParse, ReportsEachMarkupErrorAndKeepsWhatWasParsedBefore)
{
    const struct
    {
        const char* text;
        int customColours;
        const char* error;
        std::vector<RichTextToken> kept;
    } cases[] = {
        {"abc$", 0, "incomplete $x escape code", Tokens({W("abc")})},
        {"a $c", 0, "incomplete $cx color escape code", Tokens({W("a")})},
        {"$c5", 0, "no colors available", Tokens({})},
        {"$c0$c5", 2, "color out of range", Tokens({{K::Colour, "0"}})},
        {"$jr$i2", 0, "no indents allowed on a right or centred line", Tokens({{K::Justify, "r"}})},
        {"$ix", 0, "indent char out of range", Tokens({})},
        {"$jl$i", 0, "incomplete $ix indent escape code", Tokens({{K::Justify, "l"}})},
        {"x $jx", 0, "invalid $jx justify escape code", Tokens({W("x")})},
        {"$j", 0, "incomplete $jx justify escape code", Tokens({})},
        {"$jc$t", 0, "no tabs allowed on a right or centred line", Tokens({{K::Justify, "c"}})},
    };
    for (const auto& c : cases) {
        NRRichText rich;
        rich.SetCustomColours(std::vector<NRColour>(c.customColours, MakeColour(1, 2, 3)));
        EXPECT_FALSE(rich.Parse(c.text)) << c.text;
        EXPECT_EQ(c.error, rich.MarkupError()) << c.text;
        EXPECT_EQ(c.kept, rich.Tokens()) << c.text;
    }
}

TEST(RichTextMeasure, GivesTheUnwrappedSizeOrNothingAfterAnError)
{
    Page page;
    RecordingSurface surface(page.context);
    NRRichText rich;
    ASSERT_TRUE(rich.Measure(surface, "one two\nthree"));
    EXPECT_EQ(surface.Width("one two"), rich.MeasuredWidth());
    EXPECT_EQ(2 * 14, rich.MeasuredHeight());

    EXPECT_FALSE(rich.Measure(surface, "one$"));
    EXPECT_EQ(0, rich.MeasuredWidth());
    EXPECT_EQ(0, rich.MeasuredHeight());

    ASSERT_TRUE(rich.Measure(surface, ""));
    EXPECT_TRUE(rich.Tokens().empty());
    EXPECT_EQ(0, rich.MeasuredWidth());

    rich.SetSingleLine(true);
    ASSERT_TRUE(rich.Measure(surface, "a\nb$nc"));
    EXPECT_EQ(surface.Width("a b c"), rich.MeasuredWidth());
    EXPECT_EQ(14, rich.MeasuredHeight());
}

TEST(RichTextMeasure, RaisesTheTwoJustificationErrorsToTheCaller)
{
    EXPECT_EQ("2nd justify on line must be a right", Raised("$jlA$jcB", false));
    EXPECT_EQ("", Raised("$jcA$jrB", false)) << "a justification that starts a line is not measured";
    EXPECT_EQ("Can only justify line twice if it is a left", Raised("$jcA$jrB", true));
    EXPECT_EQ("", Raised("$jlA$jrB", true));
    // The right justification stays in force on the next line.
    EXPECT_EQ("Can only justify line twice if it is a left", Raised("$jlA$jrB\nC$jrD", true));
}

TEST(RichTextLayout, PlacesJustifiedPartsAtTheirEdges)
{
    const int left = 10, right = 210;
    {
        const auto draws = LayOut("$jlName$jrValue", left, right);
        ASSERT_EQ(2u, draws.size());
        Page page;
        RecordingSurface measure(page.context);
        EXPECT_EQ(left, draws[0].x);
        EXPECT_EQ(right, draws[1].x + measure.Width("Value")) << "ends at the right edge";
        EXPECT_EQ(draws[0].y, draws[1].y) << "on the same line";
    }
    {
        // Both halvings truncate: a text of odd width shows it.
        Page page;
        RecordingSurface measure(page.context);
        std::string word = "m";
        for (const char extra : std::string("ixaeo"))
            if (measure.Width(word + " of it") % 2 == 0)
                word += extra;
        ASSERT_EQ(1, measure.Width(word + " of it") % 2);
        const auto draws = LayOut("$jc" + word + " of it", left, right);
        ASSERT_EQ(3u, draws.size());
        EXPECT_EQ((left + right) / 2 - measure.Width(word + " of it") / 2, draws[0].x);
        EXPECT_EQ(" of", draws[1].text) << "words after the first carry their space";
    }
    {
        // The indent in force before a line places it; an indent code shows from the next line.
        const auto draws = LayOut("$i2abc\nxyz", left, right);
        ASSERT_EQ(2u, draws.size());
        EXPECT_EQ(left, draws[0].x);
        EXPECT_EQ(left + 2 * 14, draws[1].x);
        EXPECT_EQ(14, draws[1].y);
    }
}

TEST(RichTextLayout, WrapsWordsThatPassTheRightEdge)
{
    Page page;
    RecordingSurface measure(page.context);
    const int right = measure.Width("aaa bbb") + 2;
    {
        const auto draws = LayOut("aaa bbb ccc", 0, right);
        ASSERT_EQ(3u, draws.size());
        EXPECT_EQ(0, draws[1].y);
        EXPECT_EQ("ccc", draws[2].text) << "drawn without its space";
        EXPECT_EQ(0, draws[2].x);
        EXPECT_EQ(14, draws[2].y);
    }
    {
        // A word wider than the rectangle leaves its line empty and runs past the edge below.
        const auto draws = LayOut("abcdefghijklmnopqrstuvwxyz next", 0, 40);
        ASSERT_EQ(2u, draws.size());
        EXPECT_EQ(14, draws[0].y);
        EXPECT_EQ(0, draws[0].x);
        EXPECT_EQ(28, draws[1].y);
    }
    {
        // A right-justified line that wraps is placed again from the word that starts the rest.
        const auto draws = LayOut("$jraaa bbb ccc", 0, right);
        ASSERT_EQ(3u, draws.size());
        EXPECT_EQ(right, draws[1].x + measure.Width(" bbb"));
        EXPECT_EQ(right, draws[2].x + measure.Width("ccc"));
    }
    {
        const auto draws = LayOut("aaa bbb\nccc ddd", 0, 1000, true);
        ASSERT_EQ(4u, draws.size());
        EXPECT_EQ(0, draws[3].y) << "single-line mode never starts a new line";
        EXPECT_EQ(draws[2].x + measure.Width(" ccc"), draws[3].x);
    }
}

TEST(RichTextLayout, MovesToTabStopsAndLeavesXWhenThereIsNone)
{
    Page page;
    RecordingSurface surface(page.context);
    NRRichText rich;
    const std::int32_t stops[] = {50, 120};
    rich.SetTabStops(2, stops);
    ASSERT_TRUE(rich.Parse("a$tb$tc$td"));
    rich.Layout(surface, 5, 0, 300, 100);
    ASSERT_EQ(4u, surface.draws.size());
    EXPECT_EQ(5 + 50, surface.draws[1].x);
    EXPECT_EQ(5 + 120, surface.draws[2].x);
    EXPECT_EQ("d", surface.draws[3].text) << "no stop beyond: no space either";
    EXPECT_EQ(surface.draws[2].x + surface.Width("c"), surface.draws[3].x);

    NRRichText fresh;  // one stop, at 10
    ASSERT_TRUE(fresh.Parse("$tX"));
    surface.draws.clear();
    fresh.Layout(surface, 5, 0, 300, 100);
    ASSERT_EQ(1u, surface.draws.size());
    EXPECT_EQ(15, surface.draws[0].x);
}

TEST(RichTextLayout, MeasuresTheWrappedExtentWithoutDrawing)
{
    Page page;
    RecordingSurface surface(page.context);
    NRRichText rich;
    ASSERT_TRUE(rich.Parse("aaa bbb ccc"));
    const int right = surface.Width("aaa bbb") + 2;
    NRTextExtent extent = {-1, -1};
    rich.Layout(surface, 0, 0, right, 100, &extent);
    EXPECT_TRUE(surface.draws.empty());
    EXPECT_EQ(surface.Width("aaa bbb"), extent.width);
    EXPECT_EQ(2 * 14, extent.height);
}

TEST(RichTextLayout, DrawsColourLettersInTheColoursOfEachPalette)
{
    const GuiSettings saved = g_guiSettings;
    const struct
    {
        bool newGui, colorBlind;
        NRColour white, yellow;
    } cases[] = {
        {false, false, MakeColour(255, 255, 255), MakeColour(255, 255, 0)},
        {false, true, MakeColour(255, 255, 255), MakeColour(255, 128, 255)},
        {true, false, MakeColour(0, 0, 0), MakeColour(255, 128, 0)},
        {true, true, MakeColour(0, 0, 0), MakeColour(160, 64, 160)},
    };
    for (const auto& c : cases) {
        g_guiSettings.newGui = c.newGui;
        g_guiSettings.colorBlind = c.colorBlind;
        const auto draws = LayOut("$cyError in x (5)$cw after", 0, 300);
        ASSERT_EQ(5u, draws.size());
        EXPECT_EQ(c.yellow, draws[0].colour);
        EXPECT_EQ(c.yellow, draws[3].colour);
        EXPECT_EQ(c.white, draws[4].colour) << "white again for what follows";
    }
    g_guiSettings = saved;

    // And on pixels: the yellow word on the dark background.
    g_guiSettings.newGui = 0;
    g_guiSettings.colorBlind = 1;
    Page page;
    NRRichText rich;
    ASSERT_TRUE(rich.Parse("$cyWarning"));
    rich.Layout(page.context, 0, 0, 300, 100);
    g_guiSettings = saved;
    const RECT all = {0, 0, 300, 120};
    EXPECT_GT(page.canvas.CountColour(RGB(255, 128, 255), all), 10);
}

TEST(RichTextLayout, RefusesACustomColourTheTableNoLongerHas)
{
    Page page;
    NRRichText rich;
    rich.SetCustomColours({MakeColour(10, 20, 30), MakeColour(40, 50, 60)});
    ASSERT_TRUE(rich.Parse("$c1blue-grey"));
    rich.Layout(page.context, 0, 0, 300, 100);
    const RECT all = {0, 0, 300, 120};
    EXPECT_GT(page.canvas.CountColour(RGB(40, 50, 60), all), 10);

    rich.SetCustomColours({MakeColour(10, 20, 30)});
    EXPECT_THROW(rich.Layout(page.context, 0, 0, 300, 100), std::invalid_argument);
}
