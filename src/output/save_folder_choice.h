#pragma once
// Where the user chose to save images: a folder, or a subfolder of it by name.

#include <filesystem>
#include <string>

namespace kestrave {

struct SaveFolderChoice {
    std::filesystem::path directory;
    // Savesubcontrol: files go into the subfolder `subdirname` of `directory`.
    bool savesubcontrol = false;
    std::string subdirname;
};

}  // namespace kestrave
