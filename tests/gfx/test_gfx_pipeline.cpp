// The whole drawing chain as the game uses it: a texture resource loaded
// from image bytes, technique packs applied by name, quads rendered, and a
// device reset in between.
#include <cstring>

#include "gfx_fixture.h"
#include "platform/window/tsr_gamewindow.h"

namespace {

// A 24-bit BMP file of w x h pixels (0xRRGGBB, top row first).
std::string Bmp24(int w, int h, const std::vector<uint32_t>& rgb)
{
    const int stride = (w * 3 + 3) & ~3;
    std::string f(54 + size_t(stride) * h, '\0');
    auto put32 = [&](size_t at, uint32_t v) {
        for (int i = 0; i < 4; ++i)
            f[at + i] = char(v >> (8 * i));
    };
    f[0] = 'B';
    f[1] = 'M';
    put32(2, uint32_t(f.size()));
    put32(10, 54);
    put32(14, 40);
    put32(18, uint32_t(w));
    put32(22, uint32_t(h));
    f[26] = 1;
    f[28] = 24;
    put32(34, uint32_t(stride * h));
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x) {
            uint32_t c = rgb[size_t(y) * w + x];
            size_t at = 54 + size_t(h - 1 - y) * stride + size_t(x) * 3;
            f[at] = char(c & 255);
            f[at + 1] = char((c >> 8) & 255);
            f[at + 2] = char((c >> 16) & 255);
        }
    return f;
}

const char* kPack = R"(<techniquespack>
  <t id="TEQ_TEX" alphablending="OFF" s0_colorop="MODULATE" s0_colorarg1="TEXTURE" s0_colorarg2="DIFFUSE"
     s0_alphaop="SELECTARG1" s0_alphaarg1="DIFFUSE" s0_alphaarg2="CURRENT" s0_address="CLAMP" s1_colorop="DISABLE"
     s0_minfilter="POINT" s0_magfilter="POINT" s0_mipfilter="NONE" s1_minfilter="POINT" s1_magfilter="POINT"
     s1_mipfilter="NONE"/>
  <t id="TEQ_FLAT" s0_colorop="SELECTARG1" s0_colorarg1="DIFFUSE" s0_alphaop="SELECTARG1" s0_alphaarg1="DIFFUSE"
     s1_colorop="DISABLE"/>
  <t id="TEQ_BLEND" alphablending="ON" absrc="SRCALPHA" abdest="INVSRCALPHA"/>
  <t id="TEQ_ADD" alphablending="ON" absrc="ONE" abdest="ONE"/>
  <t id="TEQ_FOG" fog="ON" fogstart="0" fogend="1" fogcolorr="0" fogcolorg="0" fogcolorb="1"/>
  <t id="TEQ_NOFOG" fog="OFF"/>
</techniquespack>)";

class PipelineTest : public gfxtest::EngineTest {
protected:
    void SetUp() override
    {
        EngineTest::SetUp();
        Init(2, false);
        engine->TechLoadPack(kPack, int32_t(std::strlen(kPack)));
        const std::string bmp = Bmp24(2, 2, {0xFF0000, 0x00FF00, 0x0000FF, 0xFFFFFF});
        texID = engine->TexLoadFromMemory(bmp.data(), int32_t(bmp.size()), 4, "TEX_CHECK", 1, 0, 0);
        ASSERT_GE(texID, 0);
    }
    void Begin()
    {
        engine->SceneBegin();
        engine->SceneClearScreen(0, 0, 0);
    }
    void Draw(float x, float y, float w, float h, float r, float g, float b, float a)
    {
        engine->VQuadSetPos(x, y, w, h, 0.5f);
        engine->VQuadSetColor(r, g, b, a);
        engine->VQuadSetTexCoords(1, 0, 0, 1, 1);
        engine->SceneRender();
    }
    int texID = -1;
};

TEST_F(PipelineTest, TexturedTechniqueDrawsTheImageTexelForPixel)
{
    Begin();
    engine->TechApplyByStrID("TEQ_TEX");
    engine->TexSet(texID, 0);
    Draw(20, 30, 2, 2, 1, 1, 1, 1);
    // Half intensity through the diffuse colour.
    Draw(40, 30, 2, 2, 0.5f, 0.5f, 0.5f, 1);
    engine->SceneEnd();
    auto px = Pixels();
    EXPECT_EQ(At(px, 20, 30), 0xFF0000u);
    EXPECT_EQ(At(px, 21, 30), 0x00FF00u);
    EXPECT_EQ(At(px, 20, 31), 0x0000FFu);
    EXPECT_EQ(At(px, 21, 31), 0xFFFFFFu);
    EXPECT_EQ(At(px, 22, 31), 0u);
    EXPECT_NEAR(int(At(px, 41, 31) & 255), 127, 1);
}

TEST_F(PipelineTest, BlendingTechniquesAndTheirFlushes)
{
    Begin();
    engine->TechApplyByStrID("TEQ_FLAT");
    Draw(0, 0, 10, 10, 0, 0, 1, 1);
    Draw(10, 0, 10, 10, 0, 0, 1, 1);
    // Changing technique flushes the pending quads with the old states.
    engine->TechApplyByStrID("TEQ_BLEND");
    Draw(0, 0, 10, 10, 1, 0, 0, 0.5f);
    engine->TechApplyByStrID("TEQ_ADD");
    Draw(10, 0, 10, 10, 1, 0, 0, 1);
    engine->SceneEnd();
    auto px = Pixels();
    uint32_t blended = At(px, 5, 5);
    EXPECT_NEAR(int(blended >> 16), 127, 1);
    EXPECT_NEAR(int(blended & 255), 128, 1);
    EXPECT_EQ(At(px, 15, 5), 0xFF00FFu);
}

TEST_F(PipelineTest, FogTechniqueTintsByDepth)
{
    Begin();
    engine->TechApplyByStrID("TEQ_FLAT");
    engine->TechApplyByStrID("TEQ_FOG");
    EXPECT_TRUE(engine->VQuadGetVertexFog());
    engine->VQuadSetPos(0, 0, 4, 4, 0.0f); // fog factor 0: all fog colour
    engine->VQuadSetColor(1, 0, 0, 1);
    engine->SceneRender();
    engine->TechApplyByStrID("TEQ_NOFOG");
    EXPECT_FALSE(engine->VQuadGetVertexFog());
    Draw(4, 0, 4, 4, 1, 0, 0, 1);
    engine->SceneEnd();
    auto px = Pixels();
    EXPECT_EQ(At(px, 1, 1), 0x0000FFu);
    EXPECT_EQ(At(px, 5, 1), 0xFF0000u);
}

TEST_F(PipelineTest, AfterAResetTheSameTechniqueAndTextureTakeEffectAgain)
{
    Begin();
    engine->TechApplyByStrID("TEQ_TEX");
    engine->TexSet(texID, 0);
    engine->SceneEnd();
    engine->ScenePresent();

    tsr::MinimiseWindow(engine->GfxGetWindow());
    EXPECT_EQ(engine->UpdateAllSystems(), 0);
    tsr::RestoreWindow(engine->GfxGetWindow());
    EXPECT_EQ(engine->UpdateAllSystems(), 1);
    EXPECT_EQ(engine->TechGetCurrent(), -1);
    EXPECT_EQ(engine->TexGetCurrent(0), -1);

    Begin();
    engine->TechApplyByStrID("TEQ_TEX");
    engine->TexSet(texID, 0);
    Draw(20, 30, 2, 2, 1, 1, 1, 1);
    engine->SceneEnd();
    auto px = Pixels();
    EXPECT_EQ(At(px, 21, 30), 0x00FF00u); // the managed texture survived the reset
    engine.reset();
    EXPECT_EQ(Log().find("references left!"), std::string::npos);
}

} // namespace
