#pragma once
// The "Stack" tab page: builds its controls; the handlers live in the controllers.

#include <QWidget>

class QTabWidget;

namespace kestrave {

class TPCheck;

class StackPage : public QWidget {
    Q_OBJECT
public:
    explicit StackPage(QWidget* parent = nullptr);

    QTabWidget* glPageControl3;
    TPCheck* Showstackgraph;  // the stack graph tool window
    TPCheck* ShowStacklist;   // the tool window listing the stacked frames
};

}  // namespace kestrave
