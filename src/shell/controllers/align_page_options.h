#pragma once
// The options on the Align page that other areas read before their own steps: how frames are read
// now (the debayer switch and pattern, the dark frame, the TIFF stretch) and the options of the
// reference. Each reads the page and the run and changes neither; the input's and the
// alignment's controllers read them the same way.

#include "frames/frame_source_options.h"
#include "registration/reference_options.h"

namespace kestrave {

class AlignPage;
class Pipeline;

FrameSourceOptions readSourceOptions(const AlignPage& alignPage, const Pipeline& pipeline);
ReferenceOptions readReferenceOptions(const AlignPage& alignPage, const Pipeline& pipeline);

}  // namespace kestrave
