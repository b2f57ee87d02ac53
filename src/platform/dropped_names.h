#pragma once
// The names a drop of files from the desktop yields: the dropped files, and the dropped folders
// with their content as the options say. Plain file-system work, shared by the window's drop
// target.

#include <string>
#include <vector>

namespace kestrave {

struct DropFileOptions {
    bool dfoIncFolders = true;
    bool dfoIncFiles = true;
    bool dfoRecurseFolders = false;
};

// The names a drop of `names` yields: a folder when folders are included, its content by the
// same rule (depth first, in name order) when recursing, a file when files are included. A folder
// reached a second time (through a link) is skipped, so a link loop ends.
std::vector<std::string> expandDroppedNames(const std::vector<std::string>& names,
                                            const DropFileOptions& options);

}  // namespace kestrave
