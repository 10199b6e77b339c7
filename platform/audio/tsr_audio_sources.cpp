// Byte ranges and decoders of the audio library.
#include "platform/audio/tsr_audio_sources.h"

#include <algorithm>
#include <cstring>
#include <limits>
#include <sstream>

#include <libopenmpt/libopenmpt.hpp>
#include <sndfile.h>

#include "platform/files/tsr_files.h"

namespace tsr::audio::detail {
namespace {

// A window of a file, read through the files layer (which also resolves
// Windows-style names).
class FileWindow final : public ByteRange {
public:
    explicit FileWindow(tsr::FileRange range) : m_range(std::move(range)) {}
    uint64_t Size() const override { return static_cast<uint64_t>(m_range.Size()); }
    // The files layer keeps reads within the window (and refuses positions past it).
    size_t ReadAt(uint64_t pos, void* dst, size_t n) override
    {
        return m_range.ReadAt(static_cast<int64_t>(pos), dst, n);
    }

private:
    tsr::FileRange m_range;
};

class MemoryRange final : public ByteRange {
public:
    MemoryRange(const uint8_t* data, uint64_t size) : m_data(data), m_size(size) {}
    uint64_t Size() const override { return m_size; }
    size_t ReadAt(uint64_t pos, void* dst, size_t n) override
    {
        if (pos >= m_size)
            return 0;
        n = static_cast<size_t>(std::min<uint64_t>(n, m_size - pos));
        std::memcpy(dst, m_data + pos, n);
        return n;
    }

private:
    const uint8_t* m_data;
    uint64_t m_size;
};

// The decoder reads through these, so it only ever sees the range.
struct VirtualCursor {
    ByteRange* range = nullptr;
    sf_count_t pos = 0;
};

sf_count_t VioLength(void* user) { return static_cast<sf_count_t>(static_cast<VirtualCursor*>(user)->range->Size()); }
sf_count_t VioSeek(sf_count_t offset, int whence, void* user)
{
    auto* c = static_cast<VirtualCursor*>(user);
    sf_count_t size = static_cast<sf_count_t>(c->range->Size());
    sf_count_t target = offset;
    if (whence == SEEK_CUR)
        target = c->pos + offset;
    else if (whence == SEEK_END)
        target = size + offset;
    if (target < 0)
        return -1;
    c->pos = target;
    return c->pos;
}
sf_count_t VioRead(void* ptr, sf_count_t count, void* user)
{
    auto* c = static_cast<VirtualCursor*>(user);
    if (count <= 0 || c->pos < 0)
        return 0;
    size_t got = c->range->ReadAt(static_cast<uint64_t>(c->pos), ptr, static_cast<size_t>(count));
    c->pos += static_cast<sf_count_t>(got);
    return static_cast<sf_count_t>(got);
}
sf_count_t VioWrite(const void*, sf_count_t, void*) { return 0; }
sf_count_t VioTell(void* user) { return static_cast<VirtualCursor*>(user)->pos; }

SF_VIRTUAL_IO g_vio = {VioLength, VioSeek, VioRead, VioWrite, VioTell};

struct SndCloser {
    void operator()(SNDFILE* s) const
    {
        if (s)
            sf_close(s);
    }
};
using SndPtr = std::unique_ptr<SNDFILE, SndCloser>;

// Converts `got` frames of `channels` channels to stereo in place-safe order.
void ToStereo(const float* in, float* out, size_t got, int channels)
{
    if (channels == 2) {
        std::memmove(out, in, got * 2 * sizeof(float));
    } else if (channels == 1) {
        for (size_t i = got; i-- > 0;) {
            out[2 * i] = in[i];
            out[2 * i + 1] = in[i];
        }
    } else {
        for (size_t i = 0; i < got; ++i) {
            out[2 * i] = in[i * static_cast<size_t>(channels)];
            out[2 * i + 1] = in[i * static_cast<size_t>(channels) + 1];
        }
    }
}

class StreamSource final : public Source {
public:
    StreamSource(std::unique_ptr<ByteRange> range) : m_range(std::move(range)) { m_cursor.range = m_range.get(); }
    bool Open(int32_t* error)
    {
        SF_INFO info{};
        m_snd.reset(sf_open_virtual(&g_vio, SFM_READ, &info, &m_cursor));
        if (!m_snd || info.channels < 1 || info.samplerate <= 0) {
            *error = ERR_FILEFORM;
            return false;
        }
        m_channels = info.channels;
        m_rate = info.samplerate;
        return true;
    }
    size_t Read(float* stereo, size_t frames) override
    {
        // Up to two channels fit in the output and widen in place.
        float* raw = stereo;
        if (m_channels > 2) {
            m_scratch.resize(frames * static_cast<size_t>(m_channels));
            raw = m_scratch.data();
        }
        sf_count_t got = std::max<sf_count_t>(sf_readf_float(m_snd.get(), raw, static_cast<sf_count_t>(frames)), 0);
        ToStereo(raw, stereo, static_cast<size_t>(got), m_channels);
        return static_cast<size_t>(got);
    }
    bool Rewind() override { return sf_seek(m_snd.get(), 0, SEEK_SET) == 0; }

private:
    std::unique_ptr<ByteRange> m_range;
    VirtualCursor m_cursor;
    SndPtr m_snd;
    int m_channels = 0;
    std::vector<float> m_scratch;
};

class SampleSource final : public Source {
public:
    explicit SampleSource(std::shared_ptr<const SampleData> data) : m_data(std::move(data)) { m_rate = m_data->rate; }
    size_t Read(float* stereo, size_t frames) override
    {
        size_t n = std::min(frames, m_data->count - m_pos);
        std::memcpy(stereo, m_data->frames.data() + 2 * m_pos, n * 2 * sizeof(float));
        m_pos += n;
        return n;
    }
    bool Rewind() override
    {
        m_pos = 0;
        return true;
    }

private:
    std::shared_ptr<const SampleData> m_data;
    size_t m_pos = 0;
};

class MusicSource final : public Source {
public:
    MusicSource(std::vector<uint8_t> bytes, uint32_t rate) : m_bytes(std::move(bytes)), m_outRate(rate)
    {
        m_rate = rate;
    }
    bool Open(int32_t* error)
    {
        try {
            std::ostringstream quiet; // the renderer's chatter has no place in our log
            std::map<std::string, std::string> ctls{{"play.at_end", "stop"}};
            m_module = std::make_unique<openmpt::module>(m_bytes.data(), m_bytes.size(), quiet, ctls);
            m_module->set_repeat_count(0);
        } catch (...) {
            *error = ERR_FILEFORM;
            return false;
        }
        return true;
    }
    size_t Read(float* stereo, size_t frames) override
    {
        size_t done = 0;
        try {
            while (done < frames) {
                size_t got = m_module->read_interleaved_stereo(static_cast<int32_t>(m_outRate), frames - done,
                                                               stereo + 2 * done);
                if (got == 0)
                    break;
                done += got;
            }
        } catch (...) {
        }
        return done;
    }
    bool Rewind() override { return SetOrder(0); }
    void SetSelfLoop(bool loop) override
    {
        m_loop = loop;
        m_module->set_repeat_count(loop ? -1 : 0);
    }
    bool LoopsBySelf() const override { return m_loop; }
    bool SetOrder(uint32_t order)
    {
        try {
            m_module->set_position_order_row(static_cast<int32_t>(order), 0);
            return true;
        } catch (...) {
            return false;
        }
    }

private:
    std::vector<uint8_t> m_bytes;
    uint32_t m_outRate;
    std::unique_ptr<openmpt::module> m_module;
    bool m_loop = false;
};

} // namespace

std::unique_ptr<ByteRange> OpenRange(bool fromMemory, const char* file, uint32_t offset, uint32_t length,
                                     int32_t* error)
{
    if (!file) {
        *error = ERR_ILLPARAM;
        return nullptr;
    }
    if (fromMemory) {
        if (length == 0) {
            *error = ERR_ILLPARAM;
            return nullptr;
        }
        return std::make_unique<MemoryRange>(reinterpret_cast<const uint8_t*>(file) + offset, length);
    }
    tsr::FileRange range;
    switch (range.Open(file, offset, length == 0 ? -1 : static_cast<int64_t>(length))) {
    case tsr::FileRange::Status::Ok: break;
    case tsr::FileRange::Status::OpenFailed: *error = ERR_FILEOPEN; return nullptr;
    case tsr::FileRange::Status::BadRange: *error = ERR_POSITION; return nullptr;
    }
    return std::make_unique<FileWindow>(std::move(range));
}

bool ReadAll(ByteRange& range, std::vector<uint8_t>& out)
{
    if (range.Size() > std::numeric_limits<uint32_t>::max())
        return false;
    out.resize(static_cast<size_t>(range.Size()));
    return range.ReadAt(0, out.data(), out.size()) == out.size();
}

std::shared_ptr<SampleData> DecodeSample(std::unique_ptr<ByteRange> range, int32_t* error)
{
    VirtualCursor cursor;
    cursor.range = range.get();
    SF_INFO info{};
    SndPtr snd(sf_open_virtual(&g_vio, SFM_READ, &info, &cursor));
    if (!snd || info.channels < 1 || info.samplerate <= 0) {
        *error = ERR_FILEFORM;
        return nullptr;
    }
    auto data = std::make_shared<SampleData>();
    data->rate = static_cast<uint32_t>(info.samplerate);
    // The frame count in the header may be unknown or wrong (some formats);
    // read in blocks until the decoder says the end.
    const size_t block = 4096;
    std::vector<float> raw(block * static_cast<size_t>(info.channels));
    for (;;) {
        sf_count_t got = sf_readf_float(snd.get(), raw.data(), static_cast<sf_count_t>(block));
        if (got <= 0)
            break;
        size_t at = data->frames.size();
        data->frames.resize(at + static_cast<size_t>(got) * 2);
        ToStereo(raw.data(), data->frames.data() + at, static_cast<size_t>(got), info.channels);
        if (got < static_cast<sf_count_t>(block))
            break;
    }
    data->count = data->frames.size() / 2;
    return data;
}

std::unique_ptr<Source> MakeSampleSource(std::shared_ptr<const SampleData> data)
{
    return std::make_unique<SampleSource>(std::move(data));
}

std::unique_ptr<Source> MakeStreamSource(std::unique_ptr<ByteRange> range, int32_t* error)
{
    auto s = std::make_unique<StreamSource>(std::move(range));
    if (!s->Open(error))
        return nullptr;
    return s;
}

std::unique_ptr<Source> MakeMusicSource(std::vector<uint8_t> bytes, uint32_t outputRate, int32_t* error)
{
    auto m = std::make_unique<MusicSource>(std::move(bytes), outputRate);
    if (!m->Open(error))
        return nullptr;
    return m;
}

bool MusicSetOrder(Source& music, uint32_t order)
{
    auto* m = dynamic_cast<MusicSource*>(&music);
    return m && m->SetOrder(order);
}

} // namespace tsr::audio::detail
