// The wavelet page's small files: wavelet schemes (".kwv") and user filter kernels (".ksf", with
// the program's copy "savefilter.ini").

#include <QPushButton>

#include "enhance/scheme_types.h"
#include "platform/errors.h"
#include "platform/program_dir.h"
#include "shell/controllers/align_page_options.h"
#include "shell/controllers/wavelet_controller.h"
#include "shell/pages/wavelet_page.h"
#include "shell/pages/wavelet_tool_panels.h"
#include "shell/shell_ports.h"
#include "widgets/check_box.h"
#include "widgets/radio_group.h"
#include "widgets/slider.h"
#include "widgets/spin_edit.h"

namespace kestrave {

namespace {

constexpr const char* SchemeFilter = "Kestrave Wavelet settings|*.kwv";
constexpr const char* FilterFileFilter = "Kestrave Filter|*.ksf";

}  // namespace

void WaveletController::connectFileControls() {
    loadwaveletdialog = makeFileDialog(TFileDialog::Kind::Open, SchemeFilter, "kwv");
    savewaveletdialog = makeFileDialog(TFileDialog::Kind::Save, SchemeFilter, "kwv");
    SaveDialog5 = makeFileDialog(TFileDialog::Kind::Save, FilterFileFilter, "ksf");
    OpenDialog3 = makeFileDialog(TFileDialog::Kind::Open, FilterFileFilter, "ksf");
    connect(page_.loadschemebutton, &QPushButton::clicked, this, [this] { loadschemebuttonClick(); });
    connect(page_.saveschembutton, &QPushButton::clicked, this, &WaveletController::saveschembuttonClick);
    WaveletFilterPanel& filter = *parts_.panels.filter;
    connect(filter.SaveFilter, &QPushButton::clicked, this, &WaveletController::SaveFilterClick);
    connect(filter.Loadfilter, &QPushButton::clicked, this, &WaveletController::LoadfilterClick);
}

void WaveletController::saveschembuttonClick() {
    if (!ports_.dialogs().Execute(savewaveletdialog)) return;
    if (askOverwrite(ports_.messages(), savewaveletdialog.FileName,
                     " overwrite existing waveletsettings ?") != mrYes)
        return;
    try {
        pipeline_.saveScheme(savewaveletdialog.FileName, readWaveletScheme(page_));
    } catch (const FileError& error) {
        ports_.messages().error("Save scheme", error.what());
    }
}

void WaveletController::loadschemebuttonClick(bool batch) {
    if (!batch && !ports_.dialogs().Execute(loadwaveletdialog)) return;
    WaveletScheme scheme;
    try {
        scheme = pipeline_.loadScheme(loadwaveletdialog.FileName);
    } catch (const FileError& error) {
        // A scheme that is missing, no scheme or cannot be read changes nothing.
        ports_.messages().error("Load scheme", error.what());
        return;
    }
    applyWaveletScheme(scheme);
    // "Automatic processing" processes the stack as its steps reach it: the loader leaves "Process"
    // to it, and only the scheme's own controls process what they change.
    if (!automaticProcessing(parts_.align, pipeline_)) ProcessButtonClick();
}

void WaveletController::SaveFilterClick() {
    SaveDialog5.InitialDir = ProgramDir();
    if (!ports_.dialogs().Execute(SaveDialog5)) return;
    if (askOverwrite(ports_.messages(), SaveDialog5.FileName, " Overwrite existing projectfile ?") != mrYes)
        return;
    const KernelSpins spins = readKernelSpins();
    try {
        pipeline_.saveFilter(SaveDialog5.FileName, spins);
    } catch (const FileError& error) {
        ports_.messages().error("Save filter", error.what());
    }
    pipeline_.restoreInputCaption(ports_.progress());
}

void WaveletController::LoadfilterClick() {
    OpenDialog3.InitialDir = ProgramDir();
    if (!ports_.dialogs().Execute(OpenDialog3)) return;
    KernelSpins spins = readKernelSpins();
    try {
        spins = pipeline_.loadFilter(OpenDialog3.FileName, spins);
    } catch (const FileError& error) {
        ports_.messages().error("Load filter", error.what());
        return;
    }
    // The kernel shows in the spins; it goes into use with "Set".
    writeKernelSpins(spins);
    try {
        pipeline_.keepFilterCopy(spins);
    } catch (const FileError& error) {
        ports_.messages().error("Save filter", error.what());
    }
}

}  // namespace kestrave
