#include "shell/pages/optimize_page.h"

#include <QComboBox>
#include <QLabel>
#include <QPixmap>
#include <QPushButton>
#include <tuple>

#include "frames/input_plan.h"
#include "shell/pages/line_chart.h"
#include "shell/pages/number_controls.h"
#include "shell/pages/page_controls.h"
#include "shell/tool_windows.h"
#include "widgets/check_box.h"
#include "widgets/event_scroll_box.h"
#include "widgets/radio_group.h"

namespace kestrave {

namespace {

constexpr int ColumnWidth = 300;

}  // namespace

OptimizePage::OptimizePage(QWidget* parent) : QWidget(parent) {
    setObjectName("OptimizePage");
    glPageControl2 = optionPages(this, "glPageControl2");
    Continuebutton = speedButton(this, "Continuebutton", "Continue");
    Continuebutton->setVisible(false);
    connect(Continuebutton, &QToolButton::clicked, this, &OptimizePage::continueRequested);
    Optimizebutton = speedButton(this, "Optimizebutton", "Optimize");
    Optimizeandstackbutton = speedButton(this, "Optimizeandstackbutton", "Optimize && Stack");
    Referbutton = speedButton(this, "Referbutton", "Create");
    Restartalign = speedButton(this, "Restartalign", "Realign with");
    Refframes = integerSpin(this, "Refframes", 2, 5000, 50);
    Refframes->setMaximumWidth(80);
    Optimizegraph = optionCheck(this, "Optimizegraph", "Difference");
    Optimizegraph->setChecked(true);
    ShowMovementwindow = optionCheck(this, "ShowMovementwindow", "Movements");
    connect(Optimizegraph, &TPCheck::OnClick, this, &OptimizePage::optimizerGraphClicked);
    connect(ShowMovementwindow, &TPCheck::OnClick, this, &OptimizePage::movementWindowClicked);
    // The chart lives in the registration tool window of this page (the main window puts it there).
    Chart7 = named(new TChart(this), "Chart7");
    Series3 = Chart7->addSeries("Quality", Qt::blue, true);
    Series4 = Chart7->addSeries("Difference", Qt::red);
    const ImageBox align = imageBox(this, "EventScrollBox2", "AlignImage", new TEventScrollBox(this));
    EventScrollBox2 = align.box;
    AlignImage = align.image;
    Showbuttonp2 = shape(this, "Showbuttonp2", 20, 4, {}, 1);
    Showbuttonp2->hide();

    glPageControl2->addTab(named(buildOptimizerOptions(), "Optimizeroptionslabel"), "   Optimizer   ");
    glPageControl2->addTab(named(buildPrefilter(), "Prefilterlabel"), "   PreFilter   ");

    // The reference window and the frame being optimized, with the step's options beside them.
    const PageFrame frame = pictureAndColumn(this, ColumnWidth);
    frame.picture->addWidget(EventScrollBox2, 1);
    QWidget* column = frame.column->parentWidget();
    frame.column->addWidget(glPageControl2);
    auto* reference = new QVBoxLayout;
    reference->addLayout(
        controlRow({Referbutton, caption(column, "from the best"), Refframes, caption(column, "frames")}));
    reference->addLayout(controlRow({Restartalign}));
    frame.column->addWidget(
        named(captionedGroup(column, "New reference", reference), "Createareferencelabel"));
    frame.column->addWidget(
        named(captionedGroup(column, "Graphs", controlRow({Optimizegraph, ShowMovementwindow})),
              "Showgraphslabel"));
    // The free room under the options is where the optimizer's charts open; they leave the options
    // above it and the buttons under it in sight.
    auto* toolRoom = new QWidget(column);
    toolRoom->setObjectName("OptimizeToolRoom");
    frame.column->addWidget(toolRoom, 1);
    column->setProperty(ToolAreaProperty, false);
    toolRoom->setProperty(ToolAreaProperty, true);
    QGroupBox* actions =
        captionedGroup(column, "Optimizing", controlRow({Optimizebutton, Optimizeandstackbutton}));
    actions->setProperty(ActionButtonsProperty, true);
    frame.column->addWidget(actions);
}

QWidget* OptimizePage::buildOptimizerOptions() {
    auto* page = new QWidget;
    SearchArea = integerSpin(page, "SearchArea", 1, 10, 2);
    FastOptim = optionCheck(page, "FastOptim", "Single run optimizer");
    FastOptim->setChecked(true);
    OptimizeSpin = integerSpin(page, "OptimizeSpin", 1, 50, 1);
    for (TRxSpinEdit* spin : {SearchArea, OptimizeSpin}) spin->setMaximumWidth(70);
    Warnings = optionCheck(page, "Warnings", "Show Messages During Optimizing");
    Warnings->setChecked(true);
    CreateRefMessage = optionCheck(page, "CreateRefMessage", "Show Messages During Create-reference");
    CreateRefMessage->setChecked(true);
    MultiAlign = radioGroup(page, "MultiAlign", "Frame limit", {"Simple", "Multi-Quantity"}, 0);
    MultiAlign->setColumns(2);
    Contour = optionCheck(page, "Contour", "Contour");
    Contour->setVisible(false);
    MultiOptimtoWavelet = optionCheck(page, "MultiOptimtoWavelet", "");
    MultiOptimtoWavelet->setVisible(false);

    auto* layout = new QVBoxLayout(page);
    compact(layout, 4);
    layout->addLayout(controlRow({caption(page, "Search area"), SearchArea, caption(page, "pixels")}));
    layout->addLayout(controlRow({caption(page, "Stop at (%)"), OptimizeSpin}));
    layout->addWidget(FastOptim);
    layout->addWidget(MultiAlign);
    layout->addWidget(Warnings);
    layout->addWidget(CreateRefMessage);
    layout->addLayout(controlRow({Contour, MultiOptimtoWavelet}));
    layout->addStretch(1);
    return page;
}

QWidget* OptimizePage::buildPrefilter() {
    auto* page = new QWidget;
    prefilter_ = makeKernelEditor(page, KernelEditorKind::Prefilter);
    std::tie(Filtertype, Resetprefilter, SetPrefilter, Filteralignment) =
        std::tie(prefilter_.preset, prefilter_.reset, prefilter_.set, prefilter_.active);
    std::tie(Prefilter11, Prefilter12, prefilter13, prefilter21, prefilter22, prefilter23, prefilter31,
             prefilter32, prefilter33) = std::tuple_cat(prefilter_.weights);
    auto* layout = new QVBoxLayout(page);
    compact(layout, 4);
    layout->addLayout(kernelEditorLayout(prefilter_, Qt::Vertical));
    layout->addStretch(1);
    return page;
}

// --- What other parts of the window read or set here -------------------------------------------

void OptimizePage::clearCharts() {
    for (TFastLineSeries* series : {Series3, Series4}) series->Clear();
    Chart7->BottomAxis.Automatic = true;
    Chart7->setTitle({});
    Chart7->clearTexts();
}

bool OptimizePage::multiQuantity() const {
    return MultiAlign->ItemIndex() == 1;
}

void OptimizePage::showRegistrationWindows() {
    Optimizegraph->setChecked(true);
}

bool OptimizePage::showsOptimizerGraph() const {
    return Optimizegraph->Checked();
}

bool OptimizePage::showsMovements() const {
    return ShowMovementwindow->Checked();
}

void OptimizePage::setPassButtonsEnabled(bool enabled) {
    Optimizebutton->setEnabled(enabled);
    Optimizeandstackbutton->setEnabled(enabled);
}

void OptimizePage::setOptimizeButtonEnabled(bool enabled) {
    Optimizebutton->setEnabled(enabled);
}

void OptimizePage::greyPassButtons() {
    setPassButtonsEnabled(false);
    Referbutton->setEnabled(false);
}

void OptimizePage::showRestartAlign(bool shown) {
    Restartalign->setVisible(shown);
}

void OptimizePage::setOptionsEnabled(bool enabled) {
    glPageControl2->setEnabled(enabled);
}

QWidget& OptimizePage::continueButton() const {
    return *Continuebutton;
}

void OptimizePage::showContinueButton(bool shown) {
    Continuebutton->setVisible(shown);
}

void OptimizePage::limitReferenceFrames(int lastIndex) {
    Refframes->setValue(limitRefframes(static_cast<int>(Refframes->Value()), lastIndex));
}

void OptimizePage::showDifferenceAxis(bool shown, double increment) {
    Chart7->LeftAxis.Visible = Chart7->BottomAxis.Visible = shown;
    if (shown) Chart7->LeftAxis.Increment = increment;
}

void OptimizePage::showOptimizerChart(const std::vector<double>& qualities,
                                      const std::vector<double>& differences, double frameIncrement) {
    Series3->Assign(qualities);
    Series4->Assign(differences);
    // The frame axis spans the points shown; only a limit ends it at its own count.
    Chart7->BottomAxis.Automatic = true;
    Chart7->BottomAxis.Increment = frameIncrement;
    Chart7->update();
}

void OptimizePage::showOptimizedDifference(int index, double difference) {
    Series4->setValue(index, difference);
    Chart7->update();
}

void OptimizePage::endFrameAxisAt(double count) {
    Chart7->BottomAxis.setRange(0.0, count);
    Chart7->update();
}

double OptimizePage::referenceFrames() const {
    return static_cast<double>(Refframes->Value());
}

void OptimizePage::setReferenceFrames(int frames) {
    Refframes->setValue(frames);
}

void OptimizePage::showAlignPicture(const QPixmap& picture) {
    AlignImage->setScaledContents(false);
    AlignImage->setPixmap(picture);
    AlignImage->resize(picture.size());
}

void OptimizePage::showFramesLimited(const QPixmap& preview) {
    showAlignPicture(preview);
    for (QWidget* button : {Referbutton, Optimizebutton, Optimizeandstackbutton}) button->setEnabled(true);
    markButton(*Showbuttonp2, *Optimizeandstackbutton);
}

void OptimizePage::showReference(const QPixmap& reference) {
    AlignImage->setPixmap(reference);
    fitImage(*AlignImage, *EventScrollBox2, true);
}

void OptimizePage::chooseFirstPrefilter() {
    Filtertype->setCurrentIndex(0);
}

}  // namespace kestrave
