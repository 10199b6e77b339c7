// fontgen: turns a TrueType font into a glyph texture (PNG) and its font
// description (XML).
//
//   fontgen <font.ttf> <cell size> <out.png> <out.xml> [fontID textureID techniqueID techPackID]
#include <cstdio>
#include <cstdlib>
#include <fstream>

#include "fontgen.h"

int main(int argc, char** argv)
{
    if (argc != 5 && argc != 9) {
        std::fprintf(stderr,
                     "usage: %s <font.ttf> <cell size> <out.png> <out.xml> [fontID textureID techniqueID techPackID]\n",
                     argv[0]);
        return 2;
    }
    fontgen::Options opt;
    opt.fontPath = argv[1];
    opt.cellSize = std::atoi(argv[2]);
    if (argc == 9) {
        opt.fontID = argv[5];
        opt.textureID = argv[6];
        opt.techniqueID = argv[7];
        opt.techPackID = argv[8];
    }
    fontgen::Result r;
    std::string err;
    if (!fontgen::Generate(opt, r, &err)) {
        std::fprintf(stderr, "fontgen: %s\n", err.c_str());
        return 1;
    }
    const std::string png = fontgen::EncodePNG(r.texture);
    std::ofstream(argv[3], std::ios::binary).write(png.data(), std::streamsize(png.size()));
    std::ofstream(argv[4], std::ios::binary) << r.description;
    return 0;
}
