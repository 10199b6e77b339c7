// Temporary folders of one test, removed afterwards: a folder of its own,
// or one that is also the current folder (the engine reads ./DATA/ and
// writes gamelog.txt and ehslog.txt into the current folder).
#pragma once

#include <gtest/gtest.h>

#include <cctype>
#include <cstdlib>
#include <filesystem>
#include <optional>
#include <stdexcept>
#include <string>
#include <system_error>
#include <unistd.h>

#include "common/tsr_test_files.h"

namespace tsrtest {

// "tsr_<suite>" from the running test, so a folder left by a crash says
// which test made it.
inline std::string TempPrefixForCurrentTest()
{
    std::string prefix = "tsr_";
    if (const auto* info = ::testing::UnitTest::GetInstance()->current_test_info())
        for (const char c : std::string(info->test_suite_name()))
            prefix += std::isalnum(static_cast<unsigned char>(c)) ? c : '_';
    return prefix;
}

// A new empty folder of its own for the life of the object, removed with
// everything in it afterwards.
class TempDir {
public:
    explicit TempDir(const std::string& prefix = TempPrefixForCurrentTest())
    {
        std::string pattern = (std::filesystem::temp_directory_path() / (prefix + "_XXXXXX")).string();
        if (!mkdtemp(pattern.data()))
            throw std::runtime_error("cannot create a temporary folder " + pattern);
        m_dir = pattern;
    }
    ~TempDir()
    {
        std::error_code ignored;
        std::filesystem::remove_all(m_dir, ignored);
    }
    TempDir(const TempDir&) = delete;
    TempDir& operator=(const TempDir&) = delete;

    const std::filesystem::path& Path() const { return m_dir; }

private:
    std::filesystem::path m_dir;
};

// A TempDir that is also the current folder for the life of the object;
// the old current folder comes back before the folder is removed.
class TempCurrentDir {
public:
    explicit TempCurrentDir(const std::string& prefix = TempPrefixForCurrentTest())
        : m_old(std::filesystem::current_path()), m_temp(prefix)
    {
        std::filesystem::current_path(m_temp.Path());
    }
    ~TempCurrentDir()
    {
        std::error_code ignored;
        std::filesystem::current_path(m_old, ignored);
    }
    TempCurrentDir(const TempCurrentDir&) = delete;
    TempCurrentDir& operator=(const TempCurrentDir&) = delete;

    const std::filesystem::path& Path() const { return m_temp.Path(); }
    const std::filesystem::path& OldPath() const { return m_old; }

private:
    std::filesystem::path m_old;
    TempDir m_temp;
};

// A test fixture whose test runs in its own temporary current folder.
class TempDirTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        m_temp.emplace();
        m_oldDir = m_temp->OldPath();
        m_dir = m_temp->Path();
    }
    void TearDown() override { m_temp.reset(); }

    std::string Log() const { return ReadFile(m_dir / "gamelog.txt"); }
    std::string EhsLog() const { return ReadFile(m_dir / "ehslog.txt"); }

    std::filesystem::path m_oldDir;
    std::filesystem::path m_dir;

private:
    std::optional<TempCurrentDir> m_temp;
};

} // namespace tsrtest
