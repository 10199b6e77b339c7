// The engine with graphics running headless (800 x 600, 32-bit mode), and
// helpers to load textures, technique packs and fonts from bytes.
#pragma once

#include "gfx/gfx_fixture.h"

#include "common/tsr_thrown.h"

#include "ctesser_gfx_font.h"
#include "tex_test_images.h"

namespace textest {

class TexEngineTest : public gfxtest::EngineTest {
protected:
    void SetUp() override
    {
        gfxtest::EngineTest::SetUp();
        Init(2, false);
    }
    int LoadTexture(const std::vector<uint8_t>& bytes, const std::string& id, int formatClass = 3, int mips = 1,
                    int edge = 0)
    {
        return engine->TexLoadFromMemory(bytes.data(), int32_t(bytes.size()), formatClass, id, mips, 0, edge);
    }
    void LoadPack(const std::string& xml) { engine->TechLoadPack(xml.data(), int32_t(xml.size())); }
    // A one-technique pack, applied.
    void Apply(const std::string& id, const std::string& attributes)
    {
        LoadPack("<techniquespack><t id=\"" + id + "\" " + attributes + "/></techniquespack>");
        engine->TechApplyByStrID(id);
    }
    template <class F>
    void Frame(F draw)
    {
        engine->SceneBegin();
        engine->SceneClearScreen(0, 0, 0);
        draw();
        engine->SceneEnd();
    }
};

} // namespace textest
