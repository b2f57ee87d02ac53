#include "output/frame_avi.h"

#include <algorithm>
#include <cstring>
#include <optional>
#include <utility>

#include "persist/reg_settings.h"
#include "stacking/stack_frames.h"
#include "stacking/stack_list.h"

namespace kestrave {

namespace fs = std::filesystem;

namespace {

constexpr char EmptyText[] = "No avi written, zero frames to stack";
constexpr char WarningCaption[] = "Saving AVI warning";

// The ranks 0..lastRank that exist.
int rankEnd(int lastRank) {
    return std::clamp(lastRank, -1, MaxFrameIndex) + 1;
}

std::vector<int> sortedUnique(std::vector<int> frames) {
    std::sort(frames.begin(), frames.end());
    frames.erase(std::unique(frames.begin(), frames.end()), frames.end());
    return frames;
}

// The file the video goes to, once the user agreed to replace an existing one; nullopt when not.
// The folder is remembered as "SaveDir".
std::optional<fs::path> videoTarget(const fs::path& chosenFile, SaveContext& context) {
    const fs::path target = outputFileName(chosenFile, ".avi");
    if (context.settings)
        context.settings->WriteString(kRegFilesSection, "SaveDir", target.parent_path().string());
    refuseInputFile(target, context.inputFiles);
    if (!confirmOverwrite(target, " overwrite existing file ?", context)) return std::nullopt;
    return target;
}

std::string frameNumbers(const std::vector<int>& frames) {
    std::string text;
    for (const int f : frames) text += (text.empty() ? "" : ", ") + std::to_string(f);
    return text;
}

// The last words of a writer: the status (when a video was written), and the frames that could
// not be read.
void closeVideo(AviResult& result, SaveContext& context, ProgressPort& progress) {
    progress.setStatus(3, result.file.empty() ? "" : "Avi written");
    if (!result.unreadable.empty())
        context.messages.warn(WarningCaption,
                              "These frames could not be read and were left out of the video: " +
                                  frameNumbers(result.unreadable));
}

// The user's stack and frame choice, put back whatever happens while the integrated video stacks
// its groups: the Excluded flags of the listed frames and the image size, and the dark and flat
// planes lent to the working section.
class StackScene {
public:
    StackScene(FrameModel& model, ImageDataSection& user, ImageDataSection& work,
               const std::vector<int>& frames)
        : model_(model),
          user_(user),
          work_(work),
          frames_(frames),
          width_(model.ImageWidth),
          height_(model.ImageHeight) {
        for (const int f : frames) excluded_.push_back(model.FrameTable[f].Excluded);
        work.ProcessAreaSize = user.ProcessAreaSize;
        std::swap(work.DarkPlanes, user.DarkPlanes);
        std::swap(work.FlatPlanes, user.FlatPlanes);
    }
    ~StackScene() {
        for (std::size_t i = 0; i < frames_.size(); ++i)
            model_.FrameTable[frames_[i]].Excluded = excluded_[i];
        model_.ImageWidth = width_;
        model_.ImageHeight = height_;
        std::swap(work_.DarkPlanes, user_.DarkPlanes);
        std::swap(work_.FlatPlanes, user_.FlatPlanes);
    }
    StackScene(const StackScene&) = delete;
    StackScene& operator=(const StackScene&) = delete;

    // Only the list positions first..last take part.
    void include(const IntegrationGroup& group) {
        for (std::size_t i = 0; i < frames_.size(); ++i) {
            const int p = static_cast<int>(i);
            model_.FrameTable[frames_[i]].Excluded = p < group.first || p > group.last;
        }
    }

private:
    FrameModel& model_;
    ImageDataSection& user_;
    ImageDataSection& work_;
    const std::vector<int>& frames_;
    std::vector<bool> excluded_;
    int width_;
    int height_;
};

}  // namespace

void cutOut(const Bitmap24& source, int left, int top, int width, int height, Bitmap24& dest) {
    dest.resize(width, height);
    const int x0 = std::clamp(left, 0, source.width());
    const int x1 =
        std::clamp(static_cast<long long>(left) + width, 0LL, static_cast<long long>(source.width()));
    if (x1 <= x0) return;
    const std::size_t bytes = 3 * static_cast<std::size_t>(x1 - x0);
    for (int y = 0; y < height; ++y) {
        const long long sy = static_cast<long long>(top) + y;
        if (sy < 0 || sy >= source.height()) continue;
        std::memcpy(dest.pixel(x0 - left, y), source.pixel(x0, static_cast<int>(sy)), bytes);
    }
}

std::vector<int> registeredAviFrames(const FrameModel& model, int lastRank) {
    std::vector<int> frames;
    for (int j = 0; j < rankEnd(lastRank); ++j) {
        const int f = frameAtRank(model, j);
        if (f >= 0 && f <= MaxFrameIndex && !model.FrameTable[f].Excluded) frames.push_back(f);
    }
    return sortedUnique(std::move(frames));
}

std::vector<int> integratedAviFrames(const FrameModel& model, int lastRank) {
    std::vector<int> frames;
    for (int j = 0; j < rankEnd(lastRank); ++j) {
        const int f = frameAtRank(model, j);
        if (f >= 0 && f <= MaxFrameIndex) frames.push_back(f);
    }
    return sortedUnique(std::move(frames));
}

AviCutOutPlan registeredCutOut(const FrameModel& model, const std::vector<int>& frames,
                               const RegisteredAviOptions& options) {
    AviCutOutPlan plan;
    if (options.size == RegisteredAviSize::AlignmentArea) {
        plan.width = plan.height = options.FFTSize;
        plan.offsetX = options.FeatureX - options.FFTSize / 2;
        plan.offsetY = options.FeatureY - options.FFTSize / 2;
        return plan;
    }
    // Reference pixel r lies at r + shift in a frame, so frame f covers the reference pixels
    // -shift .. width - 1 - shift; all of them cover -min .. width - 1 - max.
    int minX = 0, maxX = 0, minY = 0, maxY = 0;
    for (std::size_t i = 0; i < frames.size(); ++i) {
        const SlotShift s = shiftAtScale(model.FrameTable[frames[i]].Slots[0], 1.0);
        minX = i == 0 ? s.X : std::min(minX, s.X);
        maxX = i == 0 ? s.X : std::max(maxX, s.X);
        minY = i == 0 ? s.Y : std::min(minY, s.Y);
        maxY = i == 0 ? s.Y : std::max(maxY, s.Y);
    }
    plan.width = model.FrameWidth - (maxX - minX);
    plan.height = model.FrameHeight - (maxY - minY);
    plan.offsetX = -minX;
    plan.offsetY = -minY;
    return plan;
}

AviResult writeRegisteredAvi(const fs::path& chosenFile, const FrameModel& model, FrameSource& frames,
                             const RegisteredAviOptions& options, SaveContext& context,
                             ProgressPort& progress) {
    AviResult result;
    progress.setStatus(3, "Writing AVI");
    const std::vector<int> list = registeredAviFrames(model, options.lastRank);
    if (list.empty()) {
        context.messages.inform("Empty AVI file", EmptyText);
        return result;
    }
    const AviCutOutPlan plan = registeredCutOut(model, list, options);
    if (plan.width <= 0 || plan.height <= 0) {
        context.messages.warn(
            "Empty AVI file",
            "No avi written, the shifts of the frames leave no area that every frame covers");
        result.outcome = AviOutcome::NoArea;
        return result;
    }
    const std::optional<fs::path> target = videoTarget(chosenFile, context);
    if (!target) {
        result.outcome = AviOutcome::Declined;
        return result;
    }
    AviWriterLayout layout = options.layout;
    layout.frameCapacity = static_cast<int>(list.size());
    AviWriter writer(*target, plan.width, plan.height, layout);
    result.outcome = AviOutcome::Written;
    FrameBuffers buffers;
    Bitmap24 frame;  // the writer's own buffer: the stack and preview pictures stay as they are
    for (std::size_t k = 0; k < list.size(); ++k) {
        const int f = list[k];
        buffers.Parts = FrameParts::Preview;
        try {
            frames.readFrame(f, buffers);
        } catch (const std::exception&) {
            result.unreadable.push_back(f);
            continue;
        }
        if (options.frameRead) options.frameRead(buffers.Preview);
        const SlotShift shift = shiftAtScale(model.FrameTable[f].Slots[0], 1.0);
        cutOut(buffers.Preview, shift.X + plan.offsetX, shift.Y + plan.offsetY, plan.width, plan.height,
               frame);
        writer.addFrame(frame);
        if (progress.cancelled()) {
            progress.setCancelRequested(false);
            result.outcome = AviOutcome::Cancelled;
            break;
        }
    }
    writer.finish();
    result.file = *target;
    result.framesWritten = writer.frameCount();
    result.width = plan.width;
    result.height = plan.height;
    closeVideo(result, context, progress);
    return result;
}

std::vector<IntegrationGroup> integrationGroups(int count, int n, IntegrationMethod method) {
    std::vector<IntegrationGroup> groups;
    n = std::max(n, 1);
    if (method == IntegrationMethod::MovingAverage) {
        const int h = n / 2;
        for (int c = h; c <= count - h - 1; ++c) groups.push_back({c - h, c + h});
    } else {
        for (int g = 0; count > 0 && g <= (count - 1) / n; ++g)
            groups.push_back({g * n, std::min(g * n + n - 1, count - 1)});
    }
    return groups;
}

AviResult writeIntegratedAvi(const fs::path& chosenFile, FrameModel& model, const ProgramState& state,
                             ImageDataSection& section, FrameSource& frames,
                             const IntegratedAviOptions& options, SaveContext& context,
                             ProgressPort& progress) {
    AviResult result;
    const std::vector<int> list = integratedAviFrames(model, options.lastRank);
    const std::vector<IntegrationGroup> groups = integrationGroups(
        static_cast<int>(list.size()), std::clamp(options.Integratestep, 1, 50), options.method);
    if (groups.empty()) {
        context.messages.error("Empty Avi File", EmptyText);
        return result;
    }
    const std::optional<fs::path> target = videoTarget(chosenFile, context);
    if (!target) {
        result.outcome = AviOutcome::Declined;
        return result;
    }

    // Plain stacks of the chosen frames, made without a question.
    StackOptions stack = options.stack;
    stack.StackSlider = {options.lastRank, options.lastRank};
    stack.Statistical = stack.SigmaFinalPass = stack.Recordsigma = false;
    stack.SigmaEvents = nullptr;
    stack.StackToAviMode = true;
    ImageDataSection work;
    ProgramState workState = state;
    StackScene scene(model, section, work, list);

    AviWriterLayout layout = options.layout;
    layout.frameCapacity = static_cast<int>(groups.size());
    std::optional<AviWriter> writer;
    Bitmap24 frame;
    result.outcome = AviOutcome::Written;
    const std::string total = std::to_string(groups.size());
    for (std::size_t g = 0; g < groups.size(); ++g) {
        scene.include(groups[g]);
        StackResult stacked;
        try {
            stacked = stackFrames(model, workState, work, stack, frames, progress, context.messages);
        } catch (const std::exception&) {
            result.unreadable.push_back(list[static_cast<std::size_t>(groups[g].first)]);
            continue;
        }
        if (stacked.outcome == StackOutcome::Cancelled) {
            result.outcome = AviOutcome::Cancelled;
            break;
        }
        if (stacked.outcome != StackOutcome::Stacked) continue;
        const Bitmap24& picture = stacked.Stackimage;
        if (!writer) writer.emplace(*target, picture.width(), picture.height(), layout);
        // A stack of another size (a canvas that follows the group's shifts) is centred.
        cutOut(picture, (picture.width() - writer->width()) / 2, (picture.height() - writer->height()) / 2,
               writer->width(), writer->height(), frame);
        writer->addFrame(frame);
        progress.setStatus(3, "Writing frame " + std::to_string(g) + "/" + total);
        if (progress.cancelled()) {
            progress.setCancelRequested(false);
            result.outcome = AviOutcome::Cancelled;
            break;
        }
    }
    if (!writer) {
        // No group could be stacked: nothing was written.
        if (result.outcome == AviOutcome::Written) result.outcome = AviOutcome::NoFrames;
    } else {
        writer->finish();
        result.file = *target;
        result.framesWritten = writer->frameCount();
        result.width = writer->width();
        result.height = writer->height();
    }
    closeVideo(result, context, progress);
    return result;
}

}  // namespace kestrave
