#pragma once
// An event handler that one thread sets and another calls: it is copied under a small lock and
// called outside it, so a handler never runs with a lock of its owner held.

#include <mutex>
#include <utility>

namespace kestrave {

template <class Handler>
class SharedHandler {
public:
    void set(Handler handler) {
        std::lock_guard guard(m_);
        handler_ = std::move(handler);
    }
    Handler get() const {
        std::lock_guard guard(m_);
        return handler_;
    }

private:
    mutable std::mutex m_;
    Handler handler_;
};

}  // namespace kestrave
