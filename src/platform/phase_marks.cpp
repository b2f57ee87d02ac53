#include "platform/phase_marks.h"

#include <chrono>
#include <cstdio>
#include <cstdlib>

namespace kestrave {

void markPhase(const char* name) {
    static const bool wanted = std::getenv("KESTRAVE_PHASE_MARKS") != nullptr;
    if (!wanted) return;
    const auto now = std::chrono::steady_clock::now().time_since_epoch();
    std::fprintf(stderr, "phase %s %.6f\n", name, std::chrono::duration<double>(now).count());
}

}  // namespace kestrave
