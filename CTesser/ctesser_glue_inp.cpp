// Script functions of the input family (TSN_INP_): keyboard, typed text
// and mouse, as read by the last update of all systems.
#include "ctesser_scr_glue.h"

namespace {
constexpr int32_t kFileID = 148;

// Key codes are the low 8 bits of the number (256 reads key 0).
int32_t KeyCode(lua_State* L, int index)
{
    return GlueToInt(L, index) & 0xFF;
}

// The mouse has buttons 1 to 8; any other number names no button.
bool IsMouseButton(int32_t button)
{
    return button >= 1 && button <= 8;
}
}  // namespace

int glue_TSN_INP_KeyboardGetAnyPressedKey(lua_State* L)
{
    SetCheckpoint(kFileID, __LINE__);
    lua_pushnumber(L, GlueEngine().KeyboardGetAnyPressedKey());
    return 1;
}

int glue_TSN_INP_KeyboardIsKeyPressed(lua_State* L)
{
    SetCheckpoint(kFileID, __LINE__);
    int bad = 0;
    CheckArgType(L, 1, LUA_TNUMBER, bad);
    GLUE_CHECK_ARGS(bad);
    lua_pushboolean(L, GlueEngine().KeyboardIsKeyPressed(KeyCode(L, 1)) ? 1 : 0);
    return 1;
}

int glue_TSN_INP_KeyboardIsKeyClicked(lua_State* L)
{
    SetCheckpoint(kFileID, __LINE__);
    int bad = 0;
    CheckArgType(L, 1, LUA_TNUMBER, bad);
    GLUE_CHECK_ARGS(bad);
    lua_pushboolean(L, GlueEngine().KeyboardIsKeyClicked(KeyCode(L, 1)) ? 1 : 0);
    return 1;
}

int glue_TSN_INP_KeyboardSetTextBufferStatus(lua_State* L)
{
    SetCheckpoint(kFileID, __LINE__);
    int bad = 0;
    CheckArgType(L, 1, LUA_TBOOLEAN, bad);
    GLUE_CHECK_ARGS(bad);
    GlueEngine().KeyboardSetTextBufferStatus(GlueToBool(L, 1));
    return 0;
}

int glue_TSN_INP_KeyboardSetTextInBuffer(lua_State* L)
{
    SetCheckpoint(kFileID, __LINE__);
    int bad = 0;
    CheckArgType(L, 1, LUA_TSTRING, bad);
    GLUE_CHECK_ARGS(bad);
    GlueEngine().KeyboardSetTextInBuffer(GlueToString(L, 1));
    return 0;
}

int glue_TSN_INP_KeyboardGetTextInBuffer(lua_State* L)
{
    SetCheckpoint(kFileID, __LINE__);
    const std::string text = GlueEngine().KeyboardGetTextInBuffer();
    lua_pushstring(L, text.c_str());
    return 1;
}

int glue_TSN_INP_KeyboardSetTextBufferSize(lua_State* L)
{
    SetCheckpoint(kFileID, __LINE__);
    int bad = 0;
    CheckArgType(L, 1, LUA_TNUMBER, bad);
    GLUE_CHECK_ARGS(bad);
    GlueEngine().KeyboardSetTextBufferSize(GlueToInt(L, 1));
    return 0;
}

int glue_TSN_INP_MouseGetAnyPressedKey(lua_State* L)
{
    SetCheckpoint(kFileID, __LINE__);
    lua_pushnumber(L, GlueEngine().MouseGetAnyPressedKey());
    return 1;
}

int glue_TSN_INP_MouseIsKeyPressed(lua_State* L)
{
    SetCheckpoint(kFileID, __LINE__);
    int bad = 0;
    CheckArgType(L, 1, LUA_TNUMBER, bad);
    GLUE_CHECK_ARGS(bad);
    const int32_t button = GlueToInt(L, 1);
    lua_pushboolean(L, IsMouseButton(button) && GlueEngine().MouseIsKeyPressed(button) ? 1 : 0);
    return 1;
}

int glue_TSN_INP_MouseIsKeyClicked(lua_State* L)
{
    SetCheckpoint(kFileID, __LINE__);
    int bad = 0;
    CheckArgType(L, 1, LUA_TNUMBER, bad);
    GLUE_CHECK_ARGS(bad);
    const int32_t button = GlueToInt(L, 1);
    lua_pushboolean(L, IsMouseButton(button) && GlueEngine().MouseIsKeyClicked(button) ? 1 : 0);
    return 1;
}

int glue_TSN_INP_MouseGetDeltaX(lua_State* L)
{
    SetCheckpoint(kFileID, __LINE__);
    lua_pushnumber(L, GlueEngine().MouseGetDeltaX());
    return 1;
}

int glue_TSN_INP_MouseGetDeltaY(lua_State* L)
{
    SetCheckpoint(kFileID, __LINE__);
    lua_pushnumber(L, GlueEngine().MouseGetDeltaY());
    return 1;
}

int glue_TSN_INP_MouseGetWheelDelta(lua_State* L)
{
    SetCheckpoint(kFileID, __LINE__);
    lua_pushnumber(L, GlueEngine().MouseGetWheelDelta());
    return 1;
}

int glue_TSN_INP_MouseGetCursorPos(lua_State* L)
{
    SetCheckpoint(kFileID, __LINE__);
    int32_t x = 0;
    int32_t y = 0;
    GlueEngine().MouseGetCursorPos(x, y);
    lua_pushnumber(L, x);
    lua_pushnumber(L, y);
    return 2;
}

int glue_TSN_INP_MouseGetCursorStatus(lua_State* L)
{
    SetCheckpoint(kFileID, __LINE__);
    lua_pushboolean(L, GlueEngine().MouseGetCursorStatus() ? 1 : 0);
    return 1;
}
