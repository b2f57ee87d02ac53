#pragma once
// A scroll box that reports scrolling: OnScrollHorz fires after its horizontal position changed,
// OnScrollVert after its vertical one, whatever moved them (the scroll bars, the wheel, the
// keyboard or the program).

#include <QScrollArea>

namespace kestrave {

class TEventScrollBox : public QScrollArea {
    Q_OBJECT
public:
    explicit TEventScrollBox(QWidget* parent = nullptr);

signals:
    void OnScrollHorz(QObject* Sender);
    void OnScrollVert(QObject* Sender);
};

}  // namespace kestrave
