#include "widgets/speed_bar.h"

#include <QApplication>
#include <QPainter>
#include <algorithm>

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

TSpeedItem::TSpeedItem(TSpeedBar& bar, int section, const QString& name, const QString& btnCaption)
    : QObject(&bar), bar_(bar), section_(section), button_(new TRxSpeedButton(&bar)) {
    setObjectName(name);
    button_->setObjectName(name);
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

void TSpeedItem::setLeft(int left) {
    left_ = left;
    bar_.placeButton(*this);
}

void TSpeedItem::setTop(int top) {
    top_ = top;
    bar_.placeButton(*this);
}

TSpeedBar::TSpeedBar(QWidget* parent) : QWidget(parent) {
    setFont(QApplication::font("QMenu"));
    setAutoFillBackground(true);
}

int TSpeedBar::AddSection(const QString& caption) {
    sections_.push_back(uniqueSectionCaption(sections_, caption));
    return static_cast<int>(sections_.size()) - 1;
}

TSpeedItem* TSpeedBar::AddItem(int section, const QString& name, const QString& btnCaption) {
    const int left = items_.empty() ? BtnOffsetHorz : items_.back()->Left() + BtnWidth;
    auto* item = new TSpeedItem(*this, section, name, btnCaption);
    items_.push_back(item);
    item->setTop(BtnOffsetVert);
    item->setLeft(left);
    return item;
}

void TSpeedBar::placeButton(TSpeedItem& item) {
    item.button()->setGeometry(item.Left(), std::max(item.Top(), BtnOffsetVert), BtnWidth, BtnHeight);
}

void TSpeedBar::paintEvent(QPaintEvent*) {
    if (Wallpaper.isNull()) return;
    QPainter painter(this);
    painter.setClipRect(rect());
    const QSize tiles = wallpaperTiles(size(), Wallpaper.size());
    for (int row = 0; row < tiles.height(); ++row)
        for (int column = 0; column < tiles.width(); ++column)
            painter.drawPixmap(column * Wallpaper.width(), row * Wallpaper.height(), Wallpaper);
}

}  // namespace kestrave
