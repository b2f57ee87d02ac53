#pragma once
// ReadAVIFrames: the one routine through which AVI video reaches the program. With a frame
// number it decodes that frame into the preview (and, for high-bit frames, into the 16-bit
// frame); with -1 it walks the whole file once and hands every frame that is not excluded to
// the alignment or the stacking routine, as the pass flags say. Frame numbers inside this
// routine count within the file; the global frame number is that plus the segment's first frame.
//
// The reader keeps the last file open between calls (reads are positioned reads on its one file
// descriptor) and opens it afresh when another file is named or a reopen is requested.

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "codecs/tiff_bitmap.h"
#include "frames/avi_decode.h"
#include "frames/frame_model.h"
#include "frames/gamma_table.h"
#include "platform/avi_file.h"
#include "platform/bitmap24.h"
#include "platform/progress_port.h"

namespace kestrave {

// The frame sizes that a single-frame read reports for the frame model.
struct AviFrameSize {
    int FrameWidthRaw = 0;
    int FrameHeightRaw = 0;
    // The same, clamped to MaxFrameSize.
    int FrameWidth = 0;
    int FrameHeight = 0;
};

// What the reader needs of the frame model and of the per-frame routines.
class AviFrameSink {
public:
    virtual ~AviFrameSink() = default;
    // FrameTable[g].Excluded.
    virtual bool frameExcluded(int globalFrame) const = 0;
    // An empty sample: FrameTable[g].Excluded and .Dropped are set.
    virtual void markDropped(int globalFrame) = 0;
    // ImageWidth/ImageHeight and FrameWidth/FrameHeight (clamped), FrameWidthRaw/FrameHeightRaw.
    virtual void setFrameSize(const AviFrameSize& size) = 0;
    // CurrentFrame.
    virtual void setCurrentFrame(int globalFrame) = 0;
    // InterlaceField, set before each field of an interlaced frame is dispatched.
    virtual void setInterlaceField(int field) = 0;
    // AlignFrame on the frame in the preview; false when it could not align it.
    virtual bool alignFrame() = 0;
    // StackFrame(FrameTable[g].Slots[0].Brightness) on the frame in the preview / high-bit frame.
    virtual void stackFrame(int globalFrame) = 0;
    // Debayer: turns the raw mosaic in the preview into colour.
    virtual void debayer(Bitmap24& /*preview*/) {}
    // HaltRequested (the halt button of the alignment pass).
    virtual bool haltRequested() const { return false; }
};

// The options a caller reads from its controls and flags for one call.
struct AviReadOptions {
    bool InAlignPass = false;
    bool InStackPass = false;
    bool DebayerEnabled = false;
    bool interlaced = false;
    bool Interlacehoriz = false;
    bool Pregamma = false;
    // GammaTable of the renderer; the preview gamma needs it.
    const GammaTableArray* GammaTable = nullptr;
    // AviSegmentFirst: global number of the file's first frame.
    int AviSegmentFirst = 0;
};

// The reader's state that lives from call to call.
struct AviReaderState {
    AviStreamInfoRecord AviStreamInfo;
    std::int32_t AviFormatSize = 0;
    // Stream type and handler code, 8 characters; set by a read of frame 0.
    std::string AviFourCCText;
    // The handler is "K3CC" or "Y800" (frames read undecoded); set by a read of frame 0.
    bool AviRawRead = false;
    bool AviY800 = false;
    // The frame last read has more than 8 bits per sample; its samples are in the high-bit frame.
    bool InputHiAvi = false;
    // Last frame index + 1 of the file last opened.
    std::int32_t AviFrameCount = 0;
    // Frames that the file's index (or, without one, its scan) finds; fewer than the header's
    // count when the file was cut short.
    std::int64_t AviIndexedFrames = 0;
    // An empty sample was met in the last pass.
    bool DroppedFrames = false;
    // The caller wants the file opened afresh; forced on for raw and Bayer video.
    bool AviReopen = false;
    std::string OpenAviName;
};

class AviReader {
public:
    // At most this many frames of one file take part in a pass.
    static constexpr int MaxFramesPerFile = 10000;

    // `preview` is the preview bitmap (PreviewImage), `highBitFrame` the 16-bit frame.
    AviReader(Bitmap24& preview, TTIFFBitMap& highBitFrame)
        : preview_(preview), highBitFrame_(highBitFrame) {}

    // index -1: the pass over all frames; -2: opens nothing; 0 or more: that frame. An empty
    // name or "none" opens nothing. Failures throw AviError with the reader's own message.
    void ReadAVIFrames(const std::string& fileName, int index, const AviReadOptions& options,
                       AviFrameSink& sink, ProgressPort& progress);

    // Releases the open file.
    void close();

    AviReaderState state;

private:
    void openFile(const std::string& fileName);
    // Decodes frame i, read into sample_, into the preview; false when the sample was empty and
    // the frame shown last stays.
    bool decodeFrame(std::int64_t i, const AviReadOptions& options);
    void dispatch(int globalFrame, const AviReadOptions& options, AviFrameSink& sink);
    void dispatchFields(int globalFrame, const AviReadOptions& options, const AviFrameSize& size,
                        AviFrameSink& sink);

    Bitmap24& preview_;
    TTIFFBitMap& highBitFrame_;
    std::optional<AviFile> file_;
    std::optional<AviFrameDecoder> decoder_;
    std::vector<std::uint8_t> sample_;
    Bitmap24 fieldCopy_;
};

// Every byte v of the bitmap becomes Round(GammaTable[Round(v / 255 x 30000)] x 255).
void applyPregamma(Bitmap24& bitmap, const GammaTableArray& gammaTable);
// Interlaced video: the rows (or, `horizontal`, the columns) from `first` to size - 2 in steps of
// two become the mean of their two neighbours, (a + b) div 2 per byte, over width x height.
void interpolateField(Bitmap24& bitmap, int width, int height, bool horizontal, int first);

}  // namespace kestrave
