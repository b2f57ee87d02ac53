#include "frames/png_io.h"

#include <algorithm>
#include <csetjmp>
#include <cstring>
#include <new>
#include <string>
#include <vector>

#include <png.h>

#include "platform/safe_file.h"
#include "platform/scope_exit.h"

namespace kestrave {

namespace {

constexpr std::size_t MessageSize = 256;

// What the error handler needs: where to jump and room for the library's message. The jump goes
// back into one of the steps below, whose frames hold only plain C data.
struct PngErrors {
    std::jmp_buf jump;
    char message[MessageSize];
};

void copyMessage(PngErrors& errors, const char* text) {
    std::strncpy(errors.message, text != nullptr ? text : "unknown error", MessageSize - 1);
    errors.message[MessageSize - 1] = '\0';
}

void onPngError(png_structp png, png_const_charp text) {
    auto* errors = static_cast<PngErrors*>(png_get_error_ptr(png));
    copyMessage(*errors, text);
    std::longjmp(errors->jump, 1);
}

void onPngWarning(png_structp, png_const_charp) {}

// ---- reading ----

struct PngSource {
    const std::uint8_t* data;
    std::size_t size;
    std::size_t position;
};

void readFromMemory(png_structp png, png_bytep out, png_size_t count) {
    auto* source = static_cast<PngSource*>(png_get_io_ptr(png));
    if (count > source->size - source->position) png_error(png, "the file is truncated");
    std::memcpy(out, source->data + source->position, count);
    source->position += count;
}

struct PngReadJob {
    PngErrors errors;
    PngSource source;
    png_structp png;
    png_infop info;
    png_uint_32 width;
    png_uint_32 height;
    int bitDepth;
    std::size_t rowBytes;
    int fileBitsPerPixel;  // as stored, before the expansion to red, green, blue
};

// Reads the header and asks for red, green, blue output of 8 or 16 bits per sample.
bool readPngHeader(PngReadJob& job) {
    if (setjmp(job.errors.jump) != 0) return false;
    png_set_read_fn(job.png, &job.source, readFromMemory);
    png_set_user_limits(job.png, MaxPictureSide, MaxPictureSide);
    png_read_info(job.png, job.info);
    job.fileBitsPerPixel = png_get_channels(job.png, job.info) * png_get_bit_depth(job.png, job.info);
    const int colorType = png_get_color_type(job.png, job.info);
    png_set_palette_to_rgb(job.png);
    png_set_expand_gray_1_2_4_to_8(job.png);
    if ((colorType & PNG_COLOR_MASK_ALPHA) != 0) png_set_strip_alpha(job.png);
    if ((colorType & PNG_COLOR_MASK_COLOR) == 0) png_set_gray_to_rgb(job.png);
    png_set_interlace_handling(job.png);
    png_read_update_info(job.png, job.info);
    job.width = png_get_image_width(job.png, job.info);
    job.height = png_get_image_height(job.png, job.info);
    job.bitDepth = png_get_bit_depth(job.png, job.info);
    job.rowBytes = png_get_rowbytes(job.png, job.info);
    return true;
}

bool readPngRows(PngReadJob& job, png_bytepp rows) {
    if (setjmp(job.errors.jump) != 0) return false;
    png_read_image(job.png, rows);
    png_read_end(job.png, nullptr);
    return true;
}

[[noreturn]] void readFailed(const std::filesystem::path& name, const char* why) {
    throw FileError("Cannot read PNG file " + displayName(name) + ": " + why);
}

// ---- writing ----

struct PngSink {
    SafeFileWriter* writer;
    bool failed;
    char message[MessageSize];
};

void writeToFile(png_structp png, png_bytep data, png_size_t count) {
    auto* sink = static_cast<PngSink*>(png_get_io_ptr(png));
    try {
        sink->writer->write(data, count);
    } catch (const std::exception& error) {
        sink->failed = true;
        std::strncpy(sink->message, error.what(), MessageSize - 1);
    }
    // Leave the handler before jumping out.
    if (sink->failed) png_error(png, sink->message);
}

void flushFile(png_structp) {}

struct PngWriteJob {
    PngErrors errors;
    PngSink sink;
    png_structp png;
    png_infop info;
};

// Writes a red, green, blue picture of `bitDepth` bits per sample; `fillRow(y, buffer)` puts row
// y's samples (big-endian for 16 bits) into the buffer.
template <class FillRow>
bool writePngImage(PngWriteJob& job, int width, int height, int bitDepth, png_textp text, png_bytep rowBuffer,
                   FillRow&& fillRow) {
    if (setjmp(job.errors.jump) != 0) return false;
    png_set_write_fn(job.png, &job.sink, writeToFile, flushFile);
    png_set_IHDR(job.png, job.info, static_cast<png_uint_32>(width), static_cast<png_uint_32>(height),
                 bitDepth, PNG_COLOR_TYPE_RGB, PNG_INTERLACE_NONE, PNG_COMPRESSION_TYPE_DEFAULT,
                 PNG_FILTER_TYPE_DEFAULT);
    png_set_text(job.png, job.info, text, 1);
    png_write_info(job.png, job.info);
    for (int y = 0; y < height; ++y) {
        fillRow(y, rowBuffer);
        png_write_row(job.png, rowBuffer);
    }
    png_write_end(job.png, job.info);
    return true;
}

// Writes the picture with the "Software" text through a temporary file.
template <class FillRow>
void writePngFile(const std::filesystem::path& FileName, int width, int height, int bitDepth,
                  std::string_view versionCaption, FillRow&& fillRow) {
    SafeFileWriter writer(FileName);
    std::string software = "Kestrave " + std::string(versionCaption);
    char keyword[] = "Software";
    png_text text{};
    text.compression = PNG_TEXT_COMPRESSION_NONE;
    text.key = keyword;
    text.text = software.data();
    text.text_length = software.size();
    std::vector<png_byte> rowBuffer(static_cast<std::size_t>(width) * 3 * (bitDepth / 8));

    PngWriteJob job{};
    job.sink.writer = &writer;
    const ScopeExit destroy([&job] { png_destroy_write_struct(&job.png, &job.info); });
    job.png = png_create_write_struct(PNG_LIBPNG_VER_STRING, &job.errors, onPngError, onPngWarning);
    if (job.png != nullptr) job.info = png_create_info_struct(job.png);
    if (job.png == nullptr || job.info == nullptr) {
        throw FileError("Cannot write PNG file " + displayName(FileName) + ": not enough memory");
    }
    if (!writePngImage(job, width, height, bitDepth, &text, rowBuffer.data(), fillRow)) {
        throw FileError(job.sink.failed
                            ? std::string(job.sink.message)
                            : "Cannot write PNG file " + displayName(FileName) + ": " + job.errors.message);
    }
    writer.commit();
}

}  // namespace

PngPicture decodePng(std::span<const std::uint8_t> data, const std::filesystem::path& name) {
    PngReadJob job{};
    job.source = {data.data(), data.size(), 0};
    const ScopeExit destroy([&job] { png_destroy_read_struct(&job.png, &job.info, nullptr); });
    job.png = png_create_read_struct(PNG_LIBPNG_VER_STRING, &job.errors, onPngError, onPngWarning);
    if (job.png != nullptr) job.info = png_create_info_struct(job.png);
    if (job.png == nullptr || job.info == nullptr) readFailed(name, "not enough memory");
    if (!readPngHeader(job)) readFailed(name, job.errors.message);
    checkPictureSize(job.width, job.height, name);
    // Deflate packs at most 1032 bytes into one, so a file too short for the pixels its header
    // claims is refused before the picture is allocated.
    if (std::uint64_t{job.width} * job.height * job.fileBitsPerPixel / 8 > std::uint64_t{1032} * data.size())
        readFailed(name, "the file is too short for a picture of its size");
    const int width = static_cast<int>(job.width);
    const int height = static_cast<int>(job.height);
    const int sampleBytes = job.bitDepth == 16 ? 2 : 1;
    if (job.rowBytes != static_cast<std::size_t>(width) * 3 * sampleBytes)
        readFailed(name, "unexpected row layout");

    PngPicture picture;
    std::vector<png_byte> pixels;
    std::vector<png_bytep> rows;
    try {
        picture.preview.resize(width, height);
        pixels.resize(job.rowBytes * height);
        for (int y = 0; y < height; ++y) rows.push_back(pixels.data() + y * job.rowBytes);
        if (sampleBytes == 2) picture.samples.resize(static_cast<std::size_t>(width) * 3 * height);
    } catch (const std::bad_alloc&) {
        readFailed(name, "not enough memory");
    }
    if (!readPngRows(job, rows.data())) readFailed(name, job.errors.message);

    picture.bitDepth = job.bitDepth;
    for (int y = 0; y < height; ++y) {
        const png_byte* in = rows[y];
        std::uint8_t* out = picture.preview.row(y);
        for (int x = 0; x < width; ++x, in += 3 * sampleBytes) {
            SetRGBTriple(in[0], in[sampleBytes], in[2 * sampleBytes], out + 3 * x);
        }
        if (sampleBytes == 2) {
            std::uint16_t* samples = picture.samples.data() + static_cast<std::size_t>(y) * width * 3;
            for (int i = 0; i < 3 * width; ++i) {
                samples[i] = static_cast<std::uint16_t>(rows[y][2 * i] * 256 + rows[y][2 * i + 1]);
            }
        }
    }
    return picture;
}

bool LoadPNGFrame(const std::filesystem::path& FileName, Bitmap24& preview, TTIFFBitMap& HighBitFrame,
                  FrameReaderState& state) {
    PngPicture picture = decodePng(readWholeFile(FileName), FileName);
    const int width = picture.preview.width();
    const int height = picture.preview.height();
    const bool sixteenBit = picture.bitDepth == 16;
    TTIFFBitMap highBit;
    if (sixteenBit) {
        try {
            highBit = TTIFFBitMap(width + 1, height + 1);
            highBit.allocateHighBits();
        } catch (const std::bad_alloc&) {
            readFailed(FileName, "not enough memory");
        }
        for (int y = 0; y < height; ++y) {
            std::copy_n(picture.samples.data() + static_cast<std::size_t>(y) * width * 3, 3 * width,
                        highBit.HighBitRow(y));
        }
        HighBitFrame = std::move(highBit);
    }
    state.PngFrameWidth = width;
    state.PngFrameHeight = height;
    preview = std::move(picture.preview);
    return sixteenBit;
}

void SavePNGImage(const std::filesystem::path& FileName, const Bitmap24& Bitmap,
                  const TTIFFBitMap& ResultImage16, std::string_view versionCaption) {
    const int width = Bitmap.width();
    const int height = Bitmap.height();
    if (Bitmap.empty())
        throw FileError("Cannot write PNG file " + displayName(FileName) + ": the picture is empty");
    if (!ResultImage16.HighBitsAllocated() || ResultImage16.width() < width ||
        ResultImage16.height() < height) {
        throw FileError("Cannot write PNG file " + displayName(FileName) +
                        ": the 16-bit result image does not cover the picture");
    }
    writePngFile(FileName, width, height, 16, versionCaption, [&](int y, png_bytep row) {
        const std::uint16_t* in = ResultImage16.HighBitRow(y);
        for (int i = 0; i < 3 * width; ++i) {
            row[2 * i] = static_cast<png_byte>(in[i] >> 8);
            row[2 * i + 1] = static_cast<png_byte>(in[i] & 0xFF);
        }
    });
}

void SavePNG8Image(const std::filesystem::path& FileName, const Bitmap24& Bitmap,
                   std::string_view versionCaption) {
    if (Bitmap.empty())
        throw FileError("Cannot write PNG file " + displayName(FileName) + ": the picture is empty");
    writePngFile(FileName, Bitmap.width(), Bitmap.height(), 8, versionCaption, [&](int y, png_bytep row) {
        const std::uint8_t* in = Bitmap.row(y);
        for (int x = 0; x < Bitmap.width(); ++x, in += 3, row += 3) {
            row[0] = in[2];
            row[1] = in[1];
            row[2] = in[0];
        }
    });
}

}  // namespace kestrave
