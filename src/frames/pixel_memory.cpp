#include "frames/pixel_memory.h"

#include <unistd.h>

#include <charconv>
#include <cmath>
#include <vector>

#include "platform/errors.h"
#include "platform/safe_file.h"

namespace kestrave {

namespace {

// The first decimal number in text at or after position from; 0 when there is none. Moves from
// past the number.
std::int64_t nextNumber(std::string_view text, std::size_t& from) {
    from = text.find_first_of("0123456789", from);
    if (from == std::string_view::npos) return 0;
    std::int64_t value = 0;
    const auto [end, error] = std::from_chars(text.data() + from, text.data() + text.size(), value);
    from = static_cast<std::size_t>(end - text.data());
    return error == std::errc{} ? value : 0;
}

// The kB figure on the line of /proc/meminfo that starts with key, in bytes.
std::int64_t meminfoBytes(std::string_view meminfo, std::string_view key) {
    std::size_t at = 0;
    while ((at = meminfo.find(key, at)) != std::string_view::npos) {
        if (at == 0 || meminfo[at - 1] == '\n') {
            std::size_t from = at + key.size();
            return nextNumber(meminfo.substr(0, meminfo.find('\n', from)), from) * 1024;
        }
        at += key.size();
    }
    return 0;
}

std::string readProcText(const char* path) {
    try {
        const std::vector<std::uint8_t> bytes = readWholeFile(path);
        return std::string(bytes.begin(), bytes.end());
    } catch (const FileError&) {
        return {};
    }
}

}  // namespace

MemoryFacts parseMemoryFacts(std::string_view statm, std::string_view meminfo, std::int64_t pageSize) {
    MemoryFacts facts;
    std::size_t from = 0;
    facts.virtualBytes = nextNumber(statm, from) * pageSize;
    facts.residentBytes = nextNumber(statm, from) * pageSize;
    facts.totalPhysicalBytes = meminfoBytes(meminfo, "MemTotal:");
    facts.availablePhysicalBytes = meminfoBytes(meminfo, "MemAvailable:");
    return facts;
}

MemoryFacts readMemoryFacts() {
    return parseMemoryFacts(readProcText("/proc/self/statm"), readProcText("/proc/meminfo"),
                            ::sysconf(_SC_PAGESIZE));
}

std::string memoryUsageText(const MemoryFacts& facts) {
    const auto megabytes =
        static_cast<long long>(std::nearbyint(static_cast<double>(facts.residentBytes) / 1048576.0));
    return "Memory used :" + std::to_string(megabytes) + "MB";
}

}  // namespace kestrave
