// File type detection, resampling, mip levels and pixel-format conversion.
#include "platform/image/tsr_image.h"

#include <algorithm>
#include <cmath>
#include <cstring>

namespace tsr::image {

bool LooksLikeTGA(const uint8_t* p, size_t size); // tsr_image_tga.cpp

FileType DetectType(const void* data, size_t size)
{
    const auto* p = static_cast<const uint8_t*>(data);
    if (!p)
        return FileType::Unknown;
    if (size >= 8 && std::memcmp(p, "\x89PNG\r\n\x1a\n", 8) == 0)
        return FileType::PNG;
    if (size >= 3 && p[0] == 0xFF && p[1] == 0xD8 && p[2] == 0xFF)
        return FileType::JPEG;
    if (size >= 2 && p[0] == 'B' && p[1] == 'M')
        return FileType::BMP;
    if (LooksLikeTGA(p, size))
        return FileType::TGA;
    return FileType::Unknown;
}

bool Decode(const void* data, size_t size, Image& out, std::string* error)
{
    switch (DetectType(data, size)) {
    case FileType::PNG:
        return DecodePNG(data, size, out, error);
    case FileType::JPEG:
        return DecodeJPEG(data, size, out, error);
    case FileType::BMP:
        return DecodeBMP(data, size, out, error);
    case FileType::TGA:
        return DecodeTGA(data, size, out, error);
    default:
        out = Image{};
        if (error)
            *error = "unknown image file type";
        return false;
    }
}

namespace {

// Weights of one axis: for each destination index, a run of source indices
// starting at `first` with the given weights (summing to 1).
struct Taps {
    std::vector<int> first;
    std::vector<int> count;
    std::vector<float> weights; // count[i] entries per destination, packed
    std::vector<size_t> start;
};

Taps AxisTaps(int srcN, int dstN)
{
    Taps t;
    t.first.resize(dstN);
    t.count.resize(dstN);
    t.start.resize(dstN);
    const double ratio = double(srcN) / dstN;
    for (int i = 0; i < dstN; ++i) {
        t.start[i] = t.weights.size();
        if (dstN < srcN) {
            const double a = i * ratio, b = (i + 1) * ratio;
            const int j0 = int(std::floor(a));
            const int j1 = std::min(srcN, int(std::ceil(b)));
            t.first[i] = j0;
            t.count[i] = j1 - j0;
            for (int j = j0; j < j1; ++j) {
                const double lo = std::max(a, double(j)), hi = std::min(b, double(j + 1));
                t.weights.push_back(float((hi - lo) / ratio));
            }
        } else {
            const double c = (i + 0.5) * ratio - 0.5;
            int j0 = int(std::floor(c));
            float f = float(c - j0);
            if (j0 < 0) {
                j0 = 0;
                f = 0;
            }
            if (j0 >= srcN - 1) {
                j0 = srcN - 1;
                f = 0;
            }
            t.first[i] = j0;
            t.count[i] = f > 0 ? 2 : 1;
            t.weights.push_back(1.0f - f);
            if (f > 0)
                t.weights.push_back(f);
        }
    }
    return t;
}

uint8_t ToByte(float v)
{
    v += 0.5f;
    return v <= 0 ? 0 : v >= 255 ? 255 : uint8_t(v);
}

} // namespace

Image Scale(const Image& src, int width, int height)
{
    if (src.Empty() || width <= 0 || height <= 0)
        return Image{};
    if (width == src.width && height == src.height)
        return src;
    // Horizontal pass into floats, then vertical pass into bytes.
    const Taps tx = AxisTaps(src.width, width), ty = AxisTaps(src.height, height);
    std::vector<float> mid(size_t(width) * src.height * 4);
    for (int y = 0; y < src.height; ++y) {
        for (int x = 0; x < width; ++x) {
            float acc[4] = {0, 0, 0, 0};
            for (int k = 0; k < tx.count[x]; ++k) {
                const float w = tx.weights[tx.start[x] + k];
                const uint8_t* s = src.Pixel(tx.first[x] + k, y);
                for (int c = 0; c < 4; ++c)
                    acc[c] += w * s[c];
            }
            std::memcpy(&mid[(size_t(y) * width + x) * 4], acc, sizeof acc);
        }
    }
    Image out;
    out.width = width;
    out.height = height;
    out.rgba.resize(size_t(width) * height * 4);
    for (int y = 0; y < height; ++y) {
        for (int x = 0; x < width; ++x) {
            float acc[4] = {0, 0, 0, 0};
            for (int k = 0; k < ty.count[y]; ++k) {
                const float w = ty.weights[ty.start[y] + k];
                const float* s = &mid[(size_t(ty.first[y] + k) * width + x) * 4];
                for (int c = 0; c < 4; ++c)
                    acc[c] += w * s[c];
            }
            uint8_t* d = out.Pixel(x, y);
            for (int c = 0; c < 4; ++c)
                d[c] = ToByte(acc[c]);
        }
    }
    return out;
}

Image BoxHalve(const Image& src)
{
    if (src.Empty())
        return Image{};
    const int w = std::max(1, src.width / 2), h = std::max(1, src.height / 2);
    const bool exact = (src.width == 1 || src.width % 2 == 0) && (src.height == 1 || src.height % 2 == 0);
    if (!exact)
        return Scale(src, w, h);
    const int sx = src.width > 1 ? 2 : 1, sy = src.height > 1 ? 2 : 1;
    const unsigned n = unsigned(sx * sy);
    Image out;
    out.width = w;
    out.height = h;
    out.rgba.resize(size_t(w) * h * 4);
    for (int y = 0; y < h; ++y) {
        for (int x = 0; x < w; ++x) {
            unsigned acc[4] = {0, 0, 0, 0};
            for (int j = 0; j < sy; ++j)
                for (int i = 0; i < sx; ++i) {
                    const uint8_t* s = src.Pixel(x * sx + i, y * sy + j);
                    for (int c = 0; c < 4; ++c)
                        acc[c] += s[c];
                }
            uint8_t* d = out.Pixel(x, y);
            for (int c = 0; c < 4; ++c)
                d[c] = uint8_t((acc[c] + n / 2) / n);
        }
    }
    return out;
}

int FullMipCount(int width, int height)
{
    int n = 1;
    while (width > 1 || height > 1) {
        width = std::max(1, width / 2);
        height = std::max(1, height / 2);
        ++n;
    }
    return n;
}

bool Is16Bit(PixelFormat f)
{
    return f == PixelFormat::RGB565 || f == PixelFormat::RGB555 || f == PixelFormat::RGB5A1 ||
           f == PixelFormat::RGBA4 || f == PixelFormat::RGBX4;
}

namespace {
inline uint8_t Expand5(unsigned v) { return uint8_t(v << 3 | v >> 2); }
inline uint8_t Expand6(unsigned v) { return uint8_t(v << 2 | v >> 4); }
inline uint8_t Expand4(unsigned v) { return uint8_t(v << 4 | v); }
inline uint8_t Expand3(unsigned v) { return uint8_t(v << 5 | v << 2 | v >> 1); }
inline uint8_t Expand2(unsigned v) { return uint8_t(v * 85); }
} // namespace

void Quantize(Image& img, PixelFormat f)
{
    const size_t n = img.rgba.size() / 4;
    for (size_t i = 0; i < n; ++i) {
        uint8_t* p = &img.rgba[i * 4];
        switch (f) {
        case PixelFormat::RGBA8:
            break;
        case PixelFormat::RGBX8:
            p[3] = 255;
            break;
        case PixelFormat::RGB565:
            p[0] = Expand5(p[0] >> 3);
            p[1] = Expand6(p[1] >> 2);
            p[2] = Expand5(p[2] >> 3);
            p[3] = 255;
            break;
        case PixelFormat::RGB555:
        case PixelFormat::RGB5A1:
            p[0] = Expand5(p[0] >> 3);
            p[1] = Expand5(p[1] >> 3);
            p[2] = Expand5(p[2] >> 3);
            p[3] = f == PixelFormat::RGB555 ? 255 : (p[3] >= 128 ? 255 : 0);
            break;
        case PixelFormat::RGBA4:
        case PixelFormat::RGBX4:
            p[0] = Expand4(p[0] >> 4);
            p[1] = Expand4(p[1] >> 4);
            p[2] = Expand4(p[2] >> 4);
            p[3] = f == PixelFormat::RGBX4 ? 255 : Expand4(p[3] >> 4);
            break;
        case PixelFormat::RGB332:
        case PixelFormat::A8RGB332:
            p[0] = Expand3(p[0] >> 5);
            p[1] = Expand3(p[1] >> 5);
            p[2] = Expand2(p[2] >> 6);
            if (f == PixelFormat::RGB332)
                p[3] = 255;
            break;
        }
    }
}

std::vector<uint16_t> Pack16(const Image& img, PixelFormat f)
{
    const size_t n = img.rgba.size() / 4;
    std::vector<uint16_t> out(n);
    for (size_t i = 0; i < n; ++i) {
        const uint8_t* p = &img.rgba[i * 4];
        unsigned v = 0;
        switch (f) {
        case PixelFormat::RGB565:
            v = (p[0] >> 3) << 11 | (p[1] >> 2) << 5 | p[2] >> 3;
            break;
        case PixelFormat::RGB555:
            v = (p[0] >> 3) << 11 | (p[1] >> 3) << 6 | (p[2] >> 3) << 1 | 1;
            break;
        case PixelFormat::RGB5A1:
            v = (p[0] >> 3) << 11 | (p[1] >> 3) << 6 | (p[2] >> 3) << 1 | (p[3] >= 128 ? 1 : 0);
            break;
        case PixelFormat::RGBA4:
            v = (p[0] >> 4) << 12 | (p[1] >> 4) << 8 | (p[2] >> 4) << 4 | p[3] >> 4;
            break;
        case PixelFormat::RGBX4:
            v = (p[0] >> 4) << 12 | (p[1] >> 4) << 8 | (p[2] >> 4) << 4 | 15;
            break;
        default:
            return {};
        }
        out[i] = uint16_t(v);
    }
    return out;
}

} // namespace tsr::image
