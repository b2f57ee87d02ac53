#include "shell/command_line.h"

#include <algorithm>
#include <cctype>
#include <fstream>

#include "platform/errors.h"

namespace kestrave {

namespace {

std::string lowerCaseExtension(const std::string& argument) {
    std::string extension = std::filesystem::path(argument).extension().string();
    std::transform(extension.begin(), extension.end(), extension.begin(),
                   [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
    return extension;
}

}  // namespace

CommandLineKind classifyCommandLine(const std::vector<std::string>& arguments) {
    if (arguments.empty()) return CommandLineKind::NoArguments;
    if (arguments.size() == 1) {
        const std::string extension = lowerCaseExtension(arguments.front());
        if (extension == ".ksp") return CommandLineKind::ProjectFile;
        if (extension == ".kfl") return CommandLineKind::FrameList;
        if (extension == ".kco") return CommandLineKind::CommandFile;
    }
    return CommandLineKind::BatchRun;
}

BatchCommands batchCommandsFromArguments(const std::vector<std::string>& arguments) {
    return {arguments, static_cast<int>(arguments.size()), !arguments.empty()};
}

std::string_view stripLineEnd(std::string_view line) {
    const std::size_t end = line.find_last_not_of(" \t\r");
    return end == std::string_view::npos ? std::string_view() : line.substr(0, end + 1);
}

std::vector<std::string> readCommandFile(const std::filesystem::path& path) {
    std::error_code error;
    if (!std::filesystem::exists(path, error))
        throw FileError("Command file " + path.string() + " not found");
    std::ifstream in;
    if (std::filesystem::is_regular_file(path, error)) in.open(path, std::ios::binary);
    if (!in.is_open()) throw FileError("Command file " + path.string() + " could not be read");

    std::vector<std::string> lines;
    std::string line;
    while (static_cast<int>(lines.size()) < MaxCommandFileLines && std::getline(in, line)) {
        std::string_view text = line;
        if (lines.empty() && text.starts_with("\xEF\xBB\xBF")) text.remove_prefix(3);
        lines.emplace_back(stripLineEnd(text));
    }
    if (in.bad()) throw FileError("Command file " + path.string() + " could not be read");
    return lines;
}

BatchCommands batchCommandsFromFile(std::vector<std::string> lines, std::filesystem::path folder) {
    // The count is one more than the lines read: the last line in use is empty and names no option.
    lines.emplace_back();
    const int count = static_cast<int>(lines.size());
    return {std::move(lines), count, true, std::move(folder)};
}

}  // namespace kestrave
