#pragma once
// Growable lists with a fixed upper size. An addition past the limit is refused and leaves the
// list as it was, so a runaway caller meets a clear "no" instead of a write past the end.

#include <cstddef>
#include <cstdint>
#include <vector>

namespace kestrave {

template <typename Item, std::int32_t Limit>
class CappedList {
public:
    static constexpr std::int32_t MaxCount = Limit;

    std::int32_t Count() const { return static_cast<std::int32_t>(items_.size()); }
    Item& operator[](std::int32_t i) { return items_[static_cast<std::size_t>(i)]; }
    const Item& operator[](std::int32_t i) const { return items_[static_cast<std::size_t>(i)]; }

    // Appends `item` and returns its index, or -1 (nothing added) when the list is full.
    std::int32_t Add(const Item& item) {
        if (Count() >= Limit) return -1;
        items_.push_back(item);
        return Count() - 1;
    }

    // The index of the first item equal to `item`, -1 when there is none.
    std::int32_t IndexOf(const Item& item) const {
        for (std::int32_t i = 0; i < Count(); ++i)
            if ((*this)[i] == item) return i;
        return -1;
    }

    void Clear() { items_.clear(); }

private:
    std::vector<Item> items_;
};

// A list of 32-bit integers of at most 10485760 items.
using TLongIntList = CappedList<std::int32_t, 10485760>;

}  // namespace kestrave
