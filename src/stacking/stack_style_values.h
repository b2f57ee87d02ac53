#pragma once
// The styles of a stack and the stack options a style sets.

namespace kestrave {

enum class StackStyle : int { None = 0, Resampling = 1, Drizzling = 2 };

// The stack options a style sets.
struct StackStyleChoice {
    StackStyle style = StackStyle::None;  // the style in force
    bool Resampled = false;
    bool Drizzling = false;
    bool FastStack = true;  // the precomputed nearest-point map works on frame-sized stacks only
};

}  // namespace kestrave
