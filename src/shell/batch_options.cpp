#include "shell/batch_options.h"

#include <algorithm>
#include <array>
#include <cctype>
#include <charconv>

#include "output/save_formats.h"
#include "output/save_rules.h"
#include "shell/command_line.h"

namespace kestrave {

namespace {

std::string lowered(std::string_view text) {
    std::string result(text);
    std::transform(result.begin(), result.end(), result.begin(),
                   [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
    return result;
}

std::string upperCaseName(std::string_view line) {
    std::string name(line.substr(0, 3));
    std::transform(name.begin(), name.end(), name.begin(),
                   [](unsigned char c) { return static_cast<char>(std::toupper(c)); });
    return name;
}

// A whole decimal integer with an optional sign; blanks around it are allowed.
int integerValue(const std::string& name, std::string_view value) {
    std::string_view digits = value;
    while (!digits.empty() && (digits.front() == ' ' || digits.front() == '\t')) digits.remove_prefix(1);
    while (!digits.empty() && (digits.back() == ' ' || digits.back() == '\t')) digits.remove_suffix(1);
    if (!digits.empty() && digits.front() == '+') digits.remove_prefix(1);
    int result = 0;
    const auto [end, error] = std::from_chars(digits.data(), digits.data() + digits.size(), result);
    if (digits.empty() || error != std::errc() || end != digits.data() + digits.size())
        throw BatchOptionError("Batch option " + name + ": '" + std::string(value) +
                               "' is not a valid integer");
    return result;
}

bool isInputFile(const std::filesystem::path& file, const std::vector<std::filesystem::path>& inputFiles) {
    try {
        refuseInputFile(file, inputFiles);
        return false;
    } catch (const FileError&) {
        return true;
    }
}

}  // namespace

BatchOptions parseBatchOptions(const BatchCommands& batch) {
    BatchOptions options;
    const int count = std::min(batch.BatchLineCount, static_cast<int>(batch.BatchLines.size()));
    if (count > 0) options.inputLine = batch.BatchLines.front();
    options.CommandFolder = batch.CommandFolder;
    for (int i = 1; i < count; ++i) {
        const std::string& line = batch.BatchLines[static_cast<std::size_t>(i)];
        const std::string name = upperCaseName(line);
        const std::string value = line.size() > 3 ? line.substr(3) : std::string();
        if (name == "-XP")
            options.FeatureX = integerValue(name, value);
        else if (name == "-YP")
            options.FeatureY = integerValue(name, value);
        else if (name == "-NF")
            options.FrameLimit = integerValue(name, value);
        else if (name == "-BF")
            options.FirstFrame = integerValue(name, value);
        else if (name == "-EF")
            options.LastFrame = integerValue(name, value);
        else if (name == "-CR") {
            options.Refframes = integerValue(name, value);
            options.CreateReference = true;
        } else if (name == "-FW")
            options.SeamWidth = integerValue(name, value);
        else if (name == "-MA")
            options.PointsFile = value;
        else if (name == "-DI")
            options.InputFolder = value;
        else if (name == "-WS")
            options.WaveletScheme = value;
        else if (name == "-AS")
            options.SaveType = value;
        else if (name == "-EX")
            options.ExitAfterRun = true;
    }
    return options;
}

bool batchAsksToExit(const BatchCommands& batch) {
    const int count = std::min(batch.BatchLineCount, static_cast<int>(batch.BatchLines.size()));
    for (int i = 1; i < count; ++i)
        if (upperCaseName(batch.BatchLines[static_cast<std::size_t>(i)]) == "-EX") return true;
    return false;
}

std::string batchInputFile(const BatchOptions& options) {
    if (!options.InputFolder || options.InputFolder->empty()) {
        if (options.CommandFolder.empty() || options.inputLine.empty() ||
            std::filesystem::path(options.inputLine).is_absolute())
            return options.inputLine;
        return (options.CommandFolder / options.inputLine).lexically_normal().string();
    }
    const std::string& folder = *options.InputFolder;
    return folder.back() == '/' ? folder + options.inputLine : folder + "/" + options.inputLine;
}

std::filesystem::path batchSchemeFile(const std::string& scheme, const std::filesystem::path& programDir) {
    const std::filesystem::path file(scheme);
    return file.is_absolute() ? file : programDir / file;
}

int batchSaveFilterIndex(std::string_view saveType, int current) {
    const std::string type = lowered(saveType);
    if (type.empty()) return 1;
    const std::span<const SaveFilter> filters = WaveletSaveFilters;
    const auto found = std::find_if(filters.begin(), filters.end(),
                                    [&](const SaveFilter& filter) { return lowered(filter.key) == type; });
    return found == filters.end() ? current : static_cast<int>(found - filters.begin()) + 1;
}

BatchFeature placeBatchFeature(int x, int y, int width, int height, int box) {
    BatchFeature feature{x, y, false};
    if (x == 0 || y == 0) {
        feature.x = width / 2;
        feature.y = height / 2;
    }
    const auto keepInside = [box](int value, int side) {
        const int low = box / 2;
        const int high = side - 1 - box / 2;
        return high < low ? side / 2 : std::clamp(value, low, high);
    };
    const int insideX = keepInside(feature.x, width);
    const int insideY = keepInside(feature.y, height);
    feature.moved = insideX != feature.x || insideY != feature.y;
    feature.x = insideX;
    feature.y = insideY;
    return feature;
}

std::filesystem::path batchSaveName(const std::filesystem::path& inputFile, int filterIndex,
                                    const std::vector<std::filesystem::path>& inputFiles) {
    const std::vector<std::filesystem::path> outputs =
        savedFileNames(saveFormatAt<SaveFilter>(WaveletSaveFilters, filterIndex), inputFile);
    if (std::none_of(outputs.begin(), outputs.end(),
                     [&](const std::filesystem::path& output) { return isInputFile(output, inputFiles); }))
        return inputFile;
    const std::string name = inputFile.filename().string();
    const std::string stem = stripExtension(name);
    return inputFile.parent_path() / (stem + "_result" + name.substr(stem.size()));
}

}  // namespace kestrave
