#pragma once
// The parts of loading a project that decide rather than do: which files make its input, what
// the window must replay to bring the work back to the stage the project reached, which pages
// may then be opened; and the move of a video that the older form's save renames after its
// project.
//
// A load runs in this order, so that a refused project changes nothing:
//   readProject                  the file, checked (project_file.h)
//   projectInputPlan             the input's files, found again where the project moved to
//   missingInputText, probeInput the input is there and readable
//   checkProjectFitsInput        the project fits that input (project_model.h)
//   per-input reset, applyInput  the input becomes the current one
//   restore the "Form" values, applyProject, then the steps of planReplay in order
//   loadedPages                  the pages that may be opened and the one shown

#include <filesystem>
#include <optional>
#include <string>
#include <vector>

#include "frames/input_selection.h"
#include "frames/program_state.h"
#include "output/project_data.h"
#include "output/project_values.h"

namespace kestrave {

// The files of the project's input. A folder or video that no longer exists where the project
// says is looked for by its file name in the project file's folder (projects moved with their
// frames, or written on another system). Throws ProjectError for a SER project that names no
// video.
InputPlan projectInputPlan(const ProjectData& project, const std::filesystem::path& projectFile);

// The "Missing file" text for the first file of the plan that does not exist ("Error : Avifile …
// missing, project not loaded", "Error : Bitmapfile …"); empty when every file is there.
std::string missingInputText(const InputPlan& plan);

// Moves a file, also across file systems (copy, then delete the original). Never replaces a
// file: throws FileError when `to` exists or the move fails, and then leaves `from` in place.
void moveFile(const std::filesystem::path& from, const std::filesystem::path& to);

}  // namespace kestrave
