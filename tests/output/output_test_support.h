#pragma once
// Helpers of the output tests: stack planes with known values, and the independent readers
// (Debian's command-line tools and Python with astropy) run as child processes.

#include <cstdint>
#include <filesystem>
#include <functional>
#include <string>
#include <vector>

#include "codecs/tiff_bitmap.h"
#include "frames/image_data_section.h"
#include "platform/bitmap24.h"
#include "platform/message_port.h"
#include "support/run_command.h"
#include "support/scripted_messages.h"

namespace kestrave::test {

// Caps the size of files this process writes (root may write anywhere, but not past the cap),
// so a write fails part way; restores the limit on destruction.
class FileSizeLimit {
public:
    explicit FileSizeLimit(std::uint64_t bytes);
    ~FileSizeLimit();
    FileSizeLimit(const FileSizeLimit&) = delete;
    FileSizeLimit& operator=(const FileSizeLimit&) = delete;

private:
    std::uint64_t previousSoft_;
    void (*previousHandler_)(int);
};

// Planes of (width + 10) x (height + 10) whose cell (x, y) of channel c is value(c, x, y).
PlaneTriple makePlanes(int width, int height, const std::function<float(int c, int x, int y)>& value);

// A 24-bit picture with smooth colour gradients and a seeded sprinkle of detail.
Bitmap24 makePicture(int width, int height, unsigned seed);

// A 16-bit image with seeded samples in 0..limit.
TTIFFBitMap makeImage16(int width, int height, unsigned seed, unsigned limit = 65535);

// The path of /usr/bin/<name> when that program is installed, else "".
std::string installedTool(const std::string& name);

// Whether /usr/bin/python3 can import astropy and numpy.
bool astropyAvailable();

// Runs a Python script with arguments through /usr/bin/python3; returns its standard output
// and error, and fails the current test when it exits with an error.
std::string runPython(const std::string& script, const std::vector<std::string>& arguments);

// Decodes an image file with ffmpeg into raw samples of the given pixel format ("bgr24",
// "rgb48le"); empty when ffmpeg is missing or fails (the reason goes to `output`).
std::vector<std::uint8_t> decodeWithFfmpeg(const std::filesystem::path& file, const std::string& pixelFormat,
                                           std::string& output);

// The 16-bit samples of an image as ffmpeg's "rgb48le" gives them: rows without padding, each
// sample low byte first.
std::vector<std::uint8_t> rgb48le(const TTIFFBitMap& image);

// Writes bytes to a file (test inputs and expected values).
void writeBytes(const std::filesystem::path& file, const void* data, std::size_t size);

// The whole file, or an empty vector when it does not exist.
std::vector<std::uint8_t> fileBytes(const std::filesystem::path& file);

// Quotes a path for the shell.
std::string shellQuoted(const std::filesystem::path& path);

}  // namespace kestrave::test
