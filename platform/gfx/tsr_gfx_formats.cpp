// Pixel format conversions of the textures and surfaces this layer holds.
#include "platform/gfx/tsr_gfx.h"

namespace tsr::gfx {
namespace {

// Expands an n-bit channel to 8 bits the way hardware does (bit replication).
uint32_t Expand(uint32_t v, int bits)
{
    switch (bits) {
    case 0:
        return 255;
    case 1:
        return v ? 255 : 0;
    case 2:
        return v * 85;
    case 3:
        return (v << 5) | (v << 2) | (v >> 1);
    case 4:
        return v * 17;
    case 5:
        return (v << 3) | (v >> 2);
    case 6:
        return (v << 2) | (v >> 4);
    default:
        return v & 255;
    }
}

uint16_t Read16(const uint8_t* p) { return uint16_t(p[0] | (p[1] << 8)); }
void Write16(uint8_t* p, uint32_t v)
{
    p[0] = uint8_t(v);
    p[1] = uint8_t(v >> 8);
}

uint32_t Pack(uint32_t a, uint32_t r, uint32_t g, uint32_t b) { return (a << 24) | (r << 16) | (g << 8) | b; }

} // namespace

uint32_t BytesPerPixel(Format format)
{
    switch (format) {
    case FMT_A8R8G8B8:
    case FMT_X8R8G8B8:
        return 4;
    case FMT_R5G6B5:
    case FMT_X1R5G5B5:
    case FMT_A1R5G5B5:
    case FMT_A4R4G4B4:
    case FMT_X4R4G4B4:
    case FMT_A8R3G3B2:
    case FMT_A8L8:
        return 2;
    case FMT_R3G3B2:
    case FMT_A8:
    case FMT_L8:
        return 1;
    default:
        return 0;
    }
}

uint32_t PixelToARGB(Format format, const uint8_t* s)
{
    switch (format) {
    case FMT_A8R8G8B8:
        return Pack(s[3], s[2], s[1], s[0]);
    case FMT_X8R8G8B8:
        return Pack(255, s[2], s[1], s[0]);
    case FMT_R5G6B5: {
        uint32_t v = Read16(s);
        return Pack(255, Expand(v >> 11, 5), Expand((v >> 5) & 63, 6), Expand(v & 31, 5));
    }
    case FMT_X1R5G5B5:
    case FMT_A1R5G5B5: {
        uint32_t v = Read16(s);
        uint32_t a = format == FMT_A1R5G5B5 ? Expand(v >> 15, 1) : 255;
        return Pack(a, Expand((v >> 10) & 31, 5), Expand((v >> 5) & 31, 5), Expand(v & 31, 5));
    }
    case FMT_A4R4G4B4:
    case FMT_X4R4G4B4: {
        uint32_t v = Read16(s);
        uint32_t a = format == FMT_A4R4G4B4 ? Expand(v >> 12, 4) : 255;
        return Pack(a, Expand((v >> 8) & 15, 4), Expand((v >> 4) & 15, 4), Expand(v & 15, 4));
    }
    case FMT_A8R3G3B2:
    case FMT_R3G3B2: {
        uint32_t v = format == FMT_A8R3G3B2 ? Read16(s) : (0xFF00u | s[0]);
        return Pack(v >> 8, Expand((v >> 5) & 7, 3), Expand((v >> 2) & 7, 3), Expand(v & 3, 2));
    }
    case FMT_A8:
        return Pack(s[0], 0, 0, 0);
    case FMT_L8:
        return Pack(255, s[0], s[0], s[0]);
    case FMT_A8L8:
        return Pack(s[1], s[0], s[0], s[0]);
    default:
        return 0;
    }
}

void ARGBToPixel(Format format, uint32_t argb, uint8_t* d)
{
    uint32_t a = argb >> 24, r = (argb >> 16) & 255, g = (argb >> 8) & 255, b = argb & 255;
    switch (format) {
    case FMT_A8R8G8B8:
    case FMT_X8R8G8B8:
        d[0] = uint8_t(b);
        d[1] = uint8_t(g);
        d[2] = uint8_t(r);
        d[3] = uint8_t(format == FMT_A8R8G8B8 ? a : 255);
        break;
    case FMT_R5G6B5:
        Write16(d, ((r >> 3) << 11) | ((g >> 2) << 5) | (b >> 3));
        break;
    case FMT_X1R5G5B5:
    case FMT_A1R5G5B5:
        Write16(d, (format == FMT_A1R5G5B5 ? (a >> 7) << 15 : 0x8000u) | ((r >> 3) << 10) | ((g >> 3) << 5) |
                       (b >> 3));
        break;
    case FMT_A4R4G4B4:
    case FMT_X4R4G4B4:
        Write16(d, (format == FMT_A4R4G4B4 ? (a >> 4) << 12 : 0xF000u) | ((r >> 4) << 8) | ((g >> 4) << 4) |
                       (b >> 4));
        break;
    case FMT_A8R3G3B2:
        Write16(d, (a << 8) | ((r >> 5) << 5) | ((g >> 5) << 2) | (b >> 6));
        break;
    case FMT_R3G3B2:
        d[0] = uint8_t(((r >> 5) << 5) | ((g >> 5) << 2) | (b >> 6));
        break;
    case FMT_A8:
        d[0] = uint8_t(a);
        break;
    case FMT_L8:
        // Luminance from the green-weighted sum, rounded.
        d[0] = uint8_t((r * 77 + g * 150 + b * 29 + 128) >> 8);
        break;
    case FMT_A8L8:
        d[0] = uint8_t((r * 77 + g * 150 + b * 29 + 128) >> 8);
        d[1] = uint8_t(a);
        break;
    default:
        break;
    }
}

uint32_t Unknown::Release()
{
    uint32_t left = --m_refs;
    if (left == 0)
        delete this;
    return left;
}

} // namespace tsr::gfx
