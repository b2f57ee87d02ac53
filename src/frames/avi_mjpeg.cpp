// Motion JPEG frames through libjpeg. Errors of the library come back through longjmp, so no
// C++ exception ever crosses its C frames and a damaged picture cannot end the program.

#include <csetjmp>
#include <cstdio>

#include <jpeglib.h>

#include "frames/avi_decode.h"

namespace kestrave {

namespace {

struct JpegErrorManager {
    jpeg_error_mgr base;
    std::jmp_buf jump;
};

void onJpegError(j_common_ptr info) {
    std::longjmp(reinterpret_cast<JpegErrorManager*>(info->err)->jump, 1);
}

// Warnings about damaged data are not printed; libjpeg goes on with what it can read.
void onJpegMessage(j_common_ptr) {}

// Only trivially destructible objects live in this frame, so the longjmp skips no destructor.
bool decodeInto(jpeg_decompress_struct& jpeg, JpegErrorManager& errors, const std::uint8_t* data,
                unsigned long size, int width, int height, Bitmap24& preview) {
    if (setjmp(errors.jump) != 0) return false;
    jpeg_create_decompress(&jpeg);
    jpeg_mem_src(&jpeg, data, size);
    if (jpeg_read_header(&jpeg, TRUE) != JPEG_HEADER_OK) return false;
    if (jpeg.image_width != static_cast<JDIMENSION>(width) ||
        jpeg.image_height != static_cast<JDIMENSION>(height))
        return false;
    // Frames that carry no Huffman tables (usual in AVI files) get the standard ones from libjpeg.
    jpeg.out_color_space = JCS_EXT_BGR;
    jpeg_start_decompress(&jpeg);
    if (jpeg.output_components != 3) return false;
    while (jpeg.output_scanline < jpeg.output_height) {
        JSAMPROW row = preview.row(static_cast<int>(jpeg.output_scanline));
        jpeg_read_scanlines(&jpeg, &row, 1);
    }
    jpeg_finish_decompress(&jpeg);
    return true;
}

}  // namespace

bool decodeMotionJpeg(std::span<const std::uint8_t> data, int width, int height, Bitmap24& preview) {
    if (data.size() < 4) return false;
    if (preview.width() != width || preview.height() != height) preview.resize(width, height);
    jpeg_decompress_struct jpeg{};
    JpegErrorManager errors{};
    jpeg.err = jpeg_std_error(&errors.base);
    errors.base.error_exit = onJpegError;
    errors.base.output_message = onJpegMessage;
    const bool ok = decodeInto(jpeg, errors, data.data(), static_cast<unsigned long>(data.size()), width,
                               height, preview);
    jpeg_destroy_decompress(&jpeg);
    return ok;
}

}  // namespace kestrave
