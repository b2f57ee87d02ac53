#include "shell/pages/align_page.h"

#include "shell/pages/language_box.h"

#include <QComboBox>
#include <QEvent>
#include <QLineEdit>
#include <QPainter>
#include <QSignalBlocker>
#include <QStyledItemDelegate>
#include <QToolButton>
#include <cmath>
#include <utility>

#include "frames/input_reset_options.h"
#include "persist/language_file.h"
#include "registration/optimizer_options.h"
#include "registration/quality_method.h"
#include "shell/pages/directory_list_box.h"
#include "shell/pages/number_controls.h"
#include "shell/pages/page_controls.h"
#include "shell/tool_windows.h"
#include "stacking/stack_options.h"
#include "widgets/form_props.h"
#include "widgets/radio_group.h"
#include "widgets/slider.h"
#include "widgets/spin_edit.h"

namespace kestrave {

namespace {

// The width of the page's column of options.
constexpr int ColumnWidth = 336;

// An outline over the preview drawn in exclusive-or white: every pixel under it shows inverted,
// so it stands out on a bright planet and on the black sky alike, and leaves the picture as it
// was where it goes.
class XorOutline final : public QFrame {
public:
    explicit XorOutline(QWidget* parent) : QFrame(parent) {
        setAttribute(Qt::WA_TransparentForMouseEvents);
        hide();
    }

protected:
    void paintEvent(QPaintEvent*) override {
        QPainter painter(this);
        painter.setCompositionMode(QPainter::RasterOp_SourceXorDestination);
        painter.setPen(Qt::white);
        painter.setBrush(Qt::NoBrush);
        painter.drawRect(rect().adjusted(0, 0, -1, -1));
    }
};

// The quality methods' list: every item on white, in black, two pixels from its left edge.
class QualityItemDelegate final : public QStyledItemDelegate {
public:
    using QStyledItemDelegate::QStyledItemDelegate;
    void paint(QPainter* painter, const QStyleOptionViewItem& option,
               const QModelIndex& index) const override {
        painter->fillRect(option.rect, Qt::white);
        painter->setPen(Qt::black);
        painter->setFont(option.font);
        painter->drawText(option.rect.adjusted(2, 0, 0, 0), Qt::AlignLeft | Qt::AlignVCenter,
                          index.data(Qt::DisplayRole).toString());
    }
};

}  // namespace

AlignPage::AlignPage(QWidget* parent) : QWidget(parent) {
    setObjectName("AlignPage");
    glPageControl1 = optionPages(this, "glPageControl1");
    buildPreview();
    buildFrameBrowser();
    buildStepControls();
    buildMarkers();
    buildOptionTabs();
    layOutPage();
    connect(Setlimitbutton, &QToolButton::clicked, this, &AlignPage::limitRequested);
    connect(OptimizeQualitySpin, &TRxSpinEdit::OnChange, this, &AlignPage::qualityLimitChanged);
    connect(Sliderset, &TRxSpinEdit::OnChange, this, &AlignPage::gotoFrameRequested);
    connect(Usedarkframe, &TPCheck::OnClick, this, &AlignPage::darkFrameClicked);
    connect(Rawdark, &TPCheck::OnClick, this, &AlignPage::rawDarkClicked);
    connect(LRGB, &TPCheck::OnClick, this, &AlignPage::lrgbClicked);
    connect(Negativeimage, &TPCheck::OnClick, this, &AlignPage::negativePreviewClicked);
    connect(Pregamma, &TPCheck::OnClick, this, &AlignPage::previewGammaClicked);
    connect(Previewgamma, &TRxSpinEdit::OnChange, this, &AlignPage::previewGammaChanged);
    connect(PreviewFull, &TPCheck::OnClick, this, &AlignPage::fitPreviewClicked);
    connect(debayergroup, &TRadioGroup::OnClick, this, &AlignPage::debayerMethodChosen);
    connect(Fittifstretch, &TRadioGroup::OnClick, this, &AlignPage::inputStretchChosen);
    connect(Haltwindow, &TPCheck::OnClick, this, &AlignPage::haltWindowClicked);
    connect(Savesubcontrol, &TPCheck::OnClick, this, &AlignPage::saveSubfolderClicked);
    connect(DirectoryListBox1, &TDirectoryListBox::directoryChanged, this, &AlignPage::foldersChanged);
    connect(Savesubcontrol, &TPCheck::CheckedChanged, this, &AlignPage::foldersChanged);
    connect(Subdirname, &QLineEdit::textChanged, this, &AlignPage::foldersChanged);
    ScrollBox1->installEventFilter(this);
}

bool AlignPage::eventFilter(QObject* watched, QEvent* event) {
    if (watched == ScrollBox1 && event->type() == QEvent::Resize) emit previewBoxResized();
    return QWidget::eventFilter(watched, event);
}

void AlignPage::buildPreview() {
    PreviewFull = optionCheck(this, "PreviewFull", "Fit");
    Previewzoom = optionCheck(this, "Previewzoom", "Show Zoomed Image");
    ShowFramelist = optionCheck(this, "ShowFramelist", "Frame list");
    Haltwindow = optionCheck(this, "Haltwindow", "Haltwindow");
    const ImageBox preview = imageBox(this, "ScrollBox1", "PreviewImage");
    ScrollBox1 = preview.box;
    PreviewImage = preview.image;
    DroppedFrameText = named(new QLabel("Dropped Frame", PreviewImage), "DroppedFrameText");
    DroppedFrameText->move(0, 10);
    DroppedFrameText->hide();
    BoxOutline = named(new XorOutline(PreviewImage), "BoxOutline");
    FreeBoxBand = named(new XorOutline(PreviewImage), "FreeBoxBand");
}

void AlignPage::buildFrameBrowser() {
    PreviewSlider = rangeSlider(this, "PreviewSlider", 0, 1, 0);
    Sliderset = integerSpin(this, "Sliderset", 1, 1000, 1);
    Frames = runningText(this, "Frames");
    UseFramesign = shape(this, "UseFramesign", 14, 14, {}, 2);
    UseFramesign->setFixedSize(14, 14);
    Frontpanel = named(new QFrame(this), "Frontpanel");
    compact(new QHBoxLayout(Frontpanel), 0);
    glBevel1 = logoBevel(Frontpanel, "glBevel1");
}

void AlignPage::buildStepControls() {
    FFTsizeGroup = radioGroup(this, "FFTsizeGroup", "Alignment box", {"32", "64", "128", "256", "512"}, -1);
    FFTsizeGroup->setColumns(5);
    QStringList methods;
    for (const QualityMethod& method : QualityMethods)
        methods << QString::fromUtf8(method.caption.data(), static_cast<qsizetype>(method.caption.size()));
    QualityMethodCombo = named(new QComboBox(this), "QualityMethodCombo");
    QualityMethodCombo->setItemDelegate(new QualityItemDelegate(QualityMethodCombo));
    QPalette qualityColours = QualityMethodCombo->palette();
    for (const QPalette::ColorRole ground : {QPalette::Base, QPalette::Button, QPalette::Highlight})
        qualityColours.setColor(ground, Qt::white);
    for (const QPalette::ColorRole text : {QPalette::Text, QPalette::ButtonText, QPalette::HighlightedText})
        qualityColours.setColor(text, Qt::black);
    QualityMethodCombo->setPalette(qualityColours);
    QualityMethodCombo->addItems(methods.mid(0, QualityMethodListCount));
    CopyAlignmethods = radioGroup(this, "CopyAlignmethods", "Quality methods", methods, DefaultQualityMethod);
    CopyAlignmethods->setVisible(false);
    AlignSlider = named(new TRxSlider(this), "AlignSlider");
    Framelabel = runningText(this, "Framelabel");
    FFTFilterspin = floatSpin(this, "FFTFilterspin", 2.0, 80.0, 0.1, 10.0, 1);
    ManualFFT = optionCheck(this, "ManualFFT", "Manual");
    RecalcFFTbutton = speedButton(this, "RecalcFFTbutton", "Recalc \nFFT");
    Alignmethod =
        radioGroup(this, "Alignmethod", "Alignment method", {"Default(single)", "Multipoint", "None"}, 0);
    Alignmethod->setColumns(3);
    Freebox = optionCheck(this, "Freebox", "Userdefined Alignment Box");
    Alignbutton = speedButton(this, "Alignbutton", "Align");
    Manualalignbox = optionCheck(this, "Manualalignbox", "Manual");
    Setlimitbutton = speedButton(this, "Setlimitbutton", "Limit");
    Autoprocess = optionCheck(this, "Autoprocess", "Automatic processing");
    // Aligning needs an input and a feature, the limit an alignment.
    for (QWidget* step : std::initializer_list<QWidget*>{Alignbutton, Manualalignbox, Setlimitbutton})
        step->setEnabled(false);
    QualityMethodlabel = textLabel(this, "QualityMethodlabel", "Quality");
    Lowerqualitylabel = textLabel(this, "Lowerqualitylabel", "Lower quality limit (%)");
    OptimizeQualitySpin = integerSpin(this, "OptimizeQualitySpin", 0, 100, 80);
    OptimizeQualitySpin->setIncrement(5);
    OptimizeQualitySpin->setEnabled(false);
    Showalignpoints = optionCheck(this, "Showalignpoints", "Show Alignment Points");
    Negativeimage = optionCheck(this, "Negativeimage", "Preview negative");
    Pregamma = optionCheck(this, "Pregamma", "Preview gamma");
    HoldPreGamma = optionCheck(this, "HoldPreGamma", "Hold");
    HoldPreGamma->setVisible(false);
    Previewgamma = floatSpin(this, "Previewgamma", 0.2, 3.0, 0.25, 1.0, 2);
    Previewgamma->setVisible(false);
    Avidebay = optionCheck(this, "Avidebay", "Use Debayer");
    debayergroup = radioGroup(this, "debayergroup", "Method", {"GR", "RG", "BG", "GB"}, 0);
    debayergroup->setColumns(2);
    Fittifstretch =
        radioGroup(this, "Fittifstretch", "FIT/TIF Image stretch", {"Always ask", "Yes", "No"}, 0);
    Fittifstretch->setColumns(3);
    AutoDetectColour = optionCheck(this, "AutoDetectColour", "Autodetect colour");
}

void AlignPage::buildMarkers() {
    Showbutton = shape(this, "Showbutton", 20, 4, {}, 1);
    Showbuttonp1 = shape(this, "Showbuttonp1", 20, 4, {}, 1);
    Showbuttonp1->hide();
    Showpanel = named(new QFrame(this), "Showpanel");
    Showpanel->hide();
    RectShape1 = shape(this, "RectShape1", 10, 10, {}, 2);
    RectShape1->hide();
}

void AlignPage::buildOptionTabs() {
    glPageControl1->addTab(named(buildGeneralOptions(), "Alignoptionslabel"), "    General options    ");
    TabSheet10 = buildQualityOptions();
    glPageControl1->addTab(TabSheet10, "Quality options");
    glPageControl1->addTab(buildAdditionalOptions(), "   Additional options   ");
}

void AlignPage::layOutPage() {
    // The preview with its view options over it and the frame browser under it.
    const PageFrame frame = pictureAndColumn(this, ColumnWidth);
    frame.picture->addLayout(controlRow(
        {PreviewFull, Previewzoom, ShowFramelist, Haltwindow, Negativeimage, Pregamma, HoldPreGamma}));
    frame.picture->addWidget(ScrollBox1, 1);
    auto* browser = controlRow({UseFramesign, Frames});
    browser->addWidget(caption(this, "Goto Frame"));
    browser->addWidget(Sliderset);
    browser->addWidget(Frontpanel, 1);
    Sliderset->setMaximumWidth(80);
    frame.picture->addLayout(browser);
    // The ranked frames' slider joins the frame slider once the frames are ranked.
    auto* sliders = new QHBoxLayout;
    sliders->addWidget(PreviewSlider, 2);
    sliders->addWidget(AlignSlider, 1);
    sliders->addWidget(Framelabel);
    frame.picture->addLayout(sliders);

    // The step's options, and Align and Limit with the quality limit at the bottom.
    QWidget* column = frame.column->parentWidget();
    frame.column->addWidget(FFTsizeGroup);
    auto* quality = new QGridLayout;
    quality->addWidget(QualityMethodlabel, 0, 0);
    quality->addWidget(QualityMethodCombo, 0, 1, 1, 2);
    quality->addWidget(named(caption(column, "Filter radius"), "Filtersettinglabel"), 1, 0);
    quality->addWidget(FFTFilterspin, 1, 1);
    quality->addWidget(ManualFFT, 1, 2);
    quality->addWidget(RecalcFFTbutton, 0, 3, 2, 1);
    FFTFilterspin->setMaximumWidth(80);
    frame.column->addWidget(
        named(captionedGroup(column, "Quality and filter", quality), "Qualityestimatorlabel"));
    frame.column->addWidget(Alignmethod);
    frame.column->addWidget(Freebox);
    frame.column->addWidget(glPageControl1, 1);
    // Tool windows (the registration chart, the spectrum, the points' window) may cover the option
    // pages, never the box size, quality and method above them that the step needs.
    column->setProperty(ToolAreaProperty, false);
    glPageControl1->setProperty(ToolAreaProperty, true);
    frame.column->addWidget(CopyAlignmethods);
    auto* steps = new QVBoxLayout;
    steps->addLayout(controlRow({Alignbutton, Manualalignbox, Autoprocess}));
    steps->addLayout(controlRow({Lowerqualitylabel, OptimizeQualitySpin}));
    steps->addLayout(controlRow({Setlimitbutton}));
    QGroupBox* actions = captionedGroup(column, "Alignment", steps);
    actions->setProperty(ActionButtonsProperty, true);
    frame.column->addWidget(actions);
    // Tab goes through the step's controls in the order they are used: the quality limit leads to
    // Limit, not to the view options made after it.
    setTabOrder(Alignbutton, Manualalignbox);
    setTabOrder(Manualalignbox, OptimizeQualitySpin);
    setTabOrder(OptimizeQualitySpin, Setlimitbutton);
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

    auto* layout = new QVBoxLayout(page);
    compact(layout, 4);
    auto* bias = controlRow({Blurbox, caption(page, "Bias", Bias), Bias});
    // The chart windows' switches first: the charts open under them, over the rest of the page.
    layout->addLayout(controlGrid({{ShowFFTbox, ShowGraphbox},
                                   {Colourstack, LRGB},
                                   {Usedarkframe, Rawdark},
                                   {UseFlatfield, AutoDetectColour},
                                   {interlaced, Interlacehoriz},
                                   {Trackobject, predicttrack},
                                   {Misalignwarning, Showalignpoints},
                                   {Ignoredefault}}));
    layout->addLayout(bias);
    layout->addWidget(Fittifstretch);
    layout->addStretch(1);
    return page;
}

QWidget* AlignPage::buildQualityOptions() {
    auto* page = named(new QWidget, "TabSheet10");
    Currentquality = runningText(page, "Currentquality");
    QualityFilter = integerSpin(page, "QualityFilter", 1, 250, 12);
    QualFilterDX = integerSpin(page, "QualFilterDX", 1, 50, 5);
    CentralHVS = integerSpin(page, "CentralHVS", 1, 50, 4);
    Compresfactor = integerSpin(page, "Compresfactor", 10, 100, 60);
    Autofilter = optionCheck(page, "Autofilter", "Automatic");
    Autofilter->setChecked(true);

    auto* layout = new QVBoxLayout(page);
    compact(layout, 4);
    layout->addWidget(Currentquality);
    layout->addLayout(
        controlGrid({{caption(page, "Band start"), QualityFilter, caption(page, "Width"), QualFilterDX},
                     {caption(page, "HVS centre"), CentralHVS, caption(page, "JPEG quality"), Compresfactor},
                     {Autofilter}}));
    layout->addStretch(1);
    return page;
}

QWidget* AlignPage::buildAdditionalOptions() {
    auto* page = new QWidget;
    Languagebox = named(new LanguageBox(page), "Languagebox");
    Autolanguage = optionCheck(page, "Autolanguage", "Auto");
    Speedbutton1 = named(new QToolButton(page), "Speedbutton1");
    Speedbutton1->setText("Create");
    ComboBox5 = named(new QComboBox(page), "ComboBox5");
    for (const std::string& item : charsetComboItems()) ComboBox5->addItem(QString::fromStdString(item));
    ComboBox5->setCurrentIndex(1);
    Fontsize = integerSpin(page, "Fontsize", 6, 40, 14);
    charset1 = named(new QLabel(QString::number(DefaultCharset), page), "charset1");
    charset1->setVisible(false);
    DirectoryListBox1 = named(new TDirectoryListBox(page), "DirectoryListBox1");
    // Two lines at the least: the folder list takes the room the language rows leave.
    DirectoryListBox1->setMinimumHeight(40);
    Savesubcontrol = optionCheck(page, "Savesubcontrol", "Save in subdirectory");
    Subdirname = named(new QLineEdit(page), "Subdirname");
    Subdirname->setEnabled(false);
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
    compact(layout, 4);
    auto* debayer = new QHBoxLayout;
    debayer->addWidget(Avidebay, 0, Qt::AlignTop);
    debayer->addWidget(debayergroup, 1);
    layout->addWidget(named(captionedGroup(page, "Debayer options", debayer), "Debayeroptionlabel"));
    layout->addLayout(controlRow(
        {named(caption(page, "Language"), "Languagesetlabel"), Languagebox, Autolanguage, Speedbutton1}));
    layout->addLayout(
        controlRow({caption(page, "Character set"), ComboBox5, caption(page, "Font"), Fontsize}));
    layout->addWidget(caption(page, "Folder of the input and the results"));
    layout->addWidget(DirectoryListBox1, 1);
    layout->addLayout(controlRow({Savesubcontrol, Subdirname}));
    layout->addLayout(controlRow({TrackDetector, TrackDetect, FOMlabel, FOMspin}));
    layout->addLayout(controlRow({Pix1, Pix2, Pix3}));
    return page;
}

void AlignPage::readGeneralOptions(StackOptions& options) const {
    options.Colourstack = Colourstack->Checked();
    options.Usedarkframe = Usedarkframe->Checked();
    options.UseFlatfield = UseFlatfield->Checked();
    options.Rawdark = Rawdark->Checked();
    options.interlaced = interlaced->Checked();
    options.Interlacehoriz = Interlacehoriz->Checked();
}

void AlignPage::readGeneralOptions(OptimizerSearchOptions& search, const T2dArrays& darkGreen) const {
    if (Usedarkframe->Checked()) search.darkGreen = &darkGreen;
    search.Blurbox = Blurbox->Checked();
    search.Bias = static_cast<double>(Bias->Value());
    search.Pregamma = Pregamma->Checked();
    search.Colourstack = Colourstack->Checked();
    search.interlaced = interlaced->Checked();
    search.Interlacehoriz = Interlacehoriz->Checked();
}

bool AlignPage::usesDarkFrame() const {
    return Usedarkframe->Checked();
}

bool AlignPage::showsAlignPoints() const {
    return Showalignpoints->Checked();
}

void AlignPage::allowShowingAlignPoints() {
    Showalignpoints->setEnabled(true);
}

void AlignPage::allowCalibration(CalibrationKind kind) {
    (kind == CalibrationKind::Dark ? Usedarkframe : UseFlatfield)->setEnabled(true);
}

void AlignPage::switchCalibrationOff(bool dark, bool flat, bool rawDark) {
    if (dark) Usedarkframe->setChecked(false);
    if (flat) UseFlatfield->setChecked(false);
    if (rawDark) Rawdark->setChecked(false);
}

std::filesystem::path AlignPage::currentFolder() const {
    return DirectoryListBox1->Directory();
}

SaveFolderChoice AlignPage::saveFolderChoice() const {
    return {DirectoryListBox1->Directory(), Savesubcontrol->Checked(), Subdirname->text().toStdString()};
}

int AlignPage::lastFrameIndex() const {
    return PreviewSlider->MaxValue();
}

int AlignPage::alignmentBoxSize() const {
    int item = 0;
    if (const auto property = StoredProperty::find(*FFTsizeGroup, u"ItemIndex"))
        item = property->read().toInt();
    return fftSizeForItem(item);
}

int AlignPage::alignMethodIndex() const {
    return Alignmethod->ItemIndex();
}

void AlignPage::setAlignMethodIndex(int index) {
    Alignmethod->setItemIndex(index);
}

bool AlignPage::fftWindowChosen() const {
    return ShowFFTbox->Checked();
}

bool AlignPage::graphWindowChosen() const {
    return ShowGraphbox->Checked();
}

void AlignPage::showFrameNote(const QString& text) {
    Framelabel->setText(text);
}

void AlignPage::hideAlignSlider() {
    AlignSlider->hide();
}

void AlignPage::setFftWindowChosen(bool chosen) {
    ShowFFTbox->setChecked(chosen);
}

void AlignPage::setGraphWindowChosen(bool chosen) {
    ShowGraphbox->setChecked(chosen);
}

AlignPage::WindowChoice AlignPage::windowChoice() const {
    return {.fft = ShowFFTbox->Checked(), .graph = ShowGraphbox->Checked()};
}

void AlignPage::setWindowChoice(WindowChoice choice) {
    ShowFFTbox->setChecked(choice.fft);
    ShowGraphbox->setChecked(choice.graph);
}

void AlignPage::setLastRankPosition(int last) {
    AlignSlider->setMaxValue(last);
}

void AlignPage::showRank(int position) {
    AlignSlider->setValue(position);
}

void AlignPage::releaseSwitchesOnClose(const ToolWindows& tools) {
    const std::pair<ToolWindow*, TPCheck*> switches[] = {
        {tools.Zoomwindow, Previewzoom},
        {tools.SelectFrameswindow, ShowFramelist},
        {tools.Registerhaltwindow, Haltwindow},
        {tools.FFTWindow, ShowFFTbox},
        {tools.Registrationgraphwindow, ShowGraphbox},
        {tools.AngleDist, ShowGraphbox},
        {tools.RegiStration2, ShowGraphbox},
    };
    for (const auto& [window, check] : switches)
        connect(window, &ToolWindow::OnRollClose, this, [check = check] { check->setChecked(false); });
}

bool AlignPage::haltWindowChosen() const {
    return Haltwindow->Checked();
}

void AlignPage::disallowCalibration(CalibrationKind kind) {
    (kind == CalibrationKind::Dark ? Usedarkframe : UseFlatfield)->setEnabled(false);
}

void AlignPage::useCalibration(CalibrationKind kind) {
    TPCheck& box = kind == CalibrationKind::Dark ? *Usedarkframe : *UseFlatfield;
    box.setEnabled(true);
    box.setChecked(true);
    if (kind == CalibrationKind::Dark) Rawdark->setEnabled(true);
}

bool AlignPage::usesRawDark() const {
    return Rawdark->Checked();
}

void AlignPage::setUsesDarkFrame(bool used) {
    Usedarkframe->setChecked(used);
}

void AlignPage::setColourInput(bool colour) {
    Colourstack->setChecked(colour);
}

void AlignPage::followColourChoice(bool colour) {
    Colourstack->setChecked(colour);
    LRGB->setEnabled(colour);
    if (!colour) LRGB->setChecked(false);
}

void AlignPage::applyAlignMethod() {
    emit alignMethodRequested();
}

void AlignPage::applyDebayerSwitch() {
    emit debayerSwitchRequested();
}

int AlignPage::previewPosition() const {
    return PreviewSlider->Value();
}

void AlignPage::setPreviewPosition(int position) {
    PreviewSlider->setValue(position);
}

void AlignPage::moveToFirstFrameQuietly() {
    const QSignalBlocker quiet(PreviewSlider);
    PreviewSlider->setValue(0);
}

void AlignPage::goToTypedFrame() {
    const int last = PreviewSlider->MaxValue();
    const double value = static_cast<double>(Sliderset->Value());
    if (value > 0.0 && value <= last + 1) {
        PreviewSlider->setValue(static_cast<int>(std::nearbyint(value - 1.0)));
        return;
    }
    // Out of range: the box takes the nearest frame number, and that change shows it.
    Sliderset->setValue(value < 1.0 ? 1.0L : static_cast<long double>(last + 1));
}

QPixmap AlignPage::previewPicture() const {
    return PreviewImage->pixmap();
}

int AlignPage::previewWidth() const {
    return PreviewImage->width();
}

void AlignPage::repaintPreview() {
    PreviewImage->update();
}

void AlignPage::showInPreview(const QImage& picture, bool fitted) {
    PreviewImage->setPixmap(QPixmap::fromImage(picture));
    if (!fitted) PreviewImage->resize(picture.size());
}

bool AlignPage::lrgbChosen() const {
    return LRGB->Checked();
}

void AlignPage::setLrgbChosen(bool chosen) {
    LRGB->setChecked(chosen);
}

bool AlignPage::fitChosen() const {
    return PreviewFull->Checked();
}

float AlignPage::fitPreview(bool fitted) {
    return fitImage(*PreviewImage, *ScrollBox1, fitted);
}

void AlignPage::showPlainPreview() {
    Negativeimage->setChecked(false);
    if (!HoldPreGamma->Checked()) Pregamma->setChecked(false);
}

bool AlignPage::negativeShown() const {
    return Negativeimage->Checked();
}

bool AlignPage::previewGammaShown() const {
    return Pregamma->Checked();
}

void AlignPage::showPreviewGammaControls(bool shown) {
    Previewgamma->setVisible(shown);
    HoldPreGamma->setVisible(shown);
    Negativeimage->setEnabled(!shown);
    HoldPreGamma->setChecked(false);
    if (shown) Pregamma->setToolTip("Set the gamma-value !");
}

void AlignPage::allowPreviewGamma(bool allowed) {
    Pregamma->setEnabled(allowed);
}

double AlignPage::previewGamma() const {
    return static_cast<double>(Previewgamma->Value());
}

bool AlignPage::stretchesInput() const {
    return Fittifstretch->ItemIndex() == 1;
}

double AlignPage::qualityLimit() const {
    return static_cast<double>(OptimizeQualitySpin->Value());
}

void AlignPage::setQualityLimit(double percent) {
    OptimizeQualitySpin->setValue(percent);
}

bool AlignPage::limitAllowed() const {
    return Setlimitbutton->isEnabled();
}

void AlignPage::setFilterRadius(double radius) {
    FFTFilterspin->setValue(radius);
}

void AlignPage::showQualityBand(std::optional<double> start, std::optional<double> width) {
    for (const auto& [spin, value] : {std::pair{QualityFilter, start}, std::pair{QualFilterDX, width}}) {
        const QSignalBlocker quiet(spin);
        if (value) spin->setValue(*value);
    }
}

void AlignPage::showReferenceFrame(int frame) {
    PreviewSlider->setValue(frame);
    Alignbutton->setEnabled(true);
    Setlimitbutton->setEnabled(true);
}

void AlignPage::hideFeatureHint() {
    Frontpanel->hide();
}

void AlignPage::setOptionsEnabled(bool enabled) {
    glPageControl1->setEnabled(enabled);
}

void AlignPage::followSaveSubfolderChoice() {
    Subdirname->setEnabled(Savesubcontrol->Checked());
}

void AlignPage::showDeveloperControls() {
    for (QWidget* control : {static_cast<QWidget*>(TrackDetector), static_cast<QWidget*>(TrackDetect),
                             static_cast<QWidget*>(FOMlabel), static_cast<QWidget*>(FOMspin),
                             static_cast<QWidget*>(Pix1), static_cast<QWidget*>(Pix2)})
        control->setVisible(true);
    FOMlabel->setStyleSheet("color: red");
    fillQualityMethodCombo(static_cast<int>(CopyAlignmethods->Items().size()),
                           QualityMethodCombo->currentIndex());
}

void AlignPage::hideDeveloperControls() {
    for (QWidget* control :
         {static_cast<QWidget*>(FOMlabel), static_cast<QWidget*>(Pix1), static_cast<QWidget*>(Pix2)})
        control->setVisible(false);
    fillQualityMethodCombo(QualityMethodListCount, QualityMethodCombo->currentIndex());
    if (QualityMethodCombo->currentIndex() >= 0) return;
    // Aligning without a method is not possible: the default takes over, as the user would
    // choose it.
    QualityMethodCombo->setCurrentIndex(DefaultQualityMethod);
    emit qualityMethodRequested();
}

void AlignPage::fillQualityMethodCombo(int count, int index) {
    QualityMethodCombo->clear();
    QualityMethodCombo->addItems(CopyAlignmethods->Items().mid(0, count));
    QualityMethodCombo->setCurrentIndex(index < QualityMethodCombo->count() ? index : -1);
}

}  // namespace kestrave
