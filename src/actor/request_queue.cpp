#include "actor/request_queue.h"

#include <algorithm>

#include "actor/assistant_actor.h"

namespace kestrave {

std::uint32_t TRequestQueue::add(int animation) {
    if (!enabled_ || animation < 1 || animation > 0xFFFF) return 0;
    ++serial_;
    const std::uint32_t request = std::uint32_t{serial_} << 16 | static_cast<std::uint32_t>(animation);
    entries_.push_back(request);
    return request;
}

bool TRequestQueue::remove(std::uint32_t request) {
    const auto it = std::find(entries_.begin(), entries_.end(), request);
    if (it == entries_.end()) return false;
    entries_.erase(it);
    return true;
}

std::uint32_t TRequestQueue::pop() {
    if (entries_.empty()) return 0;
    const std::uint32_t request = entries_.front();
    entries_.pop_front();
    return request;
}

bool TRequestQueue::contains(std::uint32_t request) const {
    return std::find(entries_.begin(), entries_.end(), request) != entries_.end();
}

void TSpecialNames::resolve(const TAssistantActor& actor) {
    for (std::size_t i = 0; i < kNames.size(); ++i) numbers_[i] = actor.findByName(kNames[i]);
}

int TSpecialNames::positionOf(int animation) const {
    if (animation <= 0) return -1;
    const auto it = std::find(numbers_.begin(), numbers_.end(), animation);
    return it == numbers_.end() ? -1 : static_cast<int>(it - numbers_.begin());
}

int TSpecialNames::returnBefore(int previousAnimation, int nextAnimation) const {
    const int previous = positionOf(previousAnimation);
    if (previous < 0 || previous % 3 == 2) return 0;
    const int next = positionOf(nextAnimation);
    if (next >= 0 && next / 3 == previous / 3 && next % 3 != 0) return 0;
    return numbers_[previous / 3 * 3 + 2];
}

}  // namespace kestrave
