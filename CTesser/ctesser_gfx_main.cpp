// Graphics subsystem: the device factory and the adapter survey, display
// modes, device creation, the lost-device reset and shut-down.
#include <string>

#include "ctesser.h"
#include "tsr_window.h"

namespace {
constexpr int32_t FILE_ID = 121;

using namespace tsr::gfx;

[[noreturn]] void ThrowCode(int32_t type, HResult code, const char* text, int line)
{
    throw CEHSException(type, code, text, __FILE__, line);
}

struct FormatName {
    Format format;
    const char* name;
};

constexpr FormatName kFormatNames[] = {
    {FMT_UNKNOWN, "D3DFMT_UNKNOWN"},
    {FMT_R8G8B8, "D3DFMT_R8G8B8"},
    {FMT_A8R8G8B8, "D3DFMT_A8R8G8B8"},
    {FMT_X8R8G8B8, "D3DFMT_X8R8G8B8"},
    {FMT_R5G6B5, "D3DFMT_R5G6B5"},
    {FMT_X1R5G5B5, "D3DFMT_X1R5G5B5"},
    {FMT_A1R5G5B5, "D3DFMT_A1R5G5B5"},
    {FMT_A4R4G4B4, "D3DFMT_A4R4G4B4"},
    {FMT_R3G3B2, "D3DFMT_R3G3B2"},
    {FMT_A8, "D3DFMT_A8"},
    {FMT_A8R3G3B2, "D3DFMT_A8R3G3B2"},
    {FMT_X4R4G4B4, "D3DFMT_X4R4G4B4"},
    {FMT_A8P8, "D3DFMT_A8P8"},
    {FMT_P8, "D3DFMT_P8"},
    {FMT_L8, "D3DFMT_L8"},
    {FMT_A8L8, "D3DFMT_A8L8"},
    {FMT_A4L4, "D3DFMT_A4L4"},
    {FMT_V8U8, "D3DFMT_V8U8"},
    {FMT_L6V5U5, "D3DFMT_L6V5U5"},
    {FMT_X8L8V8U8, "D3DFMT_X8L8V8U8"},
    {FMT_Q8W8V8U8, "D3DFMT_Q8W8V8U8"},
    {FMT_V16U16, "D3DFMT_V16U16"},
    {FMT_W11V11U10, "D3DFMT_W11V11U10"},
    {FMT_D16_LOCKABLE, "D3DFMT_D16_LOCKABLE"},
    {FMT_D32, "D3DFMT_D32"},
    {FMT_D15S1, "D3DFMT_D15S1"},
    {FMT_D24S8, "D3DFMT_D24S8"},
    {FMT_D16, "D3DFMT_D16"},
    {FMT_D24X8, "D3DFMT_D24X8"},
    {FMT_D24X4S4, "D3DFMT_D24X4S4"},
    {FMT_VERTEXDATA, "D3DFMT_VERTEXDATA"},
    {FMT_INDEX16, "D3DFMT_INDEX16"},
    {FMT_INDEX32, "D3DFMT_INDEX32"},
};

struct RatingRange {
    uint32_t vendor, first, last;
    int32_t rating;
};

constexpr RatingRange kRatings[] = {
    {0x10DE, 0x0000, 0x0027, 1}, {0x10DE, 0x0028, 0x00FF, 2}, {0x10DE, 0x0100, 0x016F, 3},
    {0x10DE, 0x0170, 0x024F, 4}, {0x10DE, 0x0250, 0xFFFFFFFF, 5},
    {0x1002, 0x4E48, 0x4E48, 5}, {0x1002, 0x4E44, 0x4E44, 5}, {0x1002, 0x4E45, 0x4E45, 5},
    {0x1002, 0x514D, 0x514D, 5}, {0x1002, 0x4966, 0x4966, 5}, {0x1002, 0x514C, 0x514C, 5},
    {0x1002, 0x5157, 0x5157, 4}, {0x1002, 0x5144, 0x5144, 4}, {0x1002, 0x5159, 0x5159, 3},
    {0x1002, 0x4C4D, 0x4C4D, 2}, {0x1002, 0x524C, 0x524C, 1},
    {0x102B, 0x2527, 0x2527, 2}, {0x102B, 0x0525, 0x0525, 2}, {0x102B, 0x0521, 0x0521, 1},
    {0x1039, 0x6300, 0x6300, 2}, {0x8086, 0x7800, 0x7800, 1}, {0x104A, 0x0010, 0x0010, 4},
    {0x121A, 0x0009, 0x0009, 3}, {0x121A, 0x0005, 0x0005, 2}, {0x1023, 0x8520, 0x8520, 1},
};

const char* AvailableText(bool on) { return on ? "available." : "not available."; }
const char* SupportedText(bool on) { return on ? "supported." : "not supported."; }

} // namespace

const char* GfxFormatName(D3DFORMAT format)
{
    for (const FormatName& f : kFormatNames)
        if (f.format == format)
            return f.name;
    return "Unknown format!";
}

int32_t GfxRateVideoCard(uint32_t vendorId, uint32_t deviceId)
{
    for (const RatingRange& r : kRatings)
        if (r.vendor == vendorId && deviceId >= r.first && deviceId <= r.last)
            return r.rating;
    return 0;
}

// ---- Pre-initialisation and survey -------------------------------------------

void CTesser::GfxPreInit(uint32_t width, uint32_t height)
{
    SetCheckpoint(FILE_ID, __LINE__);
    WriteSeparator(LOGSEP_THIN);
    WriteEntry("Preinitializing Graphics Subsystem...", LOG_HEADING);
    m_bGfxCreated = true;
    m_pD3D = nullptr;
    m_pD3D = CreateDirect3D(GFX_SDK_VERSION);
    EHS_CHECK(m_pD3D != nullptr, EHS_GENERAL, "Cannot create Direct3D object!");
    WriteEntry("Direct3D object created.", LOG_SUCCESS);
    // Kept for the full-screen modes 1 and 2 and windowed rendering, so the
    // size does not depend on a 16-bit mode having been found.
    m_gfxWantedWidth = width;
    m_gfxWantedHeight = height;
    GfxSurvey(width, height);
    WriteSeparator(LOGSEP_THIN);
    WriteBlankLines(1);
}

void CTesser::GfxLogMode(const char* heading, const TSNDISPLAYMODE& mode)
{
    WriteLine(heading);
    WriteLine("          Display Mode:");
    WriteLine(std::string("               Surface format: ") + GfxFormatName(mode.Format));
    WriteLine("                        Width: " + std::to_string(mode.Width));
    WriteLine("                       Height: " + std::to_string(mode.Height));
    WriteLine("                 Refresh Rate: " + std::to_string(mode.RefreshRate));
    WriteLine("          Texture Formats:");
    WriteLine(std::string("               TextureFormat01: ") + GfxFormatName(mode.TextureFormat01));
    WriteLine(std::string("               TextureFormat02: ") + GfxFormatName(mode.TextureFormat02));
    WriteLine(std::string("               TextureFormat03: ") + GfxFormatName(mode.TextureFormat03));
    WriteLine(std::string("               TextureFormat04: ") + GfxFormatName(mode.TextureFormat04));
}

void CTesser::GfxSurvey(uint32_t width, uint32_t height)
{
    SetCheckpoint(FILE_ID, __LINE__);
    WriteEntry("Getting videoadapter capabilities...", LOG_STAGE);
    AdapterIdentifier id;
    EHS_CHECK(Succeeded(m_pD3D->GetAdapterIdentifier(0, ENUM_NO_WHQL_LEVEL, id)), EHS_GENERAL,
              "Cannot get videoadapter identifier");
    m_gfxVideoCard = id.description;
    WriteLine("     Videocard: " + id.description);
    WriteLine("       VendorID: " + std::to_string(id.vendorId));
    WriteLine("       DeviceID: " + std::to_string(id.deviceId));
    const int32_t rating = GfxRateVideoCard(id.vendorId, id.deviceId);
    m_videoCaps = TSNVIDEOCAPS{};
    m_videoCaps.Rating = rating;
    WriteLine(rating == 0 ? std::string("       Rating: Unknown") : "       Rating: " + std::to_string(rating));
    WriteBlankLines(1);

    WriteEntry("Enumerating videomodes...", LOG_STEP);
    TSNDISPLAYMODE& m1 = m_videoCaps.Mode1;
    TSNDISPLAYMODE& m2 = m_videoCaps.Mode2;
    TSNDISPLAYMODE& m3 = m_videoCaps.Mode3;
    DisplayMode desktop;
    m_pD3D->GetAdapterDisplayMode(0, desktop);
    m3.Width = desktop.width;
    m3.Height = desktop.height;
    m3.RefreshRate = desktop.refreshRate;
    m3.Format = desktop.format;
    const uint32_t count = m_pD3D->GetAdapterModeCount(0);
    bool found1 = false, found2 = false;
    for (uint32_t i = 0; i < count; ++i) {
        DisplayMode dm;
        if (Failed(m_pD3D->EnumAdapterModes(0, i, dm)) || dm.width != width || dm.height != height)
            continue;
        TSNDISPLAYMODE* target = nullptr;
        if (!found1 && (dm.format == FMT_R5G6B5 || dm.format == FMT_X1R5G5B5)) {
            target = &m1;
            found1 = true;
        } else if (!found2 && (dm.format == FMT_X8R8G8B8 || dm.format == FMT_A8R8G8B8)) {
            target = &m2;
            found2 = true;
        }
        if (target) {
            target->Width = dm.width;
            target->Height = dm.height;
            target->RefreshRate = dm.refreshRate;
            target->Format = dm.format;
        }
    }
    WriteEntry("Done.", LOG_SUCCESS);

    WriteEntry("Enumerating texture formats...", LOG_STEP);
    for (TSNDISPLAYMODE* mode : {&m1, &m2, &m3}) {
        if (mode->Format == FMT_UNKNOWN)
            continue; // a mode that was not found offers nothing
        const Format display = mode->Format;
        GfxChooseTextureFormats(*mode, [&](Format f) {
            return Succeeded(m_pD3D->CheckDeviceFormat(0, DEVTYPE_HAL, display, 0, RTYPE_TEXTURE, f));
        });
    }
    WriteEntry("Done.", LOG_SUCCESS);
    WriteBlankLines(1);

    GfxLogMode("     Mode1:", m1);
    WriteBlankLines(1);
    GfxLogMode("     Mode2:", m2);
    WriteBlankLines(1);
    GfxLogMode("     Mode3:", m3);
    WriteBlankLines(2);

    int n = 1;
    for (TSNDISPLAYMODE* mode : {&m1, &m2, &m3}) {
        mode->Valid = mode->Format != FMT_UNKNOWN && mode->TextureFormat01 != FMT_UNKNOWN &&
                      mode->TextureFormat02 != FMT_UNKNOWN && mode->TextureFormat03 != FMT_UNKNOWN &&
                      mode->TextureFormat04 != FMT_UNKNOWN;
        if (mode->Valid)
            WriteLine("          Display Mode " + std::to_string(n) + " is valid.");
        ++n;
    }
    WriteBlankLines(2);

    Caps caps;
    m_pD3D->GetDeviceCaps(0, DEVTYPE_HAL, caps);
    m_videoCaps.CanRenderWindowed = (caps.caps2 & CAPS2_CANRENDERWINDOWED) != 0 && width < m3.Width &&
                                    height < m3.Height && m3.Format != FMT_P8 && m3.Format != FMT_A8P8;
    WriteLine(m_videoCaps.CanRenderWindowed ? "          Device can render in windowed mode"
                                            : "          Device cannot render in windowed mode");
    WriteBlankLines(2);

    m_videoCaps.MaxTextureWidth = caps.maxTextureWidth;
    m_videoCaps.MaxTextureHeight = caps.maxTextureHeight;
    m_videoCaps.MaxTextureBlendStages = caps.maxTextureBlendStages;
    m_videoCaps.MaxSimultaneousTextures = caps.maxSimultaneousTextures;
    WriteLine("     MaxTextureWidth         = " + std::to_string(caps.maxTextureWidth));
    WriteLine("     MaxTextureHeight        = " + std::to_string(caps.maxTextureHeight));
    WriteLine("     MaxTextureBlendStages   = " + std::to_string(caps.maxTextureBlendStages));
    WriteLine("     MaxSimultaneousTextures = " + std::to_string(caps.maxSimultaneousTextures));
    WriteBlankLines(2);

    m_videoCaps.VertexFog = (caps.rasterCaps & PRASTERCAPS_FOGVERTEX) != 0;
    m_videoCaps.MipMapping = (caps.textureCaps & PTEXTURECAPS_MIPMAP) != 0;
    m_videoCaps.Dot3 = (caps.textureOpCaps & TEXOPCAPS_DOTPRODUCT3) != 0;
    WriteLine(std::string("     Vertex Fog is ") + AvailableText(m_videoCaps.VertexFog));
    WriteLine(std::string("     MipMapping is ") + AvailableText(m_videoCaps.MipMapping));
    WriteLine(std::string("     Dot3 Bump Mapping is ") + AvailableText(m_videoCaps.Dot3));
    WriteBlankLines(2);

    m_videoCaps.AddressClamp = (caps.textureAddressCaps & PTADDRESSCAPS_CLAMP) != 0;
    m_videoCaps.AddressWrap = (caps.textureAddressCaps & PTADDRESSCAPS_WRAP) != 0;
    WriteLine(std::string("     Texture addr. mode: Clamp is ") + AvailableText(m_videoCaps.AddressClamp));
    WriteLine(std::string("     Texture addr. mode: Wrap is ") + AvailableText(m_videoCaps.AddressWrap));
    WriteBlankLines(2);

    m_videoCaps.FullScreenGamma = (caps.caps2 & CAPS2_FULLSCREENGAMMA) != 0;
    m_videoCaps.GammaCalibration = (caps.caps2 & CAPS2_CANCALIBRATEGAMMA) != 0;
    WriteLine(std::string("     Dynamic gamma adjusting in full screen is ") +
              SupportedText(m_videoCaps.FullScreenGamma));
    WriteLine(std::string("     Gamma calibrating is ") + SupportedText(m_videoCaps.GammaCalibration));
}

void CTesser::GfxGetVideoCaps(TSNVIDEOCAPS& out) const
{
    SetCheckpoint(FILE_ID, __LINE__);
    EHS_CHECK(m_bGfxCreated, EHS_GAME, "Cannot provide videocard caps - GFX system was not initialized!");
    out = m_videoCaps;
}

const TSNDISPLAYMODE* CTesser::GfxGetCurrentMode() const
{
    switch (m_gfxDisplayMode) {
    case 1:
        return &m_videoCaps.Mode1;
    case 2:
        return &m_videoCaps.Mode2;
    case 3:
        return &m_videoCaps.Mode3;
    default:
        return nullptr;
    }
}

void CTesser::GfxGetResolution(uint32_t& width, uint32_t& height) const
{
    if (m_gfxDisplayMode >= 3 && !m_bGfxWindowed) {
        width = m_videoCaps.Mode3.Width;
        height = m_videoCaps.Mode3.Height;
    } else {
        width = m_gfxWantedWidth;
        height = m_gfxWantedHeight;
    }
}

// ---- Initialisation -------------------------------------------------------------

void CTesser::GfxInit(int32_t displayMode, bool windowed)
{
    SetCheckpoint(FILE_ID, __LINE__);
    WriteSeparator(LOGSEP_THIN);
    WriteEntry("Initializing Graphics Subsystem...", LOG_HEADING);
    EHS_CHECK(m_pD3D != nullptr, EHS_GENERAL, "Direct3D object was not created!");
    if (windowed) {
        EHS_CHECK(m_videoCaps.CanRenderWindowed, EHS_GAME, "Cannot switch to windowed rendering.");
        EHS_CHECK(displayMode != 1 && displayMode != 2, EHS_GAME, "Wrong combination of display mode params.");
    }
    m_gfxDisplayMode = displayMode;
    m_bGfxWindowed = windowed;
    WriteBlankLines(1);
    WriteEntry("Creating window...", LOG_STEP);
    uint32_t width = 0, height = 0;
    GfxGetResolution(width, height);
    CreateGameWindow(&m_gfxWindow, int(width), int(height), windowed);
    ProcessMessages();
    WriteEntry("Done.", LOG_SUCCESS);
    WriteBlankLines(1);

    const TSNDISPLAYMODE* mode = GfxGetCurrentMode();
    m_presentParams = PresentParameters{};
    m_presentParams.backBufferWidth = width;
    m_presentParams.backBufferHeight = height;
    m_presentParams.backBufferFormat = mode ? mode->Format : FMT_UNKNOWN;
    m_presentParams.backBufferCount = 1;
    m_presentParams.multiSampleType = 0;
    m_presentParams.swapEffect = windowed ? SWAPEFFECT_COPY : SWAPEFFECT_FLIP;
    m_presentParams.deviceWindow = m_gfxWindow;
    m_presentParams.windowed = windowed;
    m_presentParams.enableAutoDepthStencil = false;
    m_presentParams.flags = 0;
    m_presentParams.fullScreenRefreshRate = 0;
    m_presentParams.presentationInterval = 0;

    WriteBlankLines(1);
    WriteEntry("Creating D3DDevice...", LOG_STEP);
    HResult hr = m_pD3D->CreateDevice(0, DEVTYPE_HAL, m_gfxWindow, CREATE_SOFTWARE_VERTEXPROCESSING,
                                      m_presentParams, &m_pD3DDevice);
    if (Failed(hr) || !m_pD3DDevice) {
        m_pD3DDevice = nullptr;
        ThrowCode(EHS_GENERAL, hr, "Cannot create D3DDevice!", __LINE__);
    }
    WriteEntry("Done.", LOG_SUCCESS);
    WriteBlankLines(1);

    hr = m_pD3DDevice->CreateIndexBuffer(TSN_IB_BYTES, USAGE_WRITEONLY, FMT_INDEX16, POOL_MANAGED, &m_pIndexBuffer);
    if (Failed(hr) || !m_pIndexBuffer) {
        m_pIndexBuffer = nullptr;
        ThrowCode(EHS_GENERAL, hr, "Cannot create Index Buffer!", __LINE__);
    }
    VQuadFillIndexBuffer();

    WriteSeparator(LOGSEP_THIN);
    WriteBlankLines(1);
    GfxResetDeviceState();
    WriteBlankLines(1);

    WriteEntry("Creating Textures Manager...", LOG_STEP);
    TexManagerCreate();
    EHS_CHECK(TexManagerExists(), EHS_GENERAL, "Cannot create Textures Manager!");
    WriteBlankLines(1);
    WriteEntry("Done.", LOG_SUCCESS);
    WriteBlankLines(1);
    WriteEntry("Creating Lights Manager...", LOG_STEP);
    LightManagerCreate();
    EHS_CHECK(LightManagerExists(), EHS_GENERAL, "Cannot create Lights Manager!");
    WriteBlankLines(1);
    WriteEntry("Done.", LOG_SUCCESS);
    WriteBlankLines(1);
    WriteEntry("Creating Techniques Manager...", LOG_STEP);
    TechManagerCreate();
    EHS_CHECK(TechManagerExists(), EHS_GENERAL, "Cannot create Techniques Manager!");
    WriteBlankLines(1);
    WriteEntry("Done.", LOG_SUCCESS);
    WriteBlankLines(1);
    WriteEntry("Creating Fonts Manager...", LOG_STEP);
    FontManagerCreate();
    EHS_CHECK(FontManagerExists(), EHS_GENERAL, "Cannot create Fonts Manager!");
    WriteBlankLines(1);
    WriteEntry("Done.", LOG_SUCCESS);

    m_bGfxDeviceReady = true;
}

void CTesser::GfxResetDeviceState()
{
    SetCheckpoint(FILE_ID, __LINE__);
    m_pD3DDevice->SetVertexShader(TSNVERTEX_FVF);
    m_pD3DDevice->SetRenderState(RS_LIGHTING, 0);
    m_pD3DDevice->ShowCursor(false);
    for (TSNVERTEX& v : m_quad) {
        v.z = 0.5f;
        v.rhw = 0.5f;
    }
    TexTechFontResetState();

    HResult hr = m_pD3DDevice->CreateVertexBuffer(TSN_VB_BYTES, USAGE_DYNAMIC | USAGE_WRITEONLY, TSNVERTEX_FVF,
                                                  POOL_DEFAULT, &m_pVertexBuffer);
    if (Failed(hr) || !m_pVertexBuffer) {
        m_pVertexBuffer = nullptr;
        // Deliberately typeless: reported as "Undefined type!".
        throw CEHSException(-1, 0, "Cannot create Vertex Buffer!", __FILE__, __LINE__);
    }
    EHS_CHECK(Succeeded(m_pD3DDevice->SetIndices(m_pIndexBuffer, 0)), EHS_GENERAL, "Cannot process index buffer!");
}

// ---- Per frame ----------------------------------------------------------------

bool CTesser::GfxCheckDevice()
{
    SetCheckpoint(FILE_ID, __LINE__);
    if (!m_pD3DDevice)
        return false;
    const HResult hr = m_pD3DDevice->TestCooperativeLevel();
    if (hr == GFXERR_DEVICELOST) {
        WriteEntry("Device is lost and currently cannot be restored.", LOG_SUCCESS);
        return false;
    }
    if (hr == GFXERR_DEVICENOTRESET) {
        WriteEntry("D3DDevice is lost. Trying to reset...", LOG_STEP);
        // The vertex buffer lives in the default pool and must go before a
        // reset; a batch left open in it is gone with it.
        if (m_pVertexBuffer) {
            if (m_pBatchVertices)
                m_pVertexBuffer->Unlock();
            m_pVertexBuffer->Release();
            m_pVertexBuffer = nullptr;
        }
        m_pBatchVertices = nullptr;
        m_batchCount = 0;
        m_pD3DDevice->SetStreamSource(0, nullptr, 0);
        if (Failed(m_pD3DDevice->Reset(m_presentParams))) {
            WriteEntry("Failed.", LOG_WARNING);
            return false;
        }
        WriteEntry("Done.", LOG_SUCCESS);
        GfxResetDeviceState();
        return true;
    }
    return Succeeded(hr);
}

// ---- Shut-down ----------------------------------------------------------------

void CTesser::GfxDeinit()
{
    SetCheckpoint(FILE_ID, __LINE__);
    WriteSeparator(LOGSEP_THIN);
    WriteEntry("Deinitializing Graphics Subsystem...", LOG_HEADING);
    // Everything a finished or half-finished initialisation made is
    // released, not only what a completed one leaves.
    const bool anything = m_bGfxDeviceReady || m_pD3DDevice || m_pVertexBuffer || m_pIndexBuffer || m_gfxWindow ||
                          TexManagerExists() || LightManagerExists() || TechManagerExists() || FontManagerExists();
    if (anything) {
        if (m_pD3DDevice) {
            m_pD3DDevice->SetStreamSource(0, nullptr, 0);
            m_pD3DDevice->SetIndices(nullptr, 0);
            // Bound stages hold references on their textures: let them go
            // before the textures manager frees its slots.
            for (uint32_t s = 0; s < MAX_TEXTURE_STAGES; ++s)
                m_pD3DDevice->SetTexture(s, nullptr);
        }
        if (m_pVertexBuffer) {
            if (m_pBatchVertices)
                m_pVertexBuffer->Unlock();
            m_pBatchVertices = nullptr;
            m_batchCount = 0;
            m_pVertexBuffer->Release();
            m_pVertexBuffer = nullptr;
        }
        if (m_pIndexBuffer) {
            m_pIndexBuffer->Release();
            m_pIndexBuffer = nullptr;
        }

        WriteEntry("Destroying Textures Manager...", LOG_STEP);
        if (TexManagerExists()) {
            TexManagerFreeAll();
            WriteEntry("Done.", LOG_SUCCESS);
        } else {
            WriteEntry("Failed.", LOG_SUCCESS);
        }
        WriteEntry("Destroying Lights Manager...", LOG_STEP);
        if (LightManagerExists()) {
            LightManagerFreeAll();
            WriteEntry("Done.", LOG_SUCCESS);
        } else {
            WriteEntry("Failed.", LOG_SUCCESS);
        }
        WriteEntry("Destroying Techniques Manager...", LOG_STEP);
        if (TechManagerExists()) {
            TechManagerFreeAll();
            WriteEntry("Done.", LOG_SUCCESS);
        } else {
            WriteEntry("Failed.", LOG_SUCCESS);
        }
        WriteEntry("Destroying Fonts Manager...", LOG_STEP);
        if (FontManagerExists()) {
            FontManagerFreeAll();
            WriteEntry("Done.", LOG_SUCCESS);
        } else {
            WriteEntry("Failed.", LOG_SUCCESS);
        }

        if (m_pD3DDevice) {
            if (m_pD3DDevice->Release() > 0)
                WriteEntry("pD3Device references left!", LOG_ERROR);
            m_pD3DDevice = nullptr;
        }
        if (m_gfxWindow) {
            DestroyGameWindow(m_gfxWindow);
            m_gfxWindow = nullptr;
        }
    }
    if (m_pD3D) {
        if (m_pD3D->Release() > 0)
            WriteEntry("pD3D references left!", LOG_ERROR);
        m_pD3D = nullptr;
    }
    WriteEntry("Done.", LOG_HEADING);
    WriteSeparator(LOGSEP_THIN);
    WriteBlankLines(1);
}
