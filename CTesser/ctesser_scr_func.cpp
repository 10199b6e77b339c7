// The script call bridge: engine code calls global Lua functions by name
// with queued CLuaValue parameters and gets their results back.
#include <array>
#include <cstring>
#include <utility>

#include "ctesser_scr_glue.h"
#include "ctesser_scr_internal.h"

namespace {

constexpr int32_t kFileID = 139;

// The names the bridge was last asked to call, each with its Lua string
// pinned in the registry: a repeated call looks its global up by that
// string instead of hashing and interning the name again.
struct CallName {
    std::string name;
    int ref = LUA_NOREF;
};

struct CallNameCache {
    lua_State* L = nullptr;
    std::array<CallName, 8> names;
    size_t next = 0;
};

CallNameCache g_callNames;

// Pushes the key under which the global `name` is looked up.
void PushCallName(lua_State* L, const std::string& name)
{
    CallNameCache& cache = g_callNames;
    if (cache.L == L) {
        for (const CallName& entry : cache.names)
            if (entry.ref != LUA_NOREF && entry.name == name) {
                lua_rawgeti(L, LUA_REGISTRYINDEX, entry.ref);
                return;
            }
    } else {
        ScrForgetCallNames();
        cache.L = L;
    }
    // Two slots of the LUA_MINSTACK free ones every call starts with. The
    // key ends at the first zero byte, as a C string does.
    lua_pushstring(L, name.c_str());
    CallName& entry = cache.names[cache.next];
    cache.next = (cache.next + 1) % cache.names.size();
    lua_pushvalue(L, -1);
    if (entry.ref == LUA_NOREF)
        entry.ref = luaL_ref(L, LUA_REGISTRYINDEX);
    else
        lua_rawseti(L, LUA_REGISTRYINDEX, entry.ref);
    entry.name = name;
}

// A function result travels by its global name: the first global that
// holds the same function, or "" for an anonymous one.
std::string FindGlobalName(lua_State* L, int index)
{
    std::string found;
    lua_pushnil(L);
    while (lua_next(L, LUA_GLOBALSINDEX) != 0) {
        if (found.empty() && lua_type(L, -2) == LUA_TSTRING && lua_rawequal(L, -1, index))
            found = lua_tostring(L, -2);
        lua_pop(L, 1);
    }
    return found;
}

}  // namespace

void ScrForgetCallNames()
{
    g_callNames = CallNameCache{};
}

void CTesser::CallLuaFunction(const std::string& name, int resultCount)
{
    SetCheckpoint(kFileID, __LINE__);
    EHS_CHECK(m_luaState != nullptr, EHS_GAME,
              "Cannot call Lua function " + name + ": scripts subsystem is not initialized!");
    lua_State* L = m_luaState.get();
    ScrCallScope scope(*this);
    const int base = scope.Base();

    // The queued parameters are this call's: they go onto the Lua stack and
    // the queue is emptied before the function runs, so a call made while it
    // runs starts with an empty list of its own. A call that ends early
    // empties it too.
    const size_t paramCount = m_scrCallParams.size();
    struct ParamsDone {
        std::vector<CLuaValue>& params;
        ~ParamsDone() { params.clear(); }
    };
    std::string outerName;
    if (scope.Depth() > 1)
        outerName = m_scrLastCalled;
    m_scrLastCalled = name;

    {
        ParamsDone paramsDone{m_scrCallParams};
        PushCallName(L, name);
        lua_gettable(L, LUA_GLOBALSINDEX);
        if (!lua_isfunction(L, -1)) {
            m_scrCallResults.clear();
            // Back in the outer handler: a later fatal error is that handler's.
            if (scope.Depth() > 1)
                m_scrLastCalled = std::move(outerName);
            return;
        }

        // Lua guarantees LUA_MINSTACK free slots; beyond that, ask for room
        // (an unchecked push past it would write outside the Lua stack).
        if (paramCount + 1 >= LUA_MINSTACK)
            EHS_CHECK(paramCount < 4000 && lua_checkstack(L, static_cast<int>(paramCount) + 1), EHS_GAME,
                      "Function: " + name + " Too many parameters. Count = " + std::to_string(paramCount));
        for (const CLuaValue& value : m_scrCallParams) {
            switch (value.GetStatus()) {
            case LUAVAL_NUMBER:
                lua_pushnumber(L, value.GetNumber());
                break;
            case LUAVAL_BOOLEAN:
                lua_pushboolean(L, value.GetBoolean() ? 1 : 0);
                break;
            case LUAVAL_STRING:
                lua_pushstring(L, value.GetString().c_str());
                break;
            case LUAVAL_FUNCTION:
                lua_pushstring(L, value.GetFunction().c_str());
                break;
            default:
                throw CEHSException(EHS_GAME, 0,
                                    "Function: " + name + " Wrong parameter type. Type id = " +
                                        std::to_string(value.GetStatus()),
                                    __FILE__, __LINE__);
            }
        }
    }

    const int result = lua_pcall(L, static_cast<int>(paramCount), resultCount, 0);
    if (m_scrPendingException) [[unlikely]]
        ScrRethrowPending();
    if (result != 0)
        ScrThrowLuaError(result);

    // Results are kept in the order the function returned them. Lua takes
    // them off from the top down, so of several values of a type without a
    // CLuaValue form, the topmost is the one reported.
    const int top = lua_gettop(L);
    m_scrCallResults.clear();  // a call made from inside this one left its own results here
    for (int i = base + 1; i <= top; ++i) {
        switch (lua_type(L, i)) {
        case LUA_TBOOLEAN:
            m_scrCallResults.emplace_back(lua_toboolean(L, i) != 0);
            break;
        case LUA_TNUMBER:
            m_scrCallResults.emplace_back(static_cast<double>(lua_tonumber(L, i)));
            break;
        case LUA_TSTRING: {
            size_t length = 0;
            const char* text = lua_tolstring(L, i, &length);
            m_scrCallResults.emplace_back(std::string(text, strnlen(text, length)), false);
            break;
        }
        case LUA_TFUNCTION:
            m_scrCallResults.emplace_back(FindGlobalName(L, i), true);
            break;
        default:
            for (int j = top; j > base; --j) {
                const int type = lua_type(L, j);
                if (type != LUA_TBOOLEAN && type != LUA_TNUMBER && type != LUA_TSTRING && type != LUA_TFUNCTION)
                    throw CEHSException(EHS_GAME, 0,
                                        "Function: " + name + " returned result of invalid type. Type id = " +
                                            std::to_string(type),
                                        __FILE__, __LINE__);
            }
        }
    }
    // Back in the outer handler: a later fatal error is that handler's.
    if (scope.Depth() > 1)
        m_scrLastCalled = std::move(outerName);
}
