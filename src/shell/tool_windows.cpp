#include "shell/tool_windows.h"

#include <QCloseEvent>
#include <QPushButton>
#include <algorithm>

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

void ToolWindow::setVisible(bool visible) {
    QWidget::setVisible(visible);
    emit visibilitySet(visible);
}

void ToolWindow::showEvent(QShowEvent* event) {
    QWidget::showEvent(event);
    if (placed_ || !parentWidget()) return;
    placed_ = true;
    // Cascaded from the top left of the picture area, under the page tabs and the picture's view
    // options (the picture is centred below them): the step's options in the column at the right,
    // the frame browser under the picture and the picture's middle stay in sight.
    constexpr int Top = 80, Step = 24, Steps = 8;
    const QRect owner = parentWidget()->window()->geometry();
    const int cascade = parentWidget()->property("toolWindowsPlaced").toInt() % Steps;
    parentWidget()->setProperty("toolWindowsPlaced", cascade + 1);
    move(std::min(owner.left() + Step * cascade, std::max(owner.left(), owner.right() - width())),
         std::max(owner.top(), std::min(owner.top() + Top + Step * cascade, owner.bottom() - height())));
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
      Registerhaltwindow(new ToolWindow(owner, "Registerhaltwindow", "Break")),
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
      HaltRegister(new QPushButton("Halt", Registerhaltwindow)),
      Cancel2button(new QPushButton("Cancel", Registerhaltwindow)) {
    HaltRegister->setObjectName("HaltRegister");
    Cancel2button->setObjectName("Cancel2button");
    Registerhaltwindow->Body->addWidget(HaltRegister);
    Registerhaltwindow->Body->addWidget(Cancel2button);
}

}  // namespace kestrave
