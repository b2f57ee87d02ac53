#pragma once
// A list box whose items carry a check state (unchecked, checked, grayed). The states live in the
// items' own check state, so code that fills or reads the list as a plain list widget keeps
// working; the toggling rules are ours (CheckListModel), not the view's built-in ones, and so are
// the pictures: each item shows its cell of the check picture strip in a check area left of its
// text.

#include <QImage>
#include <QListWidget>

#include "widgets/check_list_model.h"
#include "widgets/form_placement.h"

namespace kestrave {

// The check pictures of every list: 6 x 3 cells of one size (see checkCell), drawn on first use,
// transparent where the list's background shows through.
const QImage& checkImages();
QSize checkCellSize();
// Where cell `cell` lies in the strip.
QRect checkCellRect(int cell);

class CheckListBox : public QListWidget {
    Q_OBJECT
public:
    explicit CheckListBox(QWidget* parent = nullptr);

    CheckKind checkKind() const { return kind_; }
    void setCheckKind(CheckKind kind);
    bool allowGrayed() const { return allowGrayed_; }
    void setAllowGrayed(bool allow) { allowGrayed_ = allow; }
    // Without the focus a selected item is shown on the button face instead of the highlight.
    bool GraySelection() const { return graySelection_; }
    void setGraySelection(bool gray);
    // Tab stops every TabWidth widths of "0" (0: the default stops).
    int TabWidth() const { return tabWidth_; }
    void setTabWidth(int width);
    // The least height of an item; the text's and the check picture's heights still count.
    int ItemHeight() const { return itemHeight_; }
    void setItemHeight(int height);
    // The colours item `index` is drawn in, as the list stands (focus, selection, enabling).
    struct ItemColours {
        QColor background;  // invalid: the list's own background
        QColor text;
    };
    ItemColours itemColours(int index) const;

    CheckState State(int index) const;
    void setState(int index, CheckState state);
    bool Checked(int index) const;
    void setChecked(int index, bool checked);
    bool EnabledItem(int index) const;
    void setEnabledItem(int index, bool enabled);
    int CheckedIndex() const;

    // Where a press toggles an item and where its picture is centred: this many pixels from the
    // item's left edge.
    int checkArea() const;
    // The picture cell item `index` shows.
    int cellOf(int index) const;
    // The user's toggle of one item (a press in the check area, or space).
    void toggleByUser(int index);
    // Every enabled item checked, or unchecked; radio buttons keep their one checked item.
    void CheckAll();
    void UncheckAll();

    // The check states are saved and restored with this placement's file, in the placement's
    // section followed by the list's own default section: "Count", then "Item0", "Item1", ...
    // holding each item's state (0 unchecked, 1 checked, 2 grayed).
    TFormPlacement* IniStorage() const { return iniLink_.Storage(); }
    void setIniStorage(TFormPlacement* storage) { iniLink_.setStorage(storage); }
    void SaveStatesToIni(TBigIniFile& ini, const std::string& section) const;
    void RestoreStatesFromIni(TBigIniFile& ini, const std::string& section);
    // The list's section in its storage's file.
    std::string iniSection() const;

signals:
    // A check was changed by the user.
    void OnClickCheck();
    // The state of item `index` changed.
    void OnStateChange(int index);

protected:
    void mousePressEvent(QMouseEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    // A grey selection follows the focus.
    void focusInEvent(QFocusEvent* event) override;
    void focusOutEvent(QFocusEvent* event) override;

private:
    CheckListModel snapshot() const;
    void apply(const CheckListModel& model, const std::vector<int>& changed);

    CheckKind kind_ = CheckKind::CheckBoxes;
    bool allowGrayed_ = false;
    bool graySelection_ = false;
    int tabWidth_ = 0;
    int itemHeight_ = 16;
    TIniLink iniLink_;
};

}  // namespace kestrave
