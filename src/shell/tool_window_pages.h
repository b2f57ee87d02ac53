#pragma once
// The tool windows of a work page show only while their page does: switching to another page
// hides them and switching back brings back those that were open. A window hidden by its
// handler stays hidden. The windows of the main window itself (image information, progress of the
// alignment points, the resized picture) show on every page.

#include <QObject>
#include <vector>

namespace kestrave {

class ToolWindow;
struct ToolWindows;

class ToolWindowPages : public QObject {
public:
    explicit ToolWindowPages(ToolWindows& tools);

    // The page with this tab index is shown now.
    void showPage(int tab);

private:
    struct Member {
        ToolWindow* window;
        int tab;
        bool away = false;  // open, but hidden while another page shows
    };
    std::vector<Member> members_;
    bool switching_ = false;
};

}  // namespace kestrave
