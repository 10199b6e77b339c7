// Pixels drawn through the engine's scene and quad operations, read back
// from the headless device.
#include <cmath>
#include <cstring>
#include <functional>

#include "gfx_fixture.h"

using namespace tsr::gfx;

namespace {

class RenderTest : public gfxtest::EngineTest {
protected:
    void SetUp() override
    {
        EngineTest::SetUp();
        Init(2, false); // 800 x 600, 32 bits, full screen
        engine->SceneBegin();
        engine->SceneClearScreen(0, 0, 0);
        DiffuseOnly();
    }
    void TearDown() override
    {
        if (engine && engine->VQuadBatchIsOpen())
            engine->SceneEnd();
        EngineTest::TearDown();
    }
    // Ends the scene and returns the back buffer.
    std::vector<uint32_t> Finish()
    {
        engine->SceneEnd();
        return Pixels();
    }
    // A texture of w x h ARGB texels, bound to `stage` on the device.
    Texture* MakeTexture(uint32_t w, uint32_t h, const std::function<uint32_t(uint32_t, uint32_t)>& texel,
                         uint32_t stage = 0)
    {
        Texture* t = nullptr;
        EXPECT_EQ(Dev()->CreateTexture(w, h, 1, 0, FMT_A8R8G8B8, POOL_MANAGED, &t), GFX_OK);
        LockedRect lr;
        EXPECT_EQ(t->LockRect(0, lr, nullptr, 0), GFX_OK);
        for (uint32_t y = 0; y < h; ++y)
            for (uint32_t x = 0; x < w; ++x)
                std::memcpy(static_cast<uint8_t*>(lr.bits) + y * lr.pitch + x * 4, &(const uint32_t&)texel(x, y), 4);
        t->UnlockRect(0);
        engine->VQuadBatchFlush();
        Dev()->SetTexture(stage, t);
        t->Release(); // the stage keeps it
        return t;
    }
};

TEST_F(RenderTest, QuadEdgesAreExact)
{
    Quad(10, 20, 30, 40, 0xFFFF0000);
    Quad(798, 598, 2, 2, 0xFF00FF00); // the last pixels of the screen
    auto px = Finish();
    for (uint32_t y = 0; y < 600; y += (y > 70 && y < 590) ? 50 : 1)
        for (uint32_t x = 0; x < 800; ++x) {
            uint32_t expected = 0;
            if (x >= 10 && x < 40 && y >= 20 && y < 60)
                expected = 0xFF0000;
            if (x >= 798 && y >= 598)
                expected = 0x00FF00;
            ASSERT_EQ(At(px, x, y), expected) << x << "," << y;
        }
}

TEST_F(RenderTest, OneToOneTexturingIsTexelExactEvenWithLinearFiltering)
{
    auto texel = [](uint32_t x, uint32_t y) { return 0xFF000000u | (x * 30u) << 16 | (y * 30u) << 8 | 0x55u; };
    MakeTexture(8, 8, texel);
    Dev()->SetTextureStageState(0, TSS_COLOROP, TOP_SELECTARG1);
    Dev()->SetTextureStageState(0, TSS_COLORARG1, TA_TEXTURE);
    Dev()->SetTextureStageState(0, TSS_MINFILTER, TEXF_LINEAR);
    Dev()->SetTextureStageState(0, TSS_MAGFILTER, TEXF_LINEAR);
    Quad(100, 50, 8, 8, 0xFFFFFFFF);
    auto px = Finish();
    for (uint32_t y = 0; y < 8; ++y)
        for (uint32_t x = 0; x < 8; ++x)
            ASSERT_EQ(At(px, 100 + x, 50 + y), texel(x, y) & 0xFFFFFF) << x << "," << y;
    EXPECT_EQ(At(px, 99, 50), 0u);
    EXPECT_EQ(At(px, 108, 57), 0u);
}

TEST_F(RenderTest, AQuadSubmittedTwiceMovesHalfAPixelEachTime)
{
    // The shift is applied to the stored quad: the second copy lands one
    // whole pixel up and to the left of the position that was set.
    engine->VQuadSetPos(50, 50, 10, 10, 0.5f);
    engine->VQuadSetColor(1, 1, 1, 1);
    engine->SceneRender();
    engine->VQuadSetColor(0, 0, 1, 1);
    engine->SceneRender();
    auto px = Finish();
    EXPECT_EQ(At(px, 49, 49), 0x0000FFu);
    EXPECT_EQ(At(px, 58, 58), 0x0000FFu);
    EXPECT_EQ(At(px, 59, 59), 0xFFFFFFu);
    EXPECT_EQ(At(px, 60, 60), 0u);
}

TEST_F(RenderTest, MirroredQuadsAreCulledLikeTheDefaultState)
{
    engine->VQuadSetPos(10, 10, 10, 10, 0.5f);
    engine->VQuadSetColor(1, 1, 1, 1);
    engine->VQuadScale(15, 15, -1); // point-mirrored: still clockwise, drawn
    engine->SceneRender();
    engine->VQuadSetPos(30, 10, 10, 10, 0.5f);
    engine->VQuadSetColor(1, 1, 1, 1);
    engine->VQuadSetPosByVertex(0, 40, 10, 0.5f); // mirrored left to right
    engine->VQuadSetPosByVertex(1, 30, 10, 0.5f);
    engine->VQuadSetPosByVertex(2, 30, 20, 0.5f);
    engine->VQuadSetPosByVertex(3, 40, 20, 0.5f);
    engine->SceneRender();
    auto px = Finish();
    EXPECT_EQ(At(px, 15, 15), 0xFFFFFFu);
    EXPECT_EQ(At(px, 35, 15), 0u); // counter-clockwise on screen: culled
}

// ---------------------------------------------------------------- blending

struct BlendCase {
    uint32_t src, dst;
};

float Factor(uint32_t f, const float s[4], const float d[4], int ch)
{
    switch (f) {
    case BLEND_ZERO:
        return 0;
    case BLEND_ONE:
        return 1;
    case BLEND_SRCCOLOR:
        return s[ch];
    case BLEND_INVSRCCOLOR:
        return 1 - s[ch];
    case BLEND_SRCALPHA:
        return s[3];
    case BLEND_INVSRCALPHA:
        return 1 - s[3];
    case BLEND_DESTALPHA:
        return d[3];
    case BLEND_INVDESTALPHA:
        return 1 - d[3];
    case BLEND_DESTCOLOR:
        return d[ch];
    case BLEND_INVDESTCOLOR:
        return 1 - d[ch];
    case BLEND_SRCALPHASAT:
        return std::min(s[3], 1 - d[3]);
    }
    return 0;
}

TEST_F(RenderTest, EveryBlendFactorAsSourceAndAsDestination)
{
    // Background (0x40, 0x80, 0xC0) with the opaque alpha of a 32-bit
    // screen without alpha bits; source (0xFF, 0x60, 0x20) at alpha 0x80.
    std::vector<BlendCase> cases;
    for (uint32_t f = BLEND_ZERO; f <= BLEND_SRCALPHASAT; ++f) {
        cases.push_back({f, BLEND_ZERO});
        cases.push_back({BLEND_ONE, f});
        cases.push_back({f, BLEND_INVSRCALPHA});
    }
    cases.push_back({BLEND_SRCALPHA, BLEND_INVSRCALPHA});
    cases.push_back({BLEND_DESTCOLOR, BLEND_SRCCOLOR});

    const float s[4] = {1.0f, float(0x60) / 255, float(0x20) / 255, float(0x80) / 255};
    const float d[4] = {float(0x40) / 255, float(0x80) / 255, float(0xC0) / 255, 1.0f};
    Dev()->SetRenderState(RS_ALPHABLENDENABLE, 1);
    int i = 0;
    for (const BlendCase& c : cases) {
        engine->VQuadBatchFlush();
        Dev()->SetRenderState(RS_SRCBLEND, c.src);
        Dev()->SetRenderState(RS_DESTBLEND, c.dst);
        Dev()->SetRenderState(RS_ALPHABLENDENABLE, 0);
        Quad(float(4 * i), 0, 4, 4, 0xFF4080C0);
        engine->VQuadBatchFlush();
        Dev()->SetRenderState(RS_ALPHABLENDENABLE, 1);
        Quad(float(4 * i), 0, 4, 4, 0x80FF6020);
        ++i;
    }
    auto px = Finish();
    i = 0;
    for (const BlendCase& c : cases) {
        uint32_t got = At(px, 4 * i + 1, 1);
        for (int ch = 0; ch < 3; ++ch) {
            float v = s[ch] * Factor(c.src, s, d, ch) + d[ch] * Factor(c.dst, s, d, ch);
            int expected = int(std::lround(std::min(1.0f, v) * 255));
            int value = int((got >> (16 - 8 * ch)) & 255);
            EXPECT_NEAR(value, expected, 1) << "src " << c.src << " dst " << c.dst << " channel " << ch;
        }
        ++i;
    }
}

// ---------------------------------------------------------------- stages

struct StageCase {
    const char* name;
    uint32_t op0, a01, a02;   // stage 0 colour op and arguments
    uint32_t op1, a11, a12;   // stage 1 (TOP_DISABLE: off)
    uint32_t expected;        // RGB
};

TEST_F(RenderTest, EachStageOperationAndArgument)
{
    // diffuse 0x806040, texture 0x204080 (both stages), factor 0x102030,
    // specular 0x404040.
    const StageCase cases[] = {
        {"select diffuse", TOP_SELECTARG1, TA_DIFFUSE, TA_CURRENT, TOP_DISABLE, 0, 0, 0x806040},
        {"select current at stage 0 is diffuse", TOP_SELECTARG2, TA_TEXTURE, TA_CURRENT, TOP_DISABLE, 0, 0, 0x806040},
        {"select texture", TOP_SELECTARG1, TA_TEXTURE, TA_DIFFUSE, TOP_DISABLE, 0, 0, 0x204080},
        {"select factor", TOP_SELECTARG2, TA_DIFFUSE, TA_TFACTOR, TOP_DISABLE, 0, 0, 0x102030},
        {"select specular", TOP_SELECTARG1, TA_SPECULAR, TA_DIFFUSE, TOP_DISABLE, 0, 0, 0x404040},
        {"modulate", TOP_MODULATE, TA_TEXTURE, TA_DIFFUSE, TOP_DISABLE, 0, 0, 0x101820},
        {"add saturates", TOP_ADD, TA_TEXTURE, TA_DIFFUSE, TOP_DISABLE, 0, 0, 0xA0A0C0},
        {"subtract clamps at 0", TOP_SUBTRACT, TA_DIFFUSE, TA_TEXTURE, TOP_DISABLE, 0, 0, 0x602000},
        {"stage 1 adds the factor to current", TOP_SELECTARG1, TA_DIFFUSE, 0, TOP_ADD, TA_CURRENT, TA_TFACTOR, 0x908070},
        {"stage 1 modulates with its texture", TOP_SELECTARG1, TA_DIFFUSE, 0, TOP_MODULATE, TA_TEXTURE, TA_CURRENT,
         0x101820},
        {"disabled stage 0 shows diffuse", TOP_DISABLE, TA_TEXTURE, TA_TEXTURE, TOP_ADD, TA_TFACTOR, TA_TFACTOR,
         0x806040},
    };
    MakeTexture(1, 1, [](uint32_t, uint32_t) { return 0xFF204080u; }, 0);
    MakeTexture(1, 1, [](uint32_t, uint32_t) { return 0xFF204080u; }, 1);
    Dev()->SetRenderState(RS_TEXTUREFACTOR, 0xFF102030);
    int i = 0;
    for (const StageCase& c : cases) {
        engine->VQuadBatchFlush();
        Dev()->SetTextureStageState(0, TSS_COLOROP, c.op0);
        Dev()->SetTextureStageState(0, TSS_COLORARG1, c.a01);
        Dev()->SetTextureStageState(0, TSS_COLORARG2, c.a02);
        Dev()->SetTextureStageState(1, TSS_COLOROP, c.op1);
        Dev()->SetTextureStageState(1, TSS_COLORARG1, c.a11);
        Dev()->SetTextureStageState(1, TSS_COLORARG2, c.a12);
        engine->VQuadSetPos(float(4 * i), 10, 4, 4, 0.5f);
        engine->VQuadSetColor(float(0x80) / 255, float(0x60) / 255, float(0x40) / 255, 1);
        for (int v = 0; v < 4; ++v)
            engine->VQuadGetVertices()[v].specular = 0xFF404040;
        engine->VQuadSetTexCoords(1, 0, 0, 1, 1);
        engine->VQuadSetTexCoords(2, 0, 0, 1, 1);
        engine->SceneRender();
        ++i;
    }
    auto px = Finish();
    i = 0;
    for (const StageCase& c : cases) {
        uint32_t got = At(px, 4 * i + 1, 11);
        for (int sh = 0; sh <= 16; sh += 8)
            EXPECT_NEAR(int((got >> sh) & 255), int((c.expected >> sh) & 255), 1) << c.name;
        ++i;
    }
}

TEST_F(RenderTest, DotProductGoesToEveryChannel)
{
    // (1, 0.5, 0.5) . (1, 0.5, 0.5) after the signed expansion: 4 x 0.25 = 1.
    MakeTexture(1, 1, [](uint32_t, uint32_t) { return 0xFFFF8080u; });
    Dev()->SetTextureStageState(0, TSS_COLOROP, TOP_DOTPRODUCT3);
    Dev()->SetTextureStageState(0, TSS_COLORARG1, TA_TEXTURE);
    Dev()->SetTextureStageState(0, TSS_COLORARG2, TA_DIFFUSE);
    Quad(0, 0, 4, 4, 0xFFFF8080);
    // Perpendicular vectors: 0.
    Quad(4, 0, 4, 4, 0xFF80FF80);
    auto px = Finish();
    EXPECT_EQ(At(px, 1, 1), 0xFFFFFFu);
    EXPECT_NEAR(int(At(px, 5, 1) & 255), 0, 2);
}

TEST_F(RenderTest, AlphaFromTheStagesReachesBlending)
{
    Dev()->SetTextureStageState(0, TSS_ALPHAOP, TOP_SELECTARG1);
    Dev()->SetTextureStageState(0, TSS_ALPHAARG1, TA_TFACTOR);
    Dev()->SetRenderState(RS_TEXTUREFACTOR, 0x40FFFFFF);
    Dev()->SetRenderState(RS_ALPHABLENDENABLE, 1);
    Dev()->SetRenderState(RS_SRCBLEND, BLEND_SRCALPHA);
    Dev()->SetRenderState(RS_DESTBLEND, BLEND_INVSRCALPHA);
    Quad(0, 0, 4, 4, 0xFFFFFFFF); // diffuse alpha is ignored: factor alpha 0x40 counts
    auto px = Finish();
    EXPECT_NEAR(int(At(px, 1, 1) & 255), 0x40, 1);
}

TEST_F(RenderTest, VertexFogMixesTheFogColourBySpecularAlpha)
{
    engine->VQuadSetVertexFog(true);
    Dev()->SetRenderState(RS_FOGENABLE, 1);
    Dev()->SetRenderState(RS_FOGCOLOR, 0xFF0000FF);
    const float zs[] = {1.0f, 0.0f, 0.25f};
    for (int i = 0; i < 3; ++i) {
        engine->VQuadSetPos(float(4 * i), 0, 4, 4, zs[i]);
        engine->VQuadSetColor(1, 0, 0, 1);
        engine->SceneRender();
    }
    auto px = Finish();
    EXPECT_EQ(At(px, 1, 1), 0xFF0000u); // fog factor 1: no fog
    EXPECT_EQ(At(px, 5, 1), 0x0000FFu); // 0: all fog
    uint32_t mixed = At(px, 9, 1);       // 64/255 of the red, the rest blue
    EXPECT_NEAR(int(mixed >> 16), 64, 1);
    EXPECT_NEAR(int(mixed & 255), 191, 1);
}

TEST_F(RenderTest, ViewportClipsAndClearsOnlyItsArea)
{
    engine->SceneSetViewport(100, 100, 50, 40);
    engine->SceneClearScreen(0, 0, 1);
    Quad(0, 0, 800, 600, 0xFFFFFFFF);
    engine->SceneSetViewport(0, 0, 800, 600);
    auto px = Finish();
    EXPECT_EQ(At(px, 99, 120), 0u);
    EXPECT_EQ(At(px, 100, 100), 0xFFFFFFu);
    EXPECT_EQ(At(px, 149, 139), 0xFFFFFFu);
    EXPECT_EQ(At(px, 150, 120), 0u);
    EXPECT_EQ(At(px, 120, 140), 0u);
}

TEST_F(RenderTest, ViewportRequestsAreClampedToTheScreen)
{
    struct Case {
        int x, y, w, h;
        uint32_t ex, ey, ew, eh;
    } cases[] = {
        {-10, -10, 100, 100, 0, 0, 90, 90},
        {750, 0, 100, 700, 750, 0, 50, 600},
        {900, 700, 10, 10, 900, 700, 0, 0},
        {-500, 10, 100, 10, 0, 10, 0, 10},
        {10, 10, 2147483647, 2147483647, 10, 10, 790, 590},
    };
    for (const Case& c : cases) {
        engine->SceneSetViewport(c.x, c.y, c.w, c.h);
        Viewport vp;
        Dev()->GetViewport(vp);
        if (c.ew == 0 || c.eh == 0) {
            EXPECT_TRUE(vp.width == 0 || vp.height == 0) << c.x << "," << c.y;
        } else {
            EXPECT_EQ(vp.x, c.ex);
            EXPECT_EQ(vp.y, c.ey);
            EXPECT_EQ(vp.width, c.ew);
            EXPECT_EQ(vp.height, c.eh);
        }
    }
}

TEST_F(RenderTest, BatchesOf500QuadsAreOneDrawCallEach)
{
    const uint64_t before = Dev()->GetDrawCallCount();
    for (int i = 0; i < 499; ++i)
        Quad(0, 0, 1, 1, 0xFFFFFFFF);
    EXPECT_EQ(Dev()->GetDrawCallCount(), before);
    Quad(0, 0, 1, 1, 0xFFFFFFFF); // the 500th fills the batch
    EXPECT_EQ(Dev()->GetDrawCallCount(), before + 1);
    engine->SceneEnd();
    EXPECT_EQ(Dev()->GetDrawCallCount(), before + 1); // nothing left at the end

    engine->SceneBegin();
    for (int i = 0; i < 501; ++i)
        Quad(0, 0, 1, 1, 0xFFFFFFFF);
    engine->SceneEnd();
    EXPECT_EQ(Dev()->GetDrawCallCount(), before + 3);

    // Outside a scene nothing is added.
    Quad(0, 0, 1, 1, 0xFFFFFFFF);
    EXPECT_EQ(engine->VQuadGetBatchCount(), 0);
}

TEST_F(RenderTest, LosingFocusAbandonsTheOpenBatch)
{
    Quad(0, 0, 10, 10, 0xFFFFFFFF);
    const uint64_t before = Dev()->GetDrawCallCount();
    engine->OnFocusLost();
    EXPECT_FALSE(engine->VQuadBatchIsOpen());
    engine->SceneEnd();
    EXPECT_EQ(Dev()->GetDrawCallCount(), before);
    EXPECT_EQ(At(Pixels(), 1, 1), 0u);
}

TEST_F(RenderTest, GammaRampIsAppliedToThePresentedPicture)
{
    Quad(0, 0, 10, 10, 0xFFFFFFFF);
    Quad(10, 0, 10, 10, 0xFF808080);
    engine->SceneEnd();
    engine->SceneSetGamma(0.5f, 0.0f);
    engine->ScenePresent();
    auto shown = Dev()->ReadPresentedPicture();
    EXPECT_NEAR(int(At(shown, 1, 1) & 255), 127, 1);
    EXPECT_NEAR(int(At(shown, 11, 1) & 255), 64, 1);
    EXPECT_EQ(At(shown, 30, 1), 0u);
    // The back buffer and the screenshot copy are not changed by the ramp.
    EXPECT_EQ(At(Pixels(), 1, 1), 0xFFFFFFu);
}

TEST_F(RenderTest, GammaRampEntries)
{
    struct Case {
        float brightness, curve;
        int index;
        uint16_t entry;
    } cases[] = {
        {1.0f, 0.0f, 255, 65535}, {1.0f, 0.0f, 0, 0},      {1.0f, 0.0f, 128, uint16_t(128.0 / 255 * 65535)},
        {0.5f, 0.0f, 255, 32767}, {1.5f, 0.0f, 0, 32767},  {3.0f, 0.0f, 0, 65535},
        {-1.0f, 0.0f, 255, 0},    {1.0f, 1.0f, 128, 49279},
    };
    for (const Case& c : cases) {
        engine->SceneSetGamma(c.brightness, c.curve);
        GammaRamp ramp;
        Dev()->GetGammaRamp(ramp);
        EXPECT_NEAR(ramp.red[c.index], c.entry, 1) << c.brightness << " " << c.curve << " @" << c.index;
        EXPECT_EQ(ramp.red[c.index], ramp.blue[c.index]);
    }
    // The identity ramp exactly: integer part of (i / 255) x 65535.
    engine->SceneSetGamma(1.0f, 0.0f);
    GammaRamp ramp;
    Dev()->GetGammaRamp(ramp);
    for (int i = 0; i < 256; ++i)
        EXPECT_NEAR(ramp.green[i], int(double(i) / 255 * 65535), 1) << i;
}

} // namespace
