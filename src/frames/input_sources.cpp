#include "frames/input_sources.h"

#include <cstdint>

#include "frames/bmp_reader.h"
#include "frames/fits_reader.h"
#include "frames/jpeg_reader.h"
#include "frames/png_io.h"
#include "frames/still_frames.h"
#include "frames/tiff_frame.h"
#include "platform/parallel.h"
#include "platform/progress_port.h"

namespace kestrave {

namespace {

[[noreturn]] void noSuchFrame(int frame) {
    throw FileError(" Frame number wrong. (" + std::to_string(frame) + ")");
}

// A part the pass did not ask for is left empty, so that nothing reads an earlier frame's.
void leaveUnread(FrameBuffers& into, bool plane, bool preview, bool levels = false) {
    if (!plane && !into.RawFramePlane.empty()) into.RawFramePlane = T2dArrays();
    if (!preview && !into.Preview.empty()) into.Preview = Bitmap24();
    if (!levels && !into.Levels.empty()) into.Levels = LevelBitmap();
}

}  // namespace

bool InputFrameSource::debayer(Bitmap24& preview) const {
    if (!options_.DebayerEnabled) return false;
    static const PlaneTriple noDark;
    Debayer(preview, options_.debayer, options_.DarkPlanes ? *options_.DarkPlanes : noDark);
    return true;
}

void SingleFrameAviSink::debayer(Bitmap24& preview) {
    if (source_) source_->debayer(preview);
}

AviInputSource::AviInputSource(FrameModel& model, FrameSourceOptions options)
    : InputFrameSource(std::move(options)),
      reader_(preview_, highBit_),
      input_(reader_, model),
      sink_(this) {}

FrameSamples AviInputSource::readFrame(int frame, FrameBuffers& into) {
    AviReadOptions read;
    read.DebayerEnabled = options().DebayerEnabled;
    NullProgress quiet;
    input_.readFrame(frame, read, sink_, quiet);
    into.Preview = preview_;
    into.FrameChannel = 1;
    if (reader_.state.InputHiAvi) {
        into.HighBitFrame = highBit_;
        into.Grey = true;
        return FrameSamples::HighBit;
    }
    into.Grey = false;
    return FrameSamples::Bitmap;
}

SerInputSource::SerInputSource(const std::filesystem::path& file, FrameSourceOptions options)
    : InputFrameSource(std::move(options)), ser_(file) {}

FrameSamples SerInputSource::readFrame(int frame, FrameBuffers& into) {
    if (frame < 0 || frame >= ser_.frameCount()) noSuchFrame(frame);
    if (into.Parts == FrameParts::Levels && makesLevels()) {
        ser_.readLevels(frame, into.Levels, into.PreviewRows);
        leaveUnread(into, false, false, true);
        into.FrameChannel = 1;
        into.Grey = false;
        return FrameSamples::Raw;
    }
    // A debayered frame is 8-bit colour made from the grey preview (16-bit samples are reduced to
    // it first): its preview holds the samples.
    const bool debayered = options().DebayerEnabled;
    const bool both = into.Parts == FrameParts::Both;
    const bool plane = both || (into.Parts == FrameParts::Samples && !debayered);
    const bool preview = both || into.Parts == FrameParts::Preview || debayered;
    // A band is kept to only when the preview alone is asked for and nothing is made from it.
    const RowBand band =
        into.Parts == FrameParts::Preview && makesPreviewBands() ? into.PreviewRows : RowBand{};
    ser_.readFrame(frame, plane ? &into.RawFramePlane : nullptr, preview ? &into.Preview : nullptr, band);
    leaveUnread(into, plane, preview);
    into.FrameChannel = 1;
    into.Grey = false;
    return debayer(into.Preview) ? FrameSamples::Bitmap : FrameSamples::Raw;
}

int SerInputSource::maxConcurrentReads() const {
    return threadCount();
}

StillInputSource::StillInputSource(TInputType type, std::vector<std::string> files,
                                   FrameSourceOptions options)
    : InputFrameSource(std::move(options)), type_(type), files_(std::move(files)) {}

int StillInputSource::maxConcurrentReads() const {
    return threadCount();
}

FrameSamples StillInputSource::readFrame(int frame, FrameBuffers& into) {
    if (frame < 0 || static_cast<std::size_t>(frame) >= files_.size()) noSuchFrame(frame);
    const std::filesystem::path file = files_[static_cast<std::size_t>(frame)];
    // Each read keeps its facts to itself, so reads on several threads never meet.
    FrameReaderState facts;
    into.FrameChannel = 1;
    into.Grey = false;
    switch (type_) {
        case TInputType::itFIT: {
            T2dArrays* plane = wantsSamples(into) ? &into.RawFramePlane : nullptr;
            Bitmap24* preview = wantsPreview(into) ? &into.Preview : nullptr;
            if (!ReadFitsFrame(file, plane, preview, facts).read)
                throw FileError("non existing file :" + file.string());
            leaveUnread(into, plane != nullptr, preview != nullptr);
            into.FrameChannel = facts.FrameChannel;
            return FrameSamples::Raw;
        }
        case TInputType::itTIF: {
            // Every frame starts from the full 16-bit range, so its picture never depends on
            // the frame read before it.
            std::uint16_t hiValue = 0;
            ReadTiffFrame(file, hiValue, options().TifStretch, into.Preview, into.HighBitFrame, facts);
            return FrameSamples::HighBit;
        }
        case TInputType::itPNG:
            return LoadPNGFrame(file, into.Preview, into.HighBitFrame, facts) ? FrameSamples::HighBit
                                                                              : FrameSamples::Bitmap;
        case TInputType::itJPG:
            LoadJPGFrame(file, into.Preview, facts);
            return FrameSamples::Bitmap;
        default:
            into.Preview = readBmpFile(file);
            return FrameSamples::Bitmap;
    }
}

std::unique_ptr<InputFrameSource> makeFrameSource(FrameModel& model, int lastFrame,
                                                  const FrameSourceOptions& options) {
    switch (model.InputType) {
        case TInputType::itAVI:
            return std::make_unique<AviInputSource>(model, options);
        case TInputType::itSER:
            return std::make_unique<SerInputSource>(model.SerName, options);
        default: {
            std::vector<std::string> files;
            files.reserve(static_cast<std::size_t>(std::max(lastFrame + 1, 0)));
            for (int i = 0; i <= lastFrame; ++i) files.push_back(model.FrameNames[i]);
            return std::make_unique<StillInputSource>(model.InputType, std::move(files), options);
        }
    }
}

}  // namespace kestrave
