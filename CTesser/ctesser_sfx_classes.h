// Loaded sounds, music and playlists of the sound subsystem, on our audio
// library. Every failing audio call throws CEHSException (type General) with
// the library's error code, except in destructors, which log and release.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "platform/audio/tsr_audio.h"

// One loaded sound: a sample (short, overlapping playbacks) or a stream
// (decoded while it plays), chosen once at creation.
class TSNSound {
public:
    TSNSound(bool isStream, int32_t playbackCount, bool noSteal, const std::string& fileName, int32_t offset,
             int32_t size);
    ~TSNSound();
    TSNSound(const TSNSound&) = delete;
    TSNSound& operator=(const TSNSound&) = delete;

    void Play(bool loop, int32_t frequency, int32_t volume, int32_t pan);
    void Stop();
    void Pause();
    void Resume();
    void SetAttributes(int32_t frequency, int32_t volume, int32_t pan);
    void SlideAttributes(int32_t frequency, int32_t volume, int32_t pan, int32_t timeMs);
    // 0 when nothing plays, non-zero while playing or paused.
    uint32_t GetStatus();

    bool IsStream() const { return m_bIsStream; }
    bool IsPaused() const { return m_bPaused; }

private:
    tsr::audio::Handle Handle() const { return m_bIsStream ? m_hStream : m_hSample; }

    tsr::audio::Handle m_hSample = 0;
    tsr::audio::Handle m_hStream = 0;
    bool m_bIsStream;
    int32_t m_iPlaybackCount;
    bool m_bNoSteal;
    std::string m_strFileName;
    int32_t m_iOffset;
    int32_t m_iSize;
    bool m_bPaused = false;
};

// A tracker music that is loaded only while it plays.
class TSNMusic {
public:
    TSNMusic(const std::string& fileName, int32_t offset, int32_t size);
    virtual ~TSNMusic();
    TSNMusic(const TSNMusic&) = delete;
    TSNMusic& operator=(const TSNMusic&) = delete;

    virtual void Play(bool loop);
    virtual void Stop(int32_t fadeTimeMs);
    virtual void Pause();
    virtual void Resume();
    virtual uint32_t IsActive();
    virtual void SlideVolume(int32_t volume, int32_t timeMs);
    virtual float GetLevelLeft();
    virtual float GetLevelRight();

    bool IsLoaded() const { return m_bLoaded; }

protected:
    void Load();
    void Release(); // frees the module; loaded and paused become false
    void StartPlayback(bool loop);
    // Stops at once (no fade) and reports failure as the destructors want it.
    void StopForDestruction(const char* what);

    tsr::audio::Handle m_hMusic = 0;
    std::string m_strFileName;
    int32_t m_iOffset;
    int32_t m_iSize;
    bool m_bPaused = false;
    bool m_bLoaded = false;
};

// A tracker music kept loaded from the resource load on.
class TSNPreloadedMusic : public TSNMusic {
public:
    TSNPreloadedMusic(const std::string& fileName, int32_t offset, int32_t size);
    ~TSNPreloadedMusic() override;

    void Play(bool loop) override;
    void Stop(int32_t fadeTimeMs) override;
    uint32_t IsActive() override;
};

// A playlist: music slots of its entries, in document order (repeats allowed).
class TSNPlaylist {
public:
    std::vector<int32_t> m_entries;
};
