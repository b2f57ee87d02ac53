#pragma once
// The port through which a long core operation reports progress, shows status-panel texts,
// lets the window process pending events, honours Pause and learns of Cancel.

#include <atomic>
#include <functional>
#include <string>

namespace kestrave {

class ProgressPort {
public:
    virtual ~ProgressPort() = default;

    virtual void setMaximum(int maximum) = 0;
    virtual void setPosition(int position) = 0;
    // Text of status-bar panel 0..4.
    virtual void setStatus(int panel, const std::string& text) = 0;
    // Window caption during work ("Kestrave processing AVI: name").
    virtual void setCaption(const std::string& /*caption*/) {}
    // Lets the window process pending events (so Cancel and Pause can be clicked) and waits
    // while the pause state is on.
    virtual void processMessages() {}

    // The cancel test of long loops: process pending messages, then read the flag.
    bool cancelled() {
        processMessages();
        return cancelRequested_.load();
    }
    bool cancelRequested() const { return cancelRequested_.load(); }
    void setCancelRequested(bool value) { cancelRequested_.store(value); }

private:
    std::atomic<bool> cancelRequested_{false};
};

// Reports nothing; tests use it, and may set a hook that runs on every message poll.
class NullProgress : public ProgressPort {
public:
    void setMaximum(int maximum) override { maximum_ = maximum; }
    void setPosition(int position) override { position_ = position; }
    void setStatus(int panel, const std::string& text) override;
    void processMessages() override {
        if (onPoll) onPoll(*this);
    }
    int maximum() const { return maximum_; }
    int position() const { return position_; }
    const std::string& status(int panel) const { return status_[panel < 0 || panel > 4 ? 0 : panel]; }

    std::function<void(NullProgress&)> onPoll;

private:
    int maximum_ = 0;
    int position_ = 0;
    std::string status_[5];
};

// The batch runner's progress: one line on standard error whenever a tenth of the work is done
// or a status text changes.
class StderrProgress : public ProgressPort {
public:
    void setMaximum(int maximum) override;
    void setPosition(int position) override;
    void setStatus(int panel, const std::string& text) override;

private:
    int maximum_ = 0;
    int lastTenth_ = -1;
    std::string status_[5];
};

}  // namespace kestrave
