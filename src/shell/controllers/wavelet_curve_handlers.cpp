// The curve editors of the wavelet page's tool windows: the gamma and tone curves edited with the
// mouse (and the gamma curve saved and loaded as ".kgs"), the tone-map controls, and the black
// and white levels of the histogram window.

#include <QApplication>
#include <QLabel>
#include <QPushButton>
#include <QSignalBlocker>
#include <cmath>

#include "enhance/curve_types.h"
#include "enhance/render_controls.h"
#include "platform/errors.h"
#include "shell/controllers/curve_mouse.h"
#include "shell/controllers/wavelet_controller.h"
#include "shell/pages/curve_graph.h"
#include "shell/pages/histogram_windows.h"
#include "shell/pages/wavelet_page.h"
#include "shell/pages/wavelet_tool_panels.h"
#include "shell/shell_ports.h"
#include "widgets/check_box.h"
#include "widgets/range_slider.h"
#include "widgets/slider.h"
#include "widgets/spin_edit.h"

namespace kestrave {

namespace {

constexpr const char* GammaSaveFilter = "Kestrave Gama|*.kgs";
constexpr const char* GammaLoadFilter = "Kestrave Gamma|*.kgs";
constexpr int ActivatedIntensity = 1125;
constexpr double ToneResetBias = 2.25;
constexpr int LevelSliderEnd = 1024;

// The control or one of its parts has the keyboard focus.
bool holdsFocus(const QWidget& control) {
    const QWidget* focused = QApplication::focusWidget();
    return focused && (focused == &control || control.isAncestorOf(focused));
}

}  // namespace

void WaveletController::connectCurveControls() {
    GammaSave = makeFileDialog(TFileDialog::Kind::Save, GammaSaveFilter, "kgs");
    GammaLoad = makeFileDialog(TFileDialog::Kind::Open, GammaLoadFilter, "kgs");
    GammaPanel& gamma = *parts_.panels.gamma;
    TonemapPanel& tone = *parts_.panels.tonemap;
    for (auto [graph, curve] : {std::pair{gamma.GammaSplineGraph, EditedCurve::Gamma},
                                std::pair{tone.Tonemapgraph, EditedCurve::Tone}}) {
        connect(graph, &CurveGraph::MouseDown, this,
                [this, curve](Qt::MouseButton button, Qt::KeyboardModifiers shift, QPointF at) {
                    curveMouseDown(curve, button, shift, at);
                });
        connect(graph, &CurveGraph::MouseMove, this,
                [this, curve](Qt::MouseButtons buttons, Qt::KeyboardModifiers shift, QPointF at) {
                    curveMouseMove(curve, buttons, shift, at);
                });
        connect(graph, &CurveGraph::MouseUp, this, [this, curve] { curveMouseUp(curve); });
    }
    connect(gamma.GammaSplineGraph, &CurveGraph::DblClick, this,
            &WaveletController::GammaSplineGraphDblClick);
    connect(gamma.ResetGamma, &QPushButton::clicked, this, &WaveletController::GammaSplineGraphDblClick);
    connect(tone.Tonemapgraph, &CurveGraph::DblClick, this, &WaveletController::TonemapgraphDblClick);
    connect(gamma.Loadgammabutton, &QPushButton::clicked, this, &WaveletController::LoadgammabuttonClick);
    connect(gamma.savegammabutton, &QPushButton::clicked, this, &WaveletController::savegammabuttonClick);

    connect(tone.ActiveTonemap, &TPCheck::OnClick, this, &WaveletController::ActiveTonemapClick);
    connect(tone.Tonegraph, &TPCheck::OnClick, this, &WaveletController::TonegraphClick);
    connect(tone.RxSlider1, &TRxSlider::OnChanged, this, &WaveletController::RxSlider1Changed);
    connect(tone.RxSlider2, &TRxSlider::OnChanged, this, &WaveletController::RxSlider2Changed);
    connect(tone.RxSpinEdit10, &TRxSpinEdit::OnChange, this, &WaveletController::Layer1sliderChanged);

    HistogramWindows& histograms = parts_.histograms;
    connect(histograms.mkRangeSlider1, &TmkRangeSlider::OnBeforeChange, this,
            &WaveletController::mkRangeSlider1BeforeChange);
    connect(histograms.mkRangeSlider1, &TmkRangeSlider::OnChange, this,
            &WaveletController::mkRangeSlider1Change);
    connect(histograms.LovalSpin, &TRxSpinEdit::OnChange, this, &WaveletController::LovalSpinChange);
    connect(histograms.Hivalspin, &TRxSpinEdit::OnChange, this, &WaveletController::HivalspinChange);
    connect(histograms.Button1, &QPushButton::clicked, this, &WaveletController::Button1Click);
    connect(histograms.Log, &TPCheck::OnClick, this, &WaveletController::LogClick);
    connect(histograms.Historeset, &QPushButton::clicked, this, &WaveletController::HistoResetClick);
    connect(histograms.stretchbutton, &QPushButton::clicked, this, &WaveletController::BitBtn3Click);
    connect(histograms.Showpeak, &TPCheck::OnClick, this, &WaveletController::Layer1sliderChanged);
    connect(parts_.panels.gamma->Linearspline, &TPCheck::OnClick, this,
            &WaveletController::LinearSplineClick);
}

const TBSpline& WaveletController::curveOf(EditedCurve curve) const {
    return curveIn(pipeline_.curves(), curve);
}

CurveGraph& WaveletController::graphOf(EditedCurve curve) {
    return curve == EditedCurve::Gamma ? *parts_.panels.gamma->GammaSplineGraph
                                       : *parts_.panels.tonemap->Tonemapgraph;
}

void WaveletController::createCurveObjects() {
    pipeline_.createCurves(parts_.panels.gamma->Linearspline->Checked());
    graphOf(EditedCurve::Gamma).showCurve(&pipeline_.curves().GammaSpline);
    graphOf(EditedCurve::Tone).showCurve(&pipeline_.curves().ToneSpline);
}

void WaveletController::curveMouseDown(EditedCurve curve, Qt::MouseButton button, Qt::KeyboardModifiers shift,
                                       QPointF at) {
    curveGraphPress(pipeline_, curve, graphOf(curve), LevelCurveGraph, button, shift, at);
}

void WaveletController::curveMouseMove(EditedCurve curve, Qt::MouseButtons buttons,
                                       Qt::KeyboardModifiers shift, QPointF at) {
    const bool linear = parts_.panels.gamma->Linearspline->Checked();
    curveGraphMove(pipeline_, curve, graphOf(curve), LevelCurveGraph, linear, buttons, shift, at);
}

void WaveletController::curveMouseUp(EditedCurve curve) {
    pipeline_.buildCurveTable(curve);
    Layer1sliderChanged();
}

void WaveletController::GammaSplineGraphDblClick() {
    parts_.panels.gamma->Gamma1spin->setValue(1.0);
    resetCurve(EditedCurve::Gamma);
}

void WaveletController::TonemapgraphDblClick() {
    parts_.panels.tonemap->RxSpinEdit5->setValue(ToneResetBias);
    resetCurve(EditedCurve::Tone);
}

void WaveletController::resetCurve(EditedCurve curve) {
    pipeline_.resetCurve(curve);
    graphOf(curve).showCurve(&curveOf(curve));
    pipeline_.buildCurveTable(curve);
    Layer1sliderChanged();
}

void WaveletController::LoadgammabuttonClick() {
    if (!ports_.dialogs().Execute(GammaLoad)) return;
    try {
        pipeline_.loadGammaCurve(GammaLoad.FileName, parts_.panels.gamma->Linearspline->Checked());
    } catch (const FileError& error) {
        // The file is read whole before the curve changes: a bad one leaves the curve as it was.
        ports_.messages().error("Load gamma curve", error.what());
        return;
    }
    graphOf(EditedCurve::Gamma).showCurve(&pipeline_.curves().GammaSpline);
    curveMouseUp(EditedCurve::Gamma);
}

void WaveletController::savegammabuttonClick() {
    if (!ports_.dialogs().Execute(GammaSave)) return;
    if (askOverwrite(ports_.messages(), GammaSave.FileName, " overwrite existing file ?") != mrYes) return;
    try {
        pipeline_.saveGammaCurve(GammaSave.FileName);
    } catch (const FileError& error) {
        ports_.messages().error("Save gamma curve", error.what());
    }
}

void WaveletController::ActiveTonemapClick() {
    TonemapPanel& tone = *parts_.panels.tonemap;
    const bool active = tone.ActiveTonemap->Checked();
    tone.RxSlider1->setVisible(active);
    tone.RxSlider2->setVisible(active);
    // The light and colour sliders are offered for colour input (Colourprocess2 mirrors the
    // input's colour switch); only the curve's box hides them.
    const bool colour = page_.Colourprocess2->Checked();
    tone.RxSlider3->setVisible(colour);
    tone.RxSlider4->setVisible(colour);
    tone.RxSlider2->setValue(ActivatedIntensity);
    if (tone.ActiveTonemap->Checked()) {
        RxSlider1Changed();
        RxSlider2Changed();
    } else {
        Gamma1spinChange();
    }
    Layer1sliderChanged();
}

void WaveletController::RxSlider1Changed() {
    TonemapPanel& tone = *parts_.panels.tonemap;
    tone.RxSpinEdit5->setValue(tone.RxSlider1->Value() * 0.0005 * 3.0);
}

void WaveletController::RxSlider2Changed() {
    TonemapPanel& tone = *parts_.panels.tonemap;
    tone.RxSpinEdit8->setValue(2001 - tone.RxSlider2->Value());
}

void WaveletController::TonegraphClick() {
    pipeline_.buildCurveTable(EditedCurve::Tone);
    TonemapPanel& tone = *parts_.panels.tonemap;
    if (tone.Tonegraph->Checked()) {
        tone.RxSlider3->hide();
        tone.RxSlider4->hide();
    }
    Layer1sliderChanged();
}

// ---- levels ----

void WaveletController::showLevels() {
    const TmkRangeSlider& slider = *parts_.histograms.mkRangeSlider1;
    const RenderLevels levels =
        levelsFromSlider(slider.MinPosition(), slider.MaxPosition(), levelRangeLo_, levelRangeHi_);
    pipeline_.setLevels(levels.LevelLo, levels.LevelHi);
    const ProgramState& state = pipeline_.state();
    HistogramView& view = *parts_.histograms.histogram;
    const int width = view.chartWidth();
    view.placeLevelLines(lowLevelLineX(slider.MinPosition(), width),
                         highLevelLineX(slider.MaxPosition(), width));
    for (HistogramView* shown : parts_.histograms.views()) {
        shown->levelLo->setText(QString::fromStdString(levelLoCaption(state.LevelLo)));
        shown->levelHi->setText(QString::fromStdString(levelHiCaption(state.LevelHi)));
    }
}

void WaveletController::mkRangeSlider1BeforeChange() {
    if (holdsFocus(*parts_.histograms.mkRangeSlider1)) {
        levelSliderActive_ = true;
        levelSpinActive_ = false;
    }
    showLevels();
}

// The levels follow the positions as they are now (the positions before the change, which the
// step before took, would leave them one step behind).
void WaveletController::mkRangeSlider1Change() {
    showLevels();
    if (levelSliderActive_) {
        HistogramWindows& histograms = parts_.histograms;
        histograms.LovalSpin->setValue(std::nearbyint(pipeline_.state().LevelLo));
        histograms.Hivalspin->setValue(std::nearbyint(pipeline_.state().LevelHi));
    }
    levelSliderActive_ = false;
    levelSpinActive_ = false;
    Layer1sliderChanged();
}

void WaveletController::levelSpinChange(bool lower) {
    HistogramWindows& histograms = parts_.histograms;
    TRxSpinEdit& spin = lower ? *histograms.LovalSpin : *histograms.Hivalspin;
    if (!holdsFocus(spin)) return;
    levelSpinActive_ = true;
    const double lo = static_cast<double>(histograms.LovalSpin->Value());
    const double hi = static_cast<double>(histograms.Hivalspin->Value());
    if (lo < hi) {
        const double value = lower ? lo : hi;
        const int position = sliderPositionForLevel(value, levelRangeLo_, levelRangeHi_);
        if (lower) {
            histograms.mkRangeSlider1->setMinPosition(position);
        } else {
            histograms.mkRangeSlider1->setMaxPosition(position);
        }
    }
    levelSpinActive_ = false;
}

void WaveletController::LovalSpinChange() {
    levelSpinChange(true);
}

void WaveletController::HivalspinChange() {
    levelSpinChange(false);
}

void WaveletController::Button1Click() {
    levelRangeLo_ = 0.0f;
    levelRangeHi_ = 255.0f;
    HistogramWindows& histograms = parts_.histograms;
    {
        // The positions are set together; one render follows.
        const QSignalBlocker quiet(histograms.mkRangeSlider1);
        histograms.mkRangeSlider1->setMinPosition(0);
        histograms.mkRangeSlider1->setMaxPosition(LevelSliderEnd);
    }
    histograms.LovalSpin->setValue(0);
    histograms.Hivalspin->setValue(255);
    showLevels();
    pipeline_.setLevels(0.0f, 255.0f);
    Layer1sliderChanged();
}

void WaveletController::HistoResetClick() {
    Button1Click();
    Button1Click();
}

// The levels the spins hold become the whole range of the slider.
void WaveletController::BitBtn3Click() {
    HistogramWindows& histograms = parts_.histograms;
    const auto lo = static_cast<float>(histograms.LovalSpin->Value());
    const auto hi = static_cast<float>(histograms.Hivalspin->Value());
    levelRangeLo_ = lo;
    levelRangeHi_ = hi;
    {
        const QSignalBlocker quiet(histograms.mkRangeSlider1);
        histograms.mkRangeSlider1->setMinPosition(0);
        histograms.mkRangeSlider1->setMaxPosition(LevelSliderEnd);
    }
    showLevels();
    // The slider's last step falls just short of the range's end: the spins' levels hold.
    pipeline_.setLevels(lo, hi);
    Layer1sliderChanged();
}

void WaveletController::LinearSplineClick() {
    pipeline_.setCurveStyle(EditedCurve::Gamma, parts_.panels.gamma->Linearspline->Checked());
    graphOf(EditedCurve::Gamma).showCurve(&pipeline_.curves().GammaSpline);
}

void WaveletController::LogClick() {
    const bool logarithmic = parts_.histograms.Log->Checked();
    for (HistogramView* view : parts_.histograms.views()) view->setLogScale(logarithmic);
}

}  // namespace kestrave
