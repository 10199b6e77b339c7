// A fresh engine with the script subsystem, in a temporary folder of its
// own (the engine writes gamelog.txt into the current folder).
#pragma once

#include <gtest/gtest.h>

#include <filesystem>
#include <functional>
#include <memory>
#include <string>

#include "CTesser/ctesser.h"
#include "CTesser/ctesser_scr_glue.h"
#include "common/tsr_temp_dir.h"

namespace scrtest {

namespace fs = std::filesystem;

// Changes into a new empty folder for the life of the object.
using TempFolder = tsrtest::TempCurrentDir;
using tsrtest::ReadFile;

// Runs `body` and returns the CEHSException it throws (fails if none).
inline CEHSException Thrown(const std::function<void()>& body)
{
    try {
        body();
    } catch (const CEHSException& e) {
        return e;
    }
    ADD_FAILURE() << "no CEHSException thrown";
    return CEHSException(-1, 0, "", "", 0);
}

class ScriptTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        m_engine = std::make_unique<CTesser>();
        m_engine->ScrInit();
    }
    void TearDown() override { m_engine.reset(); }

    CTesser& Engine() { return *m_engine; }
    lua_State* L() { return m_engine->ScrGetLuaState(); }

    void Run(const std::string& chunk, const std::string& name = "SCR_TEST")
    {
        m_engine->ScrLoadScript(chunk.data(), static_cast<int32_t>(chunk.size()), name);
    }
    // Evaluates a Lua expression through the bridge, as one string result.
    std::string Eval(const std::string& expression)
    {
        Run("function __eval() return tostring(" + expression + ") end", "SCR_EVAL");
        m_engine->CallLuaFunction("__eval", 1);
        return m_engine->GetCallResults().at(0).GetString();
    }
    std::string Log() const { return ReadFile(m_folder.Path() / "gamelog.txt"); }

    TempFolder m_folder;
    std::unique_ptr<CTesser> m_engine;
};

}  // namespace scrtest
