// The script functions ("glue"): native functions registered as Lua globals
// that check their arguments, convert them and call one engine operation.
// This header holds the shared argument convention, the declarations of
// every glue function and the table that registers them.
#pragma once

#include <lauxlib.h>
#include <lua.h>
#include <lualib.h>

#include <cstddef>
#include <cstdint>
#include <span>
#include <string>

#include "ctesser.h"

// ---- argument convention ----

// Keeps the first failing position in badIndex: the argument at `index`
// must have Lua type `type` (an absent argument has type LUA_TNONE).
// Inline, as every script call runs them.
inline void CheckArgType(lua_State* L, int index, int type, int& badIndex)
{
    if (badIndex == 0 && lua_type(L, index) != type)
        badIndex = index;
}
// The same, but either of two types passes.
inline void CheckArgTypeOneOf(lua_State* L, int index, int typeA, int typeB, int& badIndex)
{
    if (badIndex != 0)
        return;
    const int type = lua_type(L, index);
    if (type != typeA && type != typeB)
        badIndex = index;
}
// "Error in glue function: glue_<name>.Invalid argument type. Index = n"
std::string GlueArgError(const char* glueName, int badIndex);

// Thrown from the glue function itself, so the report names its file and line.
#define GLUE_CHECK_ARGS(badIndex)                                                                     \
    EHS_CHECK((badIndex) == 0, EHS_GAME, GlueArgError(__func__, (badIndex)))

// Conversions. Integers are truncated toward zero; values beyond the 32-bit
// range saturate and NaN reads as 0, so no script value is undefined here.
int32_t GlueToInt(lua_State* L, int index);
inline float GlueToFloat(lua_State* L, int index) { return static_cast<float>(lua_tonumber(L, index)); }
inline bool GlueToBool(lua_State* L, int index) { return lua_toboolean(L, index) != 0; }
// The argument as zero-terminated text (numbers are converted by Lua).
std::string GlueToString(lua_State* L, int index);
// The engine object; an assertion failure when there is none.
[[noreturn]] void GlueNoEngine();
inline CTesser& GlueEngine()
{
    CTesser* engine = CTesser::GetInstance();
    if (engine == nullptr) [[unlikely]]
        GlueNoEngine();
    return *engine;
}

// ---- the script functions, in registration order ----

struct ScrFunctionInfo {
    const char* name;         // the Lua global
    lua_CFunction function;   // glue_<name>
    const char* arguments;    // for the reference: "text (string)", "none", ...
    const char* results;
    const char* description;
    lua_CFunction guarded;    // the function inside its exception guard, as registered
};

// The 62 engine functions, in the order ScrInit registers them.
std::span<const ScrFunctionInfo> ScrGetFunctionTable();
// The script API reference (Markdown), made from the same table.
std::string ScrMakeApiReference();

#define TSR_GLUE(name) int glue_##name(lua_State* L);
#define TSR_GLUE_FUNCTIONS(X)                                                                         \
    X(TSN_SYS_TimerGetDelta)                                                                          \
    X(TSN_SYS_TimerGetFPS)                                                                            \
    X(TSN_SYS_SetXMLEncryptMode)                                                                      \
    X(TSN_SYS_UpdateAllSystems)                                                                       \
    X(TSN_LOG_AddEntry)                                                                               \
    X(TSN_GFX_SceneBegin)                                                                             \
    X(TSN_GFX_SceneEnd)                                                                               \
    X(TSN_GFX_SceneClearScreen)                                                                       \
    X(TSN_GFX_SceneRender)                                                                            \
    X(TSN_GFX_ScenePresent)                                                                           \
    X(TSN_GFX_SceneSetViewport)                                                                       \
    X(TSN_GFX_SceneMakeScreenshot)                                                                    \
    X(TSN_GFX_SceneSetGamma)                                                                          \
    X(TSN_GFX_VQuadSetPos)                                                                            \
    X(TSN_GFX_VQuadSetPosByVertex)                                                                    \
    X(TSN_GFX_VQuadRotate)                                                                            \
    X(TSN_GFX_VQuadScale)                                                                             \
    X(TSN_GFX_VQuadMove)                                                                              \
    X(TSN_GFX_VQuadSetTexCoords)                                                                      \
    X(TSN_GFX_VQuadSetColor)                                                                          \
    X(TSN_GFX_VQuadSetColorByVertex)                                                                  \
    X(TSN_GFX_TexUnloadByID)                                                                          \
    X(TSN_GFX_TexSet)                                                                                 \
    X(TSN_GFX_TexSetNoTexture)                                                                        \
    X(TSN_GFX_TechApply)                                                                              \
    X(TSN_GFX_FontSet)                                                                                \
    X(TSN_GFX_FontDrawText)                                                                           \
    X(TSN_INP_KeyboardGetAnyPressedKey)                                                               \
    X(TSN_INP_KeyboardIsKeyPressed)                                                                   \
    X(TSN_INP_KeyboardIsKeyClicked)                                                                   \
    X(TSN_INP_KeyboardSetTextBufferStatus)                                                            \
    X(TSN_INP_KeyboardSetTextInBuffer)                                                                \
    X(TSN_INP_KeyboardGetTextInBuffer)                                                                \
    X(TSN_INP_KeyboardSetTextBufferSize)                                                              \
    X(TSN_INP_MouseGetAnyPressedKey)                                                                  \
    X(TSN_INP_MouseIsKeyPressed)                                                                      \
    X(TSN_INP_MouseIsKeyClicked)                                                                      \
    X(TSN_INP_MouseGetDeltaX)                                                                         \
    X(TSN_INP_MouseGetDeltaY)                                                                         \
    X(TSN_INP_MouseGetWheelDelta)                                                                     \
    X(TSN_INP_MouseGetCursorPos)                                                                      \
    X(TSN_INP_MouseGetCursorStatus)                                                                   \
    X(TSN_SFX_SetGlobalVolumes)                                                                       \
    X(TSN_SFX_SoundUnload)                                                                            \
    X(TSN_SFX_SoundPlay)                                                                              \
    X(TSN_SFX_SoundStop)                                                                              \
    X(TSN_SFX_SoundPause)                                                                             \
    X(TSN_SFX_SoundResume)                                                                            \
    X(TSN_SFX_SoundSetAttributes)                                                                     \
    X(TSN_SFX_SoundSlideAttributes)                                                                   \
    X(TSN_SFX_SoundGetStatus)                                                                         \
    X(TSN_SFX_MusicSetVolume)                                                                         \
    X(TSN_SFX_PlaylistSet)                                                                            \
    X(TSN_SFX_PlaylistStop)                                                                           \
    X(TSN_RES_LoadResource)                                                                           \
    X(TSN_RES_LoadResources)                                                                          \
    X(TSNUTIL_DemandTexture)                                                                          \
    X(TSNUTIL_DemandTechnique)                                                                        \
    X(TSNUTIL_DemandFont)                                                                             \
    X(TSNUTIL_DemandSound)                                                                            \
    X(TSNUTIL_DemandMusic)                                                                            \
    X(TSNUTIL_DemandPlaylist)

TSR_GLUE_FUNCTIONS(TSR_GLUE)
#undef TSR_GLUE
