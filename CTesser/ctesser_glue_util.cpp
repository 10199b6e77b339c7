// Script functions of the demand family (TSNUTIL_): an object's ID,
// loading its resource first when it is not loaded yet.
#include "ctesser_scr_glue.h"

namespace {
constexpr int32_t kFileID = 151;

// The demand operations are free functions of the utilities; while one is
// not part of the build its script function fails with a clear error.

// The common shape: one identifier in, one ID out.
template <typename Demand>
int DemandOne(lua_State* L, const char* glueName, Demand demand)
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
    return DemandOne(L, __func__, [](const auto& id) -> int {
        if constexpr (requires { DemandTexture(id); })
            return static_cast<int>(DemandTexture(id));
        else
            GlueUnavailable("DemandTexture");
    });
}

int glue_TSNUTIL_DemandTechnique(lua_State* L)
{
    SetCheckpoint(kFileID, __LINE__);
    int bad = 0;
    CheckArgType(L, 1, LUA_TSTRING, bad);
    CheckArgType(L, 2, LUA_TSTRING, bad);
    GLUE_CHECK_ARGS(bad);
    const std::string technique = GlueToString(L, 1);
    const std::string pack = GlueToString(L, 2);
    lua_pushnumber(L, [](const auto& id, const auto& packID) -> int {
        if constexpr (requires { DemandTechnique(id, packID); })
            return static_cast<int>(DemandTechnique(id, packID));
        else
            GlueUnavailable("DemandTechnique");
    }(technique, pack));
    return 1;
}

int glue_TSNUTIL_DemandFont(lua_State* L)
{
    SetCheckpoint(kFileID, __LINE__);
    return DemandOne(L, __func__, [](const auto& id) -> int {
        if constexpr (requires { DemandFont(id); })
            return static_cast<int>(DemandFont(id));
        else
            GlueUnavailable("DemandFont");
    });
}

int glue_TSNUTIL_DemandSound(lua_State* L)
{
    SetCheckpoint(kFileID, __LINE__);
    return DemandOne(L, __func__, [](const auto& id) -> int {
        if constexpr (requires { DemandSound(id); })
            return static_cast<int>(DemandSound(id));
        else
            GlueUnavailable("DemandSound");
    });
}

int glue_TSNUTIL_DemandMusic(lua_State* L)
{
    SetCheckpoint(kFileID, __LINE__);
    return DemandOne(L, __func__, [](const auto& id) -> int {
        if constexpr (requires { DemandMusic(id); })
            return static_cast<int>(DemandMusic(id));
        else
            GlueUnavailable("DemandMusic");
    });
}

int glue_TSNUTIL_DemandPlaylist(lua_State* L)
{
    SetCheckpoint(kFileID, __LINE__);
    return DemandOne(L, __func__, [](const auto& id) -> int {
        if constexpr (requires { DemandPlaylist(id); })
            return static_cast<int>(DemandPlaylist(id));
        else
            GlueUnavailable("DemandPlaylist");
    });
}
