#include "output/jpeg_writer.h"

#include <csetjmp>
#include <cstdio>
#include <cstdlib>
#include <stdexcept>
#include <string>

#include <jpeglib.h>

#include "output/save_rules.h"
#include "platform/errors.h"

namespace kestrave {

namespace {

// libjpeg reports errors through error_exit, which must not return: it jumps back to the
// encoder with the library's message. Between setjmp and the jump only plain C data live, so no
// destructor is skipped.
struct JpegErrorManager {
    jpeg_error_mgr base;
    std::jmp_buf jump;
    char text[JMSG_LENGTH_MAX];
};

void jpegErrorExit(j_common_ptr cinfo) {
    auto* manager = reinterpret_cast<JpegErrorManager*>(cinfo->err);
    (*cinfo->err->format_message)(cinfo, manager->text);
    std::longjmp(manager->jump, 1);
}

// Compresses into a buffer that libjpeg allocates (freed by the caller with free()). Returns
// false with the library's message in `error` on failure.
bool compress(const Bitmap24& bitmap, int quality, unsigned char** buffer, unsigned long* size,
              JpegErrorManager& error) {
    jpeg_compress_struct cinfo;
    cinfo.err = jpeg_std_error(&error.base);
    error.base.error_exit = jpegErrorExit;
    if (setjmp(error.jump)) {
        jpeg_destroy_compress(&cinfo);
        return false;
    }
    jpeg_create_compress(&cinfo);
    jpeg_mem_dest(&cinfo, buffer, size);
    cinfo.image_width = static_cast<JDIMENSION>(bitmap.width());
    cinfo.image_height = static_cast<JDIMENSION>(bitmap.height());
    cinfo.input_components = 3;
    cinfo.in_color_space = JCS_EXT_BGR;
    jpeg_set_defaults(&cinfo);
    jpeg_set_quality(&cinfo, quality, TRUE);
    jpeg_start_compress(&cinfo, TRUE);
    while (cinfo.next_scanline < cinfo.image_height) {
        JSAMPROW row = const_cast<JSAMPROW>(bitmap.row(static_cast<int>(cinfo.next_scanline)));
        jpeg_write_scanlines(&cinfo, &row, 1);
    }
    jpeg_finish_compress(&cinfo);
    jpeg_destroy_compress(&cinfo);
    return true;
}

}  // namespace

std::vector<std::uint8_t> encodeJpeg(const Bitmap24& bitmap, int quality) {
    if (bitmap.empty()) throw std::invalid_argument("an empty bitmap cannot be written as JPEG");
    if (bitmap.width() > JPEG_MAX_DIMENSION || bitmap.height() > JPEG_MAX_DIMENSION)
        throw FileError("The image is too large for a JPEG file");
    unsigned char* buffer = nullptr;
    unsigned long size = 0;
    JpegErrorManager error{};
    const bool ok = compress(bitmap, quality, &buffer, &size, error);
    std::vector<std::uint8_t> bytes;
    if (ok) bytes.assign(buffer, buffer + size);
    std::free(buffer);
    if (!ok) throw FileError(std::string("Cannot encode the JPEG image: ") + error.text);
    return bytes;
}

void writeJpeg(const std::filesystem::path& fileName, const Bitmap24& bitmap, int quality) {
    writeFileBytes(fileName, encodeJpeg(bitmap, quality));
}

}  // namespace kestrave
