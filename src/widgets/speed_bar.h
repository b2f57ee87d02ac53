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

// The button of an item. It carries the item's name, but the item is the component: the item's
// caption is the one a language sets, so the button has no text of its own to translate.
class TSpeedbarButton : public TRxSpeedButton {
    Q_OBJECT
public:
    using TRxSpeedButton::TRxSpeedButton;
};

// The edges a bar can lie along; the numbers are those the stored layout's "Position" holds.
enum TBarAlign { alTop = 1, alBottom = 2, alLeft = 3, alRight = 4 };
enum TBarPosition { bpAuto, bpCustom };
enum TPanelBevel { bvNone, bvLowered, bvRaised };

// The edge of a client area of `client` size whose triangle, cut by the area's two diagonals,
// holds `point` (on a diagonal the top or bottom edge wins).
TBarAlign edgeOfPoint(QSize client, QPoint point);
// The rectangle a bar `thickness` thick takes along `edge` of `client`, after `taken` pixels that
// other bars along the same edge hold.
QRect alongEdge(const QRect& client, TBarAlign edge, int thickness, int taken = 0);
// Whether `point` lies in the resize zone of a bar of `size` along `edge`: within 4 pixels of
// its inner edge (the bottom edge of a top bar, the left edge of a right bar, ...).
bool inResizeZone(QSize size, TBarAlign edge, QPoint point);
// The width of a bar's frame: border and shown bevels.
int frameInset(int borderWidth, int bevelWidth, TPanelBevel outer, TPanelBevel inner);
// The least distance of a button from the bar's edge: border, shown bevels and, for buttons
// that are not flat, 2 more.
int minButtonOffset(int borderWidth, int bevelWidth, TPanelBevel outer, TPanelBevel inner, bool flatButtons);

// A group of items, as the customise list shows them.
class TSpeedbarSection : public QObject {
    Q_OBJECT
public:
    TSpeedbarSection(TSpeedBar& bar, const QString& caption);
    QString Caption() const { return caption_; }
    // The section's place in the bar's list; setting it moves the section there.
    int Index() const;
    void setIndex(int index);

private:
    TSpeedBar& bar_;
    QString caption_;
};

// One item of the bar: its name in the sections, its hint and its place; the button carries the
// caption, the enabled state and the clicks.
class TSpeedItem : public QObject {
    Q_OBJECT
    Q_PROPERTY(QString Hint READ Hint WRITE setHint)
public:
    TSpeedItem(TSpeedBar& bar, int section, const QString& name, const QString& btnCaption);

    TRxSpeedButton* button() const { return button_; }
    int Section() const { return section_->Index(); }
    TSpeedbarSection* section() const { return section_; }
    // The glyph taken from the bar's Images; -1: none (the button's own glyph stays).
    int ImageIndex() const { return imageIndex_; }
    void setImageIndex(int index);
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
    friend class TSpeedBar;
    TSpeedBar& bar_;
    TSpeedbarSection* section_;
    int imageIndex_ = -1;
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
    ~TSpeedBar() override;

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
    int BtnWidth = 24;
    int BtnHeight = 23;
    QPixmap Wallpaper;

    // bpCustom: every button at its item's own place; bpAuto: the buttons are laid out anew,
    // one after another from the offsets, whenever the bar changes its edge.
    TBarPosition Position() const { return position_; }
    void setPosition(TBarPosition position);
    // The edge of the parent the bar lies along. A bar that no layout places spans that edge of
    // its parent, after the bars before it along the same edge.
    TBarAlign Align() const { return align_; }
    void setAlign(TBarAlign align);
    // Height along the top or bottom, width along the left or right.
    int thickness() const;
    // Whether the bar lies along the top or the bottom edge (its buttons in a row).
    bool acrossTopOrBottom() const { return align_ == alTop || align_ == alBottom; }
    void setThickness(int thickness);
    // A locked bar can neither be moved, resized nor customised.
    bool Locked = false;
    // The panel's frame: a border of BorderWidth pixels between an outer and an inner bevel of
    // BevelWidth each.
    int BorderWidth() const { return borderWidth_; }
    void setBorderWidth(int width);
    int BevelWidth() const { return bevelWidth_; }
    void setBevelWidth(int width);
    TPanelBevel BevelOuter() const { return bevelOuter_; }
    void setBevelOuter(TPanelBevel bevel);
    TPanelBevel BevelInner() const { return bevelInner_; }
    void setBevelInner(TPanelBevel bevel);
    // The client rectangle less the border and the bevels: where the wallpaper goes.
    QRect innerRect() const;
    // The least button offset the frame and the button look allow; lower offsets are raised to
    // it when the buttons are placed.
    int minButtonOffset() const;
    // The pictures items pick their glyphs from by ImageIndex; a new list dresses them at once.
    const QList<QImage>& Images() const { return images_; }
    void setImages(const QList<QImage>& images);
    // Starts customising (unless Locked): OnCustomize tells the owner.
    void Customize();
    bool customizing() const { return customizing_; }
    void EndCustomize() { customizing_ = false; }
    // Lays out every bar of `parent` that no layout places, in the order of the parent's
    // children: top and bottom bars first, then left and right ones between them.
    static void realignBars(QWidget* parent);

    // Adds a section and returns its index; a taken caption is made unique.
    int AddSection(const QString& caption);
    QString sectionCaption(int index) const;
    int SectionCount() const { return static_cast<int>(sections_.size()); }
    TSpeedbarSection* Sections(int index) const { return sections_.at(static_cast<std::size_t>(index)); }
    // Adds an item to a section, its button placed right of the bar's last item and dressed by
    // the bar's options.
    TSpeedItem* AddItem(int section, const QString& name, const QString& btnCaption);
    const std::vector<TSpeedItem*>& items() const { return items_; }
    // Puts every button at its item's place: a bar along the top never has a button above the
    // vertical offset.
    void placeButton(TSpeedItem& item);

signals:
    // The bar is about to be moved to `align`; clearing `apply` keeps it where it is.
    void OnApplyAlign(QObject* Sender, TBarAlign align, bool& apply);
    // A move of the bar by the mouse ended (on another edge or on its own).
    void OnPosChanged(QObject* Sender);
    void OnCustomize(QObject* Sender);
    void OnVisibleChanged(QObject* Sender);
    void OnResize(QObject* Sender);

protected:
    void paintEvent(QPaintEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    void showEvent(QShowEvent* event) override;
    void hideEvent(QHideEvent* event) override;

private:
    friend class TSpeedbarSection;
    friend class TSpeedItem;
    void applyOptions(TRxSpeedButton& button) const;
    void applyImage(TSpeedItem& item) const;
    // Lays the visible buttons out one after another from the offsets (bpAuto).
    void arrangeButtons();
    // Where the frame of a move to `edge` goes, in screen coordinates.
    QRect moveFrame(TBarAlign edge) const;
    bool managedByLayout() const;
    void updateMouseTracking();
    void endMove();
    // The bar's own section in its storage's file.
    std::string layoutSection() const;

    std::vector<TSpeedbarSection*> sections_;
    std::vector<TSpeedItem*> items_;
    TBarPosition position_ = bpAuto;
    TBarAlign align_ = alTop;
    int borderWidth_ = 0;
    int bevelWidth_ = 1;
    TPanelBevel bevelOuter_ = bvNone;
    TPanelBevel bevelInner_ = bvNone;
    QList<QImage> images_;
    bool customizing_ = false;
    // The move or resize the mouse is making.
    enum class Drag { None, Move, Resize } drag_ = Drag::None;
    TBarAlign dragEdge_ = alTop;
    QRect dragFrame_;
    int options_ = sbAllowDrag | sbGrayedBtns;
    int boundLines_ = 0;
    TIniLink iniLink_;
};

}  // namespace kestrave
