#include "platform/progress_port.h"

#include <unistd.h>

#include <algorithm>
#include <iostream>

namespace kestrave {

void NullProgress::setStatus(int panel, const std::string& text) {
    if (panel >= 0 && panel <= 4) status_[panel] = text;
}

StderrProgress::StderrProgress() : StderrProgress(std::cerr, ::isatty(STDERR_FILENO) == 1) {}

StderrProgress::StderrProgress(std::ostream& out, bool terminal) : out_(out), terminal_(terminal) {}

void StderrProgress::beginStep(const std::string& name) {
    if (!step_.empty()) endStep(true);
    step_ = name;
    pass_ = 0;
    maximum_ = 0;
    position_ = -1;
    percent_ = quarter_ = 0;
    write(label() + ": 0%", false);
}

void StderrProgress::endStep(bool succeeded) {
    if (step_.empty()) return;
    const std::string line =
        succeeded ? step_ + ": 100%" : label() + ": stopped at " + std::to_string(percent_) + "%";
    write(line, true);
    step_.clear();
}

void StderrProgress::startPass(int maximum) {
    ++pass_;
    maximum_ = maximum;
    position_ = -1;
    percent_ = quarter_ = 0;
}

void StderrProgress::setMaximum(int maximum) {
    if (step_.empty()) return;
    startPass(maximum);
    if (terminal_) write(label() + ": 0%", false);
}

void StderrProgress::setPosition(int position) {
    if (step_.empty() || maximum_ <= 0) return;
    if (position < position_) startPass(maximum_);
    position_ = position;
    const int percent = static_cast<int>(std::clamp(100LL * position / maximum_, 0LL, 100LL));
    const bool shown = terminal_ ? percent != percent_ : percent / 25 > quarter_;
    percent_ = percent;
    if (!shown) return;
    quarter_ = percent / 25;
    write(label() + ": " + std::to_string(percent) + "%", false);
}

std::string StderrProgress::label() const {
    return pass_ <= 1 ? step_ : step_ + ", pass " + std::to_string(pass_);
}

// On a terminal the step's line stays open: each update clears it and writes it anew, and the
// cursor goes back to its start, so that a message arriving meanwhile writes over it rather than
// after it. Only the step's last line ends. In a log every line ends, and none is repeated.
void StderrProgress::write(const std::string& line, bool lineEnds) {
    if (terminal_) {
        out_ << "\r\x1b[K" << line << (lineEnds ? '\n' : '\r') << std::flush;
        return;
    }
    if (line == lastLine_) return;
    lastLine_ = line;
    out_ << line << '\n' << std::flush;
}

}  // namespace kestrave
