#include "shell/startup_rules.h"

#include <sys/statvfs.h>

#include <algorithm>
#include <charconv>
#include <set>
#include <utility>

#include "frames/input_reset_options.h"
#include "frames/process_area.h"
#include "output/save_formats.h"
#include "persist/reg_settings.h"

namespace kestrave {

namespace {

// A remembered folder that was never stored reads as this.
constexpr std::string_view NoFolder = "nonex";
// A remembered file type that was never stored reads as this.
constexpr std::string_view NoType = "none";

struct FileTypeKey {
    std::string_view key;
    std::string_view writtenBack;
    std::vector<std::pair<std::string_view, int>> filterIndexes;
    int FilesSettings::*target;
};

const std::vector<FileTypeKey>& fileTypeKeys() {
    static const std::vector<FileTypeKey> keys{
        {"Lasttype",
         "AVI",
         {{"AVI", 1}, {"BMP", 2}, {"FIT", 3}, {"JPG", 4}, {"TIF", 5}, {"PNG", 6}, {"SER", 7}},
         &FilesSettings::Lasttype},
        {"Laststacksavetype", stackSaveFormats().front().filter.key, filterIndexesOfKeys(stackSaveFormats()),
         &FilesSettings::Laststacksavetype},
        {"Lastwaveletsavetype", waveletSaveFormats().front().filter.key,
         filterIndexesOfKeys(waveletSaveFormats()), &FilesSettings::Lastwaveletsavetype},
        {"LastDarkFlattype",
         "BMP",
         {{"BMP", 1}, {"FTR", 2}, {"FIT", 3}, {"PNG", 4}},
         &FilesSettings::LastDarkFlattype},
        {"LastResizetype", resizeSaveFormats().front().filter.key, filterIndexesOfKeys(resizeSaveFormats()),
         &FilesSettings::LastResizetype},
    };
    return keys;
}

std::optional<int> parseInteger(std::string_view text) {
    const std::size_t first = text.find_first_not_of(' ');
    const std::size_t last = text.find_last_not_of(' ');
    if (first == std::string_view::npos) return std::nullopt;
    text = text.substr(first, last - first + 1);
    int value = 0;
    const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value);
    if (error != std::errc() || end != text.data() + text.size()) return std::nullopt;
    return value;
}

template <std::size_t N>
int itemOf(const std::array<const char*, N>& items, std::string_view text) {
    const auto found = std::find(items.begin(), items.end(), text);
    return found == items.end() ? -1 : static_cast<int>(found - items.begin());
}

}  // namespace

FilesSettings readFilesSettings(RegSettings& settings, const std::filesystem::path& listFolder) {
    FilesSettings result;
    // The keys missing from the store get their defaults, all with one write of the file.
    std::vector<std::pair<std::string, std::string>> missing;
    const auto writeBack = [&](std::string_view key, const std::string& value) {
        missing.emplace_back(std::string(key), value);
    };

    const std::string dir = settings.ReadString(kRegFilesSection, "Dir", NoFolder);
    std::error_code error;
    if (dir == NoFolder)
        writeBack("Dir", listFolder.string());
    else if (std::filesystem::is_directory(dir, error))
        result.directory = dir;
    else
        result.missingDirectory = dir;

    for (const FileTypeKey& type : fileTypeKeys()) {
        const std::string value = settings.ReadString(kRegFilesSection, type.key, NoType);
        if (value == NoType) {
            writeBack(type.key, std::string(type.writtenBack));
            continue;
        }
        for (const auto& [name, index] : type.filterIndexes) {
            if (value == name) result.*type.target = index;
        }
    }

    const std::string saveDir = settings.ReadString(kRegFilesSection, "SaveDir", NoFolder);
    if (saveDir == NoFolder)
        writeBack("SaveDir", result.directory.value_or(listFolder).string());
    else
        result.saveDirectory = saveDir;
    if (!missing.empty() && !settings.WriteStrings(kRegFilesSection, missing))
        result.writeError = settings.lastError();
    return result;
}

std::optional<WindowRect> normalWindowRect(std::string_view showCmd, std::string_view normPos,
                                           int screenWidth, int screenHeight) {
    if (showCmd == "0" || showCmd == "3" || normPos == "0") return std::nullopt;
    std::vector<std::string_view> words;
    for (std::size_t start = 0;;) {
        const std::size_t comma = normPos.find(',', start);
        words.push_back(normPos.substr(start, comma == std::string_view::npos ? comma : comma - start));
        if (comma == std::string_view::npos) break;
        start = comma + 1;
    }
    if (words.size() != 4) return std::nullopt;
    std::array<int, 4> edges{};
    for (std::size_t i = 0; i < edges.size(); ++i) {
        const std::optional<int> edge = parseInteger(words[i]);
        if (!edge) return std::nullopt;
        edges[i] = *edge;
    }
    // The rectangle clipped to the screen, in 64 bits: stored edges may be any integers.
    const long long left = std::max(edges[0], 0);
    const long long top = std::max(edges[1], 0);
    const long long right = std::min(edges[2], screenWidth);
    const long long bottom = std::min(edges[3], screenHeight);
    if (edges[0] >= screenWidth || edges[1] >= screenHeight || right <= left || bottom <= top)
        return std::nullopt;
    return WindowRect{static_cast<int>(left), static_cast<int>(top), static_cast<int>(right - left),
                      static_cast<int>(bottom - top)};
}

std::vector<std::string> processAreaItems() {
    std::vector<std::string> items;
    for (int item = 0; processAreaSizeForItem(item) != 0; ++item)
        items.push_back(std::to_string(processAreaSizeForItem(item)));
    return items;
}

int processAreaItemForText(std::string_view text) {
    const std::vector<std::string> items = processAreaItems();
    const auto found = std::find(items.begin(), items.end(), text);
    return found == items.end() ? -1 : static_cast<int>(found - items.begin());
}

int resampleMethodItemForText(std::string_view text) {
    return itemOf(ResampleMethodItems, text);
}

AlignmentBox startupAlignmentBox(int fftSizeItem) {
    const int size = fftSizeForItem(std::max(fftSizeItem, 0));
    return {size, 176 - size / 2, 144 - size / 2};
}

std::vector<std::string> languageFileItems(const std::vector<std::filesystem::path>& folders) {
    std::set<std::string> names;
    for (const std::filesystem::path& folder : folders) {
        std::error_code error;
        for (std::filesystem::directory_iterator it(folder, error), end; !error && it != end;
             it.increment(error)) {
            const std::string name = it->path().filename().string();
            if (name.size() == 11 && name.starts_with("lang_") && name.ends_with(".txt"))
                names.insert(name.substr(0, 7));
        }
    }
    return {names.begin(), names.end()};
}

double GetSystemVolumeSerial() {
    struct statvfs volume {};
    if (::statvfs("/", &volume) != 0) return 0.0;
    return static_cast<double>(volume.f_fsid);
}

}  // namespace kestrave
