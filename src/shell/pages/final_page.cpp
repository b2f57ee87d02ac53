#include "shell/pages/final_page.h"

#include <QComboBox>
#include <QPainter>
#include <QPushButton>
#include <QSignalBlocker>
#include <cmath>

#include "shell/pages/curve_graph.h"
#include "shell/pages/number_controls.h"
#include "shell/pages/page_controls.h"
#include "shell/tool_windows.h"
#include "widgets/check_box.h"
#include "widgets/event_scroll_box.h"
#include "widgets/rect_shape.h"
#include "widgets/slider.h"
#include "widgets/speed_button.h"
#include "widgets/spin_edit.h"
#include "widgets/switcher.h"

namespace kestrave {

namespace {

constexpr int ColumnWidth = 384;
constexpr int OverviewSize = 150;
constexpr int DialSize = 115;
constexpr int HueWidth = 360;
constexpr int HueviewHeight = 12;
constexpr int HistogramHeight = 50;
const QColor GraphGrid(0, 128, 0);

// The hues 0..360 across, at full saturation and value.
QPixmap hueSpectrum() {
    QPixmap spectrum(HueWidth + 1, HueviewHeight);
    QPainter painter(&spectrum);
    for (int hue = 0; hue <= HueWidth; ++hue) {
        painter.setPen(QColor::fromHsv(hue % 360, 255, 255));
        painter.drawLine(hue, 0, hue, HueviewHeight - 1);
    }
    return spectrum;
}

}  // namespace

HueSaturationWindow::HueSaturationWindow(ToolWindow& window) {
    auto* graphs = new QWidget(&window);
    graphs->setObjectName("HLSgraphs");
    auto* layout = new QVBoxLayout(graphs);
    compact(layout, 4);
    layout->setSpacing(2);
    HueHistoImage = named(new QLabel(graphs), "HueHistoImage");
    HueHistoImage->setFixedSize(HueWidth + 1, HistogramHeight + 1);
    Huegraph = new CurveGraph(graphs, "Huegraph", GraphGrid, CurveGraphGrid::Hues);
    Saturationgraph = new CurveGraph(graphs, "Saturationgraph", GraphGrid, CurveGraphGrid::Hues);
    Lightnessgraph = new CurveGraph(graphs, "Lightnessgraph", GraphGrid, CurveGraphGrid::Hues);
    Hueview = named(new QLabel(graphs), "Hueview");
    Hueview->setPixmap(hueSpectrum());
    Clicklabel =
        named(new QLabel(" right-click : insert a point\r\n ctrl-left-click : delete a point", graphs),
              "Clicklabel");
    layout->addWidget(caption(graphs, "Hues of the bright pixels"));
    layout->addWidget(HueHistoImage);
    for (auto [text, graph] : {std::pair{"Hue", Huegraph}, std::pair{"Saturation", Saturationgraph},
                               std::pair{"Lightness", Lightnessgraph}}) {
        layout->addWidget(caption(graphs, text));
        layout->addWidget(graph);
    }
    layout->addWidget(Hueview);
    layout->addWidget(Clicklabel);
    huepoint = shape(graphs, "huepoint", 3, 10, QBrush(Qt::black), 1);
    huepoint->hide();
    window.Body->addWidget(graphs);
    window.fitContents();
}

void HueSaturationWindow::showHuePoint(std::optional<int> hue) {
    if (!hue) {
        huepoint->hide();
        return;
    }
    // From the top of the histogram to the foot of the spectrum, one pixel either side of the hue.
    const int top = HueHistoImage->y();
    huepoint->setGeometry(HueHistoImage->x() + *hue - 1, top, 3, Hueview->geometry().bottom() - top + 1);
    huepoint->show();
    huepoint->raise();
}

FinalPage::FinalPage(QWidget* parent, ToolWindow& HLSwindow) : QWidget(parent), hls(HLSwindow) {
    setObjectName("FinalPage");
    EventScrollBox1 = named(new TEventScrollBox(this), "EventScrollBox1");
    RotateImage = named(new QLabel, "RotateImage");
    RotateImage->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    EventScrollBox1->setWidget(RotateImage);
    EventScrollBox1->setAlignment(Qt::AlignCenter);
    Overview = named(new QLabel(this), "Overview");
    Overview->setFixedSize(OverviewSize, OverviewSize);
    Overview->setAlignment(Qt::AlignCenter);

    ComboBox2 = named(new QComboBox(this), "ComboBox2");
    for (int angle = 0; angle <= 360; angle += 15) ComboBox2->addItem(QString::number(angle));
    RxSpinEdit4 = integerSpin(this, "RxSpinEdit4", 0, 0, 0);
    RxSpinEdit4->setMaximumWidth(80);
    ASSwitcher1 = named(new TASSwitcher(this), "ASSwitcher1");
    ASSwitcher1->setMax(36);
    ASSwitcher1->SoundType = TASSwitcher::wssNone;
    ASSwitcher1->WaveOptions = 0;
    ASSwitcher1->setTag(501);
    ASSwitcher1->setFixedSize(DialSize, DialSize);
    connect(RxSpinEdit4, &TRxSpinEdit::OnChange, this, &FinalPage::showAngleOnDial);
    RxSpeedButton1 = named(new TRxSpeedButton(this), "RxSpeedButton1");
    RxSpeedButton1->setCaption("Set Centre\r\nof Rotation");
    RxSpeedButton1->setSizePolicy(QSizePolicy::Preferred, QSizePolicy::Fixed);

    FlipX = optionCheck(this, "FlipX", "Flip X");
    FlipY = optionCheck(this, "FlipY", "Flip Y");
    Cropping = optionCheck(this, "Cropping", "Use Cropping");
    Cropping->hide();
    Croppedarea = runningText(this, "Croppedarea");

    Huelabel = runningText(this, "Huelabel", "Hue        :0");
    Saturationlabel = runningText(this, "Saturationlabel", "Saturation :0");
    Lightnesslabel = runningText(this, "Lightnesslabel", "Lightness  :0");
    HueSlider = rangeSlider(this, "HueSlider", -100, 100, 0);
    SaturationSlider = rangeSlider(this, "SaturationSlider", -50, 50, 0);
    Lightnessslider = rangeSlider(this, "Lightnessslider", -100, 100, 0);
    for (TRxSlider* slider : {HueSlider, SaturationSlider, Lightnessslider})
        slider->setOptions(TRxSlider::soShowFocus);
    resethslbutton = pushButton(this, "resethslbutton", "Reset HSL");
    AdvancedHLS = optionCheck(this, "AdvancedHLS", "Advanced HSL");

    Shrink = pushButton(this, "Shrink", "Shrink");
    savefinalbutton = pushButton(this, "savefinalbutton", "Save\r\nImage");
    clipboardbutton = pushButton(this, "clipboardbutton", "Clipboard");

    // The final picture with the step's groups beside it, the output buttons at the bottom.
    const PageFrame frame = pictureAndColumn(this, ColumnWidth);
    frame.picture->addWidget(EventScrollBox1, 1);
    QWidget* column = frame.column->parentWidget();

    auto* turn = new QGridLayout;
    compact(turn, 0);
    auto* dial = new QVBoxLayout;
    compact(dial, 0);
    dial->addWidget(ASSwitcher1, 0, Qt::AlignHCenter);
    dial->addWidget(caption(column, "deg. x 10"), 0, Qt::AlignHCenter);
    turn->addLayout(dial, 0, 0, 3, 1);
    turn->addLayout(controlRow({caption(column, "Angle"), RxSpinEdit4}), 0, 1);
    turn->addLayout(controlRow({caption(column, "Steps of 15"), ComboBox2}), 1, 1);
    turn->addWidget(RxSpeedButton1, 2, 1);
    turn->setColumnStretch(1, 1);
    frame.column->addWidget(captionedGroup(column, "Rotation", turn));

    auto* colour = new QGridLayout;
    compact(colour, 0);
    const std::pair<QLabel*, TRxSlider*> sliders[] = {
        {Huelabel, HueSlider}, {Saturationlabel, SaturationSlider}, {Lightnesslabel, Lightnessslider}};
    int row = 0;
    for (const auto& [label, slider] : sliders) {
        label->setMinimumWidth(96);
        colour->addWidget(label, row, 0);
        colour->addWidget(slider, row++, 1);
    }
    colour->addLayout(controlRow({resethslbutton, AdvancedHLS}), row, 0, 1, 2);
    colour->setColumnStretch(1, 1);
    frame.column->addWidget(captionedGroup(column, "Hue, saturation, lightness", colour));

    auto* marks = new QVBoxLayout;
    marks->addLayout(controlRow({FlipX, FlipY, Cropping}));
    marks->addWidget(Croppedarea);
    frame.column->addWidget(captionedGroup(column, "Flip and crop", marks));

    auto* whole = new QHBoxLayout;
    whole->addWidget(Overview, 0, Qt::AlignHCenter);
    frame.column->addWidget(captionedGroup(column, "Whole image", whole));
    frame.column->addStretch(1);

    QGroupBox* actions =
        captionedGroup(column, "Output", controlRow({Shrink, savefinalbutton, clipboardbutton}));
    actions->setProperty(ActionButtonsProperty, true);
    frame.column->addWidget(actions);
    connect(Shrink, &QPushButton::clicked, this, &FinalPage::shrinkRequested);
}

void FinalPage::showAngleOnDial() {
    const double turn = std::fmod(static_cast<double>(RxSpinEdit4->Value()), 360.0);
    const QSignalBlocker quiet(ASSwitcher1);
    ASSwitcher1->setPosition(static_cast<int>(std::lround((turn < 0 ? turn + 360.0 : turn) / 10.0)));
}

void FinalPage::releaseAdvancedHls() {
    AdvancedHLS->setChecked(false);
}

}  // namespace kestrave
