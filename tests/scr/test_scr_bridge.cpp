// The call bridge and CLuaValue.
#include "scr_fixture.h"

using namespace scrtest;

TEST(CLuaValueTest, GettersAnswerOnlyForTheirOwnStatus)
{
    const CLuaValue number(2.5);
    const CLuaValue boolean(true);
    const CLuaValue text(std::string("abc"), false);
    const CLuaValue function(std::string("OnClick"), true);
    EXPECT_EQ(number.GetStatus(), LUAVAL_NUMBER);
    EXPECT_EQ(boolean.GetStatus(), LUAVAL_BOOLEAN);
    EXPECT_EQ(text.GetStatus(), LUAVAL_STRING);
    EXPECT_EQ(function.GetStatus(), LUAVAL_FUNCTION);
    EXPECT_EQ(number.GetNumber(), 2.5);
    EXPECT_TRUE(boolean.GetBoolean());
    EXPECT_EQ(text.GetString(), "abc");
    EXPECT_EQ(function.GetFunction(), "OnClick");
    EXPECT_EQ(CLuaValue(std::string(), false).GetString(), "");

    const struct {
        const CLuaValue& value;
        std::function<void()> get;
        const char* message;
    } wrong[] = {
        {text, [&] { (void)text.GetNumber(); }, "CLuaValue error: cannot return number because of different status!"},
        {number, [&] { (void)number.GetBoolean(); },
         "CLuaValue error: cannot return boolean because of different status!"},
        {number, [&] { (void)number.GetString(); },
         "CLuaValue error: cannot return string because of different status!"},
        {text, [&] { (void)text.GetFunction(); },
         "CLuaValue error: cannot return function because of different status!"},
        {function, [&] { (void)function.GetString(); },
         "CLuaValue error: cannot return string because of different status!"},
    };
    for (const auto& c : wrong) {
        const CEHSException e = Thrown(c.get);
        EXPECT_EQ(e.GetType(), EHS_GENERAL);
        EXPECT_EQ(e.GetDescription(), c.message);
    }
}

TEST_F(ScriptTest, UnknownFunctionIsIgnoredButRemembered)
{
    Run("NotAFunction = 5");
    for (const char* name : {"Nowhere", "NotAFunction"}) {
        Engine().AddCallParam(CLuaValue(1.0));
        Engine().AddCallParam(CLuaValue(std::string("x"), false));
        Engine().CallLuaFunction(name, -1);
        EXPECT_EQ(Engine().GetCallParamCount(), 0u);
        EXPECT_TRUE(Engine().GetCallResults().empty());
        EXPECT_EQ(Engine().GetLastCalledFunctionName(), name);
        EXPECT_EQ(Engine().ScrGetLastCalledFunction(), name);
        EXPECT_EQ(lua_gettop(L()), 0);
    }
}

TEST_F(ScriptTest, ParametersArriveTypedAndResultsComeBackInOrder)
{
    Run("function Echo(...) return ... end\n"
        "function Types(a, b, c, d) return type(a) .. type(b) .. type(c) .. type(d) end\n"
        "function Nothing() end\n"
        "function Mixed() return 1, 'a', true end\n"
        "function Fn() return Nothing end\n"
        "function Anonymous() return function() end end");

    Engine().AddCallParam(CLuaValue(3.5));
    Engine().AddCallParam(CLuaValue(false));
    Engine().AddCallParam(CLuaValue(std::string("s"), false));
    Engine().AddCallParam(CLuaValue(std::string("Handler"), true));
    Engine().CallLuaFunction("Types", -1);
    ASSERT_EQ(Engine().GetCallResults().size(), 1u);
    EXPECT_EQ(Engine().GetCallResults()[0].GetString(), "numberbooleanstringstring");

    Engine().CallLuaFunction("Nothing", -1);
    EXPECT_TRUE(Engine().GetCallResults().empty());

    Engine().CallLuaFunction("Mixed", -1);
    const auto& r = Engine().GetCallResults();
    ASSERT_EQ(r.size(), 3u);
    EXPECT_EQ(r[0].GetNumber(), 1.0);
    EXPECT_EQ(r[1].GetString(), "a");
    EXPECT_TRUE(r[2].GetBoolean());

    Engine().CallLuaFunction("Mixed", 2);  // extra results are dropped
    EXPECT_EQ(Engine().GetCallResults().size(), 2u);

    Engine().CallLuaFunction("Fn", -1);
    EXPECT_EQ(Engine().GetCallResults().at(0).GetFunction(), "Nothing");
    Engine().CallLuaFunction("Anonymous", -1);
    EXPECT_EQ(Engine().GetCallResults().at(0).GetFunction(), "");

    // More parameters than Lua's default C stack room.
    for (int i = 0; i < 100; ++i)
        Engine().AddCallParam(CLuaValue(i));
    Engine().CallLuaFunction("Echo", -1);
    ASSERT_EQ(Engine().GetCallResults().size(), 100u);
    EXPECT_EQ(Engine().GetCallResults()[99].GetNumber(), 99.0);
    EXPECT_EQ(lua_gettop(L()), 0);
}

TEST_F(ScriptTest, ResultsOfOtherTypesAreGameErrors)
{
    Run("function Nil() return nil end\n"
        "function Nothing() end\n"
        "function Table() return 1, {} end\n"
        "function Fails() error('boom') end");
    const struct {
        const char* name;
        int count;
        int type;
        int code;
        const char* message;
    } cases[] = {
        {"Nil", -1, EHS_GAME, 0, "Function: Nil returned result of invalid type. Type id = 0"},
        {"Nothing", 1, EHS_GAME, 0, "Function: Nothing returned result of invalid type. Type id = 0"},
        {"Table", -1, EHS_GAME, 0, "Function: Table returned result of invalid type. Type id = 5"},
        {"Fails", -1, EHS_LUA, LUA_ERRRUN, "[string \"SCR_TEST\"]:4: boom"},
    };
    for (const auto& c : cases) {
        const CEHSException e = Thrown([&] { Engine().CallLuaFunction(c.name, c.count); });
        EXPECT_EQ(e.GetType(), c.type) << c.name;
        EXPECT_EQ(e.GetCode(), c.code) << c.name;
        EXPECT_EQ(e.GetDescription(), c.message);
        EXPECT_EQ(Engine().GetLastCalledFunctionName(), c.name);
        EXPECT_EQ(lua_gettop(L()), 0);
    }
}

namespace {
// A script function that calls back into Lua through the bridge, the way a
// GUI command fired from a handler runs another handler.
int CallInner(lua_State* L)
{
    CTesser& engine = GlueEngine();
    const double argument = lua_tonumber(L, 1);
    engine.AddCallParam(CLuaValue(argument));
    engine.AddCallParam(CLuaValue(std::string("inner"), false));
    engine.CallLuaFunction("Inner", -1);
    lua_pushnumber(L, engine.GetCallResults().at(0).GetNumber());
    return 1;
}
}  // namespace

TEST_F(ScriptTest, BridgeCanBeReenteredFromAScriptFunction)
{
    Engine().ScrRegisterFunction("CallInner", CallInner);
    Run("function Inner(x, tag) assert(tag == 'inner') return x * 10 end\n"
        "function Outer(a, b, tag)\n"
        "  local inner = CallInner(a)\n"
        "  return a, b, tag, inner\n"
        "end");
    Engine().AddCallParam(CLuaValue(2));
    Engine().AddCallParam(CLuaValue(3));
    Engine().AddCallParam(CLuaValue(std::string("outer"), false));
    Engine().CallLuaFunction("Outer", -1);
    const auto& r = Engine().GetCallResults();
    ASSERT_EQ(r.size(), 4u);
    EXPECT_EQ(r[0].GetNumber(), 2.0);
    EXPECT_EQ(r[1].GetNumber(), 3.0);
    EXPECT_EQ(r[2].GetString(), "outer");
    EXPECT_EQ(r[3].GetNumber(), 20.0);
    EXPECT_EQ(Engine().GetCallParamCount(), 0u);
    EXPECT_EQ(Engine().GetLastCalledFunctionName(), "Outer");
    EXPECT_EQ(lua_gettop(L()), 0);
}

namespace {
// engine -> bridge -> Lua -> script function -> engine (script loading)
// -> Lua -> glue: the glue's Game error must come out of the outermost call
// unchanged.
int LoadChunk(lua_State* L)
{
    const std::string chunk = GlueToString(L, 1);
    GlueEngine().ScrLoadScript(chunk.data(), static_cast<int32_t>(chunk.size()), "SCR_NESTED");
    return 0;
}
}  // namespace

TEST_F(ScriptTest, EngineErrorsCrossEveryLuaFrameUnchanged)
{
    Engine().ScrRegisterFunction("LoadChunk", LoadChunk);
    const struct {
        const char* inner;  // run by the nested script load
        const char* description;
        const char* file;
    } cases[] = {
        // The glue's own argument error.
        {"TSN_LOG_AddEntry()", "Error in glue function: glue_TSN_LOG_AddEntry.Invalid argument type. Index = 1",
         "ctesser_glue_log.cpp"},
        // An error of the engine operation the glue called.
        {"TSN_RES_LoadResource('SCR_NONE')", "Resources subsystem was not initialized!", "ctesser_res_main.cpp"},
    };
    for (const auto& c : cases) {
        Run(std::string("function Handler() LoadChunk(\"TSN_LOG_AddEntry('fine')\\n") + c.inner + "\") end");
        const CEHSException e = Thrown([&] { Engine().CallLuaFunction("Handler", -1); });
        EXPECT_EQ(e.GetType(), EHS_GAME);
        EXPECT_EQ(e.GetCode(), 0);
        EXPECT_EQ(e.GetDescription(), c.description);
        EXPECT_TRUE(e.GetFile().ends_with(c.file)) << e.GetFile();
        EXPECT_GT(e.GetLine(), 0);
        EXPECT_EQ(Engine().GetLastCalledFunctionName(), "Handler");
        EXPECT_EQ(lua_gettop(L()), 0);
        EXPECT_FALSE(Engine().ScrHasPendingException());
        EXPECT_NE(Log().find("\nfine\n"), std::string::npos);
    }
}

TEST_F(ScriptTest, AScriptCannotSwallowAnEngineError)
{
    const CEHSException e = Thrown([&] {
        Run("local ok = pcall(TSN_LOG_AddEntry, 1)\n"
            "pcall(TSN_LOG_AddEntry, 'after')\n"
            "TSN_LOG_AddEntry('after')");
    });
    EXPECT_EQ(e.GetType(), EHS_GAME);
    EXPECT_EQ(e.GetDescription(), "Error in glue function: glue_TSN_LOG_AddEntry.Invalid argument type. Index = 1");
    EXPECT_EQ(Log().find("\nafter\n"), std::string::npos);
}

namespace {
int ThrowsText(lua_State*)
{
    throw "plain text error";
}
}  // namespace

TEST_F(ScriptTest, ThrownTextCrossesLuaAsItself)
{
    Engine().ScrRegisterFunction("ThrowsText", ThrowsText);
    Run("function Handler() ThrowsText() end");
    try {
        Engine().CallLuaFunction("Handler", -1);
        FAIL() << "nothing thrown";
    } catch (const char* text) {
        EXPECT_STREQ(text, "plain text error");
    }
}
