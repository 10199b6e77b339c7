// The mixer's cost: CPU time per second of audio with 32 sample playbacks and
// one tracker music at 44100 Hz (goal: under 2% of one core), and the output
// buffer the device path chooses (goal: under 30 ms).
#include <benchmark/benchmark.h>

#include <cstring>
#include <vector>

#include "platform/audio/tsr_audio.h"
// The generators are compiled in here: the benchmark programs link only the
// engine library.
#include "tools/sfxgen/sfxgen.cpp"

namespace au = tsr::audio;

namespace {

constexpr uint32_t kRate = 44100;

// A 16-bit PCM WAV file in memory.
std::vector<uint8_t> WavBytes(const std::vector<float>& mono, uint32_t rate)
{
    std::vector<uint8_t> out;
    auto put32 = [&](uint32_t v) {
        for (int i = 0; i < 4; ++i)
            out.push_back(static_cast<uint8_t>(v >> (8 * i)));
    };
    auto put16 = [&](uint16_t v) {
        out.push_back(static_cast<uint8_t>(v));
        out.push_back(static_cast<uint8_t>(v >> 8));
    };
    uint32_t dataBytes = static_cast<uint32_t>(mono.size() * 2);
    out.insert(out.end(), {'R', 'I', 'F', 'F'});
    put32(36 + dataBytes);
    out.insert(out.end(), {'W', 'A', 'V', 'E', 'f', 'm', 't', ' '});
    put32(16);
    put16(1);
    put16(1);
    put32(rate);
    put32(rate * 2);
    put16(2);
    put16(16);
    out.insert(out.end(), {'d', 'a', 't', 'a'});
    put32(dataBytes);
    for (float v : mono)
        put16(static_cast<uint16_t>(static_cast<int16_t>(v * 32767.0f)));
    return out;
}

void BM_MixOneSecond32SamplesAndMusic(benchmark::State& state)
{
    tsr::sfxgen::Tone tone;
    tone.seconds = 0.7;
    tone.amplitude = 0.03;
    std::vector<uint8_t> wav = WavBytes(tsr::sfxgen::RenderTone(tone), 22050);
    std::vector<uint8_t> mod = tsr::sfxgen::MakeModule(64);

    au::InitOffline(kRate);
    au::Start();
    au::Handle sample = au::SampleLoad(true, reinterpret_cast<const char*>(wav.data()), 0,
                                       static_cast<uint32_t>(wav.size()), 32, 0);
    au::Handle music = au::MusicLoad(true, reinterpret_cast<const char*>(mod.data()), 0,
                                     static_cast<uint32_t>(mod.size()), 0);
    if (!sample || !music) {
        state.SkipWithError("cannot load the fixtures");
        au::Free();
        return;
    }
    // Different rates and pans, so every playback resamples.
    for (int i = 0; i < 32; ++i)
        au::SamplePlayEx(sample, 0, 11025 + i * 1000, 80, -100 + i * 6, true);
    au::MusicPlayEx(music, 0, static_cast<int>(au::PLAY_LOOP), true);

    const size_t block = 512;
    std::vector<float> out(2 * block);
    for (auto _ : state) {
        for (size_t done = 0; done < kRate; done += block)
            au::Render(out.data(), block);
        benchmark::DoNotOptimize(out.data());
    }
    // One iteration is one second of audio: its time is the share of a core.
    state.counters["cpu_percent_of_core"] = benchmark::Counter(
        0.01 * static_cast<double>(state.iterations()), benchmark::Counter::kIsRate | benchmark::Counter::kInvert);
    state.counters["mixer_cpu_reported"] = au::GetCPU();
    au::Free();
}
BENCHMARK(BM_MixOneSecond32SamplesAndMusic)->Unit(benchmark::kMillisecond);

void BM_OutputLatency(benchmark::State& state)
{
    if (!au::Init(au::DEVICE_DEFAULT, kRate, au::INIT_DEFAULT_FLAGS, nullptr)) {
        state.SkipWithError("no audio output (set SDL_AUDIODRIVER=dummy)");
        return;
    }
    au::OutputInfo info = au::GetOutputInfo();
    for (auto _ : state)
        benchmark::DoNotOptimize(au::GetOutputInfo());
    state.counters["buffer_frames"] = info.bufferFrames;
    state.counters["latency_ms"] = info.latencyMs;
    au::Free();
}
BENCHMARK(BM_OutputLatency);

} // namespace
