// Script functions of the graphics family (TSN_GFX_). Each checks its
// arguments, converts them and calls one graphics operation; none returns
// a value to Lua.
#include "ctesser_scr_glue.h"

namespace {
constexpr int32_t kFileID = 147;

// Checks `count` number arguments starting at position `first`.
void CheckNumbers(lua_State* L, int first, int count, int& bad)
{
    for (int i = first; i < first + count; ++i)
        CheckArgType(L, i, LUA_TNUMBER, bad);
}
}  // namespace

int glue_TSN_GFX_SceneBegin(lua_State*)
{
    SetCheckpoint(kFileID, __LINE__);
    GlueEngine().SceneBegin();
    return 0;
}

int glue_TSN_GFX_SceneEnd(lua_State*)
{
    SetCheckpoint(kFileID, __LINE__);
    GlueEngine().SceneEnd();
    return 0;
}

int glue_TSN_GFX_SceneClearScreen(lua_State* L)
{
    SetCheckpoint(kFileID, __LINE__);
    int bad = 0;
    CheckNumbers(L, 1, 3, bad);
    GLUE_CHECK_ARGS(bad);
    GlueEngine().SceneClearScreen(GlueToFloat(L, 1), GlueToFloat(L, 2), GlueToFloat(L, 3));
    return 0;
}

int glue_TSN_GFX_SceneRender(lua_State*)
{
    SetCheckpoint(kFileID, __LINE__);
    GlueEngine().SceneRender();
    return 0;
}

int glue_TSN_GFX_ScenePresent(lua_State*)
{
    SetCheckpoint(kFileID, __LINE__);
    GlueEngine().ScenePresent();
    return 0;
}

int glue_TSN_GFX_SceneSetViewport(lua_State* L)
{
    SetCheckpoint(kFileID, __LINE__);
    int bad = 0;
    CheckNumbers(L, 1, 4, bad);
    GLUE_CHECK_ARGS(bad);
    GlueEngine().SceneSetViewport(GlueToInt(L, 1), GlueToInt(L, 2), GlueToInt(L, 3), GlueToInt(L, 4));
    return 0;
}

int glue_TSN_GFX_SceneMakeScreenshot(lua_State*)
{
    SetCheckpoint(kFileID, __LINE__);
    GlueEngine().SceneMakeScreenshot();
    return 0;
}

int glue_TSN_GFX_SceneSetGamma(lua_State* L)
{
    SetCheckpoint(kFileID, __LINE__);
    int bad = 0;
    CheckNumbers(L, 1, 2, bad);
    GLUE_CHECK_ARGS(bad);
    GlueEngine().SceneSetGamma(GlueToFloat(L, 1), GlueToFloat(L, 2));
    return 0;
}

int glue_TSN_GFX_VQuadSetPos(lua_State* L)
{
    SetCheckpoint(kFileID, __LINE__);
    const bool withZ = lua_gettop(L) == 5;
    int bad = 0;
    CheckNumbers(L, 1, withZ ? 5 : 4, bad);
    GLUE_CHECK_ARGS(bad);
    GlueEngine().VQuadSetPos(GlueToFloat(L, 1), GlueToFloat(L, 2), GlueToFloat(L, 3), GlueToFloat(L, 4),
                             withZ ? GlueToFloat(L, 5) : 0.5f);
    return 0;
}

int glue_TSN_GFX_VQuadSetPosByVertex(lua_State* L)
{
    SetCheckpoint(kFileID, __LINE__);
    const bool withZ = lua_gettop(L) == 4;
    int bad = 0;
    CheckNumbers(L, 1, withZ ? 4 : 3, bad);
    GLUE_CHECK_ARGS(bad);
    GlueEngine().VQuadSetPosByVertex(GlueToInt(L, 1), GlueToFloat(L, 2), GlueToFloat(L, 3),
                                     withZ ? GlueToFloat(L, 4) : 0.5f);
    return 0;
}

int glue_TSN_GFX_VQuadRotate(lua_State* L)
{
    SetCheckpoint(kFileID, __LINE__);
    int bad = 0;
    CheckNumbers(L, 1, 3, bad);
    GLUE_CHECK_ARGS(bad);
    GlueEngine().VQuadRotate(GlueToFloat(L, 1), GlueToFloat(L, 2), GlueToFloat(L, 3));
    return 0;
}

int glue_TSN_GFX_VQuadScale(lua_State* L)
{
    SetCheckpoint(kFileID, __LINE__);
    int bad = 0;
    CheckNumbers(L, 1, 3, bad);
    GLUE_CHECK_ARGS(bad);
    GlueEngine().VQuadScale(GlueToFloat(L, 1), GlueToFloat(L, 2), GlueToFloat(L, 3));
    return 0;
}

int glue_TSN_GFX_VQuadMove(lua_State* L)
{
    SetCheckpoint(kFileID, __LINE__);
    const bool withZ = lua_gettop(L) == 3;
    int bad = 0;
    CheckNumbers(L, 1, withZ ? 3 : 2, bad);
    GLUE_CHECK_ARGS(bad);
    GlueEngine().VQuadMove(GlueToFloat(L, 1), GlueToFloat(L, 2), withZ ? GlueToFloat(L, 3) : 0.0f);
    return 0;
}

int glue_TSN_GFX_VQuadSetTexCoords(lua_State* L)
{
    SetCheckpoint(kFileID, __LINE__);
    int bad = 0;
    CheckNumbers(L, 1, 5, bad);
    GLUE_CHECK_ARGS(bad);
    GlueEngine().VQuadSetTexCoords(GlueToInt(L, 1), GlueToFloat(L, 2), GlueToFloat(L, 3), GlueToFloat(L, 4),
                                   GlueToFloat(L, 5));
    return 0;
}

int glue_TSN_GFX_VQuadSetColor(lua_State* L)
{
    SetCheckpoint(kFileID, __LINE__);
    const bool withAlpha = lua_gettop(L) == 4;
    int bad = 0;
    CheckNumbers(L, 1, withAlpha ? 4 : 3, bad);
    GLUE_CHECK_ARGS(bad);
    GlueEngine().VQuadSetColor(GlueToFloat(L, 1), GlueToFloat(L, 2), GlueToFloat(L, 3),
                               withAlpha ? GlueToFloat(L, 4) : 1.0f);
    return 0;
}

int glue_TSN_GFX_VQuadSetColorByVertex(lua_State* L)
{
    SetCheckpoint(kFileID, __LINE__);
    const bool withAlpha = lua_gettop(L) == 5;
    int bad = 0;
    CheckNumbers(L, 1, withAlpha ? 5 : 4, bad);
    GLUE_CHECK_ARGS(bad);
    GlueEngine().VQuadSetColorByVertex(GlueToInt(L, 1), GlueToFloat(L, 2), GlueToFloat(L, 3),
                                       GlueToFloat(L, 4), withAlpha ? GlueToFloat(L, 5) : 0.0f);
    return 0;
}

int glue_TSN_GFX_TexUnloadByID(lua_State* L)
{
    SetCheckpoint(kFileID, __LINE__);
    int bad = 0;
    CheckArgTypeOneOf(L, 1, LUA_TNUMBER, LUA_TSTRING, bad);
    GLUE_CHECK_ARGS(bad);
    if (lua_type(L, 1) == LUA_TSTRING)
        GlueEngine().TexUnloadByStrID(GlueToString(L, 1));
    else
        GlueEngine().TexUnloadByID(GlueToInt(L, 1));
    return 0;
}

int glue_TSN_GFX_TexSet(lua_State* L)
{
    SetCheckpoint(kFileID, __LINE__);
    const bool withStage = lua_gettop(L) == 2;
    int bad = 0;
    CheckArgTypeOneOf(L, 1, LUA_TNUMBER, LUA_TSTRING, bad);
    if (withStage)
        CheckArgType(L, 2, LUA_TNUMBER, bad);
    GLUE_CHECK_ARGS(bad);
    const int32_t stage = withStage ? GlueToInt(L, 2) : 0;
    if (lua_type(L, 1) == LUA_TSTRING)
        GlueEngine().TexSet(GlueToString(L, 1), stage);
    else
        GlueEngine().TexSet(GlueToInt(L, 1), stage);
    return 0;
}

int glue_TSN_GFX_TexSetNoTexture(lua_State* L)
{
    SetCheckpoint(kFileID, __LINE__);
    const bool withStage = lua_gettop(L) == 1;
    int bad = 0;
    if (withStage)
        CheckArgType(L, 1, LUA_TNUMBER, bad);
    GLUE_CHECK_ARGS(bad);
    GlueEngine().TexSetNoTexture(withStage ? GlueToInt(L, 1) : 0);
    return 0;
}

int glue_TSN_GFX_TechApply(lua_State* L)
{
    SetCheckpoint(kFileID, __LINE__);
    int bad = 0;
    CheckArgTypeOneOf(L, 1, LUA_TNUMBER, LUA_TSTRING, bad);
    GLUE_CHECK_ARGS(bad);
    if (lua_type(L, 1) == LUA_TSTRING)
        GlueEngine().TechApplyByStrID(GlueToString(L, 1));
    else
        GlueEngine().TechApply(GlueToInt(L, 1));
    return 0;
}

int glue_TSN_GFX_FontSet(lua_State* L)
{
    SetCheckpoint(kFileID, __LINE__);
    int bad = 0;
    CheckArgTypeOneOf(L, 1, LUA_TNUMBER, LUA_TSTRING, bad);
    GLUE_CHECK_ARGS(bad);
    if (lua_type(L, 1) == LUA_TSTRING)
        GlueEngine().FontSetByStrID(GlueToString(L, 1));
    else
        GlueEngine().FontSet(GlueToInt(L, 1));
    return 0;
}

int glue_TSN_GFX_FontDrawText(lua_State* L)
{
    SetCheckpoint(kFileID, __LINE__);
    int bad = 0;
    CheckArgType(L, 1, LUA_TSTRING, bad);
    CheckNumbers(L, 2, 5, bad);
    GLUE_CHECK_ARGS(bad);
    GlueEngine().FontDrawText(GlueToString(L, 1), GlueToFloat(L, 2), GlueToFloat(L, 3), GlueToInt(L, 4),
                              GlueToInt(L, 5), GlueToFloat(L, 6));
    return 0;
}
