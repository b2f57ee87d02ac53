#include "frames/input_selection.h"

#include <algorithm>
#include <chrono>
#include <cstdint>
#include <ctime>
#include <system_error>

#include "frames/bmp_reader.h"
#include "frames/fits_reader.h"
#include "frames/jpeg_reader.h"
#include "frames/png_io.h"
#include "frames/ser_reader.h"
#include "frames/tiff_frame.h"
#include "persist/ignore_case.h"
#include "platform/progress_port.h"

namespace kestrave {

namespace {

// Per filter index 1..7: the input type and the kind's name.
struct FilterKind {
    TInputType type;
    const char* name;
};
constexpr FilterKind filterKinds[] = {
    {TInputType::itAVI, "AVI"}, {TInputType::itBMP, "BMP"}, {TInputType::itFIT, "FIT"},
    {TInputType::itJPG, "JPG"}, {TInputType::itTIF, "TIF"}, {TInputType::itPNG, "PNG"},
    {TInputType::itSER, "SER"},
};

const FilterKind& kindOf(InputFilter filter) {
    const int index = std::clamp(static_cast<int>(filter), 1, 7);
    return filterKinds[index - 1];
}

const char* kindNameOf(TInputType type) {
    for (const FilterKind& kind : filterKinds)
        if (kind.type == type) return kind.name;
    return "AVI";
}

char lowered(char c) {
    return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c;
}

std::string lowerCase(std::string text) {
    std::transform(text.begin(), text.end(), text.begin(), lowered);
    return text;
}

constexpr int MaxAviFiles = MaxAviSegments;

std::string fileDateText(const std::filesystem::path& file) {
    std::error_code error;
    const auto written = std::filesystem::last_write_time(file, error);
    if (error) return {};
    const std::time_t time = std::chrono::system_clock::to_time_t(std::chrono::file_clock::to_sys(written));
    std::tm local{};
    localtime_r(&time, &local);
    char text[32];
    std::strftime(text, sizeof text, "%Y%m%d_%H%M%S", &local);
    return text;
}

void probeAvi(InputProbe& probe) {
    Bitmap24 preview;
    TTIFFBitMap highBit;
    AviReader reader(preview, highBit);
    SingleFrameAviSink sink;
    NullProgress quiet;
    for (std::size_t i = 0; i < probe.plan.files.size(); ++i) {
        reader.state.AviReopen = true;
        reader.ReadAVIFrames(probe.plan.files[i], 0, AviReadOptions{}, sink, quiet);
        probe.aviFrameCounts.push_back(reader.state.AviFrameCount);
        const std::int64_t missing = std::int64_t{reader.state.AviFrameCount} -
                                     reader.state.AviStreamInfo.dwStart - reader.state.AviIndexedFrames;
        if (missing > 0)
            probe.aviMissingFrames += (probe.aviMissingFrames.empty() ? "" : "\n") + probe.plan.files[i] +
                                      ": " + std::to_string(missing) + " of its " +
                                      std::to_string(reader.state.AviFrameCount) +
                                      " frames are missing (the file is cut short); they are left out as "
                                      "dropped frames.";
        probe.frameCount += reader.state.AviFrameCount;
        if (i == 0) {
            probe.width = probe.fileWidth = preview.width();
            probe.height = probe.fileHeight = preview.height();
            probe.first.Preview = preview;
            probe.firstSamples = reader.state.InputHiAvi ? FrameSamples::HighBit : FrameSamples::Bitmap;
            if (reader.state.InputHiAvi) probe.first.HighBitFrame = highBit;
            probe.first.Grey = reader.state.InputHiAvi;
        }
    }
}

void takeSize(InputProbe& probe, const ReadFrameSize& size) {
    probe.width = size.width;
    probe.height = size.height;
    probe.fileWidth = size.fileWidth;
    probe.fileHeight = size.fileHeight;
}

// The first frame of a still series or a SER video through the reader of its kind.
void probeStill(InputProbe& probe, bool TifStretch) {
    const std::filesystem::path file = probe.plan.files.front();
    FrameBuffers& first = probe.first;
    FrameReaderState& facts = probe.facts;
    const auto missing = [&] { return FileError("non existing file :" + file.string()); };
    probe.frameCount = static_cast<std::int64_t>(probe.plan.files.size());
    switch (probe.plan.filter) {
        case InputFilter::SER: {
            const SerOpenResult ser = OpenSerFile(file, first.RawFramePlane, first.Preview, facts);
            if (!ser.opened) throw missing();
            takeSize(probe, ser.size);
            probe.frameCount = facts.SerFrameCount;
            probe.serBayer = ser.bayer;
            probe.serDebayerItem = ser.debayerItem;
            probe.firstSamples = FrameSamples::Raw;
            break;
        }
        case InputFilter::FIT: {
            const FitsReadResult fits = ReadFitsFrame(file, first.RawFramePlane, first.Preview, facts);
            if (!fits.read) throw missing();
            takeSize(probe, fits.size);
            probe.luminance = fits.luminance;
            first.FrameChannel = facts.FrameChannel;
            probe.firstSamples = FrameSamples::Raw;
            break;
        }
        case InputFilter::TIF: {
            std::uint16_t hiValue = 0;
            takeSize(probe,
                     ReadTiffFrame(file, hiValue, TifStretch, first.Preview, first.HighBitFrame, facts));
            probe.firstSamples = FrameSamples::HighBit;
            break;
        }
        case InputFilter::PNG:
            probe.png16 = LoadPNGFrame(file, first.Preview, first.HighBitFrame, facts);
            probe.firstSamples = probe.png16 ? FrameSamples::HighBit : FrameSamples::Bitmap;
            takeSize(probe,
                     {facts.PngFrameWidth, facts.PngFrameHeight, facts.PngFrameWidth, facts.PngFrameHeight});
            break;
        case InputFilter::JPG:
            LoadJPGFrame(file, first.Preview, facts);
            takeSize(probe,
                     {facts.JpgFrameWidth, facts.JpgFrameHeight, facts.JpgFrameWidth, facts.JpgFrameHeight});
            break;
        default:
            first.Preview = readBmpFile(file);
            takeSize(probe, {first.Preview.width(), first.Preview.height(), first.Preview.width(),
                             first.Preview.height()});
            break;
    }
}

void removeTempPointFile(const std::filesystem::path& folder) {
    if (folder.empty()) return;
    std::error_code ignored;
    std::filesystem::remove(folder / TempPointFile, ignored);
}

// The frame names, or the segment table, of the input; returns the frame count before the cap.
std::int64_t enterFrames(FrameModel& model, const InputProbe& probe) {
    const std::vector<std::string>& files = probe.plan.files;
    switch (probe.plan.filter) {
        case InputFilter::AVI: {
            model.avicount = 0;
            for (std::size_t i = 0; i < files.size(); ++i) {
                const int s = static_cast<int>(i);
                // A damaged header may claim billions of frames; the sum of all files stays countable.
                const std::int64_t first = s == 0 ? 0 : std::int64_t{model.AviSegments[s - 1].LastFrame} + 1;
                const auto frames = static_cast<int>(
                    std::min<std::int64_t>(probe.aviFrameCounts[i], std::int64_t{INT32_MAX} - 1 - first));
                model.setAviSegment(s, files[i], frames);
                model.avicount = s;
            }
            return std::int64_t{model.AviSegments[model.avicount].LastFrame} + 1;
        }
        case InputFilter::SER: {
            const auto names = static_cast<int>(std::min<std::int64_t>(probe.frameCount, FrameCapacity));
            for (int i = 0; i < names; ++i) model.FrameNames[i] = "Frame " + std::to_string(i);
            return probe.frameCount;
        }
        default: {
            if (probe.plan.singleImage()) {
                model.FrameNames[0] = model.FrameNames[1] = files.front();
                return 2;
            }
            for (std::size_t i = 0; i < files.size(); ++i) model.FrameNames[static_cast<int>(i)] = files[i];
            return static_cast<std::int64_t>(files.size());
        }
    }
}

void setInputKind(FrameModel& model, InputFilter filter, bool png16) {
    model.InputType = inputTypeOf(filter);
    model.InputIsSeries = filter != InputFilter::AVI;
    model.InputIsJPG = filter == InputFilter::JPG;
    model.InputIsFIT = filter == InputFilter::FIT;
    model.InputIsTIF = filter == InputFilter::TIF;
    model.InputIsPNG = filter == InputFilter::PNG;
    model.InputIsSER = filter == InputFilter::SER;
    model.InputPNG16 = png16;
}

std::string listItem(const FrameModel& model, int frame) {
    if (!model.InputIsSeries) return "Frame " + std::to_string(frame + 1);
    return std::filesystem::path(model.FrameNames[frame]).filename().string();
}

// Names are kept absolute: the input's folder (where its point files and settings point) must
// not depend on the working directory of a later step.
std::string absoluteName(const std::string& file) {
    std::error_code error;
    const std::filesystem::path full = std::filesystem::absolute(file, error);
    return error || file.empty() ? file : full.lexically_normal().string();
}

}  // namespace

TInputType inputTypeOf(InputFilter filter) {
    return kindOf(filter).type;
}

const char* inputKindName(InputFilter filter) {
    return kindOf(filter).name;
}

InputFilter filterOfFile(const std::filesystem::path& file) {
    const std::string ext = lowerCase(file.extension().string());
    if (ext == ".avi") return InputFilter::AVI;
    if (ext == ".bmp") return InputFilter::BMP;
    if (ext == ".fit" || ext == ".fts" || ext == ".fits") return InputFilter::FIT;
    if (ext == ".jpg") return InputFilter::JPG;
    if (ext == ".tif" || ext == ".tiff") return InputFilter::TIF;
    if (ext == ".png") return InputFilter::PNG;
    if (ext == ".ser") return InputFilter::SER;
    return InputFilter::None;
}

bool InputPlan::singleImage() const {
    return !series && files.size() == 1 && filter != InputFilter::AVI && filter != InputFilter::SER;
}

InputPlan planInput(std::vector<std::string> chosen, InputFilter filter) {
    InputPlan plan;
    plan.filter = filter;
    if (filter == InputFilter::None) return plan;
    for (std::string& file : chosen) file = absoluteName(file);
    std::stable_sort(chosen.begin(), chosen.end(), lessIgnoringAsciiCase);
    const std::size_t limit = filter == InputFilter::SER   ? 1
                              : filter == InputFilter::AVI ? MaxAviFiles
                                                           : static_cast<std::size_t>(FrameCapacity);
    for (std::string& file : chosen) {
        if (filterOfFile(file) != filter) continue;
        if (plan.files.size() == limit) {
            plan.filesCapped = filter != InputFilter::SER;
            break;
        }
        plan.files.push_back(std::move(file));
    }
    return plan;
}

InputPlan planChosenInput(const std::vector<std::string>& chosen, InputFilter filter) {
    if (filter == InputFilter::None) filter = InputFilter::AVI;
    InputPlan plan = planInput(chosen, filter);
    if (!plan.files.empty() || chosen.empty()) return plan;
    plan.files = {absoluteName(chosen.front())};
    return plan;
}

std::string firstMissingFile(const InputPlan& plan) {
    for (const std::string& file : plan.files) {
        std::error_code error;
        if (!std::filesystem::is_regular_file(file, error)) return file;
    }
    return {};
}

InputProbe probeInput(const InputPlan& plan, bool TifStretch) {
    if (plan.files.empty()) throw FileError("No input file chosen");
    InputProbe probe;
    probe.plan = plan;
    if (plan.filter == InputFilter::AVI)
        probeAvi(probe);
    else
        probeStill(probe, TifStretch);
    probe.fileDate = fileDateText(plan.files.front());
    return probe;
}

void resetInputState(InputState& input) {
    input.readers.LumFrameLoaded = false;
}

InputRecord applyInput(FrameModel& model, ProgramState& state, ImageDataSection& section, InputState& input,
                       InputProbe&& probe, const FrameSourceOptions& sourceOptions) {
    const InputPlan& plan = probe.plan;
    const std::filesystem::path firstFile = plan.files.front();
    InputRecord record;
    record.singleImage = plan.singleImage();

    setInputKind(model, plan.filter, probe.png16);
    model.FrameWidthRaw = probe.fileWidth;
    model.FrameHeightRaw = probe.fileHeight;
    model.ImageWidth = model.FrameWidth = std::min(probe.width, MaxFrameSize);
    model.ImageHeight = model.FrameHeight = std::min(probe.height, MaxFrameSize);
    const bool tooLarge = probe.fileWidth > MaxFrameSize || probe.fileHeight > MaxFrameSize;
    record.seriesFramesTooLarge = tooLarge && model.InputIsSeries;
    record.aviFrameTooLarge = tooLarge && !model.InputIsSeries;

    const std::int64_t frames = enterFrames(model, probe);
    // A series capped at its 10001st file had more frames than that.
    record.tooManyFrames = frames > FrameCapacity || (model.InputIsSeries && plan.filesCapped);
    record.aviFilesLeftOut = !model.InputIsSeries && plan.filesCapped;
    record.aviMissingFrames = probe.aviMissingFrames;
    record.lastIndex = static_cast<int>(std::min<std::int64_t>(frames, FrameCapacity)) - 1;
    model.SerName = plan.filter == InputFilter::SER ? firstFile.string() : std::string();
    model.AviName = firstFile.filename().string();

    model.FramesRanked = false;
    for (int i = 0; i <= record.lastIndex; ++i) model.FrameTable[i].Excluded = false;
    state.progstatus = TProgStatus::psNone;
    state.newInput = true;
    if (record.singleImage) {
        model.SingleImage = true;
        setProcessStage(state, TProcessStage::stAligned);
        state.FeatureX = model.ImageWidth / 2;
        state.FeatureY = model.ImageHeight / 2;
        for (int rank = 0; rank <= 1; ++rank) model.FrameRanking[rank] = TRankRec{0, 1.0f, 0.0f};
        model.usedframes = 1;
    } else {
        setProcessStage(state, TProcessStage::stInputLoaded);
        model.usedframes = record.lastIndex + 1;
        record.listItems.reserve(static_cast<std::size_t>(record.lastIndex) + 1);
        for (int i = 0; i <= record.lastIndex; ++i) record.listItems.push_back(listItem(model, i));
        record.statusText = "Frames : " + std::to_string(record.lastIndex + 1) +
                            " Imagesize : " + std::to_string(model.ImageWidth) + "x" +
                            std::to_string(model.ImageHeight);
    }

    // The alignment points of the previous input, and any left in the new folder, are gone.
    removeTempPointFile(input.inputFolder);
    input.inputFolder = firstFile.parent_path();
    removeTempPointFile(input.inputFolder);

    // The first frame becomes the shown picture.
    input.PreviewBitmap = std::move(probe.first.Preview);
    if (probe.firstSamples == FrameSamples::Raw) section.RawFramePlane = std::move(probe.first.RawFramePlane);
    if (probe.firstSamples == FrameSamples::HighBit)
        section.HighBitFrame = std::move(probe.first.HighBitFrame);
    input.readers = probe.facts;
    input.source = makeFrameSource(model, record.lastIndex, sourceOptions);

    input.highBitVideo = !model.InputIsSeries && probe.firstSamples == FrameSamples::HighBit;
    // Once every file of a video is counted the caption names the first one as plain "AVI",
    // whatever its samples hold.
    record.caption = model.InputIsSeries ? seriesCaption(model, 0) : inputCaption(model, false);
    record.objectName = firstFile.stem().string();
    record.fileDate = probe.fileDate;
    return record;
}

int limitRefframes(int refframes, int lastIndex) {
    return std::min({refframes, 50, lastIndex / 2});
}

bool colourimage(const Bitmap24& picture) {
    const int w = picture.width();
    const int h = picture.height();
    if (w - 1 < 1 || h - 1 < 1) return false;
    // Steps of about a hundredth of the picture; a picture whose side is a whole number of
    // steps stops ten pixels short of its edge.
    const auto samples = [](int length, int step) {
        return length - 1 <= step * 100 ? (length - 11) / step : 100;
    };
    const int sx = (w - 1) / 100;
    const int sy = (h - 1) / 100;
    const int nx = samples(w, sx);
    const int ny = samples(h, sy);
    for (int r = 0; r <= ny; ++r) {
        const std::uint8_t* row = picture.row(r * sy);
        for (int c = 0; c <= nx; ++c) {
            const std::uint8_t* p = row + 3 * static_cast<std::size_t>(c) * static_cast<std::size_t>(sx);
            if (p[1] != p[2] || p[0] != p[2]) return true;
        }
    }
    return false;
}

std::string seriesCaption(const FrameModel& model, int frame, ShownBy shownBy) {
    if (!model.InputIsSeries) return {};
    const bool cutoff = shownBy == ShownBy::StackCutoff;
    if (model.InputIsSER)
        return "Kestrave processing SER: " + model.SerName + (cutoff ? "  " : " ") + std::to_string(frame);
    const bool tifs = cutoff && model.InputType == TInputType::itTIF;
    return std::string("Kestrave processing ") + kindNameOf(model.InputType) + (tifs ? "s: " : ": ") +
           model.FrameNames[frame];
}

std::string inputCaption(const FrameModel& model, bool highBitVideo, SavedWork saved) {
    if (model.InputIsSER) return "Kestrave processing SER: " + model.SerName + " 0";
    if (model.InputIsSeries) {
        const bool singular = saved == SavedWork::Image && model.InputType == TInputType::itPNG;
        return std::string("Kestrave processing ") + kindNameOf(model.InputType) + (singular ? ": " : "s: ") +
               model.FrameNames[0];
    }
    return (highBitVideo ? "Kestrave processing HI-AVI: " : "Kestrave processing AVI: ") +
           model.AviSegments[0].FileName;
}

}  // namespace kestrave
