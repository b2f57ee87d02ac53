#pragma once
// The memory report of the About page and of the error report: the machine's memory load and the
// physical, committed and virtual memory in use, read from the kernel's memory counters.

#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace kestrave {

// Sizes in bytes.
struct MemoryStatus {
    int loadPercent = 0;
    double totalPhysical = 0;
    double availablePhysical = 0;
    // Memory promised to all processes (what the system would have to back by RAM or swap).
    double committed = 0;
    // This process's address space.
    double virtualSize = 0;
};

// From the texts of /proc/meminfo and /proc/self/status; none when MemTotal is missing or zero.
// The load is 100 − 100 · MemAvailable / MemTotal, rounded to the nearest percent.
std::optional<MemoryStatus> parseMemoryStatus(std::string_view meminfo, std::string_view selfStatus);
// The status of this machine and process now; none when the counters cannot be read.
std::optional<MemoryStatus> readMemoryStatus();

// A byte count in megabytes (bytes / 1048576) with one decimal and thousands separated, by the
// user's number rules, right-aligned in at least six characters: "   0.5", "12,345.7".
std::string formatMegabytes(double bytes);

// The five lines: "Current memory load: 37%", "Free physical memory: …", "Used physical memory: …",
// "Used paging file memory: …", "Used virtual memory: …" (sizes with " Mbytes").
std::vector<std::string> memoryReport(const MemoryStatus& status);

}  // namespace kestrave
