#include <array>

#include "output/save_formats.h"
#include "output/save_rules.h"

namespace kestrave {

namespace fs = std::filesystem;

std::span<const SaveFilter> waveletSaveFilters() {
    static const std::array<SaveFilter, 5> filters{{
        {"BMP (8BIT*RGB)", "*.bmp", "BMP", ".bmp"},
        {"JPEG(8BIT*RGB)", "*.JPG", "JPG", ".jpg"},
        {"FIT (16BIT) RGB separate ", "*.FIT", "FIT", ".fit", true},
        {"TIFF(16BIT *RGB)", "*.TIF", "TIF", ".tif"},
        {"PNG (16BIT*RGB)", "*.PNG", "PNG", ".png"},
    }};
    return filters;
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

}  // namespace kestrave
