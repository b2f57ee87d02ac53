#pragma once
// What the end-to-end batch tests share: synthesised recordings in the containers the program
// reads, a headless run of the program in this process, and the measures that compare a result
// with the recording's true scene.

#include <array>
#include <filesystem>
#include <memory>
#include <string>
#include <vector>

#include "shell/application_context.h"
#include "shell/main_form.h"
#include "shell/startup.h"
#include "support/sample_recording.h"
#include "support/scene_compare.h"

namespace kestrave::test {

// A small recording for the batch tests: 160 x 120 pixels, 40 frames, shifts up to 4 pixels.
synth::SynthOptions batchRecordingOptions(int bitsPerSample = 8);

// The recording as an uncompressed 8-bit grey AVI (frames from the first one on).
void writeGreyAvi(const synth::Recording& recording, const std::filesystem::path& path);

// One headless start of the program in this process with the given arguments.
struct BatchRun {
    ApplicationContext context;
    std::unique_ptr<TMainForm> form;
    StartupOutcome outcome;
    const std::vector<Message>& log() { return context.messages().batchLog(); }
    // Whether a logged message's caption or text holds `text`.
    bool logged(const std::string& text);
};
std::unique_ptr<BatchRun> runHeadless(std::vector<std::string> arguments);

std::string fileBytes(const std::filesystem::path& file);

}  // namespace kestrave::test
