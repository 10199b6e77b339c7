// Our audio library: one output device, in-memory samples, streams decoded
// while they play, tracker music, and channels with frequency, volume and pan
// that can slide over time. The mixer runs on the output's own thread; every
// call below is made from the engine thread and only takes a short lock.
//
// Conventions (shared by every call):
//   volume 0..100, pan -100 (left)..100 (right), frequency in Hz;
//   -1 for frequency or volume and -101 for pan leave the value unchanged;
//   frequency 0 means the channel's own (original) rate;
//   in a slide, volume -2 fades to silence and then stops the channel.
// A failed call returns 0 (or false, or -1 where stated) and records an error
// code readable with ErrorGetCode; a successful call sets it to OK.
//
// No header of the libraries underneath is included here.
#pragma once

#include <cstddef>
#include <cstdint>

namespace tsr::audio {

using Handle = uint32_t;

enum ErrorCode : int32_t {
    OK = 0,
    ERR_MEM = 1,         // out of memory
    ERR_FILEOPEN = 2,    // the file could not be opened or read
    ERR_DRIVER = 3,      // no output device could be opened
    ERR_HANDLE = 5,      // not a valid handle (or the wrong kind of handle)
    ERR_FORMAT = 6,      // unsupported output format
    ERR_POSITION = 7,    // the byte range lies outside the file
    ERR_INIT = 8,        // the library is not initialised
    ERR_START = 9,       // output could not be started
    ERR_ALREADY = 14,    // already initialised
    ERR_NOCHAN = 18,     // no free playback of a sample (and no take-over)
    ERR_ILLPARAM = 20,   // an argument is out of range
    ERR_DEVICE = 23,     // no such device
    ERR_NOPLAY = 24,     // the channel is not playing
    ERR_FILEFORM = 41,   // the data is in no format we can decode
    ERR_UNKNOWN = -1,
};

// Devices for Init.
constexpr int DEVICE_DEFAULT = -1;
constexpr int DEVICE_SILENT = -2; // nothing is heard; every call still works

// Init flags: accepted for compatibility of callers; the output is always
// stereo at the requested rate.
constexpr uint32_t INIT_DEFAULT_FLAGS = 0x20;

// SampleLoad flag: when every playback of a sample is busy, a new playback
// takes over the one that started longest ago.
constexpr uint32_t SAMPLE_TAKE_OVER_OLDEST = 0x20000;
// StreamCreateFile flag (accepted; streams are always decoded while playing).
constexpr uint32_t STREAM_DECODE_ON_PLAY = 0x20000;
// StreamPlay / MusicPlayEx flag: loop at the end.
constexpr uint32_t PLAY_LOOP = 4;

// ChannelIsActive results.
constexpr uint32_t ACTIVE_STOPPED = 0;
constexpr uint32_t ACTIVE_PLAYING = 1;
constexpr uint32_t ACTIVE_PAUSED = 3;

// Device. window is not used (the output is not tied to a window).
bool Init(int device, uint32_t frequency, uint32_t flags, void* window);
// An offline output: nothing is opened; the mix is produced by Render.
bool InitOffline(uint32_t frequency);
// While on, Init on the default device opens the offline output instead of a
// device, so that a whole program can be driven and heard through Render.
void SetOfflineDefault(bool on);
bool Start();
bool Pause();
bool Stop();
bool Free();
bool IsInitialised();

// Mixes the next `frames` stereo frames (interleaved floats) into out. Only in
// the offline mode (returns false otherwise); while the output is stopped or
// paused it writes silence and nothing advances.
bool Render(float* out, size_t frames);

// Global volumes 0..100 of music, samples and streams (-1 keeps one).
bool SetGlobalVolumes(int music, int sample, int stream);
// The mixer's share of real time, in percent.
float GetCPU();
int32_t ErrorGetCode();

struct OutputInfo {
    uint32_t frequency = 0;    // frames per second
    uint32_t bufferFrames = 0; // frames per device buffer (0 offline/silent)
    float latencyMs = 0.0f;    // one device buffer, in milliseconds
};
OutputInfo GetOutputInfo();

// Samples: decoded once into memory. length 0 reads to the end of the file.
// maxPlaybacks is at least 1.
Handle SampleLoad(bool fromMemory, const char* file, uint32_t offset, uint32_t length, uint32_t maxPlaybacks,
                  uint32_t flags);
// Starts one further playback; returns its channel handle.
Handle SamplePlayEx(Handle sample, uint32_t start, int frequency, int volume, int pan, bool loop);
bool SampleStop(Handle sample);
bool SampleFree(Handle sample);

// Streams: decoded from the byte range while they play.
Handle StreamCreateFile(bool fromMemory, const char* file, uint32_t offset, uint32_t length, uint32_t flags);
// Plays from the start when flush is true (else continues where it stopped).
bool StreamPlay(Handle stream, bool flush, uint32_t flags);
bool StreamFree(Handle stream);

// Tracker music (MOD, S3M, XM, IT and the other formats the renderer knows).
Handle MusicLoad(bool fromMemory, const char* file, uint32_t offset, uint32_t length, uint32_t flags);
// position is the order to start at; reset restarts from a clean state.
bool MusicPlayEx(Handle music, uint32_t position, int flags, bool reset);
bool MusicFree(Handle music);

// Channels: a stream, a music, a sample playback, or a sample (then the call
// applies to all of its playbacks, and attributes become its defaults too).
bool ChannelStop(Handle handle);
bool ChannelPause(Handle handle);
bool ChannelResume(Handle handle);
bool ChannelSetAttributes(Handle handle, int frequency, int volume, int pan);
bool ChannelSlideAttributes(Handle handle, int frequency, int volume, int pan, uint32_t timeMs);
uint32_t ChannelIsActive(Handle handle);
// Peak levels of the last mixed block, 0..32768: left in the low 16 bits,
// right in the high 16 bits; 0xFFFFFFFF when not playing or not a channel.
uint32_t ChannelGetLevel(Handle handle);

} // namespace tsr::audio
