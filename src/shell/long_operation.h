#pragma once
// Long operations and re-entry. A long operation (aligning, optimizing, stacking, whole-image
// processing, writing a video) runs its loop inside its handler and lets the window process
// pending events between steps, so the user can click while it runs. The rules:
//  - a long operation the user starts while another one is looping is refused;
//  - a long operation started directly by code (handlers call each other) always runs, and so
//    does one the user starts during Create's wait for "Continue";
//  - once the user has agreed to close the window, no new long operation starts, and the window
//    closes when the last running one has ended.
// Handlers that only set a flag (Cancel, Pause, Continue, Halt) take no guard and stay usable.
//
//     void StackController::StackButtonClick() {
//         LongOperation operation(context_.app.operations);
//         if (!operation) return;  // refused: another operation is looping
//         …
//     }

#include <cstddef>
#include <functional>
#include <vector>

namespace kestrave {

class LongOperations {
public:
    enum class PumpKind {
        Loop,  // a long loop lets pending events through; clicks there start nothing long
        Wait,  // Create's wait for "Continue": the user may work, long operations included
    };

    // Marks the time the window processes pending events from inside a long operation.
    class Pump {
    public:
        Pump(LongOperations& operations, PumpKind kind);
        ~Pump();
        Pump(const Pump&) = delete;
        Pump& operator=(const Pump&) = delete;

    private:
        LongOperations& operations_;
    };

    bool running() const { return !starts_.empty(); }
    // True once the user agreed to close; new long operations are refused from then on.
    bool closing() const { return closing_; }
    // Asks the window to close once no long operation runs any more. The caller also sets the
    // cancel flag so that the running loop stops at its next poll.
    void closeWhenIdle() { closing_ = true; }
    // Runs when the last long operation ends while a close is pending; the window closes itself.
    std::function<void()> onIdleWhileClosing;
    // Runs whenever the last running long operation has ended (before onIdleWhileClosing); the
    // progress port shows what it kept back while nobody watched.
    std::function<void()> onIdle;

private:
    friend class LongOperation;
    bool mayStart() const;

    // For every running operation, the pump depth at its start (innermost last).
    std::vector<std::size_t> starts_;
    std::vector<PumpKind> pumps_;
    bool closing_ = false;
};

// The guard a long operation's handler holds while it runs; false when the start was refused.
class LongOperation {
public:
    explicit LongOperation(LongOperations& operations);
    ~LongOperation();
    LongOperation(const LongOperation&) = delete;
    LongOperation& operator=(const LongOperation&) = delete;

    explicit operator bool() const { return started_; }

private:
    LongOperations& operations_;
    bool started_ = false;
};

}  // namespace kestrave
