#include "widgets/tab_control.h"

#include <QApplication>
#include <QPainter>

namespace kestrave {

TTabStyle::TTabStyle(QObject* owner, const QFont& font)
    : QObject(owner),
      BackgrColor(QApplication::palette().color(QPalette::Button)),
      Font(font),
      Gradient(new TGradient(this)) {}

QRect tabItemRect(QRect tab, TglSide side, bool selected) {
    if (!selected) return tab;
    switch (side) {
        case TglSide::fsdTop:
            return tab.adjusted(-2, -2, 2, 0);
        case TglSide::fsdBottom:
            return tab.adjusted(-2, 0, 2, 2);
        case TglSide::fsdLeft:
            return tab.adjusted(-2, -2, 0, 2);
        case TglSide::fsdRight:
            return tab.adjusted(0, -2, 2, 2);
    }
    return tab;
}

QRect tabBoxRect(QRect r, TglSide side, bool selected, bool buttonLook, bool bordersHaveTop) {
    if (buttonLook) return selected ? r : r.translated(-1, -1);
    // Edges move as in a rectangle whose right and bottom lie one past the last pixel.
    int left = r.left(), top = r.top(), right = r.right() + 1, bottom = r.bottom() + 1;
    if (selected) {
        switch (side) {
            case TglSide::fsdLeft:
                left += 2, top += 2, right -= 2, bottom -= 2;
                break;
            case TglSide::fsdTop:
                left += 3, right -= 4, top += 2;
                break;
            case TglSide::fsdRight:
                right -= 4, top += 2, bottom -= 2;
                break;
            case TglSide::fsdBottom:
                left += 3, right -= 4, bottom -= 1;
                break;
        }
    } else {
        switch (side) {
            case TglSide::fsdLeft:
                left += 2;
                break;
            case TglSide::fsdTop:
                left += 1, right -= 2, top += 2, bottom += 2;
                break;
            case TglSide::fsdRight:
                right -= 4;
                break;
            case TglSide::fsdBottom:
                left += 1, right -= 2, top -= 1, bottom -= 1;
                if (!bordersHaveTop) top -= 1;
                break;
        }
    }
    bottom -= 2;
    return QRect(QPoint(left, top), QPoint(right - 1, bottom - 1));
}

GlyphPlace glyphPlace(const QRect& r, QSize glyph, TglHorAlign h, TglVertAlign v, TglSide side,
                      bool excludeGlyph, TglWallpaperOption mode) {
    const bool across = side == TglSide::fsdTop || side == TglSide::fsdBottom;
    QRect c = r;
    int x = 1;
    if (h == TglHorAlign::fhaLeft && across) c.setLeft(c.left() + glyph.width() + 1);
    if (h == TglHorAlign::fhaCenter) x = (r.width() - glyph.width()) / 2;
    if (h == TglHorAlign::fhaRight) {
        x = r.width() - glyph.width() - 1;
        if (across) c.setRight(c.right() - glyph.width() - 1);
    }
    int y = 0;
    if (v == TglVertAlign::fvaTop && !across) c.setTop(c.top() + glyph.height() + 1);
    if (v == TglVertAlign::fvaCenter) y = (r.height() - glyph.height()) / 2;
    if (v == TglVertAlign::fvaBottom) {
        y = r.height() - glyph.height();
        if (!across) c.setBottom(c.bottom() - glyph.height() - 1);
    }
    if (mode != TglWallpaperOption::fwoNone)
        c = r;
    else
        c.setLeft(c.left() + 1);
    if (!excludeGlyph) c = r;
    return {r.topLeft() + QPoint(x, y), c};
}

TglTabControl::TglTabControl(QWidget* parent) : QTabBar(parent), tabStyle_(nullptr), selectedStyle_(nullptr) {
    QFont arial = font();
    arial.setFamily("Arial");
    tabStyle_ = new TTabStyle(this, arial);
    selectedStyle_ = new TTabStyle(this, arial);
    for (TTabStyle* style : {tabStyle_, selectedStyle_})
        connect(style->Gradient, &TGradient::changed, this, qOverload<>(&QWidget::update));
    setFocusPolicy(Qt::NoFocus);
    setDrawBase(false);
    setExpanding(false);
    setUsesScrollButtons(false);
}

void TglTabControl::setTabStyle(TTabStyle* style) {
    if (!style) return;
    tabStyle_ = style;
    update();
}

void TglTabControl::setTabSelectedStyle(TTabStyle* style) {
    if (!style) return;
    selectedStyle_ = style;
    update();
}

void TglTabControl::setTabsPosition(TglSide side) {
    side_ = side;
    static constexpr QTabBar::Shape Shapes[] = {QTabBar::RoundedWest, QTabBar::RoundedNorth,
                                                QTabBar::RoundedEast, QTabBar::RoundedSouth};
    setShape(Shapes[static_cast<int>(side)]);
    followSide();
    update();
}

void TglTabControl::followSide() {
    if (!(options_ & ftoAutoFontDirection)) return;
    static constexpr TglLabelDir Directions[] = {TglLabelDir::fldDownUp, TglLabelDir::fldLeftRight,
                                                 TglLabelDir::fldUpDown, TglLabelDir::fldLeftRight};
    fontDirection_ = Directions[static_cast<int>(side_)];
}

void TglTabControl::setOptions(unsigned options) {
    options_ = options;
    followSide();
    update();
}

void TglTabControl::setFontDirection(TglLabelDir direction) {
    fontDirection_ = direction;
    update();
}

void TglTabControl::setWallpaper(const TTabsWallpaper& wallpaper) {
    wallpaper_ = wallpaper;
    update();
    if (auto* pages = qobject_cast<QTabWidget*>(parentWidget())) pages->update();
}

void TglTabControl::setGlyphs(const QList<QImage>& glyphs) {
    glyphs_ = glyphs;
    // The bar lays its tabs out again by their new size hints.
    setIconSize(iconSize());
    update();
}

void TglTabControl::setSingleGlyph(bool single) {
    singleGlyph_ = single;
    setGlyphs(glyphs_);
}

void TglTabControl::setTabSize(int width, int height) {
    tabWidth_ = width;
    tabHeight_ = height;
    updateGeometry();
    // The bar lays its tabs out again by their new size hints.
    setIconSize(iconSize());
}

void TglTabControl::setTabColor(int index, const QColor& color) {
    if (index < 0 || index >= TabColorCount || tabColors_[static_cast<std::size_t>(index)] == color) return;
    tabColors_[static_cast<std::size_t>(index)] = color;
    update(tabRect(index).adjusted(-2, -2, 2, 2));
}

QColor TglTabControl::tabColor(int index) const {
    if (index < 0 || index >= TabColorCount) return {};
    return tabColors_[static_cast<std::size_t>(index)];
}

QColor TglTabControl::itemColor(int index) const {
    const bool selected = index == currentIndex() && isTabEnabled(index);
    QColor color = tabColor(index);
    if (!color.isValid()) color = (selected ? selectedStyle_ : tabStyle_)->BackgrColor;
    if (OnGetItemColor) OnGetItemColor(const_cast<TglTabControl*>(this), index, color);
    return color;
}

QSize TglTabControl::tabSize(int index, const QString& caption) const {
    const bool across = side_ == TglSide::fsdTop || side_ == TglSide::fsdBottom;
    const QFontMetrics metrics(selectedStyle_->Font);
    const int glyph = glyphOf(index).isNull() ? 0 : glyphOf(index).width() + 2;
    const int length = tabWidth_ > 0 ? tabWidth_ : metrics.horizontalAdvance(caption) + glyph + 14;
    // Room for the selected tab to stand out by two pixels.
    const int depth = tabHeight_ + 2;
    return across ? QSize(length, depth) : QSize(depth, length);
}

QImage TglTabControl::glyphOf(int index) const {
    if (singleGlyph_) return glyphs_.isEmpty() ? QImage() : glyphs_.front();
    return index < glyphs_.size() ? glyphs_[index] : QImage();
}

void TglTabControl::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    // The selected tab last, so that it stands over its neighbours.
    for (int i = 0; i < count(); ++i)
        if (i != currentIndex()) drawTab(painter, i);
    if (currentIndex() >= 0) drawTab(painter, currentIndex());
}

void TglTabControl::drawTab(QPainter& painter, int index) {
    const bool selected = index == currentIndex() && isTabEnabled(index);
    const TTabStyle& style = selected ? *selectedStyle_ : *tabStyle_;
    QColor fontColor =
        isTabEnabled(index) ? style.FontColor : palette().color(QPalette::Disabled, QPalette::Text);
    if (OnGetItemFontColor) OnGetItemFontColor(this, index, fontColor);
    const QColor fill = itemColor(index);
    const QRect item = tabItemRect(tabRect(index), side_, selected);
    const QImage wallpaper = wallpaper_.picture();
    const bool picture = !wallpaper.isNull() && wallpaper.width() > 0;
    const TglWallpaperOption wallpaperMode =
        wallpaper_.Tile ? TglWallpaperOption::fwoTile : TglWallpaperOption::fwoNone;
    if (picture && wallpaper_.FillCaptionBakgr && index == count() - 1)
        drawBitmap(painter, rect(), {}, wallpaper, false, wallpaperMode);
    bool filled = false;
    if (picture && wallpaper_.FillCaptions && wallpaper_.IncludeBevels) {
        drawBitmap(painter, wallpaperItemRect(item, side_, lookLikeButtons_, selected), {}, wallpaper, false,
                   wallpaperMode);
        filled = true;
    }
    if (!lookLikeButtons_ && selected && side_ == TglSide::fsdBottom) {
        painter.fillRect(QRect(item.left(), item.top(), item.width() - 2, 2),
                         palette().color(QPalette::Button));
    }
    if (!lookLikeButtons_ && selected && side_ == TglSide::fsdRight) {
        painter.fillRect(QRect(item.left(), item.top(), 2, item.height() - 2),
                         palette().color(QPalette::Button));
    }
    QRect r = tabBoxRect(item, side_, selected, lookLikeButtons_, style.Borders & sideBit(TglSide::fsdTop));
    if (OnGetGradientColors) OnGetGradientColors(this, index, *style.Gradient);
    const bool gradient = style.Gradient->Active();
    style.Gradient->draw(painter, r);
    r = drawBevelBox(painter, r, {style.Borders, style.BevelOuter, style.BevelInner, style.Bold, 1},
                     palette(), fill, gradient || filled);
    if (picture && wallpaper_.FillCaptions && !wallpaper_.IncludeBevels)
        drawBitmap(painter, r, {}, wallpaper, false, wallpaperMode);
    r.setBottom(r.bottom() + 1);

    QRect caption = r;
    const QImage glyph = glyphOf(index);
    if (!glyph.isNull() && !(options_ & ftoHideGlyphs)) {
        const GlyphPlace place = glyphPlace(r, glyph.size(), style.GlyphHAlign, style.GlyphVAlign, side_,
                                            options_ & ftoExcludeGlyphs, DrawGlyphsOption);
        drawBitmap(painter, r, place.at - r.topLeft(), glyph, true, DrawGlyphsOption);
        caption = place.caption;
    }

    static constexpr int Horizontal[] = {Qt::AlignLeft, Qt::AlignHCenter, Qt::AlignRight};
    static constexpr int Vertical[] = {Qt::AlignTop, Qt::AlignVCenter, Qt::AlignBottom};
    const int flags = Horizontal[static_cast<int>(style.CaptionHAlign)] |
                      Vertical[static_cast<int>(style.CaptionVAlign)] |
                      ((options_ & ftoWordWrap) ? Qt::TextWordWrap : Qt::TextSingleLine);
    painter.save();
    painter.setFont(style.Font);
    if (fontDirection_ == TglLabelDir::fldLeftRight) {
        drawStyledText(painter, caption, tabText(index), style.TextStyle, flags, fontColor, palette());
    } else {
        // A caption along the side: written from its origin in the turned font.
        const RotatedFont turned = rotatedFont(style.Font, escapementOf(fontDirection_));
        painter.setFont(turned.font);
        const QSize extent = painter.fontMetrics().size(Qt::TextSingleLine, tabText(index));
        painter.translate(
            rotatedCaptionOrigin(fontDirection_, style.CaptionHAlign, style.CaptionVAlign, caption, extent));
        painter.rotate(-turned.escapement / 10.0);
        drawStyledTextAt(painter, {}, tabText(index), style.TextStyle, fontColor,
                         palette().color(QPalette::Dark), palette().color(QPalette::Light));
    }
    painter.restore();
}

QImage TTabsWallpaper::picture() const {
    if (!Bitmap.isNull() || Image.isNull()) return Bitmap;
    return Image->pixmap().toImage();
}

QRect wallpaperItemRect(QRect item, TglSide side, bool buttonLook, bool selected) {
    if (buttonLook) return item;
    switch (side) {
        case TglSide::fsdLeft:
            return item.adjusted(0, 0, -1, 0);
        case TglSide::fsdTop:
            return item.adjusted(0, 0, 0, -1);
        case TglSide::fsdRight:
            return item.adjusted(1, 0, 0, 0);
        case TglSide::fsdBottom:
            return item.adjusted(selected ? 0 : 1, 1, 0, 0);
    }
    return item;
}

QRect wallpaperClientRect(QRect client, TglSide side, int tabDepth, bool buttonLook, bool selected) {
    int row = tabDepth + (buttonLook ? (side == TglSide::fsdLeft ? 3 : 4) : 5);
    if (selected) row += side == TglSide::fsdLeft || side == TglSide::fsdTop ? -1 : 1;
    QRect area = client.adjusted(1, 1, -1, -1);
    switch (side) {
        case TglSide::fsdLeft:
            area.setLeft(client.left() + row);
            break;
        case TglSide::fsdTop:
            area.setTop(client.top() + row);
            break;
        case TglSide::fsdRight:
            area.setRight(client.right() - row);
            break;
        case TglSide::fsdBottom:
            area.setBottom(client.bottom() - row);
            break;
    }
    return area;
}

void TglTabControl::setLookLikeButtons(bool buttons) {
    if (buttons == lookLikeButtons_) return;
    lookLikeButtons_ = buttons;
    updateGeometry();
    update();
}

void TglTabControl::changeEvent(QEvent* event) {
    QTabBar::changeEvent(event);
    if (event->type() != QEvent::FontChange || !(options_ & ftoInheriteTabFonts)) return;
    tabStyle_->Font = font();
    selectedStyle_->Font = font();
    update();
}

void TglPageControl::paintEvent(QPaintEvent* event) {
    QTabWidget::paintEvent(event);
    const QImage wallpaper = tabs_->Wallpaper().picture();
    if (!tabs_->Wallpaper().FillClient || wallpaper.isNull() || tabs_->count() == 0) return;
    const bool across =
        tabs_->TabsPosition() == TglSide::fsdTop || tabs_->TabsPosition() == TglSide::fsdBottom;
    const QRect tab = tabs_->tabRect(tabs_->currentIndex() >= 0 ? tabs_->currentIndex() : 0);
    QPainter painter(this);
    drawBitmap(painter,
               wallpaperClientRect(rect(), tabs_->TabsPosition(), across ? tab.height() : tab.width(),
                                   tabs_->LookLikeButtons(), tabs_->currentIndex() >= 0),
               {}, wallpaper, false,
               tabs_->Wallpaper().Tile ? TglWallpaperOption::fwoTile : TglWallpaperOption::fwoNone);
}

int escapementOf(TglLabelDir direction) {
    static constexpr int Escapements[] = {0, -1800, -900, 900};
    return Escapements[static_cast<int>(direction)];
}

QPoint rotatedCaptionOrigin(TglLabelDir direction, TglHorAlign h, TglVertAlign v, const QRect& c,
                            QSize extent) {
    // Right and bottom edges are exclusive here, as the caption rectangle's arithmetic expects.
    const int left = c.left();
    const int top = c.top();
    const int right = c.left() + c.width();
    const int bottom = c.top() + c.height();
    const int w = extent.width();
    const int hh = extent.height();
    int x = 0;
    int y = 0;
    switch (direction) {
        case TglLabelDir::fldLeftRight:
            return {left, top};
        case TglLabelDir::fldRightLeft:
            x = h == TglHorAlign::fhaLeft     ? right
                : h == TglHorAlign::fhaCenter ? left + (c.width() + w) / 2
                                              : left + w;
            y = v == TglVertAlign::fvaTop      ? bottom
                : v == TglVertAlign::fvaCenter ? top + (c.height() + hh) / 2
                                               : top + hh;
            break;
        case TglLabelDir::fldDownUp:
            x = left;
            y = bottom - 4;
            if (h == TglHorAlign::fhaCenter) y -= (c.height() - w) / 2;
            if (h == TglHorAlign::fhaRight) y = top + w + 3;
            if (v == TglVertAlign::fvaCenter) x += (c.width() - hh) / 2;
            if (v == TglVertAlign::fvaBottom) x = right - hh - 1;
            break;
        case TglLabelDir::fldUpDown:
            x = right;
            y = top + 4;
            if (h == TglHorAlign::fhaCenter) y += (c.height() - w) / 2;
            if (h == TglHorAlign::fhaRight) y = bottom - w - 3;
            if (v == TglVertAlign::fvaCenter) x -= (c.width() - hh) / 2;
            if (v == TglVertAlign::fvaBottom) x = left + hh;
            break;
    }
    return {x, y};
}

TglPageControl::TglPageControl(QWidget* parent, TglSide side)
    : QTabWidget(parent), tabs_(new TglTabControl(this)) {
    setTabBar(tabs_);
    static constexpr QTabWidget::TabPosition Positions[] = {QTabWidget::West, QTabWidget::North,
                                                            QTabWidget::East, QTabWidget::South};
    setTabPosition(Positions[static_cast<int>(side)]);
    tabs_->setTabsPosition(side);
}

}  // namespace kestrave
