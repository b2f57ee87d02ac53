#pragma once
// The "Stack" tab page: builds its controls; the handlers live in the controllers.

#include <QWidget>

namespace kestrave {

class StackPage : public QWidget {
    Q_OBJECT
public:
    explicit StackPage(QWidget* parent = nullptr);
};

}  // namespace kestrave
