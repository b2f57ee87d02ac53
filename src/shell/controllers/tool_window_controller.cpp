#include "shell/controllers/tool_window_controller.h"

#include <QAbstractButton>
#include <QScreen>
#include <functional>
#include <utility>

#include "shell/area_stages.h"
#include "shell/pages/align_page.h"
#include "shell/pages/final_page.h"
#include "shell/pages/stack_page.h"
#include "shell/pages/wavelet_page.h"
#include "shell/shell_rules.h"
#include "shell/tool_windows.h"
#include "widgets/check_box.h"

namespace kestrave {

ToolWindowController::ToolWindowController(const ToolWindowControllerParts& parts)
    : window_(parts.window), stages_(parts.stages) {
    ToolWindows& tools = parts.tools;
    for (const auto& [button, window] : parts.wavelet.toolWindowButtons(tools)) {
        connect(button, &QAbstractButton::clicked, this,
                [this, button = button, window = window] { toolWindowButtonClick(*button, *window); });
    }

    // Closing a tool window releases the control that opened it (without running its handler);
    // the Wavelet page's own controls are released by the page's controller.
    const std::pair<ToolWindow*, std::function<void()>> closes[] = {
        {tools.Stackgraphpanel, [&stack = parts.stack] { stack.uncheckStackGraph(); }},
        {tools.StackFrameswindow, [&stack = parts.stack] { stack.uncheckStackList(); }},
        {tools.HLSwindow, [&finalPage = parts.finalPage] { finalPage.releaseAdvancedHls(); }},
    };
    for (const auto& [window, reset] : closes) connect(window, &ToolWindow::OnRollClose, this, reset);
}

void ToolWindowController::toolWindowButtonClick(QAbstractButton& button, ToolWindow& window) {
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
    stages_.renderAgain();
}

}  // namespace kestrave
