// Textures made from image files in memory, drawn 1:1 on a headless device.
#include <gtest/gtest.h>

#include "platform/image/tsr_texture_file.h"
#include "tex_device_fixture.h"
#include "tex_test_images.h"

using namespace tsr::gfx;
using tsr::image::Image;

namespace {

class TextureFileTest : public textest::DeviceFixture {
protected:
    Texture* Create(const std::vector<uint8_t>& bytes, uint32_t edge = 0, uint32_t levels = 1,
                    Format format = FMT_A8R8G8B8)
    {
        Texture* t = nullptr;
        const HResult hr = tsr::image::TextureFromImageBytes(dev, bytes.data(), bytes.size(), edge, edge,
                                                                     levels, 0, format, POOL_MANAGED, &t);
        EXPECT_TRUE(Succeeded(hr));
        return t;
    }
    // Draws the texture at (8, 8), w x h pixels, and compares every pixel
    // with the expected texel colour (rgb only: the back buffer is opaque).
    void ExpectDrawn(Texture* t, const Image& want, int tolerance = 0)
    {
        Clear();
        dev->SetTexture(0, t);
        DrawQuad(8, 8, float(want.width), float(want.height));
        dev->SetTexture(0, nullptr);
        const auto px = ReadBack();
        for (int y = 0; y < want.height; ++y)
            for (int x = 0; x < want.width; ++x) {
                const uint32_t got = Px(px, 8 + x, 8 + y);
                const uint8_t* w = want.Pixel(x, y);
                const int rgb[3] = {int(got >> 16 & 255), int(got >> 8 & 255), int(got & 255)};
                for (int c = 0; c < 3; ++c)
                    ASSERT_NEAR(rgb[c], w[c], tolerance) << "pixel " << x << "," << y << " channel " << c;
            }
    }
};

TEST_F(TextureFileTest, EachFileTypeDrawsTexelExact)
{
    const Image src = textest::Pattern(16, 12, false);
    const std::pair<const char*, std::vector<uint8_t>> files[] = {
        {"png", textest::EncodePNG(src)},
        {"bmp", textest::EncodeBMP(src)},
        {"tga", textest::EncodeTGA(src, 24)},
        {"tga-rle", textest::EncodeTGA(src, 32, true)},
    };
    for (const auto& [name, bytes] : files) {
        SCOPED_TRACE(name);
        Texture* t = Create(bytes);
        ASSERT_NE(t, nullptr);
        SurfaceDesc d;
        t->GetLevelDesc(0, d);
        EXPECT_EQ(d.width, 16u);
        EXPECT_EQ(d.height, 12u);
        ExpectDrawn(t, src);
        EXPECT_EQ(t->Release(), 0u);
    }
}

TEST_F(TextureFileTest, JpegDrawsExactlyWhatItDecodesTo)
{
    const auto bytes = textest::EncodeJPEG(textest::Pattern(24, 16, false), 75);
    // The reference: libjpeg's own decode of the same bytes.
    Image ref;
    {
        jpeg_decompress_struct c;
        jpeg_error_mgr err;
        c.err = jpeg_std_error(&err);
        jpeg_create_decompress(&c);
        jpeg_mem_src(&c, bytes.data(), static_cast<unsigned long>(bytes.size()));
        jpeg_read_header(&c, TRUE);
        c.out_color_space = JCS_RGB;
        jpeg_start_decompress(&c);
        ref.width = int(c.output_width);
        ref.height = int(c.output_height);
        ref.rgba.resize(size_t(ref.width) * ref.height * 4);
        std::vector<uint8_t> row(size_t(ref.width) * 3);
        while (c.output_scanline < c.output_height) {
            const int y = int(c.output_scanline);
            JSAMPROW r = row.data();
            jpeg_read_scanlines(&c, &r, 1);
            for (int x = 0; x < ref.width; ++x) {
                std::memcpy(ref.Pixel(x, y), &row[size_t(x) * 3], 3);
                ref.Pixel(x, y)[3] = 255;
            }
        }
        jpeg_finish_decompress(&c);
        jpeg_destroy_decompress(&c);
    }
    Texture* t = Create(bytes);
    ASSERT_NE(t, nullptr);
    ExpectDrawn(t, ref);
    EXPECT_EQ(t->Release(), 0u);
}

TEST_F(TextureFileTest, EdgeLengthScalesToASquare)
{
    // A flat image scaled up stays flat; a 2x2 checker scaled to 4x4 keeps
    // its corners; the own size when no edge is given.
    Image checker;
    checker.width = checker.height = 2;
    checker.rgba = {255, 0, 0, 255, 0, 255, 0, 255, 0, 0, 255, 255, 255, 255, 255, 255};
    Texture* t = Create(textest::EncodePNG(checker), 16);
    ASSERT_NE(t, nullptr);
    SurfaceDesc d;
    t->GetLevelDesc(0, d);
    EXPECT_EQ(d.width, 16u);
    EXPECT_EQ(d.height, 16u);
    ExpectDrawn(t, tsr::image::Scale(checker, 16, 16));
    EXPECT_EQ(t->Release(), 0u);

    // A 20 x 10 image at edge 8: squashed into 8 x 8.
    const Image wide = textest::Pattern(20, 10, false);
    t = Create(textest::EncodeBMP(wide), 8);
    ASSERT_NE(t, nullptr);
    t->GetLevelDesc(0, d);
    EXPECT_EQ(d.width, 8u);
    EXPECT_EQ(d.height, 8u);
    ExpectDrawn(t, tsr::image::Scale(wide, 8, 8));
    EXPECT_EQ(t->Release(), 0u);
}

TEST_F(TextureFileTest, MipLevelsAreBoxFilteredAndChosenWhenMinified)
{
    const Image src = textest::Pattern(16, 16, false);
    Texture* t = Create(textest::EncodePNG(src), 0, 0); // 0: the full chain
    ASSERT_NE(t, nullptr);
    EXPECT_EQ(t->GetLevelCount(), 5u);
    Texture* three = Create(textest::EncodePNG(src), 0, 3);
    ASSERT_NE(three, nullptr);
    EXPECT_EQ(three->GetLevelCount(), 3u);
    EXPECT_EQ(three->Release(), 0u);
    Texture* many = Create(textest::EncodePNG(src), 0, 40);
    ASSERT_NE(many, nullptr);
    EXPECT_EQ(many->GetLevelCount(), 5u);
    EXPECT_EQ(many->Release(), 0u);

    // Drawn at half size with point mip selection: exactly level 1.
    dev->SetTextureStageState(0, TSS_MIPFILTER, TEXF_POINT);
    const Image level1 = tsr::image::BoxHalve(src);
    ExpectDrawn(t, level1);
    dev->SetTextureStageState(0, TSS_MIPFILTER, TEXF_NONE);
    EXPECT_EQ(t->Release(), 0u);
}

TEST_F(TextureFileTest, SixteenBitFormatsLookAsTheyStore)
{
    const Image src = textest::Pattern(16, 8, true);
    const std::pair<Format, tsr::image::PixelFormat> formats[] = {
        {FMT_R5G6B5, tsr::image::PixelFormat::RGB565},
        {FMT_A4R4G4B4, tsr::image::PixelFormat::RGBA4},
        {FMT_A1R5G5B5, tsr::image::PixelFormat::RGB5A1},
    };
    for (const auto& [format, layout] : formats) {
        SCOPED_TRACE(int(format));
        Texture* t = Create(textest::EncodePNG(src), 0, 1, format);
        ASSERT_NE(t, nullptr);
        Image want = src;
        tsr::image::Quantize(want, layout);
        ExpectDrawn(t, want, 1);
        EXPECT_EQ(t->Release(), 0u);
    }
}

TEST_F(TextureFileTest, BrokenFilesCreateNothing)
{
    auto png = textest::EncodePNG(textest::Pattern(16, 16, true));
    png.resize(png.size() / 2);
    const std::vector<uint8_t> junk(100, 0x42);
    const std::vector<uint8_t>* inputs[] = {&png, &junk};
    for (const std::vector<uint8_t>* bytes : inputs) {
        Texture* t = reinterpret_cast<Texture*>(this); // must be cleared
        const HResult hr = tsr::image::TextureFromImageBytes(dev, bytes->data(), bytes->size(), 0, 0, 1, 0,
                                                                     FMT_A8R8G8B8, POOL_MANAGED, &t);
        EXPECT_TRUE(Failed(hr));
        EXPECT_EQ(t, nullptr);
    }
}

} // namespace
