#pragma once
// The options on the Align page that other areas read before their own steps: how frames are read
// now (the debayer switch and pattern, the dark frame, the TIFF stretch), the options of the
// reference and the automatic processing. Each reads the page and the run and changes neither;
// the input's and the alignment's controllers read them the same way.

#include "frames/frame_source_options.h"
#include "registration/quality_method.h"
#include "registration/reference_options.h"

namespace kestrave {

class AlignPage;
class Pipeline;

// The quality method chosen, with its filter values, and the box's level corrections.
QualityMethodChoice qualityMethodChoice(const AlignPage& alignPage);
BoxLevelOptions boxLevelOptions(const AlignPage& alignPage);
FrameSourceOptions readSourceOptions(const AlignPage& alignPage, const Pipeline& pipeline);
ReferenceOptions readReferenceOptions(const AlignPage& alignPage, const Pipeline& pipeline);
// "Automatic processing" is ticked: the alignment, the point setup and the point optimizer go on
// to the next steps by themselves, and a loaded wavelet scheme leaves its processing to them. An
// unattended run takes its steps from its command line alone, so there the box counts as off.
bool automaticProcessing(const AlignPage& alignPage, const Pipeline& pipeline);

}  // namespace kestrave
