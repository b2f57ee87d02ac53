#pragma once
// The states, ports and context that optimizer passes work on, over a frame source of the test's
// choosing; the optimizer and optimize-and-stack tests build their benches on it. Header only:
// only the test programs that link the registration include it.

#include <memory>
#include <string>
#include <utility>
#include <vector>

#include "frames/frame_source.h"
#include "frames/gamma_table.h"
#include "frames/pixel_helpers.h"
#include "registration/optimizer_passes.h"
#include "support/memory_frame_source.h"

namespace kestrave::test {

// The source is built from the arguments; everything else starts empty (the gamma table too).
template <class Source, class Observer = OptimizerObserver>
struct OptimizerRig {
    template <class... Arguments>
    explicit OptimizerRig(Arguments&&... arguments) : source(std::forward<Arguments>(arguments)...) {}

    Source source;
    std::unique_ptr<FrameModel> model = std::make_unique<FrameModel>();
    ProgramState program;
    RegistrationState registration;
    AlignmentState alignment;
    OptimizerState optimizer;
    std::unique_ptr<GammaTableArray> gamma = std::make_unique<GammaTableArray>();
    NullProgress progress;
    BatchMessagePresenter messages{[](const std::string&) {}};
    Observer observer;
    OptimizerOptions options;
    OptimizerContext context{*model, program, registration, alignment, optimizer,
                             *gamma, source,  progress,     messages,  observer};
};

}  // namespace kestrave::test
