// Windows bitmaps: core (12-byte) and info (40-byte and longer) headers;
// 1, 4 and 8 bits with a palette (uncompressed, RLE8, RLE4), 16, 24 and 32
// bits (plain or with bit-field masks). Every read is checked against the
// size of the file.
#include "platform/image/tsr_image.h"

#include <bit>
#include <cstring>

namespace tsr::image {

namespace {

struct Reader {
    const uint8_t* p;
    size_t size;
    bool Has(size_t off, size_t n) const { return off <= size && n <= size - off; }
    uint16_t U16(size_t off) const { return uint16_t(p[off] | p[off + 1] << 8); }
    uint32_t U32(size_t off) const
    {
        return uint32_t(p[off]) | uint32_t(p[off + 1]) << 8 | uint32_t(p[off + 2]) << 16 | uint32_t(p[off + 3]) << 24;
    }
};

// One channel described by a bit mask, scaled to 8 bits.
struct Channel {
    uint32_t mask = 0;
    int shift = 0;
    int bits = 0;
    void Set(uint32_t m)
    {
        mask = m;
        shift = m ? std::countr_zero(m) : 0;
        bits = m ? std::popcount(m) : 0;
    }
    uint8_t Get(uint32_t v, uint8_t absent) const
    {
        if (!bits)
            return absent;
        const uint32_t c = (v & mask) >> shift;
        const uint32_t maxv = bits >= 32 ? 0xFFFFFFFFu : ((1u << bits) - 1);
        return uint8_t((uint64_t(c) * 255 + maxv / 2) / maxv);
    }
};

bool Fail(std::string* error, const char* text, Image& out)
{
    if (error)
        *error = text;
    out = Image{};
    return false;
}

// RLE8 / RLE4 streams; rows are written bottom-up into `index` (one byte
// per pixel), pixels not reached stay at palette index 0.
bool DecodeRLE(const Reader& r, size_t off, size_t end, int w, int h, bool four, std::vector<uint8_t>& index)
{
    int x = 0, y = 0; // y counts from the bottom row
    auto put = [&](uint8_t v) {
        if (x < w && y < h)
            index[size_t(h - 1 - y) * w + x] = v;
        ++x;
    };
    while (off + 2 <= end) {
        const uint8_t a = r.p[off], b = r.p[off + 1];
        off += 2;
        if (a > 0) {
            for (int i = 0; i < a; ++i)
                put(four ? uint8_t((i & 1) ? (b & 15) : (b >> 4)) : b);
        } else if (b == 0) {
            x = 0;
            ++y;
        } else if (b == 1) {
            return true;
        } else if (b == 2) {
            if (off + 2 > end)
                return false;
            x += r.p[off];
            y += r.p[off + 1];
            off += 2;
        } else {
            const size_t bytes = four ? (size_t(b) + 1) / 2 : b;
            if (bytes > end - off)
                return false;
            for (int i = 0; i < b; ++i) {
                const uint8_t v = r.p[off + (four ? size_t(i) / 2 : size_t(i))];
                put(four ? uint8_t((i & 1) ? (v & 15) : (v >> 4)) : v);
            }
            off += (bytes + 1) & ~size_t(1); // runs are padded to 16 bits
        }
        if (y > h)
            return true;
    }
    return true; // a stream without end-of-bitmap keeps what it drew
}

} // namespace

bool DecodeBMP(const void* data, size_t size, Image& out, std::string* error)
{
    out = Image{};
    const Reader r{static_cast<const uint8_t*>(data), data ? size : 0};
    if (!r.Has(0, 18) || r.p[0] != 'B' || r.p[1] != 'M')
        return Fail(error, "not a BMP file", out);
    const uint32_t pixelOffset = r.U32(10);
    const uint32_t hdr = r.U32(14);
    if (hdr < 12 || !r.Has(14, hdr))
        return Fail(error, "truncated BMP header", out);

    int64_t w, h;
    int bpp;
    uint32_t compression = 0, colorsUsed = 0;
    size_t palEntry;
    if (hdr == 12) {
        w = r.U16(18);
        h = int16_t(r.U16(20));
        bpp = r.U16(24);
        palEntry = 3;
    } else {
        if (hdr < 40)
            return Fail(error, "unknown BMP header", out);
        w = int32_t(r.U32(18));
        h = int32_t(r.U32(22));
        bpp = r.U16(28);
        compression = r.U32(30);
        colorsUsed = r.U32(46);
        palEntry = 4;
    }
    const bool topDown = h < 0;
    if (topDown)
        h = -h;
    if (w <= 0 || h <= 0 || w > kMaxEdge || h > kMaxEdge || w * h > kMaxPixels)
        return Fail(error, "BMP size out of range", out);

    // Bit-field masks: in the header (V2 and later) or right after a 40-byte one.
    Channel ch[4];
    bool masks = false;
    if (compression == 3 || compression == 6) {
        if (bpp != 16 && bpp != 32)
            return Fail(error, "bad BMP bit fields", out);
        const size_t at = 14 + 40;
        const size_t n = compression == 6 ? 4 : 3;
        if (hdr >= 52 + (n == 4 ? 4 : 0)) {
            for (size_t i = 0; i < n; ++i)
                ch[i].Set(r.U32(at + 4 * i));
            if (n == 3 && hdr >= 56)
                ch[3].Set(r.U32(at + 12));
        } else {
            if (!r.Has(at, 4 * n))
                return Fail(error, "truncated BMP bit fields", out);
            for (size_t i = 0; i < n; ++i)
                ch[i].Set(r.U32(at + 4 * i));
        }
        masks = true;
    } else if (compression != 0 && !(compression == 1 && bpp == 8) && !(compression == 2 && bpp == 4)) {
        return Fail(error, "unsupported BMP compression", out);
    }
    if (!masks) {
        if (bpp == 16) {
            ch[0].Set(0x7C00);
            ch[1].Set(0x03E0);
            ch[2].Set(0x001F);
        } else if (bpp == 32 || bpp == 24) {
            ch[0].Set(0xFF0000);
            ch[1].Set(0x00FF00);
            ch[2].Set(0x0000FF);
        }
    }

    std::vector<uint8_t> palette; // RGBA
    if (bpp <= 8) {
        if (bpp != 1 && bpp != 4 && bpp != 8)
            return Fail(error, "bad BMP bit depth", out);
        size_t n = colorsUsed ? colorsUsed : (size_t(1) << bpp);
        if (n > 256)
            return Fail(error, "bad BMP palette", out);
        const size_t at = 14 + hdr;
        // Palettes shorter than announced are common; take what fits before the pixels.
        if (pixelOffset > at && (pixelOffset - at) / palEntry < n)
            n = (pixelOffset - at) / palEntry;
        if (!r.Has(at, n * palEntry))
            return Fail(error, "truncated BMP palette", out);
        palette.assign(256 * 4, 0);
        for (size_t i = 0; i < 256; ++i)
            palette[i * 4 + 3] = 255;
        for (size_t i = 0; i < n; ++i) {
            palette[i * 4 + 0] = r.p[at + i * palEntry + 2];
            palette[i * 4 + 1] = r.p[at + i * palEntry + 1];
            palette[i * 4 + 2] = r.p[at + i * palEntry + 0];
        }
    } else if (bpp != 16 && bpp != 24 && bpp != 32) {
        return Fail(error, "bad BMP bit depth", out);
    }

    if (pixelOffset >= size)
        return Fail(error, "truncated BMP pixels", out);
    const size_t stride = ((size_t(w) * bpp + 31) / 32) * 4;
    // The last row need not carry its padding.
    const size_t lastRow = (size_t(w) * bpp + 7) / 8;
    const bool rle = compression == 1 || compression == 2;
    // Plain rows must all be there, checked before allocating. (Run-length
    // data may skip any part of the picture, so its length says nothing.)
    if (!rle && !r.Has(pixelOffset, stride * size_t(h - 1) + lastRow))
        return Fail(error, "truncated BMP pixels", out);
    Image img;
    img.width = int(w);
    img.height = int(h);
    img.rgba.resize(size_t(w) * h * 4);

    if (rle) {
        std::vector<uint8_t> index(size_t(w) * h, 0);
        if (!DecodeRLE(r, pixelOffset, size, int(w), int(h), compression == 2, index))
            return Fail(error, "corrupt BMP run-length data", out);
        for (size_t i = 0; i < index.size(); ++i)
            std::memcpy(&img.rgba[i * 4], &palette[index[i] * 4], 4);
        out = std::move(img);
        return true;
    }

    const bool alphaMask = ch[3].bits > 0;
    for (int64_t row = 0; row < h; ++row) {
        const uint8_t* s = r.p + pixelOffset + stride * size_t(row);
        const int y = int(topDown ? row : h - 1 - row);
        uint8_t* d = img.Pixel(0, y);
        for (int x = 0; x < w; ++x, d += 4) {
            if (bpp <= 8) {
                const int perByte = 8 / bpp;
                const uint8_t byte = s[x / perByte];
                const int shift = 8 - bpp * (x % perByte + 1);
                const unsigned idx = (byte >> shift) & ((1u << bpp) - 1);
                std::memcpy(d, &palette[idx * 4], 4);
            } else {
                uint32_t v;
                if (bpp == 16)
                    v = uint32_t(s[x * 2]) | uint32_t(s[x * 2 + 1]) << 8;
                else if (bpp == 24)
                    v = uint32_t(s[x * 3]) | uint32_t(s[x * 3 + 1]) << 8 | uint32_t(s[x * 3 + 2]) << 16;
                else
                    v = uint32_t(s[x * 4]) | uint32_t(s[x * 4 + 1]) << 8 | uint32_t(s[x * 4 + 2]) << 16 |
                        uint32_t(s[x * 4 + 3]) << 24;
                d[0] = ch[0].Get(v, 0);
                d[1] = ch[1].Get(v, 0);
                d[2] = ch[2].Get(v, 0);
                d[3] = alphaMask ? ch[3].Get(v, 255) : 255;
            }
        }
    }
    out = std::move(img);
    return true;
}

} // namespace tsr::image
