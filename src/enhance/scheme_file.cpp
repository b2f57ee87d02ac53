#include "enhance/scheme_file.h"

#include <algorithm>
#include <cctype>
#include <climits>
#include <string_view>
#include <system_error>
#include <vector>

#include "enhance/clamped_round.h"
#include "persist/big_ini_file.h"

namespace kestrave {

namespace fs = std::filesystem;

namespace {

// Scheme and filter files hold a few hundred bytes; anything far larger was picked by mistake
// and is refused before it is read into memory.
constexpr std::uintmax_t MaxPageFileSize = 1u << 20;

constexpr std::string_view SchemeKind = "Wavelet scheme file";
constexpr std::string_view SchemeSections[] = {"scheme", "method", "checkbox", "slider", "Gauss"};

// Gaussian widths are kept in hundredths.
constexpr double GaussScale = 100.0;

std::string layerKey(int layer) {
    return "layer" + std::to_string(layer + 1);
}

// A section counts when it holds at least one line.
bool hasSection(const TBigIniFile& ini, std::string_view name) {
    std::vector<std::string> lines;
    ini.ReadSectionValues(name, lines);
    return !lines.empty();
}

int readClamped(const TBigIniFile& ini, std::string_view section, std::string_view key, int def, int lo,
                int hi) {
    return std::clamp(ini.ReadInteger(section, key, def), lo, hi);
}

}  // namespace

void checkPageFile(const fs::path& path, const std::string& kind) {
    std::error_code ec;
    const fs::file_status status = fs::status(path, ec);
    if (!fs::exists(status)) throw WaveletFileError(kind + " not found: " + path.string());
    const std::uintmax_t size = fs::is_regular_file(status) ? fs::file_size(path, ec) : 0;
    if (!fs::is_regular_file(status) || ec || size > MaxPageFileSize)
        throw WaveletFileError(notAPageFileMessage(path, kind));
}

std::string notAPageFileMessage(const fs::path& path, const std::string& kind) {
    std::string lowered = kind;
    if (!lowered.empty())
        lowered[0] = static_cast<char>(std::tolower(static_cast<unsigned char>(lowered[0])));
    return path.string() + " is not a " + lowered;
}

void saveWaveletScheme(const fs::path& path, const WaveletScheme& scheme) {
    TBigIniFile ini{fs::path()};
    ini.WriteInteger("scheme", "itemindex", static_cast<int>(scheme.Waveletscheme));
    ini.WriteInteger("method", "itemindex", static_cast<int>(scheme.Convolvemethod));
    for (int n = 0; n < WaveletLayerCount; ++n)
        ini.WriteBool("checkbox", layerKey(n), scheme.layerChecked[n]);
    ini.WriteInteger("scheme", "initial", clampedRound(scheme.LevelStep, INT_MIN, INT_MAX));
    ini.WriteInteger("scheme", "step", clampedRound(scheme.Multiplicant, INT_MIN, INT_MAX));
    for (int n = 0; n < WaveletLayerCount; ++n)
        ini.WriteInteger("slider", layerKey(n), scheme.layerSlider[n]);
    for (int n = 0; n < WaveletLayerCount; ++n)
        ini.WriteInteger("Gauss", layerKey(n),
                         clampedRound(scheme.Gausslayer[n] * GaussScale, INT_MIN, INT_MAX));
    writeFreshIniFile(path, ini);
}

WaveletScheme loadWaveletScheme(const fs::path& path) {
    const std::string kind(SchemeKind);
    checkPageFile(path, kind);
    const TBigIniFile ini(path);
    if (std::none_of(std::begin(SchemeSections), std::end(SchemeSections),
                     [&](std::string_view name) { return hasSection(ini, name); }))
        throw WaveletFileError(notAPageFileMessage(path, kind));

    WaveletScheme scheme;
    scheme.Waveletscheme = static_cast<TWaveletScheme>(readClamped(ini, "scheme", "itemindex", 0, 0, 1));
    scheme.Convolvemethod = static_cast<TConvolveMethod>(readClamped(ini, "method", "itemindex", 0, 0, 1));
    for (int n = 0; n < WaveletLayerCount; ++n)
        scheme.layerChecked[n] = ini.ReadBool("checkbox", layerKey(n), false);
    scheme.LevelStep = readClamped(ini, "scheme", "initial", 1, MinLevelStep, MaxLevelStep);
    scheme.Multiplicant = readClamped(ini, "scheme", "step", 0, MinMultiplicant, MaxMultiplicant);
    for (int n = 0; n < WaveletLayerCount; ++n)
        scheme.layerSlider[n] = readClamped(ini, "slider", layerKey(n), 10, MinLayerSlider, MaxLayerSlider);
    for (int n = 0; n < WaveletLayerCount; ++n)
        scheme.Gausslayer[n] = ini.ReadInteger("Gauss", layerKey(n), 10) / GaussScale;
    return scheme;
}

}  // namespace kestrave
