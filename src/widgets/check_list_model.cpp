#include "widgets/check_list_model.h"

#include <algorithm>

namespace kestrave {

bool CheckListModel::checked(int index) const {
    return valid(index) && items[static_cast<std::size_t>(index)].state == CheckState::Checked;
}

int CheckListModel::checkedIndex() const {
    if (kind != CheckKind::RadioButtons) return -1;
    for (int i = 0; i < static_cast<int>(items.size()); ++i)
        if (checked(i)) return i;
    return -1;
}

std::vector<int> CheckListModel::setState(int index, CheckState state) {
    std::vector<int> changed;
    if (!valid(index)) return changed;
    CheckItem& item = items[static_cast<std::size_t>(index)];
    if (item.state == state) return changed;
    if (kind == CheckKind::RadioButtons) {
        if (item.state == CheckState::Checked && state == CheckState::Unchecked) return changed;
        if (state == CheckState::Checked) {
            for (int i = 0; i < static_cast<int>(items.size()); ++i) {
                if (i != index && items[static_cast<std::size_t>(i)].state == CheckState::Checked) {
                    items[static_cast<std::size_t>(i)].state = CheckState::Unchecked;
                    changed.push_back(i);
                }
            }
        }
    }
    item.state = state;
    changed.push_back(index);
    std::sort(changed.begin(), changed.end());
    return changed;
}

std::vector<int> CheckListModel::toggle(int index) {
    if (!valid(index) || !items[static_cast<std::size_t>(index)].enabled) return {};
    switch (items[static_cast<std::size_t>(index)].state) {
        case CheckState::Unchecked:
            return setState(index, grayedAllowed() ? CheckState::Grayed : CheckState::Checked);
        case CheckState::Checked:
            return setState(index, CheckState::Unchecked);
        case CheckState::Grayed:
            return setState(index, CheckState::Checked);
    }
    return {};
}

std::vector<int> CheckListModel::setAllEnabled(bool check) {
    std::vector<int> changed;
    if (kind == CheckKind::RadioButtons) return changed;
    for (int i = 0; i < static_cast<int>(items.size()); ++i) {
        if (!items[static_cast<std::size_t>(i)].enabled) continue;
        for (int c : setState(i, check ? CheckState::Checked : CheckState::Unchecked)) changed.push_back(c);
    }
    return changed;
}

std::vector<int> CheckListModel::setKind(CheckKind newKind) {
    kind = newKind;
    if (kind != CheckKind::RadioButtons || items.empty()) return {};
    int keep = 0;
    for (int i = 0; i < static_cast<int>(items.size()); ++i) {
        if (checked(i)) {
            keep = i;
            break;
        }
    }
    std::vector<int> changed;
    for (int i = 0; i < static_cast<int>(items.size()); ++i) {
        CheckState& state = items[static_cast<std::size_t>(i)].state;
        const CheckState wanted = i == keep ? CheckState::Checked : CheckState::Unchecked;
        if (state != wanted && (i == keep || state == CheckState::Checked)) {
            state = wanted;
            changed.push_back(i);
        }
    }
    return changed;
}

int CheckListModel::cellIndex(int index) const {
    const CheckItem& item = items.at(static_cast<std::size_t>(index));
    return checkCell(kind, item.state, item.enabled);
}

std::map<std::string, int> CheckListModel::saveStates() const {
    std::map<std::string, int> values{{"Count", static_cast<int>(items.size())}};
    for (std::size_t i = 0; i < items.size(); ++i)
        values["Item" + std::to_string(i)] = static_cast<int>(items[i].state);
    return values;
}

std::vector<int> CheckListModel::restoreStates(const std::map<std::string, int>& values) {
    auto read = [&](const std::string& key) {
        const auto found = values.find(key);
        return found == values.end() ? 0 : found->second;
    };
    std::vector<int> changed;
    const int count = std::min(read("Count"), static_cast<int>(items.size()));
    for (int i = 0; i < count; ++i) {
        const int raw = read("Item" + std::to_string(i));
        // A value outside the three states is read as unchecked rather than trusted.
        const CheckState state = raw >= 0 && raw <= 2 ? static_cast<CheckState>(raw) : CheckState::Unchecked;
        for (int c : setState(i, state)) changed.push_back(c);
        if (kind == CheckKind::RadioButtons && state == CheckState::Checked) break;
    }
    return changed;
}

}  // namespace kestrave
