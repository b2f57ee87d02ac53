#pragma once
// What every read of the input's frame sources follows.

#include "frames/debayer_options.h"
#include "frames/plane.h"

namespace kestrave {

// What every read of a source follows.
struct FrameSourceOptions {
    // DebayerEnabled: frames of colour-sensor video (SER, AVI) are turned into colour.
    bool DebayerEnabled = false;
    DebayerOptions debayer;
    // The dark frame a raw-dark debayer subtracts (debayer.Rawdark); must outlive the source.
    const PlaneTriple* DarkPlanes = nullptr;
    // Intensity levels of TIFF frames are stretched.
    bool TifStretch = false;
};

}  // namespace kestrave
