#include "shell/controllers/avi_controller.h"

#include <QPushButton>
#include <cmath>

#include "frames/frame_source_options.h"
#include "output/avi_options.h"
#include "shell/busy_cursor.h"
#include "shell/controllers/align_page_options.h"
#include "shell/controllers/save_controller.h"
#include "shell/controllers/stack_controller.h"
#include "shell/pages/align_page.h"
#include "shell/pages/avi_controls.h"
#include "shell/pages/frame_windows.h"
#include "shell/pass_status.h"
#include "shell/shell_ports.h"
#include "widgets/bitmap_view.h"
#include "widgets/radio_group.h"
#include "widgets/slider.h"
#include "widgets/spin_edit.h"

namespace kestrave {

AviController::AviController(const AviControllerParts& parts) : parts_(parts) {
    connect(parts.controls.RegisterAVI, &QPushButton::clicked, this, &AviController::RegisterAVIClick);
    connect(parts.controls.Integrated, &QPushButton::clicked, this, &AviController::IntegratedClick);
}

bool AviController::chooseFile() {
    try {
        parts_.SaveDialog6.InitialDir = parts_.pipeline.saveFolder(parts_.pipeline.folders());
    } catch (const std::exception& error) {
        parts_.ports.messages().error("Save error", error.what());
        return false;
    }
    return parts_.ports.dialogs().Execute(parts_.SaveDialog6);
}

template <class Write>
void AviController::runWriter(Write&& write) {
    const BusyCursor busy;
    try {
        const std::unique_ptr<FrameSource> frames =
            frameSources_ ? frameSources_()
                          : parts_.pipeline.inputFrames(parts_.pipeline.input().browseLast,
                                                        readSourceOptions(parts_.alignPage, parts_.pipeline));
        // The writer's own status ends its run ("Avi written").
        write(*frames, savePorts(parts_.ports));
    } catch (const std::exception& error) {
        // A file that could not be written whole is not left behind; an older one stays.
        parts_.ports.progress().setStatus(3, "");
        parts_.ports.messages().error("Saving AVI", error.what());
        showPassEnd(parts_.ProgressBar1, parts_.ports.progress(), 2, "Writing AVI", PassOutcome::Failed);
    }
}

void AviController::RegisterAVIClick() {
    const LongOperation operation(parts_.ports.operations);
    if (!operation || !chooseFile()) return;
    RegisteredAviOptions options;
    options.size = parts_.controls.Registeravichoice->ItemIndex() == 1 ? RegisteredAviSize::MaximumArea
                                                                       : RegisteredAviSize::AlignmentArea;
    options.lastRank = parts_.pipeline.stackCount().last;
    options.FFTSize = parts_.pipeline.fft().FFTSize;
    options.FeatureX = parts_.pipeline.state().FeatureX;
    options.FeatureY = parts_.pipeline.state().FeatureY;
    // Each frame is shown in the preview as it is read.
    options.frameRead = [this](const Bitmap24& picture) {
        parts_.alignPage.showInPreview(bitmapView(picture), parts_.ports.shell.PreviewFitted);
    };
    runWriter([&](FrameSource& frames, const SavePorts& ports) {
        return parts_.pipeline.writeRegisteredAvi(parts_.SaveDialog6.FileName, frames, options, ports,
                                                  parts_.ports.progress());
    });
}

void AviController::IntegratedClick() {
    const LongOperation operation(parts_.ports.operations);
    if (!operation) return;
    // The frame limit is the stack list's end.
    const int lastRank = parts_.pipeline.frameLimit();
    if (lastRank < parts_.pipeline.input().browseLast)
        parts_.ports.messages().warn(
            "Saving AVI warning",
            "Not all frames are available in the stacklist, this option can only frames from the stacklist");
    if (!chooseFile()) return;
    IntegratedAviOptions options;
    options.Integratestep =
        static_cast<int>(std::nearbyint(static_cast<double>(parts_.controls.Integratestep->Value())));
    options.method = parts_.controls.MethodIntegratedAVI->ItemIndex() == 1 ? IntegrationMethod::Compressed
                                                                           : IntegrationMethod::MovingAverage;
    options.lastRank = lastRank;
    options.stack = parts_.stack.readStackOptions();
    runWriter([&](FrameSource& frames, const SavePorts& ports) {
        return parts_.pipeline.writeIntegratedAvi(parts_.SaveDialog6.FileName, frames, options, ports,
                                                  parts_.ports.progress());
    });
}

}  // namespace kestrave
