#pragma once
// The frame sources of the three input kinds: AVI video (one or several files read as one
// frame sequence), SER video and still-frame series (BMP, JPEG, FITS, TIFF, PNG). The alignment
// pass, the stacking driver and the frame browser read every input through them the same way.
//
// A source reads one frame into the hand-over buffers it is given and keeps nothing of it:
// the SER and still sources may run on several threads at once, each call on its own buffers
// (the SER source keeps only the preview scales its reads found, safe to share between them); the AVI source
// keeps its file open between calls and reads one frame at a time. Colour-sensor video is debayered by the
// source when the debayer switch is on.

#include <filesystem>
#include <memory>
#include <string>
#include <vector>

#include "codecs/tiff_bitmap.h"
#include "frames/avi_input.h"
#include "frames/avi_reader.h"
#include "frames/debayer.h"
#include "frames/frame_model.h"
#include "frames/frame_source.h"
#include "frames/frame_source_options.h"
#include "frames/image_data_section.h"
#include "frames/ser_reader.h"
#include "platform/bitmap24.h"

namespace kestrave {

// A source whose options may change between reads (the browser re-reads the shown frame after
// a change of the debayer choice). Options must not change while a pass reads through it.
class InputFrameSource : public FrameSource {
public:
    explicit InputFrameSource(FrameSourceOptions options) : options_(std::move(options)) {}
    void setOptions(const FrameSourceOptions& options) { options_ = options; }
    const FrameSourceOptions& options() const { return options_; }
    // Debayers `preview` in place when the options ask for it; true when it did.
    bool debayer(Bitmap24& preview) const;

private:
    FrameSourceOptions options_;
};

// The AVI reader's sink for single-frame reads: the source hands frames on itself, so the
// per-frame routines and the frame model are left alone; only the debayer hook acts.
class SingleFrameAviSink : public AviFrameSink {
public:
    explicit SingleFrameAviSink(const InputFrameSource* source = nullptr) : source_(source) {}
    bool frameExcluded(int) const override { return false; }
    void markDropped(int) override {}
    void setFrameSize(const AviFrameSize&) override {}
    void setCurrentFrame(int) override {}
    void setInterlaceField(int) override {}
    bool alignFrame() override { return true; }
    void stackFrame(int) override {}
    void debayer(Bitmap24& preview) override;

private:
    const InputFrameSource* source_;
};

// Frames of the AVI files entered in the frame model's segment table, by global index. The
// source has its own reader and picture buffers; it reads the segment table of `model`, which
// must not change while the source is in use. An empty (dropped) sample repeats the frame read
// before it, as the reader does.
class AviInputSource : public InputFrameSource {
public:
    AviInputSource(FrameModel& model, FrameSourceOptions options);
    FrameSamples readFrame(int frame, FrameBuffers& into) override;

private:
    Bitmap24 preview_;
    TTIFFBitMap highBit_;
    AviReader reader_;
    AviInput input_;
    SingleFrameAviSink sink_;
};

// Frames of one SER file: the samples as floats in RawFramePlane with their grey view in the
// preview, or, debayered, the colour preview alone.
class SerInputSource : public InputFrameSource {
public:
    // Throws FileError when the file is missing or is not a SER video the reader takes.
    SerInputSource(const std::filesystem::path& file, FrameSourceOptions options);
    FrameSamples readFrame(int frame, FrameBuffers& into) override;
    int maxConcurrentReads() const override;
    // Bands of grey previews; a debayered picture is made whole.
    bool makesPreviewBands() const override { return !options().DebayerEnabled; }
    bool makesLevels() const override { return !options().DebayerEnabled; }
    int frameCount() const { return ser_.frameCount(); }

private:
    SerFile ser_;
};

// Frames of a still-frame series: frame i is file i of the list, read by the reader of the
// input type. Every call reads its file afresh.
class StillInputSource : public InputFrameSource {
public:
    StillInputSource(TInputType type, std::vector<std::string> files, FrameSourceOptions options);
    FrameSamples readFrame(int frame, FrameBuffers& into) override;
    int maxConcurrentReads() const override;

private:
    TInputType type_;
    std::vector<std::string> files_;
};

// The source of the current input: frames 0 .. lastFrame of the input the frame model
// describes. Throws FileError when a SER input cannot be opened.
std::unique_ptr<InputFrameSource> makeFrameSource(FrameModel& model, int lastFrame,
                                                  const FrameSourceOptions& options);

}  // namespace kestrave
