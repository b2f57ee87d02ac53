// Motion JPEG frames through libjpeg; its errors come back through longjmp (frames/jpeg_errors.h).

#include "frames/avi_decode.h"
#include "frames/jpeg_errors.h"

namespace kestrave {

namespace {

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
    jpeg.err = installJpegErrors(errors);
    const bool ok = decodeInto(jpeg, errors, data.data(), static_cast<unsigned long>(data.size()), width,
                               height, preview);
    jpeg_destroy_decompress(&jpeg);
    return ok;
}

}  // namespace kestrave
