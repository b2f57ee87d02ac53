#include "shell/tool_window_pages.h"

#include <QEvent>
#include <QScopedValueRollback>

#include "shell/tool_windows.h"

namespace kestrave {

ToolWindowPages::ToolWindowPages(ToolWindows& tools) {
    // The tab of the page each window belongs to.
    members_ = {{tools.Registrationgraphwindow, 0},
                {tools.Registerhaltwindow, 0},
                {tools.Zoomwindow, 0},
                {tools.SelectFrameswindow, 0},
                {tools.FFTWindow, 0},
                {tools.RegiStration2, 1},
                {tools.movements, 1},
                {tools.Stackgraphpanel, 2},
                {tools.StackFrameswindow, 2},
                {tools.Filterwindow, 3},
                {tools.WaveZoom, 3},
                {tools.HistoRGBWindow, 3},
                {tools.HistoWindow, 3},
                {tools.Tonemapwindow, 3},
                {tools.Gammawindow, 3},
                {tools.HLSwindow, 4}};
    for (const Member& member : members_) member.window->installEventFilter(this);
}

void ToolWindowPages::showPage(int tab) {
    const QScopedValueRollback busy(switching_, true);
    for (Member& member : members_) {
        if (member.tab != tab && member.window->isVisible()) {
            member.away = true;
            member.window->hide();
        } else if (member.tab == tab && member.away) {
            member.away = false;
            member.window->show();
        }
    }
}

bool ToolWindowPages::eventFilter(QObject* watched, QEvent* event) {
    // Shown or hidden by its handler: the window is no longer waiting for its page.
    if (!switching_ && (event->type() == QEvent::Show || event->type() == QEvent::Hide)) {
        for (Member& member : members_)
            if (member.window == watched) member.away = false;
    }
    return QObject::eventFilter(watched, event);
}

}  // namespace kestrave
