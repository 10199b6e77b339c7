// Input latency and cost: a key event pushed into SDL's queue before a frame
// is seen as clicked by that frame's input read. Each iteration is one key
// press and one release, two passes of the system update; the counter
// "frames_late" counts presses not seen in their own frame (expected 0).
// Run headless: SDL_VIDEODRIVER=offscreen SDL_AUDIODRIVER=dummy.
#include <benchmark/benchmark.h>

#include <SDL.h>

#include <cstdlib>
#include <filesystem>
#include <string>
#include <unistd.h>

#include "ctesser.h"
#include "platform/clock/tsr_clock.h"
#include "platform/messages/tsr_messages.h"
#include "platform/window/tsr_gamewindow_sdl.h"

namespace {

void PushKey(uint32_t windowId, SDL_Scancode scancode, bool down)
{
    SDL_Event e{};
    e.type = down ? SDL_KEYDOWN : SDL_KEYUP;
    e.key.windowID = windowId;
    e.key.state = down ? SDL_PRESSED : SDL_RELEASED;
    e.key.keysym.scancode = scancode;
    SDL_PushEvent(&e);
}

void BM_KeyEventToClickedSameFrame(benchmark::State& state)
{
    setenv("SDL_VIDEODRIVER", "offscreen", 0);
    setenv("SDL_AUDIODRIVER", "dummy", 0);
    const std::filesystem::path oldDir = std::filesystem::current_path();
    std::string dir = (std::filesystem::temp_directory_path() / "tsr_bench_input_XXXXXX").string();
    if (!mkdtemp(dir.data())) {
        state.SkipWithError("no temporary folder");
        return;
    }
    std::filesystem::current_path(dir);
    tsr::ResetMessageQueue();
    tsr::UseVirtualClock(100000);
    int64_t late = 0;
    {
        CTesser engine;
        engine.GfxPreInit(800, 600);
        engine.GfxInit(3, true);
        engine.InpInit();
        const uint32_t id = SDL_GetWindowID(tsr::GetSDLWindow(engine.GfxGetWindow()));
        for (auto _ : state) {
            tsr::AdvanceVirtualClock(16);
            PushKey(id, SDL_SCANCODE_SPACE, true);
            engine.UpdateAllSystems();
            if (!engine.KeyboardIsKeyClicked(DIK_SPACE))
                ++late;
            tsr::AdvanceVirtualClock(16);
            PushKey(id, SDL_SCANCODE_SPACE, false);
            engine.UpdateAllSystems();
        }
    }
    state.counters["frames_late"] = static_cast<double>(late);
    tsr::ResetMessageQueue();
    tsr::UseRealClock();
    std::filesystem::current_path(oldDir);
    std::filesystem::remove_all(dir);
}
BENCHMARK(BM_KeyEventToClickedSameFrame)->Unit(benchmark::kMicrosecond);

} // namespace
