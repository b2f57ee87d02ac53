#pragma once
// SER videos: a 178-byte little-endian header followed by the frames without gaps, each frame
// Width x Height samples of one byte (PixelDepth up to 8) or two bytes (deeper), top row first.
// Frame N starts at byte 178 + N x Width x Height x (1 or 2), addressed with 64 bits so that
// captures beyond 2 GiB read right. The header is checked against the file size before any
// frame is read: a frame count beyond the file's end gives only the frames that are there.

#include <cstdint>
#include <filesystem>
#include <memory>
#include <optional>

#include "frames/frame_file.h"
#include "frames/plane.h"
#include "frames/still_frames.h"
#include "platform/bitmap24.h"
#include "platform/level_bitmap.h"

namespace kestrave {

inline constexpr int SerHeaderSize = 178;

// The header fields up to FrameCount (observer, instrument, telescope and time stamps are not
// read).
struct SerHeader {
    std::int32_t LuID = 0;
    std::int32_t ColorID = 0;       // 8..11 Bayer mosaics RGGB, GRBG, GBRG, BGGR; 0 grey
    std::int32_t LittleEndian = 0;  // 1: the two bytes of every 16-bit sample are exchanged
    std::int32_t Width = 0;
    std::int32_t Height = 0;
    std::int32_t PixelDepth = 0;  // bits per sample
    std::int32_t FrameCount = 0;
};

class FrameScales;

class SerFile {
public:
    // Opens the file and checks its header; throws FileError when it is missing or not a SER
    // video this reader takes (bad size or depth, three-sample colour, no complete frame).
    explicit SerFile(const std::filesystem::path& path);
    // As the constructor, but a missing file gives no SerFile instead of an error.
    static std::optional<SerFile> openIfExists(const std::filesystem::path& path);

    const SerHeader& header() const { return header_; }
    // Frames held completely by the file: FrameCount, or fewer when the file ends before.
    int frameCount() const { return frameCount_; }
    // Frame size taken into the plane: the header's, clamped to MaxFrameSize.
    int width() const { return width_; }
    int height() const { return height_; }
    int bytesPerSample() const { return bytesPerSample_; }
    // 8 for samples of up to 8 bits, 16 for deeper ones.
    int serPixelDepth() const { return bytesPerSample_ == 1 ? 8 : 16; }
    // ColorID above 7: a colour-sensor mosaic that is debayered.
    bool bayer() const { return header_.ColorID > 7; }
    // The item of the Bayer-pattern choice for ColorID 8..11 (8 "RG" 1, 9 "GR" 0, 10 "GB" 3,
    // 11 "BG" 2); -1 for any other ColorID.
    int debayerItem() const;

    // Reads frame `index` (0 <= index < frameCount()) into `plane` (the samples as floats) and
    // `preview` (grey: the sample s shows as ClampByte(Round(s / (P + 1) x 255)), P the power of
    // two at or above the frame's largest sample). Both take the frame size. The frame is read
    // and converted a few rows at a time, once the file is known to hold it whole. Throws
    // FileError on a failed read (a file cut short meanwhile may leave them part written).
    void readFrame(int index, T2dArrays& plane, Bitmap24& preview) const;
    // As above, filling only those of the two that are given (not null), and of the preview only
    // the rows of `band` (its scale still comes from the whole frame).
    void readFrame(int index, T2dArrays* plane, Bitmap24* preview, RowBand band = {}) const;
    // The grey levels alone, one byte per pixel: the bytes the preview would hold three times
    // (of the rows of `band`; the scale still comes from the whole frame).
    void readLevels(int index, LevelBitmap& levels, RowBand band = {}) const;

private:
    explicit SerFile(FrameFile file);
    void read(int index, T2dArrays* plane, Bitmap24* preview, LevelBitmap* levels, RowBand band) const;

    FrameFile file_;
    SerHeader header_;
    int width_ = 0;
    int height_ = 0;
    int bytesPerSample_ = 1;
    std::uint64_t frameBytes_ = 0;
    int frameCount_ = 0;
    // What reads through this reader (and its copies) found out about the file's frames: each
    // frame's preview scale and the scale of the frame read last.
    std::shared_ptr<FrameScales> scales_;
};

// What opening a SER input found, for the caller to apply to the frame model and the controls.
struct SerOpenResult {
    bool opened = false;  // false: the file does not exist and nothing was changed
    ReadFrameSize size;
    // A colour-sensor video: debayering is switched on (Avidebay checked, its click handler run)
    // and debayerItem, when not -1, selects the Bayer pattern.
    bool bayer = false;
    int debayerItem = -1;
    const char* ColourstackCaption = "Colour";  // "Colour(debayered)" for a colour-sensor video
};

// Opens a SER input: checks the header, reads frame 0 into the raw plane and the grey preview
// (never debayered) and sets SerPixelDepth, SerFrameCount, FrameChannel and the SER and FITS size
// pairs. A missing file changes nothing. Throws FileError (nothing changed) on a bad file.
SerOpenResult OpenSerFile(const std::filesystem::path& FileName, T2dArrays& RawFramePlane, Bitmap24& preview,
                          FrameReaderState& state);

// Reads frame Index of a SER file into the raw plane and the preview, then hands the preview to
// `debayer` when the caller has debayering on. Returns false, changing nothing, when the file
// is missing or Index is not a frame of it. Throws FileError (nothing changed) on a bad file.
bool ReadSerFrame(const std::filesystem::path& FileName, int Index, T2dArrays& RawFramePlane,
                  Bitmap24& preview, FrameReaderState& state, const DebayerHook& debayer = {});

}  // namespace kestrave
