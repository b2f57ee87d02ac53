#pragma once
// What a SER or FITS read promises of the frame it leaves.

#include "frames/frame_model.h"
#include "frames/plane.h"
#include "frames/still_frames.h"
#include "fuzz_support.h"

namespace kestrave::fuzz {

// The size taken is the file's, clamped to MaxFrameSize, and the raw plane and the preview have it.
inline void checkRawFrame(const ReadFrameSize& size, const T2dArrays& plane, const Bitmap24& preview) {
    FUZZ_CHECK(size.width >= 1 && size.width <= MaxFrameSize && size.width <= size.fileWidth);
    FUZZ_CHECK(size.height >= 1 && size.height <= MaxFrameSize && size.height <= size.fileHeight);
    FUZZ_CHECK(plane.xCount() == size.width && plane.yCount() == size.height);
    FUZZ_CHECK(preview.width() == size.width && preview.height() == size.height);
}

}  // namespace kestrave::fuzz
