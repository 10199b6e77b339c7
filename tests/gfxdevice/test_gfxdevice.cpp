// The graphics device contract on its own, headless: references, loss and
// reset, formats, pitch, read-back.
#include <gtest/gtest.h>

#include "common/tsr_quad_device.h"
#include "platform/gfx/tsr_gfx.h"
#include "platform/window/tsr_gamewindow.h"

using namespace tsr::gfx;

namespace {

// A 64 x 32 back buffer, not square, and room for eight vertices.
class DeviceTest : public tsrtest::QuadDeviceTest {
protected:
    DeviceTest() : QuadDeviceTest(64, 32, 8) {}
};

TEST_F(DeviceTest, QuadCoversExactlyItsPixels)
{
    dev->SetTextureStageState(0, TSS_COLOROP, TOP_SELECTARG1);
    dev->SetTextureStageState(0, TSS_COLORARG1, TA_DIFFUSE);
    dev->Clear(0, nullptr, CLEAR_TARGET, 0xFF000000, 0, 0);
    DrawQuad(10, 5, 7, 3, 0xFFFF8000);
    auto px = ReadBack();
    for (int y = 0; y < 32; ++y)
        for (int x = 0; x < 64; ++x) {
            bool inside = x >= 10 && x < 17 && y >= 5 && y < 8;
            ASSERT_EQ(Px(px, x, y), inside ? 0xFFFF8000u : 0xFF000000u) << x << "," << y;
        }
}

TEST_F(DeviceTest, BoundResourcesHoldReferences)
{
    Texture* tex = nullptr;
    ASSERT_EQ(dev->CreateTexture(4, 4, 1, 0, FMT_A8R8G8B8, POOL_MANAGED, &tex), GFX_OK);
    dev->SetTexture(3, tex);
    EXPECT_EQ(tex->Release(), 1u); // the stage still holds it
    dev->SetTexture(3, nullptr);   // now it is gone
}

TEST_F(DeviceTest, MinimisedDeviceIsLostUntilResetWithoutDefaultPoolResources)
{
    EXPECT_EQ(dev->TestCooperativeLevel(), GFX_OK);
    tsr::MinimiseWindow(window);
    tsr::Message m;
    while (tsr::PeekMessage(m, tsr::PM_REMOVE)) {
    }
    EXPECT_EQ(dev->TestCooperativeLevel(), GFXERR_DEVICELOST);
    EXPECT_EQ(dev->Present(nullptr, nullptr, nullptr, nullptr), GFXERR_DEVICELOST);
    tsr::RestoreWindow(window);
    while (tsr::PeekMessage(m, tsr::PM_REMOVE)) {
    }
    EXPECT_EQ(dev->TestCooperativeLevel(), GFXERR_DEVICENOTRESET);
    EXPECT_EQ(dev->Reset(pp), GFXERR_INVALIDCALL); // the vertex buffer is still alive
    dev->SetStreamSource(0, nullptr, 0);
    EXPECT_EQ(vb->Release(), 0u);
    vb = nullptr;
    EXPECT_EQ(dev->Reset(pp), GFX_OK);
    EXPECT_EQ(dev->TestCooperativeLevel(), GFX_OK);
    uint32_t v = 0;
    dev->GetRenderState(RS_LIGHTING, v);
    EXPECT_EQ(v, 1u); // states are back at their defaults
}

TEST_F(DeviceTest, ImageSurfacePitchIsAlignedAndFrontBufferIsTheLastPresentedFrame)
{
    dev->Clear(0, nullptr, CLEAR_TARGET, 0xFF102030, 0, 0);
    dev->Present(nullptr, nullptr, nullptr, nullptr);
    dev->Clear(0, nullptr, CLEAR_TARGET, 0xFFFFFFFF, 0, 0); // not presented
    Surface* s = nullptr;
    ASSERT_EQ(dev->CreateImageSurface(64, 32, FMT_A8R8G8B8, &s), GFX_OK);
    ASSERT_EQ(dev->GetFrontBuffer(s), GFX_OK);
    LockedRect lr;
    ASSERT_EQ(s->LockRect(lr, nullptr, LOCK_READONLY), GFX_OK);
    EXPECT_EQ(lr.pitch, 256);
    const uint8_t* row = static_cast<const uint8_t*>(lr.bits) + 31 * lr.pitch;
    EXPECT_EQ(row[63 * 4 + 0], 0x30);
    EXPECT_EQ(row[63 * 4 + 1], 0x20);
    EXPECT_EQ(row[63 * 4 + 2], 0x10);
    EXPECT_EQ(row[63 * 4 + 3], 0xFF);
    s->UnlockRect();
    EXPECT_EQ(s->Release(), 0u);
}

struct FormatCase {
    Format format;
    uint32_t in, out;
};

TEST(PixelFormats, RoundTripThroughEachTextureFormat)
{
    const FormatCase cases[] = {
        {FMT_A8R8G8B8, 0x80FF4020, 0x80FF4020}, {FMT_X8R8G8B8, 0x80FF4020, 0xFFFF4020},
        {FMT_R5G6B5, 0x80FF4020, 0xFFFF4121},   {FMT_X1R5G5B5, 0x00FF4020, 0xFFFF4221},
        {FMT_A1R5G5B5, 0x00FF4020, 0x00FF4221}, {FMT_A4R4G4B4, 0x80FF4020, 0x88FF4422},
        {FMT_X4R4G4B4, 0x80FF4020, 0xFFFF4422}, {FMT_A8R3G3B2, 0x80FF4020, 0x80FF4900},
        {FMT_A8, 0x80FF4020, 0x80000000},       {FMT_L8, 0x80FFFFFF, 0xFFFFFFFF},
    };
    for (const auto& c : cases) {
        uint8_t buf[4] = {};
        ARGBToPixel(c.format, c.in, buf);
        EXPECT_EQ(PixelToARGB(c.format, buf), c.out) << "format " << c.format;
    }
}

} // namespace
