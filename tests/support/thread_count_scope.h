#pragma once
// Sets the thread count of parallel loops for the lifetime of the object, so that a test can show
// that a result does not depend on it; the previous setting comes back afterwards.

#include "platform/parallel.h"

namespace kestrave::test {

class ThreadCountScope {
public:
    explicit ThreadCountScope(int threads) : previous_(setThreadCountForTesting(threads)) {}
    ~ThreadCountScope() { setThreadCountForTesting(previous_); }
    ThreadCountScope(const ThreadCountScope&) = delete;
    ThreadCountScope& operator=(const ThreadCountScope&) = delete;

private:
    int previous_;
};

}  // namespace kestrave::test
