#pragma once
// The tool bar panel: sections of items, each item owning one button placed at the item's own
// Left and Top. The bar keeps an item's place while it is hidden, so a button shown later
// reappears where it was.

#include <QPixmap>
#include <QPointer>
#include <QWidget>
#include <vector>

#include "widgets/form_placement.h"
#include "widgets/speed_button.h"

namespace kestrave {

class TBigIniFile;

// Columns and rows of a wallpaper tile of size `graphic` covering `inner` (the last ones clipped).
QSize wallpaperTiles(QSize inner, QSize graphic);
// A section caption made unique among `taken` by appending " (1)", " (2)", ...
QString uniqueSectionCaption(const QStringList& taken, const QString& caption);
// The hint after an item's caption changes from `oldCaption` to `newCaption`. A hint reads
// "short|long": a hint derived from the old caption (same short part) gets the new caption as its short part
// and keeps its long part; a caption with a long part of its own becomes the whole hint.
QString hintForCaption(const QString& oldCaption, const QString& oldHint, const QString& newCaption);
// The short part of a hint, as a tool tip shows it.
QString shortHint(const QString& hint);

class TSpeedBar;

// One item of the bar: its name in the sections, its hint and its place; the button carries the
// caption, the enabled state and the clicks.
class TSpeedItem : public QObject {
    Q_OBJECT
    Q_PROPERTY(QString Hint READ Hint WRITE setHint)
public:
    TSpeedItem(TSpeedBar& bar, int section, const QString& name, const QString& btnCaption);

    TRxSpeedButton* button() const { return button_; }
    int Section() const { return section_; }
    QString Caption() const { return caption_; }
    void setCaption(const QString& caption);
    QString Hint() const { return hint_; }
    void setHint(const QString& hint);
    int Left() const { return left_; }
    int Top() const { return top_; }
    // Stored items take part in the saved layout.
    bool Stored = true;
    void setLeft(int left);
    void setTop(int top);

private:
    TSpeedBar& bar_;
    int section_;
    QString caption_;
    QString hint_;
    int left_ = 0;
    int top_ = 0;
    TRxSpeedButton* button_;
};

// The etched bound lines of a bar of `size`, each a pair of lines (shadow, then highlight one
// pixel further in), in drawing order.
enum TBoundLine { blTop = 1, blBottom = 2, blLeft = 4, blRight = 8 };
struct EtchedLine {
    QLine line;
    bool highlight;
};
std::vector<EtchedLine> boundLines(QSize size, int lines);

class TSpeedBar : public QWidget {
    Q_OBJECT
public:
    enum TSpeedbarOption {
        sbAllowDrag = 1,
        sbAllowResize = 2,
        sbFlatBtns = 4,
        sbGrayedBtns = 8,
        sbTransparentBtns = 16,
        sbStretchBitmap = 32
    };
    explicit TSpeedBar(QWidget* parent = nullptr);

    int Options() const { return options_; }
    // Flat, grey until hovered and transparent go to every button at once.
    void setOptions(int options);
    int BoundLines() const { return boundLines_; }
    void setBoundLines(int lines);
    // Stored layouts older than this are not restored.
    int Version = 0;
    // The layout ("Position", "Width", the buttons' places) is saved and restored with this
    // placement's file.
    TFormPlacement* IniStorage() const { return iniLink_.Storage(); }
    void setIniStorage(TFormPlacement* storage) { iniLink_.setStorage(storage); }
    void saveLayout(TBigIniFile& ini, const std::string& section) const;
    void restoreLayout(TBigIniFile& ini, const std::string& section);

    int BtnOffsetHorz = 3;
    int BtnOffsetVert = 10;
    int BtnWidth = 70;
    int BtnHeight = 20;
    QPixmap Wallpaper;

    // Adds a section and returns its index; a taken caption is made unique.
    int AddSection(const QString& caption);
    QString sectionCaption(int index) const { return sections_.value(index); }
    int SectionCount() const { return static_cast<int>(sections_.size()); }
    // Adds an item to a section, its button placed right of the bar's last item and dressed by
    // the bar's options.
    TSpeedItem* AddItem(int section, const QString& name, const QString& btnCaption);
    const std::vector<TSpeedItem*>& items() const { return items_; }
    // Puts every button at its item's place: a bar along the top never has a button above the
    // vertical offset.
    void placeButton(TSpeedItem& item);

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    void applyOptions(TRxSpeedButton& button) const;
    // The bar's own section in its storage's file.
    std::string layoutSection() const;

    QStringList sections_;
    std::vector<TSpeedItem*> items_;
    int options_ = sbAllowDrag | sbGrayedBtns;
    int boundLines_ = 0;
    TIniLink iniLink_;
};

}  // namespace kestrave
