#pragma once
// The tool windows of a work page show only while their page does: switching to another page
// hides them and switching back brings back those that were open. A window hidden by its
// handler stays hidden. The windows of the main window itself (image information, progress of the
// alignment points, the resized picture) show on every page. A window is placed over its own
// page: one that opens while another page shows takes its place again once its page shows.

#include <QObject>
#include <vector>

class QStackedWidget;

namespace kestrave {

class ToolWindow;
struct ToolWindows;

class ToolWindowPages : public QObject {
public:
    ToolWindowPages(ToolWindows& tools, const QStackedWidget& pages);

    // The page with this tab index is being shown (`pages` may still show the one before).
    void showPage(int tab);

private:
    struct Member {
        ToolWindow* window;
        int tab;
        bool away = false;             // open, but hidden while another page shows
        bool placedElsewhere = false;  // opened while another page showed
    };
    std::vector<Member> members_;
    const QStackedWidget& pages_;
    bool switching_ = false;
};

}  // namespace kestrave
