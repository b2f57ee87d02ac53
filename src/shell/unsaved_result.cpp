#include "shell/unsaved_result.h"

#include <functional>
#include <string_view>

#include "platform/message_port.h"
#include "shell/area_stages.h"
#include "shell/long_operation.h"
#include "shell/shell_ports.h"
#include "shell/shell_rules.h"

namespace kestrave {

namespace {

std::size_t hashBytes(const void* data, std::size_t size) {
    return std::hash<std::string_view>{}(std::string_view(static_cast<const char*>(data), size));
}

struct PassQuestion {
    const char* caption;
    const char* question;
};

PassQuestion questionBefore(PassOverResult kind) {
    switch (kind) {
        case PassOverResult::Align:
            return {"Alignment", "Save before aligning again ?"};
        case PassOverResult::Limit:
            return {"Frame limit", "Save before limiting the frames ?"};
        case PassOverResult::Optimize:
            return {"Optimizing", "Save before optimizing ?"};
        case PassOverResult::MasterFrame:
            return {"Master frame", "Save before stacking a master frame ?"};
        case PassOverResult::Reference:
            break;
    }
    return {"Reference frame", "Save before creating a new reference ?"};
}

}  // namespace

std::size_t resultFingerprint(const Pipeline& pipeline) {
    const Bitmap24& view = pipeline.wavelet().ProcessPicture;
    const TTIFFBitMap& result = pipeline.images().ResultImage16;
    std::size_t fingerprint = hashBytes(view.bits(), view.byteCount());
    if (result.HighBitsAllocated() && !result.empty()) {
        const std::size_t samples = result.samplesPerRow() * static_cast<std::size_t>(result.height());
        fingerprint = fingerprint * 31 + hashBytes(result.HighBitRow(0), samples * sizeof(std::uint16_t));
    }
    return fingerprint;
}

void markResultSaved(ShellState& shell, const Pipeline& pipeline) {
    shell.ImageSaved = true;
    shell.savedResult = resultFingerprint(pipeline);
}

void noteResultChanges(ShellState& shell, const Pipeline& pipeline) {
    if (shell.ImageSaved && shell.savedResult && *shell.savedResult != resultFingerprint(pipeline))
        shell.ImageSaved = false;
}

bool mayGiveUpResult(const Pipeline& pipeline, ShellPorts& ports, AreaStages& stages,
                     const std::string& caption, const std::string& question, std::uint16_t focus) {
    noteResultChanges(ports.shell, pipeline);
    if (!closeNeedsQuestion(ports.shell.ImageSaved, pipeline.state().activepage)) return true;
    const std::uint16_t answer = ports.messages().ask(mtCustom, caption, "You have not saved.\n\r" + question,
                                                      mbYesNoCancel, mrNo, {}, focus);
    if (answer == mrYes) stages.saveProcessedPicture();
    return closeProceeds(answer, ports.shell.ImageSaved);
}

bool mayRunPassOverResult(const Pipeline& pipeline, ShellPorts& ports, AreaStages& stages,
                          PassOverResult kind) {
    const auto [caption, question] = questionBefore(kind);
    return mayGiveUpResult(pipeline, ports, stages, caption, question, mbCancel);
}

void runPassOverResult(const Pipeline& pipeline, ShellPorts& ports, AreaStages& stages, PassOverResult kind,
                       const std::function<void()>& pass) {
    // Held over the question too: a click refused now is not asked about, and nothing else starts
    // while the question is open. The pass itself then runs as a call made by code.
    const LongOperation operation(ports.operations);
    if (!operation) return;
    if (mayRunPassOverResult(pipeline, ports, stages, kind)) pass();
}

}  // namespace kestrave
