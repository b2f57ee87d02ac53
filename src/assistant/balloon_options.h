#pragma once
// The settings of the assistant's speech balloon and of its four dialogs (message, tips, guide,
// hint), as the assistant publishes them. Each object reports its changes, so that a balloon on
// the screen is laid out again with the new values.

#include <QByteArray>
#include <QColor>
#include <QFont>
#include <QIcon>
#include <QString>
#include <QStringList>
#include <concepts>
#include <cstdint>
#include <functional>
#include <vector>

namespace kestrave {

// Where an option object reports a change: to its owner's handler, then to the object it lies
// in. Copies carry values only, never the link to an owner.
class ChangeSource {
public:
    ChangeSource() = default;
    ChangeSource(const ChangeSource&) {}
    ChangeSource& operator=(const ChangeSource&) { return *this; }
    bool operator==(const ChangeSource&) const { return true; }

    void setOnChange(std::function<void()> handler) { onChange_ = std::move(handler); }
    void changed() const;

    // While one lives, changes of the object and of the objects inside it go unreported: the
    // balloon writes the user's input back this way.
    class Quiet {
    public:
        explicit Quiet(ChangeSource& source) : source_(source) { ++source_.quiet_; }
        ~Quiet() { --source_.quiet_; }
        Quiet(const Quiet&) = delete;
        Quiet& operator=(const Quiet&) = delete;

    private:
        ChangeSource& source_;
    };

    // Changes are also reported by `outer`, the object this one lies in.
    void liesIn(ChangeSource& outer) { outer_ = &outer; }

private:
    std::function<void()> onChange_;
    ChangeSource* outer_ = nullptr;
    int quiet_ = 0;
};

inline bool sameOption(const QIcon& a, const QIcon& b) {
    return a.cacheKey() == b.cacheKey();
}
template <class T>
bool sameOption(const T& a, const T& b) {
    return a == b;
}

// One value of an option object: reads like the value, and an assignment that changes it is
// reported by the owner.
template <class T>
class Observed {
public:
    explicit Observed(ChangeSource* owner, T value = T{}) : owner_(owner), value_(std::move(value)) {}
    Observed(const Observed&) = delete;
    Observed& operator=(const Observed& other) { return *this = other.value_; }
    template <class U>
    requires std::convertible_to<U, T> Observed& operator=(U&& value) {
        T next(std::forward<U>(value));
        if (!sameOption(value_, next)) {
            value_ = std::move(next);
            owner_->changed();
        }
        return *this;
    }
    operator const T&() const { return value_; }
    const T& get() const { return value_; }
    const T* operator->() const { return &value_; }
    friend bool operator==(const Observed& a, const Observed& b) { return sameOption(a.value_, b.value_); }

private:
    ChangeSource* owner_;
    T value_;
};

// Lengths in pixels.
struct TBalloonMetrics : ChangeSource {
    TBalloonMetrics() = default;
    TBalloonMetrics(const TBalloonMetrics& other) : TBalloonMetrics() { *this = other; }
    TBalloonMetrics& operator=(const TBalloonMetrics&) = default;
    bool operator==(const TBalloonMetrics&) const = default;

    Observed<std::int32_t> BalloonOffset{this, -5};  // gap between anchor and balloon; negative: overlap
    Observed<std::uint16_t> ArrowThickness{this, 10};
    Observed<std::uint16_t> ArrowLength{this, 17};
    Observed<std::uint16_t> ThoughtLength{this, 60};  // stored only
    Observed<std::uint16_t> RoundCorner{this, 15};
    Observed<std::uint16_t> ControlSpacing{this, 7};
    Observed<std::uint16_t> MaxButtonSpacing{this, 26};
    Observed<std::uint16_t> MinButtonWidth{this, 58};
    Observed<std::uint16_t> MinButtonHeight{this, 20};
    Observed<std::uint16_t> MinMsgDlgWidth{this, 175};
    Observed<std::uint16_t> MinTipsDlgWidth{this, 480};
    Observed<std::uint16_t> MinGuideDlgWidth{this, 170};
    Observed<std::uint16_t> MinHintDlgWidth{this, 160};
    Observed<std::uint16_t> MinQueryDlgWidth{this, 280};  // stored only
};

// A light bulb, 32 x 32: the icon of the tips balloon, and the window's icon of
// its own messages and hints.
QIcon lightBulbIcon();

// A colour given as the platform's 0x00BBGGRR value.
QColor colorFromValue(std::uint32_t value);

struct TBalloonOptions : ChangeSource {
    TBalloonOptions() { Metrics.liesIn(*this); }
    TBalloonOptions(const TBalloonOptions& other) : TBalloonOptions() { *this = other; }
    TBalloonOptions& operator=(const TBalloonOptions&) = default;

    TBalloonMetrics Metrics;
    Observed<QColor> Color{this, colorFromValue(12648447)};  // pale yellow
    Observed<QColor> BorderColor{this, Qt::black};
    Observed<QFont> Font{this};
    Observed<QFont> HoverFont{this};
    Observed<bool> Office2000Look{this, true};
};

enum class TCheckBoxState { cbUnchecked, cbChecked, cbGrayed };

struct TCheckBoxOptions : ChangeSource {
    TCheckBoxOptions() = default;
    TCheckBoxOptions(const TCheckBoxOptions& other) : TCheckBoxOptions() { *this = other; }
    TCheckBoxOptions& operator=(const TCheckBoxOptions&) = default;

    Observed<QString> Caption{this};
    Observed<QString> Hint{this};
    Observed<bool> AllowGrayed{this, false};
    Observed<TCheckBoxState> State{this, TCheckBoxState::cbUnchecked};
    Observed<bool> Enabled{this, true};
    Observed<bool> Visible{this, false};

    bool Checked() const { return State.get() == TCheckBoxState::cbChecked; }
    void setChecked(bool on) { State = on ? TCheckBoxState::cbChecked : TCheckBoxState::cbUnchecked; }
};

struct TMsgDlgOptions : ChangeSource {
    TMsgDlgOptions() { CheckBox.liesIn(*this); }
    TMsgDlgOptions(const TMsgDlgOptions& other) : TMsgDlgOptions() { *this = other; }
    TMsgDlgOptions& operator=(const TMsgDlgOptions&) = default;

    Observed<QString> Title{this};
    Observed<QIcon> CustomIcon{this};  // the icon of message type 4
    TCheckBoxOptions CheckBox;
};

enum class TTipsDlgBtn { tbClose, tbNext, tbBack };
using TTipsDlgButtons = std::uint8_t;  // bit (1 << TTipsDlgBtn)
constexpr TTipsDlgButtons tipsButton(TTipsDlgBtn b) {
    return TTipsDlgButtons(1u << int(b));
}

class TTipsDlgOptions : public ChangeSource {
public:
    TTipsDlgOptions() = default;
    TTipsDlgOptions(const TTipsDlgOptions& other) : TTipsDlgOptions() { *this = other; }
    TTipsDlgOptions& operator=(const TTipsDlgOptions& other);

    Observed<TTipsDlgButtons> VisibleButtons{this, 0x7};
    Observed<QIcon> Icon{this};  // the balloon loads lightBulbIcon() at its creation
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
    bool operator==(const TTopicOptions&) const = default;
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
class TTopicsList : public ChangeSource {
public:
    struct Topic {
        QString text;
        TTopicOptions options;
        bool operator==(const Topic&) const = default;
    };
    TTopicsList() = default;
    TTopicsList(const TTopicsList& other) : TTopicsList() { *this = other; }
    TTopicsList& operator=(const TTopicsList& other);

    void AddTopic(const QString& text, std::uint8_t flags) { AddTopicWithID(text, flags, -1); }
    void AddTopicWithID(const QString& text, std::uint8_t flags, std::int32_t id);
    void Add(const QString& text) { AddTopicWithID(text, 0, -1); }
    void Delete(int index);
    void Clear();
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

struct TGuideDlgOptions : ChangeSource {
    TGuideDlgOptions() { Topics.liesIn(*this); }
    TGuideDlgOptions(const TGuideDlgOptions& other) : TGuideDlgOptions() { *this = other; }
    TGuideDlgOptions& operator=(const TGuideDlgOptions&) = default;

    Observed<TGuideDlgButtons> VisibleButtons{this, 0xF};  // close, options, tips, search
    Observed<QIcon> Icon{this};
    Observed<bool> AcceptRequest{this, true};
    // Set: the topics are radio-style choices; otherwise hint bullets.
    Observed<bool> RequestResult{this, false};
    TTopicsList Topics;
    Observed<QString> Title{this};
    Observed<QString> Request{this};
    Observed<QString> Description{this};
};

struct THintDlgOptions : ChangeSource {
    THintDlgOptions() { Topics.liesIn(*this); }
    THintDlgOptions(const THintDlgOptions& other) : THintDlgOptions() { *this = other; }
    THintDlgOptions& operator=(const THintDlgOptions&) = default;

    Observed<QIcon> Icon{this};
    TTopicsList Topics;
    Observed<QString> Title{this};
    Observed<QString> Description{this};
};

// Captions of the message buttons, in button-set order (bit 0 "&Yes" … bit 10 "&Help"), and
// the result each gives (Help gives none: it asks for help instead of closing).
extern const char* const MessageButtonCaptions[11];
extern const std::uint16_t MessageButtonResults[11];
extern const char* const TipsButtonCaptions[3];
extern const char* const GuideButtonCaptions[6];
extern const char* const HintButtonCaptions[3];

}  // namespace kestrave
