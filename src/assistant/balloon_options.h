#pragma once
// The settings of the assistant's speech balloon and of its four dialogs (message, tips, guide,
// hint), as the assistant publishes them. Plain values: the balloon reads them each time it lays
// a dialog out, so a change shows at the next message.

#include <QByteArray>
#include <QColor>
#include <QFont>
#include <QIcon>
#include <QString>
#include <QStringList>
#include <cstdint>
#include <functional>
#include <vector>

namespace kestrave {

// Lengths in pixels.
struct TBalloonMetrics {
    std::int32_t BalloonOffset = -5;  // gap between anchor and balloon; negative: overlap
    std::uint16_t ArrowThickness = 10;
    std::uint16_t ArrowLength = 17;
    std::uint16_t ThoughtLength = 60;  // stored only
    std::uint16_t RoundCorner = 15;
    std::uint16_t ControlSpacing = 7;
    std::uint16_t MaxButtonSpacing = 26;
    std::uint16_t MinButtonWidth = 58;
    std::uint16_t MinButtonHeight = 20;
    std::uint16_t MinMsgDlgWidth = 175;
    std::uint16_t MinTipsDlgWidth = 480;
    std::uint16_t MinGuideDlgWidth = 170;
    std::uint16_t MinHintDlgWidth = 160;
    std::uint16_t MinQueryDlgWidth = 280;  // stored only
    bool operator==(const TBalloonMetrics&) const = default;
};

// A colour given as the platform's 0x00BBGGRR value.
QColor colorFromValue(std::uint32_t value);

struct TBalloonOptions {
    TBalloonMetrics Metrics;
    QColor Color = colorFromValue(12648447);  // pale yellow
    QColor BorderColor = Qt::black;
    QFont Font;
    QFont HoverFont;
    bool Office2000Look = true;
};

enum class TCheckBoxState { cbUnchecked, cbChecked, cbGrayed };

struct TCheckBoxOptions {
    QString Caption;
    QString Hint;
    bool AllowGrayed = false;
    TCheckBoxState State = TCheckBoxState::cbUnchecked;
    bool Enabled = true;
    bool Visible = false;

    bool Checked() const { return State == TCheckBoxState::cbChecked; }
    void setChecked(bool on) { State = on ? TCheckBoxState::cbChecked : TCheckBoxState::cbUnchecked; }
};

struct TMsgDlgOptions {
    QString Title;
    QIcon CustomIcon;  // the icon of message type 4
    TCheckBoxOptions CheckBox;
};

enum class TTipsDlgBtn { tbClose, tbNext, tbBack };
using TTipsDlgButtons = std::uint8_t;  // bit (1 << TTipsDlgBtn)
constexpr TTipsDlgButtons tipsButton(TTipsDlgBtn b) {
    return TTipsDlgButtons(1u << int(b));
}

class TTipsDlgOptions {
public:
    TTipsDlgButtons VisibleButtons = 0x7;
    QIcon Icon;  // "OABULBICON": a light bulb of our own drawing
    std::function<void()> OnTipsTipChange;

    const QStringList& Tips() const { return tips_; }
    // A changed list keeps the index inside it: at or beyond the end it becomes the last tip,
    // and "none" (-1) becomes the first when there are tips.
    void setTips(const QStringList& tips);
    int TipIndex() const { return tipIndex_; }
    // Clamped to the list; with no tips the index is -1.
    void setTipIndex(int index);

private:
    QStringList tips_;
    int tipIndex_ = -1;
};

struct TTopicOptions {
    std::int32_t ID = -1;
    std::uint8_t Flags = 0;
};

// Topic flags.
enum : std::uint8_t {
    tfPlain = 1,  // not clickable
    tfUnderline = 2,
    tfBold = 4,
    tfItalic = 8,
    tfHoverUnderline = 16,
    tfHoverBold = 32,
    tfHoverItalic = 64,
};

// Lines of text, each with its topic options.
class TTopicsList {
public:
    struct Topic {
        QString text;
        TTopicOptions options;
    };
    void AddTopic(const QString& text, std::uint8_t flags) { AddTopicWithID(text, flags, -1); }
    void AddTopicWithID(const QString& text, std::uint8_t flags, std::int32_t id);
    void Add(const QString& text) { topics_.push_back({text, {}}); }
    void Delete(int index);
    void Clear() { topics_.clear(); }
    int Count() const { return int(topics_.size()); }
    const Topic& operator[](int index) const { return topics_[std::size_t(index)]; }

    // The stored form of the options: per line 4 bytes of identifier (little-endian) and one
    // byte of flags, in line order.
    QByteArray Options() const;
    // Lines beyond the stream keep default options; bytes beyond the lines are ignored.
    void setOptions(const QByteArray& stream);

private:
    std::vector<Topic> topics_;
};

enum class TGuideDlgBtn { gbClose, gbOptions, gbTips, gbSearch, gbBackPage, gbNextPage };
using TGuideDlgButtons = std::uint8_t;
constexpr TGuideDlgButtons guideButton(TGuideDlgBtn b) {
    return TGuideDlgButtons(1u << int(b));
}

struct TGuideDlgOptions {
    TGuideDlgButtons VisibleButtons = 0xF;  // close, options, tips, search
    QIcon Icon;
    bool AcceptRequest = true;
    // Set: the topics are radio-style choices; otherwise hint bullets.
    bool RequestResult = false;
    TTopicsList Topics;
    QString Title;
    QString Request;
    QString Description;
};

struct THintDlgOptions {
    QIcon Icon;
    TTopicsList Topics;
    QString Title;
    QString Description;
};

// Captions of the message buttons, in button-set order (bit 0 "&Yes" … bit 10 "&Help"), and
// the result each gives (Help gives none: it asks for help instead of closing).
extern const char* const MessageButtonCaptions[11];
extern const std::uint16_t MessageButtonResults[11];
extern const char* const TipsButtonCaptions[3];
extern const char* const GuideButtonCaptions[6];
extern const char* const HintButtonCaptions[3];

}  // namespace kestrave
