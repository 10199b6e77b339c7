// The device side seen from textures, techniques, fonts and the light pass.
#include "ctesser_gfx_texlink.h"

#include "ctesser.h"

namespace texlink {

tsr::gfx::Device* Device(const CTesser& e) { return e.GfxGetDevice(); }

Caps GetCaps(const CTesser& e)
{
    Caps c;
    if (!e.m_bGfxCreated)
        return c;
    TSNVIDEOCAPS v;
    e.GfxGetVideoCaps(v);
    c.maxTextureWidth = v.MaxTextureWidth;
    c.mipMapping = v.MipMapping;
    c.dot3 = v.Dot3;
    return c;
}

tsr::gfx::Format TextureFormatOfClass(const CTesser& e, int formatClass)
{
    const TSNDISPLAYMODE* m = e.GfxGetCurrentMode();
    if (!m)
        return tsr::gfx::FMT_UNKNOWN;
    switch (formatClass) {
    case 2:
        return m->TextureFormat02;
    case 3:
        return m->TextureFormat03;
    case 4:
        return m->TextureFormat04;
    default:
        return m->TextureFormat01;
    }
}

void BatchFlush(CTesser& e) { e.VQuadBatchFlush(); }
void SetVertexFog(CTesser& e, bool on) { e.VQuadSetVertexFog(on); }
void QuadSetColor(CTesser& e, float r, float g, float b, float a) { e.VQuadSetColor(r, g, b, a); }
void QuadSetTexCoords(CTesser& e, float left, float top, float right, float bottom)
{
    e.VQuadSetTexCoords(1, left, top, right, bottom);
}
void QuadSetPos(CTesser& e, float x, float y, float w, float h, float z) { e.VQuadSetPos(x, y, w, h, z); }
void SceneRender(CTesser& e) { e.SceneRender(); }

} // namespace texlink
