#include "platform/memory_report.h"

#include <algorithm>
#include <clocale>
#include <cmath>
#include <cstdio>
#include <fstream>
#include <sstream>

namespace kestrave {
namespace {

// The value of "Key:   1234 kB" in a /proc text, in bytes; negative when the key is missing.
double counter(std::string_view text, std::string_view key) {
    std::size_t at = 0;
    while ((at = text.find(key, at)) != std::string_view::npos) {
        const bool lineStart = at == 0 || text[at - 1] == '\n';
        const std::size_t colon = at + key.size();
        if (lineStart && colon < text.size() && text[colon] == ':') {
            const std::size_t end = text.find('\n', colon);
            const std::string value(
                text.substr(colon + 1, end == std::string_view::npos ? end : end - colon - 1));
            double number = 0;
            char unit[8] = "";
            const int read = std::sscanf(value.c_str(), "%lf %7s", &number, unit);
            if (read < 1 || !std::isfinite(number) || number < 0) return -1;
            return read == 2 && std::string_view(unit) == "kB" ? number * 1024.0 : number;
        }
        at = colon;
    }
    return -1;
}

std::string readText(const char* path) {
    std::ifstream file(path);
    std::ostringstream text;
    text << file.rdbuf();
    return text.str();
}

}  // namespace

std::optional<MemoryStatus> parseMemoryStatus(std::string_view meminfo, std::string_view selfStatus) {
    const double total = counter(meminfo, "MemTotal");
    if (!(total > 0)) return std::nullopt;
    double available = counter(meminfo, "MemAvailable");
    if (available < 0) available = std::max(0.0, counter(meminfo, "MemFree"));
    available = std::min(available, total);
    MemoryStatus status;
    status.totalPhysical = total;
    status.availablePhysical = available;
    status.loadPercent = static_cast<int>(std::nearbyint(100.0 - 100.0 * available / total));
    status.committed = std::max(0.0, counter(meminfo, "Committed_AS"));
    status.virtualSize = std::max(0.0, counter(selfStatus, "VmSize"));
    return status;
}

std::optional<MemoryStatus> readMemoryStatus() {
    return parseMemoryStatus(readText("/proc/meminfo"), readText("/proc/self/status"));
}

std::string formatMegabytes(double bytes) {
    const double megabytes = bytes / 1048576.0;
    char fixed[64];
    std::snprintf(fixed, sizeof fixed, "%.1f", std::isfinite(megabytes) ? megabytes : 0.0);
    // The decimal point is the user's; so is the thousands separator, "," where the rules give none.
    std::string text(fixed);
    const std::size_t digitsStart = text[0] == '-' ? 1 : 0;
    const std::size_t point = text.find_first_not_of("0123456789", digitsStart);
    const char* separator = std::localeconv()->thousands_sep;
    const std::string group = *separator ? separator : ",";
    for (std::size_t at = point; at > digitsStart + 3; at -= 3) text.insert(at - 3, group);
    if (text.size() < 6) text.insert(0, 6 - text.size(), ' ');
    return text;
}

std::vector<std::string> memoryReport(const MemoryStatus& status) {
    return {"Current memory load: " + std::to_string(status.loadPercent) + "%",
            "Free physical memory: " + formatMegabytes(status.availablePhysical) + " Mbytes",
            "Used physical memory: " + formatMegabytes(status.totalPhysical - status.availablePhysical) +
                " Mbytes",
            "Used paging file memory: " + formatMegabytes(status.committed) + " Mbytes",
            "Used virtual memory: " + formatMegabytes(status.virtualSize) + " Mbytes"};
}

}  // namespace kestrave
