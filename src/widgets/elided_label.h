#pragma once
// A label for a text that the program writes as it runs (a frame number, a count, a figure, a
// window's caption): it never asks its layout for the width of its text, so no such text widens
// a window. What does not fit is cut short with "…", and then the whole text is the label's
// tooltip, unless the label's owner gave it a tooltip of its own.

#include "widgets/shadow_label.h"

namespace kestrave {

class ElidedLabel : public TRxLabel {
    Q_OBJECT
public:
    explicit ElidedLabel(QWidget* parent = nullptr, Qt::TextElideMode mode = Qt::ElideRight);

    // The text as it is drawn at the label's width: each line whole or cut short.
    QString shownText() const;
    bool elided() const { return shownText() != text(); }
    // Room kept free of the text at the label's sides, inside its frame (where its owner puts
    // buttons); the frame stays at the label's edge.
    void setTextMargins(int left, int right);
    // As narrow as "…": the layout gives the label its text's width while there is room.
    QSize minimumSizeHint() const override;
    QSize sizeHint() const override;

protected:
    QString drawnText() const override;
    QRect textArea() const override;
    void paintEvent(QPaintEvent* event) override;

private:
    void followWithToolTip();

    Qt::TextElideMode mode_;
    int leftRoom_ = 0;
    int rightRoom_ = 0;
    QString ownToolTip_;  // the tooltip this label gave itself, to take back once the text fits
};

}  // namespace kestrave
