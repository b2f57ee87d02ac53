#pragma once
// Runs a clean-up when the scope ends, however it ends: a return, a cancel or an exception. The
// clean-up must not throw.

#include <utility>

namespace kestrave {

template <typename Cleanup>
class ScopeExit {
public:
    explicit ScopeExit(Cleanup cleanup) : cleanup_(std::move(cleanup)) {}
    ~ScopeExit() { cleanup_(); }
    ScopeExit(const ScopeExit&) = delete;
    ScopeExit& operator=(const ScopeExit&) = delete;

private:
    Cleanup cleanup_;
};

}  // namespace kestrave
