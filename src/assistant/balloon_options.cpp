#include "assistant/balloon_options.h"

#include <QPainter>
#include <QPixmap>
#include <algorithm>

namespace kestrave {

const char* const MessageButtonCaptions[11] = {
    "&Yes", "&No", "&OK", "Cancel", "&Abort", "&Retry", "&Ignore", "All", "No To All", "Yes To All", "&Help"};
const std::uint16_t MessageButtonResults[11] = {6, 7, 1, 2, 3, 4, 5, 8, 9, 10, 0};
const char* const TipsButtonCaptions[3] = {"Close", "&Next", "&Back"};
const char* const GuideButtonCaptions[6] = {"Close",   "&Options",        "&Tips",
                                            "&Search", "See previous...", "See more..."};
const char* const HintButtonCaptions[3] = {"&OK", "See previous...", "See more..."};

void ChangeSource::changed() const {
    for (const ChangeSource* source = this; source; source = source->outer_)
        if (source->quiet_ > 0) return;
    for (const ChangeSource* source = this; source; source = source->outer_)
        if (source->onChange_) source->onChange_();
}

QIcon lightBulbIcon() {
    QPixmap picture(32, 32);
    picture.fill(Qt::transparent);
    QPainter painter(&picture);
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setPen(QPen(QColor(120, 90, 0), 1.5));
    painter.setBrush(QColor(255, 226, 90));
    painter.drawEllipse(QRectF(7, 2, 18, 18));
    painter.setBrush(QColor(160, 160, 160));
    painter.drawRect(QRectF(12, 20, 8, 7));
    painter.drawLine(QPointF(13, 29.5), QPointF(19, 29.5));
    return QIcon(picture);
}

QColor colorFromValue(std::uint32_t value) {
    return QColor(int(value & 0xFF), int((value >> 8) & 0xFF), int((value >> 16) & 0xFF));
}

TTipsDlgOptions& TTipsDlgOptions::operator=(const TTipsDlgOptions& other) {
    VisibleButtons = other.VisibleButtons;
    Icon = other.Icon;
    OnTipsTipChange = other.OnTipsTipChange;
    if (tips_ != other.tips_ || tipIndex_ != other.tipIndex_) {
        tips_ = other.tips_;
        tipIndex_ = other.tipIndex_;
        changed();
    }
    return *this;
}

void TTipsDlgOptions::setTips(const QStringList& tips) {
    tips_ = tips;
    if (tipIndex_ >= tips_.size()) tipIndex_ = int(tips_.size()) - 1;
    if (tipIndex_ < 0 && !tips_.isEmpty()) tipIndex_ = 0;
    changed();
}

void TTipsDlgOptions::setTipIndex(int index) {
    const int clamped = tips_.isEmpty() ? -1 : std::clamp(index, 0, int(tips_.size()) - 1);
    if (clamped == tipIndex_) return;
    tipIndex_ = clamped;
    changed();
}

TTopicsList& TTopicsList::operator=(const TTopicsList& other) {
    if (topics_ != other.topics_) {
        topics_ = other.topics_;
        changed();
    }
    return *this;
}

void TTopicsList::AddTopicWithID(const QString& text, std::uint8_t flags, std::int32_t id) {
    topics_.push_back({text, {id, flags}});
    changed();
}

void TTopicsList::Delete(int index) {
    if (index < 0 || index >= Count()) return;
    topics_.erase(topics_.begin() + index);
    changed();
}

void TTopicsList::Clear() {
    if (topics_.empty()) return;
    topics_.clear();
    changed();
}

QByteArray TTopicsList::Options() const {
    QByteArray stream;
    for (const Topic& topic : topics_) {
        const auto id = static_cast<std::uint32_t>(topic.options.ID);
        for (int shift = 0; shift < 32; shift += 8) stream.append(char((id >> shift) & 0xFF));
        stream.append(char(topic.options.Flags));
    }
    return stream;
}

void TTopicsList::setOptions(const QByteArray& stream) {
    for (std::size_t line = 0; line < topics_.size() && qsizetype(line * 5 + 5) <= stream.size(); ++line) {
        std::uint32_t id = 0;
        for (int b = 0; b < 4; ++b)
            id |= std::uint32_t(std::uint8_t(stream[qsizetype(line * 5 + b)])) << (8 * b);
        topics_[line].options = {static_cast<std::int32_t>(id),
                                 std::uint8_t(stream[qsizetype(line * 5 + 4)])};
    }
    changed();
}

}  // namespace kestrave
