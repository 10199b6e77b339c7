// Where glyphs go: the text walk shared by both drawing forms and the
// width measure, on a font record made here.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "ctesser_gfx_font.h"

namespace {

struct Event {
    int color; // -1 for a glyph
    unsigned code;
    float x, y, size;
};

struct Recorder {
    std::vector<Event> events;
    void Glyph(unsigned c, float x, float y, float size) { events.push_back({-1, c, x, y, size}); }
    void Color(int index) { events.push_back({index, 0, 0, 0, 0}); }
};

class FontWalkTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        font.cellSize = 16;
        for (float& w : font.widths)
            w = 8;
        font.widths['A'] = 9;
        font.widths['B'] = 10;
        font.widths[' '] = 4.6f;
        font.widths['\t'] = 12.7f;
        font.widths['i'] = 4.6f;
        font.widths[200] = 11;
    }
    std::vector<Event> Walk(const std::string& text, FontLayout l)
    {
        Recorder r;
        FontWalk(font, text.c_str(), l, r);
        return r.events;
    }
    static FontLayout At(float x, float y, int32_t max = 0)
    {
        FontLayout l;
        l.x = x;
        l.y = y;
        l.maxChars = max;
        return l;
    }
    TSNFONT font;
};

TEST_F(FontWalkTest, GlyphsAdvanceByTheirWidthsAndCellsFollowTheGrid)
{
    const auto ev = Walk("AB", At(10, 20));
    ASSERT_EQ(ev.size(), 2u);
    EXPECT_EQ(ev[0].code, unsigned('A'));
    EXPECT_FLOAT_EQ(ev[0].x, 10);
    EXPECT_FLOAT_EQ(ev[0].y, 20);
    EXPECT_FLOAT_EQ(ev[0].size, 16);
    EXPECT_FLOAT_EQ(ev[1].x, 19);
    const FontCell a = FontGlyphCell('A'); // column 1, row 4
    EXPECT_FLOAT_EQ(a.left, 0.0625f);
    EXPECT_FLOAT_EQ(a.top, 0.25f);
    EXPECT_FLOAT_EQ(a.right, 0.125f);
    EXPECT_FLOAT_EQ(a.bottom, 0.3125f);
}

TEST_F(FontWalkTest, LineFeedSpacesTabsAndControlCodes)
{
    // Line feed: back to x, down floor(16 * 1.1) = 17.
    auto ev = Walk("A\nB", At(10, 20));
    ASSERT_EQ(ev.size(), 2u);
    EXPECT_FLOAT_EQ(ev[1].x, 10);
    EXPECT_FLOAT_EQ(ev[1].y, 37);
    // A space of 4.6 advances 4; a printable of 4.6 advances 4.6.
    ev = Walk(" A", At(0, 0));
    EXPECT_FLOAT_EQ(ev[0].x, 4);
    ev = Walk("iA", At(0, 0));
    EXPECT_FLOAT_EQ(ev[1].x, 4.6f);
    // Tab: floor of its width; other codes below 33 neither draw nor advance.
    ev = Walk("\tA\x01\x1f" "B", At(0, 0));
    ASSERT_EQ(ev.size(), 2u);
    EXPECT_FLOAT_EQ(ev[0].x, 12);
    EXPECT_FLOAT_EQ(ev[1].x, 21);
}

TEST_F(FontWalkTest, MaximumCharactersAndHighCodes)
{
    auto ev = Walk("Hello", At(0, 0, 3));
    ASSERT_EQ(ev.size(), 3u);
    EXPECT_EQ(ev[2].code, unsigned('l'));
    // Codes 128-255 are glyphs with their own cells and widths.
    ev = Walk("\xC8" "A", At(0, 0));
    ASSERT_EQ(ev.size(), 2u);
    EXPECT_EQ(ev[0].code, 200u);
    EXPECT_FLOAT_EQ(ev[1].x, 11);
    const FontCell c = FontGlyphCell(200); // column 8, row 12
    EXPECT_FLOAT_EQ(c.left, 0.5f);
    EXPECT_FLOAT_EQ(c.top, 0.75f);
}

TEST_F(FontWalkTest, ExtendedFormScalesSpacesAndEscapesColours)
{
    FontLayout l = At(5, 5);
    l.extended = true;
    l.scale = 2;
    l.charSpacing = 1.5f;
    l.lineSpacing = 3;
    auto ev = Walk("A i\nB", l);
    ASSERT_EQ(ev.size(), 3u);
    EXPECT_FLOAT_EQ(ev[0].size, 32);
    // A: floor(2*9 + 1.5) = 19; space: floor(2*4.6 + 1.5) = 10.
    EXPECT_FLOAT_EQ(ev[1].x, 5 + 19 + 10);
    // Line feed: floor(32 * 1.1 + 3) = 38.
    EXPECT_FLOAT_EQ(ev[2].x, 5);
    EXPECT_FLOAT_EQ(ev[2].y, 5 + 38);

    // "a%1b": with escapes on, a, colour 1, b; off, all four are glyphs.
    l = At(0, 0);
    l.extended = true;
    l.colorEscapes = true;
    ev = Walk("a%1b%x", l);
    ASSERT_EQ(ev.size(), 5u);
    EXPECT_EQ(ev[0].code, unsigned('a'));
    EXPECT_EQ(ev[1].color, 1);
    EXPECT_EQ(ev[2].code, unsigned('b'));
    EXPECT_FLOAT_EQ(ev[2].x, 8); // the escape takes no room
    EXPECT_EQ(ev[3].code, unsigned('%'));
    EXPECT_EQ(ev[4].code, unsigned('x'));
    l.colorEscapes = false;
    EXPECT_EQ(Walk("a%1b", l).size(), 4u);
}

TEST_F(FontWalkTest, MeasureStopsAtTheFirstLineAndSkipsEscapes)
{
    EXPECT_FLOAT_EQ(FontMeasure(font, "AB\ncd", 1, 0), 19);
    EXPECT_FLOAT_EQ(FontMeasure(font, "A%5B", 1, 0), 19);
    EXPECT_FLOAT_EQ(FontMeasure(font, "A B", 2, 1), 19 + 10 + 21);
    EXPECT_FLOAT_EQ(FontMeasure(font, "\x01" "A", 1, 0), 9);
    EXPECT_FLOAT_EQ(FontMeasure(font, "", 1, 0), 0);
}

} // namespace
