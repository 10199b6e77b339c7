// sfxgen OUTDIR: writes the engine's own sounds and music into OUTDIR.
#include <cstdio>
#include <string>

#include "tools/sfxgen/sfxgen.h"

using namespace tsr::sfxgen;

int main(int argc, char** argv)
{
    if (argc != 2) {
        std::fprintf(stderr, "usage: sfxgen OUTDIR\n");
        return 2;
    }
    std::string dir = argv[1];
    bool ok = true;

    Tone move; // a short soft blip for a sliding piece
    move.frequency = 660.0;
    move.amplitude = 0.4;
    move.seconds = 0.12;
    move.fadeOutSeconds = 0.08;
    ok &= WriteTone(dir + "/move.wav", Container::Wav, move);

    Tone click;
    click.shape = Shape::Square;
    click.frequency = 1200.0;
    click.amplitude = 0.25;
    click.seconds = 0.03;
    click.fadeOutSeconds = 0.02;
    ok &= WriteTone(dir + "/click.wav", Container::Wav, click);

    Tone hum; // a longer sound for streaming
    hum.frequency = 220.0;
    hum.amplitude = 0.3;
    hum.seconds = 2.0;
    hum.channels = 2;
    ok &= WriteTone(dir + "/hum.ogg", Container::Ogg, hum);

    ok &= WriteModule(dir + "/tune.mod", 64);
    if (!ok) {
        std::fprintf(stderr, "sfxgen: cannot write into %s\n", dir.c_str());
        return 1;
    }
    return 0;
}
