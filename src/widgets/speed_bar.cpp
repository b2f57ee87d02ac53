#include "widgets/speed_bar.h"

#include <QApplication>
#include <QLayout>
#include <QMouseEvent>
#include <QPainter>
#include <QScreen>
#include <algorithm>

#include "persist/big_ini_file.h"
#include "widgets/component_graphics.h"
#include "widgets/component_text.h"

namespace kestrave {

QSize wallpaperTiles(QSize inner, QSize graphic) {
    if (graphic.width() < 1 || graphic.height() < 1) return {0, 0};
    return {inner.width() / graphic.width() + 1, inner.height() / graphic.height() + 1};
}

QString uniqueSectionCaption(const QStringList& taken, const QString& caption) {
    if (!taken.contains(caption)) return caption;
    for (int n = 1;; ++n) {
        const QString candidate = QStringLiteral("%1 (%2)").arg(caption).arg(n);
        if (!taken.contains(candidate)) return candidate;
    }
}

QString shortHint(const QString& hint) {
    return hint.section('|', 0, 0);
}

QString hintForCaption(const QString& oldCaption, const QString& oldHint, const QString& newCaption) {
    const qsizetype bar = newCaption.indexOf('|');
    if (bar >= 0 && bar + 1 < newCaption.size()) return newCaption;
    if (!oldHint.isEmpty() && shortHint(oldHint) != shortHint(oldCaption)) return oldHint;
    const QString newShort = shortHint(newCaption);
    const qsizetype oldBar = oldHint.indexOf('|');
    return oldBar < 0 ? newShort : newShort + oldHint.mid(oldBar);
}

TBarAlign edgeOfPoint(QSize client, QPoint point) {
    // Above the diagonal from the top-left corner and above the one from the bottom-left corner:
    // the top triangle; below both: the bottom one; else left or right of the centre. A point on
    // a diagonal counts as both above and below it.
    const qint64 w = std::max(1, client.width());
    const qint64 h = std::max(1, client.height());
    const qint64 x = point.x();
    const qint64 y = point.y();
    const qint64 falling = y * w - x * h;       // the diagonal from (0, 0) to (w, h): below when > 0
    const qint64 rising = y * w - (w - x) * h;  // the diagonal from (0, h) to (w, 0): below when > 0
    if (falling <= 0 && rising <= 0) return alTop;
    if (falling >= 0 && rising >= 0) return alBottom;
    return falling < 0 ? alRight : alLeft;
}

QRect alongEdge(const QRect& client, TBarAlign edge, int thickness, int taken) {
    switch (edge) {
        case alTop:
            return {client.left(), client.top() + taken, client.width(), thickness};
        case alBottom:
            return {client.left(), client.bottom() + 1 - taken - thickness, client.width(), thickness};
        case alLeft:
            return {client.left() + taken, client.top(), thickness, client.height()};
        case alRight:
            return {client.right() + 1 - taken - thickness, client.top(), thickness, client.height()};
    }
    return {};
}

bool inResizeZone(QSize size, TBarAlign edge, QPoint point) {
    constexpr int Zone = 4;
    if (!QRect(QPoint(), size).contains(point)) return false;
    switch (edge) {
        case alTop:
            return point.y() >= size.height() - Zone;
        case alBottom:
            return point.y() < Zone;
        case alLeft:
            return point.x() >= size.width() - Zone;
        case alRight:
            return point.x() < Zone;
    }
    return false;
}

int frameInset(int borderWidth, int bevelWidth, TPanelBevel outer, TPanelBevel inner) {
    return borderWidth + (outer != bvNone ? bevelWidth : 0) + (inner != bvNone ? bevelWidth : 0);
}

int minButtonOffset(int borderWidth, int bevelWidth, TPanelBevel outer, TPanelBevel inner, bool flatButtons) {
    return frameInset(borderWidth, bevelWidth, outer, inner) + (flatButtons ? 0 : 2);
}

TSpeedbarSection::TSpeedbarSection(TSpeedBar& bar, const QString& caption)
    : QObject(&bar), bar_(bar), caption_(caption) {}

int TSpeedbarSection::Index() const {
    const auto& sections = bar_.sections_;
    return static_cast<int>(std::find(sections.begin(), sections.end(), this) - sections.begin());
}

void TSpeedbarSection::setIndex(int index) {
    auto& sections = bar_.sections_;
    const int from = Index();
    index = std::clamp(index, 0, static_cast<int>(sections.size()) - 1);
    if (from == index) return;
    sections.erase(sections.begin() + from);
    sections.insert(sections.begin() + index, this);
}

TSpeedItem::TSpeedItem(TSpeedBar& bar, int section, const QString& name, const QString& btnCaption)
    : QObject(&bar), bar_(bar), section_(bar.Sections(section)), button_(new TSpeedbarButton(&bar)) {
    setObjectName(name);
    button_->setObjectName(name);
    // An item's glyph and caption stand further apart than a lone speed button's.
    button_->setSpacing(4);
    button_->setText(btnCaption);
    setCaption(btnCaption);
}

void TSpeedItem::setCaption(const QString& caption) {
    hint_ = hintForCaption(caption_, hint_, caption);
    caption_ = caption;
    button_->setToolTip(shortHint(hint_));
}

void TSpeedItem::setHint(const QString& hint) {
    hint_ = hint;
    button_->setToolTip(shortHint(hint_));
}

void TSpeedItem::setImageIndex(int index) {
    imageIndex_ = index;
    bar_.applyImage(*this);
}

void TSpeedItem::setLeft(int left) {
    left_ = left;
    bar_.placeButton(*this);
}

void TSpeedItem::setTop(int top) {
    top_ = top;
    bar_.placeButton(*this);
}

std::vector<EtchedLine> boundLines(QSize size, int lines) {
    std::vector<EtchedLine> out;
    const int right = size.width() - 1;
    const int bottom = size.height() - 1;
    if (lines & blTop) {
        out.push_back({QLine(0, 0, right, 0), false});
        out.push_back({QLine(0, 1, right, 1), true});
    }
    if (lines & blLeft) {
        out.push_back({QLine(0, 0, 0, bottom), false});
        // Below a top line the highlight starts one pixel lower.
        out.push_back({QLine(1, (lines & blTop) ? 2 : 1, 1, bottom), true});
    }
    if (lines & blBottom) {
        out.push_back({QLine(0, bottom - 1, right, bottom - 1), false});
        out.push_back({QLine(0, bottom, right, bottom), true});
    }
    if (lines & blRight) {
        // Above a bottom line the shadow stops one pixel short.
        out.push_back({QLine(right - 1, 0, right - 1, (lines & blBottom) ? bottom - 2 : bottom), false});
        out.push_back({QLine(right, 0, right, bottom), true});
    }
    return out;
}

TSpeedBar::TSpeedBar(QWidget* parent) : QWidget(parent) {
    setFont(QApplication::font("QMenu"));
    setAutoFillBackground(true);
    iniLink_.OnSave = [this] {
        if (TBigIniFile* ini = iniLink_.IniObject()) saveLayout(*ini, layoutSection());
    };
    iniLink_.OnLoad = [this] {
        if (TBigIniFile* ini = iniLink_.IniObject()) restoreLayout(*ini, layoutSection());
    };
}

TSpeedBar::~TSpeedBar() {
    endMove();
}

void TSpeedBar::setOptions(int options) {
    options_ = options;
    updateMouseTracking();
    for (TSpeedItem* item : items_) applyOptions(*item->button());
    update();
}

void TSpeedBar::applyOptions(TRxSpeedButton& button) const {
    button.setFlat(options_ & sbFlatBtns);
    button.setGrayedInactive(options_ & sbGrayedBtns);
    button.setTransparent(options_ & sbTransparentBtns);
}

void TSpeedBar::applyImage(TSpeedItem& item) const {
    if (item.ImageIndex() >= 0 && item.ImageIndex() < images_.size())
        item.button()->setGlyph(images_.at(item.ImageIndex()));
}

void TSpeedBar::setImages(const QList<QImage>& images) {
    images_ = images;
    for (TSpeedItem* item : items_) applyImage(*item);
}

void TSpeedBar::setPosition(TBarPosition position) {
    if (position == position_) return;
    position_ = position;
    if (position_ == bpAuto) arrangeButtons();
}

void TSpeedBar::arrangeButtons() {
    const bool row = acrossTopOrBottom();
    int next = row ? BtnOffsetHorz : BtnOffsetVert;
    for (TSpeedItem* item : items_) {
        if (item->button()->isHidden()) continue;
        if (row) {
            item->left_ = next;
            item->top_ = BtnOffsetVert;
            next += BtnWidth;
        } else {
            item->left_ = BtnOffsetHorz;
            item->top_ = next;
            next += BtnHeight;
        }
        placeButton(*item);
    }
}

int TSpeedBar::thickness() const {
    return acrossTopOrBottom() ? height() : width();
}

void TSpeedBar::setThickness(int thickness) {
    if (managedByLayout()) {
        if (acrossTopOrBottom())
            setFixedHeight(thickness);
        else
            setFixedWidth(thickness);
        return;
    }
    if (acrossTopOrBottom())
        resize(width(), thickness);
    else
        resize(thickness, height());
    realignBars(parentWidget());
}

void TSpeedBar::setAlign(TBarAlign align) {
    if (align == align_) return;
    const int keep = thickness();
    const bool turned = (align == alTop || align == alBottom) != acrossTopOrBottom();
    align_ = align;
    if (turned) {
        // The bar keeps its thickness across the new edge.
        if (acrossTopOrBottom())
            resize(width(), keep);
        else
            resize(keep, height());
    }
    if (position_ == bpAuto) arrangeButtons();
    for (TSpeedItem* item : items_) placeButton(*item);
    realignBars(parentWidget());
}

bool TSpeedBar::managedByLayout() const {
    const QWidget* parent = parentWidget();
    return parent && parent->layout() && parent->layout()->indexOf(const_cast<TSpeedBar*>(this)) >= 0;
}

void TSpeedBar::realignBars(QWidget* parent) {
    if (!parent) return;
    QRect client = parent->contentsRect();
    std::vector<TSpeedBar*> bars;
    for (QObject* child : parent->children()) {
        auto* bar = qobject_cast<TSpeedBar*>(child);
        if (bar && !bar->isHidden() && !bar->managedByLayout()) bars.push_back(bar);
    }
    // Top and bottom bars take the full width; left and right ones the height left between.
    for (const bool across : {true, false}) {
        for (TSpeedBar* bar : bars) {
            const TBarAlign edge = bar->align_;
            if ((edge == alTop || edge == alBottom) != across) continue;
            const int thick = bar->thickness();
            bar->setGeometry(alongEdge(client, edge, thick));
            switch (edge) {
                case alTop:
                    client.setTop(client.top() + thick);
                    break;
                case alBottom:
                    client.setBottom(client.bottom() - thick);
                    break;
                case alLeft:
                    client.setLeft(client.left() + thick);
                    break;
                case alRight:
                    client.setRight(client.right() - thick);
                    break;
            }
        }
    }
}

void TSpeedBar::setBorderWidth(int width) {
    borderWidth_ = std::max(0, width);
    update();
}

void TSpeedBar::setBevelWidth(int width) {
    bevelWidth_ = std::max(1, width);
    update();
}

void TSpeedBar::setBevelOuter(TPanelBevel bevel) {
    bevelOuter_ = bevel;
    update();
}

void TSpeedBar::setBevelInner(TPanelBevel bevel) {
    bevelInner_ = bevel;
    update();
}

QRect TSpeedBar::innerRect() const {
    const int inset = frameInset(borderWidth_, bevelWidth_, bevelOuter_, bevelInner_);
    return rect().adjusted(inset, inset, -inset, -inset);
}

int TSpeedBar::minButtonOffset() const {
    return kestrave::minButtonOffset(borderWidth_, bevelWidth_, bevelOuter_, bevelInner_,
                                     options_ & sbFlatBtns);
}

void TSpeedBar::Customize() {
    if (Locked) return;
    customizing_ = true;
    emit OnCustomize(this);
}

void TSpeedBar::updateMouseTracking() {
    // The pointer over the resize zone shows the size cursor before any press.
    setMouseTracking(options_ & sbAllowResize);
    if (!(options_ & sbAllowResize)) unsetCursor();
}

QRect TSpeedBar::moveFrame(TBarAlign edge) const {
    const QWidget* parent = parentWidget();
    int taken = 0;
    for (QObject* child : parent->children()) {
        const auto* bar = qobject_cast<const TSpeedBar*>(child);
        if (bar && bar != this && !bar->isHidden() && bar->align_ == edge) taken += bar->thickness();
    }
    const QRect client = parent->contentsRect();
    return alongEdge(client, edge, thickness(), taken).translated(parent->mapToGlobal(QPoint(0, 0)));
}

void TSpeedBar::mousePressEvent(QMouseEvent* event) {
    QWidget::mousePressEvent(event);
    if (event->button() != Qt::LeftButton || Locked || drag_ != Drag::None || !parentWidget()) return;
    const QPoint at = event->position().toPoint();
    if ((options_ & sbAllowResize) && inResizeZone(size(), align_, at)) {
        drag_ = Drag::Resize;
        QApplication::setOverrideCursor(cursor());
        return;
    }
    if (!(options_ & sbAllowDrag)) return;
    drag_ = Drag::Move;
    dragEdge_ = align_;
    dragFrame_ = QRect(mapToGlobal(QPoint(0, 0)), size());
    DrawInvertFrame(dragFrame_, 3);
    QApplication::setOverrideCursor(componentCursor(crRxDrag));
}

void TSpeedBar::mouseMoveEvent(QMouseEvent* event) {
    QWidget::mouseMoveEvent(event);
    const QPoint at = event->position().toPoint();
    switch (drag_) {
        case Drag::None:
            if ((options_ & sbAllowResize) && !Locked && inResizeZone(size(), align_, at))
                setCursor(acrossTopOrBottom() ? Qt::SizeVerCursor : Qt::SizeHorCursor);
            else
                unsetCursor();
            return;
        case Drag::Resize: {
            // The thickness follows the pointer, from the bar's outer edge; a bar is never thinner
            // than its buttons' offsets on both sides, nor thicker than half its parent.
            const QPoint inParent = mapToParent(at);
            const QRect client = parentWidget()->contentsRect();
            int wanted = 0;
            int half = 0;
            switch (align_) {
                case alTop:
                    wanted = inParent.y() - geometry().top();
                    half = client.height() / 2;
                    break;
                case alBottom:
                    wanted = geometry().bottom() + 1 - inParent.y();
                    half = client.height() / 2;
                    break;
                case alLeft:
                    wanted = inParent.x() - geometry().left();
                    half = client.width() / 2;
                    break;
                case alRight:
                    wanted = geometry().right() + 1 - inParent.x();
                    half = client.width() / 2;
                    break;
            }
            const int least = 2 * minButtonOffset() + 4;
            const int thick = std::clamp(wanted, least, std::max(least, half));
            if (thick != thickness()) setThickness(thick);
            return;
        }
        case Drag::Move: {
            const QWidget* parent = parentWidget();
            TBarAlign edge = edgeOfPoint(parent->contentsRect().size(),
                                         mapToParent(at) - parent->contentsRect().topLeft());
            bool apply = true;
            if (edge != dragEdge_) emit OnApplyAlign(this, edge, apply);
            if (!apply) edge = dragEdge_;
            const QRect frame = edge == align_ ? QRect(mapToGlobal(QPoint(0, 0)), size()) : moveFrame(edge);
            dragEdge_ = edge;
            if (frame == dragFrame_) return;
            DrawInvertFrame(dragFrame_, 3);
            dragFrame_ = frame;
            DrawInvertFrame(dragFrame_, 3);
            return;
        }
    }
}

void TSpeedBar::endMove() {
    if (drag_ == Drag::Move) DrawInvertFrame(dragFrame_, 3);
    if (drag_ != Drag::None) QApplication::restoreOverrideCursor();
    drag_ = Drag::None;
}

void TSpeedBar::mouseReleaseEvent(QMouseEvent* event) {
    QWidget::mouseReleaseEvent(event);
    if (event->button() != Qt::LeftButton || drag_ == Drag::None) return;
    const bool moved = drag_ == Drag::Move;
    endMove();
    if (!moved) return;
    if (dragEdge_ != align_) {
        // The bar goes after the bars already along that edge, where its frame showed it.
        raise();
        setAlign(dragEdge_);
    }
    // Every move ends with the owner told, back on the same edge too.
    emit OnPosChanged(this);
}

void TSpeedBar::resizeEvent(QResizeEvent* event) {
    QWidget::resizeEvent(event);
    emit OnResize(this);
}

void TSpeedBar::showEvent(QShowEvent* event) {
    QWidget::showEvent(event);
    if (!event->spontaneous()) emit OnVisibleChanged(this);
}

void TSpeedBar::hideEvent(QHideEvent* event) {
    QWidget::hideEvent(event);
    if (!event->spontaneous()) emit OnVisibleChanged(this);
}

void TSpeedBar::setBoundLines(int lines) {
    boundLines_ = lines;
    update();
}

std::string TSpeedBar::layoutSection() const {
    return (iniLink_.RootSection() + GetDefaultSection(this)).toStdString();
}

void TSpeedBar::saveLayout(TBigIniFile& ini, const std::string& section) const {
    ini.EraseSection(section);
    // The edge's number, and the thickness across it.
    ini.WriteInteger(section, "Position", align_);
    ini.WriteInteger(section, "Width", thickness());
    ini.WriteInteger(section, "Version", Version);
    ini.WriteInteger(section, "PixelsPerInch", logicalDpiY());
    ini.WriteInteger(section, "BtnWidth", BtnWidth);
    ini.WriteInteger(section, "BtnHeight", BtnHeight);
    int count = 0;
    for (const TSpeedItem* item : items_) {
        if (!item->Stored || item->button()->isHidden()) continue;
        ++count;
        ini.WriteString(section, "Button" + std::to_string(count),
                        QStringLiteral("%1,%2,%3")
                            .arg(item->objectName())
                            .arg(item->Left())
                            .arg(item->Top())
                            .toStdString());
    }
    ini.WriteInteger(section, "Count", count);
}

void TSpeedBar::restoreLayout(TBigIniFile& ini, const std::string& section) {
    // A bar never saved keeps its buttons as they are.
    std::vector<std::string> keys;
    ini.ReadSection(section, keys);
    if (keys.empty() || ini.ReadInteger(section, "Version", 0) < Version) return;
    const int edge = ini.ReadInteger(section, "Position", align_);
    if (edge >= alTop && edge <= alRight) setAlign(static_cast<TBarAlign>(edge));
    if (ini.ReadInteger(section, "PixelsPerInch", 0) == logicalDpiY())
        setThickness(ini.ReadInteger(section, "Width", thickness()));
    for (TSpeedItem* item : items_) item->button()->hide();
    for (const std::string& key : keys) {
        if (key.rfind("Button", 0) != 0) continue;
        const std::string value = ini.ReadString(section, key, "");
        const QString name = QString::fromStdString(ExtractWord(1, value, ","));
        for (TSpeedItem* item : items_) {
            if (item->objectName().compare(name, Qt::CaseInsensitive) != 0) continue;
            item->setLeft(QString::fromStdString(ExtractWord(2, value, ",")).toInt());
            item->setTop(QString::fromStdString(ExtractWord(3, value, ",")).toInt());
            item->button()->show();
        }
    }
}

int TSpeedBar::AddSection(const QString& caption) {
    QStringList taken;
    for (const TSpeedbarSection* section : sections_) taken << section->Caption();
    sections_.push_back(new TSpeedbarSection(*this, uniqueSectionCaption(taken, caption)));
    return static_cast<int>(sections_.size()) - 1;
}

QString TSpeedBar::sectionCaption(int index) const {
    return index >= 0 && index < SectionCount() ? sections_[static_cast<std::size_t>(index)]->Caption()
                                                : QString();
}

TSpeedItem* TSpeedBar::AddItem(int section, const QString& name, const QString& btnCaption) {
    const int left = items_.empty() ? BtnOffsetHorz : items_.back()->Left() + BtnWidth;
    auto* item = new TSpeedItem(*this, section, name, btnCaption);
    applyOptions(*item->button());
    items_.push_back(item);
    item->setTop(BtnOffsetVert);
    item->setLeft(left);
    return item;
}

void TSpeedBar::placeButton(TSpeedItem& item) {
    // Along the top or bottom no button sits above the vertical offset, along the left or right
    // none left of the horizontal one; neither offset comes closer to the edge than the frame
    // allows.
    const int least = minButtonOffset();
    int left = item.Left();
    int top = item.Top();
    if (acrossTopOrBottom())
        top = std::max(top, std::max(BtnOffsetVert, least));
    else
        left = std::max(left, std::max(BtnOffsetHorz, least));
    item.button()->setGeometry(left, top, BtnWidth, BtnHeight);
}

void TSpeedBar::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    // The panel: outer bevel, border, inner bevel.
    QRect frame = rect();
    const auto bevel = [&](TPanelBevel kind) {
        if (kind == bvNone) return;
        for (int i = 0; i < bevelWidth_; ++i) {
            drawBevelFrame(painter, frame, kind == bvLowered, palette());
            frame.adjust(1, 1, -1, -1);
        }
    };
    bevel(bevelOuter_);
    frame.adjust(borderWidth_, borderWidth_, -borderWidth_, -borderWidth_);
    bevel(bevelInner_);
    const QRect inner = innerRect();
    if (!Wallpaper.isNull()) {
        painter.setClipRect(inner);
        if (options_ & sbStretchBitmap) {
            painter.drawPixmap(inner, Wallpaper);
        } else {
            const QSize tiles = wallpaperTiles(inner.size(), Wallpaper.size());
            for (int row = 0; row < tiles.height(); ++row)
                for (int column = 0; column < tiles.width(); ++column)
                    painter.drawPixmap(inner.left() + column * Wallpaper.width(),
                                       inner.top() + row * Wallpaper.height(), Wallpaper);
        }
        painter.setClipping(false);
    }
    for (const EtchedLine& etched : boundLines(size(), boundLines_)) {
        painter.setPen(palette().color(etched.highlight ? QPalette::Light : QPalette::Dark));
        painter.drawLine(etched.line);
    }
}

}  // namespace kestrave
