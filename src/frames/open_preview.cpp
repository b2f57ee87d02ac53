#include "frames/open_preview.h"

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <exception>

#include "codecs/tiff_bitmap.h"
#include "frames/avi_reader.h"
#include "frames/fits_reader.h"
#include "frames/input_sources.h"
#include "frames/plane.h"
#include "frames/png_io.h"
#include "frames/ser_reader.h"
#include "frames/tiff_frame.h"
#include "persist/ignore_case.h"
#include "platform/progress_port.h"

namespace kestrave {

namespace {

enum class PreviewKind { Avi, Fits, Tiff, Png, Ser };

struct PreviewExtension {
    const char* ext;
    PreviewKind kind;
};
constexpr PreviewExtension previewExtensions[] = {
    {"avi", PreviewKind::Avi},  {"fit", PreviewKind::Fits}, {"fits", PreviewKind::Fits},
    {"fts", PreviewKind::Fits}, {"tif", PreviewKind::Tiff}, {"png", PreviewKind::Png},
    {"ser", PreviewKind::Ser},
};

std::string sizeText(const Bitmap24& picture) {
    return std::to_string(picture.width()) + "x" + std::to_string(picture.height());
}

std::string bitsText(bool sixteen) {
    return sixteen ? " 16 bit" : " 8 bit";
}

FileError missingFile(const std::filesystem::path& file) {
    return FileError("non existing file :" + file.string());
}

// Reads the first frame with readers and buffers of this call's own; throws the readers' errors.
OpenPreview readPreview(const std::filesystem::path& file, PreviewKind kind) {
    OpenPreview preview;
    Bitmap24& picture = preview.picture;
    TTIFFBitMap highBit;
    T2dArrays raw;
    FrameReaderState facts;
    switch (kind) {
        case PreviewKind::Avi: {
            AviReader reader(picture, highBit);
            SingleFrameAviSink sink;
            NullProgress quiet;
            reader.state.AviReopen = true;
            reader.ReadAVIFrames(file.string(), 0, AviReadOptions{}, sink, quiet);
            preview.text = (reader.state.InputHiAvi ? "HI-AVI:" : "size:") + sizeText(picture) +
                           " fr:" + std::to_string(reader.state.AviFrameCount) + " " +
                           reader.state.AviFourCCText;
            break;
        }
        case PreviewKind::Fits:
            if (!ReadFitsFrame(file, raw, picture, facts).read) throw missingFile(file);
            preview.text = sizeText(picture) + " pixels " + facts.FitsInfoText;
            break;
        case PreviewKind::Tiff: {
            // Stretched, so that the largest sample shows as white.
            std::uint16_t hiValue = 0;
            ReadTiffFrame(file, hiValue, true, picture, highBit, facts);
            preview.text =
                "Image :" + sizeText(picture) + " hi value :" + std::to_string(facts.HighBitMaxValue);
            break;
        }
        case PreviewKind::Png: {
            const bool png16 = LoadPNGFrame(file, picture, highBit, facts);
            preview.text = "Image :" + sizeText(picture) + bitsText(png16);
            break;
        }
        case PreviewKind::Ser:
            if (!OpenSerFile(file, raw, picture, facts).opened) throw missingFile(file);
            preview.text = "Image :" + sizeText(picture) + bitsText(facts.SerPixelDepth > 8);
            break;
    }
    return preview;
}

}  // namespace

std::optional<OpenPreview> probeOpenPreview(const std::filesystem::path& file, std::string_view ext) {
    const auto known =
        std::find_if(std::begin(previewExtensions), std::end(previewExtensions),
                     [&](const PreviewExtension& e) { return sameTextIgnoringCase(e.ext, ext); });
    if (known == std::end(previewExtensions)) return std::nullopt;
    try {
        return readPreview(file, known->kind);
    } catch (const std::exception& error) {
        // A file the readers refuse (or one too large to hold) is described, not shown.
        return OpenPreview{{}, error.what()};
    }
}

ThumbnailRect thumbnailFit(int width, int height, int boxWidth, int boxHeight) {
    ThumbnailRect rect{std::max(boxWidth, 0), std::max(boxHeight, 0)};
    if (width <= 0 || height <= 0 || rect.right == 0 || rect.bottom == 0) return rect;
    const double rx = static_cast<double>(width) / rect.right;
    const double ry = static_cast<double>(height) / rect.bottom;
    // The shortened side is below the box's, so the rounded value fits an int.
    if (rx > ry) rect.bottom = static_cast<int>(std::nearbyint(rect.bottom * ry / rx));
    if (ry > rx) rect.right = static_cast<int>(std::nearbyint(rect.right * rx / ry));
    return rect;
}

}  // namespace kestrave
