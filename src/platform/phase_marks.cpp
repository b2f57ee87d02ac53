#include "platform/phase_marks.h"

#include <chrono>
#include <cstdio>
#include <cstdlib>

namespace kestrave {

namespace {

void writePeakMemory() {
    FILE* status = std::fopen("/proc/self/status", "r");
    if (status == nullptr) return;
    char line[256];
    long kilobytes = 0;
    while (std::fgets(line, sizeof line, status) != nullptr)
        if (std::sscanf(line, "VmHWM: %ld kB", &kilobytes) == 1)
            std::fprintf(stderr, "peak %ld\n", kilobytes);
    std::fclose(status);
}

bool marksWanted() {
    if (std::getenv("KESTRAVE_PHASE_MARKS") == nullptr) return false;
    std::atexit(writePeakMemory);
    return true;
}

}  // namespace

void markPhase(const char* name) {
    static const bool wanted = marksWanted();
    if (!wanted) return;
    const auto now = std::chrono::steady_clock::now().time_since_epoch();
    std::fprintf(stderr, "phase %s %.6f\n", name, std::chrono::duration<double>(now).count());
}

}  // namespace kestrave
