// Sounds and music on the audio library.
#include "ctesser_sfx_classes.h"

#include "ctesser.h"

namespace au = tsr::audio;

namespace {

constexpr int32_t FILE_ID = 133;

// A failed audio call: General, with the library's error code.
[[noreturn]] void ThrowAudio(const char* description, const char* file, int line)
{
    throw CEHSException(EHS_GENERAL, au::ErrorGetCode(), description, file, line);
}

#define SFX_CHECK(call, description)                                                                   \
    do {                                                                                               \
        if (!(call))                                                                                   \
            ThrowAudio((description), __FILE__, __LINE__);                                            \
    } while (0)

// Destructors must not throw: a failure there is logged and the object is
// released anyway.
void LogRelease(const char* description)
{
    if (CTesser* engine = CTesser::GetInstance())
        engine->WriteEntry(std::string(description) + " Error code: " + std::to_string(au::ErrorGetCode()),
                           LOG_ERROR);
}

uint32_t U32(int32_t v) { return v < 0 ? 0u : static_cast<uint32_t>(v); }

} // namespace

// ---- TSNSound ---------------------------------------------------------------

TSNSound::TSNSound(bool isStream, int32_t playbackCount, bool noSteal, const std::string& fileName, int32_t offset,
                   int32_t size)
    : m_bIsStream(isStream), m_iPlaybackCount(playbackCount < 1 ? 1 : playbackCount), m_bNoSteal(noSteal),
      m_strFileName(fileName), m_iOffset(offset), m_iSize(size)
{
    SetCheckpoint(FILE_ID, __LINE__);
    if (m_bIsStream) {
        m_hStream = au::StreamCreateFile(false, m_strFileName.c_str(), U32(m_iOffset), U32(m_iSize),
                                         au::STREAM_DECODE_ON_PLAY);
        SFX_CHECK(m_hStream != 0, "Cannot create stream!");
    } else {
        m_hSample = au::SampleLoad(false, m_strFileName.c_str(), U32(m_iOffset), U32(m_iSize),
                                   static_cast<uint32_t>(m_iPlaybackCount),
                                   m_bNoSteal ? 0u : au::SAMPLE_TAKE_OVER_OLDEST);
        SFX_CHECK(m_hSample != 0, "Cannot load sample!");
    }
}

TSNSound::~TSNSound()
{
    SetCheckpoint(FILE_ID, __LINE__);
    if (m_bIsStream) {
        if (!au::ChannelStop(m_hStream))
            LogRelease("Cannot stop stream!");
        au::StreamFree(m_hStream);
    } else {
        if (!au::SampleStop(m_hSample))
            LogRelease("Cannot stop sample!");
        au::SampleFree(m_hSample);
    }
}

void TSNSound::Play(bool loop, int32_t frequency, int32_t volume, int32_t pan)
{
    SetCheckpoint(FILE_ID, __LINE__);
    if (!m_bIsStream) {
        SFX_CHECK(au::SamplePlayEx(m_hSample, 0, frequency, volume, pan, loop) != 0, "Cannot playback sample!");
        return;
    }
    SFX_CHECK(au::StreamPlay(m_hStream, true, loop ? au::PLAY_LOOP : 0u), "Cannot play stream!");
    if (frequency != -1 || volume != -1 || pan != -101)
        SFX_CHECK(au::ChannelSetAttributes(m_hStream, frequency, volume, pan), "Cannot set stream attributes!");
}

void TSNSound::Stop()
{
    SetCheckpoint(FILE_ID, __LINE__);
    if (m_bIsStream)
        SFX_CHECK(au::ChannelStop(m_hStream), "Cannot stop stream!");
    else
        SFX_CHECK(au::SampleStop(m_hSample), "Cannot stop sample!");
}

void TSNSound::Pause()
{
    SetCheckpoint(FILE_ID, __LINE__);
    if (m_bPaused)
        return;
    SFX_CHECK(au::ChannelPause(Handle()), m_bIsStream ? "Cannot pause stream!" : "Cannot pause sample!");
    m_bPaused = true;
}

void TSNSound::Resume()
{
    SetCheckpoint(FILE_ID, __LINE__);
    if (!m_bPaused)
        return;
    SFX_CHECK(au::ChannelResume(Handle()),
              m_bIsStream ? "Cannot resume playback of stream!" : "Cannot resume playback of sample!");
    m_bPaused = false;
}

void TSNSound::SetAttributes(int32_t frequency, int32_t volume, int32_t pan)
{
    SetCheckpoint(FILE_ID, __LINE__);
    SFX_CHECK(au::ChannelSetAttributes(Handle(), frequency, volume, pan),
              m_bIsStream ? "Cannot set attributes of stream!" : "Cannot set attributes of sample!");
}

void TSNSound::SlideAttributes(int32_t frequency, int32_t volume, int32_t pan, int32_t timeMs)
{
    SetCheckpoint(FILE_ID, __LINE__);
    SFX_CHECK(au::ChannelSlideAttributes(Handle(), frequency, volume, pan, U32(timeMs)),
              m_bIsStream ? "Cannot slide attributes of stream!" : "Cannot slide attributes of sample!");
}

uint32_t TSNSound::GetStatus()
{
    SetCheckpoint(FILE_ID, __LINE__);
    return au::ChannelIsActive(Handle());
}

// ---- TSNMusic ---------------------------------------------------------------

TSNMusic::TSNMusic(const std::string& fileName, int32_t offset, int32_t size)
    : m_strFileName(fileName), m_iOffset(offset), m_iSize(size)
{
}

TSNMusic::~TSNMusic()
{
    SetCheckpoint(FILE_ID, __LINE__);
    if (m_bLoaded)
        StopForDestruction("Cannot stop music playback!");
}

void TSNMusic::StopForDestruction(const char* what)
{
    if (!au::ChannelStop(m_hMusic))
        LogRelease(what);
    au::MusicFree(m_hMusic);
    m_hMusic = 0;
    m_bLoaded = false;
    m_bPaused = false;
}

void TSNMusic::Load()
{
    m_hMusic = au::MusicLoad(false, m_strFileName.c_str(), U32(m_iOffset), U32(m_iSize), 0);
    SFX_CHECK(m_hMusic != 0, "Cannot load music!");
    m_bLoaded = true;
}

void TSNMusic::Release()
{
    au::MusicFree(m_hMusic);
    m_hMusic = 0;
    m_bLoaded = false;
    m_bPaused = false;
}

void TSNMusic::StartPlayback(bool loop)
{
    SFX_CHECK(au::MusicPlayEx(m_hMusic, 0, loop ? static_cast<int>(au::PLAY_LOOP) : 0, true),
              "Cannot start music playback!");
}

void TSNMusic::Play(bool loop)
{
    SetCheckpoint(FILE_ID, __LINE__);
    if (m_bLoaded)
        return;
    Load();
    StartPlayback(loop);
}

void TSNMusic::Stop(int32_t fadeTimeMs)
{
    SetCheckpoint(FILE_ID, __LINE__);
    if (!m_bLoaded)
        return;
    if (fadeTimeMs <= 0) {
        SFX_CHECK(au::ChannelStop(m_hMusic), "Cannot stop music playback!");
        Release();
        return;
    }
    SFX_CHECK(au::ChannelSlideAttributes(m_hMusic, -1, -2, -101, U32(fadeTimeMs)),
              "Cannot slide music attributes for smooth fading!");
}

void TSNMusic::Pause()
{
    SetCheckpoint(FILE_ID, __LINE__);
    if (!m_bLoaded || m_bPaused)
        return;
    SFX_CHECK(au::ChannelPause(m_hMusic), "Cannot pause music playback!");
    m_bPaused = true;
}

void TSNMusic::Resume()
{
    SetCheckpoint(FILE_ID, __LINE__);
    if (!m_bLoaded || !m_bPaused)
        return;
    SFX_CHECK(au::ChannelResume(m_hMusic), "Cannot resume music playback!");
    m_bPaused = false;
}

uint32_t TSNMusic::IsActive()
{
    SetCheckpoint(FILE_ID, __LINE__);
    if (!m_bLoaded)
        return 0;
    uint32_t active = au::ChannelIsActive(m_hMusic);
    if (active == 0)
        Release(); // costs no memory while silent
    return active;
}

void TSNMusic::SlideVolume(int32_t volume, int32_t timeMs)
{
    SetCheckpoint(FILE_ID, __LINE__);
    if (!m_bLoaded || m_bPaused)
        return;
    SFX_CHECK(au::ChannelSlideAttributes(m_hMusic, -1, volume, -101, U32(timeMs)), "Cannot slide music volume!");
}

float TSNMusic::GetLevelLeft()
{
    SetCheckpoint(FILE_ID, __LINE__);
    if (!m_bLoaded || m_bPaused)
        return 0.0f;
    uint32_t level = au::ChannelGetLevel(m_hMusic);
    return level == 0xFFFFFFFFu ? 0.0f : static_cast<float>(level & 0xFFFF) * 0.0078125f;
}

float TSNMusic::GetLevelRight()
{
    SetCheckpoint(FILE_ID, __LINE__);
    if (!m_bLoaded || m_bPaused)
        return 0.0f;
    uint32_t level = au::ChannelGetLevel(m_hMusic);
    return level == 0xFFFFFFFFu ? 0.0f : static_cast<float>(level >> 16) * 0.0078125f;
}

// ---- TSNPreloadedMusic ------------------------------------------------------

TSNPreloadedMusic::TSNPreloadedMusic(const std::string& fileName, int32_t offset, int32_t size)
    : TSNMusic(fileName, offset, size)
{
    SetCheckpoint(FILE_ID, __LINE__);
    Load();
}

TSNPreloadedMusic::~TSNPreloadedMusic()
{
    SetCheckpoint(FILE_ID, __LINE__);
    if (m_bLoaded)
        StopForDestruction("Cannot stop music playback!");
}

void TSNPreloadedMusic::Play(bool loop)
{
    SetCheckpoint(FILE_ID, __LINE__);
    StartPlayback(loop);
    // Back to full volume after an earlier fade-out.
    SFX_CHECK(au::ChannelSlideAttributes(m_hMusic, 0, 100, -101, 100), "Cannot set music params!");
}

void TSNPreloadedMusic::Stop(int32_t fadeTimeMs)
{
    SetCheckpoint(FILE_ID, __LINE__);
    if (!m_bLoaded)
        return;
    if (fadeTimeMs <= 0) {
        SFX_CHECK(au::ChannelStop(m_hMusic), "Cannot stop music playback!");
        return;
    }
    SFX_CHECK(au::ChannelSlideAttributes(m_hMusic, -1, -2, -101, U32(fadeTimeMs)),
              "Cannot slide music attributes for smooth fading!");
}

uint32_t TSNPreloadedMusic::IsActive()
{
    SetCheckpoint(FILE_ID, __LINE__);
    if (!m_bLoaded)
        return 0;
    return au::ChannelIsActive(m_hMusic);
}
