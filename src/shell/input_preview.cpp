#include "shell/input_preview.h"

#include <QGuiApplication>
#include <QMetaObject>
#include <QRect>
#include <QScreen>
#include <filesystem>
#include <stdexcept>

#include "frames/open_preview.h"
#include "widgets/bitmap_view.h"
#include "widgets/form_placement.h"
#include "widgets/open_preview_dialog.h"

namespace kestrave {

void joinInputPreview(TPBOpenPreviewDialog& dialog) {
    dialog.CustomPreviewExtensions = {"avi", "fit", "tif", "png", "fits", "fts", "ser"};
    dialog.setShowPreview(true);
    dialog.OnPreview = AddbitmapdialogPreview;
    dialog.OnShow = AddbitmapdialogShow;
}

void AddbitmapdialogPreview(TPBOpenPreviewDialog& dialog, const QString& ext) {
    const std::optional<OpenPreview> preview =
        probeOpenPreview(std::filesystem::path(dialog.FileName().toStdString()), ext.toStdString());
    if (!preview) return;
    dialog.setPreviewText(QString::fromStdString(preview->text));
    // A file the reader refused: its message stays in the caption panel, the pane has no preview.
    if (preview->picture.empty()) throw std::runtime_error(preview->text);
    const QSize box = dialog.previewImageSize();
    const ThumbnailRect fit =
        thumbnailFit(preview->picture.width(), preview->picture.height(), box.width(), box.height());
    dialog.drawPreviewImage(bitmapView(preview->picture), QRect(0, 0, fit.right, fit.bottom));
}

void AddbitmapdialogShow(TPBOpenPreviewDialog& dialog) {
    // The window system places a new window itself when it maps it; the move follows that.
    QMetaObject::invokeMethod(
        &dialog, [&dialog] { WMPositionOpenDialog(dialog); }, Qt::QueuedConnection);
}

void WMPositionOpenDialog(QWidget& dialog) {
    // There, unless the dialog would reach past the screen: then as far up and left as it must
    // (and no larger than the screen), so that its name field and buttons stay in reach.
    QWidget& window = *dialog.window();
    const QSize outer = window.frameGeometry().size();
    QList<QRect> areas;
    for (const QScreen* screen : QGuiApplication::screens()) areas.push_back(screen->availableGeometry());
    const QRect placed = keepOnScreens(QRect(OpenDialogPosition, outer), areas);
    window.move(placed.topLeft());
    if (placed.size() != outer) window.resize(window.size() - (outer - placed.size()));
}

}  // namespace kestrave
