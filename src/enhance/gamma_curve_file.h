#pragma once
// Gamma curve files (".kgs"): plain text, one decimal integer per line: the number of points N,
// then for each point its x and then its y (graph pixels, 0..255). Written with CRLF line ends;
// read with CRLF or LF.

#include <filesystem>
#include <string>
#include <string_view>
#include <vector>

#include "enhance/bspline.h"

namespace kestrave {

// The whole text parsed before anything changes: a count below 2 or above the most a curve holds,
// a line that is not a whole number, or fewer lines than the count asks for throws
// WaveletFileError naming the file and the line. Coordinates are clamped into 0..255.
std::vector<SplinePoint> parseGammaCurve(std::string_view text, const std::string& fileName);
std::vector<SplinePoint> loadGammaCurve(const std::filesystem::path& path);

// N, then Round(x) and Round(y) of each point, each line ending in CRLF.
std::string formatGammaCurve(const TBSpline& spline);
// Writes into a new file that replaces `path` only once it is complete; throws FileError.
void saveGammaCurve(const std::filesystem::path& path, const TBSpline& spline);

}  // namespace kestrave
