#pragma once
// The rules of a list whose items carry a check state, kept apart from any window so that they can
// be checked without a display: what a user's click, the space key, "+" and "-" do, what a radio
// list allows, and which picture cell an item shows.

#include <map>
#include <string>
#include <vector>

namespace kestrave {

enum class CheckKind { CheckBoxes = 0, RadioButtons = 1, CheckMarks = 2 };
enum class CheckState { Unchecked = 0, Checked = 1, Grayed = 2 };

struct CheckItem {
    CheckState state = CheckState::Unchecked;
    bool enabled = true;
};

class CheckListModel {
public:
    CheckKind kind = CheckKind::CheckBoxes;
    bool allowGrayed = false;
    std::vector<CheckItem> items;

    // The third state is only offered by check boxes and check marks.
    bool grayedAllowed() const { return allowGrayed && kind != CheckKind::RadioButtons; }
    // Checked reads a grayed item of a radio list as unchecked.
    bool checked(int index) const;
    // The checked item of a radio list, else -1.
    int checkedIndex() const;

    // Sets one state; returns the items whose state changed, in order. Setting the current state
    // does nothing; a radio list keeps its checked item and checking one unchecks the others.
    std::vector<int> setState(int index, CheckState state);
    // A user's toggle of an enabled item: unchecked -> grayed (when allowed) or checked,
    // checked -> unchecked, grayed -> checked.
    std::vector<int> toggle(int index);
    // "+" and "-": every enabled item checked or unchecked (not in radio lists).
    std::vector<int> setAllEnabled(bool check);
    // A radio list keeps one checked item: the first checked, else item 0.
    std::vector<int> setKind(CheckKind newKind);

    // The picture cell of an item in the 6 x 3 cell strip.
    int cellIndex(int index) const;

    // The states under "Count" and "Item"i; restoring a radio list stops at its first checked item.
    std::map<std::string, int> saveStates() const;
    std::vector<int> restoreStates(const std::map<std::string, int>& values);

private:
    bool valid(int index) const { return index >= 0 && index < static_cast<int>(items.size()); }
};

// The picture cell of an item in the 6 x 3 cell strip: one row of six per kind, the enabled
// unchecked, checked and grayed pictures, then the same three disabled.
inline int checkCell(CheckKind kind, CheckState state, bool enabled) {
    return static_cast<int>(kind) * 6 + (enabled ? 0 : 3) + static_cast<int>(state);
}

// The width of the area left of an item's text in which a press toggles it.
inline int checkAreaWidth(int cellWidth) {
    return cellWidth + 2;
}

}  // namespace kestrave
