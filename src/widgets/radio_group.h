#pragma once
// A captioned group of radio buttons of which at most one is chosen. `ItemIndex` is the chosen
// item (-1 for none). As with the check box, writing `ItemIndex` from code fires nothing;
// `OnClick` fires when the user chooses an item.

#include <QGroupBox>
#include <QStringList>

class QButtonGroup;
class QRadioButton;
class QVBoxLayout;

namespace kestrave {

class TRadioGroup : public QGroupBox {
    Q_OBJECT
    Q_PROPERTY(int ItemIndex READ ItemIndex WRITE setItemIndex)
    Q_PROPERTY(QString Caption READ Caption WRITE setCaption)
    Q_PROPERTY(QStringList Items READ Items WRITE setItems)

public:
    explicit TRadioGroup(QWidget* parent = nullptr);

    int ItemIndex() const;
    // An index outside the items chooses none.
    void setItemIndex(int index);
    QString Caption() const { return title(); }
    void setCaption(const QString& caption) { setTitle(caption); }
    QStringList Items() const { return items_; }
    // Replaces the items; none is chosen afterwards.
    void setItems(const QStringList& items);
    // The button of item i, for tests and for enabling single items.
    QRadioButton* button(int i) const;

signals:
    void OnClick(QObject* Sender);

private:
    QStringList items_;
    QButtonGroup* group_;
    QVBoxLayout* layout_;
};

}  // namespace kestrave
