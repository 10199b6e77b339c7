// Inside the audio library: byte ranges of files and the decoders that turn
// them into stereo float frames. Not part of the library's interface.
#pragma once

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <memory>
#include <string>
#include <vector>

#include "platform/audio/tsr_audio.h"

namespace tsr::audio::detail {

// A readable window of bytes: a range of a file, or a block of memory.
class ByteRange {
public:
    virtual ~ByteRange() = default;
    virtual uint64_t Size() const = 0;
    // Reads up to n bytes at pos (relative to the range); returns the count.
    virtual size_t ReadAt(uint64_t pos, void* dst, size_t n) = 0;
};

// Opens (file, offset, length) or, when fromMemory, the memory block at
// `file` of `length` bytes. length 0 of a file means "to its end". Windows
// style names (backslashes, any case) are resolved on the way. Null with
// *error set on failure.
std::unique_ptr<ByteRange> OpenRange(bool fromMemory, const char* file, uint32_t offset, uint32_t length,
                                     int32_t* error);

// Reads a whole range into memory.
bool ReadAll(ByteRange& range, std::vector<uint8_t>& out);

// A producer of stereo float frames at its own rate.
class Source {
public:
    virtual ~Source() = default;
    // Writes up to `frames` interleaved stereo frames; fewer means the end.
    virtual size_t Read(float* stereo, size_t frames) = 0;
    // Back to the first frame; false when that is impossible.
    virtual bool Rewind() = 0;
    // Whether the source loops by itself (then the mixer never rewinds it).
    virtual void SetSelfLoop(bool /*loop*/) {}
    virtual bool LoopsBySelf() const { return false; }
    double Rate() const { return m_rate; }

protected:
    double m_rate = 44100.0;
};

// A sample's decoded frames, shared by all of its playbacks.
struct SampleData {
    std::vector<float> frames; // interleaved stereo
    size_t count = 0;          // frames
    uint32_t rate = 44100;
};

// Decodes a whole range with the general audio decoder (WAV, AIFF, FLAC,
// Ogg Vorbis, MP3 where available).
std::shared_ptr<SampleData> DecodeSample(std::unique_ptr<ByteRange> range, int32_t* error);

// One playback position over shared sample frames.
std::unique_ptr<Source> MakeSampleSource(std::shared_ptr<const SampleData> data);

// A stream decoded on the fly from the range, which it keeps open.
std::unique_ptr<Source> MakeStreamSource(std::unique_ptr<ByteRange> range, int32_t* error);

// Tracker music rendered at outputRate from the module's bytes.
std::unique_ptr<Source> MakeMusicSource(std::vector<uint8_t> bytes, uint32_t outputRate, int32_t* error);
// Restarts a music source at the given order.
bool MusicSetOrder(Source& music, uint32_t order);

} // namespace tsr::audio::detail
