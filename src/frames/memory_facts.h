#pragma once
// The memory figures: how much memory the program holds and how much the machine has, the way
// they are read from the system's texts, and the text of the window's memory label.

#include <cstdint>
#include <string>
#include <string_view>

namespace kestrave {

struct MemoryFacts {
    std::int64_t residentBytes = 0;  // memory of this process held in RAM
    std::int64_t virtualBytes = 0;   // address space this process has reserved
    std::int64_t totalPhysicalBytes = 0;
    std::int64_t availablePhysicalBytes = 0;
};

// Reads the facts from the texts of /proc/self/statm (sizes in pages) and /proc/meminfo
// ("MemTotal:" and "MemAvailable:" in kB). Values a text lacks stay 0.
MemoryFacts parseMemoryFacts(std::string_view statm, std::string_view meminfo, std::int64_t pageSize);

// "Memory used :" + n + "MB", n the resident memory in MB rounded half to even.
std::string memoryUsageText(const MemoryFacts& facts);

}  // namespace kestrave
