#include "fontgen.h"

#include <ft2build.h>
#include FT_FREETYPE_H
#include <png.h>

#include <algorithm>
#include <cmath>
#include <cstring>
#include <sstream>

namespace fontgen {

const float kColors[10][3] = {
    {1.0f, 1.0f, 1.0f},  // 0 white
    {0.0f, 0.0f, 0.0f},  // 1 black
    {1.0f, 0.25f, 0.25f}, // 2 red
    {0.25f, 1.0f, 0.25f}, // 3 green
    {0.3f, 0.5f, 1.0f},  // 4 blue
    {1.0f, 1.0f, 0.25f}, // 5 yellow
    {0.25f, 1.0f, 1.0f}, // 6 cyan
    {1.0f, 0.4f, 1.0f},  // 7 magenta
    {1.0f, 0.6f, 0.1f},  // 8 orange
    {0.6f, 0.6f, 0.6f},  // 9 grey
};

uint32_t CodePoint(unsigned code)
{
    // 0x80-0x9F of Windows-1252; 0 where the code page has no character.
    static const uint16_t k1252[32] = {0x20AC, 0,      0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021,
                                       0x02C6, 0x2030, 0x0160, 0x2039, 0x0152, 0,      0x017D, 0,
                                       0,      0x2018, 0x2019, 0x201C, 0x201D, 0x2022, 0x2013, 0x2014,
                                       0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0,      0x017E, 0x0178};
    if (code >= 0x80 && code < 0xA0)
        return k1252[code - 0x80];
    return code;
}

namespace {
struct Library {
    FT_Library lib = nullptr;
    FT_Face face = nullptr;
    ~Library()
    {
        if (face)
            FT_Done_Face(face);
        if (lib)
            FT_Done_FreeType(lib);
    }
};

std::string Num(float v)
{
    std::ostringstream o;
    o << v;
    return o.str();
}
} // namespace

bool Generate(const Options& opt, Result& out, std::string* error)
{
    auto fail = [&](const char* text) {
        if (error)
            *error = text;
        return false;
    };
    if (opt.cellSize < 4 || opt.cellSize > 256)
        return fail("cell size must be 4 to 256");
    Library ft;
    if (FT_Init_FreeType(&ft.lib) != 0)
        return fail("cannot start FreeType");
    if (FT_New_Face(ft.lib, opt.fontPath.c_str(), 0, &ft.face) != 0)
        return fail("cannot read the font file");
    const int cell = opt.cellSize;
    const int px = opt.pixelSize > 0 ? opt.pixelSize : (cell * 3 + 2) / 4;
    if (FT_Set_Pixel_Sizes(ft.face, 0, FT_UInt(px)) != 0)
        return fail("cannot set the pixel size");
    // Baseline so that ascenders and descenders both fit in the cell.
    const int ascender = int(ft.face->size->metrics.ascender >> 6);
    const int descender = int(-(ft.face->size->metrics.descender >> 6));
    const int baseline = std::max(0, (cell - (ascender + descender)) / 2) + ascender;

    Result r;
    r.texture.width = r.texture.height = cell * 16;
    r.texture.rgba.assign(size_t(cell) * 16 * cell * 16 * 4, 0);
    for (size_t i = 0; i < r.texture.rgba.size(); i += 4)
        r.texture.rgba[i] = r.texture.rgba[i + 1] = r.texture.rgba[i + 2] = 255;

    float space = 0.0f;
    for (unsigned code = 32; code < 256; ++code) {
        const uint32_t cp = CodePoint(code);
        const FT_UInt glyph = cp ? FT_Get_Char_Index(ft.face, cp) : 0;
        if (code != 32 && glyph == 0)
            continue; // no character: empty cell, zero advance
        if (FT_Load_Glyph(ft.face, glyph, FT_LOAD_RENDER | FT_LOAD_TARGET_NORMAL) != 0)
            continue;
        const FT_GlyphSlot g = ft.face->glyph;
        // Advances in whole pixels, as the hinted outline gives them, so that
        // text drawn 1:1 lands on the pixel grid.
        r.widths[code] = float(g->advance.x >> 6);
        if (code == 32)
            space = r.widths[code];
        const FT_Bitmap& bm = g->bitmap;
        const int ox = (code % 16) * cell + g->bitmap_left;
        const int oy = int(code / 16) * cell + baseline - g->bitmap_top;
        for (unsigned y = 0; y < bm.rows; ++y)
            for (unsigned x = 0; x < bm.width; ++x) {
                const int tx = ox + int(x), ty = oy + int(y);
                // Clip to the glyph's own cell.
                if (tx < int(code % 16) * cell || tx >= int(code % 16 + 1) * cell || ty < int(code / 16) * cell ||
                    ty >= int(code / 16 + 1) * cell)
                    continue;
                const uint8_t a = bm.buffer[size_t(y) * size_t(std::abs(bm.pitch)) + x];
                uint8_t* p = r.texture.Pixel(tx, ty);
                p[3] = std::max(p[3], a);
            }
    }
    r.widths[9] = space * 4;

    std::ostringstream d;
    d << "<fontdesc id=\"" << opt.fontID << "\" textureid=\"" << opt.textureID << "\" techniqueid=\""
      << opt.techniqueID << "\" techpackid=\"" << opt.techPackID << "\" cellsize=\"" << cell << "\" tag=\""
      << opt.tag << "\"\n";
    for (int n = 0; n < 10; ++n)
        d << "    color" << n << "r=\"" << Num(kColors[n][0]) << "\" color" << n << "g=\"" << Num(kColors[n][1])
          << "\" color" << n << "b=\"" << Num(kColors[n][2]) << "\"\n";
    for (int n = 0; n < 256; ++n)
        d << (n % 8 == 0 ? "    " : " ") << "cs" << n << "=\"" << Num(r.widths[n]) << "\"" << (n % 8 == 7 ? "\n" : "");
    d << "/>\n";
    r.description = d.str();
    out = std::move(r);
    return true;
}

std::string EncodePNG(const tsr::image::Image& img)
{
    png_image pi;
    std::memset(&pi, 0, sizeof pi);
    pi.version = PNG_IMAGE_VERSION;
    pi.width = uint32_t(img.width);
    pi.height = uint32_t(img.height);
    pi.format = PNG_FORMAT_RGBA;
    png_alloc_size_t size = 0;
    if (!png_image_write_to_memory(&pi, nullptr, &size, 0, img.rgba.data(), 0, nullptr))
        return {};
    std::string out(size, '\0');
    if (!png_image_write_to_memory(&pi, out.data(), &size, 0, img.rgba.data(), 0, nullptr))
        return {};
    out.resize(size);
    return out;
}

} // namespace fontgen
