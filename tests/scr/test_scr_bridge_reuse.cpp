// The call bridge reuses what it can between calls (the looked-up names,
// the parameter list, the values' storage); none of that may show.
#include "scr_fixture.h"

using namespace scrtest;

TEST(CLuaValueTest, CopiesAndMovesKeepValueAndStatus)
{
    const CLuaValue text(std::string("a longer text than fits in place"), false);
    CLuaValue copy(text);
    EXPECT_EQ(copy.GetString(), text.GetString());
    CLuaValue moved(std::move(copy));
    EXPECT_EQ(moved.GetString(), "a longer text than fits in place");

    CLuaValue value(std::string("Handler"), true);
    value = CLuaValue(4.5);
    EXPECT_EQ(value.GetStatus(), LUAVAL_NUMBER);
    EXPECT_EQ(value.GetNumber(), 4.5);
    EXPECT_THROW((void)value.GetFunction(), CEHSException);
    value = text;
    EXPECT_EQ(value.GetString(), text.GetString());
    const CLuaValue flag(true);
    value = flag;
    EXPECT_TRUE(value.GetBoolean());
    EXPECT_THROW((void)value.GetString(), CEHSException);
    value = CLuaValue(std::string("OnClick"), true);
    EXPECT_EQ(value.GetFunction(), "OnClick");
    CLuaValue number(1.0);
    number = std::move(value);
    EXPECT_EQ(number.GetStatus(), LUAVAL_FUNCTION);
    EXPECT_EQ(number.GetFunction(), "OnClick");
}

TEST_F(ScriptTest, EveryCallFindsTheGlobalAsItIsThen)
{
    Run("function F() return 1 end");
    Engine().CallLuaFunction("F", 1);
    EXPECT_EQ(Engine().GetCallResults().at(0).GetNumber(), 1.0);
    Run("function F() return 2 end");
    Engine().CallLuaFunction("F", 1);
    EXPECT_EQ(Engine().GetCallResults().at(0).GetNumber(), 2.0);
    Run("F = nil");
    Engine().CallLuaFunction("F", 1);
    EXPECT_TRUE(Engine().GetCallResults().empty());

    // More names than are remembered, called round and round.
    const auto name = [](int i) {
        std::string text = "N";
        text += std::to_string(i);
        return text;
    };
    std::string chunk;
    for (int i = 0; i < 20; ++i)
        chunk += "function " + name(i) + "() return " + std::to_string(i) + " end\n";
    Run(chunk);
    for (int round = 0; round < 3; ++round)
        for (int i = 0; i < 20; ++i) {
            Engine().CallLuaFunction(name(i), 1);
            ASSERT_EQ(Engine().GetCallResults().at(0).GetNumber(), double(i));
        }
    EXPECT_EQ(lua_gettop(L()), 0);
}

TEST_F(ScriptTest, NamesAreLookedUpLikeAnyGlobalRead)
{
    // The name ends at a zero byte, and a global table with an __index
    // metamethod is asked as Lua itself would ask it.
    Run("function Add(a, b) return a + b end\n"
        "setmetatable(_G, {__index = function(t, k) if k == 'Missing' then return Add end end})");
    Engine().AddCallParam(CLuaValue(2));
    Engine().AddCallParam(CLuaValue(3));
    Engine().CallLuaFunction(std::string("Add\0ignored", 11), 1);
    EXPECT_EQ(Engine().GetCallResults().at(0).GetNumber(), 5.0);
    EXPECT_EQ(Engine().GetLastCalledFunctionName(), std::string("Add\0ignored", 11));
    Engine().AddCallParam(CLuaValue(4));
    Engine().AddCallParam(CLuaValue(5));
    Engine().CallLuaFunction("Missing", 1);
    EXPECT_EQ(Engine().GetCallResults().at(0).GetNumber(), 9.0);
}

TEST_F(ScriptTest, ANewLuaStateStartsWithoutTheOldNames)
{
    Run("function Twice(x) return 2 * x end");
    Engine().AddCallParam(CLuaValue(4));
    Engine().CallLuaFunction("Twice", 1);
    EXPECT_EQ(Engine().GetCallResults().at(0).GetNumber(), 8.0);

    // The next engine's Lua state may well get the same address.
    m_engine.reset();
    m_engine = std::make_unique<CTesser>();
    Engine().ScrInit();
    Engine().AddCallParam(CLuaValue(4));
    Engine().CallLuaFunction("Twice", 1);
    EXPECT_TRUE(Engine().GetCallResults().empty());
    Run("function Twice(x) return 20 * x end");
    Engine().AddCallParam(CLuaValue(4));
    Engine().CallLuaFunction("Twice", 1);
    EXPECT_EQ(Engine().GetCallResults().at(0).GetNumber(), 80.0);
}

namespace {
// Queues a parameter for a later call without making one.
int QueueParam(lua_State* L)
{
    GlueEngine().AddCallParam(CLuaValue(lua_tonumber(L, 1)));
    return 0;
}
}  // namespace

TEST_F(ScriptTest, ParametersQueuedDuringACallWaitForTheNextOne)
{
    Engine().ScrRegisterFunction("QueueParam", QueueParam);
    Run("function Queue(a) QueueParam(a + 1) return a end\n"
        "function Show(a) return a end");
    Engine().AddCallParam(CLuaValue(1));
    Engine().CallLuaFunction("Queue", 1);
    EXPECT_EQ(Engine().GetCallResults().at(0).GetNumber(), 1.0);
    ASSERT_EQ(Engine().GetCallParamCount(), 1u);
    Engine().CallLuaFunction("Show", 1);
    EXPECT_EQ(Engine().GetCallResults().at(0).GetNumber(), 2.0);
    EXPECT_EQ(Engine().GetCallParamCount(), 0u);

    // A failed call takes its parameters with it.
    Run("function Fails(a) error('no') end");
    Engine().AddCallParam(CLuaValue(7));
    EXPECT_THROW(Engine().CallLuaFunction("Fails", 0), CEHSException);
    EXPECT_EQ(Engine().GetCallParamCount(), 0u);
    EXPECT_EQ(lua_gettop(L()), 0);
}
