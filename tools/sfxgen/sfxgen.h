// Our own sound generators: test fixtures and game sounds are made here,
// from code, never taken from elsewhere.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace tsr::sfxgen {

enum class Shape { Sine, Square };
enum class Container { Wav, Ogg, Aiff, Flac, Mp3 };

struct Tone {
    Shape shape = Shape::Sine;
    double frequency = 440.0; // Hz
    double amplitude = 0.5;   // 0..1
    double seconds = 0.25;
    int rate = 44100;
    int channels = 1;
    double fadeOutSeconds = 0.0; // linear fade at the end
};

// The tone's frames, interleaved.
std::vector<float> RenderTone(const Tone& tone);

// Writes float frames (interleaved, `channels` wide) as a sound file:
// 16-bit PCM for WAV, AIFF and FLAC, Vorbis for Ogg, MPEG layer III for MP3
// (when the installed encoder library has it). False on failure.
bool WriteSound(const std::string& path, Container container, const std::vector<float>& frames, int rate,
                int channels);
bool WriteTone(const std::string& path, Container container, const Tone& tone);

// A small four-channel tracker module (the classic 31-sample layout): one
// looped square-wave instrument playing `rows` rows of a short melody at
// speed 3 (60 ms a row), then the song ends.
std::vector<uint8_t> MakeModule(int rows = 16);
bool WriteModule(const std::string& path, int rows = 16);

// The module's length in seconds.
inline double ModuleSeconds(int rows = 16) { return rows * 0.06; }

// Writes bytes to a file (the whole file); false on failure.
bool WriteBytes(const std::string& path, const std::vector<uint8_t>& bytes);

} // namespace tsr::sfxgen
