#pragma once
// The port through which a long core operation reports progress, shows status-panel texts,
// lets the window process pending events, honours Pause and learns of Cancel.

#include <atomic>
#include <functional>
#include <iosfwd>
#include <string>
#include <vector>

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
    // The short text beside the picture that shows the work going on (" Stacking",
    // "Finishing stack").
    virtual void setActivity(const std::string& /*text*/) {}
    // Refreshes the memory read-out after image planes were allocated or freed.
    virtual void showMemoryUsage() {}
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
    void setActivity(const std::string& text) override { activities.push_back(text); }
    void processMessages() override {
        if (onPoll) onPoll(*this);
    }
    void showMemoryUsage() override { ++memoryShown; }
    int maximum() const { return maximum_; }
    int position() const { return position_; }
    const std::string& status(int panel) const { return status_[panel < 0 || panel > 4 ? 0 : panel]; }

    std::function<void(NullProgress&)> onPoll;
    // Every activity text, in order.
    std::vector<std::string> activities;
    int memoryShown = 0;  // times the memory use was shown

private:
    int maximum_ = 0;
    int position_ = 0;
    std::string status_[5];
};

// The progress of an unattended run on standard error. Each step of the run is named on a line
// of its own with its percentage. On a terminal the line is rewritten in place as the step goes
// on; in a log (standard error redirected to a file) a pass writes a line only when it reaches
// another quarter of its work, so that a long pass never writes a line per frame. A step may run
// several passes: each new maximum, or a position that goes back, starts the next one, and the
// lines of passes after the first name the pass. Status texts change with every frame and stay in
// the window's status bar.
class StderrProgress : public ProgressPort {
public:
    // Standard error, rewritten in place when it is a terminal.
    StderrProgress();
    StderrProgress(std::ostream& out, bool terminal);

    void beginStep(const std::string& name);
    // Closes the step's line: 100% when it succeeded, else the percentage at which it stopped.
    void endStep(bool succeeded);

    void setMaximum(int maximum) override;
    void setPosition(int position) override;
    void setStatus(int /*panel*/, const std::string& /*text*/) override {}

private:
    void startPass(int maximum);
    std::string label() const;
    void write(const std::string& line, bool lineEnds);

    std::ostream& out_;
    bool terminal_;
    std::string step_;  // empty outside a step
    int pass_ = 0;
    int maximum_ = 0;
    int position_ = -1;
    int percent_ = 0;
    int quarter_ = 0;
    std::string lastLine_;
};

}  // namespace kestrave
