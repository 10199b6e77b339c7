// Image files made by the tests themselves: small writers for PNG and JPEG
// (through libpng and libjpeg) and for BMP and TGA (by hand), plus
// patterned pixel buffers to put in them. Header-only so that the
// benchmarks can use it too.
#pragma once

#include <png.h>
#include <cstdio>
#include <jpeglib.h>

#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <vector>

#include "platform/image/tsr_image.h"

namespace textest {

using tsr::image::Image;

// A picture whose every texel differs from its neighbours, so that an
// off-by-one anywhere shows: a hash of the coordinates.
inline Image Pattern(int w, int h, bool alpha)
{
    Image img;
    img.width = w;
    img.height = h;
    img.rgba.resize(size_t(w) * h * 4);
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x) {
            uint32_t v = uint32_t(x) * 2654435761u ^ uint32_t(y) * 40503u * 97u;
            v ^= v >> 13;
            uint8_t* p = img.Pixel(x, y);
            p[0] = uint8_t(v);
            p[1] = uint8_t(v >> 8);
            p[2] = uint8_t(x * 255 / (w > 1 ? w - 1 : 1));
            p[3] = alpha ? uint8_t(v >> 16) : 255;
        }
    return img;
}

// Flat 8x8 blocks of colour: survives JPEG at full quality almost exactly.
inline Image Blocks(int w, int h)
{
    Image img;
    img.width = w;
    img.height = h;
    img.rgba.resize(size_t(w) * h * 4);
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x) {
            uint8_t* p = img.Pixel(x, y);
            const int bx = x / 8, by = y / 8;
            p[0] = uint8_t(bx * 40 + 20);
            p[1] = uint8_t(by * 40 + 20);
            p[2] = uint8_t((bx + by) * 25);
            p[3] = 255;
        }
    return img;
}

inline std::vector<uint8_t> EncodePNG(const Image& img, bool alpha = true)
{
    png_image pi;
    std::memset(&pi, 0, sizeof pi);
    pi.version = PNG_IMAGE_VERSION;
    pi.width = uint32_t(img.width);
    pi.height = uint32_t(img.height);
    pi.format = PNG_FORMAT_RGBA;
    std::vector<uint8_t> src = img.rgba;
    if (!alpha) {
        // Store as RGB: drop alpha.
        pi.format = PNG_FORMAT_RGB;
        std::vector<uint8_t> rgb;
        rgb.reserve(src.size() / 4 * 3);
        for (size_t i = 0; i < src.size(); i += 4)
            rgb.insert(rgb.end(), {src[i], src[i + 1], src[i + 2]});
        src = std::move(rgb);
    }
    png_alloc_size_t size = 0;
    png_image_write_to_memory(&pi, nullptr, &size, 0, src.data(), 0, nullptr);
    std::vector<uint8_t> out(size);
    png_image_write_to_memory(&pi, out.data(), &size, 0, src.data(), 0, nullptr);
    out.resize(size);
    return out;
}

inline std::vector<uint8_t> EncodeJPEG(const Image& img, int quality = 100, bool grey = false)
{
    jpeg_compress_struct c;
    jpeg_error_mgr err;
    c.err = jpeg_std_error(&err);
    jpeg_create_compress(&c);
    unsigned char* mem = nullptr;
    unsigned long memSize = 0;
    jpeg_mem_dest(&c, &mem, &memSize);
    c.image_width = JDIMENSION(img.width);
    c.image_height = JDIMENSION(img.height);
    c.input_components = grey ? 1 : 3;
    c.in_color_space = grey ? JCS_GRAYSCALE : JCS_RGB;
    jpeg_set_defaults(&c);
    jpeg_set_quality(&c, quality, TRUE);
    for (int i = 0; i < c.num_components; ++i)
        c.comp_info[i].h_samp_factor = c.comp_info[i].v_samp_factor = 1;
    jpeg_start_compress(&c, TRUE);
    std::vector<uint8_t> row(size_t(img.width) * 3);
    while (c.next_scanline < c.image_height) {
        const int y = int(c.next_scanline);
        for (int x = 0; x < img.width; ++x) {
            const uint8_t* p = img.Pixel(x, y);
            if (grey)
                row[x] = p[0];
            else
                std::memcpy(&row[size_t(x) * 3], p, 3);
        }
        JSAMPROW r = row.data();
        jpeg_write_scanlines(&c, &r, 1);
    }
    jpeg_finish_compress(&c);
    std::vector<uint8_t> out(mem, mem + memSize);
    jpeg_destroy_compress(&c);
    std::free(mem);
    return out;
}

inline void Put16(std::vector<uint8_t>& v, unsigned x) { v.insert(v.end(), {uint8_t(x), uint8_t(x >> 8)}); }
inline void Put32(std::vector<uint8_t>& v, uint32_t x)
{
    v.insert(v.end(), {uint8_t(x), uint8_t(x >> 8), uint8_t(x >> 16), uint8_t(x >> 24)});
}

// Uncompressed bitmap of 24 or 32 bits, bottom-up unless topDown.
inline std::vector<uint8_t> EncodeBMP(const Image& img, int bpp = 24, bool topDown = false)
{
    const size_t stride = ((size_t(img.width) * bpp + 31) / 32) * 4;
    std::vector<uint8_t> v;
    v.push_back('B');
    v.push_back('M');
    Put32(v, uint32_t(54 + stride * img.height));
    Put32(v, 0);
    Put32(v, 54);
    Put32(v, 40);
    Put32(v, uint32_t(img.width));
    Put32(v, uint32_t(topDown ? -img.height : img.height));
    Put16(v, 1);
    Put16(v, unsigned(bpp));
    Put32(v, 0);
    Put32(v, uint32_t(stride * img.height));
    Put32(v, 2835);
    Put32(v, 2835);
    Put32(v, 0);
    Put32(v, 0);
    for (int r = 0; r < img.height; ++r) {
        const int y = topDown ? r : img.height - 1 - r;
        const size_t start = v.size();
        for (int x = 0; x < img.width; ++x) {
            const uint8_t* p = img.Pixel(x, y);
            v.insert(v.end(), {p[2], p[1], p[0]});
            if (bpp == 32)
                v.push_back(p[3]);
        }
        v.resize(start + stride, 0);
    }
    return v;
}

// True-colour TGA, 24 or 32 bits, optionally run-length encoded; bottom-up
// unless topDown.
inline std::vector<uint8_t> EncodeTGA(const Image& img, int bpp = 32, bool rle = false, bool topDown = false)
{
    std::vector<uint8_t> v(18, 0);
    v[2] = rle ? 10 : 2;
    v[12] = uint8_t(img.width);
    v[13] = uint8_t(img.width >> 8);
    v[14] = uint8_t(img.height);
    v[15] = uint8_t(img.height >> 8);
    v[16] = uint8_t(bpp);
    v[17] = uint8_t((bpp == 32 ? 8 : 0) | (topDown ? 0x20 : 0));
    const size_t bytes = size_t(bpp) / 8;
    std::vector<uint8_t> px;
    for (int r = 0; r < img.height; ++r) {
        const int y = topDown ? r : img.height - 1 - r;
        for (int x = 0; x < img.width; ++x) {
            const uint8_t* p = img.Pixel(x, y);
            px.insert(px.end(), {p[2], p[1], p[0]});
            if (bpp == 32)
                px.push_back(p[3]);
        }
    }
    if (!rle) {
        v.insert(v.end(), px.begin(), px.end());
        return v;
    }
    // Runs of equal texels, raw packets otherwise (at most 128 each).
    const size_t n = px.size() / bytes;
    size_t i = 0;
    while (i < n) {
        size_t run = 1;
        while (i + run < n && run < 128 && std::memcmp(&px[i * bytes], &px[(i + run) * bytes], bytes) == 0)
            ++run;
        if (run > 1) {
            v.push_back(uint8_t(0x80 | (run - 1)));
            v.insert(v.end(), px.begin() + long(i * bytes), px.begin() + long((i + 1) * bytes));
            i += run;
        } else {
            size_t raw = 1;
            while (i + raw < n && raw < 128 &&
                   !(i + raw + 1 < n && std::memcmp(&px[(i + raw) * bytes], &px[(i + raw + 1) * bytes], bytes) == 0))
                ++raw;
            v.push_back(uint8_t(raw - 1));
            v.insert(v.end(), px.begin() + long(i * bytes), px.begin() + long((i + raw) * bytes));
            i += raw;
        }
    }
    return v;
}

} // namespace textest
