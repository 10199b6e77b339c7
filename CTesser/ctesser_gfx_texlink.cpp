// The device side seen from textures, techniques, fonts and the light pass.
// (No device exists until the graphics subsystem is built in.)
#include "ctesser_gfx_texlink.h"

#include "ctesser.h"

namespace texlink {

tsr::gfx::Device* Device(const CTesser&) { return nullptr; }
Caps GetCaps(const CTesser&) { return Caps{}; }
tsr::gfx::Format TextureFormatOfClass(const CTesser&, int) { return tsr::gfx::FMT_UNKNOWN; }
void BatchFlush(CTesser&) {}
void SetVertexFog(CTesser&, bool) {}
void QuadSetColor(CTesser&, float, float, float, float) {}
void QuadSetTexCoords(CTesser&, float, float, float, float) {}
void QuadSetPos(CTesser&, float, float, float, float, float) {}
void SceneRender(CTesser&) {}

} // namespace texlink
