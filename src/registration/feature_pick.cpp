#include "registration/feature_pick.h"

#include <algorithm>

#include "frames/frame_browsing.h"
#include "frames/per_input_reset.h"
#include "platform/scope_exit.h"

namespace kestrave {

namespace {

constexpr int LastBoxSizeItem = 4;

// Accepted only more than half a box (plus one pixel on the far side) inside every border.
bool insideBorders(int x, int y, int half, int width, int height) {
    return half < x && x < width - 1 - half && half < y && y < height - 1 - half;
}

}  // namespace

int fittingBoxSizeItem(int itemIndex, int width, int height) {
    int item = std::min(itemIndex, LastBoxSizeItem);
    while (item >= 0 && fftSizeForItem(item) > std::min(width, height)) --item;
    return item;
}

void clampBoxToFrame(RegistrationState& registration, int n, int frameWidth, int frameHeight) {
    registration.BoxLeft = std::max(0, std::min(registration.BoxLeft, frameWidth - n));
    registration.BoxTop = std::max(0, std::min(registration.BoxTop, frameHeight - n));
}

FftSizeChoice chooseFftSize(ReferenceContext& context, int itemIndex, double fftFilter, bool freeBox) {
    RegistrationState& registration = context.registration;
    FftSizeChoice choice;
    choice.itemIndex = itemIndex;
    if (registration.FeatureChosen && !freeBox) {
        context.messages.inform("Alignment", " Changed alignment area: Please choose the alignment feature");
        registration.FeatureChosen = false;
        choice.featureDropped = true;
    }
    if (context.program.ProcessStage <= TProcessStage::stNone) return choice;

    const int fitting = fittingBoxSizeItem(itemIndex, context.model.ImageWidth, context.model.ImageHeight);
    if (fitting < 0) {
        context.messages.warn("Alignment warning",
                              " Frame too small to align: the smallest alignment box needs 32 x 32 pixels ");
        return choice;
    }
    choice.itemIndex = fitting;
    const int n = fftSizeForItem(fitting);
    InitFFT(context.fft, n);
    BuildFFTBandMask(context.fft, fftFilter);
    clampBoxToFrame(registration, n, context.model.FrameWidth, context.model.FrameHeight);
    setProcessStage(context.program, TProcessStage::stFFTSizeSet);
    choice.applied = true;
    return choice;
}

AutomaticFilterValues recalculateReference(ReferenceContext& context, const ReferenceOptions& options,
                                           ReferenceWindow& window, FrameAligner& aligner) {
    RegistrationState& registration = context.registration;
    ProgramState& program = context.program;
    program.TrackOffsetX = program.TrackOffsetY = 0;
    registration.TrackStepX = registration.TrackStepY = 0;
    registration.LastPeak = 0.0;

    const int half = context.fft.FFTSize / 2;
    registration.BoxLeft = program.FeatureX - half;
    registration.BoxTop = program.FeatureY - half;

    window.showFrame(registration.FeatureFrame);
    const AutomaticFilterValues values =
        CalculateReferenceFFT(context.fft, registration, program, context.model, context.section,
                              context.preview, options, context.messages);
    window.applyAutomaticValues(values);
    if (!aligner.AlignFrame()) aligner.AlignFrame();
    return values;
}

PickResult pickFeature(ReferenceContext& context, const PreviewClick& click, const ReferenceOptions& options,
                       ReferenceWindow& window, FrameAligner& aligner, ProgressPort& progress) {
    RegistrationState& registration = context.registration;
    ProgramState& program = context.program;
    progress.setCancelRequested(false);
    // UserBoxPlaced holds while a pick runs, and is lowered however the pick ends.
    registration.UserBoxPlaced = true;
    const ScopeExit placed([&registration] { registration.UserBoxPlaced = false; });

    if (registration.WaitForClick) {
        registration.ClickX = click.x;
        registration.ClickY = click.y;
        registration.WaitForClick = false;
        return PickResult::ClickTaken;
    }
    if (click.settingUpInput ||
        context.model.FrameTable[frameAtPosition(context.model, click.position)].Excluded) {
        return PickResult::Ignored;
    }
    const int half = context.fft.FFTSize / 2;
    if (!insideBorders(click.x, click.y, half, context.model.ImageWidth, context.model.ImageHeight)) {
        if (click.freeBox)
            context.messages.error("Alignment warning", " Alignment feature too close to image border ");
        else
            context.messages.warn("Alignment warning", " Choosen feature too close to image border ");
        return PickResult::TooCloseToBorder;
    }

    setProcessStage(program, TProcessStage::stFeatureSet);
    registration.FeatureChosen = true;
    program.progstatus = TProgStatus::psFeatureSet;
    registration.FeatureFrame = click.position;
    registration.refframe = click.position;
    program.FeatureX = click.x;
    program.FeatureY = click.y;
    registration.BoxLeft = click.x - half;
    registration.BoxTop = click.y - half;
    window.featureAccepted();

    const AutomaticFilterValues first = recalculateReference(context, options, window, aligner);
    window.referenceComputedOnce();
    recalculateReference(context, withAutomaticValues(options, first), window, aligner);

    setProcessStage(program, TProcessStage::stReferenceReady);
    return PickResult::FeatureAccepted;
}

}  // namespace kestrave
