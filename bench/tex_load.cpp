// Texture loading: a 1024 x 1024 PNG and JPEG decoded and uploaded to a
// headless device (with and without a full mip chain), and decoding alone.
#include <benchmark/benchmark.h>

#include <cstdlib>

#include "platform/image/tsr_texture_file.h"
#include "platform/window/tsr_gamewindow.h"
#include "tests/tex/tex_test_images.h"

namespace {

intptr_t Proc(tsr::WindowHandle w, uint32_t m, uintptr_t wp, intptr_t lp) { return tsr::DefWindowProc(w, m, wp, lp); }

// One device for the whole run.
struct Device {
    tsr::gfx::Direct3D* d3d = nullptr;
    tsr::gfx::Device* dev = nullptr;
    tsr::WindowHandle window = nullptr;
    Device()
    {
        using namespace tsr::gfx;
        tsr::RegisterWindowClass("texbench", Proc);
        d3d = CreateDirect3D(GFX_SDK_VERSION);
        window = tsr::CreateGameWindow("texbench", "t", 0, 0, 64, 64, true);
        if (!d3d || !window)
            std::abort();
        PresentParameters pp;
        pp.backBufferWidth = pp.backBufferHeight = 64;
        pp.backBufferFormat = FMT_X8R8G8B8;
        pp.backBufferCount = 1;
        pp.swapEffect = SWAPEFFECT_COPY;
        pp.deviceWindow = window;
        pp.windowed = true;
        if (Failed(d3d->CreateDevice(0, DEVTYPE_HAL, window, CREATE_SOFTWARE_VERTEXPROCESSING, pp, &dev)))
            std::abort();
    }
    static Device& Get()
    {
        static Device d;
        return d;
    }
};

// A photo-like picture (smooth gradients with some detail) so that both
// encoders see realistic data.
tsr::image::Image Picture()
{
    tsr::image::Image img;
    img.width = img.height = 1024;
    img.rgba.resize(size_t(1024) * 1024 * 4);
    for (int y = 0; y < 1024; ++y)
        for (int x = 0; x < 1024; ++x) {
            uint8_t* p = img.Pixel(x, y);
            p[0] = uint8_t(x / 4);
            p[1] = uint8_t(y / 4);
            p[2] = uint8_t(((x ^ y) & 63) * 4);
            p[3] = uint8_t(255 - (x + y) / 8);
        }
    return img;
}

const std::vector<uint8_t>& Png()
{
    static const auto bytes = textest::EncodePNG(Picture());
    return bytes;
}
const std::vector<uint8_t>& Jpeg()
{
    static const auto bytes = textest::EncodeJPEG(Picture(), 90);
    return bytes;
}

void Load(benchmark::State& state, const std::vector<uint8_t>& bytes, uint32_t levels)
{
    tsr::gfx::Device* dev = Device::Get().dev;
    for (auto _ : state) {
        tsr::gfx::Texture* t = nullptr;
        tsr::image::TextureFromImageBytes(dev, bytes.data(), bytes.size(), 0, 0, levels, 0,
                                                  tsr::gfx::FMT_A8R8G8B8, tsr::gfx::POOL_MANAGED, &t);
        if (!t)
            state.SkipWithError("texture not created");
        else
            t->Release();
    }
    state.counters["file_KiB"] = double(bytes.size()) / 1024.0;
}

void BM_LoadPng1024(benchmark::State& s) { Load(s, Png(), 1); }
void BM_LoadJpeg1024(benchmark::State& s) { Load(s, Jpeg(), 1); }
void BM_LoadPng1024FullMips(benchmark::State& s) { Load(s, Png(), 0); }

void BM_DecodePng1024(benchmark::State& state)
{
    for (auto _ : state) {
        tsr::image::Image img;
        benchmark::DoNotOptimize(tsr::image::Decode(Png().data(), Png().size(), img));
    }
}
void BM_DecodeJpeg1024(benchmark::State& state)
{
    for (auto _ : state) {
        tsr::image::Image img;
        benchmark::DoNotOptimize(tsr::image::Decode(Jpeg().data(), Jpeg().size(), img));
    }
}

BENCHMARK(BM_LoadPng1024)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_LoadJpeg1024)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_LoadPng1024FullMips)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_DecodePng1024)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_DecodeJpeg1024)->Unit(benchmark::kMillisecond);

} // namespace
