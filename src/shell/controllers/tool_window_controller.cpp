#include "shell/controllers/tool_window_controller.h"

#include <QScreen>
#include <QToolButton>
#include <functional>
#include <utility>

#include "shell/pages/align_page.h"
#include "shell/pages/final_page.h"
#include "shell/pages/stack_page.h"
#include "shell/pages/wavelet_page.h"
#include "shell/shell_rules.h"
#include "shell/tool_windows.h"
#include "shell/window_entry_points.h"
#include "widgets/check_box.h"

namespace kestrave {

ToolWindowController::ToolWindowController(const ToolWindowControllerParts& parts)
    : window_(parts.window), entries_(parts.entries) {
    ToolWindows& tools = parts.tools;
    WaveletPage& wavelet = parts.wavelet;
    const std::pair<QToolButton*, ToolWindow*> speedButtons[] = {
        {wavelet.Gammaspeedbutton, tools.Gammawindow},
        {wavelet.Histogramspeedbutton, tools.HistoWindow},
        {wavelet.RGBbalancespeedbutton, tools.HistoRGBWindow},
        {wavelet.Waveletfilterspeedbutton, tools.Filterwindow},
        {wavelet.Tonemapspeedbutton, tools.Tonemapwindow},
    };
    for (const auto& [button, window] : speedButtons) {
        connect(button, &QToolButton::clicked, this,
                [this, button = button, window = window] { toolWindowButtonClick(*button, *window); });
    }

    // Closing a tool window releases the control that opened it (without running its handler).
    const auto raise = [](QToolButton* button) { return [button] { button->setChecked(false); }; };
    const auto uncheck = [](TPCheck* check) { return [check] { check->setChecked(false); }; };
    const std::pair<ToolWindow*, std::function<void()>> closes[] = {
        {tools.HistoWindow, raise(wavelet.Histogramspeedbutton)},
        {tools.Gammawindow, raise(wavelet.Gammaspeedbutton)},
        {tools.Filterwindow, raise(wavelet.Waveletfilterspeedbutton)},
        {tools.HistoRGBWindow, raise(wavelet.RGBbalancespeedbutton)},
        {tools.Tonemapwindow, raise(wavelet.Tonemapspeedbutton)},
        {tools.Shrinkview, raise(wavelet.Resizebutton)},
        {tools.Stackgraphpanel, uncheck(parts.stack.Showstackgraph)},
        {tools.StackFrameswindow, uncheck(parts.stack.ShowStacklist)},
        {tools.WaveZoom, uncheck(wavelet.ZoomWavelet)},
        {tools.HLSwindow, [&finalPage = parts.finalPage] { finalPage.releaseAdvancedHls(); }},
    };
    for (const auto& [window, reset] : closes) connect(window, &ToolWindow::OnRollClose, this, reset);
    parts.align.releaseSwitchesOnClose(tools);
}

void ToolWindowController::toolWindowButtonClick(QToolButton& button, ToolWindow& window) {
    window.setVisible(button.isChecked());
    const QRect main = window_.frameGeometry();
    const QRect tool = window.frameGeometry();
    // A window beside the main one, wholly on the screen, is where it was put; one dragged out of
    // reach comes back inside the main window.
    const QScreen* screen = window_.screen();
    if (!screen || !screen->availableGeometry().contains(tool)) {
        const WindowPlace place =
            keepToolWindowInside({tool.left() - main.left(), tool.top() - main.top()}, tool.width(),
                                 tool.height(), main.width(), main.height());
        window.move(main.left() + place.left, main.top() + place.top);
    }
    if (window.isVisible()) window.raise();
    entries_.Layer1sliderChanged();
}

}  // namespace kestrave
