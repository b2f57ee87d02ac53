#pragma once
// The window's drop target for files dragged from the desktop: it lists the dropped names (with
// folders and their content as its options say), remembers the drop point and announces the
// drop. One per window, owned by that window.

#include <QObject>
#include <QPoint>

#include <string>
#include <vector>

#include "platform/dropped_names.h"

class QWidget;

namespace kestrave {

class TPJFormDropFiles : public QObject {
    Q_OBJECT
public:
    // Throws std::invalid_argument when `form` is no window or already has a drop target.
    explicit TPJFormDropFiles(QWidget* form);
    ~TPJFormDropFiles() override;

    bool Enabled() const { return enabled_; }
    // Whether the window takes drops at all.
    void setEnabled(bool enabled);
    bool ForegroundOnDrop = false;
    DropFileOptions Options;

    // After a drop: the names and the point in the window's coordinates.
    int Count() const { return static_cast<int>(files_.size()); }
    const std::vector<std::string>& Files() const { return files_; }
    QPoint DropPoint() const { return dropPoint_; }

signals:
    void OnBeforeDrop(QObject* Sender);
    void OnDropFiles(QObject* Sender);

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    QWidget* form_;
    bool enabled_ = false;
    std::vector<std::string> files_;
    QPoint dropPoint_;
};

}  // namespace kestrave
