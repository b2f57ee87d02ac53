#include "platform/dropped_names.h"

#include <algorithm>
#include <filesystem>
#include <set>

namespace kestrave {

namespace {

namespace fs = std::filesystem;

void addDropped(const fs::path& name, const DropFileOptions& options, std::set<fs::path>& folders,
                std::vector<std::string>& out) {
    std::error_code error;
    if (!fs::is_directory(name, error)) {
        if (options.dfoIncFiles) out.push_back(name.string());
        return;
    }
    const fs::path canonical = fs::canonical(name, error);
    if (error || !folders.insert(canonical).second) return;
    if (options.dfoIncFolders) out.push_back(name.string());
    if (!options.dfoRecurseFolders) return;
    std::vector<fs::path> content;
    for (fs::directory_iterator it(name, error), end; !error && it != end; it.increment(error))
        content.push_back(it->path());
    std::sort(content.begin(), content.end());
    for (const fs::path& entry : content) addDropped(entry, options, folders, out);
}

}  // namespace

std::vector<std::string> expandDroppedNames(const std::vector<std::string>& names,
                                            const DropFileOptions& options) {
    std::vector<std::string> out;
    std::set<fs::path> folders;
    for (const std::string& name : names) addDropped(name, options, folders, out);
    return out;
}

}  // namespace kestrave
