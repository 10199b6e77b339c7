#include "platform/image/tsr_texture_file.h"

#include "platform/image/tsr_image.h"

#include <algorithm>

namespace tsr::image {

gfx::HResult TextureFromImageBytes(gfx::Device* device, const void* data, size_t size, uint32_t width,
                                           uint32_t height, uint32_t levels, uint32_t usage, gfx::Format format,
                                           gfx::Pool pool, gfx::Texture** out)
{
    if (!out)
        return gfx::GFXERR_INVALIDCALL;
    *out = nullptr;
    if (!device || !data)
        return gfx::GFXERR_INVALIDCALL;
    Image img;
    if (!Decode(data, size, img))
        return gfx::GFXERR_INVALIDCALL;
    const int w = width ? int(std::min<uint32_t>(width, kMaxEdge)) : img.width;
    const int h = height ? int(std::min<uint32_t>(height, kMaxEdge)) : img.height;
    if (format == gfx::FMT_UNKNOWN)
        format = gfx::FMT_A8R8G8B8;
    if (gfx::BytesPerPixel(format) == 0)
        return gfx::GFXERR_WRONGTEXTUREFORMAT;
    const uint32_t chain = uint32_t(FullMipCount(w, h));
    if (levels == 0 || levels > chain)
        levels = chain;

    gfx::Texture* tex = nullptr;
    gfx::HResult hr = device->CreateTexture(uint32_t(w), uint32_t(h), levels, usage, format, pool, &tex);
    if (gfx::Failed(hr) || !tex)
        return gfx::Failed(hr) ? hr : gfx::GFXERR_FAIL;

    Image level = Scale(img, w, h);
    img = Image{};
    const uint32_t bpp = gfx::BytesPerPixel(format);
    for (uint32_t l = 0; l < levels; ++l) {
        if (l > 0)
            level = BoxHalve(level);
        gfx::LockedRect lr;
        hr = tex->LockRect(l, lr, nullptr, 0);
        if (gfx::Failed(hr) || !lr.bits) {
            tex->Release();
            return gfx::Failed(hr) ? hr : gfx::GFXERR_FAIL;
        }
        for (int y = 0; y < level.height; ++y) {
            uint8_t* row = static_cast<uint8_t*>(lr.bits) + size_t(lr.pitch) * size_t(y);
            for (int x = 0; x < level.width; ++x) {
                const uint8_t* p = level.Pixel(x, y);
                const uint32_t argb = uint32_t(p[3]) << 24 | uint32_t(p[0]) << 16 | uint32_t(p[1]) << 8 | p[2];
                gfx::ARGBToPixel(format, argb, row + size_t(x) * bpp);
            }
        }
        tex->UnlockRect(l);
    }
    *out = tex;
    return gfx::GFX_OK;
}

} // namespace tsr::image
