#include "frames/calibration_frames.h"

#include <algorithm>
#include <cstdlib>
#include <limits>
#include <new>
#include <vector>

#include "frames/bmp_reader.h"
#include "frames/fits_reader.h"
#include "frames/png_io.h"
#include "frames/still_frames.h"
#include "platform/parallel.h"
#include "platform/safe_file.h"

namespace kestrave {

namespace fs = std::filesystem;

namespace {

// The dark planes hold 128 times the 0..255 level.
constexpr float DarkFactor = 128.0f;
// What a flat value of exactly 0 becomes.
constexpr float SmallestFlat = 0.00001f;

bool isDark(CalibrationKind kind) {
    return kind == CalibrationKind::Dark;
}

CalibrationUnsupported unsupportedFits(CalibrationKind kind, CalibrationOrigin origin, int bitpix) {
    const bool dialog = origin == CalibrationOrigin::Dialog;
    const char* caption = isDark(kind) ? (dialog ? "Fits format error" : "Fits error")
                                       : (dialog ? "Fits file error" : "Fits format error");
    return CalibrationUnsupported(caption, bitpix);
}

CalibrationTooLarge fitsTooLarge(CalibrationKind kind) {
    if (isDark(kind)) return CalibrationTooLarge("Frame size error", " Darkframe too large !!", mtError);
    return CalibrationTooLarge("Flatfield warning", " Flatfield too large !!", mtWarning);
}

Message pictureTruncated(CalibrationKind kind) {
    if (isDark(kind))
        return Message{"Frame size error", " Warning : darkframe too large , truncated !", mtError, mbOK};
    return Message{"Flatfield error", " Warning: flatfield too large , truncated !", mtError, mbOK};
}

Message fileEndsEarly(const fs::path& file) {
    return Message{"File error",
                   "Warning : " + displayName(file) +
                       " is shorter than its header says; the missing samples are taken as 0 ",
                   mtWarning, mbOK};
}

// A float plane value: the nearest float, within the float range.
float planeValue(double v) {
    constexpr double largest = std::numeric_limits<float>::max();
    return static_cast<float>(std::clamp(v, -largest, largest));
}

// Three planes of width x height (throws std::bad_alloc).
PlaneTriple makeTriple(int width, int height) {
    return {T2dArrays(height, width), T2dArrays(height, width), T2dArrays(height, width)};
}

// One file row as read: its bytes and how many of its samples the file held.
struct FileRow {
    const std::uint8_t* bytes;
    int samples;
};

// The first `height` file rows of a FITS image, each cut to `width` samples. Rows the file ends
// before are (partly) missing: `samples` says how much of each row was read.
struct FitsRows {
    std::vector<std::uint8_t> bytes;
    std::vector<int> samples;
    std::size_t rowBytes = 0;
    bool complete = true;

    FileRow row(int k) const {
        return {bytes.data() + static_cast<std::size_t>(k) * rowBytes, samples[static_cast<std::size_t>(k)]};
    }
};

FitsRows readFitsRows(const FrameFile& file, std::uint64_t offset, std::uint64_t strideBytes, int sampleBytes,
                      int width, int height) {
    FitsRows rows;
    rows.rowBytes = static_cast<std::size_t>(width) * sampleBytes;
    rows.bytes.assign(rows.rowBytes * height, 0);
    rows.samples.assign(static_cast<std::size_t>(height), 0);
    const auto available = [&](std::uint64_t at) { return at < file.size() ? file.size() - at : 0; };
    if (strideBytes == rows.rowBytes) {
        // Adjacent rows: one read of what the file holds.
        const auto count =
            static_cast<std::size_t>(std::min<std::uint64_t>(rows.bytes.size(), available(offset)));
        if (count > 0) file.readAt(offset, rows.bytes.data(), count);
        for (int k = 0; k < height; ++k) {
            const std::size_t start = static_cast<std::size_t>(k) * rows.rowBytes;
            const std::size_t held = count > start ? std::min(count - start, rows.rowBytes) : 0;
            rows.samples[static_cast<std::size_t>(k)] = static_cast<int>(held / sampleBytes);
        }
    } else {
        for (int k = 0; k < height; ++k) {
            const std::uint64_t at = offset + static_cast<std::uint64_t>(k) * strideBytes;
            const auto count =
                static_cast<std::size_t>(std::min<std::uint64_t>(rows.rowBytes, available(at)));
            if (count > 0)
                file.readAt(at, rows.bytes.data() + static_cast<std::size_t>(k) * rows.rowBytes, count);
            rows.samples[static_cast<std::size_t>(k)] = static_cast<int>(count / sampleBytes);
        }
    }
    rows.complete =
        std::all_of(rows.samples.begin(), rows.samples.end(), [width](int n) { return n == width; });
    return rows;
}

CalibrationLoad loadFits(const fs::path& path, int type, CalibrationKind kind, CalibrationOrigin origin,
                         PlaneTriple& planes, MessagePort& messages) {
    const FrameFile file(path);
    const FitsHeader header = readFitsHeader(file);
    if (header.NAXIS1 < 1 || header.NAXIS2 < 1)
        throw FileError("Invalid FITS file " + displayName(path) + ": image size " +
                        std::to_string(header.NAXIS1) + " x " + std::to_string(header.NAXIS2));
    if (origin == CalibrationOrigin::Dialog && (header.NAXIS1 > MaxFrameSize || header.NAXIS2 > MaxFrameSize))
        throw fitsTooLarge(kind);
    const int bitpix = header.BITPIX;
    const int width = std::min(header.NAXIS1, MaxFrameSize);
    const int height = std::min(header.NAXIS2, MaxFrameSize);
    if (bitpix != 16 && bitpix != 32 && bitpix != -32) {
        // The planes are made before the samples turn out unreadable: they stay, holding 0.
        planes = makeTriple(width, height);
        throw unsupportedFits(kind, origin, bitpix);
    }
    const int sampleBytes = std::abs(bitpix) / 8;
    const FitsRows rows =
        readFitsRows(file, header.dataOffset, static_cast<std::uint64_t>(header.NAXIS1) * sampleBytes,
                     sampleBytes, width, height);
    // A special FITS file holds the dark's stored values; a plain one the dark level itself. For a
    // flat the scale would cancel in the normalisation.
    const double factor = isDark(kind) && type == FitsCalibration ? DarkFactor : 1.0;
    T2dArrays plane(height, width);
    // The first file row is the bottom row of the picture.
    fillPlaneByRows(
        plane, [&rows, height](int y) { return rows.row(height - 1 - y); },
        [bitpix, bzero = header.BZERO, sampleBytes, factor](const FileRow& row, int x) {
            if (x >= row.samples) return 0.0f;
            return planeValue(
                fitsSample(row.bytes + static_cast<std::size_t>(x) * sampleBytes, bitpix, bzero) * factor);
        });
    planes = {plane, plane, std::move(plane)};
    if (!rows.complete) messages.show(fileEndsEarly(path));
    return {true, width, height, bitpix};
}

CalibrationLoad loadPicture(const fs::path& path, int type, CalibrationKind kind, CalibrationOrigin origin,
                            PlaneTriple& planes, MessagePort& messages) {
    const Bitmap24 picture =
        type == BitmapCalibration ? readBmpFile(path) : decodePng(readWholeFile(path), path).preview;
    const int width = std::min(picture.width(), MaxFrameSize);
    const int height = std::min(picture.height(), MaxFrameSize);
    if (origin == CalibrationOrigin::Dialog && (width < picture.width() || height < picture.height()))
        messages.show(pictureTruncated(kind));
    const float factor = isDark(kind) ? DarkFactor : 1.0f;
    PlaneTriple loaded = makeTriple(width, height);
    // Plane c takes the red, green or blue byte; the bitmap holds blue, green, red.
    for (int c = 0; c < 3; ++c)
        fillPlaneByRows(
            loaded[static_cast<std::size_t>(c)], [&picture](int y) { return picture.row(y); },
            [byte = 2 - c, factor](const std::uint8_t* row, int x) { return row[3 * x + byte] * factor; });
    planes = std::move(loaded);
    return {true, width, height, 0};
}

}  // namespace

CalibrationLoad loadCalibrationFrame(const fs::path& file, int type, CalibrationKind kind,
                                     CalibrationOrigin origin, PlaneTriple& planes, MessagePort& messages) {
    std::error_code absent;
    if (origin == CalibrationOrigin::Project && !fs::exists(file, absent)) {
        const std::string text =
            (isDark(kind) ? "Warning : darkframe " : "Warning : flatfield ") + file.string() + " missing ";
        throw CalibrationFileMissing(isDark(kind) ? "Missing file" : "File missing", text, mtWarning);
    }
    if (type < BitmapCalibration || type > PngCalibration) return {};

    // The old frame goes first; whatever ends the load leaves a valid, zeroed 2 x 2 set.
    for (T2dArrays& plane : planes) plane.reset(2, 2);
    try {
        const bool fits = type == SpecialFitsCalibration || type == FitsCalibration;
        const CalibrationLoad load = fits ? loadFits(file, type, kind, origin, planes, messages)
                                          : loadPicture(file, type, kind, origin, planes, messages);
        if (!isDark(kind)) normaliseFlat(planes);
        return load;
    } catch (const CalibrationUnsupported&) {
        throw;
    } catch (const CalibrationError&) {
        for (T2dArrays& plane : planes) plane.reset(2, 2);
        throw;
    } catch (const FileError& error) {
        for (T2dArrays& plane : planes) plane.reset(2, 2);
        throw CalibrationError("File error", error.what());
    } catch (const std::bad_alloc&) {
        for (T2dArrays& plane : planes) plane.reset(2, 2);
        throw CalibrationError("Out of memory", "Not enough memory to load " + displayName(file));
    }
}

void normaliseFlat(PlaneTriple& planes) {
    // Per-column sums added in column order: the same mean at any thread count, and no stall of a
    // single-precision sum once it has grown large against the values.
    double sum = 0.0;
    std::size_t count = 0;
    for (const T2dArrays& plane : planes) {
        std::vector<double> columns(static_cast<std::size_t>(plane.xCount()), 0.0);
        parallelFor(0, plane.xCount(), [&plane, &columns](std::ptrdiff_t x) {
            double column = 0.0;
            const float* values = plane[static_cast<int>(x)];
            for (int y = 0; y < plane.yCount(); ++y) column += values[y];
            columns[static_cast<std::size_t>(x)] = column;
        });
        for (const double column : columns) sum += column;
        count += plane.cellCount();
    }
    double mean = count > 0 ? sum / static_cast<double>(count) : 0.0;
    if (mean == 0.0) mean = 1.0;
    for (T2dArrays& plane : planes) {
        float* values = plane.data();
        parallelFor(0, plane.xCount(), [values, &plane, mean](std::ptrdiff_t x) {
            float* column = values + static_cast<std::size_t>(x) * plane.yCount();
            for (int y = 0; y < plane.yCount(); ++y) {
                // Samples that all but cancel leave a mean far below the largest of them: the
                // quotient is kept within the float range.
                const float relative = planeValue(column[y] / mean);
                column[y] = relative == 0.0f ? SmallestFlat : relative;
            }
        });
    }
}

bool planesMatchFrame(const PlaneTriple& planes, int width, int height) {
    return std::all_of(planes.begin(), planes.end(), [width, height](const T2dArrays& plane) {
        return plane.xCount() == width && plane.yCount() == height;
    });
}

Message calibrationSizeMessage(CalibrationKind kind) {
    return Message{"Imagesize error",
                   isDark(kind) ? " darkframe size does not match imagesize !!"
                                : " flatfield size does not match imagesize !!",
                   mtWarning, mbOK};
}

std::string lastDarkFlatType(CalibrationKind kind, int type) {
    switch (type) {
        case BitmapCalibration:
            return "BMP";
        case SpecialFitsCalibration:
            return isDark(kind) ? "FTR" : "FIT";
        case FitsCalibration:
            return "FIT";
        case PngCalibration:
            return "PNG";
        default:
            return {};
    }
}

void rankForMasterFrame(FrameModel& model, int lastFrame) {
    for (int i = 0; i <= std::min(lastFrame, MaxFrameIndex); ++i) {
        TFrameRec& frame = model.FrameTable[i];
        frame.Slots[0].Quality = 1.0f;
        frame.Slots[0].Difference = 1.0f;
        frame.Slots[2].Difference = 1.0f;
        model.FrameRanking[i].Frame = i;
        model.FrameRanking[i].Key = static_cast<float>(i + 1);
    }
}

}  // namespace kestrave
