// The script subsystem: state, libraries, panic handler, script loading.
#include "scr_fixture.h"

using namespace scrtest;

TEST_F(ScriptTest, OpensBaseMathIoOsButNotStringTableDebugOrPackage)
{
    EXPECT_EQ(Eval("math.floor(2.7)"), "2");
    EXPECT_EQ(Eval("type(coroutine.create)"), "function");
    EXPECT_EQ(Eval("type(io.write)"), "function");
    EXPECT_EQ(Eval("type(os.time)"), "function");
    EXPECT_EQ(Eval("type(TSN_SYS_TimerGetFPS())"), "number");
    for (const char* missing : {"string", "table", "debug", "package", "require"})
        EXPECT_EQ(Eval(std::string("type(") + missing + ")"), "nil") << missing;
    // Strings get no methods without the string library.
    const CEHSException e = Thrown([&] { Run("local n = string.len('abc')", "SCR_STR"); });
    EXPECT_EQ(e.GetType(), EHS_LUA);
}

TEST_F(ScriptTest, RegistersEverySixtyTwoFunctionsInOrder)
{
    const auto table = ScrGetFunctionTable();
    ASSERT_EQ(table.size(), 62u);
    EXPECT_STREQ(table.front().name, "TSN_SYS_TimerGetDelta");
    EXPECT_STREQ(table[4].name, "TSN_LOG_AddEntry");
    EXPECT_STREQ(table[27].name, "TSN_INP_KeyboardGetAnyPressedKey");
    EXPECT_STREQ(table[42].name, "TSN_SFX_SetGlobalVolumes");
    EXPECT_STREQ(table.back().name, "TSNUTIL_DemandPlaylist");
    for (const ScrFunctionInfo& info : table)
        EXPECT_EQ(Eval(std::string("type(") + info.name + ")"), "function") << info.name;
}

TEST_F(ScriptTest, InitAndShutdownWriteTheirLogBlocks)
{
    Engine().ScrDeinit();
    const std::string log = Log();
    const char* lines[] = {
        "--==: Initializing Scripts Subsystem...\n\n",
        "   =:    Creating Lua state...\n   +:    Done.\n\n\n",
        "   =:    Initializing standart Lua libraries...\n   +:    Done.\n\n",
        "   +: Done.\n|---------------------------------------------------|\n\n",
        "|---------------------------------------------------|\n--==: Deinitializing Scripts Subsystem...\n"
        "   +: Done.\n",
    };
    for (const char* line : lines)
        EXPECT_NE(log.find(line), std::string::npos) << line;
}

TEST_F(ScriptTest, SecondInitAndDeinitWithoutInitAreInternalErrors)
{
    CEHSException again = Thrown([&] { Engine().ScrInit(); });
    EXPECT_EQ(again.GetType(), EHS_GENERAL);
    EXPECT_EQ(again.GetDescription(), "Script subsystem reinitialization!");

    TempFolder other;
    CTesser fresh;
    CEHSException none = Thrown([&] { fresh.ScrDeinit(); });
    EXPECT_EQ(none.GetType(), EHS_GENERAL);
    EXPECT_EQ(none.GetDescription(), "Internal error - scripts subsystem was not initialized!");
}

TEST_F(ScriptTest, LoadingLogsTheChunkAndDefinesItsFunctions)
{
    Run("function Answer() return 42 end", "SCR_ANSWER");
    EXPECT_NE(Log().find("\n   =: Loading script from buffer: SCR_ANSWER\n   +: Done.\n\n"), std::string::npos);
    Engine().CallLuaFunction("Answer", -1);
    ASSERT_EQ(Engine().GetCallResults().size(), 1u);
    EXPECT_EQ(Engine().GetCallResults()[0].GetNumber(), 42.0);
    EXPECT_EQ(lua_gettop(L()), 0);
}

struct ScriptErrorCase {
    const char* chunk;
    int code;
    const char* description;
};

class ScriptErrorTest : public ScriptTest, public ::testing::WithParamInterface<ScriptErrorCase> {};

TEST_P(ScriptErrorTest, FailsWithALuaErrorNamingTheChunk)
{
    const CEHSException e = Thrown([&] { Run(GetParam().chunk, "SCR_BROKEN"); });
    EXPECT_EQ(e.GetType(), EHS_LUA);
    EXPECT_STREQ(e.GetTypeName(), "Lua.");
    EXPECT_EQ(e.GetCode(), GetParam().code);
    EXPECT_EQ(e.GetDescription(), GetParam().description);
    EXPECT_EQ(lua_gettop(L()), 0);
    // The state stays usable for the rest of the shut-down.
    EXPECT_EQ(Eval("1 + 1"), "2");
}

INSTANTIATE_TEST_SUITE_P(
    Errors, ScriptErrorTest,
    ::testing::Values(
        ScriptErrorCase{"x = = 1", LUA_ERRSYNTAX, "[string \"SCR_BROKEN\"]:1: unexpected symbol near '='"},
        ScriptErrorCase{"local a = 1\nerror(\"x\")", LUA_ERRRUN, "[string \"SCR_BROKEN\"]:2: x"},
        ScriptErrorCase{"local t = nil\nt.field = 1", LUA_ERRRUN,
                        "[string \"SCR_BROKEN\"]:2: attempt to index local 't' (a nil value)"},
        // error() may raise a value without text.
        ScriptErrorCase{"error({})", LUA_ERRRUN, "(error object is a table value)"},
        ScriptErrorCase{"error()", LUA_ERRRUN, "(error object is a nil value)"}));

TEST_F(ScriptTest, BufferIsReadByItsSizeOnly)
{
    // No terminating zero is needed or read: only the first 12 bytes count.
    const char chunk[] = "V = 'a' .. 1XXXXXXXX";
    Engine().ScrLoadScript(chunk, 12, "SCR_SIZED");
    EXPECT_EQ(Eval("V"), "a1");
    EXPECT_EQ(Thrown([&] { Engine().ScrLoadScript(chunk, -1, "SCR_NEG"); }).GetType(), EHS_GENERAL);
    EXPECT_EQ(Thrown([&] { Engine().ScrLoadScript(nullptr, 4, "SCR_NULL"); }).GetType(), EHS_GENERAL);
    Engine().ScrLoadScript(nullptr, 0, "SCR_EMPTY");  // an empty chunk is a valid script
}

TEST_F(ScriptTest, PanicOutsideAProtectedCallIsAGameError)
{
    lua_pushstring(L(), "unprotected");
    const CEHSException e = Thrown([&] { lua_error(L()); });
    EXPECT_EQ(e.GetType(), EHS_GAME);
    EXPECT_EQ(e.GetCode(), 0);
    EXPECT_EQ(e.GetDescription(), "Lua is on panic! Error source is unknown.");
}

namespace {
int ReturnsOne(lua_State* L)
{
    lua_pushnumber(L, 1);
    return 1;
}
int ReturnsTwo(lua_State* L)
{
    lua_pushnumber(L, 2);
    return 1;
}
}  // namespace

TEST_F(ScriptTest, RegisteringAnExistingNameReplacesIt)
{
    Engine().ScrRegisterFunction("Which", ReturnsOne);
    Engine().ScrRegisterFunction("Which", ReturnsTwo);
    EXPECT_EQ(Eval("Which()"), "2");
    // Also the engine's own functions.
    Engine().ScrRegisterFunction("TSN_SYS_TimerGetFPS", ReturnsTwo);
    EXPECT_EQ(Eval("TSN_SYS_TimerGetFPS()"), "2");
}

TEST_F(ScriptTest, ScriptsRunBeforeInitAreRefused)
{
    TempFolder other;
    CTesser fresh;
    const std::string chunk = "x = 1";
    EXPECT_EQ(Thrown([&] { fresh.ScrLoadScript(chunk.data(), 5, "SCR"); }).GetType(), EHS_GAME);
    EXPECT_EQ(Thrown([&] { fresh.CallLuaFunction("f", -1); }).GetType(), EHS_GAME);
}
