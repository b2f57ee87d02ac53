#include "shell/developer_mode.h"

#include <QComboBox>
#include <QLabel>
#include <QPlainTextEdit>
#include <QPushButton>
#include <initializer_list>

#include "registration/quality_method.h"
#include "shell/pages/about_page.h"
#include "shell/pages/align_page.h"
#include "shell/pages/named_control.h"
#include "shell/pages/wavelet_page.h"
#include "shell/tool_windows.h"
#include "widgets/check_box.h"
#include "widgets/radio_group.h"
#include "widgets/spin_edit.h"

namespace kestrave {

namespace {
constexpr int DeveloperTonemapHeight = 517;
}  // namespace

void fillQualityMethodCombo(AlignPage& page, int count, int index) {
    page.QualityMethodCombo->clear();
    page.QualityMethodCombo->addItems(page.CopyAlignmethods->Items().mid(0, count));
    page.QualityMethodCombo->setCurrentIndex(index < page.QualityMethodCombo->count() ? index : -1);
}

void showDeveloperControls(DeveloperControls& controls) {
    AlignPage& align = controls.align;
    WaveletPage& wavelet = controls.wavelet;
    AboutPage& about = controls.about;
    for (QWidget* control : std::initializer_list<QWidget*>{
             align.TrackDetector, align.TrackDetect, control<TPCheck>(about, "Checkupdates"),
             &controls.tonegraph, control<QLabel>(about, "Developersmode"), wavelet.Clipcopy, wavelet.Differ,
             wavelet.RadioGroup1, control<QPlainTextEdit>(about, "Memo1"), align.FOMlabel, align.FOMspin,
             align.Pix1, align.Pix2})
        control->setVisible(true);
    align.FOMlabel->setStyleSheet("color: red");
    controls.tonemapWindow.resize(controls.tonemapWindow.width(), DeveloperTonemapHeight);
    fillQualityMethodCombo(align, static_cast<int>(align.CopyAlignmethods->Items().size()),
                           align.QualityMethodCombo->currentIndex());
}

bool developerModeOn(const DeveloperControls& controls) {
    return !control<QLabel>(controls.about, "Developersmode")->isHidden();
}

void hideDeveloperControls(DeveloperControls& controls) {
    AlignPage& align = controls.align;
    WaveletPage& wavelet = controls.wavelet;
    for (QWidget* control :
         std::initializer_list<QWidget*>{control<QLabel>(controls.about, "Developersmode"), wavelet.Differ,
                                         wavelet.RadioGroup1, align.FOMlabel, align.Pix1, align.Pix2})
        control->setVisible(false);
    fillQualityMethodCombo(align, QualityMethodListCount, align.QualityMethodCombo->currentIndex());
    if (align.QualityMethodCombo->currentIndex() >= 0) return;
    // Aligning without a method is not possible: the default takes over, as the user would
    // choose it.
    align.QualityMethodCombo->setCurrentIndex(DefaultQualityMethod);
    if (controls.qualityMethodChanged) controls.qualityMethodChanged();
}

}  // namespace kestrave
