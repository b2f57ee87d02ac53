#pragma once
// What the input dialog shows of a video or frame file while the user moves from file to file:
// the first frame and one line of facts (size, frame count, bit depth, value range).
//
// The file is read by readers of the preview's own, into buffers of its own: browsing in the
// dialog never changes the current input, its frame, its sizes or its readers' state.

#include <filesystem>
#include <optional>
#include <string>
#include <string_view>

#include "platform/bitmap24.h"

namespace kestrave {

struct OpenPreview {
    // The first frame as the readers show it; empty when the file could not be read.
    Bitmap24 picture;
    // "size:640x480 fr:1500 vidsY800", "Image :1024x768 16 bit", …; the reader's message when
    // the file could not be read.
    std::string text;
};

// The preview of `file` for the extension `ext` (without the dot, in any case): "avi", "fit",
// "fits", "fts", "tif", "png" or "ser". Any other extension gives no preview. Never throws for
// a bad file: the reader's message becomes the text.
std::optional<OpenPreview> probeOpenPreview(const std::filesystem::path& file, std::string_view ext);

// The part of a preview control of boxWidth x boxHeight that a frame of width x height is drawn
// into, from the control's top-left corner, keeping the frame's proportions:
// rx = width / boxWidth, ry = height / boxHeight; rx > ry shortens the height to
// Round(boxHeight x ry / rx), ry > rx the width to Round(boxWidth x rx / ry).
struct ThumbnailRect {
    int right = 0;
    int bottom = 0;
};
ThumbnailRect thumbnailFit(int width, int height, int boxWidth, int boxHeight);

}  // namespace kestrave
