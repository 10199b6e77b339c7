// PNG through libpng's simplified reader: it does its own bounds checks on
// the memory it is given and reports errors as a result, not a longjmp.
#include "platform/image/tsr_image.h"

#include <png.h>

#include <cstring>

namespace tsr::image {

namespace {
void SetError(std::string* error, const char* text)
{
    if (error)
        *error = text;
}
} // namespace

bool DecodePNG(const void* data, size_t size, Image& out, std::string* error)
{
    out = Image{};
    if (!data || size < 8 || png_sig_cmp(static_cast<png_const_bytep>(data), 0, 8) != 0) {
        SetError(error, "not a PNG file");
        return false;
    }
    png_image img;
    std::memset(&img, 0, sizeof img);
    img.version = PNG_IMAGE_VERSION;
    if (!png_image_begin_read_from_memory(&img, data, size)) {
        SetError(error, img.message);
        png_image_free(&img);
        return false;
    }
    if (img.width == 0 || img.height == 0 || img.width > unsigned(kMaxEdge) || img.height > unsigned(kMaxEdge) ||
        int64_t(img.width) * img.height > kMaxPixels) {
        SetError(error, "PNG size out of range");
        png_image_free(&img);
        return false;
    }
    // Deflate expands at most about 1032:1; a file too small to hold the
    // pixels it announces is corrupt, and is refused before allocating.
    const uint64_t rawBytes = uint64_t(img.height) * (1 + uint64_t(img.width) * PNG_IMAGE_PIXEL_SIZE(img.format));
    if (rawBytes / 1032 > size) {
        SetError(error, "PNG too short for its size");
        png_image_free(&img);
        return false;
    }
    img.format = PNG_FORMAT_RGBA;
    Image result;
    result.width = static_cast<int>(img.width);
    result.height = static_cast<int>(img.height);
    result.rgba.resize(size_t(result.width) * result.height * 4);
    if (!png_image_finish_read(&img, nullptr, result.rgba.data(), 0, nullptr)) {
        SetError(error, img.message);
        png_image_free(&img);
        return false;
    }
    png_image_free(&img);
    out = std::move(result);
    return true;
}

} // namespace tsr::image
