// JPEG through libjpeg, reading from memory. libjpeg reports fatal errors
// through a callback that must not return; we leave with longjmp to a frame
// that holds no C++ objects of its own (the output lives in the caller).
// A premature end of data only draws a warning from libjpeg; for us a
// truncated file is an error like any other.
#include "platform/image/tsr_image.h"

#include <csetjmp>
#include <cstdio>
#include <cstring>

#include <jerror.h>
#include <jpeglib.h>

namespace tsr::image {

namespace {

struct ErrorManager {
    jpeg_error_mgr pub;
    jmp_buf jump;
    char message[JMSG_LENGTH_MAX];
};

[[noreturn]] void OnError(j_common_ptr cinfo)
{
    auto* err = reinterpret_cast<ErrorManager*>(cinfo->err);
    (*cinfo->err->format_message)(cinfo, err->message);
    std::longjmp(err->jump, 1);
}

void OnMessage(j_common_ptr cinfo, int level)
{
    // Level -1 is a warning about the data; a truncated stream is fatal.
    if (level == -1 && cinfo->err->msg_code == JWRN_JPEG_EOF)
        OnError(cinfo);
}

// Widens one decoded row (packed at the tail of its RGBA row) in place.
// Writing texel x never overtakes source bytes still unread, since the
// packed source of texel x starts at or after its own RGBA slot.
[[gnu::noinline]] void SpreadRow(const uint8_t* src, uint8_t* row, unsigned w, int comps)
{
    for (unsigned x = 0; x < w; ++x) {
        const uint8_t* s = src + size_t(x) * comps;
        uint8_t px[4];
        if (comps == 1) {
            px[0] = px[1] = px[2] = s[0];
        } else if (comps == 3) {
            px[0] = s[0];
            px[1] = s[1];
            px[2] = s[2];
        } else {
            // Adobe writes CMYK inverted: each value is already 255 - ink.
            const unsigned k = s[3];
            px[0] = uint8_t(s[0] * k / 255);
            px[1] = uint8_t(s[1] * k / 255);
            px[2] = uint8_t(s[2] * k / 255);
        }
        px[3] = 255;
        std::memcpy(row + size_t(x) * 4, px, 4);
    }
}

struct Decoder {
    jpeg_decompress_struct cinfo;
    ErrorManager err;
};

// All state that must survive a longjmp lives in *d or in `out` (both in
// memory owned by the caller), so nothing here is left indeterminate.
bool Run(Decoder* d, const void* data, size_t size, Image& out)
{
    d->cinfo.err = jpeg_std_error(&d->err.pub);
    d->err.pub.error_exit = OnError;
    d->err.pub.emit_message = OnMessage;
    d->err.message[0] = 0;
    if (setjmp(d->err.jump)) {
        jpeg_destroy_decompress(&d->cinfo);
        return false;
    }
    jpeg_create_decompress(&d->cinfo);
    jpeg_mem_src(&d->cinfo, static_cast<const unsigned char*>(data), static_cast<unsigned long>(size));
    jpeg_read_header(&d->cinfo, TRUE);
    const J_COLOR_SPACE in = d->cinfo.jpeg_color_space;
    const bool cmyk = in == JCS_CMYK || in == JCS_YCCK;
    d->cinfo.out_color_space = cmyk ? JCS_CMYK : (in == JCS_GRAYSCALE ? JCS_GRAYSCALE : JCS_RGB);
    jpeg_start_decompress(&d->cinfo);
    const unsigned w = d->cinfo.output_width, h = d->cinfo.output_height;
    const int comps = d->cinfo.output_components;
    if (w == 0 || h == 0 || w > unsigned(kMaxEdge) || h > unsigned(kMaxEdge) || int64_t(w) * h > kMaxPixels ||
        (comps != 1 && comps != 3 && comps != 4)) {
        std::snprintf(d->err.message, sizeof d->err.message, "JPEG size out of range");
        jpeg_destroy_decompress(&d->cinfo);
        return false;
    }
    out.width = int(w);
    out.height = int(h);
    out.rgba.assign(size_t(w) * h * 4, 255);
    // Decode each row into the tail of its own RGBA row, then spread it.
    while (d->cinfo.output_scanline < h) {
        const unsigned y = d->cinfo.output_scanline;
        uint8_t* row = &out.rgba[size_t(y) * w * 4];
        JSAMPROW dst = row + size_t(w) * (4 - comps);
        jpeg_read_scanlines(&d->cinfo, &dst, 1);
        SpreadRow(dst, row, w, comps);
    }
    jpeg_finish_decompress(&d->cinfo);
    jpeg_destroy_decompress(&d->cinfo);
    return true;
}

} // namespace

bool DecodeJPEG(const void* data, size_t size, Image& out, std::string* error)
{
    out = Image{};
    const auto* b = static_cast<const uint8_t*>(data);
    if (!data || size < 4 || b[0] != 0xFF || b[1] != 0xD8) {
        if (error)
            *error = "not a JPEG file";
        return false;
    }
    Decoder* d = new Decoder{};
    const bool ok = Run(d, data, size, out);
    if (!ok) {
        if (error)
            *error = d->err.message[0] ? d->err.message : "corrupt JPEG";
        out = Image{};
    }
    delete d;
    return ok;
}

} // namespace tsr::image
