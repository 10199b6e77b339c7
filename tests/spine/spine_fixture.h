// Shared helpers of the engine-core tests: each test runs in a fresh
// temporary folder (the engine writes "gamelog.txt" and "ehslog.txt" into
// the current folder), with an empty message queue and a virtual clock.
#pragma once

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <unistd.h>

#include "platform/clock/tsr_clock.h"
#include "platform/messages/tsr_messages.h"

namespace spine {

inline std::string ReadFile(const std::filesystem::path& path)
{
    std::ifstream in(path, std::ios::binary);
    std::stringstream buffer;
    buffer << in.rdbuf();
    return buffer.str();
}

inline bool FileExists(const std::filesystem::path& path) { return std::filesystem::exists(path); }

// A fresh temporary folder as the current folder for the test's lifetime.
class TempDirTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        m_oldDir = std::filesystem::current_path();
        std::string pattern = (std::filesystem::temp_directory_path() / "tsr_spine_XXXXXX").string();
        ASSERT_NE(mkdtemp(pattern.data()), nullptr);
        m_dir = pattern;
        std::filesystem::current_path(m_dir);
    }
    void TearDown() override
    {
        std::filesystem::current_path(m_oldDir);
        std::error_code ignored;
        std::filesystem::remove_all(m_dir, ignored);
    }
    std::string Log() const { return ReadFile(m_dir / "gamelog.txt"); }
    std::string EhsLog() const { return ReadFile(m_dir / "ehslog.txt"); }

    std::filesystem::path m_oldDir;
    std::filesystem::path m_dir;
};

// The engine's surroundings: an empty queue and a virtual clock.
class EngineEnvTest : public TempDirTest {
protected:
    void SetUp() override
    {
        TempDirTest::SetUp();
        tsr::ResetMessageQueue();
        tsr::UseVirtualClock(100000);
    }
    void TearDown() override
    {
        tsr::ResetMessageQueue();
        tsr::UseRealClock();
        TempDirTest::TearDown();
    }
};

} // namespace spine
