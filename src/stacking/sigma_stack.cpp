#include "stacking/sigma_stack.h"

#include <optional>
#include <system_error>

#include "persist/big_ini_file.h"
#include "platform/errors.h"
#include "stacking/sigma_events.h"

namespace kestrave {

namespace fs = std::filesystem;

namespace {

// The log starts empty: an older log left in place would be read in and merged.
void removeOldLog(const fs::path& log) {
    std::error_code error;
    fs::remove(log, error);
    if (fs::exists(log))
        throw FileError("Cannot delete the sigma event log " + log.string() + ": " + error.message());
}

void showLogError(MessagePort& messages, const std::exception& error) {
    messages.show(Message{"Sigma events", error.what(), mtError, mbOK});
}

// Frames with more events than were kept.
void announceCappedFrames(const SigmaEventLog& log, MessagePort& messages) {
    const int frames = log.cappedFrames();
    if (frames == 0) return;
    const std::string cap = std::to_string(SigmaEventsPerFrame);
    const std::string first = eventSection(log.firstCappedFrame());
    const std::string text =
        frames == 1
            ? first + " had more than " + cap + " sigma events: only its " + cap + " brightest are recorded."
            : first + " and " + std::to_string(frames - 1) + " more frames had more than " + cap +
                  " sigma events: only the " + cap + " brightest of each are recorded.";
    messages.show(Message{"Sigma events", text, mtInformation, mbOK});
}

}  // namespace

SigmaStackRun sigmaStack(FrameModel& model, ProgramState& state, ImageDataSection& section,
                         const StackOptions& options, FrameSource& frames, ProgressPort& progress,
                         MessagePort& messages, const fs::path& eventLog) {
    SigmaStackRun run;
    StackOptions pass = options;
    pass.Statistical = true;
    pass.SigmaFinalPass = false;
    pass.Stackfilterset = false;
    pass.Resampled = pass.Drizzling = pass.Drizzle2 = false;
    pass.Recordsigma = false;
    pass.SigmaEvents = nullptr;
    progress.setStatus(3, "Initial sigma-clipping");
    run.first = stackFrames(model, state, section, pass, frames, progress, messages);
    run.first.SigmaFinalPass = false;
    if (run.first.outcome != StackOutcome::Stacked) return run;

    pass.Stackfilterset = options.Stackfilterset;
    pass.SigmaFinalPass = true;
    std::optional<TBigIniFile> log;
    std::optional<SigmaEventLog> events;
    if (options.Recordsigma) {
        // A log that cannot be started is reported; the clipped pass still runs.
        try {
            removeOldLog(eventLog);
            log.emplace(eventLog);
            events.emplace(*log, sigmaEventScale(pass));
            pass.Recordsigma = true;
            pass.SigmaEvents = &*events;
        } catch (const FileError& error) {
            showLogError(messages, error);
        }
    }
    progress.setStatus(3, "Final sigma-clipping");
    run.finalRan = true;
    try {
        run.final = stackFrames(model, state, section, pass, frames, progress, messages);
    } catch (const KestraveError& error) {
        // A frame that cannot be read ends the clipped pass; the statistics pass's stack stands.
        messages.show(Message{"Stacking", error.what(), mtError, mbOK});
        run.final = StackResult{};
    }
    run.final.SigmaFinalPass = false;
    if (events) {
        run.Sigmalist = events->listLines();
        try {
            log->flush();
            run.recorded = run.final.outcome == StackOutcome::Stacked;
        } catch (const FileError& error) {
            showLogError(messages, error);
        }
        announceCappedFrames(*events, messages);
    }
    return run;
}

}  // namespace kestrave
