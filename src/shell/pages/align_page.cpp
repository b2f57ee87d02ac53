#include "shell/pages/align_page.h"

#include <QComboBox>
#include <QFormLayout>
#include <QLineEdit>

#include "shell/pages/directory_list_box.h"
#include "shell/pages/number_controls.h"
#include "shell/pages/page_controls.h"
#include "shell/startup_rules.h"
#include "widgets/radio_group.h"
#include "widgets/slider.h"
#include "widgets/spin_edit.h"

namespace kestrave {

AlignPage::AlignPage(QWidget* parent) : QWidget(parent) {
    setObjectName("AlignPage");
    auto* layout = new QVBoxLayout(this);
    glPageControl1 = optionPages(this, "glPageControl1");
    PreviewFull = optionCheck(this, "PreviewFull", "Fit");
    Previewzoom = optionCheck(this, "Previewzoom", "Zoom");
    ShowFramelist = optionCheck(this, "ShowFramelist", "Frame list");
    Haltwindow = optionCheck(this, "Haltwindow", "Haltwindow");
    const ImageBox preview = imageBox(this, "ScrollBox1", "PreviewImage");
    ScrollBox1 = preview.box;
    PreviewImage = preview.image;
    DroppedFrameText = named(new QLabel("Dropped Frame", PreviewImage), "DroppedFrameText");
    DroppedFrameText->move(0, 10);
    DroppedFrameText->hide();
    BoxOutline = named(new QFrame(PreviewImage), "BoxOutline");
    BoxOutline->setFrameShape(QFrame::Box);
    BoxOutline->setStyleSheet("QFrame { border: 1px solid white; background: transparent; }");
    BoxOutline->setAttribute(Qt::WA_TransparentForMouseEvents);
    BoxOutline->hide();
    FreeBoxBand = named(new QFrame(PreviewImage), "FreeBoxBand");
    FreeBoxBand->setStyleSheet("QFrame { border: 1px dashed white; background: transparent; }");
    FreeBoxBand->setAttribute(Qt::WA_TransparentForMouseEvents);
    FreeBoxBand->hide();

    PreviewSlider = rangeSlider(this, "PreviewSlider", 0, 1, 0);
    Sliderset = integerSpin(this, "Sliderset", 1, 1000, 1);
    Frames = named(new QLabel(this), "Frames");
    UseFramesign = shape(this, "UseFramesign", 14, 14);
    UseFramesign->setFixedSize(14, 14);
    Frontpanel = named(new QFrame(this), "Frontpanel");

    FFTsizeGroup = radioGroup(this, "FFTsizeGroup", "Alignment box", {"32", "64", "128", "256", "512"}, -1);
    QStringList methods;
    for (const char* method : QualityMethodItems) methods << method;
    QualityMethodCombo = named(new QComboBox(this), "QualityMethodCombo");
    QualityMethodCombo->addItems(methods.mid(0, QualityMethodListCount));
    CopyAlignmethods = radioGroup(this, "CopyAlignmethods", "Quality methods", methods, DefaultQualityMethod);
    CopyAlignmethods->setVisible(false);
    AlignSlider = named(new TRxSlider(this), "AlignSlider");
    Framelabel = named(new QLabel(this), "Framelabel");
    FFTFilterspin = floatSpin(this, "FFTFilterspin", 2.0, 80.0, 0.1, 10.0, 1);
    ManualFFT = optionCheck(this, "ManualFFT", "Manual");
    RecalcFFTbutton = pushButton(this, "RecalcFFTbutton", "Recalc \nFFT");
    Alignmethod = radioGroup(this, "Alignmethod", "Method", {"Default(single)", "Multipoint", "None"}, 0);
    Freebox = optionCheck(this, "Freebox", "Userdefined Alignment Box");
    Alignbutton = pushButton(this, "Alignbutton", "Align");
    Manualalignbox = optionCheck(this, "Manualalignbox", "Manual");
    Setlimitbutton = pushButton(this, "Setlimitbutton", "Limit");
    // Aligning needs an input and a feature, the limit an alignment.
    for (QWidget* step : std::initializer_list<QWidget*>{Alignbutton, Manualalignbox, Setlimitbutton})
        step->setEnabled(false);
    QualityMethodlabel = textLabel(this, "QualityMethodlabel", "Quality");
    Lowerqualitylabel = named(new QLabel(this), "Lowerqualitylabel");
    Showalignpoints = optionCheck(this, "Showalignpoints", "Show alignment points");
    Negativeimage = optionCheck(this, "Negativeimage", "Preview negative");
    Pregamma = optionCheck(this, "Pregamma", "Preview gamma");
    HoldPreGamma = optionCheck(this, "HoldPreGamma", "Hold");
    HoldPreGamma->setVisible(false);
    Previewgamma = floatSpin(this, "Previewgamma", 0.2, 3.0, 0.25, 1.0, 2);
    Previewgamma->setVisible(false);
    Avidebay = optionCheck(this, "Avidebay", "Use Debayer");
    debayergroup = radioGroup(this, "debayergroup", "Method", {"GR", "RG", "BG", "GB"}, 0);
    Fittifstretch =
        radioGroup(this, "Fittifstretch", "FIT/TIF Image stretch", {"Always ask", "Yes", "No"}, 0);
    AutoDetectColour = optionCheck(this, "AutoDetectColour", "Autodetect colour");

    // Markers placed by the handlers, outside the layout.
    Showbutton = shape(this, "Showbutton", 20, 4);
    Showbuttonp1 = shape(this, "Showbuttonp1", 20, 4);
    Showbuttonp1->hide();
    Showpanel = named(new QFrame(this), "Showpanel");
    Showpanel->hide();
    RectShape1 = shape(this, "RectShape1", 10, 10);
    RectShape1->hide();

    glPageControl1->addTab(buildGeneralOptions(), "    General options    ");
    TabSheet10 = buildQualityOptions();
    glPageControl1->addTab(TabSheet10, "   Quality options   ");
    glPageControl1->addTab(buildAdditionalOptions(), "   Additional options   ");
    layout->addWidget(glPageControl1);
    layout->addLayout(
        controlRow({FFTsizeGroup, QualityMethodCombo, CopyAlignmethods, AlignSlider, Framelabel}));
    layout->addLayout(controlRow({PreviewFull, Previewzoom, ShowFramelist, Haltwindow}));
    layout->addLayout(controlRow({Alignbutton, Manualalignbox, Setlimitbutton, QualityMethodlabel,
                                  Lowerqualitylabel, Showalignpoints, Negativeimage, Pregamma, Previewgamma,
                                  HoldPreGamma, Avidebay, AutoDetectColour}));
    layout->addLayout(controlRow(
        {FFTFilterspin, ManualFFT, RecalcFFTbutton, Alignmethod, Freebox, debayergroup, Fittifstretch, Frontpanel}));
    layout->addWidget(ScrollBox1, 1);
    layout->addLayout(controlRow({UseFramesign, Frames, Sliderset}));
    layout->addWidget(PreviewSlider);
}

QWidget* AlignPage::buildGeneralOptions() {
    auto* page = new QWidget;
    Colourstack = optionCheck(page, "Colourstack", "Colour");
    LRGB = optionCheck(page, "LRGB", "LRGB");
    Usedarkframe = optionCheck(page, "Usedarkframe", "Darkframe");
    UseFlatfield = optionCheck(page, "UseFlatfield", "Flatfield");
    Rawdark = optionCheck(page, "Rawdark", "Raw");
    // Enabled once a dark frame is loaded.
    Rawdark->setEnabled(false);
    Blurbox = optionCheck(page, "Blurbox", "Bias subtract");
    Bias = integerSpin(page, "Bias", 1, 100, 50);
    Bias->setVisible(false);
    Trackobject = optionCheck(page, "Trackobject", "Track object");
    Trackobject->setChecked(true);
    predicttrack = optionCheck(page, "predicttrack", "Predict track");
    Misalignwarning = optionCheck(page, "Misalignwarning", "Misalign warning");
    Misalignwarning->setChecked(true);
    Ignoredefault = optionCheck(page, "Ignoredefault", "Ignore misaligned frames");
    ShowFFTbox = optionCheck(page, "ShowFFTbox", "FFT Graph");
    ShowGraphbox = optionCheck(page, "ShowGraphbox", "Registration Graph");
    interlaced = optionCheck(page, "interlaced", "Interlaced");
    Interlacehoriz = optionCheck(page, "Interlacehoriz", "Horizontal");
    Interlacehoriz->setVisible(false);
    DirectoryListBox1 = named(new TDirectoryListBox(page), "DirectoryListBox1");
    Savesubcontrol = optionCheck(page, "Savesubcontrol", "Save in subdirectory");
    Subdirname = named(new QLineEdit(page), "Subdirname");
    Subdirname->setEnabled(false);

    auto* layout = new QVBoxLayout(page);
    layout->addLayout(controlRow({Colourstack, LRGB, Usedarkframe, Rawdark, UseFlatfield, Blurbox, Bias}));
    layout->addLayout(controlRow({interlaced, Interlacehoriz, Trackobject, predicttrack}));
    layout->addLayout(controlRow({Misalignwarning, Ignoredefault, ShowFFTbox, ShowGraphbox}));
    layout->addWidget(DirectoryListBox1);
    layout->addLayout(controlRow({Savesubcontrol, Subdirname}));
    return page;
}

QWidget* AlignPage::buildQualityOptions() {
    auto* page = named(new QWidget, "TabSheet10");
    Currentquality = named(new QLabel(page), "Currentquality");
    QualityFilter = integerSpin(page, "QualityFilter", 1, 250, 12);
    QualFilterDX = integerSpin(page, "QualFilterDX", 1, 50, 5);
    CentralHVS = integerSpin(page, "CentralHVS", 1, 50, 4);
    Compresfactor = integerSpin(page, "Compresfactor", 10, 100, 60);
    Autofilter = optionCheck(page, "Autofilter", "Automatic");
    Autofilter->setChecked(true);

    auto* layout = new QVBoxLayout(page);
    layout->addWidget(Currentquality);
    auto* form = new QFormLayout;
    form->addRow("Quality filter", QualityFilter);
    form->addRow("Width", QualFilterDX);
    form->addRow("HVS centre", CentralHVS);
    form->addRow("Compression", Compresfactor);
    layout->addLayout(form);
    layout->addWidget(Autofilter);
    layout->addStretch(1);
    return page;
}

QWidget* AlignPage::buildAdditionalOptions() {
    auto* page = new QWidget;
    Languagebox = named(new QComboBox(page), "Languagebox");
    Languagebox->setEditable(true);
    Autolanguage = optionCheck(page, "Autolanguage", "Auto");
    TrackDetector = named(new QLabel("Track detector", page), "TrackDetector");
    TrackDetect = named(new TRxSpinEdit(page), "TrackDetect");
    TrackDetect->setValueType(TRxSpinEdit::TValueType::vtFloat);
    TrackDetect->setDecimal(1);
    TrackDetect->setMinValue(0.1L);
    TrackDetect->setMaxValue(1.0L);
    TrackDetect->setValue(0.7L);
    FOMlabel = named(new QLabel("FOM", page), "FOMlabel");
    FOMspin = named(new TRxSpinEdit(page), "FOMspin");
    FOMspin->setMinValue(1);
    FOMspin->setMaxValue(5);
    FOMspin->setValue(2);
    Pix1 = named(new TRxSpinEdit(page), "Pix1");
    Pix2 = named(new TRxSpinEdit(page), "Pix2");
    Pix3 = named(new TRxSpinEdit(page), "Pix3");
    for (TRxSpinEdit* weight : {Pix1, Pix2, Pix3}) weight->setMaxValue(100);
    Pix2->setValue(1);
    Pix3->setValue(1);
    for (QWidget* developer :
         std::initializer_list<QWidget*>{TrackDetector, TrackDetect, FOMlabel, FOMspin, Pix1, Pix2, Pix3})
        developer->setVisible(false);

    auto* layout = new QVBoxLayout(page);
    layout->addLayout(controlRow({Languagebox, Autolanguage}));
    layout->addLayout(controlRow({TrackDetector, TrackDetect, FOMlabel, FOMspin, Pix1, Pix2, Pix3}));
    layout->addStretch(1);
    return page;
}

}  // namespace kestrave
