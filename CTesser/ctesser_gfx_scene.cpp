// Scene operations: begin and end, clear, render the current quad,
// present, viewport, gamma ramp and numbered screenshots.
#include <algorithm>
#include <fstream>
#include <string>

#include "ctesser.h"

namespace {
constexpr int32_t FILE_ID = 122;

using namespace tsr::gfx;

void Put16(std::vector<uint8_t>& out, size_t at, uint32_t v)
{
    out[at] = uint8_t(v);
    out[at + 1] = uint8_t(v >> 8);
}
void Put32(std::vector<uint8_t>& out, size_t at, uint32_t v)
{
    for (int i = 0; i < 4; ++i)
        out[at + i] = uint8_t(v >> (8 * i));
}
} // namespace

std::vector<uint8_t> GfxBuildScreenshotBMP(const uint8_t* bits, int32_t pitch, uint32_t width, uint32_t height)
{
    // Rows are padded to a multiple of 4 bytes as the format requires; for
    // widths that are a multiple of 4 (800) the padding is empty.
    const size_t rowBytes = size_t(width) * 3;
    const size_t stride = (rowBytes + 3) & ~size_t(3);
    const size_t imageSize = stride * height;
    std::vector<uint8_t> out(54 + imageSize, 0);
    out[0] = 'B';
    out[1] = 'M';
    Put32(out, 2, uint32_t(54 + imageSize));
    Put32(out, 10, 54);
    Put32(out, 14, 40);
    Put32(out, 18, width);
    Put32(out, 22, height);
    Put16(out, 26, 1);
    Put16(out, 28, 24);
    Put32(out, 30, 0);
    Put32(out, 34, uint32_t(imageSize));
    // Bottom row first; blue, green, red of each 4-byte pixel.
    uint8_t* dst = out.data() + 54;
    for (uint32_t r = 0; r < height; ++r) {
        const uint8_t* src = bits + size_t(height - 1 - r) * size_t(pitch);
        uint8_t* row = dst + size_t(r) * stride;
        for (uint32_t x = 0; x < width; ++x) {
            row[x * 3 + 0] = src[x * 4 + 0];
            row[x * 3 + 1] = src[x * 4 + 1];
            row[x * 3 + 2] = src[x * 4 + 2];
        }
    }
    return out;
}

void CTesser::SceneBegin()
{
    SetCheckpoint(FILE_ID, __LINE__);
    EHS_CHECK(m_pD3DDevice != nullptr, EHS_GENERAL, "D3DDevice object was not created!");
    m_pD3DDevice->BeginScene();
    VQuadBatchBegin();
}

HResult CTesser::SceneEnd()
{
    SetCheckpoint(FILE_ID, __LINE__);
    EHS_CHECK(m_pD3DDevice != nullptr, EHS_GENERAL, "D3DDevice object was not created!");
    VQuadBatchEnd();
    return m_pD3DDevice->EndScene();
}

HResult CTesser::SceneClearScreen(float red, float green, float blue)
{
    SetCheckpoint(FILE_ID, __LINE__);
    EHS_CHECK(m_pD3DDevice != nullptr, EHS_GENERAL, "D3DDevice object was not created!");
    const uint32_t color = GfxColorToARGB(red, green, blue, 1.0f);
    return m_pD3DDevice->Clear(0, nullptr, CLEAR_TARGET, color, 0.0f, 0);
}

void CTesser::SceneRender()
{
    // Mode 0 of the light pass changes nothing: skip the call per quad.
    if (LightGetMode() != 0 && m_pBatchVertices) {
        uint32_t w = 0, h = 0;
        GfxGetResolution(w, h);
        LightPass(m_quad, m_quadAlpha, w, h, m_videoCaps.Dot3);
    }
    VQuadBatchAdd();
}

HResult CTesser::ScenePresent()
{
    // Without a device there is nothing to present (rather than a crash).
    if (!m_pD3DDevice)
        return GFXERR_INVALIDCALL;
    return m_pD3DDevice->Present(nullptr, nullptr, nullptr, nullptr);
}

HResult CTesser::SceneSetViewport(int32_t x, int32_t y, int32_t width, int32_t height)
{
    SetCheckpoint(FILE_ID, __LINE__);
    EHS_CHECK(m_pD3DDevice != nullptr, EHS_GENERAL, "D3DDevice object was not created!");
    uint32_t w = 0, h = 0;
    GfxGetResolution(w, h);
    // 64-bit arithmetic, so that huge requests cannot overflow the clamp.
    int64_t X = x, Y = y, W = width, H = height;
    if (X < 0) {
        W += X;
        X = 0;
    }
    if (Y < 0) {
        H += Y;
        Y = 0;
    }
    if (X + W > int64_t(w))
        W = int64_t(w) - X;
    if (Y + H > int64_t(h))
        H = int64_t(h) - Y;
    if (W < 0)
        W = 0;
    if (H < 0)
        H = 0;
    VQuadBatchFlush();
    Viewport vp;
    vp.x = uint32_t(X);
    vp.y = uint32_t(Y);
    vp.width = uint32_t(W);
    vp.height = uint32_t(H);
    vp.minZ = 0.0f;
    vp.maxZ = 1.0f;
    return m_pD3DDevice->SetViewport(vp);
}

HResult CTesser::SceneSetGamma(float brightness, float curve)
{
    SetCheckpoint(FILE_ID, __LINE__);
    EHS_CHECK(m_pD3DDevice != nullptr, EHS_GENERAL, "D3DDevice object was not created!");
    float low = 0.0f, high = 1.0f;
    if (brightness > 1.0f)
        low = std::min(brightness - 1.0f, 1.0f);
    if (brightness < 1.0f)
        high = brightness < 0.0f ? 0.0f : brightness;
    const float mid = (high - low) * 0.5f + low;
    const float control = (1.0f - curve) * mid + curve * high;
    GammaRamp ramp;
    for (int i = 0; i < 256; ++i) {
        const float t = float(i) * 0.003921569f;
        const float u = 1.0f - t;
        float v = u * u * low + 2.0f * t * u * control + t * t * high;
        if (!(v > 0.0f))
            v = 0.0f;
        if (v > 1.0f)
            v = 1.0f;
        const uint16_t entry = uint16_t(int32_t(v * 65535.0f));
        ramp.red[i] = ramp.green[i] = ramp.blue[i] = entry;
    }
    m_pD3DDevice->SetGammaRamp(m_videoCaps.GammaCalibration ? SGR_CALIBRATE : SGR_NO_CALIBRATION, ramp);
    return GFX_OK;
}

void CTesser::SceneMakeScreenshot()
{
    SetCheckpoint(FILE_ID, __LINE__);
    EHS_CHECK(m_pD3DDevice != nullptr, EHS_GENERAL, "D3DDevice object was not created!");
    if (m_bGfxWindowed) {
        WriteBlankLines(1);
        WriteEntry("Cannot make a screenshot in windowed mode!", LOG_WARNING);
        WriteBlankLines(1);
        return;
    }
    ++m_screenshotCount;
    const uint32_t width = m_presentParams.backBufferWidth;
    const uint32_t height = m_presentParams.backBufferHeight;

    Surface* surface = nullptr;
    HResult hr = m_pD3DDevice->CreateImageSurface(width, height, FMT_A8R8G8B8, &surface);
    if (Failed(hr))
        throw CEHSException(EHS_GENERAL, hr, "Cannot create surface!", __FILE__, __LINE__);
    EHS_ASSERT(surface != nullptr);
    hr = m_pD3DDevice->GetFrontBuffer(surface);
    if (Failed(hr)) {
        surface->Release();
        throw CEHSException(EHS_GENERAL, hr, "Cannot get front buffer!", __FILE__, __LINE__);
    }
    LockedRect locked;
    hr = surface->LockRect(locked, nullptr, LOCK_READONLY);
    if (Failed(hr)) {
        surface->Release();
        throw CEHSException(EHS_GENERAL, hr, "Cannot lock surface!", __FILE__, __LINE__);
    }
    // The surface's own pitch: its rows may be longer than width x 4 bytes.
    const std::vector<uint8_t> file =
        GfxBuildScreenshotBMP(static_cast<const uint8_t*>(locked.bits), locked.pitch, width, height);
    surface->UnlockRect();
    surface->Release();

    const std::string name = "screenshot" + std::to_string(m_screenshotCount) + ".bmp";
    std::ofstream out(name, std::ios::binary | std::ios::trunc);
    if (out)
        out.write(reinterpret_cast<const char*>(file.data()), std::streamsize(file.size()));
    const bool written = out && out.good();
    out.close();
    WriteBlankLines(1);
    if (written)
        WriteEntry("Screenshot saved.", LOG_SUCCESS);
    else
        WriteEntry("Cannot write screenshot file " + name + "!", LOG_WARNING);
    WriteBlankLines(1);
}
