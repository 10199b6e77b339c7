// The glue convention: argument checks, their exact error, conversions,
// and the system and log functions.
#include <cmath>
#include <limits>

#include "scr_fixture.h"

using namespace scrtest;

struct GlueArgCase {
    const char* call;
    const char* glue;
    int index;
};

class GlueArgTest : public ScriptTest, public ::testing::WithParamInterface<GlueArgCase> {};

// Arguments are checked before the engine is reached, so none of these
// needs its subsystem.
TEST_P(GlueArgTest, WrongTypeNamesTheGlueFunctionAndFirstBadIndex)
{
    const GlueArgCase& c = GetParam();
    const CEHSException e = Thrown([&] { Run(c.call); });
    EXPECT_EQ(e.GetType(), EHS_GAME);
    EXPECT_STREQ(e.GetTypeName(), "Game.");
    EXPECT_EQ(e.GetCode(), 0);
    EXPECT_EQ(e.GetDescription(), std::string("Error in glue function: ") + c.glue +
                                      ".Invalid argument type. Index = " + std::to_string(c.index));
    EXPECT_TRUE(e.GetFile().find("ctesser_glue_") != std::string::npos) << e.GetFile();
}

INSTANTIATE_TEST_SUITE_P(
    Families, GlueArgTest,
    ::testing::Values(
        GlueArgCase{"TSN_LOG_AddEntry()", "glue_TSN_LOG_AddEntry", 1},
        GlueArgCase{"TSN_LOG_AddEntry(5)", "glue_TSN_LOG_AddEntry", 1},
        GlueArgCase{"TSN_SYS_SetXMLEncryptMode(1)", "glue_TSN_SYS_SetXMLEncryptMode", 1},
        GlueArgCase{"TSN_GFX_SceneClearScreen(1, 0)", "glue_TSN_GFX_SceneClearScreen", 3},
        GlueArgCase{"TSN_GFX_SceneSetViewport(0, 0, '1', {})", "glue_TSN_GFX_SceneSetViewport", 3},
        GlueArgCase{"TSN_GFX_TexSet(3, '1')", "glue_TSN_GFX_TexSet", 2},
        GlueArgCase{"TSN_GFX_TexSet(true)", "glue_TSN_GFX_TexSet", 1},
        GlueArgCase{"TSN_GFX_TexSetNoTexture('0')", "glue_TSN_GFX_TexSetNoTexture", 1},
        GlueArgCase{"TSN_GFX_VQuadSetPos(1, 2, 3, 4, 'z')", "glue_TSN_GFX_VQuadSetPos", 5},
        GlueArgCase{"TSN_GFX_VQuadSetPos(1, 2, 3)", "glue_TSN_GFX_VQuadSetPos", 4},
        GlueArgCase{"TSN_GFX_VQuadSetTexCoords(1, 'a', 'b', 0, 0)", "glue_TSN_GFX_VQuadSetTexCoords", 2},
        GlueArgCase{"TSN_GFX_VQuadSetColorByVertex(1, 1, 1, 1, false)", "glue_TSN_GFX_VQuadSetColorByVertex", 5},
        GlueArgCase{"TSN_GFX_TechApply(nil)", "glue_TSN_GFX_TechApply", 1},
        GlueArgCase{"TSN_GFX_FontDrawText(1, 2, 3, 4, 5, 6)", "glue_TSN_GFX_FontDrawText", 1},
        GlueArgCase{"TSN_GFX_FontDrawText('a', 2, 3, 4, 5)", "glue_TSN_GFX_FontDrawText", 6},
        GlueArgCase{"TSN_INP_KeyboardIsKeyClicked('A')", "glue_TSN_INP_KeyboardIsKeyClicked", 1},
        GlueArgCase{"TSN_INP_KeyboardSetTextBufferStatus(0)", "glue_TSN_INP_KeyboardSetTextBufferStatus", 1},
        GlueArgCase{"TSN_INP_MouseIsKeyPressed()", "glue_TSN_INP_MouseIsKeyPressed", 1},
        GlueArgCase{"TSN_SFX_SoundPlay(true, false, -1, -1, -101)", "glue_TSN_SFX_SoundPlay", 1},
        GlueArgCase{"TSN_SFX_SoundPlay('S', 1, -1, -1, -101)", "glue_TSN_SFX_SoundPlay", 2},
        GlueArgCase{"TSN_SFX_SoundSlideAttributes('S', 1, 2, 3)", "glue_TSN_SFX_SoundSlideAttributes", 5},
        GlueArgCase{"TSN_SFX_MusicSetVolume(50)", "glue_TSN_SFX_MusicSetVolume", 2},
        GlueArgCase{"TSN_SFX_PlaylistSet(false)", "glue_TSN_SFX_PlaylistSet", 1},
        GlueArgCase{"TSN_RES_LoadResources('2')", "glue_TSN_RES_LoadResources", 1},
        GlueArgCase{"TSN_RES_LoadResource(7)", "glue_TSN_RES_LoadResource", 1},
        GlueArgCase{"TSNUTIL_DemandTexture(5)", "glue_TSNUTIL_DemandTexture", 1},
        GlueArgCase{"TSNUTIL_DemandTechnique('TECH')", "glue_TSNUTIL_DemandTechnique", 2},
        GlueArgCase{"TSNUTIL_DemandPlaylist()", "glue_TSNUTIL_DemandPlaylist", 1}));

TEST_F(ScriptTest, LogAddEntryWritesOnePlainLineAndIgnoresExtraArguments)
{
    Run("TSN_LOG_AddEntry('hello from Lua', 'ignored')");
    EXPECT_NE(Log().find("\nhello from Lua\n"), std::string::npos);
    EXPECT_EQ(Log().find("ignored"), std::string::npos);
}

TEST_F(ScriptTest, SystemFunctions)
{
    Run("TSN_SYS_SetXMLEncryptMode(true)");
    EXPECT_TRUE(Engine().GetXMLEncryptMode());
    Run("TSN_SYS_SetXMLEncryptMode(false)");
    EXPECT_FALSE(Engine().GetXMLEncryptMode());
    EXPECT_EQ(Eval("TSN_SYS_TimerGetDelta() == TSN_SYS_TimerGetDelta()"), "true");
    EXPECT_EQ(Eval("TSN_SYS_TimerGetDelta()"), Eval(std::to_string(Engine().TimerGetDelta())));
    EXPECT_EQ(Eval("TSN_SYS_TimerGetFPS()"), std::to_string(Engine().TimerGetFPS()));
}

TEST_F(ScriptTest, NumbersForIntegersAreTruncatedTowardZeroAndSaturate)
{
    const double nan = std::numeric_limits<double>::quiet_NaN();
    const struct {
        double in;
        int32_t out;
    } cases[] = {
        {2.9, 2},      {-2.9, -2},   {0.0, 0},       {1e12, std::numeric_limits<int32_t>::max()},
        {-1e12, std::numeric_limits<int32_t>::min()}, {nan, 0},
    };
    for (const auto& c : cases) {
        lua_pushnumber(L(), c.in);
        EXPECT_EQ(GlueToInt(L(), -1), c.out) << c.in;
        lua_pop(L(), 1);
    }
}
