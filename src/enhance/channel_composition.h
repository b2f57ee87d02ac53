#pragma once
// Composing the working image from the stack: the red and blue planes displaced by whole pixels
// (set by hand or found by a least-squares search), or, for LRGB work, the luminance built from
// the shifted colour planes or taken from the separate luminance plane. Also the small rules of
// the colour-balance, mix and luminance-formula controls and the wavelet page's pixel readout.

#include <array>
#include <optional>
#include <string>

#include "enhance/composition_types.h"
#include "enhance/wavelet_decomposition.h"
#include "enhance/wavelet_options.h"
#include "frames/image_data_section.h"
#include "frames/program_state.h"
#include "platform/progress_port.h"

namespace kestrave {

// Fills WorkPlanes from StackPlanes (and LumPlane) for a working image of ImageWidth × ImageHeight:
// - monochrome: green copied over 0..W × 0..H, both inclusive (the first margin column and row
//   too);
// - colour: green copied; red (x, y) = stack red (x + RedShiftX, y + RedShiftY) and blue likewise
//   with the blue shifts; a source point outside the image gives 0 (never a stale value);
// - LRGB: only green, the luminance: LumPlane with Lumichannel, else the LRGBWeights mix of stack
//   green and the shifted stack red and blue, a shifted term counting only inside the image.
// Throws WaveletError when a plane it touches is too small.
void ApplyRGBShift(ImageDataSection& section, int ImageWidth, int ImageHeight, const ProgramState& state,
                   const WaveletProcessOptions& options);
// The same composition over a region of the image only (inclusive corners, clipped to the
// image): what one tile of whole-image processing reads.
void ApplyRGBShift(ImageDataSection& section, int ImageWidth, int ImageHeight, const ProgramState& state,
                   const WaveletProcessOptions& options, const WaveletArea& region);

// The colour shifts the spins say (see ShiftSpins), and the spins that show the shifts in force.
void setShiftsFromSpins(ProgramState& state, const ShiftSpins& spins);
ShiftSpins spinsForShifts(const ProgramState& state);

// The automatic search: for red and then blue against green, over dx, dy = -30..30, the candidate
// with the smallest E = Σ (stack green - stack colour shifted)² over the box (single precision);
// ties keep the earlier candidate in the order dx, then dy, starting from (0, 0). Writes the four
// shifts into state and returns the spin values to show. Status panel 2 reads "Search Red " and
// "Search Blue "; the progress bar runs 0..60, one step per dx.
ShiftSpins RGBShifter(const ImageDataSection& section, int ImageWidth, int ImageHeight, const SearchBox& box,
                      ProgramState& state, ProgressPort& progress);

// "Move Area": the processing area centred on the feature, its corner at least 0 and the area
// kept inside the image.
void moveProcessAreaToFeature(ImageDataSection& section, int FeatureX, int FeatureY);

// The status text for the pointer at image pixel (x, y): "pixel x:" x " y:" y " stacksize: " weight
// " R: " r " G: " g " B: " b, the numbers with one decimal; nothing outside StackWeightPlane.
std::optional<std::string> pixelReadout(const ImageDataSection& section, int x, int y);

}  // namespace kestrave
