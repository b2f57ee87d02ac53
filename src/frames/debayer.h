#pragma once
// Debayering: a colour camera's raw frame holds one colour sample per pixel in a repeating 2 × 2
// Bayer cell. Debayer turns such a mosaic, drawn grey into the frame bitmap by the AVI or SER
// reader, into a colour frame in that same bitmap: a green pass fills green at every red and blue
// site by a gradient-corrected interpolation, a colour pass fills red and blue at every site from
// colour differences against green. A raw dark frame can be subtracted from the mosaic first.
//
// 8-bit only: 16-bit mosaics are reduced to 8 bits by the readers before they come here (the
// 16-bit image's 8-bit view can be passed, its 16-bit samples are left alone).

#include "frames/debayer_options.h"
#include "frames/image_data_section.h"
#include "platform/bitmap24.h"

namespace kestrave {

// Turns the mosaic in `frame` into colour, in place.
//
// Geometry, with W × H the frame size, K = (W - 4) / 2 and the pattern's row shift (1 for BG and
// GB) and column shift (1 for RG and GB): the passes visit rows r = y + row shift for
// y = 2 .. H - 4 and, in each, pixel pairs (c, c + 1) with c = 2x + column shift, x = 1 .. K.
// The colour frame (2K × (H - 4) pixels) lands in the top-left corner, moved up and left by two
// pixels; the rest of the frame keeps the (dark-subtracted) mosaic. Near the edges of the
// visited area the colours read green of 0 from outside it, and with a row or column shift the
// first output row or column stays black.
//
// With options.Rawdark each byte first becomes Round(byte - dark / 128) clamped to 0..255, dark
// being the cell [x][y] of DarkPlanes red, green or blue for the red, green or blue byte; pixels
// outside a (smaller) dark plane count a dark of 0.
//
// Throws std::bad_alloc, leaving the frame as it was, when the work bitmap (the frame's size)
// cannot be allocated.
void Debayer(Bitmap24& frame, const DebayerOptions& options, const PlaneTriple& DarkPlanes);

}  // namespace kestrave
