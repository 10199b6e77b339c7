// Script functions of the demand family (TSNUTIL_): an object's ID,
// loading its resource first when it is not loaded yet.
#include "ctesser_scr_glue.h"
#include "ctesser_utils_demand.h"

namespace {
constexpr int32_t kFileID = 151;

// The common shape: one identifier in, one ID out.
int DemandOne(lua_State* L, const char* glueName, int (*demand)(const std::string&))
{
    int bad = 0;
    CheckArgType(L, 1, LUA_TSTRING, bad);
    EHS_CHECK(bad == 0, EHS_GAME, GlueArgError(glueName, bad));
    lua_pushnumber(L, demand(GlueToString(L, 1)));
    return 1;
}
}  // namespace

int glue_TSNUTIL_DemandTexture(lua_State* L)
{
    SetCheckpoint(kFileID, __LINE__);
    return DemandOne(L, __func__, DemandTexture);
}

int glue_TSNUTIL_DemandTechnique(lua_State* L)
{
    SetCheckpoint(kFileID, __LINE__);
    int bad = 0;
    CheckArgType(L, 1, LUA_TSTRING, bad);
    CheckArgType(L, 2, LUA_TSTRING, bad);
    GLUE_CHECK_ARGS(bad);
    lua_pushnumber(L, DemandTechnique(GlueToString(L, 1), GlueToString(L, 2)));
    return 1;
}

int glue_TSNUTIL_DemandFont(lua_State* L)
{
    SetCheckpoint(kFileID, __LINE__);
    return DemandOne(L, __func__, DemandFont);
}

int glue_TSNUTIL_DemandSound(lua_State* L)
{
    SetCheckpoint(kFileID, __LINE__);
    return DemandOne(L, __func__, DemandSound);
}

int glue_TSNUTIL_DemandMusic(lua_State* L)
{
    SetCheckpoint(kFileID, __LINE__);
    return DemandOne(L, __func__, DemandMusic);
}

int glue_TSNUTIL_DemandPlaylist(lua_State* L)
{
    SetCheckpoint(kFileID, __LINE__);
    return DemandOne(L, __func__, DemandPlaylist);
}
