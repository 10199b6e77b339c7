// The runner end to end: the real tesseron program on a data folder,
// headless, driven by the input replay source.
#include <gtest/gtest.h>
#include <unistd.h>

#include <cstdint>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <vector>

#include "common/tsr_run_program.h"
#include "common/tsr_temp_dir.h"
#include "common/tsr_test_files.h"

namespace fs = std::filesystem;

namespace {

using tsrtest::ReadFile;
using tsrtest::WriteFile;

// A game folder of its own per test.
class RunnerTest : public ::testing::Test {
protected:
    // Runs tesseron with `args` from the game folder (or `from`), the replay
    // file if given; returns the exit status (-1 when it did not exit normally).
    int Run(const std::vector<std::string>& args, const std::string& replay = "", fs::path from = {},
            const std::string& record = "")
    {
        if (!replay.empty())
            WriteFile(m_dir / "replay.txt", replay);
        if (from.empty())
            from = m_dir;
        // No replay or recording reaches the program unless asked for.
        tsrtest::EnvChanges env{{"TSR_LOCK_DIR", m_dir.string()}, {"TSR_REPLAY", {}}, {"TSR_RECORD", {}}};
        if (!replay.empty())
            env[1].second = "replay.txt";
        if (!record.empty())
            env[2].second = record;
        return tsrtest::RunProgram(TSR_TESSERON_PATH, args, from, env);
    }

    std::string Log() const { return ReadFile(m_dir / "gamelog.txt"); }
    std::string CrashLog() const { return ReadFile(m_dir / "ehslog.txt"); }

    // A data folder with one descriptor and the given scripts (id, text), in tag order.
    void WriteScripts(const std::vector<std::pair<std::string, std::string>>& scripts)
    {
        std::string pack = "<respack>\n";
        int tag = 1;
        for (const auto& [id, text] : scripts) {
            WriteFile(m_dir / "DATA" / "scripts" / (id + ".lua"), text);
            pack += "  <scr id=\"" + id + "\" typeid=\"SCRIPT\" filename=\"Scripts\\" + id + ".lua\" tag=\"" +
                    std::to_string(tag++) + "\"/>\n";
        }
        WriteFile(m_dir / "DATA" / "game.xml", pack + "</respack>\n");
    }

    tsrtest::TempDir m_temp;
    const fs::path m_dir = m_temp.Path();
};

bool EndsTheLog(const std::string& log)
{
    return log.find("--==: End of log.\n") != std::string::npos;
}

// 24-bit bottom-up BMP of the screenshot.
struct Bitmap {
    int32_t width = 0;
    int32_t height = 0;
    std::string bytes;

    struct Rgb {
        int r, g, b;
    };
    Rgb At(int x, int y) const
    {
        const uint32_t offset = *reinterpret_cast<const uint32_t*>(bytes.data() + 10);
        const size_t stride = (static_cast<size_t>(width) * 3 + 3) / 4 * 4;
        const size_t p = offset + static_cast<size_t>(height - 1 - y) * stride + static_cast<size_t>(x) * 3;
        return {static_cast<unsigned char>(bytes[p + 2]), static_cast<unsigned char>(bytes[p + 1]),
                static_cast<unsigned char>(bytes[p])};
    }
};

Bitmap LoadBitmap(const fs::path& path)
{
    Bitmap bmp;
    bmp.bytes = ReadFile(path);
    if (bmp.bytes.size() >= 54) {
        bmp.width = *reinterpret_cast<const int32_t*>(bmp.bytes.data() + 18);
        bmp.height = *reinterpret_cast<const int32_t*>(bmp.bytes.data() + 22);
    }
    return bmp;
}

bool Near(Bitmap::Rgb c, int r, int g, int b)
{
    return std::abs(c.r - r) <= 3 && std::abs(c.g - g) <= 3 && std::abs(c.b - b) <= 3;
}

// Right arrow held for 20 frames of 16 ms, a beep, then F9.
const char* kHelloReplay =
    "step 16\n"
    "2 keydown RIGHT\n"
    "22 keyup RIGHT\n"
    "25 keydown SPACE\n"
    "26 keyup SPACE\n"
    "30 keydown F9\n"
    "31 keyup F9\n";

}  // namespace

TEST_F(RunnerTest, ExampleRunsUnderReplayAndItsScreenshotShowsWhatTheScriptDrew)
{
    fs::copy(fs::path(std::getenv("TSR_SOURCE_DIR")) / "examples" / "hello" / "DATA", m_dir / "DATA",
             fs::copy_options::recursive);
    ASSERT_EQ(Run({"--frames", "35"}, kHelloReplay), 0);
    const std::string log = Log();
    EXPECT_NE(log.find("\nHello: script loaded\n"), std::string::npos);
    EXPECT_EQ(log.find("Fatal error!"), std::string::npos) << log;
    EXPECT_TRUE(EndsTheLog(log));

    const Bitmap shot = LoadBitmap(m_dir / "screenshot1.bmp");
    ASSERT_EQ(shot.bytes.size(), 1440054u);
    ASSERT_EQ(shot.width, 800);
    ASSERT_EQ(shot.height, 600);
    // Cleared background (0.1, 0.1, 0.2), also where the player started.
    EXPECT_TRUE(Near(shot.At(400, 250), 25, 25, 51));
    EXPECT_TRUE(Near(shot.At(400, 330), 25, 25, 51));
    // The player moved right by 20 frames x 16 ms x 250 px/s = 80 px.
    EXPECT_TRUE(Near(shot.At(480, 330), 255, 255, 255));
    // The first tile of the row, tinted red.
    EXPECT_TRUE(Near(shot.At(123, 88), 255, 76, 76));
    // The text shows the beep that Space played: light pixels in the band.
    int light = 0;
    for (int y = 556; y < 580; ++y)
        for (int x = 20; x < 300; ++x)
            light += shot.At(x, y).r > 150 ? 1 : 0;
    EXPECT_GT(light, 200);

    // The same replay gives the same picture.
    fs::rename(m_dir / "screenshot1.bmp", m_dir / "first.bmp");
    ASSERT_EQ(Run({"--frames", "35"}, kHelloReplay), 0);
    EXPECT_EQ(ReadFile(m_dir / "screenshot1.bmp"), ReadFile(m_dir / "first.bmp"));
}

TEST_F(RunnerTest, GameFolderMayBeGivenOnTheCommandLine)
{
    WriteScripts({{"SCR_MAIN", "TSN_LOG_AddEntry('from the given folder')"}});
    fs::create_directories(m_dir / "elsewhere");
    EXPECT_EQ(Run({"--frames", "2", m_dir.string()}, "", m_dir / "elsewhere"), 0);
    EXPECT_NE(Log().find("\nfrom the given folder\n"), std::string::npos);
    // A DATA folder given itself stands for its game folder.
    fs::remove(m_dir / "gamelog.txt");
    EXPECT_EQ(Run({"--frames", "2", (m_dir / "DATA").string()}, "", m_dir / "elsewhere"), 0);
    EXPECT_NE(Log().find("\nfrom the given folder\n"), std::string::npos);
}

TEST_F(RunnerTest, ErrorsInAFrameHandlerReachTheProcessEntry)
{
    const struct {
        const char* call;
        const char* description;
        const char* file;
    } cases[] = {
        // The script function's own argument check.
        {"TSN_LOG_AddEntry(1)", "Error in glue function: glue_TSN_LOG_AddEntry.Invalid argument type. Index = 1",
         "ctesser_glue_log.cpp"},
        // The engine operation behind it (engine -> bridge -> Lua -> glue -> engine).
        {"TSN_SFX_SoundPlay(7, false, -1, -1, -101)", "Invalid sound ID: 7", "ctesser_sfx_sound.cpp"},
    };
    for (const auto& c : cases) {
        fs::remove(m_dir / "ehslog.txt");
        WriteScripts({{"SCR_MAIN", std::string("function OnFrame()\n  ") + c.call + "\nend\n"}});
        ASSERT_EQ(Run({"--frames", "5"}), 0);
        const std::string log = Log();
        EXPECT_NE(log.find(" !!!: Error type: Game.\n"), std::string::npos) << log;
        EXPECT_NE(log.find(std::string(" !!!: Error desc: ") + c.description + "\n"), std::string::npos) << log;
        EXPECT_NE(log.find(std::string(c.file) + "\n"), std::string::npos) << c.file;
        EXPECT_NE(log.find(" !!!: Last called Lua function name: OnFrame\n"), std::string::npos);
        EXPECT_TRUE(EndsTheLog(log));
        const std::string crash = CrashLog();
        EXPECT_NE(crash.find("Exception type: Game.\nException code: 0\n"), std::string::npos) << crash;
        EXPECT_NE(crash.find(std::string("Exception desc: ") + c.description + "\n"), std::string::npos);
    }
}

TEST_F(RunnerTest, ScriptErrorsEndTheProgramWithALuaReport)
{
    const struct {
        const char* script;
        const char* desc;
    } cases[] = {
        {"x = = 1", "Exception desc: [string \"SCR_MAIN\"]:1: unexpected symbol near '='\n"},
        {"\nerror('x')", "Exception desc: [string \"SCR_MAIN\"]:2: x\n"},
    };
    for (const auto& c : cases) {
        fs::remove(m_dir / "ehslog.txt");
        WriteScripts({{"SCR_MAIN", c.script}});
        ASSERT_EQ(Run({"--frames", "5"}), 0);
        const std::string crash = CrashLog();
        EXPECT_NE(crash.find("Exception type: Lua.\n"), std::string::npos) << crash;
        EXPECT_NE(crash.find(c.desc), std::string::npos) << crash;
        EXPECT_TRUE(EndsTheLog(Log()));
        EXPECT_NE(Log().find("Deinitializing Scripts Subsystem..."), std::string::npos);
    }
}

TEST_F(RunnerTest, ScriptWithItsOwnFrameLoopEndsWhenTheWindowCloses)
{
    // The loop's update sees the quit; the runner must not start its own
    // main loop afterwards (it would wait forever for a second quit).
    WriteScripts({{"SCR_LOOP",
                   "local frames = 0\n"
                   "while TSN_SYS_UpdateAllSystems() ~= -1 do\n"
                   "  frames = frames + 1\n"
                   "  TSN_GFX_SceneBegin() TSN_GFX_SceneClearScreen(0, 0, 1) TSN_GFX_SceneEnd()\n"
                   "  TSN_GFX_ScenePresent()\n"
                   "end\n"
                   "TSN_LOG_AddEntry('loop ended after ' .. frames .. ' frames')\n"},
                  {"SCR_AFTER", "TSN_LOG_AddEntry('not loaded')"}});
    ASSERT_EQ(Run({}, "step 16\n10 close\n"), 0);
    const std::string log = Log();
    EXPECT_NE(log.find("\nloop ended after "), std::string::npos) << log;
    EXPECT_EQ(log.find("not loaded"), std::string::npos);
    EXPECT_TRUE(EndsTheLog(log));
}

TEST_F(RunnerTest, FrameHandlerReturningFalseEndsTheMainLoop)
{
    WriteScripts({{"SCR_MAIN", "local n = 0\n"
                               "function OnFrame()\n"
                               "  n = n + 1\n"
                               "  TSN_LOG_AddEntry('frame ' .. n)\n"
                               "  return n < 3\n"
                               "end\n"}});
    ASSERT_EQ(Run({"--frames", "100"}), 0);
    const std::string log = Log();
    EXPECT_NE(log.find("\nframe 3\n"), std::string::npos);
    EXPECT_EQ(log.find("\nframe 4\n"), std::string::npos);
    EXPECT_TRUE(EndsTheLog(log));
}

TEST_F(RunnerTest, FrameLimitAndBadArguments)
{
    WriteScripts({{"SCR_MAIN", "local n = 0\nfunction OnFrame() n = n + 1 TSN_LOG_AddEntry('frame ' .. n) end\n"}});
    ASSERT_EQ(Run({"--frames", "4"}), 0);
    EXPECT_NE(Log().find("\nframe 4\n"), std::string::npos);
    EXPECT_EQ(Log().find("\nframe 5\n"), std::string::npos);

    for (const std::vector<std::string>& bad : std::vector<std::vector<std::string>>{
             {"--frames"}, {"--frames", "0"}, {"--frames", "x"}, {"--bogus"}, {"a", "b"}, {"/no/such/folder"}})
        EXPECT_EQ(Run(bad), 2) << bad[0];
}

TEST_F(RunnerTest, RecordsInputIntoAReplayFile)
{
    WriteScripts({{"SCR_MAIN", "function OnFrame() end"}});
    ASSERT_EQ(Run({"--frames", "3"}, "", {}, "recorded.txt"), 0);
    const std::string recorded = ReadFile(m_dir / "recorded.txt");
    EXPECT_NE(recorded.find("step 16"), std::string::npos) << recorded;
    // What was recorded plays back.
    fs::copy_file(m_dir / "recorded.txt", m_dir / "again.txt");
    ASSERT_EQ(Run({"--frames", "3"}, ReadFile(m_dir / "again.txt")), 0);
    EXPECT_TRUE(EndsTheLog(Log()));
}
