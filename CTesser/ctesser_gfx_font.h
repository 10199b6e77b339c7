// Bitmap fonts: the font record and the walk over a text that decides
// where each glyph goes, shared by drawing and measuring.
#pragma once

#include <cmath>
#include <cstdint>

struct TSNFONT {
    int32_t textureID = -1;
    int32_t techniqueID = -1;
    float colors[10][4] = {};
    float cellSize = 0.0f;
    float widths[256] = {};
};

// Texture coordinates of the glyph cell of code c in the 16 x 16 grid.
struct FontCell {
    float left, top, right, bottom;
};
inline FontCell FontGlyphCell(unsigned c)
{
    const float u = float(c % 16) * 0.0625f;
    const float v = float(c - c % 16) * 0.00390625f;
    return {u, v, u + 0.0625f, v + 0.0625f};
}

// How a text is laid out. `extended` selects the rules of the extended
// drawing operation (scale, spacing, colour escapes).
struct FontLayout {
    float x = 0, y = 0;
    int32_t maxChars = 0;
    bool colorEscapes = false; // extended form with a colour index other than -1
    bool extended = false;
    float scale = 1.0f;
    float charSpacing = 0.0f;
    float lineSpacing = 0.0f;
};

// Walks `text` (read as unsigned bytes), calling sink.Glyph(code, x, y, size)
// for each drawn glyph and sink.Color(index) for each colour escape.
template <class Sink>
void FontWalk(const TSNFONT& f, const char* text, const FontLayout& l, Sink& sink)
{
    const auto* s = reinterpret_cast<const unsigned char*>(text);
    const float size = l.extended ? l.scale * f.cellSize : f.cellSize;
    float px = l.x, py = l.y;
    for (int32_t i = 0;; ++i) {
        if (l.maxChars != 0 && i == l.maxChars)
            break;
        const unsigned c = s[i];
        if (c == 0)
            break;
        if (l.colorEscapes && c == '%' && s[i + 1] >= '0' && s[i + 1] <= '9') {
            sink.Color(int(s[i + 1] - '0'));
            ++i;
            continue;
        }
        if (c >= 33) {
            sink.Glyph(c, px, py, size);
            px += l.extended ? std::floor(l.scale * f.widths[c] + l.charSpacing) : f.widths[c];
        } else if (c == 10) {
            px = l.x;
            py += l.extended ? std::floor(size * 1.1f + l.lineSpacing) : std::floor(f.cellSize * 1.1f);
        } else if (c == 32 || c == 9) {
            px += l.extended ? std::floor(l.scale * f.widths[c] + l.charSpacing) : std::floor(f.widths[c]);
        }
    }
}

// Width of the first line, escapes skipped whatever the colour settings.
inline float FontMeasure(const TSNFONT& f, const char* text, float scale, float spacing)
{
    const auto* s = reinterpret_cast<const unsigned char*>(text);
    float w = 0.0f;
    for (size_t i = 0; s[i] != 0 && s[i] != 10; ++i) {
        const unsigned c = s[i];
        if (c == '%' && s[i + 1] >= '0' && s[i + 1] <= '9') {
            ++i;
            continue;
        }
        if (c >= 33 || c == 32 || c == 9)
            w += std::floor(scale * f.widths[c] + spacing);
    }
    return w;
}
