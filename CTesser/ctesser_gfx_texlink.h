// What the texture, technique, font and light code needs from the device
// side of the graphics subsystem, gathered in one place (their bodies are
// in ctesser_gfx_texlink.cpp), so that the rest of these files speak only
// of their own work.
#pragma once

#include <cstdint>

#include "platform/gfx/tsr_gfx.h"

class CTesser;

namespace texlink {

// The device, or null when none exists.
tsr::gfx::Device* Device(const CTesser& e);

struct Caps {
    uint32_t maxTextureWidth = 0;
    bool mipMapping = false;
    bool dot3 = false;
};
Caps GetCaps(const CTesser& e);

// TextureFormat0k of the display mode in use; FMT_UNKNOWN (keep the
// image's format) for any other mode number.
tsr::gfx::Format TextureFormatOfClass(const CTesser& e, int formatClass);

// The quad batch and the current quad.
void BatchFlush(CTesser& e);
void SetVertexFog(CTesser& e, bool on);
void QuadSetColor(CTesser& e, float r, float g, float b, float a);
void QuadSetTexCoords(CTesser& e, float left, float top, float right, float bottom);
void QuadSetPos(CTesser& e, float x, float y, float w, float h, float z);
void SceneRender(CTesser& e);

} // namespace texlink
