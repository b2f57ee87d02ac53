#include "widgets/drop_files.h"

#include <QDragEnterEvent>
#include <QDropEvent>
#include <QMimeData>
#include <QUrl>
#include <QWidget>

#include <stdexcept>

namespace kestrave {

namespace {

std::vector<std::string> localFiles(const QMimeData* data) {
    std::vector<std::string> files;
    if (!data) return files;
    for (const QUrl& url : data->urls())
        if (url.isLocalFile()) files.push_back(url.toLocalFile().toStdString());
    return files;
}

}  // namespace

TPJFormDropFiles::TPJFormDropFiles(QWidget* form) : form_(form) {
    if (!form || !form->isWindow()) throw std::invalid_argument("TPJFormDropFiles owner must be a form");
    if (const auto* present = form->findChild<TPJFormDropFiles*>(QString(), Qt::FindDirectChildrenOnly))
        throw std::invalid_argument("Only one TPJFormDropFiles component is permitted on a form: " +
                                    present->objectName().toStdString() + " is already present on " +
                                    form->objectName().toStdString());
    setParent(form);
    form->installEventFilter(this);
    setEnabled(true);
}

TPJFormDropFiles::~TPJFormDropFiles() {
    form_->removeEventFilter(this);
    form_->setAcceptDrops(false);
}

void TPJFormDropFiles::setEnabled(bool enabled) {
    enabled_ = enabled;
    form_->setAcceptDrops(enabled);
}

bool TPJFormDropFiles::eventFilter(QObject* watched, QEvent* event) {
    if (watched != form_ || !enabled_) return false;
    if (event->type() == QEvent::DragEnter) {
        auto* enter = static_cast<QDragEnterEvent*>(event);
        if (!localFiles(enter->mimeData()).empty()) enter->acceptProposedAction();
        return true;
    }
    if (event->type() != QEvent::Drop) return false;
    auto* drop = static_cast<QDropEvent*>(event);
    const std::vector<std::string> names = localFiles(drop->mimeData());
    if (names.empty()) return true;
    drop->acceptProposedAction();
    emit OnBeforeDrop(this);
    files_ = expandDroppedNames(names, Options);
    dropPoint_ = drop->position().toPoint();
    if (ForegroundOnDrop) {
        form_->raise();
        form_->activateWindow();
    }
    emit OnDropFiles(this);
    return true;
}

}  // namespace kestrave
