// Textures and techniques through the engine: slots, binding, unloading,
// stage checks, and what each technique keyword does to the picture.
#include <gtest/gtest.h>

#include "ctesser_utils_csmartid.h"
#include "tex_engine_fixture.h"

using namespace tsr::gfx;
using textest::TexEngineTest;
using tsrtest::ThrownDescription;

namespace {

const char* kTexturePack = "<techniquespack><t id=\"TEQ_TEX\" s0_colorop=\"SELECTARG1\" s0_colorarg1=\"TEXTURE\" "
                           "s0_alphaop=\"SELECTARG1\" s0_alphaarg1=\"TEXTURE\" s1_colorop=\"DISABLE\" "
                           "s0_minfilter=\"POINT\" s0_magfilter=\"POINT\" s0_mipfilter=\"NONE\"/></techniquespack>";

TEST_F(TexEngineTest, SlotsAreReusedAndAStrIDLoadsOnce)
{
    const auto png = textest::EncodePNG(textest::Pattern(8, 8, true));
    EXPECT_EQ(LoadTexture(png, "TEX_A"), 0);
    EXPECT_EQ(LoadTexture(png, "TEX_B"), 1);
    const size_t logged = Log().size();
    EXPECT_EQ(LoadTexture(png, "TEX_A"), 0); // nothing loaded or logged
    EXPECT_EQ(Log().size(), logged);
    engine->TexUnloadByStrID("TEX_A");
    EXPECT_EQ(engine->TexGetTexture(0), nullptr);
    EXPECT_EQ(LoadTexture(png, "TEX_C"), 0);
    EXPECT_EQ(engine->TexGetID("TEX_C"), 0);
    EXPECT_EQ(engine->TexGetID("TEX_A"), -1);
    EXPECT_NE(Log().find("Cannot find iID of texture with strID = TEX_A"), std::string::npos);
    engine->TexUnloadByID(-1);
    engine->TexUnloadByID(7);
    engine->TexUnloadByStrID("TEX_NONE");
    const std::string log = Log();
    EXPECT_NE(log.find("Unloading texture, iID = -1"), std::string::npos);
    EXPECT_NE(log.find("Failed."), std::string::npos);
}

TEST_F(TexEngineTest, HandlesFollowLoadingAndUnloading)
{
    static CSmartID handle("TEX_HANDLED", 0);
    const auto png = textest::EncodePNG(textest::Pattern(4, 4, false));
    LoadTexture(png, "TEX_OTHER");
    EXPECT_EQ(handle.GetIndex(), -1);
    const int id = LoadTexture(png, "TEX_HANDLED");
    EXPECT_EQ(handle.GetIndex(), id);
    engine->TexUnloadByID(id);
    EXPECT_EQ(handle.GetIndex(), -1);
}

TEST_F(TexEngineTest, FormatClassEdgeLengthAndBrokenImages)
{
    TSNVIDEOCAPS caps;
    engine->GfxGetVideoCaps(caps);
    const auto png = textest::EncodePNG(textest::Pattern(20, 12, true));
    struct Case {
        int formatClass, edge;
        Format format;
        uint32_t w, h;
    };
    const Case cases[] = {
        {7, 0, caps.Mode2.TextureFormat01, 20, 12}, // outside 1-4: class 1; 0: own size
        {2, -5, caps.Mode2.TextureFormat02, 20, 12}, // below 0: own size too
        {4, 32, caps.Mode2.TextureFormat04, 32, 32},
    };
    int n = 0;
    for (const Case& c : cases) {
        const int id = LoadTexture(png, "TEX_F" + std::to_string(n++), c.formatClass, 1, c.edge);
        SurfaceDesc d;
        ASSERT_EQ(engine->TexGetTexture(id)->GetLevelDesc(0, d), GFX_OK);
        EXPECT_EQ(d.format, c.format) << c.formatClass;
        EXPECT_EQ(d.width, c.w);
        EXPECT_EQ(d.height, c.h);
    }
    // Mip levels when the device has mipmapping.
    const int mipped = LoadTexture(png, "TEX_MIP", 3, 3, 16);
    EXPECT_EQ(engine->TexGetTexture(mipped)->GetLevelCount(), caps.MipMapping ? 3u : 1u);

    auto cut = png;
    cut.resize(cut.size() - 40);
    int32_t type = 0;
    EXPECT_EQ(ThrownDescription([&] { LoadTexture(cut, "TEX_CUT"); }, &type), "Cannot create texture object!");
    EXPECT_EQ(type, EHS_GENERAL);
    EXPECT_EQ(ThrownDescription([&] { engine->TexLoadFromMemory(nullptr, 0, 1, "TEX_NULL", 1, 0, 0); }),
              "Cannot create texture object!");
}

TEST_F(TexEngineTest, StagesOutsideZeroToSevenAreGameErrors)
{
    LoadTexture(textest::EncodePNG(textest::Pattern(4, 4, false)), "TEX_A");
    for (int stage : {-1, 8, 100}) {
        int32_t type = 0;
        EXPECT_EQ(ThrownDescription([&] { engine->TexSet(0, stage); }, &type),
                  "Invalid texture stage: must be 0 to 7. Stage = " + std::to_string(stage));
        EXPECT_EQ(type, EHS_GAME);
        EXPECT_EQ(ThrownDescription([&] { engine->TexSetNoTexture(stage); }, &type),
                  "Invalid texture stage: must be 0 to 7. Stage = " + std::to_string(stage));
    }
    engine->TexSet(0, 7);
    EXPECT_EQ(engine->TexGetCurrent(7), 0);
}

TEST_F(TexEngineTest, BindingFlushesOnlyOnAChangeAndUnknownNamesOnlyWhenBound)
{
    const auto png = textest::EncodePNG(textest::Pattern(4, 4, false));
    LoadTexture(png, "TEX_A");
    LoadTexture(png, "TEX_B");
    // Unknown name or unbound handle on an empty stage: nothing happens.
    engine->TexSet("TEX_NONE", 0);
    static CSmartID unbound("TEX_NEVERLOADED", 0);
    engine->TexSet(unbound, 0);
    EXPECT_EQ(engine->TexGetCurrent(0), -1);

    engine->SceneBegin();
    engine->TexSet("TEX_A", 0);
    Quad(0, 0, 4, 4, 0xFFFFFFFF);
    EXPECT_EQ(engine->VQuadGetBatchCount(), 1);
    engine->TexSet(0, 0); // current: no flush
    EXPECT_EQ(engine->VQuadGetBatchCount(), 1);
    engine->TexSet(1, 0);
    EXPECT_EQ(engine->VQuadGetBatchCount(), 0);
    EXPECT_EQ(Dev()->GetTexture(0), engine->TexGetTexture(1));
    engine->SceneEnd();

    // With a texture on the stage an unknown name is an invalid ID.
    EXPECT_EQ(ThrownDescription([&] { engine->TexSet("TEX_NONE", 0); }), "Cannot set texture - invalid ID!");
    engine->TexSetNoTexture(0);
    EXPECT_EQ(engine->TexGetCurrent(0), -1);
    EXPECT_EQ(Dev()->GetTexture(0), nullptr);
}

TEST_F(TexEngineTest, UnloadingACurrentTextureUnbindsItsStages)
{
    const auto png = textest::EncodePNG(textest::Pattern(4, 4, false));
    LoadTexture(png, "TEX_A");
    engine->TexSet(0, 0);
    engine->TexSet(0, 3);
    engine->TexUnloadByStrID("TEX_A"); // would leave a reference on the stages otherwise
    EXPECT_EQ(engine->TexGetCurrent(0), -1);
    EXPECT_EQ(engine->TexGetCurrent(3), -1);
    EXPECT_EQ(Dev()->GetTexture(0), nullptr);
    EXPECT_EQ(Dev()->GetTexture(3), nullptr);
    // A new texture in the same slot binds, although its ID equals the old one.
    EXPECT_EQ(LoadTexture(png, "TEX_B"), 0);
    engine->TexSet(0, 0);
    EXPECT_EQ(Dev()->GetTexture(0), engine->TexGetTexture(0));
    engine->TexUnloadByID(0);
    EXPECT_EQ(Dev()->GetTexture(0), nullptr);

    // After a device reset the current IDs are forgotten while the device
    // may still hold the texture: unloading lets go of it all the same.
    LoadTexture(png, "TEX_C");
    engine->TexSet(0, 2);
    engine->TexTechFontResetState();
    engine->TexUnloadByStrID("TEX_C");
    EXPECT_EQ(Dev()->GetTexture(2), nullptr);
    EXPECT_EQ(engine->TexGetTexture(0), nullptr);
}

TEST_F(TexEngineTest, EveryFileTypeDrawsTexelExactThroughTheEngine)
{
    const textest::Image src = textest::Pattern(16, 16, false);
    const std::pair<const char*, std::vector<uint8_t>> files[] = {
        {"TEX_PNG", textest::EncodePNG(src)},
        {"TEX_BMP", textest::EncodeBMP(src, 24)},
        {"TEX_TGA", textest::EncodeTGA(src, 32, true)},
        {"TEX_JPG", textest::EncodeJPEG(textest::Blocks(16, 16), 100)},
    };
    LoadPack(kTexturePack);
    for (const auto& [id, bytes] : files) {
        SCOPED_TRACE(id);
        const int tex = LoadTexture(bytes, id);
        textest::Image want;
        ASSERT_TRUE(tsr::image::Decode(bytes.data(), bytes.size(), want));
        Frame([&] {
            engine->TechApplyByStrID("TEQ_TEX");
            engine->TexSet(tex, 0);
            Quad(100, 50, 16, 16, 0xFFFFFFFF);
        });
        const auto px = Pixels();
        for (int y = 0; y < 16; ++y)
            for (int x = 0; x < 16; ++x) {
                const uint8_t* w = want.Pixel(x, y);
                ASSERT_EQ(At(px, 100 + x, 50 + y), uint32_t(w[0]) << 16 | uint32_t(w[1]) << 8 | w[2]) << x << "," << y;
            }
        EXPECT_EQ(At(px, 99, 50), 0u);
        EXPECT_EQ(At(px, 116, 65), 0u);
    }
}

// ---- techniques ----

TEST_F(TexEngineTest, PackLoadingCountsNewTechniquesAndRefusesBadPacks)
{
    LoadPack("<techniquespack><a id=\"TEQ_1\" tag=\"4\"/><b id=\"TEQ_2\"/><c id=\"TEQ_1\"/></techniquespack>");
    LoadPack("<techniquespack><a id=\"TEQ_2\"/><a id=\"TEQ_3\"/></techniquespack>");
    const std::string log = Log();
    EXPECT_NE(log.find("2 techniques loaded."), std::string::npos);
    EXPECT_NE(log.find("1 techniques loaded."), std::string::npos);
    EXPECT_EQ(engine->TechGetID("TEQ_3"), 2);
    EXPECT_EQ(engine->TechGetID("TEQ_9"), -1);
    EXPECT_NE(Log().find("Cannot find iID of technique with strID = TEQ_9"), std::string::npos);

    EXPECT_EQ(ThrownDescription([&] { LoadPack("<pack><a id=\"TEQ_X\"/></pack>"); }),
              "Wrong XML root node name: must be techniquespack!");
    EXPECT_EQ(ThrownDescription([&] { LoadPack("<techniquespack><a id=\"TEQ_4\"/><b/></techniquespack>"); }),
              "Ivanlid technique ID!");
    EXPECT_EQ(engine->TechGetID("TEQ_4"), 3); // read before the failure: kept
    EXPECT_EQ(ThrownDescription([&] { LoadPack("just text"); }), "Error in XML parser: Root node is NULL!");
    int32_t type = 0;
    EXPECT_EQ(ThrownDescription([&] { engine->TechApply(42); }, &type), "Invalid technique ID! ID = 42");
    EXPECT_EQ(type, EHS_GAME);
    // Unknown name while no technique is current: nothing; once one is: invalid -1.
    engine->TechApplyByStrID("TEQ_NONE");
    engine->TechApply(0);
    EXPECT_EQ(ThrownDescription([&] { engine->TechApplyByStrID("TEQ_NONE"); }), "Invalid technique ID! ID = -1");
}

TEST_F(TexEngineTest, ApplyingTheCurrentTechniqueAgainNeitherFlushesNorSends)
{
    Apply("TEQ_BLEND", "alphablending=\"ON\" absrc=\"ONE\" abdest=\"ZERO\"");
    Dev()->SetRenderState(RS_SRCBLEND, BLEND_DESTCOLOR);
    engine->SceneBegin();
    Quad(0, 0, 2, 2, 0xFFFFFFFF);
    engine->TechApplyByStrID("TEQ_BLEND");
    EXPECT_EQ(engine->VQuadGetBatchCount(), 1);
    engine->SceneEnd();
    uint32_t v = 0;
    Dev()->GetRenderState(RS_SRCBLEND, v);
    EXPECT_EQ(v, uint32_t(BLEND_DESTCOLOR));
}

TEST_F(TexEngineTest, PartialTechniquesLeaveOtherGroupsInForce)
{
    Apply("TEQ_FULL", "s0_colorop=\"MODULATE\" s0_colorarg1=\"TEXTURE\" s0_colorarg2=\"DIFFUSE\" "
                      "s0_address=\"CLAMP\" s1_colorop=\"ADD\" s1_colorarg1=\"TFACTOR\" "
                      "s0_minfilter=\"LINEAR\" s0_magfilter=\"LINEAR\" fog=\"ON\" fogend=\"1\"");
    Apply("TEQ_BLENDONLY", "alphablending=\"ON\" absrc=\"SRCALPHA\" abdest=\"INVSRCALPHA\"");
    Apply("TEQ_S1OFF", "s0_colorop=\"SELECTARG1\" s1_colorop=\"DISABLE\"");
    auto tss = [&](uint32_t stage, TextureStageState s) {
        uint32_t v = 0;
        Dev()->GetTextureStageState(stage, s, v);
        return v;
    };
    auto rs = [&](RenderState s) {
        uint32_t v = 0;
        Dev()->GetRenderState(s, v);
        return v;
    };
    EXPECT_EQ(rs(RS_ALPHABLENDENABLE), 1u);
    EXPECT_EQ(rs(RS_FOGENABLE), 1u); // fog group of the first technique
    EXPECT_TRUE(engine->VQuadGetVertexFog());
    EXPECT_EQ(tss(0, TSS_MAGFILTER), uint32_t(TEXF_LINEAR));
    EXPECT_EQ(tss(0, TSS_COLOROP), uint32_t(TOP_SELECTARG1));
    EXPECT_EQ(tss(1, TSS_COLOROP), uint32_t(TOP_DISABLE));
    EXPECT_EQ(tss(1, TSS_COLORARG1), uint32_t(TA_TFACTOR)); // untouched by the disabled stage
}

// Each keyword's effect on the picture: a white texture texel under a
// diffuse colour, with the technique's states, over a cleared background.
struct PictureCase {
    const char* name;
    const char* attributes;
    uint32_t diffuse;   // ARGB of the quad
    uint32_t clear;     // RGB of the background
    uint32_t expected;  // RGB drawn
    int tolerance;
};

class TechniquePicture : public TexEngineTest, public ::testing::WithParamInterface<PictureCase> {};

TEST_P(TechniquePicture, KeywordChangesThePicture)
{
    const PictureCase& c = GetParam();
    // A 2x2 texture: grey 0x80 everywhere, alpha 0x80.
    textest::Image grey;
    grey.width = grey.height = 2;
    grey.rgba.assign(16, 0x80);
    const int tex = LoadTexture(textest::EncodePNG(grey), "TEX_GREY");
    Apply("TEQ_CASE", std::string(c.attributes) + " s0_minfilter=\"POINT\" s0_magfilter=\"POINT\"");
    engine->SceneBegin();
    engine->SceneClearScreen(float(c.clear >> 16 & 255) / 255, float(c.clear >> 8 & 255) / 255,
                             float(c.clear & 255) / 255);
    engine->TexSet(tex, 0);
    Quad(10, 10, 4, 4, c.diffuse);
    engine->SceneEnd();
    const uint32_t got = At(Pixels(), 11, 11);
    for (int shift : {16, 8, 0})
        EXPECT_NEAR(int(got >> shift & 255), int(c.expected >> shift & 255), c.tolerance)
            << c.name << ": got " << std::hex << got;
}

const PictureCase kPictures[] = {
    {"select_texture", "s0_colorop=\"SELECTARG1\" s0_colorarg1=\"TEXTURE\"", 0xFFFF0000, 0, 0x808080, 0},
    {"select_diffuse", "s0_colorop=\"SELECTARG2\" s0_colorarg2=\"DIFFUSE\"", 0xFF00FF00, 0, 0x00FF00, 0},
    {"modulate", "s0_colorop=\"MODULATE\" s0_colorarg1=\"TEXTURE\" s0_colorarg2=\"DIFFUSE\"", 0xFFFF8000, 0,
     0x804000, 1},
    {"add", "s0_colorop=\"ADD\" s0_colorarg1=\"TEXTURE\" s0_colorarg2=\"DIFFUSE\"", 0xFF4000FF, 0, 0xC080FF, 1},
    {"subtract", "s0_colorop=\"SUBTRACT\" s0_colorarg1=\"TEXTURE\" s0_colorarg2=\"DIFFUSE\"", 0xFF400010, 0,
     0x408070, 1},
    {"tfactor", "s0_colorop=\"SELECTARG1\" s0_colorarg1=\"TFACTOR\" texturefactorr=\"0\" texturefactorg=\"0\" "
                "texturefactorb=\"1\" texturefactora=\"1\"",
     0xFFFFFFFF, 0, 0x0000FF, 0},
    {"disable_stage0_draws_diffuse", "s0_colorop=\"DISABLE\"", 0xFF123456, 0, 0x123456, 0},
    {"blend_srcalpha", "alphablending=\"ON\" absrc=\"SRCALPHA\" abdest=\"INVSRCALPHA\" s0_colorop=\"SELECTARG2\" "
                       "s0_colorarg2=\"DIFFUSE\" s0_alphaop=\"SELECTARG2\" s0_alphaarg2=\"DIFFUSE\"",
     0x80FFFFFF, 0x000000, 0x808080, 1},
    {"blend_one_one", "alphablending=\"ON\" absrc=\"ONE\" abdest=\"ONE\" s0_colorop=\"SELECTARG2\" "
                      "s0_colorarg2=\"DIFFUSE\"",
     0xFF400000, 0x004000, 0x404000, 0},
    {"blend_off", "alphablending=\"OFF\" absrc=\"ONE\" abdest=\"ONE\" s0_colorop=\"SELECTARG2\" "
                  "s0_colorarg2=\"DIFFUSE\"",
     0xFF400000, 0x004000, 0x400000, 0},
    {"texture_alpha_blend", "alphablending=\"ON\" absrc=\"SRCALPHA\" abdest=\"INVSRCALPHA\" "
                            "s0_colorop=\"SELECTARG2\" s0_colorarg2=\"DIFFUSE\" s0_alphaop=\"SELECTARG1\" "
                            "s0_alphaarg1=\"TEXTURE\"",
     0xFFFFFFFF, 0x000000, 0x808080, 1},
    {"current_is_diffuse_on_stage0", "s0_colorop=\"SELECTARG1\" s0_colorarg1=\"CURRENT\"", 0xFF204060, 0,
     0x204060, 0},
    {"stage1_adds_tfactor", "s0_colorop=\"SELECTARG1\" s0_colorarg1=\"TEXTURE\" s1_colorop=\"ADD\" "
                            "s1_colorarg1=\"TFACTOR\" s1_colorarg2=\"CURRENT\" texturefactorr=\"0.25\" "
                            "texturefactorg=\"0\" texturefactorb=\"0.5\" texturefactora=\"1\"",
     0xFFFFFFFF, 0, 0xBF80FF, 1},
    {"blend_srccolor", "alphablending=\"ON\" absrc=\"SRCCOLOR\" abdest=\"ZERO\" s0_colorop=\"SELECTARG2\" "
                       "s0_colorarg2=\"DIFFUSE\"",
     0xFF808080, 0xFFFFFF, 0x404040, 1},
    {"blend_invsrccolor", "alphablending=\"ON\" absrc=\"ZERO\" abdest=\"INVSRCCOLOR\" "
                          "s0_colorop=\"SELECTARG2\" s0_colorarg2=\"DIFFUSE\"",
     0xFF404040, 0xFFFFFF, 0xBFBFBF, 1},
    {"blend_destcolor", "alphablending=\"ON\" absrc=\"DESTCOLOR\" abdest=\"ZERO\" s0_colorop=\"SELECTARG2\" "
                        "s0_colorarg2=\"DIFFUSE\"",
     0xFFFFFFFF, 0x808080, 0x808080, 1},
    {"blend_invdestcolor", "alphablending=\"ON\" absrc=\"INVDESTCOLOR\" abdest=\"ZERO\" "
                           "s0_colorop=\"SELECTARG2\" s0_colorarg2=\"DIFFUSE\"",
     0xFFFFFFFF, 0x404040, 0xBFBFBF, 1},
    {"blend_invsrcalpha_keeps_background", "alphablending=\"ON\" absrc=\"ZERO\" abdest=\"INVSRCALPHA\" "
                                           "s0_colorop=\"SELECTARG2\" s0_colorarg2=\"DIFFUSE\" "
                                           "s0_alphaop=\"SELECTARG2\" s0_alphaarg2=\"DIFFUSE\"",
     0x00FFFFFF, 0x3060A0, 0x3060A0, 0},
    // Vertex fog: z 0.5 gives a fog factor of 128/255, halfway to the fog colour.
    {"fog_on", "fog=\"ON\" fogcolorr=\"1\" fogcolorg=\"0\" fogcolorb=\"0\" s0_colorop=\"SELECTARG2\" "
               "s0_colorarg2=\"DIFFUSE\"",
     0xFF0000FF, 0, 0x7F0080, 2},
    {"fog_off", "fog=\"OFF\" fogcolorr=\"1\" s0_colorop=\"SELECTARG2\" s0_colorarg2=\"DIFFUSE\"", 0xFF0000FF,
     0, 0x0000FF, 0},
    {"vertex_light_ambient", "s0_colorop=\"SELECTARG2\" s0_colorarg2=\"DIFFUSE\" dynlightmode=\"VERTEX\" "
                             "dynlightambientcolorr=\"1\" dynlightambientcolorg=\"0.5\" dynlightambientcolorb=\"0\"",
     0xFF0000FF, 0, 0xFF7F00, 0},
};

INSTANTIATE_TEST_SUITE_P(Keywords, TechniquePicture, ::testing::ValuesIn(kPictures),
                         [](const auto& info) { return std::string(info.param.name); });

TEST_F(TexEngineTest, FiltersPointAndLinear)
{
    // A 2x1 texture, black then white, stretched over 8 pixels.
    textest::Image bw;
    bw.width = 2;
    bw.height = 1;
    bw.rgba = {0, 0, 0, 255, 255, 255, 255, 255};
    const int tex = LoadTexture(textest::EncodePNG(bw), "TEX_BW");
    for (const char* filter : {"POINT", "LINEAR"}) {
        Apply(std::string("TEQ_F_") + filter,
              std::string("s0_colorop=\"SELECTARG1\" s0_colorarg1=\"TEXTURE\" s0_address=\"CLAMP\" "
                          "s0_minfilter=\"") + filter + "\" s0_magfilter=\"" + filter + "\"");
        Frame([&] {
            engine->TexSet(tex, 0);
            Quad(0, 0, 8, 1, 0xFFFFFFFF);
        });
        const auto px = Pixels();
        int between = 0;
        for (uint32_t x = 0; x < 8; ++x) {
            const uint32_t c = At(px, x, 0) & 255;
            between += c != 0 && c != 255;
        }
        if (std::string(filter) == "POINT")
            EXPECT_EQ(between, 0);
        else
            EXPECT_GE(between, 4); // a ramp between the two texel centres
    }
}

TEST_F(TexEngineTest, AddressModesWrapAndClamp)
{
    // A 2x1 texture, red then blue, drawn over 4 texels of u (0..2).
    textest::Image rb;
    rb.width = 2;
    rb.height = 1;
    rb.rgba = {255, 0, 0, 255, 0, 0, 255, 255};
    const int tex = LoadTexture(textest::EncodePNG(rb), "TEX_RB");
    for (const auto& [mode, third] : {std::pair{"WRAP", 0xFF0000u}, {"CLAMP", 0x0000FFu}}) {
        Apply(std::string("TEQ_") + mode, std::string("s0_colorop=\"SELECTARG1\" s0_colorarg1=\"TEXTURE\" "
                                                      "s0_minfilter=\"POINT\" s0_magfilter=\"POINT\" s0_address=\"") +
                                              mode + "\"");
        engine->SceneBegin();
        engine->SceneClearScreen(0, 0, 0);
        engine->TexSet(tex, 0);
        engine->VQuadSetPos(0, 0, 4, 1, 0.5f);
        engine->VQuadSetColor(1, 1, 1, 1);
        engine->VQuadSetTexCoords(1, 0, 0, 2, 1);
        engine->SceneRender();
        engine->SceneEnd();
        const auto px = Pixels();
        EXPECT_EQ(At(px, 0, 0), 0xFF0000u) << mode;
        EXPECT_EQ(At(px, 2, 0), third) << mode;
    }
}

} // namespace

namespace {

// The device reports the DOTPRODUCT3 operation; check that it really does
// it, and what light mode 2 then does with the empty lights manager.
TEST_F(TexEngineTest, Dot3IsReportedHonestly)
{
    TSNVIDEOCAPS caps;
    engine->GfxGetVideoCaps(caps);
    if (!caps.Dot3)
        GTEST_SKIP() << "the device does not report Dot3";
    // A normal map texel pointing out of the screen: (128, 128, 255).
    textest::Image normal;
    normal.width = normal.height = 1;
    normal.rgba = {128, 128, 255, 255};
    const int tex = LoadTexture(textest::EncodePNG(normal), "TEX_NORMAL");
    Apply("TEQ_DOT", "s0_colorop=\"DOTPRODUCT3\" s0_colorarg1=\"TEXTURE\" s0_colorarg2=\"DIFFUSE\" "
                     "s0_minfilter=\"POINT\" s0_magfilter=\"POINT\"");
    struct Row {
        uint32_t diffuse;
        int expected; // grey level, all channels alike
    } rows[] = {
        {0xFF8080FFu, 255}, // light along the normal: full
        {0xFFFF8080u, 0},   // light across it: none
    };
    for (const Row& r : rows) {
        engine->SceneBegin();
        engine->SceneClearScreen(0, 0, 1);
        engine->TexSet(tex, 0);
        Quad(4, 4, 2, 2, r.diffuse);
        engine->SceneEnd();
        const uint32_t got = At(Pixels(), 4, 4);
        for (int shift : {16, 8, 0})
            EXPECT_NEAR(int(got >> shift & 255), r.expected, 3) << std::hex << got;
    }
    // Light mode 2 needs a Dot3 light, and the lights manager stays empty.
    Apply("TEQ_DOT3LIGHT", "dynlightmode=\"DOT3\"");
    engine->SceneBegin();
    engine->VQuadSetPos(0, 0, 2, 2, 0.5f);
    EXPECT_EQ(ThrownDescription([&] { engine->SceneRender(); }), "Wrong Dot3 light specified!");
    engine->SceneEnd();
}

} // namespace
