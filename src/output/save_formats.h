#pragma once
// The save dialogs' tables. Each dialog lists one row per file type, in the table's order: the
// filter's caption and pattern, the key the choice is remembered by (the batch option "-AS"
// names the wavelet types by it), the extension of the file written, and the function that
// writes it. A new type is a row (the wavelet dialog's below, the others' in image_savers.cpp)
// and its function in image_savers.cpp; the dialogs' filters, the remembered choices and the
// batch's names follow, and a wavelet type is saved by the final page too.

#include <algorithm>
#include <array>
#include <cstddef>
#include <filesystem>
#include <functional>
#include <span>
#include <stdexcept>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace kestrave {

class Bitmap24;
class TTIFFBitMap;
struct SaveContext;
struct StackSaveSources;
struct ResultSaveSources;

// The types of the stack page's save dialog. They name the rows of stackSaveFormats(), whose
// order is the dialog's.
enum class StackSaveType { BMP, JPEG, FIT16, FIT32, FITSpecial, TIFF, PNG16 };
// The types of the wavelet page's save dialog (the final page's too): rows of waveletSaveFormats().
enum class WaveletSaveType { BMP, JPEG, FIT, TIFF, PNG };
// The types of the resize view's save dialog: rows of resizeSaveFormats().
enum class ResizeSaveType { BMP, JPEG, PNG };

// Writes a 16-bit RGB PNG of `picture`'s size whose samples are those of `samples` at the same
// pixels, with the text "Software" = "Kestrave " + versionCaption, replacing a file only once
// the new one is complete; throws FileError when it cannot.
using Png16Writer = std::function<void(const std::filesystem::path& fileName, const Bitmap24& picture,
                                       const TTIFFBitMap& samples, std::string_view versionCaption)>;

struct SaveOutcome {
    std::vector<std::filesystem::path> written;
    // Something was written: the image counts as saved.
    bool saved() const { return !written.empty(); }
};

// One filter of a save dialog: what the dialog lists, the name the choice is kept by, and the
// files it writes. A dialog's filters are the rows of its table in order; the filter index of a
// row is its place + 1.
struct SaveFilter {
    std::string_view caption;  // the filter's text in the dialog
    std::string_view pattern;  // the files the dialog lists under it ("*.bmp")
    // Stored as the last save type ("BMP", "JPG", "FIT", "TIF", "PNG"); the batch option "-AS"
    // names a wavelet type by it in any case.
    std::string_view key;
    std::string_view extension;  // of the file written (".bmp")
    // Written by the FITS writer, which names its files itself (one per colour, the special variant).
    bool fits = false;
};

struct StackSaveFormat {
    StackSaveType type;
    SaveFilter filter;
    SaveOutcome (*save)(const SaveFilter& filter, const std::filesystem::path& chosenFile,
                        const StackSaveSources& sources, SaveContext& context, const Png16Writer& writePng);
};

// A writer of the wavelet dialog's types. The wavelet page and the final page save through the
// same rows, each from its own pictures (see ResultSaveSources).
using ResultWriter = SaveOutcome(const SaveFilter& filter, const std::filesystem::path& chosenFile,
                                 const ResultSaveSources& sources, SaveContext& context,
                                 const Png16Writer& writePng);

struct WaveletSaveFormat {
    WaveletSaveType type;
    SaveFilter filter;
    ResultWriter* save;
};

struct ResizeSaveFormat {
    ResizeSaveType type;
    SaveFilter filter;
    SaveOutcome (*save)(const SaveFilter& filter, const std::filesystem::path& chosenFile,
                        const Bitmap24& picture, SaveContext& context);
};

// The writers of the wavelet dialog's rows (image_savers.cpp).
ResultWriter saveResultBmp, saveResultJpeg, saveResultFits, saveResultTiff, saveResultPng;

// The wavelet dialog's rows, in its order.
inline constexpr std::array<WaveletSaveFormat, 5> WaveletSaveFormats{{
    {WaveletSaveType::BMP, {"BMP (8BIT*RGB)", "*.bmp", "BMP", ".bmp"}, saveResultBmp},
    {WaveletSaveType::JPEG, {"JPEG(8BIT*RGB)", "*.JPG", "JPG", ".jpg"}, saveResultJpeg},
    {WaveletSaveType::FIT, {"FIT (16BIT) RGB separate ", "*.FIT", "FIT", ".fit", true}, saveResultFits},
    {WaveletSaveType::TIFF, {"TIFF(16BIT *RGB)", "*.TIF", "TIF", ".tif"}, saveResultTiff},
    {WaveletSaveType::PNG, {"PNG (16BIT*RGB)", "*.PNG", "PNG", ".png"}, saveResultPng},
}};

// The filters of those rows alone, taken from them as the program is compiled: the batch names
// its save types by their keys, and the command-file reader is built without the writers.
inline constexpr std::array<SaveFilter, WaveletSaveFormats.size()> WaveletSaveFilters = [] {
    std::array<SaveFilter, WaveletSaveFormats.size()> filters{};
    for (std::size_t i = 0; i < filters.size(); ++i) filters[i] = WaveletSaveFormats[i].filter;
    return filters;
}();

// The save dialogs' tables, in the dialogs' order.
std::span<const StackSaveFormat> stackSaveFormats();
inline std::span<const WaveletSaveFormat> waveletSaveFormats() {
    return WaveletSaveFormats;
}
std::span<const ResizeSaveFormat> resizeSaveFormats();

// The row of a dialog's filter index; an index outside the table takes the nearer end.
template <class Format>
const Format& saveFormatAt(std::span<const Format> formats, int filterIndex) {
    const int last = static_cast<int>(formats.size());
    return formats[static_cast<std::size_t>(std::clamp(filterIndex, 1, last) - 1)];
}

// The filter index of a type.
template <class Format>
int filterIndexOf(std::span<const Format> formats, decltype(Format::type) type) {
    const auto found =
        std::find_if(formats.begin(), formats.end(), [type](const Format& f) { return f.type == type; });
    if (found == formats.end()) throw std::invalid_argument("save type outside its table");
    return static_cast<int>(found - formats.begin()) + 1;
}

// The dialog's filter text: caption|pattern of each row, joined by "|".
template <class Format>
std::string saveDialogFilter(std::span<const Format> formats) {
    std::string text;
    for (const Format& format : formats) {
        if (!text.empty()) text += '|';
        text.append(format.filter.caption).append("|").append(format.filter.pattern);
    }
    return text;
}

// Each stored key with the filter index it chooses: its first row.
template <class Format>
std::vector<std::pair<std::string_view, int>> filterIndexesOfKeys(std::span<const Format> formats) {
    std::vector<std::pair<std::string_view, int>> indexes;
    for (std::size_t i = 0; i < formats.size(); ++i) {
        const std::string_view key = formats[i].filter.key;
        if (std::none_of(indexes.begin(), indexes.end(),
                         [key](const auto& known) { return known.first == key; }))
            indexes.emplace_back(key, static_cast<int>(i) + 1);
    }
    return indexes;
}

// Every file a save of `filter` may write for the chosen name (see outputFileName): the name
// with the type's extension; FITS also its colour files and its special variant.
std::vector<std::filesystem::path> savedFileNames(const SaveFilter& filter,
                                                  const std::filesystem::path& chosenFile);

}  // namespace kestrave
