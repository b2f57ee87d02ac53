#pragma once
// The resize view's core: the picture scaled by one of the ratios through one of four resampling
// filters of Stretch, and the size of the view's window. (The scaled picture is saved by
// saveResizedImage, with the other savers.)

#include <array>
#include <string_view>

#include "frames/stretch.h"
#include "output/resize_options.h"
#include "platform/bitmap24.h"

namespace kestrave {

// The filter of a ResizeFilters item (an item outside the list takes the nearest one).
const ResampleFilter& resizeFilter(int filterItem);

// The picture scaled by the ratio with the filter; an empty picture gives an empty one.
Bitmap24 resizePicture(const Bitmap24& picture, int ratioItem, int filterItem);

}  // namespace kestrave
