#include "shell/controllers/options_controller.h"

#include <QApplication>
#include <QClipboard>
#include <QComboBox>
#include <QImage>
#include <QLabel>
#include <QListWidget>
#include <QPushButton>
#include <QSignalBlocker>
#include <QToolButton>
#include <algorithm>
#include <cstring>

#include "frames/frame_browsing.h"
#include "frames/gamma_table.h"
#include "frames/input_sources.h"
#include "output/bmp_writer.h"
#include "shell/busy_cursor.h"
#include "shell/pages/align_page.h"
#include "shell/pages/directory_list_box.h"
#include "shell/pages/frame_windows.h"
#include "shell/pages/stack_page.h"
#include "shell/shell_ports.h"
#include "shell/speed_bar.h"
#include "shell/tool_windows.h"
#include "shell/window_entry_points.h"
#include "stacking/stack_style.h"
#include "widgets/check_box.h"
#include "widgets/radio_group.h"
#include "widgets/slider.h"
#include "widgets/spin_edit.h"

namespace kestrave {

namespace {

// The clipboard picture taken as the input lives in the current folder under this name.
constexpr char ClipboardFileName[] = "clipkestrave.bmp";
// The break window's distance from the top of the main window.
constexpr int HaltWindowTop = 88;

}  // namespace

Bitmap24 clipboardPicture(const QImage& image) {
    const QImage bgr = image.convertToFormat(QImage::Format_BGR888);
    const int width = std::min(bgr.width(), MaxFrameSize);
    const int height = std::min(bgr.height(), MaxFrameSize);
    Bitmap24 picture(width, height);
    for (int y = 0; y < height; ++y)
        std::memcpy(picture.row(y), bgr.constScanLine(y), 3 * std::size_t(width));
    return picture;
}

OptionsController::OptionsController(const OptionsControllerParts& parts) : parts_(parts) {
    connect(&parts.align, &AlignPage::debayerMethodChosen, this, &OptionsController::debayergroupClick);
    connect(&parts.align, &AlignPage::previewGammaClicked, this, &OptionsController::PregammaClick);
    connect(&parts.align, &AlignPage::previewGammaChanged, this, &OptionsController::PreviewgammaChange);
    connect(&parts.align, &AlignPage::negativePreviewClicked, this, &OptionsController::NegativeimageClick);
    connect(&parts.align, &AlignPage::inputStretchChosen, this, &OptionsController::FittifstretchClick);
    connect(&parts.align, &AlignPage::haltWindowClicked, this, &OptionsController::HaltwindowClick);
    connect(&parts.stack, &StackPage::stackStylePicked, this, &OptionsController::ResampleDrizzlegroupClick);
    parts.frameWindows.connectSortRequest(*this, [this] { SortFramelistbuttonClick(); });
    connect(parts.speedBar.ClipboardFront, &QToolButton::clicked, this,
            &OptionsController::ClipboardFrontClick);
    connect(parts.tools.Cancel2button, &QPushButton::clicked, this, &OptionsController::Cancel2buttonClick);
}

void OptionsController::showFrameAgain() {
    parts_.entries.PreviewSliderChange();
}

// --- How the preview shows a frame ---------------------------------------------------------------

void OptionsController::debayergroupClick() {
    if (!parts_.shellState.StartingUp) showFrameAgain();
}

void OptionsController::PregammaClick() {
    parts_.align.showPreviewGammaControls(parts_.align.previewGammaShown());
    showFrameAgain();
}

void OptionsController::PreviewgammaChange() {
    parts_.pipeline.setPreviewGamma(parts_.align.previewGamma());
    showFrameAgain();
}

void OptionsController::NegativeimageClick() {
    showFrameAgain();
    parts_.align.allowPreviewGamma(!parts_.align.negativeShown());
}

void OptionsController::FittifstretchClick() {
    parts_.pipeline.setInputStretch(parts_.align.stretchesInput());
}

// --- The break window ----------------------------------------------------------------------------

void OptionsController::HaltwindowClick() {
    ToolWindow& window = *parts_.tools.Registerhaltwindow;
    const bool shown = parts_.align.haltWindowChosen();
    window.setVisible(shown);
    if (!shown) return;
    window.raise();
    // At the picture's right edge, but never beyond the main window's; never left of it either.
    const QRect main = parts_.window.frameGeometry();
    const int width = window.frameGeometry().width();
    const int left = std::max(0, std::min(parts_.align.previewWidth(), main.width()) - width);
    window.move(main.left() + left, main.top() + HaltWindowTop);
}

void OptionsController::Cancel2buttonClick() {
    parts_.entries.CancelButtonClick();
}

// --- The style of a stack ------------------------------------------------------------------------

void OptionsController::ResampleDrizzlegroupClick() {
    const bool refused =
        resamplingRefused(parts_.pipeline.model(), parts_.pipeline.input().browseBuffers.Samples);
    const StackStyleChoice choice =
        chooseStackStyle(parts_.stack.pickedStackStyle(), refused, parts_.messages);
    parts_.stack.applyStackStyle(choice);
    if (choice.style == StackStyle::Resampling) {
        // The resampling controls show, the wavelet page's Drizzle2 follows Drizzling, and
        // neither the expanded canvas nor realigning on the result goes with it.
        parts_.entries.ResampledClick();
        parts_.pipeline.setResampleFactor(parts_.stack.resampleFactor());
    } else {
        // Drizzle2 follows Drizzling, so that no drizzle-sized canvas outlives the choice.
        parts_.entries.DrizzlingClick();
    }
}

// --- The frame list ------------------------------------------------------------------------------

void OptionsController::SortFramelistbuttonClick() {
    const FrameModel& model = parts_.pipeline.model();
    // A video's frames keep the order they were recorded in.
    if (parts_.pipeline.input().source && model.InputIsSeries && !model.InputIsSER) {
        const BusyCursor busy;
        const std::vector<std::string> entries =
            parts_.pipeline.sortSeries(parts_.frameWindows.frameListCount(), parts_.entries.lastIndex(),
                                       parts_.entries.readSourceOptions());
        parts_.entries.fillFrameList(entries);
    }
    parts_.align.moveToFirstFrameQuietly();
    showFrameAgain();
}

// --- The clipboard picture as the input ----------------------------------------------------------

void OptionsController::ClipboardFrontClick() {
    const QImage image = QApplication::clipboard()->image();
    if (image.isNull()) return;
    std::filesystem::path file = parts_.align.currentFolder() / ClipboardFileName;
    try {
        writeBmp24(file, clipboardPicture(image));
    } catch (const std::exception& error) {
        parts_.messages.error("File error", error.what());
        return;
    }
    parts_.entries.openInputFile(file.string(), InputFilter::BMP);
}

}  // namespace kestrave
