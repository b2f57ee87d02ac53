#include "frames/jpeg_reader.h"

#include <csetjmp>
#include <cstdio>
#include <new>
#include <string>

#include <jpeglib.h>
// jerror.h needs jpeglib.h first.
#include <jerror.h>

#include "platform/safe_file.h"
#include "platform/scope_exit.h"

namespace kestrave {

namespace {

// libjpeg's error manager, extended: a fatal error jumps back to the decoding step that called
// the library; warnings that mean damaged data are remembered.
struct JpegErrors {
    jpeg_error_mgr base;  // first, so that the library's pointer is also ours
    std::jmp_buf jump;
    char message[JMSG_LENGTH_MAX];
    bool damaged;
};

// Everything one decode needs; plain C data, so a jump never skips a destructor.
struct JpegJob {
    jpeg_decompress_struct info;
    JpegErrors errors;
};

void onJpegError(j_common_ptr info) {
    auto* errors = reinterpret_cast<JpegErrors*>(info->err);
    info->err->format_message(info, errors->message);
    std::longjmp(errors->jump, 1);
}

void onJpegMessage(j_common_ptr info, int level) {
    if (level >= 0) return;  // trace messages
    auto* errors = reinterpret_cast<JpegErrors*>(info->err);
    ++info->err->num_warnings;
    switch (info->err->msg_code) {
        case JWRN_JPEG_EOF:
        case JWRN_HIT_MARKER:
        case JWRN_HUFF_BAD_CODE:
        case JWRN_ARITH_BAD_CODE:
        case JWRN_MUST_RESYNC:
        case JWRN_NOT_SEQUENTIAL:
        case JWRN_BOGUS_PROGRESSION:
            if (!errors->damaged) info->err->format_message(info, errors->message);
            errors->damaged = true;
            break;
        default:
            break;
    }
}

// The two steps that call the library. Only plain C data lives in their frames, so the error
// handler's longjmp back into them is well defined.
bool readJpegHeader(JpegJob& job, const std::uint8_t* data, std::size_t size) {
    if (setjmp(job.errors.jump) != 0) return false;
    jpeg_create_decompress(&job.info);
    jpeg_mem_src(&job.info, data, static_cast<unsigned long>(size));
    jpeg_read_header(&job.info, TRUE);
    job.info.out_color_space = JCS_EXT_BGR;
    jpeg_calc_output_dimensions(&job.info);
    return true;
}

bool readJpegRows(JpegJob& job, std::uint8_t* bits, std::size_t stride) {
    if (setjmp(job.errors.jump) != 0) return false;
    jpeg_start_decompress(&job.info);
    while (job.info.output_scanline < job.info.output_height) {
        JSAMPROW row = bits + job.info.output_scanline * stride;
        jpeg_read_scanlines(&job.info, &row, 1);
    }
    jpeg_finish_decompress(&job.info);
    return true;
}

[[noreturn]] void failed(const std::filesystem::path& name, const char* why) {
    throw FileError("Cannot read JPEG file " + displayName(name) + ": " + why);
}

}  // namespace

Bitmap24 decodeJpeg(std::span<const std::uint8_t> data, const std::filesystem::path& name) {
    JpegJob job{};
    job.info.err = jpeg_std_error(&job.errors.base);
    job.errors.base.error_exit = onJpegError;
    job.errors.base.emit_message = onJpegMessage;
    const ScopeExit destroy([&job] { jpeg_destroy_decompress(&job.info); });
    if (data.empty()) failed(name, "the file is empty");
    if (!readJpegHeader(job, data.data(), data.size())) failed(name, job.errors.message);
    checkPictureSize(job.info.output_width, job.info.output_height, name);
    Bitmap24 picture;
    try {
        picture.resize(static_cast<int>(job.info.output_width), static_cast<int>(job.info.output_height));
    } catch (const std::bad_alloc&) {
        failed(name, "not enough memory");
    }
    if (!readJpegRows(job, picture.bits(), picture.stride())) failed(name, job.errors.message);
    if (job.errors.damaged) failed(name, job.errors.message);
    return picture;
}

void LoadJPGFrame(const std::filesystem::path& FileName, Bitmap24& preview, FrameReaderState& state) {
    Bitmap24 picture = decodeJpeg(readWholeFile(FileName), FileName);
    state.JpgFrameWidth = picture.width();
    state.JpgFrameHeight = picture.height();
    preview = std::move(picture);
}

}  // namespace kestrave
