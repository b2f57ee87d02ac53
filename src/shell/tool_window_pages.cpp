#include "shell/tool_window_pages.h"

#include <QScopedValueRollback>
#include <QStackedWidget>

#include "shell/tool_windows.h"

namespace kestrave {

ToolWindowPages::ToolWindowPages(ToolWindows& tools, const QStackedWidget& pages) : pages_(pages) {
    // The tab of the page each window belongs to.
    members_ = {{tools.Registrationgraphwindow, 0},
                {tools.Registerhaltwindow, 0},
                {tools.Zoomwindow, 0},
                {tools.SelectFrameswindow, 0},
                {tools.FFTWindow, 0},
                {tools.AngleDist, 0},
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
    // Shown or hidden by its handler: the window no longer waits for its page.
    for (std::size_t i = 0; i < members_.size(); ++i)
        connect(members_[i].window, &ToolWindow::visibilitySet, this, [this, i](bool visible) {
            if (switching_) return;
            Member& member = members_[i];
            member.away = false;
            member.placedElsewhere = visible && pages_.isVisible() && pages_.currentIndex() != member.tab;
        });
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
            if (pages_.isVisible() && pages_.currentIndex() != tab) member.placedElsewhere = true;
        }
        // Over the page it belongs to, now that this page shows.
        if (member.tab == tab && member.placedElsewhere && pages_.currentIndex() == tab &&
            member.window->isVisible()) {
            member.placedElsewhere = false;
            member.window->placeAgain();
        }
    }
}

}  // namespace kestrave
