#pragma once
// Wavelet scheme files (".kwv"): the settings of the "Wavelets" page that a user keeps under a
// name and the batch runner applies by name. INI text with integer values and Booleans as 0/1:
//
//   [scheme]    itemindex (0 "Dyadic (2^n)", 1 "Linear"), initial (Round(LevelStep)),
//               step (Round(Multiplicant))
//   [method]    itemindex (0 "Default", 1 "Gaussian")
//   [checkbox]  layer1..layer6, the layer check boxes
//   [slider]    layer1..layer6, the layer slider positions (-50..1000, weight = value × 0.1)
//   [Gauss]     layer1..layer6, Round(Gaussian width × 100)
//
// Also the helpers that the page's two small files (schemes and user filter kernels) share.

#include <array>
#include <filesystem>
#include <string>

#include "enhance/scheme_types.h"
#include "enhance/wavelet_filter.h"
#include "platform/errors.h"

namespace kestrave {

// Writes the scheme into a new file that replaces `path` only once it is complete (an existing
// file is overwritten whole, whatever it held). Throws FileError when it cannot be written; the
// old file then stays as it was.
void saveWaveletScheme(const std::filesystem::path& path, const WaveletScheme& scheme);

// Reads a scheme. A key that is missing (or not a number) takes its default: Dyadic, Default
// filter, layers off, LevelStep 1, Multiplicant 0, sliders 10, widths 0.10; values outside the
// controls' ranges are clamped into them. A file that does not exist, cannot be read or holds
// none of the scheme's sections throws WaveletFileError: reading it as all defaults would
// silently switch every layer off.
WaveletScheme loadWaveletScheme(const std::filesystem::path& path);

// ---- shared by the page's files ----

// Checks that `path` names an existing, plausibly sized regular file before it is read; `kind`
// names the file in the messages ("Wavelet scheme file", "Filter file").
void checkPageFile(const std::filesystem::path& path, const std::string& kind);
// The message for a file that holds none of the expected content.
std::string notAPageFileMessage(const std::filesystem::path& path, const std::string& kind);

}  // namespace kestrave
