// Image files held in memory: decoding (PNG, JPEG, BMP, TGA), scaling, mip
// levels and conversion to the pixel layouts textures are stored in.
//
// Every decoder treats its input as untrusted: a corrupt, truncated or
// absurdly large image is a false result with a reason, never a crash or a
// read outside the given bytes.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

namespace tsr::image {

// 8-bit RGBA, rows top to bottom, no padding.
struct Image {
    int width = 0;
    int height = 0;
    std::vector<uint8_t> rgba;

    bool Empty() const { return width <= 0 || height <= 0; }
    uint8_t* Pixel(int x, int y) { return &rgba[(static_cast<size_t>(y) * width + x) * 4]; }
    const uint8_t* Pixel(int x, int y) const { return &rgba[(static_cast<size_t>(y) * width + x) * 4]; }
};

enum class FileType { Unknown, PNG, JPEG, BMP, TGA };

// Largest edge and pixel count we agree to decode; a header claiming more
// is treated as corrupt rather than allocating for it.
constexpr int kMaxEdge = 16384;
constexpr int64_t kMaxPixels = int64_t(1) << 26;

// Detects the file type from its first bytes (TGA has no signature: it is
// what remains when its header is plausible).
FileType DetectType(const void* data, size_t size);

// Each returns false (and a short reason in *error when given) on failure;
// `out` is then left empty.
bool DecodePNG(const void* data, size_t size, Image& out, std::string* error = nullptr);
bool DecodeJPEG(const void* data, size_t size, Image& out, std::string* error = nullptr);
bool DecodeBMP(const void* data, size_t size, Image& out, std::string* error = nullptr);
bool DecodeTGA(const void* data, size_t size, Image& out, std::string* error = nullptr);
// Any of the above, chosen by DetectType.
bool Decode(const void* data, size_t size, Image& out, std::string* error = nullptr);

// Resamples to width x height. Same size: an exact copy. Smaller: each
// destination texel is the area-weighted mean of the source texels it
// covers. Larger: bilinear between texel centres, edges clamped.
Image Scale(const Image& src, int width, int height);

// The next mip level: half the size (at least 1), each texel the mean of a
// 2x2 block (1x2 or 2x1 at an odd or unit edge).
Image BoxHalve(const Image& src);

// Number of levels of a full chain down to 1x1.
int FullMipCount(int width, int height);

// Pixel layouts a texture can be stored in. The 16-bit layouts are packed
// the way OpenGL reads them (red in the top bits, alpha in the low bits).
enum class PixelFormat {
    RGBA8,    // 32-bit with alpha
    RGBX8,    // 32-bit, alpha forced opaque
    RGB565,
    RGB555,   // 16-bit, opaque (the fifth bit of alpha is unused)
    RGB5A1,
    RGBA4,
    RGBX4,    // 16-bit, 4 bits per colour, opaque
    RGB332,   // 8 bits of colour (stored with an 8-bit alpha)
    A8RGB332,
};

// True for the layouts stored in 16 bits per texel.
bool Is16Bit(PixelFormat f);

// Rounds every texel to the precision of `f` and expands it back to 8 bits
// per channel (bit replication), so the picture looks the way the format
// stores it. Alpha of opaque formats becomes 255.
void Quantize(Image& img, PixelFormat f);

// Packs for upload: 16-bit layouts as native-endian uint16 texels, the
// others as RGBA8 bytes (after Quantize).
std::vector<uint16_t> Pack16(const Image& img, PixelFormat f);

} // namespace tsr::image
