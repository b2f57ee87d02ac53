#pragma once
// A captioned group of radio buttons of which at most one is chosen. `ItemIndex` is the chosen
// item (-1 for none). As with the check box, writing `ItemIndex` from code fires nothing;
// `OnClick` fires when the user chooses an item.

#include <QGroupBox>
#include <QStringList>

class QButtonGroup;
class QRadioButton;
class QGridLayout;

namespace kestrave {

class TRadioGroup : public QGroupBox {
    Q_OBJECT
    Q_PROPERTY(int ItemIndex READ ItemIndex WRITE setItemIndex)
    Q_PROPERTY(QString Caption READ Caption WRITE setCaption)
    Q_PROPERTY(QStringList Items READ Items WRITE setItems)
    Q_PROPERTY(int Columns READ Columns WRITE setColumns)

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
    // The items run down the first column, then the next: with n items in c columns each column
    // holds ceil(n / c) of them.
    int Columns() const { return columns_; }
    void setColumns(int columns);
    // The button of item i, for tests and for enabling single items.
    QRadioButton* button(int i) const;

signals:
    void OnClick(QObject* Sender);

private:
    void placeItems();

    QStringList items_;
    int columns_ = 1;
    QButtonGroup* group_;
    QGridLayout* layout_;
};

}  // namespace kestrave
