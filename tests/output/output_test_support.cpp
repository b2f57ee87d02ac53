#include "output_test_support.h"

#include <gtest/gtest.h>
#include <sys/resource.h>

#include <csignal>

#include <fstream>
#include <random>

#include "support/temp_dir.h"

namespace kestrave::test {

FileSizeLimit::FileSizeLimit(std::uint64_t bytes) {
    rlimit limit{};
    getrlimit(RLIMIT_FSIZE, &limit);
    previousSoft_ = limit.rlim_cur;
    // Past the cap write() fails with EFBIG instead of the process being stopped by SIGXFSZ.
    previousHandler_ = std::signal(SIGXFSZ, SIG_IGN);
    limit.rlim_cur = bytes;
    setrlimit(RLIMIT_FSIZE, &limit);
}

FileSizeLimit::~FileSizeLimit() {
    rlimit limit{};
    getrlimit(RLIMIT_FSIZE, &limit);
    limit.rlim_cur = previousSoft_;
    setrlimit(RLIMIT_FSIZE, &limit);
    std::signal(SIGXFSZ, previousHandler_);
}

PlaneTriple makePlanes(int width, int height, const std::function<float(int c, int x, int y)>& value) {
    PlaneTriple planes;
    for (int c = 0; c < 3; ++c) {
        planes[c].reset(height + 10, width + 10);
        for (int x = 0; x < width; ++x)
            for (int y = 0; y < height; ++y) planes[c][x][y] = value(c, x, y);
    }
    return planes;
}

Bitmap24 makePicture(int width, int height, unsigned seed) {
    Bitmap24 picture(width, height);
    std::mt19937 random(seed);
    for (int y = 0; y < height; ++y) {
        for (int x = 0; x < width; ++x) {
            std::uint8_t* p = picture.pixel(x, y);
            p[0] = static_cast<std::uint8_t>(x * 255 / std::max(1, width - 1));
            p[1] = static_cast<std::uint8_t>(y * 255 / std::max(1, height - 1));
            p[2] = static_cast<std::uint8_t>((x + y) * 127 / std::max(1, width + height - 2) + random() % 8);
        }
    }
    return picture;
}

TTIFFBitMap makeImage16(int width, int height, unsigned seed, unsigned limit) {
    TTIFFBitMap image(width, height);
    image.allocateHighBits();
    std::mt19937 random(seed);
    for (int y = 0; y < height; ++y) {
        std::uint16_t* row = image.HighBitRow(y);
        for (std::size_t i = 0; i < image.samplesPerRow(); ++i)
            row[i] = static_cast<std::uint16_t>(random() % (limit + 1));
    }
    return image;
}

std::string installedTool(const std::string& name) {
    const std::string path = "/usr/bin/" + name;
    return std::filesystem::exists(path) ? path : "";
}

std::string shellQuoted(const std::filesystem::path& path) {
    return "'" + path.string() + "'";
}

bool astropyAvailable() {
    static const bool available = [] {
        std::string output;
        return !installedTool("python3").empty() &&
               runCommand("/usr/bin/python3 -c 'import astropy.io.fits, numpy'", output) == 0;
    }();
    return available;
}

std::string runPython(const std::string& script, const std::vector<std::string>& arguments) {
    TempDir dir;
    const std::filesystem::path file = dir / "check.py";
    writeBytes(file, script.data(), script.size());
    std::string command = "/usr/bin/python3 " + shellQuoted(file);
    for (const std::string& argument : arguments) command += " " + shellQuoted(argument);
    std::string output;
    EXPECT_EQ(runCommand(command, output), 0) << output;
    return output;
}

std::vector<std::uint8_t> decodeWithFfmpeg(const std::filesystem::path& file, const std::string& pixelFormat,
                                           std::string& output) {
    if (installedTool("ffmpeg").empty()) {
        output = "ffmpeg is not installed";
        return {};
    }
    TempDir dir;
    const std::filesystem::path raw = dir / "decoded.raw";
    if (runCommand("/usr/bin/ffmpeg -v error -i " + shellQuoted(file) + " -f rawvideo -pix_fmt " +
                       pixelFormat + " " + shellQuoted(raw),
                   output) != 0)
        return {};
    return fileBytes(raw);
}

std::vector<std::uint8_t> rgb48le(const TTIFFBitMap& image) {
    std::vector<std::uint8_t> bytes;
    for (int y = 0; y < image.height(); ++y)
        for (std::size_t i = 0; i < image.samplesPerRow(); ++i) {
            bytes.push_back(static_cast<std::uint8_t>(image.HighBitRow(y)[i]));
            bytes.push_back(static_cast<std::uint8_t>(image.HighBitRow(y)[i] >> 8));
        }
    return bytes;
}

void writeBytes(const std::filesystem::path& file, const void* data, std::size_t size) {
    std::ofstream out(file, std::ios::binary);
    out.write(static_cast<const char*>(data), static_cast<std::streamsize>(size));
    ASSERT_TRUE(out.good()) << file;
}

std::vector<std::uint8_t> fileBytes(const std::filesystem::path& file) {
    std::ifstream in(file, std::ios::binary);
    if (!in) return {};
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

}  // namespace kestrave::test
