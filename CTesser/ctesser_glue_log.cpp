// Script functions of the log family (TSN_LOG_).
#include "ctesser_scr_glue.h"

namespace {
constexpr int32_t kFileID = 146;
}

int glue_TSN_LOG_AddEntry(lua_State* L)
{
    SetCheckpoint(kFileID, __LINE__);
    int bad = 0;
    CheckArgType(L, 1, LUA_TSTRING, bad);
    GLUE_CHECK_ARGS(bad);
    GlueEngine().WriteLine(GlueToString(L, 1));
    return 0;
}
