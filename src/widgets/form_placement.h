#pragma once
// TFormPlacement keeps where a window stands in a section of an INI file between runs: its
// normal rectangle and state, which control is active, and a version number. TFormStorage
// (form_storage.h) adds chosen control properties.
//
// The section's keys, in the order they are written:
//   FormVersion       the placement's Version
//   Flags             0
//   ShowCmd           1 normal, 2 minimised, 3 maximised
//   PixelsPerInch     the screen's logical dots per inch
//   MinMaxPos(WxH)    "-1,-1,-1,-1" (minimised and maximised positions: the window system's)
//   MinMaxPos         the same
//   NormPos(WxH)      "left,top,right,bottom" of the normal rectangle (right and bottom exclusive):
//                     left and top of the outer window (its title bar included), the width and
//                     height of its inside
//   NormPos           the same
//   Visible           1 only when the save runs as the window is destroyed, else 0
//   ActiveControl     the focused control's name (only with fpActiveControl)
// WxH is the screen size in pixels, so that each screen size keeps its own rectangle and another
// size falls back to the bare key (the last one written).
//
// The placement watches its window: the first show restores (when Active), an accepted close
// saves (when Active); the window's destructor calls FormDestroy() for the last save unless a
// close saved (a save at start-up does not count). Nothing is
// saved before a restore has run, so a window that never restored never overwrites its file,
// and nothing is saved at all in a batch run.

#include <QFlags>
#include <QObject>
#include <QRect>
#include <QString>
#include <array>
#include <filesystem>
#include <functional>
#include <optional>
#include <vector>

class QWidget;

namespace kestrave {

class TBigIniFile;
class TFormPlacement;
class TRxWindowHook;

// The section a component's settings go to when none is named: a window's class name; for a
// control, its window's class name directly followed by the control's name; for another object
// owned by a window, the window's class name, "." and the object's name. Empty for none.
QString GetDefaultSection(const QObject* component);
// The program's name with ".ini", in the program directory.
std::filesystem::path GetDefaultIniName();

// The placement keys and values (pure).
// "NormPos" on a 1024 × 768 screen: "NormPos(1024x768)".
QString screenSizedKey(const QString& key, QSize screen);
QString fourIntegersText(const std::array<int, 4>& values);
// Words split at commas and blanks; a missing or non-numeric word keeps its default.
std::array<int, 4> parseFourIntegers(QStringView text, const std::array<int, 4>& defaults);
int showCmdOf(Qt::WindowStates state);
// 1, 5, 9 normal; 2, 6, 7 minimised; 3 maximised; nullopt for anything else.
std::optional<Qt::WindowState> windowStateOfShowCmd(int showCmd);
// The rectangle moved (and shrunk when it must) into the available area of the screen it
// overlaps most, or of the first screen when it overlaps none: a window stored on a screen that
// is gone comes back where it can be seen.
QRect keepOnScreens(const QRect& rect, const QList<QRect>& availableAreas);
// The default key of the registry stand-in: "Software\" and the program's name, with the
// organisation's name and "\" in front of that when one is set.
QString GetDefaultIniRegKey();

// Size and position limits imposed on a window; 0 leaves a limit to the window system. Any change
// (an assignment copies all eight) makes the owning placement apply the limits anew.
class TWinMinMaxInfo {
public:
    enum Field {
        MaxPosLeft,
        MaxPosTop,
        MaxSizeHeight,
        MaxSizeWidth,
        MaxTrackHeight,
        MaxTrackWidth,
        MinTrackHeight,
        MinTrackWidth,
        FieldCount
    };
    int value(Field field) const { return values_[field]; }
    void setValue(Field field, int value);
    void Assign(const TWinMinMaxInfo& other);
    // All eight are 0.
    bool DefaultMinMaxInfo() const;
    bool operator==(const TWinMinMaxInfo& other) const { return values_ == other.values_; }

    std::function<void()> OnChange;

private:
    std::array<int, FieldCount> values_{};
};

// The window system's limits of one window, as it asks for them before sizing or maximising.
struct MinMaxRequest {
    QSize maxSize;       // the size of the maximised window
    QPoint maxPosition;  // where the maximised window's corner goes
    QSize minTrack;      // the least size the user may drag the window to
    QSize maxTrack;      // the largest
};
// The request with every non-zero field of `info` put in place of its member.
MinMaxRequest applyMinMaxInfo(MinMaxRequest request, const TWinMinMaxInfo& info);

// Lets another component keep its own state in a placement's file, saved and loaded together
// with the placement.
class TIniLink {
public:
    TIniLink() = default;
    ~TIniLink();
    TIniLink(const TIniLink&) = delete;
    TIniLink& operator=(const TIniLink&) = delete;

    TFormPlacement* Storage() const { return storage_; }
    // Detaches from the old storage and attaches to the new one (none: null).
    void setStorage(TFormPlacement* storage);
    // The storage's file while it saves or restores, else null.
    TBigIniFile* IniObject() const;
    // The storage's section followed by "\" when that is not empty.
    QString RootSection() const;

    void SaveToIni() const {
        if (OnSave) OnSave();
    }
    void LoadFromIni() const {
        if (OnLoad) OnLoad();
    }

    std::function<void()> OnSave;
    std::function<void()> OnLoad;

private:
    friend class TFormPlacement;
    TFormPlacement* storage_ = nullptr;
};

class TFormPlacement : public QObject {
    Q_OBJECT
public:
    enum TPlacementOption { fpState = 1, fpPosition = 2, fpActiveControl = 4 };
    // Which settings store stands for the registry root (see UseRegistry).
    enum TPlacementRegRoot {
        prCurrentUser,
        prLocalMachine,
        prCurrentConfig,
        prClassesRoot,
        prUsers,
        prDynData
    };
    Q_DECLARE_FLAGS(TPlacementOptions, TPlacementOption)
    Q_FLAG(TPlacementOptions)

    // The window owns the placement and is watched from now on.
    explicit TFormPlacement(QWidget* form);
    ~TFormPlacement() override;

    bool Active() const { return active_; }
    void setActive(bool active) { active_ = active; }
    // Empty: GetDefaultIniName().
    const std::filesystem::path& IniFileName() const { return iniFileName_; }
    void setIniFileName(std::filesystem::path name) { iniFileName_ = std::move(name); }
    // Empty: GetDefaultSection(the window).
    const QString& IniSection() const { return iniSection_; }
    void setIniSection(const QString& section) { iniSection_ = section; }
    TPlacementOptions Options() const { return options_; }
    void setOptions(TPlacementOptions options) { options_ = options; }
    // The lowest stored "FormVersion" that is restored.
    int Version() const { return version_; }
    void setVersion(int version) { version_ = version; }
    // Keep the placement in the settings store of RegistryRoot instead of an INI file: IniFileName
    // then names the key (default "Software\<program name>"), and the sections lie under it.
    bool UseRegistry() const { return useRegistry_; }
    void setUseRegistry(bool use) { useRegistry_ = use; }
    TPlacementRegRoot RegistryRoot() const { return registryRoot_; }
    void setRegistryRoot(TPlacementRegRoot root) { registryRoot_ = root; }
    // Size and position limits of the window; changes apply at once.
    TWinMinMaxInfo& MinMaxInfo() { return minMaxInfo_; }
    const TWinMinMaxInfo& MinMaxInfo() const { return minMaxInfo_; }
    void setMinMaxInfo(const TWinMinMaxInfo& info) { minMaxInfo_.Assign(info); }
    // Freezes the window's size (and takes away its maximise button while on).
    bool PreventResize() const { return preventResize_; }
    void setPreventResize(bool prevent);
    // The window's limits as PreventResize and MinMaxInfo make them: frozen to the current size,
    // narrowed by the non-zero limits, or the window's own ones.
    void UpdatePlacement();
    // A batch run never writes the file.
    bool BatchRun() const { return batchRun_; }
    void setBatchRun(bool batch) { batchRun_ = batch; }
    // Where a failed save or restore of the automatic show and close hooks is reported; by
    // default on standard error.
    void setErrorHandler(std::function<void(const QString&)> handler) { errorHandler_ = std::move(handler); }

    // The file and section in use, defaults applied. With UseRegistry the file is the store of
    // RegistryRoot and the section lies under the key.
    std::filesystem::path iniFileName() const;
    std::string iniSection() const;

    // Writes the placement (and, for a storage, the stored properties) when a restore has run or
    // the placement is not Active. Throws FileError when the file cannot be written; the old file
    // then stays as it was. The file is written only when a value changed.
    void SaveFormPlacement();
    // Reads the placement back unless the stored "FormVersion" is below Version. A missing file
    // reads as empty: nothing changes. Throws FileError when the file exists but cannot be read.
    void RestoreFormPlacement();
    // The window's destructor calls this: saves, with "Visible" true, when Active and not saved
    // since the last restore.
    void FormDestroy();
    // The whole save, or restore, made in `ini` instead of the file (a project carries the
    // window's section): the save whatever the run, the restore as RestoreFormPlacement's.
    void SaveFormPlacement(TBigIniFile& ini);
    void RestoreFormPlacement(TBigIniFile& ini);

    // Single values under the section, through the open file or one opened for the call.
    QString ReadString(const QString& ident, const QString& def);
    void WriteString(const QString& ident, const QString& value);
    int ReadInteger(const QString& ident, int def);
    void WriteInteger(const QString& ident, int value);

    bool saved() const { return saved_; }
    bool restored() const { return restored_; }
    QWidget* form() const { return form_; }
    // The file while a save or restore runs, else null.
    TBigIniFile* iniObject() const { return ini_; }

signals:
    void OnSavePlacement();
    void OnRestorePlacement();

protected:
    virtual void SavePlacement(TBigIniFile& ini);
    virtual void RestorePlacement(TBigIniFile& ini);
    // Set by RestorePlacement of a storage before its properties are read.
    void setRestored() { restored_ = true; }
    // The window's show and close, seen through the placement's window hook; true when the
    // event was handled here.
    bool formMessage(QEvent* event);

private:
    // The size hook's view of the window: the limits follow its show, resize and maximising.
    void sizeMessage(QEvent* event);
    // Attaches the size hook when PreventResize is on or MinMaxInfo is set, else detaches it.
    void updateSizeHook();
    friend class TIniLink;
    void writePlacement(TBigIniFile& ini) const;
    void readPlacement(TBigIniFile& ini);
    void readPosition(TBigIniFile& ini);
    void readState(TBigIniFile& ini);
    void report(const std::exception& error) const;
    template <class Action>
    auto withFile(Action&& action);

    QWidget* form_;
    bool active_ = true;
    std::filesystem::path iniFileName_;
    QString iniSection_;
    TPlacementOptions options_ = TPlacementOptions(fpState | fpPosition);
    int version_ = 0;
    bool batchRun_ = false;
    bool useRegistry_ = false;
    TPlacementRegRoot registryRoot_ = prCurrentUser;
    TWinMinMaxInfo minMaxInfo_;
    bool preventResize_ = false;
    bool hadMaximizeButton_ = false;
    // The window's own limits, taken before the placement first narrows them.
    std::optional<std::pair<QSize, QSize>> ownLimits_;
    TRxWindowHook* sizeHook_ = nullptr;
    std::function<void(const QString&)> errorHandler_;

    TBigIniFile* ini_ = nullptr;
    std::vector<TIniLink*> links_;
    bool saved_ = false;
    bool closeSaved_ = false;  // saved by an accepted close
    bool restored_ = false;
    bool destroying_ = false;
};

Q_DECLARE_OPERATORS_FOR_FLAGS(TFormPlacement::TPlacementOptions)

// The file that stands for a registry root: one INI file per root in the program directory, the
// current user's beside the program's other settings.
std::filesystem::path registryRootFile(TFormPlacement::TPlacementRegRoot root);

}  // namespace kestrave
