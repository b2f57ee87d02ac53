#include "output/save_rules.h"

#include <system_error>

#include "output/save_formats.h"
#include "platform/errors.h"
#include "platform/safe_file.h"

namespace kestrave {

namespace fs = std::filesystem;

fs::path saveFolder(const fs::path& directory, bool savesubcontrol, std::string_view subdirname) {
    if (!savesubcontrol) return directory;
    fs::path folder = directory / fs::path(subdirname);
    std::error_code ec;
    if (!fs::is_directory(folder, ec)) {
        fs::create_directories(folder, ec);
        if (ec || !fs::is_directory(folder)) {
            throw FileError("Cannot create folder " + folder.string() +
                            (ec ? ": " + ec.message() : std::string(": a file of that name exists")));
        }
    }
    return folder;
}

std::string stripExtension(std::string_view fileName) {
    const std::size_t dot = fileName.rfind('.');
    if (dot == std::string_view::npos || dot == 0) return std::string(fileName);
    return std::string(fileName.substr(0, dot));
}

std::string chosenBaseName(const fs::path& chosenFile) {
    std::string name = chosenFile.filename().string();
    if (name.empty() || name.front() == '.') name = "default";
    return name;
}

fs::path outputFileName(const fs::path& chosenFile, std::string_view extension) {
    return chosenFile.parent_path() / (stripExtension(chosenBaseName(chosenFile)) + std::string(extension));
}

std::vector<fs::path> savedFileNames(const SaveFilter& filter, const fs::path& chosenFile) {
    std::vector<fs::path> files{outputFileName(chosenFile, filter.extension)};
    if (filter.fits) {
        for (const char* suffix : {"_R.fit", "_G.fit", "_B.fit", ".fitk"}) {
            fs::path base = outputFileName(chosenFile, "");
            files.push_back(base += suffix);
        }
    }
    return files;
}

void writeFileBytes(const fs::path& target, const std::vector<std::uint8_t>& bytes) {
    writeFileAtomically(target, std::string_view(reinterpret_cast<const char*>(bytes.data()), bytes.size()));
}

namespace {

// The absolute path with links in its existing part resolved.
fs::path spelledOut(const fs::path& path) {
    std::error_code ec;
    fs::path absolute = fs::absolute(path, ec);
    if (ec) absolute = path;
    fs::path canonical = fs::weakly_canonical(absolute, ec);
    return ec ? absolute.lexically_normal() : canonical;
}

bool sameFile(const fs::path& a, const fs::path& b) {
    std::error_code ec;
    const bool equivalent = fs::equivalent(a, b, ec);
    if (!ec) return equivalent;
    // One of them does not exist (yet): compare the spelled-out paths.
    return spelledOut(a) == spelledOut(b);
}

}  // namespace

void refuseInputFile(const fs::path& target, const std::vector<fs::path>& inputFiles) {
    for (const fs::path& input : inputFiles) {
        if (!input.empty() && sameFile(target, input)) {
            throw FileError("Cannot write file " + target.string() +
                            ": it is a file of the current input and is never overwritten");
        }
    }
}

bool confirmOverwrite(const fs::path& target, const std::string& text, SaveContext& context) {
    std::error_code ec;
    if (!fs::exists(target, ec) || context.batchMode) return true;
    return context.messages.ask(mtWarning, "File exists", text, mbYesNo, mrYes) == mrYes;
}

}  // namespace kestrave
