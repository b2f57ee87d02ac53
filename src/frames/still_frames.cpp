#include "frames/still_frames.h"

#include <optional>
#include <utility>

#include "platform/zeroed_allocator.h"

namespace kestrave {

void checkPictureSize(std::int64_t width, std::int64_t height, const std::filesystem::path& file) {
    if (width < 1 || height < 1 || width > MaxPictureSide || height > MaxPictureSide ||
        width * height > MaxPicturePixels) {
        throw FileError("Picture size " + std::to_string(width) + " x " + std::to_string(height) + " of " +
                        displayName(file) + " is not supported");
    }
}

void sizeRawFrame(T2dArrays& plane, Bitmap24& preview, int width, int height) {
    sizeRawFrame(&plane, &preview, width, height);
}

void sizeRawFrame(T2dArrays* plane, Bitmap24* preview, int width, int height, LevelBitmap* levels) {
    std::optional<T2dArrays> freshPlane;
    std::optional<Bitmap24> freshPreview;
    std::optional<LevelBitmap> freshLevels;
    if (plane && (plane->xCount() != width || plane->yCount() != height)) {
        freshPlane.emplace(height, width);
        // The plane is filled row by row, so every thread that fills it would touch every page
        // of it: its pages are given memory first, each thread a run of its own.
        touchZeroedPages(freshPlane->data(), freshPlane->cellCount() * sizeof(float));
    }
    if (preview && (preview->width() != width || preview->height() != height))
        freshPreview.emplace(width, height);
    if (levels && (levels->width() != width || levels->height() != height))
        freshLevels.emplace().resize(width, height);
    if (freshPlane) *plane = std::move(*freshPlane);
    if (freshPreview) *preview = std::move(*freshPreview);
    if (freshLevels) *levels = std::move(*freshLevels);
}

std::string displayName(const std::filesystem::path& file) {
    return file.filename().string();
}

}  // namespace kestrave
