// Truevision TGA: colour-mapped (1, 9), true-colour (2, 10) and grey
// (3, 11), plain or run-length encoded, 8/15/16/24/32 bits, any origin.
// TGA has no signature, so the header is checked closely before use.
#include "platform/image/tsr_image.h"

#include <cstring>

namespace tsr::image {

namespace {

bool Fail(std::string* error, const char* text, Image& out)
{
    if (error)
        *error = text;
    out = Image{};
    return false;
}

// One texel of `bits` bits at s into RGBA.
void Texel(const uint8_t* s, int bits, bool grey, bool alphaBit, uint8_t* d)
{
    if (grey) {
        d[0] = d[1] = d[2] = s[0];
        d[3] = bits == 16 ? s[1] : 255;
        return;
    }
    switch (bits) {
    case 15:
    case 16: {
        const unsigned v = s[0] | s[1] << 8;
        const unsigned r = (v >> 10) & 31, g = (v >> 5) & 31, b = v & 31;
        d[0] = uint8_t(r << 3 | r >> 2);
        d[1] = uint8_t(g << 3 | g >> 2);
        d[2] = uint8_t(b << 3 | b >> 2);
        // The top bit is alpha only when the header announces one attribute
        // bit; most writers leave it 0 while meaning "opaque".
        d[3] = alphaBit ? ((v & 0x8000) ? 255 : 0) : 255;
        break;
    }
    case 24:
        d[0] = s[2];
        d[1] = s[1];
        d[2] = s[0];
        d[3] = 255;
        break;
    default: // 32
        d[0] = s[2];
        d[1] = s[1];
        d[2] = s[0];
        d[3] = s[3];
        break;
    }
}

} // namespace

bool LooksLikeTGA(const uint8_t* p, size_t size)
{
    if (size < 18)
        return false;
    const uint8_t mapType = p[1], type = p[2];
    const unsigned w = p[12] | p[13] << 8, h = p[14] | p[15] << 8;
    const uint8_t bpp = p[16];
    if (mapType > 1 || w == 0 || h == 0)
        return false;
    const uint8_t base = type & 7;
    if ((type & ~8u) == 0 || base > 3 || (type & ~11u) != 0)
        return false;
    if (base == 1)
        return mapType == 1 && (bpp == 8 || bpp == 16);
    if (base == 2)
        return bpp == 15 || bpp == 16 || bpp == 24 || bpp == 32;
    return bpp == 8 || bpp == 16;
}

bool DecodeTGA(const void* data, size_t size, Image& out, std::string* error)
{
    out = Image{};
    const auto* p = static_cast<const uint8_t*>(data);
    if (!data || !LooksLikeTGA(p, size))
        return Fail(error, "not a TGA file", out);
    const uint8_t idLen = p[0], mapType = p[1], type = p[2];
    const unsigned mapFirst = p[3] | p[4] << 8, mapLen = p[5] | p[6] << 8;
    const uint8_t mapBits = p[7];
    const int w = p[12] | p[13] << 8, h = p[14] | p[15] << 8;
    const int bpp = p[16];
    const uint8_t desc = p[17];
    const bool rle = type & 8;
    const int base = type & 7;
    if (int64_t(w) * h > kMaxPixels)
        return Fail(error, "TGA size out of range", out);

    size_t off = 18 + size_t(idLen);
    std::vector<uint8_t> palette;
    if (mapType == 1) {
        if (mapBits != 15 && mapBits != 16 && mapBits != 24 && mapBits != 32)
            return Fail(error, "bad TGA colour map", out);
        const size_t entry = (mapBits + 7) / 8;
        if (off > size || size - off < entry * mapLen)
            return Fail(error, "truncated TGA colour map", out);
        if (base == 1) {
            palette.assign(size_t(mapFirst + mapLen) * 4, 0);
            for (unsigned i = 0; i < mapLen; ++i)
                Texel(p + off + i * entry, mapBits, false, mapBits == 16 && (p[17] & 15) == 1, &palette[(mapFirst + i) * 4]);
        }
        off += entry * mapLen;
    }

    const bool grey = base == 3;
    const size_t bytes = (size_t(bpp) + 7) / 8;
    const size_t count = size_t(w) * h;
    // Checked before allocating: a packet of 1 + bytes gives at most 128 texels.
    const size_t left = off <= size ? size - off : 0;
    if ((!rle && left / bytes < count) || (rle && uint64_t(left) * 128 / (1 + bytes) + 128 < count))
        return Fail(error, "truncated TGA pixels", out);
    // Texels in file order, RGBA.
    std::vector<uint8_t> texels(count * 4);
    auto store = [&](const uint8_t* s, size_t i) -> bool {
        uint8_t* d = &texels[i * 4];
        if (base == 1) {
            const unsigned idx = bpp == 8 ? s[0] : unsigned(s[0] | s[1] << 8);
            if (size_t(idx) * 4 + 4 > palette.size())
                return false;
            std::memcpy(d, &palette[idx * 4], 4);
        } else {
            Texel(s, bpp, grey, bpp == 16 && (desc & 15) == 1, d);
        }
        return true;
    };
    if (!rle) {
        if (off > size || (size - off) / bytes < count)
            return Fail(error, "truncated TGA pixels", out);
        for (size_t i = 0; i < count; ++i)
            if (!store(p + off + i * bytes, i))
                return Fail(error, "TGA colour index out of range", out);
    } else {
        size_t i = 0;
        while (i < count) {
            if (off >= size)
                return Fail(error, "truncated TGA pixels", out);
            const uint8_t head = p[off++];
            const size_t n = (head & 127) + size_t(1);
            if (n > count - i)
                return Fail(error, "corrupt TGA run", out);
            if (head & 128) {
                if (size - off < bytes)
                    return Fail(error, "truncated TGA pixels", out);
                for (size_t k = 0; k < n; ++k)
                    if (!store(p + off, i + k))
                        return Fail(error, "TGA colour index out of range", out);
                off += bytes;
            } else {
                if ((size - off) / bytes < n)
                    return Fail(error, "truncated TGA pixels", out);
                for (size_t k = 0; k < n; ++k)
                    if (!store(p + off + k * bytes, i + k))
                        return Fail(error, "TGA colour index out of range", out);
                off += n * bytes;
            }
            i += n;
        }
    }

    const bool rightToLeft = desc & 0x10, topDown = desc & 0x20;
    Image img;
    img.width = w;
    img.height = h;
    img.rgba.resize(count * 4);
    for (int y = 0; y < h; ++y) {
        const int sy = topDown ? y : h - 1 - y;
        for (int x = 0; x < w; ++x) {
            const int sx = rightToLeft ? w - 1 - x : x;
            std::memcpy(img.Pixel(x, y), &texels[(size_t(sy) * w + sx) * 4], 4);
        }
    }
    out = std::move(img);
    return true;
}

} // namespace tsr::image
