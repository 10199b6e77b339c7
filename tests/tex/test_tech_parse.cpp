// Technique keyword tables, groups and the order of the states they send,
// without a device.
#include <gtest/gtest.h>

#include <cstring>

#include "ctesser_gfx_tech.h"
#include "ctesser_utils_xml.h"
#include "platform/gfx/tsr_gfx.h"

using namespace tsr::gfx;

namespace {

// The commands of the first technique of a one-technique pack.
std::vector<TechCommand> Commands(const std::string& attributes, TSNTECHNIQUE* parsed = nullptr)
{
    const std::string text = "<techniquespack><t id=\"TEQ_X\" " + attributes + "/></techniquespack>";
    CXMLDocument doc;
    doc.LoadFromBuffer(text.data(), int(text.size()), false);
    doc.Parse();
    const TSNTECHNIQUE t = TechParse(*doc.GetRoot()->GetChild(0));
    if (parsed)
        *parsed = t;
    std::vector<TechCommand> out;
    TechBuildCommands(t, out);
    return out;
}

using C = TechCommand;
bool Same(const C& a, const C& b)
{
    return a.kind == b.kind && a.stage == b.stage && a.state == b.state && a.value == b.value;
}
void ExpectCommands(const std::vector<C>& got, const std::vector<C>& want)
{
    ASSERT_EQ(got.size(), want.size());
    for (size_t i = 0; i < got.size(); ++i)
        EXPECT_TRUE(Same(got[i], want[i])) << "command " << i << ": kind " << int(got[i].kind) << " stage "
                                            << got[i].stage << " state " << got[i].state << " value "
                                            << got[i].value;
}

TEST(TechKeywords, EveryTableEntryAndDefault)
{
    struct Row {
        uint32_t (*fn)(const char*);
        const char* keyword;
        uint32_t value;
    };
    const Row rows[] = {
        {TechKeywordBlend, "ZERO", 1},         {TechKeywordBlend, "ONE", 2},
        {TechKeywordBlend, "SRCCOLOR", 3},     {TechKeywordBlend, "INVSRCCOLOR", 4},
        {TechKeywordBlend, "SRCALPHA", 5},     {TechKeywordBlend, "INVSRCALPHA", 6},
        {TechKeywordBlend, "DESTALPHA", 7},    {TechKeywordBlend, "INVDESTALPHA", 8},
        {TechKeywordBlend, "DESTCOLOR", 9},    {TechKeywordBlend, "INVDESTCOLOR", 10},
        {TechKeywordBlend, "SRCALPHASAT", 11}, {TechKeywordBlend, "srcalpha", 1},
        {TechKeywordBlend, "", 1},             {TechKeywordOp, "DISABLE", 1},
        {TechKeywordOp, "SELECTARG1", 2},      {TechKeywordOp, "SELECTARG2", 3},
        {TechKeywordOp, "MODULATE", 4},        {TechKeywordOp, "ADD", 7},
        {TechKeywordOp, "SUBTRACT", 10},       {TechKeywordOp, "DOTPRODUCT3", 24},
        {TechKeywordOp, "MODULATE2X", 1},      {TechKeywordArg, "DIFFUSE", 0},
        {TechKeywordArg, "CURRENT", 1},        {TechKeywordArg, "TEXTURE", 2},
        {TechKeywordArg, "TFACTOR", 3},        {TechKeywordArg, "SPECULAR", 4},
        {TechKeywordArg, "texture", 1},        {TechKeywordAddress, "WRAP", 1},
        {TechKeywordAddress, "CLAMP", 3},      {TechKeywordAddress, "MIRROR", 1},
        {TechKeywordFilter, "NONE", 0},        {TechKeywordFilter, "POINT", 1},
        {TechKeywordFilter, "LINEAR", 2},      {TechKeywordFilter, "ANISOTROPIC", 0},
    };
    for (const Row& r : rows)
        EXPECT_EQ(r.fn(r.keyword), r.value) << r.keyword;
    EXPECT_EQ(TechKeywordLightMode("DISABLED"), 0);
    EXPECT_EQ(TechKeywordLightMode("VERTEX"), 1);
    EXPECT_EQ(TechKeywordLightMode("DOT3"), 2);
    EXPECT_EQ(TechKeywordLightMode("Dot3"), 0);
    EXPECT_TRUE(TechKeywordOnOff("ON"));
    EXPECT_FALSE(TechKeywordOnOff("on"));
    EXPECT_FALSE(TechKeywordOnOff(""));
}

TEST(TechNumbers, StreamReadingAndChannelBytes)
{
    EXPECT_FLOAT_EQ(TechReadFloat(" 2.5xyz"), 2.5f);
    EXPECT_FLOAT_EQ(TechReadFloat("abc"), 0.0f);
    EXPECT_FLOAT_EQ(TechReadFloat(""), 0.0f);
    EXPECT_EQ(TechReadInt("42"), 42);
    EXPECT_EQ(TechReadInt("-7 "), -7);
    EXPECT_EQ(TechReadInt("x"), 0);
    EXPECT_EQ(TechChannelByte(1.0f), 255u);
    EXPECT_EQ(TechChannelByte(0.5f), 127u);  // 127.5 truncated
    EXPECT_EQ(TechChannelByte(2.0f), 254u);  // 510: low 8 bits
    EXPECT_EQ(TechChannelByte(0.0f), 0u);
}

TEST(TechGroups, FullTechniqueSendsEveryGroupInOrder)
{
    const auto got = Commands(
        "alphablending=\"ON\" absrc=\"SRCALPHA\" abdest=\"INVSRCALPHA\" "
        "fog=\"ON\" fogstart=\"0.25\" fogend=\"0.75\" fogcolorr=\"1\" fogcolorg=\"0.5\" fogcolorb=\"0\" "
        "texturefactorr=\"0.2\" texturefactorg=\"0.4\" texturefactorb=\"0.6\" texturefactora=\"0.8\" "
        "s0_colorop=\"MODULATE\" s0_colorarg1=\"TEXTURE\" s0_colorarg2=\"DIFFUSE\" s0_alphaop=\"SELECTARG1\" "
        "s0_alphaarg1=\"TEXTURE\" s0_alphaarg2=\"DIFFUSE\" s0_address=\"CLAMP\" "
        "s1_colorop=\"ADD\" s1_colorarg1=\"TFACTOR\" s1_colorarg2=\"CURRENT\" s1_alphaop=\"SELECTARG2\" "
        "s1_alphaarg1=\"SPECULAR\" s1_alphaarg2=\"CURRENT\" s1_address=\"WRAP\" "
        "s0_minfilter=\"LINEAR\" s0_magfilter=\"POINT\" s0_mipfilter=\"NONE\" "
        "s1_minfilter=\"POINT\" s1_magfilter=\"LINEAR\" s1_mipfilter=\"LINEAR\" "
        "dynlightmode=\"VERTEX\" dynlightambientcolorr=\"1\" dynlightambientcolorg=\"0.5\" "
        "dynlightambientcolorb=\"0\"");
    float f25 = 0.25f, f75 = 0.75f;
    uint32_t b25, b75;
    std::memcpy(&b25, &f25, 4);
    std::memcpy(&b75, &f75, 4);
    ExpectCommands(got, {
        {C::RENDER_STATE, 0, RS_ALPHABLENDENABLE, 1},
        {C::RENDER_STATE, 0, RS_SRCBLEND, 5},
        {C::RENDER_STATE, 0, RS_DESTBLEND, 6},
        {C::VERTEX_FOG, 0, 0, 1},
        {C::RENDER_STATE, 0, RS_FOGENABLE, 1},
        {C::RENDER_STATE, 0, RS_FOGVERTEXMODE, 3},
        {C::RENDER_STATE, 0, RS_FOGSTART, b25},
        {C::RENDER_STATE, 0, RS_FOGEND, b75},
        {C::RENDER_STATE, 0, RS_FOGCOLOR, 0xFFFF7F00u},
        // 0.2*255 = 51, 0.4*255 = 102, 0.6*255 = 153, 0.8*255 = 204
        {C::RENDER_STATE, 0, RS_TEXTUREFACTOR, 0xCC336699u},
        {C::STAGE_STATE, 0, TSS_COLOROP, 4},
        {C::STAGE_STATE, 0, TSS_COLORARG1, 2},
        {C::STAGE_STATE, 0, TSS_COLORARG2, 0},
        {C::STAGE_STATE, 0, TSS_ALPHAOP, 2},
        {C::STAGE_STATE, 0, TSS_ALPHAARG1, 2},
        {C::STAGE_STATE, 0, TSS_ALPHAARG2, 0},
        {C::STAGE_STATE, 0, TSS_ADDRESSU, 3},
        {C::STAGE_STATE, 0, TSS_ADDRESSV, 3},
        {C::STAGE_STATE, 1, TSS_COLOROP, 7},
        {C::STAGE_STATE, 1, TSS_COLORARG1, 3},
        {C::STAGE_STATE, 1, TSS_COLORARG2, 1},
        {C::STAGE_STATE, 1, TSS_ALPHAOP, 3},
        {C::STAGE_STATE, 1, TSS_ALPHAARG1, 4},
        {C::STAGE_STATE, 1, TSS_ALPHAARG2, 1},
        {C::STAGE_STATE, 1, TSS_ADDRESSU, 1},
        {C::STAGE_STATE, 1, TSS_ADDRESSV, 1},
        {C::STAGE_STATE, 0, TSS_MINFILTER, 2},
        {C::STAGE_STATE, 0, TSS_MAGFILTER, 1},
        {C::STAGE_STATE, 0, TSS_MIPFILTER, 0},
        {C::STAGE_STATE, 1, TSS_MINFILTER, 1},
        {C::STAGE_STATE, 1, TSS_MAGFILTER, 2},
        {C::STAGE_STATE, 1, TSS_MIPFILTER, 2},
        {C::LIGHT_MODE, 0, 0, 1},
        {C::LIGHT_AMBIENT, 0, 0, 0xFFFF7F00u},
    });
}

TEST(TechGroups, PartialGroupsSendOnlyWhatTheirTriggerAllows)
{
    // Blending only.
    ExpectCommands(Commands("alphablending=\"ON\" absrc=\"ONE\" abdest=\"ONE\""),
                   {{C::RENDER_STATE, 0, RS_ALPHABLENDENABLE, 1},
                    {C::RENDER_STATE, 0, RS_SRCBLEND, 2},
                    {C::RENDER_STATE, 0, RS_DESTBLEND, 2}});
    // Lower-case "on": present, but disabled; missing blend keywords default to ZERO.
    ExpectCommands(Commands("alphablending=\"on\""), {{C::RENDER_STATE, 0, RS_ALPHABLENDENABLE, 0},
                                                       {C::RENDER_STATE, 0, RS_SRCBLEND, 1},
                                                       {C::RENDER_STATE, 0, RS_DESTBLEND, 1}});
    // A disabled stage 1 sends only its colour operation.
    const auto st = Commands("s0_colorop=\"SELECTARG1\" s1_colorop=\"DISABLE\"");
    ASSERT_EQ(st.size(), 9u);
    EXPECT_TRUE(Same(st.back(), {C::STAGE_STATE, 1, TSS_COLOROP, 1}));
    // Filters without the minification trigger: nothing at all.
    EXPECT_TRUE(Commands("s0_magfilter=\"LINEAR\"").empty());
    // Stage keys without the trigger: nothing either.
    EXPECT_TRUE(Commands("s1_colorop=\"ADD\" s0_address=\"CLAMP\"").empty());
    // The texture factor's trigger is its red key.
    EXPECT_TRUE(Commands("texturefactorg=\"1\"").empty());
    ExpectCommands(Commands("texturefactorr=\"1\""), {{C::RENDER_STATE, 0, RS_TEXTUREFACTOR, 0x00FF0000u}});
    // An empty trigger counts as absent.
    EXPECT_TRUE(Commands("alphablending=\"\" fog=\"\" dynlightmode=\"\"").empty());
    // Fog off still sends the whole group, with the vertex flag cleared.
    const auto fog = Commands("fog=\"OFF\"");
    ASSERT_EQ(fog.size(), 6u);
    EXPECT_TRUE(Same(fog[0], {C::VERTEX_FOG, 0, 0, 0}));
    EXPECT_TRUE(Same(fog[5], {C::RENDER_STATE, 0, RS_FOGCOLOR, 0xFF000000u}));
}

} // namespace
