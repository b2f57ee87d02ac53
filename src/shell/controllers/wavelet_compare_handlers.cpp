// The compare tools of the wavelet page: the processed view copied aside (and onto the system
// clipboard), the difference of the view from that copy, and the toggle between the last
// rendering and the copy. They work on the 24-bit view only.

#include <QClipboard>
#include <QGuiApplication>
#include <QPushButton>

#include "shell/controllers/wavelet_controller.h"
#include "shell/pages/wavelet_page.h"
#include "shell/shell_ports.h"
#include "widgets/bitmap_view.h"
#include "widgets/radio_group.h"

namespace kestrave {

namespace {

constexpr int CurrentImage = 0;
constexpr int ClipboardImage = 1;

}  // namespace

void WaveletController::connectCompareControls() {
    connect(page_.Clipcopy, &QPushButton::clicked, this, &WaveletController::ClipcopyClick);
    connect(page_.Differ, &QPushButton::clicked, this, &WaveletController::DifferClick);
    connect(page_.RadioGroup1, &TRadioGroup::OnClick, this, &WaveletController::RadioGroup1Click);
}

void WaveletController::keepRenderedView() {
    pipeline_.keepRenderedView();
}

void WaveletController::ClipcopyClick() {
    const Bitmap24& picture = pipeline_.wavelet().ProcessPicture;
    if (picture.empty()) return;
    // The view shares the bitmap's memory; the clipboard keeps a copy of its own.
    QGuiApplication::clipboard()->setImage(bitmapView(picture).copy());
    pipeline_.keepClipboardPicture();
    page_.RadioGroup1->setEnabled(true);
}

void WaveletController::DifferClick() {
    if (pipeline_.wavelet().ClipTemp.empty()) return;
    pipeline_.showDifferenceToClipboard();
    showProcessedView();
}

void WaveletController::RadioGroup1Click() {
    const int item = page_.RadioGroup1->ItemIndex();
    page_.Clipcopy->setEnabled(item == CurrentImage);
    page_.Differ->setEnabled(item == CurrentImage);
    pipeline_.showKeptPicture(item == ClipboardImage);
    showProcessedView();
}

}  // namespace kestrave
