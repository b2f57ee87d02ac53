#include "widgets/speed_bar.h"

#include <QApplication>
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

void TSpeedBar::setOptions(int options) {
    options_ = options;
    for (TSpeedItem* item : items_) applyOptions(*item->button());
    update();
}

void TSpeedBar::applyOptions(TRxSpeedButton& button) const {
    button.setFlat(options_ & sbFlatBtns);
    button.setGrayedInactive(options_ & sbGrayedBtns);
    button.setTransparent(options_ & sbTransparentBtns);
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
    // A bar along the top edge: the platform's number for that alignment, and its height.
    ini.WriteInteger(section, "Position", 1);
    ini.WriteInteger(section, "Width", height());
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
    if (ini.ReadInteger(section, "PixelsPerInch", 0) == logicalDpiY())
        setFixedHeight(ini.ReadInteger(section, "Width", height()));
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
    sections_.push_back(uniqueSectionCaption(sections_, caption));
    return static_cast<int>(sections_.size()) - 1;
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
    item.button()->setGeometry(item.Left(), std::max(item.Top(), BtnOffsetVert), BtnWidth, BtnHeight);
}

void TSpeedBar::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    if (!Wallpaper.isNull()) {
        painter.setClipRect(rect());
        if (options_ & sbStretchBitmap) {
            painter.drawPixmap(rect(), Wallpaper);
        } else {
            const QSize tiles = wallpaperTiles(size(), Wallpaper.size());
            for (int row = 0; row < tiles.height(); ++row)
                for (int column = 0; column < tiles.width(); ++column)
                    painter.drawPixmap(column * Wallpaper.width(), row * Wallpaper.height(), Wallpaper);
        }
        painter.setClipping(false);
    }
    for (const EtchedLine& etched : boundLines(size(), boundLines_)) {
        painter.setPen(palette().color(etched.highlight ? QPalette::Light : QPalette::Dark));
        painter.drawLine(etched.line);
    }
}

}  // namespace kestrave
