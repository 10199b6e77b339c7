// Light arithmetic and the light pass on a quad, set up by techniques.
#include <gtest/gtest.h>

#include <cstring>
#include <memory>

#include "common/tsr_temp_dir.h"
#include "ctesser.h"
#include "ctesser_gfx_light.h"

namespace {

TEST(LightMath, IntensityFallsOffAndGuardsDegenerateRadii)
{
    TSNLIGHT l;
    l.innerRadius = 10;
    l.outerRadius = 30;
    EXPECT_FLOAT_EQ(LightIntensity(l, 0), 1);
    EXPECT_FLOAT_EQ(LightIntensity(l, 10), 1);
    EXPECT_FLOAT_EQ(LightIntensity(l, 20), 0.5f);
    EXPECT_LE(LightIntensity(l, 40), 0);
    // Equal radii: a hard edge, never a division by zero.
    l.outerRadius = 10;
    EXPECT_FLOAT_EQ(LightIntensity(l, 10), 1);
    EXPECT_FLOAT_EQ(LightIntensity(l, 10.5f), 0);
    // Outer inside inner: likewise, never a brightening beyond 1.
    l.outerRadius = 5;
    EXPECT_FLOAT_EQ(LightIntensity(l, 12), 0);
}

TEST(LightMath, AccumulateAddsScaledColourWithDepthInPixels)
{
    TSNLIGHT l;
    l.innerRadius = 10;
    l.outerRadius = 30;
    l.color[2] = 1;
    l.color[3] = 0.5f;
    l.pos[0] = 100;
    l.pos[1] = 100;
    l.pos[2] = 0.5f;
    float rgba[4] = {0.1f, 0, 0, 1};
    LightAccumulate(l, 120, 100, 0.5f, 700, rgba); // 20 pixels away: half
    EXPECT_FLOAT_EQ(rgba[0], 0.1f);
    EXPECT_FLOAT_EQ(rgba[2], 0.5f);
    EXPECT_FLOAT_EQ(rgba[3], 1.25f);
    // A depth difference of 0.02 at k = 1000 is 20 pixels too.
    float deep[4] = {0, 0, 0, 0};
    LightAccumulate(l, 100, 100, 0.52f, 1000, deep);
    EXPECT_NEAR(deep[2], 0.5f, 1e-4);
    // Beyond the outer radius: nothing.
    float far[4] = {0, 0, 0, 0};
    LightAccumulate(l, 140, 100, 0.5f, 700, far);
    EXPECT_FLOAT_EQ(far[2], 0);
}

TEST(LightMath, Dot3DirectionBytes)
{
    TSNLIGHT l;
    l.pos[0] = 100;
    l.pos[1] = 50;
    // Light to the right: x = +1 -> 255; y and z 0 -> 128.
    EXPECT_EQ(LightDot3Color(l, 0, 50, 0, 700), 0xFFFF8080u);
    // Light above (smaller y): y = -1 -> 1.
    EXPECT_EQ(LightDot3Color(l, 100, 150, 0, 700), 0xFF800180u);
    // Light on the vertex: no direction; points out of the screen.
    EXPECT_EQ(LightDot3Color(l, 100, 50, 0, 700), 0xFF8080FFu);
    EXPECT_FLOAT_EQ(LightDepthScale(800, 600), 700);
    EXPECT_FLOAT_EQ(LightDepthScale(801, 600), 700);
}

TEST(LightMath, ChannelBytesRoundAndClamp)
{
    EXPECT_EQ(LightChannelByte(1.5f), 255);
    EXPECT_EQ(LightChannelByte(-0.2f), 0);
    EXPECT_EQ(LightChannelByte(0.5f), 128);
    const float c[4] = {1, 0.5f, 0, 1};
    EXPECT_EQ(LightPackDiffuse(c, 0.25f), 0x40FF8000u);
}

struct QuadVertex {
    float x, y, z, rhw;
    uint32_t diffuse, specular;
    float u1, v1, u2, v2;
};

// An engine object in a temporary folder with the managers of this code,
// no device: techniques still set the engine's light state.
class LightPassTest : public tsrtest::TempDirTest {
protected:
    void SetUp() override
    {
        TempDirTest::SetUp();
        m_engine = std::make_unique<CTesser>();
        m_engine->LightManagerCreate();
        m_engine->TechManagerCreate();
        const std::string pack =
            "<techniquespack>"
            "<t id=\"TEQ_VERTEX\" dynlightmode=\"VERTEX\" dynlightambientcolorr=\"1\" dynlightambientcolorg=\"0.5\"/>"
            "<t id=\"TEQ_OFF\" dynlightmode=\"DISABLED\"/>"
            "<t id=\"TEQ_DOT3\" dynlightmode=\"DOT3\"/>"
            "<t id=\"TEQ_NOLIGHT\" alphablending=\"ON\"/>"
            "</techniquespack>";
        m_engine->TechLoadPack(pack.data(), int32_t(pack.size()));
        for (int i = 0; i < 4; ++i) {
            quad[i] = QuadVertex{float(i % 2) * 10, float(i / 2) * 10, 0.5f, 0.5f, 0xFF123456u, 0, 0, 0, 0, 0};
            alpha[i] = 0.25f * float(i);
        }
    }
    void TearDown() override
    {
        m_engine->TechManagerFreeAll();
        m_engine->LightManagerFreeAll();
        m_engine.reset();
        TempDirTest::TearDown();
    }
    void Pass(bool dot3) { m_engine->LightPass(quad, alpha, 800, 600, dot3); }

    std::unique_ptr<CTesser> m_engine;
    QuadVertex quad[4];
    float alpha[4];
};

TEST_F(LightPassTest, VertexModeColoursWithAmbientAndKeepsAlpha)
{
    m_engine->TechApplyByStrID("TEQ_VERTEX");
    EXPECT_EQ(m_engine->LightGetMode(), 1);
    Pass(false);
    // 0.5 is stored as 127 by the technique and comes back as 127.
    for (int i = 0; i < 4; ++i)
        EXPECT_EQ(quad[i].diffuse, (uint32_t(alpha[i] * 255 + 0.5f) << 24) | 0xFF7F00u) << i;
    // A technique without the key keeps the mode; DISABLED leaves the lit colours.
    m_engine->TechApplyByStrID("TEQ_NOLIGHT");
    EXPECT_EQ(m_engine->LightGetMode(), 1);
    m_engine->TechApplyByStrID("TEQ_OFF");
    quad[0].diffuse = 0xFF7F00u;
    Pass(false);
    EXPECT_EQ(quad[0].diffuse, 0xFF7F00u);
}

TEST_F(LightPassTest, Dot3WithoutCapabilityChangesNothingAndWithItNeedsALight)
{
    m_engine->TechApplyByStrID("TEQ_DOT3");
    Pass(false);
    EXPECT_EQ(quad[0].diffuse, 0xFF123456u);
    try {
        Pass(true);
        FAIL() << "no light, yet the Dot3 pass ran";
    } catch (const CEHSException& e) {
        EXPECT_EQ(e.GetDescription(), "Wrong Dot3 light specified!");
        EXPECT_EQ(e.GetType(), EHS_GENERAL);
    }
}

} // namespace
