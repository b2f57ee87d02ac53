#pragma once
// The program directory: where every file the program writes for itself lives.

#include <filesystem>
#include <vector>

namespace kestrave {

// $KESTRAVE_HOME when set and not empty, else $XDG_CONFIG_HOME/kestrave, else
// ~/.config/kestrave. The folder is created on first use.
std::filesystem::path ProgramDir();

// Where a read-only resource is looked up, in order: the program directory, the folder of the
// executable, then the install's share/kestrave.
std::vector<std::filesystem::path> resourceDirs();
// The first existing file of that name in resourceDirs(); empty when there is none.
std::filesystem::path findResource(const std::filesystem::path& name);

}  // namespace kestrave
