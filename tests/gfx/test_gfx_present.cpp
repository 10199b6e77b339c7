// What Present leaves behind: the front buffer holds the presented picture
// until the next present, whatever is drawn or cleared meanwhile, and the
// back buffer keeps its pixels until they are drawn over.
#include <cstring>

#include "gfx_fixture.h"

using namespace tsr::gfx;

namespace {

constexpr uint32_t kRed = 0xFFFF0000u, kGreen = 0xFF00FF00u, kBlue = 0xFF0000FFu;

class PresentTest : public gfxtest::EngineTest {
protected:
    void SetUp() override
    {
        EngineTest::SetUp();
        Init(2, false); // 800 x 600, 32 bits, full screen
        DiffuseOnly();
    }
    // The front buffer as GetFrontBuffer hands it out, RGB only.
    uint32_t Front(uint32_t x, uint32_t y)
    {
        Surface* surface = nullptr;
        EXPECT_EQ(Dev()->CreateImageSurface(800, 600, FMT_A8R8G8B8, &surface), GFX_OK);
        EXPECT_EQ(Dev()->GetFrontBuffer(surface), GFX_OK);
        LockedRect locked;
        EXPECT_EQ(surface->LockRect(locked, nullptr, LOCK_READONLY), GFX_OK);
        uint32_t argb = 0;
        std::memcpy(&argb, static_cast<const uint8_t*>(locked.bits) + size_t(y) * locked.pitch + x * 4, 4);
        surface->UnlockRect();
        surface->Release();
        return argb & 0xFFFFFFu;
    }
    uint32_t Shown(uint32_t x, uint32_t y) { return At(Dev()->ReadPresentedPicture(), x, y); }
    uint32_t Back(uint32_t x, uint32_t y) { return At(Pixels(), x, y); }
    // One frame: clear (unless told not to), one quad, present.
    void Frame(uint32_t quadColour, float x, bool clear = true)
    {
        engine->SceneBegin();
        if (clear)
            engine->SceneClearScreen(0, 0, 0);
        Quad(x, 0, 10, 10, quadColour);
        engine->SceneEnd();
        engine->ScenePresent();
    }
};

} // namespace

TEST_F(PresentTest, DrawingAfterPresentLeavesTheFrontBufferAlone)
{
    Frame(kRed, 0);
    EXPECT_EQ(Front(1, 1), kRed & 0xFFFFFFu);

    // No clear: the new quad joins the kept back buffer.
    engine->SceneBegin();
    Quad(20, 0, 10, 10, kGreen);
    engine->SceneEnd();
    EXPECT_EQ(Back(1, 1), kRed & 0xFFFFFFu);
    EXPECT_EQ(Back(21, 1), kGreen & 0xFFFFFFu);
    EXPECT_EQ(Front(1, 1), kRed & 0xFFFFFFu);
    EXPECT_EQ(Front(21, 1), 0u);
    EXPECT_EQ(Shown(21, 1), 0u);

    engine->ScenePresent();
    EXPECT_EQ(Front(21, 1), kGreen & 0xFFFFFFu);
    EXPECT_EQ(Shown(1, 1), kRed & 0xFFFFFFu);
}

TEST_F(PresentTest, ClearingAfterPresentLeavesTheFrontBufferAlone)
{
    Frame(kRed, 0);
    engine->SceneBegin();
    engine->SceneClearScreen(0, 0, 1);
    EXPECT_EQ(Back(1, 1), kBlue & 0xFFFFFFu);
    EXPECT_EQ(Front(1, 1), kRed & 0xFFFFFFu);
    EXPECT_EQ(Front(100, 100), 0u);
    EXPECT_EQ(Shown(1, 1), kRed & 0xFFFFFFu);
    engine->SceneEnd();
    engine->ScenePresent();
    EXPECT_EQ(Front(1, 1), kBlue & 0xFFFFFFu);
    EXPECT_EQ(Front(100, 100), kBlue & 0xFFFFFFu);

    // Frame after frame, each present shows its own frame only.
    for (int i = 0; i < 4; ++i) {
        const uint32_t colour = i % 2 ? kGreen : kRed;
        Frame(colour, float(10 * i));
        EXPECT_EQ(Front(uint32_t(10 * i + 1), 1), colour & 0xFFFFFFu) << i;
        EXPECT_EQ(Front(uint32_t(10 * i + 11), 1), 0u) << i;
        if (i > 0) {
            EXPECT_EQ(Back(uint32_t(10 * i - 9), 1), 0u) << i;
        }
    }
}

TEST_F(PresentTest, AClearInsideAViewportKeepsTheRestOfTheBackBuffer)
{
    Frame(kRed, 0);
    engine->SceneBegin();
    engine->SceneSetViewport(100, 100, 50, 50);
    engine->SceneClearScreen(0, 1, 0);
    engine->SceneEnd();
    EXPECT_EQ(Back(1, 1), kRed & 0xFFFFFFu);
    EXPECT_EQ(Back(120, 120), kGreen & 0xFFFFFFu);
    EXPECT_EQ(Front(1, 1), kRed & 0xFFFFFFu);
    EXPECT_EQ(Front(120, 120), 0u);
    engine->ScenePresent();
    EXPECT_EQ(Front(1, 1), kRed & 0xFFFFFFu);
    EXPECT_EQ(Front(120, 120), kGreen & 0xFFFFFFu);
}

TEST_F(PresentTest, PresentingTwiceShowsTheSamePicture)
{
    Frame(kRed, 0);
    engine->ScenePresent();
    EXPECT_EQ(Front(1, 1), kRed & 0xFFFFFFu);
    EXPECT_EQ(Shown(1, 1), kRed & 0xFFFFFFu);
    EXPECT_EQ(Back(1, 1), kRed & 0xFFFFFFu);
}

TEST_F(PresentTest, BackToTheIdentityRampShowsThePictureUnchanged)
{
    engine->SceneBegin();
    engine->SceneClearScreen(0, 0, 0);
    for (int i = 0; i < 256; ++i) {
        const float v = float(i) / 255.0f;
        engine->VQuadSetPos(float(i), 0, 1, 1, 0.5f);
        engine->VQuadSetColor(v, 1.0f - v, v * 0.5f, 1.0f);
        engine->SceneRender();
    }
    engine->SceneEnd();
    engine->SceneSetGamma(0.5f, 0.0f);
    engine->ScenePresent();
    EXPECT_NEAR(int(Shown(255, 0) >> 16), 127, 1);

    GammaRamp identity;
    for (int i = 0; i < 256; ++i)
        identity.red[i] = identity.green[i] = identity.blue[i] = uint16_t(i * 257);
    Dev()->SetGammaRamp(SGR_NO_CALIBRATION, identity);
    engine->ScenePresent();
    const std::vector<uint32_t> back = Pixels(), shown = Dev()->ReadPresentedPicture();
    for (uint32_t x = 0; x < 256; ++x)
        EXPECT_EQ(At(shown, x, 0), At(back, x, 0)) << x;
}
