#include "frames/avi_reader.h"

#include <algorithm>
#include <cstring>

#include "platform/avi_read_ahead.h"

namespace kestrave {

namespace {

constexpr FourCC K3CC = makeFourCC("K3CC");
constexpr FourCC Y800 = makeFourCC("Y800");

}  // namespace

void AviReader::close() {
    decoder_.reset();
    file_.reset();
    state.OpenAviName.clear();
}

void AviReader::openFile(const std::string& fileName) {
    if (file_ && !state.AviReopen && state.OpenAviName == fileName) return;
    close();
    file_ = AviFile::open(fileName);
    state.OpenAviName = fileName;
    state.AviFormatSize = static_cast<std::int32_t>(file_->format().size());
    // The decoder follows the file's own format, so files of a multi-file input may differ.
    decoder_.emplace(*file_);
}

void AviReader::ReadAVIFrames(const std::string& fileName, int index, const AviReadOptions& options,
                              AviFrameSink& sink, ProgressPort& progress) {
    state.InputHiAvi = false;
    if (state.AviRawRead || options.DebayerEnabled) state.AviReopen = true;
    if (fileName.empty() || fileName == "none") return;
    state.DroppedFrames = false;
    if (index == -2) return;
    if (index < -2) throw AviError(AviMessages::FrameNumber);

    openFile(fileName);
    const AviStreamInfoRecord& info = file_->streamInfo();
    state.AviStreamInfo = info;
    if (index == 0) {
        state.AviFourCCText = FourCCToString(info.fccType) + FourCCToString(info.fccHandler);
        state.AviY800 = info.fccHandler == Y800;
        state.AviRawRead = info.fccHandler == K3CC || state.AviY800;
    }

    // Frame range within the file. A single read may address any frame of the file, a pass at
    // most MaxFramesPerFile of them; neither goes past the last record of the frame table.
    std::int64_t first = info.dwStart;
    std::int64_t last = std::max<std::int64_t>(first, std::int64_t{info.dwLength} - 1);
    state.AviFrameCount = static_cast<std::int32_t>(std::min<std::int64_t>(last + 1, INT32_MAX));
    state.AviIndexedFrames = static_cast<std::int64_t>(file_->indexedSampleCount());
    const bool pass = index == -1;
    if (pass) {
        last = std::min(
            {last, first + MaxFramesPerFile - 1, std::int64_t{MaxFrameIndex} - options.AviSegmentFirst});
    } else {
        if (index > last) throw AviError(AviMessages::FrameNumber);
        first = last = std::max<std::int64_t>(index, info.dwStart);
        if (first + options.AviSegmentFirst > MaxFrameIndex) throw AviError(AviMessages::FrameNumber);
    }
    const std::int64_t count = last - first + 1;
    const std::int64_t interval = std::max<std::int64_t>(1, count / 25);
    if (pass) progress.setMaximum(static_cast<int>(std::max<std::int64_t>(count, 0)));

    const bool inPass = options.InAlignPass || options.InStackPass;
    auto skipped = [&](std::int64_t i) {
        return inPass && sink.frameExcluded(static_cast<int>(i + options.AviSegmentFirst));
    };
    // In a pass the frames ahead are read while this one is decoded and handed on.
    std::optional<AviReadAhead> readAhead;
    if (pass) {
        std::vector<std::int64_t> order;
        for (std::int64_t i = first; i <= last; ++i)
            if (!skipped(i)) order.push_back(i);
        readAhead.emplace(*file_, decoder_->usefulSampleBytes(), std::move(order));
    }

    for (std::int64_t i = first; i <= last; ++i) {
        const int g = static_cast<int>(i + options.AviSegmentFirst);
        if (skipped(i)) continue;
        if (pass) {
            if ((i - first) % interval == 0 || i == last) {
                progress.setPosition(static_cast<int>(i - first));
                if (progress.cancelled() || sink.haltRequested()) return;
            }
            if (file_->sampleSize(i) == 0) {
                sink.markDropped(g);
                state.DroppedFrames = true;
            }
        }
        if (!readAhead || !readAhead->take(i, sample_))
            file_->readSample(i, sample_, decoder_->usefulSampleBytes());
        const bool fresh = decodeFrame(i, options);

        AviFrameSize size;
        size.FrameWidthRaw = preview_.width();
        size.FrameHeightRaw = preview_.height();
        size.FrameWidth = std::min(size.FrameWidthRaw, MaxFrameSize);
        size.FrameHeight = std::min(size.FrameHeightRaw, MaxFrameSize);
        if (!options.InStackPass) sink.setFrameSize(size);
        if (options.DebayerEnabled) sink.debayer(preview_);

        sink.setCurrentFrame(g);
        const bool excluded = sink.frameExcluded(g);
        if (!excluded) {
            progress.setStatus(2, "Processing frame :" + std::to_string(std::int64_t{g} + 1));
            if (options.interlaced)
                dispatchFields(g, options, size, sink);
            else
                dispatch(g, options, sink);
        }
        // The preview gamma is for the eye only: it comes after every field has been handed on,
        // and a repeated frame has had it already.
        if (fresh && options.Pregamma && options.GammaTable) applyPregamma(preview_, *options.GammaTable);
    }
}

bool AviReader::decodeFrame(std::int64_t i, const AviReadOptions& options) {
    const AviFrameDecoder& decoder = *decoder_;
    if (file_->sampleSize(i) == 0) {
        // An empty (dropped) sample repeats the frame shown last; before any frame, black.
        const bool highBit = decoder.highBit() && !options.DebayerEnabled;
        const bool shown = preview_.width() == decoder.width() && preview_.height() == decoder.height();
        const bool highBitShown = highBitFrame_.HighBitsAllocated() &&
                                  highBitFrame_.width() == decoder.width() + 1 &&
                                  highBitFrame_.height() == decoder.height() + 1;
        state.InputHiAvi = highBit;
        if (shown && (!highBit || highBitShown)) return false;
        decoder.blank(preview_, highBitFrame_);
        return true;
    }
    if (options.DebayerEnabled)
        decoder.decodeMosaic(sample_, preview_);
    else
        state.InputHiAvi = decoder.decode(sample_, preview_, highBitFrame_);
    return true;
}

void AviReader::dispatch(int globalFrame, const AviReadOptions& options, AviFrameSink& sink) {
    if (options.InAlignPass && !sink.alignFrame()) sink.alignFrame();
    if (options.InStackPass) sink.stackFrame(globalFrame);
}

// Interlaced video: each field is completed from its own lines and handed on by itself; the
// second field starts again from the frame as read.
void AviReader::dispatchFields(int globalFrame, const AviReadOptions& options, const AviFrameSize& size,
                               AviFrameSink& sink) {
    const int width = std::min(size.FrameWidth, preview_.width());
    const int height = std::min(size.FrameHeight, preview_.height());
    fieldCopy_ = preview_;
    sink.setInterlaceField(0);
    interpolateField(preview_, width, height, options.Interlacehoriz, 1);
    dispatch(globalFrame, options, sink);
    sink.setInterlaceField(1);
    preview_ = fieldCopy_;
    interpolateField(preview_, width, height, options.Interlacehoriz, 2);
    dispatch(globalFrame, options, sink);
}

void applyPregamma(Bitmap24& bitmap, const GammaTableArray& gammaTable) {
    std::uint8_t table[256];
    for (int v = 0; v < 256; ++v) table[v] = preGamma(gammaTable, static_cast<std::uint8_t>(v));
    for (int y = 0; y < bitmap.height(); ++y) {
        std::uint8_t* row = bitmap.row(y);
        for (std::size_t k = 0; k < 3 * static_cast<std::size_t>(bitmap.width()); ++k) row[k] = table[row[k]];
    }
}

void interpolateField(Bitmap24& bitmap, int width, int height, bool horizontal, int first) {
    auto mean = [](std::uint8_t a, std::uint8_t b) { return static_cast<std::uint8_t>((a + b) / 2); };
    if (!horizontal) {
        for (int y = first; y <= height - 2; y += 2) {
            const std::uint8_t* above = bitmap.row(y - 1);
            const std::uint8_t* below = bitmap.row(y + 1);
            std::uint8_t* row = bitmap.row(y);
            for (int k = 0; k < 3 * width; ++k) row[k] = mean(above[k], below[k]);
        }
        return;
    }
    for (int y = 0; y < height; ++y) {
        std::uint8_t* row = bitmap.row(y);
        for (int x = first; x <= width - 2; x += 2) {
            for (int c = 0; c < 3; ++c) row[3 * x + c] = mean(row[3 * x - 3 + c], row[3 * x + 3 + c]);
        }
    }
}

}  // namespace kestrave
