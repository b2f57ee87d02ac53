#include "platform/progress_port.h"

#include <iostream>

namespace kestrave {

void NullProgress::setStatus(int panel, const std::string& text) {
    if (panel >= 0 && panel <= 4) status_[panel] = text;
}

void StderrProgress::setMaximum(int maximum) {
    maximum_ = maximum;
    lastTenth_ = -1;
}

void StderrProgress::setPosition(int position) {
    if (maximum_ <= 0) return;
    const int tenth = static_cast<int>(10LL * position / maximum_);
    if (tenth == lastTenth_) return;
    lastTenth_ = tenth;
    std::cerr << "progress " << position << "/" << maximum_ << '\n';
}

void StderrProgress::setStatus(int panel, const std::string& text) {
    if (panel < 0 || panel > 4 || status_[panel] == text) return;
    status_[panel] = text;
    if (!text.empty()) std::cerr << text << '\n';
}

}  // namespace kestrave
