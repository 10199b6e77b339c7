// Creating a texture from an image file held in memory, on the graphics
// device contract: decode, scale to the asked size, convert to the asked
// format, build the asked mip levels with a box filter.
#pragma once

#include <cstddef>
#include <cstdint>

#include "platform/gfx/tsr_gfx.h"

namespace tsr::image {

// width/height 0: the image's own size. levels 0: the full chain; more
// levels than the chain has are cut to it. format FMT_UNKNOWN: A8R8G8B8.
// On any failure (unreadable image, device refusal) returns a failed
// result and leaves *out null.
gfx::HResult TextureFromImageBytes(gfx::Device* device, const void* data, size_t size, uint32_t width,
                                           uint32_t height, uint32_t levels, uint32_t usage, gfx::Format format,
                                           gfx::Pool pool, gfx::Texture** out);

} // namespace tsr::image
