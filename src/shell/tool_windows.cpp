#include "shell/tool_windows.h"

#include <QCloseEvent>
#include <QPushButton>

namespace kestrave {

ToolWindow::ToolWindow(QWidget* owner, const char* name, const QString& caption)
    : QWidget(owner, Qt::Tool), Body(new QVBoxLayout(this)) {
    setObjectName(name);
    setWindowTitle(caption);
    resize(260, 200);
}

void ToolWindow::fitContents() {
    resize(size().expandedTo(sizeHint()));
}

void ToolWindow::closeEvent(QCloseEvent* event) {
    QWidget::closeEvent(event);
    emit OnRollClose(this);
}

ToolWindows::ToolWindows(QWidget* owner)
    : HistoWindow(new ToolWindow(owner, "HistoWindow", "Histogram")),
      Gammawindow(new ToolWindow(owner, "Gammawindow", "Gamma")),
      Filterwindow(new ToolWindow(owner, "Filterwindow", "Wavelet filter")),
      HistoRGBWindow(new ToolWindow(owner, "HistoRGBWindow", "RGB balance")),
      Tonemapwindow(new ToolWindow(owner, "Tonemapwindow", "Tone mapping")),
      Shrinkview(new ToolWindow(owner, "Shrinkview", "Resize")),
      Zoomwindow(new ToolWindow(owner, "Zoomwindow", "Zoom")),
      Registerhaltwindow(new ToolWindow(owner, "Registerhaltwindow", "Alignment")),
      WaveZoom(new ToolWindow(owner, "WaveZoom", "Wavelet zoom")),
      Stackgraphpanel(new ToolWindow(owner, "Stackgraphpanel", "Stack graph")),
      StackFrameswindow(new ToolWindow(owner, "StackFrameswindow", "Stacklist")),
      SelectFrameswindow(new ToolWindow(owner, "SelectFrameswindow", "Select frames")),
      HLSwindow(new ToolWindow(owner, "HLSwindow", "Hue, lightness, saturation")),
      MultiAlignprogresswindow(new ToolWindow(owner, "MultiAlignprogresswindow", "Alignment points")),
      FFTWindow(new ToolWindow(owner, "FFTWindow", "FFT Spectrum")),
      Registrationgraphwindow(new ToolWindow(owner, "Registrationgraphwindow", "Registration")),
      RegiStration2(new ToolWindow(owner, "RegiStration2", "Registration ")),
      Imageinfowindow(new ToolWindow(owner, "Imageinfowindow", "Image information (caption)")),
      movements(new ToolWindow(owner, "movements", "Movements")),
      Sigmaevents(new ToolWindow(owner, "Sigmaevents", "Sigma event recording")),
      Alignmentpointswindow(new ToolWindow(owner, "Alignmentpointswindow", "Alignmentpoints")),
      HaltRegister(new QPushButton("Halt", Registerhaltwindow)) {
    HaltRegister->setObjectName("HaltRegister");
    Registerhaltwindow->Body->addWidget(HaltRegister);
}

}  // namespace kestrave
