// Text drawing cost per glyph through the engine (walk, quad set-up, light
// pass check, batch add, flushes), on a headless device, and measuring.
#include <benchmark/benchmark.h>

#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <memory>

#include "ctesser.h"
#include "tests/tex/tex_test_images.h"

namespace {

// The engine with graphics, a 256x256 glyph texture and a font, in a
// temporary folder (for its log files).
struct Engine {
    std::filesystem::path dir;
    std::unique_ptr<CTesser> e;
    Engine()
    {
        std::string pattern = (std::filesystem::temp_directory_path() / "tsr_fontbench_XXXXXX").string();
        if (!mkdtemp(pattern.data()))
            std::abort();
        dir = pattern;
        std::filesystem::current_path(dir);
        tsr::gfx::SetFrameLimit(0);
        e = std::make_unique<CTesser>();
        e->GfxPreInit(800, 600);
        e->GfxInit(2, false);
        const auto png = textest::EncodePNG(textest::Pattern(256, 256, true));
        e->TexLoadFromMemory(png.data(), int32_t(png.size()), 3, "TEX_BENCHFONT", 1, 0, 0);
        const std::string pack = "<techniquespack><t id=\"TEQ_BENCHFONT\" alphablending=\"ON\" absrc=\"SRCALPHA\" "
                                 "abdest=\"INVSRCALPHA\" s0_colorop=\"MODULATE\" s0_colorarg1=\"TEXTURE\" "
                                 "s0_colorarg2=\"DIFFUSE\"/></techniquespack>";
        e->TechLoadPack(pack.data(), int32_t(pack.size()));
        std::string desc = "<fontdesc id=\"FNT_BENCH\" textureid=\"TEX_BENCHFONT\" techniqueid=\"TEQ_BENCHFONT\" "
                           "techpackid=\"TEQ_BENCHPACK\" cellsize=\"16\"";
        for (int i = 0; i < 256; ++i)
            desc += " cs" + std::to_string(i) + "=\"9.5\"";
        desc += "/>";
        e->FontSet(e->FontLoad(desc.data(), int32_t(desc.size())));
    }
    ~Engine()
    {
        e.reset();
        std::error_code ec;
        std::filesystem::remove_all(dir, ec);
    }
};

Engine& Get()
{
    static Engine engine;
    return engine;
}

std::string Text(size_t glyphs)
{
    std::string s;
    const char* words = "The quick brown fox jumps over the lazy dog. ";
    while (s.size() < glyphs)
        s += words;
    s.resize(glyphs);
    return s;
}

void BM_FontDrawText(benchmark::State& state)
{
    CTesser& e = *Get().e;
    const std::string text = Text(size_t(state.range(0)));
    size_t glyphs = 0;
    for (char c : text)
        glyphs += static_cast<unsigned char>(c) >= 33;
    for (auto _ : state) {
        e.SceneBegin();
        e.FontDrawText(text, 0, 0, 0, 0, 1.0f);
        e.SceneEnd();
    }
    state.SetItemsProcessed(int64_t(state.iterations()) * int64_t(glyphs));
}

void BM_FontDrawTextExEscapes(benchmark::State& state)
{
    CTesser& e = *Get().e;
    std::string text;
    while (text.size() < 2000)
        text += "%1Score %2 12345 ";
    size_t glyphs = 0;
    for (size_t i = 0; i < text.size(); ++i) {
        if (text[i] == '%') {
            ++i;
            continue;
        }
        glyphs += static_cast<unsigned char>(text[i]) >= 33;
    }
    for (auto _ : state) {
        e.SceneBegin();
        e.FontDrawTextEx(text, 0, 0, 0, 0, 1.0f, true, 1.5f, 1.0f, 0.0f);
        e.SceneEnd();
    }
    state.SetItemsProcessed(int64_t(state.iterations()) * int64_t(glyphs));
}

void BM_FontGetStringWidth(benchmark::State& state)
{
    CTesser& e = *Get().e;
    const std::string text = Text(64);
    for (auto _ : state)
        benchmark::DoNotOptimize(e.FontGetStringWidth(text, 0, 1.0f, 0.0f));
    state.SetItemsProcessed(int64_t(state.iterations()) * 64);
}

BENCHMARK(BM_FontDrawText)->Arg(64)->Arg(2000);
BENCHMARK(BM_FontDrawTextExEscapes);
BENCHMARK(BM_FontGetStringWidth);

} // namespace
