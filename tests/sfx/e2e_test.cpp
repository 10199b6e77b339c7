// The runner, headless, playing a game folder whose script uses sounds, music
// and a playlist through the script functions: once on the dummy output and
// once with no audio device at all.
#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>

#include <unistd.h>

#include "common/tsr_run_program.h"
#include "common/tsr_temp_dir.h"
#include "common/tsr_test_files.h"
#include "tools/sfxgen/sfxgen.h"

namespace fs = std::filesystem;
namespace gen = tsr::sfxgen;

namespace {

using tsrtest::ReadFile;

const char* kScript = R"(
local frame, fadeAt = 0, nil
local function report(what, value) TSN_LOG_AddEntry("e2e " .. what .. " = " .. tostring(value)) end

function OnFrame()
    frame = frame + 1
    if frame == 1 then
        TSN_SFX_SoundPlay("SND_E2E_BEEP", false, -1, -1, -101)
        report("beep", TSN_SFX_SoundGetStatus("SND_E2E_BEEP"))
        TSN_SFX_SoundPlay("SND_E2E_HUM", true, 22050, 50, 0)
        TSN_SFX_PlaylistSet("E2E_LIST")
        TSN_SFX_SetGlobalVolumes(100, 60)
    elseif frame == 5 then
        TSN_SFX_SoundSlideAttributes("SND_E2E_HUM", -1, -2, -101, 50)
        TSN_SFX_MusicSetVolume(80, 100)
        report("hum", TSN_SFX_SoundGetStatus("SND_E2E_HUM"))
        fadeAt = os.time()
    elseif fadeAt and os.time() >= fadeAt + 2 then
        -- the output mixes in wall-clock time, which headless frames outrun:
        -- at least one whole second covers the 50 ms fade
        report("hum later", TSN_SFX_SoundGetStatus("SND_E2E_HUM"))
        TSN_SFX_PlaylistStop()
        return false
    end
    return true
end
)";

class RunnerSound : public ::testing::Test {
protected:
    tsrtest::TempDir m_temp;
    const fs::path dir = m_temp.Path();

    void SetUp() override
    {
#ifdef TSR_RUNNER_PATH
        runner = TSR_RUNNER_PATH;
#endif
        if (runner.empty() || !fs::exists(runner))
            GTEST_SKIP() << "the runner is not built";
        fs::create_directories(dir / "DATA" / "Sfx");
        gen::Tone beep;
        beep.frequency = 880.0;
        beep.seconds = 0.1;
        ASSERT_TRUE(gen::WriteTone((dir / "DATA/Sfx/beep.wav").string(), gen::Container::Wav, beep));
        gen::Tone hum;
        hum.seconds = 0.3;
        ASSERT_TRUE(gen::WriteTone((dir / "DATA/Sfx/hum.ogg").string(), gen::Container::Ogg, hum));
        ASSERT_TRUE(gen::WriteModule((dir / "DATA/Sfx/a.mod").string(), 2));
        ASSERT_TRUE(gen::WriteModule((dir / "DATA/Sfx/b.mod").string(), 3));
        std::ofstream(dir / "DATA/Sfx/list.xml")
            << R"(<playlist id="E2E_LIST" tag="1"><t id="MUS_E2E_A"/><t id="MUS_E2E_B"/></playlist>)";
        std::ofstream(dir / "DATA/Sfx/game.lua") << kScript;
        std::ofstream(dir / "DATA/game.xml") << R"(<respack>
  <r id="SND_E2E_BEEP" typeid="SOUND" filename="sfx\BEEP.WAV" tag="1"/>
  <r id="SND_E2E_HUM" typeid="SOUND" filename="sfx\hum.ogg" tag="1" data1="1"/>
  <r id="MUS_E2E_A" typeid="MUSIC" filename="sfx\a.mod"/>
  <r id="MUS_E2E_B" typeid="MUSIC" filename="sfx\b.mod" data1="1"/>
  <r id="PL_E2E" typeid="PLAYLIST" filename="sfx\list.xml" tag="1"/>
  <r id="SCR_E2E" typeid="SCRIPT" filename="sfx\game.lua" tag="2"/>
</respack>
)";
    }

    // Runs the runner on the folder with the given audio driver; exit status.
    int Run(const char* audioDriver)
    {
        // Our own single-instance lock: other runs may be going on.
        return tsrtest::RunProgram(runner.string(), {dir.string()}, {},
                                   {{"SDL_AUDIODRIVER", audioDriver}, {"TSR_LOCK_DIR", dir.string()}});
    }

    fs::path runner;
};

TEST_F(RunnerSound, ScriptPlaysSoundsMusicAndPlaylistOnTheDummyOutput)
{
    ASSERT_EQ(Run("dummy"), 0);
    std::string log = ReadFile(dir / "gamelog.txt");
    EXPECT_EQ(log.find("No sound card available!"), std::string::npos);
    EXPECT_NE(log.find("e2e beep = 1"), std::string::npos) << log;
    EXPECT_NE(log.find("e2e hum = 1"), std::string::npos);
    EXPECT_NE(log.find("e2e hum later = 0"), std::string::npos) << log; // faded out and stopped
    EXPECT_NE(log.find("New playlist contains 2 entries."), std::string::npos);
    EXPECT_NE(log.find("Deinitializing Sound and Music Subsystem..."), std::string::npos);
    EXPECT_FALSE(fs::exists(dir / "ehslog.txt"));
}

TEST_F(RunnerSound, WithoutAnAudioDeviceTheGameRunsSilent)
{
    ASSERT_EQ(Run("no-such-driver"), 0);
    std::string log = ReadFile(dir / "gamelog.txt");
    EXPECT_NE(log.find("No sound card available!"), std::string::npos);
    EXPECT_NE(log.find("e2e beep = 0"), std::string::npos) << log;
    EXPECT_EQ(log.find("Loading sound:"), std::string::npos);
    EXPECT_FALSE(fs::exists(dir / "ehslog.txt"));
}

} // namespace
