// The engine's generated fonts as a game uses them: a resource pack in a
// data folder names them, a demand for the font loads its texture and its
// technique pack, and text drawn with it lights the glyph cells.
#include <gtest/gtest.h>

#include <fstream>

#include "ctesser_utils_demand.h"
#include "tex_engine_fixture.h"

namespace {

class FontDataTest : public gfxtest::EngineTest {};

TEST_F(FontDataTest, ShippedFontLoadsOnDemandFromAResourcePack)
{
    const char* src = std::getenv("TSR_SOURCE_DIR");
    const std::filesystem::path root =
        src ? std::filesystem::path(src) : std::filesystem::path(__FILE__).parent_path().parent_path().parent_path();
    std::filesystem::create_directories(dir.Path() / "DATA" / "fonts");
    for (const char* f : {"sans16.png", "sans16.xml", "fonttech.xml"})
        std::filesystem::copy_file(root / "DATA" / "fonts" / f, dir.Path() / "DATA" / "fonts" / f);
    std::ofstream(dir.Path() / "DATA" / "fonts.xml")
        << "<respack>\n"
           "<fnt1 id=\"FNT_SANS16\" typeid=\"FONT\" filename=\"fonts\\sans16.xml\"/>\n"
           "<tex1 id=\"TEX_FONT_SANS16\" typeid=\"TEXTURE\" filename=\"fonts\\sans16.png\" data1=\"3\" data2=\"1\"/>\n"
           "<teq1 id=\"TEQ_FONTPACK\" typeid=\"TECHNIQUE\" filename=\"fonts\\fonttech.xml\"/>\n"
           "</respack>\n";

    engine->ResInit();
    Init(2, false);
    const int font = DemandFont("FNT_SANS16");
    EXPECT_GE(engine->TexGetID("TEX_FONT_SANS16"), 0);
    EXPECT_GE(engine->TechGetID("TEQ_FONT"), 0);
    const std::string log = Log();
    EXPECT_NE(log.find("Cannot find iID of font with strID = FNT_SANS16"), std::string::npos);
    EXPECT_NE(log.find("Loading texture from memory. ID = TEX_FONT_SANS16"), std::string::npos);
    EXPECT_EQ(DemandFont("FNT_SANS16"), font);

    engine->SceneBegin();
    engine->SceneClearScreen(0, 0, 0);
    engine->FontSet(font);
    engine->FontDrawText("Kelpie", 10, 10, 0, 5, 1.0f); // yellow
    engine->SceneEnd();
    const auto px = Pixels();
    int yellow = 0, other = 0;
    const float width = engine->FontGetStringWidth("Kelpie", font, 1, 0);
    EXPECT_GT(width, 30);
    for (uint32_t y = 0; y < 40; ++y)
        for (uint32_t x = 0; x < 120; ++x) {
            const uint32_t c = At(px, x, y);
            if (c == 0)
                continue;
            const bool inside = x >= 10 && x < 10 + uint32_t(width) + 4 && y >= 10 && y < 26;
            const uint32_t r = c >> 16, g = c >> 8 & 255, b = c & 255;
            (inside && r == g && b <= r / 4 + 1 ? yellow : other)++;
        }
    EXPECT_GT(yellow, 60);
    EXPECT_EQ(other, 0);
}

} // namespace
