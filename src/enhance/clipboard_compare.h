#pragma once
// The difference display of the wavelet page's compare tools: the processed view against a copy
// kept aside.

#include "platform/bitmap24.h"

namespace kestrave {

// For every pixel inside the image (imageWidth x imageHeight) with d = green byte of `preview`
// minus green byte of `copy`: d > 0 turns the pixel green (blue 0, green min(10d, 255), red 0),
// d < 0 red (blue 0, green 0, red min(-10d, 255)), d = 0 keeps it. A brightening thus shows
// green, a darkening red, ten times magnified. Only the part of the image that both bitmaps
// cover is compared: a copy taken before the image changed size leaves the rest as it was.
void diffGreen(Bitmap24& preview, const Bitmap24& copy, int imageWidth, int imageHeight);

}  // namespace kestrave
