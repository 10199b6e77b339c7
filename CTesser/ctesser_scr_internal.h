// Internals of the script subsystem shared by its own source files.
#pragma once

#include <lua.h>

#include "ctesser.h"

// One active Lua call made by the engine (script loading or the call
// bridge). The outermost call starts from an empty Lua stack; a call made
// from inside a script function leaves the frames below it alone. The
// stack is restored to its base when the call ends, also by an exception.
struct ScrCallScope {
    explicit ScrCallScope(CTesser& engine) : m_engine(engine)
    {
        lua_State* L = engine.m_luaState.get();
        if (engine.m_scrCallDepth == 0)
            lua_settop(L, 0);  // m_base stays 0
        else
            m_base = lua_gettop(L);
        ++engine.m_scrCallDepth;
    }
    ~ScrCallScope()
    {
        if (lua_State* L = m_engine.m_luaState.get())
            lua_settop(L, m_base);
        --m_engine.m_scrCallDepth;
    }
    ScrCallScope(const ScrCallScope&) = delete;
    ScrCallScope& operator=(const ScrCallScope&) = delete;

    int Base() const { return m_base; }
    int Depth() const { return m_engine.m_scrCallDepth; }

private:
    CTesser& m_engine;
    int m_base = 0;
};

// Drops the call bridge's remembered global names; a new or closed Lua
// state has none of them.
void ScrForgetCallNames();
