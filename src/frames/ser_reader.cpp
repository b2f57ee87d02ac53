#include "frames/ser_reader.h"

#include <algorithm>
#include <array>
#include <atomic>
#include <bit>
#include <cmath>
#include <limits>
#include <memory>
#include <mutex>
#include <new>
#include <vector>

#include "platform/parallel.h"
#include "platform/riff_file.h"

namespace kestrave {

// What reads of one file found out about its frames: for each frame (of indices 0 ..
// MaxFrameIndex) the preview scale a read that scanned it whole found, -1 while none has, so that
// a later read of its pictures needs no scan and reads only the rows it makes; and the scale of
// the frame read last, which the next frame's pictures are first made at (frames of one
// recording nearly always share it). Any number of threads may ask and tell at once.
class FrameScales {
public:
    explicit FrameScales(int frames)
        : scales_(static_cast<std::size_t>(std::clamp(frames, 0, MaxFrameIndex + 1))) {
        for (std::atomic<std::int8_t>& scale : scales_) scale.store(-1, std::memory_order_relaxed);
    }
    int get(int frame) const {
        return frame >= 0 && static_cast<std::size_t>(frame) < scales_.size()
                   ? scales_[static_cast<std::size_t>(frame)].load(std::memory_order_relaxed)
                   : -1;
    }
    void set(int frame, int scale) {
        if (frame >= 0 && static_cast<std::size_t>(frame) < scales_.size())
            scales_[static_cast<std::size_t>(frame)].store(static_cast<std::int8_t>(scale),
                                                           std::memory_order_relaxed);
    }

    int lastScale() const { return last_.load(std::memory_order_relaxed); }
    void setLastScale(int scale) { last_.store(scale, std::memory_order_relaxed); }

private:
    std::vector<std::atomic<std::int8_t>> scales_;
    std::atomic<int> last_{0};
};

namespace {

std::int32_t field(const std::uint8_t* p) {
    return static_cast<std::int32_t>(readLE32(p));
}

[[noreturn]] void badSer(const FrameFile& file, const std::string& why) {
    throw FileError("Invalid SER file " + displayName(file.path()) + ": " + why);
}

// Sample readers for the three layouts of a SER frame row.
struct Byte {
    static constexpr std::uint16_t Largest = 255;
    static std::uint16_t at(const std::uint8_t* row, int x) { return row[x]; }
};
struct WordLE {
    static constexpr std::uint16_t Largest = 65535;
    static std::uint16_t at(const std::uint8_t* row, int x) { return readLE16(row + 2 * x); }
};
struct WordSwapped {
    static constexpr std::uint16_t Largest = 65535;
    static std::uint16_t at(const std::uint8_t* row, int x) {
        return static_cast<std::uint16_t>(row[2 * x] << 8 | row[2 * x + 1]);
    }
};

// The largest sample of one row of `width` samples.
template <typename Sample>
std::uint16_t rowLargest(const std::uint8_t* row, int width) {
    std::uint16_t most = 0;
    for (int x = 0; x < width; ++x) most = std::max(most, Sample::at(row, x));
    return most;
}

// The largest of body(first, last) over the row ranges that the rows [top, end) are spread into.
template <typename Body>
std::uint16_t largestOverRows(int top, int end, Body body) {
    std::mutex mutex;
    std::uint16_t largest = 0;
    parallelForRange(top, end, [&](std::ptrdiff_t first, std::ptrdiff_t last) {
        const std::uint16_t most = body(first, last);
        std::lock_guard lock(mutex);
        largest = std::max(largest, most);
    });
    return largest;
}

// The preview scale of a frame whose largest sample is `largest`: P = 2^scale is the power of two
// at or above it.
int previewScale(std::uint16_t largest) {
    return std::countr_zero(static_cast<unsigned long>(std::lrint(PowerOfTwoCeil(largest))));
}

// The levels of preview scale `scale`: every sample value s shows as
// ClampByte(Round(s / (P + 1) x 255)). A table holds all 65536 values, so that a frame can be
// converted before its scale is known; the 17 tables are made once, when first needed.
const std::uint8_t* greyLevels(int scale) {
    constexpr int Scales = 17;  // P = 1, 2, 4 .. 65536
    static std::array<std::once_flag, Scales> made;
    static std::array<std::vector<std::uint8_t>, Scales> tables;
    const auto k = static_cast<std::size_t>(scale);
    std::call_once(made[k], [&] {
        std::vector<std::uint8_t>& level = tables[k];
        level.resize(65536);
        const double range = std::ldexp(1.0, scale) + 1.0;
        for (std::size_t s = 0; s < level.size(); ++s)
            level[s] = greyLevel(static_cast<double>(s), 0.0, range);
    });
    return tables[k].data();
}

// Fills the preview with the levels of `lut` and gives the frame's largest sample, found in the
// same sweep: each row is scanned just before it is converted. Previews of StreamedPreviewBytes
// and more are written around the caches: with the frames in flight they would not stay there,
// and the alignment and the optimizer read back only a box of each.
constexpr std::size_t StreamedPreviewBytes = std::size_t{2} << 20;

// The rows [top, end) of a frame, rowOf(y) giving row y's bytes in the file's layout.
template <typename RowOf>
struct RowSpan {
    RowOf rowOf;
    int top;
    int end;
};

// Makes the rows of the span that lie in `band` and gives the largest sample of all of them.
// `Picture`: a grey Bitmap24 or a LevelBitmap.
template <bool Streaming, typename Sample, typename Picture, typename RowOf>
std::uint16_t storePreviewAndLargest(RowSpan<RowOf> span, int width, Picture& preview,
                                     const std::uint8_t* lut, RowBand band) {
    std::uint8_t* const bits = preview.bits();
    const std::size_t stride = preview.stride();
    return largestOverRows(span.top, span.end, [=](std::ptrdiff_t first, std::ptrdiff_t last) {
        std::uint16_t most = 0;
        for (std::ptrdiff_t y = first; y < last; ++y) {
            const std::uint8_t* row = span.rowOf(static_cast<int>(y));
            most = std::max(most, rowLargest<Sample>(row, width));
            if (y < band.first || y >= band.end) continue;
            packPictureRow<Picture, Streaming>(
                bits + static_cast<std::size_t>(y) * stride, row, width,
                [lut](const std::uint8_t* r, int x) { return lut[Sample::at(r, x)]; });
        }
        if constexpr (Streaming) endStreaming();
        return most;
    });
}

template <typename Sample, typename Picture, typename RowOf>
std::uint16_t previewAndLargest(RowSpan<RowOf> span, int width, Picture& preview, const std::uint8_t* lut,
                                RowBand band) {
    if (preview.stride() * static_cast<std::size_t>(preview.height()) >= StreamedPreviewBytes)
        return storePreviewAndLargest<true, Sample>(span, width, preview, lut, band);
    return storePreviewAndLargest<false, Sample>(span, width, preview, lut, band);
}

// What one read fills: those of the plane, the preview and the levels that are given (not null),
// of the pictures only the rows of `band`.
struct FrameTargets {
    T2dArrays* plane = nullptr;
    Bitmap24* preview = nullptr;
    LevelBitmap* levels = nullptr;
    RowBand band;
};

// Rows read from the file and converted at a time: their bytes are still in the cache when they
// are converted (a multiple of the plane's bands of four rows).
constexpr std::size_t ChunkBytes = std::size_t{256} << 10;

// Converts one frame of `height` rows of `rowBytes` bytes into those of the plane, the preview
// and the levels that are given, each already of the frame's size (of the pictures only the rows
// of `band`). readRows(y, count) gives the bytes of the `count` rows from row y on, read a chunk
// at a time. The pictures are made at the scale of the previous frame read (frames of one
// recording nearly always share it) and made again, from the rows read once more, in the rare
// case that the frame's largest sample asks for another.
// `knownScale`: the frame's scale as an earlier read found it, or -1; with it a read of the
// pictures alone reads and makes only the rows of `band`. `scales` gives the scale of the frame
// read last and is told the one found. Returns the scale of the pictures made (-1 when none is).
template <typename Sample, typename ReadRows>
int convertFrame(ReadRows readRows, std::size_t rowBytes, int width, int height, FrameTargets to,
                 int knownScale, FrameScales& scales) {
    T2dArrays* const plane = to.plane;
    Bitmap24* const preview = to.preview;
    LevelBitmap* const levels = to.levels;
    const RowBand band = to.band;
    const int chunk = std::max(4, static_cast<int>(ChunkBytes / std::max<std::size_t>(rowBytes, 1)) & ~3);
    // Reads the rows [first, end) a chunk at a time and hands each chunk to use(span).
    const auto byChunks = [&](int first, int end, auto&& use) {
        for (int top = first; top < end; top += chunk) {
            const int last = std::min(end, top + chunk);
            const std::uint8_t* const rows = readRows(top, last - top);
            const auto rowOf = [rows, rowBytes, top](int y) {
                return rows + static_cast<std::size_t>(y - top) * rowBytes;
            };
            use(RowSpan<decltype(rowOf)>{rowOf, top, last});
        }
    };
    const int bandTop = std::clamp(band.first, 0, height), bandEnd = std::clamp(band.end, bandTop, height);
    // The rows of the band of the pictures at `scale`, read (again) from the file.
    const auto makeBand = [&](int scale) {
        const std::uint8_t* const lut = greyLevels(scale);
        const auto level = [lut](const std::uint8_t* row, int x) { return lut[Sample::at(row, x)]; };
        byChunks(bandTop, bandEnd, [&](const auto& span) {
            if (preview) fillGreyPreview(*preview, span.rowOf, level, RowBand{span.top, span.end});
            if (levels) fillGreyPreview(*levels, span.rowOf, level, RowBand{span.top, span.end});
        });
    };
    if (knownScale >= 0 && !plane && (preview || levels)) {
        makeBand(knownScale);
        return knownScale;
    }
    const int guess = scales.lastScale();
    const std::uint8_t* lut = greyLevels(guess);
    std::uint16_t most = 0;
    // The rows of the band first: when the pictures alone are made and the band's largest sample
    // already asks for the largest scale there is, no other row can change the scale, and those
    // rows are not read.
    const std::array<std::array<int, 2>, 3> ranges{{{bandTop, bandEnd}, {0, bandTop}, {bandEnd, height}}};
    const int largestScale = previewScale(Sample::Largest);
    for (std::size_t range = 0; range < ranges.size(); ++range) {
        if (range > 0 && !plane && previewScale(most) == largestScale) break;
        byChunks(ranges[range][0], ranges[range][1], [&](const auto& span) {
            if (plane) {
                fillPlaneByRows(
                    *plane, span.rowOf,
                    [](const std::uint8_t* row, int x) { return static_cast<float>(Sample::at(row, x)); },
                    span.top, span.end);
            }
            if (preview) most = std::max(most, previewAndLargest<Sample>(span, width, *preview, lut, band));
            if (levels) most = std::max(most, previewAndLargest<Sample>(span, width, *levels, lut, band));
        });
    }
    if (!preview && !levels) return -1;
    const int scale = previewScale(most);
    if (scale == guess) return scale;
    scales.setLastScale(scale);
    makeBand(scale);
    return scale;
}

}  // namespace

SerFile::SerFile(const std::filesystem::path& path) : SerFile(FrameFile(path)) {}

std::optional<SerFile> SerFile::openIfExists(const std::filesystem::path& path) {
    std::optional<FrameFile> file = FrameFile::openIfExists(path);
    if (!file) return std::nullopt;
    return SerFile(std::move(*file));
}

SerFile::SerFile(FrameFile file) : file_(std::move(file)) {
    if (file_.size() < SerHeaderSize) badSer(file_, "the header is incomplete");
    std::array<std::uint8_t, SerHeaderSize> raw{};
    file_.readAt(0, raw.data(), raw.size());
    header_.LuID = field(&raw[14]);
    header_.ColorID = field(&raw[18]);
    header_.LittleEndian = field(&raw[22]);
    header_.Width = field(&raw[26]);
    header_.Height = field(&raw[30]);
    header_.PixelDepth = field(&raw[34]);
    header_.FrameCount = field(&raw[38]);

    if (header_.Width < 1 || header_.Height < 1) {
        badSer(file_, "frame size " + std::to_string(header_.Width) + " x " + std::to_string(header_.Height));
    }
    if (header_.PixelDepth < 1 || header_.PixelDepth > 16) {
        badSer(file_, "pixel depth " + std::to_string(header_.PixelDepth));
    }
    // ColorID 100 and 101 hold three samples per pixel (RGB, BGR); read as grey they would give
    // a picture three times too wide.
    if (header_.ColorID >= 100) {
        badSer(file_, "colour format " + std::to_string(header_.ColorID) + " is not supported");
    }
    bytesPerSample_ = header_.PixelDepth <= 8 ? 1 : 2;
    width_ = std::min(header_.Width, MaxFrameSize);
    height_ = std::min(header_.Height, MaxFrameSize);
    frameBytes_ = static_cast<std::uint64_t>(header_.Width) * static_cast<std::uint64_t>(header_.Height) *
                  static_cast<std::uint64_t>(bytesPerSample_);
    const std::uint64_t framesInFile = (file_.size() - SerHeaderSize) / frameBytes_;
    frameCount_ = static_cast<int>(
        std::min<std::uint64_t>(framesInFile, static_cast<std::uint64_t>(std::max(header_.FrameCount, 0))));
    if (frameCount_ < 1) badSer(file_, "no complete frame");
    scales_ = std::make_shared<FrameScales>(frameCount_);
}

int SerFile::debayerItem() const {
    switch (header_.ColorID) {
        case 8:
            return 1;  // "RG"
        case 9:
            return 0;  // "GR"
        case 10:
            return 3;  // "GB"
        case 11:
            return 2;  // "BG"
        default:
            return -1;
    }
}

void SerFile::readFrame(int index, T2dArrays& plane, Bitmap24& preview) const {
    readFrame(index, &plane, &preview);
}

void SerFile::readFrame(int index, T2dArrays* plane, Bitmap24* preview, RowBand band) const {
    read(index, plane, preview, nullptr, band);
}

void SerFile::readLevels(int index, LevelBitmap& levels, RowBand band) const {
    read(index, nullptr, nullptr, &levels, band);
}

void SerFile::read(int index, T2dArrays* plane, Bitmap24* preview, LevelBitmap* levels, RowBand band) const {
    const std::uint64_t rowStride = static_cast<std::uint64_t>(header_.Width) * bytesPerSample_;
    const std::size_t rowBytes = static_cast<std::size_t>(width_) * bytesPerSample_;
    const std::uint64_t offset = SerHeaderSize + static_cast<std::uint64_t>(index) * frameBytes_;
    // The file's bytes of a chunk of rows, kept by each thread for its next read.
    thread_local std::vector<std::uint8_t> bytes;
    try {
        file_.checkRows(offset, rowStride, rowBytes, height_);
        sizeRawFrame(plane, preview, width_, height_, levels);
        const auto readRows = [&](int top, int count) {
            file_.readRows(offset + static_cast<std::uint64_t>(top) * rowStride, rowStride, rowBytes, count,
                           bytes);
            return static_cast<const std::uint8_t*>(bytes.data());
        };
        const int known = plane == nullptr ? scales_->get(index) : -1;
        int scale = -1;
        const FrameTargets to{plane, preview, levels, band};
        if (bytesPerSample_ == 1) {
            scale = convertFrame<Byte>(readRows, rowBytes, width_, height_, to, known, *scales_);
        } else if (header_.LittleEndian == 1) {
            scale = convertFrame<WordSwapped>(readRows, rowBytes, width_, height_, to, known, *scales_);
        } else {
            scale = convertFrame<WordLE>(readRows, rowBytes, width_, height_, to, known, *scales_);
        }
        if (scale >= 0) scales_->set(index, scale);
    } catch (const std::bad_alloc&) {
        throw FileError("Not enough memory to read " + displayName(file_.path()));
    }
}

SerOpenResult OpenSerFile(const std::filesystem::path& FileName, T2dArrays& RawFramePlane, Bitmap24& preview,
                          FrameReaderState& state) {
    const std::optional<SerFile> ser = SerFile::openIfExists(FileName);
    if (!ser) return {};
    ser->readFrame(0, RawFramePlane, preview);

    state.SerPixelDepth = ser->serPixelDepth();
    state.SerFrameCount = ser->frameCount();
    state.FrameChannel = 1;
    state.SerFrameWidth = state.FitsFrameWidth = ser->width();
    state.SerFrameHeight = state.FitsFrameHeight = ser->height();

    SerOpenResult result;
    result.opened = true;
    result.size = {ser->width(), ser->height(), ser->header().Width, ser->header().Height};
    result.bayer = ser->bayer();
    result.debayerItem = ser->debayerItem();
    result.ColourstackCaption = result.bayer ? "Colour(debayered)" : "Colour";
    return result;
}

bool ReadSerFrame(const std::filesystem::path& FileName, int Index, T2dArrays& RawFramePlane,
                  Bitmap24& preview, FrameReaderState& state, const DebayerHook& debayer) {
    const std::optional<SerFile> ser = SerFile::openIfExists(FileName);
    if (!ser || Index < 0 || Index >= ser->frameCount()) return false;
    ser->readFrame(Index, RawFramePlane, preview);
    state.FrameChannel = 1;
    if (debayer) debayer(preview);
    return true;
}

}  // namespace kestrave
