#pragma once
// The queue of animation requests and the special animation names, both owned by the director,
// which guards them with its own mutex (they are not synchronised themselves).

#include <array>
#include <cstdint>
#include <deque>
#include <string_view>

namespace kestrave {

class TAssistantActor;

// A request identifier is (serial << 16) | animation number, the 16-bit serial counted up
// before every addition: unique over 65536 additions, and never 0 for an animation above 0.
class TRequestQueue {
public:
    static int animationOf(std::uint32_t request) { return static_cast<int>(request & 0xFFFFu); }

    // Queues animation 1..65535; 0 when the queue is disabled or the number is out of range.
    std::uint32_t add(int animation);
    // Takes the request out; false when it is not queued.
    bool remove(std::uint32_t request);
    // The oldest request, taken out or not; 0 when the queue is empty.
    std::uint32_t pop();
    std::uint32_t front() const { return entries_.empty() ? 0 : entries_.front(); }
    bool contains(std::uint32_t request) const;
    bool empty() const { return entries_.empty(); }
    void clear() { entries_.clear(); }
    bool enabled() const { return enabled_; }
    void setEnabled(bool on) { enabled_ = on; }

private:
    std::deque<std::uint32_t> entries_;
    bool enabled_ = true;
    std::uint16_t serial_ = 0;
};

// Three triples of names, positions 0..8: an animation, its continuation and its return.
// After an animation of a triple (but not after its return), anything other than its own
// continuation or return is preceded by the return.
class TSpecialNames {
public:
    static constexpr std::array<std::string_view, 9> kNames = {
        "GetAttention", "GetAttentionContinued", "GetAttentionReturn", "Read", "ReadContinued", "ReadReturn",
        "Write",        "WriteContinued",        "WriteReturn"};

    // Looks every name up in the actor (0 when it lacks one).
    void resolve(const TAssistantActor& actor);
    void clear() { numbers_ = {}; }
    int number(int position) const { return numbers_[position]; }
    // The position of an animation number among the names, or -1.
    int positionOf(int animation) const;
    // The return animation due between the previous animation and the next; 0 when none.
    int returnBefore(int previousAnimation, int nextAnimation) const;

private:
    std::array<int, 9> numbers_{};
};

}  // namespace kestrave
