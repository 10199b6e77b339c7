// Decoders, resampling and format conversion of the image layer, on plain
// pixel buffers (no device needed).
#include <gtest/gtest.h>

#include <functional>
#include <memory>
#include <random>

#include "tex_test_images.h"

using namespace tsr::image;
using textest::Pattern;

namespace {

// Decoding from a heap block of exactly `n` bytes, so that a read past the
// end is caught by the sanitizers rather than landing in a larger vector.
bool DecodeExact(const std::vector<uint8_t>& bytes, size_t n, Image& out)
{
    std::unique_ptr<uint8_t[]> block(new uint8_t[n ? n : 1]);
    std::memcpy(block.get(), bytes.data(), n);
    return Decode(block.get(), n, out);
}

struct FileCase {
    const char* name;
    FileType type;
    bool keepsAlpha;
    std::function<std::vector<uint8_t>(const Image&)> encode;
};

const FileCase kLossless[] = {
    {"png_rgba", FileType::PNG, true, [](const Image& i) { return textest::EncodePNG(i); }},
    {"png_rgb", FileType::PNG, false, [](const Image& i) { return textest::EncodePNG(i, false); }},
    {"bmp24", FileType::BMP, false, [](const Image& i) { return textest::EncodeBMP(i, 24); }},
    {"bmp24_topdown", FileType::BMP, false, [](const Image& i) { return textest::EncodeBMP(i, 24, true); }},
    {"bmp32", FileType::BMP, false, [](const Image& i) { return textest::EncodeBMP(i, 32); }},
    {"tga24", FileType::TGA, false, [](const Image& i) { return textest::EncodeTGA(i, 24); }},
    {"tga32", FileType::TGA, true, [](const Image& i) { return textest::EncodeTGA(i, 32); }},
    {"tga32_rle", FileType::TGA, true, [](const Image& i) { return textest::EncodeTGA(i, 32, true); }},
    {"tga24_rle_topdown", FileType::TGA, false, [](const Image& i) { return textest::EncodeTGA(i, 24, true, true); }},
};

class LosslessFile : public ::testing::TestWithParam<FileCase> {};

TEST_P(LosslessFile, DecodesEveryTexelExactly)
{
    // Odd width: BMP rows carry padding; the flat band makes TGA runs.
    Image src = Pattern(13, 7, true);
    for (int x = 0; x < 13; ++x)
        std::memset(src.Pixel(x, 3), 0x40, 4);
    const auto bytes = GetParam().encode(src);
    EXPECT_EQ(DetectType(bytes.data(), bytes.size()), GetParam().type);
    Image out;
    std::string err;
    ASSERT_TRUE(Decode(bytes.data(), bytes.size(), out, &err)) << err;
    ASSERT_EQ(out.width, 13);
    ASSERT_EQ(out.height, 7);
    for (int y = 0; y < 7; ++y)
        for (int x = 0; x < 13; ++x)
            for (int c = 0; c < 4; ++c) {
                const int want = (c == 3 && !GetParam().keepsAlpha) ? 255 : src.Pixel(x, y)[c];
                ASSERT_EQ(out.Pixel(x, y)[c], want) << "texel " << x << "," << y << " channel " << c;
            }
}

TEST_P(LosslessFile, EveryTruncationIsAnErrorNotACrash)
{
    const auto bytes = GetParam().encode(Pattern(9, 5, true));
    for (size_t n = 0; n < bytes.size(); ++n) {
        Image out;
        // Truncated files that still decode are acceptable only if their
        // pixels all lay inside the prefix (never for these small files,
        // except a missing trailing pad byte of the last BMP row or the
        // end chunk of a PNG); what must never happen is a read past n.
        const bool ok = DecodeExact(bytes, n, out);
        if (ok) {
            EXPECT_EQ(out.width, 9);
            EXPECT_GE(n, bytes.size() - 12) << "decoded a file cut at " << n;
        } else {
            EXPECT_TRUE(out.Empty());
        }
    }
}

TEST_P(LosslessFile, RandomCorruptionNeverCrashes)
{
    const auto good = GetParam().encode(Pattern(16, 16, true));
    std::mt19937 rng(1234);
    for (int round = 0; round < 300; ++round) {
        auto bytes = good;
        const int flips = 1 + int(rng() % 6);
        for (int i = 0; i < flips; ++i)
            bytes[rng() % bytes.size()] = uint8_t(rng());
        Image out;
        if (DecodeExact(bytes, bytes.size(), out)) {
            EXPECT_GT(out.width, 0);
            EXPECT_EQ(out.rgba.size(), size_t(out.width) * out.height * 4);
        }
    }
}

INSTANTIATE_TEST_SUITE_P(Files, LosslessFile, ::testing::ValuesIn(kLossless),
                         [](const auto& info) { return std::string(info.param.name); });

TEST(ImageJPEG, DecodesColourAndGreyWithinCompressionError)
{
    const Image src = textest::Blocks(32, 24);
    for (bool grey : {false, true}) {
        const auto bytes = textest::EncodeJPEG(src, 100, grey);
        EXPECT_EQ(DetectType(bytes.data(), bytes.size()), FileType::JPEG);
        Image out;
        std::string err;
        ASSERT_TRUE(Decode(bytes.data(), bytes.size(), out, &err)) << err;
        ASSERT_EQ(out.width, 32);
        ASSERT_EQ(out.height, 24);
        for (int y = 0; y < 24; ++y)
            for (int x = 0; x < 32; ++x) {
                const uint8_t* p = out.Pixel(x, y);
                const uint8_t* s = src.Pixel(x, y);
                for (int c = 0; c < 3; ++c)
                    ASSERT_NEAR(p[c], grey ? s[0] : s[c], 3) << x << "," << y;
                ASSERT_EQ(p[3], 255);
            }
    }
}

TEST(ImageJPEG, EveryTruncationIsAnError)
{
    const auto bytes = textest::EncodeJPEG(textest::Blocks(24, 16), 90);
    for (size_t n = 0; n + 2 < bytes.size(); ++n) {
        Image out;
        EXPECT_FALSE(DecodeExact(bytes, n, out)) << "cut at " << n;
        EXPECT_TRUE(out.Empty());
    }
}

TEST(ImageJPEG, RandomCorruptionNeverCrashes)
{
    const auto good = textest::EncodeJPEG(Pattern(32, 32, false), 80);
    std::mt19937 rng(99);
    for (int round = 0; round < 300; ++round) {
        auto bytes = good;
        for (int i = 0; i < 4; ++i)
            bytes[2 + rng() % (bytes.size() - 2)] = uint8_t(rng());
        Image out;
        DecodeExact(bytes, bytes.size(), out);
    }
}

TEST(ImageHeaders, ImplausibleSizesAndUnknownDataAreRefused)
{
    // A BMP header announcing 100000 x 100000 pixels and carrying none.
    auto bmp = textest::EncodeBMP(Pattern(2, 2, false));
    bmp[18] = 0xA0, bmp[19] = 0x86, bmp[20] = 0x01, bmp[21] = 0;
    bmp[22] = 0xA0, bmp[23] = 0x86, bmp[24] = 0x01, bmp[25] = 0;
    Image out;
    std::string err;
    EXPECT_FALSE(Decode(bmp.data(), bmp.size(), out, &err));
    EXPECT_FALSE(err.empty());

    const uint8_t junk[] = "this is not an image at all";
    EXPECT_EQ(DetectType(junk, sizeof junk), FileType::Unknown);
    EXPECT_FALSE(Decode(junk, sizeof junk, out));
    EXPECT_FALSE(Decode(nullptr, 0, out));
}

TEST(ImageBMP, PalettedAndRunLengthBitmaps)
{
    // 4 x 2, 8 bits, palette of three colours, written as RLE8:
    // bottom row: run of 4 x index 1; top row: raw 2,0,1,2.
    std::vector<uint8_t> v = {'B', 'M'};
    textest::Put32(v, 0);
    textest::Put32(v, 0);
    textest::Put32(v, 54 + 12);
    textest::Put32(v, 40);
    textest::Put32(v, 4);
    textest::Put32(v, 2);
    textest::Put16(v, 1);
    textest::Put16(v, 8);
    textest::Put32(v, 1); // RLE8
    textest::Put32(v, 0);
    textest::Put32(v, 0);
    textest::Put32(v, 0);
    textest::Put32(v, 3);
    textest::Put32(v, 0);
    const uint8_t pal[] = {0, 0, 0, 0, 0, 0, 255, 0, 255, 0, 0, 0}; // black, red, blue (BGRx)
    v.insert(v.end(), pal, pal + 12);
    const uint8_t rle[] = {4, 1, 0, 0, 0, 4, 2, 0, 1, 2, 0, 1};
    v.insert(v.end(), rle, rle + sizeof rle);
    Image out;
    std::string err;
    ASSERT_TRUE(Decode(v.data(), v.size(), out, &err)) << err;
    ASSERT_EQ(out.width, 4);
    ASSERT_EQ(out.height, 2);
    const uint8_t red[4] = {255, 0, 0, 255}, blue[4] = {0, 0, 255, 255}, black[4] = {0, 0, 0, 255};
    const uint8_t* top[4] = {blue, black, red, blue};
    for (int x = 0; x < 4; ++x) {
        EXPECT_EQ(0, std::memcmp(out.Pixel(x, 1), red, 4)) << x;
        EXPECT_EQ(0, std::memcmp(out.Pixel(x, 0), top[x], 4)) << x;
    }
}

// ---- resampling ----

TEST(ImageScale, SameSizeIsAnExactCopyAndFlatStaysFlat)
{
    const Image src = Pattern(10, 6, true);
    EXPECT_EQ(Scale(src, 10, 6).rgba, src.rgba);

    Image flat = Pattern(7, 5, true);
    for (size_t i = 0; i < flat.rgba.size(); i += 4)
        std::memcpy(&flat.rgba[i], "\x10\x80\xF0\x7F", 4);
    for (auto [w, h] : {std::pair{16, 16}, {3, 2}, {1, 1}, {64, 4}}) {
        const Image s = Scale(flat, w, h);
        ASSERT_EQ(s.width, w);
        ASSERT_EQ(s.height, h);
        for (size_t i = 0; i < s.rgba.size(); i += 4)
            ASSERT_EQ(0, std::memcmp(&s.rgba[i], "\x10\x80\xF0\x7F", 4)) << w << "x" << h;
    }
}

TEST(ImageScale, DownscaleAveragesTheCoveredArea)
{
    // 4x1 -> 2x1 halves pairs; 3x1 -> 2x1 weights the middle texel half-half.
    Image src;
    src.width = 3;
    src.height = 1;
    src.rgba = {0, 0, 0, 255, 90, 90, 90, 255, 180, 180, 180, 255};
    const Image s = Scale(src, 2, 1);
    // (0*1 + 90*0.5) / 1.5 = 30, (90*0.5 + 180) / 1.5 = 150
    EXPECT_EQ(s.rgba[0], 30);
    EXPECT_EQ(s.rgba[4], 150);
}

TEST(ImageScale, UpscaleKeepsCornersAndInterpolatesBetween)
{
    Image src;
    src.width = 2;
    src.height = 1;
    src.rgba = {0, 0, 0, 255, 200, 200, 200, 255};
    const Image s = Scale(src, 4, 1);
    EXPECT_EQ(s.rgba[0], 0);     // clamped edge
    EXPECT_EQ(s.rgba[4], 50);    // 1/4 of the way
    EXPECT_EQ(s.rgba[8], 150);
    EXPECT_EQ(s.rgba[12], 200);
}

TEST(ImageMips, BoxHalveAveragesBlocksAndChainEndsAtOne)
{
    Image src;
    src.width = 4;
    src.height = 2;
    src.rgba.assign(4 * 2 * 4, 0);
    const uint8_t v[8] = {0, 10, 20, 30, 40, 50, 60, 255};
    for (int i = 0; i < 8; ++i)
        src.rgba[size_t(i) * 4] = v[i];
    const Image h = BoxHalve(src);
    ASSERT_EQ(h.width, 2);
    ASSERT_EQ(h.height, 1);
    EXPECT_EQ(h.rgba[0], (0 + 10 + 40 + 50 + 2) / 4);
    EXPECT_EQ(h.rgba[4], (20 + 30 + 60 + 255 + 2) / 4);
    const Image one = BoxHalve(h);
    EXPECT_EQ(one.width, 1);
    EXPECT_EQ(one.height, 1);

    EXPECT_EQ(FullMipCount(1, 1), 1);
    EXPECT_EQ(FullMipCount(8, 2), 4);
    EXPECT_EQ(FullMipCount(256, 256), 9);
    // Odd edges fall back to area averaging and still halve.
    const Image odd = BoxHalve(Pattern(5, 3, true));
    EXPECT_EQ(odd.width, 2);
    EXPECT_EQ(odd.height, 1);
}

// ---- pixel formats ----

struct FormatCase {
    PixelFormat f;
    uint8_t in[4];
    uint8_t look[4]; // after Quantize
    uint16_t packed; // Pack16, 0 for 32-bit formats
};

TEST(ImageFormat, QuantizeAndPackEachLayout)
{
    const FormatCase cases[] = {
        {PixelFormat::RGBA8, {12, 34, 56, 78}, {12, 34, 56, 78}, 0},
        {PixelFormat::RGBX8, {12, 34, 56, 78}, {12, 34, 56, 255}, 0},
        {PixelFormat::RGB565, {255, 128, 7, 0}, {255, 130, 0, 255}, 0xF800 | (32 << 5) | 0},
        {PixelFormat::RGB555, {8, 255, 200, 0}, {8, 255, 206, 255}, (1 << 11) | (31 << 6) | (25 << 1) | 1},
        {PixelFormat::RGB5A1, {255, 0, 0, 127}, {255, 0, 0, 0}, 0xF800},
        {PixelFormat::RGB5A1, {255, 0, 0, 128}, {255, 0, 0, 255}, 0xF801},
        {PixelFormat::RGBA4, {0x1F, 0xF0, 0x88, 0x3C}, {0x11, 0xFF, 0x88, 0x33}, 0x1F83},
        {PixelFormat::RGBX4, {0x1F, 0xF0, 0x88, 0x3C}, {0x11, 0xFF, 0x88, 0xFF}, 0x1F8F},
        {PixelFormat::RGB332, {255, 100, 130, 9}, {255, 109, 170, 255}, 0},
        {PixelFormat::A8RGB332, {255, 100, 130, 9}, {255, 109, 170, 9}, 0},
    };
    for (const auto& c : cases) {
        Image img;
        img.width = img.height = 1;
        img.rgba.assign(c.in, c.in + 4);
        const auto packed = Pack16(img, c.f);
        Quantize(img, c.f);
        for (int i = 0; i < 4; ++i)
            EXPECT_EQ(img.rgba[size_t(i)], c.look[i]) << int(c.f) << " channel " << i;
        EXPECT_EQ(Is16Bit(c.f), c.packed != 0 || c.f == PixelFormat::RGB5A1);
        if (Is16Bit(c.f)) {
            ASSERT_EQ(packed.size(), 1u);
            EXPECT_EQ(packed[0], c.packed) << int(c.f);
        } else {
            EXPECT_TRUE(packed.empty());
        }
    }
}

} // namespace

namespace {

// Small hand-made files of the less common layouts: each 2 x 2 (or 4 x 1),
// with the expected RGBA texels top row first.
struct SmallFile {
    const char* name;
    std::vector<uint8_t> bytes;
    int w, h;
    std::vector<uint8_t> rgba;
};

std::vector<uint8_t> TgaHeader(uint8_t type, uint8_t mapType, uint16_t mapLen, uint8_t mapBits, int w, int h,
                               uint8_t bpp, uint8_t desc)
{
    return {0,       mapType, type,    0, 0, uint8_t(mapLen), uint8_t(mapLen >> 8), mapBits, 0, 0, 0, 0,
            uint8_t(w), 0, uint8_t(h), 0, bpp, desc};
}

std::vector<uint8_t> Cat(std::vector<uint8_t> a, const std::vector<uint8_t>& b)
{
    a.insert(a.end(), b.begin(), b.end());
    return a;
}

std::vector<uint8_t> BmpHeader(int w, int h, int bpp, uint32_t compression, uint32_t colors, uint32_t dataOffset)
{
    std::vector<uint8_t> v = {'B', 'M'};
    textest::Put32(v, 0);
    textest::Put32(v, 0);
    textest::Put32(v, dataOffset);
    textest::Put32(v, 40);
    textest::Put32(v, uint32_t(w));
    textest::Put32(v, uint32_t(h));
    textest::Put16(v, 1);
    textest::Put16(v, unsigned(bpp));
    textest::Put32(v, compression);
    for (int i = 0; i < 3; ++i)
        textest::Put32(v, 0);
    textest::Put32(v, colors);
    textest::Put32(v, 0);
    return v;
}

TEST(ImageLayouts, LessCommonTgaAndBmpLayouts)
{
    const SmallFile files[] = {
        // Colour-mapped, 8-bit indices into a 24-bit map (BGR), top-down.
        {"tga_mapped",
         Cat(TgaHeader(1, 1, 2, 24, 2, 1, 8, 0x20), {0, 0, 255, 255, 0, 0, 1, 0}), 2, 1,
         {0, 0, 255, 255, 255, 0, 0, 255}},
        // Grey, bottom-up: first stored row is the bottom one.
        {"tga_grey", Cat(TgaHeader(3, 0, 0, 0, 2, 2, 8, 0), {10, 20, 30, 40}), 2, 2,
         {30, 30, 30, 255, 40, 40, 40, 255, 10, 10, 10, 255, 20, 20, 20, 255}},
        // Grey RLE: one run of 4, top-down, right-to-left has no effect on a flat run.
        {"tga_grey_rle", Cat(TgaHeader(11, 0, 0, 0, 2, 2, 8, 0x30), {0x83, 77}), 2, 2,
         std::vector<uint8_t>{77, 77, 77, 255, 77, 77, 77, 255, 77, 77, 77, 255, 77, 77, 77, 255}},
        // 16-bit with one attribute bit: red opaque, green transparent.
        {"tga_16_alpha", Cat(TgaHeader(2, 0, 0, 0, 2, 1, 16, 0x21), {0x00, 0xFC, 0xE0, 0x03}), 2, 1,
         {255, 0, 0, 255, 0, 255, 0, 0}},
        // Right-to-left 24-bit.
        {"tga_rtl", Cat(TgaHeader(2, 0, 0, 0, 2, 1, 24, 0x30), {255, 0, 0, 0, 255, 0}), 2, 1,
         {0, 255, 0, 255, 0, 0, 255, 255}},
        // 1-bit BMP, 4 x 1: palette black, white; bits 1010.
        {"bmp_1bit", Cat(BmpHeader(4, 1, 1, 0, 2, 62), {0, 0, 0, 0, 255, 255, 255, 0, 0xA0, 0, 0, 0}), 4, 1,
         {255, 255, 255, 255, 0, 0, 0, 255, 255, 255, 255, 255, 0, 0, 0, 255}},
        // 4-bit BMP, 2 x 1: indices 1, 0 of (blue, red).
        {"bmp_4bit", Cat(BmpHeader(2, 1, 4, 0, 2, 62), {255, 0, 0, 0, 0, 0, 255, 0, 0x10, 0, 0, 0}), 2, 1,
         {255, 0, 0, 255, 0, 0, 255, 255}},
        // 16-bit BMP, default 5-5-5: white, then pure green.
        {"bmp_16", Cat(BmpHeader(2, 1, 16, 0, 0, 54), {0xFF, 0x7F, 0xE0, 0x03}), 2, 1,
         {255, 255, 255, 255, 0, 255, 0, 255}},
        // 16-bit BMP with 5-6-5 bit fields after the header.
        {"bmp_565", Cat(BmpHeader(2, 1, 16, 3, 0, 66),
                        {0x00, 0xF8, 0, 0, 0xE0, 0x07, 0, 0, 0x1F, 0, 0, 0, 0x00, 0xF8, 0x1F, 0x00}),
         2, 1, {255, 0, 0, 255, 0, 0, 255, 255}},
    };
    for (const SmallFile& f : files) {
        Image out;
        std::string err;
        ASSERT_TRUE(Decode(f.bytes.data(), f.bytes.size(), out, &err)) << f.name << ": " << err;
        ASSERT_EQ(out.width, f.w) << f.name;
        ASSERT_EQ(out.height, f.h) << f.name;
        EXPECT_EQ(out.rgba, f.rgba) << f.name;
        // And every shorter version is refused or decodes without overreading.
        for (size_t n = 0; n < f.bytes.size(); ++n) {
            Image cut;
            DecodeExact(f.bytes, n, cut);
        }
    }
}

TEST(ImageLayouts, PaletteIndexOutsideTheMapIsAnError)
{
    // Map of 2 entries, index 5 used.
    const auto bytes = Cat(TgaHeader(1, 1, 2, 24, 2, 1, 8, 0x20), {0, 0, 255, 255, 0, 0, 5, 0});
    Image out;
    EXPECT_FALSE(Decode(bytes.data(), bytes.size(), out));
}

} // namespace

namespace {

uint32_t Crc32(const uint8_t* p, size_t n)
{
    uint32_t c = 0xFFFFFFFFu;
    for (size_t i = 0; i < n; ++i) {
        c ^= p[i];
        for (int k = 0; k < 8; ++k)
            c = (c >> 1) ^ (0xEDB88320u & (0u - (c & 1)));
    }
    return ~c;
}

TEST(ImageHeaders, FilesTooShortForTheirAnnouncedSizeAreRefusedUpFront)
{
    // A valid 1x1 PNG whose header (with a correct checksum) claims 8000 x 8000.
    auto png = textest::EncodePNG(textest::Pattern(1, 1, true));
    const uint8_t big[8] = {0, 0, 0x1F, 0x40, 0, 0, 0x1F, 0x40};
    std::memcpy(&png[16], big, 8);
    const uint32_t crc = Crc32(&png[12], 17);
    const uint8_t crcBytes[4] = {uint8_t(crc >> 24), uint8_t(crc >> 16), uint8_t(crc >> 8), uint8_t(crc)};
    std::memcpy(&png[29], crcBytes, 4);
    Image out;
    std::string err;
    EXPECT_FALSE(Decode(png.data(), png.size(), out, &err));
    EXPECT_EQ(err, "PNG too short for its size");

    // A TGA claiming 8000 x 8000 run-length texels with four bytes of data.
    std::vector<uint8_t> tga = {0, 0, 10, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0x40, 0x1F, 0x40, 0x1F, 24, 0, 0xFF, 1, 2, 3};
    EXPECT_FALSE(Decode(tga.data(), tga.size(), out, &err));
    EXPECT_EQ(err, "truncated TGA pixels");
    // A BMP whose rows are not all there.
    auto bmp = textest::EncodeBMP(textest::Pattern(64, 64, false));
    bmp.resize(bmp.size() - 200);
    EXPECT_FALSE(Decode(bmp.data(), bmp.size(), out, &err));
    EXPECT_EQ(err, "truncated BMP pixels");
}

} // namespace
