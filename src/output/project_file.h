#pragma once
// Writing and reading project files (project_data.h gives the layout).
//
// Numbers are written with "." whatever the locale and read with "." or ",". A float is written
// as the shortest text of up to 15 significant digits, in exponent form ("1E15", "1.5E-6") only
// when it is that large or that small.

#include <filesystem>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "output/project_data.h"
#include "output/project_values.h"
#include "persist/big_ini_file.h"
#include "platform/progress_port.h"

namespace kestrave {

// The largest project file read: 10001 frames of 99 points take some 60 MB.
inline constexpr std::uintmax_t MaxProjectBytes = 512u << 20;

std::string projectFloatText(double value);
// A float written by any locale: an optional sign, digits with "." or "," and an optional
// exponent, blanks around it allowed. None for anything else and for values that do not fit a
// float (infinities, NaN).
std::optional<float> parseProjectFloat(std::string_view text);

// The project's INI content, in the order of the layout: every point's shifts, then every
// point's qualities. The status panels name each part as it is written ("Writing projectfile",
// "-X,Y shifts ", "-Difference, Quality ", "-Interlace info ", " Ranking ", then " ").
void fillProjectIni(const ProjectData& project, TBigIniFile& ini, ProgressPort& progress);
void fillProjectIni(const ProjectData& project, TBigIniFile& ini);
// Writes the project as a new file that replaces `path` only once it is complete, so a failed
// save leaves an older project as it was, and a save over a project keeps none of its keys.
// Throws FileError when it cannot be written.
void writeProject(const std::filesystem::path& path, const ProjectData& project, ProgressPort& progress);
void writeProject(const std::filesystem::path& path, const ProjectData& project);

// Builds the project from INI content. Missing keys take their defaults (D and Q 0, Rank 1,
// usedframes 1, …); values outside their ranges are clipped and named in `problems`. Throws
// ProjectError, building nothing, for content that is no project or that names more frames,
// points or video files than the program holds.
ProjectRead parseProject(const TBigIniFile& ini);
// The same for a file; throws FileError (or ProjectError) when it is missing, not a regular
// file, larger than MaxProjectBytes or cannot be read.
ProjectRead readProject(const std::filesystem::path& path);

}  // namespace kestrave
