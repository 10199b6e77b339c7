// Quads through the engine: the CPU cost of shaping and batching one quad,
// and whole frames of 10,000 and 50,000 textured 32 x 32 quads offscreen,
// beside the same scene drawn by LOVE 11 when the `love` program is
// installed (its figures appear as the LoveFrame benchmarks).
#include <benchmark/benchmark.h>
#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <memory>
#include <string>

#include "ctesser.h"
#include "platform/gfx/tsr_gfx.h"

using namespace tsr::gfx;

namespace {

// Deterministic positions and colours, the same for both renderers.
struct Lcg {
    uint32_t s = 12345;
    uint32_t Next()
    {
        s = s * 1664525u + 1013904223u;
        return s >> 8;
    }
    float Unit() { return float(Next() & 0xFFFF) / 65535.0f; }
};

// One engine with a full-screen 800 x 600 device and a 32 x 32 texture
// bound with a modulating, alpha-blending state, like a GUI sprite.
class Engine {
public:
    Engine()
    {
        setenv("SDL_VIDEODRIVER", "offscreen", 0);
        setenv("SDL_AUDIODRIVER", "dummy", 0);
        std::string name = "tsr_bench_gfx_";
        name += std::to_string(getpid());
        m_dir = std::filesystem::temp_directory_path() / name;
        std::filesystem::create_directories(m_dir);
        std::filesystem::current_path(m_dir);
        SetFrameLimit(0);
        engine = std::make_unique<CTesser>();
        engine->GfxPreInit(800, 600);
        engine->GfxInit(2, false);
        Device* dev = engine->GfxGetDevice();
        Texture* t = nullptr;
        dev->CreateTexture(32, 32, 1, 0, FMT_A8R8G8B8, POOL_MANAGED, &t);
        LockedRect lr;
        t->LockRect(0, lr, nullptr, 0);
        for (int y = 0; y < 32; ++y)
            for (int x = 0; x < 32; ++x) {
                uint32_t v = 0xFF000000u | uint32_t(x * 8) << 16 | uint32_t(y * 8) << 8 | 0x80u;
                std::memcpy(static_cast<uint8_t*>(lr.bits) + y * lr.pitch + x * 4, &v, 4);
            }
        t->UnlockRect(0);
        dev->SetTexture(0, t);
        t->Release();
        dev->SetTextureStageState(0, TSS_COLOROP, TOP_MODULATE);
        dev->SetTextureStageState(0, TSS_COLORARG1, TA_TEXTURE);
        dev->SetTextureStageState(0, TSS_COLORARG2, TA_DIFFUSE);
        dev->SetTextureStageState(0, TSS_ALPHAOP, TOP_MODULATE);
        dev->SetTextureStageState(0, TSS_ALPHAARG1, TA_TEXTURE);
        dev->SetTextureStageState(0, TSS_ALPHAARG2, TA_DIFFUSE);
        dev->SetRenderState(RS_ALPHABLENDENABLE, 1);
        dev->SetRenderState(RS_SRCBLEND, BLEND_SRCALPHA);
        dev->SetRenderState(RS_DESTBLEND, BLEND_INVSRCALPHA);
        for (auto& q : m_quads) {
            q.x = m_rng.Unit() * 768.0f;
            q.y = m_rng.Unit() * 568.0f;
            q.r = m_rng.Unit();
            q.g = m_rng.Unit();
            q.b = m_rng.Unit();
        }
    }
    ~Engine()
    {
        engine.reset();
        std::error_code ec;
        std::filesystem::current_path("/", ec);
        std::filesystem::remove_all(m_dir, ec);
    }
    // Shapes, colours and submits quad i of the prepared set (moved by dx).
    void Submit(int i, float dx = 0.0f)
    {
        const Q& q = m_quads[i & (kSet - 1)];
        engine->VQuadSetPos(q.x + dx, q.y, 32.0f, 32.0f, 0.5f);
        engine->VQuadSetColor(q.r, q.g, q.b, 1.0f);
        engine->VQuadSetTexCoords(1, 0.0f, 0.0f, 1.0f, 1.0f);
        engine->SceneRender();
    }
    std::unique_ptr<CTesser> engine;

private:
    static constexpr int kSet = 4096;
    struct Q {
        float x, y, r, g, b;
    };
    std::filesystem::path m_dir;
    Lcg m_rng;
    Q m_quads[kSet];
};

Engine& TheEngine()
{
    static Engine* e = new Engine(); // lives to the end of the program
    return *e;
}

// (a) The engine's own work per quad: shaping, colouring, texture
// coordinates and the copy into the locked batch; batches are abandoned
// instead of drawn, so no GPU work is included.
void BM_QuadCpuCost(benchmark::State& state)
{
    Engine& e = TheEngine();
    CTesser& t = *e.engine;
    t.SceneBegin();
    int i = 0;
    for (auto _ : state) {
        for (int k = 0; k < 499; ++k)
            e.Submit(i++);
        t.VQuadBatchAbandon();
        t.VQuadBatchBegin();
    }
    t.SceneEnd();
    state.SetItemsProcessed(int64_t(state.iterations()) * 499);
    state.counters["ns_per_quad"] =
        benchmark::Counter(double(state.iterations()) * 499, benchmark::Counter::kIsRate | benchmark::Counter::kInvert);
}
BENCHMARK(BM_QuadCpuCost)->Unit(benchmark::kMicrosecond);

// The same with the draw calls issued (one per 500 quads, vertex upload
// included), still without presenting or waiting for the picture. The quads
// lie beside the screen, so that no pixels pile up for later frames.
void BM_QuadSubmitWithDraws(benchmark::State& state)
{
    Engine& e = TheEngine();
    CTesser& t = *e.engine;
    t.SceneBegin();
    int i = 0;
    for (auto _ : state) {
        for (int k = 0; k < 500; ++k)
            e.Submit(i++, 2000.0f);
    }
    t.SceneEnd();
    t.ScenePresent();
    state.SetItemsProcessed(int64_t(state.iterations()) * 500);
    state.counters["ns_per_quad"] =
        benchmark::Counter(double(state.iterations()) * 500, benchmark::Counter::kIsRate | benchmark::Counter::kInvert);
}
BENCHMARK(BM_QuadSubmitWithDraws)->Unit(benchmark::kMicrosecond);

// (b) Whole frames: begin, clear, N quads, end, present.
void BM_EngineFrame(benchmark::State& state)
{
    Engine& e = TheEngine();
    CTesser& t = *e.engine;
    const int n = int(state.range(0));
    for (auto _ : state) {
        t.SceneBegin();
        t.SceneClearScreen(0.1f, 0.1f, 0.2f);
        for (int k = 0; k < n; ++k)
            e.Submit(k);
        t.SceneEnd();
        t.ScenePresent();
    }
    // One read-back so that every frame has really been drawn.
    benchmark::DoNotOptimize(t.GfxGetDevice()->ReadBackBuffer());
    state.counters["fps"] = benchmark::Counter(double(state.iterations()), benchmark::Counter::kIsRate);
    state.counters["quads_per_s"] =
        benchmark::Counter(double(state.iterations()) * n, benchmark::Counter::kIsRate);
}
BENCHMARK(BM_EngineFrame)->Arg(10000)->Arg(50000)->Unit(benchmark::kMillisecond)->MinTime(2.0)->UseRealTime();

// The same scene in LOVE 11: one draw per quad of a 32 x 32 image with a
// per-quad colour (LOVE batches these itself), no vsync, offscreen.
const char* kLoveConf = R"(function love.conf(t)
  t.window.width = 800
  t.window.height = 600
  t.window.vsync = 0
  t.modules.audio = false
  t.modules.sound = false
  t.modules.joystick = false
end
)";

const char* kLoveMain = R"(local n = tonumber(os.getenv("TSR_LOVE_QUADS") or "10000")
local frames = tonumber(os.getenv("TSR_LOVE_FRAMES") or "100")
local img, quads, s = nil, {}, 12345
local function nextu()
  s = (s * 1664525 + 1013904223) % 4294967296
  return (math.floor(s / 256) % 65536) / 65535
end
function love.load()
  local data = love.image.newImageData(32, 32)
  data:mapPixel(function(x, y) return x * 8 / 255, y * 8 / 255, 128 / 255, 1 end)
  img = love.graphics.newImage(data)
  for i = 1, 4096 do
    local x, y = nextu() * 768, nextu() * 568
    quads[i] = {x, y, nextu(), nextu(), nextu()}
  end
end
local count, start = 0, nil
function love.draw()
  if count == 5 then start = love.timer.getTime() end
  love.graphics.clear(0.1, 0.1, 0.2)
  for k = 1, n do
    local q = quads[(k - 1) % 4096 + 1]
    love.graphics.setColor(q[3], q[4], q[5], 1)
    love.graphics.draw(img, q[1], q[2])
  end
  count = count + 1
  if count == frames + 5 then
    local t = love.timer.getTime() - start
    print(string.format("LOVEFPS %f", frames / t))
    io.stdout:flush()
    love.event.quit()
  end
end
)";

void BM_LoveFrame(benchmark::State& state)
{
    const int n = int(state.range(0));
    if (std::system("command -v love >/dev/null 2>&1") != 0) {
        state.SkipWithError("love is not installed");
        for (auto _ : state) {
        }
        return;
    }
    std::string name = "tsr_bench_love_";
    name += std::to_string(getpid());
    std::filesystem::path dir = std::filesystem::temp_directory_path() / name;
    std::filesystem::create_directories(dir);
    std::ofstream(dir / "conf.lua") << kLoveConf;
    std::ofstream(dir / "main.lua") << kLoveMain;
    const int frames = n >= 50000 ? 10 : 30;
    double fps = 0;
    for (auto _ : state) {
        std::string cmd = "SDL_VIDEODRIVER=offscreen SDL_AUDIODRIVER=dummy TSR_LOVE_QUADS=";
        cmd += std::to_string(n);
        cmd += " TSR_LOVE_FRAMES=";
        cmd += std::to_string(frames);
        cmd += " love ";
        cmd += dir.string();
        cmd += " 2>/dev/null";
        FILE* p = popen(cmd.c_str(), "r");
        char line[256];
        while (p && fgets(line, sizeof line, p))
            std::sscanf(line, "LOVEFPS %lf", &fps);
        if (p)
            pclose(p);
        state.SetIterationTime(fps > 0 ? frames / fps : 1.0);
    }
    std::error_code ec;
    std::filesystem::remove_all(dir, ec);
    if (fps <= 0) {
        state.SkipWithError("love did not report a frame rate");
        return;
    }
    state.counters["fps"] = fps;
    state.counters["quads_per_s"] = fps * n;
}
BENCHMARK(BM_LoveFrame)->Arg(10000)->Arg(50000)->Iterations(1)->UseManualTime()->Unit(benchmark::kMillisecond);

} // namespace
