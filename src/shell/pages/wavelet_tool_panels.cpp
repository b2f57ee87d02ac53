#include "shell/pages/wavelet_tool_panels.h"

#include <QGridLayout>
#include <QLabel>
#include <QPushButton>
#include <cmath>

#include "enhance/wavelet_filter.h"
#include "shell/pages/curve_graph.h"
#include "shell/pages/number_controls.h"
#include "shell/pages/page_controls.h"
#include "shell/tool_windows.h"
#include "widgets/check_box.h"
#include "widgets/spin_edit.h"

namespace kestrave {

WaveletFilterPanel::WaveletFilterPanel(QWidget* parent) : QWidget(parent) {
    setObjectName("WaveletFilterPanel");
    const KernelSpins design = defaultKernelSpins();
    auto* grid = new QGridLayout;
    for (int b = 0; b < 5; ++b) {
        for (int a = 0; a < 5; ++a) {
            const int i = b * 5 + a;
            const QByteArray name = QStringLiteral("Filter%1%2").arg(a).arg(b).toLatin1();
            Filter[static_cast<std::size_t>(i)] = integerSpin(this, name.constData(), 0, 0, design[i]);
            grid->addWidget(Filter[static_cast<std::size_t>(i)], b, a);
        }
    }
    Setwaveletbutton = pushButton(this, "Setwaveletbutton", "Set");
    ResetWaveletbutton = pushButton(this, "ResetWaveletbutton", "Reset");
    CentreWavelet = textLabel(this, "CentreWavelet", "");
    Waveletcentrelabel = textLabel(this, "Waveletcentrelabel", "");
    SaveFilter = pushButton(this, "SaveFilter", "Save");
    Loadfilter = pushButton(this, "Loadfilter", "Load");
    Gauss = floatSpin(this, "Gauss", 0.05, 5.0, 0.02, 0.1, 2);
    Gaussstart = floatSpin(this, "Gaussstart", 0.5, 10.0, 0.1, 1.0, 1);
    Gaussstart->hide();
    Gaussstep = floatSpin(this, "Gaussstep", -1.0, 10.0, 0.1, 0.0, 1);
    Setfilterlayers = pushButton(this, "Setfilterlayers", "Set layers");
    Gaussian = pushButton(this, "Gaussian", "Set Gaussian");
    CentreGaussian = textLabel(this, "CentreGaussian", "");

    auto* layout = new QVBoxLayout(this);
    layout->addLayout(grid);
    layout->addLayout(controlRow({Setwaveletbutton, ResetWaveletbutton, SaveFilter, Loadfilter}));
    layout->addLayout(controlRow({CentreWavelet, Waveletcentrelabel}));
    layout->addLayout(controlRow({Gauss, Gaussstart, Gaussstep, Setfilterlayers, Gaussian}));
    layout->addWidget(CentreGaussian);
}

GammaPanel::GammaPanel(QWidget* parent) : QWidget(parent) {
    setObjectName("GammaPanel");
    Gamma1spin = floatSpin(this, "Gamma1spin", 0.1, 10.0, 0.1, 1.0, 2);
    GammaSplineGraph = new CurveGraph(this, "GammaSplineGraph", QColor(192, 192, 192));
    ResetGamma = pushButton(this, "ResetGamma", "Reset");
    Loadgammabutton = pushButton(this, "Loadgammabutton", "Load");
    savegammabutton = pushButton(this, "savegammabutton", "Save");
    Linearspline = optionCheck(this, "Linearspline", "Linear");
    Gamma1spin->setMaximumWidth(80);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(GammaSplineGraph, 0, Qt::AlignHCenter);
    layout->addLayout(controlRow({new QLabel("Gamma", this), Gamma1spin, Linearspline}));
    layout->addLayout(controlRow({ResetGamma, Loadgammabutton, savegammabutton}));
}

RgbBalancePanel::RgbBalancePanel(QWidget* parent) : QWidget(parent) {
    setObjectName("RgbBalancePanel");
    RedSlider = rangeSlider(this, "RedSlider", -100, 100, 0);
    GreenSlider = rangeSlider(this, "GreenSlider", -100, 100, 0);
    blueslider = rangeSlider(this, "blueslider", -100, 100, 0);
    for (TRxSlider* slider : {RedSlider, GreenSlider, blueslider}) slider->setOptions(TRxSlider::soShowFocus);
    Rbalance = floatSpin(this, "Rbalance", 0.001, 1.5, 0.05, 1.0, 3);
    Gbalance = floatSpin(this, "Gbalance", 0.001, 1.5, 0.05, 1.0, 3);
    Bbalance = floatSpin(this, "Bbalance", 0.001, 1.5, 0.05, 1.0, 3);
    resethisto1button = pushButton(this, "resethisto1button", "Reset");
    auto* grid = new QGridLayout(this);
    QLabel* labels[] = {textLabel(this, "LabelR", "Red"), textLabel(this, "labelG", "Green"),
                        textLabel(this, "LabelB", "Blue")};
    TRxSlider* sliders[] = {RedSlider, GreenSlider, blueslider};
    TRxSpinEdit* spins[] = {Rbalance, Gbalance, Bbalance};
    for (int i = 0; i < 3; ++i) {
        grid->addWidget(labels[i], i, 0);
        grid->addWidget(sliders[i], i, 1);
        grid->addWidget(spins[i], i, 2);
    }
    grid->addWidget(resethisto1button, 3, 0);
}

TonemapPanel::TonemapPanel(QWidget* parent) : QWidget(parent) {
    setObjectName("TonemapPanel");
    ActiveTonemap = optionCheck(this, "ActiveTonemap", "Activate");
    Tonegraph = optionCheck(this, "Tonegraph", "UseGraph");
    Tonegraph->setChecked(true);
    Tonegraph->hide();  // a developer control
    LogHist = optionCheck(this, "LogHist", "LogHist");
    RxSpinEdit10 = floatSpin(this, "RxSpinEdit10", 0, 10, 0.1, 0.1, 1);
    RxSpinEdit5 = floatSpin(this, "RxSpinEdit5", 0, 20, 0.25, 2.2, 2);
    RxSpinEdit5->hide();
    RxSpinEdit8 = integerSpin(this, "RxSpinEdit8", 0, 2000, 230);
    RxSpinEdit8->setIncrement(25);
    RxSpinEdit8->hide();
    RxSlider1 = rangeSlider(this, "RxSlider1", 1, 2000, 666);
    RxSlider2 = rangeSlider(this, "RxSlider2", 1, 2000, 1);
    RxSlider3 = rangeSlider(this, "RxSlider3", 1, 1000, 1000);
    RxSlider4 = rangeSlider(this, "RxSlider4", 1, 1000, 1);
    for (TRxSlider* slider : {RxSlider3, RxSlider4}) slider->setOptions(TRxSlider::soShowFocus);
    Tonemapgraph = new CurveGraph(this, "Tonemapgraph", QColor(128, 128, 128));
    auto* grid = new QGridLayout(this);
    grid->addWidget(Tonemapgraph, 1, 3, 8, 1, Qt::AlignTop);
    grid->setColumnMinimumWidth(1, 150);
    grid->addLayout(controlRow({ActiveTonemap, Tonegraph, LogHist, RxSpinEdit10}), 0, 0, 1, 4);
    const char* captions[][3] = {{"Tonemap-Contrast", "", ""},
                                 {"Tonemap-Intensity", "Brighter", "Dimmer"},
                                 {"Tonemap-light adaptation", "Global", "Local"},
                                 {"Tonemap-color-adaptation", "Dependent", "Independent"}};
    TRxSlider* sliders[] = {RxSlider1, RxSlider2, RxSlider3, RxSlider4};
    for (int i = 0; i < 4; ++i) {
        grid->addWidget(new QLabel(captions[i][0], this), 2 * i + 1, 0, 1, 3);
        grid->addWidget(new QLabel(captions[i][1], this), 2 * i + 2, 0);
        grid->addWidget(sliders[i], 2 * i + 2, 1);
        grid->addWidget(new QLabel(captions[i][2], this), 2 * i + 2, 2);
    }
}

WaveletToolPanels::WaveletToolPanels(ToolWindows& tools)
    : filter(new WaveletFilterPanel(tools.Filterwindow)),
      gamma(new GammaPanel(tools.Gammawindow)),
      rgbBalance(new RgbBalancePanel(tools.HistoRGBWindow)),
      tonemap(new TonemapPanel(tools.Tonemapwindow)),
      Zoomimage2(textLabel(tools.WaveZoom, "Zoomimage2", "")) {
    tools.Filterwindow->Body->addWidget(filter);
    tools.Gammawindow->Body->addWidget(gamma);
    tools.HistoRGBWindow->Body->addWidget(rgbBalance);
    tools.Tonemapwindow->Body->addWidget(tonemap);
    Zoomimage2->setFixedSize(250, 250);
    tools.WaveZoom->Body->addWidget(Zoomimage2);
}

void GammaPanel::resetDisplayGamma() {
    Gamma1spin->setValue(1.0);
}

void RgbBalancePanel::resetForNewInput() {
    for (TRxSpinEdit* factor : {Rbalance, Gbalance, Bbalance}) factor->setValue(1.0);
    for (TRxSlider* slider : {RedSlider, GreenSlider, blueslider}) slider->setValue(0);
}

double GammaPanel::displayGamma() const {
    return static_cast<double>(Gamma1spin->Value());
}

void WaveletFilterPanel::showWaveletCentre() {
    Waveletcentrelabel->setText("Wavelet centre: " + QString::number(std::llrint(Filter22()->Value())));
}

bool TonemapPanel::usesToneGraph() const {
    return Tonegraph->Checked();
}

}  // namespace kestrave
