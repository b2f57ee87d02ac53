#include "enhance/filter_file.h"

#include <charconv>
#include <climits>
#include <cmath>
#include <optional>
#include <string>
#include <string_view>
#include <system_error>

#include "enhance/clamped_round.h"
#include "persist/big_ini_file.h"
#include "platform/program_dir.h"

namespace kestrave {

namespace fs = std::filesystem;

namespace {

constexpr std::string_view Section = "TMainForm";
constexpr std::string_view FilterKind = "Filter file";
// The lowest stored form version that is restored.
constexpr int FormVersion = 0;

// The key of the spin at kernel index b × 5 + a: "Filter<a><b>_Value".
std::string spinKey(int a, int b) {
    return "Filter" + std::to_string(a) + std::to_string(b) + "_Value";
}

// A stored value: blanks around it are ignored; a number in decimal or exponent notation.
std::optional<int> parseSpinValue(std::string_view text) {
    const auto first = text.find_first_not_of(' ');
    if (first == std::string_view::npos) return std::nullopt;
    text = text.substr(first, text.find_last_not_of(' ') - first + 1);
    if (text.starts_with('+')) text.remove_prefix(1);
    double value = 0.0;
    const auto [end, ec] = std::from_chars(text.data(), text.data() + text.size(), value);
    if (ec != std::errc() || end != text.data() + text.size() || !std::isfinite(value)) return std::nullopt;
    return clampedRound(value, INT_MIN, INT_MAX);
}

}  // namespace

fs::path filterCopyPath() {
    return ProgramDir() / "savefilter.ini";
}

void saveFilterKernel(const fs::path& path, const KernelSpins& spins) {
    TBigIniFile ini{fs::path()};
    ini.WriteInteger(Section, "FormVersion", FormVersion);
    for (int a = 0; a < 5; ++a) {
        for (int b = 0; b < 5; ++b) ini.WriteInteger(Section, spinKey(a, b), spins[b * 5 + a]);
    }
    writeFreshIniFile(path, ini);
}

void loadFilterKernel(const fs::path& path, KernelSpins& spins) {
    // A file that does not exist reads as empty: every spin keeps its value.
    std::error_code ec;
    if (!fs::exists(path, ec)) return;
    checkPageFile(path, std::string(FilterKind));
    const TBigIniFile ini(path);
    KernelSpins loaded = spins;
    for (int a = 0; a < 5; ++a) {
        for (int b = 0; b < 5; ++b) {
            if (const std::optional<int> value = parseSpinValue(ini.ReadString(Section, spinKey(a, b), "")))
                loaded[b * 5 + a] = *value;
        }
    }
    if (ini.ReadInteger(Section, "FormVersion", 0) < FormVersion) return;
    spins = loaded;
}

}  // namespace kestrave
