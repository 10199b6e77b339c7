// The graphics device on OpenGL 3.3 core.
//
// The device draws into an off-screen back buffer of the requested size
// (an RGBA8 framebuffer object whose row 0 is the top of the picture, so
// screen y and framebuffer y agree). Present draws it, scaled and
// letterboxed, with the gamma ramp into the window; the front buffer (kept
// for read-back) becomes a copy of it only when the back buffer is next
// changed. One shader reproduces the two fixed-function texture stages,
// specular add and vertex fog from uniforms.
#include <algorithm>
#include <array>
#include <cmath>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <map>
#include <memory>
#include <sstream>

#include "platform/gfx/tsr_gfx.h"
#include "platform/gfx/tsr_gfx_gl.h"
#include "platform/window/tsr_gamewindow.h"
#include "platform/window/tsr_gamewindow_sdl.h"

namespace tsr::gfx {
namespace {

// ------------------------------------------------------------- shaders
const char* kSceneVS = R"(#version 330 core
layout(location = 0) in vec4 aPos;
layout(location = 1) in vec4 aDiffuse;
layout(location = 2) in vec4 aSpecular;
layout(location = 3) in vec2 aTex0;
layout(location = 4) in vec2 aTex1;
uniform vec2 uScreen;
out vec4 vDiffuse;
out vec4 vSpecular;
out vec2 vTex0;
out vec2 vTex1;
void main()
{
    // Pre-transformed: pixel centres sit on integer coordinates, so the
    // pixel grid is shifted by half a pixel against OpenGL's.
    float w = aPos.w > 0.0 ? 1.0 / aPos.w : 1.0;
    vec2 ndc = (aPos.xy + 0.5) / uScreen * 2.0 - 1.0;
    gl_Position = vec4(ndc * w, (aPos.z * 2.0 - 1.0) * w, w);
    vDiffuse = aDiffuse;
    vSpecular = aSpecular;
    vTex0 = aTex0;
    vTex1 = aTex1;
}
)";

const char* kSceneFS = R"(#version 330 core
in vec4 vDiffuse;
in vec4 vSpecular;
in vec2 vTex0;
in vec2 vTex1;
uniform sampler2D uTex0;
uniform sampler2D uTex1;
// The stage setup is compiled in (see ProgramKey), so that the compiler
// folds every choice below away: per stage, uStageA holds the colour op,
// colour arg1, colour arg2 and alpha op; uStageB the alpha arg1, alpha
// arg2, texture-coordinate set and whether a texture is bound.
@STATE@
uniform vec4 uTFactor;
uniform vec3 uFogColor;
out vec4 fragColor;

vec4 Arg(int a, vec4 cur, vec4 tex)
{
    int sel = a & 15;
    vec4 v = cur;
    if (sel == 0) v = vDiffuse;
    else if (sel == 2) v = tex;
    else if (sel == 3) v = uTFactor;
    else if (sel == 4) v = vSpecular;
    if ((a & 16) != 0) v = vec4(1.0) - v;
    if ((a & 32) != 0) v = vec4(v.a);
    return v;
}

vec4 Op(int op, vec4 a1, vec4 a2)
{
    vec4 r = a1;
    if (op == 3) r = a2;
    else if (op == 4) r = a1 * a2;
    else if (op == 5) r = 2.0 * a1 * a2;
    else if (op == 6) r = 4.0 * a1 * a2;
    else if (op == 7) r = a1 + a2;
    else if (op == 8) r = a1 + a2 - 0.5;
    else if (op == 9) r = 2.0 * (a1 + a2 - 0.5);
    else if (op == 10) r = a1 - a2;
    else if (op == 11) r = a1 + a2 - a1 * a2;
    else if (op == 24) r = vec4(4.0 * dot(a1.rgb - 0.5, a2.rgb - 0.5));
    return clamp(r, 0.0, 1.0);
}

vec4 Stage(ivec4 a, ivec4 b, vec4 cur, vec4 tex)
{
    vec4 c = Op(a.x, Arg(a.y, cur, tex), Arg(a.z, cur, tex));
    float alpha;
    if (a.x == 24) alpha = c.a;          // the dot product goes to every channel
    else if (a.w == 1) alpha = cur.a;    // alpha disabled: passed through
    else alpha = Op(a.w, Arg(b.x, cur, tex), Arg(b.y, cur, tex)).a;
    return vec4(c.rgb, alpha);
}

void main()
{
    vec4 cur = vDiffuse;
    if (uStageA[0].x != 1) {
        vec2 tc = uStageB[0].z == 1 ? vTex1 : vTex0;
        vec4 tex = uStageB[0].w != 0 ? texture(uTex0, tc) : vec4(1.0);
        cur = Stage(uStageA[0], uStageB[0], cur, tex);
        if (uStageA[1].x != 1) {
            vec2 tc1 = uStageB[1].z == 0 ? vTex0 : vTex1;
            vec4 tex1 = uStageB[1].w != 0 ? texture(uTex1, tc1) : vec4(1.0);
            cur = Stage(uStageA[1], uStageB[1], cur, tex1);
        }
    }
    if (uSpecularEnable != 0)
        cur.rgb = clamp(cur.rgb + vSpecular.rgb, 0.0, 1.0);
    if (uFogEnable != 0)
        cur.rgb = mix(uFogColor, cur.rgb, clamp(vSpecular.a, 0.0, 1.0));
    fragColor = cur;
}
)";

const char* kPresentVS = R"(#version 330 core
uniform int uFlip;
out vec2 vTc;
void main()
{
    vec2 p = vec2(float(gl_VertexID & 1), float(gl_VertexID >> 1));
    vTc = vec2(p.x, uFlip != 0 ? 1.0 - p.y : p.y);
    gl_Position = vec4(p * 2.0 - 1.0, 0.0, 1.0);
}
)";

// @GAMMA@ becomes whether the ramp is looked up: the identity ramp maps
// every 8-bit value onto itself, so it is left out, which saves three
// dependent texture reads per window pixel.
const char* kPresentFS = R"(#version 330 core
in vec2 vTc;
uniform sampler2D uPicture;
uniform sampler2D uGamma;
out vec4 fragColor;
const bool kGamma = @GAMMA@;
float Ramp(float v, int channel)
{
    vec4 g = texture(uGamma, vec2((v * 255.0 + 0.5) / 256.0, 0.5));
    return channel == 0 ? g.r : channel == 1 ? g.g : g.b;
}
void main()
{
    vec4 c = texture(uPicture, vTc);
    if (kGamma)
        fragColor = vec4(Ramp(c.r, 0), Ramp(c.g, 1), Ramp(c.b, 2), 1.0);
    else
        fragColor = vec4(c.rgb, 1.0);
}
)";

std::string PresentShader(bool gamma)
{
    std::string fs = kPresentFS;
    fs.replace(fs.find("@GAMMA@"), 7, gamma ? "true" : "false");
    return fs;
}

bool IsIdentityRamp(const GammaRamp& ramp)
{
    for (int i = 0; i < 256; ++i) {
        const uint16_t v = uint16_t(i * 257);
        if (ramp.red[i] != v || ramp.green[i] != v || ramp.blue[i] != v)
            return false;
    }
    return true;
}

GLuint CompileShader(GLenum type, const char* src)
{
    GLuint s = glCreateShader(type);
    glShaderSource(s, 1, &src, nullptr);
    glCompileShader(s);
    GLint ok = 0;
    glGetShaderiv(s, GL_COMPILE_STATUS, &ok);
    if (!ok) {
        char log[1024] = {};
        glGetShaderInfoLog(s, sizeof log, nullptr, log);
        SDL_Log("graphics: shader compilation failed: %s", log);
        glDeleteShader(s);
        return 0;
    }
    return s;
}

GLuint LinkProgram(const char* vs, const char* fs)
{
    GLuint v = CompileShader(GL_VERTEX_SHADER, vs);
    GLuint f = CompileShader(GL_FRAGMENT_SHADER, fs);
    if (!v || !f) {
        if (v)
            glDeleteShader(v);
        if (f)
            glDeleteShader(f);
        return 0;
    }
    GLuint p = glCreateProgram();
    glAttachShader(p, v);
    glAttachShader(p, f);
    glLinkProgram(p);
    glDeleteShader(v);
    glDeleteShader(f);
    GLint ok = 0;
    glGetProgramiv(p, GL_LINK_STATUS, &ok);
    if (!ok) {
        glDeleteProgram(p);
        return 0;
    }
    return p;
}

bool IsDisplayFormat(Format f)
{
    return f == FMT_R5G6B5 || f == FMT_X1R5G5B5 || f == FMT_X8R8G8B8 || f == FMT_A8R8G8B8;
}

bool IsHeadless()
{
    const char* d = SDL_GetCurrentVideoDriver();
    return d && (std::strcmp(d, "offscreen") == 0 || std::strcmp(d, "dummy") == 0);
}

int InitialFrameLimit()
{
    const char* env = std::getenv("TSR_FRAME_LIMIT");
    if (env && *env)
        return std::atoi(env);
    return -1;
}

int& FrameLimit()
{
    static int limit = InitialFrameLimit();
    return limit;
}

GLenum BlendFactor(uint32_t b, GLenum fallback)
{
    switch (b) {
    case BLEND_ZERO:
        return GL_ZERO;
    case BLEND_ONE:
        return GL_ONE;
    case BLEND_SRCCOLOR:
        return GL_SRC_COLOR;
    case BLEND_INVSRCCOLOR:
        return GL_ONE_MINUS_SRC_COLOR;
    case BLEND_SRCALPHA:
        return GL_SRC_ALPHA;
    case BLEND_INVSRCALPHA:
        return GL_ONE_MINUS_SRC_ALPHA;
    case BLEND_DESTALPHA:
        return GL_DST_ALPHA;
    case BLEND_INVDESTALPHA:
        return GL_ONE_MINUS_DST_ALPHA;
    case BLEND_DESTCOLOR:
        return GL_DST_COLOR;
    case BLEND_INVDESTCOLOR:
        return GL_ONE_MINUS_DST_COLOR;
    case BLEND_SRCALPHASAT:
        return GL_SRC_ALPHA_SATURATE;
    default:
        return fallback;
    }
}

GLint AddressMode(uint32_t a)
{
    switch (a) {
    case TADDRESS_MIRROR:
        return GL_MIRRORED_REPEAT;
    case TADDRESS_CLAMP:
    case TADDRESS_BORDER:
        return GL_CLAMP_TO_EDGE;
    default:
        return GL_REPEAT;
    }
}

GLint MinFilter(uint32_t minf, uint32_t mipf)
{
    bool linear = minf >= TEXF_LINEAR;
    switch (mipf) {
    case TEXF_POINT:
        return linear ? GL_LINEAR_MIPMAP_NEAREST : GL_NEAREST_MIPMAP_NEAREST;
    case TEXF_LINEAR:
    case TEXF_ANISOTROPIC:
        return linear ? GL_LINEAR_MIPMAP_LINEAR : GL_NEAREST_MIPMAP_LINEAR;
    default:
        return linear ? GL_LINEAR : GL_NEAREST;
    }
}

uint32_t FullMipCount(uint32_t w, uint32_t h)
{
    uint32_t n = 1;
    while (w > 1 || h > 1) {
        w = std::max(1u, w / 2);
        h = std::max(1u, h / 2);
        ++n;
    }
    return n;
}

class DeviceGL;

// ------------------------------------------------------------- buffers
template <class Base>
class BufferGL final : public Base {
public:
    BufferGL(DeviceGL* device, uint32_t length, uint32_t usage, Pool pool);
    ~BufferGL() override;

    HResult Lock(uint32_t offset, uint32_t size, uint8_t** data, uint32_t flags) override
    {
        if (!data || offset > m_data.size())
            return GFXERR_INVALIDCALL;
        if (size == 0)
            size = uint32_t(m_data.size()) - offset;
        if (size > m_data.size() - offset)
            return GFXERR_INVALIDCALL;
        (void)flags; // the CPU copy is always ours: DISCARD needs no fresh memory
        *data = m_data.data() + offset;
        m_dirtyLo = std::min(m_dirtyLo, offset);
        m_dirtyHi = std::max(m_dirtyHi, offset + size);
        m_locked = true;
        return GFX_OK;
    }
    HResult Unlock() override
    {
        if (!m_locked)
            return GFXERR_INVALIDCALL;
        m_locked = false;
        return GFX_OK;
    }
    uint32_t GetLength() const override { return uint32_t(m_data.size()); }

    bool IsLocked() const { return m_locked; }
    Pool GetPool() const { return m_pool; }
    GLuint Name() const { return m_buffer.get(); }

    // Makes bytes [0, needed) current on the GPU. Everything written since
    // the last upload is sent again; the GPU copy is orphaned, so a draw in
    // flight keeps its own data.
    void Upload(GLenum target, uint32_t needed)
    {
        needed = std::min<uint32_t>(needed, uint32_t(m_data.size()));
        if (m_dirtyHi > m_dirtyLo) {
            glBindBuffer(target, m_buffer.get());
            uint32_t upTo = std::max(needed, m_dirtyHi);
            glBufferData(target, GLsizeiptr(m_data.size()), nullptr, m_usage);
            glBufferSubData(target, 0, upTo, m_data.data());
            m_valid = upTo;
            m_dirtyLo = UINT32_MAX;
            m_dirtyHi = 0;
        } else if (needed > m_valid) {
            glBindBuffer(target, m_buffer.get());
            glBufferSubData(target, m_valid, needed - m_valid, m_data.data() + m_valid);
            m_valid = needed;
        }
    }

private:
    DeviceGL* m_device;
    std::vector<uint8_t> m_data;
    gl::Buffer m_buffer;
    Pool m_pool;
    GLenum m_usage;
    bool m_locked = false;
    uint32_t m_dirtyLo = UINT32_MAX;
    uint32_t m_dirtyHi = 0;
    uint32_t m_valid = 0;
};

using VertexBufferGL = BufferGL<VertexBuffer>;
using IndexBufferGL = BufferGL<IndexBuffer>;

// ------------------------------------------------------------- surface
class SurfaceMem final : public Surface {
public:
    SurfaceMem(DeviceGL* device, uint32_t w, uint32_t h, Format f);
    ~SurfaceMem() override;
    HResult GetDesc(SurfaceDesc& d) const override
    {
        d = {};
        d.format = m_format;
        d.type = RTYPE_SURFACE;
        d.pool = POOL_SYSTEMMEM;
        d.width = m_width;
        d.height = m_height;
        return GFX_OK;
    }
    HResult LockRect(LockedRect& locked, const Rect* rect, uint32_t) override
    {
        if (m_locked)
            return GFXERR_INVALIDCALL;
        uint32_t bpp = BytesPerPixel(m_format);
        uint8_t* p = m_data.data();
        if (rect) {
            if (rect->left < 0 || rect->top < 0 || rect->right > int32_t(m_width) ||
                rect->bottom > int32_t(m_height) || rect->left >= rect->right || rect->top >= rect->bottom)
                return GFXERR_INVALIDCALL;
            p += size_t(rect->top) * m_pitch + size_t(rect->left) * bpp;
        }
        locked.pitch = int32_t(m_pitch);
        locked.bits = p;
        m_locked = true;
        return GFX_OK;
    }
    HResult UnlockRect() override
    {
        if (!m_locked)
            return GFXERR_INVALIDCALL;
        m_locked = false;
        return GFX_OK;
    }
    uint8_t* Bits() { return m_data.data(); }
    uint32_t Pitch() const { return m_pitch; }
    uint32_t Width() const { return m_width; }
    uint32_t Height() const { return m_height; }
    Format GetFormat() const { return m_format; }

private:
    DeviceGL* m_device;
    uint32_t m_width, m_height;
    Format m_format;
    uint32_t m_pitch;
    std::vector<uint8_t> m_data;
    bool m_locked = false;
};

// ------------------------------------------------------------- texture
class TextureGL final : public Texture {
public:
    TextureGL(DeviceGL* device, uint32_t w, uint32_t h, uint32_t levels, uint32_t usage, Format f, Pool pool);
    ~TextureGL() override;

    uint32_t GetLevelCount() const override { return uint32_t(m_levels.size()); }
    HResult GetLevelDesc(uint32_t level, SurfaceDesc& d) const override
    {
        if (level >= m_levels.size())
            return GFXERR_INVALIDCALL;
        d = {};
        d.format = m_format;
        d.type = RTYPE_TEXTURE;
        d.usage = m_usage;
        d.pool = m_pool;
        d.width = m_levels[level].width;
        d.height = m_levels[level].height;
        return GFX_OK;
    }
    HResult LockRect(uint32_t level, LockedRect& locked, const Rect* rect, uint32_t) override
    {
        if (level >= m_levels.size() || m_levels[level].locked)
            return GFXERR_INVALIDCALL;
        Level& l = m_levels[level];
        uint8_t* p = l.data.data();
        if (rect) {
            if (rect->left < 0 || rect->top < 0 || rect->right > int32_t(l.width) ||
                rect->bottom > int32_t(l.height) || rect->left >= rect->right || rect->top >= rect->bottom)
                return GFXERR_INVALIDCALL;
            p += size_t(rect->top) * l.pitch + size_t(rect->left) * BytesPerPixel(m_format);
        }
        locked.pitch = int32_t(l.pitch);
        locked.bits = p;
        l.locked = true;
        return GFX_OK;
    }
    HResult UnlockRect(uint32_t level) override;

    GLuint Name() const { return m_tex.get(); }
    Pool GetPool() const { return m_pool; }

private:
    struct Level {
        uint32_t width, height, pitch;
        std::vector<uint8_t> data;
        bool locked = false;
    };
    DeviceGL* m_device;
    Format m_format;
    Pool m_pool;
    uint32_t m_usage;
    std::vector<Level> m_levels;
    gl::Tex m_tex;
};

// ------------------------------------------------------------- factory
class Direct3DGL final : public Direct3D {
public:
    bool Init();
    ~Direct3DGL() override;

    uint32_t GetAdapterCount() const override { return 1; }
    HResult GetAdapterIdentifier(uint32_t adapter, uint32_t, AdapterIdentifier& out) const override
    {
        if (adapter != 0)
            return GFXERR_INVALIDCALL;
        out = m_identifier;
        return GFX_OK;
    }
    uint32_t GetAdapterModeCount(uint32_t adapter) const override
    {
        return adapter == 0 ? uint32_t(m_modes.size()) : 0;
    }
    HResult EnumAdapterModes(uint32_t adapter, uint32_t index, DisplayMode& out) const override
    {
        if (adapter != 0 || index >= m_modes.size())
            return GFXERR_INVALIDCALL;
        out = m_modes[index];
        return GFX_OK;
    }
    HResult GetAdapterDisplayMode(uint32_t adapter, DisplayMode& out) const override
    {
        if (adapter != 0)
            return GFXERR_INVALIDCALL;
        out = m_desktop;
        return GFX_OK;
    }
    HResult CheckDeviceFormat(uint32_t adapter, DeviceType, Format adapterFormat, uint32_t usage,
                              ResourceType resourceType, Format checkFormat) const override
    {
        if (adapter != 0 || !IsDisplayFormat(adapterFormat))
            return GFXERR_INVALIDCALL;
        if (resourceType == RTYPE_TEXTURE || resourceType == RTYPE_SURFACE) {
            if (usage & USAGE_RENDERTARGET)
                return IsDisplayFormat(checkFormat) ? GFX_OK : GFXERR_NOTAVAILABLE;
            return BytesPerPixel(checkFormat) > 0 ? GFX_OK : GFXERR_NOTAVAILABLE;
        }
        return GFXERR_NOTAVAILABLE;
    }
    HResult GetDeviceCaps(uint32_t adapter, DeviceType, Caps& caps) const override
    {
        if (adapter != 0)
            return GFXERR_INVALIDCALL;
        caps = m_caps;
        return GFX_OK;
    }
    HResult CreateDevice(uint32_t adapter, DeviceType type, WindowHandle focusWindow, uint32_t behaviourFlags,
                         PresentParameters& params, Device** out) override;

    const Caps& GetCaps() const { return m_caps; }

private:
    bool m_sdl = false;
    AdapterIdentifier m_identifier;
    DisplayMode m_desktop;
    std::vector<DisplayMode> m_modes;
    Caps m_caps;
};

// ------------------------------------------------------------- device
class DeviceGL final : public Device {
public:
    DeviceGL(Direct3DGL* d3d, WindowHandle window, const Caps& caps) : m_d3d(d3d), m_window(window), m_caps(caps)
    {
        m_d3d->AddRef();
        m_sdlWindow = GetSDLWindow(window);
    }
    ~DeviceGL() override;

    bool Init(const PresentParameters& pp);
    void MakeCurrent()
    {
        if (m_context && SDL_GL_GetCurrentContext() != m_context.get())
            SDL_GL_MakeCurrent(m_sdlWindow, m_context.get());
    }
    void ResourceCreated(Pool pool)
    {
        AddRef();
        if (pool == POOL_DEFAULT)
            ++m_defaultResources;
    }
    // Texture uploads bind on the active unit: bind the stages again.
    void TexturesTouched() { m_tssDirty = true; }
    void ResourceDestroyed(Pool pool)
    {
        if (pool == POOL_DEFAULT)
            --m_defaultResources;
        Release();
    }

    // Lost while the window is minimised; once it is back, not reset until
    // Reset. A minimise the device never saw (nothing was drawn meanwhile)
    // counts as well.
    void NoteMinimised()
    {
        if (IsWindowMinimised(m_window) || GetMinimiseCount(m_window) != m_minimiseCount)
            m_lost = true;
    }
    HResult TestCooperativeLevel() override
    {
        NoteMinimised();
        if (IsWindowMinimised(m_window))
            return GFXERR_DEVICELOST;
        return m_lost ? GFXERR_DEVICENOTRESET : GFX_OK;
    }
    HResult Reset(PresentParameters& pp) override;
    HResult GetDeviceCaps(Caps& caps) const override
    {
        caps = m_caps;
        return GFX_OK;
    }

    HResult CreateVertexBuffer(uint32_t length, uint32_t usage, uint32_t, Pool pool, VertexBuffer** out) override
    {
        if (!out || length == 0)
            return GFXERR_INVALIDCALL;
        MakeCurrent();
        *out = new VertexBufferGL(this, length, usage, pool);
        return GFX_OK;
    }
    HResult CreateIndexBuffer(uint32_t length, uint32_t usage, Format format, Pool pool, IndexBuffer** out) override
    {
        if (!out || length == 0 || (format != FMT_INDEX16 && format != FMT_INDEX32))
            return GFXERR_INVALIDCALL;
        MakeCurrent();
        m_indexFormat = format;
        *out = new IndexBufferGL(this, length, usage, pool);
        return GFX_OK;
    }
    HResult CreateTexture(uint32_t w, uint32_t h, uint32_t levels, uint32_t usage, Format format, Pool pool,
                          Texture** out) override
    {
        if (!out || w == 0 || h == 0 || w > m_caps.maxTextureWidth || h > m_caps.maxTextureHeight)
            return GFXERR_INVALIDCALL;
        if (BytesPerPixel(format) == 0)
            return GFXERR_INVALIDCALL;
        uint32_t full = FullMipCount(w, h);
        if (levels == 0 || levels > full)
            levels = full;
        MakeCurrent();
        *out = new TextureGL(this, w, h, levels, usage, format, pool);
        return GFX_OK;
    }
    HResult CreateImageSurface(uint32_t w, uint32_t h, Format format, Surface** out) override
    {
        if (!out || w == 0 || h == 0 || BytesPerPixel(format) == 0)
            return GFXERR_INVALIDCALL;
        *out = new SurfaceMem(this, w, h, format);
        return GFX_OK;
    }

    HResult SetVertexShader(uint32_t fvf) override
    {
        if ((fvf & FVF_POSITION_MASK) != FVF_XYZRHW)
            return GFXERR_INVALIDCALL;
        if (fvf != m_fvf) {
            m_fvf = fvf;
            m_layoutDirty = true;
        }
        return GFX_OK;
    }
    HResult SetStreamSource(uint32_t stream, VertexBuffer* buffer, uint32_t stride) override
    {
        if (stream != 0)
            return GFXERR_INVALIDCALL;
        if (buffer)
            buffer->AddRef();
        if (m_stream)
            m_stream->Release();
        m_stream = static_cast<VertexBufferGL*>(buffer);
        m_stride = stride;
        m_layoutDirty = true;
        return GFX_OK;
    }
    HResult SetIndices(IndexBuffer* buffer, uint32_t baseVertexIndex) override
    {
        if (buffer)
            buffer->AddRef();
        if (m_indices)
            m_indices->Release();
        m_indices = static_cast<IndexBufferGL*>(buffer);
        m_baseVertex = baseVertexIndex;
        m_layoutDirty = true;
        return GFX_OK;
    }
    HResult SetRenderState(RenderState state, uint32_t value) override
    {
        if (state >= RS_COUNT)
            return GFXERR_INVALIDCALL;
        if (m_rs[state] != value) {
            m_rs[state] = value;
            m_rsDirty = true;
        }
        return GFX_OK;
    }
    HResult GetRenderState(RenderState state, uint32_t& value) const override
    {
        if (state >= RS_COUNT)
            return GFXERR_INVALIDCALL;
        value = m_rs[state];
        return GFX_OK;
    }
    HResult SetTextureStageState(uint32_t stage, TextureStageState type, uint32_t value) override
    {
        if (stage >= MAX_TEXTURE_STAGES || type >= TSS_COUNT)
            return GFXERR_INVALIDCALL;
        if (m_tss[stage][type] != value) {
            m_tss[stage][type] = value;
            m_tssDirty = true;
        }
        return GFX_OK;
    }
    HResult GetTextureStageState(uint32_t stage, TextureStageState type, uint32_t& value) const override
    {
        if (stage >= MAX_TEXTURE_STAGES || type >= TSS_COUNT)
            return GFXERR_INVALIDCALL;
        value = m_tss[stage][type];
        return GFX_OK;
    }
    HResult SetTexture(uint32_t stage, Texture* texture) override
    {
        if (stage >= MAX_TEXTURE_STAGES)
            return GFXERR_INVALIDCALL;
        if (texture)
            texture->AddRef();
        if (m_textures[stage])
            m_textures[stage]->Release();
        m_textures[stage] = static_cast<TextureGL*>(texture);
        m_tssDirty = true;
        return GFX_OK;
    }
    Texture* GetTexture(uint32_t stage) const override
    {
        return stage < MAX_TEXTURE_STAGES ? m_textures[stage] : nullptr;
    }
    // The device's own (hardware) cursor: this layer draws none, so hiding
    // it changes nothing on screen. The system cursor belongs to the input
    // layer's ShowCursor count and is left alone.
    void ShowCursor(bool show) override { m_cursorShown = show; }

    HResult BeginScene() override
    {
        if (m_inScene)
            return GFXERR_INVALIDCALL;
        m_inScene = true;
        return GFX_OK;
    }
    HResult EndScene() override
    {
        if (!m_inScene)
            return GFXERR_INVALIDCALL;
        m_inScene = false;
        return GFX_OK;
    }
    HResult Clear(uint32_t count, const Rect* rects, uint32_t flags, uint32_t color, float z,
                  uint32_t stencil) override;
    HResult Present(const Rect*, const Rect*, WindowHandle, const void*) override;
    HResult SetViewport(const Viewport& vp) override
    {
        // An empty viewport may lie anywhere: it simply clips everything.
        bool empty = vp.width == 0 || vp.height == 0;
        if (!empty && (uint64_t(vp.x) + vp.width > m_pp.backBufferWidth ||
                       uint64_t(vp.y) + vp.height > m_pp.backBufferHeight))
            return GFXERR_INVALIDCALL;
        m_viewport = vp;
        return GFX_OK;
    }
    HResult GetViewport(Viewport& vp) const override
    {
        vp = m_viewport;
        return GFX_OK;
    }
    void SetGammaRamp(uint32_t, const GammaRamp& ramp) override
    {
        m_gamma = ramp;
        m_gammaIdentity = IsIdentityRamp(ramp);
        m_gammaDirty = true;
    }
    void GetGammaRamp(GammaRamp& ramp) const override { ramp = m_gamma; }
    HResult GetFrontBuffer(Surface* dest) override;
    HResult DrawIndexedPrimitive(PrimitiveType type, uint32_t minIndex, uint32_t numVertices, uint32_t startIndex,
                                 uint32_t primitiveCount) override;

    uint64_t GetDrawCallCount() const override { return m_drawCalls; }
    std::vector<uint32_t> ReadBackBuffer() override;
    std::vector<uint32_t> ReadPresentedPicture() override;

private:
    bool CreateTargets();
    void SetDefaultStates();
    void ApplyState();
    void ApplyLayout();
    void UploadGamma();
    void DrawPresentPass(GLuint targetFbo, int x, int y, int w, int h, bool flip, bool linear);
    // The picture last presented: the back buffer until it is changed.
    GLuint PresentedTexture() const { return m_frontPending ? m_backTex.get() : m_frontTex.get(); }
    GLuint PresentedFramebuffer() const { return m_frontPending ? m_backFbo.get() : m_frontFbo.get(); }
    // Called before the back buffer changes: the presented picture moves to
    // the front buffer. A clear that covers the whole back buffer passes
    // `overwritten`: the two buffers then swap roles instead of copying.
    void KeepPresentedPicture(bool overwritten);
    void PaceFrame();
    bool BackBufferHasAlpha() const { return m_pp.backBufferFormat == FMT_A8R8G8B8; }

    Direct3DGL* m_d3d;
    WindowHandle m_window;
    SDL_Window* m_sdlWindow = nullptr;
    Caps m_caps;
    gl::Context m_context;
    PresentParameters m_pp;

    // One scene program per combination of stage and fog states in use.
    struct SceneProgram {
        gl::Program program;
        GLint uScreen = -1, uTFactor = -1, uFogColor = -1;
    };
    using ProgramKey = std::array<uint32_t, 18>;
    ProgramKey CurrentProgramKey() const;
    SceneProgram* ProgramFor(const ProgramKey& key);
    std::map<ProgramKey, std::unique_ptr<SceneProgram>> m_programs;
    SceneProgram* m_program = nullptr;
    // The present pass with the gamma ramp, and without it for the identity.
    gl::Program m_present, m_presentPlain;
    GLint m_uFlip = -1, m_uFlipPlain = -1;
    gl::VertexArray m_vao, m_presentVao;
    gl::Tex m_backTex, m_frontTex, m_gammaTex;
    gl::Framebuffer m_backFbo, m_frontFbo;
    gl::Sampler m_samplers[2];

    std::array<uint32_t, RS_COUNT> m_rs{};
    uint32_t m_tss[MAX_TEXTURE_STAGES][TSS_COUNT] = {};
    TextureGL* m_textures[MAX_TEXTURE_STAGES] = {};
    VertexBufferGL* m_stream = nullptr;
    uint32_t m_stride = 0;
    IndexBufferGL* m_indices = nullptr;
    Format m_indexFormat = FMT_INDEX16;
    uint32_t m_baseVertex = 0;
    uint32_t m_fvf = 0;
    GLuint m_boundVB = 0, m_boundIB = 0;

    Viewport m_viewport;
    GammaRamp m_gamma{};
    bool m_rsDirty = true, m_tssDirty = true, m_layoutDirty = true, m_gammaDirty = true;
    bool m_gammaIdentity = true;
    bool m_frontPending = false;
    bool m_lost = false;
    bool m_inScene = false;
    bool m_vsync = false;
    bool m_cursorShown = false;
    uint32_t m_minimiseCount = 0;
    int m_defaultResources = 0;
    uint64_t m_drawCalls = 0;
    uint64_t m_lastPresent = 0;
};

// ------------------------------------------------------------- buffer impl
template <class Base>
BufferGL<Base>::BufferGL(DeviceGL* device, uint32_t length, uint32_t usage, Pool pool)
    : m_device(device), m_data(length, 0), m_buffer(gl::NewBuffer()), m_pool(pool),
      m_usage((usage & USAGE_DYNAMIC) ? GL_STREAM_DRAW : GL_STATIC_DRAW)
{
    m_device->ResourceCreated(pool);
}

template <class Base>
BufferGL<Base>::~BufferGL()
{
    m_device->MakeCurrent();
    m_buffer.reset();
    m_device->ResourceDestroyed(m_pool);
}

SurfaceMem::SurfaceMem(DeviceGL* device, uint32_t w, uint32_t h, Format f)
    : m_device(device), m_width(w), m_height(h), m_format(f)
{
    // Rows are aligned to 256 bytes, as video hardware commonly lays them
    // out: callers must use the pitch, not width x bytes per pixel.
    m_pitch = (w * BytesPerPixel(f) + 255u) & ~255u;
    m_data.assign(size_t(m_pitch) * h, 0);
    m_device->ResourceCreated(POOL_SYSTEMMEM);
}

SurfaceMem::~SurfaceMem() { m_device->ResourceDestroyed(POOL_SYSTEMMEM); }

TextureGL::TextureGL(DeviceGL* device, uint32_t w, uint32_t h, uint32_t levels, uint32_t usage, Format f, Pool pool)
    : m_device(device), m_format(f), m_pool(pool), m_usage(usage), m_tex(gl::NewTexture())
{
    uint32_t bpp = BytesPerPixel(f);
    glBindTexture(GL_TEXTURE_2D, m_tex.get());
    for (uint32_t i = 0; i < levels; ++i) {
        Level l;
        l.width = w;
        l.height = h;
        l.pitch = w * bpp;
        l.data.assign(size_t(l.pitch) * h, 0);
        // New texels are opaque black (all zero bytes may mean transparent).
        std::vector<uint32_t> init(size_t(w) * h, 0xFF000000u);
        if (bpp)
            for (size_t p = 0; p < size_t(w) * h; ++p)
                ARGBToPixel(f, 0xFF000000u, l.data.data() + p * bpp);
        glTexImage2D(GL_TEXTURE_2D, GLint(i), GL_RGBA8, GLsizei(w), GLsizei(h), 0, GL_BGRA,
                     GL_UNSIGNED_INT_8_8_8_8_REV, init.data());
        m_levels.push_back(std::move(l));
        w = std::max(1u, w / 2);
        h = std::max(1u, h / 2);
    }
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_BASE_LEVEL, 0);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MAX_LEVEL, GLint(levels - 1));
    m_device->TexturesTouched();
    m_device->ResourceCreated(pool);
}

TextureGL::~TextureGL()
{
    m_device->MakeCurrent();
    m_tex.reset();
    m_device->ResourceDestroyed(m_pool);
}

HResult TextureGL::UnlockRect(uint32_t level)
{
    if (level >= m_levels.size() || !m_levels[level].locked)
        return GFXERR_INVALIDCALL;
    Level& l = m_levels[level];
    l.locked = false;
    uint32_t bpp = BytesPerPixel(m_format);
    std::vector<uint32_t> argb(size_t(l.width) * l.height);
    for (uint32_t y = 0; y < l.height; ++y) {
        const uint8_t* row = l.data.data() + size_t(y) * l.pitch;
        for (uint32_t x = 0; x < l.width; ++x)
            argb[size_t(y) * l.width + x] = PixelToARGB(m_format, row + size_t(x) * bpp);
    }
    m_device->MakeCurrent();
    glBindTexture(GL_TEXTURE_2D, m_tex.get());
    glPixelStorei(GL_UNPACK_ALIGNMENT, 4);
    glPixelStorei(GL_UNPACK_ROW_LENGTH, 0);
    glTexSubImage2D(GL_TEXTURE_2D, GLint(level), 0, 0, GLsizei(l.width), GLsizei(l.height), GL_BGRA,
                    GL_UNSIGNED_INT_8_8_8_8_REV, argb.data());
    m_device->TexturesTouched();
    return GFX_OK;
}

// ------------------------------------------------------------- device impl
bool DeviceGL::Init(const PresentParameters& pp)
{
    if (!m_sdlWindow)
        return false;
    m_context.reset(SDL_GL_CreateContext(m_sdlWindow));
    if (!m_context)
        return false;
    MakeCurrent();
    int major = 0, minor = 0;
    glGetIntegerv(GL_MAJOR_VERSION, &major);
    glGetIntegerv(GL_MINOR_VERSION, &minor);
    if (major * 10 + minor < 33)
        return false;

    m_present.reset(LinkProgram(kPresentVS, PresentShader(true).c_str()));
    m_presentPlain.reset(LinkProgram(kPresentVS, PresentShader(false).c_str()));
    if (!m_present.get() || !m_presentPlain.get())
        return false;
    // The default states' program must build, or nothing can be drawn.
    SetDefaultStates();
    if (!ProgramFor(CurrentProgramKey()))
        return false;
    GLuint p = m_present.get();
    m_uFlip = glGetUniformLocation(p, "uFlip");
    glUseProgram(p);
    glUniform1i(glGetUniformLocation(p, "uPicture"), 0);
    glUniform1i(glGetUniformLocation(p, "uGamma"), 2);
    p = m_presentPlain.get();
    m_uFlipPlain = glGetUniformLocation(p, "uFlip");
    glUseProgram(p);
    glUniform1i(glGetUniformLocation(p, "uPicture"), 0);

    m_vao.reset(gl::NewVertexArray());
    m_presentVao.reset(gl::NewVertexArray());
    for (auto& smp : m_samplers)
        smp.reset(gl::NewSampler());
    m_gammaTex.reset(gl::NewTexture());
    glBindTexture(GL_TEXTURE_2D, m_gammaTex.get());
    glTexImage2D(GL_TEXTURE_2D, 0, GL_RGBA16, 256, 1, 0, GL_RGBA, GL_UNSIGNED_SHORT, nullptr);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, GL_NEAREST);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MAG_FILTER, GL_NEAREST);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_WRAP_S, GL_CLAMP_TO_EDGE);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_WRAP_T, GL_CLAMP_TO_EDGE);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MAX_LEVEL, 0);

    // Vertical sync where the display has it; headless drivers have none.
    m_vsync = !IsHeadless() && SDL_GL_SetSwapInterval(1) == 0;
    if (!m_vsync)
        SDL_GL_SetSwapInterval(0);

    m_pp = pp;
    if (!CreateTargets())
        return false;
    SetDefaultStates();
    m_minimiseCount = GetMinimiseCount(m_window);
    return true;
}

bool DeviceGL::CreateTargets()
{
    GLsizei w = GLsizei(m_pp.backBufferWidth), h = GLsizei(m_pp.backBufferHeight);
    m_frontPending = false;
    m_backTex.reset(gl::NewTexture());
    m_frontTex.reset(gl::NewTexture());
    m_backFbo.reset(gl::NewFramebuffer());
    m_frontFbo.reset(gl::NewFramebuffer());
    for (GLuint t : {m_backTex.get(), m_frontTex.get()}) {
        glBindTexture(GL_TEXTURE_2D, t);
        glTexImage2D(GL_TEXTURE_2D, 0, GL_RGBA8, w, h, 0, GL_BGRA, GL_UNSIGNED_INT_8_8_8_8_REV, nullptr);
        glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MAX_LEVEL, 0);
        glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, GL_NEAREST);
        glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MAG_FILTER, GL_NEAREST);
        glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_WRAP_S, GL_CLAMP_TO_EDGE);
        glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_WRAP_T, GL_CLAMP_TO_EDGE);
    }
    glBindFramebuffer(GL_FRAMEBUFFER, m_frontFbo.get());
    glFramebufferTexture2D(GL_FRAMEBUFFER, GL_COLOR_ATTACHMENT0, GL_TEXTURE_2D, m_frontTex.get(), 0);
    bool ok = glCheckFramebufferStatus(GL_FRAMEBUFFER) == GL_FRAMEBUFFER_COMPLETE;
    glClearColor(0, 0, 0, 1);
    glClear(GL_COLOR_BUFFER_BIT);
    glBindFramebuffer(GL_FRAMEBUFFER, m_backFbo.get());
    glFramebufferTexture2D(GL_FRAMEBUFFER, GL_COLOR_ATTACHMENT0, GL_TEXTURE_2D, m_backTex.get(), 0);
    ok = ok && glCheckFramebufferStatus(GL_FRAMEBUFFER) == GL_FRAMEBUFFER_COMPLETE;
    glClear(GL_COLOR_BUFFER_BIT);
    SetPictureSize(m_window, int(w), int(h));
    return ok;
}

void DeviceGL::SetDefaultStates()
{
    m_rs.fill(0);
    m_rs[RS_ZENABLE] = 0;
    m_rs[RS_FILLMODE] = 3;
    m_rs[RS_SHADEMODE] = 2;
    m_rs[RS_ZWRITEENABLE] = 1;
    m_rs[RS_SRCBLEND] = BLEND_ONE;
    m_rs[RS_DESTBLEND] = BLEND_ZERO;
    m_rs[RS_CULLMODE] = CULL_CCW;
    m_rs[RS_ALPHAFUNC] = 8;
    m_rs[RS_DITHERENABLE] = 0;
    m_rs[RS_ALPHABLENDENABLE] = 0;
    m_rs[RS_FOGENABLE] = 0;
    m_rs[RS_SPECULARENABLE] = 0;
    m_rs[RS_FOGCOLOR] = 0;
    m_rs[RS_FOGTABLEMODE] = FOG_NONE;
    float one = 1.0f;
    std::memcpy(&m_rs[RS_FOGEND], &one, 4);
    std::memcpy(&m_rs[RS_FOGDENSITY], &one, 4);
    m_rs[RS_TEXTUREFACTOR] = 0xFFFFFFFFu;
    m_rs[RS_LIGHTING] = 1;
    m_rs[RS_FOGVERTEXMODE] = FOG_NONE;
    m_rs[RS_COLORVERTEX] = 1;
    m_rs[RS_BLENDOP] = 1;
    for (uint32_t s = 0; s < MAX_TEXTURE_STAGES; ++s) {
        std::fill(std::begin(m_tss[s]), std::end(m_tss[s]), 0u);
        m_tss[s][TSS_COLOROP] = s == 0 ? TOP_MODULATE : TOP_DISABLE;
        m_tss[s][TSS_COLORARG1] = TA_TEXTURE;
        m_tss[s][TSS_COLORARG2] = TA_CURRENT;
        m_tss[s][TSS_ALPHAOP] = s == 0 ? TOP_SELECTARG1 : TOP_DISABLE;
        m_tss[s][TSS_ALPHAARG1] = TA_TEXTURE;
        m_tss[s][TSS_ALPHAARG2] = TA_CURRENT;
        m_tss[s][TSS_TEXCOORDINDEX] = s;
        m_tss[s][TSS_ADDRESSU] = TADDRESS_WRAP;
        m_tss[s][TSS_ADDRESSV] = TADDRESS_WRAP;
        m_tss[s][TSS_ADDRESSW] = TADDRESS_WRAP;
        m_tss[s][TSS_MAGFILTER] = TEXF_POINT;
        m_tss[s][TSS_MINFILTER] = TEXF_POINT;
        m_tss[s][TSS_MIPFILTER] = TEXF_NONE;
        m_tss[s][TSS_MAXANISOTROPY] = 1;
        m_tss[s][TSS_COLORARG0] = TA_CURRENT;
        m_tss[s][TSS_ALPHAARG0] = TA_CURRENT;
        m_tss[s][TSS_RESULTARG] = TA_CURRENT;
    }
    m_viewport = Viewport{0, 0, m_pp.backBufferWidth, m_pp.backBufferHeight, 0.0f, 1.0f};
    for (int i = 0; i < 256; ++i) {
        uint16_t v = uint16_t(i * 257);
        m_gamma.red[i] = m_gamma.green[i] = m_gamma.blue[i] = v;
    }
    m_gammaIdentity = true;
    m_rsDirty = m_tssDirty = m_layoutDirty = m_gammaDirty = true;
}

DeviceGL::~DeviceGL()
{
    MakeCurrent();
    // Whatever is still bound holds a reference on us, so nothing is bound
    // when the last reference goes; the GL objects go with the context.
    m_programs.clear();
    m_program = nullptr;
    m_present.reset();
    m_presentPlain.reset();
    m_vao.reset();
    m_presentVao.reset();
    m_backTex.reset();
    m_frontTex.reset();
    m_gammaTex.reset();
    m_backFbo.reset();
    m_frontFbo.reset();
    for (auto& smp : m_samplers)
        smp.reset();
    if (m_context) {
        SDL_GL_MakeCurrent(m_sdlWindow, nullptr);
        m_context.reset();
    }
    m_d3d->Release();
}

HResult DeviceGL::Reset(PresentParameters& pp)
{
    // Like the hardware: resources of the default pool must be gone first.
    if (m_defaultResources > 0)
        return GFXERR_INVALIDCALL;
    if (IsWindowMinimised(m_window))
        return GFXERR_DEVICELOST;
    if (pp.backBufferWidth == 0 || pp.backBufferHeight == 0 || !IsDisplayFormat(pp.backBufferFormat))
        return GFXERR_INVALIDCALL;
    MakeCurrent();
    // A reset leaves nothing bound, like a new device.
    for (uint32_t s = 0; s < MAX_TEXTURE_STAGES; ++s)
        SetTexture(s, nullptr);
    SetStreamSource(0, nullptr, 0);
    SetIndices(nullptr, 0);
    m_pp = pp;
    if (!CreateTargets())
        return GFXERR_NOTAVAILABLE;
    SetDefaultStates();
    m_minimiseCount = GetMinimiseCount(m_window);
    m_lost = false;
    m_inScene = false;
    return GFX_OK;
}

void DeviceGL::ApplyLayout()
{
    glBindVertexArray(m_vao.get());
    GLuint vb = m_stream ? m_stream->Name() : 0;
    GLuint ib = m_indices ? m_indices->Name() : 0;
    if (!m_layoutDirty && vb == m_boundVB && ib == m_boundIB)
        return;
    m_layoutDirty = false;
    m_boundVB = vb;
    m_boundIB = ib;
    glBindBuffer(GL_ELEMENT_ARRAY_BUFFER, ib);
    glBindBuffer(GL_ARRAY_BUFFER, vb);
    for (GLuint i = 0; i < 5; ++i)
        glDisableVertexAttribArray(i);
    if (!vb)
        return;
    GLsizei stride = GLsizei(m_stride);
    uintptr_t offset = 0;
    glEnableVertexAttribArray(0);
    glVertexAttribPointer(0, 4, GL_FLOAT, GL_FALSE, stride, reinterpret_cast<void*>(offset));
    offset += 16;
    if (m_fvf & FVF_DIFFUSE) {
        glEnableVertexAttribArray(1);
        glVertexAttribPointer(1, GL_BGRA, GL_UNSIGNED_BYTE, GL_TRUE, stride, reinterpret_cast<void*>(offset));
        offset += 4;
    } else {
        glVertexAttrib4f(1, 1, 1, 1, 1);
    }
    if (m_fvf & FVF_SPECULAR) {
        glEnableVertexAttribArray(2);
        glVertexAttribPointer(2, GL_BGRA, GL_UNSIGNED_BYTE, GL_TRUE, stride, reinterpret_cast<void*>(offset));
        offset += 4;
    } else {
        glVertexAttrib4f(2, 0, 0, 0, 0);
    }
    uint32_t sets = (m_fvf & FVF_TEXCOUNT_MASK) >> FVF_TEXCOUNT_SHIFT;
    for (uint32_t t = 0; t < 2; ++t) {
        if (t < sets) {
            glEnableVertexAttribArray(3 + t);
            glVertexAttribPointer(3 + t, 2, GL_FLOAT, GL_FALSE, stride, reinterpret_cast<void*>(offset));
            offset += 8;
        } else {
            glVertexAttrib4f(3 + t, 0, 0, 0, 1);
        }
    }
}

void DeviceGL::KeepPresentedPicture(bool overwritten)
{
    if (!m_frontPending)
        return;
    m_frontPending = false;
    if (overwritten) {
        std::swap(m_backTex, m_frontTex);
        std::swap(m_backFbo, m_frontFbo);
        return;
    }
    GLsizei w = GLsizei(m_pp.backBufferWidth), h = GLsizei(m_pp.backBufferHeight);
    glBindFramebuffer(GL_READ_FRAMEBUFFER, m_backFbo.get());
    glBindFramebuffer(GL_DRAW_FRAMEBUFFER, m_frontFbo.get());
    glDisable(GL_SCISSOR_TEST);
    glBlitFramebuffer(0, 0, w, h, 0, 0, w, h, GL_COLOR_BUFFER_BIT, GL_NEAREST);
    m_rsDirty = true; // the scissor test comes back with the scene state
}

void DeviceGL::ApplyState()
{
    KeepPresentedPicture(false);
    glBindFramebuffer(GL_FRAMEBUFFER, m_backFbo.get());
    glViewport(0, 0, GLsizei(m_pp.backBufferWidth), GLsizei(m_pp.backBufferHeight));
    glEnable(GL_SCISSOR_TEST);
    glScissor(GLint(m_viewport.x), GLint(m_viewport.y), GLsizei(m_viewport.width), GLsizei(m_viewport.height));
    glColorMask(GL_TRUE, GL_TRUE, GL_TRUE, BackBufferHasAlpha() ? GL_TRUE : GL_FALSE);
    glDisable(GL_DEPTH_TEST);
    glEnable(GL_DEPTH_CLAMP);
    bool uniformsDirty = m_rsDirty;
    if (m_rsDirty || m_tssDirty || !m_program) {
        SceneProgram* program = ProgramFor(CurrentProgramKey());
        if (program && program != m_program) {
            m_program = program;
            uniformsDirty = true;
        }
    }
    glUseProgram(m_program ? m_program->program.get() : 0);
    if (uniformsDirty && m_program) {
        glUniform2f(m_program->uScreen, float(m_pp.backBufferWidth), float(m_pp.backBufferHeight));
        uint32_t tf = m_rs[RS_TEXTUREFACTOR];
        glUniform4f(m_program->uTFactor, float((tf >> 16) & 255) / 255.0f, float((tf >> 8) & 255) / 255.0f,
                    float(tf & 255) / 255.0f, float(tf >> 24) / 255.0f);
        uint32_t fc = m_rs[RS_FOGCOLOR];
        glUniform3f(m_program->uFogColor, float((fc >> 16) & 255) / 255.0f, float((fc >> 8) & 255) / 255.0f,
                    float(fc & 255) / 255.0f);
    }
    if (m_rsDirty) {
        m_rsDirty = false;
        if (m_rs[RS_ALPHABLENDENABLE]) {
            glEnable(GL_BLEND);
            glBlendFunc(BlendFactor(m_rs[RS_SRCBLEND], GL_ONE), BlendFactor(m_rs[RS_DESTBLEND], GL_ZERO));
        } else {
            glDisable(GL_BLEND);
        }
        // Screen y grows downwards in the framebuffer too, so triangles that
        // turn clockwise on screen are counter-clockwise to OpenGL.
        switch (m_rs[RS_CULLMODE]) {
        case CULL_NONE:
            glDisable(GL_CULL_FACE);
            break;
        case CULL_CW:
            glEnable(GL_CULL_FACE);
            glCullFace(GL_BACK);
            glFrontFace(GL_CW);
            break;
        default:
            glEnable(GL_CULL_FACE);
            glCullFace(GL_BACK);
            glFrontFace(GL_CCW);
            break;
        }
    }
    if (m_tssDirty) {
        m_tssDirty = false;
        for (int s = 0; s < 2; ++s) {
            const uint32_t* t = m_tss[s];
            glActiveTexture(GLenum(GL_TEXTURE0 + s));
            glBindTexture(GL_TEXTURE_2D, m_textures[s] ? m_textures[s]->Name() : 0);
            GLuint smp = m_samplers[s].get();
            glSamplerParameteri(smp, GL_TEXTURE_WRAP_S, AddressMode(t[TSS_ADDRESSU]));
            glSamplerParameteri(smp, GL_TEXTURE_WRAP_T, AddressMode(t[TSS_ADDRESSV]));
            glSamplerParameteri(smp, GL_TEXTURE_MAG_FILTER, t[TSS_MAGFILTER] >= TEXF_LINEAR ? GL_LINEAR : GL_NEAREST);
            glSamplerParameteri(smp, GL_TEXTURE_MIN_FILTER, MinFilter(t[TSS_MINFILTER], t[TSS_MIPFILTER]));
            glBindSampler(GLuint(s), smp);
        }
        glActiveTexture(GL_TEXTURE0);
    }
}

DeviceGL::ProgramKey DeviceGL::CurrentProgramKey() const
{
    ProgramKey k{};
    for (int s = 0; s < 2; ++s) {
        const uint32_t* t = m_tss[s];
        uint32_t* o = &k[size_t(s) * 8];
        o[0] = t[TSS_COLOROP];
        o[1] = t[TSS_COLORARG1];
        o[2] = t[TSS_COLORARG2];
        o[3] = t[TSS_ALPHAOP];
        o[4] = t[TSS_ALPHAARG1];
        o[5] = t[TSS_ALPHAARG2];
        o[6] = (t[TSS_TEXCOORDINDEX] & 0xFFFF) ? 1 : 0;
        o[7] = m_textures[s] ? 1 : 0;
    }
    // A disabled stage 0 ends the cascade: stage 1 does not matter then.
    if (k[0] == TOP_DISABLE)
        std::fill(k.begin() + 8, k.begin() + 16, 0u);
    k[16] = m_rs[RS_SPECULARENABLE] ? 1 : 0;
    k[17] = m_rs[RS_FOGENABLE] ? 1 : 0;
    return k;
}

DeviceGL::SceneProgram* DeviceGL::ProgramFor(const ProgramKey& k)
{
    auto it = m_programs.find(k);
    if (it != m_programs.end())
        return it->second.get();
    std::ostringstream state;
    state << "const ivec4 uStageA[2] = ivec4[2](ivec4(" << k[0] << ", " << k[1] << ", " << k[2] << ", " << k[3]
          << "), ivec4(" << k[8] << ", " << k[9] << ", " << k[10] << ", " << k[11] << "));\n";
    state << "const ivec4 uStageB[2] = ivec4[2](ivec4(" << k[4] << ", " << k[5] << ", " << k[6] << ", " << k[7]
          << "), ivec4(" << k[12] << ", " << k[13] << ", " << k[14] << ", " << k[15] << "));\n";
    state << "const int uSpecularEnable = " << k[16] << ";\nconst int uFogEnable = " << k[17] << ";\n";
    std::string fs = kSceneFS;
    fs.replace(fs.find("@STATE@"), 7, state.str());
    auto program = std::make_unique<SceneProgram>();
    program->program.reset(LinkProgram(kSceneVS, fs.c_str()));
    if (!program->program.get())
        return nullptr;
    GLuint p = program->program.get();
    program->uScreen = glGetUniformLocation(p, "uScreen");
    program->uTFactor = glGetUniformLocation(p, "uTFactor");
    program->uFogColor = glGetUniformLocation(p, "uFogColor");
    glUseProgram(p);
    glUniform1i(glGetUniformLocation(p, "uTex0"), 0);
    glUniform1i(glGetUniformLocation(p, "uTex1"), 1);
    SceneProgram* raw = program.get();
    m_programs.emplace(k, std::move(program));
    return raw;
}

HResult DeviceGL::DrawIndexedPrimitive(PrimitiveType type, uint32_t minIndex, uint32_t numVertices,
                                       uint32_t startIndex, uint32_t primitiveCount)
{
    if (type != PT_TRIANGLELIST || !m_stream || !m_indices || m_stride == 0)
        return GFXERR_INVALIDCALL;
    if (m_stream->IsLocked() || m_indices->IsLocked())
        return GFXERR_INVALIDCALL;
    uint32_t indexSize = m_indexFormat == FMT_INDEX32 ? 4 : 2;
    uint64_t indexEnd = (uint64_t(startIndex) + uint64_t(primitiveCount) * 3) * indexSize;
    uint64_t vertexEnd = (uint64_t(m_baseVertex) + minIndex + numVertices) * m_stride;
    if (indexEnd > m_indices->GetLength() || vertexEnd > m_stream->GetLength())
        return GFXERR_INVALIDCALL;
    ++m_drawCalls;
    if (m_lost || primitiveCount == 0)
        return GFX_OK;
    MakeCurrent();
    ApplyState();
    ApplyLayout();
    m_stream->Upload(GL_ARRAY_BUFFER, uint32_t(vertexEnd));
    m_indices->Upload(GL_ELEMENT_ARRAY_BUFFER, uint32_t(indexEnd));
    glDrawElementsBaseVertex(GL_TRIANGLES, GLsizei(primitiveCount * 3),
                             indexSize == 4 ? GL_UNSIGNED_INT : GL_UNSIGNED_SHORT,
                             reinterpret_cast<void*>(uintptr_t(startIndex) * indexSize), GLint(m_baseVertex));
    return GFX_OK;
}

HResult DeviceGL::Clear(uint32_t count, const Rect* rects, uint32_t flags, uint32_t color, float, uint32_t)
{
    if (!(flags & CLEAR_TARGET))
        return (flags & (CLEAR_ZBUFFER | CLEAR_STENCIL)) ? GFXERR_INVALIDCALL : GFX_OK;
    if (flags & (CLEAR_ZBUFFER | CLEAR_STENCIL))
        return GFXERR_INVALIDCALL; // there is no depth-stencil buffer
    if (m_lost)
        return GFX_OK;
    MakeCurrent();
    // Every pixel is written when no rectangles are given and the viewport
    // is the whole back buffer: what it held then does not matter.
    const bool whole = (count == 0 || !rects) && m_viewport.x == 0 && m_viewport.y == 0 &&
                       m_viewport.width == m_pp.backBufferWidth && m_viewport.height == m_pp.backBufferHeight;
    KeepPresentedPicture(whole);
    glBindFramebuffer(GL_FRAMEBUFFER, m_backFbo.get());
    glEnable(GL_SCISSOR_TEST);
    glColorMask(GL_TRUE, GL_TRUE, GL_TRUE, GL_TRUE);
    float a = BackBufferHasAlpha() ? float(color >> 24) / 255.0f : 1.0f;
    glClearColor(float((color >> 16) & 255) / 255.0f, float((color >> 8) & 255) / 255.0f,
                 float(color & 255) / 255.0f, a);
    auto clearRect = [&](int32_t l, int32_t t, int32_t r, int32_t b) {
        l = std::max(l, int32_t(m_viewport.x));
        t = std::max(t, int32_t(m_viewport.y));
        r = std::min(r, int32_t(m_viewport.x + m_viewport.width));
        b = std::min(b, int32_t(m_viewport.y + m_viewport.height));
        if (r <= l || b <= t)
            return;
        glScissor(l, t, r - l, b - t);
        glClear(GL_COLOR_BUFFER_BIT);
    };
    if (count == 0 || !rects) {
        clearRect(0, 0, int32_t(m_pp.backBufferWidth), int32_t(m_pp.backBufferHeight));
    } else {
        for (uint32_t i = 0; i < count; ++i)
            clearRect(rects[i].left, rects[i].top, rects[i].right, rects[i].bottom);
    }
    // The scene state sets its own mask and scissor again at the next draw.
    m_rsDirty = true;
    return GFX_OK;
}

void DeviceGL::UploadGamma()
{
    if (!m_gammaDirty)
        return;
    m_gammaDirty = false;
    uint16_t lut[256 * 4];
    for (int i = 0; i < 256; ++i) {
        lut[i * 4 + 0] = m_gamma.red[i];
        lut[i * 4 + 1] = m_gamma.green[i];
        lut[i * 4 + 2] = m_gamma.blue[i];
        lut[i * 4 + 3] = 65535;
    }
    glBindTexture(GL_TEXTURE_2D, m_gammaTex.get());
    glPixelStorei(GL_UNPACK_ALIGNMENT, 2);
    glTexSubImage2D(GL_TEXTURE_2D, 0, 0, 0, 256, 1, GL_RGBA, GL_UNSIGNED_SHORT, lut);
    glPixelStorei(GL_UNPACK_ALIGNMENT, 4);
}

void DeviceGL::DrawPresentPass(GLuint targetFbo, int x, int y, int w, int h, bool flip, bool linear)
{
    if (!m_gammaIdentity)
        UploadGamma();
    glBindFramebuffer(GL_FRAMEBUFFER, targetFbo);
    glDisable(GL_BLEND);
    glDisable(GL_CULL_FACE);
    glDisable(GL_SCISSOR_TEST);
    glColorMask(GL_TRUE, GL_TRUE, GL_TRUE, GL_TRUE);
    glViewport(x, y, w, h);
    if (m_gammaIdentity) {
        glUseProgram(m_presentPlain.get());
        glUniform1i(m_uFlipPlain, flip ? 1 : 0);
    } else {
        glUseProgram(m_present.get());
        glUniform1i(m_uFlip, flip ? 1 : 0);
        glActiveTexture(GL_TEXTURE2);
        glBindTexture(GL_TEXTURE_2D, m_gammaTex.get());
    }
    glActiveTexture(GL_TEXTURE0);
    glBindSampler(0, 0);
    glBindTexture(GL_TEXTURE_2D, PresentedTexture());
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, linear ? GL_LINEAR : GL_NEAREST);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MAG_FILTER, linear ? GL_LINEAR : GL_NEAREST);
    glBindVertexArray(m_presentVao.get());
    glDrawArrays(GL_TRIANGLE_STRIP, 0, 4);
    // The scene's bindings and states are sent again at the next draw.
    m_rsDirty = m_tssDirty = m_layoutDirty = true;
    m_boundVB = m_boundIB = 0;
}

void DeviceGL::PaceFrame()
{
    int limit = FrameLimit();
    if (limit == 0 || (limit < 0 && m_vsync))
        return;
    if (limit < 0) {
        SDL_DisplayMode mode;
        limit = (SDL_GetDesktopDisplayMode(0, &mode) == 0 && mode.refresh_rate > 0) ? mode.refresh_rate : 60;
    }
    uint64_t freq = SDL_GetPerformanceFrequency();
    uint64_t period = freq / uint64_t(limit);
    uint64_t now = SDL_GetPerformanceCounter();
    if (m_lastPresent && now - m_lastPresent < period) {
        uint64_t waitTicks = period - (now - m_lastPresent);
        SDL_Delay(uint32_t(waitTicks * 1000 / freq));
        while (SDL_GetPerformanceCounter() - m_lastPresent < period) {
        }
        now = SDL_GetPerformanceCounter();
    }
    m_lastPresent = now;
}

HResult DeviceGL::Present(const Rect*, const Rect*, WindowHandle, const void*)
{
    NoteMinimised();
    if (m_lost)
        return GFXERR_DEVICELOST;
    MakeCurrent();
    GLsizei w = GLsizei(m_pp.backBufferWidth), h = GLsizei(m_pp.backBufferHeight);
    // The front buffer is now the back buffer's picture: it is copied out
    // only when the back buffer next changes.
    m_frontPending = true;

    int dw = 0, dh = 0;
    SDL_GL_GetDrawableSize(m_sdlWindow, &dw, &dh);
    PictureRect r = GetPictureRect(m_window);
    glBindFramebuffer(GL_FRAMEBUFFER, 0);
    // Only the bars beside a letterboxed picture need the black clear.
    if (r.x > 0 || r.y > 0 || r.width < dw || r.height < dh) {
        glDisable(GL_SCISSOR_TEST);
        glViewport(0, 0, dw, dh);
        glColorMask(GL_TRUE, GL_TRUE, GL_TRUE, GL_TRUE);
        glClearColor(0, 0, 0, 1);
        glClear(GL_COLOR_BUFFER_BIT);
        m_rsDirty = true;
    }
    if (r.width > 0 && r.height > 0) {
        // Whole-number scales stay sharp; anything else is filtered.
        bool exact = r.width % w == 0 && r.height % h == 0;
        // The drawable's row 0 is its bottom row.
        DrawPresentPass(0, r.x, dh - r.y - r.height, r.width, r.height, true, !exact);
    }
    SDL_GL_SwapWindow(m_sdlWindow);
    PaceFrame();
    return GFX_OK;
}

HResult DeviceGL::GetFrontBuffer(Surface* dest)
{
    auto* s = static_cast<SurfaceMem*>(dest);
    if (!s || s->GetFormat() != FMT_A8R8G8B8 || s->Width() != m_pp.backBufferWidth ||
        s->Height() != m_pp.backBufferHeight)
        return GFXERR_INVALIDCALL;
    MakeCurrent();
    glBindFramebuffer(GL_READ_FRAMEBUFFER, PresentedFramebuffer());
    glPixelStorei(GL_PACK_ALIGNMENT, 4);
    glPixelStorei(GL_PACK_ROW_LENGTH, GLint(s->Pitch() / 4));
    glReadPixels(0, 0, GLsizei(s->Width()), GLsizei(s->Height()), GL_BGRA, GL_UNSIGNED_INT_8_8_8_8_REV, s->Bits());
    glPixelStorei(GL_PACK_ROW_LENGTH, 0);
    // The visible picture is opaque whatever the back buffer's alpha held.
    for (uint32_t y = 0; y < s->Height(); ++y) {
        uint8_t* row = s->Bits() + size_t(y) * s->Pitch();
        for (uint32_t x = 0; x < s->Width(); ++x)
            row[x * 4 + 3] = 255;
    }
    return GFX_OK;
}

std::vector<uint32_t> DeviceGL::ReadBackBuffer()
{
    MakeCurrent();
    std::vector<uint32_t> px(size_t(m_pp.backBufferWidth) * m_pp.backBufferHeight);
    glBindFramebuffer(GL_READ_FRAMEBUFFER, m_backFbo.get());
    glPixelStorei(GL_PACK_ALIGNMENT, 4);
    glPixelStorei(GL_PACK_ROW_LENGTH, 0);
    glReadPixels(0, 0, GLsizei(m_pp.backBufferWidth), GLsizei(m_pp.backBufferHeight), GL_BGRA,
                 GL_UNSIGNED_INT_8_8_8_8_REV, px.data());
    return px;
}

std::vector<uint32_t> DeviceGL::ReadPresentedPicture()
{
    MakeCurrent();
    GLsizei w = GLsizei(m_pp.backBufferWidth), h = GLsizei(m_pp.backBufferHeight);
    gl::Tex tex(gl::NewTexture());
    glBindTexture(GL_TEXTURE_2D, tex.get());
    glTexImage2D(GL_TEXTURE_2D, 0, GL_RGBA8, w, h, 0, GL_BGRA, GL_UNSIGNED_INT_8_8_8_8_REV, nullptr);
    gl::Framebuffer fbo(gl::NewFramebuffer());
    glBindFramebuffer(GL_FRAMEBUFFER, fbo.get());
    glFramebufferTexture2D(GL_FRAMEBUFFER, GL_COLOR_ATTACHMENT0, GL_TEXTURE_2D, tex.get(), 0);
    DrawPresentPass(fbo.get(), 0, 0, w, h, false, false);
    std::vector<uint32_t> px(size_t(w) * h);
    glPixelStorei(GL_PACK_ALIGNMENT, 4);
    glPixelStorei(GL_PACK_ROW_LENGTH, 0);
    glReadPixels(0, 0, w, h, GL_BGRA, GL_UNSIGNED_INT_8_8_8_8_REV, px.data());
    glBindFramebuffer(GL_FRAMEBUFFER, 0);
    return px;
}

// ------------------------------------------------------------- factory impl
struct KnownSize {
    uint32_t w, h;
};
constexpr KnownSize kModeSizes[] = {
    {640, 480},   {800, 600},   {1024, 768},  {1152, 864},  {1280, 720},  {1280, 800},
    {1280, 960},  {1280, 1024}, {1366, 768},  {1440, 900},  {1600, 900},  {1600, 1200},
    {1680, 1050}, {1920, 1080}, {1920, 1200}, {2560, 1440}, {2560, 1600}, {3840, 2160},
};

uint32_t ReadHexFile(const std::string& path)
{
    std::ifstream in(path);
    std::string text;
    if (!(in >> text))
        return 0;
    return uint32_t(std::strtoul(text.c_str(), nullptr, 16));
}

bool Direct3DGL::Init()
{
    if (!AcquireSDLVideo())
        return false;
    m_sdl = true;

    // The adapter is whatever OpenGL renders with: ask a small hidden
    // window's context for its name and limits.
    gl::SetContextAttributes();
    gl::ProbeWindow probe(SDL_CreateWindow("", 0, 0, 16, 16, SDL_WINDOW_OPENGL | SDL_WINDOW_HIDDEN));
    if (!probe)
        return false;
    SDL_GLContext previous = SDL_GL_GetCurrentContext();
    SDL_Window* previousWindow = SDL_GL_GetCurrentWindow();
    gl::Context ctx(SDL_GL_CreateContext(probe.get()));
    if (!ctx)
        return false;
    SDL_GL_MakeCurrent(probe.get(), ctx.get());
    GLint major = 0, minor = 0, maxTex = 0;
    glGetIntegerv(GL_MAJOR_VERSION, &major);
    glGetIntegerv(GL_MINOR_VERSION, &minor);
    glGetIntegerv(GL_MAX_TEXTURE_SIZE, &maxTex);
    const char* renderer = reinterpret_cast<const char*>(glGetString(GL_RENDERER));
    const char* version = reinterpret_cast<const char*>(glGetString(GL_VERSION));
    m_identifier.description = renderer ? renderer : "";
    m_identifier.driver = version ? version : "";
    SDL_GL_MakeCurrent(previousWindow, previous);
    ctx.reset();
    probe.reset();
    if (major * 10 + minor < 33)
        return false;

    // Software renderers have no PCI identity; a hardware one is the DRM
    // card the kernel knows.
    const std::string& d = m_identifier.description;
    bool software = d.find("llvmpipe") != std::string::npos || d.find("softpipe") != std::string::npos ||
                    d.find("Software") != std::string::npos;
    if (!software) {
        m_identifier.vendorId = ReadHexFile("/sys/class/drm/card0/device/vendor");
        m_identifier.deviceId = ReadHexFile("/sys/class/drm/card0/device/device");
    }

    SDL_DisplayMode desk{};
    if (SDL_GetDesktopDisplayMode(0, &desk) != 0 || desk.w <= 0 || desk.h <= 0) {
        desk.w = 1024;
        desk.h = 768;
        desk.refresh_rate = 60;
        desk.format = SDL_PIXELFORMAT_RGB888;
    }
    m_desktop.width = uint32_t(desk.w);
    m_desktop.height = uint32_t(desk.h);
    m_desktop.refreshRate = desk.refresh_rate > 0 ? uint32_t(desk.refresh_rate) : 60;
    m_desktop.format = SDL_BITSPERPIXEL(desk.format) == 16 ? FMT_R5G6B5 : FMT_X8R8G8B8;

    // Full-screen modes are emulated (scaled into the desktop), so the
    // common sizes up to the desktop's are offered in 16 and 32 bits.
    bool desktopListed = false;
    for (const KnownSize& s : kModeSizes) {
        if (s.w > m_desktop.width || s.h > m_desktop.height)
            continue;
        desktopListed |= s.w == m_desktop.width && s.h == m_desktop.height;
        m_modes.push_back({s.w, s.h, m_desktop.refreshRate, FMT_R5G6B5});
        m_modes.push_back({s.w, s.h, m_desktop.refreshRate, FMT_X8R8G8B8});
    }
    if (!desktopListed) {
        m_modes.push_back({m_desktop.width, m_desktop.height, m_desktop.refreshRate, FMT_R5G6B5});
        m_modes.push_back({m_desktop.width, m_desktop.height, m_desktop.refreshRate, FMT_X8R8G8B8});
    }

    m_caps.caps2 = CAPS2_CANRENDERWINDOWED | CAPS2_FULLSCREENGAMMA;
    m_caps.rasterCaps = PRASTERCAPS_FOGVERTEX;
    m_caps.textureCaps = PTEXTURECAPS_ALPHA | PTEXTURECAPS_MIPMAP;
    m_caps.textureOpCaps = TEXOPCAPS_DISABLE | TEXOPCAPS_SELECTARG1 | TEXOPCAPS_SELECTARG2 | TEXOPCAPS_MODULATE |
                           TEXOPCAPS_MODULATE2X | TEXOPCAPS_MODULATE4X | TEXOPCAPS_ADD | TEXOPCAPS_ADDSIGNED |
                           TEXOPCAPS_ADDSIGNED2X | TEXOPCAPS_SUBTRACT | TEXOPCAPS_ADDSMOOTH | TEXOPCAPS_DOTPRODUCT3;
    m_caps.textureAddressCaps = PTADDRESSCAPS_WRAP | PTADDRESSCAPS_MIRROR | PTADDRESSCAPS_CLAMP;
    m_caps.maxTextureWidth = uint32_t(std::max(maxTex, 64));
    m_caps.maxTextureHeight = uint32_t(std::max(maxTex, 64));
    m_caps.maxTextureBlendStages = 2;
    m_caps.maxSimultaneousTextures = 2;
    return true;
}

Direct3DGL::~Direct3DGL()
{
    if (m_sdl)
        ReleaseSDLVideo();
}

HResult Direct3DGL::CreateDevice(uint32_t adapter, DeviceType type, WindowHandle focusWindow, uint32_t,
                                 PresentParameters& pp, Device** out)
{
    if (!out)
        return GFXERR_INVALIDCALL;
    *out = nullptr;
    if (adapter != 0 || type != DEVTYPE_HAL)
        return GFXERR_INVALIDCALL;
    WindowHandle window = pp.deviceWindow ? pp.deviceWindow : focusWindow;
    if (!IsGameWindow(window))
        return GFXERR_INVALIDCALL;
    if (pp.windowed && (pp.backBufferWidth == 0 || pp.backBufferHeight == 0)) {
        int w = 0, h = 0;
        GetClientSize(window, w, h);
        pp.backBufferWidth = uint32_t(w);
        pp.backBufferHeight = uint32_t(h);
    }
    if (pp.windowed && pp.backBufferFormat == FMT_UNKNOWN)
        pp.backBufferFormat = m_desktop.format;
    if (pp.backBufferWidth == 0 || pp.backBufferHeight == 0 || !IsDisplayFormat(pp.backBufferFormat) ||
        pp.backBufferWidth > m_caps.maxTextureWidth || pp.backBufferHeight > m_caps.maxTextureHeight)
        return GFXERR_INVALIDCALL;
    if (!pp.windowed) {
        // A full-screen back buffer must be one of the offered modes.
        bool offered = false;
        for (const DisplayMode& m : m_modes)
            offered |= m.width == pp.backBufferWidth && m.height == pp.backBufferHeight &&
                       m.format == (pp.backBufferFormat == FMT_A8R8G8B8 ? FMT_X8R8G8B8 : pp.backBufferFormat);
        if (!offered)
            return GFXERR_INVALIDCALL;
    }
    auto* device = new DeviceGL(this, window, m_caps);
    if (!device->Init(pp)) {
        device->Release();
        return GFXERR_NOTAVAILABLE;
    }
    *out = device;
    return GFX_OK;
}

} // namespace

Direct3D* CreateDirect3D(uint32_t sdkVersion)
{
    if (sdkVersion != GFX_SDK_VERSION)
        return nullptr;
    auto* d3d = new Direct3DGL();
    if (!d3d->Init()) {
        d3d->Release();
        return nullptr;
    }
    return d3d;
}

void SetFrameLimit(int framesPerSecond) { FrameLimit() = framesPerSecond; }
int GetFrameLimit() { return FrameLimit(); }

} // namespace tsr::gfx
