// Quads drawn by a script through the runner: every frame the script's
// OnFrame places and submits N 4x4 textured quads one by one
// (TSN_GFX_VQuadSetPos, TSN_GFX_SceneRender). Beside it the same scene
// drawn from Lua by LOVE 11 (one love.graphics.draw per quad), when the
// `love` program is installed. Both run offscreen without frame pacing
// (LOVE's own loop, less its 1 ms sleep per frame).
//
// The runner shows its 800 x 600 screen full screen: the picture is scaled
// to the desktop with linear filtering. LOVE is measured twice:
//   scaled  - the same presentation: the scene is drawn into an 800 x 600
//             canvas which is then drawn scaled to the full-screen desktop,
//             as an 800 x 600 LOVE game shown full screen does;
//   direct  - the quads drawn straight into the desktop-sized screen, with
//             no scaling pass at all (less work than the runner does).
// With 0 quads the figures are each program's fixed cost per frame.
//
// Each program is run in pairs with different frame counts and the time
// per frame is the difference, so start-up and shut-down cancel out; the
// median of the pairs is reported. Last, the CPU cost per quad of the
// script path against the same calls from C++.
#include <benchmark/benchmark.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <memory>
#include <string>
#include <vector>

#include "CTesser/ctesser.h"

namespace fs = std::filesystem;

namespace {

constexpr int kFewFrames = 10;
constexpr int kManyFrames = 160;
constexpr int kPairs = 3;

// Positions spread over the 800 x 600 screen, the same in both programs.
const char* kPositions = R"(
local N = tonumber(os.getenv("TSR_BENCH_QUADS") or "10000")
local xs, ys = {}, {}
for i = 1, N do
    xs[i] = (i * 37) % 796
    ys[i] = (i * 91) % 596
end
)";

const char* kRunnerScript = R"(
function OnFrame()
    TSN_GFX_SceneBegin()
    TSN_GFX_SceneClearScreen(0.1, 0.1, 0.2)
    TSN_GFX_TechApply("TEQ_QUAD")
    TSN_GFX_TexSet("TEX_QUAD")
    TSN_GFX_VQuadSetColor(1, 1, 1)
    TSN_GFX_VQuadSetTexCoords(1, 0, 0, 1, 1)
    local setPos, render = TSN_GFX_VQuadSetPos, TSN_GFX_SceneRender
    for i = 1, N do
        setPos(xs[i], ys[i], 4, 4)
        render()
    end
    TSN_GFX_SceneEnd()
    TSN_GFX_ScenePresent()
end
)";

const char* kTechniques = R"(<techniquespack>
    <technique id="TEQ_QUAD" alphablending="ON" absrc="SRCALPHA" abdest="INVSRCALPHA"
        s0_colorop="MODULATE" s0_colorarg1="TEXTURE" s0_colorarg2="DIFFUSE"
        s0_alphaop="MODULATE" s0_alphaarg1="TEXTURE" s0_alphaarg2="DIFFUSE" s0_address="CLAMP"
        s1_colorop="DISABLE" s0_minfilter="POINT" s0_magfilter="POINT" s0_mipfilter="NONE"/>
</techniquespack>
)";

const char* kRespack = R"(<respack>
    <tex id="TEX_QUAD" typeid="TEXTURE" filename="quad.tga" tag="1" data1="3" data2="1"/>
    <teq id="TEQ_QUADPACK" typeid="TECHNIQUE" filename="gfx\quad.xml" tag="1"/>
    <scr id="SCR_QUADS" typeid="SCRIPT" filename="quads.lua" tag="2"/>
</respack>
)";

const char* kLoveConf = R"(function love.conf(t)
    t.window.width = 800
    t.window.height = 600
    t.window.fullscreen = true
    t.window.fullscreentype = "desktop"
    t.window.vsync = 0
    t.modules.audio = false
    t.modules.sound = false
end
)";

const char* kLoveMain = R"(
-- LOVE 11's own main loop without the 1 ms sleep after each frame, which
-- would pace it where the runner is not paced.
function love.run()
    if love.load then love.load(love.arg.parseGameArguments(arg), arg) end
    if love.timer then love.timer.step() end
    local dt = 0
    return function()
        if love.event then
            love.event.pump()
            for name, a, b, c, d, e, f in love.event.poll() do
                if name == "quit" then
                    if not love.quit or not love.quit() then
                        return a or 0
                    end
                end
                love.handlers[name](a, b, c, d, e, f)
            end
        end
        if love.timer then dt = love.timer.step() end
        if love.update then love.update(dt) end
        if love.graphics and love.graphics.isActive() then
            love.graphics.origin()
            love.graphics.clear(love.graphics.getBackgroundColor())
            if love.draw then love.draw() end
            love.graphics.present()
        end
    end
end
local frames = tonumber(os.getenv("TSR_BENCH_FRAMES") or "10")
local scaled = os.getenv("TSR_BENCH_PRESENT") == "scaled"
local count = 0
local image, canvas
function love.load()
    local data = love.image.newImageData(4, 4)
    data:mapPixel(function() return 1, 1, 1, 1 end)
    image = love.graphics.newImage(data)
    image:setFilter("nearest", "nearest")
    if scaled then
        canvas = love.graphics.newCanvas(800, 600)
        canvas:setFilter("linear", "linear")
    end
end
function love.draw()
    if scaled then love.graphics.setCanvas(canvas) end
    love.graphics.clear(0.1, 0.1, 0.2)
    love.graphics.setColor(1, 1, 1, 1)
    for i = 1, N do
        love.graphics.draw(image, xs[i], ys[i])
    end
    if scaled then
        -- Scaled to the screen keeping the 4:3 shape, like the runner.
        love.graphics.setCanvas()
        local sw, sh = love.graphics.getDimensions()
        local k = math.min(sw / 800, sh / 600)
        love.graphics.setBlendMode("replace", "premultiplied")
        love.graphics.draw(canvas, (sw - 800 * k) / 2, (sh - 600 * k) / 2, 0, k, k)
        love.graphics.setBlendMode("alpha")
    end
    count = count + 1
    if count >= frames then love.event.quit() end
end
)";

// A 4 x 4 white 32-bit TGA.
std::string QuadTexture()
{
    std::string tga(18, '\0');
    tga[2] = 2;  // uncompressed true colour
    tga[12] = 4;
    tga[14] = 4;
    tga[16] = 32;
    tga[17] = 8 | 0x20;  // 8 alpha bits, top-left origin
    tga.append(4 * 4 * 4, static_cast<char>(0xFF));
    return tga;
}

fs::path MakeFolder(const char* what)
{
    std::string pattern = (fs::temp_directory_path() / (std::string("tsr_bench_") + what + "_XXXXXX")).string();
    return mkdtemp(pattern.data());
}

double SecondsOf(const std::string& command)
{
    const auto start = std::chrono::steady_clock::now();
    const int status = std::system(command.c_str());
    const auto end = std::chrono::steady_clock::now();
    if (status != 0)
        return -1.0;
    return std::chrono::duration<double>(end - start).count();
}

// Seconds per frame: the median over pairs of runs of `command(frames)`;
// negative on failure.
template <typename Command>
double SecondsPerFrame(Command command)
{
    std::vector<double> perFrame;
    for (int pair = 0; pair < kPairs; ++pair) {
        const double few = SecondsOf(command(kFewFrames));
        const double many = SecondsOf(command(kManyFrames));
        if (few < 0 || many < 0 || many <= few)
            return -1.0;
        perFrame.push_back((many - few) / (kManyFrames - kFewFrames));
    }
    std::sort(perFrame.begin(), perFrame.end());
    return perFrame[perFrame.size() / 2];
}

void Report(benchmark::State& state, double secondsPerFrame)
{
    const double quads = static_cast<double>(state.range(0));
    state.SetIterationTime(secondsPerFrame);
    state.counters["frames/s"] = 1.0 / secondsPerFrame;
    if (quads > 0)
        state.counters["quads/s"] = quads / secondsPerFrame;
}

std::string Tesseron()
{
    if (const char* path = std::getenv("TSR_TESSERON"))
        return path;
    // build/bench/bench_lua_quads -> build/Runner/tesseron
    return (fs::canonical("/proc/self/exe").parent_path().parent_path() / "Runner" / "tesseron").string();
}

void BM_RunnerScriptQuads(benchmark::State& state)
{
    const fs::path dir = MakeFolder("runner");
    fs::create_directories(dir / "DATA");
    std::ofstream(dir / "DATA" / "quads.xml") << kRespack;
    fs::create_directories(dir / "DATA" / "gfx");  // every *.xml directly in DATA is a resource pack
    std::ofstream(dir / "DATA" / "gfx" / "quad.xml") << kTechniques;
    std::ofstream(dir / "DATA" / "quad.tga", std::ios::binary) << QuadTexture();
    std::ofstream(dir / "DATA" / "quads.lua") << kPositions << kRunnerScript;
    const std::string env = "SDL_VIDEODRIVER=offscreen SDL_AUDIODRIVER=dummy TSR_FRAME_LIMIT=0 TSR_LOCK_DIR=" +
                            dir.string() + " TSR_BENCH_QUADS=" + std::to_string(state.range(0)) + " ";
    for (auto _ : state) {
        const double perFrame = SecondsPerFrame([&](int frames) {
            return env + Tesseron() + " --frames " + std::to_string(frames) + " " + dir.string() + " >/dev/null 2>&1";
        });
        std::ifstream log(dir / "gamelog.txt");
        const std::string text((std::istreambuf_iterator<char>(log)), std::istreambuf_iterator<char>());
        if (perFrame <= 0 || text.find("Fatal error!") != std::string::npos) {
            state.SkipWithError("tesseron failed; see its gamelog.txt");
            break;
        }
        Report(state, perFrame);
    }
    fs::remove_all(dir);
}
BENCHMARK(BM_RunnerScriptQuads)->Arg(10000)->Arg(0)->Iterations(1)->UseManualTime()->Unit(benchmark::kMillisecond);

void BM_LoveScriptQuads(benchmark::State& state, const char* present)
{
    if (std::system("command -v love >/dev/null 2>&1") != 0) {
        state.SkipWithError("love is not installed");
        return;
    }
    const fs::path dir = MakeFolder("love");
    std::ofstream(dir / "conf.lua") << kLoveConf;
    std::ofstream(dir / "main.lua") << kPositions << kLoveMain;
    const std::string env = "SDL_VIDEODRIVER=offscreen SDL_AUDIODRIVER=dummy TSR_BENCH_QUADS=" +
                            std::to_string(state.range(0)) + " TSR_BENCH_PRESENT=" + present + " ";
    for (auto _ : state) {
        const double perFrame = SecondsPerFrame([&](int frames) {
            return env + "TSR_BENCH_FRAMES=" + std::to_string(frames) + " love " + dir.string() +
                   " >/dev/null 2>&1";
        });
        if (perFrame <= 0) {
            state.SkipWithError("love failed");
            break;
        }
        Report(state, perFrame);
    }
    fs::remove_all(dir);
}
BENCHMARK_CAPTURE(BM_LoveScriptQuads, scaled, "scaled")
    ->Arg(10000)->Arg(0)->Iterations(1)->UseManualTime()->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(BM_LoveScriptQuads, direct, "direct")
    ->Arg(10000)->Arg(0)->Iterations(1)->UseManualTime()->Unit(benchmark::kMillisecond);

// CPU cost per quad submitted from a script, beside the same calls made
// from C++: an engine with graphics and scripts in this process; 499 quads
// per iteration go into an open batch that is then abandoned, so nothing is
// drawn and only the submission is measured.
struct QuadEngine {
    QuadEngine()
    {
        setenv("SDL_VIDEODRIVER", "offscreen", 0);
        setenv("SDL_AUDIODRIVER", "dummy", 0);
        old = fs::current_path();
        dir = MakeFolder("cpu");
        fs::current_path(dir);
        engine = std::make_unique<CTesser>();
        engine->GfxPreInit(800, 600);
        engine->GfxInit(2, false);
        engine->ScrInit();
        const std::string script = "local setPos, render = TSN_GFX_VQuadSetPos, TSN_GFX_SceneRender\n"
                                   "function Submit(n)\n"
                                   "  for i = 1, n do setPos((i * 37) % 796, (i * 91) % 596, 4, 4) render() end\n"
                                   "end\n";
        engine->ScrLoadScript(script.data(), static_cast<int32_t>(script.size()), "SCR_SUBMIT");
    }
    ~QuadEngine()
    {
        engine.reset();
        fs::current_path(old);
        fs::remove_all(dir);
    }
    fs::path old, dir;
    std::unique_ptr<CTesser> engine;
};

QuadEngine& TheQuadEngine()
{
    static QuadEngine engine;
    return engine;
}

constexpr int kBatchQuads = 499;

void ReportNsPerQuad(benchmark::State& state)
{
    state.counters["ns_per_quad"] = benchmark::Counter(double(state.iterations()) * kBatchQuads,
                                                       benchmark::Counter::kIsRate | benchmark::Counter::kInvert);
}

void BM_ScriptQuadCpuCost(benchmark::State& state)
{
    CTesser& t = *TheQuadEngine().engine;
    t.SceneBegin();
    for (auto _ : state) {
        t.AddCallParam(CLuaValue(kBatchQuads));
        t.CallLuaFunction("Submit", 0);
        t.VQuadBatchAbandon();
        t.VQuadBatchBegin();
    }
    t.SceneEnd();
    ReportNsPerQuad(state);
}
BENCHMARK(BM_ScriptQuadCpuCost)->Unit(benchmark::kMicrosecond);

void BM_NativeQuadCpuCost(benchmark::State& state)
{
    CTesser& t = *TheQuadEngine().engine;
    t.SceneBegin();
    for (auto _ : state) {
        for (int i = 1; i <= kBatchQuads; ++i) {
            t.VQuadSetPos(static_cast<float>((i * 37) % 796), static_cast<float>((i * 91) % 596), 4, 4, 0.5f);
            t.SceneRender();
        }
        t.VQuadBatchAbandon();
        t.VQuadBatchBegin();
    }
    t.SceneEnd();
    ReportNsPerQuad(state);
}
BENCHMARK(BM_NativeQuadCpuCost)->Unit(benchmark::kMicrosecond);

}  // namespace
