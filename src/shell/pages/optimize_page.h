#pragma once
// The "Optimize" tab page: builds its controls; the handlers live in the controllers.

#include <QWidget>

namespace kestrave {

class OptimizePage : public QWidget {
    Q_OBJECT
public:
    explicit OptimizePage(QWidget* parent = nullptr);
};

}  // namespace kestrave
