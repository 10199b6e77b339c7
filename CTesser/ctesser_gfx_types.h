// Records of the graphics device side: the quad vertex, the display-mode
// candidates and the video capabilities handed to the game.
#pragma once

#include <cstdint>
#include <vector>

#include "platform/gfx/tsr_gfx.h"

// One pre-transformed quad vertex (position with reciprocal W, diffuse,
// specular, two texture-coordinate sets): 40 bytes, copied as is into the
// vertex buffer.
struct TSNVERTEX {
    float x, y, z, rhw;
    uint32_t diffuse;
    uint32_t specular;
    float tu1, tv1;
    float tu2, tv2;
};
static_assert(sizeof(TSNVERTEX) == 40, "the vertex buffer stride is 40 bytes");

constexpr uint32_t TSNVERTEX_FVF =
    tsr::gfx::FVF_XYZRHW | tsr::gfx::FVF_DIFFUSE | tsr::gfx::FVF_SPECULAR | tsr::gfx::FVF_TEX2;
static_assert(TSNVERTEX_FVF == 0x2C4);

// Quads per batch, and the buffer sizes that follow from it.
constexpr int32_t TSN_BATCH_QUADS = 500;
constexpr uint32_t TSN_VB_BYTES = TSN_BATCH_QUADS * 4 * sizeof(TSNVERTEX); // 80000
constexpr uint32_t TSN_IB_BYTES = TSN_BATCH_QUADS * 6 * sizeof(uint16_t); // 6000

using D3DFORMAT = tsr::gfx::Format;

struct TSNDISPLAYMODE {
    uint32_t Width = 0;
    uint32_t Height = 0;
    uint32_t RefreshRate = 0;
    D3DFORMAT Format = tsr::gfx::FMT_UNKNOWN;
    D3DFORMAT TextureFormat01 = tsr::gfx::FMT_UNKNOWN;
    D3DFORMAT TextureFormat02 = tsr::gfx::FMT_UNKNOWN;
    D3DFORMAT TextureFormat03 = tsr::gfx::FMT_UNKNOWN;
    D3DFORMAT TextureFormat04 = tsr::gfx::FMT_UNKNOWN;
    bool Valid = false;
};

struct TSNVIDEOCAPS {
    TSNDISPLAYMODE Mode1;
    TSNDISPLAYMODE Mode2;
    TSNDISPLAYMODE Mode3;
    bool CanRenderWindowed = false;
    uint32_t MaxTextureWidth = 0;
    uint32_t MaxTextureHeight = 0;
    uint32_t MaxTextureBlendStages = 0;
    uint32_t MaxSimultaneousTextures = 0;
    bool VertexFog = false;
    bool Dot3 = false;
    bool MipMapping = false;
    bool AddressClamp = false;
    bool AddressWrap = false;
    bool FullScreenGamma = false;
    bool GammaCalibration = false;
    int32_t Rating = 0;
};

// The printed name of a format ("Unknown format!" for any value not in the
// table).
const char* GfxFormatName(D3DFORMAT format);
// The video card rating 0 (unknown) to 5 from PCI vendor and device IDs.
int32_t GfxRateVideoCard(uint32_t vendorId, uint32_t deviceId);

// The texture formats of the four classes usable on a display of
// mode.Format, chosen by the fixed candidate chains; `supported` answers
// whether a texture format can be used on that display.
template <class Supported>
void GfxChooseTextureFormats(TSNDISPLAYMODE& mode, Supported supported)
{
    using namespace tsr::gfx;
    // Class 1: 16-bit opaque. An alpha format ends the chain unfilled.
    for (Format f : {FMT_R5G6B5, FMT_X1R5G5B5, FMT_A1R5G5B5, FMT_X4R4G4B4, FMT_A4R4G4B4}) {
        if (!supported(f))
            continue;
        if (f != FMT_A1R5G5B5 && f != FMT_A4R4G4B4)
            mode.TextureFormat01 = f;
        break;
    }
    // Class 2: 16-bit with alpha.
    for (Format f : {FMT_A4R4G4B4, FMT_A1R5G5B5, FMT_A8R3G3B2}) {
        if (supported(f)) {
            mode.TextureFormat02 = f;
            break;
        }
    }
    // Class 3: with alpha, 32-bit preferred.
    for (Format f : {FMT_A8R8G8B8, FMT_A4R4G4B4}) {
        if (supported(f)) {
            mode.TextureFormat03 = f;
            break;
        }
    }
    // Class 4: 32-bit. X4R4G4B4 lands in class 3 and leaves class 4 empty.
    for (Format f : {FMT_A8R8G8B8, FMT_X8R8G8B8, FMT_X4R4G4B4, FMT_A4R4G4B4}) {
        if (!supported(f))
            continue;
        if (f == FMT_X4R4G4B4)
            mode.TextureFormat03 = f;
        else if (f != FMT_A4R4G4B4)
            mode.TextureFormat04 = f;
        break;
    }
}

// One colour channel 0..1 as a byte: the integer part of c x 255. Values
// outside 0..1 are clamped first (and NaN reads as 0), so 1.5 gives 255
// rather than wrapping to 126.
inline uint32_t GfxColorChannel(float c)
{
    if (!(c > 0.0f))
        return 0;
    if (c >= 1.0f)
        return 255;
    return uint32_t(c * 255.0f) & 255u;
}

// Four channels as an ARGB word.
inline uint32_t GfxColorToARGB(float red, float green, float blue, float alpha)
{
    return (GfxColorChannel(alpha) << 24) | (GfxColorChannel(red) << 16) | (GfxColorChannel(green) << 8) |
           GfxColorChannel(blue);
}

// A fog value as the alpha byte of the specular colour: 255 at 1 or above,
// 0 at 0 or below (and for NaN), else rounded.
inline uint32_t GfxFogByte(float f)
{
    if (f >= 1.0f)
        return 255;
    if (!(f > 0.0f))
        return 0;
    return uint32_t(f * 255.0f + 0.5f);
}

// The screenshot file: a 24-bit BMP of width x height pixels, rows bottom
// up and padded to 4 bytes, taken from A8R8G8B8 rows `pitch` bytes apart
// (top row first).
std::vector<uint8_t> GfxBuildScreenshotBMP(const uint8_t* bits, int32_t pitch, uint32_t width, uint32_t height);
