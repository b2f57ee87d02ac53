#pragma once
// Values recorded by one thread and awaited by another (without a time limit: a wait that never
// ends is a failure the test run's own timeout reports).

#include <algorithm>
#include <condition_variable>
#include <functional>
#include <mutex>
#include <vector>

namespace kestrave::test {

template <class T>
class Recorder {
public:
    void add(T value) {
        {
            std::lock_guard guard(m_);
            values_.push_back(std::move(value));
        }
        cv_.notify_all();
    }
    void clear() {
        std::lock_guard guard(m_);
        values_.clear();
    }
    std::vector<T> values() const {
        std::lock_guard guard(m_);
        return values_;
    }
    // Returns the values once `ready(values)` holds.
    std::vector<T> await(const std::function<bool(const std::vector<T>&)>& ready) const {
        std::unique_lock guard(m_);
        cv_.wait(guard, [&] { return ready(values_); });
        return values_;
    }
    std::vector<T> awaitCount(std::size_t n) const {
        return await([n](const std::vector<T>& v) { return v.size() >= n; });
    }
    std::vector<T> awaitValue(const T& value) const {
        return await(
            [&](const std::vector<T>& v) { return std::find(v.begin(), v.end(), value) != v.end(); });
    }

private:
    mutable std::mutex m_;
    mutable std::condition_variable cv_;
    std::vector<T> values_;
};

}  // namespace kestrave::test
