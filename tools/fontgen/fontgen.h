// Bitmap font generator: renders the 256 character codes of a TrueType
// font into a 16 x 16 grid of square cells (white glyphs, coverage in
// alpha) and writes the matching font description, with advances taken
// from the font's own glyph metrics.
#pragma once

#include <cstdint>
#include <string>

#include "platform/image/tsr_image.h"

namespace fontgen {

struct Options {
    std::string fontPath;     // a .ttf file
    int cellSize = 16;        // pixels per cell edge; the texture is 16 x cellSize square
    int pixelSize = 0;        // nominal font size; 0: about 3/4 of the cell
    std::string fontID = "FNT_SANS16";
    std::string textureID = "TEX_FONT_SANS16";
    std::string techniqueID = "TEQ_FONT";
    std::string techPackID = "TEQ_FONTPACK";
    int tag = 0;
};

struct Result {
    tsr::image::Image texture; // RGBA, (16 * cellSize) square
    float widths[256] = {};    // advance of each code in pixels
    std::string description;   // the "fontdesc" XML text
};

// Unicode code point shown for an 8-bit character code (Windows-1252).
uint32_t CodePoint(unsigned code);

// Renders the font; false with a reason in *error when the font cannot be read.
bool Generate(const Options& options, Result& out, std::string* error);

// PNG bytes of an RGBA image.
std::string EncodePNG(const tsr::image::Image& img);

// The ten text colours written into every description (r, g, b 0..1).
extern const float kColors[10][3];

} // namespace fontgen
