// gfxdemo: animated coloured quads through the engine's scene and quad
// operations, in a real window (or headless with SDL_VIDEODRIVER=offscreen).
//
//   gfxdemo [--windowed] [--frames N] [--screenshot]
//
// Full screen by default (the 800 x 600 picture scaled into the desktop);
// Alt+Enter or F11 switch to a framed window and back. Close the window to
// quit, or give --frames. --screenshot saves screenshot1.bmp at the end.
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "ctesser.h"
#include "platform/gfx/tsr_gfx.h"

namespace {

int g_frames = 0;
int g_maxFrames = -1;
float g_time = 0.0f;

bool Frame()
{
    CTesser* e = CTesser::GetInstance();
    g_time += e->TimerGetDelta();
    e->SceneBegin();
    e->SceneClearScreen(0.05f, 0.05f, 0.1f);
    // A ring of rotating quads whose colours cycle.
    const int n = 48;
    for (int i = 0; i < n; ++i) {
        const float a = g_time * 0.6f + float(i) * 6.2831853f / float(n);
        const float r = 180.0f + 60.0f * std::sin(g_time * 1.3f + float(i) * 0.4f);
        const float cx = 400.0f + r * std::cos(a), cy = 300.0f + r * std::sin(a);
        e->VQuadSetPos(cx - 20.0f, cy - 20.0f, 40.0f, 40.0f, 0.5f);
        e->VQuadRotate(cx, cy, g_time * 90.0f + float(i) * 7.5f);
        e->VQuadSetColorByVertex(0, 0.5f + 0.5f * std::sin(a), 0.3f, 0.8f, 1.0f);
        e->VQuadSetColorByVertex(1, 0.9f, 0.5f + 0.5f * std::cos(a), 0.2f, 1.0f);
        e->VQuadSetColorByVertex(2, 0.2f, 0.9f, 0.5f + 0.5f * std::sin(a * 2.0f), 1.0f);
        e->VQuadSetColorByVertex(3, 1.0f, 1.0f, 1.0f, 1.0f);
        e->VQuadSetTexCoords(1, 0, 0, 1, 1);
        e->SceneRender();
    }
    // A pulsing square in the middle, half transparent.
    const float s = 80.0f + 30.0f * std::sin(g_time * 2.0f);
    e->VQuadSetPos(400.0f - s, 300.0f - s, 2.0f * s, 2.0f * s, 0.5f);
    e->VQuadSetColor(1.0f, 0.8f, 0.2f, 0.5f);
    e->SceneRender();
    e->SceneEnd();
    e->ScenePresent();
    ++g_frames;
    return g_maxFrames < 0 || g_frames < g_maxFrames;
}

} // namespace

// The engine's process entry is not used here; the demo is its own.
void GameMain(CTesser*) {}

int main(int argc, char** argv)
{
    bool windowed = false, screenshot = false;
    for (int i = 1; i < argc; ++i) {
        if (std::strcmp(argv[i], "--windowed") == 0)
            windowed = true;
        else if (std::strcmp(argv[i], "--screenshot") == 0)
            screenshot = true;
        else if (std::strcmp(argv[i], "--frames") == 0 && i + 1 < argc)
            g_maxFrames = std::atoi(argv[++i]);
    }
    try {
        CTesser engine;
        engine.SetApplicationInfo("Tesseron gfxdemo", "v. 1.0");
        engine.GfxPreInit(800, 600);
        TSNVIDEOCAPS caps;
        engine.GfxGetVideoCaps(caps);
        if (windowed)
            engine.GfxInit(3, true);
        else
            engine.GfxInit(caps.Mode2.Valid ? 2 : 1, false);
        // Untextured: stage 0 shows the vertex colour, blended by its alpha.
        tsr::gfx::Device* dev = engine.GfxGetDevice();
        dev->SetTextureStageState(0, tsr::gfx::TSS_COLOROP, tsr::gfx::TOP_SELECTARG1);
        dev->SetTextureStageState(0, tsr::gfx::TSS_COLORARG1, tsr::gfx::TA_DIFFUSE);
        dev->SetTextureStageState(0, tsr::gfx::TSS_ALPHAOP, tsr::gfx::TOP_SELECTARG1);
        dev->SetTextureStageState(0, tsr::gfx::TSS_ALPHAARG1, tsr::gfx::TA_DIFFUSE);
        dev->SetRenderState(tsr::gfx::RS_ALPHABLENDENABLE, 1);
        dev->SetRenderState(tsr::gfx::RS_SRCBLEND, tsr::gfx::BLEND_SRCALPHA);
        dev->SetRenderState(tsr::gfx::RS_DESTBLEND, tsr::gfx::BLEND_INVSRCALPHA);
        engine.RunMainLoop(Frame);
        if (screenshot && !windowed)
            engine.SceneMakeScreenshot();
        std::printf("gfxdemo: %d frames\n", g_frames);
    } catch (const CEHSException& e) {
        std::fprintf(stderr, "gfxdemo: %s\n", e.GetDescription().c_str());
        return 1;
    }
    return 0;
}
