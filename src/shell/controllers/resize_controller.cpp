#include "shell/controllers/resize_controller.h"

#include <QGuiApplication>
#include <QLabel>
#include <QPushButton>
#include <QScreen>
#include <QStackedWidget>
#include <QToolButton>

#include "output/resize_options.h"
#include "output/save_formats.h"
#include "shell/controllers/save_controller.h"
#include "shell/pages/align_page.h"
#include "shell/pages/final_page.h"
#include "shell/pages/shrink_view.h"
#include "shell/pages/stack_page.h"
#include "shell/pages/wavelet_page.h"
#include "shell/shell_ports.h"
#include "shell/tool_windows.h"
#include "widgets/bitmap_view.h"
#include "widgets/radio_group.h"

namespace kestrave {

namespace {

// Room the ratio and filter column takes beside the picture.
constexpr int ColumnWidth = 120;
constexpr int CaptionHeight = 60;

}  // namespace

ResizeController::ResizeController(const ResizeControllerParts& parts) : parts_(parts) {
    ShrinkView& view = parts.view;
    connect(&parts.waveletPage, &WaveletPage::resizeViewToggled, this, &ResizeController::ResizebuttonClick);
    connect(&parts.finalPage, &FinalPage::shrinkRequested, this, &ResizeController::ShrinkClick);
    connect(view.RadioGroup2, &TRadioGroup::OnClick, this, &ResizeController::RadioGroup2Click);
    connect(view.ResizeFilters, &TRadioGroup::OnClick, this, &ResizeController::ResizeFiltersClick);
    connect(view.Shrinktooriginal, &QPushButton::clicked, this, &ResizeController::ShrinktooriginalClick);
    connect(view.Saveshrink, &QPushButton::clicked, this, &ResizeController::SaveShrinkClick);
}

void ResizeController::sizeWindow(int width, int height) {
    const QRect screen = parts_.Shrinkview.screen()->availableGeometry();
    const PictureSize size = resizeWindowSize(width, height, screen.width(), screen.height());
    parts_.Shrinkview.resize(size.width, size.height);
}

void ResizeController::ResizebuttonClick(bool open) {
    ToolWindow& window = parts_.Shrinkview;
    if (!open) {
        window.hide();
        return;
    }
    openView();
}

void ResizeController::ShrinkClick() {
    if (parts_.Shrinkview.isVisible()) {
        parts_.Shrinkview.hide();
        return;
    }
    openView();
}

void ResizeController::openView() {
    ToolWindow& window = parts_.Shrinkview;
    // The view shows frame pixels: an unresampled (or drizzled) stack has the factor 1.
    if (!parts_.stackPage.resampled() || parts_.pipeline.drizzled()) parts_.pipeline.setResampleFactor(1.0f);
    parts_.view.RadioGroup2->setItemIndex(parts_.view.CopyResize->ItemIndex());
    // Sized to the picture before it shows, so that it opens where that size has room.
    RadioGroup2Click();
    window.show();
    window.raise();
    parts_.view.ResizeFilters->setFocus();
}

void ResizeController::RadioGroup2Click() {
    ShrinkView& view = parts_.view;
    const int ratio = std::max(view.RadioGroup2->ItemIndex(), 0);
    view.CopyResize->setItemIndex(ratio);
    // The Final page shows the final image, the Wavelet page the processed one, each at its own
    // size (also before anything was processed: then nothing shows). Other pages size the view
    // for the final image and draw nothing new.
    const int page = parts_.pages.currentIndex();
    const Bitmap24& finalImage = parts_.pipeline.finalImage().shown;
    PictureSize size;
    if (page == static_cast<int>(TMainTab::tabFinal) || page == static_cast<int>(TMainTab::tabWavelet)) {
        scaled_ = parts_.pipeline.resizedPicture(page == static_cast<int>(TMainTab::tabFinal), ratio,
                                                 std::max(view.ResizeFilters->ItemIndex(), 0));
        view.ShrinkImage->setPixmap(QPixmap::fromImage(bitmapView(scaled_)));
        size = {scaled_.width(), scaled_.height()};
    } else {
        size = resizedSize(finalImage.width(), finalImage.height(), resizeFactor(ratio));
    }
    sizeWindow(size.width + ColumnWidth, size.height + CaptionHeight);
    view.ShrinkImage->resize(size.width, size.height);
    view.Imagesize->setText(QString("Imagesize: %1x%2").arg(size.width).arg(size.height));
    view.ResizeFilters->setFocus();
}

void ResizeController::ResizeFiltersClick() {
    RadioGroup2Click();
}

void ResizeController::ShrinktooriginalClick() {
    parts_.view.RadioGroup2->setItemIndex(OriginalResizeRatio);
    RadioGroup2Click();
}

void ResizeController::SaveShrinkClick() {
    TFileDialog& dialog = parts_.SaveDialog4;
    if (scaled_.empty()) return;
    try {
        dialog.InitialDir = parts_.pipeline.saveFolder(parts_.pipeline.folders());
        if (!parts_.ports.dialogs().Execute(dialog)) return;
    } catch (const std::exception& error) {
        // The folder could not be made.
        parts_.ports.messages().error("Save error", error.what());
        return;
    }
    const ResizeSaveType type = saveFormatAt(resizeSaveFormats(), dialog.FilterIndex).type;
    runSaveCommand(parts_.ports.messages(), parts_.ports.shell, parts_.pipeline, [&] {
        return parts_.pipeline.saveResized(dialog.FileName, type, scaled_, savePorts(parts_.ports));
    });
    parts_.pipeline.restoreInputCaption(parts_.ports.progress(), SavedWork::Image);
}

}  // namespace kestrave
