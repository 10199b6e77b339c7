// The real program, replayed and recorded headless: a replay gives the same
// log and the same screenshots on every run, and a recording of a session
// replays into that same session.
#include <gtest/gtest.h>

#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <map>
#include <string>

#include "common/tsr_run_program.h"
#include "common/tsr_temp_dir.h"
#include "common/tsr_test_files.h"

namespace fs = std::filesystem;

namespace {

using tsrtest::ReadFile;
using tsrtest::WriteFile;

struct RunResult {
    int status = -1;
    std::string log;
    std::map<std::string, std::string> screenshots; // name -> bytes
};

class ReplayRunTest : public ::testing::Test {
protected:
    // Runs the demo program in a fresh folder of its own with extra
    // environment variables; collects its log and screenshots.
    RunResult Run(const std::string& name, const std::map<std::string, std::string>& env)
    {
        const fs::path dir = m_root / name;
        fs::create_directories(dir);
        tsrtest::EnvChanges changes{{"TSR_LOCK_DIR", dir.string()}, {"TSR_REPLAY", {}}, {"TSR_RECORD", {}}};
        for (const auto& [key, value] : env)
            changes.emplace_back(key, value);
        RunResult result;
        result.status = tsrtest::RunProgram(TSR_REPLAYDEMO_PROGRAM, {}, dir, changes);
        result.log = ReadFile(dir / "gamelog.txt");
        for (const auto& entry : fs::directory_iterator(dir)) {
            const std::string file = entry.path().filename().string();
            if (file.rfind("screenshot", 0) == 0)
                result.screenshots[file] = ReadFile(entry.path());
        }
        return result;
    }

    tsrtest::TempDir m_temp;
    const fs::path m_root = m_temp.Path();
};

// Exercises every kind of event, the window focus and the close.
const char* const kScript = R"(# keys, text, mouse, focus, screenshots
step 20
2 keydown A
3 keyup a
4 keydown lshift
4 keydown 2
5 keyup 2
5 keyup LSHIFT
6 mousemove 120 80
7 buttondown 1
8 mousemove 300 200
9 buttonup 1
10 wheel 1
11 keydown F9
12 keyup F9
13 buttondown 2
14 focuslost
20 focusgained
21 buttonup 2
21 keydown SPACE
22 keyup SPACE
23 mousemove 799 599
24 keydown F9
25 keyup F9
26 mousemove 900 10
27 minimize
31 restore
33 keydown ESCAPE
34 close
)";

TEST_F(ReplayRunTest, SameReplayGivesTheSameLogAndScreenshots)
{
    WriteFile(m_root / "script.rpl", kScript);
    const std::map<std::string, std::string> env = {{"TSR_REPLAY", (m_root / "script.rpl").string()}};
    const RunResult first = Run("first", env);
    const RunResult second = Run("second", env);

    ASSERT_EQ(first.status, 0);
    ASSERT_EQ(second.status, 0);
    // The replay did reach the program: typed text, buttons, focus, close.
    EXPECT_NE(first.log.find("text='a@'"), std::string::npos) << first.log;
    EXPECT_NE(first.log.find("text='a@ '"), std::string::npos);
    EXPECT_NE(first.log.find("cursor=120,80 in=1"), std::string::npos);
    EXPECT_NE(first.log.find("cursor=900,10 in=0"), std::string::npos);
    EXPECT_NE(first.log.find("buttons 1*"), std::string::npos);
    EXPECT_NE(first.log.find("FOCUS LOST"), std::string::npos);
    EXPECT_NE(first.log.find("FOCUS GAINED"), std::string::npos);
    // Lost and gained twice: by the focus, then by minimising and restoring.
    const size_t secondLoss = first.log.find("FOCUS LOST", first.log.find("FOCUS LOST") + 1);
    ASSERT_NE(secondLoss, std::string::npos);
    EXPECT_NE(first.log.find("FOCUS GAINED", secondLoss), std::string::npos);
    EXPECT_NE(first.log.find(" keys 1* "), std::string::npos) << "a key after the restore is read";
    EXPECT_NE(first.log.find("End of log."), std::string::npos);
    EXPECT_EQ(first.log.find("Cannot acquire"), std::string::npos);
    // Step 20 ms: consecutive frames are 20 ms apart.
    EXPECT_NE(first.log.find(" dt=20 "), std::string::npos);
    ASSERT_EQ(first.screenshots.size(), 2u);

    EXPECT_TRUE(first.log == second.log) << "logs differ";
    EXPECT_TRUE(first.screenshots == second.screenshots) << "screenshots differ";
    // The second screenshot shows the moved square and the typed text.
    EXPECT_NE(first.screenshots.at("screenshot1.bmp"), first.screenshots.at("screenshot2.bmp"));
}

TEST_F(ReplayRunTest, RecordedSessionReplaysIntoTheSameSession)
{
    const fs::path record = m_root / "session.rpl";
    const RunResult live = Run("live", {{"TSR_RECORD", record.string()}, {"TSR_DEMO_SELFDRIVE", "1"}});
    ASSERT_EQ(live.status, 0);
    const std::string recorded = ReadFile(record);
    EXPECT_NE(recorded.find("step 16"), std::string::npos) << recorded;
    EXPECT_NE(recorded.find("keydown LSHIFT"), std::string::npos) << recorded;
    EXPECT_NE(recorded.find("focuslost"), std::string::npos) << recorded;
    EXPECT_NE(recorded.find("close"), std::string::npos) << recorded;
    ASSERT_EQ(live.screenshots.size(), 2u);
    EXPECT_NE(live.log.find("text='a@ '"), std::string::npos) << live.log;

    const RunResult replayed = Run("replayed", {{"TSR_REPLAY", record.string()}});
    ASSERT_EQ(replayed.status, 0);
    EXPECT_EQ(replayed.log, live.log);
    EXPECT_TRUE(replayed.screenshots == live.screenshots) << "screenshots differ";
}

TEST_F(ReplayRunTest, BadReplayFileStopsBeforeTheProgramStarts)
{
    WriteFile(m_root / "bad.rpl", "1 keydown ENTER\n");
    const RunResult bad = Run("bad", {{"TSR_REPLAY", (m_root / "bad.rpl").string()}});
    EXPECT_EQ(bad.status, 2);
    EXPECT_TRUE(bad.log.empty()) << "nothing ran, nothing was logged";
    const RunResult missing = Run("missing", {{"TSR_REPLAY", (m_root / "none.rpl").string()}});
    EXPECT_EQ(missing.status, 2);
}

} // namespace
