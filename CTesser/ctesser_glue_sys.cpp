// Script functions of the system family (TSN_SYS_).
#include "ctesser_scr_glue.h"

namespace {
constexpr int32_t kFileID = 138;
}

int glue_TSN_SYS_TimerGetDelta(lua_State* L)
{
    SetCheckpoint(kFileID, __LINE__);
    lua_pushnumber(L, GlueEngine().TimerGetDelta());
    return 1;
}

int glue_TSN_SYS_TimerGetFPS(lua_State* L)
{
    SetCheckpoint(kFileID, __LINE__);
    lua_pushnumber(L, GlueEngine().TimerGetFPS());
    return 1;
}

int glue_TSN_SYS_SetXMLEncryptMode(lua_State* L)
{
    SetCheckpoint(kFileID, __LINE__);
    int bad = 0;
    CheckArgType(L, 1, LUA_TBOOLEAN, bad);
    GLUE_CHECK_ARGS(bad);
    GlueEngine().SetXMLEncryptMode(GlueToBool(L, 1));
    return 0;
}

int glue_TSN_SYS_UpdateAllSystems(lua_State* L)
{
    SetCheckpoint(kFileID, __LINE__);
    const int result = GlueEngine().UpdateAllSystems();
    // The quit message is taken off the queue here, so the main loop that
    // runs after the script would never see it: keep the request.
    if (result == -1)
        RequestQuit();
    lua_pushnumber(L, result);
    return 1;
}
