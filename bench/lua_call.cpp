// The call bridge: CallLuaFunction by name with two number parameters and
// one result, beside the raw Lua C API making the same call on the same
// state (look the global up, push, protected call, check and read).
#include <benchmark/benchmark.h>
#include <lauxlib.h>
#include <lua.h>
#include <unistd.h>

#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <memory>
#include <string>

#include "CTesser/ctesser.h"

namespace {

const char* kScript = "function Add(a, b) return a + b end";

// An engine with only the script subsystem, in a folder of its own.
struct ScriptEngine {
    ScriptEngine()
    {
        old = std::filesystem::current_path();
        std::string pattern = (std::filesystem::temp_directory_path() / "tsr_bench_lua_XXXXXX").string();
        dir = mkdtemp(pattern.data());
        std::filesystem::current_path(dir);
        engine = std::make_unique<CTesser>();
        engine->ScrInit();
        engine->ScrLoadScript(kScript, static_cast<int32_t>(std::strlen(kScript)), "SCR_BENCH");
    }
    ~ScriptEngine()
    {
        engine.reset();
        std::filesystem::current_path(old);
        std::filesystem::remove_all(dir);
    }
    std::filesystem::path old, dir;
    std::unique_ptr<CTesser> engine;
};

void BM_CallLuaFunction(benchmark::State& state)
{
    ScriptEngine s;
    CTesser& engine = *s.engine;
    double x = 0;
    for (auto _ : state) {
        engine.AddCallParam(CLuaValue(x));
        engine.AddCallParam(CLuaValue(1.0));
        engine.CallLuaFunction("Add", 1);
        x = engine.GetCallResults()[0].GetNumber();
    }
    benchmark::DoNotOptimize(x);
}
BENCHMARK(BM_CallLuaFunction);

void BM_RawLuaApi(benchmark::State& state)
{
    ScriptEngine s;
    lua_State* L = s.engine->ScrGetLuaState();
    double x = 0;
    for (auto _ : state) {
        lua_getfield(L, LUA_GLOBALSINDEX, "Add");
        if (!lua_isfunction(L, -1)) {
            state.SkipWithError("no function");
            break;
        }
        lua_pushnumber(L, x);
        lua_pushnumber(L, 1.0);
        if (lua_pcall(L, 2, 1, 0) != 0 || lua_type(L, -1) != LUA_TNUMBER) {
            state.SkipWithError("call failed");
            break;
        }
        x = lua_tonumber(L, -1);
        lua_settop(L, 0);
    }
    benchmark::DoNotOptimize(x);
}
BENCHMARK(BM_RawLuaApi);

}  // namespace
