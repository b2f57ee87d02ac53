#include "shell/pages/stack_page.h"

#include <QComboBox>
#include <QLabel>
#include <QPainter>
#include <QPixmap>
#include <QScrollArea>
#include <algorithm>
#include <tuple>

#include "pipeline/create_settings.h"
#include "registration/optimizer_options.h"
#include "shell/pages/avi_controls.h"
#include "shell/pages/number_controls.h"
#include "shell/pages/page_controls.h"
#include "shell/startup_rules.h"
#include "shell/tool_windows.h"
#include "stacking/stack_style_values.h"
#include "widgets/check_box.h"
#include "widgets/radio_group.h"
#include "widgets/rect_shape.h"
#include "widgets/spin_edit.h"

namespace kestrave {

namespace {

// One tab of the option pages with its controls in rows.
void addOptionTab(QTabWidget* pages, const char* objectName, const char* caption,
                  std::initializer_list<std::initializer_list<QWidget*>> rows) {
    auto* tab = named(new QWidget(pages), objectName);
    auto* layout = new QVBoxLayout(tab);
    compact(layout, 4);
    for (const auto& row : rows) layout->addLayout(controlRow(row));
    layout->addStretch(1);
    pages->addTab(tab, QString::fromUtf8(caption));
}

}  // namespace

StackPage::StackPage(QWidget* parent) : QWidget(parent) {
    setObjectName("StackPage");
    auto* layout = new QVBoxLayout(this);
    compact(layout, 4);
    glPageControl3 = optionPages(this, "glPageControl3");

    Expandstack = optionCheck(this, "Expandstack", "Expand to maximum imagesize");
    Histostretch = optionCheck(this, "Histostretch", "Stretch histogram after stacking");
    IntensBalance = optionCheck(this, "IntensBalance", "Brightness weighting");
    addOptionTab(glPageControl3, "stackoptionslabel", "Stack options",
                 {{Expandstack, Histostretch, IntensBalance}});
    buildStackFilter();

    ResampleDrizzlegroup =
        radioGroup(this, "ResampleDrizzlegroup", "Style", {"None", "Resampling", "Drizzling"}, 0);
    Resampled = optionCheck(this, "Resampled", "Resampling");
    ResampleSpin = floatSpin(this, "ResampleSpin", 1.0, 4.0, 0.1, 2.0, 1);
    ResampleMethod = named(new QComboBox(this), "ResampleMethod");
    for (const char* method : ResampleMethodItems) ResampleMethod->addItem(method);
    Drizzling = optionCheck(this, "Drizzling", "Drizzling");
    Drizzlefact = floatSpin(this, "Drizzlefact", 1.0, 3.0, 0.1, 2.0, 1);
    Pixfrac = integerSpin(this, "Pixfrac", 10, 100, 80);
    for (TRxSpinEdit* spin : {ResampleSpin, Drizzlefact, Pixfrac}) spin->setMaximumWidth(80);
    // The style group is how the user chooses; the two boxes keep the choice for the code and the
    // stored settings, out of sight so that no choice shows twice.
    Resampled->hide();
    Drizzling->hide();
    connect(ResampleDrizzlegroup, &TRadioGroup::OnClick, this, &StackPage::stackStylePicked);
    addOptionTab(glPageControl3, "Drizzlinglabel", "Resampling / Drizzling",
                 {{ResampleDrizzlegroup, Resampled, caption(this, "Factor", ResampleSpin), ResampleSpin,
                   caption(this, "Filter", ResampleMethod), ResampleMethod, Drizzling,
                   caption(this, "Factor"), Drizzlefact, caption(this, "Drop size (%)"), Pixfrac}});

    Statistical = optionCheck(this, "Statistical", "S");
    Statistical->hide();
    Statisticspin = floatSpin(this, "Statisticspin", 0.01, 8.0, 0.05, 2.0, 2);
    Statisticspin->setMaximumWidth(80);
    sigmahi = optionCheck(this, "sigmahi", "Cut pixels above sigma-high");
    Sigmalo = optionCheck(this, "Sigmalo", "Cut pixels below sigma-low");
    sigmahi->setChecked(true);
    Sigmalo->setChecked(true);
    RejectMax = optionCheck(this, "RejectMax", "Reject highest value per pixel");
    Recordingbutton = speedButton(this, "Recordingbutton", "Search\r\nEvents");
    Recordingbutton->setToolTip("Search the frames for\nbright events ");
    connect(Recordingbutton, &QToolButton::clicked, this, &StackPage::sigmaEventsRequested);
    Statisticalstackbutton = speedButton(this, "Statisticalstackbutton", "Start");
    connect(Statisticalstackbutton, &QToolButton::clicked, this, &StackPage::sigmaStackRequested);
    addOptionTab(glPageControl3, "pixeloperationslabel", "   Sigma Clipping   ",
                 {{Statisticalstackbutton, caption(this, "Sigma factor"), Statisticspin, Recordingbutton,
                   sigmahi, Sigmalo, RejectMax}});

    Macorrect = optionCheck(this, "Macorrect", "Remove mean shift");
    // On by default: without it every zone keeps the local distortion of the one frame the points
    // were placed on, where the mean over the stacked frames shows the undistorted scene.
    Macorrect->setChecked(true);
    FastStack = optionCheck(this, "FastStack", "Fast method");
    FastStack->setChecked(true);
    Multi = optionCheck(this, "Multi", "Multi");
    addOptionTab(glPageControl3, "Multialignpointstacklabel", "Alignment points",
                 {{Multi, Macorrect, FastStack}});
    connect(Multi, &TPCheck::OnClick, this, &StackPage::multiPointClicked);
    aviControls = new AviControls(glPageControl3);
    glPageControl3->addTab(aviControls, "AVI");

    Stackbutton = speedButton(this, "Stackbutton", "Stack");
    Savebutton = speedButton(this, "Savebutton", "Save");
    connect(Savebutton, &QToolButton::clicked, this, &StackPage::saveRequested);
    Showstackgraph = optionCheck(this, "Showstackgraph", "Show Stackgraph");
    ShowStacklist = optionCheck(this, "ShowStacklist", "Show Stacklist");
    Alignmentpoints = optionCheck(this, "Alignmentpoints", "Show alignment sections");

    stackshape = shape(this, "stackshape", 14, 14, QColor(0, 0x80, 0), 2);
    stackshape->setFixedSize(14, 14);
    Stacklabel = runningText(this, "Stacklabel", "", 3);
    Stacklabel->hide();

    const ImageBox stack = imageBox(this, "ScrollBox2", "Stackimage");
    ScrollBox2 = stack.box;
    Stackimage = stack.image;

    // The options over the whole width, the step's buttons under them, then the stack.
    // The page's options: tool windows may cover them, never the buttons under them or the picture.
    glPageControl3->setProperty(ToolAreaProperty, true);
    layout->addWidget(glPageControl3);
    layout->addLayout(controlRow(
        {Stackbutton, Savebutton, stackshape, Showstackgraph, ShowStacklist, Alignmentpoints, Stacklabel}));
    layout->addWidget(ScrollBox2, 1);
}

void StackPage::buildStackFilter() {
    auto* tab = new QWidget(glPageControl3);
    stackFilter_ = makeKernelEditor(tab, KernelEditorKind::StackFilter);
    std::tie(Stackfiltermethod, Stackfilterresetbutton, Stackfiltersetbutton, Stackfilterset) =
        std::tie(stackFilter_.preset, stackFilter_.reset, stackFilter_.set, stackFilter_.active);
    std::tie(Stackfilter11, Stackfilter12, Stackfilter13, Stackfilter21, Stackfilter22, Stackfilter23,
             Stackfilter31, Stackfilter32, Stackfilter33) = std::tuple_cat(stackFilter_.weights);
    auto* layout = new QVBoxLayout(tab);
    compact(layout, 4);
    layout->addLayout(kernelEditorLayout(stackFilter_, Qt::Horizontal));
    layout->addStretch(1);
    glPageControl3->addTab(tab, "Stack filter");
}

// --- What other parts of the window read or set here -------------------------------------------

bool StackPage::resampled() const {
    return Resampled->Checked();
}

void StackPage::showStackStyle() {
    ResampleDrizzlegroup->setItemIndex(Drizzling->Checked() ? 2 : Resampled->Checked() ? 1 : 0);
}

StackStyle StackPage::pickedStackStyle() const {
    return static_cast<StackStyle>(ResampleDrizzlegroup->ItemIndex());
}

void StackPage::applyStackStyle(const StackStyleChoice& choice) {
    ResampleDrizzlegroup->setItemIndex(static_cast<int>(choice.style));
    Resampled->setChecked(choice.Resampled);
    Drizzling->setChecked(choice.Drizzling);
    FastStack->setChecked(choice.FastStack);
}

void StackPage::restoreResampling(bool resampled, int factor) {
    Resampled->setChecked(resampled);
    ResampleSpin->setValue(factor);
    showStackStyle();
}

void StackPage::uncheckResampling() {
    Resampled->setChecked(false);
}

void StackPage::dropResamplingAndDrizzling() {
    Drizzling->setChecked(false);
    Resampled->setChecked(false);
    showStackStyle();
}

void StackPage::showEvent(QShowEvent* event) {
    QWidget::showEvent(event);
    showStackStyle();
}

void StackPage::showResampling(bool available) {
    if (!available) {
        Resampled->setChecked(false);
        Resampled->hide();
    }
    ResampleSpin->setVisible(available);
    ResampleMethod->setVisible(available);
}

float StackPage::resampleFactor() const {
    return std::clamp(static_cast<float>(ResampleSpin->Value()), 1.0f, 4.0f);
}

long double StackPage::resampleSpin() const {
    return ResampleSpin->Value();
}

ResamplingOptions StackPage::resamplingOptions() const {
    return {Resampled->Checked(), ResampleSpin->Value(), Drizzling->Checked()};
}

bool StackPage::drizzling() const {
    return Drizzling->Checked();
}

void StackPage::chooseDrizzling(bool drizzling) {
    Drizzling->setChecked(drizzling);
    if (drizzling) Resampled->setChecked(false);
    showStackStyle();
}

void StackPage::readResampling(OptimizerSearchOptions& search) const {
    search.Resampled = Resampled->Checked();
    search.ResampleFactor = resampleFactor();
    search.ResampleMethod = std::max(ResampleMethod->currentIndex(), 0);
}

void StackPage::readCreateSettings(CreateStackSettings& settings) const {
    settings.ResampleSpin = static_cast<double>(ResampleSpin->Value());
    settings.Drizzling = Drizzling->Checked();
    settings.Histostretch = Histostretch->Checked();
    settings.Expandstack = Expandstack->Checked();
    settings.Multi = Multi->Checked();
}

void StackPage::applyCreateSettings(const CreateStackSettings& settings) {
    ResampleSpin->setValue(settings.ResampleSpin);
    Drizzling->setChecked(settings.Drizzling);
    Histostretch->setChecked(settings.Histostretch);
    Expandstack->setChecked(settings.Expandstack);
    Multi->setChecked(settings.Multi);
}

void StackPage::setPassButtonsEnabled(bool enabled) {
    Stackbutton->setEnabled(enabled);
    Statisticalstackbutton->setEnabled(enabled);
}

void StackPage::setStackButtonEnabled(bool enabled) {
    Stackbutton->setEnabled(enabled);
}

void StackPage::setStatisticalStackEnabled(bool enabled) {
    Statisticalstackbutton->setEnabled(enabled);
}

void StackPage::expandStack() {
    Expandstack->setChecked(true);
}

void StackPage::resetResampleFactor() {
    ResampleSpin->setValue(2.0);
}

void StackPage::setOptionsEnabled(bool enabled) {
    glPageControl3->setEnabled(enabled);
}

void StackPage::uncheckStackGraph() {
    Showstackgraph->setChecked(false);
}

void StackPage::recheckStackGraph() {
    Showstackgraph->setChecked(false);
    Showstackgraph->setChecked(true);
}

void StackPage::uncheckStackList() {
    ShowStacklist->setChecked(false);
}

bool StackPage::showsStackGraph() const {
    return Showstackgraph->Checked();
}

bool StackPage::showsStackList() const {
    return ShowStacklist->Checked();
}

bool StackPage::showsPointZones() const {
    return Alignmentpoints->Checked();
}

void StackPage::setPointZonesShown(bool shown) {
    Alignmentpoints->setChecked(shown);
}

void StackPage::drawOnStackImage(const std::function<void(QPainter&)>& draw) {
    QPixmap picture = Stackimage->pixmap();
    if (picture.isNull()) return;
    {
        QPainter painter(&picture);
        draw(painter);
    }
    Stackimage->setPixmap(picture);
}

void StackPage::updateStackImage() {
    Stackimage->update();
}

void StackPage::setSigmaStackRunning(bool running) {
    Statistical->setChecked(running);
}

bool StackPage::multiPoint() const {
    return Multi->Checked();
}

void StackPage::setMultiPoint(bool multiPoint) {
    Multi->setChecked(multiPoint);
}

void StackPage::chooseResampleMethodByName() {
    const int method = resampleMethodItemForText(ResampleMethod->currentText().toStdString());
    if (method >= 0) ResampleMethod->setCurrentIndex(method);
}

void StackPage::chooseFirstResampleMethod() {
    ResampleMethod->setCurrentIndex(0);
}

void StackPage::chooseFirstStackFilter() {
    Stackfiltermethod->setCurrentIndex(0);
}

}  // namespace kestrave
