// The graphics subsystem's small rules: colour and fog bytes, the format
// names, the rating table, the texture format chains, the screenshot file
// layout, and the current quad's shaping operations.
#include <cmath>
#include <limits>
#include <set>

#include "gfx_fixture.h"

using namespace tsr::gfx;

namespace {

TEST(GfxColour, ChannelsAreTruncatedAndClamped)
{
    struct Case {
        float r, g, b, a;
        uint32_t argb;
    } cases[] = {
        {1, 0, 0, 0.5f, 0x7FFF0000},
        {0.5f, 0.25f, 1, 1, 0xFF7F3FFF},
        {1.5f, -0.2f, 2, 1, 0xFFFF00FF}, // clamped, no wrap to 126
        {std::numeric_limits<float>::quiet_NaN(), 0, 0, 1, 0xFF000000},
        {std::numeric_limits<float>::infinity(), 0, 0, -std::numeric_limits<float>::infinity(), 0x00FF0000},
    };
    for (const Case& c : cases)
        EXPECT_EQ(GfxColorToARGB(c.r, c.g, c.b, c.a), c.argb) << c.r << " " << c.g << " " << c.b << " " << c.a;
}

TEST(GfxColour, FogBytes)
{
    EXPECT_EQ(GfxFogByte(0.5f), 128u);
    EXPECT_EQ(GfxFogByte(1.2f), 255u);
    EXPECT_EQ(GfxFogByte(1.0f), 255u);
    EXPECT_EQ(GfxFogByte(-1.0f), 0u);
    EXPECT_EQ(GfxFogByte(0.0f), 0u);
    EXPECT_EQ(GfxFogByte(std::numeric_limits<float>::quiet_NaN()), 0u);
}

TEST(GfxFormats, NamesFromTheTable)
{
    EXPECT_STREQ(GfxFormatName(FMT_UNKNOWN), "D3DFMT_UNKNOWN");
    EXPECT_STREQ(GfxFormatName(FMT_X8R8G8B8), "D3DFMT_X8R8G8B8");
    EXPECT_STREQ(GfxFormatName(FMT_R5G6B5), "D3DFMT_R5G6B5");
    EXPECT_STREQ(GfxFormatName(FMT_INDEX32), "D3DFMT_INDEX32");
    EXPECT_STREQ(GfxFormatName(FMT_D24X8), "D3DFMT_D24X8");
    EXPECT_STREQ(GfxFormatName(Format(74)), "Unknown format!");
    EXPECT_STREQ(GfxFormatName(Format(0xFFFFFFFF)), "Unknown format!");
}

TEST(GfxRating, TableOfVendorsAndDevices)
{
    struct Case {
        uint32_t vendor, device;
        int32_t rating;
    } cases[] = {
        {0x10DE, 0x0000, 1}, {0x10DE, 0x0027, 1}, {0x10DE, 0x0028, 2}, {0x10DE, 0x00FF, 2},
        {0x10DE, 0x016F, 3}, {0x10DE, 0x0170, 4}, {0x10DE, 0x024F, 4}, {0x10DE, 0x0250, 5},
        {0x10DE, 0xFFFF, 5}, {0x1002, 0x4E48, 5}, {0x1002, 0x514C, 5}, {0x1002, 0x5157, 4},
        {0x1002, 0x5144, 4}, {0x1002, 0x5159, 3}, {0x1002, 0x4C4D, 2}, {0x1002, 0x524C, 1},
        {0x1002, 0x1234, 0}, {0x102B, 0x2527, 2}, {0x102B, 0x0525, 2}, {0x102B, 0x0521, 1},
        {0x1039, 0x6300, 2}, {0x8086, 0x7800, 1}, {0x8086, 0x7801, 0}, {0x104A, 0x0010, 4},
        {0x121A, 0x0009, 3}, {0x121A, 0x0005, 2}, {0x1023, 0x8520, 1}, {0, 0, 0},
        {0xFFFF, 0x0250, 0},
    };
    for (const Case& c : cases)
        EXPECT_EQ(GfxRateVideoCard(c.vendor, c.device), c.rating) << std::hex << c.vendor << ":" << c.device;
}

TEST(GfxFormats, TextureFormatChains)
{
    struct Case {
        std::set<Format> supported;
        Format f1, f2, f3, f4;
    } cases[] = {
        {{FMT_R5G6B5, FMT_A4R4G4B4, FMT_A8R8G8B8}, FMT_R5G6B5, FMT_A4R4G4B4, FMT_A8R8G8B8, FMT_A8R8G8B8},
        {{FMT_X1R5G5B5, FMT_A1R5G5B5, FMT_X8R8G8B8}, FMT_X1R5G5B5, FMT_A1R5G5B5, FMT_UNKNOWN, FMT_X8R8G8B8},
        // A1R5G5B5 ends class 1 unfilled even though X4R4G4B4 would do.
        {{FMT_A1R5G5B5, FMT_X4R4G4B4}, FMT_UNKNOWN, FMT_A1R5G5B5, FMT_X4R4G4B4, FMT_UNKNOWN},
        {{FMT_X4R4G4B4}, FMT_X4R4G4B4, FMT_UNKNOWN, FMT_X4R4G4B4, FMT_UNKNOWN},
        {{FMT_A4R4G4B4}, FMT_UNKNOWN, FMT_A4R4G4B4, FMT_A4R4G4B4, FMT_UNKNOWN},
        {{FMT_A8R3G3B2}, FMT_UNKNOWN, FMT_A8R3G3B2, FMT_UNKNOWN, FMT_UNKNOWN},
        {{}, FMT_UNKNOWN, FMT_UNKNOWN, FMT_UNKNOWN, FMT_UNKNOWN},
    };
    for (const Case& c : cases) {
        TSNDISPLAYMODE m;
        GfxChooseTextureFormats(m, [&](Format f) { return c.supported.count(f) > 0; });
        EXPECT_EQ(m.TextureFormat01, c.f1);
        EXPECT_EQ(m.TextureFormat02, c.f2);
        EXPECT_EQ(m.TextureFormat03, c.f3);
        EXPECT_EQ(m.TextureFormat04, c.f4);
    }
}

TEST(GfxScreenshot, RowsArePaddedAndTakenByThePitch)
{
    // 3 x 2 pixels, rows 32 bytes apart: each BMP row is 9 bytes + 3 padding.
    std::vector<uint8_t> bits(64, 0xEE);
    for (uint32_t y = 0; y < 2; ++y)
        for (uint32_t x = 0; x < 3; ++x) {
            uint8_t* p = &bits[y * 32 + x * 4];
            p[0] = uint8_t(0x10 * y + x); // blue
            p[1] = 0x80;
            p[2] = 0x90;
            p[3] = 0xFF;
        }
    const std::vector<uint8_t> bmp = GfxBuildScreenshotBMP(bits.data(), 32, 3, 2);
    ASSERT_EQ(bmp.size(), 54u + 24u);
    EXPECT_EQ(bmp[2], 78);
    EXPECT_EQ(bmp[34], 24); // image size
    // Bottom row (y = 1) first.
    EXPECT_EQ(bmp[54], 0x10);
    EXPECT_EQ(bmp[54 + 3], 0x11);
    EXPECT_EQ(bmp[54 + 8], 0x90);
    EXPECT_EQ(bmp[54 + 9], 0);
    EXPECT_EQ(bmp[54 + 11], 0);
    EXPECT_EQ(bmp[54 + 12], 0x00); // top row
    EXPECT_EQ(bmp[54 + 15], 0x01);
    // A width that is a multiple of 4 has no padding: 800 x 600 is 1440054 bytes.
    std::vector<uint8_t> big(size_t(3328) * 600, 0);
    EXPECT_EQ(GfxBuildScreenshotBMP(big.data(), 3328, 800, 600).size(), 1440054u);
}

// The current quad, with graphics pre-initialised only (no device needed).
using QuadTest = gfxtest::EngineTest;

TEST_F(QuadTest, ShapingOperations)
{
    engine->VQuadSetPos(10, 20, 30, 40, 0.5f);
    TSNVERTEX* q = engine->VQuadGetVertices();
    EXPECT_EQ(q[2].x, 40.0f);
    EXPECT_EQ(q[2].y, 60.0f);
    EXPECT_EQ(q[3].x, 10.0f);
    EXPECT_EQ(q[3].y, 60.0f);

    engine->VQuadSetPos(10, 20, 30, 40, 0.5f);
    engine->VQuadRotate(10, 20, 90);
    EXPECT_NEAR(q[1].x, 10.0f, 1e-4);
    EXPECT_NEAR(q[1].y, 50.0f, 1e-4); // top-right corner straight below the centre

    engine->VQuadSetPos(10, 20, 30, 40, 0.5f);
    engine->VQuadScale(10, 20, 2);
    EXPECT_EQ(q[2].x, 70.0f);
    EXPECT_EQ(q[2].y, 100.0f);

    engine->VQuadMove(1, 2, 0.25f);
    EXPECT_EQ(q[0].x, 11.0f);
    EXPECT_EQ(q[0].y, 22.0f);
    EXPECT_EQ(q[0].z, 0.75f);

    engine->VQuadSetTexCoords(2, 0.1f, 0.2f, 0.3f, 0.4f);
    EXPECT_EQ(q[2].tu2, 0.3f);
    EXPECT_EQ(q[2].tv2, 0.4f);
    EXPECT_EQ(q[3].tu2, 0.1f);

    engine->VQuadSetColor(1, 0, 0, 0.5f);
    EXPECT_EQ(q[1].diffuse, 0x7FFF0000u);
    EXPECT_EQ(engine->VQuadGetSavedAlpha()[3], 0.5f);
    engine->VQuadSetColorByVertex(2, 0, 1, 0, 1);
    EXPECT_EQ(q[2].diffuse, 0xFF00FF00u);
    EXPECT_EQ(q[1].diffuse, 0x7FFF0000u);
}

TEST_F(QuadTest, VertexFogWritesTheSpecularAlpha)
{
    engine->VQuadSetVertexFog(true);
    TSNVERTEX* q = engine->VQuadGetVertices();
    engine->VQuadSetPos(0, 0, 1, 1, 0.5f);
    for (int i = 0; i < 4; ++i)
        EXPECT_EQ(q[i].specular, 0x80FFFFFFu);
    engine->VQuadSetPosByVertex(1, 0, 0, 1.2f);
    EXPECT_EQ(q[1].specular, 0xFFFFFFFFu);
    EXPECT_EQ(q[0].specular, 0x80FFFFFFu);
    engine->VQuadSetPos(0, 0, 1, 1, 0.0f);
    engine->VQuadSetPosByVertex(3, 0, 0, -1.0f);
    engine->VQuadMove(0, 0, 0.5f); // vertex 3's new z (-0.5) decides for all
    for (int i = 0; i < 4; ++i)
        EXPECT_EQ(q[i].specular, 0x00FFFFFFu);
    engine->VQuadSetVertexFog(false);
    q[0].specular = 0x12345678;
    engine->VQuadSetPos(0, 0, 1, 1, 0.5f);
    EXPECT_EQ(q[0].specular, 0x12345678u);
}

TEST_F(QuadTest, BadSetNumbersAndVertexIndicesAreRefused)
{
    for (int set : {0, 3, -1}) {
        try {
            engine->VQuadSetTexCoords(set, 0, 0, 1, 1);
            ADD_FAILURE() << set;
        } catch (const CEHSException& e) {
            EXPECT_EQ(e.GetType(), EHS_GAME);
            EXPECT_EQ(e.GetDescription(), "Wrong texture coordinates set number: must be 1 or 2");
        }
    }
    for (int v : {-1, 4, 1000000}) {
        EXPECT_THROW(engine->VQuadSetPosByVertex(v, 0, 0, 0), CEHSException) << v;
        EXPECT_THROW(engine->VQuadSetColorByVertex(v, 0, 0, 0, 0), CEHSException) << v;
    }
}

} // namespace
