#pragma once
// The "Optimize" tab page: builds its controls; the handlers live in the controllers.

#include <QWidget>

class QComboBox;
class QPushButton;
class QTabWidget;

namespace kestrave {

class OptimizePage : public QWidget {
    Q_OBJECT
public:
    explicit OptimizePage(QWidget* parent = nullptr);

    QTabWidget* glPageControl2;
    QPushButton* Continuebutton;  // shown while Create waits for the user
    QComboBox* Filtertype;        // the prefilter's kernel preset
};

}  // namespace kestrave
