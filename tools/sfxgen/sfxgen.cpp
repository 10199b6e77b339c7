// Sound generators: tones written through libsndfile, tracker modules
// written byte by byte.
#include "tools/sfxgen/sfxgen.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <memory>

#include <sndfile.h>

namespace tsr::sfxgen {

std::vector<float> RenderTone(const Tone& tone)
{
    const double pi = 3.14159265358979323846;
    size_t frames = static_cast<size_t>(std::llround(tone.seconds * tone.rate));
    size_t fadeFrames = static_cast<size_t>(std::llround(tone.fadeOutSeconds * tone.rate));
    std::vector<float> out(frames * static_cast<size_t>(tone.channels));
    for (size_t i = 0; i < frames; ++i) {
        double phase = std::fmod(tone.frequency * static_cast<double>(i) / tone.rate, 1.0);
        double v = tone.shape == Shape::Sine ? std::sin(2.0 * pi * phase) : (phase < 0.5 ? 1.0 : -1.0);
        v *= tone.amplitude;
        if (fadeFrames > 0 && i + fadeFrames >= frames)
            v *= static_cast<double>(frames - i) / static_cast<double>(fadeFrames);
        for (int c = 0; c < tone.channels; ++c)
            out[i * static_cast<size_t>(tone.channels) + static_cast<size_t>(c)] = static_cast<float>(v);
    }
    return out;
}

bool WriteSound(const std::string& path, Container container, const std::vector<float>& frames, int rate,
                int channels)
{
    SF_INFO info{};
    info.samplerate = rate;
    info.channels = channels;
    switch (container) {
    case Container::Wav: info.format = SF_FORMAT_WAV | SF_FORMAT_PCM_16; break;
    case Container::Aiff: info.format = SF_FORMAT_AIFF | SF_FORMAT_PCM_16; break;
    case Container::Flac: info.format = SF_FORMAT_FLAC | SF_FORMAT_PCM_16; break;
    case Container::Ogg: info.format = SF_FORMAT_OGG | SF_FORMAT_VORBIS; break;
    case Container::Mp3: info.format = SF_FORMAT_MPEG | SF_FORMAT_MPEG_LAYER_III; break;
    }
    std::unique_ptr<SNDFILE, int (*)(SNDFILE*)> snd(sf_open(path.c_str(), SFM_WRITE, &info), sf_close);
    if (!snd)
        return false;
    sf_count_t count = static_cast<sf_count_t>(frames.size() / static_cast<size_t>(channels));
    return sf_writef_float(snd.get(), frames.data(), count) == count;
}

bool WriteTone(const std::string& path, Container container, const Tone& tone)
{
    return WriteSound(path, container, RenderTone(tone), tone.rate, tone.channels);
}

namespace {

void PutBE16(std::vector<uint8_t>& out, size_t at, uint16_t v)
{
    out[at] = static_cast<uint8_t>(v >> 8);
    out[at + 1] = static_cast<uint8_t>(v & 0xFF);
}

// One pattern cell: sample number, period, effect and its parameter.
void PutCell(std::vector<uint8_t>& out, size_t at, int sample, int period, int effect, int param)
{
    out[at] = static_cast<uint8_t>((sample & 0xF0) | ((period >> 8) & 0x0F));
    out[at + 1] = static_cast<uint8_t>(period & 0xFF);
    out[at + 2] = static_cast<uint8_t>(((sample & 0x0F) << 4) | (effect & 0x0F));
    out[at + 3] = static_cast<uint8_t>(param);
}

} // namespace

std::vector<uint8_t> MakeModule(int rows)
{
    rows = std::clamp(rows, 1, 64);
    const size_t headerSize = 20 + 31 * 30 + 1 + 1 + 128 + 4;
    const size_t patternSize = 64 * 4 * 4;
    const size_t sampleBytes = 32; // one cycle of a square wave, looped
    std::vector<uint8_t> out(headerSize + patternSize + sampleBytes, 0);

    const char title[] = "kelpie test tune";
    std::copy(title, title + sizeof(title) - 1, out.begin());

    // Sample 1: name, length in words, finetune 0, volume 64, loop over all of it.
    size_t s1 = 20;
    const char name[] = "square";
    std::copy(name, name + sizeof(name) - 1, out.begin() + static_cast<long>(s1));
    PutBE16(out, s1 + 22, static_cast<uint16_t>(sampleBytes / 2));
    out[s1 + 24] = 0;
    out[s1 + 25] = 64;
    PutBE16(out, s1 + 26, 0);
    PutBE16(out, s1 + 28, static_cast<uint16_t>(sampleBytes / 2));
    // The other 30 samples are empty with the customary one-word loop.
    for (int s = 1; s < 31; ++s)
        PutBE16(out, 20 + static_cast<size_t>(s) * 30 + 28, 1);

    size_t song = 20 + 31 * 30;
    out[song] = 1;       // one order
    out[song + 1] = 127; // restart byte, as trackers wrote it
    out[song + 2] = 0;   // order 0 plays pattern 0
    std::copy_n("M.K.", 4, out.begin() + static_cast<long>(song + 130));

    // A little melody on channel 0, a drone on channel 1.
    const int periods[] = {428, 381, 340, 320, 285, 320, 340, 381};
    size_t pattern = headerSize;
    for (int row = 0; row < rows; ++row) {
        size_t at = pattern + static_cast<size_t>(row) * 16;
        if (row % 2 == 0)
            PutCell(out, at, 1, periods[(row / 2) % 8], row == 0 ? 0xF : 0, row == 0 ? 3 : 0);
        if (row == 0)
            PutCell(out, at + 4, 1, 856, 0xC, 24);
    }
    // The song ends after `rows` rows: break to the next (absent) order.
    if (rows < 64) {
        size_t at = pattern + static_cast<size_t>(rows - 1) * 16 + 12;
        PutCell(out, at, 0, 0, 0xD, 0);
    }

    size_t data = headerSize + patternSize;
    for (size_t i = 0; i < sampleBytes; ++i)
        out[data + i] = static_cast<uint8_t>(static_cast<int8_t>(i < sampleBytes / 2 ? 80 : -80));
    return out;
}

bool WriteBytes(const std::string& path, const std::vector<uint8_t>& bytes)
{
    std::unique_ptr<FILE, int (*)(FILE*)> f(std::fopen(path.c_str(), "wb"), std::fclose);
    if (!f)
        return false;
    return std::fwrite(bytes.data(), 1, bytes.size(), f.get()) == bytes.size();
}

bool WriteModule(const std::string& path, int rows) { return WriteBytes(path, MakeModule(rows)); }

} // namespace tsr::sfxgen
