// The graphics device contract the engine draws through, on OpenGL 3.3 core.
//
// Shaped like the classic fixed-function device the engine was written
// for: a device object with reference-counted resources (vertex and index
// buffers, textures, image surfaces), render and texture-stage states with
// the numeric values the engine's data uses, pre-transformed vertices in
// back-buffer pixels with pixel centres on integer coordinates, a gamma
// ramp applied to the presented picture and a read-back of the last
// presented frame. The engine includes only this header.
//
// Results are 32-bit codes: 0 (or any non-negative value) is success.
// Every object is released with Release(), which returns the references
// left; the last Release frees it. Resources keep a reference on their
// device, and the device on its factory, so leaks show at shut-down.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "platform/messages/tsr_messages.h"

namespace tsr::gfx {

// ---------------------------------------------------------------- results
using HResult = int32_t;
constexpr HResult GFX_OK = 0;
constexpr HResult GFXERR_FAIL = int32_t(0x80004005u);
constexpr HResult GFXERR_OUTOFMEMORY = int32_t(0x8007000Eu);
constexpr HResult GFXERR_INVALIDCALL = int32_t(0x8876086Cu);
constexpr HResult GFXERR_NOTAVAILABLE = int32_t(0x8876086Au);
constexpr HResult GFXERR_DEVICELOST = int32_t(0x88760868u);
constexpr HResult GFXERR_DEVICENOTRESET = int32_t(0x88760869u);
constexpr HResult GFXERR_WRONGTEXTUREFORMAT = int32_t(0x88760818u);
inline bool Succeeded(HResult r) { return r >= 0; }
inline bool Failed(HResult r) { return r < 0; }

// The version number the factory is created with.
constexpr uint32_t GFX_SDK_VERSION = 120;

// ---------------------------------------------------------------- formats
// Pixel formats by their published numbers (the engine logs and stores them).
enum Format : uint32_t {
    FMT_UNKNOWN = 0,
    FMT_R8G8B8 = 20,
    FMT_A8R8G8B8 = 21,
    FMT_X8R8G8B8 = 22,
    FMT_R5G6B5 = 23,
    FMT_X1R5G5B5 = 24,
    FMT_A1R5G5B5 = 25,
    FMT_A4R4G4B4 = 26,
    FMT_R3G3B2 = 27,
    FMT_A8 = 28,
    FMT_A8R3G3B2 = 29,
    FMT_X4R4G4B4 = 30,
    FMT_A8P8 = 40,
    FMT_P8 = 41,
    FMT_L8 = 50,
    FMT_A8L8 = 51,
    FMT_A4L4 = 52,
    FMT_V8U8 = 60,
    FMT_L6V5U5 = 61,
    FMT_X8L8V8U8 = 62,
    FMT_Q8W8V8U8 = 63,
    FMT_V16U16 = 64,
    FMT_W11V11U10 = 65,
    FMT_D16_LOCKABLE = 70,
    FMT_D32 = 71,
    FMT_D15S1 = 73,
    FMT_D24S8 = 75,
    FMT_D16 = 80,
    FMT_D24X8 = 77,
    FMT_D24X4S4 = 79,
    FMT_VERTEXDATA = 100,
    FMT_INDEX16 = 101,
    FMT_INDEX32 = 102,
};

// Bytes per pixel of a texture/surface format this layer can hold (0: not
// a format it creates).
uint32_t BytesPerPixel(Format format);
// Converts one pixel of `format` (little-endian bytes at src) to 0xAARRGGBB;
// formats without alpha read as opaque.
uint32_t PixelToARGB(Format format, const uint8_t* src);
// Converts 0xAARRGGBB into one pixel of `format` at dst (truncating bits).
void ARGBToPixel(Format format, uint32_t argb, uint8_t* dst);

// ---------------------------------------------------------------- enums
enum DeviceType : uint32_t { DEVTYPE_HAL = 1, DEVTYPE_REF = 2, DEVTYPE_SW = 3 };
enum ResourceType : uint32_t { RTYPE_SURFACE = 1, RTYPE_VOLUME = 2, RTYPE_TEXTURE = 3 };
enum Pool : uint32_t { POOL_DEFAULT = 0, POOL_MANAGED = 1, POOL_SYSTEMMEM = 2, POOL_SCRATCH = 3 };

constexpr uint32_t USAGE_RENDERTARGET = 0x00000001;
constexpr uint32_t USAGE_WRITEONLY = 0x00000008;
constexpr uint32_t USAGE_DYNAMIC = 0x00000200;

constexpr uint32_t LOCK_READONLY = 0x00000010;
constexpr uint32_t LOCK_NOOVERWRITE = 0x00001000;
constexpr uint32_t LOCK_DISCARD = 0x00002000;

constexpr uint32_t CREATE_SOFTWARE_VERTEXPROCESSING = 0x00000020;
constexpr uint32_t CREATE_HARDWARE_VERTEXPROCESSING = 0x00000040;

constexpr uint32_t ENUM_NO_WHQL_LEVEL = 0x00000002;

// Flexible vertex format bits.
constexpr uint32_t FVF_XYZ = 0x002;
constexpr uint32_t FVF_XYZRHW = 0x004;
constexpr uint32_t FVF_POSITION_MASK = 0x00E;
constexpr uint32_t FVF_DIFFUSE = 0x040;
constexpr uint32_t FVF_SPECULAR = 0x080;
constexpr uint32_t FVF_TEXCOUNT_MASK = 0xF00;
constexpr uint32_t FVF_TEXCOUNT_SHIFT = 8;
constexpr uint32_t FVF_TEX1 = 0x100;
constexpr uint32_t FVF_TEX2 = 0x200;

enum PrimitiveType : uint32_t {
    PT_POINTLIST = 1,
    PT_LINELIST = 2,
    PT_LINESTRIP = 3,
    PT_TRIANGLELIST = 4,
    PT_TRIANGLESTRIP = 5,
    PT_TRIANGLEFAN = 6,
};

enum SwapEffect : uint32_t { SWAPEFFECT_DISCARD = 1, SWAPEFFECT_FLIP = 2, SWAPEFFECT_COPY = 3 };

constexpr uint32_t CLEAR_TARGET = 0x1;
constexpr uint32_t CLEAR_ZBUFFER = 0x2;
constexpr uint32_t CLEAR_STENCIL = 0x4;

constexpr uint32_t SGR_NO_CALIBRATION = 0x0;
constexpr uint32_t SGR_CALIBRATE = 0x1;

// Render states.
enum RenderState : uint32_t {
    RS_ZENABLE = 7,
    RS_FILLMODE = 8,
    RS_SHADEMODE = 9,
    RS_ZWRITEENABLE = 14,
    RS_ALPHATESTENABLE = 15,
    RS_SRCBLEND = 19,
    RS_DESTBLEND = 20,
    RS_CULLMODE = 22,
    RS_ZFUNC = 23,
    RS_ALPHAREF = 24,
    RS_ALPHAFUNC = 25,
    RS_DITHERENABLE = 26,
    RS_ALPHABLENDENABLE = 27,
    RS_FOGENABLE = 28,
    RS_SPECULARENABLE = 29,
    RS_FOGCOLOR = 34,
    RS_FOGTABLEMODE = 35,
    RS_FOGSTART = 36,
    RS_FOGEND = 37,
    RS_FOGDENSITY = 38,
    RS_TEXTUREFACTOR = 60,
    RS_LIGHTING = 137,
    RS_AMBIENT = 139,
    RS_FOGVERTEXMODE = 140,
    RS_COLORVERTEX = 141,
    RS_BLENDOP = 171,
};
constexpr uint32_t RS_COUNT = 256;

enum Blend : uint32_t {
    BLEND_ZERO = 1,
    BLEND_ONE = 2,
    BLEND_SRCCOLOR = 3,
    BLEND_INVSRCCOLOR = 4,
    BLEND_SRCALPHA = 5,
    BLEND_INVSRCALPHA = 6,
    BLEND_DESTALPHA = 7,
    BLEND_INVDESTALPHA = 8,
    BLEND_DESTCOLOR = 9,
    BLEND_INVDESTCOLOR = 10,
    BLEND_SRCALPHASAT = 11,
};

enum Cull : uint32_t { CULL_NONE = 1, CULL_CW = 2, CULL_CCW = 3 };
enum FogMode : uint32_t { FOG_NONE = 0, FOG_EXP = 1, FOG_EXP2 = 2, FOG_LINEAR = 3 };

// Texture-stage states.
enum TextureStageState : uint32_t {
    TSS_COLOROP = 1,
    TSS_COLORARG1 = 2,
    TSS_COLORARG2 = 3,
    TSS_ALPHAOP = 4,
    TSS_ALPHAARG1 = 5,
    TSS_ALPHAARG2 = 6,
    TSS_TEXCOORDINDEX = 11,
    TSS_ADDRESSU = 13,
    TSS_ADDRESSV = 14,
    TSS_BORDERCOLOR = 15,
    TSS_MAGFILTER = 16,
    TSS_MINFILTER = 17,
    TSS_MIPFILTER = 18,
    TSS_MIPMAPLODBIAS = 19,
    TSS_MAXMIPLEVEL = 20,
    TSS_MAXANISOTROPY = 21,
    TSS_TEXTURETRANSFORMFLAGS = 24,
    TSS_ADDRESSW = 25,
    TSS_COLORARG0 = 26,
    TSS_ALPHAARG0 = 27,
    TSS_RESULTARG = 28,
};
constexpr uint32_t TSS_COUNT = 32;
constexpr uint32_t MAX_TEXTURE_STAGES = 8;

enum TextureOp : uint32_t {
    TOP_DISABLE = 1,
    TOP_SELECTARG1 = 2,
    TOP_SELECTARG2 = 3,
    TOP_MODULATE = 4,
    TOP_MODULATE2X = 5,
    TOP_MODULATE4X = 6,
    TOP_ADD = 7,
    TOP_ADDSIGNED = 8,
    TOP_ADDSIGNED2X = 9,
    TOP_SUBTRACT = 10,
    TOP_ADDSMOOTH = 11,
    TOP_DOTPRODUCT3 = 24,
};

// Texture arguments; the two modifier bits may be or-ed in.
constexpr uint32_t TA_DIFFUSE = 0;
constexpr uint32_t TA_CURRENT = 1;
constexpr uint32_t TA_TEXTURE = 2;
constexpr uint32_t TA_TFACTOR = 3;
constexpr uint32_t TA_SPECULAR = 4;
constexpr uint32_t TA_SELECTMASK = 0x0F;
constexpr uint32_t TA_COMPLEMENT = 0x10;
constexpr uint32_t TA_ALPHAREPLICATE = 0x20;

enum TextureAddress : uint32_t {
    TADDRESS_WRAP = 1,
    TADDRESS_MIRROR = 2,
    TADDRESS_CLAMP = 3,
    TADDRESS_BORDER = 4,
};

enum TextureFilter : uint32_t {
    TEXF_NONE = 0,
    TEXF_POINT = 1,
    TEXF_LINEAR = 2,
    TEXF_ANISOTROPIC = 3,
};

// ---------------------------------------------------------------- caps
constexpr uint32_t CAPS2_FULLSCREENGAMMA = 0x00020000;
constexpr uint32_t CAPS2_CANRENDERWINDOWED = 0x00080000;
constexpr uint32_t CAPS2_CANCALIBRATEGAMMA = 0x00100000;
constexpr uint32_t PRASTERCAPS_FOGVERTEX = 0x00000080;
constexpr uint32_t PRASTERCAPS_FOGTABLE = 0x00000100;
constexpr uint32_t PTEXTURECAPS_ALPHA = 0x00000004;
constexpr uint32_t PTEXTURECAPS_MIPMAP = 0x00004000;
constexpr uint32_t TEXOPCAPS_DISABLE = 0x00000001;
constexpr uint32_t TEXOPCAPS_SELECTARG1 = 0x00000002;
constexpr uint32_t TEXOPCAPS_SELECTARG2 = 0x00000004;
constexpr uint32_t TEXOPCAPS_MODULATE = 0x00000008;
constexpr uint32_t TEXOPCAPS_MODULATE2X = 0x00000010;
constexpr uint32_t TEXOPCAPS_MODULATE4X = 0x00000020;
constexpr uint32_t TEXOPCAPS_ADD = 0x00000040;
constexpr uint32_t TEXOPCAPS_ADDSIGNED = 0x00000080;
constexpr uint32_t TEXOPCAPS_ADDSIGNED2X = 0x00000100;
constexpr uint32_t TEXOPCAPS_SUBTRACT = 0x00000200;
constexpr uint32_t TEXOPCAPS_ADDSMOOTH = 0x00000400;
constexpr uint32_t TEXOPCAPS_DOTPRODUCT3 = 0x00800000;
constexpr uint32_t PTADDRESSCAPS_WRAP = 0x00000001;
constexpr uint32_t PTADDRESSCAPS_MIRROR = 0x00000002;
constexpr uint32_t PTADDRESSCAPS_CLAMP = 0x00000004;

// ---------------------------------------------------------------- records
struct AdapterIdentifier {
    std::string driver;
    std::string description;
    uint32_t vendorId = 0;
    uint32_t deviceId = 0;
};

struct DisplayMode {
    uint32_t width = 0;
    uint32_t height = 0;
    uint32_t refreshRate = 0;
    Format format = FMT_UNKNOWN;
};

struct Caps {
    uint32_t caps2 = 0;
    uint32_t rasterCaps = 0;
    uint32_t textureCaps = 0;
    uint32_t textureOpCaps = 0;
    uint32_t textureAddressCaps = 0;
    uint32_t maxTextureWidth = 0;
    uint32_t maxTextureHeight = 0;
    uint32_t maxTextureBlendStages = 0;
    uint32_t maxSimultaneousTextures = 0;
};

struct PresentParameters {
    uint32_t backBufferWidth = 0;
    uint32_t backBufferHeight = 0;
    Format backBufferFormat = FMT_UNKNOWN;
    uint32_t backBufferCount = 0;
    uint32_t multiSampleType = 0;
    SwapEffect swapEffect = SwapEffect(0);
    WindowHandle deviceWindow = nullptr;
    bool windowed = false;
    bool enableAutoDepthStencil = false;
    Format autoDepthStencilFormat = FMT_UNKNOWN;
    uint32_t flags = 0;
    uint32_t fullScreenRefreshRate = 0;
    uint32_t presentationInterval = 0;
};

struct Viewport {
    uint32_t x = 0;
    uint32_t y = 0;
    uint32_t width = 0;
    uint32_t height = 0;
    float minZ = 0.0f;
    float maxZ = 1.0f;
};

struct GammaRamp {
    uint16_t red[256];
    uint16_t green[256];
    uint16_t blue[256];
};

struct Rect {
    int32_t left = 0, top = 0, right = 0, bottom = 0;
};

struct LockedRect {
    int32_t pitch = 0; // bytes from one row to the next
    void* bits = nullptr;
};

struct SurfaceDesc {
    Format format = FMT_UNKNOWN;
    ResourceType type = RTYPE_SURFACE;
    uint32_t usage = 0;
    Pool pool = POOL_DEFAULT;
    uint32_t width = 0;
    uint32_t height = 0;
};

// ---------------------------------------------------------------- objects
class Unknown {
public:
    uint32_t AddRef() { return ++m_refs; }
    // Returns the references left; the object is gone when it returns 0.
    uint32_t Release();

protected:
    Unknown() = default;
    virtual ~Unknown() = default;
    Unknown(const Unknown&) = delete;
    Unknown& operator=(const Unknown&) = delete;

private:
    uint32_t m_refs = 1;
};

class Device;

class VertexBuffer : public Unknown {
public:
    // offset/size 0, 0: the whole buffer. LOCK_DISCARD gives fresh memory
    // whose old contents need not be kept.
    virtual HResult Lock(uint32_t offset, uint32_t size, uint8_t** data, uint32_t flags) = 0;
    virtual HResult Unlock() = 0;
    virtual uint32_t GetLength() const = 0;
};

class IndexBuffer : public Unknown {
public:
    virtual HResult Lock(uint32_t offset, uint32_t size, uint8_t** data, uint32_t flags) = 0;
    virtual HResult Unlock() = 0;
    virtual uint32_t GetLength() const = 0;
};

// A lockable image in system memory (screenshots).
class Surface : public Unknown {
public:
    virtual HResult GetDesc(SurfaceDesc& desc) const = 0;
    // The pitch of a locked surface may exceed width x bytes per pixel.
    virtual HResult LockRect(LockedRect& locked, const Rect* rect, uint32_t flags) = 0;
    virtual HResult UnlockRect() = 0;
};

// A texture with its mip levels; each level is locked in the texture's
// format (rows `pitch` bytes apart, top row first) and sent to the GPU
// when unlocked.
class Texture : public Unknown {
public:
    virtual uint32_t GetLevelCount() const = 0;
    virtual HResult GetLevelDesc(uint32_t level, SurfaceDesc& desc) const = 0;
    virtual HResult LockRect(uint32_t level, LockedRect& locked, const Rect* rect, uint32_t flags) = 0;
    virtual HResult UnlockRect(uint32_t level) = 0;
};

class Device : public Unknown {
public:
    virtual HResult TestCooperativeLevel() = 0;
    virtual HResult Reset(PresentParameters& params) = 0;
    virtual HResult GetDeviceCaps(Caps& caps) const = 0;

    virtual HResult CreateVertexBuffer(uint32_t length, uint32_t usage, uint32_t fvf, Pool pool,
                                       VertexBuffer** out) = 0;
    virtual HResult CreateIndexBuffer(uint32_t length, uint32_t usage, Format format, Pool pool,
                                      IndexBuffer** out) = 0;
    virtual HResult CreateTexture(uint32_t width, uint32_t height, uint32_t levels, uint32_t usage,
                                  Format format, Pool pool, Texture** out) = 0;
    // A system-memory surface (for GetFrontBuffer).
    virtual HResult CreateImageSurface(uint32_t width, uint32_t height, Format format, Surface** out) = 0;

    virtual HResult SetVertexShader(uint32_t fvf) = 0;
    virtual HResult SetStreamSource(uint32_t stream, VertexBuffer* buffer, uint32_t stride) = 0;
    virtual HResult SetIndices(IndexBuffer* buffer, uint32_t baseVertexIndex) = 0;
    virtual HResult SetRenderState(RenderState state, uint32_t value) = 0;
    virtual HResult GetRenderState(RenderState state, uint32_t& value) const = 0;
    virtual HResult SetTextureStageState(uint32_t stage, TextureStageState type, uint32_t value) = 0;
    virtual HResult GetTextureStageState(uint32_t stage, TextureStageState type, uint32_t& value) const = 0;
    // Binding keeps a reference on the texture until it is unbound.
    virtual HResult SetTexture(uint32_t stage, Texture* texture) = 0;
    virtual Texture* GetTexture(uint32_t stage) const = 0;
    virtual void ShowCursor(bool show) = 0;

    virtual HResult BeginScene() = 0;
    virtual HResult EndScene() = 0;
    // Fills the viewport (or the given rectangles within it) with 0xAARRGGBB.
    virtual HResult Clear(uint32_t count, const Rect* rects, uint32_t flags, uint32_t color, float z,
                          uint32_t stencil) = 0;
    virtual HResult Present(const Rect* source, const Rect* dest, WindowHandle overrideWindow,
                            const void* dirtyRegion) = 0;
    // The viewport clips pre-transformed vertices; it does not move them.
    virtual HResult SetViewport(const Viewport& viewport) = 0;
    virtual HResult GetViewport(Viewport& viewport) const = 0;
    virtual void SetGammaRamp(uint32_t flags, const GammaRamp& ramp) = 0;
    virtual void GetGammaRamp(GammaRamp& ramp) const = 0;
    // The last presented frame, back-buffer size, into an A8R8G8B8 surface of
    // that size (without the gamma ramp, like the hardware's copy).
    virtual HResult GetFrontBuffer(Surface* dest) = 0;
    virtual HResult DrawIndexedPrimitive(PrimitiveType type, uint32_t minIndex, uint32_t numVertices,
                                         uint32_t startIndex, uint32_t primitiveCount) = 0;

    // Platform extras, for tests and tools.
    // Draw calls issued since the device was created.
    virtual uint64_t GetDrawCallCount() const = 0;
    // The current back buffer, top row first, as 0xAARRGGBB words.
    virtual std::vector<uint32_t> ReadBackBuffer() = 0;
    // The last presented picture as the window shows it (gamma applied), at
    // back-buffer size, top row first, 0xAARRGGBB.
    virtual std::vector<uint32_t> ReadPresentedPicture() = 0;
};

class Direct3D : public Unknown {
public:
    virtual uint32_t GetAdapterCount() const = 0;
    virtual HResult GetAdapterIdentifier(uint32_t adapter, uint32_t flags, AdapterIdentifier& out) const = 0;
    virtual uint32_t GetAdapterModeCount(uint32_t adapter) const = 0;
    virtual HResult EnumAdapterModes(uint32_t adapter, uint32_t index, DisplayMode& out) const = 0;
    virtual HResult GetAdapterDisplayMode(uint32_t adapter, DisplayMode& out) const = 0;
    // GFX_OK when `checkFormat` can be used for `resourceType` on a display
    // of `adapterFormat`.
    virtual HResult CheckDeviceFormat(uint32_t adapter, DeviceType type, Format adapterFormat, uint32_t usage,
                                      ResourceType resourceType, Format checkFormat) const = 0;
    virtual HResult GetDeviceCaps(uint32_t adapter, DeviceType type, Caps& caps) const = 0;
    virtual HResult CreateDevice(uint32_t adapter, DeviceType type, WindowHandle focusWindow,
                                 uint32_t behaviourFlags, PresentParameters& params, Device** out) = 0;
};

// The factory; null when no OpenGL 3.3 core context can be made or the
// version number is not GFX_SDK_VERSION.
Direct3D* CreateDirect3D(uint32_t sdkVersion);

// Frame pacing of Present. -1 (default): wait for vertical sync where the
// display has it, otherwise sleep so that frames come no faster than the
// display's refresh rate (60 Hz when unknown). 0: no limit. n > 0: at most
// n frames per second. The environment variable TSR_FRAME_LIMIT, when set,
// gives the starting value.
void SetFrameLimit(int framesPerSecond);
int GetFrameLimit();

} // namespace tsr::gfx
