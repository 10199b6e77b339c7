// Every failure of the resource subsystem, run in a real program on the
// engine's process entry, ends in a fatal report with its exact message and
// the subsystem still shuts down in order.
#include <cstdlib>
#include <filesystem>

#include "../res/res_fixture.h"

namespace fs = std::filesystem;

namespace {

using restest::BuildPack;
using restest::WriteFile;

struct FatalCase {
    const char* name;
    std::vector<std::pair<std::string, std::string>> files; // path, bytes
    const char* steps;
    const char* type;  // as printed: "Game." or "General."
    std::string message;
};

std::string Pack(std::initializer_list<restest::PackItem> items) { return BuildPack(items); }

std::string BadPack()
{
    std::string b;
    restest::PutInt32(b, -7);
    return b;
}

const std::string kA = "<r id=\"a\" typeid=\"T\" filename=\"a.bin\"/>";

std::vector<FatalCase> Cases()
{
    return {
        {"wrong_root", {{"DATA/p.xml", "<resources>" + kA + "</resources>"}}, "init", "Game.",
         "Wrong XML ResPack descriptor: ./DATA/p.xml"},
        {"duplicate", {{"DATA/a.bin", "x"}, {"DATA/p.xml", "<respack>" + kA + kA + "</respack>"}}, "init", "Game.",
         "Dublicated resource. ID = a"},
        {"missing_file", {{"DATA/p.xml", "<respack>" + kA + "</respack>"}}, "init", "Game.",
         "Cannot find file declared in ResPack. Filename = a.bin"},
        {"empty_file", {{"DATA/a.bin", ""}, {"DATA/p.xml", "<respack>" + kA + "</respack>"}}, "init", "General.",
         "Wrong resource file - check if it exists!"},
        {"not_initialised", {}, "load:a", "Game.", "Resources subsystem was not initialized!"},
        {"after_deinit", {{"DATA/p.pak", Pack({{"a", "T", "x"}})}}, "init deinit tag:1", "Game.",
         "Resources subsystem was not initialized!"},
        {"no_loader", {{"DATA/p.pak", Pack({{"a", "NOSUCH", "x"}})}}, "init load:a", "Game.",
         "Cannot load resource: no function registered for Res_Type = NOSUCH"},
        {"loadres_twice", {}, "init reg:TEXTURE", "Game.", "LoadRes function already registered for TypeID = TEXTURE"},
        {"loadresex_twice", {}, "init regex:X regex:X", "Game.", "LoadResEx function already registered for TypeID = X"},
        {"corrupt_pack", {{"DATA/Broken.PAK", BadPack()}}, "init", "Game.",
         "Corrupt resource pack ./DATA/Broken.PAK: negative entry count (-7)"},
    };
}

class ResFatal : public restest::TempDirTest, public ::testing::WithParamInterface<FatalCase> {};

TEST_P(ResFatal, EndsInTheFatalReport)
{
    const FatalCase& c = GetParam();
    fs::create_directories("DATA");
    for (const auto& [path, bytes] : c.files)
        WriteFile(path, bytes);
    const std::string cmd = std::string("TSR_LOCK_DIR='") + (m_dir / "lock").string() + "' TSR_RESPROBE_STEPS='" +
                            c.steps + "' '" + RESPROBE_PROGRAM + "' >probe.out 2>&1";
    const int raw = std::system(cmd.c_str());
    ASSERT_TRUE(WIFEXITED(raw)) << restest::ReadFile("probe.out");
    EXPECT_EQ(WEXITSTATUS(raw), 0);

    const std::string log = Log();
    const size_t fatal = log.find("Fatal error!");
    ASSERT_NE(fatal, std::string::npos) << log;
    EXPECT_NE(log.find(std::string("Error type: ") + c.type, fatal), std::string::npos) << log;
    EXPECT_NE(log.find("Error desc: " + c.message + "\n", fatal), std::string::npos) << log;
    EXPECT_NE(log.find("End of log.", fatal), std::string::npos);
    // The crash record names the same error.
    EXPECT_NE(restest::ReadFile("ehslog.txt").find(c.message), std::string::npos);
    // A subsystem that had started is shut down after the report.
    if (std::string(c.steps).rfind("init", 0) == 0 && std::string(c.name) != "after_deinit") {
        EXPECT_NE(log.find("Deinitializing Resources Subsystem...", fatal), std::string::npos) << log;
    }
}

INSTANTIATE_TEST_SUITE_P(Cases, ResFatal, ::testing::ValuesIn(Cases()),
                         [](const ::testing::TestParamInfo<FatalCase>& info) { return std::string(info.param.name); });


} // namespace
