// Script functions of the resources family (TSN_RES_).
#include "ctesser_scr_glue.h"

namespace {
constexpr int32_t kFileID = 150;
}

int glue_TSN_RES_LoadResource(lua_State* L)
{
    SetCheckpoint(kFileID, __LINE__);
    int bad = 0;
    CheckArgType(L, 1, LUA_TSTRING, bad);
    GLUE_CHECK_ARGS(bad);
    GlueEngine().ResLoadResource(GlueToString(L, 1));
    return 0;
}

int glue_TSN_RES_LoadResources(lua_State* L)
{
    SetCheckpoint(kFileID, __LINE__);
    int bad = 0;
    CheckArgType(L, 1, LUA_TNUMBER, bad);
    GLUE_CHECK_ARGS(bad);
    GlueEngine().ResLoadResources(GlueToInt(L, 1));
    return 0;
}
