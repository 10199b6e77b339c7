// Fonts through the engine: loading descriptions, the current font, and
// text drawn with a font generated here, compared with a reference
// rendering composed by the test from the same glyph texture and advances.
#include <gtest/gtest.h>

#include <cmath>
#include <cstdlib>

#include "tex_engine_fixture.h"
#include "tools/fontgen/fontgen.h"

using textest::TexEngineTest;
using tsrtest::ThrownDescription;

namespace {

const char* kDejaVu = "/usr/share/fonts/truetype/dejavu/DejaVuSans.ttf";

std::string SourceFile(const std::string& rel)
{
    const char* src = std::getenv("TSR_SOURCE_DIR");
    const std::filesystem::path root =
        src ? std::filesystem::path(src) : std::filesystem::path(__FILE__).parent_path().parent_path().parent_path();
    return gfxtest::ReadFile(root / rel);
}

class FontEngineTest : public TexEngineTest {
protected:
    void SetUp() override
    {
        TexEngineTest::SetUp();
        if (!std::filesystem::exists(kDejaVu))
            GTEST_SKIP() << "DejaVu Sans is not installed (package fonts-dejavu-core)";
        fontgen::Options opt;
        opt.fontPath = kDejaVu;
        opt.cellSize = 16;
        opt.fontID = "FNT_TEST";
        opt.textureID = "TEX_FONT_TEST";
        opt.techniqueID = "TEQ_FONT";
        opt.techPackID = "TEQ_FONTPACK";
        std::string err;
        ASSERT_TRUE(fontgen::Generate(opt, gen, &err)) << err;
        const std::string png = fontgen::EncodePNG(gen.texture);
        LoadTexture(std::vector<uint8_t>(png.begin(), png.end()), "TEX_FONT_TEST");
        LoadPack(SourceFile("DATA/fonts/fonttech.xml"));
        fontID = engine->FontLoad(gen.description.data(), int32_t(gen.description.size()));
    }

    // The picture the text should give: each glyph cell blended over the
    // picture so far (source alpha), in the colour it is drawn with.
    struct Ref {
        std::vector<float> rgb = std::vector<float>(800 * 600 * 3, 0.0f);
        void Glyph(const tsr::image::Image& tex, unsigned code, int x0, int y0, const uint8_t color[3])
        {
            for (int y = 0; y < 16; ++y)
                for (int x = 0; x < 16; ++x) {
                    const uint8_t* t = tex.Pixel(int(code % 16) * 16 + x, int(code / 16) * 16 + y);
                    const float a = t[3] / 255.0f;
                    float* p = &rgb[(size_t(y0 + y) * 800 + size_t(x0 + x)) * 3];
                    for (int c = 0; c < 3; ++c)
                        p[c] = color[c] * (t[c] / 255.0f) * a + p[c] * (1 - a);
                }
        }
    };
    // Compares the picture in a rectangle with the reference.
    void ExpectPicture(const Ref& ref, int x0, int y0, int w, int h)
    {
        const auto px = Pixels();
        int lit = 0;
        for (int y = y0; y < y0 + h; ++y)
            for (int x = x0; x < x0 + w; ++x) {
                const uint32_t got = At(px, uint32_t(x), uint32_t(y));
                const float* want = &ref.rgb[(size_t(y) * 800 + size_t(x)) * 3];
                for (int c = 0; c < 3; ++c) {
                    const int g = int(got >> (16 - 8 * c) & 255);
                    ASSERT_NEAR(g, want[c], 2.0f) << "pixel " << x << "," << y << " channel " << c;
                    lit += g > 0;
                }
            }
        EXPECT_GT(lit, 50) << "nothing drawn";
    }

    fontgen::Result gen;
    int fontID = -1;
};

TEST_F(FontEngineTest, TextShowsTheRightGlyphsAtTheRightAdvances)
{
    const std::string text = "Hi, Ag!\n\xC9tat\tq";
    Frame([&] {
        engine->FontSet(fontID);
        engine->FontDrawText(text, 20, 30, 0, 0, 1.0f);
    });
    Ref ref;
    const uint8_t white[3] = {255, 255, 255};
    float px = 20, py = 30;
    for (unsigned char c : text) {
        if (c == '\n') {
            px = 20;
            py += std::floor(16 * 1.1f);
        } else if (c == ' ' || c == '\t') {
            px += std::floor(gen.widths[c]);
        } else {
            ref.Glyph(gen.texture, c, int(px), int(py), white);
            px += gen.widths[c];
        }
    }
    ExpectPicture(ref, 10, 25, 160, 45);
    EXPECT_FLOAT_EQ(engine->FontGetStringWidth(text, fontID, 1, 0),
                    gen.widths['H'] + gen.widths['i'] + gen.widths[','] + gen.widths[' '] + gen.widths['A'] +
                        gen.widths['g'] + gen.widths['!']);
}

TEST_F(FontEngineTest, ColourEscapesSwitchColoursAndScaleSpacesGlyphs)
{
    Frame([&] {
        engine->FontSet(fontID);
        engine->FontDrawTextEx("A%2A%9B", 20, 30, 0, 0, 1.0f, true, 1.0f, 2.0f, 0.0f);
    });
    Ref ref;
    auto color = [&](int n, uint8_t out[3]) {
        for (int c = 0; c < 3; ++c)
            out[c] = uint8_t(int(fontgen::kColors[n][c] * 255.0f));
    };
    uint8_t c0[3], c2[3], c9[3];
    color(0, c0);
    color(2, c2);
    color(9, c9);
    const float adv = std::floor(gen.widths['A'] + 2.0f);
    ref.Glyph(gen.texture, 'A', 20, 30, c0);
    ref.Glyph(gen.texture, 'A', int(20 + adv), 30, c2);
    ref.Glyph(gen.texture, 'B', int(20 + 2 * adv), 30, c9);
    ExpectPicture(ref, 10, 25, 80, 25);

    // Without a colour index the escapes are glyphs: '%' shows.
    Frame([&] {
        engine->VQuadSetColor(1, 1, 1, 1);
        engine->FontDrawTextEx("%2", 20, 30, 0, -1, 1.0f, true, 1.0f, 0.0f, 0.0f);
    });
    Ref ref2;
    ref2.Glyph(gen.texture, '%', 20, 30, c0);
    ref2.Glyph(gen.texture, '2', int(20 + gen.widths['%']), 30, c0);
    ExpectPicture(ref2, 10, 25, 60, 25);
}

TEST_F(FontEngineTest, ColourIndexOutsideTheTableKeepsTheQuadColour)
{
    for (int index : {10, -2, 1000}) {
        Frame([&] {
            engine->VQuadSetColor(0, 1, 0, 1);
            engine->FontDrawText("W", 20, 30, 0, index, 1.0f);
        });
        Ref ref;
        const uint8_t green[3] = {0, 255, 0};
        ref.Glyph(gen.texture, 'W', 20, 30, green);
        ExpectPicture(ref, 15, 25, 30, 25);
    }
}

TEST_F(FontEngineTest, DescriptionsLoadOnceAndNameTheirErrors)
{
    const size_t before = Log().size();
    EXPECT_EQ(engine->FontLoad(gen.description.data(), int32_t(gen.description.size())), fontID);
    EXPECT_NE(Log().find("Warning: Dublicated font!", before), std::string::npos);
    EXPECT_EQ(engine->FontGetID("FNT_TEST"), fontID);
    EXPECT_EQ(engine->FontGetID("FNT_NONE"), -1);
    EXPECT_NE(Log().find("Cannot find iID of font with strID = FNT_NONE"), std::string::npos);

    // Replace one attribute of the generated description.
    auto variant = [&](const std::string& from, const std::string& to) {
        std::string d = gen.description;
        const size_t at = d.find(from);
        EXPECT_NE(at, std::string::npos) << from;
        d.replace(at, from.size(), to);
        d.replace(d.find("id=\"FNT_TEST\""), 13, "id=\"FNT_VAR\"");
        return d;
    };
    struct Bad {
        std::string text;
        const char* message;
        int32_t type;
    };
    const Bad bad[] = {
        {"<fontinfo id=\"FNT_X\"/>", "XML file doesn't contain font description!", EHS_GAME},
        {"<fontdesc textureid=\"TEX_FONT_TEST\"/>", "Invalid font ID", EHS_GENERAL},
        {variant("textureid=\"TEX_FONT_TEST\"", "textureid=\"\""), "Invalid font texture ID!", EHS_GENERAL},
        {variant("techniqueid=\"TEQ_FONT\"", "techniqueid=\"\""), "Invalid font technique ID!", EHS_GENERAL},
        {variant("techpackid=\"TEQ_FONTPACK\"", "techpackid=\"\""), "Invalid font technique pack ID!", EHS_GENERAL},
        {variant("cellsize=\"16\"", "cellsize=\"\""), "Invalid font cell size!", EHS_GENERAL},
        {variant("cs65=", "xx65="), "Invalid character length!", EHS_GENERAL},
    };
    for (const Bad& b : bad) {
        int32_t type = 0;
        EXPECT_EQ(ThrownDescription([&] { engine->FontLoad(b.text.data(), int32_t(b.text.size())); }, &type), b.message);
        EXPECT_EQ(type, b.type) << b.message;
    }
    // A missing colour reads as 0; the tag is kept in the slot.
    const std::string noColour = variant("color3g=\"1\"", "");
    const int id = engine->FontLoad(noColour.data(), int32_t(noColour.size()));
    EXPECT_FLOAT_EQ(engine->FontGetFont(id)->colors[3][1], 0.0f);
    EXPECT_FLOAT_EQ(engine->FontGetFont(id)->colors[3][3], 1.0f);
}

TEST_F(FontEngineTest, CurrentFontChecks)
{
    int32_t type = 0;
    EXPECT_EQ(ThrownDescription([&] { engine->FontSet(-1); }, &type), "Cannot set current font: invalid ID. ID = -1");
    EXPECT_EQ(type, EHS_GAME);
    EXPECT_EQ(ThrownDescription([&] { engine->FontSetByStrID("FNT_NONE"); }),
              "Cannot set current font: invalid ID. strID = FNT_NONE");
    // No font current: font 0 is used.
    EXPECT_EQ(engine->FontGetCurrent(), -1);
    Frame([&] { engine->FontDrawText("x", 0, 0, 0, 0, 1); });
    EXPECT_EQ(engine->FontGetCurrent(), 0);
    engine->FontSet(5);
    EXPECT_EQ(ThrownDescription([&] { engine->FontDrawText("x", 0, 0, 0, 0, 1); }),
              "Cannot draw text: invalid current font id. ID = 5");
    EXPECT_EQ(ThrownDescription([&] { engine->FontGetStringWidth("x", 5, 1, 0); }),
              "Cannot calculate string width: invalid font id. ID = 5");
    engine->FontSetByStrID("FNT_TEST");
    EXPECT_EQ(engine->FontGetCurrent(), fontID);
}

TEST(FontGenerator, AdvancesComeFromTheFontAndCellsHoldTheGlyphs)
{
    if (!std::filesystem::exists(kDejaVu))
        GTEST_SKIP() << "DejaVu Sans is not installed";
    fontgen::Options opt;
    opt.fontPath = kDejaVu;
    opt.cellSize = 32;
    fontgen::Result r;
    ASSERT_TRUE(fontgen::Generate(opt, r, nullptr));
    EXPECT_EQ(r.texture.width, 512);
    // Proportional: 'W' is wider than 'i'; tab is four spaces; controls are empty.
    EXPECT_GT(r.widths['W'], r.widths['i']);
    EXPECT_FLOAT_EQ(r.widths['\t'], 4 * r.widths[' ']);
    EXPECT_FLOAT_EQ(r.widths[1], 0);
    // A cell with a glyph has coverage; the space cell has none.
    auto coverage = [&](unsigned code) {
        int sum = 0;
        for (int y = 0; y < 32; ++y)
            for (int x = 0; x < 32; ++x)
                sum += r.texture.Pixel(int(code % 16) * 32 + x, int(code / 16) * 32 + y)[3];
        return sum;
    };
    EXPECT_GT(coverage('M'), 1000);
    EXPECT_GT(coverage(0xC9), 1000); // E acute (Windows-1252)
    EXPECT_EQ(coverage(' '), 0);
    EXPECT_EQ(fontgen::CodePoint(0x80), 0x20ACu);
    std::string err;
    opt.fontPath = "/nonexistent.ttf";
    EXPECT_FALSE(fontgen::Generate(opt, r, &err));
    EXPECT_FALSE(err.empty());
}

} // namespace
