// The audio library rendered offline: levels, pitch, timing and lifetimes of
// what would be heard.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <filesystem>
#include <optional>
#include <ostream>
#include <string>
#include <vector>

#include <unistd.h>

#include "common/tsr_temp_dir.h"
#include "platform/audio/tsr_audio.h"
#include "tools/sfxgen/sfxgen.h"

namespace fs = std::filesystem;
namespace au = tsr::audio;
namespace gen = tsr::sfxgen;

namespace {

constexpr uint32_t kRate = 44100;
constexpr float kAmp = 0.5f; // amplitude of the square fixtures

struct Block {
    std::vector<float> pcm; // interleaved stereo
    size_t Frames() const { return pcm.size() / 2; }
    float PeakL(size_t from = 0, size_t to = SIZE_MAX) const { return Peak(0, from, to); }
    float PeakR(size_t from = 0, size_t to = SIZE_MAX) const { return Peak(1, from, to); }
    float Peak(int side, size_t from, size_t to) const
    {
        float p = 0.0f;
        to = std::min(to, Frames());
        for (size_t i = from; i < to; ++i)
            p = std::max(p, std::fabs(pcm[2 * i + static_cast<size_t>(side)]));
        return p;
    }
    // Sign changes of the left side, a measure of pitch.
    size_t Crossings(size_t from, size_t to) const
    {
        size_t n = 0;
        for (size_t i = from + 1; i < std::min(to, Frames()); ++i)
            if ((pcm[2 * i] >= 0.0f) != (pcm[2 * (i - 1)] >= 0.0f))
                ++n;
        return n;
    }
};

size_t Ms(double ms) { return static_cast<size_t>(std::llround(ms * kRate / 1000.0)); }

Block Render(double ms)
{
    Block b;
    b.pcm.resize(2 * Ms(ms));
    EXPECT_TRUE(au::Render(b.pcm.data(), b.Frames()));
    return b;
}

// Renders in 10 ms blocks until the handle is inactive; returns the ms played.
double PlayTime(au::Handle h, double limitMs = 5000)
{
    double t = 0;
    while (au::ChannelIsActive(h) != au::ACTIVE_STOPPED && t < limitMs) {
        Render(10);
        t += 10;
    }
    return t;
}

class AudioOffline : public ::testing::Test {
protected:
    // One folder of generated fixtures for the whole suite.
    static inline std::optional<tsrtest::TempDir> dir;
    static std::string Path(const char* name) { return (dir->Path() / name).string(); }

    static void SetUpTestSuite()
    {
        dir.emplace("tsr_audio");
        gen::Tone square;
        square.shape = gen::Shape::Square;
        square.frequency = 441.0; // 100 frames a cycle
        square.amplitude = kAmp;
        square.seconds = 0.25;
        ASSERT_TRUE(gen::WriteTone(Path("square.wav"), gen::Container::Wav, square));
        ASSERT_TRUE(gen::WriteTone(Path("square.aiff"), gen::Container::Aiff, square));
        ASSERT_TRUE(gen::WriteTone(Path("square.flac"), gen::Container::Flac, square));
        gen::Tone sine;
        sine.frequency = 441.0;
        sine.amplitude = kAmp;
        sine.seconds = 0.5;
        sine.channels = 2;
        ASSERT_TRUE(gen::WriteTone(Path("sine.ogg"), gen::Container::Ogg, sine));
        haveMp3 = gen::WriteTone(Path("sine.mp3"), gen::Container::Mp3, sine);
        ASSERT_TRUE(gen::WriteModule(Path("tune.mod")));
        // A pack-like file: junk, the sound, junk; the sound is read as a range.
        std::vector<uint8_t> junk(1000, 0xAB);
        std::vector<uint8_t> wav;
        {
            FILE* f = std::fopen(Path("square.wav").c_str(), "rb");
            ASSERT_NE(f, nullptr);
            int c;
            while ((c = std::fgetc(f)) != EOF)
                wav.push_back(static_cast<uint8_t>(c));
            std::fclose(f);
        }
        wavSize = static_cast<uint32_t>(wav.size());
        std::vector<uint8_t> pack = junk;
        pack.insert(pack.end(), wav.begin(), wav.end());
        pack.insert(pack.end(), junk.begin(), junk.end());
        ASSERT_TRUE(gen::WriteBytes(Path("pack.bin"), pack));
        ASSERT_TRUE(gen::WriteBytes(Path("garbage.bin"), junk));
    }
    static void TearDownTestSuite() { dir.reset(); }

    void SetUp() override
    {
        ASSERT_TRUE(au::InitOffline(kRate));
        ASSERT_TRUE(au::Start());
    }
    void TearDown() override { au::Free(); }

    au::Handle LoadSquare(uint32_t max = 4, uint32_t flags = au::SAMPLE_TAKE_OVER_OLDEST)
    {
        au::Handle s = au::SampleLoad(false, Path("square.wav").c_str(), 0, 0, max, flags);
        EXPECT_NE(s, 0u) << au::ErrorGetCode();
        return s;
    }

    static uint32_t wavSize;
    static bool haveMp3;
};
uint32_t AudioOffline::wavSize = 0;
bool AudioOffline::haveMp3 = false;

struct VolPanCase {
    int volume, pan;
    float left, right; // expected peaks
};

void PrintTo(const VolPanCase& c, std::ostream* os)
{
    *os << "volume " << c.volume << ", pan " << c.pan;
}

class VolumeAndPan : public AudioOffline, public ::testing::WithParamInterface<VolPanCase> {};

TEST_P(VolumeAndPan, LevelsOnEachSide)
{
    const VolPanCase c = GetParam();
    au::Handle s = LoadSquare();
    au::Handle ch = au::SamplePlayEx(s, 0, -1, c.volume, c.pan, false);
    ASSERT_NE(ch, 0u);
    Block b = Render(100);
    EXPECT_NEAR(b.PeakL(), c.left, 0.01f);
    EXPECT_NEAR(b.PeakR(), c.right, 0.01f);
    uint32_t level = au::ChannelGetLevel(ch);
    EXPECT_NEAR((level & 0xFFFF) / 32768.0f, c.left, 0.01f);
    EXPECT_NEAR((level >> 16) / 32768.0f, c.right, 0.01f);
}

INSTANTIATE_TEST_SUITE_P(Table, VolumeAndPan,
                         ::testing::Values(VolPanCase{100, 0, kAmp, kAmp}, VolPanCase{50, 0, kAmp / 2, kAmp / 2},
                                           VolPanCase{0, 0, 0.0f, 0.0f}, VolPanCase{100, -100, kAmp, 0.0f},
                                           VolPanCase{100, 100, 0.0f, kAmp}, VolPanCase{100, 50, kAmp / 2, kAmp},
                                           VolPanCase{-1, -101, kAmp, kAmp}, // the sample's own values
                                           VolPanCase{250, -300, kAmp, 0.0f}), // clamped into range
                         [](const auto& info) {
                             auto n = [](int v) { return v < 0 ? "m" + std::to_string(-v) : std::to_string(v); };
                             return "vol" + n(info.param.volume) + "_pan" + n(info.param.pan);
                         });

TEST_F(AudioOffline, SampleDefaultsComeFromItsAttributes)
{
    au::Handle s = LoadSquare();
    ASSERT_TRUE(au::ChannelSetAttributes(s, -1, 40, -100));
    au::SamplePlayEx(s, 0, -1, -1, -101, false);
    Block b = Render(50);
    EXPECT_NEAR(b.PeakL(), kAmp * 0.4f, 0.01f);
    EXPECT_NEAR(b.PeakR(), 0.0f, 0.01f);
}

struct FreqCase {
    int frequency;
    double playMs;      // how long the 250 ms sample lasts
    double crossingsPer10ms; // 441 Hz square: 8.82 sign changes per 10 ms at the file's rate
};

void PrintTo(const FreqCase& c, std::ostream* os) { *os << "frequency " << c.frequency; }

class Frequency : public AudioOffline, public ::testing::WithParamInterface<FreqCase> {};

TEST_P(Frequency, ChangesLengthAndPitch)
{
    const FreqCase c = GetParam();
    au::Handle s = LoadSquare();
    au::Handle ch = au::SamplePlayEx(s, 0, c.frequency, 100, 0, false);
    ASSERT_NE(ch, 0u);
    Block b = Render(100);
    EXPECT_NEAR(static_cast<double>(b.Crossings(0, b.Frames())) / 10.0, c.crossingsPer10ms, 0.6);
    EXPECT_NEAR(100 + PlayTime(ch), c.playMs, 15.0);
}

INSTANTIATE_TEST_SUITE_P(Table, Frequency,
                         ::testing::Values(FreqCase{-1, 250, 8.82}, FreqCase{0, 250, 8.82},
                                           FreqCase{22050, 500, 4.41}, FreqCase{88200, 125, 17.64}),
                         [](const auto& info) {
                             int f = info.param.frequency;
                             return f < 0 ? std::string("own") : "hz" + std::to_string(f);
                         });

TEST_F(AudioOffline, VolumeAndPanSlidesReachTheirTargetsInTime)
{
    au::Handle s = LoadSquare();
    au::Handle ch = au::SamplePlayEx(s, 0, -1, 100, 0, true);
    ASSERT_TRUE(au::ChannelSlideAttributes(ch, -1, 20, 100, 200));
    Block half = Render(100);
    // Halfway: volume 60, pan 50 (left at half of that).
    EXPECT_NEAR(half.PeakR(Ms(95), Ms(100)), kAmp * 0.6f, 0.02f);
    EXPECT_NEAR(half.PeakL(Ms(95), Ms(100)), kAmp * 0.6f * 0.5f, 0.02f);
    Block end = Render(150);
    EXPECT_NEAR(end.PeakR(Ms(110), Ms(150)), kAmp * 0.2f, 0.01f);
    EXPECT_NEAR(end.PeakL(Ms(110), Ms(150)), 0.0f, 0.01f);
    EXPECT_EQ(au::ChannelIsActive(ch), au::ACTIVE_PLAYING);
}

TEST_F(AudioOffline, FrequencySlideBendsThePitch)
{
    au::Handle s = LoadSquare();
    au::Handle ch = au::SamplePlayEx(s, 0, -1, 100, 0, true);
    ASSERT_TRUE(au::ChannelSlideAttributes(ch, 22050, -1, -101, 100));
    Block b = Render(300);
    EXPECT_NEAR(b.Crossings(Ms(200), Ms(300)) / 10.0, 4.41, 0.6);
}

TEST_F(AudioOffline, FadeOutStopsTheChannelAndKeepsItsVolumeForTheNextStart)
{
    au::Handle stream = au::StreamCreateFile(false, Path("sine.ogg").c_str(), 0, 0, au::STREAM_DECODE_ON_PLAY);
    ASSERT_NE(stream, 0u) << au::ErrorGetCode();
    ASSERT_TRUE(au::StreamPlay(stream, true, au::PLAY_LOOP));
    ASSERT_TRUE(au::ChannelSlideAttributes(stream, -1, -2, -101, 150));
    Block fading = Render(100);
    EXPECT_GT(fading.PeakL(0, Ms(20)), 0.4f);
    EXPECT_LT(fading.PeakL(Ms(90), Ms(100)), 0.25f);
    EXPECT_EQ(au::ChannelIsActive(stream), au::ACTIVE_PLAYING);
    Block after = Render(100);
    EXPECT_EQ(au::ChannelIsActive(stream), au::ACTIVE_STOPPED);
    EXPECT_EQ(after.PeakL(Ms(60), Ms(100)), 0.0f);
    EXPECT_EQ(au::ChannelGetLevel(stream), 0xFFFFFFFFu);

    ASSERT_TRUE(au::StreamPlay(stream, true, 0));
    EXPECT_GT(Render(50).PeakL(), 0.4f);
}

TEST_F(AudioOffline, StreamsLoopOnRequestAndEndOtherwise)
{
    au::Handle stream = au::StreamCreateFile(false, Path("sine.ogg").c_str(), 0, 0, 0);
    ASSERT_NE(stream, 0u);
    ASSERT_TRUE(au::StreamPlay(stream, true, 0));
    EXPECT_NEAR(PlayTime(stream), 500, 15);

    ASSERT_TRUE(au::StreamPlay(stream, true, au::PLAY_LOOP));
    Block b = Render(1600);
    EXPECT_EQ(au::ChannelIsActive(stream), au::ACTIVE_PLAYING);
    for (double t : {450.0, 950.0, 1450.0}) // across each wrap
        EXPECT_GT(b.PeakL(Ms(t), Ms(t + 100)), 0.4f) << t;
    ASSERT_TRUE(au::ChannelStop(stream));
    EXPECT_EQ(au::ChannelIsActive(stream), au::ACTIVE_STOPPED);

    // Without flush a stopped stream goes on from where it stopped.
    ASSERT_TRUE(au::StreamPlay(stream, true, 0));
    Render(100);
    ASSERT_TRUE(au::ChannelStop(stream));
    ASSERT_TRUE(au::StreamPlay(stream, false, 0));
    EXPECT_NEAR(PlayTime(stream), 400, 35);
    ASSERT_TRUE(au::StreamPlay(stream, false, 0)); // played to its end: from the start
    EXPECT_NEAR(PlayTime(stream), 500, 15);
}

TEST_F(AudioOffline, SoundsAreReadFromAByteRangeOfALargerFile)
{
    au::Handle s = au::SampleLoad(false, Path("pack.bin").c_str(), 1000, wavSize, 1, 0);
    ASSERT_NE(s, 0u) << au::ErrorGetCode();
    au::Handle stream = au::StreamCreateFile(false, Path("pack.bin").c_str(), 1000, wavSize, 0);
    ASSERT_NE(stream, 0u) << au::ErrorGetCode();
    au::SamplePlayEx(s, 0, -1, 50, 0, false);
    au::StreamPlay(stream, true, 0);
    EXPECT_NEAR(Render(100).PeakL(), kAmp * 1.5f, 0.01f);
    // The stream stops at the end of its range, not at the end of the file.
    EXPECT_NEAR(100 + PlayTime(stream), 250, 15);
}

TEST_F(AudioOffline, MusicPlaysOnceOrLoops)
{
    au::Handle music = au::MusicLoad(false, Path("tune.mod").c_str(), 0, 0, 0);
    ASSERT_NE(music, 0u) << au::ErrorGetCode();
    ASSERT_TRUE(au::MusicPlayEx(music, 0, 0, true));
    Block start = Render(200);
    EXPECT_GT(start.PeakL(), 0.01f);
    double played = 200 + PlayTime(music);
    EXPECT_NEAR(played, gen::ModuleSeconds() * 1000, 100);

    ASSERT_TRUE(au::MusicPlayEx(music, 0, au::PLAY_LOOP, true));
    Block looped = Render(gen::ModuleSeconds() * 3000);
    EXPECT_EQ(au::ChannelIsActive(music), au::ACTIVE_PLAYING);
    double end = gen::ModuleSeconds() * 3000;
    EXPECT_GT(looped.PeakL(Ms(end - 200), Ms(end)), 0.01f);
    uint32_t level = au::ChannelGetLevel(music);
    EXPECT_NE(level, 0xFFFFFFFFu);
    EXPECT_GT(level & 0xFFFF, 0u);
}

TEST_F(AudioOffline, PauseHoldsThePosition)
{
    au::Handle s = LoadSquare();
    au::Handle ch = au::SamplePlayEx(s, 0, -1, 100, 0, false);
    Render(100);
    ASSERT_TRUE(au::ChannelPause(s)); // through the sample: all its playbacks
    EXPECT_EQ(au::ChannelIsActive(ch), au::ACTIVE_PAUSED);
    EXPECT_EQ(au::ChannelIsActive(s), au::ACTIVE_PAUSED);
    EXPECT_EQ(Render(500).PeakL(), 0.0f);
    EXPECT_EQ(au::ChannelGetLevel(ch), 0u);
    ASSERT_TRUE(au::ChannelResume(ch));
    EXPECT_NEAR(PlayTime(ch), 150, 15);
}

TEST_F(AudioOffline, OutputPauseHoldsEverythingUntilStart)
{
    au::Handle s = LoadSquare();
    au::Handle ch = au::SamplePlayEx(s, 0, -1, 100, 0, false);
    Render(100);
    ASSERT_TRUE(au::Pause());
    EXPECT_EQ(Render(300).PeakL(), 0.0f);
    EXPECT_EQ(au::ChannelIsActive(ch), au::ACTIVE_PLAYING);
    ASSERT_TRUE(au::Start());
    EXPECT_NEAR(PlayTime(ch), 150, 15);
}

TEST_F(AudioOffline, GlobalVolumesScaleMusicSamplesAndStreamsSeparately)
{
    au::Handle s = LoadSquare();
    au::Handle stream = au::StreamCreateFile(false, Path("square.wav").c_str(), 0, 0, 0);
    au::Handle music = au::MusicLoad(false, Path("tune.mod").c_str(), 0, 0, 0);
    ASSERT_TRUE(s && stream && music);
    auto peakAlone = [&](auto start) {
        start();
        return Render(100).PeakL();
    };
    ASSERT_TRUE(au::SetGlobalVolumes(0, 100, 40));
    EXPECT_NEAR(peakAlone([&] { au::SamplePlayEx(s, 0, -1, 100, 0, false); }), kAmp, 0.01f);
    au::SampleStop(s);
    EXPECT_NEAR(peakAlone([&] { au::StreamPlay(stream, true, 0); }), kAmp * 0.4f, 0.01f);
    au::ChannelStop(stream);
    EXPECT_EQ(peakAlone([&] { au::MusicPlayEx(music, 0, au::PLAY_LOOP, true); }), 0.0f);
    ASSERT_TRUE(au::SetGlobalVolumes(100, 0, -1)); // -1 keeps the stream volume
    EXPECT_GT(Render(100).PeakL(), 0.01f);
    au::ChannelStop(music);
    au::SamplePlayEx(s, 0, -1, 100, 0, false);
    EXPECT_EQ(Render(100).PeakL(), 0.0f);
}

TEST_F(AudioOffline, TakeOverFlagLimitsSimultaneousPlaybacks)
{
    au::Handle steal = LoadSquare(2, au::SAMPLE_TAKE_OVER_OLDEST);
    au::Handle first = au::SamplePlayEx(steal, 0, -1, 100, 0, false);
    Render(50);
    au::Handle second = au::SamplePlayEx(steal, 0, -1, 100, 0, false);
    ASSERT_TRUE(first && second && first != second);
    Render(50);
    // The third playback takes over the oldest one: still two voices.
    EXPECT_EQ(au::SamplePlayEx(steal, 0, -1, 100, 0, false), first);
    // The first restarted, so it now ends 50 ms after the second.
    Render(210);
    EXPECT_EQ(au::ChannelIsActive(second), au::ACTIVE_STOPPED);
    EXPECT_EQ(au::ChannelIsActive(first), au::ACTIVE_PLAYING);

    au::Handle keep = LoadSquare(2, 0);
    ASSERT_NE(au::SamplePlayEx(keep, 0, -1, 100, 0, false), 0u);
    ASSERT_NE(au::SamplePlayEx(keep, 0, -1, 100, 0, false), 0u);
    EXPECT_EQ(au::SamplePlayEx(keep, 0, -1, 100, 0, false), 0u);
    EXPECT_EQ(au::ErrorGetCode(), au::ERR_NOCHAN);
    // Playbacks that finished free their places.
    Render(300);
    EXPECT_NE(au::SamplePlayEx(keep, 0, -1, 100, 0, false), 0u);
}

TEST_F(AudioOffline, SampleStopAndFreeEndAllPlaybacks)
{
    au::Handle s = LoadSquare();
    au::Handle a = au::SamplePlayEx(s, 0, -1, 100, 0, true);
    au::Handle b = au::SamplePlayEx(s, 0, -1, 100, 0, true);
    EXPECT_EQ(au::ChannelIsActive(s), au::ACTIVE_PLAYING);
    ASSERT_TRUE(au::SampleStop(s));
    EXPECT_EQ(au::ChannelIsActive(a), au::ACTIVE_STOPPED);
    EXPECT_EQ(au::ChannelIsActive(b), au::ACTIVE_STOPPED);
    EXPECT_EQ(au::ChannelIsActive(s), au::ACTIVE_STOPPED);
    au::SamplePlayEx(s, 0, -1, 100, 0, true);
    ASSERT_TRUE(au::SampleFree(s));
    EXPECT_EQ(Render(50).PeakL(), 0.0f);
    EXPECT_FALSE(au::SampleFree(s));
    EXPECT_EQ(au::ErrorGetCode(), au::ERR_HANDLE);
}

class Formats : public AudioOffline, public ::testing::WithParamInterface<const char*> {};

TEST_P(Formats, DecodeAsSampleAndStream)
{
    std::string file = Path(GetParam());
    if (file.ends_with(".mp3") && !haveMp3)
        GTEST_SKIP() << "this libsndfile has no MP3 encoder";
    au::Handle s = au::SampleLoad(false, file.c_str(), 0, 0, 1, 0);
    ASSERT_NE(s, 0u) << au::ErrorGetCode();
    au::SamplePlayEx(s, 0, -1, 100, 0, false);
    EXPECT_NEAR(Render(100).PeakL(), kAmp, 0.05f);
    au::SampleFree(s);
    au::Handle stream = au::StreamCreateFile(false, file.c_str(), 0, 0, 0);
    ASSERT_NE(stream, 0u) << au::ErrorGetCode();
    au::StreamPlay(stream, true, 0);
    EXPECT_NEAR(Render(100).PeakL(), kAmp, 0.05f);
}

INSTANTIATE_TEST_SUITE_P(Files, Formats, ::testing::Values("square.wav", "square.aiff", "square.flac", "sine.ogg", "sine.mp3"),
                         [](const auto& info) {
                             std::string n = info.param;
                             std::replace(n.begin(), n.end(), '.', '_');
                             return n;
                         });

struct BadLoad {
    const char* file;
    uint32_t offset, length;
    int32_t error;
};

void PrintTo(const BadLoad& c, std::ostream* os)
{
    *os << c.file << " at " << c.offset << ", " << c.length << " bytes";
}

const char* const kBadLoadNames[] = {"missing_file", "range_past_end", "offset_past_end", "not_audio",
                                     "truncated"};

class Failures : public AudioOffline, public ::testing::WithParamInterface<BadLoad> {};

TEST_P(Failures, LoadsReportTheirErrorCode)
{
    const BadLoad c = GetParam();
    std::string file = Path(c.file);
    EXPECT_EQ(au::SampleLoad(false, file.c_str(), c.offset, c.length, 1, 0), 0u);
    EXPECT_EQ(au::ErrorGetCode(), c.error);
    EXPECT_EQ(au::StreamCreateFile(false, file.c_str(), c.offset, c.length, 0), 0u);
    EXPECT_EQ(au::ErrorGetCode(), c.error);
    EXPECT_EQ(au::MusicLoad(false, file.c_str(), c.offset, c.length, 0), 0u);
    EXPECT_EQ(au::ErrorGetCode(), c.error);
}

INSTANTIATE_TEST_SUITE_P(Table, Failures,
                         ::testing::Values(BadLoad{"missing.wav", 0, 0, au::ERR_FILEOPEN},
                                           BadLoad{"pack.bin", 1000, 1000000, au::ERR_POSITION},
                                           BadLoad{"pack.bin", 5000000, 0, au::ERR_POSITION},
                                           BadLoad{"garbage.bin", 0, 0, au::ERR_FILEFORM},
                                           BadLoad{"pack.bin", 1000, 20, au::ERR_FILEFORM}),
                         [](const auto& info) { return std::string(kBadLoadNames[info.index]); });

TEST_F(AudioOffline, CallsOnWrongHandlesFail)
{
    au::Handle s = LoadSquare();
    au::Handle music = au::MusicLoad(false, Path("tune.mod").c_str(), 0, 0, 0);
    EXPECT_FALSE(au::StreamPlay(music, true, 0)); // a music is not a stream
    EXPECT_EQ(au::ErrorGetCode(), au::ERR_HANDLE);
    EXPECT_FALSE(au::MusicPlayEx(s, 0, 0, true));
    EXPECT_EQ(au::SamplePlayEx(music, 0, -1, -1, -101, false), 0u);
    for (au::Handle bad : {0u, 9999u}) {
        EXPECT_FALSE(au::ChannelStop(bad));
        EXPECT_FALSE(au::ChannelPause(bad));
        EXPECT_FALSE(au::ChannelSetAttributes(bad, -1, 50, -101));
        EXPECT_EQ(au::ChannelIsActive(bad), au::ACTIVE_STOPPED);
        EXPECT_EQ(au::ChannelGetLevel(bad), 0xFFFFFFFFu);
        EXPECT_EQ(au::ErrorGetCode(), au::ERR_HANDLE);
    }
    EXPECT_TRUE(au::ChannelPause(music)); // not playing: nothing to hold, no error
}

TEST(AudioLibrary, NothingWorksBeforeInitAndInitTwiceFails)
{
    EXPECT_FALSE(au::Start());
    EXPECT_EQ(au::ErrorGetCode(), au::ERR_INIT);
    EXPECT_EQ(au::SampleLoad(false, "x.wav", 0, 0, 1, 0), 0u);
    EXPECT_EQ(au::ErrorGetCode(), au::ERR_INIT);
    ASSERT_TRUE(au::InitOffline(kRate));
    EXPECT_FALSE(au::Init(au::DEVICE_SILENT, kRate, au::INIT_DEFAULT_FLAGS, nullptr));
    EXPECT_EQ(au::ErrorGetCode(), au::ERR_ALREADY);
    EXPECT_TRUE(au::Free());
}

TEST(AudioLibrary, DummyDriverOpensARealOutputWithShortBuffers)
{
    ASSERT_TRUE(au::Init(au::DEVICE_DEFAULT, kRate, au::INIT_DEFAULT_FLAGS, nullptr)) << au::ErrorGetCode();
    ASSERT_TRUE(au::Start());
    au::OutputInfo info = au::GetOutputInfo();
    EXPECT_EQ(info.frequency, kRate);
    EXPECT_GT(info.bufferFrames, 0u);
    EXPECT_LT(info.latencyMs, 30.0f);
    float no[2];
    EXPECT_FALSE(au::Render(no, 1)); // the device mixes by itself
    // The engine thread changes what plays while the output thread mixes it.
    fs::path tmp = fs::temp_directory_path() / ("tsr_audio_dev_" + std::to_string(::getpid()) + ".wav");
    gen::Tone tone;
    ASSERT_TRUE(gen::WriteTone(tmp.string(), gen::Container::Wav, tone));
    au::Handle s = au::SampleLoad(false, tmp.string().c_str(), 0, 0, 4, au::SAMPLE_TAKE_OVER_OLDEST);
    au::Handle stream = au::StreamCreateFile(false, tmp.string().c_str(), 0, 0, 0);
    fs::remove(tmp);
    ASSERT_TRUE(s && stream);
    ASSERT_TRUE(au::StreamPlay(stream, true, au::PLAY_LOOP));
    for (int i = 0; i < 100; ++i) {
        au::Handle ch = au::SamplePlayEx(s, 0, 22050 + i * 100, 50, i % 200 - 100, i % 2 == 0);
        EXPECT_NE(ch, 0u);
        au::ChannelSlideAttributes(stream, 44100 - i * 10, i % 100, -101, 20);
        au::ChannelGetLevel(stream);
        usleep(1000);
    }
    EXPECT_EQ(au::ChannelIsActive(stream), au::ACTIVE_PLAYING);
    EXPECT_GE(au::GetCPU(), 0.0f);
    EXPECT_TRUE(au::Pause());
    EXPECT_TRUE(au::Start());
    EXPECT_TRUE(au::Stop());
    EXPECT_TRUE(au::Free());
}

TEST(AudioLibrary, WithoutAnyDeviceOnlyTheSilentDeviceOpens)
{
    const char* old = std::getenv("SDL_AUDIODRIVER");
    std::string saved = old ? old : "";
    setenv("SDL_AUDIODRIVER", "no-such-driver", 1);
    EXPECT_FALSE(au::Init(au::DEVICE_DEFAULT, kRate, au::INIT_DEFAULT_FLAGS, nullptr));
    EXPECT_EQ(au::ErrorGetCode(), au::ERR_DRIVER);
    EXPECT_TRUE(au::Init(au::DEVICE_SILENT, kRate, au::INIT_DEFAULT_FLAGS, nullptr));
    EXPECT_TRUE(au::Start());
    EXPECT_TRUE(au::SetGlobalVolumes(100, 100, 100));
    EXPECT_EQ(au::GetOutputInfo().bufferFrames, 0u);
    EXPECT_TRUE(au::Free());
    if (old)
        setenv("SDL_AUDIODRIVER", saved.c_str(), 1);
    else
        unsetenv("SDL_AUDIODRIVER");
}

} // namespace
