#include "registration/point_file.h"

#include <system_error>

#include "persist/big_ini_file.h"
#include "platform/errors.h"

namespace kestrave {

namespace fs = std::filesystem;

namespace {

constexpr char FrameSection[] = "Frame";
constexpr char PointsSection[] = "Points";
constexpr char NumberKey[] = "Number";

// A file of 99 points holds a few kilobytes; anything far larger was picked by mistake and is
// refused before it is read into memory.
constexpr std::uintmax_t MaxPointFileSize = 1u << 20;

std::string key(const char* name, int point) {
    return name + std::to_string(point);
}

void checkPointFile(const fs::path& path) {
    std::error_code error;
    const fs::file_status status = fs::status(path, error);
    if (!fs::exists(status)) throw FileError("Alignment point file not found: " + path.string());
    const std::uintmax_t size = fs::is_regular_file(status) ? fs::file_size(path, error) : 0;
    if (!fs::is_regular_file(status) || error || size > MaxPointFileSize)
        throw FileError(path.string() + " is not an alignment point file");
}

void addLine(std::string& text, const std::string& line) {
    if (!text.empty()) text += '\n';
    text += line;
}

}  // namespace

void writeAlignPointFile(const fs::path& path, int frameNumber, std::span<const AlignPoint> points) {
    TBigIniFile ini{fs::path()};
    ini.WriteInteger(FrameSection, NumberKey, frameNumber);
    ini.WriteInteger(PointsSection, NumberKey, static_cast<int>(points.size()) + 1);
    for (std::size_t i = 0; i < points.size(); ++i) {
        const int p = static_cast<int>(i) + 1;
        ini.WriteInteger(PointsSection, key("X", p), points[i].X);
        ini.WriteInteger(PointsSection, key("Y", p), points[i].Y);
        ini.WriteInteger(PointsSection, key("FFT", p), points[i].FFTSize);
    }
    writeFreshIniFile(path, ini);
}

PointFileContent readAlignPointFile(const fs::path& path, int frameWidth, int frameHeight) {
    checkPointFile(path);
    const TBigIniFile ini(path);
    PointFileContent content;
    content.frameNumber = ini.ReadInteger(FrameSection, NumberKey, 0);
    // Counted in 64 bits: the smallest integer the file can claim has no predecessor in int.
    const long long listed = ini.ReadInteger(PointsSection, NumberKey, 0) - 1LL;
    if (listed <= 0) addLine(content.problems, path.string() + " holds no alignment points");
    if (listed > MaxAlignPoints)
        addLine(content.problems, "The file lists " + std::to_string(listed) + " points; only the first " +
                                      std::to_string(MaxAlignPoints) + " are read");
    for (int p = 1; p <= std::min<long long>(listed, MaxAlignPoints); ++p) {
        const PointRowText row{ini.ReadString(PointsSection, key("X", p), "0"),
                               ini.ReadString(PointsSection, key("Y", p), "0"),
                               ini.ReadString(PointsSection, key("FFT", p), "0")};
        PointRowReading reading = readPointRow(p, row, frameWidth, frameHeight);
        if (reading.point)
            content.points.push_back(*reading.point);
        else
            addLine(content.problems, reading.problem + " (left out)");
    }
    return content;
}

}  // namespace kestrave
