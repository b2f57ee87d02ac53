#include "shell/pages/wavelet_page.h"

#include <QPushButton>

#include "shell/pages/page_controls.h"

namespace kestrave {

WaveletPage::WaveletPage(QWidget* parent) : QWidget(parent) {
    setObjectName("WaveletPage");
    auto* layout = new QVBoxLayout(this);
    glPageControl4 = optionPages(this, "glPageControl4");

    Processbutton = named(new QPushButton("Process", this), "Processbutton");
    Showbuttonp3 = named(new QLabel(QStringLiteral("\u25B2"), this), "Showbuttonp3");
    Autoprocessbox = optionCheck(this, "Autoprocessbox", "Auto process");
    savebmp2button = named(new QPushButton("Save", this), "savebmp2button");
    ProcessViewfull = optionCheck(this, "ProcessViewfull", "Fit");
    ZoomWavelet = optionCheck(this, "ZoomWavelet", "Zoom");

    Gammaspeedbutton = toggleButton(this, "Gammaspeedbutton", "Gamma");
    Histogramspeedbutton = toggleButton(this, "Histogramspeedbutton", "Histogram");
    RGBbalancespeedbutton = toggleButton(this, "RGBbalancespeedbutton", "RGB balance");
    Waveletfilterspeedbutton = toggleButton(this, "Waveletfilterspeedbutton", "Filter");
    Tonemapspeedbutton = toggleButton(this, "Tonemapspeedbutton", "Tone map");
    Resizebutton = toggleButton(this, "Resizebutton", "Resize");

    const ImageBox processed = imageBox(this, "Scrollbox3", "ProcessImage");
    Scrollbox3 = processed.box;
    ProcessImage = processed.image;
    layout->addWidget(glPageControl4);
    layout->addLayout(controlRow(
        {Processbutton, Showbuttonp3, Autoprocessbox, savebmp2button, ProcessViewfull, ZoomWavelet}));
    layout->addLayout(controlRow({Gammaspeedbutton, Histogramspeedbutton, RGBbalancespeedbutton,
                                  Waveletfilterspeedbutton, Tonemapspeedbutton, Resizebutton}));
    layout->addWidget(Scrollbox3, 1);
}

}  // namespace kestrave
