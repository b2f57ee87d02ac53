#pragma once
// Test pictures in JPEG form, made with libjpeg.

#include <cstdint>
#include <cstdlib>
#include <vector>

#include <jpeglib.h>
#include <cstdio>  // jpeglib.h needs FILE

namespace kestrave::test {

// Encodes width x height pixels (RGB or grey, rows top first) at quality 95.
inline std::vector<std::uint8_t> encodeJpeg(int width, int height, int components,
                                            const std::vector<std::uint8_t>& pixels) {
    jpeg_compress_struct c{};
    jpeg_error_mgr err{};
    c.err = jpeg_std_error(&err);
    jpeg_create_compress(&c);
    unsigned char* out = nullptr;
    unsigned long size = 0;
    jpeg_mem_dest(&c, &out, &size);
    c.image_width = static_cast<JDIMENSION>(width);
    c.image_height = static_cast<JDIMENSION>(height);
    c.input_components = components;
    c.in_color_space = components == 3 ? JCS_RGB : JCS_GRAYSCALE;
    jpeg_set_defaults(&c);
    jpeg_set_quality(&c, 95, TRUE);
    jpeg_start_compress(&c, TRUE);
    while (c.next_scanline < c.image_height) {
        JSAMPROW row = const_cast<JSAMPROW>(pixels.data() + c.next_scanline * width * components);
        jpeg_write_scanlines(&c, &row, 1);
    }
    jpeg_finish_compress(&c);
    std::vector<std::uint8_t> bytes(out, out + size);
    std::free(out);
    jpeg_destroy_compress(&c);
    return bytes;
}

}  // namespace kestrave::test
