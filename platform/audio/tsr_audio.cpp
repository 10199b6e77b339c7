// The audio library: device, handles and the mixer.
#include "platform/audio/tsr_audio.h"

#include <SDL.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <cmath>
#include <map>
#include <mutex>

#include "platform/audio/tsr_audio_sources.h"

namespace tsr::audio {
namespace {

using detail::SampleData;
using detail::Source;

// Frames of decoded source kept ahead of the play position per channel.
constexpr size_t kChannelBuffer = 1024;
// Device buffer: 512 frames is 11.6 ms at 44100 Hz.
constexpr uint16_t kDeviceFrames = 512;

enum class Kind { Voice, Stream, Music };
enum class State { Stopped, Playing, Paused };

// One attribute moving linearly to a target, frame by frame.
struct Slide {
    bool active = false;
    float step = 0.0f;
    float target = 0.0f;
    uint32_t left = 0; // frames
};

struct Channel {
    Kind kind = Kind::Voice;
    Handle owner = 0; // the sample of a voice
    std::unique_ptr<Source> src;
    float nativeRate = 44100.0f;
    float freq = 44100.0f;
    float volume = 100.0f;
    float pan = 0.0f;
    Slide slideFreq, slideVolume, slidePan;
    bool stopAfterFade = false;
    float volumeBeforeFade = 100.0f;
    State state = State::Stopped;
    bool loop = false;
    uint64_t order = 0; // start order, for taking over the oldest voice

    std::vector<float> buf = std::vector<float>(2 * kChannelBuffer);
    size_t n = 0;     // frames in buf
    double pos = 0.0; // read position in buf, in frames
    bool ended = false;

    float peakL = 0.0f, peakR = 0.0f;

    void ResetBuffer()
    {
        n = 0;
        pos = 0.0;
        ended = false;
    }
};

struct Sample {
    std::shared_ptr<SampleData> data;
    uint32_t maxPlaybacks = 1;
    uint32_t flags = 0;
    float freq = 44100.0f;
    float volume = 100.0f;
    float pan = 0.0f;
};

struct SdlAudioGuard {
    bool subsystem = false;
    SDL_AudioDeviceID device = 0;
    void Close()
    {
        if (device)
            SDL_CloseAudioDevice(device);
        device = 0;
        if (subsystem)
            SDL_QuitSubSystem(SDL_INIT_AUDIO);
        subsystem = false;
    }
    ~SdlAudioGuard() { Close(); }
};

enum class Mode { None, Device, Silent, Offline };

struct Library {
    std::mutex lock;
    Mode mode = Mode::None;
    uint32_t rate = 44100;
    bool started = false;
    bool paused = false;
    SdlAudioGuard sdl;
    uint32_t bufferFrames = 0;

    float musicVolume = 100.0f, sampleVolume = 100.0f, streamVolume = 100.0f;

    Handle nextHandle = 1;
    uint64_t nextOrder = 1;
    std::map<Handle, Sample> samples;
    std::map<Handle, Channel> channels; // voices, streams and music

    std::atomic<float> cpu{0.0f};
    int32_t error = OK;
};

Library g_lib;
std::atomic<bool> g_offlineDefault{false};

bool Fail(int32_t code)
{
    g_lib.error = code;
    return false;
}
bool Ok()
{
    g_lib.error = OK;
    return true;
}

float Clamp(float v, float lo, float hi) { return std::min(std::max(v, lo), hi); }

Handle NewHandle()
{
    Handle h = g_lib.nextHandle++;
    if (g_lib.nextHandle == 0)
        g_lib.nextHandle = 1;
    return h;
}

// ---- the mixer ------------------------------------------------------------

void RefillChannel(Channel& ch)
{
    size_t keep = static_cast<size_t>(ch.pos);
    keep = std::min(keep, ch.n);
    std::copy(ch.buf.begin() + static_cast<long>(2 * keep), ch.buf.begin() + static_cast<long>(2 * ch.n),
              ch.buf.begin());
    ch.n -= keep;
    ch.pos -= static_cast<double>(keep);
    bool rewound = false;
    while (ch.n < kChannelBuffer && !ch.ended) {
        size_t want = kChannelBuffer - ch.n;
        size_t got = ch.src->Read(ch.buf.data() + 2 * ch.n, want);
        ch.n += got;
        if (got == want)
            break;
        if (got > 0)
            rewound = false;
        // An empty source would loop forever: a rewind that yields nothing ends it.
        if (ch.loop && !ch.src->LoopsBySelf() && !rewound && ch.src->Rewind()) {
            rewound = true;
            continue;
        }
        ch.ended = true;
    }
}

void StepSlide(Slide& s, float& value)
{
    if (!s.active)
        return;
    if (--s.left == 0) {
        value = s.target;
        s.active = false;
    } else {
        value += s.step;
    }
}

float GlobalVolumeOf(const Channel& ch)
{
    switch (ch.kind) {
    case Kind::Music: return g_lib.musicVolume / 100.0f;
    case Kind::Stream: return g_lib.streamVolume / 100.0f;
    case Kind::Voice: break;
    }
    return g_lib.sampleVolume / 100.0f;
}

void StopChannel(Channel& ch)
{
    ch.state = State::Stopped;
    ch.slideFreq.active = ch.slideVolume.active = ch.slidePan.active = false;
    if (ch.stopAfterFade) {
        // A fade-out leaves the channel's own volume as it was, for its next start.
        ch.volume = ch.volumeBeforeFade;
        ch.stopAfterFade = false;
    }
    ch.peakL = ch.peakR = 0.0f;
}

void MixChannel(Channel& ch, float* out, size_t frames)
{
    const float global = GlobalVolumeOf(ch);
    const double outRate = g_lib.rate;
    const bool sliding = ch.slideFreq.active || ch.slideVolume.active || ch.slidePan.active;
    float peakL = 0.0f, peakR = 0.0f;
    float gl = 0.0f, gr = 0.0f;
    double step = 0.0;
    auto gains = [&] {
        float g = ch.volume / 100.0f * global;
        gl = g * (ch.pan > 0.0f ? (100.0f - ch.pan) / 100.0f : 1.0f);
        gr = g * (ch.pan < 0.0f ? (100.0f + ch.pan) / 100.0f : 1.0f);
        step = ch.freq / outRate;
    };
    gains();
    for (size_t i = 0; i < frames; ++i) {
        if (sliding) {
            StepSlide(ch.slideFreq, ch.freq);
            StepSlide(ch.slideVolume, ch.volume);
            StepSlide(ch.slidePan, ch.pan);
            gains();
            if (ch.stopAfterFade && !ch.slideVolume.active) {
                StopChannel(ch);
                return;
            }
        }
        size_t ip = static_cast<size_t>(ch.pos);
        if (ip + 1 >= ch.n && !ch.ended) {
            RefillChannel(ch);
            ip = static_cast<size_t>(ch.pos);
        }
        if (ip >= ch.n) {
            StopChannel(ch);
            ch.peakL = peakL;
            ch.peakR = peakR;
            return;
        }
        const float* f = ch.buf.data() + 2 * ip;
        float l = f[0], r = f[1];
        if (ip + 1 < ch.n) {
            float t = static_cast<float>(ch.pos - static_cast<double>(ip));
            l += (f[2] - l) * t;
            r += (f[3] - r) * t;
        }
        l *= gl;
        r *= gr;
        out[2 * i] += l;
        out[2 * i + 1] += r;
        peakL = std::max(peakL, std::fabs(l));
        peakR = std::max(peakR, std::fabs(r));
        ch.pos += step;
    }
    ch.peakL = peakL;
    ch.peakR = peakR;
}

// Mixes with the library locked.
void MixLocked(float* out, size_t frames)
{
    auto t0 = std::chrono::steady_clock::now();
    std::fill(out, out + 2 * frames, 0.0f);
    if (!g_lib.started || g_lib.paused)
        return;
    for (auto it = g_lib.channels.begin(); it != g_lib.channels.end();) {
        Channel& ch = it->second;
        if (ch.state == State::Playing)
            MixChannel(ch, out, frames);
        // A finished sample playback is gone; streams and music stay, stopped.
        if (ch.kind == Kind::Voice && ch.state == State::Stopped)
            it = g_lib.channels.erase(it);
        else
            ++it;
    }
    for (size_t i = 0; i < 2 * frames; ++i)
        out[i] = Clamp(out[i], -1.0f, 1.0f);
    double spent = std::chrono::duration<double>(std::chrono::steady_clock::now() - t0).count();
    double span = static_cast<double>(frames) / g_lib.rate;
    float now = static_cast<float>(100.0 * spent / span);
    float prev = g_lib.cpu.load(std::memory_order_relaxed);
    g_lib.cpu.store(prev == 0.0f ? now : prev * 0.9f + now * 0.1f, std::memory_order_relaxed);
}

void SDLCALL DeviceCallback(void*, Uint8* stream, int len)
{
    std::lock_guard<std::mutex> g(g_lib.lock);
    MixLocked(reinterpret_cast<float*>(stream), static_cast<size_t>(len) / (2 * sizeof(float)));
}

// ---- helpers of the calls --------------------------------------------------

bool Ready()
{
    if (g_lib.mode == Mode::None)
        return Fail(ERR_INIT);
    return true;
}

Channel* FindChannel(Handle h)
{
    auto it = g_lib.channels.find(h);
    return it == g_lib.channels.end() ? nullptr : &it->second;
}

Sample* FindSample(Handle h)
{
    auto it = g_lib.samples.find(h);
    return it == g_lib.samples.end() ? nullptr : &it->second;
}

// A channel of the given kind (a stream or a music), or null.
Channel* FindChannelOf(Handle h, Kind kind)
{
    Channel* ch = FindChannel(h);
    return ch && ch->kind == kind ? ch : nullptr;
}

// Drops every playback of a sample.
void EraseVoicesOf(Handle sample)
{
    std::erase_if(g_lib.channels,
                  [&](const auto& kv) { return kv.second.kind == Kind::Voice && kv.second.owner == sample; });
}

// A new stream or music channel playing `src` at `rate` frames per second.
// The caller holds the lock.
Handle AddChannel(Kind kind, std::unique_ptr<Source> src, float rate)
{
    Handle h = NewHandle();
    Channel& ch = g_lib.channels[h];
    ch.kind = kind;
    ch.nativeRate = rate;
    ch.freq = rate;
    ch.src = std::move(src);
    Ok();
    return h;
}

// Frees a stream or music channel.
bool FreeChannelOf(Handle h, Kind kind)
{
    std::lock_guard<std::mutex> g(g_lib.lock);
    if (!Ready())
        return false;
    if (!FindChannelOf(h, kind))
        return Fail(ERR_HANDLE);
    g_lib.channels.erase(h);
    return Ok();
}

// Calls fn on the channel, or on every playback of a sample handle.
template <typename Fn>
bool ForChannels(Handle h, Fn fn)
{
    if (Channel* ch = FindChannel(h)) {
        fn(*ch);
        return true;
    }
    if (FindSample(h)) {
        for (auto& [id, ch] : g_lib.channels)
            if (ch.kind == Kind::Voice && ch.owner == h)
                fn(ch);
        return true;
    }
    return false;
}

float FrameCount(uint32_t ms) { return std::max(1.0f, std::round(ms * static_cast<float>(g_lib.rate) / 1000.0f)); }

void StartSlide(Slide& s, float& value, float target, uint32_t ms)
{
    if (ms == 0) {
        value = target;
        s.active = false;
        return;
    }
    uint32_t frames = static_cast<uint32_t>(FrameCount(ms));
    s.active = true;
    s.target = target;
    s.left = frames;
    s.step = (target - value) / static_cast<float>(frames);
}

float FreqValue(int frequency, float native)
{
    return frequency == 0 ? native : Clamp(static_cast<float>(frequency), 100.0f, 200000.0f);
}

void ApplyAttributes(Channel& ch, int frequency, int volume, int pan)
{
    if (frequency >= 0) {
        ch.freq = FreqValue(frequency, ch.nativeRate);
        ch.slideFreq.active = false;
    }
    if (volume >= 0) {
        ch.volume = Clamp(static_cast<float>(volume), 0.0f, 100.0f);
        ch.slideVolume.active = false;
        ch.stopAfterFade = false;
    } else if (volume == -2) {
        StopChannel(ch);
    }
    if (pan != -101) {
        ch.pan = Clamp(static_cast<float>(pan), -100.0f, 100.0f);
        ch.slidePan.active = false;
    }
}

void SlideChannel(Channel& ch, int frequency, int volume, int pan, uint32_t ms)
{
    if (ch.state == State::Stopped)
        return;
    if (frequency >= 0)
        StartSlide(ch.slideFreq, ch.freq, FreqValue(frequency, ch.nativeRate), ms);
    if (volume == -2) {
        if (!ch.stopAfterFade)
            ch.volumeBeforeFade = ch.volume;
        ch.stopAfterFade = true;
        StartSlide(ch.slideVolume, ch.volume, 0.0f, ms);
        if (ms == 0)
            StopChannel(ch);
    } else if (volume >= 0) {
        ch.stopAfterFade = false;
        StartSlide(ch.slideVolume, ch.volume, Clamp(static_cast<float>(volume), 0.0f, 100.0f), ms);
    }
    if (pan != -101)
        StartSlide(ch.slidePan, ch.pan, Clamp(static_cast<float>(pan), -100.0f, 100.0f), ms);
}

void StartChannel(Channel& ch)
{
    ch.src->Rewind();
    ch.ResetBuffer();
    ch.slideFreq.active = ch.slideVolume.active = ch.slidePan.active = false;
    if (ch.stopAfterFade) {
        ch.volume = ch.volumeBeforeFade;
        ch.stopAfterFade = false;
    }
    ch.state = State::Playing;
    ch.order = g_lib.nextOrder++;
}

// Pausing the device waits for a running callback, which takes our lock, so
// the lock is released first.
bool SetDevicePaused(std::unique_lock<std::mutex>& g, int pause)
{
    SDL_AudioDeviceID dev = g_lib.sdl.device;
    g.unlock();
    if (dev)
        SDL_PauseAudioDevice(dev, pause);
    return Ok();
}

} // namespace

// ---- device ----------------------------------------------------------------

bool Init(int device, uint32_t frequency, uint32_t /*flags*/, void* /*window*/)
{
    std::lock_guard<std::mutex> g(g_lib.lock);
    if (g_lib.mode != Mode::None)
        return Fail(ERR_ALREADY);
    if (frequency < 1000 || frequency > 384000)
        return Fail(ERR_ILLPARAM);
    if (device == DEVICE_SILENT) {
        g_lib.mode = Mode::Silent;
        g_lib.rate = frequency;
        g_lib.bufferFrames = 0;
        return Ok();
    }
    if (device != DEVICE_DEFAULT && device != 0)
        return Fail(ERR_DEVICE);
    if (g_offlineDefault) {
        g_lib.mode = Mode::Offline;
        g_lib.rate = frequency;
        g_lib.bufferFrames = 0;
        g_lib.started = g_lib.paused = false;
        return Ok();
    }
    if (SDL_InitSubSystem(SDL_INIT_AUDIO) != 0)
        return Fail(ERR_DRIVER);
    g_lib.sdl.subsystem = true;
    SDL_AudioSpec want{}, have{};
    want.freq = static_cast<int>(frequency);
    want.format = AUDIO_F32SYS;
    want.channels = 2;
    want.samples = kDeviceFrames;
    want.callback = DeviceCallback;
    // SDL converts if the hardware differs; we always mix stereo floats at the
    // requested rate. Only the buffer size may change.
    g_lib.sdl.device = SDL_OpenAudioDevice(nullptr, 0, &want, &have, SDL_AUDIO_ALLOW_SAMPLES_CHANGE);
    if (g_lib.sdl.device == 0) {
        g_lib.sdl.Close();
        return Fail(ERR_DRIVER);
    }
    g_lib.mode = Mode::Device;
    g_lib.rate = frequency;
    g_lib.bufferFrames = have.samples;
    g_lib.started = false;
    g_lib.paused = false;
    return Ok();
}

bool InitOffline(uint32_t frequency)
{
    std::lock_guard<std::mutex> g(g_lib.lock);
    if (g_lib.mode != Mode::None)
        return Fail(ERR_ALREADY);
    if (frequency < 1000 || frequency > 384000)
        return Fail(ERR_ILLPARAM);
    g_lib.mode = Mode::Offline;
    g_lib.rate = frequency;
    g_lib.bufferFrames = 0;
    g_lib.started = false;
    g_lib.paused = false;
    return Ok();
}

void SetOfflineDefault(bool on) { g_offlineDefault = on; }

bool IsInitialised()
{
    std::lock_guard<std::mutex> g(g_lib.lock);
    return g_lib.mode != Mode::None;
}

bool Start()
{
    std::unique_lock<std::mutex> g(g_lib.lock);
    if (!Ready())
        return false;
    g_lib.started = true;
    g_lib.paused = false;
    return SetDevicePaused(g, 0);
}

bool Pause()
{
    std::unique_lock<std::mutex> g(g_lib.lock);
    if (!Ready())
        return false;
    if (!g_lib.started)
        return Fail(ERR_NOPLAY);
    g_lib.paused = true;
    return SetDevicePaused(g, 1);
}

bool Stop()
{
    std::unique_lock<std::mutex> g(g_lib.lock);
    if (!Ready())
        return false;
    g_lib.started = false;
    for (auto& [id, ch] : g_lib.channels)
        if (ch.state != State::Stopped)
            StopChannel(ch);
    return SetDevicePaused(g, 1);
}

bool Free()
{
    if (!IsInitialised())
        return Fail(ERR_INIT);
    // Closing the device waits for a running callback; it must not hold our lock.
    if (g_lib.sdl.device)
        SDL_CloseAudioDevice(g_lib.sdl.device);
    g_lib.sdl.device = 0;
    std::lock_guard<std::mutex> g(g_lib.lock);
    g_lib.sdl.Close();
    g_lib.channels.clear();
    g_lib.samples.clear();
    g_lib.mode = Mode::None;
    g_lib.started = g_lib.paused = false;
    g_lib.musicVolume = g_lib.sampleVolume = g_lib.streamVolume = 100.0f;
    g_lib.cpu.store(0.0f);
    g_lib.bufferFrames = 0;
    return Ok();
}

bool Render(float* out, size_t frames)
{
    std::lock_guard<std::mutex> g(g_lib.lock);
    if (g_lib.mode != Mode::Offline)
        return Fail(ERR_INIT);
    MixLocked(out, frames);
    return Ok();
}

bool SetGlobalVolumes(int music, int sample, int stream)
{
    std::lock_guard<std::mutex> g(g_lib.lock);
    if (!Ready())
        return false;
    if (music >= 0)
        g_lib.musicVolume = Clamp(static_cast<float>(music), 0.0f, 100.0f);
    if (sample >= 0)
        g_lib.sampleVolume = Clamp(static_cast<float>(sample), 0.0f, 100.0f);
    if (stream >= 0)
        g_lib.streamVolume = Clamp(static_cast<float>(stream), 0.0f, 100.0f);
    return Ok();
}

float GetCPU() { return g_lib.cpu.load(std::memory_order_relaxed); }

int32_t ErrorGetCode() { return g_lib.error; }

OutputInfo GetOutputInfo()
{
    std::lock_guard<std::mutex> g(g_lib.lock);
    OutputInfo info;
    if (g_lib.mode == Mode::None)
        return info;
    info.frequency = g_lib.rate;
    info.bufferFrames = g_lib.bufferFrames;
    info.latencyMs = 1000.0f * static_cast<float>(g_lib.bufferFrames) / static_cast<float>(g_lib.rate);
    return info;
}

// ---- samples ---------------------------------------------------------------

Handle SampleLoad(bool fromMemory, const char* file, uint32_t offset, uint32_t length, uint32_t maxPlaybacks,
                  uint32_t flags)
{
    if (!IsInitialised())
        return Fail(ERR_INIT), 0;
    // Decoding happens before the lock: the mixer must not wait for it.
    int32_t err = OK;
    auto range = detail::OpenRange(fromMemory, file, offset, length, &err);
    if (!range)
        return Fail(err), 0;
    auto data = detail::DecodeSample(std::move(range), &err);
    if (!data)
        return Fail(err), 0;
    std::lock_guard<std::mutex> g(g_lib.lock);
    Sample s;
    s.data = std::move(data);
    s.maxPlaybacks = std::max<uint32_t>(1, maxPlaybacks);
    s.flags = flags;
    s.freq = static_cast<float>(s.data->rate);
    Handle h = NewHandle();
    g_lib.samples.emplace(h, std::move(s));
    Ok();
    return h;
}

Handle SamplePlayEx(Handle sample, uint32_t start, int frequency, int volume, int pan, bool loop)
{
    std::lock_guard<std::mutex> g(g_lib.lock);
    if (!Ready())
        return 0;
    Sample* s = FindSample(sample);
    if (!s)
        return Fail(ERR_HANDLE), 0;
    if (start > s->data->count)
        return Fail(ERR_POSITION), 0;
    uint32_t busy = 0;
    Channel* oldest = nullptr;
    Handle oldestId = 0;
    for (auto& [id, ch] : g_lib.channels) {
        if (ch.kind != Kind::Voice || ch.owner != sample || ch.state == State::Stopped)
            continue;
        ++busy;
        if (!oldest || ch.order < oldest->order) {
            oldest = &ch;
            oldestId = id;
        }
    }
    Handle h = 0;
    Channel* ch = nullptr;
    if (busy >= s->maxPlaybacks) {
        if (!(s->flags & SAMPLE_TAKE_OVER_OLDEST) || !oldest)
            return Fail(ERR_NOCHAN), 0;
        h = oldestId;
        ch = oldest;
    } else {
        h = NewHandle();
        ch = &g_lib.channels[h];
        ch->kind = Kind::Voice;
        ch->owner = sample;
        ch->src = detail::MakeSampleSource(s->data);
        ch->nativeRate = static_cast<float>(s->data->rate);
    }
    ch->freq = frequency >= 0 ? FreqValue(frequency, ch->nativeRate) : s->freq;
    ch->volume = volume >= 0 ? Clamp(static_cast<float>(volume), 0.0f, 100.0f) : s->volume;
    ch->pan = pan != -101 ? Clamp(static_cast<float>(pan), -100.0f, 100.0f) : s->pan;
    ch->stopAfterFade = false;
    ch->loop = loop;
    StartChannel(*ch);
    // Skip to the start frame.
    if (start > 0) {
        std::vector<float> skip(2 * 4096);
        for (uint32_t left = start; left > 0;) {
            size_t got = ch->src->Read(skip.data(), std::min<uint32_t>(left, 4096));
            if (got == 0)
                break;
            left -= static_cast<uint32_t>(got);
        }
    }
    Ok();
    return h;
}

bool SampleStop(Handle sample)
{
    std::lock_guard<std::mutex> g(g_lib.lock);
    if (!Ready())
        return false;
    if (!FindSample(sample))
        return Fail(ERR_HANDLE);
    EraseVoicesOf(sample);
    return Ok();
}

bool SampleFree(Handle sample)
{
    std::lock_guard<std::mutex> g(g_lib.lock);
    if (!Ready())
        return false;
    if (!FindSample(sample))
        return Fail(ERR_HANDLE);
    EraseVoicesOf(sample);
    g_lib.samples.erase(sample);
    return Ok();
}

// ---- streams and music ------------------------------------------------------

Handle StreamCreateFile(bool fromMemory, const char* file, uint32_t offset, uint32_t length, uint32_t /*flags*/)
{
    if (!IsInitialised())
        return Fail(ERR_INIT), 0;
    int32_t err = OK;
    auto range = detail::OpenRange(fromMemory, file, offset, length, &err);
    if (!range)
        return Fail(err), 0;
    auto src = detail::MakeStreamSource(std::move(range), &err);
    if (!src)
        return Fail(err), 0;
    const auto rate = static_cast<float>(src->Rate());
    std::lock_guard<std::mutex> g(g_lib.lock);
    return AddChannel(Kind::Stream, std::move(src), rate);
}

bool StreamPlay(Handle stream, bool flush, uint32_t flags)
{
    std::lock_guard<std::mutex> g(g_lib.lock);
    if (!Ready())
        return false;
    Channel* ch = FindChannelOf(stream, Kind::Stream);
    if (!ch)
        return Fail(ERR_HANDLE);
    ch->loop = (flags & PLAY_LOOP) != 0;
    // Without flush a stream goes on where it was stopped or paused; one that
    // has played to its end starts again.
    if (flush || (ch->state == State::Stopped && (ch->ended || ch->n == 0)))
        StartChannel(*ch);
    else
        ch->state = State::Playing;
    return Ok();
}

bool StreamFree(Handle stream) { return FreeChannelOf(stream, Kind::Stream); }

Handle MusicLoad(bool fromMemory, const char* file, uint32_t offset, uint32_t length, uint32_t /*flags*/)
{
    uint32_t rate = 0;
    {
        std::lock_guard<std::mutex> g(g_lib.lock);
        if (!Ready())
            return 0;
        rate = g_lib.rate;
    }
    int32_t err = OK;
    auto range = detail::OpenRange(fromMemory, file, offset, length, &err);
    if (!range)
        return Fail(err), 0;
    std::vector<uint8_t> bytes;
    if (!detail::ReadAll(*range, bytes))
        return Fail(ERR_FILEOPEN), 0;
    auto src = detail::MakeMusicSource(std::move(bytes), rate, &err);
    if (!src)
        return Fail(err), 0;
    std::lock_guard<std::mutex> g(g_lib.lock);
    return AddChannel(Kind::Music, std::move(src), static_cast<float>(rate));
}

bool MusicPlayEx(Handle music, uint32_t position, int flags, bool reset)
{
    std::lock_guard<std::mutex> g(g_lib.lock);
    if (!Ready())
        return false;
    Channel* ch = FindChannelOf(music, Kind::Music);
    if (!ch)
        return Fail(ERR_HANDLE);
    bool loop = flags >= 0 && (static_cast<uint32_t>(flags) & PLAY_LOOP) != 0;
    ch->src->SetSelfLoop(loop);
    ch->loop = false;
    StartChannel(*ch);
    if (position != 0 && !detail::MusicSetOrder(*ch->src, position)) {
        StopChannel(*ch);
        return Fail(ERR_POSITION);
    }
    if (reset) {
        ch->freq = ch->nativeRate;
        ch->pan = 0.0f;
    }
    return Ok();
}

bool MusicFree(Handle music) { return FreeChannelOf(music, Kind::Music); }

// ---- channels --------------------------------------------------------------

bool ChannelStop(Handle handle)
{
    std::lock_guard<std::mutex> g(g_lib.lock);
    if (!Ready())
        return false;
    if (FindSample(handle)) {
        EraseVoicesOf(handle);
        return Ok();
    }
    Channel* ch = FindChannel(handle);
    if (!ch)
        return Fail(ERR_HANDLE);
    if (ch->kind == Kind::Voice)
        g_lib.channels.erase(handle);
    else
        StopChannel(*ch);
    return Ok();
}

// Pausing what is not playing is harmless: there is nothing to hold.
bool ChannelPause(Handle handle)
{
    std::lock_guard<std::mutex> g(g_lib.lock);
    if (!Ready())
        return false;
    bool ok = ForChannels(handle, [](Channel& ch) {
        if (ch.state == State::Playing)
            ch.state = State::Paused;
    });
    return ok ? Ok() : Fail(ERR_HANDLE);
}

bool ChannelResume(Handle handle)
{
    std::lock_guard<std::mutex> g(g_lib.lock);
    if (!Ready())
        return false;
    bool ok = ForChannels(handle, [](Channel& ch) {
        if (ch.state == State::Paused)
            ch.state = State::Playing;
    });
    return ok ? Ok() : Fail(ERR_HANDLE);
}

bool ChannelSetAttributes(Handle handle, int frequency, int volume, int pan)
{
    std::lock_guard<std::mutex> g(g_lib.lock);
    if (!Ready())
        return false;
    if (Sample* s = FindSample(handle)) {
        if (frequency >= 0)
            s->freq = FreqValue(frequency, static_cast<float>(s->data->rate));
        if (volume >= 0)
            s->volume = Clamp(static_cast<float>(volume), 0.0f, 100.0f);
        if (pan != -101)
            s->pan = Clamp(static_cast<float>(pan), -100.0f, 100.0f);
    }
    bool ok = ForChannels(handle, [&](Channel& ch) { ApplyAttributes(ch, frequency, volume, pan); });
    if (ok && volume == -2)
        std::erase_if(g_lib.channels, [](const auto& kv) { return kv.second.kind == Kind::Voice && kv.second.state == State::Stopped; });
    return ok ? Ok() : Fail(ERR_HANDLE);
}

bool ChannelSlideAttributes(Handle handle, int frequency, int volume, int pan, uint32_t timeMs)
{
    std::lock_guard<std::mutex> g(g_lib.lock);
    if (!Ready())
        return false;
    bool ok = ForChannels(handle, [&](Channel& ch) { SlideChannel(ch, frequency, volume, pan, timeMs); });
    return ok ? Ok() : Fail(ERR_HANDLE);
}

uint32_t ChannelIsActive(Handle handle)
{
    std::lock_guard<std::mutex> g(g_lib.lock);
    if (!Ready())
        return ACTIVE_STOPPED;
    uint32_t result = ACTIVE_STOPPED;
    bool ok = ForChannels(handle, [&](Channel& ch) {
        if (ch.state == State::Playing)
            result = ACTIVE_PLAYING;
        else if (ch.state == State::Paused && result == ACTIVE_STOPPED)
            result = ACTIVE_PAUSED;
    });
    if (!ok)
        Fail(ERR_HANDLE);
    else
        Ok();
    return result;
}

uint32_t ChannelGetLevel(Handle handle)
{
    std::lock_guard<std::mutex> g(g_lib.lock);
    if (!Ready())
        return 0xFFFFFFFFu;
    Channel* ch = FindChannel(handle);
    if (!ch)
        return Fail(ERR_HANDLE), 0xFFFFFFFFu;
    if (ch->state == State::Stopped)
        return Fail(ERR_NOPLAY), 0xFFFFFFFFu;
    if (ch->state == State::Paused)
        return Ok(), 0u;
    auto level = [](float peak) { return static_cast<uint32_t>(std::lround(Clamp(peak, 0.0f, 1.0f) * 32768.0f)); };
    Ok();
    return level(ch->peakL) | (level(ch->peakR) << 16);
}

} // namespace tsr::audio
