#pragma once
// Sets KESTRAVE_THREADS for the lifetime of the object, so that a test can show that a result
// does not depend on the thread count; the previous value comes back afterwards.

#include <cstdlib>
#include <optional>
#include <string>

namespace kestrave::test {

class ThreadCountScope {
public:
    explicit ThreadCountScope(int threads) {
        if (const char* value = std::getenv("KESTRAVE_THREADS")) previous_ = value;
        setenv("KESTRAVE_THREADS", std::to_string(threads).c_str(), 1);
    }
    ~ThreadCountScope() {
        if (previous_)
            setenv("KESTRAVE_THREADS", previous_->c_str(), 1);
        else
            unsetenv("KESTRAVE_THREADS");
    }
    ThreadCountScope(const ThreadCountScope&) = delete;
    ThreadCountScope& operator=(const ThreadCountScope&) = delete;

private:
    std::optional<std::string> previous_;
};

}  // namespace kestrave::test
