// The engine's sound subsystem: start-up and silent mode, sounds, music with
// its queue and fades, playlists. The mix is rendered offline, so time only
// moves when a test renders it.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <map>
#include <set>
#include <string>
#include <vector>

#include <unistd.h>

#include "ctesser.h"
#include "ctesser_sfx_classes.h"
#include "ctesser_utils_csmartid.h"
#include "platform/audio/tsr_audio.h"
#include "common/tsr_temp_dir.h"
#include "common/tsr_thrown.h"
#include "tools/sfxgen/sfxgen.h"

namespace fs = std::filesystem;
namespace au = tsr::audio;
namespace gen = tsr::sfxgen;

namespace {

constexpr float kAmp = 0.5f;
CSmartID SND_SFXTEST_MOVE("SND_SFXTEST_MOVE", 0);

using tsrtest::CountOf;
using tsrtest::ThrownDescription;

// A fresh folder with DATA/ as the current folder, the data written by our
// generators, and an engine with graphics marked as created.
class SfxEngine : public tsrtest::TempDirTest {
protected:
    std::unique_ptr<CTesser> engine;

    void SetUp() override
    {
        TempDirTest::SetUp();
        fs::create_directories("DATA");
        WriteData();
        au::SetOfflineDefault(OfflineDefault());
        engine = std::make_unique<CTesser>();
        engine->m_bGfxCreated = true; // the window exists as far as sound is concerned
        SetApplicationActive(true);
        try {
            engine->ResInit();
        } catch (const CEHSException& e) {
            FAIL() << e.GetDescription();
        }
    }

    void TearDown() override
    {
        Shutdown();
        au::SetOfflineDefault(false);
        TempDirTest::TearDown();
    }

    virtual bool OfflineDefault() const { return true; }

    void Shutdown()
    {
        if (!engine)
            return;
        engine->m_bGfxCreated = false;
        engine.reset();
    }


    static void WriteData()
    {
        gen::Tone square;
        square.shape = gen::Shape::Square;
        square.frequency = 441.0;
        square.amplitude = kAmp;
        square.seconds = 0.25;
        ASSERT_TRUE(gen::WriteTone("DATA/square.wav", gen::Container::Wav, square));
        gen::Tone hum = square;
        hum.shape = gen::Shape::Sine;
        hum.seconds = 0.5;
        ASSERT_TRUE(gen::WriteTone("DATA/Hum.OGG", gen::Container::Ogg, hum));
        // Short tunes: 2, 3 and 4 rows (120, 180, 240 ms).
        ASSERT_TRUE(gen::WriteModule("DATA/a.mod", 2));
        ASSERT_TRUE(gen::WriteModule("DATA/b.mod", 3));
        ASSERT_TRUE(gen::WriteModule("DATA/c.mod", 4));
        ASSERT_TRUE(gen::WriteModule("DATA/long.mod", 64));
        std::ofstream("DATA/sfx.xml") << R"(<?xml version="1.0"?>
<respack>
  <r id="SND_SFXTEST_MOVE" typeid="SOUND" filename="square.wav" tag="1"/>
  <r id="SND_TWO_STEAL" typeid="SOUND" filename="square.wav" data2="2"/>
  <r id="SND_TWO_NOSTEAL" typeid="SOUND" filename="square.wav" data2="2" data3="1"/>
  <r id="SND_HUM" typeid="SOUND" filename="HUM.ogg" data1="1"/>
  <r id="MUS_A" typeid="MUSIC" filename="a.mod"/>
  <r id="MUS_B" typeid="MUSIC" filename="b.mod" data1="1"/>
  <r id="MUS_C" typeid="MUSIC" filename="c.mod"/>
  <r id="MUS_LONG" typeid="MUSIC" filename="long.mod"/>
  <r id="PL_ABC" typeid="PLAYLIST" filename="lists\abc.xml"/>
  <r id="PL_ONE" typeid="PLAYLIST" filename="lists\one.xml"/>
  <r id="PL_SAME" typeid="PLAYLIST" filename="lists\same.xml"/>
</respack>
)";
        fs::create_directories("DATA/lists"); // playlists are not resource packs
        std::ofstream("DATA/lists/abc.xml") << R"(<playlist id="ABC" tag="3"><t id="MUS_A"/><t id="MUS_B"/><t id="MUS_C"/></playlist>)";
        std::ofstream("DATA/lists/one.xml") << R"(<playlist id="ONE" tag="3"><t id="MUS_A"/></playlist>)";
        std::ofstream("DATA/lists/same.xml") << R"(<playlist id="SAME"><t id="MUS_A"/><t id="MUS_A"/></playlist>)";
    }

    void Init() { engine->SfxInit(44100); }

    // One frame of `ms` milliseconds: the mixer runs, then the music step.
    float Frame(double ms = 20)
    {
        std::vector<float> pcm(2 * static_cast<size_t>(std::lround(ms * 44.1)));
        EXPECT_TRUE(au::Render(pcm.data(), pcm.size() / 2));
        engine->SfxUpdate();
        float peak = 0.0f;
        for (float v : pcm)
            peak = std::max(peak, std::fabs(v));
        return peak;
    }
    // Peaks of left and right over one frame.
    std::pair<float, float> FramePeaks(double ms = 20)
    {
        std::vector<float> pcm(2 * static_cast<size_t>(std::lround(ms * 44.1)));
        EXPECT_TRUE(au::Render(pcm.data(), pcm.size() / 2));
        engine->SfxUpdate();
        float l = 0, r = 0;
        for (size_t i = 0; i < pcm.size(); i += 2) {
            l = std::max(l, std::fabs(pcm[i]));
            r = std::max(r, std::fabs(pcm[i + 1]));
        }
        return {l, r};
    }
    int Load(const std::string& id)
    {
        engine->ResLoadResource(id);
        return id.starts_with("MUS") ? engine->MusicGetIndex(id)
               : id.starts_with("PL") ? engine->PlaylistGetIndex(id == "PL_ABC" ? "ABC" : id == "PL_ONE" ? "ONE" : "SAME")
                                      : engine->SoundGetIndex(id);
    }
    // Frames until the current music changes from `from`; returns the ms passed.
    double FramesUntilCurrentLeaves(int32_t from, double limitMs = 10000)
    {
        double t = 0;
        while (engine->SfxGetCurrentMusic() == from && t < limitMs) {
            Frame();
            t += 20;
        }
        return t;
    }
};

TEST_F(SfxEngine, StartAndShutDownWriteTheirBlocks)
{
    Init();
    EXPECT_FALSE(engine->SfxHasNoSoundCard());
    EXPECT_EQ(engine->SfxGetCurrentMusic(), -1);
    EXPECT_EQ(engine->SfxGetQueuedMusic(), -1);
    EXPECT_EQ(engine->SfxGetCurrentPlaylist(), -1);
    Shutdown();
    std::string log = Log();
    const char* inOrder[] = {"Initializing Sound and Music Subsystem...", "Creating Sounds Manager...",
                             "Creating Music Manager...", "Creating Playlists Manager...",
                             "Deinitializing Sound and Music Subsystem...", "Destroying Sounds Manager...",
                             "Destroying Music Manager...", "Destroying Playlists Manager..."};
    size_t at = 0;
    for (const char* line : inOrder) {
        size_t found = log.find(line, at);
        ASSERT_NE(found, std::string::npos) << line;
        at = found;
    }
    EXPECT_EQ(CountOf(log, "No sound card available!"), 0u);
    EXPECT_FALSE(au::IsInitialised());
}

TEST_F(SfxEngine, StartBeforeGraphicsFails)
{
    engine->m_bGfxCreated = false;
    EXPECT_EQ(ThrownDescription([&] { Init(); }),
              "Sound and Music system should be initialized after graphics system!");
}

TEST_F(SfxEngine, AnOutputThatCannotStartEvenSilentIsFatal)
{
    try {
        engine->SfxInit(0); // no output runs at 0 Hz
        FAIL() << "started at 0 Hz";
    } catch (const CEHSException& e) {
        EXPECT_EQ(e.GetDescription(), "Cannot initialize audio library!");
        EXPECT_EQ(e.GetType(), EHS_GENERAL);
        EXPECT_EQ(e.GetCode(), au::ERR_ILLPARAM);
    }
}

TEST_F(SfxEngine, LoadingTheSameSoundTwiceReturnsItsSlotAndWritesNothing)
{
    Init();
    EXPECT_EQ(SND_SFXTEST_MOVE.GetIndex(), -1);
    int slot = Load("SND_SFXTEST_MOVE");
    ASSERT_GE(slot, 0);
    EXPECT_EQ(SND_SFXTEST_MOVE.GetIndex(), slot);
    std::string before = Log();
    EXPECT_EQ(engine->SoundLoad("DATA/square.wav", "SND_SFXTEST_MOVE", 1, false, 1, false, 0, 0), slot);
    EXPECT_EQ(Log(), before);
    EXPECT_EQ(CountOf(before, "Loading sound: SND_SFXTEST_MOVE"), 1u);
}

TEST_F(SfxEngine, InvalidSoundIdsThrowUnlessTheWindowIsInactive)
{
    Init();
    Load("SND_SFXTEST_MOVE");
    Load("SND_TWO_STEAL");
    Load("SND_HUM");
    EXPECT_EQ(ThrownDescription([&] { engine->SoundPlay(7, false, -1, -1, -101); }), "Invalid sound ID: 7");
    EXPECT_EQ(ThrownDescription([&] { engine->SoundStop("SND_NOWHERE"); }), "Invalid sound ID: -1");
    EXPECT_EQ(ThrownDescription([&] { engine->SoundGetStatus(-3); }), "Invalid sound ID: -3");
    SetApplicationActive(false);
    EXPECT_NO_THROW(engine->SoundPlay(7, false, -1, -1, -101));
    EXPECT_NO_THROW(engine->SoundPlay("SND_SFXTEST_MOVE", false, -1, -1, -101));
    EXPECT_EQ(Frame(), 0.0f); // a sound asked for while inactive is never played
    SetApplicationActive(true);
    // Unloaded sounds leave an empty slot behind: still invalid.
    engine->SoundUnload(0);
    EXPECT_EQ(ThrownDescription([&] { engine->SoundPlay(0, false, -1, -1, -101); }), "Invalid sound ID: 0");
}

TEST_F(SfxEngine, UnloadingUnbindsTheSmartIdAndReportsMisses)
{
    Init();
    int slot = Load("SND_SFXTEST_MOVE");
    engine->SoundUnload("SND_SFXTEST_MOVE");
    EXPECT_EQ(SND_SFXTEST_MOVE.GetIndex(), -1);
    engine->SoundUnload("SND_SFXTEST_MOVE");
    std::string log = Log();
    EXPECT_NE(log.find("Unloading sound. strID = SND_SFXTEST_MOVE"), std::string::npos);
    EXPECT_EQ(CountOf(log, "Failed."), 1u);

    EXPECT_EQ(Load("SND_SFXTEST_MOVE"), slot); // the emptied slot is reused and rebound
    EXPECT_EQ(SND_SFXTEST_MOVE.GetIndex(), slot);
    engine->SoundUnload(slot);
    EXPECT_EQ(SND_SFXTEST_MOVE.GetIndex(), -1);
    engine->SoundUnload(slot);
    EXPECT_EQ(CountOf(Log(), "Failed."), 2u);
    EXPECT_EQ(ThrownDescription([&] { engine->SoundPlay(SND_SFXTEST_MOVE, false, -1, -1, -101); }),
              "Invalid sound ID: -1");
}

TEST_F(SfxEngine, SoundsPlayWithTheirAttributesAndEnd)
{
    Init();
    int sample = Load("SND_SFXTEST_MOVE");
    int stream = Load("SND_HUM");
    engine->SoundPlay(SND_SFXTEST_MOVE, false, -1, 50, -100);
    auto [l, r] = FramePeaks();
    EXPECT_NEAR(l, kAmp / 2, 0.01f);
    EXPECT_NEAR(r, 0.0f, 0.01f);
    EXPECT_NE(engine->SoundGetStatus(sample), 0u);
    for (int i = 0; i < 15; ++i)
        Frame();
    EXPECT_EQ(engine->SoundGetStatus("SND_SFXTEST_MOVE"), 0u);

    // A stream with its own values makes no attribute change: full and centred.
    engine->SoundPlay(stream, true, -1, -1, -101);
    auto [sl, sr] = FramePeaks(50);
    EXPECT_NEAR(sl, kAmp, 0.05f);
    EXPECT_NEAR(sr, kAmp, 0.05f);
    for (int i = 0; i < 40; ++i)
        Frame(); // longer than the stream: it loops
    EXPECT_NE(engine->SoundGetStatus(stream), 0u);
    engine->SoundSlideAttributes(stream, -1, -2, -101, 100);
    for (int i = 0; i < 6; ++i)
        Frame();
    EXPECT_EQ(engine->SoundGetStatus(stream), 0u);
}

// Destroying a sound or music whose stop fails must not throw (that would end
// the program without a report): the failure is logged and the object freed.
TEST_F(SfxEngine, DestructorsLogFailuresInsteadOfThrowing)
{
    Init();
    auto* sample = new TSNSound(false, 1, false, "DATA/square.wav", 0, 0);
    auto* stream = new TSNSound(true, 1, false, "DATA/hum.ogg", 0, 0);
    auto* music = new TSNPreloadedMusic("DATA/a.mod", 0, 0);
    auto* played = new TSNMusic("DATA/b.mod", 0, 0);
    played->Play(true);
    au::Free(); // the output is gone under them
    EXPECT_NO_THROW(delete sample);
    EXPECT_NO_THROW(delete stream);
    EXPECT_NO_THROW(delete music);
    EXPECT_NO_THROW(delete played);
    std::string log = Log();
    EXPECT_NE(log.find("Cannot stop sample!"), std::string::npos);
    EXPECT_NE(log.find("Cannot stop stream!"), std::string::npos);
    EXPECT_EQ(CountOf(log, "Cannot stop music playback!"), 2u);
}

TEST_F(SfxEngine, PlaybackCountAndNoStealDecideTheThirdPlayback)
{
    Init();
    int steal = Load("SND_TWO_STEAL");
    int keep = Load("SND_TWO_NOSTEAL");
    for (int i = 0; i < 3; ++i)
        EXPECT_NO_THROW(engine->SoundPlay(steal, false, -1, -1, -101));
    engine->SoundPlay(keep, false, -1, -1, -101);
    engine->SoundPlay(keep, false, -1, -1, -101);
    try {
        engine->SoundPlay(keep, false, -1, -1, -101);
        FAIL() << "the third playback was accepted";
    } catch (const CEHSException& e) {
        EXPECT_EQ(e.GetDescription(), "Cannot playback sample!");
        EXPECT_EQ(e.GetType(), EHS_GENERAL);
        EXPECT_EQ(e.GetCode(), au::ERR_NOCHAN);
    }
}

TEST_F(SfxEngine, PauseTwiceResumeOnce)
{
    Init();
    int s = Load("SND_SFXTEST_MOVE");
    engine->SoundResume(s); // never paused: nothing
    engine->SoundPlay(s, true, -1, -1, -101);
    engine->SoundPause(s);
    engine->SoundPause("SND_SFXTEST_MOVE");
    EXPECT_EQ(Frame(), 0.0f);
    EXPECT_NE(engine->SoundGetStatus(s), 0u); // paused still counts as active
    engine->SoundResume(s);
    EXPECT_GT(Frame(), 0.4f);
}

TEST_F(SfxEngine, FocusPausesAllOutputAndGlobalVolumesSplitMusicFromSounds)
{
    Init();
    int s = Load("SND_SFXTEST_MOVE");
    engine->SoundPlay(s, true, -1, -1, -101);
    engine->SfxPause();
    EXPECT_EQ(Frame(), 0.0f);
    engine->SfxResume();
    EXPECT_GT(Frame(), 0.4f);

    engine->SfxSetGlobalVolumes(100, 0);
    EXPECT_NEAR(Frame(), kAmp, 0.01f);
    engine->SoundStop(s);
    engine->MusicPlay(Load("MUS_LONG"), true, 0);
    Frame();
    EXPECT_EQ(Frame(), 0.0f);
    engine->SfxSetGlobalVolumes(0, 100);
    EXPECT_GT(Frame(), 0.01f);
    EXPECT_GT(engine->MusicGetLevelLeft(), 0.0f);
}

TEST_F(SfxEngine, MusicQueuedBehindAFadingTrackStartsAfterIt)
{
    Init();
    int a = Load("MUS_LONG");
    int b = Load("MUS_B");
    engine->MusicPlay(a, true, 3000);
    EXPECT_EQ(engine->SfxGetQueuedMusic(), a);
    Frame();
    EXPECT_EQ(engine->SfxGetCurrentMusic(), a);
    EXPECT_NE(engine->MusicGetStatus(), 0u);
    for (int i = 0; i < 10; ++i)
        Frame();
    engine->MusicPlay(a, true, 3000); // already current: goes on
    EXPECT_EQ(engine->SfxGetQueuedMusic(), -1);

    engine->MusicPlay(b, false, 400);
    EXPECT_EQ(engine->SfxGetQueuedMusic(), b);
    EXPECT_EQ(engine->SfxGetCurrentMusic(), a); // fading, still current
    double t = FramesUntilCurrentLeaves(a);
    EXPECT_NEAR(t, 400, 40);
    EXPECT_EQ(engine->SfxGetCurrentMusic(), b);
    EXPECT_EQ(engine->SfxGetQueuedMusic(), -1);
    EXPECT_GT(Frame(), 0.01f);
    // B plays once (180 ms) and is dropped by the next step after it ends.
    FramesUntilCurrentLeaves(b, 1000);
    EXPECT_EQ(engine->SfxGetCurrentMusic(), -1);
    EXPECT_EQ(engine->MusicGetStatus(), 0u);

    // Preloaded B again: full volume after its earlier end.
    engine->MusicPlay(b, true, 0);
    Frame();
    EXPECT_GT(Frame(), 0.01f);
    engine->MusicStop(0);
    EXPECT_EQ(engine->MusicGetStatus(), 0u);
    EXPECT_EQ(engine->SfxGetCurrentMusic(), b); // dropped by the next step
    Frame();
    EXPECT_EQ(engine->SfxGetCurrentMusic(), -1);
}

TEST_F(SfxEngine, InvalidMusicIdsFailWhereTheyAreUsed)
{
    Init();
    Load("MUS_A");
    Load("MUS_B");
    EXPECT_EQ(ThrownDescription([&] { engine->MusicPlay("MUS_NOWHERE", false, 0); }), "Invalid music id!");
    EXPECT_NO_THROW(engine->MusicPlay(5, false, 0)); // accepted...
    EXPECT_EQ(ThrownDescription([&] { engine->SfxUpdate(); }), "Cannot play music - invalid ID!"); // ...fails here
}

class SfxNoDevice : public SfxEngine {
protected:
    bool OfflineDefault() const override { return false; }
    void SetUp() override
    {
        const char* was = std::getenv("SDL_AUDIODRIVER");
        saved = was ? was : "";
        hadDriver = was != nullptr;
        setenv("SDL_AUDIODRIVER", "no-such-driver", 1);
        SfxEngine::SetUp();
    }
    void TearDown() override
    {
        SfxEngine::TearDown();
        if (hadDriver)
            setenv("SDL_AUDIODRIVER", saved.c_str(), 1);
        else
            unsetenv("SDL_AUDIODRIVER");
    }
    std::string saved;
    bool hadDriver = false;
};

TEST_F(SfxNoDevice, RunsSilentWithMinusTwoLookups)
{
    Init();
    EXPECT_TRUE(engine->SfxHasNoSoundCard());
    EXPECT_NE(Log().find("No sound card available!"), std::string::npos);
    EXPECT_EQ(engine->SoundLoad("DATA/square.wav", "SND_X", 0, false, 1, false, 0, 0), -2);
    EXPECT_EQ(engine->SoundGetIndex("SND_X"), -2);
    EXPECT_EQ(engine->MusicLoad("DATA/a.mod", "MUS_X", 0, 0, 0, 0), -2);
    EXPECT_EQ(engine->MusicGetIndex("MUS_X"), -2);
    std::string pl = R"(<playlist id="P"><t id="MUS_A"/></playlist>)";
    EXPECT_EQ(engine->PlaylistLoad(pl.data(), static_cast<int32_t>(pl.size())), -2);
    EXPECT_EQ(engine->PlaylistGetIndex("P"), -2);
    EXPECT_NO_THROW({
        engine->ResLoadResources(0);
        engine->SoundPlay(7, false, -1, -1, -101);
        engine->SoundUnload("SND_X");
        engine->MusicPlay(3, true, 0);
        engine->PlaylistSet(3);
        engine->SfxUpdate();
        engine->SfxSetGlobalVolumes(10, 10);
    });
    EXPECT_EQ(engine->SoundGetStatus(7), 0u);
    EXPECT_EQ(engine->MusicGetStatus(), 0u);
    EXPECT_EQ(engine->SfxGetCPU(), 0.0f);
}

class SfxDummyDevice : public SfxEngine {
protected:
    bool OfflineDefault() const override { return false; }
};

TEST_F(SfxDummyDevice, StartsPlaysAndShutsDownOnARealOutput)
{
    Init(); // tests run with the dummy driver: a real, unheard output
    EXPECT_FALSE(engine->SfxHasNoSoundCard());
    int s = Load("SND_HUM");
    int m = Load("MUS_LONG");
    engine->SoundPlay(s, true, -1, -1, -101);
    engine->MusicPlay(m, true, 0);
    engine->SfxUpdate();
    usleep(100 * 1000);
    EXPECT_NE(engine->SoundGetStatus(s), 0u);
    EXPECT_NE(engine->MusicGetStatus(), 0u);
    engine->SfxPause();
    engine->SfxResume();
    Shutdown();
    std::string log = Log();
    EXPECT_EQ(CountOf(log, "No sound card available!"), 0u);
    EXPECT_NE(log.find("Deinitializing Sound and Music Subsystem..."), std::string::npos);
}

TEST_F(SfxEngine, PlaylistNeverRepeatsTheTrackThatJustEnded)
{
    Init();
    int pl = Load("PL_ABC");
    ASSERT_GE(pl, 0);
    std::map<int, int> counts;
    engine->PlaylistSet("ABC");
    EXPECT_EQ(engine->SfxGetCurrentPlaylist(), pl);
    int last = -1, changes = 0;
    for (int i = 0; i < 1500 && changes < 40; ++i) {
        Frame();
        int cur = engine->SfxGetCurrentMusic();
        if (cur != -1 && cur != last) {
            EXPECT_NE(cur, last);
            ++counts[cur];
            ++changes;
        }
        if (cur != -1)
            last = cur;
    }
    EXPECT_EQ(changes, 40);
    EXPECT_EQ(counts.size(), 3u);
    // The log names the entries.
    EXPECT_NE(Log().find("New playlist contains 3 entries."), std::string::npos);
}

TEST_F(SfxEngine, PlaylistsOfOneTrackRepeatIt)
{
    Init();
    int a = Load("MUS_A"); // 120 ms, played once each time
    for (const char* id : {"PL_ONE", "PL_SAME"}) {
        Load(id);
        engine->PlaylistSet(id == std::string("PL_ONE") ? "ONE" : "SAME");
        Frame();
        // Two seconds: the track ends and starts again about fourteen times,
        // each time in the frame after it ended.
        int sounding = 0;
        for (int i = 0; i < 100; ++i) {
            float peak = Frame();
            ASSERT_EQ(engine->SfxGetCurrentMusic(), a) << id << " frame " << i;
            sounding += peak > 0.1f ? 1 : 0;
        }
        EXPECT_GT(sounding, 80) << id;
    }
}

TEST_F(SfxEngine, SwitchingPlaylistsFadesTheRunningTrack)
{
    Init();
    int one = Load("PL_ONE");
    int abc = Load("PL_ABC");
    int longTrack = Load("MUS_LONG");
    engine->MusicPlay(longTrack, true, 0);
    Frame();
    ASSERT_EQ(engine->SfxGetCurrentMusic(), longTrack);
    engine->PlaylistSet(one);
    engine->PlaylistSet(one); // the current one: nothing more happens
    double t = FramesUntilCurrentLeaves(longTrack);
    EXPECT_NEAR(t, 3000, 40);
    EXPECT_EQ(engine->SfxGetCurrentMusic(), engine->MusicGetIndex("MUS_A"));

    // A music outside the playlist only fades the running track out.
    engine->PlaylistSet(abc);
    engine->MusicPlay(longTrack, true, 0);
    FramesUntilCurrentLeaves(engine->SfxGetCurrentMusic());
    EXPECT_NE(engine->SfxGetCurrentMusic(), longTrack);

    engine->PlaylistStop();
    EXPECT_EQ(engine->SfxGetCurrentPlaylist(), -1);
    for (int i = 0; i < 200; ++i)
        Frame();
    EXPECT_EQ(engine->SfxGetCurrentMusic(), -1);
}

TEST_F(SfxEngine, PlaylistFilesAreCheckedAndDuplicatesWarned)
{
    Init();
    std::string wrong = R"(<songs id="X"/>)";
    EXPECT_EQ(ThrownDescription([&] { engine->PlaylistLoad(wrong.data(), static_cast<int32_t>(wrong.size())); }),
              "XML file doesn't contain playlist data!");
    std::string list = R"(<playlist id="MIX" tag="2"><t id="MUS_A"/><t id="MUS_NOWHERE"/><x id="MUS_C"/></playlist>)";
    int first = engine->PlaylistLoad(list.data(), static_cast<int32_t>(list.size()));
    ASSERT_GE(first, 0);
    std::string log = Log();
    EXPECT_NE(log.find("New playlist contains 2 entries."), std::string::npos);
    EXPECT_NE(log.find("Cannot find resource with ID = MUS_NOWHERE"), std::string::npos);
    EXPECT_EQ(engine->PlaylistLoad(list.data(), static_cast<int32_t>(list.size())), first);
    EXPECT_NE(Log().find("Warning: Dublicated playlist!"), std::string::npos);
    EXPECT_EQ(ThrownDescription([&] { engine->PlaylistSet("NOPE"); }), "Invalid playlist ID!");
}

} // namespace
