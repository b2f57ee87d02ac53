#pragma once
// The "Align" tab page: builds its controls; the handlers live in the controllers.

#include <QWidget>

class QLabel;
class QScrollArea;
class QTabWidget;

namespace kestrave {

class TPCheck;

class AlignPage : public QWidget {
    Q_OBJECT
public:
    explicit AlignPage(QWidget* parent = nullptr);

    QTabWidget* glPageControl1;
    TPCheck* PreviewFull;    // fit the preview to its box
    TPCheck* Previewzoom;    // the zoom tool window
    TPCheck* ShowFramelist;  // the frame selection tool window
    TPCheck* Haltwindow;     // the alignment tool window with the halt button
    QScrollArea* ScrollBox1;
    QLabel* PreviewImage;
};

}  // namespace kestrave
