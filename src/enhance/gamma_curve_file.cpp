#include "enhance/gamma_curve_file.h"

#include <algorithm>
#include <charconv>
#include <cmath>

#include "enhance/clamped_round.h"
#include "enhance/curve_editing.h"
#include "enhance/scheme_file.h"
#include "platform/safe_file.h"

namespace kestrave {

namespace fs = std::filesystem;

namespace {

constexpr int MinCurvePoints = 2;

class LineReader {
public:
    LineReader(std::string_view text, const std::string& fileName) : text_(text), fileName_(fileName) {}

    // The next line as a whole number; blanks around it are allowed.
    long long next() {
        ++line_;
        if (text_.empty()) fail("ends before line " + std::to_string(line_));
        const std::size_t end = text_.find('\n');
        std::string_view line = text_.substr(0, end);
        text_ = end == std::string_view::npos ? std::string_view() : text_.substr(end + 1);
        if (line.ends_with('\r')) line.remove_suffix(1);
        const std::size_t first = line.find_first_not_of(" \t");
        if (first != std::string_view::npos)
            line = line.substr(first, line.find_last_not_of(" \t") - first + 1);
        if (line.starts_with('+')) line.remove_prefix(1);
        long long value = 0;
        const auto [stop, ec] = std::from_chars(line.data(), line.data() + line.size(), value);
        if (line.empty() || ec != std::errc() || stop != line.data() + line.size()) {
            fail("line " + std::to_string(line_) + " is not a whole number");
        }
        return value;
    }

    [[noreturn]] void fail(const std::string& why) const {
        throw WaveletFileError("Gamma curve file " + fileName_ + " " + why);
    }

private:
    std::string_view text_;
    const std::string& fileName_;
    int line_ = 0;
};

float graphCoordinate(long long value) {
    return static_cast<float>(std::clamp<long long>(value, 0, CurveGraphSize));
}

}  // namespace

std::vector<SplinePoint> parseGammaCurve(std::string_view text, const std::string& fileName) {
    LineReader lines(text, fileName);
    const long long count = lines.next();
    if (count < MinCurvePoints || count > TBSpline::MaxPoints) {
        lines.fail("holds " + std::to_string(count) + " points; a curve has 2 to " +
                   std::to_string(TBSpline::MaxPoints));
    }
    std::vector<SplinePoint> points(static_cast<std::size_t>(count));
    for (SplinePoint& p : points) {
        p.x = graphCoordinate(lines.next());
        p.y = graphCoordinate(lines.next());
    }
    return points;
}

std::vector<SplinePoint> loadGammaCurve(const fs::path& path) {
    checkPageFile(path, "Gamma curve file");
    const std::vector<std::uint8_t> bytes = readWholeFile(path);
    return parseGammaCurve({reinterpret_cast<const char*>(bytes.data()), bytes.size()}, path.string());
}

std::string formatGammaCurve(const TBSpline& spline) {
    const auto line = [](long long value) { return std::to_string(value) + "\r\n"; };
    std::string text = line(spline.NumberOfPoints());
    for (int i = 1; i <= spline.NumberOfPoints(); ++i) {
        const SplinePoint p = spline.Point(i);
        text += line(clampedRound(p.x, -1000000, 1000000));
        text += line(clampedRound(p.y, -1000000, 1000000));
    }
    return text;
}

void saveGammaCurve(const fs::path& path, const TBSpline& spline) {
    writeFileAtomically(path, formatGammaCurve(spline));
}

}  // namespace kestrave
