// End to end: the crash-test program runs as a real process in its own
// folder; its "gamelog.txt" and "ehslog.txt" are compared byte for byte
// (dates, times and the build stamp masked).
#include <csignal>
#include <cstdlib>
#include <fstream>
#include <map>
#include <regex>
#include <sys/wait.h>
#include <thread>
#include <unistd.h>

#include "spine_fixture.h"

namespace {

using spine::ReadFile;
using spine::TempDirTest;

constexpr const char* kProgram = TSR_CRASHTEST_PROGRAM;

// Starts the program in `dir` with extra environment; returns its pid.
pid_t Start(const std::filesystem::path& dir, const std::map<std::string, std::string>& env)
{
    const pid_t pid = fork();
    if (pid == 0) {
        if (chdir(dir.c_str()) != 0)
            _exit(120);
        for (const auto& [name, value] : env)
            setenv(name.c_str(), value.c_str(), 1);
        execl(kProgram, kProgram, static_cast<char*>(nullptr));
        _exit(121);
    }
    return pid;
}

// Waits up to 60 s; returns the exit status, or -1 for a signal or timeout.
int Wait(pid_t pid)
{
    for (int i = 0; i < 6000; ++i) {
        int status = 0;
        const pid_t done = waitpid(pid, &status, WNOHANG);
        if (done == pid)
            return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }
    kill(pid, SIGKILL);
    waitpid(pid, nullptr, 0);
    return -1;
}

bool WaitForFile(const std::filesystem::path& path)
{
    for (int i = 0; i < 3000; ++i) {
        if (std::filesystem::exists(path))
            return true;
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }
    return false;
}

std::string Mask(std::string text)
{
    static const std::regex values(R"((--==: Built: |--==: Execution date: |--==: Execution time: |^Date: |^Time: )[^\n]*)",
                                   std::regex::multiline);
    return std::regex_replace(text, values, "$1<masked>");
}

const std::string kThin = "|---------------------------------------------------|\n";
const std::string kDotted = "|:::::::::::::::::::::::::::::::::::::::::::::::::::|\n";

std::string Banner()
{
    return "\n\n" + kThin +
           "--==: Starting CrashTest v. 1.0\n"
           "--==: Powered by Tesseron Engine v.1.0\n"
           "--==: Built: <masked>\n"
           "\n"
           "--==: Execution date: <masked>\n"
           "--==: Execution time: <masked>\n" +
           kThin + "\n\n" + kThin + "   +: Callback function for termination registered.\n" + kThin + "\n";
}

std::string EndOfLog() { return "\n" + kThin + kThin + "--==: End of log.\n" + kThin + kThin + "\n"; }

std::string Report(const std::string& type, const std::string& code, const std::string& desc,
                   const std::string& location1, const std::string& location2)
{
    return "\n\n" + kDotted +
           " !!!: Fatal error!\n"
           " !!!: Error type: " + type + "\n"
           " !!!: Error code: " + code + "\n"
           " !!!: Error desc: " + desc + "\n"
           " !!!: Error location: \n"
           " !!!:    " + location1 + "\n"
           " !!!:    " + location2 + "\n"
           " !!!: Last called Lua function name: \n" +
           kDotted + "\n\n";
}

std::string CrashRecord(const std::string& type, const std::string& code, const std::string& desc,
                        const std::string& file, const std::string& line, const std::string& cpLine)
{
    return "\n\n\n"
           "Date: <masked>\n"
           "Time: <masked>\n"
           "Exception type: " + type + "\n"
           "Exception code: " + code + "\n"
           "Exception desc: " + desc + "\n"
           "File: " + file + "\n"
           "Line: " + line + "\n"
           "Last checkpoint:\n"
           "   FileID: 1005\n"
           "   Line:   " + cpLine + "\n";
}

const std::string kFreed = "   +: Game shut-down: resources freed.\n";
const std::string kNothing = "   +: Game shut-down: nothing left to free.\n";

// The line of a source file holding `text` (the first one).
std::string LineOf(const char* file, const std::string& text)
{
    std::ifstream in(file);
    std::string line;
    for (int number = 1; std::getline(in, line); ++number)
        if (line.find(text) != std::string::npos)
            return std::to_string(number);
    return "?";
}

// The line of the crash program's Game check.
std::string GameCheckLine() { return LineOf(TSR_CRASHTEST_SOURCE, "EHS_CHECK(g_frames != 3"); }

class CrashTest : public TempDirTest {
protected:
    int Run(const std::string& mode)
    {
        return Wait(Start(m_dir, {{"TSR_CRASHTEST_MODE", mode}, {"TSR_LOCK_DIR", (m_dir / "lock").string()}}));
    }
    std::string MaskedLog() const { return Mask(Log()); }
    std::string MaskedEhsLog() const { return Mask(EhsLog()); }
};

TEST_F(CrashTest, NormalRun)
{
    ASSERT_EQ(Run("normal"), 0);
    EXPECT_EQ(MaskedLog(), Banner() + "   =: Main loop ended after 5 frames.\n" + kFreed + EndOfLog());
    EXPECT_FALSE(spine::FileExists("ehslog.txt"));
}

TEST_F(CrashTest, QuitMessageEndsTheLoop)
{
    ASSERT_EQ(Run("quit-message"), 0);
    EXPECT_EQ(MaskedLog(), Banner() + "   =: Main loop ended after 3 frames.\n" + kFreed + EndOfLog());
}

TEST_F(CrashTest, GameCheckFailure)
{
    ASSERT_EQ(Run("game-check"), 0);
    const std::string line = GameCheckLine();
    EXPECT_EQ(MaskedLog(), Banner() +
                               Report("Game.", "0", "Invalid level data!", "File: " TSR_CRASHTEST_SOURCE,
                                      "Line: " + line) +
                               kFreed + EndOfLog());
    EXPECT_EQ(MaskedEhsLog(), CrashRecord("Game.", "0", "Invalid level data!", TSR_CRASHTEST_SOURCE, line, "4242"));
}

struct FaultCase {
    const char* mode;
    const char* code;
    const char* desc;
};

class FaultTest : public CrashTest, public ::testing::WithParamInterface<FaultCase> {};

TEST_P(FaultTest, FaultInTheMainLoopIsReported)
{
    const FaultCase& c = GetParam();
    ASSERT_EQ(Run(c.mode), 0);
    EXPECT_EQ(MaskedLog(), Banner() + Report("Win32.", c.code, c.desc, "FileID: 1005", "Line: 4242") + kFreed +
                               EndOfLog());
    EXPECT_EQ(MaskedEhsLog(), CrashRecord("Win32.", c.code, c.desc, "", "0", "4242"));
}

INSTANTIATE_TEST_SUITE_P(Spine, FaultTest,
                         ::testing::Values(FaultCase{"null-write", "-1073741819", "Access violation."},
                                           FaultCase{"int-div-zero", "-1073741676", "Divide by zero (int)."},
                                           FaultCase{"stack-overflow", "-1073741571", "Stack overflow."}),
                         [](const auto& info) {
                             std::string name = info.param.mode;
                             std::erase(name, '-');
                             return name;
                         });

TEST_F(CrashTest, ThrownTextIsLoggedWithoutCrashRecord)
{
    const std::pair<const char*, const char*> cases[] = {
        {"string", " !!!: XMLERROR: the file is empty - .\\data\\level3.xml\n"},
        {"char-ptr", " !!!: Plain text thrown as char*.\n"},
        {"unknown", " !!!: EXCEPTION OF UNKNOWN TYPE!\n"},
    };
    for (const auto& [mode, line] : cases) {
        ASSERT_EQ(Run(mode), 0) << mode;
        EXPECT_EQ(MaskedLog(), Banner() + line + kFreed + EndOfLog()) << mode;
        EXPECT_FALSE(spine::FileExists("ehslog.txt")) << mode;
    }
}

TEST_F(CrashTest, FaultAfterTheGameShutDownFreesNothingTwice)
{
    ASSERT_EQ(Run("after-shutdown"), 0);
    EXPECT_EQ(MaskedLog(), Banner() + "   =: Main loop ended after 5 frames.\n" + kFreed +
                               Report("Win32.", "-1073741819", "Access violation.", "FileID: 1005", "Line: 4343") +
                               kNothing + EndOfLog());
}

TEST_F(CrashTest, ThrowingShutDownDuringTheFatalPathIsReported)
{
    ASSERT_EQ(Run("termination-throws"), 0);
    const std::string line = GameCheckLine();
    EXPECT_EQ(MaskedLog(), Banner() +
                               Report("Game.", "0", "Invalid level data!", "File: " TSR_CRASHTEST_SOURCE,
                                      "Line: " + line) +
                               kFreed + " !!!: Game shut-down failed!\n" + EndOfLog());
}

TEST_F(CrashTest, NoEngineObjectStillGivesTheReport)
{
    ASSERT_EQ(Run("no-engine"), 0);
    const std::string line = LineOf(TSR_ENTRY_SOURCE, "\"Cannot create CTesser object!\"");
    // Nothing to shut down: the report is the whole log.
    EXPECT_EQ(MaskedLog(), Report("General.", "0", "Cannot create CTesser object!", "File: " TSR_ENTRY_SOURCE,
                                  "Line: " + line));
    const std::string ehs = MaskedEhsLog();
    EXPECT_NE(ehs.find("Exception desc: Cannot create CTesser object!\nFile: " TSR_ENTRY_SOURCE "\nLine: " + line),
              std::string::npos)
        << ehs;
}

TEST_F(CrashTest, TwoFatalRunsKeepBothCrashRecordsAndOnlyTheLastLog)
{
    ASSERT_EQ(Run("null-write"), 0);
    ASSERT_EQ(Run("int-div-zero"), 0);
    EXPECT_EQ(MaskedEhsLog(), CrashRecord("Win32.", "-1073741819", "Access violation.", "", "0", "4242") +
                                  CrashRecord("Win32.", "-1073741676", "Divide by zero (int).", "", "0", "4242"));
    EXPECT_NE(Log().find("Divide by zero (int)."), std::string::npos);
    EXPECT_EQ(Log().find("Access violation."), std::string::npos);
}

TEST_F(CrashTest, SecondInstanceExitsSilently)
{
    const std::string lockDir = (m_dir / "lock").string();
    const std::filesystem::path first = m_dir / "first";
    const std::filesystem::path second = m_dir / "second";
    const std::filesystem::path other = m_dir / "other";
    for (const auto& dir : {first, second, other})
        std::filesystem::create_directory(dir);

    const pid_t running = Start(first, {{"TSR_CRASHTEST_MODE", "wait"}, {"TSR_LOCK_DIR", lockDir}});
    ASSERT_TRUE(WaitForFile(first / "ready"));
    const std::string before = ReadFile(first / "gamelog.txt");

    // Same lock folder, same folder as the first: exits at once, writes nothing.
    EXPECT_EQ(Wait(Start(first, {{"TSR_CRASHTEST_MODE", "game-check"}, {"TSR_LOCK_DIR", lockDir}})), 0);
    EXPECT_EQ(Wait(Start(second, {{"TSR_CRASHTEST_MODE", "normal"}, {"TSR_LOCK_DIR", lockDir}})), 0);
    EXPECT_EQ(ReadFile(first / "gamelog.txt"), before);
    EXPECT_FALSE(spine::FileExists(first / "ehslog.txt"));
    EXPECT_FALSE(spine::FileExists(second / "gamelog.txt"));

    // Another lock folder: runs side by side.
    EXPECT_EQ(Wait(Start(other, {{"TSR_CRASHTEST_MODE", "normal"}, {"TSR_LOCK_DIR", (m_dir / "lock2").string()}})),
              0);
    EXPECT_TRUE(ReadFile(other / "gamelog.txt").ends_with(EndOfLog()));

    std::ofstream(first / "stop") << "stop\n";
    EXPECT_EQ(Wait(running), 0);
    EXPECT_TRUE(ReadFile(first / "gamelog.txt").ends_with(EndOfLog()));

    // Once the first has ended, a new copy runs.
    EXPECT_EQ(Wait(Start(second, {{"TSR_CRASHTEST_MODE", "normal"}, {"TSR_LOCK_DIR", lockDir}})), 0);
    EXPECT_TRUE(ReadFile(second / "gamelog.txt").ends_with(EndOfLog()));
}

} // namespace
