#include "widgets/form_placement.h"

#include <QCoreApplication>
#include <QEvent>
#include <QGuiApplication>
#include <QScreen>
#include <QStringList>
#include <QWidget>
#include <algorithm>
#include <cstdio>
#include <limits>
#include <utility>

#include "persist/big_ini_file.h"
#include "platform/program_dir.h"
#include "platform/scope_exit.h"
#include "widgets/component_text.h"
#include "widgets/form_value_text.h"
#include "widgets/window_hook.h"

namespace kestrave {

namespace {

// Minimised and maximised positions belong to the window system; the file holds its "none".
const QString NoMinMaxPositions = QStringLiteral("-1,-1,-1,-1");
// Logical dots per inch when no screen is known.
constexpr int DefaultPixelsPerInch = 96;

// The class name without its namespace: "TMainForm".
QString className(const QObject* object) {
    const QString name = QLatin1String(object->metaObject()->className());
    const qsizetype colons = name.lastIndexOf(QLatin1String("::"));
    return colons < 0 ? name : name.mid(colons + 2);
}

QScreen* screenOf(const QWidget* form) {
    QScreen* screen = form->screen();
    return screen ? screen : QGuiApplication::primaryScreen();
}

QSize screenSize(const QWidget* form) {
    const QScreen* screen = screenOf(form);
    return screen ? screen->geometry().size() : QSize();
}

int pixelsPerInch(const QWidget* form) {
    const QScreen* screen = screenOf(form);
    return screen ? qRound(screen->logicalDotsPerInch()) : DefaultPixelsPerInch;
}

// The available areas of all screens, the primary screen's first.
QList<QRect> availableAreas() {
    QList<QRect> areas;
    const QScreen* primary = QGuiApplication::primaryScreen();
    if (primary) areas << primary->availableGeometry();
    for (const QScreen* screen : QGuiApplication::screens()) {
        if (screen != primary) areas << screen->availableGeometry();
    }
    return areas;
}

// A window whose size the user cannot change keeps the size it was designed with.
bool hasFixedSize(const QWidget* form) {
    return form->minimumSize() == form->maximumSize();
}

std::string text(const QString& value) {
    return value.toStdString();
}

}  // namespace

QString GetDefaultSection(const QObject* component) {
    if (!component) return {};
    if (component->isWidgetType()) {
        const auto* widget = static_cast<const QWidget*>(component);
        if (widget->isWindow()) return className(widget);
        return className(widget->window()) + widget->objectName();
    }
    for (const QObject* owner = component->parent(); owner; owner = owner->parent()) {
        if (owner->isWidgetType())
            return className(static_cast<const QWidget*>(owner)->window()) + "." + component->objectName();
    }
    return component->objectName();
}

std::filesystem::path GetDefaultIniName() {
    QString name = QCoreApplication::applicationName();
    if (name.isEmpty()) name = QStringLiteral("kestrave");
    return ProgramDir() / (name.toStdString() + ".ini");
}

QString screenSizedKey(const QString& key, QSize screen) {
    return QStringLiteral("%1(%2x%3)").arg(key).arg(screen.width()).arg(screen.height());
}

QString fourIntegersText(const std::array<int, 4>& values) {
    return QStringLiteral("%1,%2,%3,%4").arg(values[0]).arg(values[1]).arg(values[2]).arg(values[3]);
}

std::array<int, 4> parseFourIntegers(QStringView text, const std::array<int, 4>& defaults) {
    const std::string words = text.toString().toStdString();
    std::array<int, 4> values = defaults;
    for (std::size_t i = 0; i < 4; ++i) {
        const std::optional<qlonglong> number =
            parseIntegerText(QString::fromStdString(ExtractWord(i + 1, words, ", ")));
        if (number && *number >= std::numeric_limits<int>::min() &&
            *number <= std::numeric_limits<int>::max())
            values[static_cast<std::size_t>(i)] = static_cast<int>(*number);
    }
    return values;
}

int showCmdOf(Qt::WindowStates state) {
    if (state & Qt::WindowMinimized) return 2;
    if (state & Qt::WindowMaximized) return 3;
    return 1;
}

std::optional<Qt::WindowState> windowStateOfShowCmd(int showCmd) {
    switch (showCmd) {
        case 1:
        case 5:
        case 9:
            return Qt::WindowNoState;
        case 2:
        case 6:
        case 7:
            return Qt::WindowMinimized;
        case 3:
            return Qt::WindowMaximized;
        default:
            return std::nullopt;
    }
}

QRect keepOnScreens(const QRect& rect, const QList<QRect>& areas) {
    if (areas.isEmpty()) return rect;
    QRect area = areas.front();
    qint64 bestOverlap = 0;
    for (const QRect& candidate : areas) {
        const QRect overlap = candidate.intersected(rect);
        const qint64 size = overlap.isEmpty() ? 0 : qint64(overlap.width()) * overlap.height();
        if (size > bestOverlap) {
            bestOverlap = size;
            area = candidate;
        }
    }
    const int width = std::min(rect.width(), area.width());
    const int height = std::min(rect.height(), area.height());
    const int left = std::clamp(rect.left(), area.left(), area.left() + area.width() - width);
    const int top = std::clamp(rect.top(), area.top(), area.top() + area.height() - height);
    return {left, top, width, height};
}

QString GetDefaultIniRegKey() {
    QString name = QCoreApplication::applicationName();
    if (name.isEmpty()) name = QStringLiteral("kestrave");
    const QString company = QCoreApplication::organizationName();
    return QStringLiteral("Software\\") + (company.isEmpty() ? name : company + "\\" + name);
}

std::filesystem::path registryRootFile(TFormPlacement::TPlacementRegRoot root) {
    static constexpr std::array<const char*, 6> names{"CurrentUser", "LocalMachine", "CurrentConfig",
                                                      "ClassesRoot", "Users",        "DynData"};
    return ProgramDir() / (std::string("registry-") + names[static_cast<std::size_t>(root)] + ".ini");
}

// ---- TWinMinMaxInfo ----

void TWinMinMaxInfo::setValue(Field field, int value) {
    if (values_[field] == value) return;
    values_[field] = value;
    if (OnChange) OnChange();
}

void TWinMinMaxInfo::Assign(const TWinMinMaxInfo& other) {
    values_ = other.values_;
    if (OnChange) OnChange();
}

bool TWinMinMaxInfo::DefaultMinMaxInfo() const {
    return std::all_of(values_.begin(), values_.end(), [](int value) { return value == 0; });
}

MinMaxRequest applyMinMaxInfo(MinMaxRequest request, const TWinMinMaxInfo& info) {
    using F = TWinMinMaxInfo;
    const auto put = [&](int& member, F::Field field) {
        if (const int value = info.value(field)) member = value;
    };
    int x = request.maxPosition.x(), y = request.maxPosition.y();
    put(x, F::MaxPosLeft);
    put(y, F::MaxPosTop);
    request.maxPosition = {x, y};
    const auto putSize = [&](QSize& size, F::Field width, F::Field height) {
        int w = size.width(), h = size.height();
        put(w, width);
        put(h, height);
        size = {w, h};
    };
    putSize(request.maxSize, F::MaxSizeWidth, F::MaxSizeHeight);
    putSize(request.minTrack, F::MinTrackWidth, F::MinTrackHeight);
    putSize(request.maxTrack, F::MaxTrackWidth, F::MaxTrackHeight);
    return request;
}

// ---- TIniLink ----

TIniLink::~TIniLink() {
    setStorage(nullptr);
}

void TIniLink::setStorage(TFormPlacement* storage) {
    if (storage_) std::erase(storage_->links_, this);
    storage_ = storage;
    if (storage_) storage_->links_.push_back(this);
}

TBigIniFile* TIniLink::IniObject() const {
    return storage_ ? storage_->iniObject() : nullptr;
}

QString TIniLink::RootSection() const {
    if (!storage_) return {};
    const QString section = QString::fromStdString(storage_->iniSection());
    return section.isEmpty() ? section : section + "\\";
}

// ---- TFormPlacement ----

TFormPlacement::TFormPlacement(QWidget* form) : QObject(form), form_(form) {
    auto* hook = new TRxWindowHook(this);
    connect(hook, &TRxWindowHook::BeforeMessage, this,
            [this](QObject*, QEvent* event, bool& handled) { handled = formMessage(event); });
    hook->setWinControl(form_);
    minMaxInfo_.OnChange = [this] { UpdatePlacement(); };
}

TFormPlacement::~TFormPlacement() {
    for (TIniLink* link : links_) link->storage_ = nullptr;
}

std::filesystem::path TFormPlacement::iniFileName() const {
    if (useRegistry_) return registryRootFile(registryRoot_);
    return iniFileName_.empty() ? GetDefaultIniName() : iniFileName_;
}

std::string TFormPlacement::iniSection() const {
    const QString section = iniSection_.isEmpty() ? GetDefaultSection(form_) : iniSection_;
    if (!useRegistry_) return text(section);
    const QString key =
        iniFileName_.empty() ? GetDefaultIniRegKey() : QString::fromStdString(iniFileName_.string());
    return text(key + "\\" + section);
}

// Runs the action on the file open for a save or restore, or on one opened for the call and
// written afterwards when the action changed it.
template <class Action>
auto TFormPlacement::withFile(Action&& action) {
    if (ini_) return action(*ini_);
    TBigIniFile ini(iniFileName());
    ini_ = &ini;
    const ScopeExit close([this] { ini_ = nullptr; });
    if constexpr (std::is_void_v<decltype(action(ini))>) {
        action(ini);
        ini.flush();
    } else {
        auto result = action(ini);
        ini.flush();
        return result;
    }
}

void TFormPlacement::SaveFormPlacement() {
    if (batchRun_ || (active_ && !restored_)) return;
    withFile([&](TBigIniFile& ini) {
        ini.WriteInteger(iniSection(), "FormVersion", version_);
        SavePlacement(ini);
        emit OnSavePlacement();
        saved_ = true;
    });
}

void TFormPlacement::SaveFormPlacement(TBigIniFile& ini) {
    TBigIniFile* const open = std::exchange(ini_, &ini);
    const ScopeExit back([&] { ini_ = open; });
    ini.WriteInteger(iniSection(), "FormVersion", version_);
    SavePlacement(ini);
    emit OnSavePlacement();
}

void TFormPlacement::RestoreFormPlacement(TBigIniFile& ini) {
    TBigIniFile* const open = std::exchange(ini_, &ini);
    const ScopeExit back([&] { ini_ = open; });
    RestoreFormPlacement();
}

void TFormPlacement::RestoreFormPlacement() {
    saved_ = closeSaved_ = false;
    withFile([&](TBigIniFile& ini) {
        const std::string section = iniSection();
        if (ini.ReadInteger(section, "FormVersion", 0) < version_) return;
        RestorePlacement(ini);
        restored_ = true;
        emit OnRestorePlacement();
        if (!(options_ & fpActiveControl)) return;
        const QString name = QString::fromStdString(ini.ReadString(section, "ActiveControl", ""));
        auto* control = name.isEmpty() ? nullptr : form_->findChild<QWidget*>(name);
        if (control && control->focusPolicy() != Qt::NoFocus && control->isEnabled()) control->setFocus();
    });
    restored_ = true;
    UpdatePlacement();
}

void TFormPlacement::setPreventResize(bool prevent) {
    if (preventResize_ == prevent) return;
    preventResize_ = prevent;
    const bool wasVisible = form_->isVisible();
    // A window that cannot be sized cannot be maximised either; the button comes back only for
    // a window that had it and is no dialog.
    if (prevent) {
        hadMaximizeButton_ = form_->windowFlags().testFlag(Qt::WindowMaximizeButtonHint);
        if (hadMaximizeButton_) form_->setWindowFlag(Qt::WindowMaximizeButtonHint, false);
    } else if (hadMaximizeButton_ && form_->windowType() != Qt::Dialog) {
        form_->setWindowFlag(Qt::WindowMaximizeButtonHint, true);
    }
    // Changing the flags of a shown window hides it.
    if (wasVisible && !form_->isVisible()) form_->show();
    UpdatePlacement();
}

void TFormPlacement::updateSizeHook() {
    const bool needed = preventResize_ || !minMaxInfo_.DefaultMinMaxInfo();
    if (needed && !sizeHook_) {
        sizeHook_ = new TRxWindowHook(this);
        connect(sizeHook_, &TRxWindowHook::AfterMessage, this,
                [this](QObject*, QEvent* event, bool&) { sizeMessage(event); });
        sizeHook_->setWinControl(form_);
    } else if (!needed && sizeHook_) {
        delete sizeHook_;
        sizeHook_ = nullptr;
    }
}

void TFormPlacement::UpdatePlacement() {
    updateSizeHook();
    if (!ownLimits_) {
        if (!sizeHook_) return;
        ownLimits_ = std::pair{form_->minimumSize(), form_->maximumSize()};
    }
    const auto [ownMin, ownMax] = *ownLimits_;
    if (preventResize_) {
        // Frozen while shown; a hidden window keeps its limits until it shows.
        if (form_->isVisible()) form_->setFixedSize(form_->size());
        return;
    }
    MinMaxRequest request{ownMax, {}, ownMin, ownMax};
    request = applyMinMaxInfo(request, minMaxInfo_);
    form_->setMinimumSize(request.minTrack);
    // A maximised window is never larger than its maximised size.
    form_->setMaximumSize(request.maxTrack.boundedTo(request.maxSize));
    if (!sizeHook_) ownLimits_.reset();
}

void TFormPlacement::sizeMessage(QEvent* event) {
    switch (event->type()) {
        case QEvent::Show:
            if (preventResize_) form_->setFixedSize(form_->size());
            break;
        case QEvent::WindowStateChange: {
            // The maximised window at the position and size the limits give.
            if (!form_->isMaximized() || minMaxInfo_.DefaultMinMaxInfo()) break;
            const MinMaxRequest request = applyMinMaxInfo({form_->maximumSize(), form_->geometry().topLeft(),
                                                           form_->minimumSize(), form_->maximumSize()},
                                                          minMaxInfo_);
            if (minMaxInfo_.value(TWinMinMaxInfo::MaxPosLeft) || minMaxInfo_.value(TWinMinMaxInfo::MaxPosTop))
                form_->move(request.maxPosition);
            break;
        }
        default:
            break;
    }
}

void TFormPlacement::FormDestroy() {
    // A save before (at start-up, say) does not count: the window may have moved since, and a
    // program that quits ends without a close. Only the save of an accepted close does.
    if (!active_ || closeSaved_) return;
    destroying_ = true;
    try {
        SaveFormPlacement();
    } catch (const std::exception& error) {
        report(error);
    }
    destroying_ = false;
}

void TFormPlacement::SavePlacement(TBigIniFile& ini) {
    const std::string section = iniSection();
    if (options_ & (fpState | fpPosition)) {
        writePlacement(ini);
        ini.WriteBool(section, "Visible", destroying_);
    }
    if (options_ & fpActiveControl) {
        if (const QWidget* focused = form_->focusWidget())
            ini.WriteString(section, "ActiveControl", text(focused->objectName()));
    }
    for (const TIniLink* link : std::vector<TIniLink*>(links_)) link->SaveToIni();
}

void TFormPlacement::RestorePlacement(TBigIniFile& ini) {
    readPlacement(ini);
}

void TFormPlacement::writePlacement(TBigIniFile& ini) const {
    const std::string section = iniSection();
    const QSize screen = screenSize(form_);
    ini.WriteInteger(section, "Flags", 0);
    ini.WriteInteger(section, "ShowCmd", showCmdOf(form_->windowState()));
    ini.WriteInteger(section, "PixelsPerInch", pixelsPerInch(form_));

    // The outer corner (title bar included) and the inner size: restored by moving the outer
    // corner there, the title bar comes back where it was, on the screen.
    QRect normal = form_->normalGeometry();
    if (normal.isEmpty()) normal = form_->geometry();
    normal.translate(form_->frameGeometry().topLeft() - form_->geometry().topLeft());
    const QString normPos = fourIntegersText(
        {normal.left(), normal.top(), normal.left() + normal.width(), normal.top() + normal.height()});
    for (const auto& [key, value] : {std::pair{QStringLiteral("MinMaxPos"), NoMinMaxPositions},
                                     std::pair{QStringLiteral("NormPos"), normPos}}) {
        ini.WriteString(section, text(screenSizedKey(key, screen)), text(value));
        ini.WriteString(section, text(key), text(value));
    }
}

void TFormPlacement::readPlacement(TBigIniFile& ini) {
    if (options_ & fpPosition) readPosition(ini);
    if (options_ & fpState) readState(ini);
    for (const TIniLink* link : std::vector<TIniLink*>(links_)) link->LoadFromIni();
    form_->update();
}

void TFormPlacement::readPosition(TBigIniFile& ini) {
    const std::string section = iniSection();
    const QSize screen = screenSize(form_);
    // The key of this screen size, else the bare key; empty when neither is there.
    const auto read = [&](const QString& key) {
        std::string value = ini.ReadString(section, text(screenSizedKey(key, screen)), "");
        if (value.empty()) value = ini.ReadString(section, text(key), "");
        return QString::fromStdString(value);
    };
    const QString minMaxPos = read(QStringLiteral("MinMaxPos"));
    const QString normPos = read(QStringLiteral("NormPos"));
    const int currentPixelsPerInch = pixelsPerInch(form_);
    // Positions measured at another pixel density would put the window somewhere else.
    if ((minMaxPos.isEmpty() && normPos.isEmpty()) ||
        ini.ReadInteger(section, "PixelsPerInch", currentPixelsPerInch) != currentPixelsPerInch)
        return;

    const QRect current = form_->geometry();
    auto [left, top, right, bottom] = parseFourIntegers(
        normPos,
        {current.left(), current.top(), current.left() + current.width(), current.top() + current.height()});
    const bool fixedSize = hasFixedSize(form_);
    if (fixedSize) {
        right = left + current.width();
        bottom = top + current.height();
    }
    if (right <= left) return;
    const QRect placed = keepOnScreens(QRect(left, top, right - left, bottom - top), availableAreas());
    form_->move(placed.topLeft());
    if (!fixedSize) form_->resize(placed.size());
}

void TFormPlacement::readState(TBigIniFile& ini) {
    const Qt::WindowState state =
        windowStateOfShowCmd(ini.ReadInteger(iniSection(), "ShowCmd", 0)).value_or(Qt::WindowNoState);
    const Qt::WindowStates others =
        form_->windowState() & ~(Qt::WindowMinimized | Qt::WindowMaximized | Qt::WindowFullScreen);
    form_->setWindowState(others | state);
}

QString TFormPlacement::ReadString(const QString& ident, const QString& def) {
    return withFile([&](TBigIniFile& ini) {
        return QString::fromStdString(ini.ReadString(iniSection(), text(ident), text(def)));
    });
}

void TFormPlacement::WriteString(const QString& ident, const QString& value) {
    withFile([&](TBigIniFile& ini) { ini.WriteString(iniSection(), text(ident), text(value)); });
}

int TFormPlacement::ReadInteger(const QString& ident, int def) {
    return withFile([&](TBigIniFile& ini) { return ini.ReadInteger(iniSection(), text(ident), def); });
}

void TFormPlacement::WriteInteger(const QString& ident, int value) {
    withFile([&](TBigIniFile& ini) { ini.WriteInteger(iniSection(), text(ident), value); });
}

bool TFormPlacement::formMessage(QEvent* event) {
    if (event->type() == QEvent::Show && !event->spontaneous() && active_ && !restored_) {
        try {
            RestoreFormPlacement();
        } catch (const std::exception& error) {
            report(error);
        }
    } else if (event->type() == QEvent::Close) {
        // The window decides first whether it may close; only an accepted close saves.
        static_cast<QObject*>(form_)->event(event);
        if (event->isAccepted() && active_) {
            try {
                SaveFormPlacement();
                closeSaved_ = saved_;
            } catch (const std::exception& error) {
                report(error);
            }
        }
        return true;
    }
    return false;
}

void TFormPlacement::report(const std::exception& error) const {
    if (errorHandler_)
        errorHandler_(QString::fromUtf8(error.what()));
    else
        std::fprintf(stderr, "kestrave: %s\n", error.what());
}

}  // namespace kestrave
