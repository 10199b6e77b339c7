// An engine object with graphics running headless, in a temporary
// directory of its own, and helpers to draw through the engine's scene and
// quad operations and read the pixels back.
#pragma once

#include <gtest/gtest.h>

#include <filesystem>
#include <memory>
#include <string>
#include <vector>

#include "common/tsr_temp_dir.h"
#include "ctesser.h"
#include "platform/gfx/tsr_gfx.h"

namespace gfxtest {

// A temporary current directory for the log files of one test.
using TempDir = tsrtest::TempCurrentDir;
using tsrtest::ReadFile;

// An engine whose graphics are pre-initialised (800 x 600 wanted); tests
// choose the mode with Init().
class EngineTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        tsr::ResetMessageQueue();
        tsr::gfx::SetFrameLimit(0);
        engine = std::make_unique<CTesser>();
        engine->SetApplicationInfo("GfxTest", "v. 1.0");
    }
    void TearDown() override
    {
        engine.reset();
        tsr::ResetMessageQueue();
    }
    void PreInit(uint32_t w = 800, uint32_t h = 600) { engine->GfxPreInit(w, h); }
    void Init(int mode = 2, bool windowed = false)
    {
        PreInit();
        engine->GfxInit(mode, windowed);
    }
    tsr::gfx::Device* Dev() { return engine->GfxGetDevice(); }
    std::string Log() { return ReadFile(dir.Path() / "gamelog.txt"); }

    // Stage 0 shows the diffuse colour only (what an untextured GUI
    // technique does).
    void DiffuseOnly()
    {
        Dev()->SetTextureStageState(0, tsr::gfx::TSS_COLOROP, tsr::gfx::TOP_SELECTARG1);
        Dev()->SetTextureStageState(0, tsr::gfx::TSS_COLORARG1, tsr::gfx::TA_DIFFUSE);
        Dev()->SetTextureStageState(0, tsr::gfx::TSS_ALPHAOP, tsr::gfx::TOP_SELECTARG1);
        Dev()->SetTextureStageState(0, tsr::gfx::TSS_ALPHAARG1, tsr::gfx::TA_DIFFUSE);
    }
    void Quad(float x, float y, float w, float h, uint32_t argb)
    {
        engine->VQuadSetPos(x, y, w, h, 0.5f);
        engine->VQuadSetColor(float((argb >> 16) & 255) / 255.0f, float((argb >> 8) & 255) / 255.0f,
                              float(argb & 255) / 255.0f, float(argb >> 24) / 255.0f);
        engine->VQuadSetTexCoords(1, 0, 0, 1, 1);
        engine->VQuadSetTexCoords(2, 0, 0, 1, 1);
        engine->SceneRender();
    }
    std::vector<uint32_t> Pixels() { return Dev()->ReadBackBuffer(); }
    uint32_t Width()
    {
        uint32_t w = 0, h = 0;
        engine->GfxGetResolution(w, h);
        return w;
    }
    uint32_t At(const std::vector<uint32_t>& px, uint32_t x, uint32_t y) { return px[size_t(y) * Width() + x] & 0xFFFFFFu; }

    TempDir dir;
    std::unique_ptr<CTesser> engine;
};

} // namespace gfxtest
